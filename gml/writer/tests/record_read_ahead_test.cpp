#include "gml/writer/record_read_ahead.h"

#include <gtest/gtest.h>

#include <vector>

#include "gml/writer/tests/writer_fixture.h"
#include "host/system/helper_threads.h"

using namespace writer_test;

namespace {

// A list of lines whose point lists span several pages each.
struct LineList {
  explicit LineList(int count) {
    EXPECT_TRUE(GrowArrayCreate(count, sizeof(LineFeatureRecord), &list));
    for (int i = 0; i < count; ++i) {
      LineFeatureRecord line{};
      EXPECT_TRUE(GrowArrayCreate(400, sizeof(LinePoint), &line.points));
      for (int p = 0; p < 400; ++p) {
        const LinePoint point{' ', double(i), double(p), 0};
        EXPECT_TRUE(GrowArraySet(&line.points, p, &point));
      }
      EXPECT_TRUE(GrowArraySet(&list, i, &line));
    }
  }
  ~LineList() {
    for (std::int32_t i = 0; i < list.count; ++i) FreePoints(i);
    GrowArrayFree(&list);
  }
  void FreePoints(std::int32_t i) {
    void* slot = nullptr;
    ASSERT_TRUE(GrowArrayGetPtr(&list, i, &slot));
    auto* line = static_cast<LineFeatureRecord*>(slot);
    if (line->points.marker == kGrowArrayMarker) GrowArrayFree(&line->points);
    line->points = GrowArray{};
  }
  GrowArray list{};
};

// A pass that frees the point list of each record it has drawn (after
// Before) while the helper reads ahead: the helper never reads a list that
// was let go (the sanitizer builds would stop on it), whatever piece the
// pass stops in, and a list may be freed whole once Finish has returned.
TEST(RecordReadAheadTest, ReadsOnlyRecordsThePassHasNotReleased) {
  for (const int stopAt : {RecordReadAhead::kPiece * 4 + 5, RecordReadAhead::kPiece + 1, 0}) {
    SCOPED_TRACE(stopAt);
    LineList lines(RecordReadAhead::kPiece * 4 + 9);
    {
      RecordReadAhead ahead(lines.list.count, stopAt > 0);
      EXPECT_TRUE(ahead.Running());
      for (std::int32_t i = 0; i < lines.list.count && i < stopAt; ++i) {
        ahead.Along(lines.list, RecordReadAhead::Nested::kLine, i);
        ahead.Before(i + 1);
        lines.FreePoints(i);
      }
      ahead.Finish();
      for (std::int32_t i = 0; i < lines.list.count; ++i) lines.FreePoints(i);
    }
  }
}

TEST(RecordReadAheadTest, StartsNoThreadWhereHelperThreadsAreForbiddenOrForOnePiece) {
  EXPECT_FALSE(RecordReadAhead(RecordReadAhead::kPiece, true).Running());
  host::AllowHelperThreads(false);
  {
    LineList lines(RecordReadAhead::kPiece * 2);
    RecordReadAhead ahead(lines.list.count, true);
    EXPECT_FALSE(ahead.Running());
    for (std::int32_t i = 0; i < lines.list.count; ++i)
      ahead.Along(lines.list, RecordReadAhead::Nested::kLine, i);
    ahead.Finish();
  }
  host::AllowHelperThreads(true);
}

}  // namespace
