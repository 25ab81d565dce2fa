#include "host/system/wide_text.h"

namespace host {

std::wstring WidenText(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    if (c == 0) break;
    out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string NarrowText(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t unit : text) {
    if (unit <= 0 || unit > 255) break;
    out.push_back(static_cast<char>(static_cast<unsigned char>(unit)));
  }
  return out;
}

}  // namespace host
