#include "host/editor/prompts.h"

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "host/editor/command_line.h"
#include "host/system/user_actions.h"
#include "host/system/wide_text.h"
#include "host/editor/system_variables.h"

namespace host {
namespace detail {

Status TakeTypedAnswer(std::wstring_view prompt, std::wstring* answer) {
  ShowPrompt(prompt);
  return TakeAnswer(answer);
}

Status TakeAnswer(std::wstring* answer) {
  // The prompt on the command line says what it asks: typed text answers it.
  const WaitingScope waiting({[] { return std::wstring(); }, true});
  return TakeAnswer(TakeNextAction({"type", "esc", "error"}), answer);
}

Status TakeAnswer(const NextAction& next, std::wstring* answer) {
  if (next.found == ActionFound::kNone) {
    NoteInputRanOut(L"prompt");
    return Status::kCancel;
  }
  const UserAction& action = next.action;
  if (next.taken() && action.verb == "type") {
    *answer = action.Arg(0);
    EchoInput(*answer);
    return Status::kNormal;
  }
  if (next.taken() && action.verb == "esc") {
    Print(L"*Cancel*\n");
    return Status::kCancel;
  }
  if (next.taken() && action.verb == "error") {
    const UserAction& error = action;
    double errno_value = 0;
    // ERRNO is a 16-bit number: anything else stands for no number at all.
    if (!ParseReal(error.Arg(0), &errno_value) || errno_value < -32768 || errno_value > 32767) errno_value = 0;
    (void)SetSystemVariable(L"ERRNO", static_cast<int>(errno_value));
    return Status::kError;
  }
  // Someone else's action (a dialog click, a selection): the prompt ends as
  // a cancel and leaves it for whoever waits for it.
  Print(L"*Cancel*\n");
  return Status::kCancel;
}

bool ParseReal(std::wstring_view text, double* value) {
  std::wstring s(text);
  std::size_t first = s.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return false;
  std::size_t last = s.find_last_not_of(L" \t");
  s = s.substr(first, last - first + 1);
  wchar_t* end = nullptr;
  errno = 0;
  double v = std::wcstod(s.c_str(), &end);
  if (end == s.c_str() || *end != L'\0' || errno == ERANGE || !std::isfinite(v)) return false;
  // wcstod also reads "inf", "nan" and hexadecimal forms, which the host
  // does not take as numbers.
  for (wchar_t c : s)
    if (!(std::iswdigit(c) || c == L'.' || c == L'-' || c == L'+' || c == L'e' || c == L'E'))
      return false;
  *value = v;
  return true;
}

}  // namespace detail

Input<std::wstring> GetString(bool allow_spaces, std::wstring_view prompt) {
  std::wstring answer;
  Status status = detail::TakeTypedAnswer(prompt, &answer);
  if (status != Status::kNormal) return {status, {}};
  if (!allow_spaces) {
    std::size_t blank = answer.find(L' ');
    if (blank != std::wstring::npos) answer.resize(blank);
  }
  if (answer.size() > kMaxInputLength) return {Status::kError, {}};
  return {Status::kNormal, answer};
}

Input<int> GetInteger(std::wstring_view prompt) {
  for (;;) {
    std::wstring answer;
    Status status = detail::TakeTypedAnswer(prompt, &answer);
    if (status != Status::kNormal) return {status, 0};
    if (answer.find_first_not_of(L" \t") == std::wstring::npos) return {Status::kNone, 0};
    double value = 0;
    if (!detail::ParseReal(answer, &value) || value != std::floor(value) ||
        answer.find_first_of(L".eE") != std::wstring::npos) {
      Print(L"\nRequires an integer value.");
      continue;
    }
    if (value < -32768 || value > 32767) {
      Print(L"\nRequires an integer between -32768 and 32767.");
      continue;
    }
    return {Status::kNormal, static_cast<int>(value)};
  }
}

Input<double> GetReal(std::wstring_view prompt) {
  for (;;) {
    std::wstring answer;
    Status status = detail::TakeTypedAnswer(prompt, &answer);
    if (status != Status::kNormal) return {status, 0.0};
    if (answer.find_first_not_of(L" \t") == std::wstring::npos) return {Status::kNone, 0.0};
    double value = 0;
    if (detail::ParseReal(answer, &value)) return {Status::kNormal, value};
    Print(L"\nRequires numeric value.");
  }
}

Input<std::wstring> GetKeyword(std::wstring_view prompt, std::initializer_list<std::wstring_view> keywords) {
  for (;;) {
    Input<std::wstring> answer = GetString(false, prompt);
    if (!answer.ok() || answer.value.empty()) return answer;
    const std::wstring typed = LowerAscii(answer.value);
    std::wstring_view match;
    int matches = 0;
    for (std::wstring_view keyword : keywords) {
      const std::wstring lower = LowerAscii(keyword);
      if (lower == typed) {  // a whole keyword wins over the keywords it starts
        match = keyword;
        matches = 1;
        break;
      }
      if (lower.compare(0, typed.size(), typed) == 0) {
        match = keyword;
        ++matches;
      }
    }
    if (matches == 1) return {Status::kNormal, std::wstring(match)};
    Print(L"\nInvalid option keyword.");
  }
}

}  // namespace host
