#include "host/lisp/host_functions.h"

#include <cwchar>

#include "host/system/user_actions.h"

namespace host::lisp {
namespace {

// Parses a whole decimal integer; false on anything else.
bool ParseIndex(const std::wstring& text, long* out) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  long v = std::wcstol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != L'\0') return false;
  *out = v;
  return true;
}

CallResult ColourDialog(const std::vector<Value>& args) {
  if (args.empty()) return Failed<Value>(L"too few arguments");
  if (args.size() > 2) return Failed<Value>(L"too many arguments");
  if (!args[0].IsInteger()) return Failed<Value>(L"bad argument type: fixnump: " + ToLispText(args[0]));
  const bool by_choices = args.size() < 2 || !args[1].IsNil();
  const int lowest = by_choices ? 0 : 1;
  const int highest = by_choices ? 256 : 255;

  Shown().Add("dialog", L"Select Color (" + std::to_wstring(args[0].integer()) + L")");
  const WaitingScope waiting({[&args, lowest, highest] {
    return L"Colour dialog \"Select Color\" (colour " + std::to_wstring(args[0].integer()) +
           L" chosen at the start)\nAnswer: !color N (" + std::to_wstring(lowest) + L" to " +
           std::to_wstring(highest) + L") | !esc";
  }});
  const NextAction next = TakeNextAction({"color", "esc"});
  if (next.taken() && next.action.verb == "color") {
    const UserAction& answer = next.action;
    long index = 0;
    if (ParseIndex(answer.Arg(0), &index) && index >= lowest && index <= highest) {
      Shown().Add("dialog", L"Select Color: " + std::to_wstring(index));
      return Success(Value::Short(static_cast<std::int16_t>(index)));
    }
    Shown().Add("script", L"The colour dialog does not offer the colour \"" + answer.Arg(0) +
                              L"\": cancelled");
    return Success(Value());
  }
  if (next.taken()) {  // Esc
    Shown().Add("dialog", L"Select Color: cancelled");
    return Success(Value());
  }
  Shown().Add("script", L"No answer for the colour dialog in the script: cancelled");
  return Success(Value());
}

CallResult HelpDialog(const std::vector<Value>& args) {
  if (args.empty()) return Failed<Value>(L"too few arguments");
  if (args.size() > 2) return Failed<Value>(L"too many arguments");
  for (const Value& arg : args)
    if (!arg.IsString()) return Failed<Value>(L"bad argument type: stringp: " + ToLispText(arg));
  std::wstring text = args[0].text();
  if (args.size() > 1) text += L" " + args[1].text();
  Shown().Add("help", text);
  return Success(Value());
}

}  // namespace

std::vector<std::pair<std::wstring, HostFunction>> StandardHostFunctions() {
  return {
      {L"acad_colordlg", ColourDialog},
      {L"acad_helpdlg", HelpDialog},
  };
}

}  // namespace host::lisp
