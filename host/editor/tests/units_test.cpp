#include "host/editor/units.h"

#include "editor_fixture.h"

namespace {

using UnitsTest = EditorTest;

TEST_F(UnitsTest, RealToStringUsesTheDrawingUnitsForMinusOne) {
  struct Case {
    double value;
    int mode;
    int precision;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0.05, -1, -1, L"0.0500"}, {2.0, 2, 0, L"2"},       {-0.00001, 2, 2, L"0.00"},
      {1234.5, 1, 2, L"1.23E+03"}, {1.25, 2, 8, L"1.25000000"},
  };
  for (const Case& c : cases) {
    host::Input<std::wstring> r = host::RealToString(c.value, c.mode, c.precision);
    ASSERT_TRUE(r.ok()) << c.text;
    EXPECT_EQ(r.value, c.text);
  }
  ASSERT_EQ(host::SetSystemVariable(L"LUPREC", 2), host::Status::kNormal);
  EXPECT_EQ(host::RealToString(0.126, -1, -1).value, L"0.13");
  EXPECT_EQ(host::RealToString(1.0, 4, 2).status, host::Status::kError);
  EXPECT_EQ(host::RealToString(1.0, 2, 9).status, host::Status::kError);
}

TEST_F(UnitsTest, DistanceToRealReadsNumbersOnly) {
  EXPECT_EQ(host::DistanceToReal(L"0.05", -1).value, 0.05);
  EXPECT_EQ(host::DistanceToReal(L"1.5E+01", 2).value, 15.0);
  EXPECT_EQ(host::DistanceToReal(L"abc", -1).status, host::Status::kError);
  EXPECT_EQ(host::DistanceToReal(L"", -1).status, host::Status::kError);
}

}  // namespace
