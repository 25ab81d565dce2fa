#include "host/ui/dcl_runtime.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <system_error>

#include "host/system/files.h"
#include "host/system/wide_text.h"
#include "host/editor/support_path.h"
#include "host/system/user_actions.h"
#include "host/ui/modal.h"
#include "host/ui/render_text.h"
#include "host/ui/script_verbs.h"

namespace host::dcl {
namespace {


constexpr int kCellWidthPx = 6;
constexpr int kCellHeightPx = 13;
constexpr std::size_t kDefaultEditLimit = 132;

struct LoadedFile {
  std::wstring path;
  DclFile file;
};

struct ListFill {
  bool active = false;
  DialogHandle dialog;
  std::wstring key;
  ListOperation operation = ListOperation::kNew;
  int index = 0;
  std::vector<std::wstring> rows;
};

struct ImageFill {
  bool active = false;
  DialogHandle dialog;
  std::wstring key;
  std::vector<ImageOp> ops;
};

struct Runtime {
  FileFinder finder;
  std::map<int, LoadedFile> files;
  std::map<int, std::unique_ptr<DialogState>> dialogs;
  int next_file_id = 1;
  int next_dialog_id = 1;
  ListFill list;
  ImageFill image;
};

Runtime& State() {
  static Runtime runtime;
  return runtime;
}

void Note(const std::wstring& text) { Shown().Add("dcl", text); }

// The support path search of the editor.
std::optional<std::wstring> DefaultFinder(const std::wstring& name) { return host::FindFile(name); }

bool HasExtension(const std::wstring& name) {
  const std::size_t slash = name.find_last_of(L"/\\");
  const std::size_t dot = name.find_last_of(L'.');
  return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
}

// A dialog that can still be set up or run.
DialogState* Live(DialogHandle handle) {
  const auto it = State().dialogs.find(handle.id);
  if (it == State().dialogs.end() || it->second->spent) return nullptr;
  return it->second.get();
}

bool IsTrue(const std::wstring* value) { return value && SameIgnoringAsciiCase(*value, L"true"); }

std::vector<std::wstring> SplitRows(const std::wstring& text) {
  std::vector<std::wstring> rows;
  std::wstring row;
  for (wchar_t c : text) {
    if (c == L'\n') {
      rows.push_back(row);
      row.clear();
    } else {
      row += c;
    }
  }
  if (!row.empty()) rows.push_back(row);
  return rows;
}

void Flatten(const ResolvedTile& tile, int parent, int depth, std::vector<TileState>& out) {
  TileState state;
  state.kind = tile.kind;
  state.parent = parent;
  state.depth = depth;
  state.attributes = tile.attributes;
  if (const std::wstring* v = tile.Attribute(L"key")) state.key = *v;
  if (const std::wstring* v = tile.Attribute(L"label")) state.label = *v;
  if (const std::wstring* v = tile.Attribute(L"value")) state.value = *v;
  if (const std::wstring* v = tile.Attribute(L"list")) state.list = SplitRows(*v);
  if (const std::wstring* v = tile.Attribute(L"is_enabled")) state.enabled = !SameIgnoringAsciiCase(*v, L"false");
  if (state.kind == TileKind::kText || state.kind == TileKind::kTextPart) state.value = state.label;
  if ((state.kind == TileKind::kToggle || state.kind == TileKind::kRadioButton) && state.value.empty())
    state.value = L"0";
  const int index = static_cast<int>(out.size());
  out.push_back(std::move(state));
  for (const ResolvedTile& child : tile.children) Flatten(child, index, depth + 1, out);
}

// The radio buttons directly inside cluster `cluster`.
std::vector<int> RadioButtonsOf(const DialogState& d, int cluster) {
  std::vector<int> buttons;
  for (std::size_t i = 0; i < d.tiles.size(); ++i)
    if (d.tiles[i].parent == cluster && d.tiles[i].kind == TileKind::kRadioButton)
      buttons.push_back(static_cast<int>(i));
  return buttons;
}

// Chooses radio button `button` within its cluster.
void ChooseRadio(DialogState& d, int button) {
  const int cluster = d.tiles[button].parent;
  for (int other : RadioButtonsOf(d, cluster)) d.tiles[other].value = other == button ? L"1" : L"0";
  if (cluster >= 0 && IsRadioCluster(d.tiles[cluster].kind)) d.tiles[cluster].value = d.tiles[button].key;
}

void SettleRadioClusters(DialogState& d) {
  for (std::size_t c = 0; c < d.tiles.size(); ++c) {
    if (!IsRadioCluster(d.tiles[c].kind)) continue;
    const std::wstring chosen = d.tiles[c].value;
    for (int button : RadioButtonsOf(d, static_cast<int>(c)))
      if ((!chosen.empty() && d.tiles[button].key == chosen) || (chosen.empty() && d.tiles[button].value == L"1")) {
        ChooseRadio(d, button);
        break;
      }
  }
}

int IndexOf(const DialogState& d, const std::wstring& key) {
  if (key.empty()) return -1;
  for (std::size_t i = 0; i < d.tiles.size(); ++i)
    if (d.tiles[i].key == key) return static_cast<int>(i);
  return -1;
}

// Row indices of a list value; nothing when a token is not a row of `rows`.
std::optional<std::vector<int>> ParseRows(const std::wstring& value, std::size_t rows) {
  std::vector<int> picked;
  std::wistringstream in(value);
  std::wstring token;
  while (in >> token) {
    const std::optional<long long> row = host::ui::ParseWholeNumber(token);
    if (!row || *row < 0 || static_cast<std::size_t>(*row) >= rows) return std::nullopt;
    picked.push_back(static_cast<int>(*row));
  }
  return picked;
}

std::wstring JoinRows(const std::vector<int>& rows) {
  std::wstring text;
  for (int row : rows) text += (text.empty() ? L"" : L" ") + std::to_wstring(row);
  return text;
}

void SetValue(DialogState& d, int index, const std::wstring& value) {
  TileState& tile = d.tiles[index];
  switch (tile.kind) {
    case TileKind::kRadioButton:
      if (value == L"1") {
        ChooseRadio(d, index);
      } else {
        tile.value = value;
        if (tile.parent >= 0 && d.tiles[tile.parent].value == tile.key) d.tiles[tile.parent].value.clear();
      }
      return;
    case TileKind::kText:
    case TileKind::kTextPart:
      tile.label = value;
      tile.value = value;
      return;
    default:
      if (IsRadioCluster(tile.kind)) {
        tile.value = value;
        for (int button : RadioButtonsOf(d, index))
          if (d.tiles[button].key == value) ChooseRadio(d, button);
        return;
      }
      tile.value = value;
  }
}

void RunAction(DialogState& dialog, int index, int reason) {
  const DialogHandle handle = dialog.handle;
  TileState& tile = dialog.tiles[index];
  const CallbackPacket packet{handle, tile.key, tile.value, reason};
  // Copies: the action may rebind itself or the dialog may be set up anew.
  if (tile.action) {
    const ActionCallback action = tile.action;
    action(packet);
    return;
  }
  if (dialog.default_action) {
    const ActionCallback action = dialog.default_action;
    action(packet);
    return;
  }
  if (tile.kind == TileKind::kButton || tile.kind == TileKind::kImageButton) {
    if (tile.key == L"cancel" || tile.Flag(L"is_cancel"))
      DoneDialog(handle, 0);
    else if (tile.key == L"accept" || tile.Flag(L"is_default"))
      DoneDialog(handle, 1);
  }
}

// What RunModal sees of a DCL dialog.
class Surface : public host::ui::ModalSurface {
 public:
  explicit Surface(DialogHandle handle) : handle_(handle) {}

  DialogState& D() const { return *State().dialogs.at(handle_.id); }

  std::wstring Title() const override {
    const DialogState& d = D();
    return d.tiles[0].label.empty() ? d.name : d.tiles[0].label;
  }
  bool Ended() const override { return D().ended; }
  void Cancel() override {
    DialogState& d = D();
    for (std::size_t i = 0; i < d.tiles.size(); ++i)
      if (d.tiles[i].Flag(L"is_cancel")) {
        RunAction(d, static_cast<int>(i), kReasonSelected);
        return;
      }
    DoneDialog(handle_, 0);
  }
  void ForceCancel() override {
    D().ended = true;
    D().status = 0;
  }
  std::wstring Render() const override { return RenderDialog(D()); }
  void ApplyAction(const UserAction& action) override;

 private:
  DialogHandle handle_;
};

void Surface::ApplyAction(const UserAction& action) {
  using namespace host::ui;
  DialogState& d = D();
  const std::wstring what = host::WidenText(action.verb) + L" " + action.Arg(0);
  const int index = IndexOf(d, action.Arg(0));
  if (index < 0) {
    NoteScript(what + L": no such tile in \"" + Title() + L"\"");
    return;
  }
  TileState& tile = d.tiles[index];
  if (!tile.enabled) {
    NoteScript(what + L": the tile is disabled");
    return;
  }
  const bool is_list = tile.kind == TileKind::kListBox || tile.kind == TileKind::kPopupList;
  const bool multiple = tile.kind == TileKind::kListBox && tile.Flag(L"multiple_select");

  if (action.verb == kVerbSet) {
    std::wstring value = action.Arg(1);
    int reason = tile.kind == TileKind::kEditBox ? kReasonLostFocus : kReasonSelected;
    if (action.args.size() > 2) {
      const std::optional<long long> given = ParseWholeNumber(action.Arg(2));
      if (!given || *given < 1 || *given > 4) {
        NoteScript(what + L": a reason is 1 to 4");
        return;
      }
      reason = static_cast<int>(*given);
    }
    switch (tile.kind) {
      case TileKind::kEditBox: {
        std::size_t limit = kDefaultEditLimit;
        if (const std::wstring* v = tile.Attribute(L"edit_limit"))
          if (const std::optional<long long> n = ParseWholeNumber(*v); n && *n > 0)
            limit = static_cast<std::size_t>(*n);
        if (value.size() > limit) {
          value.resize(limit);
          NoteScript(what + L": cut to the edit limit");
        }
        break;
      }
      case TileKind::kToggle:
      case TileKind::kRadioButton:
        if (value != L"0" && value != L"1") {
          NoteScript(what + L": a toggle or radio button takes 0 or 1");
          return;
        }
        break;
      case TileKind::kListBox:
      case TileKind::kPopupList: {
        const std::optional<std::vector<int>> rows = ParseRows(value, tile.list.size());
        if (!rows || (rows->size() > 1 && !multiple)) {
          NoteScript(what + L": not rows of the list");
          return;
        }
        value = JoinRows(*rows);
        break;
      }
      case TileKind::kSlider:
        break;
      default:
        if (IsRadioCluster(tile.kind)) break;
        NoteScript(what + L": the tile takes no value");
        return;
    }
    SetValue(d, index, value);
    d.focus = tile.key;
    RunAction(d, index, reason);
    return;
  }

  if (action.verb == kVerbSelect || ((action.verb == kVerbClick || action.verb == kVerbDoubleClick) && is_list)) {
    if (!is_list) {
      NoteScript(what + L": not a list");
      return;
    }
    std::wstring value;
    for (std::size_t i = 1; i < action.args.size(); ++i) value += action.args[i] + L" ";
    const std::optional<std::vector<int>> rows = ParseRows(value, tile.list.size());
    if (!rows || (rows->size() > 1 && (!multiple || action.verb != kVerbSelect))) {
      NoteScript(what + L": not rows of the list");
      return;
    }
    SetValue(d, index, JoinRows(*rows));
    d.focus = tile.key;
    RunAction(d, index, action.verb == kVerbDoubleClick ? kReasonDoubleClick : kReasonSelected);
    return;
  }

  if (action.verb == kVerbClick) {
    switch (tile.kind) {
      case TileKind::kButton:
      case TileKind::kImageButton:
        break;
      case TileKind::kToggle:
        SetValue(d, index, tile.value == L"1" ? L"0" : L"1");
        break;
      case TileKind::kRadioButton:
        ChooseRadio(d, index);
        break;
      default:
        NoteScript(what + L": the tile takes no clicks");
        return;
    }
    d.focus = d.tiles[index].key;
    // A radio button without its own action reports through its cluster.
    const TileState& clicked = d.tiles[index];
    if (clicked.kind == TileKind::kRadioButton && !clicked.action && clicked.parent >= 0 &&
        IsRadioCluster(d.tiles[clicked.parent].kind) && d.tiles[clicked.parent].action) {
      RunAction(d, clicked.parent, kReasonSelected);
      return;
    }
    RunAction(d, index, kReasonSelected);
    return;
  }

  if (action.verb == kVerbDoubleClick) {
    NoteScript(what + L": only list rows take double clicks");
    return;
  }
  if (action.verb == kVerbFocus) {
    d.focus = tile.key;
    return;
  }
  NoteScript(what + L": not an action for a DCL dialog");
}

}  // namespace

const std::wstring* TileState::Attribute(std::wstring_view name) const {
  for (auto it = attributes.rbegin(); it != attributes.rend(); ++it)
    if (it->first == name) return &it->second;
  return nullptr;
}

bool TileState::Flag(std::wstring_view name) const { return IsTrue(Attribute(name)); }

TileState* DialogState::Find(const std::wstring& key) {
  const int index = IndexOf(*this, key);
  return index < 0 ? nullptr : &tiles[index];
}

const TileState* DialogState::Find(const std::wstring& key) const {
  const int index = IndexOf(*this, key);
  return index < 0 ? nullptr : &tiles[index];
}

void SetDclFileFinder(FileFinder finder) { State().finder = std::move(finder); }

int LoadDialog(const std::wstring& file_name) {
  Runtime& rt = State();
  std::wstring name = file_name;
  if (!HasExtension(name)) name += L".dcl";
  const std::optional<std::wstring> path = rt.finder ? rt.finder(name) : DefaultFinder(name);
  if (!path) {
    Note(L"load_dialog " + name + L": not found");
    return -1;
  }
  std::ifstream in(host::NativePath(*path).value_or(""), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    Note(L"load_dialog " + name + L": cannot read " + *path);
    return -1;
  }
  DclParseResult parsed = ParseDcl(host::WidenText(bytes.str()));
  if (!parsed.ok) {
    Note(L"load_dialog " + name + L": " + parsed.error);
    return -1;
  }
  const int id = rt.next_file_id++;
  rt.files[id] = LoadedFile{*path, std::move(parsed.file)};
  return id;
}

bool UnloadDialog(int file_id) {
  Runtime& rt = State();
  if (rt.files.erase(file_id) == 0) return false;
  for (auto it = rt.dialogs.begin(); it != rt.dialogs.end();)
    it = it->second->file_id == file_id && !it->second->running ? rt.dialogs.erase(it) : std::next(it);
  return true;
}

std::optional<DialogHandle> NewDialog(const std::wstring& name, int file_id, ActionCallback default_action) {
  Runtime& rt = State();
  const auto file = rt.files.find(file_id);
  if (file == rt.files.end()) return std::nullopt;
  const TileDef* def = file->second.file.Find(name);
  std::wstring error;
  std::optional<ResolvedTile> resolved = def ? ResolveTile(*def, file->second.file, &error) : std::nullopt;
  if (!resolved || resolved->kind != TileKind::kDialog) {
    Note(L"new_dialog " + name + L": " +
         (!def ? L"no such dialog" : !resolved ? error : std::wstring(L"not a dialog")));
    return std::nullopt;
  }
  auto dialog = std::make_unique<DialogState>();
  dialog->handle = DialogHandle{rt.next_dialog_id++};
  dialog->name = name;
  dialog->file_id = file_id;
  dialog->default_action = std::move(default_action);
  Flatten(*resolved, -1, 0, dialog->tiles);
  SettleRadioClusters(*dialog);
  const DialogHandle handle = dialog->handle;
  rt.dialogs[handle.id] = std::move(dialog);
  return handle;
}

bool ActionTile(DialogHandle handle, const std::wstring& key, ActionCallback action) {
  DialogState* d = Live(handle);
  TileState* tile = d ? d->Find(key) : nullptr;
  if (!tile) return false;
  tile->action = std::move(action);
  return true;
}

bool SetTile(DialogHandle handle, const std::wstring& key, const std::wstring& value) {
  DialogState* d = Live(handle);
  const int index = d ? IndexOf(*d, key) : -1;
  if (index < 0) return false;
  SetValue(*d, index, value);
  Note(L"set_tile " + key + L" " + host::ui::Quoted(value));
  return true;
}

std::optional<std::wstring> GetTile(DialogHandle handle, const std::wstring& key) {
  DialogState* d = Live(handle);
  const TileState* tile = d ? d->Find(key) : nullptr;
  if (!tile) return std::nullopt;
  return tile->value;
}

std::optional<std::wstring> GetAttribute(DialogHandle handle, const std::wstring& key, const std::wstring& attribute) {
  DialogState* d = Live(handle);
  const TileState* tile = d ? d->Find(key) : nullptr;
  const std::wstring* value = tile ? tile->Attribute(attribute) : nullptr;
  if (!value) return std::nullopt;
  return *value;
}

bool ModeTile(DialogHandle handle, const std::wstring& key, TileMode mode) {
  DialogState* d = Live(handle);
  TileState* tile = d ? d->Find(key) : nullptr;
  if (!tile) return false;
  switch (mode) {
    case TileMode::kEnable: tile->enabled = true; break;
    case TileMode::kDisable: tile->enabled = false; break;
    case TileMode::kFocus:
    case TileMode::kSelectText: d->focus = key; break;
    case TileMode::kFlipImage: break;
  }
  Note(L"mode_tile " + key + L" " + std::to_wstring(static_cast<int>(mode)));
  return true;
}

bool StartList(DialogHandle handle, const std::wstring& key, ListOperation operation, int index) {
  ListFill& fill = State().list;
  fill = ListFill{};
  DialogState* d = Live(handle);
  const TileState* tile = d ? d->Find(key) : nullptr;
  if (!tile || (tile->kind != TileKind::kListBox && tile->kind != TileKind::kPopupList)) return false;
  if (operation == ListOperation::kChange && (index < 0 || static_cast<std::size_t>(index) >= tile->list.size()))
    return false;
  fill = ListFill{true, handle, key, operation, index, {}};
  return true;
}

bool AddList(const std::wstring& row) {
  ListFill& fill = State().list;
  if (!fill.active) return false;
  fill.rows.push_back(row);
  return true;
}

bool EndList() {
  ListFill fill = std::move(State().list);
  State().list = ListFill{};
  DialogState* d = fill.active ? Live(fill.dialog) : nullptr;
  TileState* tile = d ? d->Find(fill.key) : nullptr;
  if (!tile) return false;
  switch (fill.operation) {
    case ListOperation::kNew:
      tile->list = std::move(fill.rows);
      tile->value = tile->kind == TileKind::kPopupList && !tile->list.empty() ? L"0" : L"";
      break;
    case ListOperation::kAppend:
      tile->list.insert(tile->list.end(), fill.rows.begin(), fill.rows.end());
      break;
    case ListOperation::kChange:
      for (std::size_t i = 0; i < fill.rows.size(); ++i) {
        const std::size_t at = static_cast<std::size_t>(fill.index) + i;
        if (at < tile->list.size())
          tile->list[at] = fill.rows[i];
        else
          tile->list.push_back(fill.rows[i]);
      }
      break;
  }
  Note(L"list " + fill.key + L": " + std::to_wstring(tile->list.size()) + L" rows");
  return true;
}

std::optional<std::pair<int, int>> DimensionsTile(DialogHandle handle, const std::wstring& key) {
  DialogState* d = Live(handle);
  const TileState* tile = d ? d->Find(key) : nullptr;
  if (!tile) return std::nullopt;
  auto cells = [&](const wchar_t* name) {
    const std::wstring* v = tile->Attribute(name);
    if (!v) return 0.0;
    wchar_t* end = nullptr;
    const double n = std::wcstod(v->c_str(), &end);
    return n > 0 ? n : 0.0;
  };
  return std::pair<int, int>{static_cast<int>(std::lround(cells(L"width") * kCellWidthPx)),
                             static_cast<int>(std::lround(cells(L"height") * kCellHeightPx))};
}

bool StartImage(DialogHandle handle, const std::wstring& key) {
  ImageFill& fill = State().image;
  fill = ImageFill{};
  DialogState* d = Live(handle);
  const TileState* tile = d ? d->Find(key) : nullptr;
  if (!tile || (tile->kind != TileKind::kImage && tile->kind != TileKind::kImageButton)) return false;
  fill = ImageFill{true, handle, key, {}};
  return true;
}

bool VectorImage(int x1, int y1, int x2, int y2, int colour) {
  ImageFill& fill = State().image;
  if (!fill.active) return false;
  fill.ops.push_back(ImageOp{false, x1, y1, x2, y2, colour});
  return true;
}

bool FillImage(int x, int y, int width, int height, int colour) {
  ImageFill& fill = State().image;
  if (!fill.active) return false;
  fill.ops.push_back(ImageOp{true, x, y, width, height, colour});
  return true;
}

bool EndImage() {
  ImageFill fill = std::move(State().image);
  State().image = ImageFill{};
  DialogState* d = fill.active ? Live(fill.dialog) : nullptr;
  TileState* tile = d ? d->Find(fill.key) : nullptr;
  if (!tile) return false;
  int vectors = 0;
  int fills = 0;
  for (const ImageOp& op : fill.ops) (op.fill ? fills : vectors)++;
  tile->image.insert(tile->image.end(), fill.ops.begin(), fill.ops.end());
  Note(L"image " + fill.key + L": " + std::to_wstring(vectors) + L" vectors, " + std::to_wstring(fills) + L" fills");
  return true;
}

std::optional<int> StartDialog(DialogHandle handle) {
  DialogState* d = Live(handle);
  if (!d || d->running) return std::nullopt;
  d->running = true;
  d->ended = false;
  if (const std::wstring* first = d->tiles[0].Attribute(L"initial_focus")) d->focus = *first;
  Shown().Add("dialog", L"open " + host::ui::Quoted(d->tiles[0].label) + L" (DCL " + d->name + L")");
  {
    Surface surface(handle);
    host::ui::RunModal(surface);
  }
  Runtime& rt = State();
  d = rt.dialogs.at(handle.id).get();
  d->running = false;
  d->spent = true;
  const int status = d->status;
  Shown().Add("dialog", L"end " + host::ui::Quoted(d->tiles[0].label) + L" -> " + std::to_wstring(status));
  if (rt.files.find(d->file_id) == rt.files.end()) rt.dialogs.erase(handle.id);
  return status;
}

bool DoneDialog(DialogHandle handle, int status) {
  DialogState* d = Live(handle);
  if (!d || !d->running) return false;
  d->ended = true;
  d->status = status;
  Note(L"done_dialog " + std::to_wstring(status));
  return true;
}

const DialogState* InspectDialog(DialogHandle handle) {
  const auto it = State().dialogs.find(handle.id);
  return it == State().dialogs.end() ? nullptr : it->second.get();
}

std::wstring RenderDialog(const DialogState& d) {
  using host::ui::Quoted;
  std::wstring out = L"Dialog " + Quoted(d.tiles[0].label) + L" (DCL " + d.name + L")\n";
  for (std::size_t i = 1; i < d.tiles.size(); ++i) {
    const TileState& t = d.tiles[i];
    if (t.key.empty() && t.label.empty()) continue;  // layout only
    std::wstring line(static_cast<std::size_t>(t.depth) * 2, L' ');
    line += (t.key.empty() ? L"-" : t.key) + L" " + TileKindName(t.kind);
    if (!t.label.empty() && t.kind != TileKind::kText) line += L" " + Quoted(t.label);
    const bool has_value = IsRadioCluster(t.kind) || (t.kind != TileKind::kButton && !IsCluster(t.kind) &&
                                                      t.kind != TileKind::kSpacer);
    if (has_value) line += L" value " + Quoted(t.value);
    if (!t.enabled) line += L" (disabled)";
    if (!t.key.empty() && t.key == d.focus) line += L" (focus)";
    if (!t.image.empty()) line += L" (" + std::to_wstring(t.image.size()) + L" drawn)";
    out += line + L"\n";
    if (t.kind == TileKind::kListBox || t.kind == TileKind::kPopupList) {
      const std::optional<std::vector<int>> selected = ParseRows(t.value, t.list.size());
      for (std::size_t r = 0; r < t.list.size(); ++r) {
        const bool on = selected && std::find(selected->begin(), selected->end(), static_cast<int>(r)) != selected->end();
        out += std::wstring(static_cast<std::size_t>(t.depth) * 2 + 4, L' ') + (on ? L"* " : L"  ") +
               std::to_wstring(r) + L" " + Quoted(t.list[r]) + L"\n";
      }
    }
  }
  // The actions the enabled tiles with keys take now.
  host::ui::DialogActions actions;
  for (std::size_t i = 1; i < d.tiles.size(); ++i) {
    const TileState& t = d.tiles[i];
    if (t.key.empty() || !t.enabled) continue;
    switch (t.kind) {
      case TileKind::kButton:
      case TileKind::kImageButton:
      case TileKind::kToggle:
      case TileKind::kRadioButton:
        actions.click.push_back(t.key);
        break;
      case TileKind::kListBox:
      case TileKind::kPopupList:
        if (!t.list.empty()) actions.select.push_back(t.key);
        break;
      case TileKind::kEditBox:
      case TileKind::kSlider:
        actions.set.push_back(t.key);
        break;
      default:
        break;
    }
  }
  return out + actions.Line();
}

void ResetDclRuntime() {
  Runtime& rt = State();
  rt.files.clear();
  for (auto it = rt.dialogs.begin(); it != rt.dialogs.end();)
    it = it->second->running ? std::next(it) : rt.dialogs.erase(it);
  rt.finder = nullptr;
  rt.list = ListFill{};
  rt.image = ImageFill{};
}

}  // namespace host::dcl
