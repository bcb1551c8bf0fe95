// The diagram's spatial index: a uniform grid of cells, each listing the
// symbols whose key meets it; symbols too large for a few hundred cells are
// kept in one list that every query looks at.
#include "sym/diagram/symrectindex.h"

#include <algorithm>
#include <cstdlib>

#include "kvcore/scomwrap.h"
#include "kvcore/sexception.h"
#include "kvrep/srepobject.h"
#include "sym/links/sympolybase.h"
#include "sym/render/symcanvbitmap.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
bool g_enabled = true;

// Cells a symbol may cover before it goes to the list of large symbols.
constexpr std::int64_t kMaxCells = 256;
// How far a hit test on a line reaches beyond its key, apart from the zoom's
// pixels and line bridges: a line answers only inside its active rectangle
// (the key and the zoom's pixels) and its labels within a band of 75 units
// around their rectangles, which lie inside the line's.
constexpr LONG kLineHitReach = 128;
// The largest reach taken from a symbol (a sound value, not a limit any
// symbol reaches: a reach further than this makes no sense in a grid).
constexpr LONG kMaxHitReach = 1 << 24;

// A canvas that is never locked: its scale is 0, so pixel margins come out
// as 0 and an active rectangle taken on it is the symbol's own extent.
SSymCanvas& UnscaledCanvas() {
  // Made once and kept for the process: nothing to release at unload.
  static SSymCanvasBitmap* canvas = new SSymCanvasBitmap;
  return *canvas;
}

SSymRect Normalised(SSymRect r) {
  r.Normalize();
  return r;
}

// Whether `outer` holds all of `inner` (both normalised).
bool Contains(const SSymRect& outer, const SSymRect& inner) {
  return outer.x1 <= inner.x1 && outer.x2 >= inner.x2 && outer.y2 <= inner.y2 && outer.y1 >= inner.y1;
}

bool Meets(const SSymRect& a, const SSymRect& b) {
  return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y2 <= b.y1 && b.y2 <= a.y1;
}

SSymRect Widened(const SSymRect& r, LONG m) {
  auto clamp = [](std::int64_t v) {
    return static_cast<LONG>(std::clamp<std::int64_t>(v, -0x7FFFFFFF, 0x7FFFFFFF));
  };
  return SSymRect(clamp(std::int64_t{r.x1} - m), clamp(std::int64_t{r.y1} + m), clamp(std::int64_t{r.x2} + m),
                  clamp(std::int64_t{r.y2} - m));
}
}  // namespace

void SSymRectIndex::SetEnabled(bool enabled) { g_enabled = enabled; }
bool SSymRectIndex::IsEnabled() { return g_enabled; }

SSymRectIndex::SSymRectIndex(SRepObject* owner, LONG symbolsId) : m_owner(owner), m_symbolsId(symbolsId) {
  SSymAddRectObserver(this);
}

SSymRectIndex::~SSymRectIndex() {
  SSymRemoveRectObserver(this);
  if (m_advised && m_owner)
    if (SRepCollection* c = m_owner->FindCollection(m_symbolsId)) c->Unadvise(this);
}

LONG SSymRectIndex::ViewMargin(SSymCanvas& canvas) {
  const SSymSize six = canvas.DPtoVP(SIZE{6, 6});
  return std::max(std::abs(six.cx), std::abs(six.cy)) + 1;
}

namespace {
LONG BridgeReach() {
  LONG bridge = 0;
  if (ISSymEdgeRouter* router = SSymGetEdgeRouter()) bridge = std::clamp<LONG>(router->GetBridgeRadius(), 0, 1 << 24);
  return 2 * bridge;
}
}  // namespace

LONG SSymRectIndex::HitMargin(SSymCanvas& canvas, bool bridges) {
  // A handle's square reaches half its side beyond the rectangle's corner.
  const SSymSize handle = canvas.GetHandleSize();
  const LONG halfHandle = std::max(std::abs(handle.cx), std::abs(handle.cy)) / 2 + 1;
  return std::max(ViewMargin(canvas), halfHandle) + (bridges ? BridgeReach() : 0);
}

const ISSymDispPref* SSymRectIndex::Prefs() {
  // Asked as a line asks it (the same preferences, a lent set included).
  if (!m_face) {
    SComWrap<ISSymDiagram> diagram(static_cast<ISRepObject*>(m_owner));
    m_face = diagram.Get();  // not counted: the diagram owns the index
  }
  return m_face ? SSymGetDispPrefPtr(m_face) : nullptr;
}

bool SSymRectIndex::PrefShowsBridges() {
  const ISSymDispPref* pref = Prefs();
  return pref && pref->ShowsLinkIntersections();
}

bool SSymRectIndex::ShowsBridges() {
  if (!SSymGetEdgeRouter()) return false;
  // Unknown preferences count as showing them, which only widens the search.
  const ISSymDispPref* pref = Prefs();
  return !pref || pref->ShowsLinkIntersections();
}

void SSymRectIndex::FollowBridges() {
  const int bridges = PrefShowsBridges() ? 1 : 0;
  if (m_bridges < 0 || bridges == m_bridges) return;
  m_bridges = bridges;
  // Told rectangles are ignored while dirty: the rebuild takes them all.
  m_dirty = true;
  for (SRepObject* item : m_owner->Collection(m_symbolsId)->Items()) {
    SComWrap<ISSymbol> sym(static_cast<ISRepObject*>(item));
    if (sym.IsNull()) continue;
    if (auto* line = dynamic_cast<SSymPolyBase*>(SSymBase::FromInterface(sym.Get()))) {
      try {
        line->RecomputeClipRect(0, 0);
      } catch (const SException&) {
        // Its key is whatever it answers at the rebuild.
      }
    }
  }
}

LONG SSymRectIndex::HitReachOf(ISSymbol* symbol, bool line) {
  if (line) return kLineHitReach;
  SSymBase* base = SSymBase::FromInterface(symbol);
  return base ? std::clamp<LONG>(base->GetHitReach(), 0, kMaxHitReach) : SSymBase::DefaultHitReach;
}

SSymRect SSymRectIndex::KeyOf(ISSymbol* symbol) {
  SSymRect key = Normalised(symbol->GetClipRect(1, 0));
  key = Union(key, Normalised(symbol->GetActiveRect(UnscaledCanvas(), 1)));
  return key;
}

bool SSymRectIndex::HitBoxesOf(ISSymbol* symbol, const SSymRect& key, std::vector<SSymRect>& out,
                               std::size_t* segments) {
  out.clear();
  std::size_t segmentBoxes = 0;
  auto* line = dynamic_cast<SSymPolyBase*>(SSymBase::FromInterface(symbol));
  if (!line || !line->GetHitBoxes(out, segmentBoxes)) {
    out.clear();
    return false;
  }
  if (segments) *segments = segmentBoxes;
  // Moved into the key on each axis: where a box overlaps the key this is
  // their common part, and a box beside the key becomes the key's edge.
  // Either way the box widened by a reach holds every point of the key
  // widened by that reach that lies within the reach of the box.
  for (SSymRect& b : out)
    b = SSymRect(std::clamp(b.x1, key.x1, key.x2), std::clamp(b.y1, key.y2, key.y1), std::clamp(b.x2, key.x1, key.x2),
                 std::clamp(b.y2, key.y2, key.y1));
  return true;
}

HRESULT SSymRectIndex::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepClassColSink) {
    *ppv = static_cast<ISRepClassColSink*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT SSymRectIndex::OnObjColInsert(ISRepClassCol*, ISRepObject*, int) {
  m_dirty = true;
  return S_OK;
}
HRESULT SSymRectIndex::OnObjColMove(ISRepClassCol*, int, int) {
  m_dirty = true;
  return S_OK;
}
HRESULT SSymRectIndex::OnObjColRemove(ISRepClassCol*, ISRepObject*) {
  m_dirty = true;
  return S_OK;
}
HRESULT SSymRectIndex::OnObjColDelete(ISRepClassCol*) {
  m_dirty = true;
  return S_OK;
}

bool SSymRectIndex::Usable() {
  if (!g_enabled || !m_owner || m_owner->IsDeleted()) return false;
  // Deferred changes: symbols answer pending rectangles nobody announced,
  // and an abandoned context takes back changes without telling anyone; the
  // keys are taken afresh once the context is over.
  if (m_owner->InLockoutContext()) {
    m_dirty = true;
    return false;
  }
  FollowBridges();
  if (m_dirty) Rebuild();
  return !m_dirty;
}

void SSymRectIndex::Rebuild() {
  SRepCollection* col = m_owner->Collection(m_symbolsId);
  if (!m_advised) {
    col->Advise(this);
    m_advised = true;
  }
  m_bridges = PrefShowsBridges() ? 1 : 0;
  Changed();
  m_entries.clear();
  m_slots.clear();
  m_cells.clear();
  m_large = Items();
  m_maxReach = 0;
  m_boxes.clear();
  m_boxesLive = 0;
  const SRepItemList& items = col->Items();
  m_entries.reserve(items.size());
  std::vector<long long> extents;  // 64 bits: a huge rectangle's side overflows 32
  extents.reserve(items.size());
  for (SRepObject* item : items) {
    SComWrap<ISSymbol> sym(static_cast<ISRepObject*>(item));
    if (sym.IsNull()) continue;
    Entry e;
    e.symbol = sym.Get();
    SComWrap<ISSymPolyline> line(sym.Get());
    e.line = !line.IsNull();
    e.reach = HitReachOf(e.symbol, e.line);
    try {
      e.key = KeyOf(e.symbol);
    } catch (const SException&) {
      // A symbol that cannot tell its extent is looked at everywhere.
      e.key = SSymRect(-0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, -0x7FFFFFFF);
    }
    extents.push_back(std::max(static_cast<long long>(e.key.x2) - e.key.x1, static_cast<long long>(e.key.y1) - e.key.y2));
    m_slots.emplace(e.symbol, static_cast<std::uint32_t>(m_entries.size()));
    m_entries.push_back(e);
  }
  // Cells about twice the typical symbol: a point meets one to four cells,
  // each holding a handful of symbols.
  LONG typical = 7200;
  if (!extents.empty()) {
    auto mid = extents.begin() + static_cast<std::ptrdiff_t>(extents.size() / 2);
    std::nth_element(extents.begin(), mid, extents.end());
    typical = static_cast<LONG>(std::clamp<long long>(*mid, 1, 1LL << 30));
  }
  m_shift = 11;
  while (m_shift < 24 && (std::int64_t{1} << m_shift) < 2LL * typical) ++m_shift;
  for (std::uint32_t slot = 0; slot < m_entries.size(); ++slot) {
    Place(slot);
    TakeBoxes(slot);
  }
  m_dirty = false;
}

void SSymRectIndex::Items::Add(const Entry& e, std::uint32_t slot) {
  items.push_back(Item{e.key, e.reach, slot});
  reach = std::max(reach, e.reach);
}

void SSymRectIndex::Items::Drop(std::uint32_t slot) {
  auto it = std::find_if(items.begin(), items.end(), [slot](const Item& i) { return i.slot == slot; });
  if (it == items.end()) return;
  *it = items.back();
  items.pop_back();
  // The cell's reach stays as it is: at worst a little wide until the next rebuild.
}

void SSymRectIndex::Place(std::uint32_t slot) {
  Changed();
  Entry& e = m_entries[slot];
  m_maxReach = std::max(m_maxReach, e.reach);
  const std::int64_t cx1 = CellCoord(e.key.x1), cx2 = CellCoord(e.key.x2);
  const std::int64_t cy1 = CellCoord(e.key.y2), cy2 = CellCoord(e.key.y1);
  e.large = (cx2 - cx1 + 1) * (cy2 - cy1 + 1) > kMaxCells;
  if (e.large) {
    m_large.Add(e, slot);
    return;
  }
  for (std::int64_t x = cx1; x <= cx2; ++x)
    for (std::int64_t y = cy1; y <= cy2; ++y) m_cells[CellOf(x, y)].Add(e, slot);
}

void SSymRectIndex::Unplace(std::uint32_t slot) {
  Changed();
  Entry& e = m_entries[slot];
  if (e.large) {
    m_large.Drop(slot);
    return;
  }
  const std::int64_t cx1 = CellCoord(e.key.x1), cx2 = CellCoord(e.key.x2);
  const std::int64_t cy1 = CellCoord(e.key.y2), cy2 = CellCoord(e.key.y1);
  for (std::int64_t x = cx1; x <= cx2; ++x)
    for (std::int64_t y = cy1; y <= cy2; ++y) {
      auto it = m_cells.find(CellOf(x, y));
      if (it == m_cells.end()) continue;
      it->second.Drop(slot);
      if (it->second.items.empty()) m_cells.erase(it);
    }
}

void SSymRectIndex::SetKey(std::uint32_t slot, const SSymRect& key) {
  if (m_entries[slot].key != key) {
    Unplace(slot);
    m_entries[slot].key = key;
    Place(slot);
  }
  // A line's points and labels may change within an unchanged key.
  if (m_entries[slot].line) TakeBoxes(slot);
}

void SSymRectIndex::TakeBoxes(std::uint32_t slot) {
  Entry& e = m_entries[slot];
  if (!e.line) return;
  std::size_t segments = 0;
  bool narrowed = false;
  try {
    narrowed = HitBoxesOf(e.symbol, e.key, m_boxScratch, &segments);
  } catch (const SException&) {
    // Asked wherever its key is.
  }
  const auto count = static_cast<std::uint32_t>(m_boxScratch.size());
  // Told again without a change (a line's rectangle taken afresh during its
  // own hit test): the hit grid stays.
  if (!narrowed && !e.narrowed) return;
  if (narrowed && e.narrowed && count == e.boxCount && segments == e.segmentBoxes &&
      std::equal(m_boxScratch.begin(), m_boxScratch.end(), m_boxes.begin() + e.boxesAt))
    return;
  Changed();
  m_boxesLive -= e.narrowed ? e.boxCount : 0;
  e.narrowed = false;
  if (!narrowed) return;
  e.segmentBoxes = static_cast<std::uint32_t>(segments);
  if (count > e.boxCount || e.boxesAt + e.boxCount > m_boxes.size()) {
    // Stale runs are dropped at the next rebuild, once they outweigh the live ones.
    if (m_boxes.size() > 2 * m_boxesLive + 4096) m_dirty = true;
    e.boxesAt = static_cast<std::uint32_t>(m_boxes.size());
    m_boxes.insert(m_boxes.end(), m_boxScratch.begin(), m_boxScratch.end());
  } else {
    std::copy(m_boxScratch.begin(), m_boxScratch.end(), m_boxes.begin() + e.boxesAt);
  }
  e.boxCount = count;
  e.narrowed = true;
  m_boxesLive += count;
}

std::uint32_t* SSymRectIndex::FindTop(ISSymbol* symbol) {
  // Up from a label, a compartment or a child to the top-level symbol. The
  // symbol told is not held: it may be in its constructor, with no reference
  // of its own yet, and a hold released here would destroy it. Only the
  // owners found on the way up are held.
  ISSymbol* at = symbol;
  SComWrap<ISSymbol> held;
  for (int depth = 0; depth < 32 && at; ++depth) {
    auto it = m_slots.find(at);
    if (it != m_slots.end()) return &it->second;
    SComWrap<ISSymbol> up;
    if (at->IsSubObject()) {
      SComOut<ISSymbol> main;
      if (SUCCEEDED(at->GetMainSymbol(&main)) && main && main.Get() != at) up = main.Get();
    }
    if (up.IsNull()) {
      SComOut<ISSymOwner> owner;
      if (FAILED(at->GetOwner(&owner)) || !owner) break;
      ISSymbol* face = nullptr;
      if (owner->QueryInterface(IID_ISSymbol, reinterpret_cast<void**>(&face)) != S_OK || !face) break;
      up = face;
      face->Release();
    }
    held = up;
    at = held.Get();
  }
  return nullptr;
}

void SSymRectIndex::Refresh(ISSymbol* symbol) {
  if (m_dirty || !symbol) return;  // the rebuild takes every key afresh
  std::uint32_t* slot = FindTop(symbol);
  if (!slot) return;
  if (m_owner->InLockoutContext()) {
    m_dirty = true;  // a pending key: taken afresh after the context
    return;
  }
  const std::uint32_t s = *slot;
  try {
    SetKey(s, KeyOf(m_entries[s].symbol));
  } catch (const SException&) {
    m_dirty = true;
  }
}

void SSymRectIndex::OnSymbolRectChanged(ISSymbol* symbol, const SSymRect&, const SSymRect& to) {
  if (m_dirty || !symbol) return;
  if (m_owner->InLockoutContext()) {
    // Possibly a change the context takes back when abandoned.
    if (FindTop(symbol)) m_dirty = true;
    return;
  }
  // A top-level symbol is found at once; anything else walks up its owners.
  auto it = m_slots.find(symbol);
  if (it == m_slots.end()) {
    Refresh(symbol);
    return;
  }
  const std::uint32_t s = it->second;
  try {
    // The notified rectangle joins the key: a symbol may still answer the
    // old one through its owner while it is told.
    SetKey(s, Union(KeyOf(symbol), Normalised(to)));
  } catch (const SException&) {
    m_dirty = true;
  }
}

bool SSymRectIndex::Collect(const SSymRect& area, LONG margin, std::vector<Found>& out) {
  out.clear();
  if (!CollectSlots(Normalised(area), std::max<LONG>(margin, 0), false)) return false;
  out.reserve(m_scratch.size());
  for (std::uint32_t slot : m_scratch) out.push_back(Found{m_entries[slot].symbol, m_entries[slot].line});
  return true;
}

bool SSymRectIndex::CollectSlots(const SSymRect& area, LONG margin, bool hit) {
  m_scratch.clear();
  if (!Usable()) return false;
  // The area every entry found lies in: for a hit test, as far as the
  // largest reach goes.
  using W = std::int64_t;
  const W reachAll = hit ? W{m_maxReach} : 0;
  const W ax1 = W{area.x1} - margin, ax2 = W{area.x2} + margin;
  const W ay1 = W{area.y2} - margin, ay2 = W{area.y1} + margin;  // y1 <= y2 here
  // Whether an item meets the area (widened by its reach for a hit test),
  // and the cell it is taken from: the one holding the key's corner nearest
  // the area's low corner (a cell every walk below visits when the item
  // meets the area, and only one of the cells holding it).
  auto meets = [&](const Item& i) {
    const W r = hit ? W{i.reach} : 0;
    return W{i.key.x1} - r <= ax2 && ax1 <= W{i.key.x2} + r && W{i.key.y2} - r <= ay2 && ay1 <= W{i.key.y1} + r;
  };
  auto homeCell = [&](const Item& i) {
    const W x = std::clamp<W>(ax1, i.key.x1, i.key.x2), y = std::clamp<W>(ay1, i.key.y2, i.key.y1);
    return CellOf(CellCoord(x), CellCoord(y));
  };
  auto walkCell = [&](Cell cell, const Items& items) {
    for (const Item& i : items.items)
      if (meets(i) && homeCell(i) == cell) m_scratch.push_back(i.slot);
  };
  const W cx1 = CellCoord(ax1 - reachAll), cx2 = CellCoord(ax2 + reachAll);
  const W cy1 = CellCoord(ay1 - reachAll), cy2 = CellCoord(ay2 + reachAll);
  if ((cx2 - cx1 + 1) * (cy2 - cy1 + 1) > static_cast<W>(m_cells.size())) {
    // A large area: the cells that exist are fewer than those it covers.
    for (const auto& [cell, items] : m_cells) walkCell(cell, items);
  } else {
    for (W x = cx1; x <= cx2; ++x)
      for (W y = cy1; y <= cy2; ++y) {
        auto it = m_cells.find(CellOf(x, y));
        if (it == m_cells.end()) continue;
        if (hit) {
          // Nothing in a cell reaches further than the cell's reach beyond it.
          const W r = it->second.reach, low = W{1} << m_shift;
          if (x * low - r > ax2 || (x + 1) * low - 1 + r < ax1 || y * low - r > ay2 || (y + 1) * low - 1 + r < ay1)
            continue;
        }
        walkCell(it->first, it->second);
      }
  }
  for (const Item& i : m_large.items)
    if (meets(i)) m_scratch.push_back(i.slot);
  std::sort(m_scratch.begin(), m_scratch.end());  // slots are in collection order
  return true;
}

namespace {
// Hit tests a diagram answers through the older cells before its hit grid
// is built (a build costs about as much as this many tests at that size).
std::uint32_t GridWorthAfter(std::size_t entries) {
  return static_cast<std::uint32_t>(std::max<std::size_t>(16, entries / 64));
}
}  // namespace

void SSymRectIndex::BuildHitGrid(LONG margin) {
  using W = std::int64_t;
  HitGrid& g = m_hitGrid;
  g.margin = margin;
  g.records.clear();
  g.large.clear();
  std::vector<HitRecord> all;
  all.reserve(m_entries.size() + m_boxesLive);
  for (std::uint32_t slot = 0; slot < m_entries.size(); ++slot) {
    const Entry& e = m_entries[slot];
    if (!(e.line && e.narrowed)) {
      all.push_back(HitRecord{e.key, e.reach, slot | kHitWhole});
      continue;
    }
    const SSymRect* box = m_boxes.data() + e.boxesAt;
    const std::uint32_t segments = std::min(e.segmentBoxes, e.boxCount);
    for (std::uint32_t k = 0; k < e.boxCount; ++k)
      all.push_back(k < segments ? HitRecord{box[k], 0, slot | kHitSegment}
                                 : HitRecord{box[k], kLineHitReach, slot | kHitLabel});
  }
  // Cells about the typical record as a query sees it.
  auto reachOf = [&](const HitRecord& r) { return W{r.reach} + margin; };
  std::vector<W> extents;
  extents.reserve(all.size());
  for (const HitRecord& r : all)
    extents.push_back(std::max(W{r.box.x2} - r.box.x1, W{r.box.y1} - r.box.y2) + 2 * reachOf(r));
  W typical = 4096;
  if (!extents.empty()) {
    auto mid = extents.begin() + static_cast<std::ptrdiff_t>(extents.size() / 2);
    std::nth_element(extents.begin(), mid, extents.end());
    typical = std::clamp<W>(*mid, 1, W{1} << 30);
  }
  g.shift = 8;
  while (g.shift < 30 && (W{1} << g.shift) < typical) ++g.shift;
  // The cells of a record: x1, y1 (low), x2, y2 (high), or none for a large one.
  auto span = [&](const HitRecord& r, W* c) {
    const W m = reachOf(r);
    c[0] = (W{r.box.x1} - m) >> g.shift;
    c[1] = (W{r.box.y2} - m) >> g.shift;
    c[2] = (W{r.box.x2} + m) >> g.shift;
    c[3] = (W{r.box.y1} + m) >> g.shift;
    return (c[2] - c[0] + 1) * (c[3] - c[1] + 1) <= kMaxCells;
  };
  for (;;) {
    W lo[2] = {INT64_MAX, INT64_MAX}, hi[2] = {INT64_MIN, INT64_MIN};
    W c[4];
    for (const HitRecord& r : all)
      if (span(r, c)) {
        lo[0] = std::min(lo[0], c[0]);
        lo[1] = std::min(lo[1], c[1]);
        hi[0] = std::max(hi[0], c[2]);
        hi[1] = std::max(hi[1], c[3]);
      }
    if (lo[0] > hi[0]) {
      g.cx0 = g.cy0 = 0;
      g.width = g.height = 0;
      break;
    }
    g.cx0 = lo[0];
    g.cy0 = lo[1];
    g.width = hi[0] - lo[0] + 1;
    g.height = hi[1] - lo[1] + 1;
    // A few symbols far from the rest make coarser cells rather than a huge grid.
    if (g.width * g.height <= 4 * static_cast<W>(all.size()) + 4096 || g.shift >= 30) break;
    ++g.shift;
  }
  g.starts.assign(static_cast<std::size_t>(g.width * g.height) + 1, 0);
  W c[4];
  for (const HitRecord& r : all) {
    if (!span(r, c)) {
      g.large.push_back(r);
      continue;
    }
    for (W y = c[1]; y <= c[3]; ++y)
      for (W x = c[0]; x <= c[2]; ++x) ++g.starts[static_cast<std::size_t>((y - g.cy0) * g.width + (x - g.cx0)) + 1];
  }
  for (std::size_t i = 1; i < g.starts.size(); ++i) g.starts[i] += g.starts[i - 1];
  g.records.resize(g.starts.back());
  std::vector<std::uint32_t> fill(g.starts.begin(), g.starts.end() - 1);
  for (const HitRecord& r : all) {
    if (!span(r, c)) continue;
    for (W y = c[1]; y <= c[3]; ++y)
      for (W x = c[0]; x <= c[2]; ++x) g.records[fill[static_cast<std::size_t>((y - g.cy0) * g.width + (x - g.cx0))]++] = r;
  }
  g.fresh = true;
}

bool SSymRectIndex::GridHits(const SSymPoint& point, LONG margin, LONG plain) {
  using W = std::int64_t;
  HitGrid& g = m_hitGrid;
  m_hitScratch.clear();
  g.answered = false;
  // A grid filled for a much wider margin (the zoom went in) still answers,
  // only less tightly; a narrower one does not.
  if (g.fresh && (margin > g.margin || margin < g.margin / 4)) Changed();
  if (!g.fresh) {
    if (++g.queriesSinceChange < GridWorthAfter(m_entries.size()) || m_entries.size() >= (std::size_t{1} << 30))
      return false;
    BuildHitGrid(margin);
  }
  const W px = point.x, py = point.y;
  auto within = [&](const HitRecord& r, W m) {
    return W{r.box.x1} - m <= px && px <= W{r.box.x2} + m && W{r.box.y2} - m <= py && py <= W{r.box.y1} + m;
  };
  auto take = [&](const HitRecord& r) {
    if (!within(r, W{r.reach} + margin)) return;
    const std::uint32_t slot = r.slot & ~kHitKind;
    // A segment only within the bridges' band is asked only near a bridge.
    const bool bridgeOnly = (r.slot & kHitKind) == kHitSegment && plain < margin && !within(r, plain);
    m_hitScratch.push_back(slot << 1 | (bridgeOnly ? 1u : 0u));
  };
  const W cx = (px >> g.shift) - g.cx0, cy = (py >> g.shift) - g.cy0;
  if (cx >= 0 && cx < g.width && cy >= 0 && cy < g.height) {
    const auto cell = static_cast<std::size_t>(cy * g.width + cx);
    for (std::uint32_t i = g.starts[cell], end = g.starts[cell + 1]; i < end; ++i) take(g.records[i]);
  }
  for (const HitRecord& r : g.large) take(r);
  // Collection order, each slot once (near without the bridges when any of
  // its records is).
  std::sort(m_hitScratch.begin(), m_hitScratch.end());
  m_hitScratch.erase(std::unique(m_hitScratch.begin(), m_hitScratch.end(),
                                 [](std::uint32_t a, std::uint32_t b) { return a >> 1 == b >> 1; }),
                     m_hitScratch.end());
  g.answered = true;
  return true;
}

int SSymRectIndex::GetCount() {
  if (!Usable()) return -1;
  return static_cast<int>(m_entries.size());
}

bool SSymRectIndex::IsConsistent() {
  if (!Usable()) return false;
  const SRepItemList& items = m_owner->Collection(m_symbolsId)->Items();
  std::size_t slot = 0;
  for (SRepObject* item : items) {
    SComWrap<ISSymbol> sym(static_cast<ISRepObject*>(item));
    if (sym.IsNull()) continue;
    if (slot >= m_entries.size() || m_entries[slot].symbol != sym.Get()) return false;
    const SSymRect fresh = KeyOf(sym.Get());
    const SSymRect& held = m_entries[slot].key;
    // The held key may be wider (it keeps notified rectangles), never narrower.
    if (!Contains(held, fresh)) return false;
    if (m_entries[slot].reach != HitReachOf(sym.Get(), m_entries[slot].line)) return false;
    // A narrowed line's held boxes cover the fresh ones, a label's box by
    // a held label's box (a segment's box is reached less far).
    const Entry& e = m_entries[slot];
    if (e.narrowed) {
      std::vector<SSymRect> boxes;
      std::size_t segments = 0;
      if (!HitBoxesOf(e.symbol, held, boxes, &segments)) return false;
      const SSymRect* from = m_boxes.data() + e.boxesAt;
      const SSymRect* labels = from + std::min(e.segmentBoxes, e.boxCount);
      for (std::size_t i = 0; i < boxes.size(); ++i)
        if (std::none_of(i < segments ? from : labels, from + e.boxCount,
                         [&](const SSymRect& h) { return Contains(h, boxes[i]); }))
          return false;
    }
    ++slot;
  }
  return slot == m_entries.size();
}

void SSymRectIndex::CollectAll(std::vector<Found>& out) {
  out.clear();
  if (!m_owner) return;
  for (SRepObject* item : m_owner->Collection(m_symbolsId)->Items()) {
    SComWrap<ISSymbol> sym(static_cast<ISRepObject*>(item));
    if (sym.IsNull()) continue;
    SComWrap<ISSymPolyline> line(sym.Get());
    out.push_back(Found{sym.Get(), !line.IsNull()});
  }
}

ISSymbol* SSymRectIndex::HitWalk(SSymCanvas& canvas, const SSymPoint& point, int* part,
                                 const std::vector<Found>& symbols) {
  auto ask = [&](ISSymbol* s) -> ISSymbol* {
    ISSymbol* inner = nullptr;
    const BOOL hit = s->IsPtInSym(canvas, point, part, &inner);
    // The inner symbol is held by its owner: the answer carries no reference.
    if (inner) inner->Release();
    if (!hit) return nullptr;
    return inner ? inner : s;
  };
  for (const Found& f : symbols)
    if (!f.line)
      if (ISSymbol* hit = ask(f.symbol)) return hit;
  // Lines last: a box over a crossing line answers the box.
  for (const Found& f : symbols)
    if (f.line)
      if (ISSymbol* hit = ask(f.symbol)) return hit;
  return nullptr;
}

bool SSymRectIndex::CollectHits(SSymCanvas& canvas, const SSymPoint& point, std::vector<Found>& out) {
  out.clear();
  // Bridges widen what a line answers only where the diagram shows them.
  const bool bridges = ShowsBridges();
  const LONG margin = HitMargin(canvas, bridges);
  if (!Usable()) return false;
  // A line answers only within the margin beyond the boxes of its segments
  // (the bridges' part of it only near one of its bridges), and within its
  // reach beyond those of its labels: a line further from all of them is
  // not asked.
  const LONG plain = bridges ? HitMargin(canvas, false) : margin;
  const SSymRect atPoint(point.x, point.y, point.x, point.y);
  const SSymRect nearSegment = Widened(atPoint, plain), nearBridgeBand = Widened(atPoint, margin);
  const SSymRect nearLabel = Widened(atPoint, margin + kLineHitReach);
  ISSymEdgeRouter* router = bridges ? SSymGetEdgeRouter() : nullptr;
  // A bridge a-b-c-d (see SSymPolyBase::IsPtInSym) answers within its arcs'
  // diameter (the bridges' part of the margin) and the rest of the margin
  // around the box of its four points.
  const LONG bridgeReach = margin + 64;
  auto nearBridge = [&](ISSymbol* line) {
    const SSymListPt b = router->GetBridges(line);
    for (int q = 0; q + 3 < b.GetCount(); q += 4) {
      SSymRect box(b[q].x, b[q].y, b[q].x, b[q].y);
      for (int k = 1; k < 4; ++k)
        box = SSymRect(std::min(box.x1, b[q + k].x), std::max(box.y1, b[q + k].y), std::max(box.x2, b[q + k].x),
                       std::min(box.y2, b[q + k].y));
      if (Meets(Widened(box, bridgeReach), atPoint)) return true;
    }
    return false;
  };
  if (GridHits(point, margin, plain)) {
    for (std::uint32_t v : m_hitScratch) {
      const Entry& e = m_entries[v >> 1];
      if ((v & 1) && !(router && nearBridge(e.symbol))) continue;
      out.push_back(Found{e.symbol, e.line});
    }
    return true;
  }
  if (!CollectSlots(atPoint, margin, true)) return false;
  for (std::uint32_t slot : m_scratch) {
    const Entry& e = m_entries[slot];
    if (e.line && e.narrowed) {
      const SSymRect* box = m_boxes.data() + e.boxesAt;
      const SSymRect* labels = box + std::min(e.segmentBoxes, e.boxCount);
      auto meetsSegment = [&](const SSymRect& area) {
        return std::any_of(box, labels, [&](const SSymRect& b) { return Meets(b, area); });
      };
      if (!meetsSegment(nearSegment) &&
          std::none_of(labels, box + e.boxCount, [&](const SSymRect& b) { return Meets(b, nearLabel); }) &&
          !(router && meetsSegment(nearBridgeBand) && nearBridge(e.symbol)))
        continue;
    }
    out.push_back(Found{e.symbol, e.line});
  }
  return true;
}

const std::vector<SSymRectIndex::Found>& SSymRectIndex::HitCandidates(SSymCanvas& canvas, const SSymPoint& point) {
  if (!CollectHits(canvas, point, m_found)) CollectAll(m_found);
  return m_found;
}

ISSymbol* SSymRectIndex::HitTest(SSymCanvas& canvas, const SSymPoint& point, int* part) {
  return HitWalk(canvas, point, part, HitCandidates(canvas, point));
}
