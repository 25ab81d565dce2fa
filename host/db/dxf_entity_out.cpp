#include "host/db/dxf_entity_out.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "host/db/dxf_lines.h"
#include "host/db/entity_groups.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

class FileSink : public GroupSink {
 public:
  explicit FileSink(const DxfWriter& out) : out_(out) {}
  bool IsList() const override { return false; }
  void Text(int code, std::wstring_view text) override { out_.Text(code, text); }
  void Handle(int code, std::uint64_t handle) override {
    if (code >= 0) out_.Handle(code, handle);
  }
  void Real(int code, double value) override { out_.dxfReal(code, value); }
  void Angle(int code, double radians) override { out_.Angle(code, radians); }
  void Int(int code, std::int32_t value) override { out_.dxfInt(code, value); }
  void Point(int code, const Point3& p) override { out_.Point(code, p.x, p.y, p.z); }
  void Point2(int code, double x, double y) override { out_.Point2(code, x, y); }
  void Extended(const Xdata& xdata) override { WriteXdata(xdata, out_); }

 protected:
  const DxfWriter& out_;
};

// The base code of a coordinate group (20 and 30 are 10's y and z).
int PointBase(int code) {
  if (code >= 20 && code <= 28) return code - 10;
  if (code >= 30 && code <= 37) return code - 20;
  if (code == 220 || code == 230) return 210;
  return code;
}

// True when the database models group `code` of a kind (the groups its
// description writes); the others are kept.
bool Modelled(EntityType type, int code) {
  int c = PointBase(code);
  switch (type) {
    case EntityType::kLine: return c == 10 || c == 11;
    case EntityType::kCircle: return c == 10 || c == 40 || c == 210;
    case EntityType::kArc: return c == 10 || c == 40 || c == 50 || c == 51 || c == 210;
    case EntityType::kPoint: return c == 10;
    case EntityType::kText:
      return c == 10 || c == 11 || c == 40 || c == 1 || c == 50 || c == 41 || c == 7 || c == 72 || c == 73;
    case EntityType::kLwPolyline:
      return c == 90 || c == 70 || c == 43 || c == 38 || c == 10 || c == 40 || c == 41 || c == 42 || c == 210 ||
             c == 91;
    case EntityType::kPolyline:
      return c == 66 || c == 10 || c == 70 || c == 40 || c == 41 || c == 210;
    case EntityType::kVertex: return c == 10 || c == 40 || c == 41 || c == 42 || c == 70;
    case EntityType::kSeqEnd: return false;
    case EntityType::kHatch: return true;  // its own way: see HatchSink
    case EntityType::kInsert:
      return c == 2 || c == 10 || c == 41 || c == 42 || c == 43 || c == 50 || c == 210;
  }
  return false;
}

// Groups every entity has, written from the entity itself.
bool Common(int code) { return code == 5 || code == 8 || code == 62 || code == 67 || code == 100; }

// Groups an R12 file gives without subclasses that belong to AcDbEntity.
bool EntityWide(int code) {
  return code == 6 || code == 48 || code == 60 || code == 370 || code == 420 || code == 430 || code == 440 ||
         code == 284 || code == 347 || code == 390 || code == 92 || code == 310;
}

std::size_t XdataStart(const KeptGroups& groups) {
  for (std::size_t i = 0; i < groups.size(); ++i)
    if (groups[i].code >= 1000) return i;
  return groups.size();
}

void WriteKeptXdata(const Entity& entity, const KeptEntity& kept, const DxfWriter& out) {
  if (entity.xdata == kept.xdata) {
    for (std::size_t i = XdataStart(kept.groups); i < kept.groups.size(); ++i)
      out.Kept(kept.groups[i].code, kept.groups[i].value);
  } else if (!entity.xdata.Empty()) {
    WriteXdata(entity.xdata, out);
  }
}

const wchar_t* LayerName(const Database& db, std::uint64_t layer) {
  const LayerRecord* record = db.LayerRecordOf(db.IdOf(layer));
  return record ? record->name.c_str() : L"0";
}

bool InPaperSpace(const Database& db, const Entity& entity) {
  return entity.owner != 0 && entity.owner == db.HandleOf(db.PaperSpace());
}

// The entity's groups as read, with its handle, owner, layer, colour and
// xdata as they are now.
void WriteAsRead(const Database& db, const Entity& entity, const KeptEntity& kept, const DxfWriter& out) {
  out.dxfString(0, std::string(host::EncodeUtf8(TypeName(entity.Type()))));
  const KeptGroups& groups = kept.groups;
  std::size_t end = XdataStart(groups);
  bool hasHandle = false, hasColor = false;
  for (std::size_t i = 0; i < end; ++i) {
    hasHandle = hasHandle || groups[i].code == 5;
    hasColor = hasColor || groups[i].code == 62;
  }
  if (!hasHandle) out.Handle(5, entity.handle);
  bool ownerWritten = false, sawSubclass = false;
  bool paperWritten = false;
  for (std::size_t i = 0; i < end; ++i) {
    const KeptGroup& g = groups[i];
    switch (g.code) {
      case 5: out.Handle(5, entity.handle); break;
      case 330:
        if (!ownerWritten && !sawSubclass) {
          out.Handle(330, entity.owner);
          ownerWritten = true;
        } else {
          out.Kept(g.code, g.value);
        }
        break;
      case 100:
        sawSubclass = true;
        out.Kept(g.code, g.value);
        break;
      case 67:
        if (kept.owner == entity.owner) {
          out.Kept(g.code, g.value);
          paperWritten = true;
        } else if (InPaperSpace(db, entity)) {
          out.dxfInt(67, 1);
          paperWritten = true;
        }
        break;
      case 8:
        if (!paperWritten && kept.owner != entity.owner && InPaperSpace(db, entity)) {
          out.dxfInt(67, 1);
          paperWritten = true;
        }
        out.Text(8, LayerName(db, entity.layer));
        if (!hasColor && entity.color != kColorByLayer) out.dxfInt(62, entity.color);
        break;
      case 62:
        if (entity.color != kColorByLayer) out.dxfInt(62, entity.color);
        break;
      default: out.Kept(g.code, g.value); break;
    }
  }
  WriteKeptXdata(entity, kept, out);
}

// The entity written from its description, with the kept groups of each
// subclass written at that subclass's end.
class MergingSink : public FileSink {
 public:
  MergingSink(const DxfWriter& out, const Entity& entity, const KeptEntity& kept)
      : FileSink(out), entity_(entity), kept_(kept), type_(entity.Type()) {
    const KeptGroups& groups = kept.groups;
    end_ = XdataStart(groups);
    bool subclasses = false;
    for (std::size_t i = 0; i < end_; ++i) subclasses = subclasses || groups[i].code == 100;
    std::string subclass;
    for (std::size_t i = 0; i < end_; ++i) {
      const KeptGroup& g = groups[i];
      if (g.code == 100) {
        subclass = g.value;
        continue;
      }
      if (Common(g.code)) continue;
      if (subclass.empty() && g.code == 330 && !ownerSkipped_) {
        ownerSkipped_ = true;
        continue;
      }
      std::string place = subclass;
      if (!subclasses) {
        // R12: no subclasses; the entity-wide groups go to AcDbEntity,
        // the rest to the kind's own subclass.
        if (g.code == 102 || g.code == 330 || g.code == 360) place = "";
        else place = EntityWide(g.code) ? "AcDbEntity" : "*";
      }
      if (type_ == EntityType::kHatch && place == "AcDbHatch") continue;
      if (place != "AcDbEntity" && place != "" && place != "*" && type_ != EntityType::kHatch &&
          Modelled(type_, g.code))
        continue;
      pending_.push_back({place, &g});
    }
  }

  void Text(int code, std::wstring_view text) override {
    if (Swallowing()) return;
    if (code == 100) {
      FlushPlace(current_);
      current_ = host::EncodeUtf8(text);
    }
    FileSink::Text(code, text);
  }
  void Handle(int code, std::uint64_t handle) override {
    if (Swallowing()) return;
    FileSink::Handle(code, handle);
    if (code == 330 && current_.empty()) FlushPlace("");
  }
  void Real(int code, double value) override {
    if (!Swallowing()) FileSink::Real(code, value);
  }
  void Angle(int code, double radians) override {
    if (!Swallowing()) FileSink::Angle(code, radians);
  }
  void Int(int code, std::int32_t value) override {
    if (type_ == EntityType::kHatch && HatchInt(code, value)) return;
    if (!Swallowing()) FileSink::Int(code, value);
  }
  void Point(int code, const Point3& p) override {
    if (!Swallowing()) FileSink::Point(code, p);
  }
  void Point2(int code, double x, double y) override {
    if (!Swallowing()) FileSink::Point2(code, x, y);
  }
  void Extended(const Xdata&) override {}

  // Writes what is left, then the xdata.
  void Finish() {
    FlushPlace(current_);
    for (const auto& [place, group] : pending_)
      if (group != nullptr) out_.Kept(group->code, group->value);
    WriteKeptXdata(entity_, kept_, out_);
  }

 private:
  void FlushPlace(const std::string& place) {
    for (auto& [where, group] : pending_) {
      if (group == nullptr || where != place) continue;
      out_.Kept(group->code, group->value);
      group = nullptr;
    }
  }

  bool Swallowing() const { return hatchPart_ == HatchPart::kLoopsAsRead || hatchPart_ == HatchPart::kTailAsRead; }

  // A hatch: its boundary as read when the loops did not change, and
  // everything after its style group (pattern, seeds, gradient) as read.
  enum class HatchPart { kHeader, kLoopsAsRead, kLoops, kTailAsRead } hatchPart_ = HatchPart::kHeader;
  bool HatchInt(int code, std::int32_t value) {
    const auto& now = std::get<HatchData>(entity_.data);
    const auto& then = std::get<HatchData>(kept_.data);
    const KeptGroups& groups = kept_.groups;
    if (code == 91 && hatchPart_ == HatchPart::kHeader) {
      std::size_t at = Index(91, 0);
      if (now.loops == then.loops && at < end_) {
        std::size_t style = Index(75, at);
        for (std::size_t i = at; i < style && i < end_; ++i) out_.Kept(groups[i].code, groups[i].value);
        hatchPart_ = HatchPart::kLoopsAsRead;
        return true;
      }
      hatchPart_ = HatchPart::kLoops;
      return false;
    }
    if (code == 75 && (hatchPart_ == HatchPart::kLoops || hatchPart_ == HatchPart::kLoopsAsRead)) {
      std::size_t style = Index(75, Index(91, 0));
      if (style >= end_) {
        hatchPart_ = HatchPart::kHeader;
        return false;
      }
      out_.dxfInt(75, value);
      for (std::size_t i = style + 1; i < end_; ++i) out_.Kept(groups[i].code, groups[i].value);
      hatchPart_ = HatchPart::kTailAsRead;
      return true;
    }
    return Swallowing();
  }
  std::size_t Index(int code, std::size_t from) const {
    for (std::size_t i = from; i < end_; ++i)
      if (kept_.groups[i].code == code) return i;
    return end_;
  }

  const Entity& entity_;
  const KeptEntity& kept_;
  EntityType type_;
  std::size_t end_ = 0;
  bool ownerSkipped_ = false;
  std::string current_;
  std::vector<std::pair<std::string, const KeptGroup*>> pending_;
};

// The attributes after a block reference, moved with it when it moved (a
// reference scaled or turned since keeps them where they were).
void WriteFollowers(const Entity& entity, const KeptEntity& kept, const DxfWriter& out) {
  if (kept.followers.empty()) return;
  Point3 shift;
  const auto* now = std::get_if<InsertData>(&entity.data);
  const auto* then = std::get_if<InsertData>(&kept.data);
  if (now && then) {
    InsertData moved = *then;
    moved.position = now->position;
    if (moved == *now)
      shift = Point3{now->position.x - then->position.x, now->position.y - then->position.y,
                     now->position.z - then->position.z};
  }
  bool moves = !(shift == Point3{});
  for (const KeptObject& follower : kept.followers) {
    if (!moves || follower.type != "ATTRIB") {
      WriteKeptObject(follower, out, entity.handle);
      continue;
    }
    out.Kept(0, follower.type);
    bool ownerDone = false;
    for (const KeptGroup& g : follower.groups) {
      int axis = g.code == 10 || g.code == 11 ? 0 : g.code == 20 || g.code == 21 ? 1 : g.code == 30 || g.code == 31 ? 2 : -1;
      if (g.code == 5 && follower.handle != 0) {
        out.Handle(5, follower.handle);
      } else if (g.code == 330 && !ownerDone) {
        out.Handle(330, entity.handle);
        ownerDone = true;
      } else if (axis >= 0) {
        double by = axis == 0 ? shift.x : axis == 1 ? shift.y : shift.z;
        out.dxfReal(g.code, std::strtod(g.value.c_str(), nullptr) + by);
      } else {
        out.Kept(g.code, g.value);
      }
    }
  }
}

}  // namespace

void WriteXdata(const Xdata& xdata, const DxfWriter& out) {
  xdata.Visit([&](const Xdata::Raw& raw) {
    switch (KindOfCode(raw.code)) {
      case ValueKind::kPoint: out.Point(raw.code, raw.real[0], raw.real[1], raw.real[2]); break;
      case ValueKind::kReal: out.dxfReal(raw.code, raw.real[0]); break;
      case ValueKind::kInt16:
      case ValueKind::kInt32: out.dxfInt(raw.code, raw.integer); break;
      default: out.Utf8Text(raw.code, raw.text); break;
    }
  });
}

void WriteEntity(const Database& db, const Entity& entity, const DxfWriter& out) {
  const KeptEntity* kept = entity.kept.get();
  if (kept == nullptr || kept->data.index() != entity.data.index()) {
    FileSink sink(out);
    EmitEntity(db, entity, sink, true);
    return;
  }
  if (entity.data == kept->data) {
    WriteAsRead(db, entity, *kept, out);
  } else {
    MergingSink sink(out, entity, *kept);
    EmitEntity(db, entity, sink, false);
    sink.Finish();
  }
  WriteFollowers(entity, *kept, out);
}

void WriteKeptObject(const KeptObject& object, const DxfWriter& out, std::uint64_t owner) {
  out.Kept(0, object.type);
  int handleCode = object.type == "DIMSTYLE" ? 105 : 5;
  bool ownerDone = owner == 0;
  // A 330 inside an application's "{...}" list (reactors) names another
  // object, not the owner.
  bool inAppList = false;
  for (const KeptGroup& g : object.groups) {
    if (g.code == 102) inAppList = !TrimDxf(g.value).starts_with("}");
    if (g.code == handleCode && object.handle != 0) {
      out.Handle(handleCode, object.handle);
    } else if (g.code == 330 && !ownerDone && !inAppList) {
      out.Handle(330, owner);
      ownerDone = true;
    } else {
      out.Kept(g.code, g.value);
    }
  }
}

}  // namespace host::db
