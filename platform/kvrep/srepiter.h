// SRepIter<I, &IID>: a repository iterator whose current element is held as
// a counted reference to interface I. It walks either a repository
// collection (an object's collection by member id, or a class collection),
// through SRepObjIteratorBase, or a table of raw interface pointers.
//
// The forward and reverse object iterators, the collection iterator that
// follows removals (SRepColIterator) and the object map (SRepMapObject) live
// in kvrep/srepobject.h and kvrep/srepextras.h.
#pragma once

#include <concepts>

#include "kvcore/scomwrap.h"
#include "kvrep/srepintf.h"
#include "kvrep/srepobject.h"

// The flags word of the repository iterators: the mode in the low bits, the
// walking direction in SRepIterReverse.
enum : DWORD {
  SRepIterModeCollection = 0x1,  // a repository collection
  SRepIterModeTable = 0x2,       // a table of raw interface pointers
  SRepIterModeMask = 0x3,
  SRepIterReverse = 0x40,
};

// A table an SRepIter can walk: a count and the raw pointer at an index
// (held by the table, no reference added).
template <class T>
concept SRepIterTable = !std::derived_from<T, SRepClassColPtr> && requires(const T& t, int i) {
  { t.GetCount() } -> std::convertible_to<int>;
  { t.GetAt(i) } -> std::convertible_to<IUnknown*>;
};

template <class I, const IID* piid = SComTraits<I>::piid>
class SRepIter {
 public:
  using Wrap = SComWrap<I, piid>;

  // An iterator over nothing: done at once, no current element.
  SRepIter() = default;
  // The members of an object's collection.
  SRepIter(ISRepObject* obj, LONG id, bool reverse = false) { Init(obj, id, reverse); }
  // The members of a class collection.
  explicit SRepIter(const SRepClassColPtr& col, bool reverse = false) { Init(col, reverse); }
  explicit SRepIter(ISRepClassCol* col, bool reverse = false) { Init(col, reverse); }
  // The items of a table of raw pointers. The table is read as it is at each
  // step (not copied), so it must outlive the iterator; items that leave
  // the table's range while walking read as null.
  template <SRepIterTable T>
  explicit SRepIter(const T& table, bool reverse = false) {
    Init(table, reverse);
  }
  virtual ~SRepIter() = default;
  SRepIter(const SRepIter&) = delete;
  SRepIter& operator=(const SRepIter&) = delete;

  // Each Init starts the walk again on the first element and fetches it.
  HRESULT Init(ISRepObject* obj, LONG id, bool reverse = false) {
    Start(SRepIterModeCollection, reverse);
    const HRESULT hr = m_col.Init(obj, id, reverse);
    Fetch();
    return hr;
  }
  HRESULT Init(ISRepClassCol* col, bool reverse = false) {
    Start(SRepIterModeCollection, reverse);
    const HRESULT hr = m_col.Init(col, reverse);
    Fetch();
    return hr;
  }
  HRESULT Init(const SRepClassColPtr& col, bool reverse = false) { return Init(col.Get(), reverse); }
  template <SRepIterTable T>
  HRESULT Init(const T& table, bool reverse = false) {
    Start(SRepIterModeTable, reverse);
    m_col.Init(static_cast<ISRepClassCol*>(nullptr));  // gives back the members of an earlier walk
    m_table = &table;
    m_tableCount = [](const void* t) { return static_cast<int>(static_cast<const T*>(t)->GetCount()); };
    m_tableAt = [](const void* t, int i) -> IUnknown* { return static_cast<const T*>(t)->GetAt(i); };
    Reset();
    return S_OK;
  }

  // Back on the first element (the last one when walking in reverse).
  void Reset() {
    if (Mode() == SRepIterModeCollection)
      m_col.Reset();
    else if (Mode() == SRepIterModeTable)
      m_pos = IsReverse() ? TableCount() : 0;
    Fetch();
  }
  // On to the next element; nothing once the walk is done.
  void Step() {
    if (Mode() == SRepIterModeCollection) {
      m_col.Step();
    } else if (Mode() == SRepIterModeTable) {
      if (IsReverse()) {
        if (m_pos > 0) --m_pos;
      } else if (m_pos >= 0 && m_pos < TableCount()) {
        ++m_pos;
      }
    }
    Fetch();
  }
  SRepIter& operator++() {
    Step();
    return *this;
  }
  // True when no position is left. A position whose element does not answer
  // I is not the end: its current element is null.
  bool IsDone() const {
    switch (Mode()) {
      case SRepIterModeCollection: return m_col.IsDone();
      case SRepIterModeTable: return IsReverse() ? m_pos < 1 : (m_pos < 0 || m_pos >= TableCount());
      default: return true;
    }
  }

  // Reads the element at the current position as I into the current
  // reference (null when there is none or it does not answer I); true when
  // there is no current element.
  bool Fetch() {
    if (Mode() == SRepIterModeCollection) {
      m_cur.Reset();
      I* p = nullptr;
      if (SUCCEEDED(m_col.Current(*piid, reinterpret_cast<void**>(&p)))) m_cur.Attach(p);
    } else if (Mode() == SRepIterModeTable) {
      IUnknown* item = nullptr;
      const int count = TableCount();
      if (IsReverse()) {
        if (m_pos >= 1 && m_pos <= count) item = m_tableAt(m_table, m_pos - 1);
      } else if (m_pos >= 0 && m_pos < count) {
        item = m_tableAt(m_table, m_pos);
      }
      m_cur._QueryFrom(item);
    } else {
      m_cur.Reset();
    }
    return m_cur.IsNull();
  }

  // The current element (no reference added), or null.
  I* Get() const { return m_cur.Get(); }
  operator I*() const { return m_cur.Get(); }
  // The current element; throws SECOMException (E_POINTER) when there is none.
  I* operator->() const { return m_cur.operator->(); }
  const Wrap& Current() const { return m_cur; }

  DWORD GetFlags() const { return m_flags; }
  bool IsReverse() const { return (m_flags & SRepIterReverse) != 0; }
  // The position: the step count from the start for a collection; the table
  // index (forward) or the index after the element (reverse) for a table.
  int GetPos() const { return Mode() == SRepIterModeCollection ? m_col.GetPos() : m_pos; }
  // The number of elements walked: the collection's members at Init, or the
  // table's present count.
  int GetCount() const {
    return Mode() == SRepIterModeCollection ? m_col.GetCount() : (Mode() == SRepIterModeTable ? TableCount() : 0);
  }

 private:
  DWORD Mode() const { return m_flags & SRepIterModeMask; }
  void Start(DWORD mode, bool reverse) {
    m_cur.Reset();
    m_flags = mode | (reverse ? DWORD{SRepIterReverse} : DWORD{0});
    m_table = nullptr;
    m_tableCount = nullptr;
    m_tableAt = nullptr;
    m_pos = 0;
  }
  int TableCount() const { return m_table ? m_tableCount(m_table) : 0; }

  DWORD m_flags = 0;
  SRepObjIteratorBase m_col;  // mode 1
  const void* m_table = nullptr;  // mode 2
  int (*m_tableCount)(const void*) = nullptr;
  IUnknown* (*m_tableAt)(const void*, int) = nullptr;
  int m_pos = 0;
  Wrap m_cur;
};
