// Varnel's LISP functions called as LISP calls them (the batch-location mark
// and the picture file finder), and the help command.
#include <string>
#include <vector>

#include "gml/ui/tests/ui_fixture.h"
#include "gml/ui/varnel_commands.h"
#include "gml/writer/entity_writers.h"
#include "gml/writer/os_xdata.h"
#include "host/db/database.h"
#include "host/db/entity_list.h"
#include "host/lisp/call.h"

namespace {

using host::lisp::Value;

const int kApp = 0;

class LispFunctionsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    host::db::SetWorkingDatabase(&db_);
    host::lisp::SetInvoker([](host::lisp::AppId, int) {
      InvokeLispFunction();
      return true;
    });
    host::lisp::ScopedApp app(&kApp);
    LoadDrawing();
  }
  void TearDown() override {
    {
      host::lisp::ScopedApp app(&kApp);
      UnloadDrawing();
    }
    host::db::SetWorkingDatabase(nullptr);
    UiTest::TearDown();
  }
  static host::lisp::CallResult Call(const wchar_t* name, std::vector<Value> args) {
    return host::lisp::CallFunction(name, std::move(args));
  }
  host::EntityName Line() {
    EXPECT_TRUE(DrawTwoPointPolyline("0", 256, 0.0, db_, 0, 0, 10, 0));
    return host::db::LastEntity();
  }
  static std::optional<std::wstring> MarkOf(host::EntityName entity, const std::wstring& app) {
    const auto list = host::db::GetEntityList(entity, {app});
    if (!list) return std::nullopt;
    for (const auto& group : *list)
      if (group.code == 1000 && group.Text() != nullptr) return *group.Text();
    return std::nullopt;
  }
  host::db::Database db_;
};

TEST_F(LispFunctionsTest, BatchLocationMarkUnderItsOwnOrACustomApplication) {
  const host::EntityName a = Line();
  host::lisp::CallResult r = Call(L"lwhgmlax_ads", {Value::Entity(a), Value::String(L"Site A")});
  EXPECT_EQ(r.value.type(), host::lisp::ValueType::kT);
  EXPECT_EQ(MarkOf(a, L"LARCHWORKS_XGML_BATC_LOCATIONRA"), L"00Site A");

  // A custom application is registered before the mark is written.
  const host::EntityName b = Line();
  r = Call(L"lwhgmlax_ads", {Value::Entity(b), Value::String(L"Site B"), Value::String(L"MY_LOCATIONS")});
  EXPECT_EQ(r.value.type(), host::lisp::ValueType::kT);
  EXPECT_EQ(MarkOf(b, L"MY_LOCATIONS"), L"00Site B");

  // Wrong arguments, or a name the host refuses: nothing written, nil.
  const host::EntityName c = Line();
  const std::vector<std::vector<Value>> refused = {
      {Value::String(L"x"), Value::String(L"Site C")},
      {Value::Entity(c)},
      {Value::Entity(c), Value::Real(1)},
      {Value::Entity(c), Value::String(L"Site C"), Value::String(L"bad?name")},
  };
  for (const auto& args : refused) {
    r = Call(L"lwhgmlax_ads", args);
    EXPECT_TRUE(r.value.IsNil());
  }
  EXPECT_FALSE(MarkOf(c, L"LARCHWORKS_XGML_BATC_LOCATIONRA").has_value());
}

TEST_F(LispFunctionsTest, FindRightFileMatchesPartOfAPictureName) {
  Write("pictures/a_SU12.jpg", "x");
  Write("pictures/b_SU12.txt", "x");
  const std::wstring folder = At("pictures");
  struct Case {
    std::vector<Value> args;
    std::wstring result;
  };
  const Case cases[] = {
      {{Value::String(folder), Value::String(L"SU12")}, folder + L"/a_SU12.jpg"},
      {{Value::String(folder + L"/"), Value::String(L"SU12")}, folder + L"/a_SU12.jpg"},
      {{Value::String(folder), Value::String(L"su12")}, L"nul"},
      {{Value::String(folder), Value::String(L"TQ")}, L"nul"},
      {{Value::String(folder)}, L"nul"},
      {{Value::Real(1), Value::String(L"SU12")}, L"nul"},
      {{Value::String(At("missing")), Value::String(L"SU12")}, L"nul"},
  };
  for (const Case& c : cases) EXPECT_EQ(Call(L"LwhFindRightFile", c.args).value.text(), c.result);
}

TEST_F(LispFunctionsTest, HelpFileIsOneArgumentWhateverItsPathHolds) {
  HelpCommand();
  EXPECT_TRUE(host::Shown().Contains("alert", L"Help file \"orvane.chm\" not found - check installation"));

  Write("help files/orvane.chm", "x");
  host::SetSupportPath({At("help files")});
  HelpCommand();
  const auto started = host::Shown().TextsOf("process");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_NE(started[0].find(At("help files/orvane.chm")), std::wstring::npos);
}

}  // namespace
