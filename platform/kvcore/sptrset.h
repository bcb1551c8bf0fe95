// SPtrSet: a set of object addresses in one flat table (open addressing with
// linear probing). Membership questions about tens of thousands of objects
// (a selection of a whole diagram, the objects one undo step creates or
// deletes) then cost no allocation per member and touch one cache line each,
// where a node-based set allocates, links and later frees a node per member.
//
// The set answers membership only: it keeps no order (callers that need one
// keep their own list beside it). It holds no references. Null is never a
// member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

template <class T>
class SPtrSet {
 public:
  std::size_t Size() const { return m_size; }
  bool IsEmpty() const { return m_size == 0; }

  bool Contains(const T* p) const {
    if (!p || m_slots.empty()) return false;
    for (std::size_t i = Home(Key(p));; i = (i + 1) & Mask()) {
      if (m_slots[i] == Key(p)) return true;
      if (m_slots[i] == kEmpty) return false;
    }
  }

  // True when the address was not a member yet.
  bool Insert(const T* p) {
    if (!p || Contains(p)) return false;
    if ((m_used + 1) * 4 > m_slots.size() * 3) Rehash(m_size + 1);
    std::size_t i = Home(Key(p));
    while (m_slots[i] != kEmpty && m_slots[i] != kGone) i = (i + 1) & Mask();
    if (m_slots[i] == kEmpty) ++m_used;
    m_slots[i] = Key(p);
    ++m_size;
    return true;
  }

  // True when the address was a member.
  bool Erase(const T* p) {
    if (!p || m_slots.empty()) return false;
    for (std::size_t i = Home(Key(p));; i = (i + 1) & Mask()) {
      if (m_slots[i] == kEmpty) return false;
      if (m_slots[i] == Key(p)) {
        m_slots[i] = kGone;  // the probe chains through this slot stay intact
        --m_size;
        return true;
      }
    }
  }

  // Room for n members without growing.
  void Reserve(std::size_t n) {
    if (n * 4 > m_slots.size() * 3) Rehash(n);
  }

  // Empties the set. A table that was mostly empty is given back, so that a
  // set that once held many and now holds few does not clear a large table
  // on every change; a full one is kept for the next fill of the same size.
  void Clear() {
    if (m_size * 8 < m_slots.size()) {
      std::vector<std::uintptr_t>().swap(m_slots);
    } else {
      m_slots.assign(m_slots.size(), kEmpty);
    }
    m_size = m_used = 0;
  }

 private:
  // No object lives at address 0 or at the last address of the space.
  static constexpr std::uintptr_t kEmpty = 0;
  static constexpr std::uintptr_t kGone = ~static_cast<std::uintptr_t>(0);

  static std::uintptr_t Key(const T* p) { return reinterpret_cast<std::uintptr_t>(p); }
  std::size_t Mask() const { return m_slots.size() - 1; }
  // Fibonacci hashing: objects lie at multiples of their alignment, so the
  // low bits alone would crowd into a few slots.
  std::size_t Home(std::uintptr_t key) const {
    const std::uint64_t h = static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h >> (64 - m_bits));
  }

  // A table for at least n members at most three quarters full, the
  // members re-entered and the vacated slots dropped.
  void Rehash(std::size_t n) {
    unsigned bits = 4;
    while ((std::size_t{1} << bits) * 3 < n * 4 + 4) ++bits;
    std::vector<std::uintptr_t> old(std::size_t{1} << bits, kEmpty);
    old.swap(m_slots);
    m_bits = bits;
    m_used = 0;
    for (std::uintptr_t key : old) {
      if (key == kEmpty || key == kGone) continue;
      std::size_t i = Home(key);
      while (m_slots[i] != kEmpty) i = (i + 1) & Mask();
      m_slots[i] = key;
      ++m_used;
    }
  }

  std::vector<std::uintptr_t> m_slots;  // a power of two long, or empty
  unsigned m_bits = 0;
  std::size_t m_size = 0;  // members
  std::size_t m_used = 0;  // members and vacated slots
};
