// The section data of a section drawing (a long section or a cross section)
// as the section tools keep it on the section's datum line, a LINE, under the
// registered application kSectionAppName, and in the current-section file.
//
// Xdata layout: 1001 application name, 1002 "{", a run of 1000 strings, 1002
// "}". Every string is a class character, a key character and the value:
// class '0' the identity (keys '0'-'3'), class '1' the record (keys '0'-'9',
// 'A'-'Z', ':', so "1:" follows "1Z"), class '3' structure data
// (structure_record.h). Numbers are read as atoi/atof read them (leading
// number, the rest ignored, none gives 0).
//
// Texts are wide; each field's size includes its terminator and every copy
// into one is cut to fit.
#pragma once

#include <cstdint>

// The registered application of the section tools' data (31 characters).
inline constexpr wchar_t kSectionAppName[] = L"LARCHWORKS_SECT_LSEC_22970PEBRA";

// The family's marker code. The xdata readers put it into the record's code
// field; the writers write the "1:" attribute string (and the structure
// type's tags) only when the field holds it. It is never written itself.
inline constexpr wchar_t kSectionMarkerCode[] = L"3972064518";

inline constexpr int kMaxSectionItems = 4;         // items of one sub-record
inline constexpr int kMaxWrittenSubRecords = 40;   // sub-records the writer and file hold

// | field     | key  | written | readers' default |
struct SectionIdentity {
  std::int32_t number = 1;   // "03"  "%i"   1
  std::int32_t kind = 0;     // "00"  "%i"   0 (0 long section, 1 cross section)
  double chainage = 0.0;     // "01"  "%lf"  0.0
  bool flag = false;         // "02"  "%i"   kept
};

// One sub-record: a node of the record's list, owned by the record.
struct SectionSubRecord {
  SectionSubRecord* next = nullptr;
  wchar_t name[513] = {};                       // "1H"
  wchar_t itemA[kMaxSectionItems][513] = {};    // "1I"
  wchar_t itemB[kMaxSectionItems][513] = {};    // "1J"
  std::int32_t integerG = 0;                    // "1G"
  std::int32_t itemCount = 0;                   // "1F", 0 to kMaxSectionItems
  std::int32_t itemM[kMaxSectionItems] = {};    // "1M"
  std::int32_t itemK[kMaxSectionItems] = {};    // "1K"
  std::int32_t itemL[kMaxSectionItems] = {};    // "1L"
  std::int32_t itemN[kMaxSectionItems] = {};    // "1N"
  double realO = 0.0;                           // "1O" "%-5.2lf"
  double realP = 0.0;                           // "1P" "%-5.2lf"
  double realQ = 0.0;                           // "1Q" "%-5.2lf"
};

inline constexpr int kSectionAttributeCount = 10;
inline constexpr int kSectionAttributeSize = 128;

// The "1:" attribute string: "<key:value>" tags. The ten named attributes in
// their order: numeric_name, description, water_level, type, notes,
// structure_dim, structure_skew_angle, survey_date, survey_time,
// survey_method; then "<complex_group:Y>".
struct SectionAttributes {
  wchar_t code[11] = {};                                               // marker code, never written
  wchar_t values[kSectionAttributeCount][kSectionAttributeSize] = {};  // "1:"
  wchar_t spare[4][kSectionAttributeSize] = {};                        // not written
  bool complexGroup = false;                                           // "1:"
};

struct SectionRecord {
  wchar_t longTextY[1025] = {};      // "1Y"
  wchar_t longTexts[5][1025] = {};   // "1T", "1U", "1V", "1W", "1X"
  wchar_t textS[82] = {};            // "1S"
  wchar_t name[513] = {};            // "10"
  wchar_t title[65] = {};            // "1R"
  std::int32_t count = 0;            // "11": sub-records
  double realZ = 0.0;                // "1Z" "%.3lf"
  double reals[12] = {};             // "12" to "1D" "%lf"; "13"/"14" is the scale pair
  double spareReals[2] = {};         // not read or written
  double realE = 0.0;                // "1E" "%-5.2lf"
  SectionSubRecord* subRecords = nullptr;  // "1F" to "1Q", owned
  SectionAttributes attributes;

  SectionRecord() = default;
  SectionRecord(const SectionRecord&) = delete;
  SectionRecord& operator=(const SectionRecord&) = delete;
  ~SectionRecord();
};

// Frees every node of the record's list and leaves it empty.
void FreeSectionSubRecords(SectionRecord& record);
// Frees the record's list and starts a new one of one empty node.
SectionSubRecord* StartSectionSubRecords(SectionRecord& record);
// Appends an empty node after `node`; null when memory runs out.
SectionSubRecord* AppendSectionSubRecord(SectionSubRecord* node);
