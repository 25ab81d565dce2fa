#include "common/dialogs/section_scan_result.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <numeric>
#include <vector>

#include "common/dialogs/section_scan.h"
#include "common/containers/text.h"
#include "host/system/process.h"
#include "host/ui/data_exchange.h"
#include "host/ui/message_box.h"
#include "host/system/wide_text.h"

namespace {

using host::ui::ControlKind;
using host::ui::Notify;
namespace st = host::ui::style;

const SectionFileRecord* RecordAt(const GrowArray* records, std::int32_t index) {
  if (records == nullptr || records->marker != kGrowArrayMarker || index < 0 || index >= records->count)
    return nullptr;
  return static_cast<const SectionFileRecord*>(records->data) + index;
}

std::wstring FileNameOf(const wchar_t* path) {
  const std::wstring text = path;
  const std::size_t cut = text.find_last_of(L"/\\");
  return cut == std::wstring::npos ? text : text.substr(cut + 1);
}

const wchar_t* SourceText(std::int32_t type) {
  switch (type) {
    case 2: case 12: return L"Source: Ground Model";
    case 3: case 13: return L"Source: Drawing entities";
    case 4: case 14: return L"Source: Overlay design";
    case 5: case 15: return L"Source: Design output";
    case 6: return L"Source: Section drawing";
    case 7: case 16: return L"Source: River survey";
    case 8: case 17: return L"Source: River design";
    default: return L"Source: (unknown)";
  }
}

bool LessIgnoringCase(const char* a, const char* b) { return host::CompareIgnoringAsciiCase(a, b) < 0; }

}  // namespace

host::ui::DialogTemplate SectionScanResultTemplate() {
  host::ui::DialogTemplate t;
  t.id = kSectionScanResultTemplate;
  t.caption = L"Section files found";
  t.rect = {0, 0, 400, 260};
  t.controls = {
      {kIdScanFolderText, ControlKind::kStatic, L"", 0, {7, 7, 386, 10}},
      {kIdScanCountText, ControlKind::kStatic, L"", 0, {7, 19, 386, 10}},
      {kIdScanList, ControlKind::kListBox, L"", st::kNotify, {7, 32, 386, 110}},
      {kIdScanFullPath, ControlKind::kCheckBox, L"Show full paths", st::kAuto, {7, 146, 80, 10}},
      {kIdScanSortCombo, ControlKind::kComboBox, L"", 0, {120, 145, 90, 60}},
      {kIdScanAscending, ControlKind::kCheckBox, L"Ascending", st::kAuto, {220, 146, 60, 10}},
      {kIdScanSummary, ControlKind::kStatic, L"", 0, {7, 162, 386, 10}},
      {kIdScanType, ControlKind::kStatic, L"", 0, {7, 174, 190, 10}},
      {kIdScanSource, ControlKind::kStatic, L"", 0, {200, 174, 193, 10}},
      {kIdScanDescription, ControlKind::kStatic, L"", st::kNotify, {7, 186, 386, 10}},
      {kIdScanDate, ControlKind::kStatic, L"", st::kNotify, {7, 198, 386, 10}},
      {kIdScanDrawing, ControlKind::kStatic, L"", st::kNotify, {7, 210, 386, 10}},
      {kIdScanGroundModel, ControlKind::kStatic, L"", st::kNotify, {7, 222, 386, 10}},
      {kIdScanOpenFolder, ControlKind::kButton, L"Show in folder...", 0, {7, 239, 80, 14}},
      {1, ControlKind::kButton, L"OK", st::kDefault, {283, 239, 50, 14}},
      {2, ControlKind::kButton, L"Close", 0, {343, 239, 50, 14}},
  };
  return t;
}

CSectionScanResult::CSectionScanResult() : Dialog(SectionScanResultTemplate()) {
  On(host::ui::kIdOk, Notify::kClick, [this] { OnClickedOk(); });
  On(host::ui::kIdCancel, Notify::kClick, [this] { EndDialog(host::ui::kIdCancel); });
  On(kIdScanFullPath, Notify::kClick, [this] {
    selectedIndex = Item(kIdScanList).GetCurSel();
    UpdateData(true);
    OnInitDialog();
  });
  On(kIdScanList, Notify::kSelChange, [this] { ShowSectionDetails(); });
  On(kIdScanList, Notify::kSetFocus, [this] { ShowSectionDetails(); });
  On(kIdScanOpenFolder, Notify::kClick, [this] { OpenSectionFolder(); });
  On(kIdScanDrawing, Notify::kDoubleClick, [this] { ShowTextBox(kIdScanDrawing); });
  On(kIdScanDescription, Notify::kDoubleClick, [this] { ShowTextBox(kIdScanDescription); });
  On(kIdScanGroundModel, Notify::kDoubleClick, [this] { ShowTextBox(kIdScanGroundModel); });
  On(kIdScanDate, Notify::kDoubleClick, [this] { OnSectionDate(); });
  On(kIdScanSortCombo, Notify::kSelChange, [this] {
    sortMode = Item(kIdScanSortCombo).GetCurSel();
    SortSectionList();
    OnInitDialog();
  });
  On(kIdScanAscending, Notify::kClick, [this] {
    UpdateData(true);
    SortSectionList();
    OnInitDialog();
  });
}

void CSectionScanResult::DoDataExchange(host::ui::DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  host::ui::DdxCheck(dx, kIdScanFullPath, fullPath);
  host::ui::DdxCheck(dx, kIdScanAscending, ascending);
}

bool CSectionScanResult::OnInitDialog() {
  Dialog::OnInitDialog();
  SetItemText(kIdScanFolderText, std::wstring(tree ? L"Scanned base folder: " : L"Scanned folder: ") + scannedFolder);
  const long count = records != nullptr && records->marker == kGrowArrayMarker ? records->count : 0;
  const wchar_t* kind = viewTypes == 1 ? L"Long section" : viewTypes == 2 ? L"Cross section" : L"Section";
  wchar_t text[256];
  if (tree)
    std::swprintf(text, 256, L"%li %ls files found in %i folders", count, kind, static_cast<int>(folderCount));
  else
    std::swprintf(text, 256, L"%li %ls files found", count, kind);
  SetItemText(kIdScanCountText, text);

  host::ui::Control& list = Item(kIdScanList);
  list.ResetContent();
  int extent = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const SectionFileRecord* record = RecordAt(records, i);
    if (record == nullptr) break;
    const std::wstring entry = fullPath ? std::wstring(record->path) : FileNameOf(record->path);
    list.AddString(entry);
    int width = host::ui::TextWidth(entry) + 3;
    if (list.HasStyle(st::kTabStops)) width = host::ui::TextWidth(entry, list.TabStops()) + 2;
    if (i == 0 || width > extent) extent = width + 5;
  }
  list.SetHorizontalExtent(extent);
  list.SetCurSel(selectedIndex >= 0 && selectedIndex < list.GetCount() ? selectedIndex : 0);
  ShowSectionDetails();
  host::ui::Control& combo = Item(kIdScanSortCombo);
  combo.ResetContent();
  for (const wchar_t* mode : {L"Folder order", L"Creation date", L"File name"}) combo.AddString(mode);
  combo.SetCurSel(sortMode);
  return true;
}

void CSectionScanResult::ShowSectionDetails() {
  const int selection = Item(kIdScanList).GetCurSel();
  if (selection < 0) return;
  selectedIndex = selection;
  const SectionFileRecord* r = RecordAt(records, selectedIndex);
  if (r == nullptr) return;
  wchar_t text[512];
  const SekSummary& m = r->summary;
  if (r->kind == kSekLongSection)
    std::swprintf(text, 512, L"%i chainages: %.3lf to %.3lf   Levels from %.3lf to %.3lf", m.count, m.chainageMin,
                  m.chainageMax, m.levelMin, m.levelMax);
  else
    std::swprintf(text, 512, L"%i sections, chainages %.3lf to %.3lf, Levels %.3lf to %.3lf, Offsets %.3lf to %.3lf",
                  m.count, m.chainageMin, m.chainageMax, m.levelMin, m.levelMax, m.offsetMin, m.offsetMax);
  SetItemText(kIdScanSummary, text);
  SetItemText(kIdScanType, r->kind == kSekLongSection ? L"Type: Long Section" : L"Type: Cross Section");
  SetItemText(kIdScanDescription, std::wstring(r->description).substr(0, 96));
  if (std::wcslen(r->headerDate) > 30) {
    SetItemText(kIdScanDate, r->headerDate);
  } else {
    const SystemTime& t = r->creationTime;
    std::swprintf(text, 512, L"(File date: %i.%i.%i %02i:%02i)", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute);
    SetItemText(kIdScanDate, text);
  }
  SetItemText(kIdScanDrawing, (L"Section created in: " + std::wstring(r->drawingName)).substr(0, 201));
  SetItemText(kIdScanGroundModel, std::wcslen(r->groundModelName) >= 4
                                      ? (L"Ground model: " + std::wstring(r->groundModelName)).substr(0, 170)
                                      : L"");
  SetItemText(kIdScanSource, SourceText(r->type));
}

void CSectionScanResult::ShowTextBox(int which) {
  const SectionFileRecord* r = RecordAt(records, selectedIndex);
  if (r == nullptr) return;
  if (which == kIdScanDrawing && std::wcslen(r->drawingName) >= 2)
    (void)host::ui::ShowMessageBox(r->drawingName, L"Drawing where this section file was created in, originally");
  else if (which == kIdScanDescription && std::wcslen(r->description) >= 2)
    (void)host::ui::ShowMessageBox(r->description, L"Additional section information");
  else if (which == kIdScanGroundModel && (r->type == 2 || r->type == 12) && std::wcslen(r->groundModelName) >= 4)
    (void)host::ui::ShowMessageBox(r->groundModelName, L"Ground model on which this section is interpolated on");
}

void CSectionScanResult::OnSectionDate() {
  const SectionFileRecord* r = RecordAt(records, selectedIndex);
  if (r == nullptr) return;
  std::wstring text = L"Section created in LWH: ";
  text += std::wcslen(r->headerDate) > 30 ? std::wstring(r->headerDate) : std::wstring(L"(unknown)");
  wchar_t date[96];
  const SystemTime& t = r->creationTime;
  std::swprintf(date, 96, L"\nDate from file: %i.%i.%i %02i:%02i", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute);
  text += date;
  text += L"\n\nLWH creation date is from the section file header, LWH records the date and time when the section "
          L"file was originally created. The file date might change if the section file has been edited or copied, "
          L"emailed etc.";
  (void)host::ui::ShowMessageBox(text, L"Section date");
}

void CSectionScanResult::SortSectionList() {
  if (records == nullptr || records->marker != kGrowArrayMarker || records->count < 1) return;
  auto* r = static_cast<SectionFileRecord*>(records->data);
  const std::int32_t n = records->count;
  for (std::int32_t i = 0; i < n; ++i) {
    const std::string name = WideToNarrow(FileNameOf(r[i].path));
    const std::string date = WideToNarrow(r[i].dateKey);
    char index[16];
    std::snprintf(index, sizeof index, "%05d", static_cast<int>(r[i].scanIndex));
    std::string key;
    if (sortMode == kScanSortFolderOrder)
      key = index + name + date;
    else if (sortMode == kScanSortCreationDate)
      key = date + name + index;
    else
      key = name + date + index;
    const std::size_t len = std::min(key.size(), sizeof r[i].sortKey - 1);
    std::memcpy(r[i].sortKey, key.data(), len);
    r[i].sortKey[len] = 0;
  }
  std::vector<std::int32_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    return ascending ? LessIgnoringCase(r[a].sortKey, r[b].sortKey) : LessIgnoringCase(r[b].sortKey, r[a].sortKey);
  });
  std::vector<SectionFileRecord> sorted;
  sorted.reserve(n);
  for (std::int32_t i : order) sorted.push_back(r[i]);
  for (std::int32_t i = 0; i < n; ++i) r[i] = sorted[i];
}

void CSectionScanResult::OpenSectionFolder() {
  const SectionFileRecord* r = RecordAt(records, Item(kIdScanList).GetCurSel());
  if (r == nullptr || r->path[0] == 0) return;
  (void)host::ShellShowInFolder(r->path);
}

void CSectionScanResult::OnClickedOk() {
  const SectionFileRecord* r = RecordAt(records, Item(kIdScanList).GetCurSel());
  if (r != nullptr) {
    const std::wstring path = r->path;
    const std::size_t cut = path.find_last_of(L"/\\");
    chosenFolder = cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
    chosenFileName = cut == std::wstring::npos ? path : path.substr(cut + 1);
  }
  if (UpdateData(true)) EndDialog(host::ui::kIdOk);
}
