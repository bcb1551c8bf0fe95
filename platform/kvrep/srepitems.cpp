#include "kvrep/srepitems.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "kvcore/sptrset.h"

struct SRepItemList::Index {
  std::vector<std::unique_ptr<Run>> runs;
  // Running counts over the run sizes (a Fenwick tree, 1-based): the sum of
  // the first k runs in a logarithm, and the run holding a position.
  std::vector<std::size_t> counts;
  // The run of each member: one flat table, no node per member.
  SAddrMap<SRepObject, Run*> where;
  // Runs emptied by erasures stay in place (the iterator and the running
  // counts pass over them) until they are half of all runs: erasing a whole
  // large list then costs no rebuild of the counts per emptied run.
  std::size_t empty = 0;

  void DropEmptyRuns() {
    std::erase_if(runs, [](const std::unique_ptr<Run>& r) { return r->items.empty(); });
    if (runs.empty()) runs.push_back(std::make_unique<Run>());
    empty = runs.back()->items.empty() ? 1 : 0;
  }
  void Rebuild() {
    const std::size_t n = runs.size();
    counts.assign(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
      runs[i]->at = i;
      counts[i + 1] += runs[i]->items.size();
      if (const std::size_t up = (i + 1) + ((i + 1) & -(i + 1)); up <= n) counts[up] += counts[i + 1];
    }
  }
  void Add(std::size_t run, long delta) {
    for (std::size_t i = run + 1; i < counts.size(); i += i & -i) counts[i] += static_cast<std::size_t>(delta);
  }
  // The number of members in the runs before this one.
  std::size_t Before(std::size_t run) const {
    std::size_t sum = 0;
    for (std::size_t i = run; i > 0; i -= i & -i) sum += counts[i];
    return sum;
  }
};

SRepItemList::SRepItemList() = default;
SRepItemList::~SRepItemList() = default;

SRepItemList::const_iterator SRepItemList::begin() const {
  if (!m_index) return const_iterator(Small(), m_size, nullptr, nullptr);
  const auto& runs = m_index->runs;
  return const_iterator(nullptr, 0, runs.data(), runs.data() + runs.size());
}

std::size_t SRepItemList::FindRun(std::size_t pos, std::size_t* offset) const {
  const Index& x = *m_index;
  const std::size_t n = x.runs.size();
  if (pos >= m_size) {
    *offset = x.runs.back()->items.size();
    return n - 1;
  }
  std::size_t k = 0, rest = pos;
  for (std::size_t step = std::bit_floor(n); step; step >>= 1)
    if (k + step <= n && x.counts[k + step] <= rest) {
      k += step;
      rest -= x.counts[k];
    }
  *offset = rest;
  return k;
}

SRepObject* SRepItemList::operator[](std::size_t pos) const {
  if (!m_index) return Small()[pos];
  std::size_t offset = 0;
  const std::size_t run = FindRun(pos, &offset);
  return m_index->runs[run]->items[offset];
}

int SRepItemList::IndexOf(const SRepObject* obj) const {
  if (!m_index) {
    SRepObject* const* items = Small();
    SRepObject* const* it = std::find(items, items + m_size, obj);
    return it == items + m_size ? -1 : static_cast<int>(it - items);
  }
  Run* const* found = m_index->where.Find(obj);
  if (!found) return -1;
  const Run& run = **found;
  const auto it = std::find(run.items.begin(), run.items.end(), obj);
  return static_cast<int>(m_index->Before(run.at) + static_cast<std::size_t>(it - run.items.begin()));
}

void SRepItemList::Insert(std::size_t pos, SRepObject* obj) {
  pos = std::min(pos, m_size);
  ++m_changes;
  if (!m_index) {
    if (m_size == m_capacity) {
      const std::size_t capacity = m_capacity * 2;
      auto grown = std::make_unique_for_overwrite<SRepObject*[]>(capacity);
      std::copy_n(Small(), m_size, grown.get());
      m_heap = std::move(grown);
      m_capacity = capacity;
    }
    SRepObject** items = Small();
    std::copy_backward(items + pos, items + m_size, items + m_size + 1);
    items[pos] = obj;
    ++m_size;
    if (m_size >= kIndexFrom) MakeIndex();
    return;
  }
  Index& x = *m_index;
  std::size_t offset = 0;
  const std::size_t at = FindRun(pos, &offset);
  Run* run = x.runs[at].get();
  if (run->items.empty()) --x.empty;
  run->items.insert(run->items.begin() + static_cast<std::ptrdiff_t>(offset), obj);
  x.where.Set(obj, run);
  ++m_size;
  if (run->items.size() <= kRunMax) {
    x.Add(at, 1);
    return;
  }
  // A full run splits in halves; the upper half's members name their new run.
  auto upper = std::make_unique<Run>();
  const auto half = run->items.begin() + static_cast<std::ptrdiff_t>(run->items.size() / 2);
  upper->items.assign(half, run->items.end());
  run->items.erase(half, run->items.end());
  for (SRepObject* o : upper->items) x.where.Set(o, upper.get());
  x.runs.insert(x.runs.begin() + static_cast<std::ptrdiff_t>(at + 1), std::move(upper));
  x.Rebuild();
}

void SRepItemList::Erase(std::size_t pos) {
  if (pos >= m_size) return;
  ++m_changes;
  if (!m_index) {
    SRepObject** items = Small();
    std::copy(items + pos + 1, items + m_size, items + pos);
    --m_size;
    return;
  }
  Index& x = *m_index;
  std::size_t offset = 0;
  const std::size_t at = FindRun(pos, &offset);
  Run* run = x.runs[at].get();
  x.where.Erase(run->items[offset]);
  run->items.erase(run->items.begin() + static_cast<std::ptrdiff_t>(offset));
  --m_size;
  if (m_size < kIndexFrom / 4) {
    DropIndex();
  } else {
    x.Add(at, -1);
    if (run->items.empty() && ++x.empty * 2 > x.runs.size()) {
      x.DropEmptyRuns();
      x.Rebuild();
    }
  }
}

std::vector<SRepObject*> SRepItemList::TakeAll() {
  std::vector<SRepObject*> all = ToVector();
  SetSmall(nullptr, 0);
  m_index.reset();
  m_size = 0;
  ++m_changes;
  return all;
}

void SRepItemList::MakeIndex() {
  auto x = std::make_unique<Index>();
  x->where.Reserve(m_size * 2);
  SRepObject* const* items = Small();
  for (std::size_t from = 0; from < m_size; from += kRunMax / 2) {
    auto run = std::make_unique<Run>();
    const std::size_t to = std::min(m_size, from + kRunMax / 2);
    run->items.assign(items + from, items + to);
    for (SRepObject* o : run->items) x->where.Set(o, run.get());
    x->runs.push_back(std::move(run));
  }
  x->Rebuild();
  m_index = std::move(x);
  SetSmall(nullptr, 0);
}

void SRepItemList::DropIndex() {
  const std::vector<SRepObject*> all = ToVector();
  SetSmall(all.data(), all.size());
  m_index.reset();
}

void SRepItemList::SetSmall(SRepObject* const* items, std::size_t n) {
  if (n <= kInline) {
    m_heap.reset();
    m_capacity = kInline;
  } else {
    m_heap = std::make_unique_for_overwrite<SRepObject*[]>(n);
    m_capacity = n;
  }
  std::copy_n(items, n, Small());
}
