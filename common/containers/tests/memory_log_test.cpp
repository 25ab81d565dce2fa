#include "common/containers/memory_log.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/containers/grow_array.h"
#include "common/tests/temp_folder.h"
#include "host/system/environment.h"
#include "host/system/fault.h"
#include "host/system/files.h"
#include "host/system/temp_files.h"
#include "host/testing/test_reset.h"

namespace {

namespace fs = std::filesystem;

// The log goes to the test's own folder: the host's temporary folder there.
class MemoryLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    host::SetEnvironmentOverride(L"TMPDIR", host::WidePath(folder_.string()));
  }
  void TearDown() override { host::ResetForTest(); }

  std::string LogText() const { return common_test::ReadFile(log_); }

  common_test::TempFolder temp_{"memory_log"};
  const fs::path folder_ = temp_.Path();
  const std::string log_ = (folder_ / "orvanelog.txt").string();
};

TEST_F(MemoryLogTest, LivesInTheTemporaryFolder) {
  EXPECT_EQ(MemoryLogPath(), log_);
  host::ResetForTest();
  EXPECT_EQ(MemoryLogPath(), host::NativePath(host::TempFolder()).value() + "orvanelog.txt");
}

TEST_F(MemoryLogTest, AppendsOneLinePerCall) {
  WriteMemoryLog("first");
  WriteMemoryLog("second");
  EXPECT_EQ(LogText(), "(vm) first\n(vm) second\n");

  // A log that cannot be opened (a folder of that name here) is skipped quietly.
  fs::remove(log_);
  fs::create_directory(log_);
  WriteMemoryLog("lost");
  EXPECT_TRUE(fs::is_directory(log_));
}

TEST_F(MemoryLogTest, FailedGrowthIsLoggedAndLeavesTheArrayUnchanged) {
  struct Case {
    const char* what;
    std::int32_t capacity;
    std::uint64_t elementSize;
    std::int32_t step;
    bool injectFault;
    const char* line;
  } cases[] = {
      {"allocation fails", 50, 8, 25, true, "(vm) ZAzeZo ui: 600, li: 600\n"},
      // Past the 2 GiB bound: refused without allocating, logged all the
      // same; the second figure keeps the low 32 bits.
      {"size past the bound", 0, (std::uint64_t{1} << 32) + 8, 1, false,
       "(vm) ZAzeZo ui: 4294967304, li: 8\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(log_);
    GrowArray a;
    ASSERT_TRUE(GrowArrayCreateExact(c.capacity, c.elementSize, &a));
    std::int64_t value = 5;
    if (c.elementSize == sizeof value) {
      for (std::int32_t i = 0; i < c.capacity; ++i) ASSERT_TRUE(GrowArraySet(&a, i, &value));
    }
    const GrowArray before = a;
    if (c.injectFault) host::ArmFault(host::FaultPoint::Allocation, 0);
    EXPECT_FALSE(GrowArraySetLogged(&a, c.capacity, &value, c.step));
    host::DisarmAllFaults();
    EXPECT_EQ(0, std::memcmp(&a, &before, sizeof a));
    EXPECT_EQ(LogText(), c.line);
    EXPECT_TRUE(GrowArrayFree(&a));
  }
}

TEST_F(MemoryLogTest, SetLoggedUsesTheStepAsGiven) {
  GrowArray a;
  ASSERT_TRUE(GrowArrayCreateExact(2, sizeof(std::int32_t), &a));
  const std::int32_t value = 9;
  ASSERT_TRUE(GrowArraySetLogged(&a, 0, &value, 3));
  ASSERT_TRUE(GrowArraySetLogged(&a, 1, &value, 3));
  ASSERT_TRUE(GrowArraySetLogged(&a, 2, &value, 3));
  EXPECT_EQ(a.capacity, 5) << "no default step of 50";
  EXPECT_EQ(a.count, 3);
  // A step of 0 or less is refused, also where no growth is needed.
  const GrowArray before = a;
  EXPECT_FALSE(GrowArraySetLogged(&a, 5, &value, 0));
  EXPECT_FALSE(GrowArraySetLogged(&a, 3, &value, -1));
  EXPECT_EQ(0, std::memcmp(&a, &before, sizeof a));
  EXPECT_FALSE(fs::exists(log_)) << "nothing failed to grow";
  EXPECT_TRUE(GrowArrayFree(&a));
}

}  // namespace
