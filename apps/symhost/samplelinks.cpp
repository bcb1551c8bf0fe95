// The links row of the sample sheet.
#include "apps/symhost/samplelinks.h"

#include "sym/layout/symedgerouter.h"
#include "sym/links/symlinksym.h"
#include "sym/shapes/symrectfamily.h"

namespace {

// The sheet's grid (the sample sheet's cells, 7200 units an inch).
constexpr LONG kCellW = 10800, kGapX = 1800;
constexpr LONG kRowGap = 1500, kTitleH = 2100, kCaptionH = 900, kPanelH = 6300;
constexpr DWORD kLine = RGB(0x2F, 0x55, 0x97);
constexpr DWORD kHeading = RGB(0x1F, 0x3A, 0x5F);
const SString kArial(u"Arial");

// The links of the sheet: standard links, and one text link. The host has
// no diagram object whose display preferences would say so: its links show
// the crossings as bridges.
template <class Base>
class SHostLinkOf : public Base {
 public:
  explicit SHostLinkOf(ISRepSession* session) : Base(session) {}
  bool ShowsBridges() override { return true; }
};
using SHostLink = SHostLinkOf<SSymLinkStd>;
using SHostTextLink = SHostLinkOf<SSymLinkSym>;

class LinkRow {
 public:
  LinkRow(SHostDiagram& d, LONG top) : m_diagram(d), m_top(top) {}

  // The top left corner of panel i, under its caption.
  SSymPoint Panel(int i, const char16_t* caption) {
    const LONG x = i * (kCellW + kGapX);
    Text(SSymRect(x, m_top, x + kCellW, m_top - kCaptionH), caption, SSymFont(kArial, 9, SSymFont::Bold), 0x122);
    return SSymPoint(x, m_top - kCaptionH);
  }

  // A filled shape of the library (clsid) at r.
  SSymSolidText* Shape(REFCLSID clsid, const SSymRect& r, DWORD fill) {
    ISSymbol* sym = m_diagram.AddSymbol(clsid, r);
    auto* s = sym ? dynamic_cast<SSymSolidText*>(SSymBase::FromInterface(sym)) : nullptr;
    if (!s) return nullptr;
    s->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(kLine)), 0);
    s->SetShadowStyle(0, 0);
    s->SetBrush(SSymBrush(SSymColor(fill)), 0);
    m_made.push_back(sym);
    return s;
  }

  // A link from a to b along pts, in the given corner style and pen width,
  // with an arrowhead at its destination.
  template <class L = SHostLink>
  L* Link(SSymBase* a, SSymBase* b, const SSymListPt& pts, LONG style, LONG width = 0) {
    if (!a || !b) return nullptr;
    auto* l = new L(m_diagram.Session());
    l->AddRef();  // handed to the diagram by Finish
    l->SetSession(m_diagram.Session());
    l->SetPen(SSymPen(SSymPen::Solid, width, SSymColor(kLine)), 0);
    l->SetShadowStyle(0, 0);
    l->SetLineStyle(style, 0);
    l->SetListPt(pts, 0, 0, 0);
    l->SetArrow(8, 0, 0);
    // Attaching places the ends on the symbols and routes the corner styles.
    l->AttachSym(0, a->Linkable(), pts[0]);
    l->AttachSym(1, b->Linkable(), pts[pts.GetCount() - 1]);
    m_links.push_back(l);
    return l;
  }

  // Appends the links after the shapes (drawn over them) and answers all.
  std::vector<ISSymbol*> Finish() {
    SComBag<ISSymbol> links;
    for (SSymLinkStd* l : m_links) {
      m_diagram.Adopt(l->Sym());
      m_made.push_back(l->Sym());
      links.Add(l->Sym());
    }
    SSymEdgeRouter::Instance().ComputeIntersections(links);
    return m_made;
  }

  void Text(const SSymRect& r, const char16_t* text, const SSymFont& font, LONG style) {
    SHostBox* b = m_diagram.AddCaption(r, SString(text), font, style);
    b->SetFontColor(SSymColor(kHeading), 0);
    m_made.push_back(b->Sym());
  }

 private:
  SHostDiagram& m_diagram;
  LONG m_top;
  std::vector<ISSymbol*> m_made;
  std::vector<SSymLinkStd*> m_links;
};

SSymPoint Centre(SSymBase* s) {
  SSymRect r = s->m_rect;
  r.Normalize();
  return r.GetCenter();
}

}  // namespace

std::vector<ISSymbol*> SBuildLinkRow(SHostDiagram& diagram) {
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  LinkRow row(diagram, top0 - kTitleH);
  row.Text(SSymRect(0, top0, 8 * kCellW + 7 * kGapX, top0 - kTitleH), u"Links", SSymFont(kArial, 11, SSymFont::Bold),
           0x120);
  constexpr DWORD kBlue = RGB(0xDD, 0xEB, 0xF7), kGreen = RGB(0xE2, 0xF0, 0xD9), kSand = RGB(0xFF, 0xF2, 0xCC),
                  kRose = RGB(0xFC, 0xE4, 0xD6);
  // Boxes of 3000 x 1800 in a panel of kCellW x kPanelH: left and right,
  // high and low.
  auto box = [](SSymPoint p, LONG dx, LONG dy) {
    return SSymRect(p.x + dx, p.y - dy, p.x + dx + 3000, p.y - dy - 1800);
  };

  SSymPoint p = row.Panel(0, u"Straight");
  auto* a = row.Shape(CLSID_SSymRectangle, box(p, 0, 2250), kBlue);
  auto* b = row.Shape(CLSID_SSymRectangle, box(p, 7800, 2250), kBlue);
  // Labels are measured with the link's font, which a text link carries.
  if (auto* l = row.Link<SHostTextLink>(a, b, SSymListPt{Centre(a), Centre(b)}, SSymLineStyle::Normal)) {
    l->SetFontName(SString(u"Arial,8"));
    l->SetCtrText(SString(u"owns"));
  }

  p = row.Panel(1, u"Orthogonal");
  a = row.Shape(CLSID_SSymRectangle, box(p, 0, 300), kGreen);
  b = row.Shape(CLSID_SSymRectangle, box(p, 7800, 4200), kGreen);
  if (auto* l = row.Link<SHostTextLink>(a, b, SSymListPt{Centre(a), Centre(b)}, SSymLineStyle::Corner)) {
    l->SetFontName(SString(u"Arial,8,I"));
    l->SetFontColor(SSymColor(kHeading), 0);
    l->SetSrcText(SString(u"from"));
    l->SetDstText(SString(u"to"));
  }

  p = row.Panel(2, u"Rounded corners");
  a = row.Shape(CLSID_SSymRoundRect, box(p, 0, 4200), kSand);
  b = row.Shape(CLSID_SSymRoundRect, box(p, 7800, 300), kSand);
  row.Link(a, b, SSymListPt{Centre(a), Centre(b)}, SSymLineStyle::RoundCorner);

  p = row.Panel(3, u"B\u00e9zier");
  a = row.Shape(CLSID_SSymEllipse, box(p, 0, 300), kRose);
  b = row.Shape(CLSID_SSymEllipse, box(p, 7800, 4200), kRose);
  if (auto* l = row.Link<SHostTextLink>(
          a, b, SSymListPt{Centre(a), SSymPoint(p.x + 6000, p.y - 1200), SSymPoint(p.x + 4800, p.y - 5100), Centre(b)},
          SSymLineStyle::Bezier)) {
    l->SetFontName(SString(u"Arial,8"));
    l->SetSrcText(SString(u"1"));
    l->SetDstText(SString(u"0..*"));
  }

  p = row.Panel(4, u"Self loop");
  a = row.Shape(CLSID_SSymRectangle, SSymRect(p.x + 2400, p.y - 2700, p.x + 6600, p.y - 5400), kBlue);
  const SSymPoint c = Centre(a);
  row.Link(a, a, SSymListPt{SSymPoint(c.x + 900, c.y), SSymPoint(c.x, c.y + 600)}, SSymLineStyle::Normal);

  p = row.Panel(5, u"Double lines");
  a = row.Shape(CLSID_SSymRectangle, box(p, 0, 300), kGreen);
  b = row.Shape(CLSID_SSymRectangle, box(p, 7800, 300), kGreen);
  row.Link(a, b, SSymListPt{Centre(a), Centre(b)}, SSymLineStyle::Normal, 449);
  a = row.Shape(CLSID_SSymRectangle, box(p, 0, 4200), kGreen);
  b = row.Shape(CLSID_SSymRectangle, box(p, 7800, 4200), kGreen);
  row.Link(a, b, SSymListPt{Centre(a), Centre(b)}, SSymLineStyle::Normal, 299);

  // Two links crossing in the middle of the panel: the later one bridges
  // the other.
  p = row.Panel(6, u"Line bridges");
  a = row.Shape(CLSID_SSymRectangle, SSymRect(p.x, p.y - 2250, p.x + 2400, p.y - 4050), kSand);
  b = row.Shape(CLSID_SSymRectangle, SSymRect(p.x + 8400, p.y - 2250, p.x + 10800, p.y - 4050), kSand);
  auto* up = row.Shape(CLSID_SSymRectangle, SSymRect(p.x + 4200, p.y, p.x + 6600, p.y - 1500), kSand);
  auto* down = row.Shape(CLSID_SSymRectangle, SSymRect(p.x + 4200, p.y - 4800, p.x + 6600, p.y - 6300), kSand);
  row.Link(a, b, SSymListPt{Centre(a), Centre(b)}, SSymLineStyle::Normal);
  row.Link(up, down, SSymListPt{Centre(up), Centre(down)}, SSymLineStyle::Normal);
  (void)kPanelH;
  return row.Finish();
}
