// SSymArrow: the arrowhead of one slot of a point-list symbol (at the
// source end, at the destination end, or in the middle pointing either way).
// It draws no figure of its own: before each drawing it takes its type's
// working figure from the arrowhead catalogue, puts the figure's tip on the
// line point (on the attached symbol's outline for a link end, pulled back
// for the owner's pen or glow shadow), turns the figure so that its base
// lies toward the line (upright types are only shifted along it), gives it
// the line's pen width and colour, and draws it. It keeps the tip, the base
// and the extent of the placed figure, which the line uses for its own
// rectangle. Arrows are made only by their line and are never stored: the
// line stores the arrowhead types.
#pragma once

#include <memory>

#include "sym/foundation/symclassreg.h"
#include "sym/links/symarrowtab.h"
#include "sym/symbol/symstd.h"

class SSymPolyBase;
class SSymArrow;

// Gives up the line's reference on an arrow.
struct SSymArrowRelease {
  void operator()(SSymArrow* arrow) const;
};
using SSymArrowPtr = std::unique_ptr<SSymArrow, SSymArrowRelease>;

class SSymArrow : public SSymStd {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  // The slots of a point-list symbol (end masks 1, 2, 4, 8).
  enum ArrowDest { ArrowMiddleToSource = 0, ArrowMiddleToDestination = 1, ArrowSource = 2, ArrowDestination = 3 };

  SSymArrow(SSymPolyBase* owner, int type, int dest);
  // A copy of source's type (and uprightness) for another owner or slot.
  SSymArrow(SSymPolyBase* owner, const SSymArrow* source, int dest);
  ~SSymArrow() override = default;

  // A new arrow with one reference, held by the returned pointer.
  static SSymArrowPtr Make(SSymPolyBase* owner, int type, int dest);
  static SSymArrowPtr Make(SSymPolyBase* owner, const SSymArrow* source, int dest);

  int GetSymbolType() override { return 79; }
  // Changes of an arrow never mark the session modified.
  void SetSessionModified() override {}

  // ---- ISSymbol
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  // ---- ISSymShadow
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;

  // Places the arrow on the owner's current points (nothing with fewer
  // than two).
  void UpdateArrowPos();
  // The same for the arrow's tip, base and rectangle only: the working
  // figure, which every arrow of the type shares, stays where it lies (it
  // is placed on an arrow as the arrow is drawn).
  void PlaceOnLine();
  // Places the working figure with its tip on `tip`, turned (or, upright,
  // shifted) toward `toward`.
  void SetPosition(const SSymPoint& tip, const SSymPoint& toward);
  // Sets tip and base on the line without placing the figure; answers 1.
  int SymArrowToLine(const SSymPoint& tip, const SSymPoint& toward);
  // The arrow's rectangle from the placed figure's corners.
  void SetArrowClipRect();
  // Nonzero when `point` was put on the symbol's outline (the end segment
  // `segment` meeting it), pulled back for the owner's glow shadow or pen.
  int GetTipOnSymbol(ISSymLinkable* symbol, const SSymSegment& segment, SSymPoint* point);
  // The pull of a double line's arrowhead drawn with the wide pen of
  // `width`: the figure's outline, not its tip, meets the symbol.
  LONG DoubleLinePull(LONG width) const;

  int GetType() const { return m_type; }
  // Stores the type only (entry, points and uprightness unchanged).
  void SetType(int type) { m_type = type; }
  int GetDest() const { return m_dest; }
  SSymPoint GetTip() const { return m_ptTip; }
  SSymPoint GetBase() const { return m_ptBase; }
  bool IsRotating() const { return m_bRotate != 0; }
  const SSymTabArrow::ArrowEntry* GetEntry() const { return m_pEntry; }
  // Types 41..47 and 55..69 stand upright: moved, never turned.
  static bool IsUprightType(int type) { return (type >= 41 && type <= 47) || (type >= 55 && type <= 69); }

 protected:
  SSymArrow(const SSymArrow&) = delete;

 private:
  void Init();
  // Sets tip and base from the owner's current points; false when there is
  // no owner or it has fewer than two points.
  bool AimOnLine();

  SSymPolyBase* m_pOwner;  // not counted: the owner holds the arrow
  SSymPoint m_ptTip;
  SSymPoint m_ptBase;
  SSymTabArrow::ArrowEntry* m_pEntry = nullptr;
  int m_type = SSymTabArrow::NoArrow;
  int m_dest;
  BYTE m_bRotate = 1;
};
