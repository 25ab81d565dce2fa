#include "host/editor/host_commands.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <map>

#include "host/db/blocks.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"
#include "host/db/entity_move.h"
#include "host/editor/command_line.h"
#include "host/editor/extents.h"
#include "host/editor/graphics.h"
#include "host/system/user_actions.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

std::wstring Option(const std::wstring& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L'_' || text[i] == L'.')) ++i;
  return UpperAscii(std::wstring_view(text).substr(i));
}

bool Is(const std::wstring& option, std::initializer_list<const wchar_t*> names) {
  for (const wchar_t* n : names)
    if (option == n) return true;
  return false;
}

std::wstring ArgText(const CommandArg& arg) {
  wchar_t buffer[160];
  if (auto* s = std::get_if<std::wstring>(&arg)) return L"\"" + *s + L"\"";
  if (auto* p = std::get_if<db::Point3>(&arg)) {
    std::swprintf(buffer, 160, L"(%g,%g,%g)", p->x, p->y, p->z);
    return buffer;
  }
  if (auto* d = std::get_if<double>(&arg)) {
    std::swprintf(buffer, 160, L"%g", *d);
    return buffer;
  }
  if (auto* i = std::get_if<int>(&arg)) return std::to_wstring(*i);
  if (auto* sel = std::get_if<CommandSelection>(&arg))
    return L"<selection of " + std::to_wstring(SelectionSetEntities(sel->set).size()) + L">";
  if (auto* e = std::get_if<EntityName>(&arg)) {
    std::swprintf(buffer, 160, L"<entity %llX>", static_cast<unsigned long long>(e->handle));
    return buffer;
  }
  return L"?";
}

void Record(const std::vector<CommandArg>& args) {
  std::wstring text;
  for (const CommandArg& a : args) {
    if (!text.empty()) text += L' ';
    text += a.index() == 0 && &a == &args.front() ? std::get<std::wstring>(a) : ArgText(a);
  }
  Shown().Add("command", text);
}

const db::Point3* PointAt(const std::vector<CommandArg>& args, std::size_t i) {
  return i < args.size() ? std::get_if<db::Point3>(&args[i]) : nullptr;
}

const std::wstring* TextAt(const std::vector<CommandArg>& args, std::size_t i) {
  return i < args.size() ? std::get_if<std::wstring>(&args[i]) : nullptr;
}

// The entities a MOVE or COPY selection names, in order, each once.
bool SelectionOf(const CommandArg& arg, std::vector<EntityName>* out) {
  if (auto* sel = std::get_if<CommandSelection>(&arg)) {
    if (!SelectionSetLength(sel->set).ok()) return false;
    *out = SelectionSetEntities(sel->set);
    return true;
  }
  if (auto* e = std::get_if<EntityName>(&arg)) {
    *out = {*e};
    return true;
  }
  return false;
}

// Says how many entities of which kinds a MOVE or COPY left as they were:
// "\n3 objects not moved: 2 REGION, 1 MULTILEADER".
void ReportStayed(const std::map<std::wstring, int>& stayed, bool copy) {
  int total = 0;
  std::wstring kinds;
  for (const auto& [kind, count] : stayed) {
    total += count;
    kinds += (kinds.empty() ? L"" : L", ") + std::to_wstring(count) + L" " + kind;
  }
  if (total == 0) return;
  Printf(L"\n%d object%ls not %ls: %ls", total, total == 1 ? L"" : L"s", copy ? L"copied" : L"moved",
         kinds.c_str());
}

Status MoveOrCopy(const std::vector<CommandArg>& args, bool copy) {
  std::vector<EntityName> entities;
  if (args.size() != 5 || !SelectionOf(args[1], &entities)) return Status::kError;
  const std::wstring* end = TextAt(args, 2);
  const db::Point3* base = PointAt(args, 3);
  const db::Point3* second = PointAt(args, 4);
  if (end == nullptr || !end->empty() || base == nullptr || second == nullptr) return Status::kError;
  const db::Point3 d{second->x - base->x, second->y - base->y, second->z - base->z};
  std::map<std::wstring, int> stayed;  // by kind
  for (EntityName name : entities) {
    db::Database* db = db::DatabaseOf(name);
    if (db == nullptr) continue;
    db::ObjectId made;
    const db::MoveResult result = copy ? db::CopyEntityMoved(*db, name, d, &made) : db::MoveEntity(*db, name, d);
    if (result == db::MoveResult::kNotMovable) ++stayed[db::EntityTypeName(*db, name)];
  }
  ReportStayed(stayed, copy);
  return Status::kNormal;
}

Status Zoom(const std::vector<CommandArg>& args) {
  db::Database* db = db::WorkingDatabase();
  const std::wstring* option = TextAt(args, 1);
  if (db == nullptr || option == nullptr) return Status::kError;
  const std::wstring opt = Option(*option);
  db::Point3 low, high;
  if (Is(opt, {L"W", L"WINDOW"})) {
    const db::Point3* a = PointAt(args, 2);
    const db::Point3* b = PointAt(args, 3);
    if (a == nullptr || b == nullptr || args.size() != 4) return Status::kError;
    low = db::Point3{std::min(a->x, b->x), std::min(a->y, b->y), 0};
    high = db::Point3{std::max(a->x, b->x), std::max(a->y, b->y), 0};
  } else if (Is(opt, {L"E", L"EXTENTS"})) {
    if (args.size() != 2) return Status::kError;
    if (!DrawingExtents(&low, &high)) return Status::kNormal;  // nothing to show
  } else {
    return Status::kError;
  }
  db::ViewportRecord& vp = db->EnsureActiveViewport();
  const double aspect = vp.height > 0 && vp.width > 0 ? vp.width / vp.height : 1.0;
  const double w = high.x - low.x, h = high.y - low.y;
  vp.centerX = (low.x + high.x) / 2;
  vp.centerY = (low.y + high.y) / 2;
  vp.height = std::max({h, w / aspect, 1e-9});
  vp.width = vp.height * aspect;
  return Status::kNormal;
}

}  // namespace

Status AttachXref(std::wstring_view path, std::wstring_view block_name) {
  db::Database* target = db::WorkingDatabase();
  if (target == nullptr) return Status::kError;
  // A name attached already gets another reference of its definition.
  db::ObjectId block = target->Block(block_name);
  if (block.IsNull()) {
    db::Database source(db::Database::Content::kEmpty);
    if (!db::ReadDrawing(source, db::DrawingFilePath(path))) return Status::kError;
    block = db::InsertDrawingAsBlock(*target, block_name, source);
  }
  if (block.IsNull()) return Status::kError;
  db::InsertData reference;
  reference.block = block.handle;
  if (target->Append(reference).IsNull()) return Status::kError;
  Shown().Add("xref", std::wstring(block_name) + L" " + std::wstring(path));
  return Status::kNormal;
}

bool IsHostCommand(std::wstring_view name) {
  return Is(Option(std::wstring(name)), {L"REDRAW", L"LINE", L"LIMITS", L"ZOOM", L"UNDO", L"MOVE", L"COPY"});
}

Status RunHostCommand(const std::vector<CommandArg>& args) {
  const std::wstring* name_text = TextAt(args, 0);
  if (name_text == nullptr) return Status::kError;
  const std::wstring name = Option(*name_text);
  Status status = Status::kError;
  if (name == L"REDRAW") {
    if (args.size() == 1) {
      RedrawAll();
      status = Status::kNormal;
    }
  } else if (name == L"LINE") {
    std::vector<db::Point3> points;
    std::size_t i = 1;
    for (; i < args.size(); ++i) {
      if (const db::Point3* p = PointAt(args, i)) {
        points.push_back(*p);
        continue;
      }
      const std::wstring* t = TextAt(args, i);
      if (t && t->empty() && i + 1 == args.size()) {
        ++i;
        break;
      }
      break;
    }
    db::Database* db = db::WorkingDatabase();
    if (i == args.size() && points.size() >= 2 && db != nullptr) {
      for (std::size_t k = 0; k + 1 < points.size(); ++k) (void)db->Append(db::LineData{points[k], points[k + 1]});
      status = Status::kNormal;
    }
  } else if (name == L"LIMITS") {
    const std::wstring* t = TextAt(args, 1);
    if ((args.size() == 2 && t && Is(Option(*t), {L"OFF", L"ON"})) ||
        (args.size() == 3 && PointAt(args, 1) && PointAt(args, 2)))
      status = Status::kNormal;
  } else if (name == L"ZOOM") {
    status = Zoom(args);
  } else if (name == L"UNDO") {
    const std::wstring* t = TextAt(args, 1);
    if (args.size() == 2 && t &&
        Is(Option(*t), {L"M", L"MARK", L"BE", L"BEGIN", L"E", L"END", L"B", L"BACK", L"A", L"AUTO"}))
      status = Status::kNormal;
  } else if (name == L"MOVE") {
    status = MoveOrCopy(args, false);
  } else if (name == L"COPY") {
    status = MoveOrCopy(args, true);
  }
  if (status == Status::kNormal) Record(args);
  else Shown().Add("command_refused", name_text->empty() ? L"(no command)" : *name_text);
  return status;
}

}  // namespace host
