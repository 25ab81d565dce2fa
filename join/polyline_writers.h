// The joined polylines written into model space, the screen refresh after
// each, and the status-bar progress meter of a LarCorvex2 run.
//
// Each writer appends one polyline to the working drawing's model space,
// with the colour index (256 keeps it ByLayer) and the layer given, and
// answers whether it exists: the caller erases the objects it replaces only
// on true. Nothing is appended when the list gives fewer than two vertices;
// a polyline that could not be put on its layer is taken away again.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "common/geometry/alignment.h"
#include "host/db/values.h"

// Vertices closer than this in plan to the previous point of the list are
// dropped by the vertex writers.
inline constexpr double kJoinVertexSpacing = 0.001;

// A lightweight polyline through the start of the first element and the end
// of every element, each arc's bulge on the vertex at its start. Every
// vertex takes the constant width.
[[nodiscard]] bool CreatePolylineFromElements(std::wstring_view layer, std::int16_t colour,
                                              double elevation, double constantWidth,
                                              std::span<const GeometryElement> elements,
                                              host::EntityName* made = nullptr);
// A lightweight polyline through the points' plan positions at `elevation`.
// A point within 0.001 in plan of the previous point of the list (kept or
// not) is dropped.
[[nodiscard]] bool CreatePolylineFromVertices(std::wstring_view layer, std::int16_t colour,
                                              double elevation, double constantWidth,
                                              std::span<const host::db::Point3> points,
                                              host::EntityName* made = nullptr);
// A simple 3D polyline, never closed, through the points with the same rule.
[[nodiscard]] bool Create3dPolylineFromVertices(std::wstring_view layer, std::int16_t colour,
                                                std::span<const host::db::Point3> points,
                                                host::EntityName* made = nullptr);

// Flushes the drawing's pending graphics and updates the display.
void UpdateScreen();

void SetProgressMeter(std::wstring_view label, int minimum, int maximum);
// Moves the meter and serves the pending window messages.
void SetProgressPosition(int position);
void RestoreStatusBar();
