// The result of a section-file scan: one line per section file found,
// sortable three ways, with the details of the selected file, message boxes
// with its full texts, a button that shows it in its folder, and OK, which
// hands the selected file back.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"
#include "host/ui/dialog.h"

inline constexpr int kSectionScanResultTemplate = 260;

// Control ids.
inline constexpr int kIdScanFolderText = 1000;
inline constexpr int kIdScanCountText = 1001;
inline constexpr int kIdScanList = 1002;
inline constexpr int kIdScanFullPath = 1003;
inline constexpr int kIdScanSortCombo = 1004;
inline constexpr int kIdScanAscending = 1005;
inline constexpr int kIdScanSummary = 1006;
inline constexpr int kIdScanType = 1007;
inline constexpr int kIdScanDescription = 1008;
inline constexpr int kIdScanDate = 1009;
inline constexpr int kIdScanDrawing = 1010;
inline constexpr int kIdScanGroundModel = 1011;
inline constexpr int kIdScanSource = 1012;
inline constexpr int kIdScanOpenFolder = 1013;

// Sort modes.
inline constexpr std::int32_t kScanSortFolderOrder = 0;
inline constexpr std::int32_t kScanSortCreationDate = 1;
inline constexpr std::int32_t kScanSortFileName = 2;

host::ui::DialogTemplate SectionScanResultTemplate();

class CSectionScanResult : public host::ui::Dialog {
 public:
  CSectionScanResult();

  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;

  void SortSectionList();
  void ShowSectionDetails();
  void OpenSectionFolder();
  void OnClickedOk();

  // Set by the caller.
  GrowArray* records = nullptr;  // of SectionFileRecord; sorted in place
  const wchar_t* scannedFolder = L"";
  std::int32_t folderCount = 0;
  bool tree = false;
  std::int32_t viewTypes = 3;

  std::int32_t selectedIndex = 0;
  std::int32_t sortMode = kScanSortFolderOrder;
  int fullPath = 1;
  int ascending = 1;
  std::wstring chosenFolder;
  std::wstring chosenFileName;

 private:
  void ShowTextBox(int which);
  void OnSectionDate();
};
