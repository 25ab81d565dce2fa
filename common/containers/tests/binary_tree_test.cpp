#include "common/containers/binary_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/containers/grow_array.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"

namespace {

std::vector<std::string> InOrderKeys(const BinaryTree& tree) {
  std::vector<std::string> keys;
  std::vector<const BinaryTreeNode*> stack;
  for (const BinaryTreeNode* node = tree.Root(); node != nullptr || !stack.empty();) {
    if (node != nullptr) {
      stack.push_back(node);
      node = node->left;
    } else {
      node = stack.back();
      stack.pop_back();
      keys.emplace_back(node->key);
      node = node->right;
    }
  }
  return keys;
}

int Height(const BinaryTreeNode* node) {
  return node == nullptr ? 0 : 1 + std::max(Height(node->left), Height(node->right));
}

// Consumes every node with `key` the way the update run does: search, mark
// used, search again. The first payloads in the order met.
std::vector<std::int64_t> Consume(BinaryTree& tree, const char* key) {
  std::vector<std::int64_t> met;
  for (BinaryTreeNode* node = tree.Find(key); node != nullptr; node = tree.Find(key)) {
    EXPECT_STREQ(node->key, key);
    node->used = 1;
    met.push_back(node->payloadA);
    if (met.size() > 100000) break;  // a search that never runs dry
  }
  return met;
}

class BinaryTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }
};

TEST_F(BinaryTreeTest, InsertFormsSetPayloadsAndTreatDuplicatesApart) {
  BinaryTree tree;
  EXPECT_TRUE(tree.Insert("K", -7));
  EXPECT_TRUE(tree.Insert("K", 6)) << "present: nothing to do, nothing failed";
  EXPECT_EQ(tree.NodeCount(), 1);
  BinaryTreeNode* k = tree.Find("K");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->payloadA, -7) << "the first payload stays";
  EXPECT_EQ(k->payloadB, -1);
  EXPECT_EQ(k->used, 0);

  EXPECT_EQ(tree.InsertPair("P", 1, 2), 2);
  EXPECT_EQ(tree.InsertPair("P", 3, 4), 3);
  EXPECT_EQ(tree.InsertPair("P", 5, 6), 4);
  EXPECT_TRUE(tree.InsertPointers("Q", INT64_C(0x123456789A), INT64_MIN));
  EXPECT_TRUE(tree.InsertPointers("Q", 1, 2));
  EXPECT_EQ(tree.NodeCount(), 6);
  BinaryTreeNode* q = tree.Find("Q");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->payloadA, INT64_C(0x123456789A));
  EXPECT_EQ(q->payloadB, INT64_MIN);
  EXPECT_EQ(tree.CheckInvariants(), "");

  BinaryTree pairs;
  EXPECT_EQ(pairs.InsertPair("X", 0, 0), 1);
  EXPECT_EQ(pairs.InsertPair("X", 0, 0), 2);
  EXPECT_EQ(pairs.InsertPair("X", 0, 0), 3);

  BinaryTree plain;
  EXPECT_TRUE(plain.InsertUnbalanced("U"));
  EXPECT_TRUE(plain.InsertUnbalanced("U"));
  EXPECT_EQ(plain.NodeCount(), 1);
  BinaryTreeNode* u = plain.Find("U");
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->payloadA, -1);
  EXPECT_EQ(u->payloadB, -1);
}

TEST_F(BinaryTreeTest, KeysCompareBytewise) {
  BinaryTree tree;
  for (const char* key : {"a", "\xA3x", "AB", "B", "", "A", "Z"}) ASSERT_TRUE(tree.Insert(key, 0));
  EXPECT_EQ(InOrderKeys(tree), (std::vector<std::string>{"", "A", "AB", "B", "Z", "a", "\xA3x"}));
  ASSERT_NE(tree.Find("A"), nullptr);
  EXPECT_NE(tree.Find("A"), tree.Find("a"));
  EXPECT_EQ(tree.Find("AA"), nullptr);
  EXPECT_EQ(tree.Find("b"), nullptr);
  EXPECT_EQ(tree.Find(nullptr), nullptr);
  const std::int32_t count = tree.NodeCount();
  EXPECT_FALSE(tree.Insert(nullptr, 0));
  EXPECT_EQ(tree.InsertPair(nullptr, 0, 0), -1);
  EXPECT_FALSE(tree.InsertPointers(nullptr, 0, 0));
  EXPECT_EQ(tree.NodeCount(), count);
  EXPECT_EQ(tree.CheckInvariants(), "");
}

TEST_F(BinaryTreeTest, KeysAreCutToSeventeenCharacters) {
  const std::string seventeen = "12345678901234567";
  const std::string eighteen = seventeen + "8";
  const std::string forty(40, 'x');
  BinaryTree tree;
  ASSERT_TRUE(tree.Insert(seventeen.c_str(), 1));
  ASSERT_TRUE(tree.Insert(eighteen.c_str(), 2)) << "same key once cut";
  EXPECT_EQ(tree.NodeCount(), 1);
  ASSERT_TRUE(tree.Insert(forty.c_str(), 3));
  BinaryTreeNode* node = tree.Find(forty.c_str());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->payloadA, 3);
  EXPECT_EQ(std::string(node->key), std::string(17, 'x'));
  EXPECT_EQ(tree.Find(std::string(17, 'x').c_str()), node);
  node = tree.Find(eighteen.c_str());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->payloadA, 1);
  EXPECT_EQ(tree.CheckInvariants(), "");
}

TEST_F(BinaryTreeTest, WideKeysAreNarrowedFirst) {
  BinaryTree tree;
  ASSERT_TRUE(tree.InsertPointers("1000000012345678", 1, 0));
  BinaryTreeNode* found = tree.FindWide(L"1000000012345678");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->payloadA, 1);

  EXPECT_EQ(tree.InsertPairWide(L"\u00A3pc", 2, 3), 2);
  found = tree.Find("\xA3pc");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->payloadB, 3);
  // Narrowing stops at a unit without a narrow form.
  EXPECT_EQ(tree.InsertPairWide(L"AB\u0100CD", 4, 4), 3);
  EXPECT_NE(tree.Find("AB"), nullptr);
  // Keys far longer than the narrowing buffer are bounded, then cut.
  const std::wstring wide(300, L'w');
  EXPECT_EQ(tree.InsertPairWide(wide.c_str(), 5, 5), 4);
  found = tree.FindWide(wide.c_str());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->payloadA, 5);
  EXPECT_EQ(std::strlen(found->key), 17u);
  EXPECT_EQ(tree.FindWide(nullptr), nullptr);
  EXPECT_EQ(tree.InsertPairWide(nullptr, 0, 0), -1);
  EXPECT_EQ(tree.CheckInvariants(), "");
}

TEST_F(BinaryTreeTest, BalancedInsertsKeepTheRedBlackRules) {
  // Ascending, descending and random keys with many duplicates (fixed seed).
  std::mt19937 random(20240611);
  std::vector<std::string> ascending, descending, shuffled;
  for (int i = 0; i < 2000; ++i) {
    char key[24];
    std::snprintf(key, sizeof key, "%016d", i);
    ascending.push_back(key);
    std::snprintf(key, sizeof key, "%016d", 2000 - i);
    descending.push_back(key);
    std::snprintf(key, sizeof key, "T%d", static_cast<int>(random() % 150));
    shuffled.push_back(key);
  }
  for (const auto* keys : {&ascending, &descending, &shuffled}) {
    BinaryTree tree;
    std::multiset<std::string> inserted;
    for (const std::string& key : *keys) {
      ASSERT_GT(tree.InsertPair(key.c_str(), 0, 0), 0);
      inserted.insert(key);
      const std::string fault = tree.CheckInvariants();
      ASSERT_EQ(fault, "") << "after inserting " << key << " as node " << tree.NodeCount();
    }
    EXPECT_EQ(InOrderKeys(tree), std::vector<std::string>(inserted.begin(), inserted.end()));
    EXPECT_LE(Height(tree.Root()), 2 * std::log2(tree.NodeCount() + 1));
  }
}

TEST_F(BinaryTreeTest, SearchPrefersThePathThenTheLeftSideOfARun) {
  // Three equal keys: the second becomes the root with the first on its left
  // and the third on its right.
  BinaryTree tree;
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(tree.InsertPointers("K", i, 0));
  EXPECT_EQ(Consume(tree, "K"), (std::vector<std::int64_t>{2, 1, 3}));
  EXPECT_EQ(tree.Find("K"), nullptr);
}

TEST_F(BinaryTreeTest, DuplicatesAreEachConsumedOnce) {
  // Duplicates of "K" with other keys, some sorting right beside it,
  // inserted before, after, between or at random among them.
  const std::vector<std::string> others = {"J", "K0", "KA", "", "k", "L", "JZZZZZZZZZZZZZZZZ"};
  enum Mix { kAlone, kOthersFirst, kOthersLast, kAlternate, kRandom };
  std::mt19937 random(77);
  for (int duplicates : {1, 2, 3, 4, 7, 16, 31, 100}) {
    for (Mix mix : {kAlone, kOthersFirst, kOthersLast, kAlternate, kRandom}) {
      SCOPED_TRACE(testing::Message() << duplicates << " duplicates, mix " << mix);
      std::vector<std::string> order;
      if (mix == kOthersFirst) order = others;
      for (int i = 0; i < duplicates; ++i) {
        order.push_back("K");
        if (mix == kAlternate || mix == kRandom) order.push_back(others[i % others.size()]);
      }
      if (mix == kOthersLast) order.insert(order.end(), others.begin(), others.end());
      if (mix == kRandom) std::shuffle(order.begin(), order.end(), random);

      BinaryTree tree;
      std::map<std::string, std::vector<std::int64_t>> expected;
      for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_TRUE(tree.InsertPointers(order[i].c_str(), std::int64_t(i), 0));
        expected[order[i]].push_back(std::int64_t(i));
      }
      ASSERT_EQ(tree.CheckInvariants(), "");
      // Consume "K", then every other key; each node exactly once.
      for (auto& [key, ids] : expected) {
        if (key != "K") continue;
        std::vector<std::int64_t> met = Consume(tree, key.c_str());
        std::sort(met.begin(), met.end());
        EXPECT_EQ(met, ids);
      }
      for (auto& [key, ids] : expected) {
        if (key == "K") continue;
        std::vector<std::int64_t> met = Consume(tree, key.c_str());
        std::sort(met.begin(), met.end());
        EXPECT_EQ(met, ids) << "key \"" << key << "\"";
      }
      // Everything used: present and absent keys alike find nothing.
      for (const char* key : {"K", "J", "", "M", "K1"}) EXPECT_EQ(tree.Find(key), nullptr);
    }
  }
}

TEST_F(BinaryTreeTest, InterleavedConsumptionOfManyKeys) {
  std::mt19937 random(4242);
  BinaryTree tree;
  std::map<std::string, int> left;
  for (int i = 0; i < 3000; ++i) {
    const std::string key = "T" + std::to_string(random() % 40);
    ASSERT_TRUE(tree.InsertPointers(key.c_str(), i, 0));
    ++left[key];
  }
  ASSERT_EQ(tree.CheckInvariants(), "");
  std::set<const BinaryTreeNode*> seen;
  std::vector<std::string> keys;
  for (const auto& [key, count] : left) keys.push_back(key);
  while (!keys.empty()) {
    const std::size_t pick = random() % keys.size();
    BinaryTreeNode* node = tree.FindAndMarkUsed(keys[pick].c_str());
    if (node == nullptr) {
      EXPECT_EQ(left[keys[pick]], 0) << keys[pick] << " ran dry early";
      keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(pick));
      continue;
    }
    EXPECT_EQ(node->used, 1);
    EXPECT_TRUE(seen.insert(node).second) << "a node met twice";
    --left[keys[pick]];
  }
  EXPECT_EQ(seen.size(), 3000u);
}

TEST_F(BinaryTreeTest, FindSkipFirstMatchesAfterTheFirstCharacter) {
  BinaryTree tree;
  for (const char* key : {"M", "", "T5000", "A123", "Z9", "X"}) ASSERT_TRUE(tree.Insert(key, 0));
  BinaryTreeNode* node = tree.FindSkipFirst("123");
  ASSERT_NE(node, nullptr);
  EXPECT_STREQ(node->key, "A123");
  node->used = 1;
  EXPECT_EQ(tree.FindSkipFirst("123"), node) << "used nodes count too";
  EXPECT_EQ(tree.FindSkipFirst("5000")->key, std::string("T5000"));
  EXPECT_EQ(tree.FindSkipFirst("A123"), nullptr);
  EXPECT_EQ(tree.FindSkipFirst("9")->key, std::string("Z9"));
  const BinaryTreeNode* bare = tree.FindSkipFirst("");
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(std::strlen(bare->key), 1u) << "an empty key has no first character to skip";

  // A deep unbalanced chain is walked without a stack.
  BinaryTree chain;
  for (int i = 0; i < 5000; ++i)
    ASSERT_TRUE(chain.InsertUnbalanced(("C" + std::to_string(100000 + i)).c_str()));
  EXPECT_STREQ(chain.FindSkipFirst("104999")->key, "C104999");
  EXPECT_EQ(chain.FindSkipFirst("99"), nullptr);
}

TEST_F(BinaryTreeTest, UnbalancedInsertsKeepOrderAndLinks) {
  BinaryTree tree;
  for (const char* key : {"M", "C", "T", "A", "E", "C", "Z", "M"})
    ASSERT_TRUE(tree.InsertUnbalanced(key));
  EXPECT_EQ(tree.NodeCount(), 6);
  EXPECT_EQ(InOrderKeys(tree), (std::vector<std::string>{"A", "C", "E", "M", "T", "Z"}));
  EXPECT_EQ(tree.CheckInvariants(false), "");
  EXPECT_STREQ(tree.Root()->key, "M") << "no rebalancing";
  // Mixing in balanced inserts, which callers never do, still leaves a sound
  // search tree.
  for (const char* key : {"B", "D", "F", "G", "H", "M"}) ASSERT_GT(tree.InsertPair(key, 0, 0), 0);
  EXPECT_EQ(tree.CheckInvariants(false), "");
  for (const char* key : {"A", "B", "D", "H", "Z"}) EXPECT_NE(tree.Find(key), nullptr) << key;
}

TEST_F(BinaryTreeTest, ClearEmptiesTheTreeForReuse) {
  BinaryTree tree;
  for (int i = 0; i < 500; ++i)
    ASSERT_GT(tree.InsertPair(std::to_string(i % 200).c_str(), i, 0), 0);
  tree.Find("7")->used = 1;
  tree.Clear();
  EXPECT_EQ(tree.NodeCount(), 0);
  EXPECT_EQ(tree.Root(), nullptr);
  for (const char* key : {"7", "0", "199"}) EXPECT_EQ(tree.Find(key), nullptr);
  EXPECT_EQ(tree.InsertPair("7", 1, 2), 1);
  ASSERT_NE(tree.Find("7"), nullptr);
  EXPECT_EQ(tree.Find("7")->used, 0);
  EXPECT_EQ(tree.CheckInvariants(), "");
  tree.Clear();
  tree.Clear();
  EXPECT_EQ(tree.NodeCount(), 0);
}

TEST_F(BinaryTreeTest, FailedAllocationLeavesTheTreeUnchanged) {
  struct Form {
    const char* name;
    bool balanced;
    std::function<bool(BinaryTree&, const std::string&)> insert;
  } forms[] = {
      {"Insert", true, [](BinaryTree& t, const std::string& k) { return t.Insert(k.c_str(), 1); }},
      {"InsertPair", true,
       [](BinaryTree& t, const std::string& k) {
         const std::int32_t before = t.NodeCount();
         const std::int32_t count = t.InsertPair(k.c_str(), 1, 2);
         EXPECT_TRUE(count == -1 || count == before + 1) << count;
         return count != -1;
       }},
      {"InsertPointers", true,
       [](BinaryTree& t, const std::string& k) { return t.InsertPointers(k.c_str(), 1, 2); }},
      {"InsertUnbalanced", false,
       [](BinaryTree& t, const std::string& k) { return t.InsertUnbalanced(k.c_str()); }},
      {"InsertPairWide", true,
       [](BinaryTree& t, const std::string& k) {
         const std::wstring wide(k.begin(), k.end());
         return t.InsertPairWide(wide.c_str(), 1, 2) != -1;
       }},
  };
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    BinaryTree tree;
    {
      host::ScopedFault fault(host::FaultPoint::Allocation, 0, -1);
      EXPECT_FALSE(form.insert(tree, "first"));
      EXPECT_EQ(tree.NodeCount(), 0);
      EXPECT_EQ(tree.Root(), nullptr);
      EXPECT_GE(host::FaultsFired(host::FaultPoint::Allocation), 1);
    }
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(form.insert(tree, "k" + std::to_string(i)));

    // With every allocation failing, inserts succeed while the storage
    // already held lasts, then fail without a trace.
    host::ScopedFault fault(host::FaultPoint::Allocation, 0, -1);
    std::string failed;
    for (int i = 0; i < 100000 && failed.empty(); ++i) {
      const std::string key = "n" + std::to_string(i);
      const std::int32_t count = tree.NodeCount();
      const BinaryTreeNode* root = tree.Root();
      if (form.insert(tree, key)) continue;
      failed = key;
      EXPECT_EQ(tree.NodeCount(), count);
      EXPECT_EQ(tree.Root(), root);
    }
    ASSERT_FALSE(failed.empty()) << "no insert failed";
    EXPECT_EQ(tree.Find(failed.c_str()), nullptr);
    EXPECT_EQ(tree.CheckInvariants(form.balanced), "");
    EXPECT_NE(tree.Find("k39"), nullptr);
    host::DisarmFault(host::FaultPoint::Allocation);
    EXPECT_TRUE(form.insert(tree, failed));
    EXPECT_NE(tree.Find(failed.c_str()), nullptr);
    EXPECT_EQ(tree.CheckInvariants(form.balanced), "");
  }

  // A key already present needs no node, so nothing can fail.
  BinaryTree tree;
  BinaryTree plain;
  ASSERT_TRUE(tree.Insert("K", 1));
  ASSERT_TRUE(plain.InsertUnbalanced("K"));
  host::ScopedFault fault(host::FaultPoint::Allocation, 0, -1);
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(tree.Insert("K", 2));
    EXPECT_TRUE(plain.InsertUnbalanced("K"));
  }
  EXPECT_EQ(host::FaultsFired(host::FaultPoint::Allocation), 0);
}

TEST_F(BinaryTreeTest, EntryListCreatesAndFreesItsArray) {
  const std::int32_t live = GrowArrayLiveCount();
  {
    PolylineToidFilepPntrBtree list;
    ASSERT_TRUE(list.IsValid());
    EXPECT_EQ(list.Entries().capacity, 1000);
    EXPECT_EQ(list.Entries().elementSize, sizeof(PolylineToidFilepEntry));
    EXPECT_EQ(GrowArrayLiveCount(), live + 1);
  }
  EXPECT_EQ(GrowArrayLiveCount(), live);
  host::ScopedFault fault(host::FaultPoint::Allocation, 0);
  {
    PolylineToidFilepPntrBtree list;
    EXPECT_FALSE(list.IsValid());
  }
  EXPECT_EQ(GrowArrayLiveCount(), live);
}

}  // namespace
