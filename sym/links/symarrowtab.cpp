#include "sym/links/symarrowtab.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include "kvcore/swinapp.h"
#include "sym/foundation/symterminators.h"
#include "sym/render/symcanv.h"

// ---- the figure parts ----------------------------------------------------------------------------
SSymArrowFigure SSymArrowFigure::MakePoints(Kind kind, std::initializer_list<SSymPoint> pts) {
  SSymArrowFigure f;
  f.m_kind = kind;
  for (const SSymPoint& p : pts) f.m_pts.Add(p);
  return f;
}

SSymArrowFigure SSymArrowFigure::MakeRect(Kind kind, const SSymRect& rect) {
  SSymArrowFigure f;
  f.m_kind = kind;
  f.m_rect = rect;
  return f;
}

SSymArrowFigure SSymArrowFigure::MakeArc(const SSymRect& rect, const SSymPoint& start, const SSymPoint& end) {
  SSymArrowFigure f = MakeRect(Arc, rect);
  f.m_start = start;
  f.m_end = end;
  return f;
}

SSymArrowFigure SSymArrowFigure::MakeGroup(std::vector<SSymArrowFigure> members) {
  SSymArrowFigure f;
  f.m_kind = Group;
  f.m_members = std::move(members);
  return f;
}

int SSymArrowFigure::GetSymbolType() const {
  switch (m_kind) {
    case Polyline: return 1;
    case Polygon: return 2;
    case Rectangle:
    case BlankRectangle: return 3;
    case Ellipse: return 5;
    case Arc: return 6;
    case Pie: return 16;
    default: return 79;
  }
}

SSymArrowFigure& SSymArrowFigure::Fill(DWORD color) {
  m_brush = SSymBrush(SSymColor(color));
  m_brush.SetBitmapMode(12);
  m_brush.SetEndColor(SSymColor(0x767676));
  return *this;
}

SSymArrowFigure& SSymArrowFigure::Moved(const SSymSize& offset) {
  MoveBy(offset);
  return *this;
}

SSymArrowFigure& SSymArrowFigure::Dotted() {
  m_pen.m_style = SSymPen::Dot;
  return *this;
}

namespace {
// A coordinate moved, held within the 32-bit range (a line far out must not
// wrap its arrowhead around).
LONG Add(LONG v, LONG d) {
  return static_cast<LONG>(std::clamp<long long>(static_cast<long long>(v) + d, INT32_MIN, INT32_MAX));
}
SSymPoint Add(const SSymPoint& p, const SSymSize& d) { return SSymPoint(Add(p.x, d.cx), Add(p.y, d.cy)); }
}  // namespace

void SSymArrowFigure::MoveBy(const SSymSize& d) {
  for (int i = 0; i < m_pts.GetCount(); ++i) m_pts[i] = Add(m_pts[i], d);
  m_rect = SSymRect(Add(m_rect.x1, d.cx), Add(m_rect.y1, d.cy), Add(m_rect.x2, d.cx), Add(m_rect.y2, d.cy));
  m_start = Add(m_start, d);
  m_end = Add(m_end, d);
  for (SSymArrowFigure& m : m_members) m.MoveBy(d);
}

void SSymArrowFigure::Transform(const SSymMatrix& matrix) {
  switch (m_kind) {
    case Polygon:
    case Polyline:
      for (int i = 0; i < m_pts.GetCount(); ++i) m_pts[i] = matrix.Transform(m_pts[i]);
      return;
    case Group:
      for (SSymArrowFigure& m : m_members) m.Transform(matrix);
      return;
    default: break;
  }
  // A round or boxed part keeps its size: its centre follows the matrix.
  // Summed in 64 bits so that far-out rectangles do not overflow.
  SSymRect r = m_rect;
  r.Normalize();
  const long long w = static_cast<long long>(r.x2) - r.x1, h = static_cast<long long>(r.y1) - r.y2;
  const SSymPoint c(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                    static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
  const SSymPoint o = matrix.Transform(SSymPoint(0, 0)), u = matrix.Transform(SSymPoint(1000, 0));
  const bool quarter = std::llabs(static_cast<long long>(u.y) - o.y) > std::llabs(static_cast<long long>(u.x) - o.x);
  const long long nw = quarter ? h : w, nh = quarter ? w : h;
  const SSymPoint nc = matrix.Transform(c);
  auto fit = [](long long v) { return static_cast<LONG>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
  m_rect = SSymRect(fit(nc.x - nw / 2), fit(nc.y + nh / 2), fit(nc.x - nw / 2 + nw), fit(nc.y + nh / 2 - nh));
  if (m_kind == Arc) {
    m_start = matrix.Transform(m_start);
    m_end = matrix.Transform(m_end);
  }
}

void SSymArrowFigure::CopyGeometry(const SSymArrowFigure& source) {
  const bool pointsHere = m_kind == Polygon || m_kind == Polyline;
  const bool pointsThere = source.m_kind == Polygon || source.m_kind == Polyline;
  if (pointsHere && pointsThere) {
    m_pts = source.m_pts;
    return;
  }
  if (m_kind == Arc) {
    m_rect = source.m_rect;
    m_start = source.m_start;
    m_end = source.m_end;
    return;
  }
  const SSymRect a = source.GetBoundRect(), b = GetBoundRect();
  auto centre = [](LONG p, LONG q) { return (static_cast<long long>(p) + q) / 2; };
  auto fit = [](long long v) { return static_cast<LONG>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
  MoveBy(SSymSize(fit(centre(a.x1, a.x2) - centre(b.x1, b.x2)), fit(centre(a.y1, a.y2) - centre(b.y1, b.y2))));
}

void SSymArrowFigure::SetPenWidthColor(LONG width, SSymColor color) {
  m_pen.m_width = width;
  m_pen.m_color = color;
  for (SSymArrowFigure& m : m_members) m.SetPenWidthColor(width, color);
}

bool SSymArrowFigure::HasFill() const {
  if (m_kind == Group)
    return std::any_of(m_members.begin(), m_members.end(), [](const SSymArrowFigure& m) { return m.HasFill(); });
  return m_kind != Polyline && m_kind != Arc;
}

bool SSymArrowFigure::SetFillColor(SSymColor color) {
  bool changed = false;
  if (m_kind == Group) {
    for (SSymArrowFigure& m : m_members) changed = m.SetFillColor(color) || changed;
  } else if (HasFill() && m_brush.m_color != color) {
    m_brush.m_color = color;
    changed = true;
  }
  return changed;
}

void SSymArrowFigure::SetShadow(const SSymBrush& brush) {
  m_shadow = brush;
  for (SSymArrowFigure& m : m_members) m.SetShadow(brush);
}

SSymRect SSymArrowFigure::GetBoundRect() const {
  if (m_kind == Group) {
    bool any = false;
    SSymRect all(0, 0, 0, 0);
    for (const SSymArrowFigure& m : m_members) {
      const SSymRect r = m.GetBoundRect();
      if (!any)
        all = r;
      else
        all = SSymRect(std::min(all.x1, r.x1), std::max(all.y1, r.y1), std::max(all.x2, r.x2), std::min(all.y2, r.y2));
      any = true;
    }
    return all;
  }
  if (m_kind == Polygon || m_kind == Polyline) return m_pts.IsEmpty() ? SSymRect(0, 0, 0, 0) : m_pts.GetBoundRect();
  SSymRect r = m_rect;
  return r.Normalize();
}

namespace {
// The pie stands on the bottom edge of its rectangle: the upper half of an
// ellipse reaching as far below that edge as the rectangle is high.
void DrawPie(SSymCanvas& canvas, SSymRect r) {
  r.Normalize();
  const LONG h = r.y1 - r.y2;
  const SSymRect ellipse(r.x1, r.y1, r.x2, static_cast<LONG>(static_cast<long long>(r.y2) - h - 1));
  canvas.Pie(ellipse, SSymPoint(r.x2, r.y2), SSymPoint(r.x1, r.y2), r);
}

void DrawPart(SSymCanvas& canvas, const SSymArrowFigure& f, const SSymPen& pen, const SSymBrush& brush) {
  SSymRect r = f.Rect();
  r.Normalize();
  canvas.SetPen(pen);
  switch (f.GetKind()) {
    case SSymArrowFigure::Polyline:
      if (f.Points().GetCount() >= 2) canvas.Polyline(f.Points(), 0);
      return;
    case SSymArrowFigure::Arc: canvas.Arc(f.Rect(), f.ArcStart(), f.ArcEnd()); return;
    default: break;
  }
  canvas.SetBrush(brush, 0);
  switch (f.GetKind()) {
    case SSymArrowFigure::Polygon:
      if (f.Points().GetCount() >= 2) canvas.Polygon(f.Points());
      break;
    case SSymArrowFigure::Ellipse: canvas.Ellipse(r); break;
    case SSymArrowFigure::Pie: DrawPie(canvas, r); break;
    case SSymArrowFigure::BlankRectangle: {
      // Drawn without a visible outline: the outline takes the fill colour.
      SSymPen p = pen;
      p.m_color = brush.m_color;
      canvas.SetPen(p);
      canvas.Rectangle(r);
      break;
    }
    default: canvas.Rectangle(r); break;
  }
}
}  // namespace

void SSymArrowFigure::Draw(SSymCanvas& canvas) const {
  if (m_kind == Group) {
    for (const SSymArrowFigure& m : m_members) m.Draw(canvas);
    return;
  }
  DrawPart(canvas, *this, m_pen, m_brush);
}

void SSymArrowFigure::DrawShadow(SSymCanvas& canvas) const {
  if (m_kind == Group) {
    for (const SSymArrowFigure& m : m_members) m.DrawShadow(canvas);
    return;
  }
  DrawPart(canvas, *this, SSymPen(m_pen.m_style, m_pen.m_width, m_shadow.m_color), m_shadow);
}

// ---- the catalogue -----------------------------------------------------------------------------------
namespace {
struct Table {
  std::array<SSymTabArrow::ArrowEntry, SSymTabArrow::Count> entries;
  bool built = false;
};

// Made once in static storage and never destroyed: a lookup during the
// unload, even after the static destructors, still finds the (emptied)
// table, and the library leaves no heap block behind when it is unloaded.
Table& TheTable() {
  alignas(Table) static unsigned char storage[sizeof(Table)];
  static Table* table = new (storage) Table;
  return *table;
}

void Free(SSymTabArrow::ArrowEntry& e) {
  e.m_pModel.reset();
  e.m_pSymbol.reset();
}

const SSymTerminatorInstaller s_terminator(SSymTerminatorSlot::SymArrow, &SSymTabArrow::TerminateSymArrow);
}  // namespace

bool SSymTabArrow::IsBuilt() { return TheTable().built; }

SSymTabArrow::ArrowEntry* SSymTabArrow::GetEntry(int type) {
  Table& t = TheTable();
  if (!t.built) {
    // The flag goes up before the test: a catalogue first asked for while the
    // application exits stays empty for good.
    t.built = true;
    const SWinApp* app = SGetApp();
    if (!app || !app->IsExiting()) InitSymArrow();
  }
  return &t.entries[static_cast<size_t>(Sanitize(type))];
}

void SSymTabArrow::SetEntry(int type, std::unique_ptr<SSymArrowFigure> figure, const SSymPoint& tip,
                            const SSymPoint& base, const SSymRect& claimed, int fill, int shorten, SHORT factor) {
  if (!figure || !IsValidType(type)) return;
  ArrowEntry& e = TheTable().entries[static_cast<size_t>(type)];
  e.m_ptModelTip = tip;
  e.m_ptModelBase = base;
  SSymRect r = claimed;
  r.Normalize();
  e.m_ptModelCorner[0] = SSymPoint(r.x1, r.y1);
  e.m_ptModelCorner[1] = SSymPoint(r.x2, r.y1);
  e.m_ptModelCorner[2] = SSymPoint(r.x2, r.y2);
  e.m_ptModelCorner[3] = SSymPoint(r.x1, r.y2);
  e.m_pSymbol = std::make_unique<SSymArrowFigure>(*figure);
  e.m_pModel = std::move(figure);
  ResetEntry(e);
  e.m_bFillLineColor = fill;
  e.m_bShortenLine = shorten;
  e.m_nWidthFactor = factor;
}

void SSymTabArrow::ResetEntry(ArrowEntry& e) {
  e.m_ptTip = e.m_ptModelTip;
  e.m_ptBase = e.m_ptModelBase;
  std::copy(std::begin(e.m_ptModelCorner), std::end(e.m_ptModelCorner), std::begin(e.m_ptCorner));
  if (!e.m_pModel || !e.m_pSymbol) return;
  if (e.m_pModel->GetKind() == SSymArrowFigure::Group && e.m_pSymbol->GetKind() == SSymArrowFigure::Group) {
    auto& work = e.m_pSymbol->Members();
    const auto& model = e.m_pModel->Members();
    for (size_t i = 0; i < work.size() && i < model.size(); ++i) CopyGeometry(&work[i], &model[i]);
    return;
  }
  CopyGeometry(e.m_pSymbol.get(), e.m_pModel.get());
}

void SSymTabArrow::CopyGeometry(SSymArrowFigure* target, const SSymArrowFigure* source) {
  if (target && source) target->CopyGeometry(*source);
}

void SSymTabArrow::TerminateSymArrow() {
  Table& t = TheTable();
  if (!t.built) return;
  for (ArrowEntry& e : t.entries) Free(e);
}

// ---- the figures -----------------------------------------------------------------------------------
// The figure data keeps its table layout.
// clang-format off
namespace {
using F = SSymArrowFigure;
using Pts = std::initializer_list<SSymPoint>;

F Gon(Pts pts) { return F::MakePoints(F::Polygon, pts); }
F Line(Pts pts) { return F::MakePoints(F::Polyline, pts); }
F Oval(LONG x1, LONG y1, LONG x2, LONG y2) { return F::MakeRect(F::Ellipse, SSymRect(x1, y1, x2, y2)); }
F Group(std::vector<F> members) { return F::MakeGroup(std::move(members)); }

constexpr DWORD kStandard = 0xFF0000;
constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0x000000;

F Std(F f) { return std::move(f.Fill(kStandard)); }

// The ring of the upright pictograms: the outer circle grown to 1801 units
// about its centre on (900, 0), the inner one 150 inside it.
std::vector<F> Ring(bool dotted, bool white) {
  F outer = Oval(0, 900, 1800, -900), inner = Oval(150, 750, 1650, -750);
  if (white) {
    outer.Fill(kWhite);
    inner.Fill(kWhite);
  }
  if (dotted) {
    outer.Dotted();
    inner.Dotted();
  }
  return {outer, inner};
}

std::vector<F> Clock() {
  std::vector<F> m{Oval(375, 525, 1425, -525).Fill(kWhite)};
  const std::pair<SSymPoint, SSymPoint> ticks[] = {
      {{900, 525}, {900, 300}},     {{900, -525}, {900, -300}},   {{375, 0}, {600, 0}},
      {{1200, 0}, {1425, 0}},       {{525, 225}, {600, 150}},     {{675, 375}, {750, 300}},
      {{525, -225}, {600, -150}},   {{675, -375}, {750, -300}},   {{1200, 150}, {1275, 225}},
      {{1050, 300}, {1125, 375}},   {{1200, -150}, {1275, -225}}, {{1050, -300}, {1125, -375}},
      {{900, 0}, {1200, 0}},        {{900, 0}, {900, 300}}};
  for (const auto& t : ticks) m.push_back(Line({t.first, t.second}));
  return m;
}

F Bolt() { return Gon({{375, -490}, {725, 280}, {1075, 0}, {1425, 490}, {1145, -280}, {795, -75}}); }

// The pictograms of the ring types, by type (the dotted types reuse them).
std::vector<F> Pictogram(int type) {
  switch (type) {
    case 43: return {Bolt().Fill(kBlack)};
    case 44: return Clock();
    case 45: return {Line({{375, 375}, {375, -375}, {1425, -375}, {1425, 375}, {375, 375}, {900, 75}, {1425, 375}})};
    case 46:
      return {Line({{375, 0}, {900, -450}, {900, 450}, {375, 0}}), Line({{900, 0}, {1425, -450}, {1425, 450}, {900, 0}})};
    case 47:
      return {Line({{900, -525}, {675, -300}, {375, -300}, {525, 0}, {375, 300}, {675, 300}, {900, 525}, {1125, 300},
                    {1425, 300}, {1275, 0}, {1425, -300}, {1125, -300}, {900, -525}})};
    case 55: return {Line({{350, 400}, {350, -400}, {1450, -400}, {1450, 400}, {900, 50}, {350, 400}, {1450, 400}})};
    case 56: return {Bolt()};
    case 57: return {Line({{900, 600}, {450, -500}, {900, -100}, {1350, -500}, {900, 600}})};
    case 58: {
      std::vector<F> m{Line({{400, 500}, {400, -500}, {1400, -500}, {1400, 500}, {400, 500}})};
      for (LONG y : {300, 100, -100, -300}) m.push_back(Line({{400, y}, {1400, y}}));
      return m;
    }
    case 59: return {Line({{900, 600}, {325, -300}, {1475, -300}, {900, 600}})};
    case 60: return {Line({{900, 600}, {275, 150}, {500, -525}, {1300, -525}, {1525, 150}, {900, 600}})};
    case 61:
      return {Line({{750, 600}, {750, 150}, {300, 150}, {300, -150}, {750, -150}, {750, -600}, {1050, -600},
                    {1050, -150}, {1500, -150}, {1500, 150}, {1050, 150}, {1050, 600}, {750, 600}})};
    case 62:
      return {Line({{900, 200}, {550, 550}, {350, 350}, {700, 0}, {350, -350}, {550, -550}, {900, -200}, {1250, -550},
                    {1450, -350}, {1100, 0}, {1450, 350}, {1250, 550}, {900, 200}})};
    default: return {};
  }
}

F RingFigure(int type, bool dotted) {
  std::vector<F> m = Ring(dotted, type == 56);
  for (F& p : Pictogram(type)) m.push_back(std::move(p));
  return Group(std::move(m));
}

// One row of the catalogue: the figure with its tip, base, claimed
// rectangle, fill flag, shorten flag and width factor.
struct Row {
  int type;
  F figure;
  SSymPoint tip, base;
  SSymRect claimed;
  int fill, shorten;
  SHORT factor;
};

std::vector<Row> Rows() {
  const SSymPoint o(0, 0);
  const F tri = Gon({{0, 0}, {1000, 225}, {1000, -225}});
  const F shortTri = Gon({{0, 0}, {500, 225}, {500, -225}});
  const F notch = Gon({{0, 0}, {1000, 225}, {800, 0}, {1000, -225}});
  const F wide = Gon({{0, 0}, {1000, 500}, {1000, -500}});
  const F diamond = Gon({{0, 0}, {700, 350}, {1400, 0}, {700, -350}});
  const F smallDiamond = Gon({{0, 0}, {300, 300}, {600, 0}, {300, -300}});
  const F longTri = Gon({{0, 0}, {1800, 300}, {1800, -300}});
  const F longNotch = Gon({{0, 0}, {1800, 400}, {1500, 0}, {1800, -400}});
  const F wideNotch = Gon({{0, 0}, {1000, 500}, {800, 0}, {1000, -500}});
  const F dot = Oval(100, 150, 400, -150);
  const F open = Line({{1000, 300}, {0, 0}, {1000, -300}});
  const F bigTri = Line({{-1000, 700}, {1000, 0}, {-1000, -700}, {-1000, 700}});
  const F bar = Line({{1000, -412}, {1000, 412}});
  const F shaft = Gon({{1000, 500}, {2000, 0}, {1000, -500}});
  const F rail1 = Line({{0, 230}, {1000, 230}}), rail2 = Line({{0, -230}, {1000, -230}});
  const F ball = Oval(2000, 262, 2525, -262);
  const SSymRect ringBox(0, 900, 1800, -900);

  std::vector<Row> rows = {
      {0, Std(tri), o, {1000, 0}, {0, 225, 1000, -225}, 1, 1, 3},
      {1, Std(shortTri), o, {500, 0}, {0, 225, 500, -225}, 1, 1, 1},
      {2, Std(notch), o, {1000, 0}, {0, 225, 1000, -225}, 1, 1, 3},
      {3, tri, o, {1000, 0}, {0, 225, 1000, -225}, 1, 1, 1},
      {4, shortTri, o, {500, 0}, {0, 225, 500, -225}, 0, 1, 1},
      {5, notch, o, {1000, 0}, {0, 225, 1000, -225}, 0, 1, 2},
      {6, wide, o, {1000, 0}, {0, 500, 1000, -500}, 0, 1, 1},
      {7, open, o, {1000, 0}, {0, 300, 1000, -300}, 0, 1, 3},
      {8, Std(wide), o, {1000, 0}, {0, 500, 1000, -500}, 1, 1, 1},
      {9, Std(Oval(150, 300, 750, -300)), o, {750, 0}, {150, 300, 750, -300}, 1, 1, 0},
      {10, Oval(150, 300, 750, -300), o, {750, 0}, {150, 300, 750, -300}, 0, 1, 0},
      {12, diamond, o, {1400, 0}, {0, 350, 1400, -350}, 0, 1, 2},
      {13, Std(diamond), o, {1400, 0}, {0, 350, 1400, -350}, 1, 1, 2},
      {14, Group({Oval(150, 500, 1150, -500), Line({{400, 0}, {900, 0}}), Line({{650, 250}, {650, -250}})}), o,
       {1150, 0}, {150, 500, 1150, -500}, 0, 1, 0},
      {16, Oval(538, 262, 1062, -262), o, {800, 0}, {0, 262, 1062, -262}, 0, 0, 0},
      {17, bar, o, {1100, 0}, {900, 412, 1100, -412}, 0, 0, 0},
      {18, Group({bigTri, Oval(1000, 262, 1525, -262)}), o, {1525, 0}, {-1000, 800, 1525, -800}, 0, 0, 0},
      {19, Group({bigTri, bar}), o, {1000, 0}, {-1000, 800, 1100, -800}, 0, 0, 0},
      {20, Group({shaft, ball}), o, {2525, 0}, {1000, 500, 2525, -500}, 0, 0, 0},
      {21, Group({shaft, Line({{2000, -412}, {2000, 412}})}), o, {2000, 0}, {1000, 500, 2100, -500}, 0, 0, 0},
      {22, Group({shaft, rail1, rail2, ball}), o, {2525, 0}, {1000, 500, 2525, -500}, 0, 0, 0},
      {23, Group({shaft, rail1, rail2, Line({{2000, -412}, {2000, 412}})}), o, {2525, 0}, {1000, 500, 2525, -500}, 0,
       0, 0},
      {25, Line({{1000, 300}, {0, 0}, {1000, 0}}), o, {1000, 0}, {0, 300, 1000, 0}, 0, 1, 3},
      {26, Line({{1000, -300}, {0, 0}, {1000, 0}}), o, {1000, 0}, {0, 0, 1000, -300}, 0, 1, 3},
      {27, Std(dot), o, {300, 0}, {100, 150, 400, -150}, 1, 1, 1},
      {28, Group({Std(dot), Std(tri).Moved({300, 0})}), o, {1300, 0}, {0, 225, 1300, -225}, 1, 1, 1},
      {29, Group({Std(dot), F(open).Moved({300, 0})}), o, {1300, 0}, {0, 300, 1300, -300}, 1, 1, 1},
      {30, Group({Line({{0, 0}, {1000, -300}}).Moved({300, 0}), Std(dot)}), o, {1300, 0}, {0, 300, 1300, -300}, 1, 1,
       1},
      {31, Std(smallDiamond), o, {600, 0}, {0, 300, 600, -300}, 1, 1, 1},
      {32, smallDiamond, o, {600, 0}, {0, 300, 600, -300}, 0, 1, 1},
      {33, Std(longTri), o, {1800, 0}, {0, 300, 1800, -300}, 1, 1, 3},
      {34, Std(longNotch), o, {1800, 0}, {0, 400, 1800, -400}, 1, 1, 3},
      {35, longTri, o, {1800, 0}, {0, 300, 1800, -300}, 0, 1, 3},
      {36, longNotch, o, {1800, 0}, {0, 400, 1800, -400}, 0, 1, 3},
      {37, Line({{1600, 400}, {0, 0}, {1600, -400}}), o, {1600, 0}, {0, 400, 1600, -400}, 0, 1, 3},
      {38, Line({{1000, 500}, {0, 0}, {1000, -500}}), o, {1000, 0}, {0, 500, 1000, -500}, 0, 1, 1},
      {39, Std(wideNotch), o, {1000, 0}, {0, 500, 1000, -500}, 1, 1, 1},
      {40, wideNotch, o, {1000, 0}, {0, 500, 1000, -500}, 0, 1, 1},
      {41, F::MakeRect(F::Pie, SSymRect(-700, 450, 700, -450)), o, o, {-800, 550, 800, -550}, 0, 1, 0},
      {42,
       Group({Oval(-400, 400, 400, -400), F::MakeRect(F::BlankRectangle, SSymRect(-700, -700, 700, -400)),
              Line({{-700, -400}, {700, -400}}), Line({{-700, -700}, {700, -700}})}),
       {0, -400}, {0, -400}, {-700, 400, 700, -700}, 0, 1, 0},
      {48, Group({Oval(-450, 450, 450, -450), F::MakeArc(SSymRect(-720, 720, 720, -720), {-360, 600}, {-360, -600})}),
       {-720, 0}, {450, 0}, {-720, 600, 450, -600}, 0, 1, 3},
      {49, F::MakeArc(SSymRect(-800, 800, 800, -800), {-500, 600}, {-500, -600}), {-500, 0}, {-800, 0},
       {-800, 600, -500, -600}, 0, 1, 2},
      {50, Group({Oval(-450, 450, 450, -450), F::MakeArc(SSymRect(-720, 720, 720, -720), {360, -600}, {360, 600})}),
       {-450, 0}, {720, 0}, {-450, 600, 720, -600}, 0, 1, 3},
      {51, F::MakeRect(F::Rectangle, SSymRect(-225, 675, 225, 225)), {-225, 0}, {225, 0}, {-225, 675, 0, 225}, 0, 1,
       3},
      {52, Group({Oval(638, 262, 1162, -262), Line({{400, -412}, {400, 412}})}), o, {1162, 0}, {0, 412, 1162, -412}, 0,
       0, 0},
      {53, Group({Line({{400, -412}, {400, 412}}), Line({{700, -412}, {700, 412}})}), o, {700, 0}, {0, 412, 700, -412},
       0, 0, 0},
      {54, bigTri, o, {1000, 0}, {-1000, 800, 1000, -800}, 0, 0, 0},
      {70, bigTri, o, {1525, 0}, {-1000, 800, 1525, -800}, 0, 0, 0},
  };
  for (int type : {43, 44, 45, 46, 47, 55, 56, 57, 58, 59, 60, 61, 62})
    rows.push_back({type, RingFigure(type, false), o, {1800, 0}, ringBox, 0, 1, 1});
  // The dotted rings: the pictogram of 44, 55, 57 .. 61 in a dotted ring.
  const std::pair<int, int> dotted[] = {{63, 44}, {64, 55}, {65, 57}, {66, 58}, {67, 59}, {68, 60}, {69, 61}};
  for (const auto& [type, like] : dotted) rows.push_back({type, RingFigure(like, true), o, {1800, 0}, ringBox, 0, 1, 1});
  return rows;
}
}  // namespace
// clang-format on

void SSymTabArrow::InitSymArrow() {
  for (Row& r : Rows())
    SetEntry(r.type, std::make_unique<SSymArrowFigure>(std::move(r.figure)), r.tip, r.base, r.claimed, r.fill,
             r.shorten, r.factor);
}
