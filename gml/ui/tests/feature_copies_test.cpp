// Which copy of a repeated piece stays: the highest version, then the one
// made first, whatever the order of the selection; symbols planted in an
// area follow the area entity they were planted after.
#include "gml/ui/feature_copies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Piece {
  std::uint64_t handle;  // the order the entities were made in
  char kind;
  std::uint64_t shape;
  long version;
};

std::vector<bool> Repeats(const std::vector<Piece>& selection) {
  std::vector<FeaturePiece> pieces;
  for (const Piece& p : selection)
    pieces.push_back({{p.handle, 1}, p.kind, "osgb1000000347735642", {p.shape, p.shape}, p.version});
  return MarkRepeats(pieces);
}

TEST(FeatureCopies, TheNewestVersionStaysThenTheCopyMadeFirst) {
  struct Case {
    const char* what;
    std::vector<Piece> selection;
    std::vector<bool> repeats;
  };
  const Case cases[] = {
      {"a newer supply drawn after the older", {{1, '1', 7, 3}, {2, '1', 7, 4}}, {true, false}},
      {"a newer supply drawn first", {{1, '1', 7, 4}, {2, '1', 7, 3}}, {false, true}},
      {"newer copy selected first", {{2, '1', 7, 4}, {1, '1', 7, 3}}, {false, true}},
      {"one version: the copy made first", {{2, '1', 7, 3}, {1, '1', 7, 3}}, {true, false}},
      {"of two newest copies the first made", {{1, '1', 7, 3}, {3, '1', 7, 4}, {2, '1', 7, 4}},
       {true, true, false}},
      {"versions 10 and 9 compare as numbers", {{1, '1', 7, 10}, {2, '1', 7, 9}}, {false, true}},
      {"other geometry is no copy", {{1, '1', 7, 3}, {2, '1', 8, 4}}, {false, false}},
      {"other kind is no copy", {{1, '1', 7, 3}, {2, '2', 7, 4}}, {false, false}},
      // An older area drawn, its symbols planted, then the newer area and
      // its symbols: the older area goes, and its symbols with it.
      {"symbols follow their area",
       {{1, '5', 7, 3}, {2, 'S', 1, 3}, {3, 'S', 2, 3}, {4, '5', 7, 4}, {5, 'S', 3, 4}},
       {true, true, true, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Repeats(c.selection), c.repeats);
  }
}

}  // namespace
