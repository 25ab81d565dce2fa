#include "host/app/cadhost/terminal.h"

#include <cstdio>
#include <istream>
#include <string>

#include "host/app/script.h"
#include "host/app/session.h"
#include "host/editor/command_line.h"
#include "host/system/wide_text.h"

namespace cadhost {
namespace {

void Out(const std::wstring& text) { std::fputs(host::EncodeUtf8(text).c_str(), stdout); }

std::wstring WithoutLeadingBreaks(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L"\r\n");
  return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

// On a terminal these were on the screen in full while they waited for their
// answer (or, for a command, as it was typed): they are not written again.
bool ShownWhileWaiting(const std::string& kind) {
  return kind == "message_box" || kind == "file_dialog" || kind == "folder_picker" || kind == "command_run";
}

}  // namespace

void Screen::Write(std::size_t end) {
  const auto& items = host::Shown().Items();
  for (; next_ < end; ++next_) {
    const host::ShownItem& item = items[next_];
    std::wstring text;
    if (item.kind == "input" && !echo_input_) continue;
    if (item.kind == "print" || item.kind == "prompt" || item.kind == "input") {
      text = item.text;
      if (item.kind == "prompt") last_prompt_ = WithoutLeadingBreaks(item.text);
    } else if (!echo_input_ && ShownWhileWaiting(item.kind)) {
      continue;
    } else if (verbose_ || item.kind == "alert" || item.kind == "message_box" || item.kind == "script") {
      // One line each, on a line of its own.
      text = std::wstring(at_line_start_ ? L"" : L"\n") + L"[" + host::WidenText(item.kind) + L"] " + item.text +
             L"\n";
    }
    if (text.empty()) continue;
    Out(text);
    at_line_start_ = text.back() == L'\n';
  }
}

void Screen::Flush() {
  Write(host::Shown().Items().size());
  std::fflush(stdout);
}

void Screen::FlushBeforePrompt(const std::wstring& before) {
  const auto& items = host::Shown().Items();
  const bool prompt_last = next_ < items.size() && items.back().kind == "prompt";
  if (!prompt_last) {
    Write(items.size());
    Out(L"\n" + before + L"\n" + last_prompt_);
  } else {
    Write(items.size() - 1);
    const std::wstring& prompt = items.back().text;
    Out(L"\n" + before + (prompt.empty() || prompt[0] != L'\n' ? L"\n" : L""));
    Write(items.size());
  }
  std::fflush(stdout);
}

void TerminalReader::ShowWhatWaits() {
  const host::Waiting* waiting = host::CurrentWaiting();
  const std::uint64_t number = host::WaitingSerial();
  if (waiting == nullptr) last_hint_.clear();  // the command prompt: the next command hints anew
  if (waiting == nullptr || (number == shown_ && !show_again_ && !waiting->every_time)) {
    screen_->Flush();
    return;
  }
  const std::wstring text = waiting->describe ? waiting->describe() : std::wstring();
  if (waiting->on_command_line) {
    // A command asking the same kind of thing again ("Next point: ") is not
    // told the answers again, unless the last answer was a slip.
    if (!text.empty() && (text != last_hint_ || show_again_)) {
      last_hint_ = text;
      screen_->FlushBeforePrompt(text);
    } else {
      screen_->Flush();
      if (number == shown_) Out(L"\n" + screen_->LastPrompt());  // shown again after a slip
    }
  } else {
    screen_->Flush();
    Out(L"\n" + text + (text.empty() || text.back() == L'\n' ? L"" : L"\n") + L"> ");
  }
  std::fflush(stdout);
  shown_ = number;
  show_again_ = false;
}

bool TerminalReader::Supply() {
  for (;;) {
    ShowWhatWaits();
    std::string line;
    if (!std::getline(*in_, line)) {
      // Ctrl-D. A terminal reads on after it, so only this wait ends.
      in_->clear();
      Out(L"\n");
      if (host::CurrentWaiting() == nullptr && !quit_sent_) {
        quit_sent_ = true;
        host::Actions().Push("quit");
        return true;
      }
      return false;
    }
    quit_sent_ = false;
    ++line_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    host::LineParse p = host::ParseScriptLine(host::DecodeUtf8(line));
    if (p.kind == host::LineKind::kSkip) continue;
    if (p.kind == host::LineKind::kError) {
      Out(L"\n; " + p.error + L" (!help lists the actions)\n");
      show_again_ = true;
      continue;
    }
    if (p.action.verb == "help" && host::CurrentWaiting() != nullptr) {
      Out(host::SessionHelp());
      show_again_ = true;
      continue;
    }
    // Enter at a message box presses its default button.
    const host::Waiting* waiting = host::CurrentWaiting();
    if (p.action.verb == "type" && p.action.Arg(0).empty() && waiting && !waiting->on_enter.verb.empty())
      p.action = waiting->on_enter;
    host::Actions().Push(std::move(p.action));
    return true;
  }
}

void TerminalReader::Slip(const host::UserAction& slip) {
  // What waits stays: the user reads this and answers again.
  host::Print(L"\n; \"" + host::ActionText(slip) + L"\" does not answer what waits; ignored\n");
  show_again_ = true;
}

}  // namespace cadhost
