// Densification: alignments whose curves are replaced by short pieces that
// simpler code can handle.
//
// DensifyAlignment replaces arcs and clothoids by straight chords. Each chord
// is an element of length "its share of the curve" (not its straight length)
// whose clothoidParameter field holds the caller's tag for where it came
// from (straight, arc or clothoid); such a list is read for its points and
// lengths only, never evaluated as an alignment. DensifyAlignmentFixed
// replaces each clothoid by 31 circular arcs and keeps everything else.
//
// Output lists are empty GrowArrays created by the caller and are filled from
// index 0. On false the list holds what was appended so far and the output
// count is not written. Chord counts are bounded so that one long alignment
// cannot make an outline unbounded.
#pragma once

#include <cstdint>

#include "common/geometry/alignment.h"
#include "common/containers/grow_array.h"
#include "common/geometry/hz_geometry.h"

inline constexpr int kMinArcChords = 2;
inline constexpr int kMaxArcChords = 2000;
inline constexpr int kMinClothoidChords = 2;
inline constexpr int kMaxClothoidChords = 300;
inline constexpr int kDefaultClothoidChords = 31;  // for a count outside 2..300
inline constexpr int kClothoidArcs = 31;           // arcs per clothoid of the fixed split

// Chords per arc are clamped to 2..2000; chords per clothoid outside 2..300
// become 31. Straights are copied with the straight tag. When a curve was
// split the output is renumbered from chainage 0; otherwise the copied
// straights keep their own chainages.
[[nodiscard]] bool DensifyAlignment(std::int32_t count, const GrowArray& input,
                                    GrowArray& output, std::int32_t& outputCount,
                                    int arcChords, int clothoidChords, int straightTag,
                                    int arcTag, int clothoidTag);

// Splits the header's elementCount elements: each clothoid becomes 31 arcs of
// equal length with the clothoid's own headings at their ends. False when a
// piece cannot be made (parallel normals, a chord shorter than 1.5e-4). No
// renumbering.
[[nodiscard]] bool DensifyAlignmentFixed(const HzGeometry& header, const GrowArray& input,
                                         GrowArray& output, std::int32_t& outputCount);

// As DensifyAlignment, but an arc is cut every stepFactor x |radius| from its
// start, with a last chord (of its straight length) to the arc's end; arcs of
// radius 5e-5 or less are dropped. The output is always renumbered from 0. A
// step that is not positive is refused.
[[nodiscard]] bool DensifyAlignmentByArcStep(std::int32_t count, const GrowArray& input,
                                             GrowArray& output, std::int32_t& outputCount,
                                             double stepFactor, int clothoidChords,
                                             int straightTag, int arcTag, int clothoidTag);
// The same with the step raised to `minStep` when that exceeds both 5e-5 and
// the computed step.
[[nodiscard]] bool DensifyAlignmentByArcStepMin(std::int32_t count, const GrowArray& input,
                                                GrowArray& output, std::int32_t& outputCount,
                                                double stepFactor, double minStep,
                                                int clothoidChords, int straightTag,
                                                int arcTag, int clothoidTag);
