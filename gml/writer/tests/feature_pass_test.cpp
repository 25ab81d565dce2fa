#include "gml/writer/feature_pass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gml/writer/os_xdata_record.h"
#include "gml/writer/tests/pass_fixture.h"
#include "gml/writer/tests/writer_fixture.h"
#include "host/editor/display.h"
#include "host/editor/graphics.h"
#include "host/system/helper_threads.h"

using namespace pass_test;
using namespace writer_test;

namespace {

// A paged list of `T`.
template <typename T>
struct Paged {
  Paged() : Paged(std::initializer_list<T>{}) {}
  explicit Paged(std::initializer_list<T> items) {
    EXPECT_TRUE(PagedGrowArrayCreate(50, sizeof(T), &list));
    for (const T& item : items) EXPECT_TRUE(PagedGrowArraySet(&list, list.count, &item, 0));
  }
  ~Paged() { PagedGrowArrayFree(&list); }
  PagedGrowArray list{};
};

// Kind and TOID of every OS entity of model space, and the layer, sorted.
std::vector<std::string> KindsAndLayers(host::db::Database& db) {
  std::vector<std::string> out;
  ShowOSGmlXdata record;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    record.entity = id;
    record.ClearXdata();
    record.ReadXdata();
    const host::db::Entity* e = db.EntityOf(id);
    out.push_back(WideToNarrow(record.Kind() + L" " + record.Toid() + L" v" + record.Version() +
                               L" " + db.LayerRecordOf(db.IdOf(e->layer))->name));
  }
  std::sort(out.begin(), out.end());
  return out;
}

// A line of version `version` in two pieces (cut at a 'b' entry).
LineFeatureRecord CutLine(Lists* lists, const char* toid, int version, double dy = 0) {
  LineFeatureRecord line = SampleLine(lists);
  CopyField(line.common.toid, toid);
  line.version = version;
  line.points = ListOf<LinePoint>({{' ', 0, dy, 0},
                                   {' ', 10, dy, 0},
                                   {'b', 10, dy, 0},
                                   {' ', 20, dy, 0},
                                   {' ', 30, dy, 0},
                                   {'e', 30, dy, 0}});
  lists->Own(&line.points);
  return line;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string At(const host::db::Point3& p) {
  return "(" + Fixed(p.x, 2) + " " + Fixed(p.y, 2) + " " + Fixed(p.z, 2) + ")";
}

// Every entity of model space as the user sees it, in drawing order: type,
// layer, block, where it stands and how it is turned; a text with its
// string, height and justification (horizontal/vertical as DXF numbers
// them) at the point it is justified to.
std::vector<std::string> Seen(const host::db::Database& db) {
  std::vector<std::string> out;
  for (host::db::ObjectId id : db.EntitiesIn(db.ModelSpace())) {
    const host::db::Entity* e = db.EntityOf(id);
    const std::string layer = WideToNarrow(db.LayerRecordOf(db.IdOf(e->layer))->name);
    if (const auto* p = std::get_if<host::db::PointData>(&e->data)) {
      out.push_back("POINT " + layer + " " + At(p->position));
    } else if (const auto* b = std::get_if<host::db::InsertData>(&e->data)) {
      out.push_back("INSERT " + WideToNarrow(db.BlockRecordOf(db.IdOf(b->block))->name) + " " +
                    layer + " " + At(b->position) + " rot " + Fixed(b->rotation, 4));
    } else if (const auto* t = std::get_if<host::db::TextData>(&e->data)) {
      const bool leftBase = t->horizontal == host::db::TextHorizontal::kLeft &&
                            t->vertical == host::db::TextVertical::kBase;
      out.push_back("TEXT " + layer + " '" + WideToNarrow(t->text) + "' " +
                    At(leftBase ? t->position : t->alignment) + " h " + Fixed(t->height, 2) +
                    " rot " + Fixed(t->rotation, 4) + " just " +
                    std::to_string(static_cast<int>(t->horizontal)) + "/" +
                    std::to_string(static_cast<int>(t->vertical)));
    } else {
      out.push_back(WideToNarrow(host::db::TypeName(e->Type())) + " " + layer);
    }
  }
  return out;
}

class FeaturePassTest : public ::testing::Test {
 protected:
  PassDrawing d;
  Lists lists;
  FeatureDrawingRun run{d.settings};
};

TEST_F(FeaturePassTest, ImportDrawsEveryClassOfOneRecordWithItsKinds) {
  Paged<AreaFeatureRecord> areas{SampleArea(&lists)};
  Paged<LineFeatureRecord> lines{CutLine(&lists, "osgbL1", 4)};
  GrowArray points = ListOf<PointFeatureRecord>({SamplePoint()});
  PointFeatureRecord symbol = SamplePoint();
  CopyField(symbol.common.toid, "osgbS1");
  GrowArray symbols = ListOf<PointFeatureRecord>({symbol});
  GrowArray texts = ListOf<TextFeatureRecord>({SampleText()});
  GrowArray links = ListOf<RoadLinkRecord>({SampleLink(&lists)});
  RoadRecord road = SampleRoad();
  road.geometry = ListOf<LinePoint>({{' ', 0, 0, 0}, {' ', 5, 5, 0}, {'e', 5, 5, 0}});
  lists.Own(&road.geometry);
  GrowArray roads = ListOf<RoadRecord>({road});
  GrowArray nodes = ListOf<RoadNodeRecord>({SampleNode()});
  AddressPointRecord address = SampleAddress();
  address.z = kNoHeightAboveDatum;
  GrowArray addresses = ListOf<AddressPointRecord>({address});
  for (GrowArray* l : {&points, &symbols, &texts, &links, &roads, &nodes, &addresses}) lists.Own(l);
  FeatureLists in;
  in.areas = &areas.list;
  in.lines = &lines.list;
  in.points = &points;
  in.symbols = &symbols;
  in.texts = &texts;
  in.roadLinks = &links;
  in.roads = &roads;
  in.roadNodes = &nodes;
  in.addressPoints = &addresses;
  run.StartRun();
  ASSERT_TRUE(d.Pass(run, in, false));
  EXPECT_EQ(KindsAndLayers(d.db),
            (std::vector<std::string>{
                "1 osgbL1 v4 10056", "1 osgbL1 v4 10056",  // two pieces
                "2 osgbP0001 v3 10056", "3 osgbS1 v3 10056", "4 osgbT0001 v5 10056",
                "5 osgbA0001 v6 p_10056", "5 osgbA0001 v6 p_10056",  // outer and inner ring
                "6 osgbA0001 v6 10056", "7 osgb4000000010 v9 ITN_Road Nodes",
                "8 osgb4000000001 v7 ITN_A Road_Single Carriageway With A Very Long Nature Name",
                "9 osgb4000000100 v8 ITN_Roads", "A osgb1000002345 v10 Addresses"}));
  // Every entity ByLayer; the file's height -999 (none given) puts the
  // point, symbol, node, address and text at z 0.
  int placed = 0;
  for (host::db::ObjectId id : d.db.EntitiesIn(d.db.ModelSpace())) {
    const host::db::Entity* e = d.db.EntityOf(id);
    EXPECT_EQ(e->color, 256);
    if (const auto* p = std::get_if<host::db::PointData>(&e->data)) {
      EXPECT_EQ(p->position.z, 0.0) << At(p->position);
      ++placed;
    } else if (const auto* t = std::get_if<host::db::TextData>(&e->data)) {
      EXPECT_EQ(t->position.z, 0.0) << At(t->position);
      EXPECT_EQ(t->alignment.z, 0.0) << At(t->alignment);
      ++placed;
    }
  }
  EXPECT_EQ(placed, 5);
  EXPECT_EQ(run.report, L"");  // no report outside updates
  EXPECT_EQ(run.warning, L"");
  EXPECT_EQ(GrowArrayGetCount(&d.usedLayers), 3);
}

// Blocks and labels as the user finds them: a point's block stands square
// whatever its orientation, a symbol's turns by it; labels hang from their
// point, the middle of their top edge on it (justification 5: centre, top),
// so they read centred below it, unturned; a given height is kept and -999
// becomes 0, for every class that has one.
TEST_F(FeaturePassTest, PointsSymbolsNodesAddressesAndTextsStandAndTurnAsTheFileSays) {
  d.settings.pointsAndSymbolsAs = 1;  // the fixed block, "apoint"
  d.settings.markTermBesidePoint = 1;
  d.settings.markTermBesideSymbol = 1;
  d.settings.roadNodeMarkingWay = 0;
  d.settings.addressMarkingWay = 0;
  ASSERT_NE(d.db.AddBlock(L"apoint"), host::db::ObjectId{});
  auto point = [](const char* toid, double x, double z, double orientation) {
    PointFeatureRecord p = SamplePoint();
    CopyField(p.common.toid, toid);
    p.x = x;
    p.y = 100;
    p.z = z;
    p.orientation = orientation;
    return p;
  };
  GrowArray points = ListOf<PointFeatureRecord>(
      {point("osgbP1", 10, kNoHeightAboveDatum, 900), point("osgbP2", 20, 12.5, 900)});
  GrowArray symbols = ListOf<PointFeatureRecord>(
      {point("osgbS1", 30, kNoHeightAboveDatum, 900), point("osgbS2", 40, 7.25, 2700)});
  RoadNodeRecord node = SampleNode();
  RoadNodeRecord raised = SampleNode();
  CopyField(raised.toid, "osgb4000000011");
  raised.z = 3.5;
  GrowArray nodes = ListOf<RoadNodeRecord>({node, raised});
  TextFeatureRecord text = SampleText();  // anchor 4: centre, middle
  TextFeatureRecord low = SampleText();
  CopyField(low.common.toid, "osgbT0002");
  CopyField(low.textString, "Mill");
  low.anchorPosition = 0;  // left, baseline
  low.orientation = 0;
  low.z = 4;
  GrowArray texts = ListOf<TextFeatureRecord>({text, low});
  AddressPointRecord address = SampleAddress();
  address.z = kNoHeightAboveDatum;
  AddressPointRecord high = SampleAddress();
  CopyField(high.toid, "osgb1000002346");
  high.z = 9;
  GrowArray addresses = ListOf<AddressPointRecord>({address, high});
  for (GrowArray* l : {&points, &symbols, &nodes, &texts, &addresses}) lists.Own(l);
  FeatureLists in;
  in.points = &points;
  in.symbols = &symbols;
  in.roadNodes = &nodes;
  in.texts = &texts;
  in.addressPoints = &addresses;
  run.StartRun();
  ASSERT_TRUE(d.Pass(run, in, false));
  EXPECT_EQ(Seen(d.db),
            (std::vector<std::string>{
                "INSERT apoint 10056 (10.00 100.00 0.00) rot 0.0000",
                "TEXT 10056 'PTerm   ' (10.00 100.00 0.00) h 1.00 rot 0.0000 just 1/3",
                "INSERT apoint 10056 (20.00 100.00 12.50) rot 0.0000",
                "TEXT 10056 'PTerm   ' (20.00 100.00 12.50) h 1.00 rot 0.0000 just 1/3",
                "POINT Addresses (530010.00 180010.00 0.00)",
                "POINT Addresses (530010.00 180010.00 9.00)",
                "INSERT apoint 10056 (30.00 100.00 0.00) rot 1.5708",
                "TEXT 10056 'PTerm   ' (30.00 100.00 0.00) h 1.00 rot 0.0000 just 1/3",
                "INSERT apoint 10056 (40.00 100.00 7.25) rot 4.7124",
                "TEXT 10056 'PTerm   ' (40.00 100.00 7.25) h 1.00 rot 0.0000 just 1/3",
                "POINT ITN_Road Nodes (530001.12 180002.50 0.00)",
                "POINT ITN_Road Nodes (530001.12 180002.50 3.50)",
                "TEXT 10056 'St George's Road' (20.00 30.00 0.00) h 2.50 rot 0.7854 just 1/2",
                "TEXT 10056 'Mill' (20.00 30.00 4.00) h 2.50 rot 0.0000 just 0/0",
            }));
}

// The layer of a road link: the ITN prefix when asked for, then the fixed
// name, or the link's descriptive term, nature of road or both; made in the
// link colour. Node, link and road layers are listed with their own class,
// which decides the on, frozen and locked states the run gives them.
TEST_F(FeaturePassTest, RoadLinkLayersFollowTheLayerWayAndValue) {
  struct Case {
    int prefix, way, value;
    std::wstring layer;
  };
  const Case cases[] = {
      {1, 0, 0, L"ITN_A Road"},
      {1, 0, 1, L"ITN_Single Carriageway With A Very Long Nature Name"},
      {1, 0, 2, L"ITN_A Road_Single Carriageway With A Very Long Nature Name"},
      {1, 1, 0, L"ITN_Link Layer"},
      {1, 1, 2, L"ITN_Link Layer"},
      {0, 0, 0, L"A Road"},
      {0, 0, 1, L"Single Carriageway With A Very Long Nature Name"},
  };
  RoadRecord road = SampleRoad();
  road.geometry = ListOf<LinePoint>({{' ', 0, 0, 0}, {' ', 5, 5, 0}, {'e', 5, 5, 0}});
  lists.Own(&road.geometry);
  GrowArray links = ListOf<RoadLinkRecord>({SampleLink(&lists)});
  GrowArray roads = ListOf<RoadRecord>({road});
  GrowArray nodes = ListOf<RoadNodeRecord>({SampleNode()});
  for (GrowArray* l : {&links, &roads, &nodes}) lists.Own(l);
  FeatureLists in;
  in.roadLinks = &links;
  in.roads = &roads;
  in.roadNodes = &nodes;
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToNarrow(c.layer));
    PassDrawing drawing;
    drawing.settings.useItnLayerPrefix = static_cast<std::uint8_t>(c.prefix);
    drawing.settings.roadLinkLayerWay = c.way;
    drawing.settings.roadLinkLayerValue = c.value;
    drawing.settings.roadLinkFixedLayer = L"Link Layer";
    drawing.settings.roadLinkFixedLayerColour = 3;
    FeatureDrawingRun pass{drawing.settings};
    pass.StartRun();
    ASSERT_TRUE(drawing.Pass(pass, in, false));
    const std::wstring prefix = c.prefix ? L"ITN_" : L"";
    const std::vector<std::string> seen = Seen(drawing.db);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "LWPOLYLINE " + WideToNarrow(c.layer));
    const host::db::LayerRecord* layer = drawing.db.LayerRecordOf(drawing.db.Layer(c.layer));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->color, 3);
    std::vector<std::pair<std::wstring, std::int32_t>> used;
    for (std::int32_t i = 0; i < GrowArrayGetCount(&drawing.usedLayers); ++i) {
      UsedLayerEntry entry{};
      ASSERT_TRUE(GrowArrayGet(&drawing.usedLayers, i, &entry));
      used.emplace_back(NarrowToWide(FieldText(entry.name)), entry.itnClass);
    }
    std::sort(used.begin(), used.end());
    std::vector<std::pair<std::wstring, std::int32_t>> expected{
        {c.layer, 1}, {prefix + L"Road Nodes", 0}, {prefix + L"Roads", 2}};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(used, expected);
  }
}

TEST_F(FeaturePassTest, UpdateReplacesEveryPieceOfAnOlderLineAndKeepsAnEqualOne) {
  struct Case {
    int drawn, file;
    bool replaced;
  };
  for (const Case c : {Case{3, 3, false}, Case{2, 3, true}, Case{4, 3, false}}) {
    SCOPED_TRACE(c.drawn);
    PassDrawing drawing;
    FeatureDrawingRun first{drawing.settings};
    Paged<LineFeatureRecord> before{CutLine(&lists, "osgbL7", c.drawn)};
    FeatureLists in;
    in.lines = &before.list;
    first.StartRun();
    ASSERT_TRUE(drawing.Pass(first, in, false));
    const std::vector<std::string> old = Drawing(drawing.db);

    Paged<LineFeatureRecord> after{CutLine(&lists, "osgbL7", c.file, 1.0)};
    in.lines = &after.list;
    FeatureDrawingRun update{drawing.settings};
    update.StartRun();
    ASSERT_TRUE(drawing.Pass(update, in, true));
    EXPECT_EQ(update.counters.linesUpdated, c.replaced ? 1 : 0);
    EXPECT_EQ(update.counters.linesUpToDate, c.replaced ? 0 : 1);
    if (c.replaced) {
      EXPECT_EQ(KindsAndLayers(drawing.db),
                (std::vector<std::string>{"1 osgbL7 v3 10056", "1 osgbL7 v3 10056"}));
      EXPECT_NE(update.report.find(L"\n1 lines in the file of which 1 in the drawing updated."),
                std::wstring::npos)
          << WideToNarrow(update.report);
    } else {
      EXPECT_EQ(Drawing(drawing.db), old);
      EXPECT_NE(
          update.report.find(L"\n1 lines in the file of which 0 in the drawing updated."
                             L"\n   (1 lines not updated because they were already up to date.)"),
          std::wstring::npos);
    }
    EXPECT_NE(update.report.find(L"\n\n2 entities in the drawing processed."), std::wstring::npos);
  }
}

TEST_F(FeaturePassTest, AreaUpToDateIsCountedOnceAndAnOlderOneLosesHatchAndRings) {
  for (int drawnVersion : {6, 5}) {
    SCOPED_TRACE(drawnVersion);
    PassDrawing drawing;
    AreaFeatureRecord area = SampleArea(&lists);
    area.attributes.version = drawnVersion;
    Paged<AreaFeatureRecord> before{area};
    FeatureLists in;
    in.areas = &before.list;
    FeatureDrawingRun first{drawing.settings};
    first.StartRun();
    ASSERT_TRUE(drawing.Pass(first, in, false));
    area.attributes.version = 6;
    Paged<AreaFeatureRecord> after{area};
    in.areas = &after.list;
    FeatureDrawingRun update{drawing.settings};
    update.StartRun();
    ASSERT_TRUE(drawing.Pass(update, in, true));
    EXPECT_EQ(update.counters.polygonsUpToDate, drawnVersion == 6 ? 1 : 0);
    EXPECT_EQ(update.counters.polygonsUpdated, drawnVersion == 6 ? 0 : 1);
    // Old entities are erased here, not saved: the old hatch is erased with
    // them and is no exception for the report to name, so no hatch line.
    EXPECT_EQ(update.counters.oldSolidHatches, 0);
    const std::wstring polygons =
        drawnVersion == 6
            ? L"\n1 polygons in the file of which 0 in the drawing updated."
              L"\n   (1 polygons not updated because they were already up to date.)"
            : L"\n1 polygons in the file of which 1 in the drawing updated.";
    EXPECT_EQ(update.report,
              L"\n-----------------------------------------------\nOrvane MasterMap update report:\n"
              L"\n\n3 entities in the drawing processed." +
                  polygons +
                  L"\n\nAll old entites were erased from the drawing.\n" +
                  L"-----------------------------------------------\n");
    EXPECT_EQ(KindsAndLayers(drawing.db),
              (std::vector<std::string>{"5 osgbA0001 v6 p_10056", "5 osgbA0001 v6 p_10056",
                                        "6 osgbA0001 v6 10056"}));
  }
}

TEST_F(FeaturePassTest, DepartedFeatureMovesEveryEntityOfItsToidToANewLayer) {
  d.settings.saveDepartedFeatures = 1;
  Paged<LineFeatureRecord> lines{CutLine(&lists, "osgbGONE", 2)};
  PointFeatureRecord point = SamplePoint();
  CopyField(point.common.toid, "osgbGONE");  // a point of the same TOID
  GrowArray points = ListOf<PointFeatureRecord>({point});
  lists.Own(&points);
  FeatureLists in;
  in.lines = &lines.list;
  in.points = &points;
  run.StartRun();
  ASSERT_TRUE(d.Pass(run, in, false));
  ASSERT_EQ(d.db.Layer(L"Departed Features"), host::db::ObjectId{});

  DepartedFeatureToid gone{}, unknown{}, empty{};
  CopyField(gone.toid, "osgbGONE");
  CopyField(unknown.toid, "osgbNOTHERE");
  GrowArray departed = ListOf<DepartedFeatureToid>({gone, unknown, empty});
  lists.Own(&departed);
  FeatureLists change;
  change.departedToids = &departed;
  FeatureDrawingRun update{d.settings};
  update.StartRun();
  ASSERT_TRUE(d.Pass(update, change, true));
  EXPECT_EQ(update.counters.departedHandled, 3);
  EXPECT_EQ(KindsAndLayers(d.db), (std::vector<std::string>{"1 osgbGONE v2 Departed Features",
                                                            "1 osgbGONE v2 Departed Features",
                                                            "2 osgbGONE v3 Departed Features"}));
  EXPECT_NE(
      update.report.find(L"\nOf 3 Departed Features in the file 3 was moved to layer Departed "
                         L"Features in the drawing."),
      std::wstring::npos)
      << WideToNarrow(update.report);
  // The archive is not indexed again: a second update finds nothing to do.
  FeatureDrawingRun again{d.settings};
  again.StartRun();
  ASSERT_TRUE(d.Pass(again, change, true));
  EXPECT_EQ(again.counters.departedHandled, 0);
  EXPECT_EQ(again.indexedEntities, 0);
}

TEST_F(FeaturePassTest, UpdateOfADrawingWithoutImportedEntitiesDrawsAllAndSaysSo) {
  Paged<LineFeatureRecord> lines{CutLine(&lists, "osgbL1", 1)};
  FeatureLists in;
  in.lines = &lines.list;
  run.StartRun();
  ASSERT_TRUE(d.Pass(run, in, true));
  EXPECT_EQ(KindsAndLayers(d.db).size(), 2u);
  EXPECT_NE(run.report.find(L"every feature was drawn as new"), std::wstring::npos);
  EXPECT_NE(host::CommandLineText().find(L"Orvane MasterMap update report:"), std::wstring::npos);
}

TEST_F(FeaturePassTest, RefusalsAndEscDrawNothing) {
  Paged<LineFeatureRecord> lines{CutLine(&lists, "osgbL1", 1)};
  FeatureLists in;
  in.lines = &lines.list;
  run.StartRun();
  // Update together with batch mode.
  FeaturePassOptions options;
  options.updateMode = true;
  options.batchMode = true;
  EXPECT_FALSE(run.DrawPass(in, options, d.db, 1.0, &d.vertices, &d.usedLayers));
  EXPECT_NE(host::CommandLineText().find(std::wstring(kUpdateBatchRefused)), std::wstring::npos);
  EXPECT_TRUE(d.db.EntitiesIn(d.db.ModelSpace()).empty());
  // Esc during the scan of the drawing.
  ASSERT_TRUE(d.Pass(run, in, false));
  host::PressEsc();
  FeatureDrawingRun update{d.settings};
  update.StartRun();
  EXPECT_FALSE(d.Pass(update, in, true));
  EXPECT_TRUE(update.stop);
  EXPECT_EQ(d.db.EntitiesIn(d.db.ModelSpace()).size(), 2u);
  EXPECT_EQ(update.report, L"");
}

TEST_F(FeaturePassTest, EscInAClassLoopStopsAfterAWholeFeature) {
  std::vector<PointFeatureRecord> many(300, SamplePoint());
  GrowArray points{};
  ASSERT_TRUE(GrowArrayCreate(300, sizeof(PointFeatureRecord), &points));
  for (int i = 0; i < 300; ++i) {
    CopyField(many[i].common.toid, "osgbP" + std::to_string(i));
    ASSERT_TRUE(GrowArraySet(&points, i, &many[i]));
  }
  lists.Own(&points);
  d.settings.markTermBesidePoint = 1;  // a point and its label
  FeatureLists in;
  in.points = &points;
  host::PressEsc();
  run.StartRun();
  EXPECT_FALSE(d.Pass(run, in, false));
  const std::size_t drawn = d.db.EntitiesIn(d.db.ModelSpace()).size();
  EXPECT_GT(drawn, 0u);
  EXPECT_LT(drawn, 600u);
  EXPECT_EQ(drawn % 2, 0u);  // never a point without its label
}

// Enough records of each class for several pieces of the read-ahead, with
// repeated vertices, closing repeats, inner rings, cut lines, labels and
// character references: the drawing, entity for entity in handle order,
// is the same whether the process allows helper threads or not.
TEST(FeaturePassReadAhead, ManyRecordsDrawTheSameWithAndWithoutHelperThreads) {
  constexpr int kCount = 3 * RecordReadAhead::kPiece + 17;
  Lists lists;
  Paged<AreaFeatureRecord> areas{};
  Paged<LineFeatureRecord> lines{};
  std::vector<PointFeatureRecord> pointRecords;
  std::vector<TextFeatureRecord> textRecords;
  for (int i = 0; i < kCount; ++i) {
    const double x = 1000.0 * i + 0.125;
    const std::string n = std::to_string(i);
    AreaFeatureRecord area = SampleArea(&lists);
    CopyField(area.attributes.common.toid, "osgbA" + n);
    area.attributes.version = 1 + i % 7;
    GrowArray outer = ListOf<RingPoint>({{x, 0, kRingPointVertex}, {x + 10, 0, kRingPointVertex},
                                         {x + 10, 0, kRingPointVertex}, {x + 10, 10.5, kRingPointVertex},
                                         {x, 10, kRingPointVertex}, {x, 0, kRingPointVertex},
                                         {x, 0, kRingPointEnd}});
    lists.Own(&outer);
    area.outerRing = outer;
    if (i % 3 == 0) area.innerRings = GrowArray{};  // some areas have no hole
    EXPECT_TRUE(PagedGrowArraySet(&areas.list, areas.list.count, &area, 0));

    LineFeatureRecord line = CutLine(&lists, ("osgbL" + n).c_str(), 1 + i % 5, x);
    EXPECT_TRUE(PagedGrowArraySet(&lines.list, lines.list.count, &line, 0));

    PointFeatureRecord point = SamplePoint();
    CopyField(point.common.toid, "osgbP" + n);
    CopyField(point.common.descriptiveTerm, i % 2 == 0 ? "Spot &amp; Height" : "Pole");
    point.x = x;
    point.version = i;
    pointRecords.push_back(point);

    TextFeatureRecord text = SampleText();
    CopyField(text.common.toid, "osgbT" + n);
    CopyField(text.textString, "Rose &#38; Crown " + n);
    text.anchorPosition = i % 10;
    text.x = x;
    textRecords.push_back(text);
  }
  GrowArray points{};
  GrowArray texts{};
  ASSERT_TRUE(GrowArrayCreate(kCount, sizeof(PointFeatureRecord), &points));
  ASSERT_TRUE(GrowArrayCreate(kCount, sizeof(TextFeatureRecord), &texts));
  for (int i = 0; i < kCount; ++i) {
    ASSERT_TRUE(GrowArraySet(&points, i, &pointRecords[static_cast<std::size_t>(i)]));
    ASSERT_TRUE(GrowArraySet(&texts, i, &textRecords[static_cast<std::size_t>(i)]));
  }
  lists.Own(&points);
  lists.Own(&texts);
  FeatureLists in;
  in.areas = &areas.list;
  in.lines = &lines.list;
  in.points = &points;
  in.texts = &texts;

  auto draw = [&](bool helpers) {
    host::AllowHelperThreads(helpers);
    PassDrawing d;
    d.settings.markTermBesidePoint = 1;
    FeatureDrawingRun run{d.settings};
    run.StartRun();
    EXPECT_TRUE(d.Pass(run, in, false));
    host::AllowHelperThreads(true);
    std::vector<std::string> out;
    for (host::db::ObjectId id : d.db.EntitiesIn(d.db.ModelSpace())) {
      const host::db::Entity* e = d.db.EntityOf(id);
      out.push_back(std::to_string(e->handle) + " " + std::to_string(e->xdata.PackedSize()) + " " +
                    EntityText(d.db, id));
    }
    return out;
  };
  const std::vector<std::string> alone = draw(false);
  // Hatch and outer ring per area, the hole's ring for two areas in three,
  // two pieces per line, a point and its label, a text.
  EXPECT_EQ(alone.size(), static_cast<std::size_t>(kCount * 2 + (kCount - (kCount + 2) / 3) + kCount * 2 +
                                                    kCount * 2 + kCount));
  EXPECT_EQ(draw(true), alone);
}

TEST_F(FeaturePassTest, MissingSymbolBlocksFallBackAndAreSummedInTheWarning) {
  GrowArray points = ListOf<PointFeatureRecord>({SamplePoint(), SamplePoint()});
  lists.Own(&points);
  FeatureLists in;
  in.points = &points;
  struct Case {
    bool fixedExists;
    bool batch;
    const wchar_t* ending;
    std::size_t references;
  };
  for (const Case c :
       {Case{true, true, L"\n\nBlock apoint was inserted instead.", 2},
        Case{false, false,
             L"\n\nAs the substitute block apoint was not found, those symbols were ignored.",
             0}}) {
    PassDrawing drawing;
    drawing.settings.pointsAndSymbolsAs = 0;
    drawing.settings.ifCodeNotFound = 2;
    if (c.fixedExists) {
      ASSERT_NE(drawing.db.AddBlock(L"apoint"), host::db::ObjectId{});
    }
    FeatureDrawingRun pass{drawing.settings};
    pass.StartRun();
    ASSERT_TRUE(drawing.Pass(pass, in, false, c.batch));
    EXPECT_EQ(pass.counters.missingCodes, 2);
    EXPECT_EQ(pass.counters.missingBlocks, c.fixedExists ? 0 : 2);
    const std::wstring head = c.fixedExists
                                  ? L"Warning:\n\n2 feature code(s) not found in the lookup table."
                                  : L"Warning:\n\n2 feature code(s) not found in the lookup table "
                                    L"and\n2 AutoCAD blocks not found.";
    EXPECT_EQ(pass.warning, head + c.ending);
    EXPECT_EQ(drawing.db.EntitiesIn(drawing.db.ModelSpace()).size(), c.references);
    const std::wstring printed = host::CommandLineText();
    EXPECT_NE(printed.find(L"Warning: Code 10056 has no Symbol Block assigned.\n"),
              std::wstring::npos);
    if (c.batch) {
      EXPECT_NE(printed.find(L"-+-+\n" + pass.warning + L"\n-+-+"), std::wstring::npos);
    } else {
      ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
      EXPECT_EQ(host::ui::MessageBoxes()[0].request.text, pass.warning);
      EXPECT_NE(printed.find(L"Warning: AutoCAD can not find Symbol Block apoint.\n"),
                std::wstring::npos);
    }
  }
}

TEST_F(FeaturePassTest, AFailedAngleSettingStopsTheRunAndRestoresTheAngles) {
  ASSERT_EQ(host::SetSystemVariable(L"ANGBASE", host::SysVarValue{0.5}), host::Status::kNormal);
  ASSERT_EQ(host::SetSystemVariable(L"AUNITS", 1), host::Status::kNormal);
  PointFeatureRecord symbol = SamplePoint();
  GrowArray symbols = ListOf<PointFeatureRecord>({symbol});
  GrowArray texts = ListOf<TextFeatureRecord>({SampleText()});
  lists.Own(&symbols);
  lists.Own(&texts);
  FeatureLists in;
  in.symbols = &symbols;
  in.texts = &texts;
  host::FailSystemVariable(L"ANGDIR", host::SysVarOp::kSet, 0, 1);
  run.StartRun();
  EXPECT_FALSE(d.Pass(run, in, false));
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(d.db.EntitiesIn(d.db.ModelSpace()).empty());  // neither symbols nor texts
  EXPECT_DOUBLE_EQ(host::GetSystemVariable(L"ANGBASE").Number(), 0.5);
  EXPECT_EQ(host::GetSystemVariable(L"AUNITS").Short(), 1);
}

TEST_F(FeaturePassTest, PreviewDrawsVectorsBetweenPresentTuples) {
  GrowArray tuples = ListOf<CoordinateTuple>({{0, 0, 0, 1, 1, 0},
                                              {1, 0, 0, 1, 1, 0},
                                              {0, 0, 0, 0, 0, 0},
                                              {5, 5, 0, 1, 1, 0},
                                              {6, 5, 0, 1, 1, 0}});
  lists.Own(&tuples);
  FeatureLists in;
  in.previewPoints = &tuples;
  FeaturePassOptions options;
  options.runMode = 2;
  host::ResetGraphics();
  run.StartRun();
  ASSERT_TRUE(run.DrawPass(in, options, d.db, 1.0, &d.vertices, &d.usedLayers));
  ASSERT_EQ(host::TemporaryVectors().size(), 2u);
  EXPECT_EQ(host::TemporaryVectors()[0].colour, 9);
  EXPECT_TRUE(d.db.EntitiesIn(d.db.ModelSpace()).empty());
}

}  // namespace
