// The narrow text of a DXF file before R2007: bytes in the drawing's code
// page ($DWGCODEPAGE, "ANSI_1252" and the like). Units the code page cannot
// hold are written "\U+XXXX", as DXF does.
//
// ANSI_1252, and any code page the system does not know, maps byte n to
// unit n, so bytes read are written back as they were.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace host::db {

class CodePage {
 public:
  // The code page of a $DWGCODEPAGE value (case ignored).
  static std::shared_ptr<const CodePage> Named(std::string_view name);
  // ANSI_1252.
  static std::shared_ptr<const CodePage> Default();

  const std::string& Name() const { return name_; }
  // True when bytes are units (the ANSI_1252 reading).
  bool Identity() const { return identity_; }
  bool MultiByte() const { return multiByte_; }

  // The units of file bytes (caret forms and "\U+" escapes are left alone).
  std::wstring Decode(std::string_view bytes) const;
  // The bytes of one unit; false when the code page cannot hold it.
  bool EncodeUnit(wchar_t unit, std::string* out) const;

 private:
  std::string name_;
  std::string system_;  // the iconv name
  bool identity_ = true;
  bool multiByte_ = false;
  std::array<wchar_t, 256> units_{};  // byte -> unit (single-byte pages)
};

}  // namespace host::db
