// The header and extent commands over small GML files made in the test.
#include <string>

#include "gml/ui/tests/ui_fixture.h"
#include "gml/ui/varnel_commands.h"
#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/lisp/call.h"
#include "host/system/wide_text.h"

namespace {

std::string Gml(const char* description, const char* box) {
  std::string text =
      "<?xml version='1.0'?>\n<osgb:FeatureCollection fid='T'>\n<gml:description>" + std::string(description) +
      "</gml:description>\n<osgb:queryTime>2009-07-30T10:01:07</osgb:queryTime>\n";
  if (box != nullptr)
    text += "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'>\n<gml:coordinates>" + std::string(box) +
            "</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n<gml:boundedBy><gml:Box><gml:coordinates>" +
            box + "</gml:coordinates></gml:Box></gml:boundedBy>\n";
  return text + "</osgb:FeatureCollection>\n";
}

class HeaderCommandsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CopyDefaultSupport();
    host::db::SetWorkingDatabase(&db_);
  }
  void TearDown() override {
    host::db::SetWorkingDatabase(nullptr);
    UiTest::TearDown();
  }
  static double Real(const wchar_t* name) { return host::lisp::GetSymbol(name).real(); }
  static std::wstring Text(const wchar_t* name) { return host::lisp::GetSymbol(name).text(); }
  // Chooses the rows after "<..>" of `folder` in the file chooser, every
  // file shown.
  void ChooseFiles(const std::string& folder, std::vector<std::wstring> rows) {
    Push("dlg_set", {L"filespec_combo", L"2"});
    Push("dlg_click", {L"browse_a_folder"});
    Push("answer", {At(folder)});
    rows.insert(rows.begin(), L"sekfiles");
    Push("dlg_select", rows);
    Push("dlg_click", {L"accept"});
  }
  int Polylines() const {
    int n = 0;
    for (host::EntityName e = host::db::NextEntity(); !e.IsNull(); e = host::db::NextEntity(e)) ++n;
    return n;
  }
  host::db::Database db_;
};

TEST_F(HeaderCommandsTest, HeaderFromLispVariable) {
  FileHeaderFromLispCommand();
  EXPECT_EQ(BoxTexts().back(), L"Error: LISP variable lwh_gml_file_name seems to be empty.");
  ASSERT_EQ(host::lisp::PutSymbol(L"lwh_gml_file_name", host::lisp::Value::Real(1)), host::Status::kNormal);
  FileHeaderFromLispCommand();
  EXPECT_EQ(BoxTexts().back(), L"Error: LISP variable lwh_gml_file_name seems not to have a file name in it.");

  Write("data/a.gml", Gml("first", "100,200 300,400"));
  ASSERT_EQ(host::lisp::PutSymbol(L"lwh_gml_file_name", host::lisp::Value::String(At("data/a.gml"))),
            host::Status::kNormal);
  FileHeaderFromLispCommand();
  EXPECT_EQ(Text(L"lwh_gml_description"), L"first");
  EXPECT_EQ(Text(L"lwh_gml_query_time"), L"2009-07-30T10:01:07");
  EXPECT_EQ(Real(L"lwh_gml_x_min"), 100);
  EXPECT_EQ(Real(L"lwh_gml_y_max"), 400);

  // A missing file: empty texts and zeros.
  ASSERT_EQ(host::lisp::PutSymbol(L"lwh_gml_file_name", host::lisp::Value::String(At("data/none.gml"))),
            host::Status::kNormal);
  FileHeaderFromLispCommand();
  EXPECT_EQ(Text(L"lwh_gml_description"), L"");
  EXPECT_EQ(Real(L"lwh_gml_x_min"), 0);
  EXPECT_EQ(Real(L"lwh_gml_x_max"), 0);
}

TEST_F(HeaderCommandsTest, ChosenFilesGiveTheBoxAroundThoseWithAnExtent) {
  Write("data/a.gml", Gml("first", "100,200 300,400"));
  Write("data/b.gml", Gml("second", "1000,2000 1100,2100"));
  Write("data/c.gml", Gml("no extent", nullptr));
  ChooseFiles("data", {L"1", L"2", L"3"});
  FileHeaderCommand();
  EXPECT_EQ(Real(L"lwh_gml_x_min"), 100);
  EXPECT_EQ(Real(L"lwh_gml_y_min"), 200);
  EXPECT_EQ(Real(L"lwh_gml_x_max"), 1100);
  EXPECT_EQ(Real(L"lwh_gml_y_max"), 2100);
  EXPECT_EQ(Text(L"lwh_gml_description"), L"no extent");
  // A user at the command line sees what the variables now hold.
  const std::wstring shown = host::CommandLineText();
  for (const wchar_t* line : {L"\nlwh_gml_description = \"no extent\"", L"\nlwh_gml_query_time = \"2009-07-30T10:01:07\"",
                              L"\nlwh_gml_x_min = 100.000", L"\nlwh_gml_y_min = 200.000", L"\nlwh_gml_x_max = 1100.000",
                              L"\nlwh_gml_y_max = 2100.000"})
    EXPECT_NE(shown.find(line), std::wstring::npos) << host::EncodeUtf8(line) << " in " << host::EncodeUtf8(shown);

  ChooseFiles("data", {L"3"});
  FileHeaderCommand();
  EXPECT_EQ(Real(L"lwh_gml_x_min"), 0);
  EXPECT_EQ(Real(L"lwh_gml_y_max"), 0);
  EXPECT_NE(host::CommandLineText().find(L"None of the files gives an extent."), std::wstring::npos);
}

TEST_F(HeaderCommandsTest, QueryExtentsOfAFolderOnTheDefaultLayer) {
  Write("data/a.gml", Gml("first", "100,200 300,400"));
  Write("data/b.gml.gz", Gml("second", "1000,2000 1100,2100"));  // read as plain text
  Write("data/notes.txt", "not GML\n");
  Push("answer", {L"no"});  // a folder
  Push("answer", {At("data")});
  Push("type", {L""});
  QueryExtentsCommand();
  EXPECT_EQ(Polylines(), 2);
  EXPECT_TRUE(host::db::TableSearch(db_, L"LAYER", L"Query Extents").has_value());
  EXPECT_TRUE(host::Shown().Contains("command", L"ZOOM"));

  // A cancelled folder picker ends the command.
  Push("answer", {L"no"});
  Push("answer", {L"cancel"});
  QueryExtentsCommand();
  EXPECT_EQ(Polylines(), 2);
  EXPECT_TRUE(host::Actions().Empty());
}

}  // namespace
