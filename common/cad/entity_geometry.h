// The alignment of a drawn entity, and the link by which an entity names the
// horizontal geometry file that holds its exact design.
//
// A LINE, ARC, CIRCLE, LWPOLYLINE or POLYLINE becomes a list of straights and
// arcs (polyline bulges as arcs). The link is the entity's extended data of
// the application "LARCHWORKS_ROAD_CTLN_22970PEBRA": 1000 strings "00<base
// name>", "01<start chainage>" and "02<geometry ID>". A linked entity whose
// file is found takes the file's geometry, after a check that the entity
// still matches the file; the user says which wins when they differ. The
// link is read, never written.
//
// A geometry ID is six capital letters; "nil" and "GEOMIA" (either case)
// stand for an ID not yet given. A link's ID longer than six characters is
// cut to six, a base name longer than 511 to 511.
#pragma once

#include "common/containers/grow_array.h"
#include "common/geometry/hz_geometry.h"
#include "host/system/entity_name.h"

inline constexpr wchar_t kRoadCentrelineApp[] = L"LARCHWORKS_ROAD_CTLN_22970PEBRA";
inline constexpr wchar_t kNoLink[] = L"nil";
inline constexpr wchar_t kPlaceholderId[] = L"GEOMIA";

// The entity's alignment and its header: from the linked file when there is
// a link, its file is found, and the check keeps or rewrites the file
// (`linked` true, the header's path and base name those of the file); else
// built from the entity, from the link's start chainage, with a new ID when
// the link gives none. The elements fill the caller's empty list from index
// 0. False when the application cannot be registered, the linked file cannot
// be read, or the entity cannot be turned into elements.
[[nodiscard]] bool GetEntityHzGeometry(host::EntityName entity, HzGeometry& header, bool& linked,
                                       GrowArray& elements);

// Builds the elements from the entity, from the link's start chainage (0
// without a link), and sets only the header's element count and road
// length. False for another entity type or one that lacks a required value.
[[nodiscard]] bool HzGeometryFromEntity(host::EntityName entity, HzGeometry& header,
                                        GrowArray& elements);

// Compares the linked file at `path` (each clothoid split into 31 arcs) with
// the entity. When they differ the first difference is printed and the user
// is asked; "Yes" rewrites the file from the entity (keeping the file's
// description, design speed and reserved values, stamping the time in the
// first reserved double and counting the rewrite in the first reserved
// short). True when the caller should now read the file; false when a read,
// a build or the rewrite failed.
[[nodiscard]] bool CheckHzGeometryChanged(const wchar_t* path, host::EntityName entity);

// Six random capital letters and a terminator into `id` (7 units).
void NewGeometryId(wchar_t* id);
// One random capital letter; the first call seeds the random source with the
// time and discards one value.
wchar_t RandomCapital();

// Makes sure the link's application is registered in the working drawing.
[[nodiscard]] bool RegisterRoadCentrelineApp();

// Reads the link: base name (kHzBaseNameChars units), ID (kHzIdChars units)
// and start chainage, defaulting to "nil", "nil" and 0. Only the link's own
// items are read, never another application's. Always true.
bool ReadRoadCentrelineXdata(host::EntityName entity, wchar_t* baseName, wchar_t* id,
                             double& startChainage);
