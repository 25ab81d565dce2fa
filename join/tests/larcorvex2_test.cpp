// The LarCorvex2 run: every selected object chained.
#include <cmath>

#include "common/containers/text.h"
#include "join/join_runs.h"
#include "join/tests/join_fixture.h"

namespace join_test {
namespace {

using host::db::Point3;

class LarCorvex2Run : public JoinTest {
 protected:
  int Run(const std::vector<host::EntityName>& selection) {
    Select(selection);
    return JoinSelection();
  }
  std::vector<const LwPolylineData*> Lightweights() const { return LiveOf<LwPolylineData>(); }
};

TEST_F(LarCorvex2Run, GapsUpToTheToleranceCloseAndWiderOnesDoNot) {
  struct Case {
    double gap;
    double rise;
    bool joined;
  } cases[] = {{0.5, 0.0, true}, {0.6, 0.0, false}, {0.0, 0.001, true}, {0.0, 0.0011, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gap);
    host::db::Database db;
    host::db::ScopedWorkingDatabase working(&db);
    CorvexParameters().hzTolerance = 0.5;
    const host::EntityName a = db.Append(host::db::LineData{{0, 0, 5}, {10, 0, 5}});
    const host::EntityName b =
        db.Append(host::db::LineData{{10 + c.gap, 0, 5 + c.rise}, {20, 0, 5 + c.rise}});
    host::ClearCommandLine();
    Select({a, b});
    ASSERT_EQ(JoinSelection(), 1);
    EXPECT_EQ(db.EntitiesIn(db.ModelSpace()).size(), c.joined ? 1u : 2u);
    EXPECT_NE(Printed().find(c.joined ? L"\nDone. (1 elements joined).\n"
                                      : L"\nDone. (0 elements joined).\n"),
              std::wstring::npos);
  }
}

TEST_F(LarCorvex2Run, ScrambledLinesAndArcBecomeOneLightweightPolylineWithItsBulge) {
  // Drawn out of order and against each other: line, arc (quarter circle,
  // counter-clockwise from (10,0) to (15,5)), line.
  const host::EntityName arc = Arc({10, 5, 0}, 5, -M_PI / 2, 0);
  const host::EntityName last = Line({15, 15, 0}, {15, 5, 0});  // runs backwards
  const host::EntityName first = Line({0, 0, 0}, {10, 0, 0});
  ASSERT_EQ(Run({arc, last, first}), 1);
  const auto polylines = Lightweights();
  ASSERT_EQ(polylines.size(), 1u);
  const LwPolylineData& p = *polylines[0];
  // The arc is the seed: the first line joins backwards, the second line
  // forwards (reversed).
  ASSERT_EQ(p.vertices.size(), 4u);
  EXPECT_NEAR(p.vertices[0].x, 0, 1e-9);
  EXPECT_NEAR(p.vertices[1].x, 10, 1e-9);
  EXPECT_NEAR(p.vertices[2].x, 15, 1e-9);
  EXPECT_NEAR(p.vertices[2].y, 5, 1e-9);
  EXPECT_NEAR(p.vertices[3].y, 15, 1e-9);
  EXPECT_NEAR(p.vertices[1].bulge, std::tan(M_PI / 8), 1e-9);
  EXPECT_EQ(p.vertices[0].bulge, 0);
  for (host::EntityName e : {arc, last, first}) EXPECT_TRUE(Erased(e));
  EXPECT_NE(Printed().find(L"\nDone. (2 elements joined).\n"), std::wstring::npos);
}

TEST_F(LarCorvex2Run, ACandidateTouchingAtBothEndsIsTakenByItsStart) {
  CorvexParameters().hzTolerance = 1.0;
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  // A short piece whose both ends lie within 1 of (10,0).
  const host::EntityName both = Line({10.2, 0, 0}, {10.4, 0.3, 0});
  ASSERT_EQ(Run({seed, both}), 1);
  const auto polylines = Lightweights();
  ASSERT_EQ(polylines.size(), 1u);
  // Not reversed: the last vertex is the piece's own end moved by the shift.
  EXPECT_NEAR(polylines[0]->vertices.back().x, 10.2, 1e-9);
  EXPECT_NEAR(polylines[0]->vertices.back().y, 0.3, 1e-9);
}

TEST_F(LarCorvex2Run, ThreeLinesAtOnePointTakeTheEarlierInTheSelection) {
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName up = Line({10, 0, 0}, {10, 10, 0});
  const host::EntityName down = Line({10, 0, 0}, {10, -10, 0});
  ASSERT_EQ(Run({seed, down, up}), 1);
  EXPECT_TRUE(Erased(down));
  EXPECT_FALSE(Erased(up));
  ASSERT_EQ(Lightweights().size(), 1u);
  EXPECT_NEAR(Lightweights()[0]->vertices.back().y, -10, 1e-9);
}

TEST_F(LarCorvex2Run, ARefusedLayerIsPassedOverWithoutTestingItsEnd) {
  JoinParameters& p = CorvexParameters();
  p.acceptOnlyFirstLayer = 1;
  p.hzTolerance = 1.0;
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  OnLayer(seed, L"Kerb");
  // Starts at the seed's end on another layer: refused, and its end (also
  // near) is not tried.
  const host::EntityName other = Line({10, 0, 0}, {10.5, 0.5, 0});
  OnLayer(other, L"Fence");
  const host::EntityName same = Line({20, 0, 0}, {10, 0.2, 0});
  OnLayer(same, L"KERB");
  ASSERT_EQ(Run({seed, other, same}), 1);
  EXPECT_FALSE(Erased(other));
  EXPECT_TRUE(Erased(same));
}

TEST_F(LarCorvex2Run, ASlopingLineMakesTheWholeChainA3dPolylineOfChords) {
  const host::EntityName arc = Arc({10, 5, 2}, 5, -M_PI / 2, 0);
  const host::EntityName slope = Line({0, 0, 0}, {10, 0, 2});
  ASSERT_EQ(Run({slope, arc}), 1);
  const auto polylines = LiveOf<PolylineData>();
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0]->flags & host::db::kPolyline3d, host::db::kPolyline3d);
  EXPECT_EQ(polylines[0]->flags & host::db::kPolylineClosed, 0);
  const std::vector<Point3> v = VerticesOf(Newest());
  // The line's two ends, then 32 chords of the arc (its start shared).
  ASSERT_EQ(v.size(), 2u + 32u);
  EXPECT_EQ(v[0], (Point3{0, 0, 0}));
  EXPECT_NEAR(v[1].z, 2, 1e-9);
  EXPECT_NEAR(v.back().x, 15, 1e-9);
  EXPECT_NEAR(v.back().y, 5, 1e-9);
  EXPECT_NEAR(v.back().z, 2, 1e-9);
  for (std::size_t i = 2; i < v.size(); ++i) EXPECT_NEAR(std::hypot(v[i].x - 10, v[i].y - 5), 5, 1e-9);
}

TEST_F(LarCorvex2Run, ARingInTheVertexPathEndsOnACopyOfItsFirstVertex) {
  JoinParameters& p = CorvexParameters();
  p.alwaysBreakArcs = 1;
  p.hzTolerance = 0.01;
  Line({0, 0, 1}, {10, 0, 1});
  Line({10, 0, 1}, {10, 10, 1});
  Line({10, 10, 1}, {0.005, 0.005, 1});
  Type(L"all");
  ASSERT_EQ(JoinSelection(), 1);
  ASSERT_EQ(Live().size(), 1u);
  const std::vector<Point3> v = VerticesOf(Newest());
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v.front(), v.back());
}

TEST_F(LarCorvex2Run, DoneCountsThePiecesNotTheSeeds) {
  for (double y : {0.0, 50.0}) {
    Line({0, y, 0}, {10, y, 0});
    Line({10, y, 0}, {20, y, 0});
    Line({20, y, 0}, {30, y, 0});
  }
  Type(L"all");
  ASSERT_EQ(JoinSelection(), 1);
  EXPECT_EQ(Lightweights().size(), 2u);
  EXPECT_NE(Printed().find(L"\nDone. (4 elements joined).\n"), std::wstring::npos);
  EXPECT_EQ(host::CurrentProgressMeter().shown, false);
}

TEST_F(LarCorvex2Run, TheDirectionQuestionReversesOnYesOnly) {
  struct Case {
    std::wstring answer;
    bool reversed;
  } cases[] = {{L"y", true}, {L"Yes", true}, {L"n", false}, {L"", false}, {L"!esc", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    host::db::Database db;
    host::db::ScopedWorkingDatabase working(&db);
    CorvexParameters().verifyDirections = 1;
    const host::EntityName a = db.Append(host::db::LineData{{0, 0, 0}, {10, 0, 0}});
    const host::EntityName b = db.Append(host::db::LineData{{10, 0, 0}, {20, 5, 0}});
    Select({a, b});
    if (c.answer == L"!esc")
      host::Actions().Push("esc");
    else
      Type(c.answer);
    host::ResetGraphics();
    ASSERT_EQ(JoinSelection(), 1);
    const std::vector<host::EntityName> live = db.EntitiesIn(db.ModelSpace());
    ASSERT_EQ(live.size(), 1u);
    const auto& p = std::get<LwPolylineData>(db.EntityOf(live[0])->data);
    EXPECT_NEAR(p.vertices.front().x, c.reversed ? 20 : 0, 1e-9);
    // The arrow is drawn and taken away again.
    ASSERT_EQ(host::TemporaryVectors().size(), 6u);
    EXPECT_EQ(host::TemporaryVectors()[0].colour, 7);
    EXPECT_EQ(host::TemporaryVectors()[5].colour, 0);
  }
}

TEST_F(LarCorvex2Run, AChainThatCannotBeWrittenKeepsItsPieces) {
  JoinParameters& p = CorvexParameters();
  p.automaticLayers = 0;
  CopyField(p.layerName, L"No such layer");
  const host::EntityName a = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName b = Line({10, 0, 0}, {20, 0, 0});
  ASSERT_EQ(Run({a, b}), 1);
  EXPECT_FALSE(Erased(a));
  EXPECT_FALSE(Erased(b));
  EXPECT_EQ(Live().size(), 2u);
  EXPECT_NE(Printed().find(L"\nDone. (0 elements joined).\n"), std::wstring::npos);
}

TEST_F(LarCorvex2Run, DegenerateAndDuplicatePiecesLoseNothing) {
  // A zero-length line, a zero-radius arc, a coincident duplicate, huge
  // coordinates and a lone circle.
  const host::EntityName a = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName dup = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName dot = Line({50, 50, 0}, {50, 50, 0});
  const host::EntityName zeroArc = Arc({70, 70, 0}, 0, 0, 1);
  const host::EntityName farA = Line({1e12, 1e12, 0}, {1e12 + 10, 1e12, 0});
  const host::EntityName farB = Line({1e12 + 10, 1e12, 0}, {1e12 + 20, 1e12, 0});
  const host::EntityName circle = Circle({-40, 0, 0}, 3);
  Type(L"all");
  ASSERT_EQ(JoinSelection(), 1);
  // The duplicate joins its twin (end to end, reversed); the far pair joins;
  // the dot, the zero arc and the circle stay as they were.
  EXPECT_TRUE(Erased(a));
  EXPECT_TRUE(Erased(dup));
  EXPECT_TRUE(Erased(farA));
  EXPECT_TRUE(Erased(farB));
  EXPECT_FALSE(Erased(dot));
  EXPECT_FALSE(Erased(zeroArc));
  EXPECT_FALSE(Erased(circle));
  const auto polylines = Lightweights();
  ASSERT_EQ(polylines.size(), 2u);
  EXPECT_EQ(polylines[0]->vertices.size(), 3u);
  EXPECT_NEAR(polylines[1]->vertices.back().x, 1e12 + 20, 1e-3);
}

TEST_F(LarCorvex2Run, EmptyAndCancelledSelectionsReportNothingDone) {
  host::Actions().Push("esc");
  EXPECT_EQ(JoinSelection(), 0);
  host::Actions().Push("select", {});
  EXPECT_EQ(JoinSelection(), 0);
  // Only objects of other kinds: a text.
  host::db::TextData text;
  text.text = L"x";
  db_.Append(text);
  Type(L"all");
  EXPECT_EQ(JoinSelection(), 0);
  EXPECT_EQ(Printed().find(L"Done."), std::wstring::npos);
}

TEST_F(LarCorvex2Run, ConvertedChainsAreLevelledLightweightPolylines) {
  JoinParameters& p = CorvexParameters();
  p.convert3dTo2d = 1;
  p.newLevel2d = 12.5;
  const host::EntityName a = Line({0, 0, 0}, {10, 0, 1});
  const host::EntityName b = Line({10, 0, 1}, {20, 0, 2});
  ASSERT_EQ(Run({a, b}), 1);
  const auto polylines = Lightweights();
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0]->elevation, 12.5);
  EXPECT_EQ(polylines[0]->constantWidth, 0);
  EXPECT_EQ(polylines[0]->vertices.size(), 3u);
}

// The joined polyline is as wide as the chain's last piece: the piece that
// ends it, or the seed itself when nothing follows it (pieces joined before
// the seed do not count).
TEST_F(LarCorvex2Run, TheJoinedPolylineIsAsWideAsTheChainsLastPiece) {
  struct Piece {
    double x1, x2, width;
  };
  struct Case {
    const char* what;
    std::vector<Piece> pieces;  // the first is selected first: the seed
    double width;
  };
  const Case cases[] = {
      {"a wider piece after the seed", {{0, 10, 1.0}, {10, 20, 3.0}}, 3.0},
      {"three pieces, the last narrow", {{0, 10, 1.0}, {10, 20, 3.0}, {20, 30, 0.5}}, 0.5},
      {"a piece before the seed only", {{10, 20, 2.0}, {0, 10, 4.0}}, 2.0},
      {"a line without width ends it", {{0, 10, 1.5}, {10, 20, 0.0}}, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host::db::Database db;
    host::db::ScopedWorkingDatabase working(&db);
    std::vector<host::EntityName> selection;
    for (const Piece& p : c.pieces) {
      LwPolylineData d;
      d.vertices = {{p.x1, 0, 0, p.width, p.width}, {p.x2, 0, 0, p.width, p.width}};
      selection.push_back(db.Append(d));
    }
    Select(selection);
    ASSERT_EQ(JoinSelection(), 1);
    std::vector<const LwPolylineData*> joined;
    for (const host::EntityName& e : db.EntitiesIn(db.ModelSpace()))
      if (const auto* d = std::get_if<LwPolylineData>(&db.EntityOf(e)->data)) joined.push_back(d);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0]->vertices.size(), c.pieces.size() + 1);
    EXPECT_EQ(joined[0]->constantWidth, c.width);
    for (const host::db::LwVertex& v : joined[0]->vertices) {
      EXPECT_EQ(v.startWidth, c.width);
      EXPECT_EQ(v.endWidth, c.width);
    }
  }
}

TEST_F(LarCorvex2Run, APieceShiftedOntoTheChainLeavesNoJogIn3d) {
  CorvexParameters().hzTolerance = 0.3;
  const host::EntityName a = Line({0, 0, 0}, {10, 0, 1});
  const host::EntityName b = Line({10.2, 0, 1}, {20, 0, 2});
  ASSERT_EQ(Run({a, b}), 1);
  const std::vector<Point3> v = VerticesOf(Newest());
  // The piece's first point moves onto the seed's end and is dropped there.
  ASSERT_EQ(v.size(), 3u);
  EXPECT_NEAR(v[2].x, 19.8, 1e-9);
}

}  // namespace
}  // namespace join_test
