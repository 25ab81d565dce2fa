// The reading run over every chosen file, the ITN road naming pass, and the
// small reading operations of the import dialog.
#include <strings.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "common/containers/text.h"
#include "gml/reader/gml_numbers.h"
#include "gml/reader/osgml_input_view.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"

namespace {

std::wstring FileRow(std::int32_t number, const GmlInputFile& file, bool current) {
  wchar_t name[kMaxPath];
  CopyField(name, host::WidePath(FieldText(file.name)));
  const double megabytes = file.size / 1024.0 / 1024.0;
  wchar_t row[kMaxPath + 64];
  if (megabytes > 500.0)
    std::swprintf(row, sizeof row / sizeof row[0], current ? L">%2li\t%.2lf GB\t%ls<" : L"%2li\t%.2lf GB\t%ls",
                  static_cast<long>(number), megabytes / 1024.0, name);
  else
    std::swprintf(row, sizeof row / sizeof row[0], current ? L">%2li\t%.2lf MB\t%ls<" : L"%2li\t%.2lf MB\t%ls",
                  static_cast<long>(number), megabytes, name);
  return row;
}

}  // namespace

std::int32_t OSGMLInputView::SeenFeatures() const {
  return seenRoadLinks + seenRoads + seenRoadNodes + seenAreas + seenPoints + seenAddressPoints +
         seenLines + seenSymbols + seenTexts;
}

int OSGMLInputView::ProcessGmlFiles(int keepRecords, const wchar_t* stopLabel, int countOnly) {
  using namespace gml_controls;
  if (activeFileCount < 1) {
    (void)host::ui::ShowMessageBox(L"No active Master Map files - check Location Filters", L"");
    return 0;
  }
  const std::int32_t saved[9] = {
      settings.inputCartoSymbols, settings.inputCartoText,     settings.inputTopoLines,
      settings.inputTopoPoints,   settings.inputAddressPoints, settings.inputPolygons,
      settings.inputRoads,        settings.inputRoadLinks,     settings.inputRoadNodes};
  if (createSdfFiles) {
    settings.inputRoads = 0;
    settings.inputCartoText = 0;
  }
  if (countOnly) {
    settings.inputTopoLines = 1;
    settings.inputCartoSymbols = settings.inputCartoText = settings.inputTopoPoints =
        settings.inputAddressPoints = settings.inputPolygons = settings.inputRoads =
            settings.inputRoadLinks = settings.inputRoadNodes = 0;
  }

  // The run stays busy until it returns, so that clicks that arrive while it
  // pumps messages cannot start another run over the arrays in use.
  busy = 1;
  if (previewPoints.marker == kGrowArrayMarker) GrowArrayFree(&previewPoints);
  bool ok = GrowArrayCreate(50000, sizeof(CoordinateTuple), &previewPoints);

  if (nestedArrays.marker == kGrowArrayMarker) {
    Item(kOverallProgress).SetRange(0, 1000);
    SetItemText(kFileCaption, L"Preparing...");
    std::int32_t shown = 0;
    const std::int32_t total = nestedArrays.count;
    for (std::int32_t i = 0; i < total; ++i) {
      FreeNestedArrays(i, i + 1);
      const std::int32_t perMille = static_cast<std::int32_t>(1000.0 * (i + 1) / total);
      if (perMille > shown) {
        shown = perMille;
        wchar_t caption[64];
        std::swprintf(caption, 64, L"Preparing (%i%%)", perMille / 10);
        SetItemText(kFileCaption, caption);
        Item(kFileProgress).SetPos(perMille);
        if (host::UserBreak()) cancelRequested = 1;
      }
    }
    GrowArrayFree(&nestedArrays);
  }
  ok = GrowArrayCreate(1000, sizeof(GrowArray), &nestedArrays) && ok;
  auto recreate = [&ok](GrowArray* array, std::uint64_t size) {
    if (array->marker == kGrowArrayMarker) GrowArrayFree(array);
    ok = GrowArrayCreate(1000, size, array) && ok;
  };
  auto recreatePaged = [&ok](PagedGrowArray* array, std::uint64_t size) {
    if (array->marker == kGrowArrayMarker) PagedGrowArrayFree(array);
    ok = PagedGrowArrayCreate(1000, size, array) && ok;
  };
  recreate(&areaReferences, sizeof(AreaReferenceRecord));
  recreatePaged(&areas, sizeof(AreaFeatureRecord));
  recreatePaged(&lines, sizeof(LineFeatureRecord));
  recreate(&points, sizeof(PointFeatureRecord));
  recreate(&addressPoints, sizeof(AddressPointRecord));
  recreate(&roadNodes, sizeof(RoadNodeRecord));
  recreate(&roadLinks, sizeof(RoadLinkRecord));
  recreate(&roads, sizeof(RoadRecord));
  recreate(&symbols, sizeof(PointFeatureRecord));
  recreate(&texts, sizeof(TextFeatureRecord));
  recreate(&departedToids, sizeof(DepartedFeatureToid));
  // The cross-file TOIDs belong to one run's files: kept from an earlier
  // run (a Draw stopped part way, then Draw again), they would skip every
  // feature that run had filed, and the drawing would lose them.
  crossFileToids.Clear();

  bytesRead = 0;
  progressShown = 0;
  incompleteFiles = 0;
  readMinX = readMinY = readMinZ = kExtentStartMin;
  readMaxX = readMaxY = readMaxZ = kExtentStartMax;
  seenRoadLinks = seenRoads = seenRoadNodes = seenAreas = seenPoints = seenAddressPoints =
      seenLines = seenSymbols = seenTexts = 0;
  keptRoadNodes = keptRoads = keptRoadLinks = keptAreas = keptPoints = keptAddressPoints =
      keptLines = keptSymbols = keptTexts = 0;
  featureGeometries = 0;
  totalAreaValue = 0;
  keptAreaValue = 0;
  SetItemText(kOverallCaption, L"Progress...");
  BinaryTree runToids;
  EnableItem(kFileList, false);

  int result = ok ? 1 : 0;
  if (!ok) (void)host::ui::ShowMessageBox(L"Operation canceled. Could be memory problems?", L"");
  std::int32_t number = 0;
  for (std::int32_t i = 0; i < inputFiles.count && result == 1; ++i) {
    auto* file = static_cast<GmlInputFile*>(inputFiles.data) + i;
    if (!file->active) continue;
    ++number;
    host::ui::Control& list = Item(kFileList);
    list.ResetContent();
    std::int32_t row = 0;
    for (std::int32_t k = 0; k < inputFiles.count; ++k) {
      const auto* other = static_cast<const GmlInputFile*>(inputFiles.data) + k;
      if (!other->active) continue;
      ++row;
      list.AddString(FileRow(row, *other, k == i));
    }
    list.SetCurSel(number - 1);
    const std::int32_t seenBefore = SeenFeatures(), geometriesBefore = featureGeometries,
                       departedBefore = departedToids.count;
    result = ParseGmlFile(file, i, &runToids, keepRecords, countOnly, stopLabel, number,
                          activeFileCount);
    // A file read to its end that held nothing the reader knows (another
    // namespace prefix, geometry written as gml:posList) would otherwise
    // add nothing in silence.
    if (result == 1 && !cancelRequested && departedToids.count == departedBefore &&
        (SeenFeatures() == seenBefore || featureGeometries == geometriesBefore))
      host::Printf(L"\nNo OS MasterMap features in %ls.\n", host::WidePath(file->path).c_str());
  }

  if (result == 1 && createSdfFiles && settings.inputRoadLinks && roadLinks.count > 0) {
    Item(kOverallProgress).SetRange(0, 1000);
    Item(kFileProgress).SetRange(0, inputFiles.count);
    EnableItem(kStopButton, true);
    SetItemText(kStopButton, stopLabel);
    SetItemText(kOverallCaption, L"Naming Roads ");
    std::int32_t shown = 0;
    for (std::int32_t i = 0; i < inputFiles.count && result == 1 && !cancelRequested; ++i) {
      wchar_t caption[64];
      std::swprintf(caption, 64, L"File %li of %li", static_cast<long>(i + 1),
                    static_cast<long>(inputFiles.count));
      SetItemText(kFileCaption, caption);
      Item(kFileProgress).SetPos(i + 1);
      auto* file = static_cast<GmlInputFile*>(inputFiles.data) + i;
      if (!NameItnRoads(file, &runToids)) result = 0;
      const std::int32_t perMille = static_cast<std::int32_t>(1000.0 * (i + 1) / inputFiles.count);
      if (perMille > shown) {
        shown = perMille;
        std::swprintf(caption, 64, L"Naming Roads (%i%%)", perMille / 10);
        SetItemText(kOverallCaption, caption);
        Item(kOverallProgress).SetPos(perMille);
        host::PumpMessages();
        if (host::UserBreak() || stopPressed) cancelRequested = 1;
      }
    }
    if (cancelRequested) result = 0;
    cancelRequested = 0;
  }

  EnableItem(kFileList, true);
  if (IsShown()) {
    (void)UpdateData(true);
    OnInitDialog();
  }
  SetItemText(kOverallCaption, L"");
  if (countOnly) {
    settings.inputCartoSymbols = saved[0];
    settings.inputCartoText = saved[1];
    settings.inputTopoLines = saved[2];
    settings.inputTopoPoints = saved[3];
    settings.inputAddressPoints = saved[4];
    settings.inputPolygons = saved[5];
    settings.inputRoads = saved[6];
    settings.inputRoadLinks = saved[7];
    settings.inputRoadNodes = saved[8];
  }
  busy = 0;
  return result;
}

bool OSGMLInputView::NameItnRoads(const GmlInputFile* file, BinaryTree* runToids) {
  currentChar = 0;
  ArchiveReader archive;
  if (!archive.OpenGz(file->path)) return true;
  bool ok = true;
  bool inRoad = false;
  char roadName[kNameWidth] = {};
  char roadTerm[kTermWidth] = {};
  char tag[kGmlTagBufferSize];
  char text[kGmlTagBufferSize];
  std::int64_t consumed = 0;
  while (ok && !cancelRequested && ReadGmlTag(archive, tag, kGmlMaxTagLength, &consumed)) {
    QuotesToApostrophes(tag);
    if ((std::strncmp(tag, "osgb:Road", 9) == 0 || std::strncmp(tag, "osgb:Path", 9) == 0) &&
        tag[9] == ' ') {
      inRoad = true;
      roadName[0] = 0;
      roadTerm[0] = 0;
    } else if (std::strncmp(tag, "osgb:roadName", 13) == 0 ||
               std::strncmp(tag, "osgb:pathName", 13) == 0) {
      if (ReadGmlText(archive, text, kGmlMaxTagLength, &consumed)) {
        DecodeXmlText(text);
        CopyUtf8Field(roadName, text);
      }
    } else if (std::strncmp(tag, "osgb:descriptiveTerm", 20) == 0) {
      if (ReadGmlText(archive, text, kGmlMaxTagLength, &consumed)) {
        DecodeXmlText(text);
        CopyUtf8Field(roadTerm, text);
      }
    } else if (inRoad && std::strncmp(tag, "osgb:networkMember ", 19) == 0) {
      const char* at = std::strstr(tag, "xlink:href='#osgb");
      if (at != nullptr && std::strlen(at) > 30) {
        char toid[kToidWidth];
        const char* p = at + std::strlen("xlink:href='#osgb");
        std::size_t i = 0;
        while (i < kToidWidth - 1 && p[i] != 0 && p[i] != '\'') {
          toid[i] = p[i];
          ++i;
        }
        toid[i] = 0;
        if (BinaryTreeNode* node = runToids->Find(toid)) {
          RoadLinkRecord link;
          const auto index = static_cast<std::int32_t>(node->payloadA);
          if (GrowArrayGet(&roadLinks, index, &link)) {
            CopyUtf8Field(link.roadTerm, roadTerm);
            CopyUtf8Field(link.roadName, roadName);
            ok = GrowArraySet(&roadLinks, index, &link);
          }
        }
      }
    } else if (std::strcmp(tag, "/osgb:Road") == 0 || std::strcmp(tag, "/osgb:Path") == 0) {
      inRoad = false;
    }
  }
  archive.Close();
  return ok;
}

void OSGMLInputView::MarkFilesInLocation() {
  AreaFilter& filter = *activeLocationFilter;
  for (std::int32_t i = 0; i < inputFiles.count; ++i) {
    auto* file = static_cast<GmlInputFile*>(inputFiles.data) + i;
    file->active = 1;
    if (!settings.areaFiltering) continue;
    const double e = 0.001;
    bool inside = filter.PointInOutline(file->minX + e, file->minY + e) ||
                  filter.PointInOutline(file->minX + e, file->maxY - e) ||
                  filter.PointInOutline(file->maxX - e, file->maxY - e) ||
                  filter.PointInOutline(file->maxX - e, file->minY + e) ||
                  filter.RectTouchesOutline(file->minX, file->minY, file->maxX, file->maxY);
    if (inside && filter.HasRoadBufferArea())
      inside = filter.RectInRoadBufferGrid(file->minX, file->minY, file->maxX, file->maxY);
    file->active = inside ? 1 : 0;
  }
}

void OSGMLInputView::SortInputFiles() {
  auto* files = static_cast<GmlInputFile*>(inputFiles.data);
  const std::int32_t n = inputFiles.count;
  for (std::int32_t pass = 0; pass + 1 < n; ++pass) {
    bool swapped = false;
    for (std::int32_t i = 0; i + 1 < n - pass; ++i) {
      if (strcasecmp(files[i].name, files[i + 1].name) > 0) {
        std::swap(files[i], files[i + 1]);
        swapped = true;
      }
    }
    if (!swapped) break;
  }
}

std::uint32_t GetFileSizeByFind(const wchar_t* path) {
  const std::optional<host::FileInfo> info = host::GetFileInfo(path);
  if (!info) return 0;
  return static_cast<std::uint32_t>(info->size & 0xFFFFFFFFu);
}

void OSGMLInputView::SyncActiveLocationFilters() {
  host::ui::Control& list = Item(gml_controls::kLocationList);
  const int rows = list.GetCount();
  for (int i = 0; i < rows; ++i) (void)locationFilter.SetAreaFlag(i, 0);
  for (int i = 0; i < rows; ++i)
    if (list.GetSel(i)) (void)locationFilter.SetAreaFlag(i, 1);
}

bool OSGMLInputView::SaveDialogSettings() {
  const bool settingsSaved = settings.SaveSettings();
  const bool areasSaved = locationFilter.SaveAreas();
  return settingsSaved && areasSaved;
}
