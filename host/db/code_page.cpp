#include "host/db/code_page.h"

#include <iconv.h>

#include <cstring>
#include <map>
#include <mutex>

namespace host::db {
namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// The system's name of a DXF code page; "" for the identity reading.
std::string SystemName(const std::string& name, bool* multiByte) {
  *multiByte = false;
  if (name == "ANSI_1252" || name.empty()) return "";
  std::string digits;
  if (name.rfind("ANSI_", 0) == 0) digits = name.substr(5);
  else if (name.rfind("DOS", 0) == 0) digits = name.substr(3);
  else return "";
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return "";
  if (digits == "932" || digits == "936" || digits == "949" || digits == "950" || digits == "1361")
    *multiByte = true;
  return "CP" + digits;
}

// Runs iconv over `in`; false when it stops on a byte or unit it cannot take.
bool Convert(const char* to, const char* from, std::string_view in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->assign(in.size() * 4 + 8, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = out->data();
  std::size_t dstLeft = out->size();
  std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || srcLeft != 0) return false;
  out->resize(out->size() - dstLeft);
  return true;
}

}  // namespace

std::shared_ptr<const CodePage> CodePage::Default() {
  static const std::shared_ptr<const CodePage> page = Named("ANSI_1252");
  return page;
}

std::shared_ptr<const CodePage> CodePage::Named(std::string_view requested) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const CodePage>> made;
  std::string name = Upper(requested);
  std::lock_guard<std::mutex> lock(mutex);
  if (auto it = made.find(name); it != made.end()) return it->second;
  auto page = std::make_shared<CodePage>();
  page->name_ = name;
  page->system_ = SystemName(name, &page->multiByte_);
  for (int b = 0; b < 256; ++b) page->units_[static_cast<std::size_t>(b)] = static_cast<wchar_t>(b);
  if (!page->system_.empty()) {
    std::string probe;
    if (!Convert("UTF-32LE", page->system_.c_str(), "A", &probe)) {
      page->system_.clear();  // a code page the system does not know: bytes are units
      page->multiByte_ = false;
    } else {
      page->identity_ = false;
      if (!page->multiByte_) {
        for (int b = 128; b < 256; ++b) {
          char byte = static_cast<char>(b);
          std::string unit;
          wchar_t u = static_cast<wchar_t>(b);
          if (Convert("UTF-32LE", page->system_.c_str(), std::string_view(&byte, 1), &unit) && unit.size() == 4) {
            std::uint32_t value = 0;
            std::memcpy(&value, unit.data(), 4);
            u = static_cast<wchar_t>(value);
          }
          page->units_[static_cast<std::size_t>(b)] = u;
        }
      }
    }
  }
  made[name] = page;
  return page;
}

std::wstring CodePage::Decode(std::string_view bytes) const {
  std::wstring out;
  if (multiByte_) {
    std::string units;
    if (Convert("UTF-32LE", system_.c_str(), bytes, &units)) {
      out.reserve(units.size() / 4);
      for (std::size_t i = 0; i + 4 <= units.size(); i += 4) {
        std::uint32_t value = 0;
        std::memcpy(&value, units.data() + i, 4);
        out.push_back(static_cast<wchar_t>(value));
      }
      return out;
    }
    // Bytes the code page does not take are read one unit each.
  }
  out.reserve(bytes.size());
  for (char c : bytes) out.push_back(units_[static_cast<unsigned char>(c)]);
  return out;
}

bool CodePage::EncodeUnit(wchar_t unit, std::string* out) const {
  if (unit < 0x80) {
    out->push_back(static_cast<char>(unit));
    return true;
  }
  if (identity_) {
    if (unit > 0xFF) return false;
    out->push_back(static_cast<char>(unit));
    return true;
  }
  if (!multiByte_) {
    for (int b = 128; b < 256; ++b)
      if (units_[static_cast<std::size_t>(b)] == unit) {
        out->push_back(static_cast<char>(b));
        return true;
      }
    return false;
  }
  std::uint32_t value = static_cast<std::uint32_t>(unit);
  std::string bytes;
  if (!Convert(system_.c_str(), "UTF-32LE", std::string_view(reinterpret_cast<const char*>(&value), 4), &bytes))
    return false;
  out->append(bytes);
  return true;
}

}  // namespace host::db
