#include "host/db/entity_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace host::db {
namespace {

std::vector<int> Codes(const EntityList& list) {
  std::vector<int> codes;
  for (const Group& g : list) codes.push_back(g.code);
  return codes;
}

class EntityListTest : public ::testing::Test {
 protected:
  void SetUp() override { SetWorkingDatabase(&db); }
  Database db;
};

TEST_F(EntityListTest, GroupsOfEachKindComeInDxfOrder) {
  LwPolylineData lw;
  lw.vertices = {{0, 0, 0.5, 0, 0}, {10, 0, 0, 1, 2}};
  lw.closed = true;
  TextData text;
  text.text = L"Main St";
  text.horizontal = TextHorizontal::kCenter;
  PolylineData poly2d;
  HatchData hatch;
  hatch.loops.push_back(HatchLoop{kLoopExternal, true, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}});
  ObjectId block = db.AddBlock(L"SYM");
  struct Case {
    EntityData data;
    std::vector<int> codes;
  };
  const std::vector<int> head = {-1, 0, 330, 5, 100, 8};
  std::vector<Case> cases = {
      {LineData{{1, 2, 3}, {4, 5, 6}}, {100, 10, 11}},
      {ArcData{{0, 0, 0}, 2, 0, 1}, {100, 10, 40, 210, 100, 50, 51}},
      {CircleData{{0, 0, 0}, 2}, {100, 10, 40, 210}},
      {PointData{{1, 1, 1}}, {100, 10}},
      {text, {100, 10, 40, 1, 50, 41, 7, 72, 11, 100, 73}},
      {lw, {100, 90, 70, 43, 38, 10, 40, 41, 42, 10, 40, 41, 42, 210}},
      {hatch, {100, 10, 210, 2, 70, 71, 91, 92, 72, 73, 93, 10, 10, 10, 97, 75, 76, 98}},
      {InsertData{block.handle, {5, 5, 0}, {2, 2, 2}, 0.5, {0, 0, 1}}, {100, 2, 10, 41, 42, 43, 50, 210}},
      {poly2d, {100, 66, 10, 70, 40, 41, 210}},
  };
  for (const Case& c : cases) {
    ObjectId id = db.Append(c.data);
    std::optional<EntityList> list = GetEntityList(id);
    ASSERT_TRUE(list);
    std::vector<int> want = head;
    want.insert(want.end(), c.codes.begin(), c.codes.end());
    EXPECT_EQ(Codes(*list), want) << TypeName(db.EntityOf(id)->Type());
    EXPECT_EQ(*(*list)[0].Name(), id);
    EXPECT_EQ(*(*list)[1].Text(), TypeName(db.EntityOf(id)->Type()));
  }
}

TEST_F(EntityListTest, ColourGroupOnlyWhenNotByLayerAndAnglesInRadians) {
  ObjectId arc = db.Append(ArcData{{0, 0, 0}, 1, 0.25, 3.0});
  EXPECT_EQ(FindGroup(*GetEntityList(arc), 62), nullptr);
  db.EntityOf(arc)->color = 1;
  EntityList list = *GetEntityList(arc);
  EXPECT_EQ(FindGroup(list, 62)->Int(), 1);
  EXPECT_DOUBLE_EQ(FindGroup(list, 51)->Number(), 3.0);
}

TEST_F(EntityListTest, NextWalksVerticesAndTheEndMarkerNamesItsPolyline) {
  PolylineData header;
  header.flags = kPolylineClosed;
  ObjectId poly = db.AppendPolyline(header, {VertexData{{0, 0, 0}, 0.5}, VertexData{{1, 0, 0}}});
  EntityName v1 = NextEntity(poly);
  EXPECT_EQ(FindGroup(*GetEntityList(v1), 42)->Number(), 0.5);
  EntityName end = NextEntity(NextEntity(v1));
  EntityList endList = *GetEntityList(end);
  EXPECT_EQ(*FindGroup(endList, 0)->Text(), L"SEQEND");
  EXPECT_EQ(*FindGroup(endList, -2)->Name(), poly);
  EXPECT_TRUE(NextEntity(end).IsNull());
  EXPECT_EQ(NextEntity(), poly);
  EXPECT_EQ(LastEntity(), poly);
}

TEST_F(EntityListTest, ModifyChangesGeometryAndAddsAMissingLayer) {
  ObjectId id = db.Append(LwPolylineData{{{0, 0, 0, 0, 0}, {1, 1, 0, 0, 0}}});
  EntityList list = *GetEntityList(id);
  FindGroup(list, 8)->value = std::wstring(L"Departed");
  list.emplace_back(10, Point3{2, 2, 0});
  list.emplace_back(42, 1.0);
  ASSERT_EQ(ModifyEntity(list), ModifyResult::kOk);
  EXPECT_FALSE(db.Layer(L"Departed").IsNull());
  const auto& lw = std::get<LwPolylineData>(db.EntityOf(id)->data);
  ASSERT_EQ(lw.vertices.size(), 3u);
  EXPECT_EQ(lw.vertices[2].bulge, 1.0);
  EXPECT_EQ(db.EntityOf(id)->layer, db.Layer(L"departed").handle);
}

TEST_F(EntityListTest, ModifyWritesBackTheGroupsOfEachKind) {
  ObjectId block = db.AddBlock(L"SYM");
  ObjectId other = db.AddBlock(L"OTHER");
  TextStyleRecord os;
  os.name = L"OS";
  db.AddTextStyle(os);
  HatchData hatch;
  hatch.loops.push_back(HatchLoop{kLoopExternal, true, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}});
  struct Case {
    const char* what;
    EntityData data;
    EntityList change;
    std::function<bool(const EntityData&)> check;
  };
  const std::vector<Case> cases = {
      {"line end", LineData{}, {{11, Point3{7, 8, 9}}},
       [](const EntityData& d) { return std::get<LineData>(d).end == Point3{7, 8, 9}; }},
      {"arc angles in radians", ArcData{{0, 0, 0}, 1, 0, 1}, {{51, 2.5}},
       [](const EntityData& d) { return std::get<ArcData>(d).endAngle == 2.5; }},
      {"circle radius", CircleData{{0, 0, 0}, 1}, {{40, 4.0}},
       [](const EntityData& d) { return std::get<CircleData>(d).radius == 4.0; }},
      {"point", PointData{}, {{10, Point3{1, 2, 3}}},
       [](const EntityData& d) { return std::get<PointData>(d).position == Point3{1, 2, 3}; }},
      {"text, style and justification", TextData{}, {{1, L"new"}, {7, L"os"}, {72, 2}, {73, 3}},
       [&](const EntityData& d) {
         const auto& t = std::get<TextData>(d);
         return t.text == L"new" && t.style == db.TextStyle(L"OS").handle &&
                t.horizontal == TextHorizontal::kRight && t.vertical == TextVertical::kTop;
       }},
      {"lwpolyline flags and widths", LwPolylineData{{{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}}},
       {{70, 129}, {43, 0.5}, {38, 3.0}},
       [](const EntityData& d) {
         const auto& p = std::get<LwPolylineData>(d);
         return p.closed && p.plinegen && p.constantWidth == 0.5 && p.elevation == 3.0 && p.vertices.size() == 2;
       }},
      {"hatch style", hatch, {{75, 1}},
       [](const EntityData& d) { return std::get<HatchData>(d).style == 1 && std::get<HatchData>(d).loops.size() == 1; }},
      {"insert block and scale", InsertData{block.handle, {}, {1, 1, 1}, 0, {0, 0, 1}}, {{2, L"OTHER"}, {41, 3.0}},
       [&](const EntityData& d) {
         const auto& i = std::get<InsertData>(d);
         return i.block == other.handle && i.scale.x == 3.0 && i.scale.y == 1;
       }},
  };
  for (const Case& c : cases) {
    ObjectId id = db.Append(c.data);
    EntityList list = *GetEntityList(id);
    for (const Group& g : c.change) *FindGroup(list, g.code) = g;
    EXPECT_EQ(ModifyEntity(list), ModifyResult::kOk) << c.what;
    EXPECT_TRUE(c.check(db.EntityOf(id)->data)) << c.what;
  }

  // Vertices of a 2D polyline are entities of their own.
  ObjectId poly = db.AppendPolyline(PolylineData{}, {VertexData{{0, 0, 0}}, VertexData{{1, 0, 0}}});
  EntityList vertex = *GetEntityList(NextEntity(poly));
  *FindGroup(vertex, 42) = Group(42, 1.0);
  *FindGroup(vertex, 10) = Group(10, Point3{5, 5, 0});
  ASSERT_EQ(ModifyEntity(vertex), ModifyResult::kOk);
  const auto& v = std::get<VertexData>(db.EntityOf(NextEntity(poly))->data);
  EXPECT_EQ(v.bulge, 1.0);
  EXPECT_EQ(v.position, (Point3{5, 5, 0}));
  EntityList header = *GetEntityList(poly);
  *FindGroup(header, 70) = Group(70, kPolylineClosed);
  ASSERT_EQ(ModifyEntity(header), ModifyResult::kOk);
  EXPECT_EQ(std::get<PolylineData>(db.EntityOf(poly)->data).flags, kPolylineClosed);
  EXPECT_EQ(std::get<PolylineData>(db.EntityOf(poly)->data).vertices.size(), 2u);
}

TEST_F(EntityListTest, BadListsChangeNothing) {
  ObjectId id = db.Append(CircleData{{0, 0, 0}, 1});
  EntityList good = *GetEntityList(id);
  struct Case {
    const char* what;
    EntityList change;
  };
  std::vector<Case> cases = {
      {"radius as text", {{40, L"big"}}},
      {"colour out of range", {{62, 300}}},
      {"bad layer name", {{8, L"a?b"}}},
      {"other type", {{0, L"LINE"}}},
      {"xdata of an unregistered application", {{-3, Value()}, {1001, L"NOPE"}, {1000, L"x"}}},
  };
  std::size_t layers = db.Layers().size();
  for (const Case& c : cases) {
    EntityList list = good;
    FindGroup(list, 8)->value = std::wstring(L"NewLayer");
    for (const Group& g : c.change) {
      if (Group* existing = FindGroup(list, g.code); existing && g.code < 1000 && g.code != -3)
        *existing = g;
      else
        list.push_back(g);
    }
    EXPECT_EQ(ModifyEntity(list), ModifyResult::kBadList) << c.what;
    EXPECT_EQ(std::get<CircleData>(db.EntityOf(id)->data).radius, 1) << c.what;
    EXPECT_EQ(db.Layers().size(), layers) << c.what;
  }
  EntityList nobody = good;
  nobody[0].value = ObjectId{99999, db.Serial()};
  EXPECT_EQ(ModifyEntity(nobody), ModifyResult::kNoEntity);
}

TEST_F(EntityListTest, XdataOfOneApplicationReplacesOnlyItsBlock) {
  ASSERT_EQ(db.RegisterApp(L"OS"), RegisterResult::kAdded);
  ASSERT_EQ(db.RegisterApp(L"BATCH"), RegisterResult::kAdded);
  ObjectId id = db.Append(LwPolylineData{{{0, 0, 0, 0, 0}, {1, 1, 0, 0, 0}}});
  Entity* entity = db.EntityOf(id);
  ASSERT_TRUE(entity->xdata.Apply({{1001, L"OS"}, {1002, L"{"}, {1000, L"00osgb1"}, {1002, L"}"},
                                   {1001, L"BATCH"}, {1000, L"00tile"}}));

  EntityList list = *GetEntityList(id);
  list.emplace_back(-3, Value());
  list.emplace_back(1001, L"os");
  list.emplace_back(1000, L"01new");
  list.emplace_back(1040, 2.5);
  list.emplace_back(1070, 7);
  list.emplace_back(1010, Point3{1, 2, 3});
  ASSERT_EQ(ModifyEntity(list), ModifyResult::kOk);

  EntityList all = *GetEntityList(id, {L"*"});
  const Group* marker = FindGroup(all, -3);
  ASSERT_NE(marker, nullptr);
  EntityList xdata(all.begin() + (marker - all.data()) + 1, all.end());
  EXPECT_EQ(xdata, (EntityList{{1001, L"OS"}, {1000, L"01new"}, {1040, 2.5}, {1070, 7},
                               {1010, Point3{1, 2, 3}}, {1001, L"BATCH"}, {1000, L"00tile"}}));

  EntityList batchOnly = *GetEntityList(id, {L"batch"});
  EXPECT_EQ(*FindGroup(batchOnly, 1001)->Text(), L"BATCH");
  EXPECT_EQ(batchOnly.back(), Group(1000, L"00tile"));
  EXPECT_EQ(FindGroup(*GetEntityList(id, {L"NONE"}), -3), nullptr);
  // Readers that search plain groups stop at the xdata marker.
  EXPECT_EQ(FindGroup(all, 1000)->Text()->substr(0, 2), L"01");
  EXPECT_EQ(FindGroup(all, 40)->Number(), 0);

  // An application with no groups loses its block.
  EntityList drop = *GetEntityList(id);
  drop.emplace_back(-3, Value());
  drop.emplace_back(1001, L"BATCH");
  ASSERT_EQ(ModifyEntity(drop), ModifyResult::kOk);
  EXPECT_FALSE(db.EntityOf(id)->xdata.Has(L"BATCH"));
  EXPECT_TRUE(db.EntityOf(id)->xdata.Has(L"OS"));
}

TEST_F(EntityListTest, WideTextAboveTheNarrowRangeSurvivesInXdata) {
  ASSERT_EQ(db.RegisterApp(L"OS"), RegisterResult::kAdded);
  ObjectId id = db.Append(PointData{});
  std::wstring text = L"caf\u00e9 \u0141\u00f3d\u017a \U0001F600";
  ASSERT_TRUE(db.EntityOf(id)->xdata.Apply({{1001, L"OS"}, {1000, text}}));
  EXPECT_EQ(GetEntityList(id, {L"OS"})->back(), Group(1000, text));
}

TEST_F(EntityListTest, DeleteTogglesAndTablesReadAsLists) {
  ObjectId id = db.Append(PointData{});
  EXPECT_TRUE(DeleteEntity(id));
  EXPECT_TRUE(LastEntity().IsNull());
  EXPECT_TRUE(DeleteEntity(id));
  EXPECT_EQ(LastEntity(), id);
  EXPECT_FALSE(DeleteEntity(ObjectId{}));

  LayerRecord layer;
  layer.name = L"Hidden";
  layer.color = 5;
  layer.off = true;
  layer.locked = true;
  layer.frozen = true;
  db.AddLayer(layer);
  std::optional<EntityList> hidden = TableSearch(db, L"layer", L"HIDDEN");
  ASSERT_TRUE(hidden);
  EXPECT_EQ(FindGroup(*hidden, 62)->Int(), -5);
  EXPECT_EQ(FindGroup(*hidden, 70)->Int(), 5);
  EXPECT_EQ(*FindGroup(*hidden, 6)->Text(), L"CONTINUOUS");
  EXPECT_FALSE(TableSearch(db, L"APPID", L"NOPE"));

  std::vector<std::wstring> names;
  for (auto r = TableNext(db, L"LAYER", true); r; r = TableNext(db, L"LAYER", false))
    names.push_back(*FindGroup(*r, 2)->Text());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"0", L"Hidden"}));
}

TEST(Wildcard, Patterns) {
  struct Case {
    const wchar_t* text;
    const wchar_t* pattern;
    bool match;
  };
  const Case cases[] = {
      {L"LWPOLYLINE", L"lwpolyline", true},   {L"CIRCLE", L"LINE,CIRCLE", true},
      {L"ARC", L"LINE,CIRCLE", false},        {L"Roads_1", L"Roads*", true},
      {L"Roads", L"Road?", true},             {L"Road", L"Road?", false},
      {L"A1", L"@#", true},                   {L"1A", L"@#", false},
      {L"ABC", L"~A*", false},                {L"XBC", L"~A*", true},
      {L"a,b", L"a`,b", true},                {L"", L"*", true},
      {L"abcabc", L"*c*c", true},             {L"LARCHWORKS_X", L"LARCHWORKS_*", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchWildcard(c.text, c.pattern), c.match) << c.text << " " << c.pattern;
}

}  // namespace
}  // namespace host::db
