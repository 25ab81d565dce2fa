// The dialogs through which the import run gathers a new location filter:
// its kind, a postcode, a road name or text, and the search for that text in
// the input files.
#pragma once

#include <string>

#include "common/containers/binary_tree.h"
#include "common/containers/grow_array.h"
#include "host/ui/dialog.h"

// "Orvane - Add Area Filter": ends with the kind (10 to 90) or 2.
class AskAreaFilterTypeView : public host::ui::Dialog {
 public:
  static constexpr int kTemplateId = 258;
  explicit AskAreaFilterTypeView(host::ui::Dialog* parent = nullptr);
  bool OnInitDialog() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;

  std::wstring description;    // at most 127 characters
  int onlyBatchAreas = 0;      // "Only Batch processed areas"
  int roadBufferAllowed = 0;  // enables the road-network buffer button

 private:
  void EndWith(int kind);
};

// "Postcode search": 1 with `easting` and `northing` in metres, 2 when
// cancelled or when the postcode file holds nothing.
class AskPostcode : public host::ui::Dialog {
 public:
  static constexpr int kTemplateId = 325;
  explicit AskPostcode(host::ui::Dialog* parent = nullptr);
  int DoModal() override;
  void DoDataExchange(host::ui::DataExchange& dx) override;
  void OnOK() override;

  std::wstring postcodeFile;
  std::wstring postcode;
  double easting = 0, northing = 0;

 private:
  BinaryTree postcodes_;  // read again at every opening; the first line of a postcode wins
};

// "Road name / text search": the text and the frame size round each hit.
class CAskRoadName : public host::ui::Dialog {
 public:
  static constexpr int kTemplateId = 335;
  explicit CAskRoadName(host::ui::Dialog* parent = nullptr);
  void DoDataExchange(host::ui::DataExchange& dx) override;

  std::wstring text;
  double frameSize = 50.0;
};

// "Searching text": finds the cartographic texts of the active input files
// (a GrowArray of GmlInputFile) that hold the search text, upper case
// ignored, and frames them. Ends with OK, or Cancel when the user cancelled.
class CSearchText : public host::ui::Dialog {
 public:
  static constexpr int kTemplateId = 339;
  CSearchText(const std::wstring& text, double margin, const GrowArray* files, double totalBytes,
              host::ui::Dialog* parent = nullptr);
  bool OnInitDialog() override;
  void OnTimer(int timerId) override;

  int found = 0;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool cancelled = false;
  bool accepted = false;

 private:
  void Search();
  void SearchFile(const char* path);
  void Hit(double x, double y);
  std::string text_;
  double margin_;
  const GrowArray* files_;
  double totalBytes_;
  double bytesRead_ = 0;
  int progressShown_ = 0;
};
