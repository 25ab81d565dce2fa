#include "host/app/cadhost/terminal.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "host/app/script.h"
#include "host/app/session.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
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

// True when the prompt shown last has no text of its own.
bool LastPromptBlank() {
  const auto& items = host::Shown().Items();
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    if (it->kind == "prompt") return WithoutLeadingBreaks(it->text).find_first_not_of(L" ") == std::wstring::npos;
  return false;
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

TerminalInput::Read TerminalInput::ReadLine(std::string* line) {
  for (;;) {
    const std::size_t end = buffer_.find('\n');
    if (end != std::string::npos) {
      *line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return Read::kLine;
    }
    // A break pressed while nothing read the terminal counts now.
    if (host::TakeBreakKey()) {
      buffer_.clear();
      return Read::kBreak;
    }
    // A signal always ends the wait of poll(), restarted calls or not: the
    // break is seen above.
    pollfd wait{0, POLLIN, 0};
    if (::poll(&wait, 1, -1) < 0) {
      if (errno == EINTR) continue;
      return Read::kClosed;
    }
    char chunk[4096];
    const ssize_t n = ::read(0, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Read::kClosed;
    // Ctrl-D after text on the line hands over that text alone.
    if (!buffer_.empty()) {
      line->swap(buffer_);
      buffer_.clear();
      return Read::kLine;
    }
    // End of input: Ctrl-D, or a terminal that hung up, which goes on
    // answering end of input at once.
    pollfd p{0, POLLIN, 0};
    if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return Read::kClosed;
    return Read::kEnd;
  }
}

bool TerminalInput::Ready(int ms) {
  if (buffer_.find('\n') != std::string::npos) return true;
  pollfd p{0, POLLIN, 0};
  const int r = ::poll(&p, 1, ms);
  // Interrupted: by the break key, which the reader takes.
  return r != 0;
}

namespace {

void OnBreakKey(int) { host::NoteBreakKey(); }

}  // namespace

void CatchBreakKey() {
  struct sigaction action {};
  action.sa_handler = OnBreakKey;
  sigemptyset(&action.sa_mask);
  // Other calls go on after it; the reader waits for the terminal in poll(),
  // which a signal always ends.
  action.sa_flags = SA_RESTART;
  (void)::sigaction(SIGINT, &action, nullptr);
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
    const bool tell = !text.empty() && (text != last_hint_ || show_again_);
    if (tell) last_hint_ = text;
    if (LastPromptBlank() && !waiting->blank_prompt.empty()) {
      // A prompt with no text of its own: the screen says what is asked.
      screen_->Flush();
      Out(L"\n" + (tell ? text + L"\n" : std::wstring()) + waiting->blank_prompt);
    } else if (tell) {
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

void TerminalReader::Cancel(const wchar_t* key) {
  key_ = key;
  host::Actions().Push("esc");
}

bool TerminalReader::Wait(int ms) {
  // What waits is on the screen, and what the timers do shows as it comes.
  if (host::WaitingSerial() != shown_) ShowWhatWaits();
  screen_->Flush();
  return in_->Ready(ms);
}

bool TerminalReader::Supply() {
  for (;;) {
    ShowWhatWaits();
    std::string line;
    const TerminalInput::Read read = in_->ReadLine(&line);
    if (read == TerminalInput::Read::kClosed) {
      Out(L"\n");
      return false;
    }
    if (read == TerminalInput::Read::kBreak) {
      // Ctrl-C: the terminal showed "^C" and dropped the line being typed.
      Out(L"\n");
      Cancel(L"Ctrl-C");
      return true;
    }
    if (read == TerminalInput::Read::kEnd) {
      Out(L"\n");
      if (host::CurrentWaiting() == nullptr) {
        key_ = nullptr;
        host::Actions().Push("quit");
      } else {
        Cancel(L"Ctrl-D");
      }
      return true;
    }
    key_ = nullptr;
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
  if (key_ != nullptr && slip.verb == "esc")
    host::Print(L"\n; " + std::wstring(key_) + L" does not cancel this question: answer it\n");
  else
    host::Print(L"\n; \"" + host::ActionText(slip) + L"\" does not answer what waits; ignored\n");
  key_ = nullptr;
  show_again_ = true;
}

}  // namespace cadhost
