#include "kvcore/stable.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>

#include "kvcore/sexceptiondlg.h"

namespace {
constexpr const char* kSourceFile = "core/h/tablemem";

// Next capacity for at least n items: doubling from 4.
int NextCapacity(int capacity, int n) {
  long long c = capacity < 4 ? 4 : capacity;
  while (c < n) c *= 2;
  if (c > std::numeric_limits<int>::max()) c = std::numeric_limits<int>::max();
  return static_cast<int>(c);
}

[[noreturn]] void ThrowBadIndex(const char* function, int i, int count) {
  throw SException(SString(("table index " + std::to_string(i) + " out of range (count " + std::to_string(count) + ")")
                               .c_str()),
                   function, kSourceFile, 0);
}
}  // namespace

void kvtable_detail::ReportBadCursor(const char* function, int line, const char* text) {
  SExceptionDialog::Show(function, kTableFile, line, SString(text));
}

// ---- __STableDumb ------------------------------------------------------------

__STableDumb::__STableDumb(int itemSize) : m_size(itemSize > 0 ? itemSize : 1) {}

__STableDumb::__STableDumb(const __STableDumb& other) : m_size(other.m_size) {
  CopyArray(other.m_data, other.m_count);
}

__STableDumb& __STableDumb::operator=(const __STableDumb& other) {
  if (this != &other) {
    if (m_size != other.m_size) {
      Clear();
      m_size = other.m_size;
    }
    CopyArray(other.m_data, other.m_count);
  }
  return *this;
}

__STableDumb::~__STableDumb() { std::free(m_data); }

void __STableDumb::Reserve(int n) {
  if (n <= m_capacity) return;
  const int capacity = NextCapacity(m_capacity, n);
  void* p = std::realloc(m_data, static_cast<std::size_t>(capacity) * m_size);
  if (!p) throw SEOutOfMemory(__PRETTY_FUNCTION__, kSourceFile, __LINE__);
  m_data = static_cast<char*>(p);
  m_capacity = capacity;
}

void* __STableDumb::NewAt(int i) {
  if (i < 0 || i > m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  Reserve(m_count + 1);
  char* at = m_data + static_cast<std::size_t>(i) * m_size;
  std::memmove(at + m_size, at, static_cast<std::size_t>(m_count - i) * m_size);
  std::memset(at, 0, m_size);
  ++m_count;
  return at;
}

void* __STableDumb::Insert(int i, const void* item) {
  if (i < 0 || i > m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  const char* src = static_cast<const char*>(item);
  if (m_data && src >= m_data && src < m_data + static_cast<std::size_t>(m_capacity) * m_size) {
    // The item lies in this table's own storage, which may move: copy it out first.
    std::string copy(src, static_cast<std::size_t>(m_size));
    void* at = NewAt(i);
    std::memcpy(at, copy.data(), m_size);
    return at;
  }
  void* at = NewAt(i);
  std::memcpy(at, src, m_size);
  return at;
}

void __STableDumb::Remove(int i, int n) {
  if (n <= 0) return;
  if (i < 0 || i >= m_count || n > m_count - i) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  char* at = m_data + static_cast<std::size_t>(i) * m_size;
  std::memmove(at, at + static_cast<std::size_t>(n) * m_size, static_cast<std::size_t>(m_count - i - n) * m_size);
  m_count -= n;
}

void* __STableDumb::GetAt(int i) {
  if (i < 0 || i >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  return m_data + static_cast<std::size_t>(i) * m_size;
}

const void* __STableDumb::GetAt(int i) const {
  if (i < 0 || i >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  return m_data + static_cast<std::size_t>(i) * m_size;
}

void __STableDumb::GrowTo(int n) { Reserve(n); }

void __STableDumb::Clear() {
  std::free(m_data);
  m_data = nullptr;
  m_count = m_capacity = 0;
}

void __STableDumb::Reverse() {
  if (m_count < 2) return;
  std::string tmp(static_cast<std::size_t>(m_size), '\0');
  for (int i = 0, j = m_count - 1; i < j; ++i, --j) {
    char* a = m_data + static_cast<std::size_t>(i) * m_size;
    char* b = m_data + static_cast<std::size_t>(j) * m_size;
    std::memcpy(tmp.data(), a, m_size);
    std::memcpy(a, b, m_size);
    std::memcpy(b, tmp.data(), m_size);
  }
}

void __STableDumb::CopyArray(const void* block, int n) {
  if (n <= 0 || !block) {
    m_count = 0;
    return;
  }
  const char* src = static_cast<const char*>(block);
  if (m_data && src >= m_data && src < m_data + static_cast<std::size_t>(m_capacity) * m_size) {
    // A block inside this table's own storage: copy it out first.
    std::string copy(src, static_cast<std::size_t>(n) * m_size);
    Reserve(n);
    std::memcpy(m_data, copy.data(), copy.size());
  } else {
    Reserve(n);
    std::memcpy(m_data, src, static_cast<std::size_t>(n) * m_size);
  }
  m_count = n;
}

// ---- __STable ----------------------------------------------------------------

__STable::__STable(int elementSize) : m_size(elementSize > 0 ? elementSize : 1) {}

__STable::~__STable() {
  // The template cleared the table; storage left by a failed construction is
  // freed here without touching elements.
  if (m_data) ::operator delete(m_data);
}

void* __STable::AllocArray(int n) {
  if (n < 0) n = 0;
  return ::operator new(static_cast<std::size_t>(n) * m_size, std::nothrow);
}

void __STable::FreeArray(void* array) { ::operator delete(array); }

void __STable::BadIndex(const char* function, int i, int count) { ThrowBadIndex(function, i, count); }

void* __STable::GetAt(int i) {
  if (i < 0 || i >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  return Slot(i);
}

const void* __STable::GetAt(int i) const {
  if (i < 0 || i >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  return Slot(i);
}

void __STable::Reserve(int n) {
  if (n <= m_capacity) return;
  const int capacity = NextCapacity(m_capacity, n);
  char* data = static_cast<char*>(AllocArray(capacity));
  if (!data) throw SEOutOfMemory(__PRETTY_FUNCTION__, kSourceFile, __LINE__);
  for (int i = 0; i < m_count; ++i)
    RelocateElement(data + static_cast<std::size_t>(i) * m_size, Slot(i));
  if (m_data) FreeArray(m_data);
  m_data = data;
  m_capacity = capacity;
}

// Moves elements i.. up one slot (room must exist); slot i is left unbuilt.
void __STable::OpenGap(int i) {
  for (int k = m_count; k > i; --k) RelocateElement(Slot(k), Slot(k - 1));
  ++m_count;
}

// Moves elements i+1.. down one slot over the unbuilt slot i.
void __STable::CloseGap(int i) {
  for (int k = i; k < m_count - 1; ++k) RelocateElement(Slot(k), Slot(k + 1));
  --m_count;
}

void* __STable::NewAt(int i) {
  if (i < 0 || i > m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  Reserve(m_count + 1);
  OpenGap(i);
  return Slot(i);
}

void __STable::DiscardAt(int i) {
  if (i < 0 || i >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  CloseGap(i);
}

void* __STable::Insert(int i, const void* element) {
  if (i < 0 || i > m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  const char* src = static_cast<const char*>(element);
  const bool inside = m_data && src >= m_data && src < Slot(m_count);
  if (m_count == m_capacity) {
    // Build the copy in the new storage while the source is still in place.
    const int capacity = NextCapacity(m_capacity, m_count + 1);
    char* data = static_cast<char*>(AllocArray(capacity));
    if (!data) throw SEOutOfMemory(__PRETTY_FUNCTION__, kSourceFile, __LINE__);
    try {
      CopyElement(data + static_cast<std::size_t>(i) * m_size, element);
    } catch (...) {
      FreeArray(data);
      throw;
    }
    for (int k = 0; k < m_count; ++k)
      RelocateElement(data + static_cast<std::size_t>(k < i ? k : k + 1) * m_size, Slot(k));
    if (m_data) FreeArray(m_data);
    m_data = data;
    m_capacity = capacity;
    ++m_count;
    return Slot(i);
  }
  OpenGap(i);
  // A source at or after i has moved up one slot.
  if (inside && src >= Slot(i)) src += m_size;
  try {
    CopyElement(Slot(i), src);
  } catch (...) {
    CloseGap(i);
    throw;
  }
  return Slot(i);
}

void __STable::Remove(int i) {
  if (i < 0 || i >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  DestroyElement(Slot(i));
  CloseGap(i);
}

void __STable::Swap(int i, int j) {
  if (i < 0 || i >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, i, m_count);
  if (j < 0 || j >= m_count) ThrowBadIndex(__PRETTY_FUNCTION__, j, m_count);
  if (i == j) return;
  void* tmp = ::operator new(static_cast<std::size_t>(m_size));
  RelocateElement(tmp, Slot(i));
  RelocateElement(Slot(i), Slot(j));
  RelocateElement(Slot(j), tmp);
  ::operator delete(tmp);
}

void __STable::GrowTo(int n) { Reserve(n); }

void __STable::Clear() {
  for (int i = 0; i < m_count; ++i) DestroyElement(Slot(i));
  m_count = 0;
  if (m_data) FreeArray(m_data);
  m_data = nullptr;
  m_capacity = 0;
}

__STable& __STable::operator=(const __STable& other) {
  if (this == &other) return *this;
  Clear();
  Reserve(other.m_count);
  for (int i = 0; i < other.m_count; ++i) {
    CopyElement(Slot(i), other.Slot(i));
    ++m_count;
  }
  return *this;
}

// ---- __SList -------------------------------------------------------------------

__SList::__SList() { m_end.next = m_end.prev = &m_end; }

__SList::~__SList() {
  // The template cleared the list before this runs.
}

__SListNode* __SList::Insert(__SListNode* before, const void* element) {
  if (!before) before = &m_end;
  void* raw = NewNode();
  if (!raw) throw SEOutOfMemory(__PRETTY_FUNCTION__, kSourceFile, __LINE__);
  __SListNode* node = static_cast<__SListNode*>(raw);
  try {
    CopyElement(ElementOf(node), element);
  } catch (...) {
    DeleteNode(raw);
    throw;
  }
  node->next = before;
  node->prev = before->prev;
  before->prev->next = node;
  before->prev = node;
  ++m_count;
  return node;
}

void __SList::Remove(__SListNode* node) {
  if (!node || node == &m_end) return;
  node->prev->next = node->next;
  node->next->prev = node->prev;
  --m_count;
  DestroyElement(ElementOf(node));
  DeleteNode(node);
}

void __SList::Clear() {
  __SListNode* n = m_end.next;
  m_end.next = m_end.prev = &m_end;
  m_count = 0;
  while (n != &m_end) {
    __SListNode* next = n->next;
    DestroyElement(ElementOf(n));
    DeleteNode(n);
    n = next;
  }
}

__SList& __SList::operator=(const __SList& other) {
  if (this == &other) return *this;
  Clear();
  for (const __SListNode* n = other.m_end.next; n != &other.m_end; n = n->next) Insert(&m_end, ElementOf(n));
  return *this;
}
