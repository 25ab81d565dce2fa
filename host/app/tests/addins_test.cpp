#include "host/app/addins.h"

#include <filesystem>

#include "app_fixture.h"
#include "host/app/dynamic_linker.h"
#include "host/lisp/reader.h"

namespace {
std::wstring NarrowToWideForTest(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }
}  // namespace

namespace {

using AddinsTest = AppTest;

std::vector<std::wstring> Messages() { return host::Shown().TextsOf("app_message"); }

TEST_F(AddinsTest, LoadingSendsInitThenLoadDrawingAndUnloadingReverses) {
  (void)host::NewDrawing();
  host::Result<const void*> r = host::LoadAddin(NarrowToWideForTest(TEST_ADDIN_PATH));
  ASSERT_TRUE(r.ok()) << testing::PrintToString(r.message);
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"TestAddin init", L"TestAddin load drawing"}));
  EXPECT_FALSE(host::IsApplicationLocked(r.value));
  EXPECT_TRUE(host::IsApplicationMdiAware(r.value));
  ASSERT_NE(host::FindCommand(L"tahello"), nullptr);
  EXPECT_EQ(host::FindCommand(L"tahello")->owner, r.value);
  EXPECT_EQ(host::FindCommand(L"tazaehle"), host::FindCommand(L"_tacount"));

  // A second drawing: unload drawing for the old one, load drawing for the new.
  host::Shown().Clear();
  (void)host::NewDrawing();
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"TestAddin unload drawing", L"TestAddin load drawing"}));

  host::Shown().Clear();
  EXPECT_EQ(host::UnloadAddin(L"testaddin"), host::Status::kNormal);
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"TestAddin unload drawing", L"TestAddin unload app"}));
  EXPECT_EQ(host::FindCommand(L"tahello"), nullptr);
  EXPECT_TRUE(host::LoadedAddins().empty());
  EXPECT_EQ(host::lisp::CurrentEnvironment().FindFunction(L"ta_add"), nullptr);
}

TEST_F(AddinsTest, LispCallsReachTheAddinAsInvokeMessages) {
  (void)host::NewDrawing();
  ASSERT_TRUE(host::LoadAddin(NarrowToWideForTest(TEST_ADDIN_PATH)).ok());
  struct Case {
    const wchar_t* line;
    host::Status status;
    std::wstring text;  // the value, or the failure message
  };
  const Case cases[] = {
      {L"(ta_add 1 2 39)", host::Status::kNormal, L"42"},
      {L"(TA_ADD)", host::Status::kNormal, L"0"},
      {L"(ta_nothing \"x\")", host::Status::kNormal, L"nil"},
      {L"(ta_last 1 \"two\")", host::Status::kNormal, L"\"two\""},
      {L"(ta_fail)", host::Status::kError, L"Received nonexistent function code."},
      {L"testaddin_loaded", host::Status::kNormal, L"1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
    host::lisp::CallResult r = host::lisp::RunLispLine(c.line);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.status == host::Status::kNormal ? host::lisp::ToLispText(r.value) : r.message, c.text);
  }
  EXPECT_EQ(host::Shown().TextsOf("app_message").back(), L"TestAddin invoke");
}

TEST_F(AddinsTest, ALockedAddinStaysUnlessForced) {
  host::Result<const void*> r = host::LoadAddin(NarrowToWideForTest(TEST_ADDIN_PATH));
  ASSERT_TRUE(r.ok());
  ASSERT_TRUE(host::LockApplication(r.value));
  EXPECT_EQ(host::UnloadAddin(L"TestAddin"), host::Status::kError);
  EXPECT_EQ(host::LoadedAddins().size(), 1u);
  EXPECT_EQ(host::UnloadAddin(L"TestAddin", true), host::Status::kNormal);
  // Without a drawing there is no drawing message to send.
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"TestAddin init", L"TestAddin unload app"}));
  EXPECT_FALSE(host::UnlockApplication(r.value));  // gone
}

TEST_F(AddinsTest, LoadFailuresSayWhy) {
  EXPECT_FALSE(host::LoadAddin(L"/no/such/addin.so").ok());
  ASSERT_TRUE(host::LoadAddin(NarrowToWideForTest(TEST_ADDIN_PATH)).ok());
  host::Result<const void*> twice = host::LoadAddin(NarrowToWideForTest(TEST_ADDIN_PATH));
  EXPECT_FALSE(twice.ok());
  EXPECT_NE(twice.message.find(L"loaded already"), std::wstring::npos);
  for (const char* lib : {"/lib/x86_64-linux-gnu/libm.so.6", "/usr/lib/x86_64-linux-gnu/libm.so.6"}) {
    if (!std::filesystem::exists(lib)) continue;
    host::Result<const void*> plain = host::LoadAddin(NarrowToWideForTest(lib));
    EXPECT_FALSE(plain.ok());
    EXPECT_NE(plain.message.find(L"not an add-in"), std::wstring::npos);
    break;
  }
  EXPECT_EQ(host::LoadedAddins().size(), 1u);
}

}  // namespace
