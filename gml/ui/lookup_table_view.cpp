#include "gml/ui/lookup_table_view.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/containers/text.h"
#include "gml/ui/code_pair_dialog.h"
#include "gml/ui/variant_lists.h"
#include "host/editor/support_path.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

namespace {

using host::ui::ControlKind;
using host::ui::MessageButtons;
using host::ui::MessageIcon;
using host::ui::MessageResult;
using host::ui::Notify;
namespace st = host::ui::style;

constexpr const wchar_t* kOrvane = L"Orvane";

host::ui::DialogTemplate TableTemplate(int id, const wchar_t* caption, int list, const wchar_t* done) {
  host::ui::DialogTemplate t;
  t.id = id;
  t.caption = caption;
  t.rect = {0, 0, 320, 250};
  t.controls = {
      {kIdTableFile, ControlKind::kStatic, L"File: ", 0, {7, 7, 250, 8}},
      {list, ControlKind::kListView, L"", st::kShowSelAlways, {7, 20, 250, 223}},
      {kIdAddPair, ControlKind::kButton, L"&Add...", 0, {263, 20, 50, 14}},
      {kIdEditPair, ControlKind::kButton, L"&Edit", 0, {263, 37, 50, 14}},
      {kIdDeletePairs, ControlKind::kButton, L"&Delete", 0, {263, 54, 50, 14}},
      {kIdChangeTable, ControlKind::kButton, L"Change...", 0, {263, 88, 50, 14}},
      {host::ui::kIdOk, ControlKind::kButton, done, st::kDefault, {263, 229, 50, 14}},
  };
  return t;
}

int CompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int x = static_cast<unsigned char>(*a);
    int y = static_cast<unsigned char>(*b);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y || x == 0) return x - y;
  }
}

void* Slot(const GrowArray* table, std::int32_t index) {
  void* slot = nullptr;
  return GrowArrayGetPtr(table, index, &slot) ? slot : nullptr;
}

// The folder part of a path, without its final separator.
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t at = path.find_last_of(L"/\\");
  return at == std::wstring::npos ? L"." : path.substr(0, at == 0 ? 1 : at);
}

std::wstring NameOf(const std::wstring& path) {
  const std::size_t at = path.find_last_of(L"/\\");
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return host::SameFile(a, b);
}

}  // namespace

host::ui::DialogTemplate CodeLayerTableTemplate() {
  return TableTemplate(kCodeLayerTableTemplate, L"Feature Code / AutoCAD Layer Lookup Table", kIdCodeLayerList,
                       L"D&one");
}

host::ui::DialogTemplate CodeSymbolTableTemplate() {
  return TableTemplate(kCodeSymbolTableTemplate, L"Feature Code / AutoCAD Block Lookup Table", kIdCodeSymbolList,
                       L"Done");
}

LookupTableView::LookupTableView(host::ui::DialogTemplate t, bool symbols, host::ui::Dialog* parent)
    : Dialog(std::move(t), parent), symbols_(symbols) {
  On(kIdAddPair, Notify::kClick, [this] { OnAdd(); });
  On(kIdEditPair, Notify::kClick, [this] { OnEdit(); });
  On(kIdDeletePairs, Notify::kClick, [this] { OnDelete(); });
  On(kIdChangeTable, Notify::kClick, [this] { OnChange(); });
  On(ListId(), Notify::kDoubleClick, [this] { OnEdit(); });
  On(ListId(), Notify::kColumnClick,
     host::ui::Dialog::Handler([this](const host::ui::Notification& n) { OnColumnClick(n.column); }));
}

CodeLayerLookupView::CodeLayerLookupView(host::ui::Dialog* parent)
    : LookupTableView(CodeLayerTableTemplate(), false, parent) {}

CodeSymbolLookupView::CodeSymbolLookupView(host::ui::Dialog* parent)
    : LookupTableView(CodeSymbolTableTemplate(), true, parent) {}

std::wstring& LookupTableView::FileName() const {
  return symbols_ ? record->symbolTableFileName : record->codeTableFileName;
}

bool LookupTableView::OnInitDialog() {
  Dialog::OnInitDialog();
  Refresh();
  return true;
}

void LookupTableView::Sort() {
  if (table == nullptr || table->marker != kGrowArrayMarker || table->count < 2) return;
  const std::size_t size = static_cast<std::size_t>(table->elementSize);
  std::vector<unsigned char> swap(size);
  auto key = [&](void* slot) -> const char* {
    if (symbols_) {
      auto* entry = static_cast<SymbolLookupEntry*>(slot);
      return sortColumn == 0 ? entry->code : entry->block;
    }
    auto* entry = static_cast<CodeLookupEntry*>(slot);
    return sortColumn == 0 ? entry->code : entry->layer;
  };
  const int dir = direction[sortColumn];
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (std::int32_t i = 1; i < table->count; ++i) {
      void* a = Slot(table, i - 1);
      void* b = Slot(table, i);
      const int order = CompareNoCase(key(b), key(a));
      if ((dir > 0 && order < 0) || (dir < 0 && order > 0)) {
        std::memcpy(swap.data(), a, size);
        std::memcpy(a, b, size);
        std::memcpy(b, swap.data(), size);
        swapped = true;
      }
    }
  }
}

void LookupTableView::Refresh() {
  host::ui::Control& list = Item(ListId());
  if (list.GetColumnCount() == 0) {
    const int width = list.ClientRect().Width() + 12 * host::ui::GetSystemMetric(host::ui::SystemMetric::kBorderWidth) -
                      2 * host::ui::GetSystemMetric(host::ui::SystemMetric::kScrollThumbWidth);
    const int unit = width / 10;
    list.InsertColumn(0, L"Feature Code", 3 * unit);
    list.InsertColumn(1, symbols_ ? L"AutoCAD Symbol Block" : L"AutoCAD Layer", 7 * unit);
  }
  if (record != nullptr) SetItemText(kIdTableFile, L"File: " + FileName());
  list.DeleteAllItems();
  if (table == nullptr || table->marker != kGrowArrayMarker) return;
  Sort();
  for (std::int32_t i = 0; i < table->count; ++i) {
    void* slot = Slot(table, i);
    if (slot == nullptr) break;
    std::string code, second;
    if (symbols_) {
      const auto* entry = static_cast<const SymbolLookupEntry*>(slot);
      code = FieldText(entry->code);
      second = FieldText(entry->block);
    } else {
      const auto* entry = static_cast<const CodeLookupEntry*>(slot);
      code = std::string(FieldText(entry->code)) + (entry->useConditions != 0 ? "+" : "");
      second = FieldText(entry->layer);
    }
    const int row = list.InsertItem(i, Utf8ToWide(code));
    list.SetItemText(row, 1, Utf8ToWide(second));
  }
}

void LookupTableView::OnColumnClick(int column) {
  if (column < 0 || column > 1) return;
  if (column == sortColumn) {
    direction[column] = -direction[column];
  } else {
    sortColumn = column;
  }
  Refresh();
}

void LookupTableView::OnAdd() {
  if (table == nullptr || table->marker != kGrowArrayMarker) return;
  AddCodeLayer pair(this);
  pair.record = record;
  pair.table = table;
  if (symbols_) {
    pair.symbolMode = true;
    pair.caption = L"Feature Code / AutoCAD Symbol Block pair";
    pair.secondLabel = L"AutoCAD Block:";
  }
  if (pair.DoModal() != host::ui::kIdOk || pair.code.empty() || pair.layer.empty()) return;
  bool added = false;
  if (symbols_) {
    SymbolLookupEntry entry{};
    CopyUtf8Field(entry.code, WideToUtf8(pair.code));
    CopyUtf8Field(entry.block, WideToUtf8(pair.layer));
    added = GrowArraySet(table, table->count, &entry);
  } else {
    CodeLookupEntry entry{};
    CopyUtf8Field(entry.code, WideToUtf8(pair.code));
    CopyUtf8Field(entry.layer, WideToUtf8(pair.layer));
    entry.colour = pair.colour;
    entry.on = pair.on != 0;
    entry.frozen = pair.frozen != 0;
    entry.locked = pair.locked != 0;
    entry.useConditions = pair.useExceptions != 0;
    entry.variants = pair.TakeVariants();
    added = GrowArraySet(table, table->count, &entry);
    if (!added) FreeVariantList(&entry.variants);
  }
  if (!added) return;
  changed = true;
  Refresh();
}

void LookupTableView::OnEdit() {
  host::ui::Control& list = Item(ListId());
  const int selected = list.GetSelectedCount();
  if (selected == 0) {
    (void)host::ui::ShowMessageBox(L"Select one item to be edited first.", kOrvane);
    return;
  }
  if (selected > 1) {
    (void)host::ui::ShowMessageBox(L"Can edit one item at time only.", kOrvane);
    return;
  }
  const int row = list.GetNextItem(-1, host::ui::kItemSelected);
  void* slot = table != nullptr ? Slot(table, row) : nullptr;
  if (slot == nullptr) return;
  AddCodeLayer pair(this);
  pair.record = record;
  pair.table = table;
  pair.editedRow = row;
  if (symbols_) {
    const auto* entry = static_cast<const SymbolLookupEntry*>(slot);
    pair.symbolMode = true;
    pair.caption = L"Feature Code / AutoCAD Symbol Block pair";
    pair.secondLabel = L"AutoCAD Block:";
    pair.code = Utf8ToWide(FieldText(entry->code));
    pair.layer = Utf8ToWide(FieldText(entry->block));
  } else {
    const auto* entry = static_cast<const CodeLookupEntry*>(slot);
    pair.code = Utf8ToWide(FieldText(entry->code));
    pair.layer = Utf8ToWide(FieldText(entry->layer));
    pair.colour = entry->colour;
    pair.on = entry->on;
    pair.frozen = entry->frozen;
    pair.locked = entry->locked;
    pair.useExceptions = entry->useConditions;
    // The pair editor works on a copy, so that its Cancel leaves the row's
    // exceptions as they were.
    GrowArray copy{};
    if (!CopyVariantList(entry->variants, &copy)) return;
    pair.SetVariants(copy);
  }
  if (pair.DoModal() != host::ui::kIdOk || pair.code.empty() || pair.layer.empty()) return;
  slot = Slot(table, row);
  if (slot == nullptr) return;
  if (symbols_) {
    auto* entry = static_cast<SymbolLookupEntry*>(slot);
    CopyUtf8Field(entry->code, WideToUtf8(pair.code));
    CopyUtf8Field(entry->block, WideToUtf8(pair.layer));
  } else {
    auto* entry = static_cast<CodeLookupEntry*>(slot);
    CopyUtf8Field(entry->code, WideToUtf8(pair.code));
    CopyUtf8Field(entry->layer, WideToUtf8(pair.layer));
    entry->colour = pair.colour;
    entry->on = pair.on != 0;
    entry->frozen = pair.frozen != 0;
    entry->locked = pair.locked != 0;
    entry->useConditions = pair.useExceptions != 0;
    FreeVariantList(&entry->variants);
    entry->variants = pair.TakeVariants();
  }
  changed = true;
  Refresh();
}

void LookupTableView::OnDelete() {
  host::ui::Control& list = Item(ListId());
  const int selected = list.GetSelectedCount();
  if (selected == 0) {
    (void)host::ui::ShowMessageBox(L"Select item to be deleted first.", kOrvane);
    return;
  }
  const std::wstring what = symbols_ ? L"block" : L"layer";
  const std::wstring text =
      selected == 1 ? L"Do you want to permanently remove code / " + what + L" look up pair?"
                    : L"Do you want to permanently remove " + std::to_wstring(selected) + L" code / " + what +
                          L" look up pairs?";
  if (host::ui::ShowMessageBox(text, L"Careful now!", MessageButtons::kOkCancel, MessageIcon::kExclamation) !=
      MessageResult::kOk)
    return;
  std::vector<int> rows;
  for (int row = list.GetNextItem(-1, host::ui::kItemSelected); row >= 0;
       row = list.GetNextItem(row, host::ui::kItemSelected))
    rows.push_back(row);
  // From the highest row down, so that the rows still to go keep their
  // places.
  std::sort(rows.rbegin(), rows.rend());
  for (int row : rows) {
    if (!symbols_) {
      if (void* slot = Slot(table, row)) FreeVariantList(&static_cast<CodeLookupEntry*>(slot)->variants);
    }
    RemoveElement(table, row);
  }
  changed = true;
  Refresh();
}

void LookupTableView::OnChange() {
  if (record == nullptr) return;
  host::ui::FileDialogRequest request;
  request.title = symbols_ ? L"Please select a new Symbol Lookup Table file"
                           : L"Please select a new Feature Code Lookup Table file";
  request.filters = {symbols_ ? host::ui::FileFilter{L"Symbol Lookup Table files (*.ovs)", L"*.ovs"}
                              : host::ui::FileFilter{L"Feature Lookup Table files (*.ovc)", L"*.ovc"}};
  request.initial_folder = record->supportFolder;
  request.must_exist = true;
  request.hide_read_only = true;
  request.no_change_dir = true;
  request.buffer_chars = 10239;
  const host::Result<host::ui::FileDialogPaths> result = host::ui::ShowFileDialog(request);
  if (!result.ok() || result.value.empty()) return;
  const std::wstring chosen = result.value.front();
  const std::wstring name = NameOf(chosen);

  // The edits so far go to the current file before another takes its place;
  // when they cannot be kept, nothing changes.
  const std::wstring current = record->supportFolder + FileName();
  if (!(symbols_ ? record->SaveSymbolLookupTable() : record->SaveCodeLookupTable())) {
    (void)host::ui::ShowMessageBox(L"Could not save '" + current + L"'.\n\nThe lookup table was not changed.",
                                   kOrvane, MessageButtons::kOk, MessageIcon::kExclamation);
    return;
  }
  changed = false;

  // Tables are loaded by name from the support folder: a table from
  // elsewhere is copied there first.
  if (!SameFolder(FolderOf(chosen), FolderOf(record->supportFolder + L"x"))) {
    const std::wstring target = record->supportFolder + name;
    if (host::FindInFolder(record->supportFolder, name).has_value()) {
      const std::wstring question = L"'" + name + L"' is already in the support folder:\n\n'" +
                                    record->supportFolder + L"'\n\nReplace it with the chosen file?";
      if (host::ui::ShowMessageBox(question, kOrvane, MessageButtons::kYesNo, MessageIcon::kQuestion) !=
          MessageResult::kYes)
        return;
    }
    if (!host::CopyFile(chosen, target, true)) {
      (void)host::ui::ShowMessageBox(L"Could not copy '" + chosen + L"' into the support folder:\n\n'" +
                                         record->supportFolder + L"'",
                                     kOrvane, MessageButtons::kOk, MessageIcon::kExclamation);
      return;
    }
  }
  FileName() = name;
  if (symbols_) {
    (void)record->LoadSymbolLookupTable();
    table = &record->symbolTable;
  } else {
    (void)record->LoadCodeLookupTable();
    table = &record->codeTable;
  }
  Refresh();
}

namespace {

template <typename View>
bool EditTable(OS_GML_ACAD_Definitions& record, GrowArray* table, host::ui::Dialog* parent,
               bool (OS_GML_ACAD_Definitions::*save)()) {
  View view(parent);
  view.table = table;
  view.record = &record;
  (void)view.DoModal();
  return view.changed && (record.*save)();
}

}  // namespace

bool EditCodeLayerTable(OS_GML_ACAD_Definitions& record, host::ui::Dialog* parent) {
  return EditTable<CodeLayerLookupView>(record, &record.codeTable, parent,
                                        &OS_GML_ACAD_Definitions::SaveCodeLookupTable);
}

bool EditCodeSymbolTable(OS_GML_ACAD_Definitions& record, host::ui::Dialog* parent) {
  return EditTable<CodeSymbolLookupView>(record, &record.symbolTable, parent,
                                         &OS_GML_ACAD_Definitions::SaveSymbolLookupTable);
}
