// The location filter input dialogs and the text search.
#include "gml/ui/location_dialogs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/archive/archive_reader.h"
#include "common/containers/text.h"
#include "gml/reader/feature_records.h"
#include "gml/reader/gml_numbers.h"
#include "gml/ui/postcode_file.h"
#include "host/system/events.h"
#include "host/system/files.h"
#include "host/system/wide_text.h"
#include "host/ui/data_exchange.h"
#include "host/ui/message_box.h"

namespace {

using host::ui::ControlKind;
namespace st = host::ui::style;

constexpr int kDescription = 263, kOnlyBatch = 330, kRoadBuffer = 392;
constexpr int kPostcodeEdit = 324, kTextEdit = 334, kFrameEdit = 333;
constexpr int kSearchProgress = 340, kSearchText = 336, kFoundText = 337, kWindowText = 338;

struct KindButton {
  int id;
  const wchar_t* caption;
  int kind;
};
constexpr KindButton kKindButtons[] = {
    {259, L"Polyline / Circle <", 10}, {261, L"Window <", 20},     {262, L"Polygon <", 30},
    {260, L"Buffer Zone <", 40},       {323, L"Postcode...", 50}, {329, L"Polylines <", 60},
    {324, L"Text...", 70},
    {kRoadBuffer, L"Road centerline network from LWH .txt file", 80},
    {331, L"From text file with OS tile names...", 90}};

void RegisterTemplates() {
  host::ui::DialogTemplate kind;
  kind.id = AskAreaFilterTypeView::kTemplateId;
  kind.caption = L"Orvane - Add Area Filter";
  kind.rect = {0, 0, 240, 200};
  kind.controls = {{kDescription, ControlKind::kEdit, L"", 0, {5, 5, 230, 12}},
                   {kOnlyBatch, ControlKind::kCheckBox, L"Only Batch processed areas", st::kAuto, {5, 20, 230, 10}}};
  int y = 35;
  for (const KindButton& b : kKindButtons) {
    kind.controls.push_back({b.id, ControlKind::kButton, b.caption, 0, {5, y, 230, 14}});
    y += 16;
  }
  kind.controls.push_back({host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {185, y, 50, 14}});
  host::ui::RegisterDialogTemplate(std::move(kind));

  host::ui::DialogTemplate postcode;
  postcode.id = AskPostcode::kTemplateId;
  postcode.caption = L"Postcode search";
  postcode.rect = {0, 0, 160, 50};
  postcode.controls = {{kPostcodeEdit, ControlKind::kEdit, L"", st::kUpperCase, {5, 5, 150, 12}},
                       {host::ui::kIdOk, ControlKind::kButton, L"OK", 0, {50, 30, 50, 14}},
                       {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {105, 30, 50, 14}}};
  host::ui::RegisterDialogTemplate(std::move(postcode));

  host::ui::DialogTemplate road;
  road.id = CAskRoadName::kTemplateId;
  road.caption = L"Road name / text search";
  road.rect = {0, 0, 200, 60};
  road.controls = {{kTextEdit, ControlKind::kEdit, L"", 0, {5, 5, 190, 12}},
                   {kFrameEdit, ControlKind::kEdit, L"", st::kNumber, {5, 20, 60, 12}},
                   {host::ui::kIdOk, ControlKind::kButton, L"OK", 0, {90, 40, 50, 14}},
                   {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {145, 40, 50, 14}}};
  host::ui::RegisterDialogTemplate(std::move(road));

  host::ui::DialogTemplate search;
  search.id = CSearchText::kTemplateId;
  search.caption = L"Searching text";
  search.rect = {0, 0, 200, 80};
  search.controls = {{kSearchText, ControlKind::kStatic, L"", 0, {5, 5, 190, 10}},
                     {kFoundText, ControlKind::kStatic, L"", 0, {5, 17, 190, 10}},
                     {kWindowText, ControlKind::kStatic, L"", 0, {5, 29, 190, 10}},
                     {kSearchProgress, ControlKind::kProgress, L"", 0, {5, 41, 190, 10}},
                     {host::ui::kIdOk, ControlKind::kButton, L"OK", 0, {90, 60, 50, 14}},
                     {host::ui::kIdCancel, ControlKind::kButton, L"Cancel", 0, {145, 60, 50, 14}}};
  host::ui::RegisterDialogTemplate(std::move(search));
}

}  // namespace

AskAreaFilterTypeView::AskAreaFilterTypeView(host::ui::Dialog* parent)
    : Dialog(kTemplateId, parent) {
  RegisterTemplates();
  for (const KindButton& b : kKindButtons) {
    const int kind = b.kind;
    On(b.id, host::ui::Notify::kClick, [this, kind] { EndWith(kind); });
  }
}

bool AskAreaFilterTypeView::OnInitDialog() {
  Dialog::OnInitDialog();
  EnableItem(kRoadBuffer, roadBufferAllowed != 0);
  SetFocus(kDescription);
  return false;
}

void AskAreaFilterTypeView::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxText(dx, kDescription, description);
  host::ui::DdvMaxChars(dx, description, 127);
  host::ui::DdxCheck(dx, kOnlyBatch, onlyBatchAreas);
}

void AskAreaFilterTypeView::EndWith(int kind) {
  if (!UpdateData(true)) return;
  if (kind == 80 &&
      host::ui::ShowMessageBox(
          L"There should be multiple lines in selected LWH formatted .txt file,\nmaybe several "
          L"hundreds of thousands of them. This area buffer will select\nMasterMap data within a "
          L"given distance from these lines in effect forming\na bufferzone around the roads. "
          L"This zone covers, however, typically\nwhole England, say, so be patient when the data "
          L"is being read in and\nanalyzed.\n\nYou will be asked to select the LWH formatted .txt "
          L"co-ordinate file first\nand then to enter the bufferzone width which means the "
          L"distance from\ncenterline.\n\nClick Yes only if the above makes sense.",
          L"", host::ui::MessageButtons::kYesNo) != host::ui::MessageResult::kYes)
    return;
  EndDialog(kind);
}

AskPostcode::AskPostcode(host::ui::Dialog* parent) : Dialog(kTemplateId, parent) {
  RegisterTemplates();
}

int AskPostcode::DoModal() {
  (void)LoadPostcodeFile(postcodeFile, &postcodes_);
  if (postcodes_.NodeCount() == 0) {
    (void)host::ui::ShowMessageBox(L"Postcode database file 'postcodedb.txt' not found.", L"");
    return host::ui::kIdCancel;
  }
  return Dialog::DoModal();
}

void AskPostcode::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxText(dx, kPostcodeEdit, postcode);
  host::ui::DdvMaxChars(dx, postcode, 10);
}

void AskPostcode::OnOK() {
  if (!UpdateData(true)) return;
  const std::string key = PostcodeKey(WideToNarrow(postcode));
  // Keys longer than the tree holds would match a different postcode.
  const BinaryTreeNode* node =
      key.size() <= static_cast<std::size_t>(kBinaryTreeKeyLength) ? postcodes_.Find(key.c_str()) : nullptr;
  if (!node) {
    (void)host::ui::ShowMessageBox(L"Postcode not found", L"");
    return;
  }
  easting = static_cast<double>(node->payloadA) / 10;
  northing = static_cast<double>(node->payloadB) / 10;
  EndDialog(host::ui::kIdOk);
}

CAskRoadName::CAskRoadName(host::ui::Dialog* parent) : Dialog(kTemplateId, parent) {
  RegisterTemplates();
}

void CAskRoadName::DoDataExchange(host::ui::DataExchange& dx) {
  host::ui::DdxText(dx, kTextEdit, text);
  host::ui::DdxText(dx, kFrameEdit, frameSize);
  host::ui::DdvMinMax(dx, frameSize, 0.0, 1000000.0);
}

CSearchText::CSearchText(const std::wstring& text, double margin, const GrowArray* files,
                         double totalBytes, host::ui::Dialog* parent)
    : Dialog(kTemplateId, parent), margin_(margin), files_(files), totalBytes_(totalBytes) {
  RegisterTemplates();
  // Compared as UTF-8 with ASCII letter case ignored, as GML text is held.
  text_ = WideToUtf8(host::UpperAscii(text));
  On(host::ui::kIdOk, host::ui::Notify::kClick, [this] { accepted = true; });
  On(host::ui::kIdCancel, host::ui::Notify::kClick, [this] { cancelled = true; });
}

bool CSearchText::OnInitDialog() {
  Dialog::OnInitDialog();
  Item(kSearchProgress).SetRange(0, 1000);
  SetItemText(kSearchText, Utf8ToWide(text_));
  SetItemText(kFoundText, L"Found: 0");
  SetItemText(kWindowText, L"");
  EnableItem(host::ui::kIdOk, false);
  (void)SetTimer(1, 500);
  return true;
}

void CSearchText::OnTimer(int timerId) {
  if (timerId != 1) return;
  (void)KillTimer(1);
  Search();
  EndDialog(cancelled ? host::ui::kIdCancel : host::ui::kIdOk);
}

void CSearchText::Search() {
  for (std::int32_t i = 0; i < files_->count && !cancelled && !accepted; ++i) {
    const GmlInputFile& file = static_cast<const GmlInputFile*>(files_->data)[i];
    if (file.active) SearchFile(file.path);
  }
}

void CSearchText::Hit(double x, double y) {
  if (found == 0) {
    minX = x - margin_, minY = y - margin_, maxX = x + margin_, maxY = y + margin_;
  } else {
    minX = std::min(minX, x - margin_), minY = std::min(minY, y - margin_);
    maxX = std::max(maxX, x + margin_), maxY = std::max(maxY, y + margin_);
  }
  ++found;
  wchar_t buffer[128];
  std::swprintf(buffer, 128, L"Found: %i", found);
  SetItemText(kFoundText, buffer);
  std::swprintf(buffer, 128, L"Window size: %.0lfm X %.0lfm", maxX - minX, maxY - minY);
  SetItemText(kWindowText, buffer);
  EnableItem(host::ui::kIdOk, true);
}

// Reads plain and gzip files alike through the archive reader.
void CSearchText::SearchFile(const char* path) {
  ArchiveReader archive;
  if (!archive.OpenGz(path)) return;
  std::string tag, kept;
  bool inText = false, inPoint = false, havePosition = false;
  double x = 0, y = 0;
  char c = 0;
  auto next = [&]() {
    if (!archive.GetChar(&c)) return false;
    bytesRead_ += 1;
    return true;
  };
  while (!cancelled && !accepted) {
    // Skip to the next tag and collect it.
    bool more = true;
    while ((more = next()) && c != '<') {}
    if (!more) break;
    tag.clear();
    while ((more = next()) && c != '>')
      if (tag.size() < 10239) tag += c;
    if (!more) break;
    const bool opening = tag.find('/') == std::string::npos ||
                         tag.find("osgb:ringMember ") != std::string::npos ||
                         tag.find("osgb:DepartedFeature ") != std::string::npos;
    if (opening) {
      if (tag.find("osgb:CartographicText") != std::string::npos) {
        inText = true;
        havePosition = false;
        kept.clear();
      } else if (tag.find("gml:Point") != std::string::npos) {
        inPoint = true;
      } else if (tag.find("osgb:textString") != std::string::npos) {
        std::string content;
        while ((more = next()) && c != '<')
          if (content.size() < 10239) content += c;
        if (!content.empty()) kept = content.substr(0, 128);
        if (!more) break;
      } else if (inText && inPoint && tag.find("gml:coordinates") != std::string::npos) {
        std::string number;
        double values[3] = {0, 0, 0};
        int n = 0;
        while ((more = next())) {
          const bool ends = c == ',' || c == ' ' || c == '<';
          if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+') {
            if (number.size() >= 127) break;
            number += c;
          } else if (ends) {
            if (!number.empty() && n < 3) values[n++] = std::strtod(number.c_str(), nullptr);
            number.clear();
            if (c == '<' || c == ' ') break;
          }
        }
        if (n >= 2) {
          x = values[0], y = values[1];
          havePosition = true;
        }
      }
    } else if (tag.find("/osgb:CartographicText") != std::string::npos) {
      if (havePosition) {
        havePosition = false;
        std::string upper = kept;
        upper.resize(DecodeXmlText(upper.data()));
        for (char& u : upper)
          if (u >= 'a' && u <= 'z') u = static_cast<char>(u - 'a' + 'A');
        if (!text_.empty() && upper.find(text_) != std::string::npos) Hit(x, y);
      }
      inText = false;
      kept.clear();
    } else if (tag.find("/gml:Point") != std::string::npos) {
      inPoint = false;
    }
    const int step = totalBytes_ > 0 ? static_cast<int>(bytesRead_ / totalBytes_ * 1000) : 0;
    if (step > progressShown_) {
      progressShown_ = step;
      (void)Item(kSearchProgress).SetPos(step);
      // Clicks on OK and Cancel arrive while the search runs.
      host::PumpMessages();
      if (host::UserBreak()) cancelled = true;
    }
  }
  archive.Close();
}
