// Reading a DXF drawing.
//
// The file is checked first (dxf_check.h), then read again group by group
// into the builder below, which assembles tables, blocks and entities into
// a new database. Whatever the database does not model (header variables,
// classes, other tables' records, entities of other kinds, objects, and each
// modelled entity's groups as read) is kept (kept.h) so that a save writes
// it back. The result replaces the target's content only when the whole
// file was read.
//
// dxflib's reader is not used: it drops what it does not know, sizes arrays
// by the counts a file states, and reads uninitialised values on hatches.

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "host/db/code_page.h"
#include "host/db/drawing_file.h"
#include "host/db/dxf_check.h"
#include "host/db/dxf_lines.h"
#include "host/db/kept.h"
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

std::string Trimmed(const std::string& s) { return std::string(TrimDxf(s)); }

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

class Builder {
 public:
  Builder(Database& db, bool utf8) : db_(db), kept_(db.EnsureKept()), utf8_(utf8), page_(CodePage::Default()) {}

  // One group of the file; `line` is the line of its code.
  void Take(int c, std::string value, std::uint64_t line) {
    if (!error_.empty() || done_) return;
    if (c == 0) {
      Flush();
      std::string type = Trimmed(value);
      if (type == "SECTION") {
        expectName_ = true;
        return;
      }
      if (type == "ENDSEC") {
        section_.clear();
        table_.clear();
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
      sectionStarted_ = true;
      return;
    }
    object_.push_back(RawGroup{c, std::move(value), line});
  }

  // Completes the reading; false with an error when something was wrong.
  bool Finish() {
    Flush();
    if (!error_.empty()) return false;
    ClosePolyline();
    // What each modelled entity was when read, now that polylines have all
    // their vertices.
    for (auto& [handle, kept] : keptEntities_) {
      const Entity* entity = db_.EntityByHandle(handle);
      if (entity == nullptr) continue;
      kept->data = entity->data;
      kept->owner = entity->owner;
      kept->layer = entity->layer;
      kept->color = entity->color;
      kept->xdata = entity->xdata;
    }
    keptEntities_.clear();
    kept_.version = version_;
    kept_.codePage = page_->Name();
    db_.EnsureBasics();
    if (!clayer_.empty()) db_.SetCurrentLayer(db_.Layer(clayer_));
    if (!textStyle_.empty()) db_.SetCurrentTextStyle(db_.TextStyle(textStyle_));
    return true;
  }

  const std::string& Error() const { return error_; }
  // Entities of kinds the database does not model (kept as read).
  std::int64_t Unmodelled() const { return unmodelled_; }

 private:
  // A value line as kept: UTF-8.
  std::string Keep(const std::string& bytes) const {
    if (utf8_ || IsAscii(bytes)) return bytes;
    return host::EncodeUtf8(page_->Decode(bytes));
  }
  KeptGroups KeepAll(std::size_t from = 1) const {
    KeptGroups groups;
    groups.reserve(object_.size());
    for (std::size_t i = from; i < object_.size(); ++i) groups.push_back(KeptGroup{object_[i].code, Keep(object_[i].value)});
    return groups;
  }
  // The object as kept, its handle claimed.
  KeptObject KeepObject() {
    KeptObject object;
    object.type = Trimmed(object_.front().value);
    const RawGroup* handle = object.type == "DIMSTYLE" ? Find(105) : Find(5);
    if (handle == nullptr && object.type != "DIMSTYLE") handle = Find(105);
    if (handle != nullptr) object.handle = db_.ClaimKeptHandle(Hex(handle->value));
    object.groups = KeepAll();
    return object;
  }

  // Text of the file's encoding, "\U+XXXX" escapes and caret forms undone.
  std::wstring Decode(const std::string& bytes) const {
    std::wstring units = utf8_ ? host::DecodeUtf8(bytes) : page_->Decode(bytes);
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
    if (section_ == "HEADER") {
      Header();
    } else if (section_ == "CLASSES") {
      kept_.hasClasses = true;
      for (std::size_t i = 0; i < object_.size(); ++i)
        kept_.classes.push_back(KeptGroup{object_[i].code, Keep(object_[i].value)});
    } else if (section_ == "TABLES") {
      TableRecord();
    } else if (section_ == "BLOCKS" || section_ == "ENTITIES") {
      EntityObject();
    } else if (section_ == "OBJECTS") {
      kept_.hasObjects = true;
      if (object_.front().code == 0) kept_.objects.push_back(KeepObject());
    } else if (!section_.empty()) {
      if (kept_.sections.empty() || kept_.sections.back().first != section_ || sectionStarted_)
        kept_.sections.emplace_back(section_, KeptGroups{});
      sectionStarted_ = false;
      for (std::size_t i = 0; i < object_.size(); ++i)
        kept_.sections.back().second.push_back(KeptGroup{object_[i].code, Keep(object_[i].value)});
    }
    object_.clear();
  }

  void Header() {
    // A run of variables: 9 name, then its value groups. The version and
    // code page come first: they decide how text is read.
    std::string name;
    for (const RawGroup& g : object_) {
      if (g.code == 9) {
        name = Trimmed(g.value);
      } else if (name == "$ACADVER") {
        version_ = Trimmed(g.value);
        if (version_ >= "AC1021") utf8_ = true;
      } else if (name == "$DWGCODEPAGE") {
        page_ = CodePage::Named(Trimmed(g.value));
      }
    }
    // Variables the writer writes itself are not kept.
    static const char* const kWritten[] = {"$ACADVER", "$DWGCODEPAGE", "$HANDSEED", "$CLAYER", "$TEXTSTYLE",
                                           "$CECOLOR", "$CELTYPE", "$PLINEGEN", "$ANGBASE", "$ANGDIR", "$AUNITS"};
    bool keep = false;
    for (const RawGroup& g : object_) {
      if (g.code == 9) {
        name = Trimmed(g.value);
        keep = true;
        for (const char* w : kWritten) keep = keep && name != w;
        if (keep) kept_.header.emplace_back(name, KeptGroups{});
        continue;
      }
      DatabaseSettings& s = db_.Settings();
      if (keep) {
        kept_.header.back().second.push_back(KeptGroup{g.code, Keep(g.value)});
        continue;
      }
      if (name == "$ACADVER" || name == "$DWGCODEPAGE") continue;
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
  std::uint64_t HandleOfRecord(const std::string& type) const {
    const RawGroup* g = type == "DIMSTYLE" ? nullptr : Find(5);
    if (g == nullptr) g = Find(105);
    return g ? Hex(g->value) : 0;
  }

  // A table head, a record, or the end of a table. Records of the tables the
  // database models become its records (the first of a name; the groups as
  // read kept beside); everything else is kept whole in its table.
  void TableRecord() {
    std::string type = Trimmed(object_.front().value);
    if (object_.front().code != 0) return;
    if (type == "ENDTAB") {
      table_.clear();
      return;
    }
    if (type == "TABLE") {
      const RawGroup* name = Find(2);
      table_ = name ? Trimmed(name->value) : "";
      KeptTable& table = kept_.tables[table_];
      table.head = KeepAll();
      const RawGroup* handle = Find(5);
      table.handle = handle ? db_.ClaimKeptHandle(Hex(handle->value)) : 0;
      return;
    }
    KeptTable& table = kept_.tables[table_.empty() ? type : table_];
    std::wstring name = Name();
    KeptRecord kept;
    std::uint64_t handle = HandleOfRecord(type);
    bool modelled = !name.empty() && (handle == 0 || !db_.IsHandleTaken(handle));
    if (modelled) {
      if (type == "LAYER") modelled = Layer(name, handle, &kept);
      else if (type == "LTYPE") modelled = Linetype(name, handle, &kept);
      else if (type == "STYLE") modelled = Style(name, handle, &kept);
      else if (type == "APPID") modelled = App(name, handle, &kept);
      else if (type == "BLOCK_RECORD") modelled = BlockRecordOf(name, handle, &kept);
      else if (type == "VPORT") modelled = Viewport(name, handle, &kept);
      else modelled = false;
    }
    if (modelled) {
      handle = RecordHandle(kept.asRead);
      std::visit([&](auto& r) {
        if constexpr (requires { r.handle; }) r.handle = handle;
      }, kept.asRead);
    }
    if (modelled) {
      kept.groups = KeepAll();
      kept_.records[handle] = std::move(kept);
    } else {
      table.records.push_back(KeepObject());
    }
  }

  // The handle a modelled record was given.
  std::uint64_t RecordHandle(const decltype(KeptRecord::asRead)& record) const {
    if (const auto* r = std::get_if<LayerRecord>(&record)) return db_.Layer(r->name).handle;
    if (const auto* r = std::get_if<LinetypeRecord>(&record)) return db_.Linetype(r->name).handle;
    if (const auto* r = std::get_if<TextStyleRecord>(&record)) return db_.TextStyle(r->name).handle;
    if (const auto* r = std::get_if<AppIdRecord>(&record)) return db_.AppId(r->name).handle;
    if (const auto* r = std::get_if<std::wstring>(&record)) return db_.Block(*r).handle;
    if (std::holds_alternative<ViewportRecord>(record)) return db_.ActiveViewport()->handle;
    return 0;
  }

  bool Layer(const std::wstring& name, std::uint64_t handle, KeptRecord* kept) {
    if (!db_.Layer(name).IsNull()) return false;
    const RawGroup* flagsGroup = Find(70);
    int flags = flagsGroup ? Int(flagsGroup->value) : 0;
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
    kept->asRead = r;
    db_.AdoptLayer(std::move(r));
    return true;
  }
  bool Linetype(const std::wstring& name, std::uint64_t handle, KeptRecord* kept) {
    if (!db_.Linetype(name).IsNull()) return false;
    const RawGroup* description = Find(3);
    LinetypeRecord r{handle, name, description ? Decode(description->value) : L"", false};
    kept->asRead = r;
    db_.AdoptLinetype(std::move(r));
    return true;
  }
  bool Style(const std::wstring& name, std::uint64_t handle, KeptRecord* kept) {
    if (!db_.TextStyle(name).IsNull()) return false;
    TextStyleRecord r;
    r.handle = handle;
    r.name = name;
    if (const RawGroup* font = Find(3)) r.font = Decode(font->value);
    if (const RawGroup* height = Find(40)) r.height = Real(height->value);
    if (const RawGroup* width = Find(41)) r.widthFactor = Real(width->value);
    kept->asRead = r;
    db_.AdoptTextStyle(std::move(r));
    return true;
  }
  bool App(const std::wstring& name, std::uint64_t handle, KeptRecord* kept) {
    if (!db_.AppId(name).IsNull()) return false;
    kept->asRead = AppIdRecord{handle, name};
    db_.AdoptAppId(AppIdRecord{handle, name});
    return true;
  }
  bool BlockRecordOf(const std::wstring& name, std::uint64_t handle, KeptRecord* kept) {
    if (!db_.Block(name).IsNull()) return false;
    kept->asRead = name;
    db_.AdoptBlock(BlockRecord{handle, name, {}, {}, false});
    return true;
  }
  bool Viewport(const std::wstring& name, std::uint64_t handle, KeptRecord* kept) {
    if (!SameTableName(name, L"*ACTIVE") || db_.ActiveViewport() != nullptr) return false;
    ViewportRecord& vp = db_.AdoptActiveViewport(handle);
    const RawGroup* cx = Find(12);
    const RawGroup* cy = Find(22);
    const RawGroup* height = Find(40);
    const RawGroup* aspect = Find(41);
    vp.name = name;
    vp.centerX = cx ? Real(cx->value) : 0;
    vp.centerY = cy ? Real(cy->value) : 0;
    vp.height = height ? Real(height->value) : 1;
    vp.width = vp.height * (aspect ? Real(aspect->value) : 1);
    kept->asRead = vp;
    return true;
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
      EndFollowers();
      std::wstring name = Name();
      if (IsModelName(name) || IsPaperName(name)) {
        block_ = SpaceHandle(IsPaperName(name));
      } else if (name.empty()) {
        block_ = 0;
      } else {
        ObjectId id = db_.Block(name);
        if (id.IsNull()) id = db_.IdOf(db_.AdoptBlock(BlockRecord{0, name, {}, {}, false}).handle);
        block_ = id.handle;
      }
      if (block_ == 0) return;
      BlockRecord* record = db_.BlockRecordOf(db_.IdOf(block_));
      EntityList list;
      std::uint64_t ignored = 0;
      if (!ToList(EntityType::kPoint, 1, &list, &ignored)) return;
      for (const host::db::Group& g : list)
        if (g.code == 10 && g.Point()) record->base = *g.Point();
      KeptBlock& kept = kept_.blocks[block_];
      kept.begin = KeepObject();
      kept.name = record->name;
      kept.base = record->base;
      return;
    }
    if (typeName == "ENDBLK") {
      ClosePolyline();
      EndFollowers();
      if (block_ != 0) kept_.blocks[block_].end = KeepObject();
      block_ = 0;
      return;
    }
    std::optional<EntityType> parsed = TypeFromName(Decode(typeName));
    bool known = parsed.has_value();
    EntityType kind = parsed.value_or(EntityType::kLine);
    bool inPolyline = polyline_ != 0;
    if (inPolyline && (!known || (kind != EntityType::kVertex && kind != EntityType::kSeqEnd))) ClosePolyline();
    // The attributes after a block reference, and their end marker, go
    // with the reference.
    if (followers_ != nullptr) {
      if (typeName == "ATTRIB" || typeName == "SEQEND") {
        followers_->followers.push_back(KeepObject());
        if (typeName == "ATTRIB") ++unmodelled_;
        if (typeName == "SEQEND") followers_ = nullptr;
        return;
      }
      followers_ = nullptr;
    }
    if (known && kind == EntityType::kSeqEnd && !inPolyline) known = false;
    if (known && kind == EntityType::kVertex && !inPolyline) {
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
    if (!known) {
      // A kind the database does not model: kept as read, in its place.
      KeptObject object = KeepObject();
      if (object.handle == 0) object.handle = db_.ClaimKeptHandle(0);
      object.owner = owner;
      db_.ListKeptEntity(owner, object.handle);
      std::uint64_t handle = object.handle;
      kept_.entities.emplace(handle, std::move(object));
      ++unmodelled_;
      return;
    }

    EntityList list;
    std::uint64_t handle = 0;
    if (!ToList(kind, 1, &list, &handle)) return;
    Entity entity;
    entity.handle = db_.ClaimHandle(handle);
    entity.owner = owner;
    entity.layer = db_.EnsureLayer(L"0").handle;
    switch (kind) {
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
    for (const host::db::Group& g : list) {
      if (g.code == -3) break;
      const std::wstring* name = g.Text();
      if (name == nullptr || name->empty()) continue;
      if (g.code == 8 && db_.Layer(*name).IsNull()) {
        LayerRecord layer;
        layer.name = *name;
        layer.linetype = db_.Linetype(L"CONTINUOUS").handle;
        db_.AdoptLayer(std::move(layer));
      }
      if (g.code == 7 && kind == EntityType::kText && db_.TextStyle(*name).IsNull()) {
        TextStyleRecord style;
        style.name = *name;
        db_.AdoptTextStyle(std::move(style));
      }
      if (g.code == 2 && kind == EntityType::kInsert && db_.Block(*name).IsNull())
        db_.AdoptBlock(BlockRecord{0, *name, {}, {}, false});
    }
    std::string why;
    if (!ApplyGroups(db_, entity, list, true, &why)) {
      Fail(head.line, typeName + ": " + why);
      return;
    }
    EntityList chain;
    bool inXdata = false;
    for (const host::db::Group& g : list) {
      inXdata = inXdata || g.code == -3;
      if (!inXdata) continue;
      if (g.code == 1001 && g.Text() && db_.AppId(*g.Text()).IsNull()) db_.RegisterApp(*g.Text());
      chain.push_back(g);
    }
    if (!chain.empty() && !entity.xdata.Apply(chain)) {
      Fail(head.line, typeName + ": malformed extended data");
      return;
    }
    auto kept = std::make_shared<KeptEntity>();
    kept->groups = KeepAll();
    entity.kept = kept;
    keptEntities_.emplace_back(entity.handle, kept);
    if (kind == EntityType::kInsert) {
      const RawGroup* follow = Find(66);
      if (follow && Int(follow->value) == 1) followers_ = kept.get();
    }

    if (kind == EntityType::kVertex || kind == EntityType::kSeqEnd) {
      Entity* polyline = db_.EntityByHandle(polyline_);
      auto& data = std::get<PolylineData>(polyline->data);
      entity.owner = polyline_;
      if (kind == EntityType::kVertex) {
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

  // A block reference whose attributes had no end marker.
  void EndFollowers() { followers_ = nullptr; }

  Database& db_;
  KeptDrawing& kept_;
  std::string error_;
  bool done_ = false;
  bool expectName_ = false;
  bool sectionStarted_ = false;
  bool utf8_ = false;
  std::shared_ptr<const CodePage> page_;
  std::string version_;
  std::string section_;
  std::string table_;
  std::vector<std::pair<std::uint64_t, std::shared_ptr<KeptEntity>>> keptEntities_;
  KeptEntity* followers_ = nullptr;
  std::int64_t unmodelled_ = 0;
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
  // Opening a pipe waits for a writer and a device may never end: only a
  // plain file is read. A path that is missing is left to the open below.
  const std::wstring wide = WidePath(path);
  if (PathExists(wide) && !IsPlainFile(wide))
    return Failure(path, IsDirectory(wide) ? "a folder, not a drawing file"
                                           : "not a regular file (a pipe, a device or a socket)");
  DxfCheck check = CheckDxfFile(path);
  if (!check.ok) return Failure(path, check.error);

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return Failure(path, "cannot open the file");
  Database read(Database::Content::kEmpty);
  read.RaiseHandleSeed(check.maxHandle + 1);
  DxfLineReader lines(file.get());
  std::string_view codeLine, valueLine;
  bool overlong = false;
  std::uint64_t line = 0;
  // The file passed the check; a file changed since reads as far as it is
  // still sound.
  std::unique_ptr<Builder> builder;
  while (lines.Next(&codeLine, &overlong)) {
    ++line;
    int code = 0;
    if (overlong || !ParseGroupCode(codeLine, &code))
      return Failure(path, "line " + std::to_string(line) + ": the file changed while it was read");
    if (!lines.Next(&valueLine, &overlong))
      return Failure(path, "line " + std::to_string(line) + ": the file ends inside a group (no value line)");
    if (!builder) builder = std::make_unique<Builder>(read, lines.HadByteOrderMark());
    builder->Take(code, std::string(valueLine), line);
    ++line;
  }
  if (lines.Error()) return Failure(path, "the file cannot be read");
  if (!builder) return Failure(path, "line 1: the file is empty");
  if (!builder->Finish()) return Failure(path, builder->Error());
  db.SwapContents(read);
  return Success(builder->Unmodelled());
}

Result<std::int64_t> ReadDrawing(Database& db, std::wstring_view path) {
  const std::optional<std::string> native = host::NativePath(path);
  if (!native) return Failure("?", "the path has characters no file name can hold");
  return ReadDrawing(db, std::string_view(*native));
}

}  // namespace host::db
