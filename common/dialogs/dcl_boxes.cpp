#include "common/dialogs/dcl_boxes.h"

#include <cstdint>
#include <cwchar>
#include <optional>
#include <string>

#include "common/containers/text.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/lisp/call.h"
#include "host/ui/dcl_runtime.h"

namespace {

using host::dcl::CallbackPacket;
using host::dcl::DialogHandle;

// The narrow forms show at most this many characters of each text.
constexpr std::size_t kConvertChars = 1023;

std::wstring Wide(const char* text) {
  if (text == nullptr) return {};
  wchar_t buffer[kConvertChars + 1];
  NarrowToWide(buffer, kConvertChars + 1, text);
  return buffer;
}

std::wstring Text(const wchar_t* text) { return text == nullptr ? std::wstring() : text; }

// A loaded file and a dialog made from it; prints the box's failure texts.
class BoxRun {
 public:
  BoxRun(const wchar_t* file, const std::wstring& dialog, const wchar_t* load_failure,
         const wchar_t* dialog_failure) {
    file_id_ = host::dcl::LoadDialog(file);
    if (file_id_ < 0) {
      host::Print(load_failure);
      return;
    }
    handle_ = host::dcl::NewDialog(dialog, file_id_);
    if (!handle_) host::Print(dialog_failure);
  }
  ~BoxRun() {
    if (file_id_ >= 0) host::dcl::UnloadDialog(file_id_);
  }
  BoxRun(const BoxRun&) = delete;
  BoxRun& operator=(const BoxRun&) = delete;

  bool ok() const { return handle_.has_value(); }
  DialogHandle handle() const { return *handle_; }
  void Action(const std::wstring& key, host::dcl::ActionCallback action) {
    host::dcl::ActionTile(*handle_, key, std::move(action));
  }
  void Set(const std::wstring& key, const std::wstring& value) {
    host::dcl::SetTile(*handle_, key, value);
  }
  void EndWith(const std::wstring& key, int status) {
    Action(key, [status](const CallbackPacket& p) { host::dcl::DoneDialog(p.dialog, status); });
  }
  int Run() { return host::dcl::StartDialog(*handle_).value_or(0); }

 private:
  int file_id_ = -1;
  std::optional<DialogHandle> handle_;
};

int QuestionBox(const wchar_t* file, const wchar_t* dialog, const wchar_t* load_failure,
                const wchar_t* dialog_failure, const std::wstring& message) {
  BoxRun box(file, dialog, load_failure, dialog_failure);
  if (!box.ok()) return 0;
  box.EndWith(L"LarYes", 1);
  box.EndWith(L"LarNo", 2);
  box.EndWith(L"LarCancel", 3);
  box.Action(L"LarHelp", [](const CallbackPacket&) { ShowDclHelp(); });
  box.Set(L"YesNoText", message);
  return box.Run();
}

// ---- integer box ------------------------------------------------------------

constexpr std::size_t kIntFieldChars = 39;

struct IntBoxState {
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::int32_t value = 0;
  std::wstring field;  // at most kIntFieldChars
};

// Checks the field text; shows the error and answers nothing when it is not
// an integer in range.
std::optional<std::int32_t> CheckInteger(const IntBoxState& state, DialogHandle dialog) {
  std::wstring text;
  for (wchar_t c : state.field) {
    if (c != L' ') text += c;
  }
  bool bad = false;
  for (wchar_t c : text) {
    if (!((c >= L'0' && c <= L'9') || c == L'-')) bad = true;
  }
  // The leading integer, held within 64 bits so that long texts saturate.
  std::int64_t value = 0;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    if (value < (std::int64_t{1} << 40)) value = value * 10 + (text[i] - L'0');
  }
  if (negative) value = -value;
  if (bad) {
    host::dcl::SetTile(dialog, L"error", L"Requires An Integer Number");
  } else if (value < state.minimum || value > state.maximum) {
    wchar_t message[96];
    std::swprintf(message, 96, L"Value Between %i - %i Expected", state.minimum, state.maximum);
    host::dcl::SetTile(dialog, L"error", message);
  } else {
    return static_cast<std::int32_t>(value);
  }
  host::dcl::ModeTile(dialog, L"LarGetIntField", host::dcl::TileMode::kFocus);
  return std::nullopt;
}

std::wstring TrimRight(std::wstring text) {
  while (!text.empty() && text.back() == L' ') text.pop_back();
  return text;
}

}  // namespace

int YesNoBox(const wchar_t* message) {
  return QuestionBox(L"g_yesno.dcl", L"LarYesNoBox", L"Error loading \"g_yesno.dcl\"\n",
                     L"New_dialog for g_yesno failed\n", Text(message));
}
int YesNoBox(const char* message) { return YesNoBox(Wide(message).c_str()); }

int NoYesBox(const wchar_t* message) {
  return QuestionBox(L"g_noyes.dcl", L"LarNoYesBox", L"Error loading \"g_noyes.dcl\"\n",
                     L"New_dialog for g_noyes failed\n", Text(message));
}
int NoYesBox(const char* message) { return NoYesBox(Wide(message).c_str()); }

bool GetIntBox(const wchar_t* message, const wchar_t* prompt, std::int32_t minimum,
               std::int32_t maximum, std::int32_t initial, std::int32_t* value) {
  BoxRun box(L"g_getint.dcl", L"LarGetInt", L"Error loading \"g_getint.dcl\"\n",
             L"New_dialog for g_getint failed\n");
  if (!box.ok()) return false;
  IntBoxState state;
  state.minimum = minimum;
  state.maximum = maximum;
  state.value = initial;
  state.field = std::to_wstring(initial);
  box.Action(L"LarGetIntField", [&state](const CallbackPacket& p) {
    state.field = p.value.substr(0, kIntFieldChars);
    if (p.reason == host::dcl::kReasonSelected || p.reason == host::dcl::kReasonDoubleClick) {
      if (const auto checked = CheckInteger(state, p.dialog)) {
        state.value = *checked;
        host::dcl::DoneDialog(p.dialog, 1);
      }
    } else if (p.reason == host::dcl::kReasonLostFocus) {
      (void)CheckInteger(state, p.dialog);
    }
  });
  box.Action(L"accept", [&state](const CallbackPacket& p) {
    if (const auto checked = CheckInteger(state, p.dialog)) {
      state.value = *checked;
      host::dcl::DoneDialog(p.dialog, 1);
    }
  });
  box.Set(L"LarGetIntMesg", Text(message));
  box.Set(L"LarGetIntPrompt", Text(prompt));
  box.Set(L"LarGetIntField", state.field);
  if (box.Run() != 1) return false;
  if (value != nullptr) *value = state.value;
  return true;
}

bool GetIntBox(const char* message, const char* prompt, std::int32_t minimum, std::int32_t maximum,
               std::int32_t initial, std::int32_t* value) {
  return GetIntBox(Wide(message).c_str(), Wide(prompt).c_str(), minimum, maximum, initial, value);
}

bool GetStrBox(const wchar_t* message, const wchar_t* prompt, const wchar_t* suffix,
               const wchar_t* initial, wchar_t* text, std::size_t textChars) {
  // Tile names hold at most 47 characters, the dialog name 39.
  const std::wstring tail = Text(suffix);
  const std::wstring dialog = (L"LarGetStr_" + tail).substr(0, 39);
  const std::wstring field = (L"LarGetStrField_" + tail).substr(0, 47);
  BoxRun box(L"g_getstr.dcl", dialog, L"Error loading \"g_getstr.dcl\"\n",
             L"New_dialog for g_getstr failed\n");
  if (!box.ok()) return false;
  std::wstring kept = Text(initial).substr(0, kStrBoxMaxChars);
  box.Action(field, [&kept](const CallbackPacket& p) {
    kept = TrimRight(p.value).substr(0, kStrBoxMaxChars);
    if (p.reason == host::dcl::kReasonSelected || p.reason == host::dcl::kReasonDoubleClick)
      host::dcl::DoneDialog(p.dialog, 1);
  });
  box.EndWith(L"accept", 1);
  box.Set((L"LarGetStrMesg_" + tail).substr(0, 47), Text(message));
  box.Set((L"LarGetStrPrompt_" + tail).substr(0, 47), Text(prompt));
  box.Set(field, kept);
  if (box.Run() != 1) return false;
  if (text != nullptr && textChars > 0) {
    const std::size_t n = std::min(kept.size(), textChars - 1);
    std::wmemcpy(text, kept.data(), n);
    text[n] = 0;
  }
  return true;
}

bool GetStrBox(const char* message, const char* prompt, const char* suffix, const char* initial,
               char* text, std::size_t textChars) {
  wchar_t wide[kStrBoxMaxChars + 1];
  if (!GetStrBox(Wide(message).c_str(), Wide(prompt).c_str(), Wide(suffix).c_str(),
                 Wide(initial).c_str(), wide, kStrBoxMaxChars + 1))
    return false;
  if (text != nullptr && textChars > 0) WideToNarrow(text, textChars, wide);
  return true;
}

int OverwriteAppendBox(const wchar_t* title) {
  BoxRun box(L"g_ovapca.dcl", L"ovapca", L"Error loading \"g_ovapca.dcl\"\n",
             L"New_dialog for ovapca failed\n");
  if (!box.ok()) return 0;
  box.EndWith(L"append", 1);
  box.EndWith(L"overwrite", 2);
  box.EndWith(L"cancel_ovapca", 3);
  box.Set(L"title_text", Text(title));
  return box.Run();
}
int OverwriteAppendBox(const char* title) { return OverwriteAppendBox(Wide(title).c_str()); }

void MessageBoxDcl(const wchar_t* message) {
  BoxRun box(L"g_messag.dcl", L"LarMessage", L"Error loading \"g_messag.dcl\"\n",
             L"New_dialog for g_messag failed\n");
  if (!box.ok()) return;
  box.EndWith(L"LarMsgYes", 1);
  box.Set(L"LarMesg", Text(message));
  (void)box.Run();
}
void MessageBoxDcl(const char* message) { MessageBoxDcl(Wide(message).c_str()); }

void ShowDclHelp() {
  using host::lisp::Value;
  (void)host::lisp::Invoke({Value::String(L"acad_helpdlg"), Value::String(L"orvan.hlp"),
                            Value::String(L"YES_NO_CANCEL")});
}

bool Is3dPolyline(host::EntityName entity) {
  const std::optional<host::db::EntityList> list = host::db::GetEntityList(entity);
  if (!list || list->size() < 2) return false;
  const host::db::Group& type = (*list)[1];
  if (type.code != 0 || type.Text() == nullptr) return false;
  std::wstring name = *type.Text();
  for (wchar_t& c : name) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
  }
  if (name != L"POLYLINE") return false;
  const host::db::Group* flags = host::db::FindGroup(*list, 70);
  return flags != nullptr && (flags->Int() & 8) != 0;
}

bool Is3dPolyline(host::SelectionSetId selection) {
  const host::Input<host::EntityName> first = host::SelectionSetName(selection, 0);
  return first.ok() && Is3dPolyline(first.value);
}
