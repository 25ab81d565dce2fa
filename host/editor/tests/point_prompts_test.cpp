#include "host/editor/point_prompts.h"

#include "drawing_fixture.h"

namespace {

using PointPromptsTest = DrawingTest;
using host::Status;
using host::db::Point3;

TEST_F(PointPromptsTest, PointPromptsEndInEachStatus) {
  struct Case {
    std::string verb;
    std::wstring arg;
    Status point, corner, distance, pick;
  };
  const Case cases[] = {
      {"type", L"3,4", Status::kNormal, Status::kNormal, Status::kNormal, Status::kError},  // empty spot
      {"type", L"", Status::kNone, Status::kNone, Status::kNone, Status::kNone},
      {"esc", L"", Status::kCancel, Status::kCancel, Status::kCancel, Status::kCancel},
      {"error", L"", Status::kError, Status::kError, Status::kError, Status::kError},
      {"dlg_click", L"1", Status::kCancel, Status::kCancel, Status::kCancel, Status::kCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verb + " " + testing::PrintToString(c.arg));
    auto queue = [&] {
      Reset();
      host::Actions().Push(c.verb, c.verb == "esc" ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.arg});
    };
    queue();
    EXPECT_EQ(host::GetPoint(L"\nPoint: ").status, c.point);
    queue();
    EXPECT_EQ(host::GetCorner(Point3{0, 0, 0}, L"\nCorner: ").status, c.corner);
    queue();
    EXPECT_EQ(host::GetDistance(Point3{0, 0, 0}, L"\nWidth: ").status, c.distance);
    queue();
    EXPECT_EQ(host::PickEntity(L"\nSelect: ").status, c.pick);
  }
  Reset();
  EXPECT_EQ(host::GetPoint(L"\nPoint: ").status, Status::kCancel);  // nothing left
  EXPECT_TRUE(host::Shown().Contains("print", L"no more input for the prompt"));
}

TEST_F(PointPromptsTest, PointsAreReadAsTyped) {
  struct Case {
    const wchar_t* text;
    bool ok;
    Point3 point;
  };
  const Point3 base{10, 20, 30};
  const Case cases[] = {
      {L"1,2", true, {1, 2, 0}},           {L" -1.5 , 2e1 ,3", true, {-1.5, 20, 3}},
      {L"@1,2", true, {11, 22, 30}},       {L"@0,0,-30", true, {10, 20, 0}},
      {L"1", false, {}},                   {L"1,2,3,4", false, {}},
      {L"1,,2", false, {}},                {L"a,b", false, {}},
      {L"1,2,", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    Point3 p;
    ASSERT_EQ(host::detail::ParsePoint(c.text, &base, &p), c.ok);
    if (c.ok) {
      EXPECT_EQ(p, c.point);
    }
  }
  Point3 p;
  EXPECT_FALSE(host::detail::ParsePoint(L"@1,2", nullptr, &p));  // no base to be relative to
}

TEST_F(PointPromptsTest, InvalidPointsAreAskedAgain) {
  Type(L"here");
  host::Actions().Push("pick", {L"5,6"});
  host::Input<Point3> r = host::GetPoint(L"\nPoint: ");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value, (Point3{5, 6, 0}));
  EXPECT_TRUE(host::Shown().Contains("print", L"Invalid point."));
}

TEST_F(PointPromptsTest, DistancesFromNumbersOrPoints) {
  const Point3 base{1, 1, 0};
  Type(L"2.5");
  EXPECT_EQ(host::GetDistance(base, L"\nWidth: ").value, 2.5);
  Type(L"4,5");
  EXPECT_EQ(host::GetDistance(base, L"\nWidth: ").value, 5.0);
  Type(L"@3,4");
  EXPECT_EQ(host::GetDistance(base, L"\nWidth: ").value, 5.0);
  // Without a base the first point asks for a second.
  Type(L"0,0");
  Type(L"0,7");
  EXPECT_EQ(host::GetDistance(L"\nWidth: ").value, 7.0);
  Type(L"0,0");
  host::Actions().Push("esc");
  EXPECT_EQ(host::GetDistance(L"\nWidth: ").status, Status::kCancel);
}

TEST_F(PointPromptsTest, EntityPicksByHandleOrPoint) {
  host::EntityName line = Line(0, 0, 10, 0);
  host::EntityName circle = Circle(20, 0, 2);
  host::EntityName arc_poly = LwPolyline({{30, 0, 1.0, 0, 0}, {34, 0, 0, 0, 0}}, false);  // half circle below
  host::EntityName erased = Line(0, 50, 10, 50);
  ASSERT_TRUE(db_.Erase(erased));
  struct Case {
    std::string verb;
    std::wstring arg;
    Status status;
    host::EntityName entity;
    int errno_value;
  };
  const Case cases[] = {
      {"pick", host::HandleText(line), Status::kNormal, line, 0},
      {"pick", host::HandleText(circle), Status::kNormal, circle, 0},
      {"pick", L"5,0.005", Status::kNormal, line, 0},  // within VIEWSIZE / 100
      {"type", L"22,0", Status::kNormal, circle, 0},
      {"pick", L"20,0", Status::kError, {}, 7},  // the centre is no part of a circle
      {"pick", L"32,-2", Status::kNormal, arc_poly, 0},
      {"pick", L"32,2", Status::kError, {}, 7},  // the other side of the bulge
      {"pick", host::HandleText(erased), Status::kError, {}, 7},
      {"pick", L"FFFF", Status::kError, {}, 7},
      {"type", L"", Status::kNone, {}, 52},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verb + " " + testing::PrintToString(c.arg));
    Reset();
    host::db::SetWorkingDatabase(&db_);
    host::Actions().Push(c.verb, {c.arg});
    host::Input<host::EntityPick> r = host::PickEntity(L"\nSelect a section: ");
    EXPECT_EQ(r.status, c.status);
    if (r.ok()) {
      EXPECT_EQ(r.value.entity, c.entity);
    }
    EXPECT_EQ(host::GetSystemVariable(L"ERRNO").Short(), c.errno_value);
  }
}

TEST_F(PointPromptsTest, PicksAreMadeOnlyInTheWorkingDrawing) {
  host::db::Database other;
  host::EntityName elsewhere = other.Append(host::db::LineData{{0, 0, 0}, {1, 0, 0}});
  host::EntityName here = Line(100, 0, 101, 0);
  ASSERT_EQ(elsewhere.handle, here.handle);  // same handle, other drawing
  host::Actions().Push("pick", {host::HandleText(elsewhere)});
  host::Input<host::EntityPick> r = host::PickEntity(L"\n>");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value.entity, here);
}

}  // namespace
