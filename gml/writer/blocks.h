// Blocks of the import: found in the drawing or loaded from their drawing
// files on the support path, and inserted for symbols, points, ITN nodes,
// address points and OS tiles.
//
// A block missing from the drawing is loaded from "<name>.dwg" (stored as
// ".dxf", see host/db/drawing_file.h) found by the host's file search; a
// name that is not a valid block name, a file that is missing or that does
// not read as a drawing loads nothing. Inserts go into model space: scale
// (s, s, s), rotation in radians, the normal of the current UCS, the layer
// by name (made when missing). The writers that attach xdata erase the
// reference again when its xdata cannot be set.
#pragma once

#include <cstdio>

#include "gml/reader/feature_records.h"
#include "gml/writer/os_xdata.h"
#include "host/db/database.h"

class OS_GML_ACAD_Definitions;

bool BlockExists(const char* block, const host::db::Database& db);
bool GetBlockId(const char* block, const host::db::Database& db, host::db::ObjectId* id);
// Loads "<block>.dwg" from the support path as a block definition of `db`.
bool LoadBlockFromFile(const char* block, host::db::Database& db);

// A reference to `block` (loaded when missing); false when the block is
// neither in `db` nor loadable.
// With `area`, a symbol planted in it: the reference carries the area's
// link (WriteAreaSymbolXdata), and is taken out again when that fails.
bool InsertSymbolBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                       const char* layer, host::db::Database& db,
                       const AreaFeatureRecord* area = nullptr);
// As InsertSymbolBlock; kinds 2 and 3 carry the point's xdata at `level`.
bool InsertPointBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                      const char* layer, host::db::Database& db, int level,
                      const PointFeatureRecord& record, OsFeatureKind kind);
// As InsertSymbolBlock, with the node's xdata at `level` (as a node drawn
// as a point has), so updates and inspection find it.
bool InsertNodeBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                     const char* layer, host::db::Database& db, int level, const RoadNodeRecord& node);
// As InsertSymbolBlock, with address xdata at the settings' xdata level,
// then the address row when `csv` is open and the CSV level is 1 or 2.
bool InsertAddressPointBlock(const char* block, host::db::Point3 position, double scale,
                             double rotation, const char* layer, host::db::Database& db,
                             std::FILE* csv, const OS_GML_ACAD_Definitions& settings,
                             const AddressPointRecord& address);
// As InsertSymbolBlock; with `explode` the reference is exploded into model
// space, then the reference and the block definition are erased. A
// reference that cannot be exploded stays as it is.
bool InsertTileBlock(const char* block, host::db::Point3 position, double scale, double rotation,
                     const char* layer, host::db::Database& db, bool explode);

// ---- Side databases of batch runs ----------------------------------------

// Clones every layer of the working (host) drawing that `side` lacks.
bool CopyHostLayers(host::db::Database& side);
// Clones every text style of the host drawing that `side` lacks, then makes
// `styleName` current in `side` when it has that style.
bool CopyHostTextStyles(host::db::Database& side, std::wstring_view styleName);
