// The host's diagram holder and the sample sheet.
#include "apps/symhost/samplediagram.h"

#include "apps/symhost/samplefreetexts.h"
#include "apps/symhost/samplegroups.h"
#include "apps/symhost/samplelayout.h"
#include "apps/symhost/samplelines.h"
#include "apps/symhost/samplelinks.h"
#include "apps/symhost/sampleole.h"
#include "apps/symhost/samplepictures.h"
#include "apps/symhost/sampletrees.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "sym/foundation/symclassreg.h"
#include "sym/render/symcanv.h"
#include "sym/shapes/symrectfamily.h"
#include "sym/shapes/sympredefined.h"
#include "sym/shapes/symshapemap.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"

// ---- SHostDiagram ------------------------------------------------------------------------------

SHostDiagram::SHostDiagram() : m_session(new SRepSession()) {
  m_session->AddRef();
  m_model = SHostModelDiagram::Create(m_session);
}

SHostDiagram::~SHostDiagram() {
  // Links and their end symbols hold each other: the ends are let go first,
  // of the links inside composites too.
  auto detach = [](ISSymbol* s) {
    if (SComWrap<ISSymLink> link(s); !link.IsNull()) {
      link->DetachEnd(0);
      link->DetachEnd(1);
    }
  };
  // Every link the model diagram holds, tracked here or not (those made by
  // the host's link completion inside lanes are not).
  if (m_model) {
    SComOut<ISRepClassCol> all;
    if (m_model->GetSymbols(&all) == S_OK && all)
      for (LONG i = 0; i < all->GetCount(); ++i) {
        SComOut<ISRepObject> o;
        if (all->Item(i, &o) == S_OK && o) detach(SComWrap<ISSymbol>(o.Get()).Get());
      }
  }
  for (ISSymbol* s : m_symbols) {
    detach(s);
    SComTable<ISSymbol> inside;
    if (SComWrap<ISSymCompSym> comp(s); !comp.IsNull()) comp->GetAllChildren(inside, 1);
    if (SComWrap<ISSymGroup> group(s); !group.IsNull()) group->GetListSym(inside);
    // Members of member groups too (as deep as a sound model nests).
    for (int i = 0; i < inside.GetCount() && i < 100000; ++i) {
      detach(inside.GetAt(i));
      if (SComWrap<ISSymGroup> group(inside.GetAt(i)); !group.IsNull()) group->GetListSym(inside);
    }
  }
  for (auto it = m_symbols.rbegin(); it != m_symbols.rend(); ++it) (*it)->Release();
  m_symbols.clear();
  if (m_model) m_model->Release();
  m_session->Release();
}

SHostBox* SHostDiagram::AddCaption(const SSymRect& rect, const SString& text, const SSymFont& font, LONG style) {
  SHostBox* b = AddBox(rect);
  b->SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)), 0);
  b->SetTransparent(1);
  b->SetShadowStyle(0, 0);
  b->SetText(text, 0);
  b->SetFont(font, 0);
  b->SetFontColor(SSymColor(RGB(0x20, 0x20, 0x20)), 0);
  b->SetTextStyle(style, 0);
  return b;
}

SHostBox* SHostDiagram::AddBox(const SSymRect& rect, SHostBox::Shape shape) {
  auto* box = new SHostBox(m_session, rect, shape);
  box->AddRef();
  box->SetSession(m_session);
  m_symbols.push_back(box->Sym());
  if (m_model) m_model->Add(box->Sym());
  return box;
}

ISSymbol* SHostDiagram::AddSymbol(REFCLSID clsid, const SSymRect& rect) {
  const SRegClassFunctions* record = SSymGetClassRecord(SSymFindClassIndex(clsid));
  SComOut<ISRepObject> obj;
  if (!record || !record->create || FAILED(record->create(&obj, m_session, nullptr)) || !obj) return nullptr;
  SSymBase* symbol = SSymBase::FromInterface(obj.Get());
  if (!symbol) return nullptr;
  symbol->PutRect(rect);
  m_symbols.push_back(symbol->Sym());
  if (m_model) m_model->Add(symbol->Sym());
  obj.Detach();  // the diagram keeps the creation function's reference
  return symbol->Sym();
}

SSymRect SHostDiagram::GetExtent(LONG margin) const {
  bool any = false;
  SSymRect all;
  for (ISSymbol* s : m_symbols) {
    if (s->IsHidden()) continue;
    SSymRect r = s->GetClipRect(1, 0);
    r.Normalize();
    if (!any) {
      all = r;
      any = true;
    } else {
      all.x1 = std::min(all.x1, r.x1);
      all.x2 = std::max(all.x2, r.x2);
      all.y1 = std::max(all.y1, r.y1);
      all.y2 = std::min(all.y2, r.y2);
    }
  }
  if (!any) all = SSymRect(0, 0, 0, 0);
  return SSymRect(all.x1 - margin, all.y1 + margin, all.x2 + margin, all.y2 - margin);
}

void SHostDiagram::Draw(SSymCanvas& canvas) const {
  for (ISSymbol* s : m_symbols) s->Draw(canvas);
}

// ---- the sample sheet ----------------------------------------------------------------------------

namespace {

// The grid, in diagram units (7200 an inch, y growing upward).
constexpr LONG kCellW = 10800, kCellH = 5400;
constexpr LONG kGapX = 1800;
constexpr int kColumns = 8;
constexpr LONG kRowW = kColumns * kCellW + (kColumns - 1) * kGapX;
constexpr LONG kRowTitleH = 2100;  // the row title above the cells
constexpr LONG kTitleGap = 300;    // between the title and the cells (room for shadows)
constexpr LONG kRowGap = 1500;
constexpr LONG kHeadingH = 6000;  // the sheet heading and its subtitle

// Text styles: alignment in the low four bits (0 left, 2 centre, 4 right),
// 0x20 middle and 0x40 bottom, 0x100 one line, 0x800 opaque background,
// 0x1000 wrapped, 0x2000 cut with an ellipsis.
constexpr LONG kCentred = 0x1022;   // wrapped, centred both ways
constexpr LONG kTitle = 0x120;      // one line, left, middle

const SString kArial(u"Arial");
const SString kSerif(u"Times New Roman");
const SString kMono(u"Courier New");

constexpr DWORD kInk = RGB(0x20, 0x20, 0x20);
constexpr DWORD kPaper = RGB(0xFF, 0xFF, 0xFF);

class SheetBuilder {
 public:
  explicit SheetBuilder(SHostDiagram& d) : m_diagram(d) {}

  // A transparent text without an outline.
  SHostBox* Label(const SSymRect& r, const char16_t* text, const SSymFont& font, DWORD color, LONG style) {
    SHostBox* b = m_diagram.AddBox(r);
    b->SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)), 0);
    b->SetTransparent(1);
    b->SetShadowStyle(0, 0);
    b->SetText(SString(text), 0);
    b->SetFont(font, 0);
    b->SetFontColor(SSymColor(color), 0);
    b->SetTextStyle(style, 0);
    Keep(b);
    return b;
  }

  // Starts a row with its title.
  void Row(const char16_t* title) {
    m_top -= m_rows ? kRowGap : 0;
    Label(SSymRect(0, m_top, kRowW, m_top - kRowTitleH), title, SSymFont(kArial, 11, SSymFont::Bold),
          RGB(0x1F, 0x3A, 0x5F), kTitle);
    m_top -= kRowTitleH + kTitleGap;
    m_col = 0;
    m_full = false;
    ++m_rows;
  }

  // The next cell of the row: a box with a thin dark pen, a white fill and
  // its caption centred in Arial 8.
  SHostBox* Cell(const char16_t* caption, SHostBox::Shape shape = SHostBox::Rect) {
    if (m_full) m_top -= kGapX / 2;  // a row that goes on over a second line
    m_full = false;
    const LONG x = m_col * (kCellW + kGapX);
    SHostBox* b = m_diagram.AddBox(SSymRect(x, m_top, x + kCellW, m_top - kCellH), shape);
    b->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(RGB(0x40, 0x40, 0x40))), 0);
    b->SetBrush(SSymBrush(SSymColor(kPaper)), 0);
    b->SetShadowStyle(0, 0);
    b->SetText(SString(caption), 0);
    b->SetFont(SSymFont(kArial, 8), 0);
    b->SetFontColor(SSymColor(kInk), 0);
    b->SetTextStyle(kCentred, 0);
    if (++m_col == kColumns) {
      EndRow();
      m_full = true;
    }
    Keep(b);
    return b;
  }
  void EndRow() {
    if (m_col == 0) return;
    m_top -= kCellH;
    m_col = 0;
  }
  void Heading() {
    Label(SSymRect(0, 0, kRowW, -3600), u"Sample diagram", SSymFont(kArial, 20, SSymFont::Bold), RGB(0x1F, 0x3A, 0x5F),
          kTitle);
    Label(SSymRect(0, -3600, kRowW, -kHeadingH),
          u"Solid and text symbols of the diagram library: shadow styles, pens, brushes, gradients, fonts and text "
          u"layouts",
          SSymFont(kArial, 9, SSymFont::Italic), RGB(0x50, 0x50, 0x50), kTitle);
    m_top = -kHeadingH;
  }

  std::vector<SHostBox*> m_made;

 private:
  void Keep(SHostBox* b) { m_made.push_back(b); }
  SHostDiagram& m_diagram;
  LONG m_top = 0;
  int m_col = 0;
  int m_rows = 0;
  bool m_full = false;  // the row's last line is full
};

SSymBrush Gradient(DWORD from, DWORD to, LONG mode) {
  SSymBrush b(SSymBrush::Gradient, 0, SSymColor(from));
  b.m_endColor = SSymColor(to);
  b.m_gradientMode = mode;
  return b;
}

}  // namespace

std::vector<SHostBox*> SBuildSampleDiagram(SHostDiagram& diagram) {
  SheetBuilder s(diagram);
  s.Heading();

  // Shadow styles: 0 none, 1 offset, 2 three-dimensional, 3 soft; on
  // rectangles, then on the other shapes.
  s.Row(u"Shadow styles");
  struct Shadow {
    const char16_t* caption;
    SHORT style;
    SHostBox::Shape shape;
    DWORD fill;
  };
  const Shadow shadows[] = {
      {u"No shadow", 0, SHostBox::Rect, RGB(0xDD, 0xEB, 0xF7)},
      {u"Offset shadow", 1, SHostBox::Rect, RGB(0xDD, 0xEB, 0xF7)},
      {u"Three-dimensional", 2, SHostBox::Rect, RGB(0xDD, 0xEB, 0xF7)},
      {u"Soft shadow", 3, SHostBox::Rect, RGB(0xDD, 0xEB, 0xF7)},
      {u"Offset shadow, rounded", 1, SHostBox::RoundRect, RGB(0xFF, 0xF2, 0xCC)},
      {u"Soft shadow, rounded", 3, SHostBox::RoundRect, RGB(0xFF, 0xF2, 0xCC)},
      {u"Offset shadow, ellipse", 1, SHostBox::Ellipse, RGB(0xE2, 0xF0, 0xD9)},
      {u"Soft shadow, ellipse", 3, SHostBox::Ellipse, RGB(0xE2, 0xF0, 0xD9)},
  };
  for (const Shadow& sh : shadows) {
    SHostBox* b = s.Cell(sh.caption, sh.shape);
    b->SetBrush(SSymBrush(SSymColor(sh.fill)), 0);
    b->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(RGB(0x2F, 0x55, 0x97))), 0);
    b->SetShadowStyle(sh.style, 0);
  }

  // Pens: the dash styles, widths from the line-width list, colours.
  s.Row(u"Pens");
  struct Pen {
    const char16_t* caption;
    LONG style;
    SHORT widthIndex;
    DWORD color;
  };
  const Pen pens[] = {
      {u"Solid, thin", SSymPen::Solid, 0, RGB(0, 0, 0)},
      {u"Dash", SSymPen::Dash, 0, RGB(0x1F, 0x3A, 0x93)},
      {u"Dot", SSymPen::Dot, 0, RGB(0x00, 0x80, 0x00)},
      {u"Dash dot", SSymPen::DashDot, 0, RGB(0x80, 0x00, 0x80)},
      {u"Dash dot dot", SSymPen::DashDotDot, 0, RGB(0x00, 0x80, 0x80)},
      {u"Solid, 3 pixels", SSymPen::Solid, 2, RGB(0x2F, 0x55, 0x97)},
      {u"Solid, 6 pixels", SSymPen::Solid, 5, RGB(0xC0, 0x00, 0x00)},
      {u"No line", SSymPen::NoLine, 0, RGB(0, 0, 0)},
  };
  for (const Pen& p : pens) {
    SHostBox* b = s.Cell(p.caption);
    b->SetPen(SSymPen(p.style, SSymLineWidthToPen(p.widthIndex), SSymColor(p.color)), 0);
    if (p.style == SSymPen::NoLine) b->SetBrush(SSymBrush(SSymColor(RGB(0xEE, 0xEE, 0xEE))), 0);
  }

  // Brushes: a plain colour, the six hatches, and a transparent symbol.
  s.Row(u"Brushes");
  s.Cell(u"Solid colour")->SetBrush(SSymBrush(SSymColor(RGB(0xF4, 0xB1, 0x83))), 0);
  struct Hatch {
    const char16_t* caption;
    LONG hatch;
    DWORD color;
  };
  const Hatch hatches[] = {
      {u"Hatched, horizontal", SSymBrush::Horizontal, RGB(0x8F, 0xAA, 0xDC)},
      {u"Hatched, vertical", SSymBrush::Vertical, RGB(0xA9, 0xD0, 0x8E)},
      {u"Hatched, forward diagonal", SSymBrush::FDiagonal, RGB(0xF4, 0xB1, 0x83)},
      {u"Hatched, backward diagonal", SSymBrush::BDiagonal, RGB(0xC9, 0xA8, 0xE0)},
      {u"Hatched, cross", SSymBrush::Cross, RGB(0x9D, 0xD9, 0xD9)},
      {u"Hatched, diagonal cross", SSymBrush::DiagCross, RGB(0xFF, 0xD9, 0x66)},
  };
  for (const Hatch& h : hatches) {
    SHostBox* b = s.Cell(h.caption);
    b->SetBrush(SSymBrush(h.hatch, SSymColor(h.color)), 0);
    b->SetTextStyle(kCentred | 0x800, 0);  // the caption on an opaque background
  }
  s.Cell(u"Transparent")->SetTransparent(1);

  // Gradients, linear and radial, on each shape.
  s.Row(u"Gradients");
  struct Grad {
    const char16_t* caption;
    LONG mode;
    SHostBox::Shape shape;
    DWORD from, to;
    SHORT shadow;
  };
  const Grad grads[] = {
      {u"Linear, left to right", 0x21, SHostBox::Rect, RGB(0xFF, 0xFF, 0xFF), RGB(0x5B, 0x9B, 0xD5), 0},
      {u"Linear, diagonal", 0x43, SHostBox::Rect, RGB(0xFF, 0xFF, 0xFF), RGB(0x70, 0xAD, 0x47), 0},
      {u"Linear, rounded", 0x21, SHostBox::RoundRect, RGB(0xFF, 0xE6, 0x99), RGB(0xED, 0x7D, 0x31), 0},
      {u"Linear, ellipse", 0x21, SHostBox::Ellipse, RGB(0xFF, 0xFF, 0xFF), RGB(0xA5, 0x6E, 0xC8), 0},
      {u"Radial", 0x205, SHostBox::Rect, RGB(0x5B, 0x9B, 0xD5), RGB(0xFF, 0xFF, 0xFF), 0},
      {u"Radial, rounded", 0x205, SHostBox::RoundRect, RGB(0xED, 0x7D, 0x31), RGB(0xFF, 0xF2, 0xCC), 0},
      {u"Radial, ellipse", 0x205, SHostBox::Ellipse, RGB(0x70, 0xAD, 0x47), RGB(0xFF, 0xFF, 0xFF), 0},
      {u"Radial, with shadow", 0x205, SHostBox::Ellipse, RGB(0xC0, 0x50, 0x50), RGB(0xFF, 0xE0, 0xE0), 1},
  };
  for (const Grad& g : grads) {
    SHostBox* b = s.Cell(g.caption, g.shape);
    b->SetBrush(Gradient(g.from, g.to, g.mode), 0);
    b->SetShadowStyle(g.shadow, 0);
  }

  // Fonts: faces, sizes and styles.
  s.Row(u"Fonts");
  struct Font {
    const char16_t* caption;
    const SString* face;
    LONG size, style;
    DWORD color;
  };
  const Font fonts[] = {
      {u"Arial 8", &kArial, 8, SSymFont::Normal, kInk},
      {u"Arial 12 bold", &kArial, 12, SSymFont::Bold, kInk},
      {u"Times New Roman 12 italic", &kSerif, 12, SSymFont::Italic, RGB(0x1F, 0x3A, 0x93)},
      {u"Courier New 10", &kMono, 10, SSymFont::Normal, kInk},
      {u"Arial 10 underline", &kArial, 10, SSymFont::Underline, RGB(0x00, 0x60, 0x00)},
      {u"Arial 10 strike-out", &kArial, 10, SSymFont::StrikeOut, RGB(0xC0, 0x00, 0x00)},
      {u"Underline and strike-out", &kArial, 10, SSymFont::Underline | SSymFont::StrikeOut, kInk},
      {u"Times 14 bold italic", &kSerif, 14, SSymFont::Bold | SSymFont::Italic, RGB(0x80, 0x00, 0x80)},
  };
  for (const Font& f : fonts) {
    SHostBox* b = s.Cell(f.caption);
    b->SetFont(SSymFont(*f.face, f.size, f.style), 0);
    b->SetFontColor(SSymColor(f.color), 0);
  }

  // Text layouts: alignment, wrapping, cutting, colours and rotation.
  s.Row(u"Text layout");
  struct Layout {
    const char16_t* caption;
    LONG style;
    LONG angle;
    DWORD fill, ink;
  };
  const Layout layouts[] = {
      {u"Left, top", 0x100, 0, kPaper, kInk},
      {u"Centred, middle", 0x122, 0, kPaper, kInk},
      {u"Right, bottom", 0x144, 0, kPaper, kInk},
      {u"A longer text that is wrapped over several lines inside the box", 0x1022, 0, kPaper, kInk},
      {u"White on dark", 0x122, 0, RGB(0x1F, 0x3A, 0x5F), RGB(0xFF, 0xFF, 0xFF)},
      {u"Opaque text background", 0x922, 0, RGB(0x9D, 0xC3, 0xE6), kInk},
      {u"Rotated", 0x122, 900, kPaper, kInk},
      {u"A longer text that is cut with an ellipsis at the edge", 0x2022, 0, kPaper, kInk},
      {u"Rotated 270", 0x122, 2700, kPaper, kInk},
  };
  for (const Layout& l : layouts) {
    SHostBox* b = s.Cell(l.caption);
    b->SetTextStyle(l.style, 0);
    b->SetBrush(SSymBrush(SSymColor(l.fill)), 0);
    b->SetFontColor(SSymColor(l.ink), 0);
    SSymFont font(kArial, 9);
    font.m_angle = l.angle;
    b->SetFont(font, 0);
  }
  s.EndRow();
  return s.m_made;
}

std::vector<ISSymbol*> SBuildFigureRow(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  SheetBuilder s(diagram);
  s.Label(SSymRect(0, top0, kRowW, top0 - kRowTitleH), u"Figures and their shadow styles",
          SSymFont(kArial, 11, SSymFont::Bold), RGB(0x1F, 0x3A, 0x5F), kTitle);
  struct Figure {
    CLSID clsid;
    const char16_t* caption;
    DWORD fill;
  };
  const Figure figures[] = {
      {CLSID_SSymRectangle, u"Rectangle", RGB(0xDD, 0xEB, 0xF7)},
      {CLSID_SSymBlankRectangle, u"Blank rectangle", RGB(0xFF, 0xF2, 0xCC)},
      {CLSID_SSymRoundRect, u"Rounded rectangle", RGB(0xE2, 0xF0, 0xD9)},
      {CLSID_SSymEllipse, u"Ellipse", RGB(0xFC, 0xE4, 0xD6)},
      {CLSID_SSymPie, u"Pie", RGB(0xED, 0xE7, 0xF6)},
      {CLSID_SSymArc, nullptr, 0},
  };
  // One line per shadow style: none, offset, three-dimensional, soft.
  LONG top = top0 - kRowTitleH - kTitleGap;
  for (SHORT style = 0; style <= 3; ++style) {
    LONG x = 0;
    for (const Figure& f : figures) {
      ISSymbol* sym = diagram.AddSymbol(f.clsid, SSymRect(x, top, x + kCellW, top - kCellH));
      x += kCellW + kGapX;
      if (!sym) continue;
      SSymBase* base = SSymBase::FromInterface(sym);
      if (auto* std = dynamic_cast<SSymStd*>(base)) {
        std->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(RGB(0x2F, 0x55, 0x97))), 0);
        std->SetShadowStyle(style, 0);
      }
      if (auto* solid = dynamic_cast<SSymSolidText*>(base)) {
        solid->SetBrush(SSymBrush(SSymColor(f.fill)), 0);
        solid->SetText(SString(f.caption), 0);
        solid->SetFont(SSymFont(kArial, 8), 0);
        solid->SetFontColor(SSymColor(kInk), 0);
        solid->SetTextStyle(kCentred, 0);
      }
      made.push_back(sym);
    }
    top -= kCellH + kGapX / 2;
  }
  return made;
}

namespace {
// Every shape type of the library, general shapes first.
std::vector<int> AllShapeTypes() {
  std::vector<int> types;
  for (const SSymShapeTable* map : {&SSymPictureManager::GetSymbolTypeShapeMap(), &SSymPictureManager::GetMethodShapeMap()})
    for (int i = 0; i < map->GetCount(); ++i) types.push_back(map->GetAt(i).first);
  return types;
}

// A predefined symbol of `type` in r, filled, outlined and captioned.
ISSymbol* AddPredefined(SHostDiagram& diagram, int type, const SSymRect& r, const SString& caption) {
  ISSymbol* sym = diagram.AddSymbol(CLSID_SSymPredefined, r);
  auto* p = sym ? dynamic_cast<SSymPredefined*>(SSymBase::FromInterface(sym)) : nullptr;
  if (!p) return sym;
  p->SetSymbolType(type);
  p->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(RGB(0x2F, 0x55, 0x97))), 0);
  p->SetShadowStyle(0, 0);
  p->SetBrush(SSymBrush(SSymColor(RGB(0xDD, 0xEB, 0xF7))), 0);
  p->SetText(caption, 0);
  p->SetFont(SSymFont(kArial, 7), 0);
  p->SetFontColor(SSymColor(kInk), 0);
  p->SetTextStyle(kCentred, 0);
  return sym;
}
}  // namespace

std::vector<ISSymbol*> SBuildPredefinedRow(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  SheetBuilder s(diagram);
  s.Label(SSymRect(0, top0, kRowW, top0 - kRowTitleH), u"Predefined shapes", SSymFont(kArial, 11, SSymFont::Bold),
          RGB(0x1F, 0x3A, 0x5F), kTitle);
  LONG top = top0 - kRowTitleH - kTitleGap;
  int col = 0;
  for (int type : AllShapeTypes()) {
    const LONG x = col * (kCellW + kGapX);
    if (ISSymbol* sym = AddPredefined(diagram, type, SSymRect(x, top, x + kCellW, top - kCellH), SString()))
      made.push_back(sym);
    if (++col == kColumns) {
      col = 0;
      top -= kCellH + kGapX / 2;
    }
  }
  return made;
}

std::vector<ISSymbol*> SBuildShapeSheet(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  SheetBuilder s(diagram);
  s.Label(SSymRect(0, 0, kRowW, -3600), u"Predefined shapes", SSymFont(kArial, 20, SSymFont::Bold),
          RGB(0x1F, 0x3A, 0x5F), kTitle);
  constexpr LONG kNameH = 900;
  LONG top = -3600 - kTitleGap;
  int col = 0;
  for (int type : AllShapeTypes()) {
    const LONG x = col * (kCellW + kGapX);
    // The notation shapes share their parent's display name (or have none):
    // the sheet names them after their notation so they can be told apart.
    static const std::map<int, const char*> kNotation = {
        {80, "XML file"},         {81, "Flat file"},       {82, "Data access application"},
        {83, "Connection data"},  {84, "Business process"}, {85, "Relocated process"},
        {86, "Transferred process"}, {87, "Data store (open)"}, {88, "Data store (left side)"},
        {89, "Stick actor"},      {90, "Component"},       {91, "End"},
        {92, "Flow end"},         {16, "Dome"},            {93, "Inheritance (complete)"},
        {94, "Inheritance"},      {95, "Inheritance (complete, two bars)"}};
    SSymShape* shape = SSymPictureManager::FindSymbolShape(type);
    SString name = shape ? shape->GetShapeName() : SString();
    if (auto it = kNotation.find(type); it != kNotation.end()) name = SString(it->second);
    if (name.IsEmpty()) name = SString(("type " + std::to_string(type)).c_str());
    if (ISSymbol* sym = AddPredefined(diagram, type, SSymRect(x, top, x + kCellW, top - kCellH), SString()))
      made.push_back(sym);
    const std::u16string caption(name.c_str());
    // The name may run into the gaps beside its cell: the longest names are
    // wider than the cell and would lose their ends.
    s.Label(SSymRect(x - kGapX / 2, top - kCellH, x + kCellW + kGapX / 2, top - kCellH - kNameH), caption.c_str(),
            SSymFont(kArial, 8), kInk, 0x122);
    if (++col == kColumns) {
      col = 0;
      top -= kCellH + kNameH + kGapX / 2;
    }
  }
  return made;
}

std::vector<ISSymbol*> SBuildSampleSheet(SHostDiagram& diagram, std::vector<ISSymbol*>* pictures) {
  std::vector<ISSymbol*> made;
  for (SHostBox* b : SBuildSampleDiagram(diagram)) made.push_back(b->Sym());
  for (ISSymbol* s : SBuildFigureRow(diagram)) made.push_back(s);
  for (ISSymbol* s : SBuildPredefinedRow(diagram)) made.push_back(s);
  for (ISSymbol* s : SBuildLinkRow(diagram)) made.push_back(s);
  for (ISSymbol* s : SBuildFreeTextRow(diagram)) made.push_back(s);
  for (ISSymbol* s : SBuildLineRow(diagram)) made.push_back(s);
  for (ISSymbol* s : SBuildGroupRow(diagram)) made.push_back(s);
  for (ISSymbol* s : SBuildPictureRow(diagram)) {
    made.push_back(s);
    if (pictures) pictures->push_back(s);
  }
  for (ISSymbol* s : SBuildOleItems(diagram, made.empty() ? nullptr : made.back())) made.push_back(s);
  for (ISSymbol* s : SBuildTreeRow(diagram)) made.push_back(s);
  for (ISSymbol* s : SBuildLayoutRow(diagram)) made.push_back(s);
  return made;
}
