// Tables and lists: the growable arrays STable (elements built, copied and
// destroyed through the table's virtual operations), STableMem (elements built
// in place), STableDumb (items copied as bytes), the linked list SList, and
// the read cursors STbl_const_iterator and STbl_const_reverse_iterator, which
// test their index and report a bad one through the exception dialog.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "kvcore/sexception.h"

// Allocation policy tag of the container templates (the general heap).
template <class T>
struct SAllocator {};

// The item of a map: the key followed by the value.
template <class K, class V>
struct SPair {
  K key;
  V value;
  SPair() : key(), value() {}
  explicit SPair(const K& k) : key(k), value() {}
  SPair(const K& k, const V& v) : key(k), value(v) {}
};

// ---- core bases --------------------------------------------------------------

// A growable array of items copied and moved as bytes.
class __STableDumb {
 public:
  explicit __STableDumb(int itemSize);
  __STableDumb(const __STableDumb& other);
  __STableDumb& operator=(const __STableDumb& other);
  ~__STableDumb();

  int GetCount() const { return m_count; }
  int GetItemSize() const { return m_size; }
  // A copy of the item at index i (i equal to the count appends); answers
  // the new item's address.
  void* Insert(int i, const void* item);
  // Room for a new item at index i, later items moved up; zero-filled.
  void* NewAt(int i);
  void Remove(int i, int n = 1);
  void* GetAt(int i);
  const void* GetAt(int i) const;
  void* GetArray() { return m_data; }
  const void* GetArray() const { return m_data; }
  void GrowTo(int n);
  void Clear();
  void Reverse();
  // Replaces the content with n items from a block.
  void CopyArray(const void* block, int n);

 private:
  void Reserve(int n);
  char* m_data = nullptr;
  int m_count = 0;
  int m_capacity = 0;
  int m_size;
};

// A growable array of constructed elements. The element operations are the
// table's virtual operations; the template derived from it supplies them.
class __STable {
 public:
  explicit __STable(int elementSize);
  __STable(const __STable&) = delete;
  virtual ~__STable();
  // Copies of the other's elements (same element type).
  __STable& operator=(const __STable& other);

  int GetCount() const { return m_count; }
  void* GetAt(int i);
  const void* GetAt(int i) const;
  // A copy of the element (CopyElement) placed at index i; i equal to the
  // count appends. The source may be an element of this table.
  void* Insert(int i, const void* element);
  // Unbuilt storage for a new element at index i, later elements moved up.
  void* NewAt(int i);
  // Gives up the unbuilt storage that NewAt made at index i.
  void DiscardAt(int i);
  void Remove(int i);
  void Swap(int i, int j);
  // Room for n elements without changing the count.
  void GrowTo(int n);
  // Every element destroyed, storage freed, count 0.
  void Clear();

 protected:
  virtual void DestroyElement(void* element) = 0;
  virtual void* CopyElement(void* target, const void* source) = 0;
  virtual void* AllocArray(int n);
  virtual void FreeArray(void* array);
  // Move-builds the element at target from source and destroys the source.
  virtual void RelocateElement(void* target, void* source) = 0;

  [[noreturn]] static void BadIndex(const char* function, int i, int count);

 private:
  char* Slot(int i) const { return m_data + static_cast<std::size_t>(i) * m_size; }
  void Reserve(int n);
  void OpenGap(int i);
  void CloseGap(int i);

  char* m_data = nullptr;
  int m_count = 0;
  int m_capacity = 0;
  int m_size;
};

// The base of STableMem: elements built in place in the table's storage.
class __STableMem : public __STable {
 public:
  using __STable::__STable;
};

struct __SListNode {
  __SListNode* next;
  __SListNode* prev;
};

// A circular doubly linked list closed by an end node that holds no element.
class __SList {
 public:
  static constexpr std::size_t ElementOffset =
      (sizeof(__SListNode) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);

  __SList();
  __SList(const __SList&) = delete;
  virtual ~__SList();
  __SList& operator=(const __SList& other);

  int GetCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }
  __SListNode* GetEnd() const { return const_cast<__SListNode*>(&m_end); }
  __SListNode* GetHead() const { return m_end.next; }
  __SListNode* GetTail() const { return m_end.prev; }
  // Links a new node holding a copy of the element before the given node
  // (before the end node appends); answers the new node.
  __SListNode* Insert(__SListNode* before, const void* element);
  // Unlinks a node, destroys its element and frees it.
  void Remove(__SListNode* node);
  void Clear();

  static void* ElementOf(__SListNode* node) { return reinterpret_cast<char*>(node) + ElementOffset; }
  static const void* ElementOf(const __SListNode* node) {
    return reinterpret_cast<const char*>(node) + ElementOffset;
  }

 protected:
  virtual void* NewNode() = 0;
  virtual void DeleteNode(void* node) = 0;
  virtual void DestroyElement(void* element) = 0;
  virtual void* CopyElement(void* target, const void* source) = 0;

 private:
  __SListNode m_end;
  int m_count = 0;
};

// ---- STable and STableMem -----------------------------------------------------

// The typed part that STable and STableMem share over their untyped base:
// elements of T, copied, moved and destroyed as T.
template <class Base, class T>
class STableTyped : public Base {
 public:
  STableTyped() : Base(static_cast<int>(sizeof(T))) {}
  STableTyped(const STableTyped& other) : Base(static_cast<int>(sizeof(T))) {
    this->GrowTo(other.GetCount());
    for (int i = 0; i < other.GetCount(); ++i) __STable::Insert(this->GetCount(), other.__STable::GetAt(i));
  }
  STableTyped& operator=(const STableTyped& other) {
    __STable::operator=(other);
    return *this;
  }
  ~STableTyped() override { this->Clear(); }

  T& GetAt(int i) { return *static_cast<T*>(__STable::GetAt(i)); }
  const T& GetAt(int i) const { return *static_cast<const T*>(__STable::GetAt(i)); }
  T& operator[](int i) { return GetAt(i); }
  const T& operator[](int i) const { return GetAt(i); }
  // Appends; answers the new element's index.
  int Add(const T& element) {
    __STable::Insert(this->GetCount(), std::addressof(element));
    return this->GetCount() - 1;
  }
  T& Insert(int i, const T& element) { return *static_cast<T*>(__STable::Insert(i, std::addressof(element))); }
  void RemoveAll() { this->Clear(); }
  bool IsEmpty() const { return this->GetCount() == 0; }

  T* begin() { return this->GetCount() ? &GetAt(0) : nullptr; }
  T* end() { return begin() + this->GetCount(); }
  const T* begin() const { return this->GetCount() ? &GetAt(0) : nullptr; }
  const T* end() const { return begin() + this->GetCount(); }

 protected:
  void DestroyElement(void* element) override { static_cast<T*>(element)->~T(); }
  void* CopyElement(void* target, const void* source) override {
    if (!target) return nullptr;
    return ::new (target) T(*static_cast<const T*>(source));
  }
  void RelocateElement(void* target, void* source) override {
    T* s = static_cast<T*>(source);
    ::new (target) T(std::move(*s));
    s->~T();
  }
};

template <class T, class A = SAllocator<T>>
class STable : public STableTyped<__STable, T> {
 public:
  using STableTyped<__STable, T>::GetAt;
  using __STable::GetCount;
  using __STable::Swap;

  // Linear search by equality (pointer equality for tables of pointers).
  bool Contains(const T& element) const { return Find(element) >= 0; }
  int Find(const T& element) const {
    for (int i = 0; i < GetCount(); ++i)
      if (GetAt(i) == element) return i;
    return -1;
  }

  // Sorts the elements lo..hi in place: a quicksort with the last element
  // as pivot; cmp(a, b) < 0 means a goes before b.
  template <class Cmp>
  void Sort(Cmp cmp, int lo, int hi) {
    if (lo < 0) lo = 0;
    if (hi >= GetCount()) hi = GetCount() - 1;
    while (hi > lo) {
      int i = lo - 1, j = hi;
      for (;;) {
        ++i;
        while (i < hi && cmp(GetAt(i), GetAt(hi)) < 0) ++i;
        --j;
        while (j >= lo && cmp(GetAt(j), GetAt(hi)) > 0) --j;
        if (i < j)
          Swap(i, j);
        else
          break;
      }
      Swap(i, hi);
      // The smaller side first, by recursion; the larger one by the loop.
      if (i - lo < hi - i) {
        Sort(cmp, lo, i - 1);
        lo = i + 1;
      } else {
        Sort(cmp, i + 1, hi);
        hi = i - 1;
      }
    }
  }
};

template <class T, class A = SAllocator<T>>
class STableMem : public STableTyped<__STableMem, T> {
 public:
  using __STable::GetCount;

  // A new default element at the end.
  T& AddNew() {
    const int i = GetCount();
    void* raw = this->NewAt(i);
    try {
      return *::new (raw) T();
    } catch (...) {
      this->DiscardAt(i);
      throw;
    }
  }
};

// ---- STableDumb ------------------------------------------------------------

template <class T>
class STableDumb {
  static_assert(std::is_trivially_copyable_v<T>, "STableDumb holds plain items");

 public:
  STableDumb() : m_table(static_cast<int>(sizeof(T))) {}
  STableDumb(const STableDumb&) = default;
  STableDumb& operator=(const STableDumb&) = default;
  ~STableDumb() { Clear(); }

  int GetCount() const { return m_table.GetCount(); }
  bool IsEmpty() const { return GetCount() == 0; }
  // Appends; answers the new index, or -1 when the table is still empty.
  int Add(const T& item) {
    m_table.Insert(GetCount(), std::addressof(item));
    return GetCount() > 0 ? GetCount() - 1 : -1;
  }
  T& Insert(int i, const T& item) { return *static_cast<T*>(m_table.Insert(i, std::addressof(item))); }
  T& NewAt(int i) { return *static_cast<T*>(m_table.NewAt(i)); }
  void Remove(int i, int n = 1) { m_table.Remove(i, n); }
  T& GetAt(int i) { return *static_cast<T*>(m_table.GetAt(i)); }
  const T& GetAt(int i) const { return *static_cast<const T*>(m_table.GetAt(i)); }
  T& operator[](int i) { return GetAt(i); }
  const T& operator[](int i) const { return GetAt(i); }
  T* GetArray() { return static_cast<T*>(m_table.GetArray()); }
  const T* GetArray() const { return static_cast<const T*>(m_table.GetArray()); }
  void GrowTo(int n) { m_table.GrowTo(n); }
  void Clear() { m_table.Clear(); }
  void RemoveAll() { Clear(); }
  void Reverse() { m_table.Reverse(); }
  void CopyArray(const T* block, int n) { m_table.CopyArray(block, n); }
  bool Contains(const T& item) const { return Find(item) >= 0; }
  int Find(const T& item) const {
    for (int i = 0; i < GetCount(); ++i)
      if (GetAt(i) == item) return i;
    return -1;
  }

  // For tables of object pointers: deletes every pointed object and empties
  // the table. A deleted object may remove itself from the table first.
  void DeleteAll()
    requires std::is_pointer_v<T>
  {
    while (GetCount() > 0) {
      T item = GetAt(0);
      if (item) delete item;
      if (GetCount() > 0 && GetAt(0) == item) Remove(0);
    }
  }

  T* begin() { return GetArray(); }
  T* end() { return GetArray() + GetCount(); }
  const T* begin() const { return GetArray(); }
  const T* end() const { return GetArray() + GetCount(); }

 private:
  __STableDumb m_table;
};

// ---- SList -----------------------------------------------------------------

template <class T, class A = SAllocator<T>>
class SList : public __SList {
 public:
  using Position = __SListNode*;

  SList() = default;
  SList(const SList& other) : __SList() {
    for (__SListNode* n = other.GetHead(); n != other.GetEnd(); n = n->next) __SList::Insert(GetEnd(), ElementOf(n));
  }
  SList& operator=(const SList& other) {
    __SList::operator=(other);
    return *this;
  }
  ~SList() override { Clear(); }

  static T& GetAt(__SListNode* node) { return *static_cast<T*>(ElementOf(node)); }
  __SListNode* AddTail(const T& element) { return __SList::Insert(GetEnd(), std::addressof(element)); }
  __SListNode* AddHead(const T& element) { return __SList::Insert(GetHead(), std::addressof(element)); }
  __SListNode* InsertBefore(__SListNode* before, const T& element) {
    return __SList::Insert(before, std::addressof(element));
  }
  void RemoveAll() { Clear(); }
  bool Contains(const T& element) const {
    for (__SListNode* n = GetHead(); n != GetEnd(); n = n->next)
      if (GetAt(n) == element) return true;
    return false;
  }

  template <class Ref>
  class Iter {
   public:
    explicit Iter(__SListNode* n) : m_n(n) {}
    Ref operator*() const { return GetAt(m_n); }
    Iter& operator++() {
      m_n = m_n->next;
      return *this;
    }
    bool operator==(const Iter& o) const { return m_n == o.m_n; }
    bool operator!=(const Iter& o) const { return m_n != o.m_n; }

   private:
    __SListNode* m_n;
  };
  Iter<T&> begin() { return Iter<T&>(GetHead()); }
  Iter<T&> end() { return Iter<T&>(GetEnd()); }
  Iter<const T&> begin() const { return Iter<const T&>(GetHead()); }
  Iter<const T&> end() const { return Iter<const T&>(GetEnd()); }

 protected:
  void* NewNode() override { return ::operator new(ElementOffset + sizeof(T), std::nothrow); }
  void DeleteNode(void* node) override { ::operator delete(node); }
  void DestroyElement(void* element) override { static_cast<T*>(element)->~T(); }
  void* CopyElement(void* target, const void* source) override {
    if (!target) return nullptr;
    return ::new (target) T(*static_cast<const T*>(source));
  }
};

// ---- cursors -----------------------------------------------------------------

namespace kvtable_detail {
inline constexpr const char* kTableFile = "core/h/tablemem";
inline constexpr int kForwardLine = 752;
inline constexpr int kReverseLine = 579;
inline constexpr const char* kForwardText =
    "table const_iterator growing table!\nPlease report this exception (this will soon become fatal real "
    "exception)!";
inline constexpr const char* kReverseText =
    "table const_reverse_iterator growing table!\nPlease report this exception (this will soon become fatal "
    "real exception)!";
// Shows the report of a bad cursor dereference.
void ReportBadCursor(const char* function, int line, const char* text);

// What a bad dereference yields after the report: the last element, or a
// default element of an empty table; never storage outside the table.
template <class T, class TTable>
const T& Fallback(const TTable& table) {
  if (table.GetCount() > 0) return table.GetAt(table.GetCount() - 1);
  static const T empty{};
  return empty;
}
}  // namespace kvtable_detail

// Forward cursor: the table and an index.
template <class T, class TTable>
class STbl_const_iterator {
 public:
  explicit STbl_const_iterator(const TTable& table, int index = 0) : m_table(&table), m_index(index) {}

  bool IsValid() const { return m_index >= 0 && m_index < m_table->GetCount(); }
  int GetIndex() const { return m_index; }
  const T& operator*() const {
    if (!IsValid()) {
      kvtable_detail::ReportBadCursor(__PRETTY_FUNCTION__, kvtable_detail::kForwardLine, kvtable_detail::kForwardText);
      return kvtable_detail::Fallback<T>(*m_table);
    }
    return m_table->GetAt(m_index);
  }
  const T* operator->() const { return std::addressof(**this); }
  // A negative index becomes its one's complement; any other steps by one.
  STbl_const_iterator& operator++() {
    m_index = m_index < 0 ? ~m_index : m_index + 1;
    return *this;
  }

 private:
  const TTable* m_table;
  int m_index;
};

// Reverse cursor: the table and a position one past the element designated
// (element index = position - 1); starts at the count (the last element).
template <class T, class TTable>
class STbl_const_reverse_iterator {
 public:
  explicit STbl_const_reverse_iterator(const TTable& table) : m_table(&table), m_pos(table.GetCount()) {}
  STbl_const_reverse_iterator(const TTable& table, int position) : m_table(&table), m_pos(position) {}

  bool IsValid() const { return m_pos >= 1 && m_pos <= m_table->GetCount(); }
  int GetPosition() const { return m_pos; }
  const T& operator*() const {
    if (!IsValid()) {
      kvtable_detail::ReportBadCursor(__PRETTY_FUNCTION__, kvtable_detail::kReverseLine, kvtable_detail::kReverseText);
      return kvtable_detail::Fallback<T>(*m_table);
    }
    return m_table->GetAt(m_pos - 1);
  }
  const T* operator->() const { return std::addressof(**this); }
  // A negative position becomes its one's complement; then one step toward
  // the front from a position above 0.
  STbl_const_reverse_iterator& operator++() {
    if (m_pos < 0) m_pos = ~m_pos;
    if (m_pos > 0) --m_pos;
    return *this;
  }

 private:
  const TTable* m_table;
  int m_pos;
};
