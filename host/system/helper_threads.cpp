#include "host/system/helper_threads.h"

#include <atomic>

namespace host {
namespace {

std::atomic<bool> g_helper_threads{true};

}  // namespace

bool HelperThreadsAllowed() { return g_helper_threads.load(std::memory_order_relaxed); }

void AllowHelperThreads(bool allowed) {
  g_helper_threads.store(allowed, std::memory_order_relaxed);
}

}  // namespace host
