// Containers of counted interface references: the growable table SComTbl
// (SComTable), the sorted set SComBag, the set that also keeps insertion
// order SUnsortedComBag, and the object-to-object map SComMap. Allocation
// failures throw SEOutOfMemory naming "lib/h/scomds" and the line.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "kvcore/scomwrap.h"
#include "kvcore/sexception.h"
#include "kvcore/stable.h"
#include "kvcore/stree.h"

namespace kvcom_detail {
inline constexpr const char* kScomdsFile = "lib/h/scomds";

// Test seam: while positive, each allocation of a reference table fails and
// counts it down.
inline int g_failTableAllocations = 0;

// a * b / c rounded to the nearest integer (halves away from zero); -1 when
// c is 0 or the result does not fit.
inline int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = static_cast<long long>(a) * b;
  long long q = p / c;
  const long long r = p % c;
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -static_cast<long long>(c) : c)) q += ((p < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(q);
}
}  // namespace kvcom_detail

template <class I, class IP = I*>
class SComTbl {
 public:
  using Interface = I;

  // An empty table without storage; the first growth allocates `initial`
  // items. `grow` is a positive step, or (0 or below) a ratio (MakeRatio).
  explicit SComTbl(int initial = 50, int grow = 25) : m_grow(grow), m_initial(initial) {}
  // A table holding the given items (each with a reference): capacity
  // max(count, 1), grow step count / 4 + 1.
  SComTbl(I* const* items, int count) : m_grow(0), m_initial(0) {
    if (count < 0) count = 0;
    Initialize(count > 1 ? count : 1, count / 4 + 1);
    for (int i = 0; i < count; ++i) Add(items[i]);
  }
  SComTbl(const SComTbl& other) : m_grow(other.m_grow) {
    if (other.m_count > 0) {
      m_items = Allocate(other.m_capacity, 450, [] { return CopyCtorText(); });
      m_capacity = other.m_capacity;
      m_count = other.m_count;
      for (int i = 0; i < m_count; ++i) {
        m_items[i] = other.m_items[i];
        if (m_items[i]) m_items[i]->AddRef();
      }
    } else {
      m_initial = other.m_capacity != 0 ? (other.m_grow > 0 ? other.m_grow : 0) : other.m_initial;
    }
  }
  SComTbl& operator=(const SComTbl& other) {
    if (this == &other) return *this;
    if (other.m_count == 0) {
      Destroy();
      return *this;
    }
    I** items = m_items;
    int capacity = m_capacity;
    if (m_capacity < other.m_count) {
      items = Allocate(other.m_capacity, 737, [] { return AssignText(); });
      capacity = other.m_capacity;
    }
    // The new references are taken before the old ones are given up.
    for (int i = 0; i < other.m_count; ++i)
      if (other.m_items[i]) other.m_items[i]->AddRef();
    ReleaseItems();
    if (items != m_items) {
      delete[] m_items;
      m_items = items;
      m_capacity = capacity;
    }
    for (int i = 0; i < other.m_count; ++i) m_items[i] = other.m_items[i];
    m_count = other.m_count;
    return *this;
  }
  ~SComTbl() { Destroy(); }

  // A ratio grow word: numerator in the low 16 bits, denominator in the high
  // 16 bits, signs chosen so that the word is not positive.
  static int MakeRatio(int numerator, int denominator) {
    if (denominator > 0) {
      numerator = -numerator;
      denominator = -denominator;
    }
    return static_cast<int>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(denominator)) << 16) |
                            static_cast<std::uint16_t>(numerator));
  }

  int GetCount() const { return m_count; }
  int GetCapacity() const { return m_capacity; }
  int GetGrow() const { return m_grow; }
  // The capacity of the first growth (meaningful while capacity is 0).
  int GetInitialCapacity() const { return m_initial; }
  bool IsEmpty() const { return m_count == 0; }

  // The item at the index, or null outside the table.
  I* GetAt(int i) const { return i >= 0 && i < m_count ? m_items[i] : nullptr; }
  I* operator[](int i) const { return GetAt(i); }
  I* const* GetData() const { return m_items; }

  void Initialize(int initial, int step) {
    Destroy();
    I** items = initial > 0 ? Allocate(initial, 927, [] { return Text("void", "Initialize(int,int)"); }) : nullptr;
    m_items = items;
    m_capacity = initial > 0 ? initial : 0;
    m_grow = step;
    m_count = 0;
  }

  // New storage for n items. Items beyond n (when n is below the count) are
  // released and dropped.
  void Resize(int n) {
    if (n < 0) n = 0;
    I** items = n > 0 ? Allocate(n, 892, [] { return Text("void", "Resize(int)"); }) : nullptr;
    for (int i = n; i < m_count; ++i)
      if (m_items[i]) m_items[i]->Release();
    if (m_count > n) m_count = n;
    for (int i = 0; i < m_count; ++i) items[i] = m_items[i];
    delete[] m_items;
    m_items = items;
    m_capacity = n;
  }

  void Grow() {
    if (m_capacity == 0) {
      Initialize(m_initial, m_grow);
    } else if (m_grow > 0) {
      if (static_cast<long long>(m_capacity) > 8LL * m_grow && m_grow <= std::numeric_limits<int>::max() / 2)
        m_grow *= 2;
      Resize(m_capacity + m_grow);
    } else {
      const int numerator = static_cast<std::int16_t>(m_grow & 0xFFFF);
      const int denominator = static_cast<std::int16_t>((static_cast<std::uint32_t>(m_grow) >> 16) & 0xFFFF);
      const int n = kvcom_detail::MulDiv(m_capacity, numerator, denominator);
      Resize(n > m_capacity ? n : m_capacity + 1);
    }
    // A table set up with no initial room still gets one.
    if (m_capacity <= m_count) Resize(m_count + 1);
  }

  // Appends the item (a reference taken when not null); answers it.
  I* Add(I* item) {
    if (m_count == m_capacity) Grow();
    if (item) item->AddRef();
    m_items[m_count++] = item;
    return item;
  }
  // Inserts at the index; -1 (or any index outside 0..count) appends.
  void InsertAt(int index, I* item) {
    if (index < 0 || index > m_count) index = m_count;
    if (m_count == m_capacity) Grow();
    for (int i = m_count; i > index; --i) m_items[i] = m_items[i - 1];
    if (item) item->AddRef();
    m_items[index] = item;
    ++m_count;
  }
  // Removes the item at the index with its reference.
  void RemoveAt(int index) {
    if (index < 0 || index >= m_count) return;
    I* item = m_items[index];
    for (int i = index; i < m_count - 1; ++i) m_items[i] = m_items[i + 1];
    --m_count;
    if (item) item->Release();
  }
  // Moves the item at `from` to index `to`, the items between shifting.
  void MoveTo(int from, int to) {
    if (from < 0 || from >= m_count || to < 0 || to >= m_count || from == to) return;
    I* item = m_items[from];
    if (from < to)
      for (int i = from; i < to; ++i) m_items[i] = m_items[i + 1];
    else
      for (int i = from; i > to; --i) m_items[i] = m_items[i - 1];
    m_items[to] = item;
  }
  // Releases every item; the storage stays.
  void RemoveAll() {
    ReleaseItems();
    m_count = 0;
  }
  // Releases every item and frees the storage; the table keeps the
  // capacity of its next first growth (the step, or the old capacity).
  void Destroy() {
    if (m_capacity != 0) {
      ReleaseItems();
      delete[] m_items;
      m_items = nullptr;
      m_initial = m_grow > 0 ? m_grow : m_capacity;
      m_capacity = 0;
    }
    m_count = 0;
  }

  bool Contains(I* item) const { return IndexOf(item) >= 0; }
  int IndexOf(I* item) const {
    for (int i = 0; i < m_count; ++i)
      if (m_items[i] == item) return i;
    return -1;
  }
  // True when an item is the wrapped pointer or the same object.
  template <class J, const IID* pj>
  bool ContainsUnknown(const SComWrap<J, pj>& wrapper) const {
    for (int i = 0; i < m_count; ++i)
      if (static_cast<IUnknown*>(m_items[i]) == static_cast<IUnknown*>(wrapper.Get()) ||
          wrapper._CompareUnknown(static_cast<IUnknown*>(m_items[i])) == 0)
        return true;
    return false;
  }

  // Cursor over (table, index): the item, or null when the index is -1 or
  // not below the count.
  class Cursor {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = I*;
    using difference_type = std::ptrdiff_t;
    using pointer = I* const*;
    using reference = I*;
    Cursor(const SComTbl& table, int index) : m_table(&table), m_index(index) {}
    I* operator*() const { return m_table->GetAt(m_index); }
    Cursor& operator++() {
      ++m_index;
      return *this;
    }
    bool operator==(const Cursor& o) const { return m_index == o.m_index; }
    bool operator!=(const Cursor& o) const { return m_index != o.m_index; }
    int GetIndex() const { return m_index; }

   private:
    const SComTbl* m_table;
    int m_index;
  };
  Cursor begin() const { return Cursor(*this, 0); }
  Cursor end() const { return Cursor(*this, m_count); }

  static std::string ClassText() {
    const std::string n = kvcom_detail::TypeName<I>();
    return "SComTbl<struct " + n + ",struct " + n + " *>";
  }

 protected:
  static std::string Text(const char* result, const char* member) {
    return std::string(result) + " __thiscall " + ClassText() + "::" + member;
  }
  static std::string CopyCtorText() {
    return "__thiscall " + ClassText() + "::" + ClassText() + "(const class " + ClassText() + " &)";
  }
  static std::string AssignText() {
    return "class " + ClassText() + " &__thiscall " + ClassText() + "::operator =(const class " + ClassText() + " &)";
  }
  // `function` makes the member's text for the exception; it runs only when
  // the allocation fails (the text demangles the type name, which would
  // otherwise cost more than the allocation on every growth).
  template <class F>
  static I** Allocate(int n, int line, F&& function) {
    I** items = nullptr;
    if (kvcom_detail::g_failTableAllocations > 0)
      --kvcom_detail::g_failTableAllocations;
    else
      items = new (std::nothrow) I*[static_cast<std::size_t>(n)];
    if (!items) throw SEOutOfMemory(function().c_str(), kvcom_detail::kScomdsFile, line);
    return items;
  }
  void ReleaseItems() {
    for (int i = 0; i < m_count; ++i)
      if (m_items[i]) m_items[i]->Release();
  }

  int m_capacity = 0;
  int m_grow = 25;
  int m_count = 0;
  I** m_items = nullptr;
  int m_initial = 0;
};

// The growable table of counted references.
template <class I, class IP = I*>
using SComTable = SComTbl<I, IP>;

// A table kept sorted by the unsigned value of the pointers, without
// duplicates.
//
// Filling a large bag in random order would shift half the table on every
// insertion. Past a small size, an item that does not belong at the end is
// appended to an unsorted run instead (its membership kept in a small hash
// set); the run is sorted and merged in when it grows as large as the sorted
// part, or as soon as anything reads a position. Insertion is then
// logarithmic amortised, and every read sees the sorted table.
template <class I, class IP = I*>
class SComBag : public SComTbl<I, IP> {
  using Base = SComTbl<I, IP>;

 public:
  SComBag() : Base(50, 25) {}
  explicit SComBag(int initial, int grow = 25) : Base(initial, grow) {}
  SComBag(const SComBag& other) : Base(other.Settled()) { m_sorted = this->m_count; }
  SComBag& operator=(const SComBag& other) {
    if (this != &other) {
      Base::operator=(other.Settled());
      ForgetRun();
    }
    return *this;
  }

  // 1 when added (with a reference), 0 when already present.
  int Add(I* item) {
    const std::uintptr_t key = Key(item);
    int index = 0;
    if (SearchSorted(key, &index)) return 0;
    if (m_sorted < this->m_count) {
      if (RunContains(key)) return 0;
      AppendToRun(item, key);
      if (this->m_count - m_sorted >= m_sorted) Settle();
      return 1;
    }
    if (index == this->m_count || this->m_count < kDirectLimit) {
      Base::InsertAt(index, item);
      m_sorted = this->m_count;
      return 1;
    }
    AppendToRun(item, key);
    return 1;
  }
  // The index of the item, or the count when absent.
  int Find(I* item) const {
    const SComBag& self = Settled();
    int index = 0;
    return self.SearchSorted(Key(item), &index) ? index : self.m_count;
  }
  bool Contains(I* item) const {
    const std::uintptr_t key = Key(item);
    int index = 0;
    return SearchSorted(key, &index) || (m_sorted < this->m_count && RunContains(key));
  }
  int IndexOf(I* item) const {
    const int i = Find(item);
    return i < this->m_count ? i : -1;
  }
  // Removes the item with its reference; false when absent.
  bool Remove(I* item) {
    const int i = Find(item);
    if (i >= this->m_count) return false;
    RemoveAt(i);
    return true;
  }
  void RemoveAt(int index) {
    Settle();
    Base::RemoveAt(index);
    m_sorted = this->m_count;
  }

  I* GetAt(int i) const { return Settled().Base::GetAt(i); }
  I* operator[](int i) const { return GetAt(i); }
  I* const* GetData() const { return Settled().m_items; }
  typename Base::Cursor begin() const { return Settled().Base::begin(); }
  typename Base::Cursor end() const { return Base::end(); }

  void Resize(int n) {
    Settle();
    Base::Resize(n);
    m_sorted = this->m_count;
  }
  void Initialize(int initial, int step) {
    Base::Initialize(initial, step);
    ForgetRun();
  }
  void RemoveAll() {
    Base::RemoveAll();
    ForgetRun();
  }
  void Destroy() {
    Base::Destroy();
    ForgetRun();
  }

  // Positions are the bag's own.
  void InsertAt(int, I*) = delete;
  void MoveTo(int, int) = delete;

 private:
  // Below this count an insertion shifts at most a few cache lines.
  static constexpr int kDirectLimit = 64;
  static constexpr std::uintptr_t kEmptySlot = ~std::uintptr_t{0};

  static std::uintptr_t Key(I* p) { return reinterpret_cast<std::uintptr_t>(p); }
  // Fibonacci hashing: the high bits of the product, as many as the mask has.
  static std::size_t Slot(std::uintptr_t key, std::size_t mask) {
    const int bits = std::popcount(mask);
    return static_cast<std::size_t>((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> (64 - bits)) & mask;
  }

  // Binary search of the sorted part: true with the item's index, or false
  // with the index where it would go. Branch-free halving: the next probe
  // does not wait on a mispredicted comparison.
  bool SearchSorted(std::uintptr_t key, int* index) const {
    int n = m_sorted;
    if (n == 0) {
      *index = 0;
      return false;
    }
    I* const* base = this->m_items;
    while (n > 1) {
      const int half = n / 2;
      base = Key(base[half]) <= key ? base + half : base;
      n -= half;
    }
    const std::uintptr_t at = Key(*base);
    const int i = static_cast<int>(base - this->m_items);
    *index = at < key ? i + 1 : i;
    return at == key;
  }
  bool RunContains(std::uintptr_t key) const {
    const std::size_t mask = m_run.size() - 1;
    for (std::size_t s = Slot(key, mask);; s = (s + 1) & mask) {
      if (m_run[s] == key) return true;
      if (m_run[s] == kEmptySlot) return false;
    }
  }
  static void PutInRun(std::vector<std::uintptr_t>& run, std::uintptr_t key) {
    const std::size_t mask = run.size() - 1;
    std::size_t s = Slot(key, mask);
    while (run[s] != kEmptySlot) s = (s + 1) & mask;
    run[s] = key;
  }
  // Appends the item to the unsorted run. The hash set is made room for
  // first and the table grows next, so that a failure leaves the bag as it
  // was.
  void AppendToRun(I* item, std::uintptr_t key) {
    const std::size_t members = static_cast<std::size_t>(this->m_count - m_sorted) + 1;
    if (members * 2 > m_run.size()) {
      std::vector<std::uintptr_t> larger(m_run.empty() ? 256 : m_run.size() * 2, kEmptySlot);
      for (std::uintptr_t k : m_run)
        if (k != kEmptySlot) PutInRun(larger, k);
      m_run.swap(larger);
    }
    Base::Add(item);
    PutInRun(m_run, key);
  }
  void ForgetRun() {
    std::vector<std::uintptr_t>().swap(m_run);
    m_sorted = this->m_count;
  }
  // Sorts the run and merges it into the sorted part.
  void Settle() {
    if (m_sorted >= this->m_count) return;
    I** items = this->m_items;
    const auto less = [](I* a, I* b) { return Key(a) < Key(b); };
    std::sort(items + m_sorted, items + this->m_count, less);
    std::inplace_merge(items, items + m_sorted, items + this->m_count, less);
    ForgetRun();
  }
  // Reading a position settles the run first. A bag defined const never has
  // a run (copies settle), so the cast only ever touches a mutable object.
  const SComBag& Settled() const {
    if (m_sorted < this->m_count) const_cast<SComBag*>(this)->Settle();
    return *this;
  }

  int m_sorted = 0;
  std::vector<std::uintptr_t> m_run;
};

// A bag that also lists its members in insertion order; iteration follows
// that order. The references are held by the bag part.
template <class I, class IP = I*>
class SUnsortedComBag : public SComBag<I, IP> {
  using Base = SComBag<I, IP>;

 public:
  SUnsortedComBag() = default;

  // 1 when added, 0 when present (nothing changes then).
  int Add(I* item) {
    if (!Base::Add(item)) return 0;
    try {
      m_order.Add(item);
    } catch (...) {
      Base::Remove(item);
      throw;
    }
    return 1;
  }
  bool Remove(I* item) {
    if (!Base::Remove(item)) return false;
    const int i = m_order.Find(item);
    if (i >= 0) m_order.Remove(i);
    return true;
  }
  void RemoveAll() {
    m_order.Clear();
    Base::RemoveAll();
  }
  void Destroy() {
    m_order.Clear();
    Base::Destroy();
  }
  void RemoveAt(int) = delete;

  int GetOrderCount() const { return m_order.GetCount(); }
  // The i-th member in insertion order.
  I* GetOrderAt(int i) const { return i >= 0 && i < m_order.GetCount() ? m_order.GetAt(i) : nullptr; }
  const STableDumb<I*>& GetOrder() const { return m_order; }
  I* const* begin() const { return m_order.begin(); }
  I* const* end() const { return m_order.end(); }

 private:
  STableDumb<I*> m_order;
};

// A sorted map from raw object pointer to object pointer that holds one
// reference to each non-null value and none to the keys.
template <class K, class V>
class SComMap : public SMap<K, V> {
  using Base = SMap<K, V>;

 public:
  SComMap() = default;
  SComMap(const SComMap&) = delete;
  SComMap& operator=(const SComMap&) = delete;
  ~SComMap() override { RemoveAll(); }

  // 1 when the key had no value and now has one; 0 otherwise.
  int SetAt(const K& key, V value) {
    V& stored = Base::operator[](key);
    if (!stored && value) {
      value->AddRef();
      stored = value;
      return 1;
    }
    if (value != stored) {
      if (value) value->AddRef();
      V old = stored;
      stored = nullptr;
      if (old) old->Release();
      stored = value;
    }
    return 0;
  }
  // The value of the key, or null.
  V Find(const K& key) const {
    const V* p = Base::Find(key);
    return p ? *p : nullptr;
  }
  // Removes the key's entry and releases its value.
  bool Remove(const K& key) {
    __STreeEntry* e = Base::GetEntry(key);
    if (!e) return false;
    V value = Base::GetValue(e);
    Base::GetValue(e) = nullptr;
    this->RemoveEntry(e);
    if (value) value->Release();
    return true;
  }
  // Releases every value in key order, then empties the map.
  void RemoveAll() {
    for (__STreeEntry* e = this->GetFirstEntry(); e; e = __STree::Successor(e)) {
      V value = Base::GetValue(e);
      Base::GetValue(e) = nullptr;
      if (value) value->Release();
    }
    this->Clear();
  }

  // Values change only through SetAt, which keeps the references.
  V& operator[](const K&) = delete;
};
