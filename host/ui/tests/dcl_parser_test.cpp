#include "host/ui/dcl_parser.h"

#include <gtest/gtest.h>

namespace host::dcl {
namespace {

TEST(DclParserTest, DefinitionsAttributesChildrenAndComments) {
  const DclParseResult r = ParseDcl(LR"(
// a comment
d : dialog { label = "A \"quoted\"\ttitle"; /* inline */ width = 12.5;
  : row { : button { key = "b"; is_default = true; } spacer; }
  : text { key = "t"; }
}
)");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.file.definitions.size(), 1u);
  const TileDef& d = r.file.definitions[0];
  EXPECT_EQ(d.name, L"d");
  EXPECT_EQ(d.base, L"dialog");
  ASSERT_EQ(d.attributes.size(), 2u);
  EXPECT_EQ(d.attributes[0].second, L"A \"quoted\"\ttitle");
  EXPECT_EQ(d.attributes[1].second, L"12.5");
  ASSERT_EQ(d.children.size(), 2u);
  EXPECT_EQ(d.children[0].base, L"row");
  ASSERT_EQ(d.children[0].children.size(), 2u);
  EXPECT_EQ(d.children[0].children[1].base, L"spacer");
  EXPECT_EQ(d.children[0].children[0].attributes[1].second, L"true");
}

TEST(DclParserTest, SyntaxErrorsNameTheirLine) {
  struct Case {
    const wchar_t* text;
    const wchar_t* error;
  };
  const Case cases[] = {
      {L"d : dialog { label = \"x\" }", L"line 1: expected ';' after a value"},
      {L"d : dialog {\n label = ; }", L"line 2: expected a value"},
      {L"d : dialog {\n : row {\n", L"line 3: expected '}' before the end of the file"},
      {L"d dialog { }", L"line 1: expected ':'"},
      {L"d : dialog { label = \"open\n\"; }", L"line 1: a string runs past the end of its line"},
      {L"d : dialog { # }", L"line 1: unexpected character '#'"},
      {L"/* never closed", L""},  // an unclosed comment ends the file: nothing defined
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const DclParseResult r = ParseDcl(c.text);
    if (*c.error == 0) {
      EXPECT_TRUE(r.ok);
      EXPECT_TRUE(r.file.definitions.empty());
      continue;
    }
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, c.error);
  }
}

TEST(DclParserTest, PrototypesPassOnAttributesAndChildrenOwnAttributesWin) {
  const DclParseResult r = ParseDcl(LR"(
base_btn : button { label = "Base"; width = 10; }
pair : row { base_btn; : base_btn { label = "Second"; } }
d : dialog { pair; ok_cancel; errtile; }
)");
  ASSERT_TRUE(r.ok) << r.error;
  const std::optional<ResolvedTile> d = ResolveTile(*r.file.Find(L"d"), r.file);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->kind, TileKind::kDialog);
  ASSERT_EQ(d->children.size(), 3u);
  const ResolvedTile& pair = d->children[0];
  EXPECT_EQ(pair.kind, TileKind::kRow);
  ASSERT_EQ(pair.children.size(), 2u);
  EXPECT_EQ(*pair.children[0].Attribute(L"label"), L"Base");
  EXPECT_EQ(*pair.children[1].Attribute(L"label"), L"Second");
  EXPECT_EQ(*pair.children[1].Attribute(L"width"), L"10");
  // The standard tiles are built in.
  const ResolvedTile& ok_cancel = d->children[1];
  ASSERT_EQ(ok_cancel.children.size(), 2u);
  EXPECT_EQ(*ok_cancel.children[0].Attribute(L"key"), L"accept");
  EXPECT_EQ(*ok_cancel.children[1].Attribute(L"key"), L"cancel");
  EXPECT_EQ(*d->children[2].Attribute(L"key"), L"error");
}

TEST(DclParserTest, UnknownBaseAndSelfDerivationFailToResolve) {
  const DclParseResult r = ParseDcl(L"a : b_loop { }\nb_loop : a { }\nd : dialog { : nothing_here { } }");
  ASSERT_TRUE(r.ok);
  std::wstring error;
  EXPECT_FALSE(ResolveTile(*r.file.Find(L"a"), r.file, &error));
  EXPECT_NE(error.find(L"derives from itself"), std::wstring::npos) << error;
  EXPECT_FALSE(ResolveTile(*r.file.Find(L"d"), r.file, &error));
  EXPECT_EQ(error, L"line 3: unknown tile \"nothing_here\"");
}

// Each level doubles the tiles: 2^20 tiles would be built without a cap.
TEST(DclParserTest, PrototypesThatMultiplyTilesAreRefused) {
  std::wstring text = L"t0 : text { }\n";
  for (int i = 1; i <= 20; ++i)
    text += L"t" + std::to_wstring(i) + L" : row { t" + std::to_wstring(i - 1) + L"; t" +
            std::to_wstring(i - 1) + L"; }\n";
  text += L"d : dialog { t20; }";
  const DclParseResult r = ParseDcl(text);
  ASSERT_TRUE(r.ok) << r.error;
  std::wstring error;
  EXPECT_FALSE(ResolveTile(*r.file.Find(L"d"), r.file, &error));
  EXPECT_NE(error.find(L"more than 10000 tiles"), std::wstring::npos) << error;
  EXPECT_TRUE(ResolveTile(*r.file.Find(L"t10"), r.file));  // 2047 tiles
}

}  // namespace
}  // namespace host::dcl
