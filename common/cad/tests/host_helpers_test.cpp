#include "common/cad/current_layer.h"
#include "common/cad/registry_key_name.h"
#include "common/cad/sysvar_save.h"
#include "common/cad/user_break.h"

#include <gtest/gtest.h>

#include <string>

#include "host/db/database.h"
#include "host/editor/command_line.h"
#include "host/system/events.h"
#include "host/editor/system_variables.h"
#include "host/system/registry.h"
#include "host/testing/test_reset.h"

namespace {

class SysVarSave : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    RestoreSysVars();  // drops a set left by an earlier test
    // The user's own state.
    ASSERT_EQ(host::SetSystemVariable(L"EXPERT", 1), host::Status::kNormal);
    ASSERT_EQ(host::SetSystemVariable(L"CMDECHO", 1), host::Status::kNormal);
    ASSERT_EQ(host::SetSystemVariable(L"OSMODE", 37), host::Status::kNormal);
    ASSERT_EQ(host::SetSystemVariable(L"HIGHLIGHT", 0), host::Status::kNormal);
    ASSERT_EQ(host::SetSystemVariable(L"CLAYER", L"Survey"), host::Status::kNormal);
    ASSERT_EQ(host::SetSystemVariable(L"CECOLOR", L"3"), host::Status::kNormal);
  }
  void TearDown() override { host::ResetForTest(); }

  static int Short(const wchar_t* name) { return host::GetSystemVariable(name).Short(); }
  static std::wstring Text(const wchar_t* name) { return host::GetSystemVariable(name).Text(); }

  void ExpectUsersState() {
    EXPECT_EQ(Short(L"EXPERT"), 1);
    EXPECT_EQ(Short(L"CMDECHO"), 1);
    EXPECT_EQ(Short(L"OSMODE"), 37);
    EXPECT_EQ(Short(L"HIGHLIGHT"), 0);
    EXPECT_EQ(Text(L"CLAYER"), L"Survey");
    EXPECT_EQ(Text(L"CECOLOR"), L"3");
  }
};

TEST_F(SysVarSave, SaveSetsTheQuietStateAndRestoreGivesTheUsersBack) {
  ASSERT_TRUE(SaveAndSetSysVars());
  EXPECT_EQ(Short(L"EXPERT"), 5);
  EXPECT_EQ(Short(L"CMDECHO"), 0);
  EXPECT_EQ(Short(L"OSMODE"), 0);
  EXPECT_EQ(Short(L"HIGHLIGHT"), 1);
  // The work changes what the save does not set.
  ASSERT_EQ(host::SetSystemVariable(L"CLAYER", L"OS_Import"), host::Status::kNormal);
  ASSERT_EQ(host::SetSystemVariable(L"CECOLOR", L"BYLAYER"), host::Status::kNormal);
  ASSERT_EQ(host::SetSystemVariable(L"UCSICON", 0), host::Status::kNormal);
  EXPECT_TRUE(RestoreSysVars());
  ExpectUsersState();
  EXPECT_EQ(Short(L"UCSICON"), 3);

  // A second restore writes nothing.
  ASSERT_EQ(host::SetSystemVariable(L"OSMODE", 1), host::Status::kNormal);
  EXPECT_TRUE(RestoreSysVars());
  EXPECT_EQ(Short(L"OSMODE"), 1);
}

TEST_F(SysVarSave, SelectiveSaveSetsOnlyWhatIsAsked) {
  ASSERT_TRUE(SaveAndSetSysVarsSelective(false, true, false, true));
  EXPECT_EQ(Short(L"EXPERT"), 1);
  EXPECT_EQ(Short(L"CMDECHO"), 0);
  EXPECT_EQ(Short(L"OSMODE"), 37);
  EXPECT_EQ(Short(L"HIGHLIGHT"), 1);
  EXPECT_TRUE(RestoreSysVars());
  ExpectUsersState();
}

TEST_F(SysVarSave, FailedSaveLeavesTheUsersStateAndNothingToRestore) {
  // A read that fails: nothing set. A set that fails part-way: what was
  // already set goes back.
  const struct {
    const wchar_t* name;
    host::SysVarOp op;
  } cases[] = {
      {L"CELTYPE", host::SysVarOp::kGet},
      {L"EXPERT", host::SysVarOp::kSet},
      {L"OSMODE", host::SysVarOp::kSet},
      {L"HIGHLIGHT", host::SysVarOp::kSet},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(std::wstring(test.name));
    host::FailSystemVariable(test.name, test.op, 0, 1);
    EXPECT_FALSE(SaveAndSetSysVars());
    ExpectUsersState();
    ASSERT_EQ(host::SetSystemVariable(L"OSMODE", 2), host::Status::kNormal);
    EXPECT_TRUE(RestoreSysVars()) << "nothing was saved";
    EXPECT_EQ(Short(L"OSMODE"), 2);
    ASSERT_EQ(host::SetSystemVariable(L"OSMODE", 37), host::Status::kNormal);
  }
}

TEST_F(SysVarSave, RestoreStopsAtTheFirstFailedWrite) {
  ASSERT_TRUE(SaveAndSetSysVars());
  host::FailSystemVariable(L"OSMODE", host::SysVarOp::kSet, 0, 1);
  EXPECT_FALSE(RestoreSysVars());
  EXPECT_EQ(Short(L"EXPERT"), 1);
  EXPECT_EQ(Short(L"CMDECHO"), 1);
  EXPECT_EQ(Short(L"OSMODE"), 0);
  EXPECT_EQ(Short(L"HIGHLIGHT"), 1);
  // The set is dropped all the same.
  EXPECT_TRUE(RestoreSysVars());
  EXPECT_EQ(Short(L"OSMODE"), 0);
}

class CurrentLayer : public ::testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }

  host::db::Database db_;
  host::db::ScopedWorkingDatabase working_{&db_};
};

TEST_F(CurrentLayer, NewLayerTakesColourAndContinuous) {
  for (const auto& [colour, expected] : {std::pair{0, 7}, std::pair{3, 3}}) {
    const std::wstring name = L"New" + std::to_wstring(colour);
    ASSERT_TRUE(MakeLayerCurrent(colour, name));
    const host::db::LayerRecord* layer = db_.LayerRecordOf(db_.Layer(name));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->color, expected);
    EXPECT_TRUE(host::db::SameTableName(db_.LinetypeRecordOf(db_.IdOf(layer->linetype))->name,
                                        L"CONTINUOUS"));
    EXPECT_EQ(db_.CurrentLayer(), db_.Layer(name));
    EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), name);
  }
}

TEST_F(CurrentLayer, ExistingLayerIsMadeUsableAndKeepsItsColourUnlessRecoloured) {
  host::db::LayerRecord record;
  record.name = L"Roads";
  record.color = 5;
  record.off = record.frozen = record.locked = record.frozenInNewViewports = true;
  ASSERT_FALSE(db_.AddLayer(record).IsNull());
  ASSERT_TRUE(MakeLayerCurrent(2, L"roads"));
  const host::db::LayerRecord* layer = db_.LayerRecordOf(db_.Layer(L"Roads"));
  EXPECT_FALSE(layer->off || layer->frozen || layer->locked || layer->frozenInNewViewports);
  EXPECT_EQ(layer->color, 5);
  EXPECT_EQ(db_.CurrentLayer(), db_.Layer(L"Roads"));
  EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), L"Roads");
  ASSERT_TRUE(MakeLayerCurrentRecolour(0, L"Roads", true));
  EXPECT_EQ(layer->color, 7);
}

TEST_F(CurrentLayer, Failures) {
  EXPECT_FALSE(MakeLayerCurrent(1, L"bad<name"));
  EXPECT_TRUE(db_.Layer(L"bad<name").IsNull());
  host::db::ScopedWorkingDatabase none(nullptr);
  EXPECT_FALSE(MakeLayerCurrent(1, L"Any"));
}

TEST(UserBreakPoll, EscIsSeenOnceAndThePumpPrintsUnlessQuiet) {
  host::ResetForTest();
  EXPECT_FALSE(UserBreak());
  host::PressEsc();
  EXPECT_TRUE(UserBreak());
  EXPECT_FALSE(UserBreak());

  EXPECT_FALSE(PumpMessagesCheckEsc(false));
  host::PressEsc();
  EXPECT_TRUE(PumpMessagesCheckEsc(true));
  EXPECT_EQ(host::CommandLineText(), L"");
  host::PressEsc();
  EXPECT_TRUE(PumpMessagesCheckEsc(false));
  EXPECT_NE(host::CommandLineText().find(L"* Stop *"), std::wstring::npos);
  host::ResetForTest();
}

TEST(RegistryKeyName, FullNameOfAnOpenKey) {
  host::ResetForTest();
  ASSERT_TRUE(host::CreateRegistryKey(L"Software\\Larch\\Varnel"));
  std::wstring name = L"stale";
  EXPECT_TRUE(GetRegistryKeyName(L"Software\\Larch\\Varnel", name));
  EXPECT_EQ(name, L"HKEY_CURRENT_USER\\Software\\Larch\\Varnel");
  EXPECT_FALSE(GetRegistryKeyName(L"Software\\Missing", name));
  EXPECT_EQ(name, L"");
  EXPECT_FALSE(GetRegistryKeyName(L"", name));
  host::ResetForTest();
}

}  // namespace
