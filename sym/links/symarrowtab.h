// The arrowhead catalogue: one entry per arrowhead type (0..70), each with a
// model figure built once in the arrowhead's own coordinates (tip at the
// origin for most, base along +x, y upward, 1000 units = 1/7.2 inch, never
// scaled) and a working copy that an arrow moves and turns onto a line end
// just before it draws it. Type 24 is "no arrowhead"; types 11, 15 and 24
// have no figure and draw nothing.
//
// The catalogue is built on its first lookup (left empty for good when the
// application is already exiting then) and freed at unload by
// TerminateSymArrow, after which it is never rebuilt. The table itself is
// never destroyed, so a lookup at any moment of the unload, even after the
// library's static destructors ran, answers an empty entry.
//
// The figures are the catalogue's own drawing parts (polygon, polyline,
// circle, arc, pie, rectangle, blank rectangle and groups of them): plain
// values that copy whole, so the working copy is an independent duplicate.
#pragma once

#include <memory>
#include <vector>

#include "sym/foundation/symgeom.h"
#include "sym/foundation/symlistpt.h"
#include "sym/foundation/symvalues.h"

class SSymCanvas;

// One drawn part of an arrowhead, or a group of parts drawn in order.
class SSymArrowFigure {
 public:
  enum Kind { Polygon, Polyline, Ellipse, Arc, Pie, Rectangle, BlankRectangle, Group };

  static SSymArrowFigure MakePoints(Kind kind, std::initializer_list<SSymPoint> pts);
  static SSymArrowFigure MakeRect(Kind kind, const SSymRect& rect);
  static SSymArrowFigure MakeArc(const SSymRect& rect, const SSymPoint& start, const SSymPoint& end);
  static SSymArrowFigure MakeGroup(std::vector<SSymArrowFigure> members);

  Kind GetKind() const { return m_kind; }
  // The symbol type code of the part: polyline 1, polygon 2, rectangles 3,
  // ellipse 5, arc 6, pie 16, a group the generic 79.
  int GetSymbolType() const;
  const SSymListPt& Points() const { return m_pts; }
  const SSymRect& Rect() const { return m_rect; }
  SSymPoint ArcStart() const { return m_start; }
  SSymPoint ArcEnd() const { return m_end; }
  std::vector<SSymArrowFigure>& Members() { return m_members; }
  const std::vector<SSymArrowFigure>& Members() const { return m_members; }
  const SSymPen& GetPen() const { return m_pen; }
  const SSymBrush& GetBrush() const { return m_brush; }

  // Builder helpers: the fill of a part that has one (polylines and arcs
  // have none), a moved part, a dotted outline.
  SSymArrowFigure& Fill(DWORD color);
  SSymArrowFigure& Moved(const SSymSize& offset);
  SSymArrowFigure& Dotted();

  void MoveBy(const SSymSize& offset);
  // Points are transformed; a circle, a rectangle, a pie or an arc keeps its
  // size and moves its centre (width and height trade places when the turn
  // is nearer a quarter turn), and an arc's end points are transformed.
  void Transform(const SSymMatrix& matrix);
  // The geometry of `source` (points, arc rectangle and ends, or a move by
  // the difference of the centres, as the kinds allow).
  void CopyGeometry(const SSymArrowFigure& source);
  // Every part keeps its own pen style and takes this width and colour.
  void SetPenWidthColor(LONG width, SSymColor color);
  // Every part with a fill takes this fill colour; true when one changed.
  bool SetFillColor(SSymColor color);
  bool HasFill() const;
  void SetShadow(const SSymBrush& brush);
  // The bounding rectangle of the parts (normalised).
  SSymRect GetBoundRect() const;

  void Draw(SSymCanvas& canvas) const;
  void DrawShadow(SSymCanvas& canvas) const;

 private:
  Kind m_kind = Polyline;
  SSymListPt m_pts;
  SSymRect m_rect;
  SSymPoint m_start, m_end;
  SSymPen m_pen{SSymPen::Solid, 0, SSymColor(0)};
  SSymBrush m_brush;  // solid white, as a new filled symbol
  SSymBrush m_shadow{SSymColor(0xC0C0C0)};
  std::vector<SSymArrowFigure> m_members;
};

class SSymTabArrow {
 public:
  // The arrowhead types; 24 is no arrowhead.
  enum ArrowType : int { FirstType = 0, NoArrow = 24, LastType = 70, Count = 71 };

  struct ArrowEntry {
    // The working figure (null for an entry without figure).
    std::unique_ptr<SSymArrowFigure> m_pSymbol;
    SSymPoint m_ptTip, m_ptBase;
    SSymPoint m_ptCorner[4];  // upper left, upper right, lower right, lower left
    int m_bFillLineColor = 0;
    int m_bShortenLine = 1;
    SHORT m_nWidthFactor = 1;
    // The model figure as built.
    std::unique_ptr<SSymArrowFigure> m_pModel;
    SSymPoint m_ptModelTip, m_ptModelBase;
    SSymPoint m_ptModelCorner[4];

    bool HasFigure() const { return m_pSymbol != nullptr; }
  };

  // The entry of a type; builds the catalogue on the first call. Persisted
  // arrow bytes can name types up to 254: any type outside 0..70 answers
  // the entry of 24 (no arrowhead). Never null.
  static ArrowEntry* GetEntry(int type);
  // True for a type of the catalogue (0..70).
  static bool IsValidType(long type) { return type >= FirstType && type <= LastType; }
  // A type outside the catalogue as 24.
  static int Sanitize(long type) { return IsValidType(type) ? static_cast<int>(type) : NoArrow; }
  // Builds every figure and fills the 68 entries that have one.
  static void InitSymArrow();
  // Fills one entry; a type outside 0..70 or a null figure changes nothing.
  static void SetEntry(int type, std::unique_ptr<SSymArrowFigure> figure, const SSymPoint& tip, const SSymPoint& base,
                       const SSymRect& claimed, int fill, int shorten, SHORT factor);
  // Puts the working figure and points back to the model's; for two groups
  // only the leading members both have.
  static void ResetEntry(ArrowEntry& entry);
  static void CopyGeometry(SSymArrowFigure* target, const SSymArrowFigure* source);
  // Frees every figure (library unload); the catalogue is not rebuilt after.
  static void TerminateSymArrow();

  // Whether the first lookup happened (the catalogue is built, or was left
  // empty because the application was exiting).
  static bool IsBuilt();
};
