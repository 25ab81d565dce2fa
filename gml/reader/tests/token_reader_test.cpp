// The tag, text and coordinate readers on small texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "gml/reader/gml_numbers.h"
#include "gml/reader/gml_tokens.h"
#include "gml/reader/osgml_input_view.h"
#include "reader_fixture.h"

namespace {

using reader_test::TempFolder;

// A reader over `text`, positioned just after a gml:coordinates start tag.
struct Stream {
  explicit Stream(const std::string& text) {
    path = (folder.Path() / "stream.gml").string();
    std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(archive.OpenGz(path.c_str()), 1);
  }
  TempFolder folder;
  std::string path;
  ArchiveReader archive;
};

std::vector<CoordinateTuple> Tuples(const std::string& coordinates) {
  Stream s(coordinates);
  OSGMLInputView view;
  view.currentChar = '>';
  std::vector<CoordinateTuple> out;
  CoordinateTuple t;
  std::int64_t consumed = 0;
  while (view.ReadCoordinateTuple(s.archive, &t, &consumed)) out.push_back(t);
  return out;
}

TEST(CoordinateTuples, Table) {
  struct Case {
    const char* text;
    std::vector<std::vector<double>> tuples;  // x, y and z when present
  } cases[] = {
      {"1.5,2.5 3.5,4.5</gml:coordinates>", {{1.5, 2.5}, {3.5, 4.5}}},
      {"1,2,3 </gml:coordinates>", {{1, 2, 3}}},
      {"1,,3 </gml:coordinates>", {}},
      // Blanks, tabs and line breaks before and between tuples are one
      // separator: nothing of the geometry is lost.
      {" 1,2<", {{1, 2}}},
      {"\n   1,2\r\n\t  3,4  <", {{1, 2}, {3, 4}}},
      {"1,2\t3,4<", {{1, 2}, {3, 4}}},
      // A number in exponent form reads as that number.
      {"1E5,2 <", {{100000, 2}}},
      {"-1.25e-1,+2<", {{-0.125, 2}}},
      {"<", {}},
      {"", {}},
      // The stream ends inside the coordinates: what was read is kept.
      {"7,8", {{7, 8}}},
      // A comment among the coordinates separates tuples; a tag ends them.
      {"1,2 <!-- c --> 3,4<", {{1, 2}, {3, 4}}},
      {"<!-- a --><!-- <b> -->1,2<!---->3,4</gml:coordinates>", {{1, 2}, {3, 4}}},
      {"1,2 <!-- c --></gml:coordinates>", {{1, 2}}},
      {"1,2 <!-- 3,4", {{1, 2}}},
      {"1,2 <![CDATA[3,4]]>", {{1, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    const std::vector<CoordinateTuple> got = Tuples(c.text);
    ASSERT_EQ(got.size(), c.tuples.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_DOUBLE_EQ(got[i].x, c.tuples[i][0]);
      EXPECT_DOUBLE_EQ(got[i].y, c.tuples[i][1]);
      EXPECT_EQ(got[i].hasZ, c.tuples[i].size() > 2 ? 1 : 0);
      if (c.tuples[i].size() > 2) {
        EXPECT_DOUBLE_EQ(got[i].z, c.tuples[i][2]);
      }
    }
  }
}

// Letters in a tuple make it no number at all (the caller refuses its
// feature), rather than a number of the digits around them or the end of
// the coordinates.
TEST(CoordinateTuples, LettersMakeATupleNoNumber) {
  for (const char* text : {"NaN,5 <", "4x5,1 <", "1,INF<", "-inf,-inf <", "NaN 3,4<"}) {
    SCOPED_TRACE(text);
    const std::vector<CoordinateTuple> got = Tuples(text);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(std::isnan(got[0].x));
  }
  const std::vector<CoordinateTuple> got = Tuples("1,2 NaN,NaN 5,6<");
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].x, 1);
  EXPECT_TRUE(std::isnan(got[1].x));
  EXPECT_EQ(got[2].y, 6);
}

// Tuples read straight from the buffer give the same values, bit for bit,
// as the characters read one at a time, wherever the buffer's end falls:
// inside a token, on a separator, between a token and its separator.
TEST(CoordinateTuples, SameValuesWhereverTheBufferEnds) {
  // Token as written and the text whose value it has.
  const std::pair<std::string, std::string> tokens[] = {
      {"437123.45", "437123.45"}, {"-0", "-0"},   {"+3", "+3"},     {"1e2", "1e2"},
      {".5", ".5"},               {"-.25", "-.25"}, {"1234567890123456", "1234567890123456"},
      {"12.", "12."},             {"7", "7"},     {"-12.3456789012345", "-12.3456789012345"},
      {"1.5e-3", "1.5e-3"},       {"+.5", "+.5"}, {"--1", "--1"},   {"0.1000000000000001", "0.1000000000000001"}};
  const std::size_t kinds = std::size(tokens);
  for (int shift = 0; shift < 24; ++shift) {
    SCOPED_TRACE(shift);
    std::string text(static_cast<std::size_t>(shift), ' ');
    std::vector<std::pair<double, double>> expected;
    for (std::size_t i = 0; text.size() < 3 * ArchiveReader::kStreamBufferSize; ++i) {
      const auto& x = tokens[i % kinds];
      const auto& y = tokens[(i * 7 + 3) % kinds];
      text += x.first + "," + y.first + (i % 5 == 0 ? "\n\t" : " ");
      expected.emplace_back(ParseGmlDouble(x.second.c_str()), ParseGmlDouble(y.second.c_str()));
    }
    text += "</gml:coordinates>";
    const std::vector<CoordinateTuple> got = Tuples(text);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(std::memcmp(&got[i].x, &expected[i].first, sizeof(double)), 0) << "tuple " << i;
      ASSERT_EQ(std::memcmp(&got[i].y, &expected[i].second, sizeof(double)), 0) << "tuple " << i;
    }
  }
}

// A comment among the coordinates is skipped wherever the stream's buffer
// ends: in its opening, inside it, in its close.
TEST(CoordinateTuples, CommentsAmongThemAreSkippedWhereverTheBufferEnds) {
  for (int shift = 0; shift < 20; ++shift) {
    SCOPED_TRACE(shift);
    std::string text(static_cast<std::size_t>(shift), ' ');
    std::size_t expected = 0;
    for (; text.size() < 2 * ArchiveReader::kStreamBufferSize; ++expected)
      text += std::to_string(expected) + ",2 <!-- <x> -> -- -->";
    const std::vector<CoordinateTuple> got = Tuples(text + "</gml:coordinates>");
    ASSERT_EQ(got.size(), expected);
    for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i].x, static_cast<double>(i));
  }
}

TEST(CoordinateTuples, OverlongTokenIsCut) {
  std::string digits(300, '1');
  const std::vector<CoordinateTuple> got = Tuples("1." + digits + ",2 <");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NEAR(got[0].x, 1.1111111111, 1e-9);
  EXPECT_EQ(got[0].y, 2);
}

TEST(TagReader, TagsTextsAndQuotes) {
  Stream s("<?xml version=\"1.0\"?>\n<osgb:ringMember orientation=\"-\" "
           "xlink:href=\"#osgb1\"/><osgb:theme>Roads &amp; Tracks</osgb:theme><empty></empty>");
  OSGMLInputView view;
  char tag[kGmlTagBufferSize];
  char text[kGmlTagBufferSize];
  std::int64_t consumed = 0;
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, kGmlMaxTagLength, &consumed));
  EXPECT_STREQ(tag, "?xml version=\"1.0\"?");
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, kGmlMaxTagLength, &consumed));
  QuotesToApostrophes(tag);
  EXPECT_STREQ(tag, "osgb:ringMember orientation='-' xlink:href='#osgb1'/");
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, kGmlMaxTagLength, &consumed));
  ASSERT_TRUE(view.ReadGmlText(s.archive, text, kGmlMaxTagLength, &consumed));
  DecodeXmlText(text);
  EXPECT_STREQ(text, "Roads & Tracks");
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, kGmlMaxTagLength, &consumed));
  EXPECT_STREQ(tag, "/osgb:theme");
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, kGmlMaxTagLength, &consumed));
  EXPECT_FALSE(view.ReadGmlText(s.archive, text, kGmlMaxTagLength, &consumed)) << "empty element";
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, kGmlMaxTagLength, &consumed));
  EXPECT_STREQ(tag, "/empty");
  EXPECT_FALSE(view.ReadGmlTag(s.archive, tag, kGmlMaxTagLength, &consumed));
}

TEST(TagReader, OverlongTagIsCutAndTheRestSkipped) {
  Stream s("<" + std::string(50, 'a') + "><next>");
  OSGMLInputView view;
  char tag[kGmlTagBufferSize];
  std::int64_t consumed = 0;
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, 20, &consumed));
  EXPECT_EQ(std::string(tag), std::string(20, 'a'));
  ASSERT_TRUE(view.ReadGmlTag(s.archive, tag, 20, &consumed));
  EXPECT_STREQ(tag, "next");
}

// The tags and texts a reader meets in `content`, joined by '|': each tag as
// read, and after every start tag the text that follows it, decoded, as
// "=text" when there is one. "+" after the last item when the stream ended
// inside a comment or a CDATA section.
std::string Walk(const std::string& content, int maxLength = kGmlMaxTagLength) {
  Stream s(content);
  OSGMLInputView view;
  char tag[kGmlTagBufferSize];
  char text[kGmlTagBufferSize];
  std::int64_t consumed = 0;
  std::string out;
  while (view.ReadGmlTag(s.archive, tag, maxLength, &consumed)) {
    out += (out.empty() ? "" : "|") + std::string(tag);
    const std::size_t n = std::strlen(tag);
    if (tag[0] == '/' || (n > 0 && tag[n - 1] == '/')) continue;
    if (view.ReadGmlText(s.archive, text, maxLength, &consumed)) {
      DecodeXmlText(text);
      out += "|=" + std::string(text);
    }
  }
  if (view.currentChar == kInsideComment || view.currentChar == kInsideCData) out += "+";
  return out;
}

// Comments are skipped wherever they stand, whatever they hold; a CDATA
// section is text, taken as written.
TEST(TagReader, CommentsAndCDataReadAsXml) {
  struct Case {
    std::string content;
    std::string walk;
  } cases[] = {
      {"<!-- converted from <tile SX9192> -->\n<r><a>x</a></r>", "r|a|=x|/a|/r"},
      {"<r><!-- <a>hidden</a> --><b>y</b></r>", "r|b|=y|/b|/r"},
      {"<r/><!-- <a>hidden</a> --><b/>", "r/|b/"},
      {"<r><!-- a > b - c --><b/></r>", "r|b/|/r"},
      {"<r><!----><!-- --><b/></r>", "r|b/|/r"},
      // "<!-->" opens a comment and does not close it.
      {"<r><!--> <a> --><b/></r>", "r|b/|/r"},
      {"<r/><!--> <a> --><!---> <a> --><b/>", "r/|b/"},
      {"<t><![CDATA[Fish & <Chips> ]] ]]]></t>", "t|=Fish & <Chips> ]] ]|/t"},
      // Entity references in a CDATA section are its text.
      {"<t>a<!-- c -->b<![CDATA[&amp;]]>c</t>", "t|=ab&amp;c|/t"},
      {"<t><![CDATA[]]></t><u><![CDATA[x]]></u>", "t|/t|u|=x|/u"},
      {"<r><a/><![CDATA[<x>]]><!-- <y> --></r>", "r|a/|/r"},
      // "<!" that opens neither is read as a tag, as before.
      {"<!DOCTYPE r><r/>", "!DOCTYPE r|r/"},
      // The stream ends inside a comment or a CDATA section.
      {"<r><!-- <a>", "r+"},
      {"<r>ab<!-- <a>", "r|=ab+"},
      {"<t><![CDATA[abc", "t|=abc+"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    EXPECT_EQ(Walk(c.content), c.walk);
  }
}

// A comment or a CDATA section longer than the tag or text buffer is still
// taken whole, and so is markup that the end of the stream's buffer cuts
// anywhere.
TEST(TagReader, MarkupLongerThanABufferOrCutByItIsTakenWhole) {
  EXPECT_EQ(Walk("<r></r><!-- longer than twenty characters --><b>y</b>", 20), "r|/r|b|=y|/b");
  EXPECT_EQ(Walk("<r><![CDATA[ longer than twenty chars ]]><b>y</b></r>", 20),
            "r|= longer than twenty |b|=y|/b|/r");
  std::string filler;
  while (filler.size() < ArchiveReader::kStreamBufferSize) filler += "<a>x</a> -- ] > ";
  const std::size_t block = ArchiveReader::kStreamBufferSize;
  for (std::size_t shift = 0; shift < 40; ++shift) {
    SCOPED_TRACE(shift);
    // Long comments holding tags, between tags and inside a text.
    const std::string comment = "<!-- " + filler.substr(0, block - 30 + shift) + " -->";
    EXPECT_EQ(Walk("<r>" + comment + "<b>y</b></r>"), "r|b|=y|/b|/r");
    EXPECT_EQ(Walk("<r/>" + comment + "<b>y</b>"), "r/|b|=y|/b");
    // Each opening and close of a text's markup falls on the buffer's end
    // at some shift.
    const std::string lead = "<r/><!--" + std::string(block - 30 + shift, 'x') + "-->";
    EXPECT_EQ(Walk(lead + "<t>a<![CDATA[b]]]>c<!-- d -->e</t>"), "r/|t|=ab]ce|/t");
  }
}

TEST(ElementValues, NumbersAndCharacterReferences) {
  EXPECT_DOUBLE_EQ(ParseGmlDouble("  12.5xyz"), 12.5);
  EXPECT_DOUBLE_EQ(ParseGmlDouble("+3"), 3);
  EXPECT_DOUBLE_EQ(ParseGmlDouble("abc"), 0);
  EXPECT_DOUBLE_EQ(ParseGmlDouble("\n  "), 0);
  EXPECT_EQ(ParseGmlInt(" 42 "), 42);
  EXPECT_EQ(ParseGmlInt("-7"), -7);
  EXPECT_EQ(ParseGmlInt("x"), 0);
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"St George&apos;s Road", "St George's Road"}, {"a &lt;b&gt; &quot;c&quot;", "a <b> \"c\""},
      {"&#39;&#x27;", "''"},                          {"&#256; &unknown; & alone", "\xC4\x80 &unknown; & alone"},
      {"&amp;amp;", "&amp;"},                          {"&#0;", "&#0;"},
      // Every character, written as its UTF-8: ŷ € and a four-byte one.
      {"T&#375; caf&#233; &#8364;5", "T\xC5\xB7 caf\xC3\xA9 \xE2\x82\xAC" "5"},
      {"&#x177;&#X1F3F4;", "\xC5\xB7\xF0\x9F\x8F\xB4"},
      // Text already in UTF-8 passes unchanged.
      {"T\xC5\xB7 Newydd &amp; caf\xC3\xA9", "T\xC5\xB7 Newydd & caf\xC3\xA9"},
      // Overlong and malformed references are kept as their text.
      {"&#99999999;&#xD800;&#x110000;&#xFFFE;", "&#99999999;&#xD800;&#x110000;&#xFFFE;"},
      {"&#x;&#xZZ;&#12a;&#;", "&#x;&#xZZ;&#12a;&#;"},
      {"&#99999999999;x", "&#99999999999;x"},  // longer than any reference
      // An escaped reference reads as the reference's text, once decoded.
      {"&amp;lt; &amp;#375;", "&lt; &#375;"},
  };
  for (const Case& c : cases) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s", c.in);
    DecodeXmlText(buffer);
    EXPECT_STREQ(buffer, c.out) << c.in;
  }
  std::string ampersands(3000, '&');
  EXPECT_EQ(DecodeXmlText(ampersands.data()), 3000u);
  EXPECT_EQ(ampersands, std::string(3000, '&'));
}

}  // namespace
