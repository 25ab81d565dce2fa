// The DXF output stream: dxflib's writer interface over a large buffer, with
// exact shortest real numbers, 64-bit handles and the drawing's narrow text
// encoding. Every write is checked; the first failure sticks.
//
// A writer made without a file keeps its text in memory, for a piece of the
// file made apart (on another thread): Append writes it into the file's
// writer in its place.
#pragma once

#include "host/system/replace_file.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <dxflib/dl_writer.h>

#include "host/db/code_page.h"

namespace host::db {

class DxfWriter : public DL_Writer {
 public:
  // Writes into `file`, a new version being written beside its target.
  explicit DxfWriter(host::ReplacementFile& file);
  // A writer into memory.
  DxfWriter();
  ~DxfWriter() override;
  DxfWriter(const DxfWriter&) = delete;
  DxfWriter& operator=(const DxfWriter&) = delete;

  // Writes the text of `piece`, a writer into memory in the same encoding,
  // as if written here, and empties it. Its first overlong value and its
  // first real that is not finite count as met here, after any met before.
  void Append(DxfWriter& piece);

  // dxflib's writer interface.
  void dxfReal(int gc, double value) const override;
  void dxfInt(int gc, int value) const override;
  void dxfHex(int gc, int value) const override;
  void dxfString(int gc, const char* value) const override;
  void dxfString(int gc, const std::string& value) const override;

  // Text from here on is written in UTF-8 (R2007 and later) or in the code
  // page (before R2007; the default, ANSI_1252).
  void SetEncoding(bool utf8, std::shared_ptr<const CodePage> page);
  bool Utf8() const { return utf8_; }
  // True when the encoding holds every unit of `text`.
  bool CanHold(std::wstring_view text) const;

  void Handle(int gc, std::uint64_t handle) const;
  // An angle in radians, written in degrees: the shortest decimal that
  // reads back as the same radians (30 degrees read stay 30).
  void Angle(int gc, double radians) const;
  // A value line kept as read (UTF-8): written in the file's encoding, with
  // nothing else changed.
  void Kept(int gc, std::string_view value) const;
  void Text(int gc, std::wstring_view text) const;
  // UTF-8 text (as xdata holds it).
  void Utf8Text(int gc, std::string_view text) const;
  void Point(int gc, double x, double y, double z) const;
  void Point2(int gc, double x, double y) const;

  // Writes what is buffered; false when any write failed so far.
  bool Flush() const;
  bool Failed() const { return failed_; }
  // The first value too long for a DXF line, if any ("" when none).
  const std::string& Overlong() const { return overlong_; }
  // The group code of the first real that was not a finite number; 0 when
  // none.
  int NotFinite() const { return notFinite_; }
  std::uint64_t BytesWritten() const { return written_; }

 private:
  void Code(int gc) const;
  void Narrow(int gc, std::string_view value) const;
  void Raw(const char* data, std::size_t n) const;
  void EndValue(std::size_t valueStart) const;
  void Reserve(std::size_t n) const;
  std::size_t Encode(char* out, std::uint32_t unit) const;

  host::ReplacementFile* file_;  // null for a writer into memory
  mutable std::vector<char> buffer_;
  mutable std::size_t used_ = 0;
  mutable bool failed_ = false;
  mutable std::string overlong_;
  mutable std::uint64_t written_ = 0;
  mutable int notFinite_ = 0;
  bool utf8_ = false;
  std::shared_ptr<const CodePage> page_;
};

// The longest value line that dxflib reads back whole.
inline constexpr std::size_t kMaxDxfLine = 1022;

}  // namespace host::db
