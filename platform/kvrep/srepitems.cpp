#include "kvrep/srepitems.h"

#include <algorithm>
#include <bit>
#include <utility>

struct SRepItemList::Index {
  std::vector<std::unique_ptr<Run>> runs;
  // Running counts over the run sizes (a Fenwick tree, 1-based): the sum of
  // the first k runs in a logarithm, and the run holding a position.
  std::vector<std::size_t> counts;
  std::unordered_map<const SRepObject*, Run*> where;

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
  if (!m_index) return const_iterator(&m_small, nullptr, nullptr);
  const auto& runs = m_index->runs;
  return const_iterator(nullptr, runs.data(), runs.data() + runs.size());
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
  if (!m_index) return m_small[pos];
  std::size_t offset = 0;
  const std::size_t run = FindRun(pos, &offset);
  return m_index->runs[run]->items[offset];
}

int SRepItemList::IndexOf(const SRepObject* obj) const {
  if (!m_index) {
    const auto it = std::find(m_small.begin(), m_small.end(), obj);
    return it == m_small.end() ? -1 : static_cast<int>(it - m_small.begin());
  }
  const auto found = m_index->where.find(obj);
  if (found == m_index->where.end()) return -1;
  const Run& run = *found->second;
  const auto it = std::find(run.items.begin(), run.items.end(), obj);
  return static_cast<int>(m_index->Before(run.at) + static_cast<std::size_t>(it - run.items.begin()));
}

void SRepItemList::Insert(std::size_t pos, SRepObject* obj) {
  pos = std::min(pos, m_size);
  ++m_changes;
  if (!m_index) {
    m_small.insert(m_small.begin() + static_cast<std::ptrdiff_t>(pos), obj);
    ++m_size;
    if (m_size >= kIndexFrom) MakeIndex();
    return;
  }
  Index& x = *m_index;
  std::size_t offset = 0;
  const std::size_t at = FindRun(pos, &offset);
  Run* run = x.runs[at].get();
  run->items.insert(run->items.begin() + static_cast<std::ptrdiff_t>(offset), obj);
  x.where[obj] = run;
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
  for (SRepObject* o : upper->items) x.where[o] = upper.get();
  x.runs.insert(x.runs.begin() + static_cast<std::ptrdiff_t>(at + 1), std::move(upper));
  x.Rebuild();
}

void SRepItemList::Erase(std::size_t pos) {
  if (pos >= m_size) return;
  ++m_changes;
  if (!m_index) {
    m_small.erase(m_small.begin() + static_cast<std::ptrdiff_t>(pos));
    --m_size;
    return;
  }
  Index& x = *m_index;
  std::size_t offset = 0;
  const std::size_t at = FindRun(pos, &offset);
  Run* run = x.runs[at].get();
  x.where.erase(run->items[offset]);
  run->items.erase(run->items.begin() + static_cast<std::ptrdiff_t>(offset));
  --m_size;
  if (m_size < kIndexFrom / 4) {
    DropIndex();
  } else if (run->items.empty()) {
    x.runs.erase(x.runs.begin() + static_cast<std::ptrdiff_t>(at));
    x.Rebuild();
  } else {
    x.Add(at, -1);
  }
}

std::vector<SRepObject*> SRepItemList::TakeAll() {
  std::vector<SRepObject*> all = m_index ? ToVector() : std::move(m_small);
  m_small.clear();
  m_index.reset();
  m_size = 0;
  ++m_changes;
  return all;
}

void SRepItemList::MakeIndex() {
  auto x = std::make_unique<Index>();
  x->where.reserve(m_small.size() * 2);
  for (std::size_t from = 0; from < m_small.size(); from += kRunMax / 2) {
    auto run = std::make_unique<Run>();
    const std::size_t to = std::min(m_small.size(), from + kRunMax / 2);
    run->items.assign(m_small.begin() + static_cast<std::ptrdiff_t>(from),
                      m_small.begin() + static_cast<std::ptrdiff_t>(to));
    for (SRepObject* o : run->items) x->where[o] = run.get();
    x->runs.push_back(std::move(run));
  }
  x->Rebuild();
  m_index = std::move(x);
  m_small = std::vector<SRepObject*>();
}

void SRepItemList::DropIndex() {
  m_small = ToVector();
  m_index.reset();
}
