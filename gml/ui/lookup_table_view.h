// The editors of the two lookup tables of the settings record:
// "Feature Code / AutoCAD Layer Lookup Table" over the feature-code table
// (.ovc) and "Feature Code / AutoCAD Block Lookup Table" over the symbol
// table (.ovs).
//
// An editor changes the record's table in place and sets `changed`; the
// caller writes the table when it is set, however the editor was closed.
// Sorting by a column header reorders the stored table itself (without
// setting `changed`). Rows are added, edited (exactly one selected row) and
// deleted (every selected row, after a confirmation) through the pair
// editor. "Change..." writes the table under its current name, then makes
// another table file of the support folder the record's table: a file chosen
// in another folder is copied into the support folder first, after asking
// when that would replace a file of the same name there.
#pragma once

#include "gml/settings/settings_record.h"
#include "host/ui/dialog.h"

inline constexpr int kCodeLayerTableTemplate = 204;
inline constexpr int kCodeSymbolTableTemplate = 206;
inline constexpr int kIdCodeLayerList = 246;
inline constexpr int kIdCodeSymbolList = 252;
inline constexpr int kIdTableFile = 200;
inline constexpr int kIdAddPair = 247;
inline constexpr int kIdDeletePairs = 248;
inline constexpr int kIdEditPair = 249;
inline constexpr int kIdChangeTable = 326;

host::ui::DialogTemplate CodeLayerTableTemplate();
host::ui::DialogTemplate CodeSymbolTableTemplate();

class LookupTableView : public host::ui::Dialog {
 public:
  bool OnInitDialog() override;
  void OnOK() override { EndDialog(host::ui::kIdOk); }

  void OnAdd();
  void OnEdit();
  void OnDelete();
  void OnChange();
  void OnColumnClick(int column);

  GrowArray* table = nullptr;  // the record's table
  OS_GML_ACAD_Definitions* record = nullptr;
  bool changed = false;
  int sortColumn = 0;  // 0 code, 1 layer or block
  int direction[2] = {1, 1};

 protected:
  LookupTableView(host::ui::DialogTemplate t, bool symbols, host::ui::Dialog* parent);

 private:
  void Refresh();
  void Sort();
  int ListId() const { return symbols_ ? kIdCodeSymbolList : kIdCodeLayerList; }
  std::wstring& FileName() const;

  bool symbols_;
};

class CodeLayerLookupView : public LookupTableView {
 public:
  explicit CodeLayerLookupView(host::ui::Dialog* parent = nullptr);
};

class CodeSymbolLookupView : public LookupTableView {
 public:
  explicit CodeSymbolLookupView(host::ui::Dialog* parent = nullptr);
};

// Runs the editor of the feature-code (or symbol) table of `record` and
// writes the table when the editor changed it; true when it was written.
bool EditCodeLayerTable(OS_GML_ACAD_Definitions& record, host::ui::Dialog* parent = nullptr);
bool EditCodeSymbolTable(OS_GML_ACAD_Definitions& record, host::ui::Dialog* parent = nullptr);
