#include "gml/writer/os_xdata_record.h"

#include "host/ui/control.h"
#include "host/ui/dialog_template.h"

namespace {

// Captions of kinds 1 to 9.
constexpr const wchar_t* kKindCaptions[10] = {
    L"",
    L"Topographical Line",
    L"Topographical Point",
    L"Cartographical Symbol",
    L"Cartographical Text",
    L"Polygon",
    L"Polygon (Solid hatch)",
    L"Integrated Transport Network Node",
    L"Integrated Transport Network Road Link",
    L"Integrated Transport Network Road",
};

// A row title and the tag (group, index) whose value it shows.
struct TagRow {
  const wchar_t* title;
  int group;
  int index;
};

constexpr TagRow kAddressRows[] = {
    {L"Theme", 1, 1},
    {L"Latest Change Date", 1, 4},
    {L"Latest Reason For Change", 1, 5},
    {L"OSAPR", 1, 6},
    {L"department", 1, 7},
    {L"Po Box", 1, 8},
    {L"Building name", 1, 9},
    {L"Sub building name", 1, 10},
    {L"Thoroughfare", 1, 11},
    {L"Dependent thoroughfare", 1, 12},
    {L"Dependent locality", 1, 13},
    {L"Base function", 1, 14},
    {L"Post code", 1, 15},
    {L"Post type", 1, 16},
    {L"Multiple occupancy", 1, 17},
};

// The address sections in the order they are shown; tag 50 is not shown.
struct Section {
  const wchar_t* heading;
  int group;
  std::vector<TagRow> rows;
};

const std::vector<Section>& AddressSections() {
  static const std::vector<Section> sections = {
      {L"POSTAL ADDRESS:", 5,
       {{L"Organisation", 5, 1}, {L"Building number", 5, 2}, {L"Building name", 5, 3},
        {L"Thoroughfare", 5, 4}, {L"Post town", 5, 5}, {L"Post code", 5, 6}, {L"Post type", 5, 7},
        {L"Delivery point", 5, 8}, {L"Address key", 5, 9}}},
      {L"BS 7666 DATA:", 2,
       {{L"Saon", 2, 0}, {L"Paon", 2, 1}, {L"Street", 2, 2}, {L"Locality", 2, 3}, {L"Town", 2, 4},
        {L"Admin area", 2, 5}, {L"Post code", 2, 6}, {L"Post type", 2, 7}}},
      {L"ADDRESS AUTHORITY:", 3, {{L"UARN", 3, 0}, {L"UDPRN", 3, 1}}},
      {L"ADDRESS STATUS:", 4,
       {{L"Match status", 4, 0}, {L"Physical status", 4, 1}, {L"Positional quality", 4, 2},
        {L"Positional quality accuracy", 4, 3}, {L"Structure type", 4, 4}}},
  };
  return sections;
}

host::ui::DialogTemplate OsXdataViewTemplate() {
  using host::ui::ControlKind;
  namespace st = host::ui::style;
  host::ui::DialogTemplate t;
  t.id = kOsXdataViewTemplate;
  t.caption = L"OS MasterMap Data View";
  t.rect = {0, 0, 300, 220};
  t.controls = {
      {kIdXdataList, ControlKind::kListView, L"", st::kShowSelAlways, {7, 7, 286, 182}},
      {kIdPickEntity, ControlKind::kButton, L"Pick entity <", 0, {7, 198, 60, 14}},
      {host::ui::kIdOk, ControlKind::kButton, L"Done", st::kDefault, {233, 198, 60, 14}},
  };
  return t;
}

}  // namespace

ShowOSGmlXdata::ShowOSGmlXdata() : Dialog(OsXdataViewTemplate()) {
  On(kIdPickEntity, host::ui::Notify::kClick, [this] { OnPickEntity(); });
  ClearXdata();
  RegisterXdataApp();
}

OsXdataView ShowOSGmlXdata::BuildView() const {
  OsXdataView view;
  if (readSwitch == 0) {
    view.caption = L"MasterMap Data View - Please select an entity";
    return view;
  }
  auto value = [this](int group, int index) { return *Slot(group, index); };
  auto row = [&view](const wchar_t* title, std::wstring text) {
    view.rows.emplace_back(title, std::move(text));
  };
  const std::wstring& kind = Kind();
  // A block of the "TOIDs only" level: no empty rows for what it does not
  // hold, but the setting that imports it.
  auto toidOnly = [&] {
    row(L"Attributes", L"TOID only: the others are imported with " + std::wstring(kFullAttributionsSetting));
  };
  if (kind.size() == 1 && kind[0] >= L'1' && kind[0] <= L'9') {
    const int k = kind[0] - L'0';
    view.caption = kKindCaptions[k];
    row(L"TOID", value(0, 1));
    row(L"Version", value(0, 10));
    // A solid hatch holds no more at any level: its area's outline does.
    if (k != 6 && HoldsToidOnly()) {
      toidOnly();
      if (userCodeSwitch != 0 && !userCode.empty()) row(L"User code", userCode);
      return view;
    }
    row(L"Version Date", value(0, 8));
    row(L"Theme", value(0, 7));
    if (k <= 6) row(L"Feature Code", value(0, 0));
    row(L"Latest Change Date", value(0, 3));
    row(L"Latest Reason For Change", value(0, 4));
    row(L"Descriptive Group", value(0, 6));
    if (k != 7) row(L"Descriptive Term", value(0, 5));
    if (k <= 6) {
      row(L"Make", value(0, 2));
      row(L"Physical Level", value(0, 9));
      if (!value(0, 14).empty()) row(L"Physical Presence", value(0, 14));
    } else if (k == 8) {
      row(L"Nature of Road", value(0, 2));
      row(L"Length", value(0, 12));
    } else if (k == 9) {
      row(L"Road Name", value(0, 2));
    }
    if (k == 5 || k == 6) row(L"Area", value(0, 12));
    if (userCodeSwitch != 0 && !userCode.empty()) row(L"User code", userCode);
    return view;
  }
  if (!kind.empty() && kind[0] == L'A') {
    view.caption = L"Address Point Data";
    row(L"TOID", value(1, 0));
    row(L"Version", value(1, 3));
    row(L"Version Date", value(1, 2));
    if (HoldsToidOnly()) {
      toidOnly();
      return view;
    }
    for (const TagRow& r : kAddressRows)
      if (!value(r.group, r.index).empty()) row(r.title, value(r.group, r.index));
    for (const Section& section : AddressSections()) {
      if (groupEmpty[static_cast<std::size_t>(section.group - 1)]) continue;
      row(L" ", L" ");
      row(section.heading, L" ");
      for (const TagRow& r : section.rows)
        if (!value(r.group, r.index).empty()) row(r.title, value(r.group, r.index));
    }
    return view;
  }
  if (kind == L"S") {  // a symbol planted in an area: its area's TOID and version
    view.caption = L"Polygon Symbol";
    row(L"TOID", value(0, 1));
    row(L"Version", value(0, 10));
    if (userCodeSwitch != 0 && !userCode.empty()) row(L"User code", userCode);
    return view;
  }
  view.caption = kind.empty() ? L"MasterMap Data View - (No Data Found)"
                              : L"MasterMap Data View - (No supported Data Found)";
  return view;
}

bool ShowOSGmlXdata::OnInitDialog() {
  host::ui::Control& list = Item(kIdXdataList);
  const int unit = (list.ClientRect().Width() +
                    12 * host::ui::GetSystemMetric(host::ui::SystemMetric::kBorderWidth) -
                    2 * host::ui::GetSystemMetric(host::ui::SystemMetric::kScrollThumbWidth)) /
                   10;
  if (list.GetColumnCount() == 0) {
    list.InsertColumn(0, L"Title", 5 * unit);
    list.InsertColumn(1, L"Value", 5 * unit);
  }
  ClearXdata();
  ReadXdata();
  list.DeleteAllItems();
  const OsXdataView view = BuildView();
  for (const auto& [title, text] : view.rows) {
    const int item = list.InsertItem(list.GetItemCount(), title);
    list.SetItemText(item, 1, text);
  }
  SetWindowText(view.caption);
  return true;
}

void ShowOSGmlXdata::OnPickEntity() {
  result = 2;
  EndDialog(5);
}

void ShowOSGmlXdata::OnOK() {
  result = 1;
  Dialog::OnOK();
}

void ShowOSGmlXdata::OnCancel() {
  result = 1;
  Dialog::OnCancel();
}
