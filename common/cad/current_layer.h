// Making a layer the current one, creating it when it is missing.
#pragma once

#include <string_view>

// Makes the layer usable (thawed, on, not frozen in new viewports,
// unlocked) and current in the working drawing. A missing layer is created
// with the colour index (0 means 7) and linetype CONTINUOUS; an existing
// one keeps its colour. False when there is no drawing, or the layer could
// not be created or made current.
bool MakeLayerCurrent(int colour, std::wstring_view name);
// The same, and with `recolour` an existing layer also takes the colour.
bool MakeLayerCurrentRecolour(int colour, std::wstring_view name, bool recolour);
