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
#include "host/editor/status.h"

namespace host {

bool DrawingOpen();
// The current drawing's database (the working database unless code made a
// side database the working one); null when no drawing is open.
db::Database* CurrentDrawing();
// The drawing's file path; empty for a drawing never saved.
const std::wstring& DrawingPath();

Status NewDrawing();
Status CloseDrawing();

}  // namespace host
