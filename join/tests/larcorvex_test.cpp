// The LarCorvex run: chains grown from the objects picked first.
#include <cmath>
#include <numbers>

#include "join/join_runs.h"
#include "join/tests/join_fixture.h"

namespace join_test {
namespace {

class LarCorvexRun : public JoinTest {
 protected:
  int Run(const std::vector<host::EntityName>& seeds, const std::vector<host::EntityName>& objects) {
    Select(seeds);
    Select(objects);
    return JoinFromInitialEntity();
  }
};

TEST_F(LarCorvexRun, EachSeedGrowsBothWaysAndSeedsAreNeverPieces) {
  const host::EntityName before = Line({-10, 0, 0}, {0, 0, 0});
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName after = Line({20, 0, 0}, {10, 0, 0});
  const host::EntityName seed2 = Line({20, 0, 0}, {30, 0, 0});
  const host::EntityName alone = Line({0, 50, 0}, {10, 50, 0});
  ASSERT_EQ(Run({seed, seed2, alone}, {before, seed, after, seed2, alone}), 1);
  // The first seed takes before and after; the second seed, touching only
  // the piece already taken, stays as it is, as does the lone one.
  EXPECT_TRUE(Erased(before));
  EXPECT_TRUE(Erased(seed));
  EXPECT_TRUE(Erased(after));
  EXPECT_FALSE(Erased(seed2));
  EXPECT_FALSE(Erased(alone));
  const auto polylines = LiveOf<LwPolylineData>();
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0]->vertices.front().x, -10);
  EXPECT_EQ(polylines[0]->vertices.back().x, 20);
  EXPECT_NE(Printed().find(L"\nDone. (2 elements joined).\n"), std::wstring::npos);
  EXPECT_NE(host::Shown().TextsOf("command").size(), 0u);
}

// An arc mirrored in plan holds its centre and angles in a plane seen from
// below: it joins where the drawing shows it, and the line that ends where its
// stored coordinates would put it stays apart.
TEST_F(LarCorvexRun, AMirroredArcJoinsWhereItLies) {
  const double pi = std::numbers::pi;
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  // Shown from (15, 5) to (10, 0) about (10, 5), clockwise on the drawing.
  const host::EntityName arc = db_.Append(host::db::ArcData{{-10, 5, 0}, 5, pi, 1.5 * pi, {0, 0, -1}});
  const host::EntityName decoy = Line({-10, 0, 0}, {-20, 0, 0});
  ASSERT_EQ(Run({seed}, {decoy, arc}), 1);
  EXPECT_TRUE(Erased(arc));
  EXPECT_FALSE(Erased(decoy));
  const auto polylines = LiveOf<LwPolylineData>();
  ASSERT_EQ(polylines.size(), 1u);
  const host::db::LwVertexList& v = polylines[0]->vertices;
  ASSERT_EQ(v.size(), 3u);
  EXPECT_NEAR(v[1].x, 10, 1e-9);
  EXPECT_NEAR(v[1].y, 0, 1e-9);
  EXPECT_NEAR(v[2].x, 15, 1e-9);
  EXPECT_NEAR(v[2].y, 5, 1e-9);
  // From (10, 0) to (15, 5) about (10, 5) the arc turns left.
  EXPECT_NEAR(v[1].bulge, std::tan(pi / 8), 1e-9);
}

TEST_F(LarCorvexRun, ALoneSeedIsKeptAndTheSummarySaysNothingJoined) {
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  ASSERT_EQ(Run({seed}, {seed}), 1);
  EXPECT_FALSE(Erased(seed));
  EXPECT_NE(Printed().find(L"\nDone. (0 elements joined).\n"), std::wstring::npos);
}

TEST_F(LarCorvexRun, NoToOtherLayersHoldsForEveryLaterSeed) {
  const host::EntityName seed1 = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName other1 = Line({10, 0, 0}, {20, 0, 0});
  const host::EntityName seed2 = Line({0, 50, 0}, {10, 50, 0});
  const host::EntityName other2 = Line({10, 50, 0}, {20, 50, 0});
  OnLayer(other1, L"Other");
  OnLayer(other2, L"Other");
  Select({seed1, seed2});
  Select({other1, other2});
  Type(L"No");
  ASSERT_EQ(JoinFromInitialEntity(), 1);
  EXPECT_FALSE(Erased(other1));
  EXPECT_FALSE(Erased(other2));
  // Asked once for both seeds.
  const std::wstring question = L"\nAccept objects from other layers than 1st objects layer? <Yes>/No: ";
  const std::size_t at = Printed().find(question);
  ASSERT_NE(at, std::wstring::npos);
  EXPECT_EQ(Printed().find(question, at + 1), std::wstring::npos);
}

TEST_F(LarCorvexRun, FixedLayersJoinAcrossLayersWithoutAQuestion) {
  CorvexParameters().automaticLayers = 0;
  db_.EnsureLayer(L"New polyline");
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName other = Line({10, 0, 0}, {20, 0, 0});
  OnLayer(other, L"Other");
  ASSERT_EQ(Run({seed}, {other}), 1);
  EXPECT_TRUE(Erased(other));
  EXPECT_EQ(Printed().find(L"Accept objects"), std::wstring::npos);
  EXPECT_EQ(Newest().layer, db_.Layer(L"New polyline").handle);
  EXPECT_EQ(Newest().color, 7);
}

TEST_F(LarCorvexRun, EscAtTheLayerQuestionStopsQuietlyAndKeepsEverything) {
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName other = Line({10, 0, 0}, {20, 0, 0});
  OnLayer(other, L"Other");
  Select({seed});
  Select({other});
  host::Actions().Push("esc");
  ASSERT_EQ(JoinFromInitialEntity(), 1);
  EXPECT_FALSE(Erased(seed));
  EXPECT_FALSE(Erased(other));
  EXPECT_EQ(Printed().find(L"Done."), std::wstring::npos);
}

TEST_F(LarCorvexRun, ASlopingPieceMakesA3dPolyline) {
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  const host::EntityName slope = Line({10, 0, 0}, {20, 0, 3});
  ASSERT_EQ(Run({seed}, {slope}), 1);
  const std::vector<Point3> v = VerticesOf(Newest());
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[2], (Point3{20, 0, 3}));
}

TEST_F(LarCorvexRun, NoSelectionMeansNotDone) {
  host::Actions().Push("esc");
  EXPECT_EQ(JoinFromInitialEntity(), 0);
  const host::EntityName seed = Line({0, 0, 0}, {10, 0, 0});
  Select({seed});
  host::Actions().Push("esc");
  EXPECT_EQ(JoinFromInitialEntity(), 0);
  // A circle cannot be an initial object.
  Select({Circle({0, 0, 0}, 1)});
  EXPECT_EQ(JoinFromInitialEntity(), 0);
}

}  // namespace
}  // namespace join_test
