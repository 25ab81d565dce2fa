// cadhost end to end: the program, the test add-in and a script.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "host/db/database.h"
#include "host/db/drawing_file.h"
#include "host/system/files.h"

namespace fs = std::filesystem;

namespace {

struct CadhostRun {
  int exit_code = -1;
  std::string out;         // stdout
  std::string err;         // stderr
  std::string transcript;  // kind<TAB>text lines
};

class CadhostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("cadhost_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
            "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  CadhostRun Cadhost(const std::string& script, const std::string& extra = "") {
    std::ofstream(dir_ / "script.txt", std::ios::binary) << script;
    std::string cmd = std::string("cd '") + dir_.string() + "' && '" + CADHOST_PATH + "' --addin '" +
                      TEST_ADDIN_PATH + "' --registry registry.txt --transcript transcript.txt " + extra +
                      " script.txt > out.txt 2> err.txt < /dev/null";
    CadhostRun run;
    int status = std::system(cmd.c_str());
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Read(dir_ / "out.txt");
    run.err = Read(dir_ / "err.txt");
    run.transcript = Read(dir_ / "transcript.txt");
    return run;
  }

  // Runs cadhost on a pseudo-terminal (so it reads the terminal line by
  // line, as a user types), typing `lines` and then end-of-file. Gives up
  // after 30 seconds.
  CadhostRun CadhostOnTerminal(const std::string& lines) {
    CadhostRun run;
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (child < 0) return run;
    if (child == 0) {
      if (::chdir(dir_.c_str()) != 0) ::_exit(127);
      ::execl(CADHOST_PATH, CADHOST_PATH, "--addin", TEST_ADDIN_PATH, "--registry", "registry.txt",
              "--transcript", "transcript.txt", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Typed ahead: the terminal keeps the lines until cadhost reads them.
    const std::string typed = lines + "\x04";  // Ctrl-D at the start of a line: end of input
    if (::write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) ADD_FAILURE();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[4096];
    for (;;) {
      pollfd p{master, POLLIN, 0};
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "cadhost did not finish on the terminal";
        ::kill(child, SIGKILL);
        break;
      }
      if (::poll(&p, 1, 100) <= 0) continue;
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) break;  // EIO once cadhost has closed the terminal
      run.out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(master);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.transcript = Read(dir_ / "transcript.txt");
    return run;
  }

  fs::path dir_;
};

// Positions of the fragments in `text`, which must come in this order.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& fragments) {
  std::size_t at = 0;
  for (const std::string& f : fragments) {
    std::size_t found = text.find(f, at);
    ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << f << "\nin:\n" << text;
    at = found + f.size();
  }
}

TEST_F(CadhostTest, MessagesCommandsAndLispFunctionsEndToEnd) {
  CadhostRun run = Cadhost(
      "# greet, call, fail\n"
      "tahello\n"
      "Ann\n"
      "TAHELLO\n"
      "\n"
      "(ta_add 1 2 39)\n"
      "(ta_fail)\n"
      "(setq x (ta_last 1 \"two\"))\n"
      "x\n"
      "(setq y testaddin_loaded)\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ExpectInOrder(run.transcript, {"app_message\tTestAddin init", "app_message\tTestAddin load drawing",
                                 "app_message\tTestAddin invoke", "app_message\tTestAddin unload drawing",
                                 "app_message\tTestAddin unload app"});
  ExpectInOrder(run.out, {"[TestAddin] init", "[TestAddin] load drawing", "Command: tahello",
                          "Your name <World>: Ann", "Hello, Ann.", "Hello, World.",
                          "Command: (ta_add 1 2 39)\n42", "; error: Received nonexistent function code.",
                          "\"two\"", "Unknown command \"X\"", "Command: (setq y testaddin_loaded)\n1",
                          "[TestAddin] unload drawing", "[TestAddin] unload app"});
}

TEST_F(CadhostTest, UnknownNamesGetTheHostsUsualAnswer) {
  CadhostRun run = Cadhost("nosuchcmd\n(nosuchfn 1)\n_tacount_not\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ExpectInOrder(run.out, {"Unknown command \"NOSUCHCMD\".  Press F1 for help.",
                          "; error: no function definition: NOSUCHFN",
                          "Unknown command \"_TACOUNT_NOT\".  Press F1 for help."});
}

TEST_F(CadhostTest, ScriptErrorsNameTheirLine) {
  CadhostRun bad_syntax = Cadhost("tahello\nBob\n!pick\n");
  EXPECT_EQ(bad_syntax.exit_code, 2);
  EXPECT_NE(bad_syntax.err.find("script.txt:3:"), std::string::npos) << bad_syntax.err;
  EXPECT_EQ(bad_syntax.out.find("Hello"), std::string::npos);  // nothing ran

  CadhostRun stray = Cadhost("# nothing waits for a click\n\n!dlg_click 239\ntahello\n");
  EXPECT_EQ(stray.exit_code, 2);
  EXPECT_NE(stray.err.find("script.txt:3:"), std::string::npos) << stray.err;
  EXPECT_NE(stray.out.find("script error: line 3"), std::string::npos) << stray.out;
  EXPECT_EQ(stray.out.find("Your name"), std::string::npos);  // it stopped there
}

TEST_F(CadhostTest, AScriptRunningOutInsideAPromptCancelsItAndSaysSo) {
  CadhostRun run = Cadhost("tahello\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ExpectInOrder(run.out, {"Your name <World>: ", "*Cancel* (no more input for the prompt)",
                          "Hello cancelled."});
}

TEST_F(CadhostTest, EscTimedToABreakPollStopsALoop) {
  struct Case {
    std::string script;
    std::string shown;
  };
  const Case cases[] = {
      {"!at poll 5 !esc\ntacount\n", "Stopped at 5."},
      {"tacount\n", "Counted to the end."},
      // At a pump the Esc waits for the next poll, in the same step.
      {"!at pump 7 !esc\ntacount\n", "Stopped at 7."},
      // Counted from where the script arms it: the first run uses 100 polls.
      {"tacount\n!at poll 2 !esc\ntazaehle\n", "Stopped at 2."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    CadhostRun run = Cadhost(c.script);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out;
  }
}

TEST_F(CadhostTest, EscAtAPromptCancelsIt) {
  CadhostRun run = Cadhost("tahello\n!esc\n!esc\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ExpectInOrder(run.out, {"Your name <World>: *Cancel*", "Hello cancelled.", "Command: *Cancel*"});
}

// The colour dialog of LISP reads its answer from the terminal as prompts
// and dialogs do: the line after the call answers it.
TEST_F(CadhostTest, TheColourDialogTakesItsAnswerFromTheTerminal) {
  CadhostRun run = CadhostOnTerminal("(acad_colordlg 1)\n!color 3\n(acad_colordlg 1)\n!esc\nquit\n!answer yes\n");
  EXPECT_EQ(run.exit_code, 0) << run.out;
  ExpectInOrder(run.transcript, {"dialog\tSelect Color (1)", "dialog\tSelect Color: 3", "print\t\\n3",
                                 "dialog\tSelect Color (1)", "dialog\tSelect Color: cancelled",
                                 "print\t\\nnil"});
  EXPECT_EQ(run.transcript.find("No answer for the colour dialog"), std::string::npos) << run.transcript;
}

TEST_F(CadhostTest, TheProfilesSupportPathSurvivesARestart) {
  fs::create_directories(dir_ / "Support");
  std::ofstream(dir_ / "Support" / "Corvex2.DCL") << "x\n";
  CadhostRun first = Cadhost("tafind\ncorvex2.dcl\ntasetpath\n" + (dir_ / "Support").string() + "\n");
  EXPECT_EQ(first.exit_code, 0) << first.err;
  ExpectInOrder(first.out, {"Not found: corvex2.dcl"});
  CadhostRun second = Cadhost("tafind\ncorvex2.dcl\n");
  EXPECT_EQ(second.exit_code, 0) << second.err;
  ExpectInOrder(second.out, {"Found: " + (dir_ / "Support" / "Corvex2.DCL").string()});
  // Folders given for one run come first and are not kept.
  fs::create_directories(dir_ / "Session");
  std::ofstream(dir_ / "Session" / "corvex2.dcl") << "x\n";
  CadhostRun session = Cadhost("tafind\ncorvex2.dcl\n", "--support Session");
  ExpectInOrder(session.out, {"Found: " + (dir_ / "Session" / "corvex2.dcl").string()});
  CadhostRun after = Cadhost("tafind\ncorvex2.dcl\n");
  ExpectInOrder(after.out, {"Found: " + (dir_ / "Support" / "Corvex2.DCL").string()});
}

TEST_F(CadhostTest, SelectionsAndHostCommandsEndInASavedDrawing) {
  CadhostRun run = Cadhost(
      "taline\n0,0\n10,0\n"
      "taline\n0,5\n@10,0\n"
      "tamove\n!select 1 FFFF\n"  // nothing there: no line selected
      "tamove\nall\n0,0\n@0,3\n"
      "!save drawing.dwg\n",
      "--save final.dxf");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ExpectInOrder(run.out, {"No lines selected (error, ERRNO 0).", "2 found", "Moved 2."});
  ASSERT_TRUE(fs::exists(dir_ / "drawing.dxf"));  // a .dwg name saves DXF
  ASSERT_TRUE(fs::exists(dir_ / "final.dxf"));

  host::db::Database db(host::db::Database::Content::kEmpty);
  ASSERT_TRUE(host::db::ReadDrawing(db, (dir_ / "final.dxf").string()));
  std::vector<host::db::LineData> lines;
  for (host::EntityName id : db.EntitiesIn(db.ModelSpace()))
    if (auto* l = std::get_if<host::db::LineData>(&db.EntityOf(id)->data)) lines.push_back(*l);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].start, (host::db::Point3{0, 3, 0}));
  EXPECT_EQ(lines[1].end, (host::db::Point3{10, 8, 0}));

  // An independent reader finds the same drawing without audit errors.
  std::string command = "/usr/bin/python3 -c \"import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); "
                        "a=d.audit(); print(len(a.errors), len(d.modelspace().query('LINE')))\" '" +
                        (dir_ / "final.dxf").string() + "' 2>&1";
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  EXPECT_EQ(out, "0 2\n");
}

TEST_F(CadhostTest, OpeningAndSavingReportFailures) {
  CadhostRun missing = Cadhost("tahello\nX\n", "--open nosuch.dxf");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("cannot open nosuch.dxf"), std::string::npos) << missing.err;

  CadhostRun first = Cadhost("taline\n1,1\n2,2\n", "--save one.dxf");
  ASSERT_EQ(first.exit_code, 0) << first.err;
  CadhostRun reopened = Cadhost("tamove\nall\n0,0\n1,0\n!open nosuch.dxf\n!save\n", "--open one.dxf");
  EXPECT_EQ(reopened.exit_code, 0) << reopened.err;
  ExpectInOrder(reopened.out, {"Moved 1.", "Cannot open nosuch.dxf"});
  host::db::Database db(host::db::Database::Content::kEmpty);
  ASSERT_TRUE(host::db::ReadDrawing(db, (dir_ / "one.dxf").string()));
  auto ids = db.EntitiesIn(db.ModelSpace());
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_EQ(std::get<host::db::LineData>(db.EntityOf(ids[0])->data).start, (host::db::Point3{2, 1, 0}));

  CadhostRun no_folder = Cadhost("taline\n1,1\n2,2\n", "--save no/such/folder/x.dxf");
  EXPECT_EQ(no_folder.exit_code, 3);
}

TEST_F(CadhostTest, TheFourDeliverablesLoad) {
  std::string extra;
  std::string paths = DELIVERABLE_PATHS;
  std::size_t start = 0;
  while (start <= paths.size()) {
    std::size_t end = paths.find(':', start);
    if (end == std::string::npos) end = paths.size();
    extra += " --addin '" + paths.substr(start, end - start) + "'";
    start = end + 1;
  }
  CadhostRun run = Cadhost("nosuchcmd\n", extra);
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  for (const char* name : {"Varnel", "Corvex", "Plimsor", "Stelling"}) {
    SCOPED_TRACE(name);
    ExpectInOrder(run.transcript, {std::string("app_message\t") + name + " init",
                                   std::string("app_message\t") + name + " load drawing",
                                   std::string("app_message\t") + name + " unload drawing",
                                   std::string("app_message\t") + name + " unload app"});
  }
}

// "help" says in a line what each add-in command does, so that a command
// can be found by what it is for; UNDO is said to undo nothing.
TEST_F(CadhostTest, HelpSaysWhatEachAddinCommandDoes) {
  std::string extra;
  std::string paths = DELIVERABLE_PATHS;
  extra += " --addin '" + paths.substr(0, paths.find(':')) + "'";  // Varnel comes first
  CadhostRun run = Cadhost("help\n", extra);
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  ExpectInOrder(run.out, {"Add-in commands:\n", "  lwhgmlin ", " import OS MasterMap GML files into the drawing\n",
                          "  lwhgmllo ", " find entities by TOID and zoom to them\n", "  lwhgmlot ",
                          " draw the outlines of all OS tile drawings\n", "  lwhgmlme ", " choose between",
                          "this host keeps no undo history"});
}

TEST_F(CadhostTest, AStopClickTimedToAPumpReachesTheRunningDialog) {
  struct Case {
    std::string script;
    std::string shown;
  };
  const Case cases[] = {
      {"!at pump 5 !dlg_click 239\ntadialog\n!dlg_click 1001\n", "Dialog ended with 1, stopped at 5."},
      {"tadialog\n!dlg_click 1001\n", "Dialog ended with 1, stopped at 0."},
      // Armed while the dialog waits, counted from there.
      {"tadialog\n!at pump 3 !dlg_click 239\n!dlg_click 1001\n", "Dialog ended with 1, stopped at 3."},
      // The script runs out while the dialog waits: it is cancelled and says so.
      {"tadialog\n", "Dialog ended with 2, stopped at 0."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    CadhostRun run = Cadhost(c.script);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out;
  }
}

TEST_F(CadhostTest, TimedEventsNeverDeliveredAreReported) {
  CadhostRun run = Cadhost("!at poll 500 !esc\ntacount\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ExpectInOrder(run.out, {"Counted to the end.", "1 timed event was never delivered"});
}

// Lines of a saved drawing, in order.
std::vector<host::db::LineData> SavedLines(const fs::path& path) {
  host::db::Database db(host::db::Database::Content::kEmpty);
  std::vector<host::db::LineData> lines;
  if (!host::db::ReadDrawing(db, path.string())) return lines;
  for (host::EntityName id : db.EntitiesIn(db.ModelSpace()))
    if (auto* l = std::get_if<host::db::LineData>(&db.EntityOf(id)->data)) lines.push_back(*l);
  return lines;
}

TEST_F(CadhostTest, AFailedSaveInAScriptEndsAsAFailedSaveOptionDoes) {
  std::ofstream(dir_ / "locked.dxf") << "old";
  fs::permissions(dir_ / "locked.dxf", fs::perms::owner_read | fs::perms::group_read);
  // The script stops at the failed save, naming its line; --save still keeps
  // the work elsewhere.
  CadhostRun in_script = Cadhost("taline\n0,0\n1,1\n!save locked.dxf\n!new\ntahello\nX\n", "--save kept.dxf");
  EXPECT_EQ(in_script.exit_code, 3);
  EXPECT_NE(in_script.err.find("script.txt:4: cannot save the drawing:"), std::string::npos) << in_script.err;
  EXPECT_NE(in_script.err.find("the file is read-only"), std::string::npos) << in_script.err;
  EXPECT_EQ(in_script.out.find("Your name"), std::string::npos) << "the script stopped there";
  EXPECT_EQ(SavedLines(dir_ / "kept.dxf").size(), 1u);

  CadhostRun by_option = Cadhost("taline\n0,0\n1,1\n", "--save locked.dxf");
  EXPECT_EQ(by_option.exit_code, 3);
  EXPECT_NE(by_option.err.find("the file is read-only"), std::string::npos) << by_option.err;
  EXPECT_EQ(Read(dir_ / "locked.dxf"), "old");

  // A registry store that names a folder is refused before anything runs.
  fs::create_directories(dir_ / "store");
  CadhostRun folder = Cadhost("tahello\nX\n", "--registry store");
  EXPECT_EQ(folder.exit_code, 1);
  EXPECT_NE(folder.err.find("store is a folder"), std::string::npos) << folder.err;
  EXPECT_EQ(folder.out.find("Hello"), std::string::npos);
}

TEST_F(CadhostTest, TheHostsOwnCommandsCanBeTyped) {
  CadhostRun run = Cadhost("LINE\n0,0\n3,4\n\n_copy\nall\n0,0\n@0,10\nzoom\n\n.Line\n1,1\n!esc\n",
                           "--save out.dxf");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.find("Unknown command"), std::string::npos) << run.out;
  ExpectInOrder(run.transcript, {"command\tLINE (0,0,0) (3,4,0) \"\"",
                                 "command\t_copy <selection of 1> \"\" (0,0,0) (0,10,0)",
                                 "command\tzoom \"_E\""});
  const std::vector<host::db::LineData> lines = SavedLines(dir_ / "out.dxf");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].end, (host::db::Point3{3, 14, 0}));
}

// At the terminal a slip is said and forgotten: what waits goes on waiting,
// and the session goes on.
TEST_F(CadhostTest, ATerminalSessionGoesOnAfterASlip) {
  CadhostRun run = CadhostOnTerminal(
      "!dlg_click 239\n"  // nothing waits for a click
      "(+ 1\n"            // a LISP line that cannot be read
      "taline\n!dlg_click 1\n0,0\n!answer yes\n@10,0\n"
      "LINE\n0,5\n10,5\n\n"
      "!save t.dxf\n");
  EXPECT_EQ(run.exit_code, 0) << run.out;
  ExpectInOrder(run.transcript, {"nothing is waiting for \"!dlg_click 239\"",
                                 "\"!dlg_click 1\" does not answer what waits; ignored",
                                 "\"!answer yes\" does not answer what waits; ignored"});
  EXPECT_NE(run.out.find("LISP line cannot be read"), std::string::npos) << run.out;
  EXPECT_EQ(run.transcript.find("script error"), std::string::npos) << run.transcript;
  const std::vector<host::db::LineData> lines = SavedLines(dir_ / "t.dxf");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].end, (host::db::Point3{10, 0, 0}));
  EXPECT_EQ(lines[1].start, (host::db::Point3{0, 5, 0}));
}

// "help" lists what can be typed; "!help" does so while a prompt waits,
// which then still waits for its answer.
TEST_F(CadhostTest, HelpListsTheActionsAndCommandsAtThePromptAndWhileSomethingWaits) {
  CadhostRun run = CadhostOnTerminal("help\ntahello\n!help\nAnn\n!save h.dxf\n");
  EXPECT_EQ(run.exit_code, 0) << run.out;
  // The terminal shows the lines as they are typed ahead; cadhost writes
  // what follows each.
  ExpectInOrder(run.out, {"Command: ", "Add-in commands:", "tahello", "Host commands: LINE MOVE COPY",
                          "!answer yes | no | ok | cancel", "!dlg_click ID", "!pick HANDLE", "Command: ",
                          "Your name <World>: ", "Add-in commands:", "!answer PATH", "Your name <World>: ",
                          "Hello, Ann."});
  EXPECT_EQ(run.transcript.find("does not answer"), std::string::npos) << run.transcript;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// quit, !new and !open ask before unsaved work is dropped; a saved drawing
// goes without a question. Each question is on the screen once, before its
// answer; Enter presses the default button.
TEST_F(CadhostTest, QuitNewAndOpenAskBeforeUnsavedWorkIsDropped) {
  CadhostRun run = CadhostOnTerminal(
      "taline\n0,0\n5,0\n"
      "!new\n!answer no\n"
      "!open nowhere.dxf\n\n"  // Enter: the default button, No
      "quit\n!answer no\n"
      "!save kept.dxf\n"
      "!new\n"
      "quit\n");
  EXPECT_EQ(run.exit_code, 0) << run.out;
  EXPECT_EQ(Count(run.out, "Start a new drawing and drop them?"), 1) << run.out;
  EXPECT_EQ(Count(run.out, "Open nowhere.dxf and drop them?"), 1) << run.out;
  EXPECT_EQ(Count(run.out, "Quit and drop them?"), 1) << run.out;
  ExpectInOrder(run.out, {"The drawing has changes that are not saved", "Answer: !answer yes | !answer no"});
  EXPECT_EQ(Count(run.transcript, "drawing\tnew"), 2) << "the drawing started, then the !new after the save";
  EXPECT_EQ(run.transcript.find("Cannot open"), std::string::npos) << "a No keeps the drawing and opens nothing";
  EXPECT_EQ(SavedLines(dir_ / "kept.dxf").size(), 1u);
}

// Ctrl-D at the command prompt is quit: with unsaved work it asks, and only
// the answer typed decides; a Ctrl-D at the question does not answer it.
// Ctrl-D at a prompt cancels the prompt alone, and the session goes on.
TEST_F(CadhostTest, CtrlDQuitsOnlyOnTheAnswerTypedAndCancelsAPrompt) {
  CadhostRun run = CadhostOnTerminal(
      "taline\n0,0\n5,0\n"
      "\x04"  // quit: asks
      "\x04"  // answers nothing: asked again
      "!answer no\n"
      "tahello\n\x04"  // cancels the prompt
      "!save kept.dxf\n");  // then the last Ctrl-D quits: nothing is unsaved
  EXPECT_EQ(run.exit_code, 0) << run.out;
  ExpectInOrder(run.out, {"Quit and drop them?", "Answer: !answer yes | !answer no",
                          "Ctrl-D does not cancel this question", "Quit and drop them?", "Hello cancelled."});
  EXPECT_NE(run.transcript.find("Quit and drop them? {Yes/No, exclamation, default 2} -> No"), std::string::npos)
      << run.transcript;
  EXPECT_EQ(run.transcript.find("no more input"), std::string::npos) << run.transcript;
  EXPECT_EQ(SavedLines(dir_ / "kept.dxf").size(), 1u);
}

// --verbose writes every item the host recorded, each once and on a line of
// its own.
TEST_F(CadhostTest, VerboseWritesEachItemOnceOnALineOfItsOwn) {
  CadhostRun run = Cadhost("tahello\nAnn\n", "--verbose");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  ExpectInOrder(run.out, {"[dynamic_linker] TestAddin unlocked\n[dynamic_linker] TestAddin MDI-aware\n"
                          "[addin] loaded TestAddin\n[app_message] TestAddin load drawing\n",
                          "Command: tahello\n[command_run] tahello\n", "Hello, Ann.",
                          "[drawing] closed\n[app_message] TestAddin unload app\n"});
  EXPECT_EQ(Count(run.out, "[command_run] tahello"), 1) << run.out;
}

TEST_F(CadhostTest, HostErrorsAtPromptsReachTheAddin) {
  CadhostRun run = Cadhost("tahello\n!error 52\n(getvar_missing)\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("Hello failed (error)."), std::string::npos) << run.out;
}

}  // namespace

// File names are UTF-8 from the command line and the script to the disk and
// back: the files a shell shows under those names are written and read, and
// a name that is not valid UTF-8 names its own bytes.
TEST_F(CadhostTest, FileNamesAreUtf8EndToEnd) {
  const std::string addin_folder = "äddin";
  fs::create_directories(dir_ / addin_folder);
  fs::create_directories(dir_ / "层");
  fs::copy_file(TEST_ADDIN_PATH, dir_ / addin_folder / "TestAddin.so");
  std::ofstream(dir_ / "script.txt", std::ios::binary) << "tahello\nÅsa\n!save 层/a.dxf\n";
  const std::string run_in = std::string("cd '") + dir_.string() + "' && '" + CADHOST_PATH + "'";
  const std::string quiet = " > out.txt 2> err.txt < /dev/null";

  int status = std::system((run_in + " --addin äddin/TestAddin.so --registry registry.txt --save sä.dxf" +
                            " script.txt" + quiet).c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << Read(dir_ / "err.txt");
  EXPECT_NE(Read(dir_ / "out.txt").find("Hello, Åsa."), std::string::npos) << Read(dir_ / "out.txt");
  EXPECT_TRUE(fs::is_regular_file(dir_ / "层" / "a.dxf"));
  EXPECT_TRUE(fs::is_regular_file(dir_ / "sä.dxf"));
  EXPECT_FALSE(fs::exists(dir_ / "s\xE4.dxf")) << "no Latin-1 name beside it";

  fs::copy_file(dir_ / "sä.dxf", dir_ / "plän.dxf");
  std::ofstream(dir_ / "empty.txt", std::ios::binary) << "";
  status = std::system((run_in + " --registry registry.txt --transcript transcript.txt --open plän.dxf" +
                        " --save '\xE4-latin1.dxf' empty.txt" + quiet).c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << Read(dir_ / "err.txt");
  EXPECT_NE(Read(dir_ / "transcript.txt").find("/plän.dxf"), std::string::npos) << Read(dir_ / "transcript.txt");
  EXPECT_TRUE(fs::is_regular_file(dir_ / "\xE4-latin1.dxf")) << "a name that is not UTF-8 keeps its bytes";

  host::db::Database db;
  const std::wstring saved = host::WidePath((dir_ / "层" / "a.dxf").string());
  EXPECT_NE(saved.find(L"/层/a.dxf"), std::wstring::npos);
  EXPECT_TRUE(host::db::ReadDrawing(db, saved).ok());
}
