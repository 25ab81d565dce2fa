// The current drawing: new, open, save and close.
//
// The host holds at most one drawing. Opening or starting one closes the
// current drawing first (unload-drawing to every add-in), then makes the new
// one current (its own LISP functions and symbols, DWGPREFIX its folder) and
// sends load-drawing to every add-in.
//
// Process-wide state, used from one thread only.
#pragma once

#include <string>
#include <string_view>

#include "host/editor/status.h"

namespace host {

bool DrawingOpen();
// The drawing's file path; empty for a drawing never saved.
const std::wstring& DrawingPath();

Status NewDrawing();
Status CloseDrawing();

}  // namespace host
