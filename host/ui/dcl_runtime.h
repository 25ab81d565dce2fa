// The DCL dialog runtime: dialog files loaded from the support path, dialogs
// made from them, tiles driven by the dialog's code and by the user.
//
// LoadDialog finds a file through the file finder (SetDclFileFinder; by
// default the support path search of host/editor/support_path.h), adding
// ".dcl" to a name without an extension;
// it answers a file id, negative on failure (not found, unreadable, a syntax
// error: the transcript says which, kind "dcl"). NewDialog makes a dialog
// from a dialog definition of a loaded file. The dialog's code binds actions,
// sets tiles and fills lists, then StartDialog runs it modally
// (host/ui/modal.h) until an action calls DoneDialog, and answers the
// status. After StartDialog the handle is spent: calls on it fail harmlessly,
// and InspectDialog still shows its last state.
//
// Calls naming a missing tile, or a spent or unknown handle, change nothing
// and answer false (or nothing).
//
// Tile values: a toggle or radio button "0"/"1"; a radio row or column the
// key of its chosen button; a list box the selected row ("2"), or with
// multiple_select the selected rows separated by blanks ("0 3 5"); a popup
// list the selected row; an edit box its text; a text tile its label.
//
// User actions (host/ui/script_verbs.h) reach a running dialog: dlg_set sets
// a tile's value and runs its action (reason 1; 2 for an edit box, "lost
// focus"; or the reason given), dlg_click presses a button, flips a toggle
// or chooses a radio button (reason 1), dlg_select chooses list rows (reason
// 1), dlg_dblclick chooses a list row with reason 4, and esc runs the cancel
// button. A button without an action runs the dialog's default action when
// it has one; else "accept" (or is_default) ends the dialog with 1 and
// "cancel" (or is_cancel) with 0. A dialog that runs out of script ends with
// 0, as cancelled.
//
// Process-wide state, used from one thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/ui/dcl_parser.h"

namespace host::dcl {

// Finds a support file by name: its full path, or nothing.
using FileFinder = std::function<std::optional<std::wstring>(const std::wstring& name)>;
void SetDclFileFinder(FileFinder finder);  // an empty finder restores the default

[[nodiscard]] int LoadDialog(const std::wstring& file_name);
bool UnloadDialog(int file_id);

struct DialogHandle {
  int id = 0;
  friend bool operator==(DialogHandle, DialogHandle) = default;
};

// Action reasons.
inline constexpr int kReasonSelected = 1;
inline constexpr int kReasonLostFocus = 2;
inline constexpr int kReasonDragged = 3;
inline constexpr int kReasonDoubleClick = 4;

struct CallbackPacket {
  DialogHandle dialog;
  std::wstring tile;   // key
  std::wstring value;  // the tile's value
  int reason = kReasonSelected;
};
using ActionCallback = std::function<void(const CallbackPacket&)>;

// A dialog called `name` from file `file_id`; nothing when the file is not
// loaded or has no such dialog.
[[nodiscard]] std::optional<DialogHandle> NewDialog(const std::wstring& name, int file_id,
                                                    ActionCallback default_action = {});
bool ActionTile(DialogHandle dialog, const std::wstring& key, ActionCallback action);
bool SetTile(DialogHandle dialog, const std::wstring& key, const std::wstring& value);
[[nodiscard]] std::optional<std::wstring> GetTile(DialogHandle dialog, const std::wstring& key);
// A tile's attribute as the file gives it ("label", "edit_limit", ...).
[[nodiscard]] std::optional<std::wstring> GetAttribute(DialogHandle dialog, const std::wstring& key,
                                                       const std::wstring& attribute);

enum class TileMode { kEnable = 0, kDisable = 1, kFocus = 2, kSelectText = 3, kFlipImage = 4 };
bool ModeTile(DialogHandle dialog, const std::wstring& key, TileMode mode);

// List fill of a list box or popup list: StartList, AddList for each row,
// EndList. kNew replaces the rows; kAppend adds to them; kChange replaces
// rows from `index` on.
enum class ListOperation { kChange = 1, kAppend = 2, kNew = 3 };
bool StartList(DialogHandle dialog, const std::wstring& key, ListOperation operation = ListOperation::kNew,
               int index = 0);
bool AddList(const std::wstring& row);
bool EndList();

// Image tiles: the size in pixels (width and height in character cells of
// 6 by 13 pixels), then drawing between StartImage and EndImage, recorded.
[[nodiscard]] std::optional<std::pair<int, int>> DimensionsTile(DialogHandle dialog, const std::wstring& key);
bool StartImage(DialogHandle dialog, const std::wstring& key);
bool VectorImage(int x1, int y1, int x2, int y2, int colour);
bool FillImage(int x, int y, int width, int height, int colour);
bool EndImage();

// Runs the dialog; its status, or nothing for a spent or unknown handle.
[[nodiscard]] std::optional<int> StartDialog(DialogHandle dialog);
// Ends a running dialog with `status` once the current action returns.
bool DoneDialog(DialogHandle dialog, int status);

struct ImageOp {
  bool fill = false;  // a filled rectangle; else a vector
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a fill: x, y, width, height
  int colour = 0;
};

// One tile of a dialog, in tree order.
struct TileState {
  TileKind kind = TileKind::kSpacer;
  int parent = -1;  // index of the enclosing tile; -1 for the dialog
  int depth = 0;
  std::wstring key;
  std::wstring label;
  std::wstring value;
  bool enabled = true;
  std::vector<std::wstring> list;  // rows of a list box or popup list
  std::vector<ImageOp> image;      // everything drawn into an image tile
  ActionCallback action;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;

  const std::wstring* Attribute(std::wstring_view name) const;
  bool Flag(std::wstring_view name) const;  // an attribute set to true
};

struct DialogState {
  DialogHandle handle;
  std::wstring name;
  int file_id = 0;
  std::vector<TileState> tiles;  // tiles[0] is the dialog
  std::wstring focus;            // key of the tile with the focus
  bool running = false;
  bool spent = false;
  bool ended = false;
  int status = 0;
  ActionCallback default_action;

  TileState* Find(const std::wstring& key);
  const TileState* Find(const std::wstring& key) const;
};

// A dialog's state, also after it has run (until its file is unloaded);
// null for an unknown handle.
const DialogState* InspectDialog(DialogHandle dialog);

// The dialog as text: its label, then each tile with key, kind, label,
// value, enabled state, list rows with their selection.
std::wstring RenderDialog(const DialogState& dialog);

// Forgets every loaded file and dialog, and restores the default finder
// (for tests).
void ResetDclRuntime();

}  // namespace host::dcl
