#include "host/editor/system_variables.h"

#include "editor_fixture.h"
#include "host/system/profiles.h"

namespace {

using SystemVariablesTest = EditorTest;
using host::Status;
using host::SysVarValue;

TEST_F(SystemVariablesTest, EveryVariableTheAddInsUseHasATypedDefault) {
  struct Case {
    const wchar_t* name;
    SysVarValue value;
  };
  const Case cases[] = {
      {L"OSMODE", std::int16_t{4133}},       {L"EXPERT", std::int16_t{0}},
      {L"CMDECHO", std::int16_t{1}},         {L"UCSICON", std::int16_t{3}},
      {L"HIGHLIGHT", std::int16_t{1}},       {L"CLAYER", std::wstring(L"0")},
      {L"CECOLOR", std::wstring(L"BYLAYER")}, {L"CELTYPE", std::wstring(L"BYLAYER")},
      {L"TEXTSTYLE", std::wstring(L"Standard")}, {L"ANGBASE", 0.0},
      {L"ANGDIR", std::int16_t{0}},          {L"AUNITS", std::int16_t{0}},
      {L"PLINEGEN", std::int16_t{0}},        {L"ERRNO", std::int16_t{0}},
      {L"VIEWSIZE", 9.0},                    {L"CPROFILE", std::wstring(L"Default")},
      {L"ACADVER", std::wstring(L"25.0")},   {L"TRUSTEDPATHS", std::wstring()},
      {L"LUNITS", std::int16_t{2}},          {L"LUPREC", std::int16_t{4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    host::SysVarResult r = host::GetSystemVariable(c.name);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value, c.value);
  }
  host::SysVarResult prefix = host::GetSystemVariable(L"dwgprefix");
  ASSERT_TRUE(prefix.ok());
  EXPECT_EQ(prefix.Text().back(), L'/');
}

TEST_F(SystemVariablesTest, SetChecksNameTypeAndAccess) {
  struct Case {
    const wchar_t* name;
    SysVarValue value;
    Status status;
  };
  const Case cases[] = {
      {L"osmode", std::int16_t{0x4000 | 4133}, Status::kNormal},
      {L"OSMODE", std::wstring(L"1"), Status::kError},
      {L"OSMODE", 1.0, Status::kError},
      {L"ANGBASE", std::int16_t{1}, Status::kNormal},  // an integer is a real too
      {L"CLAYER", std::wstring(L"Walls"), Status::kNormal},
      {L"CLAYER", std::int16_t{1}, Status::kError},
      {L"ACADVER", std::wstring(L"18.0"), Status::kError},
      {L"VIEWSIZE", 5.0, Status::kError},
      {L"NOSUCHVAR", std::int16_t{1}, Status::kError},
      {L"TRUSTEDPATHS", std::wstring(L"/a;/b"), Status::kNormal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    host::SysVarResult before = host::GetSystemVariable(c.name);
    EXPECT_EQ(host::SetSystemVariable(c.name, c.value), c.status);
    host::SysVarResult after = host::GetSystemVariable(c.name);
    if (c.status != Status::kNormal) {
      EXPECT_EQ(after.value, before.value);
    }
  }
  EXPECT_EQ(host::GetSystemVariable(L"OSMODE").Short(), 0x4000 | 4133);
  EXPECT_EQ(host::GetSystemVariable(L"ANGBASE").Number(), 1.0);
  EXPECT_EQ(host::SetSystemVariable(L"OSMODE", 70000), Status::kError);
  EXPECT_EQ(host::SetSystemVariable(L"ANGBASE", 3), Status::kNormal);
  EXPECT_EQ(host::GetSystemVariable(L"ANGBASE").Number(), 3.0);
}

TEST_F(SystemVariablesTest, FailuresAreInjectedPerVariable) {
  host::FailSystemVariable(L"cmdecho", host::SysVarOp::kSet, 1, 1);
  EXPECT_EQ(host::SetSystemVariable(L"EXPERT", 5), Status::kNormal);
  EXPECT_EQ(host::SetSystemVariable(L"CMDECHO", 0), Status::kNormal);  // the one that passes
  EXPECT_EQ(host::SetSystemVariable(L"CMDECHO", 1), Status::kError);
  EXPECT_EQ(host::GetSystemVariable(L"CMDECHO").Short(), 0);  // unchanged by the failed set
  EXPECT_EQ(host::SetSystemVariable(L"CMDECHO", 1), Status::kNormal);

  host::FailSystemVariable(L"CPROFILE", host::SysVarOp::kGet, 0, -1);
  EXPECT_FALSE(host::GetSystemVariable(L"CPROFILE").ok());
  EXPECT_FALSE(host::GetSystemVariable(L"CPROFILE").ok());
  EXPECT_TRUE(host::GetSystemVariable(L"ACADVER").ok());
}

TEST_F(SystemVariablesTest, CprofileIsTheCurrentProfile) {
  ASSERT_TRUE(host::CopyProfile(host::CurrentProfileName(), L"LWH_TMP_PROFILE", L"Temporary"));
  ASSERT_TRUE(host::MakeProfileCurrent(L"LWH_TMP_PROFILE"));
  EXPECT_EQ(host::GetSystemVariable(L"CPROFILE").Text(), L"LWH_TMP_PROFILE");
  ASSERT_TRUE(host::MakeProfileCurrent(L"Default"));
  EXPECT_TRUE(host::DeleteProfile(L"LWH_TMP_PROFILE"));
  EXPECT_EQ(host::GetSystemVariable(L"CPROFILE").Text(), L"Default");
}

TEST_F(SystemVariablesTest, TheSetFaultPointFailsAnySet) {
  host::ScopedFault fault(host::FaultPoint::SetSystemVariable, 2, 1);
  EXPECT_EQ(host::SetSystemVariable(L"EXPERT", 5), Status::kNormal);
  EXPECT_EQ(host::SetSystemVariable(L"CMDECHO", 0), Status::kNormal);
  EXPECT_EQ(host::SetSystemVariable(L"OSMODE", 0), Status::kError);
  EXPECT_EQ(host::SetSystemVariable(L"HIGHLIGHT", 1), Status::kNormal);
  EXPECT_EQ(host::FaultsFired(host::FaultPoint::SetSystemVariable), 1);
  // Refused sets do not spend the fault's count.
  host::ArmFault(host::FaultPoint::SetSystemVariable, 0, 1);
  EXPECT_EQ(host::SetSystemVariable(L"ACADVER", L"1"), Status::kError);
  EXPECT_EQ(host::FaultsFired(host::FaultPoint::SetSystemVariable), 0);
}

TEST_F(SystemVariablesTest, BoundVariablesReadAndWriteThroughTheirOwner) {
  std::wstring layer = L"0";
  host::BindSystemVariable(L"CLAYER", {[&] { return SysVarValue(layer); },
                                       [&](const SysVarValue& v) {
                                         const auto& name = std::get<std::wstring>(v);
                                         if (name == L"missing") return false;
                                         layer = name;
                                         return true;
                                       }});
  EXPECT_EQ(host::SetSystemVariable(L"CLAYER", L"Roads"), Status::kNormal);
  EXPECT_EQ(layer, L"Roads");
  EXPECT_EQ(host::SetSystemVariable(L"CLAYER", L"missing"), Status::kError);
  layer = L"Walls";
  EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), L"Walls");

  host::BindSystemVariable(L"DWGPREFIX", {[] { return SysVarValue(std::wstring(L"/d/")); }, {}});
  EXPECT_EQ(host::GetSystemVariable(L"DWGPREFIX").Text(), L"/d/");
  EXPECT_EQ(host::SetSystemVariable(L"DWGPREFIX", L"/x/"), Status::kError);
}

}  // namespace

#include "drawing_fixture.h"

namespace {

using DrawingVariablesTest = DrawingTest;

TEST_F(DrawingVariablesTest, DrawingVariablesFollowTheWorkingDrawing) {
  ASSERT_FALSE(db_.EnsureLayer(L"Roads").IsNull());
  struct Case {
    const wchar_t* name;
    host::SysVarValue value;
    Status status;
  };
  const Case cases[] = {
      {L"CLAYER", std::wstring(L"roads"), Status::kNormal},
      {L"CLAYER", std::wstring(L"No such layer"), Status::kError},
      {L"CECOLOR", std::wstring(L"3"), Status::kNormal},
      {L"CECOLOR", std::wstring(L"256"), Status::kError},
      {L"CECOLOR", std::wstring(L"red"), Status::kError},
      {L"CELTYPE", std::wstring(L"continuous"), Status::kNormal},
      {L"CELTYPE", std::wstring(L"DASHED"), Status::kError},
      {L"TEXTSTYLE", std::wstring(L"STANDARD"), Status::kNormal},
      {L"TEXTSTYLE", std::wstring(L"Fancy"), Status::kError},
      {L"AUNITS", std::int16_t{3}, Status::kNormal},
      {L"AUNITS", std::int16_t{5}, Status::kError},
      {L"ANGDIR", std::int16_t{1}, Status::kNormal},
      {L"ANGBASE", 1.5, Status::kNormal},
      {L"PLINEGEN", std::int16_t{1}, Status::kNormal},
      {L"PLINEGEN", std::int16_t{2}, Status::kError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    EXPECT_EQ(host::SetSystemVariable(c.name, c.value), c.status);
  }
  EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), L"Roads");
  EXPECT_EQ(db_.CurrentLayer(), db_.Layer(L"Roads"));
  EXPECT_EQ(db_.Settings().currentColor, 3);
  EXPECT_EQ(host::GetSystemVariable(L"CECOLOR").Text(), L"3");
  EXPECT_EQ(host::GetSystemVariable(L"AUNITS").Short(), 3);
  EXPECT_TRUE(db_.Settings().angleClockwise);
  EXPECT_EQ(db_.Settings().angleBase, 1.5);
  EXPECT_TRUE(db_.Settings().plinegen);

  // A frozen layer cannot become current.
  host::db::ObjectId frozen = db_.EnsureLayer(L"Frozen");
  db_.LayerRecordOf(frozen)->frozen = true;
  EXPECT_EQ(host::SetSystemVariable(L"CLAYER", L"Frozen"), Status::kError);

  // Another drawing has its own values.
  host::db::Database other;
  host::db::SetWorkingDatabase(&other);
  EXPECT_EQ(host::GetSystemVariable(L"CLAYER").Text(), L"0");
  EXPECT_EQ(host::GetSystemVariable(L"AUNITS").Short(), 0);
}

}  // namespace
