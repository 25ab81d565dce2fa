// A search tree keyed by short narrow strings.
//
// Keys are compared byte by byte as terminated strings (case matters, a
// prefix sorts before its extensions) and hold at most 17 characters: longer
// keys are cut to their first 17, in inserts and searches alike. Every node
// carries two 64-bit payloads and a used flag that callers set, through the
// pointer a search returns, to consume the node.
//
// A tree is filled by the balanced inserts (Insert, InsertPair,
// InsertPointers: a red-black tree) or by InsertUnbalanced alone (a plain
// search tree). Nodes are never removed one by one; Clear releases them all.
// Node pointers stay valid until then.
//
// Order: every key in a node's left subtree compares less than or equal to
// the node's key, every key in its right subtree greater than or equal.
// Equal keys form one run in key order; after rebalancing, part of a run may
// sit in the left subtree of another of its members.
//
// Inserts that need a node and cannot get one report it (false, or -1 from
// the counting insert) and leave the tree exactly as it was; a null key is
// refused the same way, and a search for one finds nothing.
#pragma once

#include <cstdint>
#include <string>

#include "common/containers/grow_array.h"

inline constexpr int kBinaryTreeKeyLength = 17;       // characters kept of a key
inline constexpr int kBinaryTreeWideKeyBuffer = 128;  // narrowing buffer of the wide forms

inline constexpr std::uint8_t kBinaryTreeBlack = 0;
inline constexpr std::uint8_t kBinaryTreeRed = 1;

struct BinaryTreeNode {
  std::uint8_t colour;     // kBinaryTreeRed or kBinaryTreeBlack
  char* key;               // owned by the tree: up to 17 characters and a terminator
  BinaryTreeNode* parent;  // null at the root
  BinaryTreeNode* left;    // smaller keys (and equal ones moved by rebalancing)
  BinaryTreeNode* right;   // greater keys, and equal ones where duplicates are kept
  std::uint8_t used;       // 0 when inserted; callers set 1 to consume the node
  std::int64_t payloadA;   // -1 where the insert gives none
  std::int64_t payloadB;   // -1 where the insert gives none
};

class BinaryTree {
 public:
  BinaryTree() = default;
  virtual ~BinaryTree();
  BinaryTree(const BinaryTree&) = delete;
  BinaryTree& operator=(const BinaryTree&) = delete;

  // Releases every node; the tree is empty and can be filled again.
  void Clear();

  // Balanced insert with payloads (a, -1); a key already present is left as
  // it is. False only when no node could be had.
  bool Insert(const char* key, std::int32_t a);
  // Balanced insert with payloads (a, b) that keeps duplicate keys. The node
  // count after the insert, or -1 when no node could be had.
  std::int32_t InsertPair(const char* key, std::int32_t a, std::int32_t b);
  // Balanced insert with two 64-bit payloads that keeps duplicate keys.
  bool InsertPointers(const char* key, std::int64_t a, std::int64_t b);
  // Plain search-tree insert with payloads (-1, -1); a key already present
  // is left as it is.
  bool InsertUnbalanced(const char* key);
  // InsertPair with a wide key, narrowed first (cut at a unit that has no
  // narrow form).
  std::int32_t InsertPairWide(const wchar_t* key, std::int32_t a, std::int32_t b);

  // A node with the key whose used flag is 0, or null once every node with
  // the key is used. A caller that marks each result used and searches again
  // meets every duplicate exactly once.
  BinaryTreeNode* Find(const char* key);
  BinaryTreeNode* FindWide(const wchar_t* key);
  // Find, marking the node found used.
  BinaryTreeNode* FindAndMarkUsed(const char* key);
  // The first node, in pre-order, whose key without its first character
  // equals `key`, used or not.
  BinaryTreeNode* FindSkipFirst(const char* key);

  BinaryTreeNode* Root() const { return root_; }
  // Nodes inserted since the tree was last cleared.
  std::int32_t NodeCount() const { return count_; }

  // Checks the structure: parent links, key order (equal keys allowed on
  // either side), the node count and, when `balanced`, the red-black rules
  // (black root, no red node with a red child, one black height). Empty when
  // all hold, else what failed first. Recursive: for tests and debugging.
  std::string CheckInvariants(bool balanced = true) const;

 private:
  struct NodeBlock;
  enum class Placed { kInserted, kPresent, kNoMemory };

  Placed Place(const char* key, bool keepDuplicates, bool balance, std::int64_t a, std::int64_t b);
  BinaryTreeNode* NewNode(const char* key);
  void Repair(BinaryTreeNode* node);
  void RotateLeft(BinaryTreeNode* node);
  void RotateRight(BinaryTreeNode* node);

  BinaryTreeNode* root_ = nullptr;
  std::int32_t count_ = 0;
  // Nodes and their keys are carved from blocks of growing size, newest
  // first, so that a large tree costs few allocations and Clear is cheap.
  NodeBlock* blocks_ = nullptr;
};

// A list of fixed-size entries (TOID, file position) kept in a GrowArray of
// initial capacity 1000. Not valid when its array could not be created.
struct PolylineToidFilepEntry {
  char toid[kBinaryTreeKeyLength + 1];
  std::int64_t filePosition;
};

class PolylineToidFilepPntrBtree {
 public:
  PolylineToidFilepPntrBtree();
  virtual ~PolylineToidFilepPntrBtree();
  PolylineToidFilepPntrBtree(const PolylineToidFilepPntrBtree&) = delete;
  PolylineToidFilepPntrBtree& operator=(const PolylineToidFilepPntrBtree&) = delete;

  bool IsValid() const { return entries_.marker == kGrowArrayMarker; }
  GrowArray& Entries() { return entries_; }

 private:
  GrowArray entries_{};
};
