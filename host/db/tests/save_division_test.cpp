// A save whose entities are written in pieces on helper threads writes the
// file a save on the saving thread alone writes, and refuses it alike.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/db/drawing_file.h"
#include "host/db/tests/sample_drawing.h"
#include "host/system/tests/temp_folder_fixture.h"
#include "host/system/wide_text.h"

namespace host::db {
namespace {

class SaveDivisionTest : public host::testing::TempFolderTest {
 protected:
  // The sample drawing read back from its file (its entities keep what was
  // read), one of them moved, and many more entities in model and paper
  // space.
  void SetUp() override {
    TempFolderTest::SetUp();
    Database made;
    testing::FillSample(made);
    ASSERT_TRUE(SaveDrawing(made, PathOf("sample.dxf")).ok());
    ASSERT_TRUE(ReadDrawing(db_, PathOf("sample.dxf")).ok());
    for (ObjectId id : db_.EntitiesIn(db_.ModelSpace()))
      if (auto* line = std::get_if<LineData>(&db_.EntityOf(id)->data)) line->end.x += 0.5;
    for (int i = 0; i < 600; ++i) {
      const double x = 530000 + i * 1.25, y = 180000 + i * 0.001;
      ObjectId id;
      switch (i % 4) {
        case 0: id = db_.Append(LineData{{x, y, 0}, {x + 1, y + 2, 0}}); break;
        case 1: {
          LwPolylineData lw;
          for (int k = 0; k < i % 37 + 2; ++k) lw.vertices.push_back(LwVertex{x + k, y - k / 3.0, 0, 0, k % 5 ? 0 : 0.5});
          id = db_.Append(lw);
          break;
        }
        case 2: {
          TextData text;
          text.position = {x, y, 0};
          text.height = 1.5;
          text.rotation = i * 0.01;
          text.text = L"Caf\u00e9 " + std::to_wstring(i);
          id = db_.Append(text);
          break;
        }
        default: id = db_.Append(CircleData{{x, y, 0}, i / 7.0}, i % 8 == 3 ? db_.PaperSpace() : ObjectId{});
      }
      (void)db_.EntityOf(id)->xdata.Apply(
          {{1001, testing::kAppOs}, {1000, L"osgb" + std::to_wstring(i)}, {1040, i / 3.0}});
    }
  }

  std::string PathOf(const std::string& name) const { return root_ + "/" + name; }

  // The file saved with `division`, or the message of the refusal.
  std::string Saved(const SaveDivision& division) {
    Result<std::int64_t> saved = SaveDrawing(db_, PathOf("saved.dxf"), division);
    if (!saved.ok()) return "refused: " + NarrowText(saved.message);
    return Read("saved.dxf");
  }

  // The data of the n-th entity of model space holding a `Data`.
  template <typename Data>
  Data& Nth(int n) {
    for (ObjectId id : db_.EntitiesIn(db_.ModelSpace()))
      if (auto* data = std::get_if<Data>(&db_.EntityOf(id)->data); data && n-- == 0) return *data;
    ADD_FAILURE() << "too few entities of the kind";
    return std::get<Data>(db_.EntityOf(db_.LastEntity())->data);
  }

  Database db_{Database::Content::kEmpty};
};

// Pieces of a few entities each, so that every space is many pieces.
constexpr SaveDivision kAlone{256 << 10, 0};
constexpr SaveDivision kShared{2000, 3};

TEST_F(SaveDivisionTest, PiecesOnHelperThreadsMakeTheSameFile) {
  const std::string alone = Saved(kAlone);
  ASSERT_EQ(alone.rfind("refused", 0), std::string::npos) << alone;
  ASSERT_GT(alone.size(), 100000u);
  EXPECT_EQ(Saved(kShared), alone);
  EXPECT_EQ(Saved(SaveDivision{2000, 1}), alone);
  EXPECT_EQ(Saved(SaveDivision{}), alone);
}

// The first value in the file's order names the fault, whichever piece and
// thread met it.
TEST_F(SaveDivisionTest, TheFirstFaultInTheFileNamesTheRefusal) {
  Nth<TextData>(120).text = L"later " + std::wstring(1100, L'b');
  Nth<TextData>(90).text = L"earlier " + std::wstring(1100, L'a');
  const std::string tooLong = Saved(kAlone);
  EXPECT_NE(tooLong.find("\"earlier aaaa"), std::string::npos) << tooLong;
  EXPECT_EQ(Saved(kShared), tooLong);

  Nth<TextData>(120).text = L"short";
  Nth<TextData>(90).text = L"short";
  Nth<CircleData>(70).center.y = std::nan("");
  Nth<CircleData>(40).radius = HUGE_VAL;
  const std::string notFinite = Saved(kAlone);
  EXPECT_NE(notFinite.find("(group 40)"), std::string::npos) << notFinite;
  EXPECT_EQ(Saved(kShared), notFinite);
}

}  // namespace
}  // namespace host::db
