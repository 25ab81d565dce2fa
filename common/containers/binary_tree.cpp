#include "common/containers/binary_tree.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/containers/text.h"

namespace {

constexpr std::size_t kKeyBuffer = kBinaryTreeKeyLength + 1;
constexpr std::int32_t kFirstBlockNodes = 32;
constexpr std::int32_t kLargestBlockNodes = 8192;

// A node and its key, allocated together.
struct NodeSlot {
  BinaryTreeNode node;
  char key[kKeyBuffer];
};

// The key as the tree compares it: cut to 17 characters. Short keys are used
// in place; a longer one is copied, cut, into `buffer`.
const char* CutKey(const char* key, char (&buffer)[kKeyBuffer]) {
  if (::strnlen(key, kKeyBuffer) < kKeyBuffer) return key;
  std::memcpy(buffer, key, kBinaryTreeKeyLength);
  buffer[kBinaryTreeKeyLength] = '\0';
  return buffer;
}

// The search below `node`: an unused node with the key, preferring the
// highest on the path, then the left side of a run of equal keys before the
// right. Recurses only at used nodes with the key.
BinaryTreeNode* FindFrom(BinaryTreeNode* node, const char* key) {
  while (node != nullptr) {
    const int order = std::strcmp(key, node->key);
    if (order < 0) {
      node = node->left;
    } else if (order > 0) {
      node = node->right;
    } else {
      if (node->used == 0) return node;
      if (BinaryTreeNode* found = FindFrom(node->left, key)) return found;
      node = node->right;
    }
  }
  return nullptr;
}

}  // namespace

// A block of node slots; the slots follow the header in the same allocation.
struct BinaryTree::NodeBlock {
  NodeBlock* next;
  std::int32_t capacity;
  std::int32_t used;

  NodeSlot* Slots() { return reinterpret_cast<NodeSlot*>(this + 1); }
};

BinaryTree::~BinaryTree() {
  Clear();
}

void BinaryTree::Clear() {
  while (blocks_ != nullptr) {
    NodeBlock* next = blocks_->next;
    grow_array_detail::ReleaseBlock(blocks_);
    blocks_ = next;
  }
  root_ = nullptr;
  count_ = 0;
}

BinaryTreeNode* BinaryTree::NewNode(const char* key) {
  static_assert(sizeof(NodeBlock) % alignof(NodeSlot) == 0, "slots follow the block header");
  if (blocks_ == nullptr || blocks_->used == blocks_->capacity) {
    std::int32_t capacity = kFirstBlockNodes;
    if (blocks_ != nullptr)
      capacity =
          blocks_->capacity < kLargestBlockNodes / 2 ? blocks_->capacity * 2 : kLargestBlockNodes;
    void* raw = grow_array_detail::AllocateBlock(sizeof(NodeBlock) +
                                                 std::uint64_t{sizeof(NodeSlot)} * capacity);
    if (raw == nullptr) return nullptr;
    auto* block = static_cast<NodeBlock*>(raw);
    block->next = blocks_;
    block->capacity = capacity;
    block->used = 0;
    blocks_ = block;
  }
  NodeSlot* slot = blocks_->Slots() + blocks_->used++;
  std::memcpy(slot->key, key, std::strlen(key) + 1);  // cut to fit by CutKey
  slot->node.key = slot->key;
  return &slot->node;
}

BinaryTree::Placed BinaryTree::Place(const char* key, bool keepDuplicates, bool balance,
                                     std::int64_t a, std::int64_t b) {
  if (key == nullptr || count_ == INT32_MAX) return Placed::kNoMemory;
  char buffer[kKeyBuffer];
  key = CutKey(key, buffer);

  BinaryTreeNode* parent = nullptr;
  bool goLeft = false;
  for (BinaryTreeNode* node = root_; node != nullptr;) {
    const int order = std::strcmp(key, node->key);
    if (order == 0 && !keepDuplicates) return Placed::kPresent;
    parent = node;
    goLeft = order < 0;
    node = goLeft ? node->left : node->right;
  }

  BinaryTreeNode* node = NewNode(key);
  if (node == nullptr) return Placed::kNoMemory;
  node->parent = parent;
  node->left = nullptr;
  node->right = nullptr;
  node->used = 0;
  node->payloadA = a;
  node->payloadB = b;
  if (parent == nullptr)
    root_ = node;
  else if (goLeft)
    parent->left = node;
  else
    parent->right = node;
  ++count_;
  // An unbalanced tree keeps its parent links too, so that every pointer in
  // a node is sound whichever inserts filled the tree.
  node->colour = balance ? kBinaryTreeRed : kBinaryTreeBlack;
  if (balance) Repair(node);
  return Placed::kInserted;
}

void BinaryTree::RotateLeft(BinaryTreeNode* node) {
  BinaryTreeNode* child = node->right;
  node->right = child->left;
  if (child->left != nullptr) child->left->parent = node;
  child->parent = node->parent;
  if (node->parent == nullptr)
    root_ = child;
  else if (node == node->parent->left)
    node->parent->left = child;
  else
    node->parent->right = child;
  child->left = node;
  node->parent = child;
}

void BinaryTree::RotateRight(BinaryTreeNode* node) {
  BinaryTreeNode* child = node->left;
  node->left = child->right;
  if (child->right != nullptr) child->right->parent = node;
  child->parent = node->parent;
  if (node->parent == nullptr)
    root_ = child;
  else if (node == node->parent->right)
    node->parent->right = child;
  else
    node->parent->left = child;
  child->right = node;
  node->parent = child;
}

// Red-black repair after linking the red `node`.
void BinaryTree::Repair(BinaryTreeNode* node) {
  for (;;) {
    BinaryTreeNode* parent = node->parent;
    if (parent == nullptr) {
      node->colour = kBinaryTreeBlack;
      return;
    }
    if (parent->colour == kBinaryTreeBlack) return;
    BinaryTreeNode* grand = parent->parent;
    if (grand == nullptr) {  // a red root: only when inserts were mixed
      parent->colour = kBinaryTreeBlack;
      return;
    }
    const bool parentIsLeft = parent == grand->left;
    BinaryTreeNode* uncle = parentIsLeft ? grand->right : grand->left;
    if (uncle != nullptr && uncle->colour == kBinaryTreeRed) {
      parent->colour = kBinaryTreeBlack;
      uncle->colour = kBinaryTreeBlack;
      grand->colour = kBinaryTreeRed;
      node = grand;
      continue;
    }
    if (parentIsLeft && node == parent->right) {
      RotateLeft(parent);
      node = parent;
      parent = node->parent;
    } else if (!parentIsLeft && node == parent->left) {
      RotateRight(parent);
      node = parent;
      parent = node->parent;
    }
    parent->colour = kBinaryTreeBlack;
    grand->colour = kBinaryTreeRed;
    if (parentIsLeft)
      RotateRight(grand);
    else
      RotateLeft(grand);
    return;
  }
}

bool BinaryTree::Insert(const char* key, std::int32_t a) {
  return Place(key, false, true, a, -1) != Placed::kNoMemory;
}

std::int32_t BinaryTree::InsertPair(const char* key, std::int32_t a, std::int32_t b) {
  return Place(key, true, true, a, b) == Placed::kInserted ? count_ : -1;
}

bool BinaryTree::InsertPointers(const char* key, std::int64_t a, std::int64_t b) {
  return Place(key, true, true, a, b) == Placed::kInserted;
}

bool BinaryTree::InsertUnbalanced(const char* key) {
  return Place(key, false, false, -1, -1) != Placed::kNoMemory;
}

std::int32_t BinaryTree::InsertPairWide(const wchar_t* key, std::int32_t a, std::int32_t b) {
  if (key == nullptr) return -1;
  char narrow[kBinaryTreeWideKeyBuffer];
  WideToNarrow(narrow, sizeof narrow, key);
  return InsertPair(narrow, a, b);
}

BinaryTreeNode* BinaryTree::Find(const char* key) {
  if (key == nullptr) return nullptr;
  char buffer[kKeyBuffer];
  return FindFrom(root_, CutKey(key, buffer));
}

BinaryTreeNode* BinaryTree::FindWide(const wchar_t* key) {
  if (key == nullptr) return nullptr;
  char narrow[kBinaryTreeWideKeyBuffer];
  WideToNarrow(narrow, sizeof narrow, key);
  return Find(narrow);
}

BinaryTreeNode* BinaryTree::FindAndMarkUsed(const char* key) {
  BinaryTreeNode* node = Find(key);
  if (node != nullptr) node->used = 1;
  return node;
}

BinaryTreeNode* BinaryTree::FindSkipFirst(const char* key) {
  if (key == nullptr) return nullptr;
  // Pre-order walk along the parent links: no stack, whatever the height.
  BinaryTreeNode* node = root_;
  while (node != nullptr) {
    if (node->key[0] != '\0' && std::strcmp(node->key + 1, key) == 0) return node;
    if (node->left != nullptr) {
      node = node->left;
      continue;
    }
    if (node->right != nullptr) {
      node = node->right;
      continue;
    }
    // Climb to the nearest ancestor whose right subtree is still to visit.
    for (;;) {
      BinaryTreeNode* parent = node->parent;
      if (parent == nullptr) return nullptr;
      if (node == parent->left && parent->right != nullptr) {
        node = parent->right;
        break;
      }
      node = parent;
    }
  }
  return nullptr;
}

namespace {

struct InvariantCheck {
  bool balanced;
  std::string fault;
  std::int64_t nodes = 0;

  void Fail(const BinaryTreeNode* node, const char* what) {
    if (fault.empty()) fault = std::string(what) + " at key \"" + node->key + "\"";
  }

  // Checks the subtree of `node` whose keys must lie within [low, high]
  // (null: unbounded); the black height of the subtree, or -1.
  int Walk(const BinaryTreeNode* node, const BinaryTreeNode* parent, const char* low,
           const char* high) {
    if (node == nullptr) return 0;
    ++nodes;
    if (node->key == nullptr || ::strnlen(node->key, kKeyBuffer) >= kKeyBuffer) {
      if (fault.empty()) fault = "key missing or longer than 17 characters";
      return -1;
    }
    if (node->parent != parent) Fail(node, "wrong parent link");
    if (low != nullptr && std::strcmp(node->key, low) < 0)
      Fail(node, "key below its subtree's bound");
    if (high != nullptr && std::strcmp(node->key, high) > 0)
      Fail(node, "key above its subtree's bound");
    const int leftHeight = Walk(node->left, node, low, node->key);
    const int rightHeight = Walk(node->right, node, node->key, high);
    if (!balanced) return 0;
    if (node->colour != kBinaryTreeRed && node->colour != kBinaryTreeBlack)
      Fail(node, "colour neither red nor black");
    if (node->colour == kBinaryTreeRed &&
        ((node->left != nullptr && node->left->colour == kBinaryTreeRed) ||
         (node->right != nullptr && node->right->colour == kBinaryTreeRed)))
      Fail(node, "red node with a red child");
    if (leftHeight < 0 || rightHeight < 0) return -1;
    if (leftHeight != rightHeight) {
      Fail(node, "black heights differ");
      return -1;
    }
    return leftHeight + (node->colour == kBinaryTreeBlack ? 1 : 0);
  }
};

}  // namespace

std::string BinaryTree::CheckInvariants(bool balanced) const {
  InvariantCheck check{balanced, {}};
  if (root_ != nullptr && balanced && root_->colour != kBinaryTreeBlack)
    check.Fail(root_, "red root");
  check.Walk(root_, nullptr, nullptr, nullptr);
  if (check.fault.empty() && check.nodes != count_)
    check.fault = "node count " + std::to_string(count_) + " but " + std::to_string(check.nodes) +
                  " nodes linked";
  return check.fault;
}

// List of TOIDs and file positions -------------------------------------------

PolylineToidFilepPntrBtree::PolylineToidFilepPntrBtree() {
  if (!GrowArrayCreate(1000, sizeof(PolylineToidFilepEntry), &entries_)) entries_ = GrowArray{};
}

PolylineToidFilepPntrBtree::~PolylineToidFilepPntrBtree() {
  if (entries_.marker == kGrowArrayMarker) GrowArrayFree(&entries_);
}
