// The vertical offset run: moves or copies a selection vertically in a section
// drawing by an offset given in real-world units, scaled by the current
// section's scale pair ("13" / "14").
//
// The current section comes from the current-section file when it reads
// whole, else from the section data on the datum line the user picks. The
// run asks Move or Copy, the offset and the selection, then runs the host's
// MOVE or COPY from (0,0,0) to (0,d,0).
//
// Results: 0 done or declined at a prompt; kRunNoSupportFolder when the
// section tools' support folder is missing (after the alert);
// kRunSysVarsFailed when the system variables could not be saved and set
// (those already set get their old values back); kRunOffsetOutOfRange when
// the scaled offset is not a finite distance a drawing can hold (nothing is
// moved or copied). The LISP function prints "\nVertical Offset Canceled."
// for every result but 0.
#pragma once

#include <cstddef>
#include <string>

#include "host/system/status.h"
#include "vertical_offset/section_record.h"

inline constexpr int kRunNoSupportFolder = 1;
inline constexpr int kRunSysVarsFailed = 2;
inline constexpr int kRunOffsetOutOfRange = 3;

// Scaled offsets beyond this many drawing units are refused.
inline constexpr double kMaxVerticalShift = 1e10;

// The settings of the "*VMRGEN" block of vmr.ini.
struct VmrSettings {
  std::wstring workingDirectory = L".";  // "**VMRGEN Default working directory"; kept, not used
  std::wstring applicationName;          // "**VMRGEN Application name"; shown in the banner
};

// The LISP function: runs, prints the cancel line for a result that is not 0,
// and hands the result to LISP.
void LarVerticalPolylineOffset();
int RunVerticalOffset();

// The drawing displacement of `offset` for the section: offset x "13"/"14",
// or the offset itself when "14" is not above 1e-05.
double VerticalShift(const SectionRecord& record, double offset);
// Moves (or copies) the work selection set by VerticalShift. False, with
// nothing run, when the shift is not finite or beyond kMaxVerticalShift.
bool MoveOrCopyVertically(bool move, double offset);

// Reads the "*VMRGEN" block of vmr.ini in the section tools' support folder
// into the module's settings (defaults first; a missing file keeps them).
void LoadVmrSettings();
const VmrSettings& CurrentVmrSettings();
// The module's section record, refilled by every run.
SectionRecord& CurrentSectionRecord();

// Thin wrappers over the host calls, answering their status. Texts are cut
// to `capacity` units with the terminator.
host::Status FindSupportFile(const wchar_t* name, wchar_t* result, std::size_t capacity);
host::Status RealToString(double value, int unitMode, int precision, wchar_t* result,
                          std::size_t capacity);
host::Status GetUserString(bool allowBlanks, const wchar_t* prompt, wchar_t* result,
                           std::size_t capacity);

// Selects one polyline ("POLYLINE" with group 70 of 0, 8, 128 or 136) into
// the work selection set; the number of entities that count (0 or 1).
int SelectPolyline();
