// SPtrOwnTable: a table of objects held by pointer and owned by the table:
// it deletes them when they are removed and when it ends. Null items are
// not taken.
#pragma once

#include "kvcore/stable.h"

template <class T>
class SPtrOwnTable {
 public:
  SPtrOwnTable() = default;
  ~SPtrOwnTable() { RemoveAll(); }
  SPtrOwnTable(const SPtrOwnTable&) = delete;
  SPtrOwnTable& operator=(const SPtrOwnTable&) = delete;

  int GetCount() const { return m_items.GetCount(); }
  bool IsEmpty() const { return GetCount() == 0; }
  // Takes the item; answers its index, or -1 for null.
  int Add(T* item) {
    if (!item) return -1;
    m_items.Add(item);
    return GetCount() - 1;
  }
  // The item at i; null outside the table.
  T* GetAt(int i) const { return i >= 0 && i < GetCount() ? m_items.GetAt(i) : nullptr; }
  T* operator[](int i) const { return GetAt(i); }
  // Deletes the item at i (nothing outside the table).
  void RemoveAt(int i) {
    if (i < 0 || i >= GetCount()) return;
    T* item = m_items.GetAt(i);
    m_items.Remove(i);
    delete item;
  }
  void RemoveAll() {
    while (GetCount() > 0) RemoveAt(GetCount() - 1);
  }

 private:
  STableDumb<T*> m_items;
};
