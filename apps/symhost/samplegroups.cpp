// The groups and composites row of the sample sheet. Each panel is one
// symbol of the sheet that draws its members: a group of shapes joined by a
// link (drawn beneath them) that took one format through the group; a group
// nested in another, the outer one moved as a whole; a group stretched to
// twice its width; and a plain composite of shapes, as the lasso tool makes
// one. The members belong to their group, not to the diagram.
#include "apps/symhost/samplegroups.h"

#include "sym/composite/symcomposite.h"
#include "sym/composite/symgroup.h"
#include "sym/links/symlinksym.h"
#include "sym/shapes/symrectfamily.h"

namespace {
constexpr LONG kCellW = 10800, kGapX = 1800;
constexpr LONG kRowGap = 1500, kTitleH = 2100, kCaptionH = 900;
constexpr DWORD kLine = RGB(0x2F, 0x55, 0x97);
constexpr DWORD kHeading = RGB(0x1F, 0x3A, 0x5F);
const SString kArial(u"Arial");

class GroupRow {
 public:
  GroupRow(SHostDiagram& d, LONG top) : m_diagram(d), m_top(top) {}

  // The top left corner of the panel of cells i and i + 1, under its caption.
  SSymPoint Panel(int i, const char16_t* caption) {
    const LONG x = i * (kCellW + kGapX);
    Text(SSymRect(x, m_top, x + 2 * kCellW + kGapX, m_top - kCaptionH), caption, SSymFont(kArial, 9, SSymFont::Bold),
         0x122);
    return SSymPoint(x, m_top - kCaptionH);
  }

  // A shape of the library (clsid) at r, held by nothing but the caller's
  // group: it is not placed in the diagram.
  SSymSolidText* Member(REFCLSID clsid, const SSymRect& r, DWORD fill, const char16_t* text) {
    ISRepObject* made = nullptr;
    if (m_diagram.Session()->CreateObject(clsid, IID_ISRepObject, reinterpret_cast<void**>(&made)) != S_OK)
      return nullptr;
    m_members.emplace_back(made);
    auto* s = dynamic_cast<SSymSolidText*>(SSymBase::FromInterface(made));
    if (!s) return nullptr;
    s->PutRect(r);
    s->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(kLine)), 0);
    s->SetShadowStyle(0, 0);
    s->SetBrush(SSymBrush(SSymColor(fill)), 0);
    if (text) {
      s->SetText(SString(text), 0);
      s->SetFont(SSymFont(kArial, 8), 0);
    }
    return s;
  }

  // A link from a to b along pts, with an arrowhead at its destination: a
  // link symbol without labels, the concrete link the session makes.
  SSymLinkSym* Link(SSymBase* a, SSymBase* b, const SSymListPt& pts) {
    if (!a || !b) return nullptr;
    ISRepObject* made = nullptr;
    if (m_diagram.Session()->CreateObject(CLSID_SSymLinkSym, IID_ISRepObject, reinterpret_cast<void**>(&made)) != S_OK)
      return nullptr;
    m_members.emplace_back(made);
    auto* l = dynamic_cast<SSymLinkSym*>(SSymBase::FromInterface(made));
    if (!l) return nullptr;
    l->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(kLine)), 0);
    l->SetShadowStyle(0, 0);
    l->SetListPt(pts, 0, 0, 0);
    l->SetArrow(8, 0, 0);
    l->AttachSym(0, a->Linkable(), pts[0]);
    l->AttachSym(1, b->Linkable(), pts[pts.GetCount() - 1]);
    return l;
  }

  // A new group of the sheet holding the members, in order.
  SSymGroup* Group(std::initializer_list<SSymBase*> members) {
    ISSymbol* sym = m_diagram.AddSymbol(CLSID_SSymGroup, SSymRect());
    auto* g = sym ? dynamic_cast<SSymGroup*>(SSymBase::FromInterface(sym)) : nullptr;
    if (!g) return nullptr;
    for (SSymBase* m : members)
      if (m) g->Add(m->Sym());
    m_made.push_back(sym);
    return g;
  }

  // A member group: made in the session and held by its outer group only.
  SSymGroup* InnerGroup(std::initializer_list<SSymBase*> members) {
    ISRepObject* made = nullptr;
    if (m_diagram.Session()->CreateObject(CLSID_SSymGroup, IID_ISRepObject, reinterpret_cast<void**>(&made)) != S_OK)
      return nullptr;
    m_members.emplace_back(made);
    auto* g = dynamic_cast<SSymGroup*>(SSymBase::FromInterface(made));
    if (!g) return nullptr;
    for (SSymBase* m : members)
      if (m) g->Add(m->Sym());
    return g;
  }

  // A plain composite of the symbols, appended to the sheet.
  void Composite(std::initializer_list<SSymBase*> children) {
    SSymCollection col;
    for (SSymBase* c : children)
      if (c) col.Add(c->Sym());
    auto* c = new SSymComposite(col, m_diagram.Session());
    c->AddRef();  // handed to the diagram
    c->SetSession(m_diagram.Session());
    m_diagram.Adopt(c->Sym());
    m_made.push_back(c->Sym());
  }

  void Text(const SSymRect& r, const char16_t* text, const SSymFont& font, LONG style) {
    SHostBox* b = m_diagram.AddCaption(r, SString(text), font, style);
    b->SetFontColor(SSymColor(kHeading), 0);
    m_made.push_back(b->Sym());
  }

  std::vector<ISSymbol*> Made() const { return m_made; }

 private:
  SHostDiagram& m_diagram;
  LONG m_top;
  std::vector<ISSymbol*> m_made;
  // The creation functions' references to the members; their groups hold them too.
  std::vector<SComOut<ISRepObject>> m_members;
};

SSymPoint Centre(SSymBase* s) {
  SSymRect r = s->m_rect;
  r.Normalize();
  return r.GetCenter();
}
}  // namespace

std::vector<ISSymbol*> SBuildGroupRow(SHostDiagram& diagram) {
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  GroupRow row(diagram, top0 - kTitleH);
  row.Text(SSymRect(0, top0, 8 * kCellW + 7 * kGapX, top0 - kTitleH), u"Groups and composites",
           SSymFont(kArial, 11, SSymFont::Bold), 0x120);
  constexpr DWORD kBlue = RGB(0xDD, 0xEB, 0xF7), kGreen = RGB(0xE2, 0xF0, 0xD9), kSand = RGB(0xFF, 0xF2, 0xCC),
                  kRose = RGB(0xFC, 0xE4, 0xD6);
  auto box = [](SSymPoint p, LONG dx, LONG dy, LONG w = 4200, LONG h = 2100) {
    return SSymRect(p.x + dx, p.y - dy, p.x + dx + w, p.y - dy - h);
  };

  // One format given to the group reaches every member; the link is drawn
  // beneath the shapes it joins.
  SSymPoint p = row.Panel(0, u"A group: one format for its members, its link drawn first");
  auto* a = row.Member(CLSID_SSymRectangle, box(p, 600, 600), kBlue, u"member");
  auto* b = row.Member(CLSID_SSymEllipse, box(p, 15600, 600), kBlue, u"member");
  auto* c = row.Member(CLSID_SSymRoundRect, box(p, 8100, 3300), kBlue, u"member");
  auto* l = row.Link(a, b, SSymListPt{Centre(a), Centre(b)});
  if (SSymGroup* g = row.Group({a, b, c, l})) {
    SSymFormatEx format;
    format.m_flags =
        SSymFormatEx::FlagPen | SSymFormatEx::FlagBrush | SSymFormatEx::FlagShadowColor | SSymFormatEx::FlagShadowStyle;
    format.m_pen = SSymPen(SSymPen::Solid, 40, SSymColor(RGB(0xC0, 0x39, 0x2B)));
    format.m_brush = SSymBrush(SSymColor(kSand));
    format.m_shadowColor = SSymColor(RGB(0xB0, 0xB0, 0xB0));
    format.m_shadowStyle = 1;
    g->SetFormat(format);
  }

  // The inner group moves with the outer one.
  p = row.Panel(2, u"Nested groups moved together");
  auto* n1 = row.Member(CLSID_SSymEllipse, box(p, 0, 600, 3600, 1800), kGreen, u"inner");
  auto* n2 = row.Member(CLSID_SSymEllipse, box(p, 4500, 600, 3600, 1800), kGreen, u"inner");
  auto* n3 = row.Member(CLSID_SSymRectangle, box(p, 2250, 3000, 12000, 1800), kGreen, u"outer member");
  SSymGroup* inner = row.InnerGroup({n1, n2});
  if (SSymGroup* outer = row.Group({inner, n3})) outer->MoveBy(SSymSize(3900, 0), 0);

  // Stretched to twice its width about its left edge: every member follows.
  p = row.Panel(4, u"A group stretched to twice its width");
  auto* s1 = row.Member(CLSID_SSymRectangle, box(p, 600, 600, 3600, 1800), kRose, u"one");
  auto* s2 = row.Member(CLSID_SSymPie, box(p, 5400, 1500, 3000, 3000), kRose, nullptr);
  if (SSymGroup* g = row.Group({s1, s2})) {
    SSymRect from = g->m_rect, to = g->m_rect;
    from.Normalize();
    to.Normalize();
    to.x2 = to.x1 + 2 * (to.x2 - to.x1);
    SSymMatrix m;
    m.SetTransform(from, to);
    g->Transform(m, 0);
  }

  // A plain composite: the tools make these from a selection.
  p = row.Panel(6, u"A composite of shapes");
  auto* k1 = row.Member(CLSID_SSymRoundRect, box(p, 1200, 600), kBlue, u"part");
  auto* k2 = row.Member(CLSID_SSymRoundRect, box(p, 7200, 2400), kGreen, u"part");
  auto* k3 = row.Member(CLSID_SSymEllipse, box(p, 13200, 1200, 4200, 3000), kSand, u"part");
  row.Composite({k1, k2, k3});
  return row.Made();
}
