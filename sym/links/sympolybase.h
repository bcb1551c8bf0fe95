// SSymPolyBase: the base of every symbol drawn along a list of points
// (polylines, polygons, links). It keeps the points, the corner style, the
// automatic-routing state and four arrowhead slots, keeps its rectangle equal
// to the extent of its points, records point-list changes as undoable
// actions and persists these values through its class description.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "sym/foundation/symclassreg.h"
#include "sym/foundation/symlistpt.h"
#include "sym/links/symarrow.h"
#include "sym/symbol/symstd.h"

// The arrowhead types: 0..70 are the catalogue's; 24 is "no arrow". A type
// outside the catalogue is read and stored as 24, so it never indexes past it.
namespace SSymArrowType {
inline constexpr int None = SSymTabArrow::NoArrow;
inline constexpr int Last = SSymTabArrow::LastType;
inline int Sanitize(long type) { return SSymTabArrow::Sanitize(type); }
}  // namespace SSymArrowType

class SSymPolyBase : public SRepFaces<SSymPolyBase, SSymStd, ISSymPolyline, ISSymLine> {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  // No coordinate of a new list lies further than this from the origin.
  static constexpr LONG CoordLimit = 1800000;
  static constexpr LONG CoordClamp = 1794000;

  SSymPolyBase(const SSymPoint& a, const SSymPoint& b, ISRepSession* session,
               const CLSID& clsid = CLSID_SSymPolyBase);
  SSymPolyBase(const SSymListPt& pts, ISRepSession* session, const CLSID& clsid = CLSID_SSymPolyBase);
  ~SSymPolyBase() override;

  int GetSymbolType() override { return 12; }

  // ---- ISSymPen
  HRESULT SetPen(const SSymPen& pen, int redraw) override;
  int CanChangePenStyle() override { return 1; }

  // ---- ISSymLine / ISSymPolyline
  LONG GetLineStyle() override { return LineStyle; }
  HRESULT SetLineStyle(LONG style, int redraw) override;
  LONG GetArrow(int endMask) override;
  HRESULT SetArrow(int endMask, LONG type, int redraw) override { return SetSymArrow(endMask, type, redraw); }
  HRESULT GetListPt(SSymListPt& out) override {
    out = ListPt;
    return S_OK;
  }
  HRESULT SetListPt(const SSymListPt& pts, int redraw, int flag) override { return SetListPt(pts, redraw, flag, 0); }
  const SSymListPt& ListPoints() const { return ListPt; }
  virtual HRESULT SetListPt(const SSymListPt& pts, int redraw, int a, int b);
  int CanChangeArrow() { return 1; }
  int SupportsAutorouting() { return 1; }

  // ---- ISSymbol
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;
  HRESULT HasAttribute(LONG id) override;

  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  // Boxes outside which, once each is widened by a zoom's half handle
  // square and its bridges (twice the radius), IsPtInSym answers nothing at
  // any zoom: one per stored segment widened by what the drawn line reaches
  // beyond it (the pull-back under an arrowhead, the bridges' own margin),
  // a curve's hull, and the labels' rectangles (their hit band and handles
  // lie within what the caller adds for a zoom). Appended to `out`; false
  // (nothing appended) when the line answers further out, as a bend of a
  // perpendicular arrowhead does, or over an area. The segments' boxes come
  // first: `segments` gets their count (a label's band reaches further).
  virtual bool GetHitBoxes(std::vector<SSymRect>& out, std::size_t& segments);
  // The owner redraws the line; on a given canvas each arrowhead is
  // invalidated as well. S_FALSE while drawing is suppressed.
  HRESULT Redraw(SSymCanvas* canvas) override;
  // The line's active rectangle united with each arrowhead's rectangle: an
  // arrowhead reaching out of the line's box is still repainted and hit.
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override;

  // ---- ISSymShadow
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;

  // The temporary list of a link: its ends moved onto the outlines of its
  // symbols, pulled back under the arrowheads, with the bends of
  // perpendicular arrowheads. Bits of the answer: 1 first point replaced,
  // 2 bend after the first point, 4 bend before the last point, 8 last
  // point replaced. With a list given, the list gets the temporary list and
  // the stored list stays; without, the stored list is replaced.
  int ConstructTempListPt(SSymListPt* list, int);
  // The bend of a perpendicular arrowhead out from the outline point of
  // symbol; extent grows by 225. Nonzero when a bend was found.
  virtual int FindPerpPoint(ISSymbol* symbol, SSymPoint& point, SSymPoint& outline, SSymSize& extent);
  // How far a line end goes back under an arrowhead whose catalogue entry
  // has the width factor `factor`, for pen width w (225 with the glow
  // shadow); computed without overflow.
  static LONG PullBackLength(SHORT factor, LONG width, bool glow);
  // Moves e by len along the segment from e toward toward (nothing for a
  // segment of length 1 or less).
  static SSymPoint PullBack(const SSymPoint& e, const SSymPoint& from, const SSymPoint& toward, LONG len);

  // ---- own operations
  virtual void DrawPolyLine(SSymCanvas& canvas);
  virtual void RecomputeClipRect(int a, int b);
  virtual void RecomputePoints(int a, int b, int c, int d);
  virtual void UpdateListPt() {}
  virtual int AddSymArrow(int slot, long type);
  virtual HRESULT SetSymArrow(int endMask, long type, int redraw);
  virtual void DelSymArrow(int slot);
  LONG GetArrows();
  HRESULT SetArrows(LONG word);
  SRep_Point GetLnkPos() { return GetPos(); }
  HRESULT SetLnkPos(const SRep_Point& p) { return SetPos(p); }
  SRep_Point GetLnkSize() { return GetSize(); }
  HRESULT SetLnkSize(const SRep_Point& p) { return SetSize(p); }
  bool GetIsARSupported() { return true; }
  // The arrowhead of a slot (0..3), or null.
  SSymArrow* GetArrowHead(int slot) const {
    return slot >= 0 && slot < 4 ? m_arrows[static_cast<size_t>(slot)].get() : nullptr;
  }
  // True while the arrowheads of a double line draw: they take the wide pen
  // of the whole line, so a sharp tip is cut off and they are placed with
  // their outline, not their figure, at the line's end (a mitred wide pen
  // would run a spike past the tip into the symbol).
  bool DrawsDoubleLineArrows() const { return m_doubleLineArrows; }
  // True when the symbol answers ISSymLink (links override the routing).
  virtual bool IsLink() { return false; }
  // Whether the diagram shows line crossings as bridges (links only).
  virtual bool ShowsBridges() { return false; }
  // The radius of a line bridge in diagram units.
  virtual LONG BridgeRadius();

  // Clamps every coordinate beyond the limit to the limit's side: the first
  // point's to the clamp value with its sign, a later one 6,000 beyond the
  // previous point's (clamped) coordinate towards its own side, never past
  // the clamp value.
  static void ClampPoints(SSymListPt& pts);

  SSymListPt ListPt;
  LONG LineStyle = 0;
  LONG ARState = 0;

 protected:
  explicit SSymPolyBase(ISRepSession* session, const CLSID& clsid = CLSID_SSymPolyBase);
  SSymPolyBase(const SSymPolyBase& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
  void MarkModified();

  std::array<SSymArrowPtr, 4> m_arrows;
  bool m_doubleLineArrows = false;
};
