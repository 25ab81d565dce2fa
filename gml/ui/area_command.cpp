// lwhgmlra: the OS area values of a selection added up.
#include <cstdio>
#include <cwchar>
#include <set>
#include <string>

#include "gml/ui/entity_scan.h"
#include "gml/ui/varnel_commands.h"
#include "host/editor/command_line.h"
#include "host/ui/message_box.h"

namespace {

std::wstring AreaMessage(double sum, long n, long i) {
  wchar_t text[300];
  const long k = n - i;
  if (sum <= 0) return L"No area info found";
  if (i == n) {
    std::swprintf(text, 300,
                  n == 1 ? L"Area = %.0lf sq. metres from %li entity" : L"Area = %.0lf sq. metres from %li entities",
                  sum, n);
  } else {
    const wchar_t* format =
        i == 1 ? (k == 1 ? L"Area = %.0lf sq. metres from %li entity (but %li entity did not have OS area info)"
                         : L"Area = %.0lf sq. metres from %li entity (but %li entities did not have OS area info)")
               : (k == 1 ? L"Area = %.0lf sq. metres from %li entities (but %li entity did not have OS area info)"
                         : L"Area = %.0lf sq. metres from %li entities (but %li entities did not have OS area "
                           L"info)");
    std::swprintf(text, 300, format, sum, i, k);
  }
  return text;
}

}  // namespace

void AreaCommand() {
  host::Print(L"\nSelect objects...");
  const host::Input<host::SelectionSetId> set = host::SelectEntities();
  if (!set.ok()) return;
  const host::Input<std::int32_t> length = host::SelectionSetLength(set.value);
  const long n = length.ok() ? length.value : 0;

  // Only area outlines (kind 5) are summed, each TOID once: a road link's
  // item 0C is its length, and every ring of an area carries the area's
  // value.
  ShowOSGmlXdata viewer;
  std::set<std::wstring> toids;
  double sum = 0;
  long counted = 0;
  (void)ScanSelection(set.value, L"Scanning...", ScanSlot::kArea, viewer,
                      [&](const ShowOSGmlXdata& record, host::EntityName) {
                        const std::wstring& kind = OsItem(record, 0x0B);
                        if (kind.empty() || kind[0] != L'5') return ScanStep::kGoOn;
                        if (!toids.insert(OsItem(record, 0x01)).second) return ScanStep::kGoOn;
                        sum += std::wcstod(OsItem(record, 0x0C).c_str(), nullptr);
                        ++counted;
                        return ScanStep::kGoOn;
                      });
  (void)host::FreeSelectionSet(set.value);
  (void)host::ui::ShowMessageBox(AreaMessage(sum, n, counted), L"");
}
