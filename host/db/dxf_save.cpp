// Saving a drawing as DXF R2000.
//
// dxflib's entity writers give every entity a handle of their own and leave
// out what the drawing needs (lightweight polyline widths, polyline-path
// hatch loops, block reference normals, xdata, 64-bit handles), so every
// group is written through dxflib's writer interface from the database's
// own description of its entities (entity_groups.h). Handles are the
// database's; the objects a file needs that the database does not keep
// (table heads, BLOCK/ENDBLK, dictionaries) take handles from the seed up.

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
#include "host/db/dxf_writer.h"
#include "host/system/files.h"
#include "host/system/replace_file.h"
#include "host/db/entity_groups.h"
#include "host/system/fault.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

constexpr double kPi = 3.14159265358979323846;

class FileSink : public GroupSink {
 public:
  explicit FileSink(const DxfWriter& out) : out_(out) {}
  bool IsList() const override { return false; }
  void Text(int code, std::wstring_view text) override { out_.Text(code, text); }
  void Handle(int code, std::uint64_t handle) override {
    if (code >= 0) out_.Handle(code, handle);
  }
  void Real(int code, double value) override { out_.dxfReal(code, value); }
  void Angle(int code, double radians) override { out_.dxfReal(code, radians * 180 / kPi); }
  void Int(int code, std::int32_t value) override { out_.dxfInt(code, value); }
  void Point(int code, const Point3& p) override { out_.Point(code, p.x, p.y, p.z); }
  void Point2(int code, double x, double y) override { out_.Point2(code, x, y); }
  void Extended(const Xdata& xdata) override {
    xdata.Visit([&](const Xdata::Raw& raw) {
      switch (KindOfCode(raw.code)) {
        case ValueKind::kPoint: out_.Point(raw.code, raw.real[0], raw.real[1], raw.real[2]); break;
        case ValueKind::kReal: out_.dxfReal(raw.code, raw.real[0]); break;
        case ValueKind::kInt16:
        case ValueKind::kInt32: out_.dxfInt(raw.code, raw.integer); break;
        default: out_.Utf8Text(raw.code, raw.text); break;
      }
    });
  }

 private:
  const DxfWriter& out_;
};

// Handles of the objects the file needs besides the database's own.
struct FileHandles {
  std::uint64_t next;
  std::uint64_t Take() { return next++; }
};

class DrawingWriter {
 public:
  DrawingWriter(const Database& db, const DxfWriter& out) : db_(db), out_(out), handles_{db.HandleSeed()} {
    for (auto* h : {&vportTable_, &ltypeTable_, &layerTable_, &styleTable_, &viewTable_, &ucsTable_,
                    &appidTable_, &dimstyleTable_, &blockTable_, &dimstyleStandard_, &rootDictionary_,
                    &groupDictionary_, &defaultViewport_})
      *h = handles_.Take();
    for (const BlockRecord& block : db_.Blocks()) {
      if (block.erased) continue;
      blockBegin_.push_back(handles_.Take());
      blockEnd_.push_back(handles_.Take());
    }
  }

  void Write() {
    Header();
    out_.section("CLASSES");
    out_.sectionEnd();
    Tables();
    Blocks();
    Entities();
    Objects();
    out_.dxfEOF();
  }

 private:
  void Header() {
    out_.sectionHeader();
    out_.dxfString(9, "$ACADVER");
    out_.dxfString(1, "AC1015");
    out_.dxfString(9, "$DWGCODEPAGE");
    out_.dxfString(3, "ANSI_1252");
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
    out_.dxfReal(50, s.angleBase * 180 / kPi);
    out_.dxfString(9, "$ANGDIR");
    out_.dxfInt(70, s.angleClockwise ? 1 : 0);
    out_.dxfString(9, "$AUNITS");
    out_.dxfInt(70, s.angleUnits);
    out_.sectionEnd();
  }

  void TableHead(const char* name, std::uint64_t handle, int count, const char* subclass = nullptr) {
    out_.dxfString(0, "TABLE");
    out_.dxfString(2, name);
    out_.Handle(5, handle);
    out_.Handle(330, 0);
    out_.dxfString(100, "AcDbSymbolTable");
    out_.dxfInt(70, count);
    if (subclass) out_.dxfString(100, subclass);
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

    // A drawing always has an active viewport; one that has none yet gets
    // the default view.
    ViewportRecord defaultView;
    defaultView.handle = defaultViewport_;
    const ViewportRecord* vp = db_.ActiveViewport() ? db_.ActiveViewport() : &defaultView;
    TableHead("VPORT", vportTable_, 1);
    {
      RecordHead("VPORT", vp->handle, vportTable_, "AcDbViewportTableRecord");
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
    out_.tableEnd();

    TableHead("LTYPE", ltypeTable_, Count(db_.Linetypes()));
    for (const LinetypeRecord& r : db_.Linetypes()) {
      if (r.erased) continue;
      RecordHead("LTYPE", r.handle, ltypeTable_, "AcDbLinetypeTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, 0);
      out_.Text(3, r.description);
      out_.dxfInt(72, 65);
      out_.dxfInt(73, 0);
      out_.dxfReal(40, 0);
    }
    out_.tableEnd();

    TableHead("LAYER", layerTable_, Count(db_.Layers()));
    for (const LayerRecord& r : db_.Layers()) {
      if (r.erased) continue;
      RecordHead("LAYER", r.handle, layerTable_, "AcDbLayerTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, (r.frozen ? 1 : 0) | (r.frozenInNewViewports ? 2 : 0) | (r.locked ? 4 : 0));
      int color = r.color >= 1 && r.color <= 255 ? r.color : 7;
      out_.dxfInt(62, r.off ? -color : color);
      const LinetypeRecord* linetype = db_.LinetypeRecordOf(db_.IdOf(r.linetype));
      out_.Text(6, linetype ? linetype->name : L"CONTINUOUS");
    }
    out_.tableEnd();

    TableHead("STYLE", styleTable_, Count(db_.TextStyles()));
    for (const TextStyleRecord& r : db_.TextStyles()) {
      if (r.erased) continue;
      RecordHead("STYLE", r.handle, styleTable_, "AcDbTextStyleTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, 0);
      out_.dxfReal(40, r.height);
      out_.dxfReal(41, r.widthFactor);
      out_.dxfReal(50, 0);
      out_.dxfInt(71, 0);
      out_.dxfReal(42, r.height > 0 ? r.height : 2.5);
      out_.Text(3, r.font);
      out_.dxfString(4, "");
    }
    out_.tableEnd();

    TableHead("VIEW", viewTable_, 0);
    out_.tableEnd();
    TableHead("UCS", ucsTable_, 0);
    out_.tableEnd();

    TableHead("APPID", appidTable_, static_cast<int>(db_.AppIds().size()));
    for (const AppIdRecord& r : db_.AppIds()) {
      RecordHead("APPID", r.handle, appidTable_, "AcDbRegAppTableRecord");
      out_.Text(2, r.name);
      out_.dxfInt(70, 0);
    }
    out_.tableEnd();

    TableHead("DIMSTYLE", dimstyleTable_, 1, "AcDbDimStyleTable");
    out_.dxfInt(71, 0);
    RecordHead("DIMSTYLE", dimstyleStandard_, dimstyleTable_, "AcDbDimStyleTableRecord", 105);
    out_.dxfString(2, "Standard");
    out_.dxfInt(70, 0);
    out_.tableEnd();

    TableHead("BLOCK_RECORD", blockTable_, Count(db_.Blocks()));
    for (const BlockRecord& r : db_.Blocks()) {
      if (r.erased) continue;
      RecordHead("BLOCK_RECORD", r.handle, blockTable_, "AcDbBlockTableRecord");
      out_.Text(2, r.name);
    }
    out_.tableEnd();
    out_.sectionEnd();
  }

  template <typename Records>
  static int Count(const Records& records) {
    int n = 0;
    for (const auto& r : records) n += r.erased ? 0 : 1;
    return n;
  }

  void Blocks() {
    out_.sectionBlocks();
    std::size_t i = 0;
    for (const BlockRecord& r : db_.Blocks()) {
      if (r.erased) continue;
      bool paper = r.handle == db_.HandleOf(db_.PaperSpace());
      out_.dxfString(0, "BLOCK");
      out_.Handle(5, blockBegin_[i]);
      out_.Handle(330, r.handle);
      out_.dxfString(100, "AcDbEntity");
      if (paper) out_.dxfInt(67, 1);
      out_.dxfString(8, "0");
      out_.dxfString(100, "AcDbBlockBegin");
      out_.Text(2, r.name);
      out_.dxfInt(70, 0);
      out_.Point(10, r.base.x, r.base.y, r.base.z);
      out_.Text(3, r.name);
      out_.dxfString(1, "");
      bool space = r.handle == db_.HandleOf(db_.ModelSpace()) || paper;
      if (!space) EntitiesOf(r);
      out_.dxfString(0, "ENDBLK");
      out_.Handle(5, blockEnd_[i]);
      out_.Handle(330, r.handle);
      out_.dxfString(100, "AcDbEntity");
      if (paper) out_.dxfInt(67, 1);
      out_.dxfString(8, "0");
      out_.dxfString(100, "AcDbBlockEnd");
      ++i;
    }
    out_.sectionEnd();
  }

  void EntitiesOf(const BlockRecord& space) {
    FileSink sink(out_);
    for (std::uint64_t handle : space.entities) {
      const Entity* entity = db_.EntityByHandle(handle);
      if (entity == nullptr || entity->erased) continue;
      EmitEntity(db_, *entity, sink, true);
      if (const auto* polyline = std::get_if<PolylineData>(&entity->data)) {
        for (std::uint64_t vertex : polyline->vertices)
          if (const Entity* part = db_.EntityByHandle(vertex); part && !part->erased)
            EmitEntity(db_, *part, sink, true);
        if (const Entity* end = db_.EntityByHandle(polyline->seqEnd)) EmitEntity(db_, *end, sink, true);
      }
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
  const DxfWriter& out_;
  FileHandles handles_;
  std::uint64_t vportTable_, ltypeTable_, layerTable_, styleTable_, viewTable_, ucsTable_, appidTable_,
      dimstyleTable_, blockTable_, dimstyleStandard_, rootDictionary_, groupDictionary_, defaultViewport_;
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
  std::string path = DrawingFilePath(requested);
  if (path.empty()) return Failure(path, "no file name");
  const std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash + 1 == path.size()) return Failure(path, "no file name");

  host::ReplacementFile file;
  if (!file.Begin(host::WidePath(path))) return Failure(path, file.Reason());
  DxfWriter out(file);
  DrawingWriter(db, out).Write();
  std::string problem;
  if (!out.Flush()) {
    problem = file.Reason();
  } else if (!out.Overlong().empty()) {
    problem = "a text is too long for a DXF line: \"" + out.Overlong() + "...\"";
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
