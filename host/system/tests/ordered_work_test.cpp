// Pieces made on helper threads reach the caller in order, never more of
// them in hand than there are lanes, and a refused piece stops the rest.
#include "host/system/ordered_work.h"

#include "host/system/helper_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace host {
namespace {

TEST(OrderedWorkTest, PiecesArriveInOrderWithNoMoreInHandThanLanes) {
  struct Case {
    std::size_t count;
    int threads;
    int lanes;
  };
  const Case cases[] = {{0, 3, 4}, {1, 3, 4}, {2, 3, 1}, {50, 0, 3}, {200, 1, 2}, {200, 3, 7}, {37, 8, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.count) + " pieces, " + std::to_string(c.threads) + " threads, " +
                 std::to_string(c.lanes) + " lanes");
    std::vector<std::size_t> rooms(static_cast<std::size_t>(c.lanes), 0);
    std::vector<std::size_t> taken;
    std::atomic<int> inHand{0};
    std::atomic<int> mostInHand{0};
    const bool ok = MakeInOrder(
        c.count, c.threads, c.lanes,
        [&](std::size_t piece, int lane) {
          const int now = ++inHand;
          int most = mostInHand.load();
          while (now > most && !mostInHand.compare_exchange_weak(most, now)) {
          }
          // Late pieces finish first now and then.
          if (piece % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
          rooms[static_cast<std::size_t>(lane)] = piece * 10;
        },
        [&](std::size_t piece, int lane) {
          EXPECT_EQ(rooms[static_cast<std::size_t>(lane)], piece * 10);  // its lane holds it still
          taken.push_back(piece);
          --inHand;
          return true;
        });
    EXPECT_TRUE(ok);
    ASSERT_EQ(taken.size(), c.count);
    for (std::size_t i = 0; i < taken.size(); ++i) EXPECT_EQ(taken[i], i);
    EXPECT_LE(mostInHand.load(), c.lanes);
  }
}

TEST(OrderedWorkTest, AProcessWithoutHelperThreadsMakesEveryPieceOnTheCallersThread) {
  AllowHelperThreads(false);
  std::vector<std::size_t> taken;
  bool elsewhere = false;
  const std::thread::id caller = std::this_thread::get_id();
  EXPECT_TRUE(MakeInOrder(
      20, 4, 3, [&](std::size_t, int) { elsewhere = elsewhere || std::this_thread::get_id() != caller; },
      [&](std::size_t piece, int) {
        taken.push_back(piece);
        return true;
      }));
  AllowHelperThreads(true);
  EXPECT_FALSE(elsewhere);
  EXPECT_EQ(taken.size(), 20u);
}

TEST(OrderedWorkTest, ARefusedPieceStopsTheWork) {
  for (int threads : {0, 3}) {
    SCOPED_TRACE(threads);
    std::atomic<std::size_t> made{0};
    std::vector<std::size_t> taken;
    const bool ok = MakeInOrder(
        1000, threads, 4, [&](std::size_t, int) { ++made; },
        [&](std::size_t piece, int) {
          taken.push_back(piece);
          return piece < 5;
        });
    EXPECT_FALSE(ok);
    EXPECT_EQ(taken, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    // Only the pieces whose lanes were free were started.
    EXPECT_LE(made.load(), 6u + 4u);
  }
}

}  // namespace
}  // namespace host
