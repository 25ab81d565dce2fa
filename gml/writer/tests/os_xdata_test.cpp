#include "gml/writer/os_xdata.h"

#include <algorithm>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "gml/settings/settings_record.h"
#include "gml/writer/os_xdata_record.h"
#include "host/db/drawing_file.h"
#include "host/db/entity_list.h"
#include "writer_fixture.h"

using host::db::Database;
using host::db::EntityList;
using host::db::ObjectId;
using namespace writer_test;

namespace {

// The 1000 strings of a chain, in order.
std::vector<std::wstring> Strings(const EntityList& chain) {
  std::vector<std::wstring> out;
  for (const host::db::Group& g : chain)
    if (g.code == 1000) out.push_back(*g.Text());
  return out;
}

// The value of tag `tag` ("0C") in a chain; "<absent>" when not there.
std::wstring TagValue(const EntityList& chain, const std::wstring& tag) {
  for (const std::wstring& s : Strings(chain))
    if (s.compare(0, 2, tag) == 0) return s.substr(2);
  return L"<absent>";
}

ObjectId NewPoint(Database& db) { return db.Append(host::db::PointData{{1, 2, 0}}); }

class OsXdataTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(RegisterOsXdataApp(db)); }
  Database db;
  Lists lists;
  OS_GML_ACAD_Definitions settings;
};

TEST_F(OsXdataTest, ApplicationNameCarriesAFixedUpperCaseUserCode) {
  const std::wstring& name = OsXdataAppName();
  EXPECT_EQ(name.size(), 31u);
  EXPECT_EQ(name.substr(0, 21), L"LARCHWORKS_XGML_OSGB_");
  EXPECT_EQ(name.substr(29), L"RA");
  for (wchar_t c : name.substr(21, 8)) EXPECT_TRUE(c >= L'A' && c <= L'Z') << "user code " << name;
  EXPECT_TRUE(RegisterOsXdataApp(db)) << "registering twice is fine";
  EXPECT_FALSE(db.AppId(name).IsNull());
}

TEST_F(OsXdataTest, FullPointBlockHoldsTheFifteenTagsInOrderBetweenBraces) {
  const EntityList chain = FillOsXdataFields(SamplePoint(), OsFeatureKind::kCartoSymbol, -1.0);
  ASSERT_GE(chain.size(), 3u);
  EXPECT_EQ(chain[0].code, 1001);
  EXPECT_EQ(*chain[0].Text(), OsXdataAppName());
  EXPECT_EQ(chain[1], host::db::Group(1002, L"{"));
  EXPECT_EQ(chain.back(), host::db::Group(1002, L"}"));
  const std::vector<std::wstring> expected = {
      L"0010056", L"01osgbP0001", L"02PManmade", L"03P2003-06-11", L"04PModified", L"05PTerm",
      L"06PGroup", L"07PTheme", L"08P2004-01-01", L"0950", L"0A3", L"0B3", L"0C", L"0D2.0m",
      L"0EObstructing"};
  EXPECT_EQ(Strings(chain), expected);
}

TEST_F(OsXdataTest, MeasureMakeAndLevelFollowTheKind) {
  const RoadLinkRecord link = SampleLink(&lists);
  const RoadRecord road = SampleRoad();
  const RoadNodeRecord node = SampleNode();
  const LineFeatureRecord line = SampleLine(&lists);
  const AreaFeatureRecord area = SampleArea(&lists);
  struct Case {
    const char* what;
    EntityList chain;
    std::map<std::wstring, std::wstring> tags;
  };
  const Case cases[] = {
      {"link", FillOsXdataFields(PointLayoutOf(link), OsFeatureKind::kRoadLink, link.length),
       {{L"00", L""}, {L"02", L"Single Carriageway With A Very L"}, {L"09", L"0"}, {L"0B", L"8"},
        {L"0C", L"12.346"}, {L"0D", L""}, {L"0E", L""}}},
      {"road", FillOsXdataFields(PointLayoutOf(road), OsFeatureKind::kRoad, 0.0),
       {{L"02", L"THE EXTRAORDINARILY LONG ROAD NA"}, {L"09", L"0"}, {L"0C", L"0.000"},
        {L"0B", L"9"}}},
      {"node", FillItnNodeXdataFields(node, OsFeatureKind::kRoadNode, -1.0),
       {{L"00", L""}, {L"01", L"osgb4000000010"}, {L"02", L""}, {L"05", L"Junction"}, {L"09", L""},
        {L"0A", L"9"}, {L"0B", L"7"}, {L"0C", L""}, {L"0D", L""}, {L"0E", L""}}},
      {"line", FillOsXdataFields(PointLayoutOf(line), OsFeatureKind::kTopoLine, -1.0),
       {{L"0C", L""}, {L"0D", L"1.0m"}, {L"0E", L"Edge"}, {L"09", L"51"}, {L"0B", L"1"}}},
      {"area", FillOsXdataFields(PointLayoutOf(area), OsFeatureKind::kAreaOutline, 96.0),
       {{L"0C", L"96.000"}, {L"0D", L""}, {L"0E", L""}, {L"0A", L"6"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Strings(c.chain).size(), 15u);
    for (const auto& [tag, value] : c.tags) EXPECT_EQ(TagValue(c.chain, tag), value) << "tag " << tag;
  }
  EXPECT_EQ(std::string(road.roadName).size(), 55u) << "the caller's road keeps its whole name";
}

TEST_F(OsXdataTest, MinimalAndHatchBlocks) {
  EXPECT_EQ(Strings(FillOsXdataMinimal(SamplePoint(), OsFeatureKind::kTopoPoint)),
            (std::vector<std::wstring>{L"01osgbP0001", L"0A3", L"0B2"}));
  EXPECT_EQ(Strings(FillItnNodeXdataMinimal(SampleNode(), OsFeatureKind::kRoadNode)),
            (std::vector<std::wstring>{L"01osgb4000000010", L"0A9", L"0B7"}));
  EXPECT_EQ(Strings(FillAddressXdataMinimal(SampleAddress())),
            (std::vector<std::wstring>{L"10osgb1000002345", L"122006-01-01", L"1310"}));
  const EntityList hatch = FillSolidHatchXdata("osgbA0001", 6);
  ASSERT_EQ(hatch.size(), 4u) << "1001 and three strings, no braces";
  EXPECT_EQ(Strings(hatch), (std::vector<std::wstring>{L"01osgbA0001", L"0A6", L"0B6"}));
}

TEST_F(OsXdataTest, AddressGroupsAreAlwaysWholeAndEmptyWhenNotRead) {
  settings.readBs7666 = 0;
  settings.readPostalAddress = 1;
  const EntityList chain = FillAddressXdataFields(SampleAddress(), settings);
  const std::vector<std::wstring> strings = Strings(chain);
  ASSERT_EQ(strings.size(), 43u);
  EXPECT_EQ(strings[0], L"10osgb1000002345");
  EXPECT_EQ(strings[17], L"1H2");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(strings[18 + i], std::wstring(L"2") + wchar_t(L'0' + i));
  EXPECT_EQ(TagValue(chain, L"30"), L"U123");
  EXPECT_EQ(TagValue(chain, L"44"), L"House");
  EXPECT_EQ(TagValue(chain, L"50"), L"0");
  EXPECT_EQ(TagValue(chain, L"52"), L"12") << "building number before building name";
  EXPECT_EQ(TagValue(chain, L"53"), L"ROSE COTTAGE");
  EXPECT_EQ(TagValue(chain, L"59"), L"K789");
  EXPECT_EQ(TagValue(chain, L"0B"), L"<absent>") << "address points carry no kind";
}

TEST_F(OsXdataTest, WritersReportWhetherTheBlockWasSet) {
  const ObjectId point = NewPoint(db);
  EXPECT_TRUE(WriteOsXdata(db, point, SamplePoint(), OsFeatureKind::kTopoPoint, -1.0));
  EXPECT_TRUE(db.EntityOf(point)->xdata.Has(OsXdataAppName()));

  Database unregistered;
  const ObjectId other = NewPoint(unregistered);
  EXPECT_FALSE(WriteOsXdata(unregistered, other, SamplePoint(), OsFeatureKind::kTopoPoint, -1.0))
      << "the application is not registered there";
  EXPECT_TRUE(unregistered.EntityOf(other)->xdata.Empty());
  EXPECT_FALSE(WriteOsXdata(db, ObjectId{}, SamplePoint(), OsFeatureKind::kTopoPoint, -1.0));
}

TEST_F(OsXdataTest, BatchLocationMarkReadsTheLastNameAndIsCut) {
  host::db::SetWorkingDatabase(&db);
  ASSERT_TRUE(EnsureBatchLocationApp(kBatchLocationApp));
  const ObjectId polyline = NewPoint(db);
  char name[64];
  EXPECT_FALSE(ReadBatchLocationName(polyline, name, sizeof name));
  ASSERT_TRUE(WriteBatchLocationXdata(db, polyline, "North field"));
  ASSERT_TRUE(WriteBatchLocationXdata(db, polyline, "South field"));
  ASSERT_TRUE(ReadBatchLocationName(polyline, name, sizeof name));
  EXPECT_STREQ(name, "South field");

  ASSERT_TRUE(WriteBatchLocationXdata(db, polyline, std::string(2000, 'x')));
  std::vector<char> big(3000);
  ASSERT_TRUE(ReadBatchLocationName(polyline, big.data(), big.size()));
  EXPECT_EQ(std::string(big.data()).size(), kBatchLocationNameChars);
  char small[8];
  ASSERT_TRUE(ReadBatchLocationName(polyline, small, sizeof small));
  EXPECT_STREQ(small, "xxxxxxx") << "cut to the buffer";

  // Location names are UTF-8: a Welsh name comes back whole, and a buffer
  // too small for it is cut between characters.
  ASSERT_TRUE(WriteBatchLocationXdata(db, polyline, "T\xC5\xB7 Newydd"));
  ASSERT_TRUE(ReadBatchLocationName(polyline, name, sizeof name));
  EXPECT_STREQ(name, "T\xC5\xB7 Newydd");
  char three[3];
  ASSERT_TRUE(ReadBatchLocationName(polyline, three, sizeof three));
  EXPECT_STREQ(three, "T");
  ASSERT_TRUE(WriteBatchLocationXdata(db, polyline, "Caf\xE9"));
  ASSERT_TRUE(ReadBatchLocationName(polyline, name, sizeof name));
  EXPECT_STREQ(name, "Caf\xC3\xA9") << "an 8-bit name reads as its characters";
  host::db::SetWorkingDatabase(nullptr);
}

TEST_F(OsXdataTest, EnsureBatchLocationAppRegistersTheNameItLooksUp) {
  host::db::SetWorkingDatabase(&db);
  EXPECT_TRUE(EnsureBatchLocationApp(L"OTHER_LOCATIONS"));
  EXPECT_FALSE(db.AppId(L"OTHER_LOCATIONS").IsNull());
  EXPECT_TRUE(db.AppId(kBatchLocationApp).IsNull());
  host::db::SetWorkingDatabase(nullptr);
}

// ---- The decoded record -------------------------------------------------------

std::unique_ptr<ShowOSGmlXdata> Decode(host::EntityName entity) {
  auto record = std::make_unique<ShowOSGmlXdata>();
  record->entity = entity;
  record->ClearXdata();
  record->ReadXdata();
  return record;
}

TEST_F(OsXdataTest, ReadingRegistersNothing) {
  host::db::SetWorkingDatabase(&db);
  const std::size_t apps = db.AppIds().size();
  ShowOSGmlXdata record;
  EXPECT_TRUE(record.RegisterXdataApp());
  EXPECT_EQ(db.AppIds().size(), apps);
  host::db::SetWorkingDatabase(nullptr);
}

TEST_F(OsXdataTest, EveryValueWrittenReadsBackAfterADxfSaveAndRead) {
  TempFolder folder;
  settings.readBs7666 = 1;
  const AddressPointRecord address = SampleAddress();
  const ObjectId symbolId = NewPoint(db);
  const ObjectId addressId = NewPoint(db);
  const ObjectId hatchId = NewPoint(db);
  ASSERT_TRUE(WriteOsXdata(db, symbolId, SamplePoint(), OsFeatureKind::kCartoSymbol, -1.0));
  ASSERT_TRUE(WriteAddressXdata(db, addressId, address, settings));
  ASSERT_TRUE(SetOsXdata(db, hatchId, FillSolidHatchXdata("osgbA0001", 6)));
  ASSERT_TRUE(host::db::SaveDrawing(db, folder.Path("x.dxf")));
  Database read(Database::Content::kEmpty);
  ASSERT_TRUE(host::db::ReadDrawing(read, folder.Path("x.dxf")));

  const auto symbol = Decode(read.IdOf(symbolId.handle));
  const EntityList written = FillOsXdataFields(SamplePoint(), OsFeatureKind::kCartoSymbol, -1.0);
  for (const std::wstring& s : Strings(written))
    EXPECT_EQ(*symbol->Slot(s[0] - L'0', TagIndexOf(s[1])), s.substr(2)) << "tag " << s.substr(0, 2);
  EXPECT_EQ(symbol->userCode, kOsXdataUserCode);

  const auto decoded = Decode(read.IdOf(addressId.handle));
  EXPECT_EQ(decoded->Kind(), L"A");
  for (const std::wstring& s : Strings(FillAddressXdataFields(address, settings)))
    EXPECT_EQ(*decoded->Slot(s[0] - L'0', TagIndexOf(s[1])), s.substr(2)) << "tag " << s.substr(0, 2);
  EXPECT_EQ(decoded->slots[1], L"osgb1000002345") << "10 shares 01's slot";
  for (bool empty : decoded->groupEmpty) EXPECT_FALSE(empty);

  const auto hatch = Decode(read.IdOf(hatchId.handle));
  EXPECT_EQ(hatch->Kind(), L"6");
  EXPECT_EQ(hatch->Toid(), L"osgbA0001");
  EXPECT_EQ(hatch->Version(), L"6");
}

TEST_F(OsXdataTest, ABatchBlockAfterTheOsBlockIsNotRead) {
  host::db::SetWorkingDatabase(&db);
  ASSERT_TRUE(EnsureBatchLocationApp(kBatchLocationApp));
  const ObjectId id = NewPoint(db);
  ASSERT_TRUE(WriteOsXdata(db, id, SamplePoint(), OsFeatureKind::kTopoPoint, -1.0));
  ASSERT_TRUE(WriteBatchLocationXdata(db, id, "Location 7"));
  EXPECT_EQ(Decode(id)->slots[0], L"10056");
  host::db::SetWorkingDatabase(nullptr);
}

TEST_F(OsXdataTest, UnknownTagsAndShortStringsAreIgnoredAndTheBarePatternGivesItsUserCode) {
  const ObjectId id = NewPoint(db);
  host::db::EntityList chain = {{1001, std::wstring(kOsXdataAppPattern)},
                                {1000, L"0"},       {1000, L"0Z bad index"}, {1000, L"9Agroup 9"},
                                {1000, L"2Iindex 18"}, {1000, L"01osgbX"},   {1000, L"0B10"}};
  ASSERT_TRUE(db.EntityOf(id)->xdata.Apply(chain));
  const auto record = Decode(id);
  EXPECT_EQ(record->userCode, L"????????");
  EXPECT_EQ(record->Toid(), L"osgbX");
  EXPECT_TRUE(record->groupEmpty[1]);
  EXPECT_EQ(record->BuildView().caption, L"MasterMap Data View - (No supported Data Found)");
}

// ---- The view -------------------------------------------------------------------

std::vector<std::wstring> Titles(const OsXdataView& view) {
  std::vector<std::wstring> titles;
  for (const auto& row : view.rows) titles.push_back(row.first);
  return titles;
}

TEST_F(OsXdataTest, ViewCaptionsAndRows) {
  ShowOSGmlXdata empty;
  EXPECT_EQ(empty.BuildView().caption, L"MasterMap Data View - (No Data Found)");
  EXPECT_TRUE(empty.BuildView().rows.empty());
  empty.readSwitch = 0;
  EXPECT_EQ(empty.BuildView().caption, L"MasterMap Data View - Please select an entity");

  const ObjectId hatchId = NewPoint(db);
  ASSERT_TRUE(SetOsXdata(db, hatchId, FillSolidHatchXdata("osgbA0001", 6)));
  const OsXdataView hatch = Decode(hatchId)->BuildView();
  EXPECT_EQ(hatch.caption, L"Polygon (Solid hatch)");
  for (const auto& [title, value] : hatch.rows)
    EXPECT_EQ(!value.empty(), title == L"TOID" || title == L"Version") << title;

  const ObjectId linkId = NewPoint(db);
  const RoadLinkRecord link = SampleLink(&lists);
  ASSERT_TRUE(WriteRoadLinkOsXdata(db, linkId, link, OsFeatureKind::kRoadLink));
  auto linkRecord = Decode(linkId);
  linkRecord->userCodeSwitch = 1;
  const OsXdataView linkView = linkRecord->BuildView();
  EXPECT_EQ(linkView.caption, L"Integrated Transport Network Road Link");
  EXPECT_EQ(Titles(linkView),
            (std::vector<std::wstring>{L"TOID", L"Version", L"Version Date", L"Theme",
                                       L"Latest Change Date", L"Latest Reason For Change",
                                       L"Descriptive Group", L"Descriptive Term", L"Nature of Road",
                                       L"Length", L"User code"}));
  EXPECT_EQ(linkView.rows[9].second, L"12.346");
  EXPECT_EQ(linkView.rows[10].second, kOsXdataUserCode);

  const ObjectId nodeId = NewPoint(db);
  ASSERT_TRUE(WriteItnNodeXdata(db, nodeId, SampleNode(), OsFeatureKind::kRoadNode, -1.0));
  EXPECT_EQ(Titles(Decode(nodeId)->BuildView()),
            (std::vector<std::wstring>{L"TOID", L"Version", L"Version Date", L"Theme",
                                       L"Latest Change Date", L"Latest Reason For Change",
                                       L"Descriptive Group"}));
}

TEST_F(OsXdataTest, AddressViewShowsSectionsOfTheGroupsRead) {
  settings.readBs7666 = 0;
  settings.readAddressAuthority = 0;
  const ObjectId id = NewPoint(db);
  ASSERT_TRUE(WriteAddressXdata(db, id, SampleAddress(), settings));
  const OsXdataView view = Decode(id)->BuildView();
  EXPECT_EQ(view.caption, L"Address Point Data");
  const std::vector<std::wstring> titles = Titles(view);
  auto has = [&titles](const wchar_t* t) { return std::find(titles.begin(), titles.end(), t) != titles.end(); };
  EXPECT_TRUE(has(L"POSTAL ADDRESS:"));
  EXPECT_TRUE(has(L"ADDRESS STATUS:"));
  EXPECT_FALSE(has(L"BS 7666 DATA:"));
  EXPECT_FALSE(has(L"ADDRESS AUTHORITY:"));
  EXPECT_TRUE(has(L"department"));
  EXPECT_EQ(titles.front(), L"TOID");

  AddressPointRecord bare{};
  CopyField(bare.toid, "osgb1");
  settings.readPostalAddress = 1;
  const ObjectId bareId = NewPoint(db);
  ASSERT_TRUE(WriteAddressXdata(db, bareId, bare, settings));
  const std::vector<std::wstring> bareTitles = Titles(Decode(bareId)->BuildView());
  EXPECT_NE(std::find(bareTitles.begin(), bareTitles.end(), L"POSTAL ADDRESS:"), bareTitles.end())
      << "tag 50 always holds 0 or 1";

  const ObjectId minimalId = NewPoint(db);
  ASSERT_TRUE(WriteAddressXdataMinimal(db, minimalId, SampleAddress()));
  // A block of the TOID alone says so, and names the setting that imports the rest.
  EXPECT_EQ(Titles(Decode(minimalId)->BuildView()),
            (std::vector<std::wstring>{L"TOID", L"Version", L"Version Date", L"Attributes"}));
}

TEST_F(OsXdataTest, DialogFillsItsListAndEndsWithItsResults) {
  const ObjectId id = NewPoint(db);
  ASSERT_TRUE(WriteOsXdata(db, id, SamplePoint(), OsFeatureKind::kTopoPoint, -1.0));
  ShowOSGmlXdata dialog;
  dialog.entity = id;
  EXPECT_TRUE(dialog.OnInitDialog());
  EXPECT_EQ(dialog.WindowText(), L"Topographical Point");
  host::ui::Control& list = dialog.Item(kIdXdataList);
  ASSERT_EQ(list.GetColumnCount(), 2);
  EXPECT_EQ(list.Columns()[0].heading, L"Title");
  EXPECT_EQ(list.GetItemText(0, 0), L"TOID");
  EXPECT_EQ(list.GetItemText(0, 1), L"osgbP0001");
  EXPECT_EQ(list.GetItemCount(), static_cast<int>(dialog.BuildView().rows.size()));
  dialog.OnPickEntity();
  EXPECT_EQ(dialog.result, 2);
}

}  // namespace
