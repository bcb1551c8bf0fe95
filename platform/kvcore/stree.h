// Sorted containers: the ordered tree base __STree and the maps and bags over
// it (SMap, SPtrMap, SPtrOwnMap, SBag, SPtrBag, SUnsortedMap), the cursor
// SMapIterator, and the sorted-table map STableMap with its base SSort.
// One entry per key under the key type's comparison (SAsc); walks go in
// ascending key order. A container's comparison C is a default-constructible
// functor answering C()(a, b) as -1, 0 or 1 for two keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "kvcore/sexception.h"
#include "kvcore/stable.h"
#include "win/windef.h"

// ---- key comparison --------------------------------------------------------

// SAsc<K>: -1, 0 or 1. Pointers compare as unsigned addresses; integers and
// enumerations as signed values; types with a Compare member (SString: code
// units unsigned, prefix first) or an identity order (_CompareUnknown of
// counted references) use it; other types use their == and <.
template <class T>
struct SAsc {
  int operator()(const T& a, const T& b) const { return Compare(a, b); }
  static int Compare(const T& a, const T& b) {
    if constexpr (std::is_pointer_v<T>) {
      const auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    } else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
      return a == b ? 0 : (a < b ? -1 : 1);
    } else if constexpr (requires { a._CompareUnknown(b); }) {
      const int c = a._CompareUnknown(b);
      return c == 0 ? 0 : (c < 0 ? -1 : 1);
    } else if constexpr (requires { a.Compare(b); }) {
      const int c = a.Compare(b);
      return c == 0 ? 0 : (c < 0 ? -1 : 1);
    } else {
      return a == b ? 0 : (a < b ? -1 : 1);
    }
  }
};

// GUIDs: the 16 bytes in memory order, each unsigned (the first field counts
// from its low byte).
template <>
struct SAsc<GUID> {
  int operator()(const GUID& a, const GUID& b) const { return Compare(a, b); }
  static int Compare(const GUID& a, const GUID& b) {
    std::uint8_t x[16], y[16];
    GuidToBytes(a, x);
    GuidToBytes(b, y);
    const int c = std::memcmp(x, y, 16);
    return c == 0 ? 0 : (c < 0 ? -1 : 1);
  }
};

// Compares pairs by key only (the order of STableMap).
template <class K, class V>
struct SPAsc {
  int operator()(const SPair<K, V>& a, const SPair<K, V>& b) const { return SAsc<K>::Compare(a.key, b.key); }
  int operator()(const K& a, const SPair<K, V>& b) const { return SAsc<K>::Compare(a, b.key); }
};

// ---- the tree base ---------------------------------------------------------

// Links of one entry; the item follows at __STree::ItemOffset.
struct __STreeEntry {
  __STreeEntry* parent;
  __STreeEntry* left;
  __STreeEntry* right;
  std::uint32_t priority;
};

class __STree {
 public:
  static constexpr std::size_t ItemOffset =
      (sizeof(__STreeEntry) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);

  __STree();
  virtual ~__STree();
  __STree(const __STree&) = delete;
  // Replaces the content with copies of the other's items.
  __STree& operator=(const __STree& other);

  int GetCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }

  // Every item destroyed and every entry freed.
  void Clear();
  // Finds the key's entry or creates it. True and unbuilt item storage when
  // created (the caller builds the item, or gives the entry up with
  // DiscardEntry), false and the existing item otherwise.
  bool GetVoid(const void* key, void** item);
  void* Find(const void* key) const;
  bool Contains(const void* key) const;
  bool Remove(const void* key);
  __STreeEntry* GetEntry(const void* key) const;
  bool RemoveEntry(__STreeEntry* entry);
  __STreeEntry* GetFirstEntry() const;
  __STreeEntry* GetLastEntry() const;
  static __STreeEntry* Successor(const __STreeEntry* entry);
  static __STreeEntry* Predecessor(const __STreeEntry* entry);

  static void* ItemOf(__STreeEntry* entry);
  static const void* ItemOf(const __STreeEntry* entry);
  static __STreeEntry* EntryOf(void* item);
  // Unlinks and frees an entry whose item was never built.
  void DiscardEntry(void* item);

 protected:
  virtual void* NewEntry() = 0;
  virtual void DeleteEntry(void* entry) = 0;
  virtual void DestroyItem(void* item) = 0;
  virtual void* CopyItem(void* target, const void* source) = 0;
  virtual int Compare(const void* key1, const void* key2) const = 0;
  virtual const void* KeyOf(const void* item) const = 0;

 private:
  void RotateUp(__STreeEntry* x);
  void Unlink(__STreeEntry* e);
  void FreeSubtree(__STreeEntry* e);

  __STreeEntry* m_root = nullptr;
  int m_count = 0;
};

// The virtual operations shared by every tree container over items I whose
// first member is the key K.
template <class K, class I, class C>
class __STreeOf : public __STree {
 public:
  using Item = I;
  using Key = K;
  static_assert(alignof(I) <= alignof(std::max_align_t), "over-aligned items are not supported");

  static I& GetItem(__STreeEntry* e) { return *static_cast<I*>(ItemOf(e)); }
  static const I& GetItem(const __STreeEntry* e) { return *static_cast<const I*>(ItemOf(e)); }

  // Range walk over the items in ascending key order.
  template <class Ref>
  class Iter {
   public:
    explicit Iter(__STreeEntry* e) : m_e(e) {}
    Ref operator*() const { return GetItem(m_e); }
    Iter& operator++() {
      m_e = Successor(m_e);
      return *this;
    }
    bool operator==(const Iter& o) const { return m_e == o.m_e; }
    bool operator!=(const Iter& o) const { return m_e != o.m_e; }

   private:
    __STreeEntry* m_e;
  };
  Iter<I&> begin() { return Iter<I&>(GetFirstEntry()); }
  Iter<I&> end() { return Iter<I&>(nullptr); }
  Iter<const I&> begin() const { return Iter<const I&>(GetFirstEntry()); }
  Iter<const I&> end() const { return Iter<const I&>(nullptr); }

 protected:
  void* NewEntry() override { return ::operator new(ItemOffset + sizeof(I), std::nothrow); }
  void DeleteEntry(void* entry) override { ::operator delete(entry); }
  void DestroyItem(void* item) override { static_cast<I*>(item)->~I(); }
  void* CopyItem(void* target, const void* source) override {
    if (!target) return nullptr;
    return ::new (target) I(*static_cast<const I*>(source));
  }
  int Compare(const void* a, const void* b) const override {
    return C()(*static_cast<const K*>(a), *static_cast<const K*>(b));
  }
  const void* KeyOf(const void* item) const override { return item; }  // the key is the item's first member

  // Builds a new item in created storage; a throw gives the entry up again.
  template <class... Args>
  I* Build(void* raw, Args&&... args) {
    try {
      return ::new (raw) I(std::forward<Args>(args)...);
    } catch (...) {
      DiscardEntry(raw);
      throw;
    }
  }
};

// ---- maps ------------------------------------------------------------------

template <class K, class V, class C = SAsc<K>, class I = SPair<K, V>>
class SMap : public __STreeOf<K, I, C> {
  using Base = __STreeOf<K, I, C>;

 public:
  using Value = V;

  SMap() = default;
  SMap(const SMap& other) : Base() {
    for (__STreeEntry* e = other.GetFirstEntry(); e; e = __STree::Successor(e))
      SetAt(Base::GetItem(e).key, Base::GetItem(e).value);
  }
  SMap& operator=(const SMap& other) {
    __STree::operator=(other);
    return *this;
  }
  ~SMap() override { this->Clear(); }

  // Stores a copy of the value under the key; a present key keeps its stored
  // key and gets the new value.
  V& SetAt(const K& key, const V& value) {
    void* raw = nullptr;
    if (this->GetVoid(std::addressof(key), &raw)) return this->Build(raw, key, value)->value;
    I* item = static_cast<I*>(raw);
    item->value = value;
    return item->value;
  }
  // The stored value, created default when the key is absent.
  V& operator[](const K& key) {
    void* raw = nullptr;
    if (this->GetVoid(std::addressof(key), &raw)) return this->Build(raw, key)->value;
    return static_cast<I*>(raw)->value;
  }
  // The stored value, or null.
  V* Find(const K& key) {
    I* item = static_cast<I*>(__STree::Find(std::addressof(key)));
    return item ? &item->value : nullptr;
  }
  const V* Find(const K& key) const {
    const I* item = static_cast<const I*>(__STree::Find(std::addressof(key)));
    return item ? &item->value : nullptr;
  }
  bool Contains(const K& key) const { return __STree::Contains(std::addressof(key)); }
  bool Remove(const K& key) { return __STree::Remove(std::addressof(key)); }
  void RemoveAll() { this->Clear(); }
  __STreeEntry* GetEntry(const K& key) const { return __STree::GetEntry(std::addressof(key)); }

  static const K& GetKey(const __STreeEntry* e) { return Base::GetItem(e).key; }
  static V& GetValue(__STreeEntry* e) { return Base::GetItem(e).value; }
};

// Values are object pointers the map does not own.
template <class K, class V, class C = SAsc<K>, class I = SPair<K, V*>>
class SPtrMap : public SMap<K, V*, C, I> {
  using Base = SMap<K, V*, C, I>;

 public:
  SPtrMap() = default;
  SPtrMap(const SPtrMap& other) = default;
  SPtrMap& operator=(const SPtrMap& other) = default;
  // The stored pointer, or null when the key is absent.
  V* Find(const K& key) const {
    V* const* p = Base::Find(key);
    return p ? *p : nullptr;
  }
};

// Owns its values: RemoveAll and the destructor delete every value.
template <class K, class V, class C = SAsc<K>, class I = SPair<K, V*>>
class SPtrOwnMap : public SPtrMap<K, V, C, I> {
  using Base = SPtrMap<K, V, C, I>;

 public:
  SPtrOwnMap() = default;
  SPtrOwnMap(const SPtrOwnMap&) = delete;
  SPtrOwnMap& operator=(const SPtrOwnMap&) = delete;
  ~SPtrOwnMap() override { RemoveAll(); }

  // Deletes every value once and empties the map. A value's destructor may
  // change the map: the walk looks its key up again after each deletion.
  void RemoveAll() {
    __STreeEntry* e = this->GetFirstEntry();
    while (e) {
      const K key = Base::GetKey(e);
      V* value = Base::GetValue(e);
      if (value) {
        Base::GetValue(e) = nullptr;
        delete value;
      }
      __STreeEntry* found = Base::GetEntry(key);
      if (found) {
        __STreeEntry* next = __STree::Successor(found);
        __STreeEntry* fallback = __STree::Predecessor(found);
        this->RemoveEntry(found);
        if (!next) next = fallback ? __STree::Successor(fallback) : this->GetFirstEntry();
        e = next;
      } else {
        e = this->GetFirstEntry();
      }
    }
  }
};

// ---- bags ------------------------------------------------------------------

template <class T, class C = SAsc<T>, class A = SAllocator<T>>
class SBag : public __STreeOf<T, T, C> {
  using Base = __STreeOf<T, T, C>;

 public:
  SBag() = default;
  SBag(const SBag& other) : Base() {
    for (__STreeEntry* e = other.GetFirstEntry(); e; e = __STree::Successor(e)) Add(Base::GetItem(e));
  }
  SBag& operator=(const SBag& other) {
    __STree::operator=(other);
    return *this;
  }
  ~SBag() override { this->Clear(); }

  // Inserts the key when absent; answers the stored key either way.
  const T& Add(const T& key) {
    void* raw = nullptr;
    if (this->GetVoid(std::addressof(key), &raw)) return *this->Build(raw, key);
    return *static_cast<T*>(raw);
  }
  // The stored key, or null.
  const T* Find(const T& key) const { return static_cast<const T*>(__STree::Find(std::addressof(key))); }
  bool Contains(const T& key) const { return __STree::Contains(std::addressof(key)); }
  bool Remove(const T& key) { return __STree::Remove(std::addressof(key)); }
  void RemoveAll() { this->Clear(); }
  __STreeEntry* GetEntry(const T& key) const { return __STree::GetEntry(std::addressof(key)); }
  static const T& GetKey(const __STreeEntry* e) { return Base::GetItem(e); }
};

// A set of object pointers that owns nothing.
template <class T, class C = SAsc<T*>>
class SPtrBag : public SBag<T*, C> {
 public:
  // The pointer when present, or null.
  T* Find(T* key) const {
    T* const* p = SBag<T*, C>::Find(key);
    return p ? *p : nullptr;
  }
};

// ---- cursor ----------------------------------------------------------------

// A walk over a tree container that may remove the entry under it.
template <class TContainer>
class SMapIterator {
 public:
  explicit SMapIterator(TContainer& container) : m_container(container), m_current(container.GetFirstEntry()) {}

  bool IsValid() const { return m_current != nullptr; }
  explicit operator bool() const { return IsValid(); }
  __STreeEntry* GetEntry() const { return m_current; }
  typename TContainer::Item& GetItem() const { return TContainer::GetItem(m_current); }
  const typename TContainer::Key& GetKey() const { return TContainer::GetKey(m_current); }
  auto& GetValue() const { return TContainer::GetValue(m_current); }

  void Next() {
    if (m_pending) {
      m_current = m_pending;
      m_pending = nullptr;
    } else if (m_current) {
      m_current = __STree::Successor(m_current);
    }
  }
  // Removes the current entry; the next Next continues with its successor.
  void Remove() {
    if (!m_current) return;
    __STreeEntry* old = m_current;
    m_pending = __STree::Successor(old);
    m_current = __STree::Predecessor(old);
    m_container.RemoveEntry(old);
  }

 private:
  TContainer& m_container;
  __STreeEntry* m_current = nullptr;
  __STreeEntry* m_pending = nullptr;
};

// ---- insertion-ordered map -------------------------------------------------

// A map whose walks in insertion order go through an order table of item
// addresses; lookups go through the tree.
template <class K, class V, class C = SAsc<K>, class I = SPair<K, V>>
class SUnsortedMap : public SMap<K, V, C, I> {
  using Base = SMap<K, V, C, I>;

 public:
  SUnsortedMap() = default;
  SUnsortedMap(const SUnsortedMap& other) : Base() {
    for (int i = 0; i < other.GetOrderCount(); ++i) SetAt(other.GetOrderAt(i)->key, other.GetOrderAt(i)->value);
  }
  SUnsortedMap& operator=(const SUnsortedMap& other) {
    if (this != &other) {
      RemoveAll();
      for (int i = 0; i < other.GetOrderCount(); ++i) SetAt(other.GetOrderAt(i)->key, other.GetOrderAt(i)->value);
    }
    return *this;
  }
  ~SUnsortedMap() override { RemoveAll(); }

  V& SetAt(const K& key, const V& value) {
    void* raw = nullptr;
    if (this->GetVoid(std::addressof(key), &raw)) return Append(this->Build(raw, key, value))->value;
    I* item = static_cast<I*>(raw);
    item->value = value;
    return item->value;
  }
  V& operator[](const K& key) {
    void* raw = nullptr;
    if (this->GetVoid(std::addressof(key), &raw)) return Append(this->Build(raw, key))->value;
    return static_cast<I*>(raw)->value;
  }
  // Removes the key's entry and its place in the order.
  bool Remove(const K& key) {
    I* item = static_cast<I*>(__STree::Find(std::addressof(key)));
    if (!item) return false;
    for (int i = 0; i < m_order.GetCount(); ++i)
      if (m_order.GetAt(i) == item) {
        m_order.Remove(i);
        break;
      }
    return __STree::Remove(std::addressof(key));
  }
  void RemoveAll() {
    m_order.Clear();
    this->Clear();
  }

  int GetOrderCount() const { return m_order.GetCount(); }
  // The i-th inserted item.
  I* GetOrderAt(int i) const { return m_order.GetAt(i); }
  const STableDumb<I*>& GetOrder() const { return m_order; }

 private:
  I* Append(I* item) {
    try {
      m_order.Add(item);
    } catch (...) {
      __STree::RemoveEntry(__STree::EntryOf(item));
      throw;
    }
    return item;
  }
  STableDumb<I*> m_order;
};

// ---- sorted tables ---------------------------------------------------------

// A table kept in ascending order of SPAsc.
template <class T, class SPAscT, class TTable = STableMem<T>>
class SSort : public TTable {
 public:
  // The index of the element comparing equal to the probe, or the one's
  // complement of the index where it would be inserted (-1 when empty).
  template <class Probe>
  int Find(const Probe& probe) const {
    const int count = this->GetCount();
    if (count == 0) return -1;
    int low = 0, high = count;
    while (high > low) {
      const int middle = low + ((high - low) >> 1);
      const int c = SPAscT()(probe, this->GetAt(middle));
      if (c == 0) return middle;
      if (c < 0)
        high = middle;
      else
        low = middle + 1;
    }
    return ~low;
  }
  // Inserts the element at its sorted place, or replaces the equal one;
  // answers its index.
  int Add(const T& element) {
    int i = Find(element);
    if (i >= 0) {
      this->GetAt(i) = element;
      return i;
    }
    this->Insert(~i, element);
    return ~i;
  }
};

// A map stored as one contiguous table of pairs sorted by key.
template <class K, class V, class SPAscT = SPAsc<K, V>, class TTable = STableMem<SPair<K, V>>,
          class I = SPair<K, V>>
class STableMap : public SSort<I, SPAscT, TTable> {
 public:
  // Index of the key's element, or the complement of its insertion index.
  int Find(const K& key) const { return SSort<I, SPAscT, TTable>::Find(key); }
  // Sets the key's value (new elements keep the table sorted); the index.
  int SetAt(const K& key, const V& value) {
    int i = Find(key);
    if (i >= 0) {
      this->GetAt(i).value = value;
      return i;
    }
    i = ~i;
    void* raw = this->NewAt(i);
    try {
      ::new (raw) I(key, value);
    } catch (...) {
      this->DiscardAt(i);
      throw;
    }
    return i;
  }
  // The value of the key, or null.
  V* Lookup(const K& key) {
    int i = Find(key);
    return i >= 0 ? &this->GetAt(i).value : nullptr;
  }
  const V* Lookup(const K& key) const {
    int i = Find(key);
    return i >= 0 ? &this->GetAt(i).value : nullptr;
  }
};
