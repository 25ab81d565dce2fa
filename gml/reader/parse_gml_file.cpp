// One pass over one GML file: set-up, the tag loop, progress and cancel,
// coordinates and the spill file, and the end of the pass.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <limits>
#include <string_view>

#include "common/containers/text.h"
#include "gml/reader/gml_pass.h"
#include "gml/reader/gml_tokens.h"
#include "gml/reader/piece_join.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/system/files.h"
#include "host/system/temp_files.h"
#include "host/ui/message_box.h"

namespace {

// What the tag loop needs to know of a tag's text besides its element.
struct TagShape {
  bool hasSlash = false;
  bool hasBlank = false;
};

// Replaces the tag's double quotes by apostrophes, as QuotesToApostrophes
// does, noting on the way whether it holds a '/' and a blank.
TagShape ScanTag(char* tag) {
  TagShape shape;
  for (char* p = tag; *p != 0; ++p) {
    const char c = *p;
    if (c == '"') *p = '\'';
    else if (c == '/') shape.hasSlash = true;
    else if (c == ' ') shape.hasBlank = true;
  }
  return shape;
}

// A start tag holds no '/', or is one of the elements that may close
// themselves (each is named with a blank after it, so a tag without blanks
// is none of them).
bool IsStartTag(const char* tag, TagShape shape) {
  if (!shape.hasSlash) return true;
  if (!shape.hasBlank) return false;
  return std::strstr(tag, "osgb:directedNode ") != nullptr ||
         std::strstr(tag, "osgb:ringMember ") != nullptr ||
         std::strstr(tag, "osgb:networkMember ") != nullptr ||
         std::strstr(tag, "osgb:DepartedFeature ") != nullptr;
}

std::wstring Format(const wchar_t* format, auto... values) {
  wchar_t buffer[512];
  std::swprintf(buffer, sizeof buffer / sizeof buffer[0], format, values...);
  return buffer;
}

// "%.3lfkm2" above a square kilometre, else "%.0lfm2".
std::wstring AreaValueText(double value) {
  return value > 1000000.0 ? Format(L"%.3lfkm2", value / 1000000.0) : Format(L"%.0lfm2", value);
}

int PerMille(double done, double total) {
  // A file of unknown or zero size shows no progress rather than dividing by
  // zero; a gzip trailer that wrapped at 4 GiB would pass 1000.
  if (total <= 0) return 0;
  const double value = done / total * 1000.0;
  return value > 1000.0 ? 1000 : static_cast<int>(value);
}

// A count of bytes done below which PerMille(done, total) stays at or under
// `shown`: a little under the exact step, so that rounding never hides one.
double QuietBelow(int shown, double total) {
  if (total <= 0 || shown >= 1000) return std::numeric_limits<double>::infinity();
  return (shown + 1) * (total / 1000.0) * (1.0 - 1e-9) - 1.0;
}

}  // namespace

GmlPass::GmlPass(OSGMLInputView& v, GmlInputFile* f, std::int32_t index, BinaryTree* toids,
                 int keep, int count)
    : view(v),
      file(f),
      fileIndex(index),
      runToids(toids),
      keepRecords(keep),
      countOnly(count),
      out(&v) {
  sound = GrowArrayCreate(1000, sizeof(CoordinateTuple), &tuples);
  tuplesCreated = sound;
  if (sound) sound = GrowArrayCreate(1000, sizeof(RoadNodeRecord), &outsideNodes);
}

GmlPass::~GmlPass() {
  if (tuplesCreated) GrowArrayFree(&tuples);
  GrowArrayFree(&outsideNodes);
  ReleaseAreaLists();
  if (roadMembersCreated) GrowArrayFree(&roadMembers);
  if (spill != nullptr) std::fclose(spill);
  if (!spillPath.empty()) (void)host::RemoveFile(spillPath);
}

bool GmlPass::PropertyPasses() const {
  if (numberRefused) return false;
  return !view.settings.filterByProperty ||
         view.propertyFilter.Passes(common.theme, common.descriptiveGroup,
                                    common.descriptiveTerm) != 0;
}

bool GmlPass::InsideFilter(double x, double y) const {
  return view.activeLocationFilter->PointInFilter(x, y);
}

// Coordinates ---------------------------------------------------------------------

bool GmlPass::AppendTuple(const CoordinateTuple& tuple) {
  // A tuple that cannot be stored is left out, and its feature with it.
  if (!TupleIsFinite(tuple)) return true;
  if (tuples.count >= kMaxFeaturePoints) {
    RefuseOversized(assembling != nullptr ? assembling : "feature");
    return true;
  }
  if (!GrowArraySetGrowBy(&tuples, tuples.count, &tuple, 2000)) {
    sound = false;
    return false;
  }
  return true;
}

bool GmlPass::ReadAllTuples(bool spillTo) {
  // Nothing of a refused feature is spilled: once it is refused (a point
  // that is no number, one point too many) what it wrote is taken back and
  // the rest of its points are only read past.
  const std::int64_t start = spillTo ? CoordinatePosition() : -1;
  bool spillOn = spillTo && !numberRefused;
  CoordinateTuple tuple;
  CoordinateTuple last{};
  bool any = false;
  while (ReadCoordinateTuple(*source, lookAhead, &tuple, &fileConsumed)) {
    if (!AppendTuple(tuple)) return false;
    if (spillOn && numberRefused) {
      TakeBackSpill(start);
      spillOn = false;
    }
    if (!spillOn) continue;
    if (!WriteSpillRecord(tuple.x, tuple.y, 1)) return false;
    last = tuple;
    any = true;
  }
  if (spillOn && any && !WriteSpillRecord(last.x, last.y, 0)) return false;
  if (spillOn && !any && !WriteSpillRecord(0, 0, 0)) return false;
  return sound;
}

bool GmlPass::ReadOneTuple() {
  CoordinateTuple tuple;
  if (!ReadCoordinateTuple(*source, lookAhead, &tuple, &fileConsumed)) return true;
  return AppendTuple(tuple);
}

std::int64_t GmlPass::CoordinatePosition() const {
  if (spilling && log != nullptr)
    return static_cast<std::int64_t>(log->spill.count) * static_cast<std::int64_t>(kSpillRecordBytes);
  if (spilling) return spill != nullptr ? spillEnd : -1;
  return source->Tell();
}

bool GmlPass::WriteSpillRecord(double x, double y, std::int32_t more) {
  unsigned char record[kSpillRecordBytes];
  std::memcpy(record, &x, 8);
  std::memcpy(record + 8, &y, 8);
  std::memcpy(record + 16, &more, 4);
  if (log != nullptr) {
    if (!GrowArraySetGrowBy(&log->spill, log->spill.count, record, 4000)) sound = false;
    return sound;
  }
  if (spill == nullptr || std::fwrite(record, 1, sizeof record, spill) != sizeof record) {
    NoteSpillFailure();
    return false;
  }
  spillEnd += static_cast<std::int64_t>(sizeof record);
  return true;
}

void GmlPass::TakeBackSpill(std::int64_t position) {
  if (position < 0) return;
  if (log != nullptr) {
    const std::int64_t records = position / static_cast<std::int64_t>(kSpillRecordBytes);
    if (records < log->spill.count) log->spill.count = static_cast<std::int32_t>(records);
    return;
  }
  if (spill == nullptr || position >= spillEnd) return;
  // The bytes after it stay in the file until later records overwrite them;
  // nothing reads them.
  spillEnd = position;
  if (std::fseek(spill, static_cast<long>(position), SEEK_SET) != 0) NoteSpillFailure();
}

void GmlPass::DropRefusedSpill() {
  // A position the pass did not set here (a piece that began inside the
  // feature) is not this feature's to take back.
  if (numberRefused && spilling && positionKnown) TakeBackSpill(coordinatePosition);
}

void GmlPass::NoteSpillFailure() {
  if (spillFailure.empty()) spillFailure = std::strerror(errno != 0 ? errno : EIO);
  sound = false;
}

bool GmlPass::RereadTuples(std::int64_t position) {
  EmptyTuples();
  lookAhead = 0;
  if (position < 0) return true;  // the line had no coordinates
  if (spilling) {
    if (spill == nullptr) return false;
    if (std::fseek(spill, static_cast<long>(position), SEEK_SET) != 0) {
      NoteSpillFailure();
      return false;
    }
    unsigned char record[kSpillRecordBytes];
    while (std::fread(record, 1, sizeof record, spill) == sizeof record) {
      std::int32_t more;
      std::memcpy(&more, record + 16, 4);
      if (more == 0) break;  // the end record repeats the last point
      CoordinateTuple tuple{};
      std::memcpy(&tuple.x, record, 8);
      std::memcpy(&tuple.y, record + 8, 8);
      tuple.hasX = 1;
      tuple.hasY = 1;
      if (!AppendTuple(tuple)) return false;
    }
    // Go on writing after the last record: a record taken back may have
    // left bytes beyond it.
    if (std::ferror(spill) != 0 || std::fseek(spill, static_cast<long>(spillEnd), SEEK_SET) != 0) {
      NoteSpillFailure();
      return false;
    }
    return true;
  }
  if (archive.Seek(position, SEEK_SET) < 0) return false;
  CoordinateTuple tuple;
  std::int64_t ignored = 0;
  while (ReadCoordinateTuple(archive, lookAhead, &tuple, &ignored))
    if (!AppendTuple(tuple)) return false;
  return !archive.HasReadError();
}

// What the pass keeps for the whole file -----------------------------------------

bool GmlPass::NoteLinePosition(ToidTree tree, const char* toid) {
  if (!positionKnown) usedUnknownPosition = true;
  // A refused line keeps nothing: what refers to it finds it refused.
  const std::int64_t position = numberRefused ? kRefusedCoordinates : coordinatePosition;
  if (log != nullptr) return log->NoteToid(tree, toid, position);
  BinaryTree& target = tree == ToidTree::kLines ? lineToids : linkToids;
  return target.InsertPointers(toid, position, 0);
}

bool GmlPass::NoteNode(ToidTree tree, const char* toid, std::int32_t index) {
  if (log != nullptr) return log->NoteToid(tree, toid, index);
  BinaryTree& target = tree == ToidTree::kNodes ? nodeToids : outsideNodeToids;
  return target.InsertPointers(toid, index, -1);
}

bool GmlPass::KeepNodeAside(const RoadNodeRecord& node, std::int32_t* index) {
  GrowArray& aside = log != nullptr ? log->outsideNodes : outsideNodes;
  *index = aside.count;
  return GrowArraySetGrowBy(&aside, aside.count, &node, 500);
}

void GmlPass::ShowOutOfMemory() {
  // A worker never shows anything: the message waits for the piece's join.
  if (log != nullptr)
    log->outOfMemory = true;
  else
    (void)host::ui::ShowMessageBox(L"Out of memory - have to cancel, sorry.", L"");
}

// The tag loop ----------------------------------------------------------------------

bool GmlPass::ReadNextTag() {
  if (!ReadGmlTag(*source, lookAhead, tag, kGmlMaxTagLength, &fileConsumed)) return false;
  const TagShape shape = ScanTag(tag);
  tagHasBlank = shape.hasBlank;
  if (IsStartTag(tag, shape))
    OnStartTag(tag);
  else
    OnEndTag(tag);
  return true;
}

void GmlPass::ReadTagsWithProgress() {
  while (sound && !view.cancelRequested) {
    const std::int64_t before = fileConsumed;
    if (!ReadNextTag()) break;
    view.bytesRead += static_cast<double>(fileConsumed - before);
    ShowProgress();
  }
}

// Progress ------------------------------------------------------------------------

bool GmlPass::PollCancel() {
  if (host::UserBreak() || view.stopPressed) view.cancelRequested = 1;
  return view.cancelRequested != 0;
}

void GmlPass::ShowProgress() {
  using namespace gml_controls;
  // Called after every tag: nothing changes on screen until one of the two
  // counters reaches its next step.
  if (static_cast<double>(fileConsumed) < fileQuietBelow && view.bytesRead < overallQuietBelow &&
      view.progressShown == overallQuietShown)
    return;
  const int filePerMille = PerMille(static_cast<double>(fileConsumed), file->size);
  if (filePerMille > filePerMilleShown) {
    filePerMilleShown = filePerMille;
    view.ShowCounters();
    view.SetItemText(kFileCaption, Format(L"File %li of %li (%i%%)", static_cast<long>(fileNumber),
                                          static_cast<long>(activeFiles), filePerMille / 10));
    if (view.updateMode)
      view.SetItemText(kDepartedCount,
                       Format(L"Dep. features: %li", static_cast<long>(view.departedToids.count)));
    view.Item(kFileProgress).SetPos(filePerMille);
    PollCancel();
  }
  const int overall = PerMille(view.bytesRead, view.totalBytes);
  if (overall > view.progressShown) {
    view.progressShown = overall;
    view.SetItemText(kOverallCaption, Format(L"Progress (%i%%)", overall / 10));
    view.Item(kOverallProgress).SetPos(overall);
    host::PumpMessages();
    PollCancel();
  }
  fileQuietBelow = QuietBelow(filePerMilleShown, file->size);
  overallQuietBelow = QuietBelow(view.progressShown, view.totalBytes);
  overallQuietShown = view.progressShown;
}

void OSGMLInputView::ShowDamagedGzip(GmlInputFile* file, const wchar_t* path, std::int64_t at,
                                     const std::string& reason) {
  (void)host::ui::ShowMessageBox(
      Format(L"Can not read \"%ls\": its gzip data is damaged after byte %lld of the text "
             L"(zlib: %ls). The file was not read.",
             path, static_cast<long long>(at), NarrowToWide(reason).c_str()),
      L"");
  // The trailer of a damaged stream tells nothing: the list shows the size
  // the file has on disk.
  if (file->compressedSize >= 0) {
    file->size = file->compressedSize;
    file->compressedSize = -1.0;
  }
}

void OSGMLInputView::ShowCounters() {
  using namespace gml_controls;
  auto show = [this](int id, std::int32_t kept, std::int32_t seen) {
    SetItemText(id, Format(L"%li/%li", static_cast<long>(kept), static_cast<long>(seen)));
  };
  show(kLinesCount, keptLines, seenLines);
  show(kRoadsCount, keptRoads, seenRoads);
  show(kRoadLinksCount, keptRoadLinks, seenRoadLinks);
  show(kRoadNodesCount, keptRoadNodes, seenRoadNodes);
  show(kPointsCount, keptPoints, seenPoints);
  show(kAddressPointsCount, keptAddressPoints, seenAddressPoints);
  show(kSymbolsCount, keptSymbols, seenSymbols);
  show(kTextsCount, keptTexts, seenTexts);
  show(kAreasCount, keptAreas, seenAreas);
  SetItemText(kAreaValues, AreaValueText(keptAreaValue) + L"/" + AreaValueText(totalAreaValue));
}

void OSGMLInputView::ShowCountersUnavailable() {
  using namespace gml_controls;
  for (int id : {kLinesCount, kPointsCount, kAddressPointsCount, kSymbolsCount, kTextsCount,
                 kAreasCount, kAreaValues})
    SetItemText(id, L" n/a");
  SetItemText(kDepartedCount, L"Dep. features: n/a");
}

// The end of the file ---------------------------------------------------------------

void GmlPass::FindRootElement() {
  rootEnd.clear();
  rootClosed = false;
  std::int32_t available = 0;
  const char* p = archive.Buffered(&available);
  const std::string_view head(p, static_cast<std::size_t>(available));
  // The first tag that is no declaration, comment or end tag opens the root;
  // a comment, a processing instruction or a document type declaration is
  // passed over whole, whatever it holds.
  std::size_t at = head.find('<');
  while (at != std::string_view::npos && at + 1 < head.size()) {
    const std::string_view rest = head.substr(at);
    std::size_t end = std::string_view::npos;  // of the markup passed over
    if (rest.starts_with("<!--")) {
      end = rest.find("-->", 4);
      if (end != std::string_view::npos) end += 3;
    } else if (rest[1] == '?') {
      end = rest.find("?>", 2);
      if (end != std::string_view::npos) end += 2;
    } else if (rest[1] == '/') {
      end = 1;
    } else if (rest[1] == '!') {
      // A declaration may hold a bracketed internal subset with tags of its
      // own.
      int depth = 0;
      for (std::size_t i = 2; i < rest.size(); ++i) {
        if (rest[i] == '[') ++depth;
        else if (rest[i] == ']' && depth > 0) --depth;
        else if (rest[i] == '>' && depth == 0) {
          end = i + 1;
          break;
        }
      }
    } else {
      std::size_t q = 1;
      while (q < rest.size() && rest[q] != ' ' && rest[q] != '>' && rest[q] != '/' &&
             rest[q] != '\t' && rest[q] != '\r' && rest[q] != '\n')
        ++q;
      if (q < rest.size()) rootEnd = "/" + std::string(rest.substr(1, q - 1));
      break;
    }
    if (end == std::string_view::npos) break;
    at = head.find('<', at + end);
  }
  // A file whose first buffer holds no root has a head too long to judge
  // by it; only a file that ends within that buffer is known to lack one.
  if (rootEnd.empty() && available >= ArchiveReader::kStreamBufferSize) rootClosed = true;
}

bool GmlPass::IsRootEnd(const char* tag) const {
  const std::size_t n = rootEnd.size();
  if (n == 0 || std::strncmp(tag, rootEnd.c_str(), n) != 0) return false;
  const char after = tag[n];
  return after == 0 || after == ' ' || after == '\t' || after == '\r' || after == '\n';
}

std::int64_t GmlPass::TextLength() const {
  // A gzip stream was inflated to its end by the pass; a plain file's pieces
  // may have been read past its stream, whose length is the file's.
  if (archive.IsCompressed() != 0) return archive.Tell();
  const std::optional<host::FileInfo> info = host::GetFileInfo(host::WidePath(file->path));
  return info ? static_cast<std::int64_t>(info->size) : fileConsumed;
}

// The pass ---------------------------------------------------------------------------

int OSGMLInputView::ParseGmlFile(GmlInputFile* file, std::int32_t fileIndex, BinaryTree* runToids,
                                 int keepRecords, int countOnly, const wchar_t* stopLabel,
                                 std::int32_t fileNumber, std::int32_t activeFiles) {
  using namespace gml_controls;
  GmlPass pass(*this, file, fileIndex, runToids, keepRecords, countOnly);
  pass.fileNumber = fileNumber;
  pass.activeFiles = activeFiles;
  pass.areaReferencesAtStart = areaReferences.count;
  currentChar = 0;
  const std::wstring path = host::WidePath(FieldText(file->path));
  if (!pass.archive.OpenGz(file->path)) {
    if (pass.archive.HasReadError())
      ShowDamagedGzip(file, path.c_str(), 0, pass.archive.ReadErrorText());
    else
      (void)host::ui::ShowMessageBox(
          Format(L"Hey! Can not open file \"%ls\"!\n\nNow what's going on!?", path.c_str()), L"");
    return 0;
  }
  pass.FindRootElement();

  // A gzip file cannot be re-read cheaply by seeking back: its lines'
  // coordinates go to a spill file instead.
  pass.spilling = file->spillCoordinates != 0;
  const std::wstring tempFolder = host::TempFolder();
  if (pass.sound) {
    errno = 0;
    const std::optional<std::wstring> spillPath = host::MakeTempFile(tempFolder, L"Lwh");
    if (spillPath) {
      pass.spillPath = *spillPath;
      pass.spill = std::fopen(host::NativePath(*spillPath).value_or("").c_str(), "w+b");
      pass.spillEnd = 0;
    }
    if (pass.spill == nullptr) pass.NoteSpillFailure();
  }

  Item(kFileProgress).SetRange(0, 1000);
  Item(kFileProgress).Show(true);
  SetItemText(kFileCaption, Format(L"File %li of %li", static_cast<long>(fileNumber),
                                   static_cast<long>(activeFiles)));
  EnableItem(kStopButton, true);
  SetItemText(kStopButton, stopLabel);

  ReadFileTags(pass);
  // A gzip stream that is cut short or damaged ends like a whole one; the
  // file was not read to its end, so the pass fails rather than pass off
  // part of the file as all of it.
  const bool damaged = pass.archive.HasReadError();
  if (damaged) {
    pass.sound = false;
    ShowDamagedGzip(file, path.c_str(), pass.archive.Tell(), pass.archive.ReadErrorText());
  } else if (pass.sound && !cancelRequested && !pass.rootClosed) {
    // A file cut short (a download that stopped) reads like a shorter one:
    // what was read is kept, and the user is told that it is not all.
    ++incompleteFiles;
    (void)host::ui::ShowMessageBox(
        Format(L"\"%ls\" ends early, at byte %lld: the file is incomplete (its root element "
               L"is not closed). Only the features read up to there are kept.",
               path.c_str(), static_cast<long long>(pass.TextLength())),
        L"");
  }
  // Areas and roads are put together below from what was stored; the flag
  // belonged to the last feature read.
  pass.numberRefused = false;
  // GML is UTF-8; a file saved in another encoding still reads, one byte a
  // character, and is told once.
  if (pass.notUtf8Texts > 0)
    host::Printf(L"\nWarning: %li texts in \"%ls\" are not UTF-8 and were read one byte a "
                 L"character; the first %ls.\n",
                 static_cast<long>(pass.notUtf8Texts), path.c_str(),
                 Utf8ToWide(pass.firstNotUtf8).c_str());

  if (pass.sound && !cancelRequested) {
    ShowCounters();
    SetItemText(kFileCaption, L"Polygons...");
    pass.AssembleAreas();
    if (pass.sound && !cancelRequested) {
      SetItemText(kFileCaption, L"ITN Roads...");
      pass.CompleteRoadNodes();
      pass.AssembleRoads();
    }
    ShowCounters();
  }
  if (pass.refusedNumbers > 0) {
    (void)host::ui::ShowMessageBox(
        Format(L"Features that cannot be stored were refused in \"%ls\" (%li in all) and left "
               L"out.\n\nThe first, ",
               path.c_str(), static_cast<long>(pass.refusedNumbers)) +
            Utf8ToWide(pass.firstRefusal) + L".",
        L"");
  }
  if (cancelRequested) ShowCountersUnavailable();

  Item(kFileProgress).Show(false);
  SetItemText(kFileCaption, L"");
  EnableItem(kStopButton, false);
  SetItemText(kStopButton, L"<Stop action>");
  pass.archive.Close();
  // A damaged file was named with its reason above; a spill file that could
  // not be written is named with the folder and the system's reason.
  if (!pass.sound && !damaged && !pass.spillFailure.empty())
    (void)host::ui::ShowMessageBox(
        L"Operation canceled: the temporary folder \"" + tempFolder +
            L"\" could not take the coordinates of \"" + path + L"\" (" +
            NarrowToWide(pass.spillFailure) +
            L"). Make room there, or set TMPDIR to another folder.",
        L"");
  else if (!pass.sound && !damaged)
    (void)host::ui::ShowMessageBox(L"Operation canceled. Could be memory problems?", L"");

  const int result = pass.sound && !cancelRequested && !stopPressed ? 1 : 0;
  cancelRequested = 0;
  return result;
}
