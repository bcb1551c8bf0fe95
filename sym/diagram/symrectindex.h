// SSymRectIndex: the diagram's spatial index of its top-level symbols, so
// that a paint of a small area and a hit test look at the few symbols near
// the area instead of every symbol of the diagram.
//
// The index is a filter, never an answer of its own: it hands out, in
// collection order (the drawing order), every symbol that may meet an area,
// and the caller asks those symbols exactly as a walk over the whole
// collection would. For that it keeps, per symbol, a key rectangle that holds
// everything the symbol can draw or answer a hit on at any zoom once the
// zoom's own margins are added by the caller (ViewMargin, HitMargin):
//   the symbol's active rectangle without its pixel margin (its rectangle
//   with shadow, thick pen, arrowheads and labels), joined with its clip
//   rectangle.
// The keys follow the rectangle notifier (every change of a symbol's stored
// rectangle, undo, redo and owners refitting their members included), the
// diagram's redraw requests (format changes that widen a symbol) and the
// Symbols collection (insertions, removals and moves rebuild the index at
// its next use). A line keeps, besides its key, the boxes of its segments
// and labels (each within the key): a hit test asks a line only when the
// point lies near one of them, so that a long line crossing the area of a
// point is not asked at all. Each symbol is kept with its own hit reach
// beyond its key (a line's, a box's outline band, the widest for symbols
// that do not tell theirs), and each cell with the largest reach of its
// symbols: a hit test looks at a cell only within that reach, and at a
// symbol only within its own. A cell keeps its symbols' keys and reaches
// in one array, so that its walk reads neither the symbols nor their
// entries. While the diagram's session defers changes in a lockout
// context, symbols answer rectangles that no notification announced yet:
// the index then declines and the caller walks. Whether the diagram shows
// line crossings as bridges widens its links' rectangles, and nobody tells
// when the preferences change: the index compares it at every use and, on a
// change, has the lines take their rectangles again and takes every key
// afresh.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "kvrep/srepintf.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symrectnotify.h"

class SRepObject;
class SSymCanvas;
struct ISSymbol;
struct ISSymDiagram;
class ISSymDispPref;

class SSymRectIndex final : public ISRepClassColSink, public ISSymRectObserver {
 public:
  // One symbol handed out by Collect.
  struct Found {
    ISSymbol* symbol;  // not counted: the diagram's collection holds it
    bool line;         // the symbol is a line (answers ISSymPolyline)
  };

  // Indexes the Symbols collection `symbolsId` of `owner` (the diagram).
  SSymRectIndex(SRepObject* owner, LONG symbolsId);
  ~SSymRectIndex();
  SSymRectIndex(const SSymRectIndex&) = delete;
  SSymRectIndex& operator=(const SSymRectIndex&) = delete;

  // The symbols whose key widened by `margin` meets `area` (normalised
  // here), in collection order, into `out` (cleared first). False when the
  // index cannot answer now; the caller then walks the collection.
  bool Collect(const SSymRect& area, LONG margin, std::vector<Found>& out);
  // The same for a point.
  bool Collect(const SSymPoint& point, LONG margin, std::vector<Found>& out) {
    return Collect(SSymRect(point.x, point.y, point.x, point.y), margin, out);
  }

  // The symbol under `point` as a walk over the whole collection finds it
  // (the index only narrows what is asked): the first symbol in collection
  // order that is not a line and answers IsPtInSym (or the inner symbol it
  // names), else the first line that does. `part`, when given, goes to
  // IsPtInSym. No reference is added to the answer; null when nothing is hit.
  ISSymbol* HitTest(SSymCanvas& canvas, const SSymPoint& point, int* part);
  // The symbols HitTest asks at `point`, in the order of CollectHits (the
  // whole collection when the index cannot answer now), kept by the index
  // until its next hit test. Asks no symbol whether it is hit, so the
  // canvas need not be ready to draw.
  const std::vector<Found>& HitCandidates(SSymCanvas& canvas, const SSymPoint& point);
  // The symbols HitTest asks at `point`, in collection order, into `out`
  // (cleared first): every symbol that may answer a hit test there, with or
  // without a part. False when the index cannot answer now.
  bool CollectHits(SSymCanvas& canvas, const SSymPoint& point, std::vector<Found>& out);
  // The same over the given symbols, in their order.
  static ISSymbol* HitWalk(SSymCanvas& canvas, const SSymPoint& point, int* part, const std::vector<Found>& symbols);
  // Every symbol of the collection, in order (the walk without the index).
  void CollectAll(std::vector<Found>& out);

  // Takes the symbol's key again (a top-level symbol or anything inside
  // one); ignored for symbols of other diagrams.
  void Refresh(ISSymbol* symbol);

  // What the zoom of `canvas` adds to a key: the pixel margin of an active
  // rectangle (for drawing), and what a hit test adds to every symbol's own
  // reach (that margin, the handles' half squares, line bridges).
  // The bridges' part of HitMargin is left out when `bridges` is false, for
  // a diagram that does not show line crossings as bridges.
  static LONG ViewMargin(SSymCanvas& canvas);
  static LONG HitMargin(SSymCanvas& canvas, bool bridges = true);
  // The key of a symbol, as the index takes it.
  static SSymRect KeyOf(ISSymbol* symbol);
  // How far beyond its key a hit test on the symbol may answer, besides
  // HitMargin (see SSymBase::GetHitReach; lines answer within a fixed band).
  static LONG HitReachOf(ISSymbol* symbol, bool line);
  // The boxes a line is narrowed to within its key `key`, as the index takes
  // them (see SSymPolyBase::GetHitBoxes: each moved into the key, so that
  // widened by a hit test's reach it still holds every point of the key so
  // widened where the line answers); false for a symbol that is not
  // narrowed (anything but a line of points, a line answering over an area).
  // `segments`, when given, gets how many of the boxes (the first ones) are
  // the segments': a hit test reaches a label's box further than those.
  static bool HitBoxesOf(ISSymbol* symbol, const SSymRect& key, std::vector<SSymRect>& out,
                         std::size_t* segments = nullptr);

  // Test hooks: the number of symbols held (after bringing the index up to
  // date), and whether every held key equals a fresh KeyOf of its symbol and
  // the held symbols are exactly the collection's, in its order.
  int GetCount();
  bool IsConsistent();
  // Globally off: Collect declines, so that callers walk (for comparisons).
  // Whether the last hit test was answered through the hit grid (built once
  // the diagram has stayed unchanged for a number of hit tests).
  bool AnsweredFromHitGrid() const { return m_hitGrid.answered; }
  static void SetEnabled(bool enabled);
  static bool IsEnabled();

  // ISRepClassColSink: structural changes make the next use rebuild.
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT OnObjColInsert(ISRepClassCol*, ISRepObject*, int) override;
  HRESULT OnObjColMove(ISRepClassCol*, int, int) override;
  HRESULT OnObjColRemove(ISRepClassCol*, ISRepObject*) override;
  HRESULT OnObjColDelete(ISRepClassCol*) override;

  // ISSymRectObserver
  void OnSymbolRectChanged(ISSymbol* symbol, const SSymRect& from, const SSymRect& to) override;

 private:
  struct Entry {
    ISSymbol* symbol = nullptr;
    SSymRect key;
    LONG reach = 0;  // HitReachOf
    bool line = false;
    bool large = false;  // kept in m_large rather than in grid cells
    bool narrowed = false;  // a line with its boxes in m_boxes
    std::uint32_t boxesAt = 0, boxCount = 0;
    std::uint32_t segmentBoxes = 0;  // the first of the boxes: the segments'
  };
  // What a cell keeps of each entry meeting it: enough to decide without
  // looking at the entry.
  struct Item {
    SSymRect key;
    LONG reach;
    std::uint32_t slot;
  };
  struct Items {
    std::vector<Item> items;
    LONG reach = 0;  // at least the largest reach of the items
    void Add(const Entry& e, std::uint32_t slot);
    void Drop(std::uint32_t slot);
  };
  using Cell = std::uint64_t;
  // The grid a hit test reads once the diagram has stayed unchanged for a
  // while: per cell, in one array, a record for each box a hit may need
  // (a symbol's key widened by its reach, a line's segment and label boxes
  // instead of its key), placed in every cell that a query's margin of up
  // to `margin` around the box meets, so that a point reads one cell.
  struct HitRecord {
    SSymRect box;
    LONG reach;          // how far beyond the box a hit answers, besides the query's margin
    std::uint32_t slot;  // the entry, its kind in the top two bits
  };
  struct HitGrid {
    bool fresh = false;
    bool answered = false;
    std::uint32_t queriesSinceChange = 0;
    LONG margin = 0;  // the widest query margin the cells were filled for
    int shift = 12;
    std::int64_t cx0 = 0, cy0 = 0, width = 0, height = 0;
    std::vector<std::uint32_t> starts;  // width * height + 1 offsets into records
    std::vector<HitRecord> records;
    std::vector<HitRecord> large;  // records meeting too many cells: looked at always
  };
  enum : std::uint32_t { kHitWhole = 0, kHitSegment = 1u << 30, kHitLabel = 2u << 30, kHitKind = 3u << 30 };
  static constexpr std::uint32_t kBridgeOnly = 1u << 31;

  bool Usable();
  // Whether lines of the diagram may answer on bridges (a router is loaded
  // and the diagram's preferences show crossings as bridges).
  bool ShowsBridges();
  // Whether the diagram's preferences show crossings as bridges (what a
  // link's rectangle follows, router or not).
  bool PrefShowsBridges();
  // The diagram's display preferences (null when it has none).
  const ISSymDispPref* Prefs();
  // On a change of PrefShowsBridges since the keys were taken: the lines
  // take their rectangles again and the next use rebuilds.
  void FollowBridges();
  void Rebuild();
  void Place(std::uint32_t slot);
  void Unplace(std::uint32_t slot);
  void SetKey(std::uint32_t slot, const SSymRect& key);
  void TakeBoxes(std::uint32_t slot);
  // The slots of the entries meeting `area` widened by `margin` (normalised
  // area, margin >= 0); for a hit test (`hit`, the area a point) each entry
  // is widened by its own reach too.
  bool CollectSlots(const SSymRect& area, LONG margin, bool hit);
  // The slots a hit test at `point` asks, through the hit grid, in order
  // into m_hitScratch, each with kBridgeOnly when it is near the point only
  // by the bridges' band of its segments (`margin` against `plain`). False
  // when the grid is not worth building yet (the diagram changed a short
  // while ago); the caller then takes CollectSlots. Usable() first.
  bool GridHits(const SSymPoint& point, LONG margin, LONG plain);
  void BuildHitGrid(LONG margin);
  // Every change of an entry, a key or a line's boxes.
  void Changed() {
    m_hitGrid.fresh = false;
    m_hitGrid.queriesSinceChange = 0;
  }
  std::uint32_t* FindTop(ISSymbol* symbol);
  static Cell CellOf(std::int64_t cx, std::int64_t cy) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cx)) << 32) | static_cast<std::uint32_t>(cy);
  }
  std::int64_t CellCoord(std::int64_t v) const { return v >> m_shift; }

  SRepObject* m_owner;
  ISSymDiagram* m_face = nullptr;  // the owner's diagram face, once asked
  LONG m_symbolsId;
  bool m_dirty = true;
  bool m_advised = false;
  // PrefShowsBridges when the keys were taken (-1: not taken yet).
  int m_bridges = -1;
  int m_shift = 14;
  LONG m_maxReach = 0;  // at least the largest reach of any entry
  std::vector<Entry> m_entries;
  std::unordered_map<ISSymbol*, std::uint32_t> m_slots;
  std::unordered_map<Cell, Items> m_cells;
  Items m_large;
  std::vector<std::uint32_t> m_scratch;
  // The lines' boxes, a run per narrowed entry; runs that no longer fit are
  // replaced at the end, the old ones left until the next rebuild.
  std::vector<SSymRect> m_boxes;
  std::size_t m_boxesLive = 0;
  std::vector<SSymRect> m_boxScratch;
  std::vector<Found> m_found;
  HitGrid m_hitGrid;
  std::vector<std::uint32_t> m_hitScratch;
};
