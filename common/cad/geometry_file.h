// Geometry files: an alignment's design kept outside the drawing.
//
// Horizontal geometry file (.hzg), binary, little-endian, no padding:
//
//   offset  size  field
//   0       40    signature "LarchWOOD-HILL Hz Geometry File ver 1.00", no terminator
//   40      3     the bytes 0x0A 0x1A 0x00
//   43      4     element count, int32
//   47      8     road length, double
//   55      6     geometry ID, 8-bit, no terminator
//   61      128   description, 8-bit, a zero byte after it when shorter; bytes
//                 after that zero mean nothing (written as zeros)
//   189     8     design speed
//   197     24    reserved doubles 1..3
//   221     6     reserved shorts 1..3, int16
//   227     797   filler: twelve runs of "1234567890...1234" (64 digits), then
//                 "12345678901234567890123456789"
//   1024    104n  elements, 13 doubles each in file order: start chainage,
//                 length, radius at start, radius at end, clothoid parameter,
//                 start X, start Y, end X, end Y, centre X, centre Y, heading
//                 at start, heading at end
//
// Vertical geometry file: the same with the signature
// "LarchWOOD-HILL Vt Geometry File ver 1.00" and, from offset 227, the
// profile frame (nine doubles: X origin, Y origin, vertical scale, datum
// level, start chainage, smallest X, largest X, smallest Y, largest Y), at
// 299 a kind character, at 300 two 8-byte values when the kind is not '1',
// filler to 1024, then the elements. Kind 'B' holds a second profile right
// after the first one's elements: its own 1024-byte header (filler from 299)
// and its elements.
//
// The ASCII horizontal file holds the same header and elements as label and
// value lines; it is read by position, so labels may be edited as long as the
// lines are kept.
//
// Text fields pass one character at a time between wide and 8-bit form: the
// ID as exactly 6 characters, the description as exactly 128.
//
// Every function returns true on success and false on any failure (a file
// that cannot be opened, a wrong signature, a short or inconsistent file, a
// failed write); an open file is always closed. Readers check every length
// against the file before they use it, fill the header fields the file holds
// and leave the others as the caller set them; on failure the header and the
// list hold what was read so far. Writers build the new file beside the old
// one and replace it only when every byte was written, so a failed write
// leaves any earlier file whole. Nothing is reported to the user.
#pragma once

#include <cstdint>

#include "common/geometry/alignment.h"
#include "common/containers/grow_array.h"
#include "common/geometry/hz_geometry.h"
#include "common/geometry/profile.h"

inline constexpr int kGeometryHeaderBytes = 1024;
inline constexpr int kGeometryElementBytes = 104;
inline constexpr char kHzSignature[] = "LarchWOOD-HILL Hz Geometry File ver 1.00";
inline constexpr char kVtSignature[] = "LarchWOOD-HILL Vt Geometry File ver 1.00";
inline constexpr char kHzAsciiSignature[] = "LarchWOOD-HILL ASCII Hz Geometry File ver 1.00";

// Reads a binary .hzg file: the header fields it holds and its elements from
// index 0. The header's start chainage becomes the first element's.
[[nodiscard]] bool ReadHzGeometryFile(const wchar_t* path, HzGeometry& header,
                                      GrowArray& elements);

// Writes header.elementCount elements of the list (it must hold them all),
// replacing any file at the path.
[[nodiscard]] bool WriteHzGeometryFile(const wchar_t* path, HzGeometry& header,
                                       const GrowArray& elements);

// Finds baseName + ".hzg" through the support file search and accepts it
// only when its signature matches (case ignored) and its ID equals `id`
// exactly. `foundPath` (kHzPathChars units) receives the full path.
[[nodiscard]] bool FindHzGeometryFile(const wchar_t* baseName, const wchar_t* id,
                                      wchar_t* foundPath);

// The ASCII form. The reader does not set the header's start chainage.
[[nodiscard]] bool ReadHzGeometryAscii(const wchar_t* path, HzGeometry& header,
                                       GrowArray& elements);
[[nodiscard]] bool WriteHzGeometryAscii(const wchar_t* path, const HzGeometry& header,
                                        const GrowArray& elements);

// Reads a vertical geometry file. The header's path and base name become
// empty and the frame's source path the file's path; the header's start
// chainage is not set.
[[nodiscard]] bool ReadVtGeometryFile(const wchar_t* path, HzGeometry& header, VtProfile& frame,
                                      GrowArray& elements);

// As ReadVtGeometryFile, also reading the kind (set to 'A' first) and the
// two values (set to 0 first) when the file holds them, and for kind 'B' the
// second profile into the second header, frame and list.
[[nodiscard]] bool ReadVtGeometryFileEx(const wchar_t* path, HzGeometry& header,
                                        VtProfile& frame, GrowArray& elements,
                                        HzGeometry& secondHeader, VtProfile& secondFrame,
                                        GrowArray& secondElements, char& kind, double& value1,
                                        double& value2);
