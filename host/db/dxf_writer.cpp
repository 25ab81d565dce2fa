#include "host/db/dxf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/db/shortest_real.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {
constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::size_t kFirstMemorySize = 1 << 19;
}  // namespace

DxfWriter::DxfWriter(host::ReplacementFile& file)
    : DL_Writer(DL_VERSION_2000), file_(&file), buffer_(kBufferSize) {}

DxfWriter::DxfWriter() : DL_Writer(DL_VERSION_2000), file_(nullptr), buffer_(kFirstMemorySize) {}

DxfWriter::~DxfWriter() = default;

void DxfWriter::Reserve(std::size_t n) const {
  if (used_ + n <= buffer_.size()) return;
  if (file_ == nullptr) {
    buffer_.resize(std::max(2 * buffer_.size(), used_ + n));
    return;
  }
  Flush();
  if (n > buffer_.size()) buffer_.resize(n);
}

bool DxfWriter::Flush() const {
  if (file_ == nullptr) return !failed_;
  if (used_ > 0 && !failed_) {
    if (!file_->Write(buffer_.data(), used_)) failed_ = true;
    written_ += used_;
  }
  used_ = 0;
  return !failed_;
}

void DxfWriter::Append(DxfWriter& piece) {
  if (overlong_.empty()) overlong_ = piece.overlong_;
  if (notFinite_ == 0) notFinite_ = piece.notFinite_;
  // A large piece goes to the file as it is; a small one joins the buffer.
  if (file_ != nullptr && piece.used_ >= buffer_.size() / 4) {
    Flush();
    if (!failed_ && !file_->Write(piece.buffer_.data(), piece.used_)) failed_ = true;
    written_ += piece.used_;
  } else {
    Raw(piece.buffer_.data(), piece.used_);
  }
  piece.used_ = 0;
  piece.overlong_.clear();
  piece.notFinite_ = 0;
}

void DxfWriter::Raw(const char* data, std::size_t n) const {
  Reserve(n);
  std::memcpy(buffer_.data() + used_, data, n);
  used_ += n;
}

// Group codes right-aligned in three columns, as DXF writers do.
void DxfWriter::Code(int gc) const {
  Reserve(16);
  char* out = buffer_.data() + used_;
  if (gc < 0 || gc >= 10000) {
    char digits[12];
    auto result = std::to_chars(digits, digits + sizeof digits, gc);
    std::size_t n = static_cast<std::size_t>(result.ptr - digits);
    std::size_t pad = n < 3 ? 3 - n : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, digits, n);
    out[pad + n] = '\n';
    used_ += pad + n + 1;
    return;
  }
  const auto digit = [](int d) { return static_cast<char>('0' + d); };
  if (gc < 10) {
    out[0] = ' ';
    out[1] = ' ';
    out[2] = digit(gc);
    out[3] = '\n';
    used_ += 4;
  } else if (gc < 100) {
    out[0] = ' ';
    out[1] = digit(gc / 10);
    out[2] = digit(gc % 10);
    out[3] = '\n';
    used_ += 4;
  } else if (gc < 1000) {
    out[0] = digit(gc / 100);
    out[1] = digit(gc / 10 % 10);
    out[2] = digit(gc % 10);
    out[3] = '\n';
    used_ += 4;
  } else {
    out[0] = digit(gc / 1000);
    out[1] = digit(gc / 100 % 10);
    out[2] = digit(gc / 10 % 10);
    out[3] = digit(gc % 10);
    out[4] = '\n';
    used_ += 5;
  }
}

void DxfWriter::EndValue(std::size_t valueStart) const {
  if (used_ - valueStart > kMaxDxfLine && overlong_.empty())
    overlong_.assign(buffer_.data() + valueStart, 40);
  buffer_[used_++] = '\n';
}

void DxfWriter::SetEncoding(bool utf8, std::shared_ptr<const CodePage> page) {
  utf8_ = utf8;
  page_ = page && !page->Identity() ? std::move(page) : nullptr;
}

bool DxfWriter::CanHold(std::wstring_view text) const {
  if (utf8_) return true;
  std::string bytes;
  for (wchar_t unit : text) {
    if (unit < 0x80) continue;
    if (page_ == nullptr ? unit > 0xFF : !page_->EncodeUnit(unit, &bytes)) return false;
  }
  return true;
}

void DxfWriter::Angle(int gc, double radians) const {
  constexpr double kPi = 3.14159265358979323846;
  double degrees = radians * 180 / kPi;
  if (!std::isfinite(degrees)) return dxfReal(gc, degrees);
  char text[40];
  for (int precision = 1; precision <= 17; ++precision) {
    auto result = std::to_chars(text, text + sizeof text - 1, degrees, std::chars_format::general, precision);
    *result.ptr = '\0';
    double back = std::strtod(text, nullptr);
    if (back * kPi / 180 == radians || precision == 17) return dxfReal(gc, back);
  }
}

void DxfWriter::dxfReal(int gc, double value) const {
  if (!std::isfinite(value) && notFinite_ == 0) notFinite_ = gc == 0 ? -1 : gc;
  Code(gc);
  Reserve(kShortestRealRoom + 1);
  used_ = static_cast<std::size_t>(WriteShortestReal(buffer_.data() + used_, value) - buffer_.data());
  buffer_[used_++] = '\n';
}

void DxfWriter::dxfInt(int gc, int value) const {
  Code(gc);
  Reserve(24);
  auto result = std::to_chars(buffer_.data() + used_, buffer_.data() + used_ + 16, value);
  used_ = static_cast<std::size_t>(result.ptr - buffer_.data());
  buffer_[used_++] = '\n';
}

void DxfWriter::dxfHex(int gc, int value) const { Handle(gc, static_cast<std::uint32_t>(value)); }

void DxfWriter::Handle(int gc, std::uint64_t handle) const {
  Code(gc);
  Reserve(24);
  auto result = std::to_chars(buffer_.data() + used_, buffer_.data() + used_ + 20, handle, 16);
  for (char* p = buffer_.data() + used_; p < result.ptr; ++p)
    if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
  used_ = static_cast<std::size_t>(result.ptr - buffer_.data());
  buffer_[used_++] = '\n';
}

void DxfWriter::dxfString(int gc, const char* value) const { Narrow(gc, value); }

void DxfWriter::dxfString(int gc, const std::string& value) const { Narrow(gc, value); }

// Narrow text is already in the drawing's code page.
void DxfWriter::Narrow(int gc, std::string_view value) const {
  Code(gc);
  Reserve(2 * value.size() + 2);
  std::size_t start = used_;
  for (char c : value) {
    auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == '^') {
      buffer_[used_++] = '^';
      buffer_[used_++] = u == '^' ? ' ' : static_cast<char>(u + 64);
    } else {
      buffer_[used_++] = c;
    }
  }
  EndValue(start);
}

namespace {
// "\U+XXXX" (two of them for a unit above U+FFFF).
inline std::size_t EscapeUnit(char* out, std::uint32_t c) {
  static const char kHex[] = "0123456789ABCDEF";
  std::size_t n = 0;
  auto unit = [&](std::uint32_t u) {
    out[n++] = '\\';
    out[n++] = 'U';
    out[n++] = '+';
    for (int shift = 12; shift >= 0; shift -= 4) out[n++] = kHex[(u >> shift) & 0xF];
  };
  if (c > 0xFFFF) {
    c -= 0x10000;
    unit(0xD800 + (c >> 10));
    unit(0xDC00 + (c & 0x3FF));
  } else {
    unit(c);
  }
  return n;
}

// Appends one unit in the file's form (ANSI_1252: units below 256 are
// bytes).
inline std::size_t EncodeUnit(char* out, std::uint32_t c) {
  if (c >= 32 && c < 256 && c != '^') {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 32 || c == '^') {
    out[0] = '^';
    out[1] = c == '^' ? ' ' : static_cast<char>(c + 64);
    return 2;
  }
  return EscapeUnit(out, c);
}
}  // namespace

// One unit in the file's form: caret forms for control characters, then
// UTF-8, a byte of the code page, or "\U+XXXX".
std::size_t DxfWriter::Encode(char* out, std::uint32_t c) const {
  if (c < 0x80 || (page_ == nullptr && !utf8_)) return EncodeUnit(out, c);
  if (utf8_) {
    std::string bytes;
    host::AppendUtf8(bytes, static_cast<wchar_t>(c));
    std::memcpy(out, bytes.data(), bytes.size());
    return bytes.size();
  }
  std::string bytes;
  if (page_->EncodeUnit(static_cast<wchar_t>(c), &bytes)) {
    std::memcpy(out, bytes.data(), bytes.size());
    return bytes.size();
  }
  return EscapeUnit(out, c);
}

void DxfWriter::Text(int gc, std::wstring_view text) const {
  Code(gc);
  Reserve(14 * text.size() + 2);
  std::size_t start = used_;
  char* out = buffer_.data();
  for (wchar_t wc : text) {
    const auto c = static_cast<std::uint32_t>(wc);
    if (c >= 32 && c < 0x80 && c != '^') out[used_++] = static_cast<char>(c);
    else used_ += Encode(out + used_, c);
  }
  EndValue(start);
}

void DxfWriter::Kept(int gc, std::string_view value) const {
  Code(gc);
  bool ascii = true;
  for (char c : value) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii || utf8_) {
    Reserve(value.size() + 2);
    std::size_t start = used_;
    std::memcpy(buffer_.data() + used_, value.data(), value.size());
    used_ += value.size();
    EndValue(start);
    return;
  }
  std::wstring units = host::DecodeUtf8(value);
  Reserve(14 * units.size() + 2);
  std::size_t start = used_;
  for (wchar_t wc : units) used_ += Encode(buffer_.data() + used_, static_cast<std::uint32_t>(wc));
  EndValue(start);
}

void DxfWriter::Utf8Text(int gc, std::string_view text) const {
  Code(gc);
  Reserve(14 * text.size() + 2);
  std::size_t start = used_;
  std::size_t i = 0;
  while (i < text.size()) {
    auto b = static_cast<unsigned char>(text[i]);
    if (b >= 32 && b < 0x80 && b != '^') {
      buffer_[used_++] = static_cast<char>(b);
      ++i;
      continue;
    }
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    std::uint32_t c = extra == 3 ? (b & 0x07) : extra == 2 ? (b & 0x0F) : extra == 1 ? (b & 0x1F) : b;
    for (int k = 1; k <= extra && i + k < text.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += 1 + extra;
    used_ += Encode(buffer_.data() + used_, c);
  }
  EndValue(start);
}

void DxfWriter::Point(int gc, double x, double y, double z) const {
  dxfReal(gc, x);
  dxfReal(gc + 10, y);
  dxfReal(gc + 20, z);
}

void DxfWriter::Point2(int gc, double x, double y) const {
  dxfReal(gc, x);
  dxfReal(gc + 10, y);
}

}  // namespace host::db
