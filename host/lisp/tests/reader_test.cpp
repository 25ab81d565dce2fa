#include "host/lisp/reader.h"

#include <gtest/gtest.h>

#include "host/lisp/environment.h"
#include "host/testing/test_reset.h"

namespace host::lisp {
namespace {

struct ReadCase {
  const wchar_t* line;
  const wchar_t* printed;  // the form read, printed back
};

TEST(LispReader, ReadsTheKindsOfArgument) {
  const ReadCase cases[] = {
      {L"(f \"a\\\"b\\\\c\")", L"(f \"a\\\"b\\\\c\")"},
      {L"(f \"tab\\there\\nnext\\e\")", L"(f \"tab\\there\\nnext\\e\")"},
      {L"(f \"\\101\\1012\")", L"(f \"AA2\")"},  // octal, at most three digits
      {L"(f 12 -7 +3)", L"(f 12 -7 3)"},
      {L"(f 1.5 -2. .5 1e3 2.5E-1)", L"(f 1.5 -2.0 0.5 1000.0 0.25)"},
      {L"(f (1 2))", L"(f (1.0 2.0))"},         // two numbers make a point
      {L"(f '(1 2.5 3))", L"(f (quote (1.0 2.5 3.0)))"},
      {L"(f '(1 2 3 4) '(\"a\" 1))", L"(f (quote (1 2 3 4)) (quote (\"a\" 1)))"},
      {L"(F NIL t Nil)", L"(F nil T nil)"},
      {L"(f 'sym x)", L"(f (quote sym) x)"},
      {L"  (f)  ; a comment (with a paren", L"(f)"},
      {L"(f \";not a comment\")", L"(f \";not a comment\")"},
      {L"(f ())", L"(f nil)"},
      {L"(f 1-2 -)", L"(f 1-2 -)"},  // not numbers: symbols
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.line);
    ReadResult read = ReadExpression(c.line);
    ASSERT_TRUE(read.ok) << std::string(read.error.begin(), read.error.end());
    EXPECT_EQ(ToLispText(read.form), c.printed);
  }
}

TEST(LispReader, IntegerWidths) {
  EXPECT_EQ(ReadExpression(L"32767").form.type(), ValueType::kShort);
  EXPECT_EQ(ReadExpression(L"-32768").form.type(), ValueType::kShort);
  EXPECT_EQ(ReadExpression(L"32768").form.type(), ValueType::kLong);
  EXPECT_EQ(ReadExpression(L"2147483647").form.integer(), 2147483647);
  // Beyond 32 bits an integer becomes a real, as in the host's LISP.
  Value big = ReadExpression(L"4294967296").form;
  EXPECT_EQ(big.type(), ValueType::kReal);
  EXPECT_DOUBLE_EQ(big.real(), 4294967296.0);
}

TEST(LispReader, RefusesMalformedLines) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"(f \"open", L"malformed string on input"},
      {L"(f \"ends in a backslash\\", L"malformed string on input"},
      {L"(f (g 1)", L"malformed list on input"},
      {L"(f))", L"extra right paren on input"},
      {L")", L"extra right paren on input"},
      {L"(f) (g)", L"more than one expression on the line"},
      {L"   ", L"no expression"},
      {L"(f 'x", L"malformed list on input"},
  };
  for (const auto& [line, error] : cases) {
    SCOPED_TRACE(line);
    ReadResult read = ReadExpression(line);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, error);
  }
  // Deep nesting is refused, not a stack overflow.
  std::wstring deep(100000, L'(');
  EXPECT_FALSE(ReadExpression(deep).ok);
  std::wstring quotes(100000, L'\'');
  EXPECT_FALSE(ReadExpression(quotes + L"x").ok);
}

TEST(LispReader, IsLispLine) {
  EXPECT_TRUE(IsLispLine(L"(f)"));
  EXPECT_TRUE(IsLispLine(L" \t(f"));
  EXPECT_FALSE(IsLispLine(L"LINE"));
  EXPECT_FALSE(IsLispLine(L""));
  EXPECT_FALSE(IsLispLine(L"x (f)"));
}

class LispRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetForTest(); }
  void TearDown() override { ResetForTest(); }
};

TEST_F(LispRunTest, SetqAndSymbolsAndNestedCalls) {
  RegisterHostFunction(L"twice", [](const std::vector<Value>& args) {
    return Success(Value::Integer(args.at(0).integer() * 2));
  });
  CallResult set = RunLispLine(L"(setq a 5 B \"text\")");
  ASSERT_EQ(set.status, Status::kNormal);
  EXPECT_EQ(set.value, Value::String(L"text"));
  EXPECT_EQ(GetSymbol(L"A"), Value::Short(5));
  EXPECT_EQ(RunLispLine(L"(twice (twice a))").value, Value::Short(20));
  EXPECT_EQ(RunLispLine(L"(quote b)").value, Value::Symbol(L"b"));
  // An unset symbol evaluates to nil.
  EXPECT_TRUE(RunLispLine(L"(setq c unset)").value.IsNil());
}

TEST_F(LispRunTest, FailuresCarryTheirMessage) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"(nosuchfn 1)", L"no function definition: NOSUCHFN"},
      {L"(1 2 3 4)", L"bad function: 1"},
      {L"(setq 1 2)", L"bad argument type: symbolp 1"},
      {L"(setq a)", L"too few arguments"},
      {L"(f \"x", L"malformed string on input"},
      {L"(outer (nosuchfn))", L"no function definition: NOSUCHFN"},
  };
  for (const auto& [line, error] : cases) {
    SCOPED_TRACE(line);
    CallResult result = RunLispLine(line);
    EXPECT_EQ(result.status, Status::kError);
    EXPECT_EQ(result.message, error);
    EXPECT_TRUE(result.value.IsNil());
  }
}

}  // namespace
}  // namespace host::lisp
