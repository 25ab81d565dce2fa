#include "host/editor/system_variables.h"

#include <algorithm>
#include <map>
#include <cwchar>
#include <optional>

#include "host/db/database.h"
#include "host/system/fault.h"
#include "host/system/files.h"
#include "host/system/profiles.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

struct Variable {
  SysVarType type;
  SysVarValue initial;
  bool read_only = false;
};

// The table: every variable the add-ins read or set, with the default of a
// new drawing. DWGPREFIX defaults to the working folder, for a drawing not
// yet saved; the document binds it to the drawing's own folder.
const std::map<std::wstring, Variable>& Table() {
  static const std::map<std::wstring, Variable> table = {
      {L"ACADVER", {SysVarType::kText, std::wstring(L"25.0"), true}},
      {L"ANGBASE", {SysVarType::kReal, 0.0}},
      {L"ANGDIR", {SysVarType::kShort, std::int16_t{0}}},
      {L"AUNITS", {SysVarType::kShort, std::int16_t{0}}},
      {L"CECOLOR", {SysVarType::kText, std::wstring(L"BYLAYER")}},
      {L"CELTYPE", {SysVarType::kText, std::wstring(L"BYLAYER")}},
      {L"CLAYER", {SysVarType::kText, std::wstring(L"0")}},
      {L"CMDECHO", {SysVarType::kShort, std::int16_t{1}}},
      {L"CPROFILE", {SysVarType::kText, std::wstring(kDefaultProfileName), true}},
      {L"DWGPREFIX", {SysVarType::kText, std::wstring(), true}},
      {L"ERRNO", {SysVarType::kShort, std::int16_t{0}}},
      {L"EXPERT", {SysVarType::kShort, std::int16_t{0}}},
      {L"HIGHLIGHT", {SysVarType::kShort, std::int16_t{1}}},
      {L"LUNITS", {SysVarType::kShort, std::int16_t{2}}},
      {L"LUPREC", {SysVarType::kShort, std::int16_t{4}}},
      {L"OSMODE", {SysVarType::kShort, std::int16_t{4133}}},
      {L"PLINEGEN", {SysVarType::kShort, std::int16_t{0}}},
      {L"TEXTSTYLE", {SysVarType::kText, std::wstring(L"Standard")}},
      {L"TRUSTEDPATHS", {SysVarType::kText, std::wstring()}},
      {L"UCSICON", {SysVarType::kShort, std::int16_t{3}}},
      {L"VIEWSIZE", {SysVarType::kReal, 9.0, true}},
  };
  return table;
}

struct Fault {
  int succeed = 0;
  int fail = 0;  // negative: for ever
};

struct State {
  std::map<std::wstring, SysVarValue> values;
  std::map<std::wstring, SysVarBinding> bindings;
  std::map<std::pair<std::wstring, SysVarOp>, Fault> faults;
};

State& Vars() {
  static State state;
  return state;
}

std::wstring Key(std::wstring_view name) { return UpperAscii(name); }

bool Fires(const std::wstring& key, SysVarOp op) {
  auto& faults = Vars().faults;
  auto it = faults.find({key, op});
  if (it == faults.end()) return false;
  Fault& f = it->second;
  if (f.succeed > 0) {
    --f.succeed;
    return false;
  }
  if (f.fail == 0) return false;
  if (f.fail > 0) --f.fail;
  return true;
}

// Variables kept by the working drawing: they follow the drawing that is
// current, and go with it when it is saved.
std::optional<SysVarValue> DrawingValue(const std::wstring& key) {
  const db::Database* db = db::WorkingDatabase();
  if (db == nullptr) return std::nullopt;
  const db::DatabaseSettings& set = db->Settings();
  if (key == L"CLAYER") {
    const db::LayerRecord* layer = db->LayerRecordOf(db->CurrentLayer());
    return layer ? std::optional<SysVarValue>(layer->name) : std::nullopt;
  }
  if (key == L"TEXTSTYLE") {
    const db::TextStyleRecord* style = db->TextStyleRecordOf(db->CurrentTextStyle());
    return style ? std::optional<SysVarValue>(style->name) : std::nullopt;
  }
  if (key == L"CECOLOR") {
    if (set.currentColor == db::kColorByLayer) return SysVarValue(std::wstring(L"BYLAYER"));
    if (set.currentColor == db::kColorByBlock) return SysVarValue(std::wstring(L"BYBLOCK"));
    return SysVarValue(std::to_wstring(set.currentColor));
  }
  if (key == L"CELTYPE") return SysVarValue(set.currentLinetype);
  if (key == L"PLINEGEN") return SysVarValue(static_cast<std::int16_t>(set.plinegen ? 1 : 0));
  if (key == L"ANGBASE") return SysVarValue(set.angleBase);
  if (key == L"ANGDIR") return SysVarValue(static_cast<std::int16_t>(set.angleClockwise ? 1 : 0));
  if (key == L"AUNITS") return SysVarValue(static_cast<std::int16_t>(set.angleUnits));
  if (key == L"VIEWSIZE") {
    const db::ViewportRecord* vp = db->ActiveViewport();
    return vp ? std::optional<SysVarValue>(vp->height) : std::nullopt;
  }
  return std::nullopt;
}

bool InRange(const SysVarValue& v, int low, int high) {
  const std::int16_t n = std::get<std::int16_t>(v);
  return n >= low && n <= high;
}

// Sets a drawing variable; nothing when `key` is not one (or no drawing).
std::optional<bool> SetDrawingValue(const std::wstring& key, const SysVarValue& value) {
  db::Database* db = db::WorkingDatabase();
  if (db == nullptr) return std::nullopt;
  db::DatabaseSettings& set = db->Settings();
  if (key == L"CLAYER") {
    db::ObjectId layer = db->Layer(std::get<std::wstring>(value));
    const db::LayerRecord* record = db->LayerRecordOf(layer);
    if (record == nullptr || record->frozen) return false;
    return db->SetCurrentLayer(layer);
  }
  if (key == L"TEXTSTYLE") {
    db::ObjectId style = db->TextStyle(std::get<std::wstring>(value));
    return !style.IsNull() && db->SetCurrentTextStyle(style);
  }
  if (key == L"CECOLOR") {
    std::wstring text = Key(std::get<std::wstring>(value));
    if (text == L"BYLAYER") set.currentColor = db::kColorByLayer;
    else if (text == L"BYBLOCK") set.currentColor = db::kColorByBlock;
    else {
      wchar_t* end = nullptr;
      long n = std::wcstol(text.c_str(), &end, 10);
      if (text.empty() || *end != L'\0' || n < 1 || n > 255) return false;
      set.currentColor = static_cast<int>(n);
    }
    return true;
  }
  if (key == L"CELTYPE") {
    std::wstring text = std::get<std::wstring>(value);
    std::wstring upper = Key(text);
    if (upper == L"BYLAYER" || upper == L"BYBLOCK") {
      set.currentLinetype = upper;
      return true;
    }
    const db::LinetypeRecord* lt = db->LinetypeRecordOf(db->Linetype(text));
    if (lt == nullptr) return false;
    set.currentLinetype = lt->name;
    return true;
  }
  if (key == L"PLINEGEN") {
    if (!InRange(value, 0, 1)) return false;
    set.plinegen = std::get<std::int16_t>(value) == 1;
    return true;
  }
  if (key == L"ANGBASE") {
    set.angleBase = std::get<double>(value);
    return true;
  }
  if (key == L"ANGDIR") {
    if (!InRange(value, 0, 1)) return false;
    set.angleClockwise = std::get<std::int16_t>(value) == 1;
    return true;
  }
  if (key == L"AUNITS") {
    if (!InRange(value, 0, 4)) return false;
    set.angleUnits = std::get<std::int16_t>(value);
    return true;
  }
  return std::nullopt;
}

std::wstring WorkingFolder() {
  std::wstring folder = CurrentFolder().value_or(L"");
  if (folder.empty()) return std::wstring();
  if (folder.empty() || folder.back() != L'/') folder += L'/';
  return folder;
}

SysVarValue CurrentValue(const std::wstring& key, const Variable& var) {
  State& s = Vars();
  auto bound = s.bindings.find(key);
  if (bound != s.bindings.end() && bound->second.get) return bound->second.get();
  if (std::optional<SysVarValue> drawing = DrawingValue(key)) return *drawing;
  if (key == L"CPROFILE") return CurrentProfileName();
  auto it = s.values.find(key);
  if (it != s.values.end()) return it->second;
  if (key == L"DWGPREFIX") return WorkingFolder();
  return var.initial;
}

// The value converted to the variable's type, or nothing when it cannot be.
std::optional<SysVarValue> Coerce(SysVarType type, const SysVarValue& value) {
  switch (type) {
    case SysVarType::kShort:
      if (auto* v = std::get_if<std::int16_t>(&value)) return *v;
      return std::nullopt;
    case SysVarType::kReal:
      if (auto* v = std::get_if<double>(&value)) return *v;
      if (auto* v = std::get_if<std::int16_t>(&value)) return static_cast<double>(*v);
      return std::nullopt;
    case SysVarType::kText:
      if (auto* v = std::get_if<std::wstring>(&value)) return *v;
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

double SysVarResult::Number() const {
  if (auto* v = std::get_if<std::int16_t>(&value)) return *v;
  if (auto* v = std::get_if<double>(&value)) return *v;
  return 0.0;
}

std::int16_t SysVarResult::Short() const {
  if (auto* v = std::get_if<std::int16_t>(&value)) return *v;
  return 0;
}

std::wstring SysVarResult::Text() const {
  if (auto* v = std::get_if<std::wstring>(&value)) return *v;
  return std::wstring();
}

SysVarResult GetSystemVariable(std::wstring_view name) {
  const std::wstring key = Key(name);
  auto it = Table().find(key);
  if (it == Table().end() || Fires(key, SysVarOp::kGet)) return SysVarResult{};
  return SysVarResult{Status::kNormal, CurrentValue(key, it->second)};
}

Status SetSystemVariable(std::wstring_view name, const SysVarValue& value) {
  const std::wstring key = Key(name);
  auto it = Table().find(key);
  if (it == Table().end()) return Status::kError;
  std::optional<SysVarValue> typed = Coerce(it->second.type, value);
  if (!typed) return Status::kError;
  State& s = Vars();
  auto bound = s.bindings.find(key);
  const bool has_setter = bound != s.bindings.end() && bound->second.set;
  const bool bound_read_only = bound != s.bindings.end() && bound->second.get && !has_setter;
  if ((it->second.read_only && !has_setter) || bound_read_only) return Status::kError;
  if (FaultFires(FaultPoint::SetSystemVariable) || Fires(key, SysVarOp::kSet)) return Status::kError;
  if (has_setter) return bound->second.set(*typed) ? Status::kNormal : Status::kError;
  if (std::optional<bool> drawing = SetDrawingValue(key, *typed))
    return *drawing ? Status::kNormal : Status::kError;
  s.values[key] = *typed;
  return Status::kNormal;
}

Status SetSystemVariable(std::wstring_view name, int value) {
  SysVarType type;
  if (!SystemVariableType(name, &type)) return Status::kError;
  if (type == SysVarType::kReal) return SetSystemVariable(name, SysVarValue(static_cast<double>(value)));
  if (value < INT16_MIN || value > INT16_MAX) return Status::kError;
  return SetSystemVariable(name, SysVarValue(static_cast<std::int16_t>(value)));
}

Status SetSystemVariable(std::wstring_view name, const wchar_t* value) {
  return SetSystemVariable(name, SysVarValue(std::wstring(value ? value : L"")));
}

bool SystemVariableType(std::wstring_view name, SysVarType* type) {
  auto it = Table().find(Key(name));
  if (it == Table().end()) return false;
  if (type) *type = it->second.type;
  return true;
}

std::vector<std::wstring> SystemVariableNames() {
  std::vector<std::wstring> names;
  for (const auto& [name, var] : Table()) names.push_back(name);
  return names;
}

void FailSystemVariable(std::wstring_view name, SysVarOp op, int succeed, int fail) {
  Vars().faults[{Key(name), op}] = Fault{succeed < 0 ? 0 : succeed, fail};
}

void BindSystemVariable(std::wstring_view name, SysVarBinding binding) {
  Vars().bindings[Key(name)] = std::move(binding);
}

void ResetSystemVariables() { Vars() = State(); }

}  // namespace host
