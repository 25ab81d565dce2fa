// File open and save dialogs and folder pickers, answered from the queue.
//
// A picker takes "answer" actions at the head of the queue: "answer cancel"
// (or no path), or "esc", cancels it; otherwise the arguments are the chosen paths. A
// relative path is taken from the dialog's initial folder (the working
// folder when none is given). An answer the real dialog would refuse (a file
// that must exist and does not, several files where one is allowed, a folder
// that does not exist) is noted in the transcript and the picker takes the
// next answer. A save over an existing file with the overwrite prompt asks
// through a Yes/No message box, and No goes back to the picker. Anything
// else at the head, or an empty queue, cancels the picker (noted, left in
// the queue). Every picker is recorded in full and shown in the transcript
// ("file_dialog", "folder_picker").
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "host/system/result.h"

namespace host::ui {

struct FileFilter {
  std::wstring description;  // "Property Filter Definition files (*.pfd)"
  std::wstring patterns;     // "*.pfd", or several joined by ';'
};

// Splits a filter text of description|patterns pairs ("A (*.a)|*.a|All|*.*||").
std::vector<FileFilter> ParseFilterText(const std::wstring& text);

struct FileDialogRequest {
  bool save = false;  // a save dialog; otherwise an open dialog
  std::wstring title;
  std::vector<FileFilter> filters;
  std::wstring default_extension;  // without the dot; a saved name without one gets it
  std::wstring initial_folder;
  std::wstring file_name;        // the name proposed at the start
  bool must_exist = false;       // every chosen file must exist
  bool hide_read_only = false;   // recorded only
  bool no_change_dir = false;    // recorded only: the working folder never changes here
  bool explorer = false;         // recorded only
  bool overwrite_prompt = false; // save: ask before replacing an existing file
  bool multiple = false;         // several files may be chosen
  // Room for the chosen names: each path and its terminator, plus one.
  // Names that do not fit fail the dialog (the result is not OK).
  std::size_t buffer_chars = 260;
};

// The chosen paths (kNormal); kCancel when the user cancelled or the script
// had no answer, kError when the names did not fit the buffer.
using FileDialogPaths = std::vector<std::wstring>;

struct FileDialogRecord {
  FileDialogRequest request;
  Result<FileDialogPaths> result;
  bool answered;  // false when the script gave no answer
};

Result<FileDialogPaths> ShowFileDialog(const FileDialogRequest& request);

enum class FolderPickerStyle {
  kItemDialog,     // the file dialog in pick-folders mode
  kLegacyBrowser,  // the older folder browser (title only)
};

struct FolderPickerRequest {
  FolderPickerStyle style = FolderPickerStyle::kItemDialog;
  std::wstring title;
  std::wstring initial_folder;  // empty: the picker's own default place
};

struct FolderPickerRecord {
  FolderPickerRequest request;
  std::optional<std::wstring> result;  // absolute, without a trailing separator
  bool answered;
};

// The file dialog in pick-folders mode, set up step by step as the platform
// object is.
class FolderDialog {
 public:
  void SetTitle(std::wstring title) { request_.title = std::move(title); }
  // Refused (false, nothing set) when `folder` is not an existing folder.
  [[nodiscard]] bool SetFolder(const std::wstring& folder);
  // The chosen folder, or nothing when cancelled.
  [[nodiscard]] std::optional<std::wstring> Show();

 private:
  FolderPickerRequest request_;
};

// The older folder browser: a title, no owner, no initial folder.
[[nodiscard]] std::optional<std::wstring> BrowseForFolder(const std::wstring& title);

const std::vector<FileDialogRecord>& FileDialogs();
const std::vector<FolderPickerRecord>& FolderPickers();
void ClearPickerRecords();

}  // namespace host::ui
