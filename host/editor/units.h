// Conversion of reals and distances to and from text in the drawing's units.
//
// Linear unit modes: 1 scientific, 2 decimal. Precision is the number of
// decimal places (0 to 8). A mode or precision of -1 takes the drawing's
// current setting (LUNITS, LUPREC). Other modes (engineering, architectural,
// fractional) are not served and answer kError.
#pragma once

#include <string>
#include <string_view>

#include "host/editor/prompts.h"
#include "host/system/status.h"

namespace host {

Input<std::wstring> RealToString(double value, int unit_mode, int precision);
// Reads a distance written in the given unit mode (-1: current). Decimal and
// scientific texts are read in every mode; anything else answers kError.
Input<double> DistanceToReal(std::wstring_view text, int unit_mode);

}  // namespace host
