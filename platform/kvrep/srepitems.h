// SRepItemList: the members of a collection, in their order, each once.
//
// Most collections hold a handful of objects and stay one plain array. A
// collection that grows large (a diagram's symbols, a folder's objects) is
// kept in runs of at most kRunMax objects with a running count over the runs
// and a map from each object to its run, so that reading a position, finding
// an object's position and inserting or erasing anywhere cost a logarithm (and
// a scan of one run), not a pass over the whole collection. The order is
// exactly that of a plain array under the same insertions and erasures.
//
// The list holds no references; the collection counts its members.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

class SRepObject;

class SRepItemList {
  // A run of a large list and its place among the runs.
  struct Run {
    std::vector<SRepObject*> items;
    std::size_t at = 0;
  };

 public:
  // Below this size a plain array; from it on, runs with an index.
  static constexpr std::size_t kIndexFrom = 64;
  static constexpr std::size_t kRunMax = 256;

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = SRepObject*;
    using difference_type = std::ptrdiff_t;
    using pointer = SRepObject* const*;
    using reference = SRepObject* const&;
    const_iterator() = default;
    reference operator*() const { return *m_p; }
    const_iterator& operator++() {
      if (++m_p == m_end) NextRun();
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator was = *this;
      ++*this;
      return was;
    }
    bool operator==(const const_iterator& o) const { return m_p == o.m_p; }
    bool operator!=(const const_iterator& o) const { return m_p != o.m_p; }

   private:
    friend class SRepItemList;
    const_iterator(SRepObject* const* first, std::size_t count, const std::unique_ptr<Run>* nextRun,
                   const std::unique_ptr<Run>* lastRun)
        : m_next(nextRun), m_last(lastRun) {
      if (count) {
        m_p = first;
        m_end = first + count;
      } else {
        NextRun();
      }
    }
    void NextRun() {
      m_p = m_end = nullptr;
      while (m_next && m_next != m_last) {
        const std::vector<SRepObject*>& run = (m_next++)->get()->items;
        if (!run.empty()) {
          m_p = run.data();
          m_end = m_p + run.size();
          return;
        }
      }
    }
    SRepObject* const* m_p = nullptr;
    SRepObject* const* m_end = nullptr;
    const std::unique_ptr<Run>* m_next = nullptr;
    const std::unique_ptr<Run>* m_last = nullptr;
  };
  using iterator = const_iterator;

  SRepItemList();
  SRepItemList(const SRepItemList&) = delete;
  SRepItemList& operator=(const SRepItemList&) = delete;
  ~SRepItemList();

  std::size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  SRepObject* operator[](std::size_t pos) const;
  SRepObject* back() const { return (*this)[m_size - 1]; }
  const_iterator begin() const;
  const_iterator end() const { return const_iterator(); }

  // The position of the object, or -1.
  int IndexOf(const SRepObject* obj) const;
  bool Contains(const SRepObject* obj) const { return IndexOf(obj) >= 0; }
  // Inserts at pos (0 .. size()); the object must not be a member yet.
  void Insert(std::size_t pos, SRepObject* obj);
  void Erase(std::size_t pos);
  // Counts every insertion and erasure: a reader that keeps something
  // worked out from the order knows by it whether the order changed since.
  unsigned long Changes() const { return m_changes; }
  // The members in order, as a plain array.
  std::vector<SRepObject*> ToVector() const { return std::vector<SRepObject*>(begin(), end()); }
  // Empties the list and answers what it held, in order.
  std::vector<SRepObject*> TakeAll();

 private:
  struct Index;

  void MakeIndex();
  void DropIndex();
  // The run holding position pos (size() itself: the last run) and the offset in it.
  std::size_t FindRun(std::size_t pos, std::size_t* offset) const;

  std::size_t m_size = 0;
  unsigned long m_changes = 0;
  // The members while there is no index: the first kInline in place (most
  // collections hold one or two objects), more in an array of m_capacity.
  static constexpr std::size_t kInline = 2;
  SRepObject* const* Small() const { return m_heap ? m_heap.get() : m_inline; }
  SRepObject** Small() { return m_heap ? m_heap.get() : m_inline; }
  // Puts the members (no index) in n objects taken from items.
  void SetSmall(SRepObject* const* items, std::size_t n);
  SRepObject* m_inline[kInline] = {};
  std::unique_ptr<SRepObject*[]> m_heap;
  std::size_t m_capacity = kInline;
  std::unique_ptr<Index> m_index;  // runs and look-ups of a large list
};
