// SPtrSet and SAddrMap: a set of object addresses, and a map from object
// addresses to small values, each in one flat table (open addressing with
// linear probing). Questions about tens of thousands of objects (a selection
// of a whole diagram, the objects one undo step creates or deletes, where
// each member of a large collection lies) then cost no allocation per member
// and touch one cache line each, where a node-based table allocates, links
// and later frees a node per member.
//
// Neither keeps an order (callers that need one keep their own list beside
// it). They hold no references. Null is never a key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sptr_detail {

// The table both are made of: Slot has a `key` (the address) and whatever it
// keeps beside it.
template <class Slot>
class FlatTable {
 public:
  std::size_t Size() const { return m_size; }

  // The slot of key, or null.
  Slot* Find(std::uintptr_t key) {
    if (!key || m_slots.empty()) return nullptr;
    for (std::size_t i = Home(key);; i = (i + 1) & Mask()) {
      if (m_slots[i].key == key) return &m_slots[i];
      if (m_slots[i].key == kEmpty) return nullptr;
    }
  }
  const Slot* Find(std::uintptr_t key) const { return const_cast<FlatTable*>(this)->Find(key); }

  // A fresh slot for key, which must not be in the table (nor null).
  Slot& Add(std::uintptr_t key) {
    if ((m_used + 1) * 4 > m_slots.size() * 3) Rehash(m_size + 1);
    std::size_t i = Home(key);
    while (m_slots[i].key != kEmpty && m_slots[i].key != kGone) i = (i + 1) & Mask();
    if (m_slots[i].key == kEmpty) ++m_used;
    m_slots[i] = Slot{};
    m_slots[i].key = key;
    ++m_size;
    return m_slots[i];
  }

  // True when key was in the table.
  bool Erase(std::uintptr_t key) {
    Slot* s = Find(key);
    if (!s) return false;
    s->key = kGone;  // the probe chains through this slot stay intact
    --m_size;
    return true;
  }

  void Reserve(std::size_t n) {
    if (n * 4 > m_slots.size() * 3) Rehash(n);
  }

  // Empties the table. A table that was mostly empty is given back, so that
  // one that once held many and now holds few does not clear a large table
  // on every change; a full one is kept for the next fill of the same size.
  void Clear() {
    if (m_size * 8 < m_slots.size()) {
      std::vector<Slot>().swap(m_slots);
    } else {
      m_slots.assign(m_slots.size(), Slot{});
    }
    m_size = m_used = 0;
  }

 private:
  // No object lives at address 0 or at the last address of the space.
  static constexpr std::uintptr_t kEmpty = 0;
  static constexpr std::uintptr_t kGone = ~static_cast<std::uintptr_t>(0);

  std::size_t Mask() const { return m_slots.size() - 1; }
  // Fibonacci hashing: objects lie at multiples of their alignment, so the
  // low bits alone would crowd into a few slots.
  std::size_t Home(std::uintptr_t key) const {
    const std::uint64_t h = static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h >> (64 - m_bits));
  }

  // A table for at least n keys at most three quarters full, the keys
  // re-entered and the vacated slots dropped.
  void Rehash(std::size_t n) {
    unsigned bits = 4;
    while ((std::size_t{1} << bits) * 3 < n * 4 + 4) ++bits;
    std::vector<Slot> old(std::size_t{1} << bits, Slot{});
    old.swap(m_slots);
    m_bits = bits;
    m_used = 0;
    for (const Slot& s : old) {
      if (s.key == kEmpty || s.key == kGone) continue;
      std::size_t i = Home(s.key);
      while (m_slots[i].key != kEmpty) i = (i + 1) & Mask();
      m_slots[i] = s;
      ++m_used;
    }
  }

  std::vector<Slot> m_slots;  // a power of two long, or empty
  unsigned m_bits = 0;
  std::size_t m_size = 0;  // keys
  std::size_t m_used = 0;  // keys and vacated slots
};

inline std::uintptr_t KeyOf(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

// What a set and a map of addresses share: the table and its size. The
// address is taken as a T, so a derived object's pointer is adjusted to its
// T part, as in every other call.
template <class T, class Slot>
class AddrTable {
 public:
  std::size_t Size() const { return m_table.Size(); }
  bool IsEmpty() const { return Size() == 0; }

  // True when the address was a member (a key).
  bool Erase(const T* p) { return m_table.Erase(KeyOf(p)); }

  // Room for n members without growing.
  void Reserve(std::size_t n) { m_table.Reserve(n); }
  void Clear() { m_table.Clear(); }

 protected:
  FlatTable<Slot> m_table;
};

struct KeySlot {
  std::uintptr_t key = 0;
};

template <class V>
struct KeyValueSlot {
  std::uintptr_t key = 0;
  V value{};
};

}  // namespace sptr_detail

template <class T>
class SPtrSet : public sptr_detail::AddrTable<T, sptr_detail::KeySlot> {
  using sptr_detail::AddrTable<T, sptr_detail::KeySlot>::m_table;

 public:
  bool Contains(const T* p) const { return m_table.Find(sptr_detail::KeyOf(p)) != nullptr; }

  // True when the address was not a member yet.
  bool Insert(const T* p) {
    if (!p || Contains(p)) return false;
    m_table.Add(sptr_detail::KeyOf(p));
    return true;
  }
};

// V is a small value (a pointer, an index) kept in the slot beside its key.
template <class T, class V>
class SAddrMap : public sptr_detail::AddrTable<T, sptr_detail::KeyValueSlot<V>> {
  using Base = sptr_detail::AddrTable<T, sptr_detail::KeyValueSlot<V>>;
  using Base::m_table;

 public:
  // The value of p, or null when p is no key.
  V* Find(const T* p) {
    auto* s = m_table.Find(sptr_detail::KeyOf(p));
    return s ? &s->value : nullptr;
  }
  const V* Find(const T* p) const {
    const auto* s = m_table.Find(sptr_detail::KeyOf(p));
    return s ? &s->value : nullptr;
  }

  // Sets the value of p (p not null), adding it as a key when it is none.
  void Set(const T* p, const V& value) {
    if (V* v = Find(p)) {
      *v = value;
    } else if (p) {
      m_table.Add(sptr_detail::KeyOf(p)).value = value;
    }
  }
};
