// Structure data: class '3' strings on lines and polylines of a section
// drawing, under the section tools' application (section_record.h).
//
//   "30"  structure flag, "1" or "0"        "34"  real 4, "%.3lf"
//   "31"  real 1, "%.3lf"                   "35"  text 5
//   "32"  integer 2, "%i"                   "37"  structure type "%i", then its tags
//   "36"  one string per point: "%i,%s,%.3lf,%.3lf,%s," (index from 0, code,
//         real A, real B, text), then "<irregulalarity:%s>", "<surface:%s>",
//         "<vegetation:%s>" for the texts that are not empty
//   "33"  the older point form without tags; read only
//
// The "37" tags are written only when the record's code field holds the
// marker code: notes for types 1 to 5; skew angle, length, width, exception
// for type 1; type, length, width, exception, element for type 2; shape,
// inlet type, material, length, the ten dimensions, exception and in-or-out
// for types 3 and 4. The tag name "irregulalarity" is the family's own
// spelling; other tools read and write it so.
//
// Texts are narrow; each size includes the terminator and every copy is cut
// to fit. A calling tool keeps its own data beside the record (the record is
// embedded in the tool's own structure); these operations touch only the
// fields below.
#pragma once

#include <cstdint>

#include "common/containers/grow_array.h"

struct StructurePoint {
  char code[5];          // at most 4 characters
  char text[65];         // read at most 63 characters
  char surface[33];
  char vegetation[33];
  char irregularity[33];
  double realA;
  double realB;
};

struct StructureType1 {
  double skewAngle;
  double length;
  double width;
  bool exception;
};

struct StructureType2 {
  char typeText[128];
  std::int32_t element;
  double length;
  double width;
  bool exception;
};

// Types 3 and 4 (in-or-out: 0 in, 1 out).
struct StructureType34 {
  char shape[32];
  char inletType[32];
  char material[32];
  std::int32_t inOrOut;
  double e, n, h, x, y, y1, y2, tss, tsbs, tsbd, length;
  bool exception;
};

struct StructureRecord {
  char text5[128];               // "35"
  std::int32_t structureFlag;    // "30"
  std::int32_t integer2;         // "32"
  std::int32_t structureType;    // "37": 0 to 5
  double real1;                  // "31"
  double real4;                  // "34"
  GrowArray points;              // of StructurePoint, one per vertex: "36" ("33")
  char code[11];                 // marker code, never written
  char notes[128];               // tag "notes"
  union {                        // by structure type; types 0 and 5 have none
    StructureType1 type1;
    StructureType2 type2;
    StructureType34 type34;
  };
};
