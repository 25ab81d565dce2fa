// The join parameters and their block in the shared settings file orvan.ini.
//
// orvan.ini holds blocks of several programs, each between a start and an
// end line, each key on a line of its own with its value on the next line:
//
//   *GEN general parameters start        (read only: the application name)
//   **GEN Application name
//   LarchWOOD-HILL
//   *GEN general parameters end
//   *CVXN Corvex parameters start        (read and rewritten by the join)
//   **CVXN Layer name
//   New polyline
//   ...
//   *CVXN Corvex parameters end
//
// Markers and keys are whole lines compared with letter case ignored; a key
// line with anything more on it (trailing blanks too) is not a key. Values
// that cannot be read, or lie outside what the join can use, leave the
// key's default. Saving rewrites only the "*CVXN" block and keeps every
// other line of the file byte for byte, in its place; the file is replaced
// through a temporary file in its own folder, so a failed save leaves the
// old file whole.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kJoinLayerNameChars = 1024;   // with the terminator
inline constexpr int kJoinAppNameChars = 128;      // with the terminator
inline constexpr int kMinArcDivideFactor = 1;
inline constexpr int kMaxArcDivideFactor = 256;

inline constexpr char kCorvexIniName[] = "orvan.ini";

struct JoinParameters {
  wchar_t layerName[kJoinLayerNameChars];  // fixed output layer
  double hzTolerance;                      // drawing units, plan distance
  double vtTolerance;                      // drawing units, level difference
  std::uint8_t allow3dPolylines;           // 3D polylines selectable
  std::uint8_t automaticLayers;            // 1: first object's layer and colour; 0: fixed layer
  std::uint8_t verifyDirections;           // ask whether to reverse each new polyline
  std::uint8_t alwaysBreakArcs;            // LarCorvex2: chords even for 2D chains
  std::uint8_t convert3dTo2d;              // LarCorvex2: levelled lightweight output
  std::uint8_t acceptOnlyFirstLayer;       // LarCorvex2: refuse other layers
  double newLevel2d;                       // level of converted 3D chains
  std::uint8_t askParameters;              // show the dialog before a run
  std::int16_t layerColour;                // colour index of the fixed layer
  std::int16_t arcDivideFactor;            // chords per arc in the vertex path
  wchar_t applicationName[kJoinAppNameChars];  // from the "*GEN" block
};

// The one record of the process, shared by both functions, the dialog and
// the runs.
JoinParameters& CorvexParameters();

// Every field at its default, the application name empty.
void SetDefaultCorvexParameters(JoinParameters& p);

// Defaults, then the file orvan.ini in the join's support folder (when one
// is found and the file can be read).
void LoadCorvexSettings();
// Writes the record's "*CVXN" block into orvan.ini in the support folder.
// False when no folder was found or the file could not be replaced (then it
// is as it was).
bool SaveCorvexSettings();

// The same against a named file.
void LoadCorvexSettingsFrom(const std::wstring& path, JoinParameters& p);
// False, with the file untouched, when the old file exists but cannot be
// read, is read-only, or any step of the replacement fails.
[[nodiscard]] bool SaveCorvexSettingsTo(const std::wstring& path, const JoinParameters& p);
