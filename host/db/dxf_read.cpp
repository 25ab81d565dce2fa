// Reading a DXF drawing.
//
// The file is checked first (dxf_check.h) so that dxflib only ever reads a
// well-formed file; dxflib then reads it and hands every group to the
// builder below in file order, which assembles tables, blocks and entities
// into a new database. The result replaces the target's content only when
// the whole file was read.

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include "host/db/drawing_file.h"
#include "host/db/dxf_check.h"
#include "host/db/entity_groups.h"
#include "host/db/xdata.h"
#include "host/system/wide_text.h"
#include "host/system/files.h"

namespace host::db {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct RawGroup {
  int code;
  std::string value;
  std::uint64_t line;  // of the code
};

std::string Trimmed(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

class Builder : public DL_CreationAdapter {
 public:
  Builder(Database& db) : db_(db) {}

  void processCodeValuePair(unsigned int code, const std::string& value) override {
    std::uint64_t line = 2 * index_ + 1;
    ++index_;
    if (!error_.empty() || done_) return;
    int c = static_cast<int>(code);
    if (c == 0) {
      Flush();
      std::string type = Trimmed(value);
      if (type == "SECTION") {
        expectName_ = true;
        return;
      }
      if (type == "ENDSEC") {
        section_.clear();
        return;
      }
      if (type == "EOF") {
        done_ = true;
        return;
      }
    }
    if (expectName_) {
      section_ = Trimmed(value);
      expectName_ = false;
      return;
    }
    object_.push_back(RawGroup{c, value, line});
  }

  // Completes the reading; false with an error when something was wrong.
  bool Finish() {
    Flush();
    if (!error_.empty()) return false;
    ClosePolyline();
    db_.EnsureBasics();
    if (!clayer_.empty()) db_.SetCurrentLayer(db_.Layer(clayer_));
    if (!textStyle_.empty()) db_.SetCurrentTextStyle(db_.TextStyle(textStyle_));
    return true;
  }

  const std::string& Error() const { return error_; }
  std::int64_t Skipped() const { return skipped_; }

 private:
  // Text of the file's encoding, "\U+XXXX" escapes and caret forms undone.
  std::wstring Decode(const std::string& bytes) const {
    std::wstring units = utf8_ ? host::DecodeUtf8(bytes) : std::wstring(bytes.begin(), bytes.end());
    if (!utf8_)
      for (wchar_t& u : units) u = static_cast<wchar_t>(static_cast<unsigned char>(u));
    std::wstring out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
      wchar_t u = units[i];
      if (u == L'^' && i + 1 < units.size()) {
        wchar_t next = units[i + 1];
        if (next == L' ') {
          out.push_back(L'^');
          ++i;
          continue;
        }
        if (next >= 64 && next < 96) {
          out.push_back(static_cast<wchar_t>(next - 64));
          ++i;
          continue;
        }
      }
      if (u == L'\\' && i + 6 < units.size() + 0 && (units[i + 1] == L'U' || units[i + 1] == L'u') &&
          units[i + 2] == L'+') {
        unsigned value = 0;
        bool hex = true;
        for (std::size_t k = i + 3; k < i + 7 && hex; ++k) {
          wchar_t h = units[k];
          int digit = h >= L'0' && h <= L'9' ? h - L'0' : h >= L'A' && h <= L'F' ? h - L'A' + 10
                      : h >= L'a' && h <= L'f' ? h - L'a' + 10 : -1;
          hex = digit >= 0;
          value = value * 16 + static_cast<unsigned>(digit);
        }
        if (hex) {
          if (value >= 0xDC00 && value < 0xE000 && !out.empty() && out.back() >= 0xD800 && out.back() < 0xDC00) {
            unsigned high = static_cast<unsigned>(out.back());
            out.back() = static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (value - 0xDC00));
          } else {
            out.push_back(static_cast<wchar_t>(value));
          }
          i += 6;
          continue;
        }
      }
      out.push_back(u);
    }
    return out;
  }

  static std::uint64_t Hex(const std::string& text) {
    return std::strtoull(Trimmed(text).c_str(), nullptr, 16);
  }
  static double Real(const std::string& text) { return std::strtod(text.c_str(), nullptr); }
  static int Int(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

  bool Fail(std::uint64_t line, const std::string& what) {
    if (error_.empty()) error_ = "line " + std::to_string(line) + ": " + what;
    return false;
  }

  // Turns the file's groups into an entity list: points whole, text
  // decoded, angles in radians, xdata after a -3 group.
  bool ToList(EntityType type, std::size_t from, EntityList* list, std::uint64_t* handle) {
    bool inXdata = false;
    for (std::size_t i = from; i < object_.size(); ++i) {
      const RawGroup& g = object_[i];
      int code = g.code;
      if (code == 102) {  // an application's group list: "{NAME" ... "}"
        while (i + 1 < object_.size() && !(object_[i + 1].code == 102)) ++i;
        ++i;
        continue;
      }
      if (code == 5) {
        *handle = Hex(g.value);
        continue;
      }
      if (code >= 1000 && !inXdata) {
        if (code != 1001) return Fail(g.line, "extended data before its application name");
        list->emplace_back(-3, Value());
        inXdata = true;
      }
      bool xyz = (code >= 10 && code <= 18) || code == 210 || (code >= 1010 && code <= 1013);
      if (xyz) {
        Point3 p{Real(g.value), 0, 0};
        if (i + 1 >= object_.size() || object_[i + 1].code != code + 10)
          return Fail(g.line, "a point without its y value (group " + std::to_string(code + 10) + ")");
        p.y = Real(object_[++i].value);
        if (i + 1 < object_.size() && object_[i + 1].code == code + 20) p.z = Real(object_[++i].value);
        list->emplace_back(code, p);
        continue;
      }
      switch (KindOfCode(code)) {
        case ValueKind::kReal: {
          double v = Real(g.value);
          if (IsAngleGroup(type, code)) v = v * kPi / 180;
          list->emplace_back(code, v);
          break;
        }
        case ValueKind::kInt16:
        case ValueKind::kInt32: list->emplace_back(code, Int(g.value)); break;
        case ValueKind::kText:
        case ValueKind::kHandle: list->emplace_back(code, Decode(g.value)); break;
        default: break;  // references and groups the database does not keep
      }
    }
    return true;
  }

  void Flush() {
    if (object_.empty()) return;
    if (section_ == "HEADER")
      Header();
    else if (section_ == "TABLES")
      TableRecord();
    else if (section_ == "BLOCKS" || section_ == "ENTITIES")
      EntityObject();
    object_.clear();
  }

  void Header() {
    // A run of variables: 9 name, then its value groups.
    std::string name;
    for (const RawGroup& g : object_) {
      if (g.code == 9) {
        name = Trimmed(g.value);
        continue;
      }
      DatabaseSettings& s = db_.Settings();
      if (name == "$ACADVER") utf8_ = Trimmed(g.value) >= "AC1021";
      else if (name == "$CLAYER") clayer_ = Decode(g.value);
      else if (name == "$TEXTSTYLE") textStyle_ = Decode(g.value);
      else if (name == "$CECOLOR") s.currentColor = Int(g.value);
      else if (name == "$CELTYPE") s.currentLinetype = Decode(g.value);
      else if (name == "$PLINEGEN") s.plinegen = Int(g.value) != 0;
      else if (name == "$ANGBASE") s.angleBase = Real(g.value) * kPi / 180;
      else if (name == "$ANGDIR") s.angleClockwise = Int(g.value) != 0;
      else if (name == "$AUNITS") s.angleUnits = Int(g.value);
      else if (name == "$HANDSEED") db_.RaiseHandleSeed(Hex(g.value));
    }
  }

  const RawGroup* Find(int code) const {
    for (const RawGroup& g : object_)
      if (g.code == code) return &g;
    return nullptr;
  }
  std::wstring Name() const {
    const RawGroup* g = Find(2);
    return g ? Decode(g->value) : std::wstring();
  }
  std::uint64_t HandleOfRecord() const {
    const RawGroup* g = Find(5);
    if (g == nullptr) g = Find(105);
    return g ? Hex(g->value) : 0;
  }

  void TableRecord() {
    std::string type = Trimmed(object_.front().value);
    std::wstring name = Name();
    if (type == "TABLE" || type == "ENDTAB" || name.empty()) return;
    const RawGroup* flagsGroup = Find(70);
    int flags = flagsGroup ? Int(flagsGroup->value) : 0;
    std::uint64_t handle = HandleOfRecord();
    if (type == "LAYER") {
      if (!db_.Layer(name).IsNull()) return;
      LayerRecord r;
      r.handle = handle;
      r.name = name;
      const RawGroup* color = Find(62);
      int c = color ? Int(color->value) : 7;
      r.off = c < 0;
      r.color = c < 0 ? -c : c;
      if (r.color < 1 || r.color > 255) r.color = 7;
      r.frozen = flags & 1;
      r.frozenInNewViewports = flags & 2;
      r.locked = flags & 4;
      const RawGroup* linetype = Find(6);
      ObjectId lt = db_.Linetype(linetype ? Decode(linetype->value) : L"CONTINUOUS");
      r.linetype = lt.IsNull() ? 0 : lt.handle;
      db_.AdoptLayer(std::move(r));
    } else if (type == "LTYPE") {
      if (!db_.Linetype(name).IsNull()) return;
      const RawGroup* description = Find(3);
      db_.AdoptLinetype(LinetypeRecord{handle, name, description ? Decode(description->value) : L"", false});
    } else if (type == "STYLE") {
      if (!db_.TextStyle(name).IsNull()) return;
      TextStyleRecord r;
      r.handle = handle;
      r.name = name;
      if (const RawGroup* font = Find(3)) r.font = Decode(font->value);
      if (const RawGroup* height = Find(40)) r.height = Real(height->value);
      if (const RawGroup* width = Find(41)) r.widthFactor = Real(width->value);
      db_.AdoptTextStyle(std::move(r));
    } else if (type == "APPID") {
      if (!db_.AppId(name).IsNull()) return;
      db_.AdoptAppId(AppIdRecord{handle, name});
    } else if (type == "BLOCK_RECORD") {
      if (!db_.Block(name).IsNull()) return;
      db_.AdoptBlock(BlockRecord{handle, name, {}, {}, false});
    } else if (type == "VPORT") {
      if (!SameTableName(name, L"*ACTIVE")) return;
      if (db_.ActiveViewport() != nullptr) return;
      ViewportRecord& vp = db_.EnsureActiveViewport();
      const RawGroup* cx = Find(12);
      const RawGroup* cy = Find(22);
      const RawGroup* height = Find(40);
      const RawGroup* aspect = Find(41);
      vp.centerX = cx ? Real(cx->value) : 0;
      vp.centerY = cy ? Real(cy->value) : 0;
      vp.height = height ? Real(height->value) : 1;
      vp.width = vp.height * (aspect ? Real(aspect->value) : 1);
    }
  }

  static bool IsModelName(const std::wstring& name) {
    return SameTableName(name, L"*Model_Space") || SameTableName(name, L"$MODEL_SPACE");
  }
  static bool IsPaperName(const std::wstring& name) {
    return SameTableName(name, L"*Paper_Space") || SameTableName(name, L"$PAPER_SPACE");
  }

  std::uint64_t SpaceHandle(bool paper) {
    const wchar_t* name = paper ? L"*Paper_Space" : L"*Model_Space";
    ObjectId id = db_.Block(name);
    if (id.IsNull()) id = db_.IdOf(db_.AdoptBlock(BlockRecord{0, name, {}, {}, false}).handle);
    return id.handle;
  }

  void ClosePolyline() {
    if (polyline_ == 0) return;
    Entity* polyline = db_.EntityByHandle(polyline_);
    auto& data = std::get<PolylineData>(polyline->data);
    if (data.seqEnd == 0) {
      Entity end;
      end.handle = db_.ClaimHandle(0);
      end.owner = polyline_;
      end.layer = polyline->layer;
      end.data = SeqEndData{};
      data.seqEnd = end.handle;
      db_.AdoptEntity(std::move(end));
    }
    polyline_ = 0;
  }

  void EntityObject() {
    const RawGroup& head = object_.front();
    std::string typeName = Trimmed(head.value);
    if (head.code != 0) {
      Fail(head.line, "a group outside any entity");
      return;
    }
    if (section_ == "BLOCKS" && typeName == "BLOCK") {
      ClosePolyline();
      std::wstring name = Name();
      if (IsModelName(name) || IsPaperName(name)) {
        block_ = SpaceHandle(IsPaperName(name));
      } else if (name.empty() || name[0] == L'*') {
        block_ = 0;  // layouts and anonymous blocks the database does not keep
      } else {
        ObjectId id = db_.Block(name);
        if (id.IsNull()) id = db_.IdOf(db_.AdoptBlock(BlockRecord{0, name, {}, {}, false}).handle);
        block_ = id.handle;
        BlockRecord* record = db_.BlockRecordOf(id);
        EntityList list;
        std::uint64_t ignored = 0;
        if (!ToList(EntityType::kPoint, 1, &list, &ignored)) return;
        for (const Group& g : list)
          if (g.code == 10 && g.Point()) record->base = *g.Point();
      }
      return;
    }
    if (typeName == "ENDBLK") {
      ClosePolyline();
      block_ = 0;
      return;
    }
    std::optional<EntityType> type = TypeFromName(Decode(typeName));
    bool inPolyline = polyline_ != 0;
    if (inPolyline && type != EntityType::kVertex && type != EntityType::kSeqEnd) ClosePolyline();
    if (!type) {
      ++skipped_;
      return;
    }
    // A SEQEND also ends the attributes that follow an INSERT; they are not
    // kept, and neither is their end marker.
    if (*type == EntityType::kSeqEnd && !inPolyline) return;
    if (*type == EntityType::kVertex && !inPolyline) {
      Fail(head.line, typeName + " outside a POLYLINE");
      return;
    }
    std::uint64_t owner = 0;
    if (section_ == "ENTITIES") {
      const RawGroup* space = Find(67);
      owner = SpaceHandle(space && Int(space->value) == 1);
    } else {
      owner = block_;
      if (owner == 0) {
        ++skipped_;
        return;
      }
    }

    EntityList list;
    std::uint64_t handle = 0;
    if (!ToList(*type, 1, &list, &handle)) return;
    Entity entity;
    entity.handle = db_.ClaimHandle(handle);
    entity.owner = owner;
    entity.layer = db_.EnsureLayer(L"0").handle;
    switch (*type) {
      case EntityType::kLine: entity.data = LineData{}; break;
      case EntityType::kArc: entity.data = ArcData{}; break;
      case EntityType::kCircle: entity.data = CircleData{}; break;
      case EntityType::kPoint: entity.data = PointData{}; break;
      case EntityType::kText: entity.data = TextData{}; break;
      case EntityType::kLwPolyline: entity.data = LwPolylineData{}; break;
      case EntityType::kPolyline: entity.data = PolylineData{}; break;
      case EntityType::kVertex: entity.data = VertexData{}; break;
      case EntityType::kSeqEnd: entity.data = SeqEndData{}; break;
      case EntityType::kHatch: entity.data = HatchData{}; break;
      case EntityType::kInsert: entity.data = InsertData{}; break;
    }
    if (auto* text = std::get_if<TextData>(&entity.data)) text->style = db_.HandleOf(db_.TextStyle(L"Standard"));
    // Layers, styles and blocks named before their definition (or not at
    // all) are made empty; names are taken as the file gives them.
    // References to anonymous blocks, which the database does not keep, are
    // skipped.
    for (const Group& g : list) {
      if (g.code == -3) break;
      const std::wstring* name = g.Text();
      if (name == nullptr || name->empty()) continue;
      if (g.code == 8 && db_.Layer(*name).IsNull()) {
        LayerRecord layer;
        layer.name = *name;
        layer.linetype = db_.Linetype(L"CONTINUOUS").handle;
        db_.AdoptLayer(std::move(layer));
      }
      if (g.code == 7 && *type == EntityType::kText && db_.TextStyle(*name).IsNull()) {
        TextStyleRecord style;
        style.name = *name;
        db_.AdoptTextStyle(std::move(style));
      }
      if (g.code == 2 && *type == EntityType::kInsert) {
        if ((*name)[0] == L'*') {
          ++skipped_;
          return;
        }
        if (db_.Block(*name).IsNull()) db_.AdoptBlock(BlockRecord{0, *name, {}, {}, false});
      }
    }
    std::string why;
    if (!ApplyGroups(db_, entity, list, true, &why)) {
      Fail(head.line, typeName + ": " + why);
      return;
    }
    EntityList chain;
    bool inXdata = false;
    for (const Group& g : list) {
      inXdata = inXdata || g.code == -3;
      if (!inXdata) continue;
      if (g.code == 1001 && g.Text() && db_.AppId(*g.Text()).IsNull()) db_.RegisterApp(*g.Text());
      chain.push_back(g);
    }
    if (!chain.empty() && !entity.xdata.Apply(chain)) {
      Fail(head.line, typeName + ": malformed extended data");
      return;
    }

    if (*type == EntityType::kVertex || *type == EntityType::kSeqEnd) {
      Entity* polyline = db_.EntityByHandle(polyline_);
      auto& data = std::get<PolylineData>(polyline->data);
      entity.owner = polyline_;
      if (*type == EntityType::kVertex) {
        if (data.flags & kPolyline3d) std::get<VertexData>(entity.data).flags |= kVertex3d;
        data.vertices.push_back(entity.handle);
        db_.AdoptEntity(std::move(entity));
      } else {
        data.seqEnd = entity.handle;
        db_.AdoptEntity(std::move(entity));
        polyline_ = 0;
      }
      return;
    }
    if (auto* polyline = std::get_if<PolylineData>(&entity.data)) {
      polyline->vertices.clear();
      polyline->seqEnd = 0;
      polyline_ = entity.handle;
    }
    db_.AdoptEntity(std::move(entity));
  }

  Database& db_;
  std::uint64_t index_ = 0;
  std::string error_;
  bool done_ = false;
  bool expectName_ = false;
  bool utf8_ = false;
  std::string section_;
  std::vector<RawGroup> object_;
  std::wstring clayer_, textStyle_;
  std::uint64_t block_ = 0;
  std::uint64_t polyline_ = 0;
  std::int64_t skipped_ = 0;
};

Result<std::int64_t> Failure(std::string_view path, const std::string& what) {
  return Failed<std::int64_t>(WidenText(std::string(path) + ": " + what));
}

}  // namespace

Result<std::int64_t> ReadDrawing(Database& db, std::string_view requested) {
  std::string path = DrawingFilePath(requested);
  DxfCheck check = CheckDxfFile(path);
  if (!check.ok) return Failure(path, check.error);

  Database read(Database::Content::kEmpty);
  read.RaiseHandleSeed(check.maxHandle + 1);
  Builder builder(read);
  DL_Dxf dxf;
  bool opened = false;
  try {
    opened = dxf.in(path, &builder);
  } catch (...) {
    return Failure(path, "the DXF reader failed");
  }
  if (!opened) return Failure(path, "cannot open the file");
  if (!builder.Finish()) return Failure(path, builder.Error());
  db.SwapContents(read);
  return Success(builder.Skipped());
}

Result<std::int64_t> ReadDrawing(Database& db, std::wstring_view path) {
  const std::optional<std::string> native = host::NativePath(path);
  if (!native) return Failure("?", "the path has characters no file name can hold");
  return ReadDrawing(db, std::string_view(*native));
}

}  // namespace host::db
