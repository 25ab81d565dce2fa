#include "common/containers/memory_log.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/containers/grow_array.h"
#include "common/tests/temp_folder.h"
#include "host/system/fault.h"

namespace {

namespace fs = std::filesystem;

class MemoryLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = (folder_ / "log.txt").string();
    SetMemoryLogPath(log_);
  }
  void TearDown() override {
    host::DisarmAllFaults();
    SetMemoryLogPath("");
  }

  std::string LogText() const { return common_test::ReadFile(log_); }

  common_test::TempFolder temp_{"memory_log"};
  const fs::path folder_ = temp_.Path();
  std::string log_;
};

TEST_F(MemoryLogTest, DefaultsToTheTemporaryFolder) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("TMPDIR", folder_.c_str(), 1);
  SetMemoryLogPath("");
  EXPECT_EQ(MemoryLogPath(), (folder_ / "orvanelog.txt").string());
  if (old != nullptr)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  SetMemoryLogPath(log_);
  EXPECT_EQ(MemoryLogPath(), log_);
}

TEST_F(MemoryLogTest, AppendsOneLinePerCall) {
  WriteMemoryLog("first");
  WriteMemoryLog("second");
  EXPECT_EQ(LogText(), "(vm) first\n(vm) second\n");

  // A log that cannot be opened is skipped quietly.
  SetMemoryLogPath((folder_ / "missing" / "log.txt").string());
  WriteMemoryLog("lost");
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
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
