#include "host/lisp/call.h"

#include <gtest/gtest.h>

#include "host/lisp/reader.h"
#include "host/system/events.h"
#include "host/system/fault.h"
#include "host/system/user_actions.h"
#include "host/testing/test_reset.h"

namespace host::lisp {
namespace {

// A stand-in add-in: its invoke handler dispatches on the function code as
// the add-ins do.
struct FakeAddin {
  int calls = 0;
  std::vector<std::vector<Value>> seen_args;
  std::function<void(int code)> on_invoke;
};

class LispCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTest();
    SetInvoker([this](AppId owner, int code) {
      if (owner != &addin_) return false;
      EXPECT_EQ(CurrentApp(), &addin_);
      ++addin_.calls;
      addin_.seen_args.push_back(Arguments());
      if (addin_.on_invoke) addin_.on_invoke(code);
      return true;
    });
  }
  void TearDown() override { ResetForTest(); }

  Status DefineAs(const wchar_t* name, int code) {
    ScopedApp running(&addin_);
    return DefineFunction(name, code);
  }

  FakeAddin addin_;
};

TEST_F(LispCallTest, ArgumentsResultAndNilWhenNothingIsReturned) {
  ASSERT_EQ(DefineAs(L"LwhFindRightFile", 1), Status::kNormal);
  ASSERT_EQ(DefineAs(L"lwhgmlax_ads", 0), Status::kNormal);
  addin_.on_invoke = [](int code) {
    if (code == 1) Return(Value::String(Arguments().at(0).text() + Arguments().at(1).text()));
  };
  CallResult found = RunLispLine(L"(lwhfindrightfile \"/data/\" \"tq\")");
  EXPECT_EQ(found.status, Status::kNormal);
  EXPECT_EQ(found.value, Value::String(L"/data/tq"));

  CallResult nothing = RunLispLine(L"(LWHGMLAX_ADS 1 \"x\" '(1 2 3))");
  EXPECT_EQ(nothing.status, Status::kNormal);
  EXPECT_TRUE(nothing.value.IsNil());
  ASSERT_EQ(addin_.seen_args.size(), 2u);
  const std::vector<Value> expected = {Value::Short(1), Value::String(L"x"),
                                       Value::Point3d(1, 2, 3)};
  EXPECT_EQ(addin_.seen_args[1], expected);
  // Outside a call there is no code and there are no arguments.
  EXPECT_EQ(FunctionCode(), -1);
  EXPECT_TRUE(Arguments().empty());
}

TEST_F(LispCallTest, FailureDropsTheResultAndCarriesTheMessage) {
  ASSERT_EQ(DefineAs(L"LarCorvex", 7), Status::kNormal);
  addin_.on_invoke = [](int code) {
    Return(Value::T());
    if (code != 0 && code != 1) Fail(L"Received nonexistent function code.");
  };
  CallResult result = CallFunction(L"larcorvex", {});
  EXPECT_EQ(result.status, Status::kError);
  EXPECT_EQ(result.message, L"Received nonexistent function code.");
  EXPECT_TRUE(result.value.IsNil());
}

TEST_F(LispCallTest, DefineAndUndefineRules) {
  EXPECT_EQ(DefineAs(L"", 0), Status::kError);
  EXPECT_EQ(DefineAs(L"neg", -1), Status::kError);
  ASSERT_EQ(DefineAs(L"f", 0), Status::kNormal);
  // Only the owner, with the code it defined, undefines.
  EXPECT_EQ(UndefineFunction(L"f", 0), Status::kError);  // no add-in running
  {
    ScopedApp running(&addin_);
    EXPECT_EQ(UndefineFunction(L"F", 1), Status::kError);
    EXPECT_EQ(UndefineFunction(L"F", 0), Status::kNormal);
    EXPECT_EQ(UndefineFunction(L"F", 0), Status::kError);
  }
  EXPECT_EQ(CallFunction(L"f", {}).message, L"no function definition: F");
  EXPECT_EQ(addin_.calls, 0);
}

TEST_F(LispCallTest, DefiningFailsWhenTheFaultFires) {
  ScopedFault fault(FaultPoint::DefineLispFunction, 1);
  EXPECT_EQ(DefineAs(L"first", 0), Status::kNormal);
  EXPECT_EQ(DefineAs(L"second", 1), Status::kError);
  EXPECT_EQ(DefineAs(L"third", 2), Status::kNormal);
  EXPECT_EQ(CurrentEnvironment().FindFunction(L"second"), nullptr);
  EXPECT_NE(CurrentEnvironment().FindFunction(L"third"), nullptr);
}

TEST_F(LispCallTest, EachDrawingHasItsOwnFunctionsAndSymbols) {
  Environment first, second;
  SetCurrentEnvironment(&first);
  ASSERT_EQ(DefineAs(L"f", 0), Status::kNormal);
  ASSERT_EQ(PutSymbol(L"varnel_loaded", Value::Short(1)), Status::kNormal);
  SetCurrentEnvironment(&second);
  EXPECT_EQ(CallFunction(L"f", {}).status, Status::kError);
  EXPECT_TRUE(GetSymbol(L"varnel_loaded").IsNil());
  SetCurrentEnvironment(&first);
  EXPECT_EQ(CallFunction(L"f", {}).status, Status::kNormal);
  EXPECT_EQ(GetSymbol(L"VARNEL_LOADED"), Value::Short(1));
  // Unloading the add-in removes its functions.
  first.UndefineAllOf(&addin_);
  EXPECT_EQ(first.FindFunction(L"f"), nullptr);
  SetCurrentEnvironment(nullptr);
}

TEST_F(LispCallTest, AnAddinThatCannotBeReachedFails) {
  int other = 0;
  {
    ScopedApp running(&other);
    ASSERT_EQ(DefineFunction(L"orphan", 0), Status::kNormal);
  }
  CallResult result = CallFunction(L"orphan", {});
  EXPECT_EQ(result.status, Status::kError);
  EXPECT_EQ(result.message, L"no function definition: ORPHAN");
}

TEST_F(LispCallTest, CallsNestAndKeepTheirOwnContext) {
  ASSERT_EQ(DefineAs(L"outer", 0), Status::kNormal);
  ASSERT_EQ(DefineAs(L"inner", 1), Status::kNormal);
  addin_.on_invoke = [](int code) {
    if (code == 1) {
      Return(Value::Integer(Arguments().at(0).integer() + 1));
      return;
    }
    // Arguments held by reference across a nested call stay valid.
    const std::vector<Value>& outer_args = Arguments();
    CallResult inner = Invoke({Value::String(L"inner"), Value::Short(41)});
    // Back in the outer call: its own code and arguments.
    EXPECT_EQ(FunctionCode(), 0);
    EXPECT_EQ(outer_args, (std::vector<Value>{Value::String(L"a"), Value::String(L"b")}));
    Return(inner.value);
  };
  CallResult result = RunLispLine(L"(outer \"a\" \"b\")");
  EXPECT_EQ(result.value, Value::Short(42));
}

TEST_F(LispCallTest, InvokeNeedsAFunctionName) {
  EXPECT_EQ(Invoke({}).status, Status::kError);
  EXPECT_EQ(Invoke({Value::Short(3)}).message, L"bad function: 3");
  EXPECT_EQ(Invoke({Value::Symbol(L"acad_helpdlg"), Value::String(L"a.hlp")}).status,
            Status::kNormal);
}

struct ColourCase {
  const char* name;
  std::vector<Value> args;
  std::vector<UserAction> answers;
  Status status;
  Value result;
  const char* shown_kind;  // the last item recorded
};

TEST_F(LispCallTest, ColourDialogIsAnsweredFromTheScript) {
  const ColourCase cases[] = {
      {"chosen", {Value::Short(7)}, {{"color", {L"3"}}}, Status::kNormal, Value::Short(3), "dialog"},
      {"esc cancels", {Value::Short(7)}, {{"esc", {}}}, Status::kNormal, Value(), "dialog"},
      {"script ran out", {Value::Short(7)}, {}, Status::kNormal, Value(), "script"},
      {"another action waits", {Value::Short(7)}, {{"type", {L"LINE"}}}, Status::kNormal, Value(), "script"},
      {"bad answer", {Value::Short(7)}, {{"color", {L"red"}}}, Status::kNormal, Value(), "script"},
      {"bylayer offered", {Value::Short(7)}, {{"color", {L"256"}}}, Status::kNormal, Value::Short(256), "dialog"},
      {"bylayer not offered", {Value::Short(7), Value()}, {{"color", {L"256"}}}, Status::kNormal, Value(), "script"},
      {"above 256", {Value::Short(7)}, {{"color", {L"257"}}}, Status::kNormal, Value(), "script"},
      {"not an integer", {Value::String(L"7")}, {}, Status::kError, Value(), "none"},
      {"no argument", {}, {}, Status::kError, Value(), "none"},
  };
  for (const ColourCase& c : cases) {
    SCOPED_TRACE(c.name);
    Actions().Clear();
    Shown().Clear();
    for (const UserAction& a : c.answers) Actions().Push(a);
    std::vector<Value> list = {Value::String(L"acad_colordlg")};
    list.insert(list.end(), c.args.begin(), c.args.end());
    CallResult result = Invoke(list);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.value, c.result);
    const std::string last = Shown().Items().empty() ? "none" : Shown().Items().back().kind;
    EXPECT_EQ(last, c.shown_kind);
  }
  // An action that is not the dialog's stays for whoever wants it.
  EXPECT_TRUE(Actions().Empty());
  Actions().Push("type", {L"LINE"});
  EXPECT_EQ(Invoke({Value::String(L"acad_colordlg"), Value::Short(1)}).value, Value());
  EXPECT_EQ(Actions().Size(), 1u);
}

// On a terminal the queue is empty when the dialog opens: the terminal
// supplier reads the answer then, as it does for prompts and dialogs.
TEST_F(LispCallTest, ColourDialogIsAnsweredFromTheTerminal) {
  std::vector<std::vector<UserAction>> lines = {{{"color", {L"3"}}},
                                                {{"at", {L"poll", L"1", L"esc"}}, {"color", {L"5"}}},
                                                {{"esc", {}}}};
  std::size_t asked = 0;
  SetActionSupplier([&] {
    if (asked == lines.size()) return false;
    for (const UserAction& a : lines[asked]) Actions().Push(a);
    ++asked;
    return true;
  });
  EXPECT_EQ(Invoke({Value::String(L"acad_colordlg"), Value::Short(1)}).value, Value::Short(3));
  // A timed action typed before the answer is armed, not taken as one.
  EXPECT_EQ(Invoke({Value::String(L"acad_colordlg"), Value::Short(1)}).value, Value::Short(5));
  EXPECT_EQ(Invoke({Value::String(L"acad_colordlg"), Value::Short(1)}).value, Value());
  EXPECT_EQ(Shown().TextsOf("dialog").back(), L"Select Color: cancelled");
  // The terminal closed: nothing left to answer with.
  EXPECT_EQ(Invoke({Value::String(L"acad_colordlg"), Value::Short(1)}).value, Value());
  EXPECT_EQ(Shown().Items().back().kind, "script");
  EXPECT_EQ(asked, lines.size());
  EXPECT_EQ(PendingTimedEvents(), 1);
}

TEST_F(LispCallTest, HelpDialogIsRecorded) {
  CallResult result = Invoke(
      {Value::String(L"acad_helpdlg"), Value::String(L"orvan.hlp"), Value::String(L"YES_NO_CANCEL")});
  EXPECT_EQ(result.status, Status::kNormal);
  EXPECT_EQ(Shown().TextsOf("help"), std::vector<std::wstring>{L"orvan.hlp YES_NO_CANCEL"});
  EXPECT_EQ(Invoke({Value::String(L"acad_helpdlg"), Value::Short(1)}).status, Status::kError);
}

TEST_F(LispCallTest, AnAddinFunctionShadowsAHostFunction) {
  ASSERT_EQ(DefineAs(L"acad_helpdlg", 0), Status::kNormal);
  EXPECT_EQ(CallFunction(L"acad_helpdlg", {Value::String(L"x")}).status, Status::kNormal);
  EXPECT_EQ(addin_.calls, 1);
  EXPECT_TRUE(Shown().TextsOf("help").empty());
}

}  // namespace
}  // namespace host::lisp
