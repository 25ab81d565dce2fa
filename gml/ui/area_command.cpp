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

// The line that says which entities with an area value were left out, and
// why: the further pieces (inner rings, a second copy) of an area whose
// value was added once.
std::wstring LeftOutLine(long pieces) {
  if (pieces <= 0) return L"";
  wchar_t text[200];
  std::swprintf(text, 200,
                pieces == 1 ? L"\n%li entity left out: a further piece of an area already counted"
                            : L"\n%li entities left out: further pieces of areas already counted",
                pieces);
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
  long pieces = 0;      // outlines of a TOID counted already
  long toidOnly = 0;    // outlines that hold no area value: imported with the TOID only
  (void)ScanSelection(set.value, L"Scanning...", ScanSlot::kToid, viewer,
                      [&](const ShowOSGmlXdata& record, host::EntityName) {
                        if (record.Kind() != L"5") return ScanStep::kGoOn;
                        const std::wstring& area = OsItem(record, 0x0C);
                        if (area.empty()) {
                          if (record.HoldsToidOnly()) ++toidOnly;
                          return ScanStep::kGoOn;
                        }
                        if (!toids.insert(record.Toid()).second) {
                          ++pieces;
                          return ScanStep::kGoOn;
                        }
                        sum += std::wcstod(area.c_str(), nullptr);
                        ++counted;
                        return ScanStep::kGoOn;
                      });
  (void)host::FreeSelectionSet(set.value);
  std::wstring message = AreaMessage(sum, n - pieces, counted) + (sum > 0 ? LeftOutLine(pieces) : L"");
  if (toidOnly > 0) message += ToidOnlyNote(toidOnly, L"area", L"areas", L"area values");
  (void)host::ui::ShowMessageBox(message, L"");
}
