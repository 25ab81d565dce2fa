// Time and randomness seams.
//
// The host runs on a virtual clock: time moves only when something advances
// it (a scripted wait, a timer run, a test), so runs are repeatable. Wall
// time stamps (file times, "now" for reports) come from a settable source
// that tests can fix. The random source gives 15-bit values (0 to 32767)
// from a seed, the same sequence for the same seed.
//
// Process-wide state, used from one thread only.
#pragma once

#include <cstdint>
#include <ctime>

namespace host {

// Milliseconds of virtual time since the host started.
std::int64_t VirtualNowMs();
void AdvanceVirtualClock(std::int64_t ms);
void ResetVirtualClock();

// Calendar time for time stamps; the real time unless a test fixed it.
std::time_t WallClockNow();
void FixWallClock(std::time_t when);  // every later call answers `when`
void UseRealWallClock();

inline constexpr int kRandomMax = 32767;
void SeedRandom(std::uint32_t seed);
int Random15();  // 0 to 32767

}  // namespace host
