// The postcode file and the "Postcode search" dialog: good, damaged and
// overlong lines, the key form both sides share, a missing file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gml/ui/location_dialogs.h"
#include "gml/ui/postcode_file.h"
#include "ui_fixture.h"

namespace {

using host::ui::kIdCancel;
using host::ui::kIdOk;

constexpr int kPostcodeEdit = 324;

// A line of the file: fields 4, 7, 9, 12 and 13 quoted, 13 the postcode,
// 14 and 15 easting and northing in tenths of a metre.
std::string Line(const std::string& postcode, const std::string& east, const std::string& north,
                 const std::string& quotedFour = "High Street, West") {
  return "1,2,3,4,\"" + quotedFour + "\",6,7,\"8\",9,\"10\",11,12,\"13\",\"" + postcode + "\"," + east + "," +
         north;
}

class PostcodeTest : public UiTest {
 protected:
  // The value pair of `postcode` in the tree built from `lines`; {-1, -1}
  // when it is not there.
  static std::pair<int, int> Lookup(BinaryTree& tree, const char* key) {
    const BinaryTreeNode* node = tree.Find(key);
    return node ? std::pair<int, int>{node->payloadA, node->payloadB} : std::pair<int, int>{-1, -1};
  }
};

TEST_F(PostcodeTest, FileLinesGoodDamagedAndOverlong) {
  const std::string tail = Line("ZZ9 9ZZ", "1", "2");
  Write("postcodedb.txt",
        Line("AB1 2CD", "3456789", "1234567") + "\n" +   // good; the key loses its blank
        Line("AB12CD", "1", "1") + "\n" +                // the same postcode again: the first wins
        Line("cd3 4ef", "200", "300") + "\r\n" +         // lower case, a CRLF line end
        Line("EF5 6GH", "12x", "34") + "\n" +            // read as far as there are digits
        Line("GH7 8IJ", "abc", "34") + "\n" +            // no easting: left out
        Line("HI9 0JK", "", "34") + "\n" +               // empty easting: left out
        Line("IJ1 2KL", "5", "") + "\n" +                // empty northing: left out
        "1,2,3,4,\n" +                                   // ends before a quoted field
        "1,2,3,4,\"unclosed,5,6\n" +                     // a quote that never closes
        Line("", "5", "6") + "\n" +                      // no postcode
        Line("ABCDEFGHIJKLMNOPQR", "5", "6") + "\n" +    // longer than a key
        std::string(1023, 'x') + tail + "\n" +           // the rest of a long line is no line
        Line("KL3 4MN", "7", "8", std::string(200, 'q')) + "\n" +  // a field cut to 127
        "\n");
  BinaryTree tree;
  ASSERT_TRUE(LoadPostcodeFile(At("postcodedb.txt"), &tree));
  EXPECT_EQ(Lookup(tree, "AB12CD"), std::make_pair(3456789, 1234567));
  EXPECT_EQ(Lookup(tree, "CD34EF"), std::make_pair(200, 300));
  EXPECT_EQ(Lookup(tree, "EF56GH"), std::make_pair(12, 34));
  EXPECT_EQ(Lookup(tree, "KL34MN"), std::make_pair(7, 8));
  for (const char* absent : {"GH78IJ", "HI90JK", "IJ12KL", "ZZ99ZZ", "ABCDEFGHIJKLMNOPQ"})
    EXPECT_EQ(Lookup(tree, absent), std::make_pair(-1, -1)) << absent;
  EXPECT_EQ(tree.NodeCount(), 4);

  BinaryTree none;
  EXPECT_FALSE(LoadPostcodeFile(At("missing.txt"), &none));
  EXPECT_FALSE(LoadPostcodeFile(L"", &none));
  EXPECT_EQ(none.NodeCount(), 0);
}

TEST_F(PostcodeTest, FieldsKeepQuotedCommasAndAreCut) {
  const std::vector<std::string> fields = PostcodeFields(Line("AB1 2CD", "1", "2", std::string(300, 'a') + ",b"));
  ASSERT_EQ(fields.size(), 16u);
  EXPECT_EQ(fields[4], std::string(127, 'a'));
  EXPECT_EQ(fields[13], "AB1 2CD");
  EXPECT_EQ(fields[15], "2");
  EXPECT_EQ(PostcodeKey(" ab1\t2cD "), "AB12CD");
}

TEST_F(PostcodeTest, DialogFindsOddlyTypedPostcodesAndStaysOpenForUnknownOnes) {
  Write("postcodedb.txt", Line("AB1 2CD", "3456789", "1234567") + "\n");
  AskPostcode dialog;
  dialog.postcodeFile = At("postcodedb.txt");
  Set(kPostcodeEdit, L"ZZ9 9ZZ");
  Click(kIdOk);  // not found: the dialog stays
  Push("answer", {L"ok"});
  Set(kPostcodeEdit, L" ab1  2cd");
  Click(kIdOk);
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_TRUE(host::Actions().Empty());
  EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Postcode not found"});
  EXPECT_DOUBLE_EQ(dialog.easting, 345678.9);
  EXPECT_DOUBLE_EQ(dialog.northing, 123456.7);
}

TEST_F(PostcodeTest, MissingOrWhollyDamagedFileSaysSoWithoutShowing) {
  Write("damaged.txt", "1,2,3\nnot a postcode file\n" + Line("AB1 2CD", "x", "y") + "\n");
  for (const std::wstring& file : {std::wstring(), At("missing.txt"), At("damaged.txt")}) {
    SCOPED_TRACE(std::string(file.begin(), file.end()));
    host::ui::ClearMessageBoxes();
    AskPostcode dialog;
    dialog.postcodeFile = file;
    Push("answer", {L"ok"});
    EXPECT_EQ(dialog.DoModal(), kIdCancel);
    EXPECT_TRUE(host::Actions().Empty());
    EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Postcode database file 'postcodedb.txt' not found."});
  }
}

}  // namespace
