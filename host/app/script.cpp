#include "host/app/script.h"

#include <cwctype>

#include "host/lisp/reader.h"

namespace host {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Splits marked-action arguments; false with a message on a bad quote.
bool SplitArgs(std::wstring_view text, std::vector<std::wstring>* args, std::wstring* error) {
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) break;
    std::wstring arg;
    if (text[i] == L'"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        wchar_t c = text[i++];
        if (c == L'"') {
          closed = true;
          break;
        }
        if (c == L'\\' && i < text.size() && (text[i] == L'"' || text[i] == L'\\')) c = text[i++];
        arg.push_back(c);
      }
      if (!closed) {
        *error = L"a quoted argument has no closing quote";
        return false;
      }
      if (i < text.size() && !IsBlank(text[i])) {
        *error = L"a quoted argument runs into the next one";
        return false;
      }
    } else {
      while (i < text.size() && !IsBlank(text[i])) arg.push_back(text[i++]);
    }
    args->push_back(std::move(arg));
  }
  return true;
}

bool ValidVerb(std::wstring_view verb) {
  if (verb.empty()) return false;
  for (wchar_t c : verb)
    if (!((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_')) return false;
  return true;
}

LineParse Error(std::wstring message) {
  LineParse p;
  p.kind = LineKind::kError;
  p.error = std::move(message);
  return p;
}

LineParse Action(std::string verb, std::vector<std::wstring> args) {
  LineParse p;
  p.kind = LineKind::kAction;
  p.action = UserAction{std::move(verb), std::move(args)};
  return p;
}

bool IsNumber(const std::wstring& text) {
  if (text.empty()) return false;
  std::size_t i = (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (!std::iswdigit(text[i])) return false;
  return true;
}

LineParse ParseMarked(std::wstring_view body);

LineParse ParseAt(const std::vector<std::wstring>& head, std::wstring_view rest) {
  if (head.size() < 2 || (head[0] != L"pump" && head[0] != L"poll"))
    return Error(L"!at needs 'pump' or 'poll', a count and an action");
  if (!IsNumber(head[1]) || head[1][0] == L'-' || head[1] == L"0" || head[1].size() > 6)
    return Error(L"!at needs a count from 1 up, not \"" + head[1] + L"\"");
  std::size_t start = 0;
  while (start < rest.size() && IsBlank(rest[start])) ++start;
  if (start >= rest.size() || rest[start] != L'!')
    return Error(L"!at needs a marked action after the count (\"!esc\", \"!dlg_click 239\")");
  LineParse inner = ParseMarked(rest.substr(start + 1));
  if (inner.kind == LineKind::kError) return inner;
  if (inner.action.verb == "at") return Error(L"!at cannot time another !at");
  std::vector<std::wstring> args = {head[0], head[1],
                                    std::wstring(inner.action.verb.begin(), inner.action.verb.end())};
  args.insert(args.end(), inner.action.args.begin(), inner.action.args.end());
  return Action("at", std::move(args));
}

// `body` is the line after its '!'.
LineParse ParseMarked(std::wstring_view body) {
  std::size_t end = 0;
  while (end < body.size() && !IsBlank(body[end])) ++end;
  const std::wstring verb(body.substr(0, end));
  if (!ValidVerb(verb)) return Error(L"\"!" + verb + L"\" is not an action (letters, digits and '_')");
  std::string narrow(verb.begin(), verb.end());
  std::wstring_view rest = body.substr(end);
  if (verb == L"type") {
    if (!rest.empty()) rest.remove_prefix(1);  // the one blank after the verb
    return Action("type", {std::wstring(rest)});
  }
  if (verb == L"at") {
    // The count and kind are the first two words; the rest is the action.
    std::vector<std::wstring> head;
    std::size_t i = 0;
    for (int word = 0; word < 2; ++word) {
      while (i < rest.size() && IsBlank(rest[i])) ++i;
      std::size_t s = i;
      while (i < rest.size() && !IsBlank(rest[i])) ++i;
      if (i > s) head.emplace_back(rest.substr(s, i - s));
    }
    return ParseAt(head, rest.substr(i));
  }
  std::vector<std::wstring> args;
  std::wstring error;
  if (!SplitArgs(rest, &args, &error)) return Error(error);
  auto count_between = [&](std::size_t lo, std::size_t hi) -> bool {
    return args.size() >= lo && args.size() <= hi;
  };
  if ((verb == L"esc" || verb == L"new") && !args.empty())
    return Error(L"!" + verb + L" takes no arguments");
  if (verb == L"error" && (!count_between(0, 1) || (args.size() == 1 && !IsNumber(args[0]))))
    return Error(L"!error takes at most one number (the ERRNO value)");
  if (verb == L"pick" && args.size() != 1)
    return Error(L"!pick takes one entity handle or one point x,y");
  if ((verb == L"open" || verb == L"load" || verb == L"unload") && args.size() != 1)
    return Error(L"!" + verb + L" takes one file name");
  if (verb == L"save" && !count_between(0, 1)) return Error(L"!save takes at most one file name");
  return Action(narrow, std::move(args));
}

}  // namespace

LineParse ParseScriptLine(std::wstring_view line) {
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  if (first == line.size()) return Action("type", {std::wstring()});
  if (line[first] == L'#') return LineParse{};
  if (line[first] == L'(') {
    lisp::ReadResult read = lisp::ReadExpression(line);
    if (!read.ok) return Error(L"LISP line cannot be read: " + read.error);
    return Action("lisp", {std::wstring(line)});
  }
  if (line[first] == L'!') return ParseMarked(line.substr(first + 1));
  return Action("type", {std::wstring(line)});
}

ScriptParse ParseScript(std::wstring_view text) {
  ScriptParse parse;
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    std::size_t next = end == std::wstring_view::npos ? text.size() : end + 1;
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    start = next;
    ++number;
    LineParse p = ParseScriptLine(line);
    if (p.kind == LineKind::kSkip) continue;
    if (p.kind == LineKind::kError) {
      parse.ok = false;
      parse.error_line = number;
      parse.error = p.error;
      return parse;
    }
    parse.actions.push_back(ScriptAction{number, std::move(p.action)});
  }
  return parse;
}

std::wstring ActionText(const UserAction& action) {
  if (action.verb == "type") return action.Arg(0);
  if (action.verb == "lisp") return action.Arg(0);
  std::wstring text = L"!" + std::wstring(action.verb.begin(), action.verb.end());
  for (const std::wstring& arg : action.args) {
    bool quote = arg.empty() || arg.find_first_of(L" \t\"") != std::wstring::npos;
    if (!quote) {
      text += L" " + arg;
      continue;
    }
    text += L" \"";
    for (wchar_t c : arg) {
      if (c == L'"' || c == L'\\') text += L'\\';
      text += c;
    }
    text += L'"';
  }
  return text;
}

}  // namespace host
