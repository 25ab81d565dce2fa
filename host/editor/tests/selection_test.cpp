#include "host/editor/selection.h"

#include "drawing_fixture.h"

namespace {

using SelectionTest = DrawingTest;
using host::Status;
using host::db::EntityList;
using host::db::Group;

// Circles, and polylines of either kind whose flags are 0 or share a bit
// with 143: the boundary filter of the location filters.
EntityList BoundaryFilter() {
  return {{-4, L"<or"},     {-4, L"<and"},  {0, L"CIRCLE"},     {-4, L"and>"}, {-4, L"<and"},
          {-4, L"<or"},     {0, L"POLYLINE"}, {0, L"LWPOLYLINE"}, {-4, L"or>"},  {-4, L"<or"},
          {-4, L"="},       {70, 0},        {-4, L"<and"},      {-4, L"&"},    {70, 143},
          {-4, L"and>"},    {-4, L"or>"},   {-4, L"and>"},      {-4, L"or>"}};
}

TEST_F(SelectionTest, UserSelectionKeepsWhatPassesTheFilter) {
  host::EntityName line = Line(0, 0, 1, 0);
  host::EntityName circle = Circle(5, 5, 1);
  host::EntityName open_poly = LwPolyline({{0, 0}, {1, 1}}, false);
  host::EntityName closed_poly = LwPolyline({{0, 0}, {1, 1}, {2, 0}}, true);
  struct Case {
    const char* what;
    std::vector<std::wstring> handles;
    EntityList filter;
    Status status;
    std::vector<host::EntityName> kept;
  };
  const Case cases[] = {
      {"no filter", {host::HandleText(line), host::HandleText(circle)}, {}, Status::kNormal, {line, circle}},
      {"boundary filter", {host::HandleText(line), host::HandleText(circle), host::HandleText(open_poly), host::HandleText(closed_poly)}, BoundaryFilter(),
       Status::kNormal, {circle, open_poly, closed_poly}},
      {"only lines", {host::HandleText(circle), host::HandleText(line)}, {{0, L"LINE"}}, Status::kNormal, {line}},
      {"repeats and unknown handles", {host::HandleText(line), L"FFFF", host::HandleText(line), L"zz"}, {}, Status::kNormal, {line}},
      {"nothing passes", {host::HandleText(line)}, BoundaryFilter(), Status::kError, {}},
      {"nothing picked", {}, {}, Status::kError, {}},
      {"bad filter", {host::HandleText(line)}, {{-4, L"<or"}, {0, L"LINE"}}, Status::kError, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host::Actions().Clear();
    host::Actions().Push("select", c.handles);
    const int before = host::OpenSelectionSets();
    host::Input<host::SelectionSetId> r = host::SelectEntities(c.filter);
    ASSERT_EQ(r.status, c.status);
    if (!r.ok()) {
      EXPECT_EQ(host::OpenSelectionSets(), before);  // no set made
      continue;
    }
    EXPECT_EQ(host::SelectionSetEntities(r.value), c.kept);
    EXPECT_EQ(host::FreeSelectionSet(r.value), Status::kNormal);
  }
}

TEST_F(SelectionTest, TypedAnswersAndEveryPromptStatus) {
  host::EntityName line = Line(0, 0, 10, 0);
  host::EntityName circle = Circle(20, 0, 2);
  struct Case {
    std::string verb;
    std::wstring arg;
    Status status;
    std::size_t count;
  };
  const Case cases[] = {
      {"type", L"all", Status::kNormal, 2}, {"type", L"5,0", Status::kNormal, 1},
      {"type", L"", Status::kError, 0},     {"esc", L"", Status::kCancel, 0},
      {"error", L"12", Status::kError, 0},  {"dlg_click", L"1", Status::kCancel, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verb + " " + testing::PrintToString(c.arg));
    host::Actions().Clear();
    host::Actions().Push(c.verb, c.verb == "esc" ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.arg});
    host::Input<host::SelectionSetId> r = host::SelectEntities();
    EXPECT_EQ(r.status, c.status);
    if (r.ok()) {
      EXPECT_EQ(host::SelectionSetLength(r.value).value, static_cast<int>(c.count));
    }
  }
  EXPECT_EQ(host::GetSystemVariable(L"ERRNO").Short(), 12);
  (void)line;
  (void)circle;
}

TEST_F(SelectionTest, AllEntitiesLengthNameFreeAndEmptySets) {
  host::EntityName a = Line(0, 0, 1, 0);
  host::EntityName gone = Circle(0, 0, 1);
  host::EntityName b = Circle(5, 5, 1);
  ASSERT_TRUE(db_.Erase(gone));

  host::Input<host::SelectionSetId> all = host::SelectAllEntities();
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(host::SelectionSetLength(all.value).value, 2);
  EXPECT_EQ(host::SelectionSetName(all.value, 0).value, a);
  EXPECT_EQ(host::SelectionSetName(all.value, 1).value, b);
  EXPECT_EQ(host::SelectionSetName(all.value, 2).status, Status::kError);
  EXPECT_EQ(host::SelectionSetName(all.value, -1).status, Status::kError);

  host::Input<host::SelectionSetId> circles = host::SelectAllEntities({{0, L"CIRCLE"}});
  ASSERT_TRUE(circles.ok());
  EXPECT_EQ(host::SelectionSetEntities(circles.value), std::vector<host::EntityName>{b});
  EXPECT_EQ(host::SelectAllEntities({{0, L"TEXT"}}).status, Status::kError);

  host::SelectionSetId empty = host::NewSelectionSet();
  EXPECT_EQ(host::SelectionSetLength(empty).value, 0);
  EXPECT_EQ(host::SelectionSetName(empty, 0).status, Status::kError);
  EXPECT_EQ(host::AddToSelectionSet(empty, a), Status::kNormal);
  EXPECT_EQ(host::AddToSelectionSet(empty, a), Status::kNormal);
  EXPECT_EQ(host::SelectionSetLength(empty).value, 1);

  EXPECT_EQ(host::OpenSelectionSets(), 3);
  EXPECT_EQ(host::FreeSelectionSet(all.value), Status::kNormal);
  EXPECT_EQ(host::FreeSelectionSet(all.value), Status::kError);  // twice
  EXPECT_EQ(host::SelectionSetLength(all.value).status, Status::kError);
  EXPECT_EQ(host::FreeSelectionSet(0), Status::kError);
}

TEST_F(SelectionTest, WithoutADrawingNothingIsSelected) {
  host::db::SetWorkingDatabase(nullptr);
  EXPECT_EQ(host::SelectAllEntities().status, Status::kError);
  host::Actions().Push("select", {L"1"});
  EXPECT_EQ(host::SelectEntities().status, Status::kError);
}

}  // namespace
