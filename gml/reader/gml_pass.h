// Working state of one pass over a GML file, shared by the files that handle
// its feature classes. Internal to the reader.
//
// Features are flat: the pass tracks the current feature of each class by
// flags set at its start tag and cleared at its end tag. The texts of the
// current feature are staged here and copied into a record when the feature
// ends; the tuple list holds its coordinates.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/archive/archive_reader.h"
#include "common/containers/binary_tree.h"
#include "common/containers/grow_array.h"
#include "gml/reader/feature_records.h"
#include "gml/reader/gml_elements.h"
#include "gml/reader/osgml_input_view.h"
#include "gml/reader/pass_state.h"
#include "gml/reader/piece_log.h"

// Points of one feature at most: of a line or link as read, of an area's
// rings and a road's line as put together. A feature with more is refused,
// so that a file cannot make the reader hold more than a few tens of
// megabytes for one feature (the largest real features have some
// hundred thousand).
inline constexpr std::int32_t kMaxFeaturePoints = 1000000;
// Rings of one area at most, outer and inner together, whether written out
// or given by references. A ring given by references holds a member list of
// its own from its start tag on, empty or not, so the points alone do not
// bound what an area of many rings holds; this many take some sixty
// megabytes, and real areas have far fewer.
inline constexpr std::int32_t kMaxFeatureRings = 50000;
// References of one feature at most: the ring members of an area, all its
// rings together, and the members of a road. A member that gives a ring or
// a road points gives at least two, so a feature with more could not be
// stored under kMaxFeaturePoints anyway.
inline constexpr std::int32_t kMaxFeatureMembers = kMaxFeaturePoints / 2;

// One record of the spill file: a coordinate of a line or link, or (more 0)
// the end of one, repeating its last point.
inline constexpr std::size_t kSpillRecordBytes = 20;

// The coordinate position noted for a line or link that was refused:
// nothing of it is kept, in the spill file or elsewhere, and an area or road
// that refers to it is refused with it.
inline constexpr std::int64_t kRefusedCoordinates = -2;

struct GmlPass : GmlFeatureState {
  GmlPass(OSGMLInputView& view, GmlInputFile* file, std::int32_t fileIndex, BinaryTree* runToids,
          int keepRecords, int countOnly);
  ~GmlPass();
  GmlPass(const GmlPass&) = delete;
  GmlPass& operator=(const GmlPass&) = delete;

  // --- mode -------------------------------------------------------------------
  bool DrawMode() const { return keepRecords && !countOnly; }
  bool PreviewMode() const { return keepRecords && countOnly; }
  bool CountMode() const { return !keepRecords && countOnly; }
  bool Filtered() const { return view.settings.areaFiltering != 0; }
  bool PropertyPasses() const;
  bool InsideFilter(double x, double y) const;

  // --- the tag loop -------------------------------------------------------------
  // Reads and handles the next tag of `source`; false at its end.
  bool ReadNextTag();
  // Reads tags until the source ends, a store fails or the run is cancelled,
  // showing progress as it goes (the thread that owns the dialog only).
  void ReadTagsWithProgress();
  void OnStartTag(char* tag);
  void OnEndTag(const char* tag);
  // Attribute elements (`element` is the tag's, see ClassifyElement); true
  // when a value was stored.
  bool StoreAttribute(const char* tag, GmlElement element);
  bool StoreAddressAttribute(const char* tag, GmlElement element);
  void OnCoordinates();
  void OnReferences(const char* tag, GmlElement element);
  void CaptureToid(const char* tag);
  void ClearTexts();
  void ClearValueLists();
  void SetBackHeightAndOrientation();
  void StartPointLike();
  // The ITN records' own copies of the common texts.
  template <typename Record>
  void CopyNetworkTexts(Record* r) const {
    CopyField(r->descriptiveTerm, common.descriptiveTerm);
    CopyField(r->toid, common.toid);
    CopyField(r->versionDate, common.versionDate);
    CopyField(r->theme, common.theme);
    CopyField(r->descriptiveGroup, common.descriptiveGroup);
    CopyField(r->reasonForChange, common.reasonForChange);
    CopyField(r->changeDate, common.changeDate);
  }

  // --- coordinates --------------------------------------------------------------
  // Reads every tuple of the current gml:coordinates text into `tuples`;
  // `spillTo` also writes them (and an end record) to the spill file.
  bool ReadAllTuples(bool spillTo);
  bool ReadOneTuple();
  bool AppendTuple(const CoordinateTuple& tuple);
  // Re-reads a line's tuples from its remembered position into `tuples`.
  bool RereadTuples(std::int64_t position);
  std::int64_t CoordinatePosition() const;
  bool WriteSpillRecord(double x, double y, std::int32_t more);
  // Drops the spill records from `position` on (those of a feature that was
  // refused); later records take their place.
  void TakeBackSpill(std::int64_t position);
  // At the end of a line or link that was refused (by a value after its
  // coordinates too): what it spilled is taken back.
  void DropRefusedSpill();
  // The spill file could not be written or read: the pass fails, and the
  // system's reason (errno) is kept for the message.
  void NoteSpillFailure();
  // Notes a line's or link's coordinate position under its TOID.
  bool NoteLinePosition(ToidTree tree, const char* toid);
  // Notes a road node's index in the kept nodes or the nodes kept aside.
  bool NoteNode(ToidTree tree, const char* toid, std::int32_t index);
  // Keeps a road node aside; its index in `*index`.
  bool KeepNodeAside(const RoadNodeRecord& node, std::int32_t* index);
  void ShowOutOfMemory();
  void EmptyTuples() { tuples.count = 0; }
  double TupleZ(const CoordinateTuple& t) const { return t.hasZ ? t.z : heightAboveDatum; }

  // --- feature ends -------------------------------------------------------------
  void EndLine();
  void EndPointLike(GrowArray* target, std::int32_t read, std::int32_t* kept, bool isText);
  void EndRoadLink();
  void EndRoadNode();
  void EndRoad();
  void EndAddressPoint();
  // Builds a line's point list from the tuples; kept counts the line.
  // Returns false on a failed store.
  bool BuildLinePoints(bool store, GrowArray* points, bool* counted, std::int32_t* kept);
  // For a line or link that passed its own tests: the location test, its
  // point list (made only when `store`), a cross-file TOID noted, the list
  // registered. True when `points` holds a registered list of more than one
  // entry for the record to take.
  bool PassingLinePoints(bool store, std::int32_t* kept, GrowArray* points);
  bool LineLeavesFileExtent() const;
  bool PassesLocation(bool trim, bool* trimmedAway);

  // --- one feature in several files of a run ------------------------------------
  // Tiles overlap: a line, road link or area that leaves its file's extent
  // may be met again in a later file of the run, in the version that file
  // was supplied with. The run's tree (OSGMLInputView::crossFileToids) holds
  // the TOID of each such copy that was stored, with its version and where
  // its record is. A later copy is left out unless its version is newer;
  // then its record takes the place of the earlier copy's.
  enum class CopyKind : std::int64_t { kLine = 0, kLink = 1, kArea = 2 };
  static constexpr std::int64_t kNewCopy = -1;       // no copy was stored before
  static constexpr std::int64_t kOutdatedCopy = -2;  // a copy as new or newer was
  // kNewCopy, kOutdatedCopy, or the index of the earlier copy's record that
  // the current feature replaces.
  std::int64_t CrossFileCopy(CopyKind kind);
  // Notes the current feature's record, stored at `index`, in the run's
  // tree: a replacement takes over its entry; a new copy gets one when it
  // `leavesExtent`. False when no entry could be had.
  bool NoteCrossFileCopy(CopyKind kind, std::int64_t index, bool replaces, bool leavesExtent);
  // The current area's, decided at its outer boundary (inline geometry).
  std::int64_t areaCopy = kNewCopy;
  bool areaLeavesExtent = false;

  // --- areas ----------------------------------------------------------------------
  void StartArea();
  void EndOuterBoundary();
  void EndInnerBoundary();
  void EndArea();
  void StartReferenceBoundary(bool outer);
  void AddRingMember(const char* tag);
  void EndReferenceBoundary();
  bool AppendRing(GrowArray* list, bool* created);
  bool KeepRegistered(const GrowArray& list, std::int32_t* registerIndex);
  void AssembleAreas();
  void ReleaseAreaLists();

  // --- ITN after the tags -----------------------------------------------------------
  void CompleteRoadNodes();
  void AssembleRoads();

  // --- features that cannot be stored ----------------------------------------------
  // Leaves the current feature out; `what` says where and why. Every class
  // is refused this way, once per feature, and the first refusal of the
  // file is reported when the file is done (ParseGmlFile).
  void RefuseFeature(const std::string& what);
  // As RefuseFeature for a place in the file being read: "at byte N: reason".
  void RefuseNumber(const std::string& reason);
  // The text of an attribute element into `text`, as ReadGmlText; a text
  // longer than the text buffer refuses the feature (it would be cut).
  bool ReadFeatureText(const char* element);
  // Refuses a departed feature whose fid, `value` after its "osgb", is no
  // TOID; it is a feature of its own.
  void RefuseDepartedToid(std::string_view value);
  // Refuses the current feature (a `kind`, "feature", "area"...) for
  // holding more than `limit` of `what` ("points", "rings"...).
  void RefuseOversized(const char* kind, std::int32_t limit = kMaxFeaturePoints,
                       const char* what = "points");
  // Parses a real or integer element value; false (and the feature refused)
  // when it cannot be stored.
  bool ParseRealValue(const char* element, const char* text, double* value);
  bool ParseIntValue(const char* element, const char* text, std::int32_t* value);
  // True when every coordinate of the tuple is finite; else the feature is
  // refused.
  bool TupleIsFinite(const CoordinateTuple& tuple);
  // "area" or "road" while one is put together from the lines it refers to.
  const char* assembling = nullptr;
  std::int32_t refusedNumbers = 0;  // features refused
  std::string firstRefusal;       // the place and the reason of the first

  // --- the end of the file ------------------------------------------------------------
  // The root element's end tag ("/osgb:FeatureCollection"), taken from the
  // first start tag of the file; empty when the first buffer held none.
  std::string rootEnd;
  bool rootClosed = false;  // its end tag was read
  // Finds rootEnd in the bytes buffered right after opening.
  void FindRootElement();
  // True when the end tag `tag` is the root's (blanks may follow its name).
  bool IsRootEnd(const char* tag) const;
  // Bytes of text the file holds, once it was read to its end.
  std::int64_t TextLength() const;

  // --- text that is not UTF-8 ---------------------------------------------------
  // Counts an element's text that holds bytes that are not UTF-8 (they read
  // one byte a character); the first of the file is told when it is done.
  void NoteTextEncoding(const char* element, const char* text);
  std::int32_t notUtf8Texts = 0;
  std::string firstNotUtf8;  // the place and the text (as UTF-8) of the first

  // --- progress ---------------------------------------------------------------------
  void ShowProgress();
  bool PollCancel();

  OSGMLInputView& view;
  GmlInputFile* file;
  std::int32_t fileIndex;
  BinaryTree* runToids;
  int keepRecords;
  int countOnly;
  std::int32_t fileNumber = 1;   // among the active files, for the captions
  std::int32_t activeFiles = 1;
  bool sound = true;  // false once a store failed
  ArchiveReader archive;  // the file, for the pass's own reading and for re-reading lines
  // What the tag loop reads from: `archive`, or a piece of the file in memory.
  ArchiveReader* source = &archive;
  // Where the tag loop puts what it reads: the dialog's store, or a piece's.
  GmlFeatureStore* out;
  // A piece's log of what it would have put in the pass's TOID trees, spill
  // file and messages (piece_log.h); null when the pass reads for itself.
  PieceLog* log = nullptr;
  // False from the start of a piece until it sets `coordinatePosition`; a
  // piece that uses the position before then depends on the pieces before it.
  bool positionKnown = true;
  bool usedUnknownPosition = false;
  // Carried groups (pass_state.h) a piece set, and those it used or changed
  // before setting them; a pass that reads for itself sets them all.
  std::uint32_t carriedSet = kAllCarriedGroups;
  std::uint32_t carriedTouched = 0;
  void SetCarried(std::uint32_t groups) { carriedSet |= groups; }
  void TouchCarried(std::uint32_t groups) { carriedTouched |= groups & ~carriedSet; }
  std::int64_t fileConsumed = 0;
  std::int32_t filePerMilleShown = 0;
  // Below these the progress shown cannot change (see ShowProgress).
  double fileQuietBelow = -1.0;
  double overallQuietBelow = -1.0;
  std::int32_t overallQuietShown = -1;

  char tag[kGmlTagBufferSize];
  char text[kGmlTagBufferSize];

  // TOIDs of this file: lines and links to the position of their
  // coordinates, kept nodes and nodes kept aside to their index.
  BinaryTree lineToids;
  BinaryTree linkToids;
  BinaryTree nodeToids;
  BinaryTree outsideNodeToids;
  GrowArray outsideNodes{};  // RoadNodeRecord

  std::int32_t areaReferencesAtStart = 0;  // assembly takes only this file's areas

  // The spill file of a gzip file: line and link coordinates as 20-byte
  // records, so that they need not be found again by seeking in the stream.
  bool spilling = false;
  std::FILE* spill = nullptr;
  // Bytes written to the spill file, where the next record goes: kept here
  // because asking the stream (ftell) costs a system call at every line.
  std::int64_t spillEnd = 0;
  std::wstring spillPath;
  // Why the spill file failed, in the system's words; empty while it works.
  std::string spillFailure;
};
