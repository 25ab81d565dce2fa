#include "host/editor/command_line.h"

#include <cwchar>

#include "host/system/user_actions.h"

namespace host {
namespace {

struct CommandLine {
  std::vector<std::wstring> lines{std::wstring()};
  std::size_t column = 0;  // where the next character goes on the last line
};

CommandLine& State() {
  static CommandLine state;
  return state;
}

void Render(std::wstring_view text) {
  CommandLine& cl = State();
  for (wchar_t c : text) {
    if (c == L'\n') {
      cl.lines.emplace_back();
      cl.column = 0;
    } else if (c == L'\r') {
      cl.column = 0;
    } else {
      std::wstring& line = cl.lines.back();
      if (cl.column < line.size())
        line[cl.column] = c;
      else
        line.push_back(c);
      ++cl.column;
    }
  }
}

}  // namespace

void Print(std::wstring_view text) {
  Shown().Add("print", std::wstring(text));
  Render(text);
}

void VPrintf(const wchar_t* format, std::va_list args) {
  wchar_t buffer[8192] = {};
  int n = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);
  // vswprintf fails on a result that does not fit; the buffer then holds a
  // cut text, terminated at its last position.
  if (n < 0) buffer[sizeof buffer / sizeof buffer[0] - 1] = L'\0';
  Print(buffer);
}

void Printf(const wchar_t* format, ...) {
  std::va_list args;
  va_start(args, format);
  VPrintf(format, args);
  va_end(args);
}

void ShowPrompt(std::wstring_view prompt) {
  Shown().Add("prompt", std::wstring(prompt));
  Render(prompt);
}

void EchoInput(std::wstring_view answer) {
  Shown().Add("input", std::wstring(answer));
  Render(answer);
}

void NoteInputRanOut(std::wstring_view what) {
  Print(L"\n*Cancel* (no more input for the " + std::wstring(what) + L")\n");
}

const std::vector<std::wstring>& CommandLineLines() { return State().lines; }

std::wstring CommandLineText() {
  std::wstring text;
  const auto& lines = State().lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += L'\n';
    text += lines[i];
  }
  return text;
}

void ClearCommandLine() { State() = CommandLine(); }

}  // namespace host
