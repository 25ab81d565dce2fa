// The demonstration run of ./dev demo: the reading run of the import in
// count mode over OS MasterMap GML files (the built-in example, or the files
// named on the command line), with the per-kind counts as the import dialog
// shows them: kept/seen. The settings and the property filter's catalogue
// come from the support folder `support/` of the current folder, as the
// import finds them on the support path.
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "host/editor/support_path.h"

namespace {

bool AddFile(OSGMLInputView& view, const char* path) {
  if (!view.AppendInputFile(path)) {
    std::fprintf(stderr, "%s: cannot be read\n", path);
    return false;
  }
  const auto& file = static_cast<const GmlInputFile*>(view.inputFiles.data)[view.inputFiles.count - 1];
  if (file.description[0] == 0 && file.queryTime[0] == 0)
    std::fprintf(stderr, "%s: no OS MasterMap header found\n", path);
  std::printf("%-28s %10.0f bytes%s  %s\n", file.name, file.size,
              file.spillCoordinates ? " (gzip)" : "", file.description);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: varnel_demo FILE.gml|FILE.gml.gz ...\n");
    return 2;
  }
  // The support folder goes on the support path before the view exists: its
  // property filter looks for its catalogue there when it is made.
  const std::filesystem::path support = std::filesystem::absolute("support");
  const std::filesystem::path settingsFile = support / "lwh_gml.ini";
  const bool haveSettings = std::filesystem::is_regular_file(settingsFile);
  if (haveSettings)
    host::SetSupportPath({support.wstring()});
  else
    std::fprintf(stderr, "%s: not found; reading with the default settings\n",
                 settingsFile.string().c_str());
  OSGMLInputView view;
  if (haveSettings) (void)view.settings.LoadSettings(settingsFile.wstring(), true);
  for (int i = 1; i < argc; ++i)
    if (!AddFile(view, argv[i])) return 1;
  view.SortInputFiles();

  struct Counts {
    std::int32_t kept[9], seen[9];
    double keptArea, totalArea;
  };
  auto take = [&view]() {
    return Counts{{view.keptLines, view.keptPoints, view.keptSymbols, view.keptTexts,
                   view.keptAreas, view.keptRoads, view.keptRoadLinks, view.keptRoadNodes,
                   view.keptAddressPoints},
                  {view.seenLines, view.seenPoints, view.seenSymbols, view.seenTexts,
                   view.seenAreas, view.seenRoads, view.seenRoadLinks, view.seenRoadNodes,
                   view.seenAddressPoints},
                  view.keptAreaValue, view.totalAreaValue};
  };
  // Count, as the dialog's Count button runs it (lines are what it reads),
  // then the reading run of an import, which keeps every class.
  const int counted = view.ProcessGmlFiles(0, L"Stop count", 1);
  const Counts count = take();
  const int read = view.ProcessGmlFiles(1, L"Stop draw", 0);
  const Counts import = take();

  const char* labels[9] = {"Lines", "Points",   "Symbols",  "Text", "Polygons",
                           "Roads", "Rd Links", "Rd Nodes", "Addr"};
  std::printf("\n%-10s %-12s %s\n", "", "Count", "Import");
  for (int i = 0; i < 9; ++i) {
    char a[32], b[32];
    std::snprintf(a, sizeof a, "%ld/%ld", static_cast<long>(count.kept[i]),
                  static_cast<long>(count.seen[i]));
    std::snprintf(b, sizeof b, "%ld/%ld", static_cast<long>(import.kept[i]),
                  static_cast<long>(import.seen[i]));
    std::printf("%-10s %-12s %s\n", labels[i], a, b);
  }
  std::printf("%-10s %-12s %.0fm2/%.0fm2\n", "Areas", "", import.keptArea, import.totalArea);
  std::printf("\nfeatures stored for drawing: %ld; extent %.3f,%.3f to %.3f,%.3f\n",
              static_cast<long>(view.CountAllFeatures()), view.readMinX, view.readMinY,
              view.readMaxX, view.readMaxY);
  // A file cut short was read as far as it went; the run says so by its end.
  if (view.incompleteFiles > 0)
    std::fprintf(stderr, "%ld file(s) ended early: the counts are of what they held up to there\n",
                 static_cast<long>(view.incompleteFiles));
  return counted == 1 && read == 1 && view.incompleteFiles == 0 ? 0 : 1;
}
