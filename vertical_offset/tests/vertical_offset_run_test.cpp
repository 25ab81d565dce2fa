#include "vertical_offset/vertical_offset_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/tests/temp_folder.h"
#include "host/db/entity_list.h"
#include "host/editor/selection.h"
#include "host/editor/support_path.h"
#include "host/editor/system_variables.h"
#include "host/system/environment.h"
#include "vertical_offset/section_xdata.h"
#include "vertical_offset/tests/section_fixture.h"

namespace {

using section_fixture::FillRecord;
using section_fixture::Point3;
using section_fixture::SectionDrawing;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A cross section whose datum line carries the section data ("13" = 1,
// "14" = 10 unless a test changes them), and two entities to offset.
class VerticalOffsetRun : public SectionDrawing {
 protected:
  void SetUp() override {
    SectionDrawing::SetUp();
    host::HideEnvironmentVariable(L"LARINI");
    host::SetEnvironmentOverride(L"VMRINI", Wide(folder_.Path()));
    host::SetSupportPath({});
    datum_ = Line({0, 20, 0}, {100, 20, 0});
    WriteSection(1.0, 10.0);
    line_ = Line({0, 0, 0}, {10, 0, 0});
    host::db::LwPolylineData polyline;
    polyline.vertices = {{0, 5}, {10, 6}};
    polyline_ = db_.Append(polyline);
  }

  void WriteSection(double horizontal, double vertical, int kind = 1) {
    SectionRecord record;
    SectionIdentity identity;
    FillRecord(record, identity);
    identity.kind = kind;
    record.reals[1] = horizontal;
    record.reals[2] = vertical;
    ASSERT_TRUE(WriteDatumLineXdata(datum_, record, identity));
  }
  void Type(const std::wstring& text) { host::Actions().Push("type", {text}); }
  void Pick(host::EntityName entity) { host::Actions().Push("pick", {host::HandleText(entity)}); }
  void Select(std::vector<host::EntityName> entities) {
    std::vector<std::wstring> handles;
    for (host::EntityName e : entities) handles.push_back(host::HandleText(e));
    host::Actions().Push("select", handles);
  }
  void Esc() { host::Actions().Push("esc"); }

  Point3 Start(host::EntityName entity) {
    auto list = host::db::GetEntityList(entity);
    return list ? *host::db::FindGroup(*list, 10)->Point() : Point3{};
  }
  int ModelSpaceCount() {
    int n = 0;
    for (host::EntityName e = host::db::NextEntity(); !e.IsNull(); e = host::db::NextEntity(e)) ++n;
    return n;
  }
  bool Prompted(const wchar_t* prompt) { return host::Shown().Contains("prompt", prompt); }
  bool Printed(const wchar_t* text) { return host::Shown().Contains("print", text); }

  common_test::TempFolder folder_{"vertical_offset"};
  host::EntityName datum_, line_, polyline_;
};

TEST_F(VerticalOffsetRun, MovesOrCopiesByTheScaledOffset) {
  struct Case {
    double horizontal, vertical;
    const wchar_t* answer;
    const wchar_t* offset;
    bool move;
    double shift;
  } cases[] = {
      {1, 10, L"m", L"2.5", true, 0.25},
      {1, 10, L"", L"2.5", false, 0.25},
      {1, 0, L"c", L"2", false, 2},
      {1, 1e-05, L"M", L"2", true, 2},
      {1, -4, L"move", L"-3", true, -3},
      {2, 1, L"Copy", L"1.5", false, 3},
      {1, 10, L"Move", L"0", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.vertical << " " << c.answer << " " << c.offset);
    WriteSection(c.horizontal, c.vertical);
    const int before = ModelSpaceCount();
    const Point3 lineStart = Start(line_);
    const Point3 polylineStart = Start(polyline_);
    host::Shown().Clear();
    Pick(datum_);
    Type(c.answer);
    Type(c.offset);
    Select({line_, polyline_});
    EXPECT_EQ(RunVerticalOffset(), 0);
    EXPECT_TRUE(Printed(L"\nLar Cross Section at 125.5000 selected..."));
    EXPECT_EQ(host::Shown().TextsOf("command").size(), 1u) << "the command runs, even for 0";
    if (c.move) {
      EXPECT_EQ(ModelSpaceCount(), before);
      EXPECT_NEAR(Start(line_).y, lineStart.y + c.shift, 1e-9);
    } else {
      EXPECT_EQ(ModelSpaceCount(), before + 2);
      EXPECT_EQ(Start(line_).y, lineStart.y);
      EXPECT_NEAR(Start(host::db::LastEntity()).y, polylineStart.y + c.shift, 1e-9) << "the polyline's copy";
    }
    EXPECT_EQ(Start(line_).x, lineStart.x);
    EXPECT_TRUE(host::Actions().Empty());
  }
}

TEST_F(VerticalOffsetRun, LongSectionAndPickingAgain) {
  const host::EntityName bare = Line({0, 30, 0}, {5, 30, 0});
  const host::EntityName odd = Line({0, 40, 0}, {5, 40, 0});
  SectionRecord record;
  SectionIdentity identity;
  FillRecord(record, identity);
  identity.kind = 7;
  ASSERT_TRUE(WriteDatumLineXdata(odd, record, identity));
  WriteSection(1, 10, 0);
  Pick(bare);
  Pick(odd);
  Pick(datum_);
  Type(L"m");
  Type(L"1");
  Select({line_});
  EXPECT_EQ(RunVerticalOffset(), 0);
  const std::vector<std::wstring> prints = host::Shown().TextsOf("print");
  EXPECT_EQ(std::count(prints.begin(), prints.end(), L"\nNo Section Data Found From This Entity!"), 1)
      << "a section of another kind is asked again without a message";
  const std::vector<std::wstring> prompts = host::Shown().TextsOf("prompt");
  EXPECT_EQ(std::count(prompts.begin(), prompts.end(), L"\nSelect a section by picking it's Datum Line..."), 3);
  EXPECT_TRUE(Printed(L"\nLar Long Section selected..."));
  EXPECT_NEAR(Start(line_).y, 0.1, 1e-12);
}

TEST_F(VerticalOffsetRun, DecliningAnyPromptChangesNothing) {
  auto declineAt = [&](int step, bool esc) {
    if (step == 0) { esc ? Esc() : host::Actions().Push("error", {L"7"}); return; }
    Pick(datum_);
    if (step == 1) { Esc(); return; }
    Type(L"m");
    if (step == 2) { esc ? Esc() : Type(L""); return; }
    Type(L"5");
    if (step == 3) { esc ? Esc() : Select({}); return; }
  };
  for (int step = 0; step < 4; ++step) {
    for (bool esc : {true, false}) {
      SCOPED_TRACE(testing::Message() << "step " << step << (esc ? " Esc" : " other"));
      host::Shown().Clear();
      ASSERT_EQ(host::SetSystemVariable(L"OSMODE", std::int16_t{33}), host::Status::kNormal);
      declineAt(step, esc);
      const int before = ModelSpaceCount();
      EXPECT_EQ(RunVerticalOffset(), 0);
      EXPECT_EQ(ModelSpaceCount(), before);
      EXPECT_EQ(Start(line_).y, 0);
      EXPECT_TRUE(host::Shown().TextsOf("command").empty());
      EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 33);
      EXPECT_EQ(host::OpenSelectionSets(), 0);
      if (step == 0) {
        std::vector<std::wstring> prints = host::Shown().TextsOf("print");
        std::erase(prints, L"*Cancel*\n");  // the host's own echo of Esc
        EXPECT_EQ(prints.size(), 1u) << "the banner alone";
        EXPECT_EQ(host::Shown().TextsOf("prompt").size(), 1u);
      }
      host::Actions().Clear();
    }
  }
}

TEST_F(VerticalOffsetRun, CurrentSectionFileNeedsNoPick) {
  std::string text = "0\n0\n1\n80\n0\nfile\n1\n0\n1\n4\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n";
  text += "0\n0\nsub\n0\n0\n0\nCH 80\nS\n1\nT\nU\nV\nW\nX\nY";
  common_test::WriteFile(folder_.File("section.$$$"), text);
  Type(L"m");
  Type(L"2");
  Select({line_});
  EXPECT_EQ(RunVerticalOffset(), 0);
  EXPECT_FALSE(Prompted(L"\nSelect a section by picking it's Datum Line..."));
  EXPECT_TRUE(Printed(L"\nDizoder turned on - CH 80 80.000"));
  EXPECT_NEAR(Start(line_).y, 0.5, 1e-12);

  // A damaged file: back to the datum line.
  common_test::WriteFile(folder_.File("section.$$$"), "0\n0\n1\n");
  Pick(datum_);
  Type(L"m");
  Type(L"2");
  Select({line_});
  EXPECT_EQ(RunVerticalOffset(), 0);
  EXPECT_NEAR(Start(line_).y, 0.7, 1e-12);
}

TEST_F(VerticalOffsetRun, FailuresEndWithTheirResults) {
  // No support folder: the alert, result 1, nothing asked.
  host::HideEnvironmentVariable(L"VMRINI");
  host::Shown().Clear();
  EXPECT_EQ(RunVerticalOffset(), kRunNoSupportFolder);
  ASSERT_EQ(host::Shown().TextsOf("alert").size(), 1u);
  EXPECT_EQ(host::Shown().TextsOf("alert")[0].rfind(L"Error: Path to LarchWOOD-HILL support directory not found.", 0), 0u);
  EXPECT_TRUE(host::Shown().TextsOf("prompt").empty());

  // Support folder by the marker drawing on the support path.
  host::SetSupportPath({Wide(folder_.Path())});
  common_test::WriteFile(folder_.File("derivavi.dwg"), "");
  Esc();
  EXPECT_EQ(RunVerticalOffset(), 0);

  // System variables that cannot be set: those set get their values back.
  host::FailSystemVariable(L"HIGHLIGHT", host::SysVarOp::kSet, 0);
  ASSERT_EQ(host::SetSystemVariable(L"OSMODE", std::int16_t{33}), host::Status::kNormal);
  host::Shown().Clear();
  EXPECT_EQ(RunVerticalOffset(), kRunSysVarsFailed);
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 33);
  EXPECT_EQ(host::GetSystemVariable(L"EXPERT").Short(), 0);
  EXPECT_TRUE(host::Shown().TextsOf("prompt").empty());
  EXPECT_EQ(host::OpenSelectionSets(), 0);

  // Huge scales: nothing is moved.
  WriteSection(1e300, 1e-4);
  Pick(datum_);
  Type(L"m");
  Type(L"10");
  Select({line_});
  EXPECT_EQ(RunVerticalOffset(), kRunOffsetOutOfRange);
  EXPECT_EQ(Start(line_).y, 0);
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 33);
}

TEST_F(VerticalOffsetRun, ReadsItsSettingsBlock) {
  struct Case {
    const char* text;
    const wchar_t* name;
  } cases[] = {
      {"*VMRGEN general parameters start\n**VMRGEN Application name\nSections 5\n*VMRGEN general parameters end\n", L"Sections 5"},
      {"*vmrgen GENERAL parameters start\r\n**VMRGEN APPLICATION NAME\r\nSections 5\r\n", L"Sections 5"},
      {"*VMRGEN general parameters start\n**VMRGEN Application name\nSections 5", L"Sections 5"},
      {"**VMRGEN Application name\nOutside\n", L""},
      {"*VMRGEN general parameters start\n**VMRGEN Application name \nTrailing blank\n", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    common_test::WriteFile(folder_.File("vmr.ini"), c.text);
    host::Shown().Clear();
    Esc();
    EXPECT_EQ(RunVerticalOffset(), 0);
    EXPECT_EQ(CurrentVmrSettings().applicationName, c.name);
    EXPECT_EQ(CurrentVmrSettings().workingDirectory, L".");
    EXPECT_EQ(host::Shown().TextsOf("print")[0],
              std::wstring(L"\n") + c.name + L"  --  Vertical Polyline Offset.");
  }
}

}  // namespace
