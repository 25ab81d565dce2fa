#include "host/ui/script_verbs.h"

#include <climits>

namespace host::ui {

bool IsDialogVerb(std::string_view verb) {
  return verb == kVerbSet || verb == kVerbClick || verb == kVerbDoubleClick ||
         verb == kVerbSelect || verb == kVerbFocus || verb == kVerbColumn ||
         verb == kVerbTimer || verb == kVerbWait || verb == kVerbEsc;
}

std::optional<long long> ParseWholeNumber(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  std::size_t digits = 0;
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
    const int d = text[i] - L'0';
    if (value > (LLONG_MAX - d) / 10) return std::nullopt;
    value = value * 10 + d;
  }
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  if (digits == 0 || i != text.size()) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace host::ui
