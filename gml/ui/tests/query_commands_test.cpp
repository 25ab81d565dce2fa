// The commands that query imported entities, on a drawing whose entities carry OS xdata as the
// writer sets it: area sums, repeated keys, locating by TOID and road name,
// the attribute viewer's picks.
#include <cstdio>
#include <string>
#include <vector>

#include "gml/ui/tests/ui_fixture.h"
#include "gml/ui/locate_dialogs.h"
#include "gml/ui/remove_duplicates_view.h"
#include "gml/ui/varnel_commands.h"
#include "gml/ui/varnel_state.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/os_xdata.h"
#include "gml/writer/os_xdata_record.h"
#include "gml/writer/tests/writer_fixture.h"
#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/editor/graphics.h"
#include "host/system/entity_name.h"
#include "host/system/wide_text.h"
#include "host/ui/dialog_template.h"

namespace {

using writer_test::Lists;

class QueryCommandsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetVarnelState();
    host::db::SetWorkingDatabase(&db_);
    ASSERT_TRUE(RegisterOsXdataApp(db_));
  }
  void TearDown() override {
    host::db::SetWorkingDatabase(nullptr);
    UiTest::TearDown();
  }

  // A two-point polyline at (x, 0)-(x + 10, 0) carrying `kind` xdata of a
  // record with `toid` at attribute `level`; its handle in hexadecimal.
  std::wstring Add(OsFeatureKind kind, const char* toid, double x = 0, double area = 96.0, int level = kXdataFull) {
    EXPECT_TRUE(DrawTwoPointPolyline("0", 256, 0.0, db_, x, 0, x + 10, 0));
    const host::EntityName entity = host::db::LastEntity();
    Lists lists;
    if (kind == OsFeatureKind::kAreaOutline || kind == OsFeatureKind::kAreaHatch) {
      AreaFeatureRecord a = writer_test::SampleArea(&lists);
      CopyField(a.attributes.common.toid, toid);
      a.attributes.calculatedAreaValue = area;
      // A hatch carries the short block the writer gives solid hatches.
      EXPECT_TRUE(kind == OsFeatureKind::kAreaHatch ? WriteSolidHatchXdata(db_, entity, a)
                                                    : WriteFeatureXdata(db_, entity, level, &a, kind));
    } else if (kind == OsFeatureKind::kRoadLink) {
      RoadLinkRecord r = writer_test::SampleLink(&lists);
      CopyField(r.toid, toid);
      EXPECT_TRUE(WriteFeatureXdata(db_, entity, level, &r, kind));
    } else if (kind == OsFeatureKind::kRoad) {
      RoadRecord r = writer_test::SampleRoad();
      CopyField(r.toid, toid);
      EXPECT_TRUE(WriteFeatureXdata(db_, entity, level, &r, kind));
    }
    wchar_t handle[32];
    std::swprintf(handle, 32, L"%llX", static_cast<unsigned long long>(entity.handle));
    return handle;
  }
  // The same polyline as a symbol planted in an area of `toid`.
  std::wstring AddAreaSymbol(const char* toid, double x) {
    EXPECT_TRUE(DrawTwoPointPolyline("0", 256, 0.0, db_, x, 0, x + 1, 0));
    const host::EntityName entity = host::db::LastEntity();
    Lists lists;
    AreaFeatureRecord a = writer_test::SampleArea(&lists);
    CopyField(a.attributes.common.toid, toid);
    EXPECT_TRUE(WriteAreaSymbolXdata(db_, entity, a));
    wchar_t handle[32];
    std::swprintf(handle, 32, L"%llX", static_cast<unsigned long long>(entity.handle));
    return handle;
  }
  static void SelectHandles(const std::vector<std::wstring>& handles) { Push("select", handles); }
  int LiveEntities() const {
    int n = 0;
    for (host::EntityName e = host::db::NextEntity(); !e.IsNull(); e = host::db::NextEntity(e)) ++n;
    return n;
  }
  std::wstring LastBox() const {
    const auto boxes = BoxTexts();
    return boxes.empty() ? L"" : boxes.back();
  }
  host::db::Database db_;
};

TEST_F(QueryCommandsTest, AreaSumsOutlinesOncePerToidAndSaysHowManyItSkipped) {
  struct Case {
    const char* what;
    std::vector<std::pair<OsFeatureKind, const char*>> entities;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"no OS xdata", {{OsFeatureKind::kNone, ""}, {OsFeatureKind::kNone, ""}}, L"No area info found"},
      {"one area, two plain lines",
       {{OsFeatureKind::kAreaOutline, "1000000000000001"}, {OsFeatureKind::kNone, ""}, {OsFeatureKind::kNone, ""}},
       L"Area = 96 sq. metres from 1 entity (but 2 entities did not have OS area info)"},
      {"one area", {{OsFeatureKind::kAreaOutline, "1000000000000001"}}, L"Area = 96 sq. metres from 1 entity"},
      {"two areas",
       {{OsFeatureKind::kAreaOutline, "1000000000000001"}, {OsFeatureKind::kAreaOutline, "1000000000000002"}},
       L"Area = 192 sq. metres from 2 entities"},
      // An area's inner rings carry its value: each is said to be left out
      // as what it is, not counted as an entity without area info.
      {"an inner ring and a road link are not added",
       {{OsFeatureKind::kAreaOutline, "1000000000000001"},
        {OsFeatureKind::kAreaOutline, "1000000000000001"},
        {OsFeatureKind::kRoadLink, "4000000000000001"}},
       L"Area = 96 sq. metres from 1 entity (but 1 entity did not have OS area info)\n"
       L"1 entity left out: a further piece of an area already counted"},
      {"an outer and two inner rings",
       {{OsFeatureKind::kAreaOutline, "1000000000000001"},
        {OsFeatureKind::kAreaOutline, "1000000000000001"},
        {OsFeatureKind::kAreaOutline, "1000000000000001"},
        {OsFeatureKind::kAreaOutline, "1000000000000002"}},
       L"Area = 192 sq. metres from 2 entities\n2 entities left out: further pieces of areas already counted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::wstring> handles;
    double x = 0;
    for (const auto& [kind, toid] : c.entities) handles.push_back(Add(kind, toid, x += 20));
    SelectHandles(handles);
    AreaCommand();
    EXPECT_EQ(LastBox(), c.message);
    host::ui::ClearMessageBoxes();
  }
}

TEST_F(QueryCommandsTest, RemoveDuplicatesCountsKindAndWholeToid) {
  const std::wstring outline = Add(OsFeatureKind::kAreaOutline, "1000002062339486");
  const std::wstring hatch = Add(OsFeatureKind::kAreaHatch, "1000002062339486");
  // Differs only in its last digit: not the same feature.
  const std::wstring neighbour = Add(OsFeatureKind::kAreaOutline, "1000002062339487");
  Click(kIdSelectEntities);
  SelectHandles({outline, hatch, neighbour});
  Click(kIdCount);
  Click(host::ui::kIdOk);
  RemoveDuplicatesCommand();
  EXPECT_EQ(LastBox(), L"0 identical entities erased");
  EXPECT_EQ(LiveEntities(), 3);

  const std::wstring copy = Add(OsFeatureKind::kAreaOutline, "1000002062339486");
  // Count first, then remove: the first of each key stays.
  Click(kIdSelectEntities);
  SelectHandles({outline, hatch, neighbour, copy});
  Click(kIdCount);
  Click(host::ui::kIdOk);
  RemoveDuplicatesCommand();
  EXPECT_EQ(LastBox(), L"1 identical entities erased");
  EXPECT_EQ(LiveEntities(), 3);
  EXPECT_TRUE(host::db::GetEntityList(host::db::LastEntity()).has_value());
}

// Symbols planted in an area carry its TOID and version but no area value:
// they are neither summed as areas nor repeats of their area or each other,
// and the viewer names them as what they are.
TEST_F(QueryCommandsTest, AnAreasPlantedSymbolsAreNotAreasNorRepeats) {
  const std::wstring outline = Add(OsFeatureKind::kAreaOutline, "1000002062339486");
  std::vector<std::wstring> handles{outline};
  for (double x : {30.0, 40.0, 50.0}) handles.push_back(AddAreaSymbol("1000002062339486", x));

  SelectHandles(handles);
  AreaCommand();
  EXPECT_EQ(LastBox(), L"Area = 96 sq. metres from 1 entity (but 3 entities did not have OS area info)");

  Click(kIdSelectEntities);
  SelectHandles(handles);
  Click(kIdCount);
  Click(host::ui::kIdOk);
  RemoveDuplicatesCommand();
  EXPECT_EQ(LastBox(), L"0 identical entities erased");
  EXPECT_EQ(LiveEntities(), 4);

  ShowOSGmlXdata viewer;
  viewer.entity = host::db::LastEntity();
  viewer.ClearXdata();
  viewer.ReadXdata();
  const OsXdataView view = viewer.BuildView();
  EXPECT_EQ(view.caption, L"Polygon Symbol");
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0], std::make_pair(std::wstring(L"TOID"), std::wstring(L"1000002062339486")));
  EXPECT_EQ(view.rows[1].first, L"Version");
  EXPECT_FALSE(view.rows[1].second.empty());
}

// One import draws several entities for one feature (an area's rings and
// hatch, a road's pieces, the symbols planted in an area): parts, never
// repeats. A second import draws them all again: each is a repeat, the
// symbols (planted elsewhere this time) with their area.
TEST_F(QueryCommandsTest, RemoveDuplicatesKeepsEveryPartOfTheFirstCopy) {
  const char* area = "1000002062339486";
  const char* road = "4000000004266357";
  auto import = [&](double symbolsAt) {
    std::vector<std::wstring> drawn{Add(OsFeatureKind::kAreaOutline, area, 0),
                                    Add(OsFeatureKind::kAreaOutline, area, 20),  // an inner ring
                                    Add(OsFeatureKind::kAreaHatch, area, 0),
                                    Add(OsFeatureKind::kRoad, road, 40),
                                    Add(OsFeatureKind::kRoad, road, 60)};
    for (double x : {symbolsAt, symbolsAt + 3}) drawn.push_back(AddAreaSymbol(area, x));
    return drawn;
  };
  const std::vector<std::wstring> first = import(80);
  auto erase = [&](const std::vector<std::wstring>& handles) {
    Click(kIdSelectEntities);
    SelectHandles(handles);
    Click(kIdCount);
    Click(host::ui::kIdOk);
    RemoveDuplicatesCommand();
    return LastBox();
  };
  EXPECT_EQ(erase(first), L"0 identical entities erased");

  const std::vector<std::wstring> second = import(90);
  std::vector<std::wstring> both = second;  // the later copy selected first: the earlier still stays
  both.insert(both.end(), first.begin(), first.end());
  EXPECT_EQ(erase(both), L"7 identical entities erased");
  std::vector<std::wstring> live;
  for (host::EntityName e = host::db::NextEntity(); !e.IsNull(); e = host::db::NextEntity(e)) {
    wchar_t handle[32];
    std::swprintf(handle, 32, L"%llX", static_cast<unsigned long long>(e.handle));
    live.push_back(handle);
  }
  EXPECT_EQ(live, first);
}

// Texts of one TOID at one point are copies only when their whole text is
// the same, letters beyond Latin-1 included.
TEST_F(QueryCommandsTest, RemoveDuplicatesComparesAWholeText) {
  TextFeatureRecord text = writer_test::SampleText();
  std::vector<std::wstring> handles;
  for (const char* name : {"Heol \u0174yn", "Heol \u0174yn Fawr", "Heol \u0174yn"}) {
    ASSERT_TRUE(DrawTextFeature(name, "Text", 256, {20, 30, 0}, 2.5, 0.0, 4, db_, kXdataFull, &text,
                                OsFeatureKind::kCartoText));
    handles.push_back(host::HandleText(host::db::LastEntity()));
  }
  Click(kIdSelectEntities);
  SelectHandles(handles);
  Click(host::ui::kIdOk);
  RemoveDuplicatesCommand();
  EXPECT_EQ(LastBox(), L"1 identical entities erased");
  ASSERT_EQ(LiveEntities(), 2);
  const host::db::EntityList second = host::db::GetEntityList(host::db::NextEntity(host::db::NextEntity())).value();
  EXPECT_EQ(*host::db::FindGroup(second, 1)->Text(), L"Heol \u0174yn Fawr");
}

TEST_F(QueryCommandsTest, RemoveDuplicatesMovesToTheLayerAndRemembersIt) {
  const std::wstring a = Add(OsFeatureKind::kAreaOutline, "1000000000000001", 20);
  const std::wstring b = Add(OsFeatureKind::kAreaOutline, "1000000000000001", 20);
  Click(kIdActionMove);
  Click(kIdSelectEntities);
  SelectHandles({a, b});
  Click(host::ui::kIdOk);
  RemoveDuplicatesCommand();
  EXPECT_EQ(LastBox(), L"1 identical entities moved to layer __identicals");
  EXPECT_EQ(LiveEntities(), 2);
  EXPECT_EQ(Varnel().removeAction, 1);
  EXPECT_TRUE(host::db::TableSearch(db_, L"LAYER", L"__identicals").has_value());

  // A layer name beyond Latin-1 is the layer the copies go to, whole.
  const std::wstring layer = L"Dyblyg \u0174yn";
  Click(kIdSelectEntities);
  SelectHandles({a, b});
  Set(kIdTargetLayer, layer);
  Click(host::ui::kIdOk);
  RemoveDuplicatesCommand();
  EXPECT_EQ(LastBox(), L"1 identical entities moved to layer " + layer);
  const host::db::EntityList moved = host::db::GetEntityList(host::db::LastEntity()).value();
  EXPECT_EQ(*host::db::FindGroup(moved, 8)->Text(), layer);
}

TEST_F(QueryCommandsTest, LocateToidExactIgnoresCaseAndStopsAtTheFirstHit) {
  const std::wstring first = Add(OsFeatureKind::kAreaOutline, "osgbAB0000000001");
  const std::wstring second = Add(OsFeatureKind::kAreaHatch, "osgbAB0000000001", 20);
  Click(kIdPartialMatch);  // off
  Set(kIdToid, L"OSGBab0000000001");
  Click(host::ui::kIdOk);
  SelectHandles({first, second});
  LocateToidCommand();
  EXPECT_EQ(host::HighlightedEntities().size(), 1u);
  EXPECT_TRUE(host::Shown().Contains("command", L"ZOOM"));
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(Varnel().locateToid.partialMatch, 0);
  // The command line says which entity was found and where the view went.
  EXPECT_NE(host::CommandLineText().find(L"\nFound entity " + first +
                                         L" (TOID osgbAB0000000001) at 10.000,0.000, highlighted; the view is "
                                         L"centred there, 50 m across."),
            std::wstring::npos)
      << host::EncodeUtf8(host::CommandLineText());
}

TEST_F(QueryCommandsTest, LocatePartialAsksAndNoLeavesTheHitHighlighted) {
  const std::wstring first = Add(OsFeatureKind::kAreaOutline, "1000000000000001");
  const std::wstring second = Add(OsFeatureKind::kAreaOutline, "1000000000000002", 20);
  Click(kIdZoomWhenFound);  // off: no zoom, but a highlight
  Set(kIdToid, L"100000000000000");
  Click(host::ui::kIdOk);
  SelectHandles({first, second});
  Push("type", {L"no"});
  LocateToidCommand();
  EXPECT_EQ(host::HighlightedEntities().size(), 1u);
  EXPECT_FALSE(host::Shown().Contains("command", L"ZOOM"));
  EXPECT_TRUE(host::CommandLineText().find(L"Continue search? <Yes> / No: ") != std::wstring::npos);
  EXPECT_NE(host::CommandLineText().find(L"\nFound entity " + first +
                                         L" (TOID 1000000000000001) at 10.000,0.000, highlighted; the view is not "
                                         L"moved."),
            std::wstring::npos)
      << host::EncodeUtf8(host::CommandLineText());
}

TEST_F(QueryCommandsTest, LocateNamesWhatWasNotFound) {
  const std::wstring road = Add(OsFeatureKind::kRoad, "4000000000000100");
  Set(kIdRoadName, L"Mill Lane");
  Click(host::ui::kIdOk);
  SelectHandles({road});
  LocateRoadNameCommand();
  EXPECT_EQ(LastBox(), L"Road name Mill Lane was not found");

  // Partial matching ignores letter case, as the exact match does: the
  // stored name is in capitals.
  host::ui::ClearMessageBoxes();
  Set(kIdRoadName, L"extraordinarily long");
  Click(host::ui::kIdOk);
  SelectHandles({road});
  Push("type", {L"no"});
  LocateRoadNameCommand();
  EXPECT_TRUE(BoxTexts().empty()) << host::EncodeUtf8(LastBox());
  EXPECT_NE(host::CommandLineText().find(L"Found entity " + road + L" (TOID 4000000000000100, THE EXTRAORDINARILY LONG"),
            std::wstring::npos)
      << host::EncodeUtf8(host::CommandLineText());
}

// A drawing imported with "TOIDs only attributions": its roads carry no
// name and its areas no value. The commands say so, and which setting
// imports them; the viewer shows no empty rows.
TEST_F(QueryCommandsTest, EntitiesWithTheirToidOnlyAreSaidToBeSo) {
  const std::wstring road = Add(OsFeatureKind::kRoad, "4000000000000100", 0, 0, kXdataMinimal);
  const std::wstring area = Add(OsFeatureKind::kAreaOutline, "1000000000000001", 20, 96, kXdataMinimal);
  const std::wstring ring = Add(OsFeatureKind::kAreaOutline, "1000000000000001", 40, 96, kXdataMinimal);
  const std::wstring hatch = Add(OsFeatureKind::kAreaHatch, "1000000000000001", 20, 96, kXdataMinimal);
  const std::wstring setting = L" are imported with \"Full attributions\" (lwhgmlin, Options...).";

  Set(kIdRoadName, L"High Street");
  Click(host::ui::kIdOk);
  SelectHandles({road, area, ring, hatch});
  LocateRoadNameCommand();
  EXPECT_EQ(LastBox(), L"Road name High Street was not found\n1 road selected holds its TOID only: road names" + setting);

  SelectHandles({road, area, ring, hatch});
  AreaCommand();
  EXPECT_EQ(LastBox(), L"No area info found\n2 areas selected hold their TOID only: area values" + setting);

  // A full road among them: found, nothing to say.
  const std::wstring named = Add(OsFeatureKind::kRoad, "4000000000000101", 60);
  host::ui::ClearMessageBoxes();
  Set(kIdRoadName, L"long road");
  Click(host::ui::kIdOk);
  SelectHandles({road, named});
  Push("type", {L"no"});
  LocateRoadNameCommand();
  EXPECT_TRUE(BoxTexts().empty());

  ShowOSGmlXdata viewer;
  struct Row {
    std::wstring handle;
    std::vector<std::wstring> titles;
  };
  for (const Row& r : {Row{road, {L"TOID", L"Version", L"Attributes"}}, Row{area, {L"TOID", L"Version", L"Attributes"}},
                       // A hatch holds no more at any level: its rows are as they were.
                       Row{hatch, {L"TOID", L"Version", L"Version Date"}}}) {
    SCOPED_TRACE(host::EncodeUtf8(r.handle));
    viewer.entity = {std::stoull(r.handle, nullptr, 16), host::db::LastEntity().database};
    viewer.ClearXdata();
    viewer.ReadXdata();
    const OsXdataView view = viewer.BuildView();
    std::vector<std::wstring> titles;
    for (std::size_t i = 0; i < view.rows.size() && i < 3; ++i) titles.push_back(view.rows[i].first);
    EXPECT_EQ(titles, r.titles);
    if (r.titles.back() == L"Attributes") {
      EXPECT_EQ(view.rows.size(), 3u);
      EXPECT_EQ(view.rows[2].second, L"TOID only: the others are imported with \"Full attributions\" (lwhgmlin, Options...)");
    }
  }
}

TEST_F(QueryCommandsTest, SixteenEmptyPicksInARowCancel) {
  Add(OsFeatureKind::kAreaOutline, "1000000000000001");
  for (int i = 0; i < 3; ++i) Push("pick", {L"900,900"});
  Push("pick", {L"5,0"});
  Click(kIdPickEntity);
  for (int i = 0; i < 16; ++i) Push("pick", {L"900,900"});
  ShowXdataCommand();
  const std::wstring text = host::CommandLineText();
  EXPECT_NE(text.find(L"Okei, canceling."), std::wstring::npos);
  EXPECT_NE(text.find(L"TO CANCEL PRESS <ESC>!!"), std::wstring::npos);
}

}  // namespace
