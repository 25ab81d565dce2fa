// Saving a drawing as DXF: R2000 for a drawing made here; a drawing read
// from a file keeps its version (R2000 at least) and code page.
//
// dxflib's entity writers give every entity a handle of their own and leave
// out what the drawing needs (lightweight polyline widths, polyline-path
// hatch loops, block reference normals, xdata, 64-bit handles), so every
// group is written through dxflib's writer interface from the database's
// own description of its entities (entity_groups.h), or as it was read
// (kept.h, dxf_entity_out.h). Handles are the database's and those kept
// from the file; the objects a file needs that neither holds (table heads,
// BLOCK/ENDBLK, dictionaries) take handles from the seed up.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <cwctype>


#include "host/db/drawing_file.h"
#include "host/db/dxf_entity_out.h"
#include "host/db/dxf_writer.h"
#include "host/db/kept.h"
#include "host/system/files.h"
#include "host/system/replace_file.h"
#include "host/db/entity_groups.h"
#include "host/system/fault.h"
#include "host/system/ordered_work.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

// Threads that help write a large space; more gain little, as the file
// takes the pieces one at a time.
constexpr int kMostSaveThreads = 4;

// Handles of the objects the file needs besides the database's own.
struct FileHandles {
  std::uint64_t next;
  std::uint64_t Take() { return next++; }
};

// Groups of a kept record that the writer writes itself, by table.
bool WrittenRecordGroup(const std::string& table, int code) {
  if (code == 0 || code == 2 || code == 5 || code == 100 || code == 330 || code == 105) return true;
  if (table == "LAYER") return code == 70 || code == 62 || code == 6;
  if (table == "STYLE") return code == 70 || code == 40 || code == 41 || code == 50 || code == 71 || code == 42 ||
                               code == 3 || code == 4;
  if (table == "LTYPE") return code == 70 || code == 3 || code == 72 || code == 73 || code == 40 || code == 49 ||
                               code == 74 || code == 75 || code == 340 || code == 46 || code == 50 || code == 44 ||
                               code == 45 || code == 9;
  if (table == "APPID") return code == 70;
  return false;
}

class DrawingWriter {
 public:
  // Handles are taken only for what the file needs and neither the
  // database nor the file read holds, so that saving a drawing read
  // changes no handle and not the seed.
  DrawingWriter(const Database& db, DxfWriter& out, const SaveDivision& division)
      : db_(db), kept_(db.Kept()), out_(out), division_(division), handles_{db.HandleSeed()} {
    auto table = [&](const char* name) {
      const KeptTable* kept = KeptTableOf(name);
      return kept && kept->handle != 0 && !kept->head.empty() ? kept->handle : handles_.Take();
    };
    vportTable_ = table("VPORT");
    ltypeTable_ = table("LTYPE");
    layerTable_ = table("LAYER");
    styleTable_ = table("STYLE");
    viewTable_ = table("VIEW");
    ucsTable_ = table("UCS");
    appidTable_ = table("APPID");
    dimstyleTable_ = table("DIMSTYLE");
    blockTable_ = table("BLOCK_RECORD");
    if (KeptCount("DIMSTYLE") == 0) dimstyleStandard_ = handles_.Take();
    if (!(kept_ && kept_->hasObjects && !kept_->objects.empty())) {
      rootDictionary_ = handles_.Take();
      groupDictionary_ = handles_.Take();
    }
    if (db_.ActiveViewport() == nullptr) defaultViewport_ = handles_.Take();
    for (const BlockRecord& block : db_.Blocks()) {
      if (block.erased) continue;
      blockBegin_.push_back(KeptBlockEnd(block, true) ? 0 : handles_.Take());
      blockEnd_.push_back(KeptBlockEnd(block, false) ? 0 : handles_.Take());
    }
    ChooseFormat();
  }

  void Write() {
    Header();
    out_.section("CLASSES");
    if (kept_)
      for (const KeptGroup& g : kept_->classes) out_.Kept(g.code, g.value);
    out_.sectionEnd();
    Tables();
    Blocks();
    Entities();
    Objects();
    if (kept_) {
      for (const auto& [name, body] : kept_->sections) {
        out_.dxfString(0, "SECTION");
        out_.Kept(2, name);
        for (const KeptGroup& g : body) out_.Kept(g.code, g.value);
        out_.sectionEnd();
      }
    }
    out_.dxfEOF();
  }

 private:
  // The version and encoding: a drawing read keeps its own (R2000 at
  // least); names its code page cannot hold make it R2007, in UTF-8, since
  // an escaped name is no valid name.
  void ChooseFormat() {
    version_ = "AC1015";
    page_ = CodePage::Default();
    if (kept_) {
      if (kept_->version > version_) version_ = kept_->version;
      if (!kept_->codePage.empty()) page_ = CodePage::Named(kept_->codePage);
    }
    bool utf8 = version_ >= "AC1021";
    out_.SetEncoding(utf8, page_);
    if (utf8) return;
    bool fits = true;
    auto check = [&](const auto& records) {
      for (const auto& r : records) fits = fits && (r.erased || out_.CanHold(r.name));
    };
    check(db_.Layers());
    check(db_.Linetypes());
    check(db_.TextStyles());
    check(db_.Blocks());
    for (const AppIdRecord& r : db_.AppIds()) fits = fits && out_.CanHold(r.name);
    if (!fits) {
      version_ = "AC1021";
      out_.SetEncoding(true, page_);
    }
  }

  void Header() {
    out_.sectionHeader();
    out_.dxfString(9, "$ACADVER");
    out_.dxfString(1, version_);
    out_.dxfString(9, "$DWGCODEPAGE");
    out_.dxfString(3, page_->Name());
    out_.dxfString(9, "$HANDSEED");
    out_.Handle(5, handles_.next);
    const LayerRecord* layer = db_.LayerRecordOf(db_.CurrentLayer());
    out_.dxfString(9, "$CLAYER");
    out_.Text(8, layer ? layer->name : L"0");
    const TextStyleRecord* style = db_.TextStyleRecordOf(db_.CurrentTextStyle());
    out_.dxfString(9, "$TEXTSTYLE");
    out_.Text(7, style ? style->name : L"Standard");
    const DatabaseSettings& s = db_.Settings();
    out_.dxfString(9, "$CECOLOR");
    out_.dxfInt(62, s.currentColor);
    out_.dxfString(9, "$CELTYPE");
    out_.Text(6, s.currentLinetype);
    out_.dxfString(9, "$PLINEGEN");
    out_.dxfInt(70, s.plinegen ? 1 : 0);
    out_.dxfString(9, "$ANGBASE");
    out_.Angle(50, s.angleBase);
    out_.dxfString(9, "$ANGDIR");
    out_.dxfInt(70, s.angleClockwise ? 1 : 0);
    out_.dxfString(9, "$AUNITS");
    out_.dxfInt(70, s.angleUnits);
    if (kept_) {
      for (const auto& [name, groups] : kept_->header) {
        out_.Kept(9, name);
        for (const KeptGroup& g : groups) out_.Kept(g.code, g.value);
      }
    }
    out_.sectionEnd();
  }

  const KeptTable* KeptTableOf(const char* name) const {
    if (!kept_) return nullptr;
    auto it = kept_->tables.find(name);
    return it == kept_->tables.end() ? nullptr : &it->second;
  }

  // The table's head: as read (its count set) or a new one.
  void TableHead(const char* name, std::uint64_t handle, int count, const char* subclass = nullptr) {
    if (const KeptTable* kept = KeptTableOf(name); kept && !kept->head.empty() && kept->handle == handle) {
      out_.dxfString(0, "TABLE");
      for (const KeptGroup& g : kept->head) {
        if (g.code == 5 && kept->handle != 0) out_.Handle(5, kept->handle);
        else if (g.code == 70) out_.dxfInt(70, count);
        else out_.Kept(g.code, g.value);
      }
      return;
    }
    out_.dxfString(0, "TABLE");
    out_.dxfString(2, name);
    out_.Handle(5, handle);
    out_.Handle(330, 0);
    out_.dxfString(100, "AcDbSymbolTable");
    out_.dxfInt(70, count);
    if (subclass) out_.dxfString(100, subclass);
  }

  std::uint64_t TableHandle(const char*, std::uint64_t handle) const { return handle; }

  int KeptCount(const char* name) const {
    const KeptTable* kept = KeptTableOf(name);
    return kept ? static_cast<int>(kept->records.size()) : 0;
  }

  void KeptRecords(const char* name) {
    if (const KeptTable* kept = KeptTableOf(name))
      for (const KeptObject& record : kept->records) WriteKeptObject(record, out_);
  }

  // A modelled record as read, when it has not changed since; true when
  // written so.
  template <typename Record>
  bool RecordAsRead(const char* table, const Record& record, std::uint64_t handle, const KeptRecord** keptOut) {
    *keptOut = nullptr;
    if (!kept_) return false;
    auto it = kept_->records.find(handle);
    if (it == kept_->records.end()) return false;
    *keptOut = &it->second;
    const auto* then = std::get_if<Record>(&it->second.asRead);
    if (then == nullptr || !(*then == record)) return false;
    out_.dxfString(0, table);
    for (const KeptGroup& g : it->second.groups) {
      if (g.code == 5) out_.Handle(5, handle);
      else out_.Kept(g.code, g.value);
    }
    return true;
  }

  // The groups of a changed record that the writer does not write itself.
  void RecordExtras(const char* table, const KeptRecord* kept) {
    if (kept == nullptr) return;
    for (const KeptGroup& g : kept->groups)
      if (!WrittenRecordGroup(table, g.code)) out_.Kept(g.code, g.value);
  }

  // The active viewport of a drawing read, after a zoom: the view (its
  // centre, height and aspect) as the database holds it, every other group
  // (snap, grid, circle sides, elevation, render mode, ...) as read.
  void ViewportAsRead(const ViewportRecord& vp, const KeptRecord& kept) {
    const double aspect = vp.height > 0 ? vp.width / vp.height : 1;
    bool centreX = false, centreY = false, height = false, ratio = false;
    out_.dxfString(0, "VPORT");
    for (const KeptGroup& g : kept.groups) {
      switch (g.code) {
        case 5: out_.Handle(5, vp.handle); break;
        case 12: out_.dxfReal(12, vp.centerX); centreX = true; break;
        case 22: out_.dxfReal(22, vp.centerY); centreY = true; break;
        case 40: out_.dxfReal(40, vp.height); height = true; break;
        case 41: out_.dxfReal(41, aspect); ratio = true; break;
        default: out_.Kept(g.code, g.value); break;
      }
    }
    if (!centreX) out_.dxfReal(12, vp.centerX);
    if (!centreY) out_.dxfReal(22, vp.centerY);
    if (!height) out_.dxfReal(40, vp.height);
    if (!ratio) out_.dxfReal(41, aspect);
  }

  void RecordHead(const char* type, std::uint64_t handle, std::uint64_t table, const char* subclass,
                  int handleCode = 5) {
    out_.dxfString(0, type);
    out_.Handle(handleCode, handle);
    out_.Handle(330, table);
    out_.dxfString(100, "AcDbSymbolTableRecord");
    out_.dxfString(100, subclass);
  }

  void Tables() {
    out_.sectionTables();
    const KeptRecord* kept = nullptr;

    // A drawing always has an active viewport; one that has none yet gets
    // the default view.
    ViewportRecord defaultView;
    defaultView.handle = defaultViewport_;
    const ViewportRecord* vp = db_.ActiveViewport() ? db_.ActiveViewport() : &defaultView;
    std::uint64_t vportTable = TableHandle("VPORT", vportTable_);
    TableHead("VPORT", vportTable, 1 + KeptCount("VPORT"));
    if (!RecordAsRead("VPORT", *vp, vp->handle, &kept)) {
      if (kept != nullptr) {
        ViewportAsRead(*vp, *kept);
      } else {
        RecordHead("VPORT", vp->handle, vportTable, "AcDbViewportTableRecord");
        out_.Text(2, vp->name);
        out_.dxfInt(70, 0);
        out_.Point2(10, 0, 0);
        out_.Point2(11, 1, 1);
        out_.Point2(12, vp->centerX, vp->centerY);
        out_.Point2(13, 0, 0);
        out_.Point2(14, 1, 1);
        out_.Point2(15, 1, 1);
        out_.Point(16, 0, 0, 1);
        out_.Point(17, 0, 0, 0);
        out_.dxfReal(40, vp->height);
        out_.dxfReal(41, vp->height > 0 ? vp->width / vp->height : 1);
        out_.dxfReal(42, 50);
        out_.dxfReal(43, 0);
        out_.dxfReal(44, 0);
        out_.dxfReal(50, 0);
        out_.dxfReal(51, 0);
        out_.dxfInt(71, 0);
        out_.dxfInt(72, 100);
        out_.dxfInt(73, 1);
        out_.dxfInt(74, 3);
        out_.dxfInt(75, 0);
        out_.dxfInt(76, 0);
        out_.dxfInt(77, 0);
        out_.dxfInt(78, 0);
      }
    }
    KeptRecords("VPORT");
    out_.tableEnd();

    std::uint64_t ltypeTable = TableHandle("LTYPE", ltypeTable_);
    TableHead("LTYPE", ltypeTable, Count(db_.Linetypes()) + KeptCount("LTYPE"));
    for (const LinetypeRecord& r : db_.Linetypes()) {
      if (r.erased || RecordAsRead("LTYPE", r, r.handle, &kept)) continue;
      RecordHead("LTYPE", r.handle, ltypeTable, "AcDbLinetypeTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, 0);
      out_.Text(3, r.description);
      out_.dxfInt(72, 65);
      out_.dxfInt(73, 0);
      out_.dxfReal(40, 0);
      RecordExtras("LTYPE", kept);
    }
    KeptRecords("LTYPE");
    out_.tableEnd();

    std::uint64_t layerTable = TableHandle("LAYER", layerTable_);
    TableHead("LAYER", layerTable, Count(db_.Layers()) + KeptCount("LAYER"));
    for (const LayerRecord& r : db_.Layers()) {
      if (r.erased || RecordAsRead("LAYER", r, r.handle, &kept)) continue;
      RecordHead("LAYER", r.handle, layerTable, "AcDbLayerTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, (r.frozen ? 1 : 0) | (r.frozenInNewViewports ? 2 : 0) | (r.locked ? 4 : 0));
      int color = r.color >= 1 && r.color <= 255 ? r.color : 7;
      out_.dxfInt(62, r.off ? -color : color);
      const LinetypeRecord* linetype = db_.LinetypeRecordOf(db_.IdOf(r.linetype));
      out_.Text(6, linetype ? linetype->name : L"CONTINUOUS");
      RecordExtras("LAYER", kept);
    }
    KeptRecords("LAYER");
    out_.tableEnd();

    std::uint64_t styleTable = TableHandle("STYLE", styleTable_);
    TableHead("STYLE", styleTable, Count(db_.TextStyles()) + KeptCount("STYLE"));
    for (const TextStyleRecord& r : db_.TextStyles()) {
      if (r.erased || RecordAsRead("STYLE", r, r.handle, &kept)) continue;
      RecordHead("STYLE", r.handle, styleTable, "AcDbTextStyleTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, 0);
      out_.dxfReal(40, r.height);
      out_.dxfReal(41, r.widthFactor);
      out_.dxfReal(50, 0);
      out_.dxfInt(71, 0);
      out_.dxfReal(42, r.height > 0 ? r.height : 2.5);
      out_.Text(3, r.font);
      out_.dxfString(4, "");
      RecordExtras("STYLE", kept);
    }
    KeptRecords("STYLE");
    out_.tableEnd();

    TableHead("VIEW", TableHandle("VIEW", viewTable_), KeptCount("VIEW"));
    KeptRecords("VIEW");
    out_.tableEnd();
    TableHead("UCS", TableHandle("UCS", ucsTable_), KeptCount("UCS"));
    KeptRecords("UCS");
    out_.tableEnd();

    std::uint64_t appidTable = TableHandle("APPID", appidTable_);
    TableHead("APPID", appidTable, static_cast<int>(db_.AppIds().size()) + KeptCount("APPID"));
    for (const AppIdRecord& r : db_.AppIds()) {
      if (RecordAsRead("APPID", r, r.handle, &kept)) continue;
      RecordHead("APPID", r.handle, appidTable, "AcDbRegAppTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, 0);
      RecordExtras("APPID", kept);
    }
    KeptRecords("APPID");
    out_.tableEnd();

    if (KeptCount("DIMSTYLE") > 0) {
      TableHead("DIMSTYLE", TableHandle("DIMSTYLE", dimstyleTable_), KeptCount("DIMSTYLE"), "AcDbDimStyleTable");
      KeptRecords("DIMSTYLE");
    } else {
      std::uint64_t dimstyleTable = TableHandle("DIMSTYLE", dimstyleTable_);
      TableHead("DIMSTYLE", dimstyleTable, 1, "AcDbDimStyleTable");
      if (!KeptTableOf("DIMSTYLE")) out_.dxfInt(71, 0);
      RecordHead("DIMSTYLE", dimstyleStandard_, dimstyleTable, "AcDbDimStyleTableRecord", 105);
      out_.dxfString(2, "Standard");
      out_.dxfInt(70, 0);
    }
    out_.tableEnd();

    std::uint64_t blockTable = TableHandle("BLOCK_RECORD", blockTable_);
    TableHead("BLOCK_RECORD", blockTable, Count(db_.Blocks()) + KeptCount("BLOCK_RECORD"));
    for (const BlockRecord& r : db_.Blocks()) {
      if (r.erased || RecordAsRead("BLOCK_RECORD", r.name, r.handle, &kept)) continue;
      RecordHead("BLOCK_RECORD", r.handle, blockTable, "AcDbBlockTableRecord");
      out_.Text(2, r.name);
      RecordExtras("BLOCK_RECORD", kept);
    }
    KeptRecords("BLOCK_RECORD");
    out_.tableEnd();
    out_.sectionEnd();
  }

  template <typename Records>
  static int Count(const Records& records) {
    int n = 0;
    for (const auto& r : records) n += r.erased ? 0 : 1;
    return n;
  }

  // A block's BLOCK or ENDBLK as read, while its name and base point are
  // unchanged; true when written so.
  const KeptObject* KeptBlockEnd(const BlockRecord& r, bool begin) const {
    if (!kept_) return nullptr;
    auto it = kept_->blocks.find(r.handle);
    if (it == kept_->blocks.end()) return nullptr;
    const KeptBlock& kept = it->second;
    const KeptObject& object = begin ? kept.begin : kept.end;
    if (object.type.empty() || kept.name != r.name || !(kept.base == r.base)) return nullptr;
    return &object;
  }
  bool BlockEndAsRead(const BlockRecord& r, bool begin) {
    const KeptObject* object = KeptBlockEnd(r, begin);
    if (object == nullptr) return false;
    WriteKeptObject(*object, out_, r.handle);
    return true;
  }

  // The groups a BLOCK or ENDBLK written by us starts with, up to its own
  // subclass marker.
  void BlockMarker(const char* kind, std::uint64_t handle, std::uint64_t owner, bool paper,
                   const char* subclass) {
    out_.dxfString(0, kind);
    out_.Handle(5, handle);
    out_.Handle(330, owner);
    out_.dxfString(100, "AcDbEntity");
    if (paper) out_.dxfInt(67, 1);
    out_.dxfString(8, "0");
    out_.dxfString(100, subclass);
  }

  void Blocks() {
    out_.sectionBlocks();
    std::size_t i = 0;
    for (const BlockRecord& r : db_.Blocks()) {
      if (r.erased) continue;
      bool paper = r.handle == db_.HandleOf(db_.PaperSpace());
      if (!BlockEndAsRead(r, true)) {
        BlockMarker("BLOCK", blockBegin_[i], r.handle, paper, "AcDbBlockBegin");
        out_.Text(2, r.name);
        out_.dxfInt(70, 0);
        out_.Point(10, r.base.x, r.base.y, r.base.z);
        out_.Text(3, r.name);
        out_.dxfString(1, "");
      }
      bool space = r.handle == db_.HandleOf(db_.ModelSpace()) || paper;
      if (!space) EntitiesOf(r);
      if (!BlockEndAsRead(r, false)) {
        BlockMarker("ENDBLK", blockEnd_[i], r.handle, paper, "AcDbBlockEnd");
      }
      ++i;
    }
    out_.sectionEnd();
  }

  // The entities of a space in their order. Those of a large space are
  // written in pieces made on helper threads (they only read the database)
  // and appended to the file in order, so the bytes are the same.
  void EntitiesOf(const BlockRecord& space) {
    const std::vector<std::uint64_t>& handles = space.entities;
    const int threads = division_.threads < 0 ? host::HelperThreads(kMostSaveThreads) : division_.threads;
    std::vector<std::size_t> starts;
    if (threads > 0) starts = PieceStarts(handles);
    if (starts.size() < 3) {
      for (std::uint64_t handle : handles) WriteOne(handle, out_);
      return;
    }
    // Pieces in hand for each thread, so that none waits for the file.
    const int lanes = 3 * threads + 1;
    std::vector<DxfWriter> rooms(static_cast<std::size_t>(lanes));
    for (DxfWriter& room : rooms) room.SetEncoding(out_.Utf8(), page_);
    (void)host::MakeInOrder(
        starts.size() - 1, threads, lanes,
        [&](std::size_t piece, int lane) {
          for (std::size_t i = starts[piece]; i < starts[piece + 1]; ++i)
            WriteOne(handles[i], rooms[static_cast<std::size_t>(lane)]);
        },
        [&](std::size_t, int lane) {
          out_.Append(rooms[static_cast<std::size_t>(lane)]);
          return !out_.Failed();
        });
  }

  // Where the pieces of a space start, each about division_.pieceBytes of
  // the file, and the end.
  std::vector<std::size_t> PieceStarts(const std::vector<std::uint64_t>& handles) const {
    std::vector<std::size_t> starts{0};
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < handles.size(); ++i) {
      if (const Entity* entity = db_.EntityByHandle(handles[i])) bytes += BytesAbout(*entity);
      if (bytes >= division_.pieceBytes) {
        starts.push_back(i + 1);
        bytes = 0;
      }
    }
    if (starts.back() != handles.size()) starts.push_back(handles.size());
    return starts;
  }

  // Roughly the bytes an entity takes in the file: enough to share out the
  // work in pieces of alike size.
  static std::size_t BytesAbout(const Entity& entity) {
    std::size_t bytes = 200 + 2 * entity.xdata.PackedSize();
    if (const auto* lw = std::get_if<LwPolylineData>(&entity.data)) {
      bytes += 30 * lw->vertices.size();
    } else if (const auto* hatch = std::get_if<HatchData>(&entity.data)) {
      for (const HatchLoop& loop : hatch->loops) bytes += 30 * loop.points.size();
    } else if (const auto* polyline = std::get_if<PolylineData>(&entity.data)) {
      bytes += 150 * polyline->vertices.size();
    }
    return bytes;
  }

  // An entity with its vertices and end, or an object kept as read.
  void WriteOne(std::uint64_t handle, const DxfWriter& out) const {
    const Entity* entity = db_.EntityByHandle(handle);
    if (entity == nullptr) {
      if (kept_)
        if (auto it = kept_->entities.find(handle); it != kept_->entities.end())
          WriteKeptObject(it->second, out, it->second.owner);
      return;
    }
    if (entity->erased) return;
    WriteEntity(db_, *entity, out);
    if (const auto* polyline = std::get_if<PolylineData>(&entity->data)) {
      for (std::uint64_t vertex : polyline->vertices)
        if (const Entity* part = db_.EntityByHandle(vertex); part && !part->erased) WriteEntity(db_, *part, out);
      if (const Entity* end = db_.EntityByHandle(polyline->seqEnd)) WriteEntity(db_, *end, out);
    }
  }

  void Entities() {
    out_.sectionEntities();
    if (const BlockRecord* model = db_.BlockRecordOf(db_.ModelSpace())) EntitiesOf(*model);
    if (const BlockRecord* paper = db_.BlockRecordOf(db_.PaperSpace())) EntitiesOf(*paper);
    out_.sectionEnd();
  }

  void Objects() {
    out_.sectionObjects();
    if (kept_ && kept_->hasObjects && !kept_->objects.empty()) {
      for (const KeptObject& object : kept_->objects) WriteKeptObject(object, out_);
      out_.sectionEnd();
      return;
    }
    out_.dxfString(0, "DICTIONARY");
    out_.Handle(5, rootDictionary_);
    out_.Handle(330, 0);
    out_.dxfString(100, "AcDbDictionary");
    out_.dxfInt(281, 1);
    out_.dxfString(3, "ACAD_GROUP");
    out_.Handle(350, groupDictionary_);
    out_.dxfString(0, "DICTIONARY");
    out_.Handle(5, groupDictionary_);
    out_.Handle(330, rootDictionary_);
    out_.dxfString(100, "AcDbDictionary");
    out_.dxfInt(281, 1);
    out_.sectionEnd();
  }

  const Database& db_;
  const KeptDrawing* kept_;
  DxfWriter& out_;
  const SaveDivision division_;
  FileHandles handles_;
  std::string version_;
  std::shared_ptr<const CodePage> page_;
  std::uint64_t vportTable_ = 0, ltypeTable_ = 0, layerTable_ = 0, styleTable_ = 0, viewTable_ = 0, ucsTable_ = 0,
                appidTable_ = 0, dimstyleTable_ = 0, blockTable_ = 0, dimstyleStandard_ = 0, rootDictionary_ = 0,
                groupDictionary_ = 0, defaultViewport_ = 0;
  std::vector<std::uint64_t> blockBegin_, blockEnd_;
};

Result<std::int64_t> Failure(std::string_view path, const std::string& what) {
  return Failed<std::int64_t>(WidenText(std::string(path) + ": " + what));
}

}  // namespace

namespace {
// ".dwg" becomes ".dxf" letter by letter, keeping each letter's case.
template <typename Char>
std::basic_string<Char> SwapDrawingExtension(std::basic_string_view<Char> path) {
  std::basic_string<Char> out(path);
  std::size_t n = out.size();
  if (n < 4 || out[n - 4] != Char('.')) return out;
  const char from[] = "dwg";
  const char to[] = "dxf";
  for (int i = 0; i < 3; ++i) {
    Char c = out[n - 3 + i];
    if (c != Char(from[i]) && c != Char(from[i] - 'a' + 'A')) return out;
  }
  for (int i = 0; i < 3; ++i) {
    Char c = out[n - 3 + i];
    bool upper = c == Char(from[i] - 'a' + 'A');
    out[n - 3 + i] = Char(upper ? to[i] - 'a' + 'A' : to[i]);
  }
  return out;
}
}  // namespace

std::string DrawingFilePath(std::string_view path) { return SwapDrawingExtension(path); }
std::wstring DrawingFilePath(std::wstring_view path) { return SwapDrawingExtension(path); }

Result<std::int64_t> SaveDrawing(const Database& db, std::string_view requested) {
  return SaveDrawing(db, requested, SaveDivision{});
}

Result<std::int64_t> SaveDrawing(const Database& db, std::string_view requested, const SaveDivision& division) {
  std::string path = DrawingFilePath(requested);
  if (path.empty()) return Failure(path, "no file name");
  const std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash + 1 == path.size()) return Failure(path, "no file name");

  host::ReplacementFile file;
  if (!file.Begin(host::WidePath(path))) return Failure(path, file.Reason());
  DxfWriter out(file);
  DrawingWriter(db, out, division).Write();
  std::string problem;
  if (!out.Flush()) {
    problem = file.Reason();
  } else if (!out.Overlong().empty()) {
    problem = "a text is too long for a DXF line: \"" + out.Overlong() + "...\"";
  } else if (out.NotFinite() != 0) {
    problem = "a number that is not finite (group " + std::to_string(out.NotFinite()) + ") cannot be written";
  }
  if (!problem.empty()) {
    file.Abandon();
    return Failure(path, problem);
  }
  if (!file.Commit()) return Failure(path, file.Reason());
  return Success<std::int64_t>(0);
}

Result<std::int64_t> SaveDrawing(const Database& db, std::wstring_view path) {
  const std::optional<std::string> native = host::NativePath(path);
  if (!native) return Failure("?", "the path has characters no file name can hold");
  return SaveDrawing(db, std::string_view(*native));
}

}  // namespace host::db
