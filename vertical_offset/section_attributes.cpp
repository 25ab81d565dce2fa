#include "vertical_offset/section_attributes.h"

#include <cwchar>
#include <string>
#include <string_view>

#include "common/containers/text.h"
#include "vertical_offset/section_text.h"

namespace {

constexpr const wchar_t* kAttributeKeys[kSectionAttributeCount] = {
    L"numeric_name", L"description", L"water_level", L"type", L"notes", L"structure_dim",
    L"structure_skew_angle", L"survey_date", L"survey_time", L"survey_method"};

// A tag's key or value, cut at kTagTextSize - 1 characters.
void Append(std::wstring& text, wchar_t c) {
  if (text.size() < kTagTextSize - 1) text += c;
}

}  // namespace

bool ParseSectionAttributes(const wchar_t* text, SectionAttributes& attributes) {
  if (text == nullptr) return false;
  bool inTag = false;
  bool inValue = false;
  bool recognised = false;
  std::wstring key;
  std::wstring value;
  for (const wchar_t* p = text; *p != L'\0'; ++p) {
    const wchar_t c = *p;
    if (c == L'>') {
      if (inTag && !key.empty() && !value.empty() &&
          FindSectionAttributeKey(key.c_str(), value.c_str(), attributes))
        recognised = true;
      inTag = false;
      inValue = false;
    } else if (c == L'<' && !inValue) {
      inTag = true;
      key.clear();
      value.clear();
    } else if (c == L':' && inTag && !inValue) {
      inValue = true;
    } else if (inTag) {
      Append(inValue ? value : key, c);
    }
  }
  return recognised;
}

bool FindSectionAttributeKey(const wchar_t* key, const wchar_t* value, SectionAttributes& attributes) {
  for (int i = 0; i < kSectionAttributeCount; ++i) {
    if (SameTextIgnoringCase(key, kAttributeKeys[i])) {
      CopyField(attributes.values[i], value);
      return true;
    }
  }
  if (SameTextIgnoringCase(key, L"complex_group")) {
    attributes.complexGroup = value[0] == L'Y';
    return true;
  }
  return false;
}

bool GetTagValue(const wchar_t* text, wchar_t* key, wchar_t* value) {
  std::wstring k;
  std::wstring v;
  bool inTag = false;
  bool inValue = false;
  bool ended = false;
  for (const wchar_t* p = text; p != nullptr && *p != L'\0'; ++p) {
    const wchar_t c = *p;
    if (c == L'>') {
      ended = true;
      break;
    } else if (c == L'<' && !inValue) {
      inTag = true;
      k.clear();
      v.clear();
    } else if (c == L':' && inTag && !inValue && !k.empty()) {
      inValue = true;
    } else if (inTag) {
      Append(inValue ? v : k, c);
    }
  }
  CopyField(key, kTagTextSize, k);
  CopyField(value, kTagTextSize, v);
  return ended && !k.empty() && !v.empty();
}

bool WildcardMatch(const wchar_t* name, const wchar_t* pattern) {
  const std::size_t patternLength = std::wcslen(pattern);
  for (std::size_t i = 0; name[i] != L'\0'; ++i) {
    const wchar_t p = i < patternLength ? pattern[i] : L'\0';
    if (name[i] != p && name[i] != L'?' && p != L'?') return false;
  }
  return true;
}
