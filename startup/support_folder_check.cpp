#include "startup/support_folder_check.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include "common/cad/support_folders.h"
#include "common/containers/text.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/system_variables.h"
#include "host/system/environment.h"
#include "host/system/files.h"
#include "host/system/registry.h"
#include "startup/profile_switch.h"
#include "startup/support_copy.h"
#include "startup/support_path_entries.h"
#include "startup/trusted_paths.h"

namespace {

constexpr const wchar_t* kLocalFolderLevels[] = {L"LarchWOOD-HILL", L"Orvane", L"3.25", L"support"};
constexpr wchar_t kProgramSupportFolder[] = L"support";

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool Exists(const std::wstring& path) { return host::CanRead(path); }

// A version as the messages show it: four decimals.
std::wstring VersionText(double version) {
  wchar_t text[64];
  std::swprintf(text, sizeof text / sizeof text[0], L"%.4lf", version);
  return text;
}

// Writes the marker that tells a local support folder set up earlier.
bool WriteMarker(const std::wstring& folder) {
  std::optional<std::string> path = host::NativePath(folder + kLocalSupportMarker);
  if (!path) return false;
  std::FILE* file = std::fopen(path->c_str(), "w");
  if (file == nullptr) return false;
  const std::string text = WideToNarrow(folder) + "\n\nThis folder is used by Orvane as local support folder.";
  const bool written = std::fputs(text.c_str(), file) >= 0;
  return std::fclose(file) == 0 && written;
}

// Creates the local folder level by level; a level that exists is no error.
bool CreateLocalFolder(std::wstring_view appData, std::wstring* folder) {
  std::wstring path(appData);
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  for (const wchar_t* level : kLocalFolderLevels) {
    path += host::kPathSeparator;
    path += level;
    if (host::CreateFolder(path) == host::CreateFolderResult::kFailed && !host::IsDirectory(path)) {
      *folder = path;
      return false;
    }
  }
  *folder = path;
  return host::IsDirectory(path);
}

// The update of a folder set up earlier, when the program's version is newer.
void CheckVersion(const std::wstring& userFolder) {
  double local = ReadSupportVersion(userFolder + kVersionFileName);
  double program = -1.0;
  host::Print(L" It's OK, checking version...");

  wchar_t programFolder[kMaxPath];
  std::wstring programSupport;
  bool programRead = false;
  if (FindProgramFolder(programFolder) == nullptr) {
    host::Print(L"\nVersion check was inconclusive: LWH program folder not found.\n");
  } else {
    programSupport = std::wstring(programFolder) + kProgramSupportFolder + host::kPathSeparator;
    const std::wstring versionFile = programSupport + kVersionFileName;
    if (!Exists(versionFile)) {
      host::Printf(L"\nVersion check was inconclusive: File %ls was not found.\n", versionFile.c_str());
    } else {
      program = ReadSupportVersion(versionFile);
      programRead = true;
    }
  }

  // Without the program's version file there is nothing to update from.
  if (!programRead || !(program > local)) {
    host::Print(L" OK too.");
    return;
  }
  host::Print(L" update required.");
  std::wstring destination = userFolder;
  bool menuChanged = false;
  int failed = 0;
  const int copied = CopySupportFiles(programSupport, destination, kSupportCopyUpdate, &menuChanged, &failed);
  if (failed > 0) {
    host::Printf(failed == 1 ? L"\nWarning: %i Orvane support file could not be updated, the update will be tried "
                               L"again.\n"
                             : L"\nWarning: %i Orvane support files could not be updated, the update will be tried "
                               L"again.\n",
                 failed);
    return;
  }
  if (copied == 0) return;
  host::Print(L"\nSupport files updated from v." + VersionText(local) + L" to v." + VersionText(program) + L".");
  if (menuChanged) {
    host::Alert(L"Orvane Updated.");
    const std::wstring text = L"Orvane Support files updated from v." + VersionText(local) + L" to v." +
                             VersionText(program) +
                             L"\n\nA new Orvane Menu was also installed, please run \"MENULOAD\" command\nand "
                             L"reload Orvane menu.";
    host::Alert(text);
  }
}

// The first set-up: the local folder, its files, the marker and the support
// path. True when the support path was rewritten. `transaction` holds the
// registry store from the check that asked for the set-up; it ends before
// the closing message waits for the user.
bool AdjustSupportPath(std::optional<host::RegistryTransaction>* transaction) {
  host::SysVarResult cprofile = host::GetSystemVariable(L"CPROFILE");
  if (!cprofile.ok()) {
    host::Print(L"\nWarning: (1) Could not figure the current AutoCAD profile name.....");
    return false;
  }
  const std::wstring profile = cprofile.Text();

  ProfileSwitch profileSwitch(profile);
  // Every way out below makes the user's profile current again.
  auto fail = [&](const std::wstring& warning) {
    host::Print(warning);
    if (!profileSwitch.Restore())
      host::Printf(L"\nWarning: (10) Could not make AutoCAD profile %ls current again.....", profile.c_str());
    return false;
  };

  std::wstring key;
  if (!profileSwitch.SwitchToTempProfile(&key)) {
    if (key.empty()) return fail(L"\nWarning: (2) Could not figure the current AutoCAD profile name.....");
    return fail(L"\nWarning: (8) Could not switch to a temporary AutoCAD profile.....");
  }
  const std::wstring subkey = SupportPathSubkey(key);
  std::wstring supportPath;
  if (subkey.empty() || !ReadProfileSupportPath(&supportPath, subkey))
    return fail(L"\nWarning: (3) Could not find AutoCAD support search path.....");

  std::vector<std::wstring> entries;
  int programEntry = -1;
  const int count = SplitSupportPath(supportPath, &entries, &programEntry);
  if (count == 0 || programEntry < 0) {
    std::wstring warning = L"\nWarning: (4) Could not find Orvane paths (" + std::to_wstring(count) +
                           L") paths found, Orvane = " + std::to_wstring(programEntry) + L"\n" + supportPath +
                           L" .....";
    return fail(warning);
  }

  std::optional<std::wstring> appData = host::GetEnvironmentVariable(L"appdata");
  if (!appData || appData->empty()) return fail(L"\nWarning: (5) Could not find Windows appdata variable.....");

  std::wstring localFolder;
  const bool created = CreateLocalFolder(*appData, &localFolder);
  std::wstring source = entries[static_cast<std::size_t>(programEntry)];
  int failed = 0;
  const int copied = created ? CopySupportFiles(source, localFolder, kSupportCopyFirst, nullptr, &failed) : 0;
  if (!created || failed > 0 || copied == 0)
    return fail(L"\nWarning: (6) Could not find copy Orvane support files.....");

  if (!WriteMarker(localFolder)) return fail(L"\nWarning: (7) Could not create is_local_support_dir.txt.....");

  if (!WriteProfileSupportPath(NewSupportPath(localFolder, entries, programEntry), subkey))
    return fail(L"\nWarning: (9) Could not write AutoCAD support search path.....");
  if (!profileSwitch.Restore()) {
    host::Printf(L"\nWarning: (10) Could not make AutoCAD profile %ls current again.....", profile.c_str());
    return false;
  }
  transaction->reset();

  const std::wstring text = L"Orvane Support files copied to " + localFolder +
                           L" during final setup.\n\nNow please use \"menuload <Enter>\" command on AutoCAD's "
                           L"command prompt to load Orvane menu. At \"File name\" field type \"Orvane.mnu\" and "
                           L"click the \"Load\" button.";
  host::Alert(text);
  return true;
}

}  // namespace

double ReadSupportVersion(std::wstring_view path) {
  std::optional<std::string> native = host::NativePath(path);
  if (!native) return -1.0;
  std::FILE* file = std::fopen(native->c_str(), "r");
  if (file == nullptr) return -1.0;
  char line[1024];
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  return read ? std::atof(line) : -1.0;
}

bool RunSupportFolderCheck() {
  host::Print(L"\nChecking Orvane user support folder...");
  bool needsAdjustment = false;
  bool adjusted = false;

  // Another session loading a drawing at the same moment does its check
  // before or after this one's, never between: a second set-up would be
  // made on the profile the first is rewriting.
  std::optional<host::RegistryTransaction> transaction(std::in_place);
  wchar_t userFolder[kMaxPath];
  if (GetVmrSupportFolder(userFolder) != nullptr) {
    if (Exists(std::wstring(userFolder) + kLocalSupportMarker)) {
      transaction.reset();
      CheckVersion(userFolder);
    } else {
      needsAdjustment = true;
      host::Print(L" Needs adjustment....");
      adjusted = AdjustSupportPath(&transaction);
    }
  }
  transaction.reset();

  if (adjusted) host::Print(L"\nOrvane user support folder adjusted OK.\n");
  if (adjusted || !needsAdjustment)
    AddTrustedPaths();
  else
    host::Print(L" Problems with user support folder adjustment.\n");
  return adjusted;
}

int RunStartupCheck() {
  (void)RunSupportFolderCheck();
  return 1;
}
