#include "host/editor/display.h"

#include "editor_fixture.h"

namespace {

using DisplayTest = EditorTest;

TEST_F(DisplayTest, ProgressMeterRecordsOnlyChangesWithinItsRange) {
  ASSERT_TRUE(host::SetProgressMeter(L"Reading", 0, 100));
  host::SetProgressMeterPos(10);
  host::SetProgressMeterPos(10);
  host::SetProgressMeterPos(250);
  EXPECT_EQ(host::CurrentProgressMeter().pos, 100);
  host::RestoreStatusBar();
  host::SetProgressMeterPos(20);  // no meter shown
  EXPECT_EQ(host::Shown().TextsOf("progress"),
            (std::vector<std::wstring>{L"Reading 0..100", L"pos 10", L"pos 100", L"restore"}));
  EXPECT_FALSE(host::SetProgressMeter(L"Empty", 5, 4));
  EXPECT_FALSE(host::CurrentProgressMeter().shown);
}

}  // namespace
