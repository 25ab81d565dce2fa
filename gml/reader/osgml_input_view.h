// The main import dialog, as far as reading goes.
//
// One object does two jobs: it is the import dialog (its dialog side lives
// with the other dialogs), and it holds the reader's state and the feature
// arrays that a reading run fills and the drawing writer draws. The reading
// methods below run as its members; the object works without ever being
// shown (counters and captions then go to controls nobody sees).
//
// Ownership: the object owns every feature array and, through the register
// `nestedArrays`, every list nested in a stored record. A reading run frees
// and re-creates them; the destructor frees them all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/archive/archive_reader.h"
#include "common/containers/binary_tree.h"
#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"
#include "gml/reader/feature_store.h"
#include "gml/settings/area_filter.h"
#include "gml/settings/property_filter.h"
#include "gml/settings/settings_record.h"
#include "host/ui/dialog.h"

// TOIDs of lines, links and areas that run past their own file's box.
using CrossFileToidTree = BinaryTree;

// Controls of the import dialog that reading writes to.
namespace gml_controls {
inline constexpr int kLinesCount = 233;
inline constexpr int kPointsCount = 234;
inline constexpr int kSymbolsCount = 235;
inline constexpr int kTextsCount = 236;
inline constexpr int kFileProgress = 237;
inline constexpr int kFileCaption = 238;
inline constexpr int kStopButton = 239;
inline constexpr int kAreasCount = 241;
inline constexpr int kAreaValues = 242;
inline constexpr int kOverallProgress = 243;
inline constexpr int kOverallCaption = 244;
inline constexpr int kRoadsCount = 245;
inline constexpr int kRoadLinksCount = 246;
inline constexpr int kRoadNodesCount = 247;
inline constexpr int kAddressPointsCount = 248;
inline constexpr int kFileList = 280;
inline constexpr int kLocationList = 231;
inline constexpr int kDepartedCount = 322;
}  // namespace gml_controls

inline constexpr int kGmlTagBufferSize = 10240;  // tag and text buffers
inline constexpr int kGmlMaxTagLength = kGmlTagBufferSize - 1;
inline constexpr int kCoordinateTokenSize = 128;  // at most 127 characters

// Working state of one pass over a file (defined with the pass).
struct GmlPass;

class OSGMLInputView : public host::ui::Dialog, public GmlFeatureStore {
 public:
  static constexpr int kTemplateId = 200;

  explicit OSGMLInputView(host::ui::Dialog* parent = nullptr);
  ~OSGMLInputView() override;

  // --- token reader ---------------------------------------------------------
  // Each takes characters from `archive` with `currentChar` as the shared
  // look-ahead and adds the characters it consumed to `consumed`.
  // A tag's text without its angle brackets; false when nothing was stored.
  bool ReadGmlTag(ArchiveReader& archive, char* buffer, int maxLength, std::int64_t* consumed);
  // The text after a tag up to the next '<'; false when it is empty.
  bool ReadGmlText(ArchiveReader& archive, char* buffer, int maxLength, std::int64_t* consumed);
  // One tuple of a gml:coordinates text; true when x and y were read.
  bool ReadCoordinateTuple(ArchiveReader& archive, CoordinateTuple* tuple,
                           std::int64_t* consumed);

  // --- reading run ----------------------------------------------------------
  // Reads every active input file. Modes: import (keepRecords 1, countOnly
  // 0), count (0, 1) and preview (1, 1). 1 when every file was read to its
  // end.
  int ProcessGmlFiles(int keepRecords, const wchar_t* stopLabel, int countOnly);
  // Reads one file in one pass; 1 when it was read to its end.
  int ParseGmlFile(GmlInputFile* file, std::int32_t fileIndex, BinaryTree* runToids,
                   int keepRecords, int countOnly, const wchar_t* stopLabel,
                   std::int32_t fileNumber, std::int32_t activeFiles);
  // Names the road links of `runToids` after the roads of one file.
  bool NameItnRoads(const GmlInputFile* file, BinaryTree* runToids);
  // Appends a file to the input list as the file choice does: its header
  // read, active, a gzip file's coordinates spilled. False when the file
  // cannot be found or the list is full.
  bool AppendInputFile(const char* path);
  void MarkFilesInLocation();
  void SortInputFiles();
  // Marks the areas of the location filter active as the rows of the
  // dialog's location list are selected.
  void SyncActiveLocationFilters();
  // Writes the settings file and the areas file; false when either save
  // failed.
  bool SaveDialogSettings();
  // Frees the registered nested arrays from `first` (negative: 0) up to but
  // not including `last` (0 or less, or past the count: the count).
  void FreeNestedArrays(std::int32_t first, std::int32_t last);
  // Once the drawing is done with them: frees the lists nested in records
  // [first, last) of one of the feature lists below (the records then hold
  // empty ones and the register forgets them), or a whole feature list with
  // its nested lists, which reads as empty until a reading run makes it
  // afresh. An import then never holds all the records and the whole
  // drawing at once. `list` names the view's list (&areas, &lines, ...);
  // any other address is left alone.
  void ReleaseFeatureRecords(const void* list, std::int32_t first, std::int32_t last);
  void ReleaseFeatureList(const void* list);
  std::int32_t CountAllFeatures() const;
  // Features of every kind the reading run has met so far, kept or not.
  std::int32_t SeenFeatures() const;
  std::int32_t GetNestedArrayCount() const { return nestedArrays.count; }
  std::int32_t GetPointStreamCount() const { return previewPoints.count; }

  // --- file header ----------------------------------------------------------
  // Description, query time and extent from the head of a file; 1 when the
  // file opened and at least one of them was found.
  // headerExtentFound says afterwards whether the four extent values came
  // from the file (a file may give its description or query time alone).
  int ReadGmlFileHeader(const wchar_t* path, double* minX, double* minY, double* maxX,
                        double* maxY, int* compressed, char* description, char* queryTime,
                        double* uncompressedSize);
  int headerExtentFound = 0;
  // Why the last ReadGmlFileHeader found nothing ("the file is empty (0
  // bytes)", ...); empty after a header that was read.
  std::wstring headerProblem;
  // The query extent of a file as an outline (GrowArray of CoordinateTuple).
  int ReadGmlQueryExtent(const wchar_t* path, GrowArray* outline, char* description,
                         char* queryTime);

  // --- members read and written by the reader and the writer ----------------
  // The reading switches (which feature kinds are read, the property and
  // location filters, line trimming, the location mode) are the settings
  // record's own keys: a value loaded from lwh_gml.ini is the one a run uses.
  // Until settings are loaded, a view reads every feature kind.
  OS_GML_ACAD_Definitions settings;
  AreaFilter locationFilter;
  AreaFilter* activeLocationFilter = &locationFilter;
  PropertyFilter propertyFilter;
  CrossFileToidTree crossFileToids;

  GrowArray inputFiles{};  // GmlInputFile

  std::int32_t updateMode = 0;
  std::int32_t createSdfFiles = 0;

  std::int32_t activeFileCount = 0;
  double totalBytes = 0;
  double bytesRead = 0;
  std::int32_t progressShown = 0;
  std::int32_t cancelRequested = 0;
  std::int32_t stopPressed = 0;
  std::int32_t busy = 0;
  char currentChar = 0;
  // Worker threads and piece size of the reading run's parallel parse; 0
  // for the defaults (piece_join.h). Tests set them to drive the pieces.
  std::int32_t readerThreads = 0;
  std::int64_t readerPieceBytes = 0;
  // Pieces of the last file read whose workers' reading was joined, and
  // pieces read again on the owning thread because the state guessed for
  // them was not the one reading stood in.
  std::int32_t piecesJoined = 0;
  std::int32_t piecesReread = 0;
  // Files of the last reading run that ended before their root element
  // closed (cut short): what they held up to there was read.
  std::int32_t incompleteFiles = 0;
  // Set when the feature arrays could not all be created.
  std::int32_t constructionFailed = 0;

 private:
  friend struct GmlPass;

  bool CreateFeatureArrays();
  void FreeFeatureArrays();
  // Frees the registered nested lists whose blocks are among `blocks`
  // (sorted).
  void ReleaseNested(const std::vector<const void*>& blocks);
  // Shows the counters and area values of the run so far.
  void ShowCounters();
  void ShowCountersUnavailable();
  // Tells that a gzip file could not be read past byte `at` of its text, and
  // why; the file's size in the list falls back to its size on disk.
  void ShowDamagedGzip(GmlInputFile* file, const wchar_t* path, std::int64_t at,
                       const std::string& reason);
};

// The low 32 bits of a file's size as the folder listing gives it; 0 when
// the file is not found.
std::uint32_t GetFileSizeByFind(const wchar_t* path);

// Replaces every double quote of `text` by an apostrophe; the text's length.
std::size_t QuotesToApostrophes(char* text);

// Widens a box held by the caller by one point.
void UpdateBox(double x, double y, double z, double* minX, double* minY, double* minZ,
               double* maxX, double* maxY, double* maxZ);
