#include "host/ui/pickers.h"

#include <functional>
#include <system_error>

#include "host/editor/command_line.h"
#include "host/system/files.h"
#include "host/system/wide_text.h"
#include "host/system/user_actions.h"
#include "host/ui/message_box.h"
#include "host/ui/modal.h"
#include "host/ui/script_verbs.h"

namespace host::ui {
namespace {


std::vector<FileDialogRecord>& FileRecords() {
  static std::vector<FileDialogRecord> records;
  return records;
}

std::vector<FolderPickerRecord>& FolderRecords() {
  static std::vector<FolderPickerRecord> records;
  return records;
}

bool IsFolder(const std::wstring& path) { return !path.empty() && host::IsDirectory(path); }

bool Exists(const std::wstring& path) { return host::PathExists(path); }

// `answer` made absolute against `base` (the working folder when empty),
// without "." and ".." steps and without a trailing separator.
std::wstring Resolve(const std::wstring& answer, const std::wstring& base) {
  const bool relative = answer.empty() || (answer[0] != L'/' && answer[0] != L'\\');
  return host::AbsolutePath(relative && !base.empty() ? base + L"/" + answer : answer);
}

bool IsCancelAnswer(const UserAction& action) {
  if (action.args.empty()) return true;
  if (action.args.size() != 1) return false;
  return SameIgnoringAsciiCase(action.args[0], L"cancel");
}

bool HasExtension(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"/\\");
  const std::size_t dot = path.find_last_of(L'.');
  return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash + 1);
}

std::wstring JoinPaths(const std::vector<std::wstring>& paths) {
  std::wstring text;
  for (const std::wstring& p : paths) text += (text.empty() ? L"" : L" ") + p;
  return text;
}

std::wstring DescribeFileRequest(const FileDialogRequest& r) {
  std::wstring text = std::wstring(r.save ? L"save" : L"open") + L" \"" + r.title + L"\"";
  for (const FileFilter& f : r.filters) text += L" [" + f.description + L"|" + f.patterns + L"]";
  if (!r.initial_folder.empty()) text += L" in \"" + r.initial_folder + L"\"";
  if (!r.file_name.empty()) text += L" name \"" + r.file_name + L"\"";
  if (!r.default_extension.empty()) text += L" ext \"" + r.default_extension + L"\"";
  if (r.must_exist) text += L" must-exist";
  if (r.hide_read_only) text += L" hide-read-only";
  if (r.no_change_dir) text += L" no-change-dir";
  if (r.explorer) text += L" explorer";
  if (r.overwrite_prompt) text += L" overwrite-prompt";
  if (r.multiple) text += L" multiple";
  return text;
}

// Checks one answer of a file dialog; an empty result refuses it.
std::vector<std::wstring> AcceptFiles(const FileDialogRequest& r, const UserAction& answer) {
  std::vector<std::wstring> paths;
  if (answer.args.size() > 1 && !r.multiple) {
    NoteScript(L"The file dialog takes one file: answer refused");
    return {};
  }
  for (const std::wstring& arg : answer.args) {
    std::wstring path = Resolve(arg, r.initial_folder);
    if (r.save && !r.default_extension.empty() && !HasExtension(path))
      path += L"." + r.default_extension;
    if (r.must_exist && !Exists(path)) {
      (void)ShowMessageBox(path + L"\nFile not found.\nCheck the file name and try again.",
                           r.title, MessageButtons::kOk, MessageIcon::kExclamation);
      return {};
    }
    if (r.save && r.overwrite_prompt && Exists(path) &&
        ShowMessageBox(path + L" already exists.\nDo you want to replace it?", r.title,
                       MessageButtons::kYesNo, MessageIcon::kExclamation) != MessageResult::kYes)
      return {};
    paths.push_back(path);
  }
  return paths;
}

// What a person at the terminal sees of a file dialog before answering it.
std::wstring ShowFileRequest(const FileDialogRequest& r) {
  std::wstring out = std::wstring(r.save ? L"Save" : L"Open") + L" file dialog \"" + r.title + L"\"\n";
  if (!r.filters.empty()) {
    out += L"  files of type:";
    for (std::size_t i = 0; i < r.filters.size(); ++i) {
      const FileFilter& f = r.filters[i];
      // "Drawings (*.dxf)" names its patterns already.
      out += (i ? L"; " : L" ") + f.description +
             (f.description.find(f.patterns) == std::wstring::npos ? L" (" + f.patterns + L")" : L"");
    }
    out += L"\n";
  }
  out += L"  in folder: " + (r.initial_folder.empty() ? host::AbsolutePath(L".") : r.initial_folder) + L"\n";
  if (!r.file_name.empty()) out += L"  file name: " + r.file_name + L"\n";
  out += std::wstring(L"Answer: !answer ") + (r.multiple ? L"FILE [FILE ...]" : L"FILE") +
         L" (a path, relative to that folder) | !answer cancel | !esc";
  return out;
}

// The same for a folder picker.
std::wstring ShowFolderRequest(const FolderPickerRequest& r) {
  std::wstring out = L"Folder picker \"" + r.title + L"\"\n";
  out += L"  in folder: " + (r.initial_folder.empty() ? host::AbsolutePath(L".") : r.initial_folder) + L"\n";
  return out + L"Answer: !answer FOLDER (a path, relative to that folder) | !answer cancel | !esc";
}

// The next answer for a file dialog or folder picker, shown to a person as
// `shown` says; none when the user cancelled (Esc or a cancel answer:
// `answered` is set) or the script has no answer for it (said in the
// transcript).
std::optional<UserAction> NextAnswer(const wchar_t* what, std::function<std::wstring()> shown, bool* answered) {
  const WaitingScope waiting({std::move(shown)});
  const NextAction next = TakeNextAction({kVerbEsc, kVerbAnswer});
  if (next.found == ActionFound::kNone) {
    NoteInputRanOut(what);
    return std::nullopt;
  }
  if (next.found == ActionFound::kOther) {
    NoteScript(std::wstring(L"The next action does not answer the ") + what + L": cancelled");
    return std::nullopt;
  }
  if (next.action.verb == kVerbEsc) {
    *answered = true;
    return std::nullopt;
  }
  const UserAction& answer = next.action;
  if (IsCancelAnswer(answer)) {
    *answered = true;
    return std::nullopt;
  }
  return answer;
}

}  // namespace

std::vector<FileFilter> ParseFilterText(const std::wstring& text) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t bar = text.find(L'|', start);
    const std::size_t end = bar == std::wstring::npos ? text.size() : bar;
    parts.push_back(text.substr(start, end - start));
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  std::vector<FileFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the closing "||"
    filters.push_back(FileFilter{parts[i], parts[i + 1]});
  }
  return filters;
}

Result<FileDialogPaths> ShowFileDialog(const FileDialogRequest& request) {
  FileDialogRecord record{request, Failed<FileDialogPaths>({}, Status::kCancel), false};
  while (true) {
    const std::optional<UserAction> next = NextAnswer(L"file dialog", [&request] { return ShowFileRequest(request); }, &record.answered);
    if (!next) break;
    const UserAction& answer = *next;
    std::vector<std::wstring> paths = AcceptFiles(request, answer);
    if (paths.empty()) continue;
    record.answered = true;
    std::size_t needed = 1;
    for (const std::wstring& p : paths) needed += p.size() + 1;
    if (needed > request.buffer_chars) {
      NoteScript(L"The chosen names do not fit the file dialog's buffer: failed");
      record.result = Failed<FileDialogPaths>(L"The chosen names do not fit the file dialog's buffer.");
      break;
    }
    record.result = Success(std::move(paths));
    break;
  }
  Shown().Add("file_dialog", DescribeFileRequest(request) + L" -> " +
                                 (record.result.ok() ? JoinPaths(record.result.value) : L"cancel"));
  FileRecords().push_back(record);
  return record.result;
}

namespace {

std::optional<std::wstring> PickFolder(const FolderPickerRequest& request) {
  FolderPickerRecord record{request, std::nullopt, false};
  while (true) {
    const std::optional<UserAction> next = NextAnswer(L"folder picker", [&request] { return ShowFolderRequest(request); }, &record.answered);
    if (!next) break;
    const UserAction& answer = *next;
    const std::wstring folder = Resolve(answer.Arg(0), request.initial_folder);
    if (answer.args.size() != 1 || !IsFolder(folder)) {
      NoteScript(L"The folder picker takes one existing folder: answer refused");
      continue;
    }
    record.answered = true;
    record.result = folder;
    break;
  }
  std::wstring text = std::wstring(request.style == FolderPickerStyle::kItemDialog ? L"pick folder"
                                                                                   : L"browse")
                      + L" \"" + request.title + L"\"";
  if (!request.initial_folder.empty()) text += L" in \"" + request.initial_folder + L"\"";
  Shown().Add("folder_picker", text + L" -> " + (record.result ? *record.result : L"cancel"));
  FolderRecords().push_back(record);
  return record.result;
}

}  // namespace

bool FolderDialog::SetFolder(const std::wstring& folder) {
  if (!IsFolder(folder)) return false;
  request_.initial_folder = folder;
  return true;
}

std::optional<std::wstring> FolderDialog::Show() { return PickFolder(request_); }

std::optional<std::wstring> BrowseForFolder(const std::wstring& title) {
  return PickFolder(FolderPickerRequest{FolderPickerStyle::kLegacyBrowser, title, L""});
}

const std::vector<FileDialogRecord>& FileDialogs() { return FileRecords(); }
const std::vector<FolderPickerRecord>& FolderPickers() { return FolderRecords(); }
void ClearPickerRecords() {
  FileRecords().clear();
  FolderRecords().clear();
}

}  // namespace host::ui
