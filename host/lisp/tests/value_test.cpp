#include "host/lisp/value.h"

#include <gtest/gtest.h>

namespace host::lisp {
namespace {

TEST(LispValue, PrintsAsTheHostsLisp) {
  const std::pair<Value, const wchar_t*> cases[] = {
      {Value(), L"nil"},
      {Value::T(), L"T"},
      {Value::Integer(-40000), L"-40000"},
      {Value::Real(2.0), L"2.0"},
      {Value::Real(1.0 / 3.0), L"0.333333"},
      {Value::Real(1e20), L"1.0e+20"},
      {Value::String(L"a\"b\\c\n"), L"\"a\\\"b\\\\c\\n\""},
      {Value::Point2d(1, 2.5), L"(1.0 2.5)"},
      {Value::Point3d(0, -1, 3), L"(0.0 -1.0 3.0)"},
      {Value::Entity(EntityName{0x2a, 1}), L"<Entity name: 2a>"},
      {Value::List({Value::Short(1), Value::Symbol(L"x"), Value::List({})}), L"(1 x nil)"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(ToLispText(value), text);
}

TEST(LispValue, IntegersTravelAsShortsWhenTheyFit) {
  EXPECT_EQ(Value::Integer(32767).type(), ValueType::kShort);
  EXPECT_EQ(Value::Integer(-32768).type(), ValueType::kShort);
  EXPECT_EQ(Value::Integer(32768).type(), ValueType::kLong);
  EXPECT_EQ(Value::Integer(-32769).type(), ValueType::kLong);
}

TEST(LispValue, AccessorsOfAnotherTypeGiveZeroValues) {
  Value s = Value::String(L"x");
  EXPECT_EQ(s.integer(), 0);
  EXPECT_EQ(s.real(), 0.0);
  EXPECT_TRUE(s.entity().IsNull());
  EXPECT_TRUE(s.items().empty());
  EXPECT_TRUE(Value::Short(3).text().empty());
  EXPECT_DOUBLE_EQ(Value::Short(3).real(), 3.0);
  EXPECT_TRUE(Value::List({}).IsNil());
}

}  // namespace
}  // namespace host::lisp
