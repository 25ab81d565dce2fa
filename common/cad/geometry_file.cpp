#include "common/cad/geometry_file.h"

#include <bit>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

#include "common/containers/text.h"
#include "host/editor/support_path.h"
#include "host/system/files.h"
#include "host/system/replace_file.h"
#include "host/system/wide_text.h"

static_assert(std::endian::native == std::endian::little,
              "geometry files are little-endian and are copied byte for byte");

namespace {

// Header offsets shared by both binary files.
constexpr int kSignatureBytes = 40;
constexpr int kLeadBytes = 43;  // signature and 0x0A 0x1A 0x00
constexpr int kCountAt = 43;
constexpr int kRoadLengthAt = 47;
constexpr int kIdAt = 55;
constexpr int kIdBytes = 6;
constexpr int kDescriptionAt = 61;
constexpr int kDescriptionBytes = 128;
constexpr int kDesignSpeedAt = 189;
constexpr int kReservedDoublesAt = 197;
constexpr int kReservedShortsAt = 221;
constexpr int kFillerAt = 227;
constexpr int kFillerBytes = kGeometryHeaderBytes - kFillerAt;  // 797
// Vertical files.
constexpr int kFrameAt = 227;
constexpr int kKindAt = 299;
constexpr int kValuesAt = 300;

constexpr char kFillerRun[] = "1234567890123456789012345678901234567890123456789012345678901234";
constexpr char kFillerTail[] = "12345678901234567890123456789";
static_assert(sizeof kFillerRun - 1 == 64 && sizeof kFillerTail - 1 == 29);
static_assert(12 * 64 + 29 == kFillerBytes);

using Block = unsigned char[kGeometryHeaderBytes];

// ---- Paths and files ----

class File {
 public:
  File() = default;
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool Open(const wchar_t* path, const char* mode) {
    if (path == nullptr) return false;
    const std::optional<std::string> native = host::NativePath(path);
    if (!native || native->empty()) return false;
    file_ = std::fopen(native->c_str(), mode);
    return file_ != nullptr;
  }
  // True when the file closed cleanly (buffered writes included).
  bool Close() {
    if (file_ == nullptr) return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }
  std::FILE* get() const { return file_; }

  // Exactly `n` bytes or failure.
  bool Read(void* buffer, std::size_t n) { return std::fread(buffer, 1, n, file_) == n; }

  // Bytes from the current position to the end; -1 when unknown.
  long long Remaining() {
    const long here = std::ftell(file_);
    if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file_);
    if (end < 0 || std::fseek(file_, here, SEEK_SET) != 0) return -1;
    return static_cast<long long>(end) - here;
  }

 private:
  std::FILE* file_ = nullptr;
};

// ---- Fields ----

template <typename T>
T Get(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <typename T>
void Put(unsigned char* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

// Copies `count` wide units of a field into a zeroed narrow field, stopping
// at the terminator; units above 255 stay zero.
void NarrowField(unsigned char* out, const wchar_t* field, int count) {
  wchar_t units[kDescriptionBytes] = {};
  for (int i = 0; i < count && field[i] != L'\0'; ++i) units[i] = field[i];
  char narrow[kDescriptionBytes] = {};
  WideToNarrowN(narrow, units, count);
  std::memcpy(out, narrow, static_cast<std::size_t>(count));
}

// `count` narrow bytes into a wide field of count + 1 units, terminated.
void WideField(wchar_t* out, const unsigned char* field, int count) {
  char narrow[kDescriptionBytes];
  std::memcpy(narrow, field, static_cast<std::size_t>(count));
  NarrowToWideN(out, narrow, count);
  out[count] = L'\0';
}

void PutElement(unsigned char* at, const GeometryElement& e) {
  const double fields[13] = {e.startChainage, e.length, e.radiusStart, e.radiusEnd,
                             e.clothoidParameter, e.startX, e.startY, e.endX, e.endY,
                             e.centreX, e.centreY, e.headingStart, e.headingEnd};
  std::memcpy(at, fields, sizeof fields);
}

GeometryElement GetElement(const unsigned char* at) {
  double f[13];
  std::memcpy(f, at, sizeof f);
  GeometryElement e{};
  e.startChainage = f[0];
  e.length = f[1];
  e.radiusStart = f[2];
  e.radiusEnd = f[3];
  e.clothoidParameter = f[4];
  e.startX = f[5];
  e.startY = f[6];
  e.endX = f[7];
  e.endY = f[8];
  e.centreX = f[9];
  e.centreY = f[10];
  e.headingStart = f[11];
  e.headingEnd = f[12];
  return e;
}

// The fields from offset 40 to 226, common to both binary files.
void PutHeaderFields(unsigned char* block, const HzGeometry& h) {
  block[40] = 0x0A;
  block[41] = 0x1A;
  block[42] = 0x00;
  Put<std::int32_t>(block + kCountAt, h.elementCount);
  Put<double>(block + kRoadLengthAt, h.roadLength);
  NarrowField(block + kIdAt, h.id, kIdBytes);
  NarrowField(block + kDescriptionAt, h.description, kDescriptionBytes);
  Put<double>(block + kDesignSpeedAt, h.designSpeed);
  for (int i = 0; i < 3; ++i) {
    Put<double>(block + kReservedDoublesAt + 8 * i, h.reservedDouble[i]);
    Put<std::int16_t>(block + kReservedShortsAt + 2 * i, h.reservedShort[i]);
  }
}

void GetHeaderFields(const unsigned char* block, HzGeometry& h) {
  h.elementCount = Get<std::int32_t>(block + kCountAt);
  h.roadLength = Get<double>(block + kRoadLengthAt);
  WideField(h.id, block + kIdAt, kIdBytes);
  WideField(h.description, block + kDescriptionAt, kDescriptionBytes);
  h.designSpeed = Get<double>(block + kDesignSpeedAt);
  for (int i = 0; i < 3; ++i) {
    h.reservedDouble[i] = Get<double>(block + kReservedDoublesAt + 8 * i);
    h.reservedShort[i] = Get<std::int16_t>(block + kReservedShortsAt + 2 * i);
  }
}

void GetFrame(const unsigned char* block, VtProfile& frame) {
  const unsigned char* at = block + kFrameAt;
  frame.xOrigin = Get<double>(at);
  frame.yOrigin = Get<double>(at + 8);
  frame.verticalScale = Get<double>(at + 16);
  frame.datumLevel = Get<double>(at + 24);
  frame.startChainage = Get<double>(at + 32);
  frame.minX = Get<double>(at + 40);
  frame.maxX = Get<double>(at + 48);
  frame.minY = Get<double>(at + 56);
  frame.maxY = Get<double>(at + 64);
}

bool SameBytes(const unsigned char* a, const char* b, int n) { return std::memcmp(a, b, n) == 0; }

bool SameBytesNoCase(const unsigned char* a, const char* b, int n) {
  return host::SameIgnoringAsciiCase(std::string_view(reinterpret_cast<const char*>(a), static_cast<std::size_t>(n)),
                                     std::string_view(b, static_cast<std::size_t>(n)));
}

// Reads a 1024-byte header whose signature must equal `signature` exactly.
bool ReadHeaderBlock(File& file, const char* signature, Block& block) {
  if (!file.Read(block, kLeadBytes)) return false;
  if (!SameBytes(block, signature, kSignatureBytes)) return false;
  return file.Read(block + kLeadBytes, kGeometryHeaderBytes - kLeadBytes);
}

// Reads `count` elements into the list from index 0, after checking that the
// file holds them.
bool ReadElements(File& file, std::int32_t count, GrowArray& elements) {
  if (count < 0) return false;
  const long long remaining = file.Remaining();
  if (remaining < 0 || static_cast<long long>(count) * kGeometryElementBytes > remaining)
    return false;
  for (std::int32_t i = 0; i < count; ++i) {
    unsigned char bytes[kGeometryElementBytes];
    if (!file.Read(bytes, sizeof bytes)) return false;
    const GeometryElement e = GetElement(bytes);
    if (!GrowArraySet(&elements, i, &e)) return false;
  }
  return true;
}

bool OpenForReading(const wchar_t* path, File& file) { return file.Open(path, "rb"); }

// Reads one vertical block (header, frame and elements) after its
// signature; `extended` reads the kind and values instead of skipping them.
bool ReadVtBlock(File& file, HzGeometry& header, VtProfile& frame, GrowArray& elements,
                 bool extended, char* kind, double* value1, double* value2) {
  Block block;
  if (!ReadHeaderBlock(file, kVtSignature, block)) return false;
  GetHeaderFields(block, header);
  GetFrame(block, frame);
  if (extended) {
    *kind = static_cast<char>(block[kKindAt]);
    if (*kind != '1') {
      *value1 = Get<double>(block + kValuesAt);
      *value2 = Get<double>(block + kValuesAt + 8);
    }
  }
  return ReadElements(file, header.elementCount, elements);
}

// ---- ASCII lines ----

constexpr std::size_t kAsciiLineChars = 1023;

// The next line without its line end ("\r\n" or "\n"), cut to 1023
// characters; none at the end of the file.
std::optional<std::string> NextLine(std::FILE* file) {
  std::string line;
  int c = 0;
  bool any = false;
  while ((c = std::fgetc(file)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kAsciiLineChars + 1) line.push_back(static_cast<char>(c));
  }
  if (!any) return std::nullopt;
  if (!line.empty() && line.back() == '\r' && c == '\n') line.pop_back();
  if (line.size() > kAsciiLineChars) line.resize(kAsciiLineChars);
  return line;
}

// The value line of a label and value pair.
std::optional<std::string> NextValue(std::FILE* file) {
  if (!NextLine(file)) return std::nullopt;
  return NextLine(file);
}

bool NextDouble(std::FILE* file, double& value) {
  const std::optional<std::string> line = NextValue(file);
  if (!line) return false;
  value = std::strtod(line->c_str(), nullptr);
  return true;
}

bool NextInteger(std::FILE* file, long long& value) {
  const std::optional<std::string> line = NextValue(file);
  if (!line) return false;
  value = std::strtoll(line->c_str(), nullptr, 10);
  return true;
}

bool SkipLines(std::FILE* file, int n) {
  for (int i = 0; i < n; ++i)
    if (!NextLine(file)) return false;
  return true;
}

}  // namespace

bool ReadHzGeometryFile(const wchar_t* path, HzGeometry& header, GrowArray& elements) {
  File file;
  if (!OpenForReading(path, file)) return false;
  Block block;
  if (!ReadHeaderBlock(file, kHzSignature, block)) return false;
  GetHeaderFields(block, header);
  if (!ReadElements(file, header.elementCount, elements)) return false;
  if (header.elementCount > 0) {
    GeometryElement first{};
    if (!GrowArrayGet(&elements, 0, &first)) return false;
    header.startChainage = first.startChainage;
  }
  header.id[kIdBytes] = L'\0';
  return true;
}

bool WriteHzGeometryFile(const wchar_t* path, HzGeometry& header, const GrowArray& elements) {
  if (header.elementCount < 0 || header.elementCount > elements.count) return false;
  host::ReplacementFile out;
  if (path == nullptr || !out.Begin(path)) return false;
  Block block = {};
  std::memcpy(block, kHzSignature, kSignatureBytes);
  PutHeaderFields(block, header);
  for (int run = 0; run < 12; ++run) std::memcpy(block + kFillerAt + 64 * run, kFillerRun, 64);
  std::memcpy(block + kFillerAt + 12 * 64, kFillerTail, 29);
  out.Write(block, sizeof block);
  for (std::int32_t i = 0; i < header.elementCount && out.Ok(); ++i) {
    GeometryElement e{};
    if (!GrowArrayGet(&elements, i, &e)) {
      out.Fail();
      break;
    }
    unsigned char bytes[kGeometryElementBytes];
    PutElement(bytes, e);
    out.Write(bytes, sizeof bytes);
  }
  if (!out.Commit()) return false;
  header.id[kIdBytes] = L'\0';
  return true;
}

bool FindHzGeometryFile(const wchar_t* baseName, const wchar_t* id, wchar_t* foundPath) {
  const std::optional<std::wstring> found = host::FindFile(std::wstring(baseName) + L".hzg");
  if (!found || found->size() >= static_cast<std::size_t>(kHzPathChars)) return false;
  File file;
  if (!OpenForReading(found->c_str(), file)) return false;
  unsigned char lead[kIdAt + kIdBytes];
  if (!file.Read(lead, sizeof lead)) return false;
  if (!SameBytesNoCase(lead, kHzSignature, kSignatureBytes)) return false;
  wchar_t fileId[kHzIdChars];
  WideField(fileId, lead + kIdAt, kIdBytes);
  if (std::wcscmp(fileId, id) != 0) return false;
  CopyField(foundPath, kHzPathChars, *found);
  return true;
}

bool ReadHzGeometryAscii(const wchar_t* path, HzGeometry& header, GrowArray& elements) {
  File file;
  if (!OpenForReading(path, file)) return false;
  std::FILE* f = file.get();
  const std::optional<std::string> first = NextLine(f);
  if (!first || *first != kHzAsciiSignature) return false;

  long long count = 0;
  if (!NextInteger(f, count)) return false;
  // A count the record cannot hold, or a negative one, is not a geometry.
  if (count < 0 || count > INT32_MAX) return false;
  header.elementCount = static_cast<std::int32_t>(count);
  if (!NextDouble(f, header.roadLength)) return false;

  std::optional<std::string> id = NextValue(f);
  if (!id) return false;
  id->resize(kIdBytes, '\0');
  WideField(header.id, reinterpret_cast<const unsigned char*>(id->data()), kIdBytes);
  std::optional<std::string> description = NextValue(f);
  if (!description) return false;
  description->resize(kDescriptionBytes, '\0');
  WideField(header.description, reinterpret_cast<const unsigned char*>(description->data()),
            kDescriptionBytes);

  if (!NextDouble(f, header.designSpeed)) return false;
  for (double& value : header.reservedDouble)
    if (!NextDouble(f, value)) return false;
  for (std::int16_t& value : header.reservedShort) {
    long long v = 0;
    if (!NextInteger(f, v)) return false;
    value = static_cast<std::int16_t>(v);
  }
  if (!SkipLines(f, 14)) return false;

  for (std::int32_t i = 0; i < header.elementCount; ++i) {
    if (!SkipLines(f, 2)) return false;
    double v[13];
    for (double& value : v)
      if (!NextDouble(f, value)) return false;
    unsigned char bytes[kGeometryElementBytes];
    std::memcpy(bytes, v, sizeof v);
    const GeometryElement e = GetElement(bytes);
    if (!GrowArraySet(&elements, i, &e)) return false;
  }
  return true;
}

bool WriteHzGeometryAscii(const wchar_t* path, const HzGeometry& header,
                          const GrowArray& elements) {
  if (header.elementCount < 0 || header.elementCount > elements.count) return false;
  host::ReplacementFile out;
  if (path == nullptr || !out.Begin(path)) return false;
  char id[kIdBytes + 1] = {};
  NarrowField(reinterpret_cast<unsigned char*>(id), header.id, kIdBytes);
  char description[kDescriptionBytes + 1] = {};
  NarrowField(reinterpret_cast<unsigned char*>(description), header.description,
              kDescriptionBytes);

  std::string text;
  char line[1024];
  auto add = [&](const char* format, auto... values) {
    std::snprintf(line, sizeof line, format, values...);
    text += line;
  };
  text += kHzAsciiSignature;
  text += "\n";
  add("Qty of elements (Remember to update when manually editing!):\n%d\n",
      static_cast<int>(header.elementCount));
  add("Road Length (Remember to update when manually editing!):\n%lf\n", header.roadLength);
  add("Geom ID (internal variable, do not edit):\n%s\n", id);
  text += "Description:\n";
  text += description;
  text += "\n";
  add("Design speed (used in transition calculations when adding new elements):\n%lf\n",
      header.designSpeed);
  add("Reserved double 1:\n%lf\n", header.reservedDouble[0]);
  add("Reserved double 2:\n%lf\n", header.reservedDouble[1]);
  add("Reserved double 3:\n%lf\n", header.reservedDouble[2]);
  for (std::int16_t value : header.reservedShort)
    add("Reserved short int 1:\n%i\n", static_cast<int>(value));
  text += "Reserved header:\n";
  for (int run = 0; run < 12; ++run) {
    text += kFillerRun;
    text += "\n";
  }
  text += kFillerTail;
  text += "\n";
  out.Write(text.data(), text.size());

  for (std::int32_t i = 0; i < header.elementCount && out.Ok(); ++i) {
    GeometryElement e{};
    if (!GrowArrayGet(&elements, i, &e)) {
      out.Fail();
      break;
    }
    text.clear();
    add("\nGEOMETRY ELEMENT %d of %d:\n", static_cast<int>(i + 1),
        static_cast<int>(header.elementCount));
    add("Start chainage:\n%lf\n", e.startChainage);
    add("Element length:\n%lf\n", e.length);
    add("Radius at start - negative = right, positive = left:\n%lf\n", e.radiusStart);
    add("Radius at end - negative = right, positive = left:\n%lf\n", e.radiusEnd);
    add("Transition (clothoid) parameter = sqrt(minRadius * Length):\n%lf\n",
        e.clothoidParameter);
    add("X at start:\n%lf\n", e.startX);
    add("Y at start:\n%lf\n", e.startY);
    add("X at end:\n%lf\n", e.endX);
    add("Y at end:\n%lf\n", e.endY);
    add("X centre:\n%lf\n", e.centreX);
    add("Y centre:\n%lf\n", e.centreY);
    add("Heading at start - radians, east = 0, north = PI / 2, west = PI etc.:\n%lf\n",
        e.headingStart);
    add("Heading at end - radians, east = 0, north = PI / 2, west = PI etc.:\n%lf\n",
        e.headingEnd);
    out.Write(text.data(), text.size());
  }
  return out.Commit();
}

bool ReadVtGeometryFile(const wchar_t* path, HzGeometry& header, VtProfile& frame,
                        GrowArray& elements) {
  File file;
  if (!OpenForReading(path, file)) return false;
  header.path[0] = L'\0';
  header.baseName[0] = L'\0';
  CopyField(frame.sourcePath, path);
  if (!ReadVtBlock(file, header, frame, elements, false, nullptr, nullptr, nullptr)) return false;
  header.id[kIdBytes] = L'\0';
  return true;
}

bool ReadVtGeometryFileEx(const wchar_t* path, HzGeometry& header, VtProfile& frame,
                          GrowArray& elements, HzGeometry& secondHeader, VtProfile& secondFrame,
                          GrowArray& secondElements, char& kind, double& value1,
                          double& value2) {
  kind = 'A';
  value1 = 0.0;
  value2 = 0.0;
  File file;
  if (!OpenForReading(path, file)) return false;
  header.path[0] = L'\0';
  header.baseName[0] = L'\0';
  CopyField(frame.sourcePath, path);
  if (!ReadVtBlock(file, header, frame, elements, true, &kind, &value1, &value2)) return false;
  if (kind == 'B') {
    secondHeader.path[0] = L'\0';
    secondHeader.baseName[0] = L'\0';
    CopyField(secondFrame.sourcePath, path);
    if (!ReadVtBlock(file, secondHeader, secondFrame, secondElements, false, nullptr, nullptr,
                     nullptr))
      return false;
  }
  header.id[kIdBytes] = L'\0';
  return true;
}
