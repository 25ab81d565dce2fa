#include "common/cad/sysvar_save.h"

#include <array>
#include <cstdint>

#include "host/editor/system_variables.h"

namespace {

// Saved in this order and written back in it.
constexpr std::array<const wchar_t*, 8> kSavedNames = {
    L"EXPERT", L"CMDECHO", L"OSMODE", L"UCSICON", L"CLAYER", L"CECOLOR", L"CELTYPE", L"HIGHLIGHT"};

struct Setting {
  const wchar_t* name;
  std::int16_t value;
};
constexpr std::array<Setting, 4> kSettings = {
    {{L"EXPERT", 5}, {L"CMDECHO", 0}, {L"OSMODE", 0}, {L"HIGHLIGHT", 1}}};

struct SavedSet {
  std::array<host::SysVarValue, kSavedNames.size()> values;
  bool saved = false;
};

SavedSet& Saved() {
  static SavedSet saved;
  return saved;
}

const host::SysVarValue* SavedValueOf(const wchar_t* name) {
  for (std::size_t i = 0; i < kSavedNames.size(); ++i) {
    if (std::wstring_view(kSavedNames[i]) == name) return &Saved().values[i];
  }
  return nullptr;
}

bool SaveAndSet(const std::array<bool, kSettings.size()>& wanted) {
  SavedSet& set = Saved();
  set.saved = false;
  for (std::size_t i = 0; i < kSavedNames.size(); ++i) {
    host::SysVarResult read = host::GetSystemVariable(kSavedNames[i]);
    if (!read.ok()) return false;
    set.values[i] = read.value;
  }
  // A setting that fails part-way puts back the ones already made, so that
  // a failed save leaves the user's state as it was.
  for (std::size_t i = 0; i < kSettings.size(); ++i) {
    if (!wanted[i]) continue;
    const host::SysVarValue value(kSettings[i].value);
    if (host::SetSystemVariable(kSettings[i].name, value) != host::Status::kNormal) {
      for (std::size_t j = 0; j < i; ++j) {
        if (wanted[j]) {
          (void)host::SetSystemVariable(kSettings[j].name, *SavedValueOf(kSettings[j].name));
        }
      }
      return false;
    }
  }
  set.saved = true;
  return true;
}

}  // namespace

bool SaveAndSetSysVars() { return SaveAndSet({true, true, true, true}); }

bool SaveAndSetSysVarsSelective(bool setExpert, bool setCmdEcho, bool setOsMode,
                                bool setHighlight) {
  return SaveAndSet({setExpert, setCmdEcho, setOsMode, setHighlight});
}

bool RestoreSysVars() {
  SavedSet& set = Saved();
  if (!set.saved) return true;
  set.saved = false;
  for (std::size_t i = 0; i < kSavedNames.size(); ++i) {
    if (host::SetSystemVariable(kSavedNames[i], set.values[i]) != host::Status::kNormal) {
      return false;
    }
  }
  return true;
}
