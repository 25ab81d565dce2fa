// Writing and reading structure data (structure_record.h), and the vertex
// count the reader sizes its point list by. Each operation first makes sure
// the working drawing has the section tools' application registered.
#pragma once

#include <cstdint>

#include "host/system/entity_name.h"
#include "vertical_offset/structure_record.h"

// Strings of at most this many characters are written; a tag that would not
// fit its string is left out, and the rest of a longer string cut.
inline constexpr int kStructureTextSize = 299;
// Point strings written at the most, and the bytes (two per character, key
// characters included) after which no further point string is begun.
inline constexpr int kMaxStructurePoints = 497;
inline constexpr int kMaxStructurePointBytes = 13000;

// Replaces the entity's section-tools data with the structure. The entity
// must be a LINE, POLYLINE or LWPOLYLINE; false with nothing changed
// otherwise, and when the change is refused.
[[nodiscard]] bool WriteStructureXdata(host::EntityName entity, const StructureRecord& record);

// Reads the structure of the entity. The record's points array must be a
// valid GrowArray of StructurePoint elements; otherwise false at once. Every
// vertex's point is first set to the default (A and B -999.0, empty code and
// text, "NONE" surface, vegetation and irregularity); a point string whose
// index is not a vertex's is dropped. The record's defaults are flag,
// integer 2 and type -1, real 1 -999.0, real 4 0.0, text 5 empty. True when
// "30", "31" and "32" were all found; the fields found stay either way.
[[nodiscard]] bool ReadStructureXdata(host::EntityName entity, StructureRecord& record);

// "30", "31" and "32" alone (outputs start at -1, -999.0, -1). True when all
// three were found.
[[nodiscard]] bool ReadStructureSummary(host::EntityName entity, std::int32_t& structureFlag,
                                        double& real1, std::int32_t& integer2);

// The vertices of a LINE (2), a POLYLINE (its VERTEX entities with a point;
// of a spline-fitted one, after "\nOperating on **SPLINED** Polyline.\n",
// without the frame points) or an LWPOLYLINE (vertices with a point and a
// bulge); 0 for fewer than 2, another entity or none.
int CountEntityVertices(host::EntityName entity);
