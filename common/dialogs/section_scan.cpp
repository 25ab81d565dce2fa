#include "common/dialogs/section_scan.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <vector>

#include "common/dialogs/file_select_state.h"
#include "common/containers/text.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/system/files.h"
#include "host/system/wide_text.h"

namespace {

constexpr std::size_t kLineChars = 510;
constexpr const char* kRiverSignature = "LarchWOOD-HILL ISIS river section file v1.2";

bool StartsWithIgnoringCase(const std::string& line, const char* word) {
  return host::StartsWithIgnoringAsciiCase(line, word);
}

bool EqualsIgnoringCase(const std::string& line, const char* word) { return host::SameIgnoringAsciiCase(line, word); }

double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The value of key='value' in `text`: up to `limit` characters up to the
// next quote (or line end); none when the key is missing or no quote
// follows its "=".
std::optional<std::string> Attribute(const std::string& text, const char* key, std::size_t limit) {
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return std::nullopt;
  std::size_t i = at + std::strlen(key);
  if (i >= text.size() || text[i] != '\'') return std::nullopt;
  ++i;
  std::string value;
  while (i < text.size() && text[i] != '\'' && text[i] != '\n' && value.size() < limit) value += text[i++];
  return value;
}

void ReadAttributes(const std::string& text, SekFileContent* content) {
  if (const auto type = Attribute(text, "Type=", 4); type && !type->empty())
    content->type = std::atoi(type->c_str());
  if (const auto description = Attribute(text, "Description=", 130))
    content->description = NarrowToWide(*description);
  if (const auto date = Attribute(text, "Date=", 137)) content->headerDate = NarrowToWide(*date);
}

// DrawingName and TinFileName lines after the section data.
void ReadTrailer(const std::vector<std::string>& lines, std::size_t from, SekFileContent* content) {
  for (std::size_t i = from; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const bool drawing = line.find("DrawingName='") != std::string::npos;
    const bool tin = line.find("TinFileName='") != std::string::npos;
    if (!drawing && !tin) continue;
    std::string value;
    for (std::size_t j = 13; j < line.size() && line[j] != '\'' && value.size() < 260; ++j) value += line[j];
    (drawing ? content->drawingName : content->groundModelName) = NarrowToWide(value);
  }
}

// The chainage of a "Cross" line: the text from its 27th character up to a
// blank or the end, within 20 characters; none when it runs longer.
std::optional<double> CrossChainage(const std::string& line) {
  if (line.size() <= 26) return 0.0;
  const std::string text = line.substr(26);
  std::size_t end = 0;
  while (end < text.size() && text[end] != ' ' && text[end] != '\n') ++end;
  if (end >= 20) return std::nullopt;
  return Number(text.substr(0, end));
}

void Widen(double value, double* min, double* max) {
  if (value < *min) *min = value;
  if (value > *max) *max = value;
}

}  // namespace

bool ReadLongSectionContent(const std::wstring& path, SekFileContent* content) {
  *content = SekFileContent{};
  std::vector<std::string> lines;
  if (!ReadTextLines(path, kLineChars, &lines)) return false;
  if (lines.size() < 2 || !StartsWithIgnoringCase(lines[1], "Section")) return false;
  if (lines[1].size() > 8) ReadAttributes(lines[1].substr(8), content);
  std::size_t i = 2;
  while (i < lines.size() && !StartsWithIgnoringCase(lines[i], "Section")) {
    if (i + 3 >= lines.size()) break;  // a block cut off by the end of the file
    const double chainage = Number(lines[i]);
    const double level = Number(lines[i + 3]);
    if (content->count == 0) content->chainageMin = chainage;
    content->chainageMax = chainage;
    Widen(level, &content->levelMin, &content->levelMax);
    ++content->count;
    i += 4;
    if (i >= lines.size() || StartsWithIgnoringCase(lines[i], "Section")) break;
    ++i;  // the closing line
  }
  ReadTrailer(lines, i, content);
  return true;
}

bool ReadCrossSectionContent(const std::wstring& path, SekFileContent* content, bool roadAnywhere) {
  *content = SekFileContent{};
  std::vector<std::string> lines;
  if (!ReadTextLines(path, kLineChars, &lines)) return false;
  if (lines.empty()) return false;
  if (EqualsIgnoringCase(lines[0], kRiverSignature)) {
    ReadTrailer(lines, 1, content);
    return true;
  }
  if (lines.size() < 4 || !StartsWithIgnoringCase(lines[2], "Road")) return false;
  if (lines[2].size() > 4) ReadAttributes(lines[2].substr(4), content);
  if (!StartsWithIgnoringCase(lines[3], "Cross")) return false;
  std::optional<double> chainage = CrossChainage(lines[3]);
  if (!chainage) return false;
  content->count = 1;
  content->chainageMin = content->chainageMax = *chainage;
  // The open section's own ranges.
  bool hasPoints = false;
  double offMin = kSekNoMin, offMax = kSekNoMax, levMin = kSekNoMin, levMax = kSekNoMax;
  bool firstPoint = true;
  auto close = [&]() {
    if (!hasPoints) return;
    Widen(offMin, &content->offsetMin, &content->offsetMax);
    Widen(offMax, &content->offsetMin, &content->offsetMax);
    Widen(levMin, &content->levelMin, &content->levelMax);
    Widen(levMax, &content->levelMin, &content->levelMax);
    Widen(levMax - levMin, &content->levelDiffMin, &content->levelDiffMax);
  };
  std::size_t i = 4;
  bool ended = false;
  while (i < lines.size()) {
    const std::string& line = lines[i];
    if (StartsWithIgnoringCase(line, "Cross")) {
      close();
      chainage = CrossChainage(line);
      if (!chainage) return false;
      ++content->count;
      Widen(*chainage, &content->chainageMin, &content->chainageMax);
      hasPoints = false;
      offMin = levMin = kSekNoMin;
      offMax = levMax = kSekNoMax;
      ++i;
      continue;
    }
    const bool road = roadAnywhere ? line.find("Road") != std::string::npos
                                   : line.substr(0, 5).find("Road") != std::string::npos;
    if (road) {
      close();
      ended = true;
      ++i;
      break;
    }
    if (i + 3 >= lines.size()) break;  // a point cut off by the end of the file
    const double offset = Number(lines[i]);
    const double level = Number(lines[i + 3]);
    ++content->pointCount;
    if (firstPoint) {
      content->levelMin = content->levelMax = level;
      firstPoint = false;
    }
    Widen(offset, &offMin, &offMax);
    Widen(level, &levMin, &levMax);
    hasPoints = true;
    i += 5;
  }
  (void)ended;  // a file that ends without the "Road" line leaves its last section out
  ReadTrailer(lines, i, content);
  return true;
}

namespace {

void ToSummary(const SekFileContent& c, SekSummary* summary) {
  summary->count = c.count;
  summary->chainageMin = c.chainageMin;
  summary->chainageMax = c.chainageMax;
  summary->levelMin = c.levelMin;
  summary->levelMax = c.levelMax;
  summary->offsetMin = c.offsetMin;
  summary->offsetMax = c.offsetMax;
}

template <class Reader>
bool ParseWith(Reader reader, const std::wstring& path, SekSummary* summary, std::int32_t* type,
               std::wstring* description, std::wstring* headerDate, std::wstring* drawingName,
               std::wstring* groundModelName) {
  SekFileContent content;
  if (!reader(path, &content)) return false;
  if (summary) ToSummary(content, summary);
  if (type) *type = content.type;
  if (description) *description = content.description;
  if (headerDate) *headerDate = content.headerDate;
  if (drawingName) *drawingName = content.drawingName;
  if (groundModelName) *groundModelName = content.groundModelName;
  return true;
}

}  // namespace

bool ParseLongSectionFile(const std::wstring& path, SekSummary* summary, std::int32_t* type,
                          std::wstring* description, std::wstring* headerDate, std::wstring* drawingName,
                          std::wstring* groundModelName) {
  return ParseWith(ReadLongSectionContent, path, summary, type, description, headerDate, drawingName,
                   groundModelName);
}

bool ParseCrossSectionFile(const std::wstring& path, SekSummary* summary, std::int32_t* type,
                           std::wstring* description, std::wstring* headerDate,
                           std::wstring* drawingName, std::wstring* groundModelName) {
  auto reader = [](const std::wstring& p, SekFileContent* c) { return ReadCrossSectionContent(p, c, false); };
  return ParseWith(reader, path, summary, type, description, headerDate, drawingName, groundModelName);
}

bool ListFolderSekFiles(GrowArray* paths, const std::wstring& folder, bool print) {
  bool any = false;
  for (const host::FileInfo& info : host::ListFolder(folder + L"*.sek")) {
    if (info.attributes & host::kAttributeDirectory) continue;
    const std::wstring path = folder + info.name;
    if (path.size() >= static_cast<std::size_t>(kSekPathChars)) continue;  // never cut a path
    SekPath entry{};
    std::wmemcpy(entry.path, path.data(), path.size());
    if (!GrowArraySet(paths, paths->count, &entry)) return false;
    any = true;
    if (print) host::Printf(L"      %ls\n", info.name.c_str());
  }
  if (print && !any) host::Print(L"      (no section files found)\n");
  return true;
}

bool WalkSubfolders(GrowArray* paths, const std::wstring& folder, bool print, std::int32_t* folderCount) {
  host::Print(L"\r" + folder);
  host::PumpMessages();
  for (const host::FileInfo& info : host::ListFolder(folder + L"*.*")) {
    if (!(info.attributes & host::kAttributeDirectory) || info.name.starts_with(L".")) continue;
    const std::wstring sub = folder + info.name + host::kPathSeparator;
    if (!ListFolderSekFiles(paths, sub, print)) return false;
    ++*folderCount;
    if (!WalkSubfolders(paths, sub, print, folderCount)) return false;
  }
  return true;
}

bool CollectSekFiles(GrowArray* paths, bool recurse, const std::wstring& folder, bool print,
                     std::int32_t* folderCount) {
  std::int32_t count = 1;
  const std::wstring base = WithSeparator(folder);
  bool ok = ListFolderSekFiles(paths, base, print);
  if (ok && recurse) {
    ok = WalkSubfolders(paths, base, print, &count);
    host::Print(L"\n");
  }
  if (folderCount) *folderCount = count;
  return ok;
}

namespace {

void CopyCut(wchar_t* dest, std::size_t chars, const std::wstring& text) {
  const std::size_t n = std::min(text.size(), chars - 1);
  std::wmemcpy(dest, text.data(), n);
  dest[n] = 0;
}

int IntAt(const std::string& text, std::size_t at, std::size_t n) {
  if (at >= text.size()) return 0;
  return std::atoi(text.substr(at, n).c_str());
}

std::wstring DateKey(int year, int month, int day, int hour, int minute, int second) {
  wchar_t key[96];
  std::swprintf(key, 96, L"%4i-%02i-%02i_%02i:%02i:%02i", year, month, day, hour, minute, second);
  return key;
}

}  // namespace

bool ReadSekFileHeader(const std::wstring& path, SectionFileRecord* record, std::int32_t viewTypes) {
  std::memset(record, 0, sizeof *record);
  record->kind = kSekNotRead;
  record->type = 1;
  CopyCut(record->path, 261, path);
  const std::optional<host::FileInfo> info = host::GetFileInfo(path);
  if (!info || (info->attributes & host::kAttributeDirectory) || info->size <= 100) return false;
  record->size = static_cast<std::uint32_t>(info->size & 0xFFFFFFFFu);
  record->creationTime = ToSystemTime(info->creation_time);
  SekFileContent content;
  if (ReadLongSectionContent(path, &content))
    record->kind = kSekLongSection;
  else if (ReadCrossSectionContent(path, &content, false))
    record->kind = kSekCrossSection;
  else
    return false;
  ToSummary(content, &record->summary);
  record->type = content.type;
  CopyCut(record->description, 1024, content.description);
  CopyCut(record->headerDate, 1025, content.headerDate);
  CopyCut(record->drawingName, 261, content.drawingName);
  CopyCut(record->groundModelName, 261, content.groundModelName);
  if (content.headerDate.size() <= 30) {
    const SystemTime& t = record->creationTime;
    CopyCut(record->dateKey, 261, DateKey(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond));
  } else {
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    const std::string date = WideToNarrow(content.headerDate);
    int month = 1;
    std::size_t yearAt = 0;
    for (int m = 0; m < 12; ++m) {
      if (date.find(kMonths[m]) != std::string::npos) {
        month = m + 1;
        yearAt = 10 + std::strlen(kMonths[m]);
        break;
      }
    }
    const int year = IntAt(date, yearAt, 4);
    const int day = IntAt(date, 6, 2);
    int hour = 0, minute = 0, second = 0;
    if (const std::size_t t = date.find("Time: "); t != std::string::npos) {
      hour = IntAt(date, t + 6, 2);
      minute = IntAt(date, t + 9, 2);
      second = IntAt(date, t + 12, 2);
    }
    CopyCut(record->dateKey, 261, DateKey(year, month, day, hour, minute, second));
  }
  if (record->kind == kSekLongSection && !(viewTypes & 1)) return false;
  if (record->kind == kSekCrossSection && !(viewTypes & 2)) return false;
  return true;
}

bool ReadSekFileHeaders(GrowArray* records, const GrowArray* paths, std::int32_t viewTypes) {
  for (std::int32_t i = 0; i < paths->count; ++i) {
    SekPath entry;
    if (!GrowArrayGet(paths, i, &entry)) return false;
    auto record = std::make_unique<SectionFileRecord>();
    if (!ReadSekFileHeader(entry.path, record.get(), viewTypes)) continue;
    record->scanIndex = records->count;
    if (!GrowArraySet(records, records->count, record.get())) return false;
  }
  return true;
}
