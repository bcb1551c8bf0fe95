#include "kvcore/stree.h"

#include <cstdint>

// The tree is a treap: a binary search tree by key that is also a heap by a
// pseudo-random priority drawn at insertion, which keeps it balanced in the
// expected case whatever the order of insertion.

namespace {
std::uint32_t NextPriority() {
  static std::uint32_t state = 0x9E3779B9u;
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}
}  // namespace

__STree::__STree() = default;

__STree::~__STree() {
  // The container clears the tree before this runs; nothing is left to free
  // through the (no longer available) virtual operations.
}

__STree& __STree::operator=(const __STree& other) {
  if (this == &other) return *this;
  Clear();
  for (__STreeEntry* e = other.GetFirstEntry(); e; e = other.Successor(e)) {
    void* item = nullptr;
    const void* src = ItemOf(e);
    if (GetVoid(other.KeyOf(src), &item)) {
      try {
        CopyItem(item, src);
      } catch (...) {
        DiscardEntry(item);
        throw;
      }
    }
  }
  return *this;
}

void* __STree::ItemOf(__STreeEntry* e) { return reinterpret_cast<char*>(e) + ItemOffset; }
const void* __STree::ItemOf(const __STreeEntry* e) { return reinterpret_cast<const char*>(e) + ItemOffset; }
__STreeEntry* __STree::EntryOf(void* item) {
  return reinterpret_cast<__STreeEntry*>(static_cast<char*>(item) - ItemOffset);
}

void __STree::FreeSubtree(__STreeEntry* e) {
  while (e) {
    FreeSubtree(e->right);
    __STreeEntry* left = e->left;
    DestroyItem(ItemOf(e));
    DeleteEntry(e);
    e = left;
  }
}

void __STree::Clear() {
  __STreeEntry* root = m_root;
  m_root = nullptr;
  m_count = 0;
  FreeSubtree(root);
}

__STreeEntry* __STree::GetEntry(const void* key) const {
  __STreeEntry* e = m_root;
  while (e) {
    int c = Compare(key, KeyOf(ItemOf(e)));
    if (c == 0) return e;
    e = c < 0 ? e->left : e->right;
  }
  return nullptr;
}

void* __STree::Find(const void* key) const {
  __STreeEntry* e = GetEntry(key);
  return e ? ItemOf(e) : nullptr;
}

bool __STree::Contains(const void* key) const { return GetEntry(key) != nullptr; }

void __STree::RotateUp(__STreeEntry* x) {
  __STreeEntry* p = x->parent;
  __STreeEntry* g = p->parent;
  if (p->left == x) {
    p->left = x->right;
    if (x->right) x->right->parent = p;
    x->right = p;
  } else {
    p->right = x->left;
    if (x->left) x->left->parent = p;
    x->left = p;
  }
  p->parent = x;
  x->parent = g;
  if (!g)
    m_root = x;
  else if (g->left == p)
    g->left = x;
  else
    g->right = x;
}

bool __STree::GetVoid(const void* key, void** item) {
  __STreeEntry* parent = nullptr;
  __STreeEntry* e = m_root;
  int c = 0;
  while (e) {
    c = Compare(key, KeyOf(ItemOf(e)));
    if (c == 0) {
      *item = ItemOf(e);
      return false;
    }
    parent = e;
    e = c < 0 ? e->left : e->right;
  }
  void* raw = NewEntry();
  if (!raw) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  __STreeEntry* n = static_cast<__STreeEntry*>(raw);
  n->parent = parent;
  n->left = n->right = nullptr;
  n->priority = NextPriority();
  if (!parent)
    m_root = n;
  else if (c < 0)
    parent->left = n;
  else
    parent->right = n;
  while (n->parent && n->parent->priority < n->priority) RotateUp(n);
  ++m_count;
  *item = ItemOf(n);
  return true;
}

void __STree::Unlink(__STreeEntry* e) {
  // Rotate the entry down until it has at most one child, then splice it out.
  while (e->left && e->right) RotateUp(e->left->priority > e->right->priority ? e->left : e->right);
  __STreeEntry* child = e->left ? e->left : e->right;
  if (child) child->parent = e->parent;
  if (!e->parent)
    m_root = child;
  else if (e->parent->left == e)
    e->parent->left = child;
  else
    e->parent->right = child;
  --m_count;
}

void __STree::DiscardEntry(void* item) {
  __STreeEntry* e = EntryOf(item);
  Unlink(e);
  DeleteEntry(e);
}

bool __STree::RemoveEntry(__STreeEntry* e) {
  if (!e) return false;
  Unlink(e);
  DestroyItem(ItemOf(e));
  DeleteEntry(e);
  return true;
}

bool __STree::Remove(const void* key) { return RemoveEntry(GetEntry(key)); }

__STreeEntry* __STree::GetFirstEntry() const {
  __STreeEntry* e = m_root;
  if (e)
    while (e->left) e = e->left;
  return e;
}

__STreeEntry* __STree::GetLastEntry() const {
  __STreeEntry* e = m_root;
  if (e)
    while (e->right) e = e->right;
  return e;
}

__STreeEntry* __STree::Successor(const __STreeEntry* e) {
  if (!e) return nullptr;
  if (e->right) {
    __STreeEntry* s = e->right;
    while (s->left) s = s->left;
    return s;
  }
  while (e->parent && e->parent->right == e) e = e->parent;
  return e->parent;
}

__STreeEntry* __STree::Predecessor(const __STreeEntry* e) {
  if (!e) return nullptr;
  if (e->left) {
    __STreeEntry* s = e->left;
    while (s->right) s = s->right;
    return s;
  }
  while (e->parent && e->parent->left == e) e = e->parent;
  return e->parent;
}
