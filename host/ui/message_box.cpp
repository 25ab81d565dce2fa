#include "host/ui/message_box.h"

#include <algorithm>
#include <optional>

#include "host/editor/command_line.h"
#include "host/system/user_actions.h"
#include "host/system/wide_text.h"
#include "host/ui/modal.h"
#include "host/ui/script_verbs.h"

namespace host::ui {
namespace {

std::vector<MessageBoxRecord>& Records() {
  static std::vector<MessageBoxRecord> records;
  return records;
}

std::wstring& TitleStore() {
  static std::wstring title = L"cadhost";
  return title;
}

bool Offers(MessageButtons buttons, MessageResult result) {
  switch (buttons) {
    case MessageButtons::kOk: return result == MessageResult::kOk;
    case MessageButtons::kOkCancel:
      return result == MessageResult::kOk || result == MessageResult::kCancel;
    case MessageButtons::kYesNo: return result == MessageResult::kYes || result == MessageResult::kNo;
    case MessageButtons::kYesNoCancel:
      return result == MessageResult::kYes || result == MessageResult::kNo ||
             result == MessageResult::kCancel;
  }
  return false;
}

std::optional<MessageResult> ResultFromWord(const std::wstring& word) {
  const std::wstring w = LowerAscii(word);
  if (w == L"ok") return MessageResult::kOk;
  if (w == L"cancel") return MessageResult::kCancel;
  if (w == L"yes") return MessageResult::kYes;
  if (w == L"no") return MessageResult::kNo;
  return std::nullopt;
}

MessageResult Unanswered(MessageButtons buttons) {
  if (Offers(buttons, MessageResult::kCancel)) return MessageResult::kCancel;
  if (Offers(buttons, MessageResult::kNo)) return MessageResult::kNo;
  return MessageResult::kOk;
}

// The names of the box's buttons, in the order they are shown.
std::vector<const wchar_t*> ButtonWords(const MessageBoxRequest& request) {
  std::vector<const wchar_t*> words;
  for (MessageResult r : {MessageResult::kOk, MessageResult::kYes, MessageResult::kNo, MessageResult::kCancel})
    if (Offers(request.buttons, r)) words.push_back(ResultName(r));
  return words;
}

// The button Enter presses: the default one, or the first when the default
// names none.
std::wstring DefaultButton(const MessageBoxRequest& request) {
  const std::vector<const wchar_t*> words = ButtonWords(request);
  const std::size_t index = static_cast<std::size_t>(request.default_button);
  return index < words.size() ? words[index] : words[0];
}

// The box as a person at the terminal sees it before answering: caption,
// text, buttons, and the actions that press them.
std::wstring DescribeBox(const MessageBoxRequest& request, const std::wstring& caption) {
  std::wstring out = L"Message box \"" + caption + L"\"";
  if (request.icon != MessageIcon::kNone) out += std::wstring(L" (") + IconName(request.icon) + L")";
  out += L":\n";
  std::size_t start = 0;
  while (start <= request.text.size()) {
    const std::size_t end = std::min(request.text.find(L'\n', start), request.text.size());
    out += L"  " + request.text.substr(start, end - start) + L"\n";
    start = end + 1;
  }
  const std::vector<const wchar_t*> words = ButtonWords(request);
  out += L" ";
  for (const wchar_t* word : words) out += std::wstring(L" [") + word + L"]";
  out += L"\nAnswer:";
  const wchar_t* between = L" ";
  for (const wchar_t* word : words) {
    out += between + (L"!answer " + LowerAscii(word));
    between = L" | ";
  }
  if (request.buttons != MessageButtons::kYesNo) out += L" | !esc";
  return out + L"; Enter presses " + DefaultButton(request);
}

}  // namespace

MessageResult ShowMessageBox(const MessageBoxRequest& request) {
  MessageBoxRecord record{request, MessageResult::kOk, false};
  if (record.request.caption.empty()) record.request.caption = ApplicationTitle();

  const WaitingScope waiting({[&record] { return DescribeBox(record.request, record.request.caption); },
                              false,
                              false,
                              {kVerbAnswer, {LowerAscii(DefaultButton(request))}}});
  // An answer naming one of the box's buttons, or Esc: it presses Cancel, or
  // OK on a box with OK alone; a Yes/No box ignores it.
  const NextAction next = TakeNextAction([&request](const UserAction& action) {
    if (action.verb == kVerbAnswer) {
      const std::optional<MessageResult> word = ResultFromWord(action.Arg(0));
      return word && Offers(request.buttons, *word);
    }
    return action.verb == kVerbEsc && request.buttons != MessageButtons::kYesNo;
  });
  std::optional<MessageResult> answer;
  if (next.taken() && next.action.verb == kVerbAnswer)
    answer = ResultFromWord(next.action.Arg(0));
  else if (next.taken())
    answer = request.buttons == MessageButtons::kOk ? MessageResult::kOk : MessageResult::kCancel;
  record.answered = answer.has_value();
  record.result = answer ? *answer : Unanswered(request.buttons);

  Shown().Add("message_box", L"[" + record.request.caption + L"] " + request.text + L" {" +
                                 ButtonsName(request.buttons) + L", " + IconName(request.icon) +
                                 L", default " + std::to_wstring(request.default_button + 1) +
                                 L"} -> " + ResultName(record.result));
  // An OK box has one outcome: a script need not answer it.
  if (!record.answered && request.buttons != MessageButtons::kOk) {
    if (next.found == ActionFound::kOther)
      NoteScript(L"The next action (" + std::wstring(next.action.verb.begin(), next.action.verb.end()) +
                 L") does not answer the message box: took " + ResultName(record.result));
    else
      NoteInputRanOut(std::wstring(L"message box: took ") + ResultName(record.result));
  }
  Records().push_back(record);
  return record.result;
}

MessageResult ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                             MessageButtons buttons, MessageIcon icon, int default_button) {
  return ShowMessageBox(MessageBoxRequest{text, caption, buttons, icon, default_button});
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return Records(); }
void ClearMessageBoxes() { std::vector<MessageBoxRecord>().swap(Records()); }

void SetApplicationTitle(const std::wstring& title) { TitleStore() = title; }
const std::wstring& ApplicationTitle() { return TitleStore(); }

const wchar_t* ButtonsName(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk: return L"OK";
    case MessageButtons::kOkCancel: return L"OK/Cancel";
    case MessageButtons::kYesNo: return L"Yes/No";
    case MessageButtons::kYesNoCancel: return L"Yes/No/Cancel";
  }
  return L"?";
}

const wchar_t* IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kNone: return L"no icon";
    case MessageIcon::kError: return L"error";
    case MessageIcon::kQuestion: return L"question";
    case MessageIcon::kExclamation: return L"exclamation";
    case MessageIcon::kInformation: return L"information";
  }
  return L"?";
}

const wchar_t* ResultName(MessageResult result) {
  switch (result) {
    case MessageResult::kOk: return L"OK";
    case MessageResult::kCancel: return L"Cancel";
    case MessageResult::kYes: return L"Yes";
    case MessageResult::kNo: return L"No";
  }
  return L"?";
}

}  // namespace host::ui
