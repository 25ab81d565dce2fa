#include "host/system/replace_file.h"

#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "host/system/fault.h"
#include "host/system/files.h"
#include "host/system/tests/temp_folder_fixture.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

class ReplaceFileTest : public host::testing::TempFolderTest {
 protected:
  // The names in the folder (or a folder inside it), "." and ".." left out.
  std::vector<std::wstring> Names(const std::string& folder = "") const {
    std::vector<std::wstring> names;
    for (const FileInfo& info : ListFolder(Path(folder) + L"/*"))
      if (info.name != L"." && info.name != L"..") names.push_back(info.name);
    return names;
  }
  // The permission bits of a file in the folder.
  unsigned Mode(const std::string& name) const {
    struct stat st {};
    EXPECT_EQ(lstat((root_ + "/" + name).c_str(), &st), 0) << name;
    return st.st_mode & 07777;
  }
  void SetMode(const std::string& name, unsigned mode) const {
    ASSERT_EQ(chmod((root_ + "/" + name).c_str(), mode), 0) << name;
  }
  void Link(const std::string& name, const std::string& to) const {
    ASSERT_EQ(symlink(to.c_str(), (root_ + "/" + name).c_str()), 0) << name;
  }
  std::string LinkText(const std::string& name) const {
    char text[512] = {};
    const ssize_t n = readlink((root_ + "/" + name).c_str(), text, sizeof text - 1);
    return n < 0 ? std::string() : std::string(text, static_cast<std::size_t>(n));
  }
  // Replaces `target` with `text` through either form of Begin().
  bool Replace(const std::string& target, const std::string& text, bool fixed_temporary,
               std::string* reason = nullptr) const {
    ReplacementFile out;
    const bool begun = fixed_temporary ? out.Begin(Path(target), Path(target) + L"&") : out.Begin(Path(target));
    bool done = begun && out.Write(text) && out.Commit();
    if (reason) *reason = out.Reason();
    return done;
  }
};

TEST_F(ReplaceFileTest, CommitPutsTheNewFileInPlaceWithNoTemporaryLeft) {
  struct Case {
    const char* label;
    bool fixed_temporary;
    bool old_file;
  };
  const Case cases[] = {
      {"new name, no old file", false, false},
      {"new name, old file", false, true},
      {"fixed name, no old file", true, false},
      {"fixed name, old file", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    (void)RemoveFile(Path("t.ini"));
    if (c.old_file) Write("t.ini", "old contents that are longer\n");
    // A fixed temporary file that exists is emptied first.
    if (c.fixed_temporary) Write("t.in&", "left from before");
    ReplacementFile out;
    ASSERT_TRUE(c.fixed_temporary ? out.Begin(Path("t.ini"), Path("t.in&")) : out.Begin(Path("t.ini")));
    EXPECT_TRUE(out.Write("new\n"));
    EXPECT_TRUE(out.Write("lines\n", 6));
    EXPECT_EQ(Read("t.ini"), c.old_file ? "old contents that are longer\n" : "");
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(Read("t.ini"), "new\nlines\n");
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
    EXPECT_FALSE(out.Commit()) << "a second commit has nothing to put in place";
  }
}

TEST_F(ReplaceFileTest, AFailureAtAnyStepKeepsTheOldFile) {
  int failures = 0;
  for (int succeed = 0;; ++succeed) {
    SCOPED_TRACE(succeed);
    Write("t.ini", "old");
    bool committed = false;
    {
      ScopedFault fault(FaultPoint::SaveFile, succeed);
      ReplacementFile out;
      ASSERT_TRUE(out.Begin(Path("t.ini")));
      for (const char* line : {"one\n", "two\n", "three\n"}) out.Write(line);
      committed = out.Commit();
      if (FaultsFired(FaultPoint::SaveFile) == 0) {
        EXPECT_TRUE(committed);
        break;
      }
    }
    ++failures;
    EXPECT_FALSE(committed);
    EXPECT_EQ(Read("t.ini"), "old");
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
  }
  EXPECT_EQ(failures, 3 + 1) << "each write, then the replacement";
  EXPECT_EQ(Read("t.ini"), "one\ntwo\nthree\n");
}

TEST_F(ReplaceFileTest, GivingUpKeepsTheOldFile) {
  Write("t.ini", "old");
  {
    ReplacementFile out;
    ASSERT_TRUE(out.Begin(Path("t.ini")));
    out.Write("new");
    EXPECT_EQ(Names().size(), 2u);
  }  // never committed
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
  {
    ReplacementFile out;
    ASSERT_TRUE(out.Begin(Path("t.ini"), Path("t.in&")));
    out.Write("new");
    out.Abandon();
    EXPECT_FALSE(out.Commit());
  }
  {
    ReplacementFile out;
    ASSERT_TRUE(out.Begin(Path("t.ini")));
    out.Write("new");
    out.Fail();  // the caller's own step failed
    EXPECT_FALSE(out.Ok());
    EXPECT_FALSE(out.Write("more"));
    EXPECT_FALSE(out.Commit());
  }
  EXPECT_EQ(Read("t.ini"), "old");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
}

// Temporary names carry the process id and a number counted from 0 in each
// process. A run that must repeat itself restarts the count and puts a
// number of its own in place of the id; a name already taken is passed over.
TEST_F(ReplaceFileTest, TemporaryNamesRestartWithTheGivenProcessNumber) {
  // The temporary file of a new ReplacementFile, given up at once.
  auto next_temporary = [this]() {
    const std::vector<std::wstring> before = Names();
    ReplacementFile out;
    EXPECT_TRUE(out.Begin(Path("t.ini")));
    for (const std::wstring& name : Names())
      if (std::find(before.begin(), before.end(), name) == before.end()) return name;
    return std::wstring();
  };
  const std::wstring pid = std::to_wstring(getpid());
  EXPECT_EQ(next_temporary(), L"t.ini.~" + pid + L"-0.tmp");
  EXPECT_EQ(next_temporary(), L"t.ini.~" + pid + L"-1.tmp");
  RestartReplacementNames(7);
  EXPECT_EQ(next_temporary(), L"t.ini.~7-0.tmp");
  EXPECT_EQ(next_temporary(), L"t.ini.~7-1.tmp");
  RestartReplacementNames(7);
  Write("t.ini.~7-0.tmp", "another process's");
  EXPECT_EQ(next_temporary(), L"t.ini.~7-1.tmp");
  EXPECT_EQ(Read("t.ini.~7-0.tmp"), "another process's");
  RestartReplacementNames();
  EXPECT_EQ(next_temporary(), L"t.ini.~" + pid + L"-0.tmp");
}

TEST_F(ReplaceFileTest, BeginFailsWhereNoFileCanBeMade) {
  ReplacementFile out;
  EXPECT_FALSE(out.Begin(Path("no/such/t.ini")));
  EXPECT_FALSE(out.Begin(Path("no/such/t.ini"), Path("no/such/t.in&")));
  EXPECT_FALSE(out.Begin(Path() + std::wstring(L"/t\0.ini", 7)));  // a unit no Linux path holds
  EXPECT_FALSE(out.Begin(L""));
  EXPECT_FALSE(out.Begin(Path("t.ini"), Path("t.ini")));  // the target as its own temporary
  EXPECT_FALSE(out.Ok());
  EXPECT_FALSE(out.Write("x"));
  EXPECT_FALSE(out.Commit());
  EXPECT_TRUE(Names().empty());
}

TEST_F(ReplaceFileTest, CommitAsNewNeverReplaces) {
  Write("t.ini", "old");
  ReplacementFile out;
  ASSERT_TRUE(out.Begin(Path("t.ini")));
  out.Write("new");
  EXPECT_FALSE(out.CommitAsNew());
  EXPECT_EQ(Read("t.ini"), "old");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});

  ASSERT_TRUE(out.Begin(Path("u.ini")));
  out.Write("new");
  ASSERT_TRUE(out.CommitAsNew());
  EXPECT_EQ(Read("u.ini"), "new");
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"t.ini", L"u.ini"}));
}

TEST_F(ReplaceFileTest, KeepsTheGivenModeAndTimes) {
  // They win over the old file's mode.
  Write("t.ini", "old");
  SetMode("t.ini", 0600);
  ReplacementFile out;
  ASSERT_TRUE(out.Begin(Path("t.ini")));
  out.Write("text");
  const std::timespec when{1100000000, 0};
  out.KeepModeAndTimes(0444, when, when);
  ASSERT_TRUE(out.Commit());
  const std::optional<FileInfo> info = GetFileInfo(Path("t.ini"));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->attributes, kAttributeReadOnly);
  EXPECT_EQ(info->last_write_time, UnixTimeToFileTime(1100000000, 0));
  EXPECT_EQ(Read("t.ini"), "text");
}

TEST_F(ReplaceFileTest, TheNewFileKeepsTheOldFilesMode) {
  for (const bool fixed : {false, true}) {
    for (const unsigned mode : {0600u, 0640u, 0755u, 0604u}) {
      SCOPED_TRACE(std::to_string(mode) + (fixed ? " fixed temporary" : " new temporary"));
      Write("t.ini", "old");
      SetMode("t.ini", mode);
      ASSERT_TRUE(Replace("t.ini", "new", fixed));
      EXPECT_EQ(Read("t.ini"), "new");
      EXPECT_EQ(Mode("t.ini"), mode);
      EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
    }
  }
}

TEST_F(ReplaceFileTest, AReadOnlyFileOrAFolderIsRefusedWithAReason) {
  // Refused by the mode, also where the system would let this process
  // write (root).
  Write("t.ini", "old");
  SetMode("t.ini", 0444);
  ASSERT_EQ(::mkdir((root_ + "/folder.ini").c_str(), 0755), 0);
  struct Case {
    const char* target;
    const char* reason;
  };
  for (const Case& c : {Case{"t.ini", "the file is read-only"}, Case{"folder.ini", "it is a folder"}}) {
    for (const bool fixed : {false, true}) {
      SCOPED_TRACE(std::string(c.target) + (fixed ? " fixed temporary" : " new temporary"));
      std::string reason;
      EXPECT_FALSE(Replace(c.target, "new", fixed, &reason));
      EXPECT_EQ(reason, c.reason);
    }
  }
  EXPECT_EQ(Read("t.ini"), "old");
  EXPECT_EQ(Mode("t.ini"), 0444u);
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"folder.ini", L"t.ini"}));
}

// A device, a pipe or a socket (or a link to one) is not swapped for a
// plain file: the save is refused and the target stays what it was. The
// device is a node of the null device made in the test's folder (where this
// process may make one), so that a failure here never touches /dev/null.
TEST_F(ReplaceFileTest, ATargetThatIsNoPlainFileIsRefusedAndKept) {
  ASSERT_EQ(::mkfifo((root_ + "/pipe.dxf").c_str(), 0644), 0);
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listening, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = root_ + "/socket.dxf";
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const bool device = ::mknod((root_ + "/null.dxf").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  Link("to-pipe.dxf", "pipe.dxf");
  struct Case {
    const char* target;
    const char* real;  // what the target is, or names through its link
    const char* reason;
    unsigned kind;
  };
  std::vector<Case> cases = {
      {"pipe.dxf", "pipe.dxf", "it is a pipe (FIFO), not a file", S_IFIFO},
      {"to-pipe.dxf", "pipe.dxf", "it is a pipe (FIFO), not a file", S_IFIFO},
      {"socket.dxf", "socket.dxf", "it is a socket, not a file", S_IFSOCK},
  };
  if (device) {
    Link("to-null.dxf", "null.dxf");
    cases.push_back({"null.dxf", "null.dxf", "it is a device, not a file", S_IFCHR});
    cases.push_back({"to-null.dxf", "null.dxf", "it is a device, not a file", S_IFCHR});
  }
  for (const Case& c : cases) {
    for (const bool fixed : {false, true}) {
      SCOPED_TRACE(std::string(c.target) + (fixed ? " fixed temporary" : " new temporary"));
      std::string reason;
      EXPECT_FALSE(Replace(c.target, "new", fixed, &reason));
      EXPECT_EQ(reason, c.reason);
      struct stat st {};
      ASSERT_EQ(lstat((root_ + "/" + c.real).c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & S_IFMT, c.kind);
    }
  }
  EXPECT_EQ(LinkText("to-pipe.dxf"), "pipe.dxf");
  ::close(listening);
  // Nothing else was left in the folder: no temporary file.
  for (const std::wstring& name : Names())
    EXPECT_EQ(name.find(L"tmp"), std::wstring::npos) << EncodeUtf8(name);
  if (!device) GTEST_SKIP() << "no device node can be made here: the device cases did not run";
}

TEST_F(ReplaceFileTest, ALinkStaysALinkAndTheFileItNamesIsReplaced) {
  ASSERT_EQ(::mkdir((root_ + "/data").c_str(), 0755), 0);
  Write("data/real.ini", "old");
  SetMode("data/real.ini", 0640);
  Link("t.ini", "data/real.ini");          // relative
  Link("chain.ini", root_ + "/t.ini");     // absolute, to another link
  Link("dangling.ini", "data/new.ini");    // to a file not made yet
  for (const bool fixed : {false, true}) {
    for (const char* link : {"t.ini", "chain.ini"}) {
      SCOPED_TRACE(std::string(link) + (fixed ? " fixed temporary" : " new temporary"));
      const std::string text = std::string("through ") + link;
      ASSERT_TRUE(Replace(link, text, fixed));
      EXPECT_EQ(Read("data/real.ini"), text);
      EXPECT_EQ(Mode("data/real.ini"), 0640u);
    }
  }
  ASSERT_TRUE(Replace("dangling.ini", "made", false));
  EXPECT_EQ(Read("data/new.ini"), "made");
  EXPECT_EQ(LinkText("t.ini"), "data/real.ini");
  EXPECT_EQ(LinkText("chain.ini"), root_ + "/t.ini");
  EXPECT_EQ(LinkText("dangling.ini"), "data/new.ini");
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"chain.ini", L"dangling.ini", L"data", L"t.ini"}));
  EXPECT_EQ(Names("data"), (std::vector<std::wstring>{L"new.ini", L"real.ini"}));

  // A read-only file behind a link is refused too; a loop of links names
  // no file.
  SetMode("data/real.ini", 0444);
  std::string reason;
  EXPECT_FALSE(Replace("t.ini", "new", false, &reason));
  EXPECT_EQ(reason, "the file is read-only");
  Link("loop1.ini", "loop2.ini");
  Link("loop2.ini", "loop1.ini");
  EXPECT_FALSE(Replace("loop1.ini", "new", false, &reason));
  EXPECT_EQ(reason, std::strerror(ELOOP));
}

TEST_F(ReplaceFileTest, AFullDiskGivesTheSystemsReason) {
  // Each step that can meet a full disk: the writes, then the step before
  // the rename.
  for (int succeed = 0; succeed <= 2; ++succeed) {
    SCOPED_TRACE(succeed);
    Write("t.ini", "old");
    ScopedFault fault(FaultPoint::SaveFile, succeed, 1, ENOSPC);
    ReplacementFile out;
    ASSERT_TRUE(out.Begin(Path("t.ini")));
    out.Write("one\n");
    out.Write("two\n");
    EXPECT_FALSE(out.Commit());
    EXPECT_EQ(out.Reason(), std::strerror(ENOSPC));
    EXPECT_EQ(Read("t.ini"), "old");
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"t.ini"});
  }
}

// A real small file system, where the machine lets the test mount one.
TEST_F(ReplaceFileTest, AFullFileSystemGivesTheSystemsReason) {
  const std::string mount_point = root_ + "/small";
  ASSERT_EQ(::mkdir(mount_point.c_str(), 0755), 0);
  if (::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{mount_point};
  Write("small/t.ini", "old");
  ReplacementFile out;
  ASSERT_TRUE(out.Begin(Path("small/t.ini")));
  const std::string block(4096, 'x');
  for (int i = 0; i < 16; ++i) out.Write(block);
  EXPECT_FALSE(out.Commit());
  EXPECT_EQ(out.Reason(), std::strerror(ENOSPC));
  EXPECT_EQ(Read("small/t.ini"), "old");
  EXPECT_EQ(Names("small"), std::vector<std::wstring>{L"t.ini"});
}

}  // namespace
}  // namespace host
