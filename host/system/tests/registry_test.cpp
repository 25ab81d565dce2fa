#include "host/system/registry.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "host/system/fault.h"
#include "host/system/profiles.h"
#include "host/system/tests/temp_folder_fixture.h"

namespace host {
namespace {

class RegistryTest : public host::testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(UseRegistryFile(File()));
  }
  std::wstring File() const { return Path("conf/registry"); }
  // Forgets the store and reads it back, as a new run of the program does.
  void Restart() {
    UseMemoryRegistry();
    ASSERT_TRUE(UseRegistryFile(File()));
  }
  // Runs `programs` child processes at once, each using the store from its
  // own start and doing `work(number)`; expects each to answer true.
  void RunPrograms(int programs, const std::function<bool(int)>& work) {
    std::vector<pid_t> children;
    for (int p = 0; p < programs; ++p) {
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) _exit(UseRegistryFile(File()) && work(p) ? 0 : 1);
      children.push_back(pid);
    }
    for (pid_t pid : children) {
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
  }
};

TEST_F(RegistryTest, KeysAndValuesSurviveARestart) {
  const std::wstring general = L"Software\\CadHost\\Profiles\\Mine\\General";
  EXPECT_FALSE(SetRegistryString(general, L"ACAD", L"x"));  // no key yet
  ASSERT_TRUE(CreateRegistryKey(general));
  const std::wstring odd = L"C:\\a;/b/\xE9\x20AC;\"q\" 100% ]\n\t";
  ASSERT_TRUE(SetRegistryString(general, L"ACAD", odd));
  ASSERT_TRUE(SetRegistryString(general, L"Na\"me]%", L""));
  ASSERT_TRUE(CreateRegistryKey(L"Software\\Odd]Key%\\\xE9"));

  Restart();
  EXPECT_EQ(GetRegistryString(L"software\\cadhost\\PROFILES\\mine\\general", L"acad"), odd);
  EXPECT_EQ(GetRegistryString(general, L"na\"me]%"), L"");
  EXPECT_TRUE(RegistryKeyExists(L"Software\\Odd]Key%\\\xE9"));
  // Names keep the spelling they were made with.
  EXPECT_EQ(RegistrySubkeys(L"SOFTWARE\\CADHOST\\PROFILES"), std::vector<std::wstring>{L"Mine"});
  EXPECT_EQ(RegistryValueNames(general), (std::vector<std::wstring>{L"ACAD", L"Na\"me]%"}));
}

TEST_F(RegistryTest, DeleteAndCopyWholeTrees) {
  ASSERT_TRUE(CreateRegistryKey(L"A\\B\\C"));
  ASSERT_TRUE(SetRegistryString(L"A\\B\\C", L"v", L"1"));
  ASSERT_TRUE(SetRegistryString(L"A\\B", L"w", L"2"));
  ASSERT_TRUE(CopyRegistryKey(L"A\\B", L"X\\Y"));
  EXPECT_FALSE(CopyRegistryKey(L"A\\B", L"X\\Y"));  // the target exists
  EXPECT_FALSE(CopyRegistryKey(L"A\\Missing", L"X\\Z"));
  // The copy is a copy: changing it leaves the original alone.
  ASSERT_TRUE(SetRegistryString(L"X\\Y\\C", L"v", L"changed"));
  EXPECT_EQ(GetRegistryString(L"A\\B\\C", L"v"), L"1");
  EXPECT_EQ(GetRegistryString(L"X\\Y", L"w"), L"2");

  EXPECT_TRUE(DeleteRegistryValue(L"A\\B", L"W"));
  EXPECT_FALSE(DeleteRegistryValue(L"A\\B", L"w"));
  EXPECT_TRUE(DeleteRegistryKey(L"a\\b"));
  EXPECT_FALSE(RegistryKeyExists(L"A\\B\\C"));
  EXPECT_TRUE(RegistryKeyExists(L"A"));
  EXPECT_FALSE(DeleteRegistryKey(L"A\\B"));
  EXPECT_FALSE(CreateRegistryKey(L"\\\\"));
  Restart();
  EXPECT_EQ(GetRegistryString(L"X\\Y\\C", L"v"), L"changed");
  EXPECT_FALSE(RegistryKeyExists(L"A\\B"));
}

TEST_F(RegistryTest, AFailedSaveKeepsTheOldFileAndTheChangeInMemory) {
  ASSERT_TRUE(CreateRegistryKey(L"A"));
  ASSERT_TRUE(SetRegistryString(L"A", L"v", L"1"));
  const std::string before = Read("conf/registry");
  for (int succeed : {0, 1}) {  // the write, then the replacement
    SCOPED_TRACE(succeed);
    ScopedFault fault(FaultPoint::SaveFile, succeed);
    EXPECT_FALSE(SetRegistryString(L"A", L"v", L"2"));
    EXPECT_EQ(GetRegistryString(L"A", L"v"), L"2");
    EXPECT_EQ(Read("conf/registry"), before);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root_ + "/conf"))
      names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"registry", "registry.lock"}));  // no temporary file left
  }
  Restart();
  EXPECT_EQ(GetRegistryString(L"A", L"v"), L"1");
}

TEST_F(RegistryTest, ABrokenFileKeepsWhatCanBeRead) {
  UseMemoryRegistry();
  Write("broken", "; comment\n[Good\\Key]\n\"v\"=\"1\"\nnonsense\n\"bad\"=\"%{zz}\"\n[Other]\r\n\"w\"=\"2\"\r\n");
  EXPECT_FALSE(UseRegistryFile(Path("broken")));
  EXPECT_EQ(GetRegistryString(L"Good\\Key", L"v"), L"1");
  EXPECT_FALSE(GetRegistryString(L"Good\\Key", L"bad"));
  EXPECT_EQ(GetRegistryString(L"Other", L"w"), L"2");
}

TEST_F(RegistryTest, AFailedWriteLeavesTheOldFileWhole) {
  ASSERT_TRUE(CreateRegistryKey(L"K"));
  ASSERT_TRUE(SetRegistryString(L"K", L"v", L"old"));
  const std::string before = Read("conf/registry");
  // A folder where the new file would be written makes the write fail.
  std::filesystem::create_directory(root_ + "/conf/registry.new");
  EXPECT_FALSE(SetRegistryString(L"K", L"v", L"new"));
  EXPECT_EQ(Read("conf/registry"), before);
}

// A file that cannot be read whole is copied aside before the store is saved
// over it, so the user's profiles as they were are never lost.
TEST_F(RegistryTest, ADamagedFileIsKeptBesideTheStore) {
  UseMemoryRegistry();
  std::filesystem::create_directories(root_ + "/conf");
  const std::string garbage = "[Good]\n\"v\"=\"1\"\n\x01\x02 not a store \xff\n[Cut\\Ke";
  Write("conf/registry", garbage);
  std::wstring copy;
  EXPECT_FALSE(UseRegistryFile(File(), &copy));
  EXPECT_EQ(copy, File() + L".damaged");
  EXPECT_EQ(Read("conf/registry.damaged"), garbage);
  ASSERT_TRUE(SetRegistryString(L"Good", L"v", L"2"));  // the store is saved over the file
  EXPECT_EQ(Read("conf/registry.damaged"), garbage);

  // A second damaged file does not replace the first copy.
  UseMemoryRegistry();
  Write("conf/registry", "junk");
  EXPECT_FALSE(UseRegistryFile(File(), &copy));
  EXPECT_EQ(copy, File() + L".damaged-2");
  EXPECT_EQ(Read("conf/registry.damaged-2"), "junk");
  EXPECT_EQ(Read("conf/registry.damaged"), garbage);

  // A whole file, or none, makes no copy.
  copy = L"unset";
  UseMemoryRegistry();
  EXPECT_TRUE(UseRegistryFile(Path("conf/none"), &copy));
  EXPECT_EQ(copy, L"unset");
}

// Programs that change one store at the same moment, each from its own copy
// read at the start, keep every one of each other's changes; and a running
// program reads what the others saved.
TEST_F(RegistryTest, ProgramsSharingTheStoreKeepEachOthersChanges) {
  ASSERT_TRUE(CreateRegistryKey(L"Shared"));
  constexpr int kPrograms = 4;
  constexpr int kChanges = 40;
  RunPrograms(kPrograms, [&](int p) {
    bool ok = true;
    for (int i = 0; i < kChanges; ++i) {
      const std::wstring name = L"p" + std::to_wstring(p) + L"-" + std::to_wstring(i);
      ok = SetRegistryString(L"Shared", name, L"v") && ok;
      ok = CreateRegistryKey(L"Shared\\" + name) && ok;
    }
    return ok;
  });
  // Read without a restart: this program sees the others' saves.
  EXPECT_EQ(RegistryValueNames(L"Shared").size(), static_cast<std::size_t>(kPrograms * kChanges));
  EXPECT_EQ(RegistrySubkeys(L"Shared").size(), static_cast<std::size_t>(kPrograms * kChanges));
  // A change of this program keeps them too.
  ASSERT_TRUE(SetRegistryString(L"Shared", L"parent", L"v"));
  Restart();
  for (int p = 0; p < kPrograms; ++p)
    for (int i = 0; i < kChanges; ++i) {
      const std::wstring name = L"p" + std::to_wstring(p) + L"-" + std::to_wstring(i);
      EXPECT_EQ(GetRegistryString(L"Shared", name), L"v") << p << " " << i;
      EXPECT_TRUE(RegistryKeyExists(L"Shared\\" + name)) << p << " " << i;
    }
  EXPECT_EQ(GetRegistryString(L"Shared", L"parent"), L"v");
}

// A value read, changed and written back within a transaction (a support
// path with a folder added, here a count) keeps every other program's
// change: none comes between the read and the write.
TEST_F(RegistryTest, ReadAndWriteBackInATransactionLosesNoOtherProgramsChange) {
  ASSERT_TRUE(CreateRegistryKey(L"Shared"));
  ASSERT_TRUE(SetRegistryString(L"Shared", L"count", L"0"));
  constexpr int kPrograms = 4;
  constexpr int kSteps = 25;
  RunPrograms(kPrograms, [&](int) {
    bool ok = true;
    for (int i = 0; i < kSteps; ++i) {
      RegistryTransaction transaction;
      const int count = std::stoi(GetRegistryString(L"Shared", L"count").value_or(L"0"));
      RegistryTransaction nested;  // joins the outer one
      ok = SetRegistryString(L"Shared", L"count", std::to_wstring(count + 1)) && ok;
    }
    return ok;
  });
  EXPECT_EQ(GetRegistryString(L"Shared", L"count"), std::to_wstring(kPrograms * kSteps));
}

class ProfilesTest : public RegistryTest {};

TEST_F(ProfilesTest, AStoreWithoutProfilesGetsTheDefault) {
  EXPECT_EQ(CurrentProfileName(), kDefaultProfileName);
  EXPECT_EQ(ProfileNames(), std::vector<std::wstring>{kDefaultProfileName});
  EXPECT_TRUE(RegistryKeyExists(ProfileKey(kDefaultProfileName) + L"\\General"));
}

TEST_F(ProfilesTest, TheTemporaryProfileRoundTrip) {
  ASSERT_TRUE(SetProfileSupportPath(L"Default", L"/a;/prog;/b"));
  // The registry key text: the root's name and a backslash (18 characters),
  // then the key under the user's root.
  std::optional<std::wstring> key = ProfileRegistryKey(L"default");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->substr(0, 18), L"HKEY_CURRENT_USER\\");
  const std::wstring general = key->substr(18) + L"\\General";
  EXPECT_EQ(GetRegistryString(general, L"ACAD"), L"/a;/prog;/b");

  std::vector<std::wstring> made_current;
  const int id = AddProfileListener([&](const std::wstring& name) { made_current.push_back(name); });
  EXPECT_FALSE(DeleteProfile(L"TMP"));  // none yet
  ASSERT_TRUE(CopyProfile(L"Default", L"TMP", L"Temporary profile delete if found"));
  EXPECT_FALSE(CopyProfile(L"Default", L"tmp", L"again"));
  ASSERT_TRUE(MakeProfileCurrent(L"TMP"));
  EXPECT_EQ(CurrentProfileName(), L"TMP");
  ASSERT_TRUE(SetRegistryString(general, L"ACAD", L"/local;/a;/b;"));
  ASSERT_TRUE(MakeProfileCurrent(L"DEFAULT"));
  EXPECT_TRUE(DeleteProfile(L"TMP"));
  RemoveProfileListener(id);
  EXPECT_EQ(made_current, (std::vector<std::wstring>{L"TMP", L"Default"}));

  Restart();
  EXPECT_EQ(CurrentProfileName(), L"Default");
  EXPECT_EQ(ProfileSupportPath(L"Default"), L"/local;/a;/b;");
  EXPECT_FALSE(ProfileExists(L"TMP"));
}

TEST_F(ProfilesTest, Refusals) {
  EXPECT_FALSE(DeleteProfile(CurrentProfileName()));  // the current one stays
  EXPECT_FALSE(MakeProfileCurrent(L"Nobody"));
  EXPECT_FALSE(ProfileRegistryKey(L"Nobody"));
  EXPECT_FALSE(CopyProfile(L"Nobody", L"X", L""));
  EXPECT_FALSE(CopyProfile(L"Default", L"a\\b", L""));
  EXPECT_FALSE(CopyProfile(L"Default", L"", L""));
  EXPECT_EQ(ProfileSupportPath(L"Nobody"), L"");
  // A current-profile mark naming a deleted profile falls back to one that exists.
  ASSERT_TRUE(CopyProfile(L"Default", L"Other", L""));
  ASSERT_TRUE(SetRegistryString(kProfilesKey, L"CurrentProfile", L"Gone"));
  EXPECT_EQ(CurrentProfileName(), L"Default");
}

}  // namespace
}  // namespace host
