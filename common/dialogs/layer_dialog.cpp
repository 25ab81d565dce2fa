#include "common/dialogs/layer_dialog.h"

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "common/dialogs/dcl_boxes.h"
#include "common/containers/text.h"
#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/system/status.h"
#include "host/editor/support_path.h"
#include "host/system/files.h"
#include "host/system/wide_text.h"
#include "host/lisp/call.h"
#include "host/ui/dcl_runtime.h"

namespace {

using host::dcl::CallbackPacket;
using host::dcl::DialogHandle;

constexpr const wchar_t* kInvalidLayerChars = L"<>/\\\":;?*|,='";

// What the tile actions of one run share.
struct LayerRun {
  GrowArray rows{};
  std::int32_t selected = 0;
  bool strictNames = false;
  int fileId = -1;
  int mainWidth = 0, mainHeight = 0;
  int newWidth = 0, newHeight = 0;
  std::wstring newName;  // at most 1023
  std::int32_t newColour = 7;
};
LayerRun* g_run = nullptr;

void CopyCut(wchar_t* dest, std::size_t chars, std::wstring_view text) {
  if (chars == 0) return;
  const std::size_t n = std::min(text.size(), chars - 1);
  std::wmemcpy(dest, text.data(), n);
  dest[n] = 0;
}

LayerRow* Rows() { return static_cast<LayerRow*>(g_run->rows.data); }

bool SameLayerName(const wchar_t* a, const wchar_t* b) {
  return host::SameIgnoringAsciiCase(std::wstring_view(a), std::wstring_view(b));
}

std::int32_t FindLayerRow(const wchar_t* name) {
  for (std::int32_t i = 0; i < g_run->rows.count; ++i)
    if (SameLayerName(Rows()[i].name, name)) return i;
  return -1;
}

void ShowColourSwatch(DialogHandle dialog, const wchar_t* key, int width, int height, int colour) {
  if (!host::dcl::StartImage(dialog, key)) return;
  host::dcl::VectorImage(0, 0, width - 1, 0, 8);
  host::dcl::VectorImage(0, 0, 0, height - 1, 8);
  host::dcl::FillImage(1, 1, width - 2, height - 2, colour);
  host::dcl::EndImage();
}

void FillLayerList(DialogHandle dialog, const wchar_t* select) {
  host::dcl::StartList(dialog, L"layerlist", host::dcl::ListOperation::kNew);
  for (std::int32_t i = 0; i < g_run->rows.count; ++i) {
    wchar_t text[2 * kLayerTextChars + 64];
    FormatLayerRow(Rows()[i], text, sizeof text / sizeof text[0]);
    host::dcl::AddList(text);
    if (LayerListMode() < 2 && select != nullptr && SameLayerName(Rows()[i].name, select)) g_run->selected = i;
    if (LayerListMode() == 2) break;
  }
  host::dcl::EndList();
  host::dcl::SetTile(dialog, L"layerlist", std::to_wstring(g_run->selected));
  if (g_run->rows.count > 0)
    ShowColourSwatch(dialog, L"main_color_image", g_run->mainWidth, g_run->mainHeight,
                     std::abs(Rows()[g_run->selected].colour));
}

// The colour dialog; a colour 1 to 255 or nothing.
std::optional<std::int32_t> AskColour(std::int32_t current) {
  using host::lisp::Value;
  const host::lisp::CallResult result =
      host::lisp::Invoke({Value::String(L"acad_colordlg"), Value::Short(static_cast<std::int16_t>(current))});
  if (result.status != host::Status::kNormal || result.value.type() != host::lisp::ValueType::kShort)
    return std::nullopt;
  const std::int32_t colour = result.value.integer();
  if (colour < 1 || colour > 255) return std::nullopt;
  return colour;
}

// The layer thawed, on, unlocked and not frozen in new viewports.
void MakeUsable(host::db::LayerRecord* layer) {
  layer->frozen = false;
  layer->off = false;
  if (layer->color < 0) layer->color = -layer->color;
  layer->frozenInNewViewports = false;
  layer->locked = false;
}

void OnLayerListSelect(const CallbackPacket& p) {
  if (g_run->rows.count == 0) return;
  const long index = std::wcstol(p.value.substr(0, 131).c_str(), nullptr, 10);
  if (index < 0 || index >= g_run->rows.count) return;
  g_run->selected = static_cast<std::int32_t>(index);
  ShowColourSwatch(p.dialog, L"main_color_image", g_run->mainWidth, g_run->mainHeight,
                   std::abs(Rows()[index].colour));
  if (p.reason == host::dcl::kReasonDoubleClick) host::dcl::DoneDialog(p.dialog, 1);
}

void OnChangeLayerColour(const CallbackPacket& p) {
  if (g_run->rows.count == 0) return;
  LayerRow& row = Rows()[g_run->selected];
  const std::optional<std::int32_t> colour = AskColour(std::abs(row.colour));
  if (!colour) return;
  row.colour = row.colour < 1 ? -*colour : *colour;
  if (host::db::Database* db = host::db::WorkingDatabase()) {
    if (host::db::LayerRecord* layer = db->LayerRecordOf(db->Layer(row.name))) layer->color = *colour;
  }
  FillLayerList(p.dialog, row.name);
}

void OnNewLayerName(const CallbackPacket& p) {
  if (p.reason != host::dcl::kReasonSelected && p.reason != host::dcl::kReasonLostFocus) return;
  std::vector<wchar_t> name(p.value.begin(), p.value.end());
  if (name.size() > kLayerTextChars - 1) name.resize(kLayerTextChars - 1);
  name.push_back(0);
  if (!g_run->strictNames) {
    ReplaceInvalidLayerChars(name.data());
    g_run->newName = name.data();
  } else if (IsValidLayerName(name.data())) {
    g_run->newName = name.data();
  } else {
    host::Alert(L"Layer name can't have following characters: <>/\\\":;?*|,='");
  }
  host::dcl::SetTile(p.dialog, L"layer_name", g_run->newName);
}

void OnNewLayerColour(const CallbackPacket& p) {
  const std::optional<std::int32_t> colour = AskColour(g_run->newColour);
  if (!colour) return;
  g_run->newColour = *colour;
  ShowColourSwatch(p.dialog, L"color_image", g_run->newWidth, g_run->newHeight, g_run->newColour);
}

void OnNewLayerOk(const CallbackPacket& p) {
  if (g_run->newName.empty()) {
    host::Alert(L"Too short layer name, way too short.");
    return;
  }
  const std::int32_t found = FindLayerRow(g_run->newName.c_str());
  if (found < 0) {
    host::dcl::DoneDialog(p.dialog, 1);
    return;
  }
  switch (YesNoBox(L"Layer exists, OK to use it?")) {
    case 1:
      g_run->newColour = Rows()[found].colour;
      host::dcl::DoneDialog(p.dialog, 1);
      break;
    case 3:
      host::dcl::DoneDialog(p.dialog, 0);
      break;
    default:
      break;
  }
}

bool NewLayerDialog() {
  g_run->newColour = 7;
  const std::optional<DialogHandle> dialog = host::dcl::NewDialog(L"add_new_layer", g_run->fileId);
  if (!dialog) {
    host::Print(L"New_dialog for add_new_layer failed\n");
    return false;
  }
  if (const auto size = host::dcl::DimensionsTile(*dialog, L"color_image")) {
    g_run->newWidth = size->first;
    g_run->newHeight = size->second;
  }
  ShowColourSwatch(*dialog, L"color_image", g_run->newWidth, g_run->newHeight, 7);
  host::dcl::ActionTile(*dialog, L"layer_name", OnNewLayerName);
  host::dcl::ActionTile(*dialog, L"new_color", OnNewLayerColour);
  host::dcl::ActionTile(*dialog, L"ok_new_layer", OnNewLayerOk);
  host::dcl::ActionTile(*dialog, L"cancel_new_layer", [](const CallbackPacket& p) { host::dcl::DoneDialog(p.dialog, 0); });
  return host::dcl::StartDialog(*dialog).value_or(0) == 1;
}

void ReadLayerModeFile() {
  const std::optional<std::wstring> path = host::FindFile(L"warn_layer_chars.ini");
  if (!path) return;
  const std::optional<std::string> native = host::NativePath(*path);
  std::FILE* file = native ? std::fopen(native->c_str(), "r") : nullptr;
  if (file == nullptr) return;
  char line[1024];
  if (std::fgets(line, sizeof line, file) != nullptr && std::fgets(line, sizeof line, file) != nullptr) {
    switch (line[0]) {
      case '1': g_run->strictNames = true; LayerListMode() = 1; break;
      case '2': LayerListMode() = 2; break;
      case '3': LayerListMode() = 3; break;
      case '4': LayerListMode() = 4; break;
      default: break;
    }
  }
  std::fclose(file);
}

}  // namespace

std::int32_t& LayerListMode() {
  static std::int32_t mode = 0;
  return mode;
}

bool FormatLayerRow(const LayerRow& row, wchar_t* text, std::size_t chars) {
  const int n = std::swprintf(text, chars, L"%ls\t %ls\t%ls\t%ls\t%ls", row.colour > 0 ? L"On" : L"Off",
                              (row.flags & 1) ? L"F" : L".", (row.flags & 4) ? L"L" : L".",
                              std::to_wstring(std::abs(row.colour)).c_str(), row.name);
  return n >= 0;
}

void ReplaceInvalidLayerChars(wchar_t* name) {
  for (; *name != 0; ++name)
    if (std::wcschr(kInvalidLayerChars, *name) != nullptr) *name = L'x';
}

bool IsValidLayerName(const wchar_t* name) {
  for (; *name != 0; ++name)
    if (std::wcschr(kInvalidLayerChars, *name) != nullptr) return false;
  return true;
}

void SortLayerRows(GrowArray* rows) {
  if (rows->marker != kGrowArrayMarker) return;
  LayerRow* r = static_cast<LayerRow*>(rows->data);
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (std::int32_t j = 1; j < rows->count; ++j) {
      if (host::NameLess(r[j].name, r[j - 1].name) && !host::SameNameIgnoringCase(r[j].name, r[j - 1].name)) {
        std::swap(r[j], r[j - 1]);
        swapped = true;
      }
    }
  }
}

bool CollectLayerRows(GrowArray* rows) {
  const host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  bool rewind = true;
  while (const std::optional<host::db::EntityList> entry = host::db::TableNext(*db, L"LAYER", rewind)) {
    rewind = false;
    LayerRow row{};
    if (const host::db::Group* g = host::db::FindGroup(*entry, 2); g && g->Text()) CopyCut(row.name, kLayerTextChars, *g->Text());
    if (const host::db::Group* g = host::db::FindGroup(*entry, 6); g && g->Text()) CopyCut(row.linetype, kLayerTextChars, *g->Text());
    if (const host::db::Group* g = host::db::FindGroup(*entry, 62)) row.colour = g->Int();
    if (const host::db::Group* g = host::db::FindGroup(*entry, 70)) row.flags = g->Int();
    if (!GrowArraySet(rows, rows->count, &row)) return false;
  }
  SortLayerRows(rows);
  return true;
}

bool SelectLayerDialog(wchar_t* name, std::size_t nameChars, std::int16_t* colour, const wchar_t* initialName) {
  LayerRun run;
  g_run = &run;
  struct Done {
    ~Done() {
      if (g_run->fileId >= 0) host::dcl::UnloadDialog(g_run->fileId);
      if (g_run->rows.marker == kGrowArrayMarker) GrowArrayFree(&g_run->rows);
      g_run = nullptr;
    }
  } done;
  ReadLayerModeFile();
  if (!GrowArrayCreate(50, sizeof(LayerRow), &run.rows)) return false;
  CollectLayerRows(&run.rows);
  run.fileId = host::dcl::LoadDialog(L"g_layersel.dcl");
  if (run.fileId < 0) {
    host::Print(L"Error loading \"g_layersel.dcl\"\n");
    return false;
  }
  const std::optional<DialogHandle> dialog = host::dcl::NewDialog(L"g_layersel", run.fileId);
  if (!dialog) {
    host::Print(L"New dialog for \"g_layersel\" failed\n");
    return false;
  }
  host::dcl::ActionTile(*dialog, L"layerlist", OnLayerListSelect);
  host::dcl::ActionTile(*dialog, L"ok_select", [](const CallbackPacket& p) { host::dcl::DoneDialog(p.dialog, 1); });
  host::dcl::ActionTile(*dialog, L"cancel_selection", [](const CallbackPacket& p) { host::dcl::DoneDialog(p.dialog, 0); });
  host::dcl::ActionTile(*dialog, L"new_layer", [](const CallbackPacket& p) { host::dcl::DoneDialog(p.dialog, 5); });
  host::dcl::ActionTile(*dialog, L"change_color", OnChangeLayerColour);
  if (const auto size = host::dcl::DimensionsTile(*dialog, L"main_color_image")) {
    run.mainWidth = size->first;
    run.mainHeight = size->second;
  }
  FillLayerList(*dialog, initialName);
  const int status = host::dcl::StartDialog(*dialog).value_or(0);
  host::db::Database* db = host::db::WorkingDatabase();
  if (status == 1 && run.rows.count > 0) {
    const LayerRow& row = Rows()[run.selected];
    if (name) CopyCut(name, nameChars, row.name);
    if (colour) *colour = static_cast<std::int16_t>(std::abs(row.colour));
    if (db != nullptr) {
      if (host::db::LayerRecord* layer = db->LayerRecordOf(db->Layer(row.name))) MakeUsable(layer);
    }
    return true;
  }
  if (status == 5 && NewLayerDialog()) {
    std::int32_t newColour = std::abs(run.newColour);
    if (newColour == 0) newColour = 7;
    if (name) CopyCut(name, nameChars, run.newName);
    if (colour) *colour = static_cast<std::int16_t>(newColour);
    if (db != nullptr) {
      if (host::db::LayerRecord* layer = db->LayerRecordOf(db->Layer(run.newName))) {
        MakeUsable(layer);
      } else {
        host::db::LayerRecord record;
        record.name = run.newName;
        record.color = newColour;
        record.linetype = 0;
        if (const host::db::LinetypeRecord* lt = db->LinetypeRecordOf(db->Linetype(L"CONTINUOUS")))
          record.linetype = lt->handle;
        db->AddLayer(record);
      }
    }
    return true;
  }
  return false;
}
