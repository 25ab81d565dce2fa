// The header of one alignment in memory, as horizontal geometry files store
// it. Plain data owned by the caller; its element list is a GrowArray of
// GeometryElement beside it.
#pragma once

#include <cstdint>

inline constexpr int kHzPathChars = 1024;        // with the terminator
inline constexpr int kHzBaseNameChars = 512;     // with the terminator
inline constexpr int kHzDescriptionChars = 129;  // 128 and the terminator
inline constexpr int kHzIdChars = 7;             // six letters and the terminator

inline constexpr double kDefaultDesignSpeed = 50.0;

struct HzGeometry {
  wchar_t path[kHzPathChars];       // file the header came from; empty when built
                                    // from an entity, "from_polyline" for a profile
  wchar_t baseName[kHzBaseNameChars];  // base name of a linked file
  wchar_t description[kHzDescriptionChars];
  wchar_t id[kHzIdChars];           // geometry ID
  std::int16_t reservedShort[3];    // carried with the file; [0] counts rewrites from
                                    // an entity, and is a flag word in profiles
  std::int32_t elementCount;
  double roadLength;                // sum of the element lengths
  double designSpeed;               // 50.0 by default
  double reservedDouble[3];         // carried with the file; [0] holds the time of a
                                    // rewrite from an entity (seconds since 1970)
  double startChainage;
};
