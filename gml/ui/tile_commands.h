// OS map tiles: one drawing per National Grid tile in a tile folder, drawn in
// world co-ordinates. lwhgmlit brings the tiles that cover picked points, a
// window or selected boundaries into the drawing (as attachments, blocks or
// exploded blocks); lwhgmldt draws every tile's outline.
//
// The tile settings and the tile list live while the add-in is loaded; one
// list serves every drawing.
#pragma once

#include "gml/settings/os_tiles.h"

// The commands (ImportTilesCommand, TileCoverageCommand) and the reset of
// the inserted flags at each drawing load (ResetTilesForNewDrawing) are
// declared with Varnel's other commands.

// Frees the tile settings and list (the add-in is unloading).
void ReleaseTileState();

// The tile state of the loaded add-in (made on first use).
CImportOSTiles& TileDialog();

// A tile takes part when its size class is switched on in the dialog.
bool TileQualifies(const CImportOSTiles& tiles, const OSTileRecord& tile);
// Lower bounds included, upper bounds excluded: a point on a shared edge
// belongs to the tile east of it and north of it.
bool PointInTile(const OSTileRecord& tile, double x, double y);
