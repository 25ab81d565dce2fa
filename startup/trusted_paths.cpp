#include "startup/trusted_paths.h"

#include <cwchar>
#include <string>
#include <string_view>

#include "common/cad/support_folders.h"
#include "host/editor/command_line.h"
#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"

namespace {

constexpr int kFirstReleaseWithTrustedPaths = 19;

bool IsBlank(std::wstring_view text) { return text.find_first_not_of(L" \t") == std::wstring_view::npos; }

}  // namespace

void AddTrustedPaths() {
  host::SysVarResult version = host::GetSystemVariable(L"ACADVER");
  if (!version.ok()) return;
  if (std::wcstol(version.Text().c_str(), nullptr, 10) < kFirstReleaseWithTrustedPaths) return;

  host::SysVarResult trusted = host::GetSystemVariable(L"TRUSTEDPATHS");
  if (!trusted.ok()) return;
  const std::wstring old = trusted.Text();

  if (host::FindTrustedFile(L"duzizov.dcl") && host::FindTrustedFile(L"derivavi.dwg")) return;

  wchar_t program[kMaxPath];
  wchar_t settings[kMaxPath];
  if (FindProgramFolder(program) == nullptr || GetLocalSupportFolder(settings) == nullptr) return;

  std::wstring value;
  if (!host::PathListHasFolder(old, settings)) value += std::wstring(settings) + L";";
  if (!host::PathListHasFolder(old, program) && !host::PathListHasFolder(value, program)) value += std::wstring(program) + L";";
  if (value.empty()) return;
  if (!IsBlank(old)) value += old;

  if (host::SetSystemVariable(L"TRUSTEDPATHS", host::SysVarValue(value)) == host::Status::kNormal)
    host::Print(L"\nOrvane paths added to trusted paths.\n");
  else
    host::Print(L"\nWarning: Could not add Orvane paths to trusted paths.....\n");
}
