#include "host/db/filter.h"

#include <gtest/gtest.h>

namespace host::db {
namespace {

EntityList Entity(const wchar_t* type, int flags, int color = kColorByLayer, const wchar_t* layer = L"0") {
  EntityList list{{0, type}, {8, layer}};
  if (color != kColorByLayer) list.emplace_back(62, color);
  list.emplace_back(70, flags);
  return list;
}

const EntityList kCirclesAndOpenPolylines = {
    {-4, L"<or"},
      {0, L"CIRCLE"},
      {-4, L"<and"}, {0, L"POLYLINE"}, {-4, L"&"}, {70, 143}, {-4, L"and>"},
      {-4, L"<and"}, {0, L"LWPOLYLINE"}, {-4, L"="}, {70, 0}, {-4, L"and>"},
    {-4, L"or>"}};

TEST(Filter, MatchesAsTheGrammarSays) {
  struct Case {
    const char* what;
    EntityList entity;
    EntityList filter;
    FilterResult result;
  };
  const Case cases[] = {
      {"empty filter", Entity(L"LINE", 0), {}, FilterResult::kMatch},
      {"type", Entity(L"LINE", 0), {{0, L"LINE"}}, FilterResult::kMatch},
      {"type list", Entity(L"ARC", 0), {{0, L"LINE,ARC"}}, FilterResult::kMatch},
      {"type, case ignored", Entity(L"ARC", 0), {{0, L"arc"}}, FilterResult::kMatch},
      {"plain groups all hold", Entity(L"ARC", 0, 1), {{0, L"ARC"}, {62, 2}}, FilterResult::kNoMatch},
      {"ByLayer colour when no 62", Entity(L"ARC", 0), {{62, 256}}, FilterResult::kMatch},
      {"layer wildcard", Entity(L"ARC", 0, 256, L"Roads_A"), {{8, L"roads*"}}, FilterResult::kMatch},
      {"circle", Entity(L"CIRCLE", 0), kCirclesAndOpenPolylines, FilterResult::kMatch},
      {"closed polyline", Entity(L"POLYLINE", 1), kCirclesAndOpenPolylines, FilterResult::kMatch},
      {"plain polyline", Entity(L"POLYLINE", 0), kCirclesAndOpenPolylines, FilterResult::kNoMatch},
      {"3D polyline", Entity(L"POLYLINE", 8), kCirclesAndOpenPolylines, FilterResult::kMatch},
      {"open lwpolyline", Entity(L"LWPOLYLINE", 0), kCirclesAndOpenPolylines, FilterResult::kMatch},
      {"closed lwpolyline", Entity(L"LWPOLYLINE", 1), kCirclesAndOpenPolylines, FilterResult::kNoMatch},
      {"line", Entity(L"LINE", 0), kCirclesAndOpenPolylines, FilterResult::kNoMatch},
      {"bits all set", Entity(L"POLYLINE", 9), {{-4, L"&="}, {70, 9}}, FilterResult::kMatch},
      {"bits not all set", Entity(L"POLYLINE", 8), {{-4, L"&="}, {70, 9}}, FilterResult::kNoMatch},
      {"not", Entity(L"LINE", 0), {{-4, L"<not"}, {0, L"LINE"}, {-4, L"not>"}}, FilterResult::kNoMatch},
      {"xor", Entity(L"LINE", 0), {{-4, L"<xor"}, {0, L"LINE"}, {8, L"0"}, {-4, L"xor>"}},
       FilterResult::kNoMatch},
      {"relational", Entity(L"LINE", 0, 5), {{-4, L">="}, {62, 5}, {-4, L"<"}, {62, 6}}, FilterResult::kMatch},
      {"not equal", Entity(L"LINE", 0), {{-4, L"!="}, {0, L"LINE"}}, FilterResult::kNoMatch},
      {"missing group", Entity(L"LINE", 0), {{40, 1.0}}, FilterResult::kNoMatch},
      {"upper-case operators", Entity(L"LINE", 0), {{-4, L"<OR"}, {0, L"LINE"}, {-4, L"OR>"}},
       FilterResult::kMatch},
      {"unclosed or", Entity(L"LINE", 0), {{-4, L"<or"}, {0, L"LINE"}}, FilterResult::kBadFilter},
      {"stray closer", Entity(L"LINE", 0), {{0, L"LINE"}, {-4, L"or>"}}, FilterResult::kBadFilter},
      {"crossed closers", Entity(L"LINE", 0), {{-4, L"<or"}, {-4, L"<and"}, {0, L"LINE"}, {-4, L"or>"}, {-4, L"and>"}},
       FilterResult::kBadFilter},
      {"empty or", Entity(L"LINE", 0), {{-4, L"<or"}, {-4, L"or>"}}, FilterResult::kBadFilter},
      {"operator at the end", Entity(L"LINE", 0), {{-4, L"="}}, FilterResult::kBadFilter},
      {"unknown operator", Entity(L"LINE", 0), {{-4, L"=="}, {0, L"LINE"}}, FilterResult::kBadFilter},
      {"not of two", Entity(L"LINE", 0), {{-4, L"<not"}, {0, L"A"}, {0, L"B"}, {-4, L"not>"}},
       FilterResult::kBadFilter},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchFilter(c.entity, c.filter), c.result) << c.what;
}

TEST(Filter, SelectAllTakesModelSpaceInOrder) {
  Database db;
  ObjectId circle = db.Append(CircleData{{0, 0, 0}, 1});
  db.Append(LineData{});
  ObjectId open = db.Append(LwPolylineData{{{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}}});
  LwPolylineData closedData{{{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}}};
  closedData.closed = true;
  db.Append(closedData);
  ObjectId erased = db.Append(CircleData{{0, 0, 0}, 1});
  db.Erase(erased);
  db.Append(CircleData{{0, 0, 0}, 1}, db.AddBlock(L"B"));

  EXPECT_EQ(SelectAll(db, kCirclesAndOpenPolylines), (std::vector<EntityName>{circle, open}));
  EXPECT_EQ(SelectAll(db).size(), 4u);
  EXPECT_TRUE(SelectAll(db, {{-4, L"<or"}}).empty());
  EXPECT_EQ(MatchFilter(circle, {{0, L"CIRCLE"}}), FilterResult::kMatch);
}

}  // namespace
}  // namespace host::db
