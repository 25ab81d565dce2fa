// The current drawing: new, open, save and close.
//
// The host holds at most one drawing. Opening or starting one closes the
// current drawing first (unload-drawing to every add-in), then makes the new
// one current (its database the working one, its own LISP functions and
// symbols, DWGPREFIX its folder) and sends load-drawing to every add-in.
// Closing frees the selection sets and clears the screen's temporary
// graphics.
//
// Process-wide state, used from one thread only.
#pragma once

#include <string>
#include <string_view>

#include "host/db/database.h"
#include "host/system/result.h"
#include "host/system/status.h"

namespace host {

bool DrawingOpen();
// The current drawing's database (the working database unless code made a
// side database the working one); null when no drawing is open.
db::Database* CurrentDrawing();
// The drawing's file path; empty for a drawing never saved.
const std::wstring& DrawingPath();

Status NewDrawing();
// Reads a DXF drawing (a ".dwg" name reads the ".dxf" beside it) and makes it
// the current drawing. When it cannot be read, the current drawing stays.
Result<> OpenDrawing(std::wstring_view path);
// Saves the current drawing as DXF under `path`, or under its own path when
// `path` is empty; the drawing takes the new path. A failed save leaves an
// earlier file whole.
Result<> SaveDrawing(std::wstring_view path = {});
Status CloseDrawing();
// Whether the drawing may hold work that is not saved: its database was
// changed, or handed out for a change, since the drawing was started, read
// or saved. Looking at it (a redraw, a help file, a command cancelled before
// it did anything) is no change.
bool DrawingChanged();
// CloseDrawing for a process about to end. An optimised build does not free
// the drawing's memory object by object (hundreds of megabytes of small
// objects take a noticeable time) but leaves it to the system, which takes
// back the whole process at once; the add-ins are told as by CloseDrawing.
// Debug and sanitised builds free it all.
Status CloseDrawingAtExit();

}  // namespace host
