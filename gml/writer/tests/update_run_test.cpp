// The change-only update end to end: the example data read and drawn, then
// updated with its change-only file, against a fresh import of the state
// after the change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "gml/reader/osgml_input_view.h"
#include "gml/writer/feature_pass.h"
#include "gml/writer/symbol_planting.h"
#include "host/system/clock.h"
#include "gml/writer/tests/pass_fixture.h"
#include "gml/writer/tests/writer_fixture.h"

using namespace pass_test;

namespace {

class UpdateRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                        ("gml_writer_update_" + std::to_string(getpid())));
    std::filesystem::create_directories(*folder_);
    const char* python =
        std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    writer_test::RunCommand(std::string(python) + " '" + std::string(VARNEL_SOURCE_DIR) +
                            "/tools/make_example_data.py' '" + folder_->string() + "'");
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(*folder_, ignored);
    delete folder_;
    folder_ = nullptr;
  }

  // A reading run of the example files named `suffix` ("", "-changes",
  // "-final").
  static std::unique_ptr<OSGMLInputView> Read(const std::string& suffix, bool update) {
    auto view = std::make_unique<OSGMLInputView>();
    view->updateMode = update ? 1 : 0;
    for (const char* name : {"example-topo", "example-itn"}) {
      const std::string path = (*folder_ / (name + suffix + ".gml")).string();
      EXPECT_TRUE(view->AppendInputFile(path.c_str())) << path;
    }
    EXPECT_EQ(view->ProcessGmlFiles(1, L"Stop draw", 0), 1);
    return view;
  }

  static void Configure(OS_GML_ACAD_Definitions& settings, int saveDeparted) {
    settings.markTermBesidePoint = 1;  // points and their labels share a TOID
    settings.markTermBesideSymbol = 1;
    settings.saveDepartedFeatures = saveDeparted;
  }

  // One pass of a run of its own over `view`'s lists.
  static std::unique_ptr<FeatureDrawingRun> PassOver(PassDrawing& drawing, const OSGMLInputView& view,
                                                     bool update) {
    auto run = std::make_unique<FeatureDrawingRun>(drawing.settings);
    run->StartRun();
    EXPECT_TRUE(drawing.Pass(*run, FeatureListsOf(view), update));
    return run;
  }

  static std::filesystem::path* folder_;
};
std::filesystem::path* UpdateRun::folder_ = nullptr;

template <typename Record, typename List>
std::set<std::string> Toids(const List& list, const char* (*toid)(const Record&)) {
  std::set<std::string> out;
  for (std::int32_t i = 0; i < list.count; ++i) {
    Record r{};
    if constexpr (std::is_same_v<List, PagedGrowArray>)
      EXPECT_TRUE(PagedGrowArrayGet(&list, i, &r));
    else
      EXPECT_TRUE(GrowArrayGet(&list, i, &r));
    out.insert(toid(r));
  }
  return out;
}

// How many of `changed` the full file held already.
std::int32_t Revised(const std::set<std::string>& full, const std::set<std::string>& changed) {
  std::int32_t n = 0;
  for (const std::string& t : changed) n += full.count(t) != 0 ? 1 : 0;
  return n;
}

std::vector<std::string> Without(std::vector<std::string> entities, const std::string& layer) {
  std::erase_if(entities, [&](const std::string& e) {
    return e.find("(8 " + layer + ")") != std::string::npos;
  });
  return entities;
}

TEST_F(UpdateRun, ImportThenUpdateEqualsAFreshImportOfTheFinalState) {
  const auto full = Read("", false);
  const auto changes = Read("-changes", true);
  const auto final = Read("-final", false);
  ASSERT_GT(changes->departedToids.count, 0);
  ASSERT_GT(changes->points.count + changes->texts.count + changes->areas.count, 0);

  for (int saveDeparted : {0, 1}) {
    SCOPED_TRACE(saveDeparted);
    std::vector<std::string> fresh;
    {
      PassDrawing drawing;
      Configure(drawing.settings, saveDeparted);
      FeatureDrawingRun run{drawing.settings};
      run.StartRun();
      ASSERT_TRUE(drawing.Pass(run, FeatureListsOf(*final), false));
      fresh = Drawing(drawing.db);
    }
    PassDrawing drawing;
    Configure(drawing.settings, saveDeparted);
    FeatureDrawingRun import{drawing.settings};
    import.StartRun();
    ASSERT_TRUE(drawing.Pass(import, FeatureListsOf(*full), false));
    const std::size_t imported = drawing.db.EntitiesIn(drawing.db.ModelSpace()).size();

    FeatureDrawingRun update{drawing.settings};
    update.StartRun();
    ASSERT_TRUE(drawing.Pass(update, FeatureListsOf(*changes), true));
    EXPECT_EQ(Without(Drawing(drawing.db), "Departed Features"), fresh);
    EXPECT_EQ(update.scannedEntities, static_cast<std::int32_t>(imported));

    // Counts: every feature of the change-only file is new or newer.
    auto areaToid = +[](const AreaFeatureRecord& r) {
      return static_cast<const char*>(r.attributes.common.toid);
    };
    auto lineToid =
        +[](const LineFeatureRecord& r) { return static_cast<const char*>(r.common.toid); };
    auto pointToid =
        +[](const PointFeatureRecord& r) { return static_cast<const char*>(r.common.toid); };
    auto textToid =
        +[](const TextFeatureRecord& r) { return static_cast<const char*>(r.common.toid); };
    auto nodeToid = +[](const RoadNodeRecord& r) { return static_cast<const char*>(r.toid); };
    const FeaturePassCounters& c = update.counters;
    EXPECT_EQ(c.polygonsUpdated,
              Revised(Toids(full->areas, areaToid), Toids(changes->areas, areaToid)));
    EXPECT_EQ(c.linesUpdated,
              Revised(Toids(full->lines, lineToid), Toids(changes->lines, lineToid)));
    EXPECT_EQ(c.pointsUpdated,
              Revised(Toids(full->points, pointToid), Toids(changes->points, pointToid)));
    EXPECT_EQ(c.textsUpdated,
              Revised(Toids(full->texts, textToid), Toids(changes->texts, textToid)));
    EXPECT_EQ(c.symbolsUpdated,
              Revised(Toids(full->symbols, pointToid), Toids(changes->symbols, pointToid)) +
                  Revised(Toids(full->roadNodes, nodeToid), Toids(changes->roadNodes, nodeToid)));
    EXPECT_GT(c.pointsUpdated + c.linesUpdated + c.polygonsUpdated, 0);
    EXPECT_NE(update.report.find(
                  L"\n" + std::to_wstring(changes->symbols.count + changes->roadNodes.count) +
                  L" symbols in the file of which " + std::to_wstring(c.symbolsUpdated) +
                  L" in the drawing updated."),
              std::wstring::npos)
        << WideToNarrow(update.report);
    EXPECT_EQ(c.polygonsUpToDate + c.linesUpToDate + c.pointsUpToDate + c.textsUpToDate +
                  c.symbolsUpToDate,
              0);
    // Each departed TOID takes all its entities (a point's label too).
    EXPECT_GE(c.departedHandled, changes->departedToids.count);
    EXPECT_NE(
        update.report.find(std::wstring(L"\nOf ") + std::to_wstring(changes->departedToids.count) +
                           L" Departed Features in the file " + std::to_wstring(c.departedHandled) +
                           L" was"),
        std::wstring::npos)
        << WideToNarrow(update.report);

    // The same file again changes nothing and says so.
    const std::vector<std::string> updated = Drawing(drawing.db);
    FeatureDrawingRun again{drawing.settings};
    again.StartRun();
    ASSERT_TRUE(drawing.Pass(again, FeatureListsOf(*changes), true));
    EXPECT_EQ(Drawing(drawing.db), updated);
    const FeaturePassCounters& a = again.counters;
    EXPECT_EQ(a.polygonsUpdated + a.linesUpdated + a.pointsUpdated + a.textsUpdated +
                  a.symbolsUpdated + a.departedHandled,
              0);
    EXPECT_EQ(a.pointsUpToDate, changes->points.count);
    EXPECT_EQ(a.textsUpToDate, changes->texts.count);
    EXPECT_NE(again.report.find(L" was erased from the drawing.") == std::wstring::npos &&
                      again.report.find(L" was moved to layer") == std::wstring::npos
                  ? std::wstring::npos
                  : again.report.find(L"Departed Features in the file 0 was"),
              std::wstring::npos);
    EXPECT_NE(again.report.find(L"texts not updated because they were already up to date.)"),
              std::wstring::npos);
  }
}

// Symbols planted in every area: 100 a hectare (3 to 7 in an example area),
// no buffers, so each area gets exactly its target whatever the random
// source gives. The clock moves a second every 1000 readings: no symbol
// times out, and none could loop for ever.
struct Planting {
  explicit Planting(OS_GML_ACAD_Definitions& s) : settings(s) {
    settings.plantBlocksInPolygons = 1;
    settings.ClearSymbologySets();
    SymbologySet set{};
    EXPECT_TRUE(GrowArrayCreate(1, sizeof(SymbologySymbol), &set.symbols));
    EXPECT_TRUE(GrowArrayCreate(1, sizeof(SymbologyCondition), &set.conditions));
    SymbologySymbol symbol{};
    CopyField(symbol.block, "Tree");
    CopyField(symbol.layer, "Planted");
    symbol.colour = 3;
    symbol.persistenceLevel = 4;
    symbol.density = 100;
    SymbologyCondition any{};
    CopyField(any.item, "theme");
    CopyField(any.value, "no such theme");
    any.match = 0;
    EXPECT_TRUE(GrowArraySet(&set.symbols, 0, &symbol));
    EXPECT_TRUE(GrowArraySet(&set.conditions, 0, &any));
    EXPECT_TRUE(GrowArraySet(&settings.symbologySets, 0, &set));
    SetPlantingClock([this] { return static_cast<std::time_t>(1000 + readings++ / 1000); });
  }
  ~Planting() {
    SetPlantingClock({});
    settings.ClearSymbologySets();
  }
  OS_GML_ACAD_Definitions& settings;
  long readings = 0;
};

// The drawing with the places of planted symbols left out: which symbols
// each area has (block, layer, its TOID and version) must match, where they
// stand is random.
std::vector<std::string> WithoutSymbolPlaces(std::vector<std::string> entities) {
  static const std::regex place(R"(\(10 [^)]*\))");
  for (std::string& e : entities)
    if (e.find("(1000 0BS)") != std::string::npos) e = std::regex_replace(e, place, "");
  std::sort(entities.begin(), entities.end());
  return entities;
}

// The import run lets each list go as its class is drawn: the drawing and
// the update report come out as when the lists are kept, the lists are empty
// afterwards, and the view reads the files again as before.
TEST_F(UpdateRun, ListsReleasedAsTheyAreDrawnLeaveTheSameDrawingAndReport) {
  std::vector<std::string> keptDrawing;
  std::wstring keptReport;
  {
    const auto full = Read("", false);
    const auto changes = Read("-changes", true);
    PassDrawing drawing;
    Configure(drawing.settings, 1);
    PassOver(drawing, *full, false);
    keptReport = PassOver(drawing, *changes, true)->report;
    keptDrawing = Drawing(drawing.db);
  }
  const auto full = Read("", false);
  const auto changes = Read("-changes", true);
  const std::int32_t features = full->CountAllFeatures();
  ASSERT_GT(full->areas.count, 0);
  ASSERT_GT(full->lines.count, 0);
  PassDrawing drawing;
  Configure(drawing.settings, 1);
  const std::int32_t liveArrays = GrowArrayLiveCount();
  FeatureDrawingRun import{drawing.settings};
  import.StartRun();
  ASSERT_TRUE(drawing.Pass(import, ReleasingFeatureListsOf(*full), false));
  EXPECT_EQ(full->CountAllFeatures(), 0);
  EXPECT_LT(GrowArrayLiveCount(), liveArrays);  // the records' point lists went too
  FeatureDrawingRun update{drawing.settings};
  update.StartRun();
  ASSERT_TRUE(drawing.Pass(update, ReleasingFeatureListsOf(*changes), true));
  EXPECT_EQ(changes->CountAllFeatures() + changes->departedToids.count, 0);
  EXPECT_EQ(update.report, keptReport);
  EXPECT_EQ(Drawing(drawing.db), keptDrawing);

  full->crossFileToids.Clear();  // as between the locations of a batch
  EXPECT_EQ(full->ProcessGmlFiles(1, L"Stop draw", 0), 1);
  EXPECT_EQ(full->CountAllFeatures(), features);
}

TEST_F(UpdateRun, PlantedSymbolsAreRetiredWithTheirArea) {
  const auto full = Read("", false);
  const auto changes = Read("-changes", true);
  const auto final = Read("-final", false);
  ASSERT_GT(changes->areas.count, 0);
  host::SeedRandom(11);

  for (int saveDeparted : {0, 1}) {
    SCOPED_TRACE(saveDeparted);
    std::vector<std::string> fresh;
    {
      PassDrawing drawing;
      Configure(drawing.settings, saveDeparted);
      Planting planting(drawing.settings);
      ASSERT_FALSE(drawing.db.AddBlock(L"Tree").IsNull());
      PassOver(drawing, *final, false);
      fresh = WithoutSymbolPlaces(Drawing(drawing.db));
    }
    const auto symbols = std::count_if(fresh.begin(), fresh.end(), [](const std::string& e) {
      return e.find("(1000 0BS)") != std::string::npos;
    });
    ASSERT_GT(symbols, final->areas.count);

    PassDrawing drawing;
    Configure(drawing.settings, saveDeparted);
    Planting planting(drawing.settings);
    ASSERT_FALSE(drawing.db.AddBlock(L"Tree").IsNull());
    PassOver(drawing, *full, false);
    EXPECT_GT(PassOver(drawing, *changes, true)->counters.polygonsUpdated, 0);
    // No symbol of a revised or departed area is left behind, and the
    // revised areas have theirs afresh.
    EXPECT_EQ(WithoutSymbolPlaces(Without(Drawing(drawing.db), "Departed Features")), fresh);

    // Symbols are not features: the same file again finds every area up to
    // date and plants nothing.
    const std::vector<std::string> updated = Drawing(drawing.db);
    const auto again = PassOver(drawing, *changes, true);
    EXPECT_EQ(Drawing(drawing.db), updated);
    EXPECT_EQ(again->counters.polygonsUpdated, 0);
    EXPECT_EQ(again->counters.polygonsUpToDate, changes->areas.count);
  }
}

}  // namespace
