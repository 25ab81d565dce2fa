#include "host/system/ordered_work.h"

#include "host/system/helper_threads.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace host {

bool MakeInOrder(std::size_t count, int threads, int lanes, const std::function<void(std::size_t, int)>& make,
                 const std::function<bool(std::size_t, int)>& take) {
  lanes = std::max(lanes, 1);
  const auto laneOf = [lanes](std::size_t piece) { return static_cast<int>(piece % static_cast<std::size_t>(lanes)); };

  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0;   // the next piece to start
  std::size_t taken = 0;  // pieces taken
  bool stop = false;
  // Per lane: the number of the piece finished there, plus one; 0 for none.
  std::vector<std::size_t> finished(static_cast<std::size_t>(lanes), 0);

  const auto helper = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      // A piece starts once its lane's earlier piece has been taken.
      changed.wait(lock, [&] { return stop || next >= count || next < taken + static_cast<std::size_t>(lanes); });
      if (stop || next >= count) return;
      const std::size_t piece = next++;
      lock.unlock();
      make(piece, laneOf(piece));
      lock.lock();
      finished[static_cast<std::size_t>(laneOf(piece))] = piece + 1;
      changed.notify_all();
    }
  };

  std::vector<std::thread> helpers;
  const int wanted = count > 1 && HelperThreadsAllowed() ? static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 0)), count)) : 0;
  for (int i = 0; i < wanted; ++i) {
    try {
      helpers.emplace_back(helper);
    } catch (const std::system_error&) {
      break;  // as many as could be started
    }
  }

  bool ok = true;
  if (helpers.empty()) {
    for (std::size_t piece = 0; piece < count && ok; ++piece) {
      make(piece, laneOf(piece));
      ok = take(piece, laneOf(piece));
    }
    return ok;
  }
  for (std::size_t piece = 0; piece < count && ok; ++piece) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return finished[static_cast<std::size_t>(laneOf(piece))] == piece + 1; });
    }
    ok = take(piece, laneOf(piece));
    {
      std::lock_guard<std::mutex> lock(mutex);
      taken = piece + 1;
      stop = !ok;
    }
    changed.notify_all();
  }
  for (std::thread& t : helpers) t.join();
  return ok;
}

int HelperThreads(int most) {
  const unsigned processors = std::thread::hardware_concurrency();
  const int others = processors > 1 ? static_cast<int>(processors) - 1 : 1;
  return std::max(1, std::min(most, others));
}

}  // namespace host
