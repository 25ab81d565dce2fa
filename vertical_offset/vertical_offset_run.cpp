#include "vertical_offset/vertical_offset_run.h"

#include <cmath>
#include <optional>
#include <string>

#include "common/containers/line_reader.h"
#include "common/support_finders/support_finders.h"
#include "common/cad/sysvar_save.h"
#include "common/containers/text.h"
#include "host/db/values.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/host_commands.h"
#include "host/editor/point_prompts.h"
#include "host/editor/prompts.h"
#include "host/editor/selection.h"
#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"
#include "host/editor/units.h"
#include "host/lisp/call.h"
#include "host/system/files.h"
#include "host/system/wide_text.h"
#include "vertical_offset/section_file.h"
#include "vertical_offset/section_xdata.h"

namespace {

constexpr wchar_t kNoSupportFolder[] =
    L"Error: Path to LarchWOOD-HILL support directory not found.\n\nCheck one or both of the "
    L"following:\n\n1) LarchWOOD-HILL installation\n2) AutoCAD setting Tools/Options/[Files] "
    L"Support File Search Path";

struct Module {
  SectionRecord record;
  host::SelectionSetId workSet = 0;
  VmrSettings settings;
  wchar_t supportFolder[kFinderFolderSize] = {};
  bool run = true;
  bool move = false;
};

Module& State() {
  static Module module;
  return module;
}

void EmptyWorkSet() {
  Module& m = State();
  if (m.workSet != 0) (void)host::FreeSelectionSet(m.workSet);
  m.workSet = host::NewSelectionSet();
}

void FreeWorkSet() {
  Module& m = State();
  if (m.workSet != 0) (void)host::FreeSelectionSet(m.workSet);
  m.workSet = 0;
}

host::Status CopyAnswer(const host::Input<std::wstring>& answer, wchar_t* result,
                        std::size_t capacity) {
  if (answer.ok()) CopyField(result, capacity, answer.value);
  return answer.status;
}

// The datum-line loop: true once a long or cross section is picked; false
// when the user declines the pick.
bool PickSection(SectionRecord& record, SectionIdentity& identity) {
  double datumX = 0.0;
  double datumY = 0.0;
  for (;;) {
    host::Input<host::EntityPick> pick =
        host::PickEntity(L"\nSelect a section by picking it's Datum Line...");
    if (!pick.ok()) return false;
    if (!ReadSectionDatumXdata(pick.value.entity, record, identity, datumX, datumY)) {
      host::Print(L"\nNo Section Data Found From This Entity!");
      continue;
    }
    if (identity.kind == 1) {
      wchar_t chainage[64] = {};
      (void)RealToString(identity.chainage, -1, -1, chainage, 64);
      host::Printf(L"\nLar Cross Section at %ls selected...", chainage);
      return true;
    }
    if (identity.kind == 0) {
      host::Print(L"\nLar Long Section selected...");
      return true;
    }
  }
}

// Steps 4 to 11 of the run, between saving and restoring the variables.
int OffsetSelection() {
  Module& m = State();
  LoadVmrSettings();
  host::Printf(L"\n%ls  --  Vertical Polyline Offset.", m.settings.applicationName.c_str());

  SectionIdentity identity;
  double datumX = 0.0;
  double datumY = 0.0;
  if (!ReadSectionFile(m.record, identity, datumX, datumY))
    m.run = PickSection(m.record, identity);

  if (m.run) {
    // A word that is neither keyword is refused and asked again: a slip
    // never passes for the default.
    const host::Input<std::wstring> answer =
        host::GetKeyword(L"\nMove or Copy? Move / <Copy>: ", {L"Move", L"Copy"});
    if (answer.status != host::Status::kNormal)
      m.run = false;
    else
      m.move = answer.value == L"Move";
  }
  double offset = 0.0;
  if (m.run) {
    host::Input<double> real = host::GetReal(L"\nVertical offset: ");
    m.run = real.ok();
    offset = real.value;
  }
  if (m.run) {
    host::Input<host::SelectionSetId> set = host::SelectEntities();
    m.run = set.ok();
    if (m.run) {
      FreeWorkSet();
      m.workSet = set.value;
    }
  }
  if (m.run && !MoveOrCopyVertically(m.move, offset)) return kRunOffsetOutOfRange;
  return 0;
}

}  // namespace

SectionRecord& CurrentSectionRecord() { return State().record; }
const VmrSettings& CurrentVmrSettings() { return State().settings; }

void LarVerticalPolylineOffset() {
  const int result = RunVerticalOffset();
  if (result != 0) host::Print(L"\nVertical Offset Canceled.");
  host::lisp::Return(host::lisp::Value::Integer(result));
}

int RunVerticalOffset() {
  Module& m = State();
  m.run = true;
  m.move = false;
  EmptyWorkSet();
  if (FindVmrSupportFolder(m.supportFolder) == nullptr) {
    host::Alert(kNoSupportFolder);
    FreeWorkSet();
    return kRunNoSupportFolder;
  }
  if (!SaveAndSetSysVars()) {
    FreeWorkSet();
    return kRunSysVarsFailed;
  }
  const int result = OffsetSelection();
  FreeWorkSet();
  (void)RestoreSysVars();
  FreeSectionSubRecords(m.record);
  return result;
}

double VerticalShift(const SectionRecord& record, double offset) {
  const double horizontal = record.reals[1];  // "13"
  const double vertical = record.reals[2];    // "14"
  const double ratio = vertical > 1e-05 ? horizontal / vertical : 1.0;
  return ratio * offset;
}

bool MoveOrCopyVertically(bool move, double offset) {
  const double d = VerticalShift(State().record, offset);
  if (!std::isfinite(d) || std::fabs(d) > kMaxVerticalShift) return false;
  const host::CommandSelection selection{State().workSet};
  const host::db::Point3 base{0, 0, 0};
  const host::db::Point3 second{0, d, 0};
  if (move)
    (void)host::RunHostCommand({std::wstring(L"_MOVE"), selection, std::wstring(L""), base, second});
  else
    (void)host::RunHostCommand({std::wstring(L"_copy"), selection, std::wstring(L""), base, second});
  return true;
}

void LoadVmrSettings() {
  Module& m = State();
  m.settings = VmrSettings{};
  LineReader reader(std::wstring(FieldText(m.supportFolder)) + L"vmr.ini", 511);
  bool inBlock = false;
  std::string line;
  while (reader.Next(&line)) {
    if (host::SameIgnoringAsciiCase(line, "*VMRGEN general parameters start")) {
      inBlock = true;
    } else if (host::SameIgnoringAsciiCase(line, "*VMRGEN general parameters end")) {
      inBlock = false;
    } else if (inBlock && host::SameIgnoringAsciiCase(line, "**VMRGEN Default working directory")) {
      if (reader.Next(&line)) m.settings.workingDirectory = NarrowToWide(line);
    } else if (inBlock && host::SameIgnoringAsciiCase(line, "**VMRGEN Application name")) {
      if (reader.Next(&line)) m.settings.applicationName = NarrowToWide(line);
    }
  }
}

host::Status FindSupportFile(const wchar_t* name, wchar_t* result, std::size_t capacity) {
  std::optional<std::wstring> found = host::FindFile(name);
  if (!found) return host::Status::kError;
  CopyField(result, capacity, *found);
  return host::Status::kNormal;
}

host::Status RealToString(double value, int unitMode, int precision, wchar_t* result,
                          std::size_t capacity) {
  return CopyAnswer(host::RealToString(value, unitMode, precision), result, capacity);
}

host::Status GetUserString(bool allowBlanks, const wchar_t* prompt, wchar_t* result,
                           std::size_t capacity) {
  return CopyAnswer(host::GetString(allowBlanks, prompt), result, capacity);
}

int SelectPolyline() {
  Module& m = State();
  host::Print(L"\nSELECT A POLYLINE...");
  const host::db::EntityList filter = {
      {0, L"POLYLINE"}, {-4, L"<or"}, {70, 0},     {70, 8},
      {70, 128},        {70, 136},    {-4, L"or>"}};
  host::Input<host::SelectionSetId> set = host::SelectEntities(filter);
  if (set.status == host::Status::kCancel) {
    EmptyWorkSet();
    return 0;
  }
  if (!set.ok()) {
    const int errno_value = host::GetSystemVariable(L"ERRNO").Short();
    if (errno_value != 0) host::Printf(L"\nError! (AutoCAD) ERRNO: %i", errno_value);
    return 0;
  }
  FreeWorkSet();
  m.workSet = set.value;
  const int length = host::SelectionSetLength(m.workSet).value;
  if (length > 1) host::Print(L"\nMore than one entity selected -> only the first one counts...");
  return length > 0 ? 1 : 0;
}
