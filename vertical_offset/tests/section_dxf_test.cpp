// Section drawings through DXF files: the data the writers put on entities
// survives a save and a read, and reads the same in ezdxf; and the whole
// add-in offsets a drawing that ezdxf made, run by cadhost.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/tests/temp_folder.h"
#include "common/containers/text.h"
#include "host/db/drawing_file.h"
#include "vertical_offset/section_xdata.h"
#include "vertical_offset/structure_xdata.h"
#include "vertical_offset/tests/section_fixture.h"

namespace {

using section_fixture::FillRecord;
using section_fixture::SectionDrawing;

const std::string kTool = std::string(VARNEL_SOURCE_DIR) + "/vertical_offset/tests/section_dxf.py";

// Runs a shell command; its standard output (and its exit code in `code`).
std::string Shell(const std::string& command, int* code = nullptr) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    const int status = pclose(pipe);
    if (code != nullptr) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return out;
}

bool HaveEzdxf() { return Shell("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null && echo yes") == "yes\n"; }

std::string Narrow(const std::wstring& text) { return WideToNarrow(text); }

class SectionDxf : public SectionDrawing {
 protected:
  common_test::TempFolder folder_{"section_dxf"};
};

TEST_F(SectionDxf, SectionAndStructureDataSurviveSaveAndRead) {
  const host::EntityName datum = Line({0, 20, 0}, {100, 20, 0});
  SectionRecord record;
  SectionIdentity identity;
  FillRecord(record, identity);
  ASSERT_TRUE(WriteDatumLineXdata(datum, record, identity));

  host::db::LwPolylineData d;
  d.vertices = {{0, 0}, {5, 1}, {10, 0}};
  const host::EntityName culvert = db_.Append(d);
  StructureRecord structure;
  std::memset(&structure, 0, sizeof structure);
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(StructurePoint), &structure.points));
  structure.structureFlag = 1;
  structure.integer2 = 4;
  structure.real1 = 1.25;
  structure.structureType = 3;
  CopyField(structure.code, WideToNarrow(kSectionMarkerCode));
  CopyField(structure.type34.shape, "box");
  structure.type34.length = 12.0;
  for (int i = 0; i < 3; ++i) {
    StructurePoint p{};
    CopyField(p.code, "V" + std::to_string(i));
    CopyField(p.surface, "tarmac");
    p.realA = i;
    p.realB = 2.0 * i;
    ASSERT_TRUE(GrowArraySet(&structure.points, i, &p));
  }
  ASSERT_TRUE(WriteStructureXdata(culvert, structure));
  const std::vector<std::wstring> datumStrings = SectionStrings(datum);
  const std::vector<std::wstring> culvertStrings = SectionStrings(culvert);

  const std::string path = folder_.File("section.dxf");
  ASSERT_TRUE(host::db::SaveDrawing(db_, path).ok());

  // Read back by the host: the same strings, and the readers find the same record.
  host::db::Database reread(host::db::Database::Content::kEmpty);
  ASSERT_TRUE(host::db::ReadDrawing(reread, path).ok());
  host::db::ScopedWorkingDatabase working(&reread);
  const host::EntityName datumBack{datum.handle, reread.Serial()};
  const host::EntityName culvertBack{culvert.handle, reread.Serial()};
  EXPECT_EQ(SectionStrings(datumBack), datumStrings);
  EXPECT_EQ(SectionStrings(culvertBack), culvertStrings);
  SectionRecord read;
  SectionIdentity readIdentity;
  double x = 0, y = 0;
  ASSERT_TRUE(ReadSectionDatumXdata(datumBack, read, readIdentity, x, y));
  EXPECT_DOUBLE_EQ(read.reals[2], 10.0);
  EXPECT_STREQ(read.subRecords->itemA[1], L"A1");
  StructureRecord back;
  std::memset(&back, 0, sizeof back);
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(StructurePoint), &back.points));
  ASSERT_TRUE(ReadStructureXdata(culvertBack, back));
  EXPECT_STREQ(back.type34.shape, "box");
  StructurePoint p{};
  ASSERT_TRUE(GrowArrayGet(&back.points, 2, &p));
  EXPECT_DOUBLE_EQ(p.realB, 4.0);
  GrowArrayFree(&back.points);
  GrowArrayFree(&structure.points);

  // ezdxf reads the same values.
  if (!HaveEzdxf()) GTEST_SKIP() << "ezdxf is not available";
  std::map<std::string, std::string> seen;
  std::istringstream lines(Shell("/usr/bin/python3 " + std::string(kTool) + " strings '" + path + "' 2>&1"));
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "AUDIT 0");
  while (std::getline(lines, line)) seen[line.substr(0, line.find(' '))] = line.substr(line.find(' ') + 1);
  auto joined = [](const std::vector<std::wstring>& strings) {
    std::string text;
    for (const std::wstring& s : strings) text += (text.empty() ? "" : "|") + Narrow(s);
    return text;
  };
  char handle[32];
  std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(datum.handle));
  EXPECT_EQ(seen[handle], joined(datumStrings));
  std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(culvert.handle));
  EXPECT_EQ(seen[handle], joined(culvertStrings));
}

// cadhost with Plimsor on a drawing that ezdxf made.
class PlimsorEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveEzdxf()) GTEST_SKIP() << "ezdxf is not available";
    handles_ = Shell("/usr/bin/python3 " + std::string(kTool) + " make '" + folder_.File("section.dxf") + "'");
    std::istringstream words(handles_);
    std::string name, value;
    while (words >> name >> value) handle_[name] = value;
    ASSERT_EQ(handle_.size(), 15u) << handles_;
  }

  // Runs `script` in cadhost on the section drawing, saving it as out.dxf.
  std::string Cadhost(const std::string& script, int* code) {
    common_test::WriteFile(folder_.File("script.txt"), script);
    return Shell("cd '" + folder_.Path() + "' && VMRINI='" + folder_.Path() + "' '" +
                     std::string(CADHOST_PATH) + "' --addin '" + PLIMSOR_PATH +
                     "' --registry registry.txt --open section.dxf --save out.dxf script.txt 2>&1 "
                     "< /dev/null",
                 code);
  }
  std::string Check(const std::string& mode, const std::string& dy, const std::string& handles) {
    return Shell("/usr/bin/python3 " + std::string(kTool) + " check '" + folder_.File("section.dxf") + "' '" +
               folder_.File("out.dxf") + "' " + mode + " " + dy + " " + handles + " 2>&1");
  }

  // Moves the selection up by 2.5 at the section's scales, then copies it
  // down by 4, checking each outcome; `found` is what the selection says.
  void MoveAndCopy(const std::string& selection, const std::string& found) {
    struct Case {
      const char* answer;
      const char* offset;
      const char* mode;
      const char* dy;
    } cases[] = {{"m", "2.5", "move", "0.25"}, {"", "-4", "copy", "-0.4"}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.mode);
      int code = -1;
      const std::string out = Cadhost("(LarVerticalPolylineOffset)\n!pick " + handle_["datum"] + "\n" + c.answer +
                                          "\n" + c.offset + "\n!select " + selection + "\n",
                                      &code);
      ASSERT_EQ(code, 0) << out;
      EXPECT_NE(out.find("Lar Cross Section at 125.5000 selected..."), std::string::npos) << out;
      EXPECT_NE(out.find(found), std::string::npos) << out;
      EXPECT_EQ(out.find("not moved"), std::string::npos) << out;
      EXPECT_EQ(out.find("not copied"), std::string::npos) << out;
      EXPECT_EQ(Check(c.mode, c.dy, selection), "OK\n");
    }
  }

  common_test::TempFolder folder_{"plimsor_e2e"};
  std::string handles_;
  std::map<std::string, std::string> handle_;
};

TEST_F(PlimsorEndToEnd, MovesAndCopiesBySectionScales) {
  MoveAndCopy(handle_["line"] + " " + handle_["pline"], "\n2 found");
}

// A section's labels are of many kinds; a move or copy takes every one of
// them, with all its points (a dimension with the graphics it draws), and
// those mirrored in plan move the way the drawing shows them.
TEST_F(PlimsorEndToEnd, MovesAndCopiesEveryKindASectionDrawingHolds) {
  std::string selection;
  for (const char* name : {"mtext", "ellipse", "spline", "solid", "msolid", "face", "leader", "marc", "mpline",
                           "dimension"})
    selection += (selection.empty() ? "" : " ") + handle_[name];
  MoveAndCopy(selection, "\n10 found");
}

// A kind whose points the host does not know stays where it was, and the
// command line says so.
TEST_F(PlimsorEndToEnd, AKindThatCannotMoveStaysAndIsCounted) {
  for (const char* mode : {"move", "copy"}) {
    SCOPED_TRACE(mode);
    int code = -1;
    const std::string answer = std::string(mode) == "move" ? "m" : "";
    const std::string out = Cadhost("(LarVerticalPolylineOffset)\n!pick " + handle_["datum"] + "\n" + answer +
                                        "\n2.5\n!select " + handle_["line"] + " " + handle_["region"] + "\n",
                                    &code);
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find(std::string("\n1 object not ") + (answer.empty() ? "copied" : "moved") + ": 1 REGION"),
              std::string::npos)
        << out;
    EXPECT_EQ(Check(mode, "0.25", handle_["line"]), "OK\n");
  }
}

// The host's MOVE of everything: every kind in the drawing moves (those held
// in a plane seen from below the way the drawing shows them), but for the
// region, which the command line counts.
TEST_F(PlimsorEndToEnd, MovingAllTakesEveryKindButTheOneItCannotMove) {
  std::string moved;
  for (const auto& [name, handle] : handle_)
    if (name != "region") moved += (moved.empty() ? "" : " ") + handle;
  int code = -1;
  const std::string out = Cadhost("MOVE\nall\n0,0\n3,0.25\n", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_NE(out.find("\n15 found"), std::string::npos) << out;
  EXPECT_NE(out.find("\n1 object not moved: 1 REGION"), std::string::npos) << out;
  EXPECT_EQ(Check("move", "3,0.25", moved), "OK\n");
}

TEST_F(PlimsorEndToEnd, BadInputLeavesTheDrawingAlone) {
  struct Case {
    const char* what;
    std::string script;
    const char* printed;
  } cases[] = {
      {"a line without section data, then Esc",
       "(LarVerticalPolylineOffset)\n!pick " + handle_["line"] + "\n!esc\n", "No Section Data Found From This Entity!"},
      {"Esc at the offset", "(LarVerticalPolylineOffset)\n!pick " + handle_["datum"] + "\nm\n!esc\n", "\n0\n"},
      {"an empty selection",
       "(LarVerticalPolylineOffset)\n!pick " + handle_["datum"] + "\nm\n1\n!select\n", "\n0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int code = -1;
    const std::string out = Cadhost(c.script, &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find(c.printed), std::string::npos) << out;
    EXPECT_EQ(Check("move", "0", ""), "OK\n");
  }

  // No support folder: the alert, the cancel line and 1.
  int code = -1;
  const std::string out =
      Shell("cd '" + folder_.Path() + "' && env -u VMRINI '" + std::string(CADHOST_PATH) +
                "' --addin '" + PLIMSOR_PATH +
                "' --registry registry.txt --open section.dxf --save out.dxf - 2>&1 <<'EOF'\n"
                "(LarVerticalPolylineOffset)\nEOF\n",
            &code);
  EXPECT_NE(out.find("Vertical Offset Canceled.\n1\n"), std::string::npos) << out;
  EXPECT_EQ(Check("move", "0", ""), "OK\n");
}

}  // namespace
