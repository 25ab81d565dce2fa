#include "host/system/clock.h"

namespace host {
namespace {

std::int64_t g_virtual_ms = 0;
bool g_wall_fixed = false;
std::time_t g_wall_time = 0;
std::uint32_t g_random_state = 1;

}  // namespace

std::int64_t VirtualNowMs() { return g_virtual_ms; }
void AdvanceVirtualClock(std::int64_t ms) {
  if (ms > 0) g_virtual_ms += ms;
}
void ResetVirtualClock() { g_virtual_ms = 0; }

std::time_t WallClockNow() { return g_wall_fixed ? g_wall_time : std::time(nullptr); }
void FixWallClock(std::time_t when) {
  g_wall_fixed = true;
  g_wall_time = when;
}
void UseRealWallClock() { g_wall_fixed = false; }

void SeedRandom(std::uint32_t seed) { g_random_state = seed; }

// The classic linear congruential generator with a 15-bit result.
int Random15() {
  g_random_state = g_random_state * 1103515245u + 12345u;
  return static_cast<int>((g_random_state / 65536u) % 32768u);
}

}  // namespace host
