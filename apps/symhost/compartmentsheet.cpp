#include "apps/symhost/compartmentsheet.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "sym/foundation/symgeom.h"
#include "sym/subobjects/symsubgroup.h"
#include "sym/subobjects/symsubtext.h"
#include "sym/symbol/symintfhost.h"
#include "win/imageicon.h"

namespace {
constexpr LONG kCellW = 12600, kCellH = 9000, kGap = 1800, kCaptionH = 1000, kHeadingH = 3600;
const SString kArial(u"Arial");

// A box that shows compartments: the host's face of compartments answered
// from its own group, the outline (rectangle, rounded rectangle or ellipse)
// as the outline links and separators meet.
class SHostCompartmentBox : public SRepFaces<SHostCompartmentBox, SHostBox, ISSymSubSym, ISSymSubSink> {
 public:
  SHostCompartmentBox(ISRepSession* s, const SSymRect& r, Shape shape) : SRepFaces(s, r, shape), m_group(Sym()) {}
  ~SHostCompartmentBox() override {
    // The compartments point back without a reference: detach them first.
    STable<SSymSubsFonts*> list;
    m_group.GetSubSymList(list, 1);
    for (SSymSubsFonts* m : list) m->SetParent(nullptr);
  }

  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    SHostBox::DrawSymbol(canvas);
    canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(RGB(0x60, 0x60, 0x60))));
    m_group.DrawSubSymbol(canvas);
    return S_OK;
  }
  BOOL GetIntersection(const SSymSegment& seg, SSymPoint* out) override {
    SSymRect r = GetClipRect(0, 0);
    r.Normalize();
    if (m_shape == Ellipse) return IntersectsEllipse(seg, r, out) ? 1 : 0;
    if (m_shape == RoundRect) return IntersectsRoundRect(seg, r, out, SSymSize(1800, 1800)) ? 1 : 0;
    return SHostBox::GetIntersection(seg, out);
  }

  // ---- ISSymSubSym
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymSize(LONG*, LONG*) override { return 0; }
  // An ellipse keeps its compartments in the rectangle inscribed in it, so
  // that their texts stay inside the outline (the separators still reach
  // out to the outline); the other outlines use the whole box.
  int GetSubSymMargins(LONG* l, LONG* r, LONG* t, LONG* b) override {
    if (m_shape != Ellipse || !l || !r || !t || !b) return 0;
    SSymRect box = GetClipRect(0, 0);
    box.Normalize();
    const double inset = (1.0 - 1.0 / std::sqrt(2.0)) / 2.0;
    *l = *r = static_cast<LONG>(std::ceil((static_cast<double>(box.x2) - box.x1) * inset));
    *t = *b = static_cast<LONG>(std::ceil((static_cast<double>(box.y1) - box.y2) * inset));
    return 1;
  }
  int GetSubSymList(STable<SSymSubsFonts*>& list, int nested) override {
    const int before = list.GetCount();
    m_group.GetSubSymList(list, nested);
    return list.GetCount() - before;
  }
  int GetSubSymCount(int nested) override { return m_group.GetCount(nested); }
  SSymSubsFonts* GetSubSymbol(int index, int nested) override { return m_group.GetSubSymbol(index, nested); }
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }
  // ---- ISSymSubSink
  HRESULT OnSubSymResize(ISSymbol*, int) override { return S_OK; }
  HRESULT OnSubSymMove(ISSymbol*, int) override { return S_OK; }
  HRESULT RedrawSubSym(ISSymbol*) override { return S_OK; }
  int IsSubSink() override { return 1; }

  // A text compartment of this box, in `group` (the box's own by default).
  SSymSubText* Text(const std::u16string& text, LONG kind, SSymSubGroup* group = nullptr, LONG style = 0x211,
                    LONG fontStyle = SSymFont::Normal) {
    auto* t = Hold(new SSymSubText(), group);
    t->_SetText(SString(text.c_str()));
    t->_SetKind(kind);
    t->_SetTextStyle(style);
    t->_SetFont(SSymFont(kArial, 8, fontStyle));
    return t;
  }
  SSymSubLayout* Layout(int vertical, LONG kind, SSymSubGroup* group = nullptr) {
    auto* l = Hold(new SSymSubLayout(Sym(), vertical), group);
    l->_SetKind(kind);
    return l;
  }

  SSymSubGroup m_group;
  std::unique_ptr<SMetaFile> m_metafile;
  std::unique_ptr<SIcon> m_icon;

 private:
  template <class T>
  T* Hold(T* sub, SSymSubGroup* group) {
    sub->AddRef();
    sub->SetParent(static_cast<ISSymSubSink*>(this), false);
    (group ? group : &m_group)->Add(sub);
    return sub;
  }
};

void Caption(SHostDiagram& d, const SSymRect& r, const std::u16string& text, LONG size = 8, LONG style = 0x122) {
  d.AddCaption(r, SString(text.c_str()), SSymFont(kArial, size, size > 8 ? SSymFont::Bold : SSymFont::Normal), style);
}

SHostCompartmentBox* Box(SHostDiagram& d, int col, int row, const std::u16string& caption,
                         SHostBox::Shape shape = SHostBox::Rect) {
  const LONG x = col * (kCellW + kGap), top = -kHeadingH - row * (kCellH + kCaptionH + kGap);
  Caption(d, SSymRect(x, top, x + kCellW, top - kCaptionH), caption);
  auto* box = new SHostCompartmentBox(d.Session(), SSymRect(x, top - kCaptionH, x + kCellW, top - kCaptionH - kCellH), shape);
  box->AddRef();
  box->SetSession(d.Session());
  box->SetShadowStyle(0, 0);
  d.Adopt(box->Sym());
  return box;
}

// A small bar chart recorded as an enhanced metafile.
HENHMETAFILE Chart() {
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  const COLORREF colours[] = {RGB(0x1F, 0x77, 0xB4), RGB(0x2C, 0xA0, 0x2C), RGB(0xFF, 0x7F, 0x0E)};
  const int heights[] = {40, 70, 55};
  for (int i = 0; i < 3; ++i) {
    HBRUSH b = CreateSolidBrush(colours[i]);
    HGDIOBJ old = SelectObject(rec, b);
    Rectangle(rec, 8 + i * 28, 80 - heights[i], 30 + i * 28, 80);
    SelectObject(rec, old);
    DeleteObject(b);
  }
  return CloseEnhMetaFile(rec);
}

// A 32 x 32 key-shaped icon with transparent corners.
HICON KeyIcon() {
  KvImage img;
  img.width = img.height = 32;
  img.hasAlpha = true;
  img.px.assign(32 * 32, 0x00000000u);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int dx = x - 10, dy = y - 16;
      const bool ring = dx * dx + dy * dy <= 64 && dx * dx + dy * dy >= 16;
      const bool shaft = x >= 16 && x <= 29 && y >= 14 && y <= 18;
      const bool tooth = (x == 24 || x == 27) && y > 18 && y <= 23;
      if (ring || shaft || tooth) img.px[static_cast<std::size_t>(y * 32 + x)] = 0xFFC8A000u;
    }
  return KvCreateIconFromImage(img);
}
}  // namespace

std::vector<ISSymbol*> SBuildCompartmentSheet(SHostDiagram& d) {
  std::vector<ISSymbol*> boxes;
  Caption(d, SSymRect(0, 0, 4 * (kCellW + kGap), -kHeadingH), u"Compartments", 20, 0x120);
  const LONG bold = SSymFont::Bold;

  // Row 1: stacked compartments with separators of each kind.
  struct Kind {
    LONG kind;
    const char16_t* caption;
  } kinds[] = {{0, u"stacked, kind 0: no separator"},
               {1, u"stacked, kind 1: one line"},
               {3, u"stacked, kind 3: two lines"}};
  int col = 0;
  for (const Kind& k : kinds) {
    SHostCompartmentBox* b = Box(d, col++, 0, k.caption);
    b->Text(u"Customer", k.kind, nullptr, 0x212, bold);
    b->Text(u"number: integer\r\nname: text\r\nsince: date", k.kind, nullptr, 0x211);
    b->Text(u"Open()\r\nClose()", k.kind, nullptr, 0x211);
    boxes.push_back(b->Sym());
  }
  // An empty text between two compartments takes no room.
  {
    SHostCompartmentBox* b = Box(d, col++, 0, u"an empty text in the middle collapses");
    b->Text(u"Order", 1, nullptr, 0x212, bold);
    b->Text(u"", 1);
    b->Text(u"date: date\r\ntotal: money", 1);
    boxes.push_back(b->Sym());
  }

  // Row 2: side by side, nested, and outlines that pull the lines in.
  {
    SHostCompartmentBox* b = Box(d, 0, 1, u"side by side in a layout");
    SSymSubLayout* row = b->Layout(0, 1);
    b->Text(u"North", 1, row, 0x222);
    b->Text(u"Centre", 1, row, 0x222);
    b->Text(u"South", 1, row, 0x222);
    boxes.push_back(b->Sym());
  }
  {
    SHostCompartmentBox* b = Box(d, 1, 1, u"nested layouts");
    b->Text(u"Invoice", 1, nullptr, 0x212, bold);
    SSymSubLayout* row = b->Layout(0, 1);
    SSymSubLayout* left = b->Layout(1, 1, row);
    b->Text(u"lines", 1, left, 0x212, bold);
    b->Text(u"item\r\nquantity", 1, left);
    SSymSubLayout* right = b->Layout(1, 1, row);
    b->Text(u"taxes", 1, right, 0x212, bold);
    b->Text(u"rate\r\namount", 1, right);
    b->Text(u"total: money", 0);
    boxes.push_back(b->Sym());
  }
  {
    SHostCompartmentBox* b = Box(d, 2, 1, u"lines pulled in to an ellipse", SHostBox::Ellipse);
    b->Text(u"Account", 1, nullptr, 0x212, bold);
    b->Text(u"balance\r\nlimit", 1);
    b->Text(u"Close()", 1);
    boxes.push_back(b->Sym());
  }
  {
    SHostCompartmentBox* b = Box(d, 3, 1, u"and to a rounded rectangle", SHostBox::RoundRect);
    b->Text(u"Product", 3, nullptr, 0x212, bold);
    b->Text(u"code\r\nprice", 3);
    b->Text(u"Discount()", 3);
    boxes.push_back(b->Sym());
  }

  // Row 3: rich text and pictures in compartments.
  {
    SHostCompartmentBox* b = Box(d, 0, 2, u"rich text compartment");
    b->Text(u"Note", 1, nullptr, 0x212, bold);
    b->Text(u"{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red180\\green0\\blue0;}\\f0\\fs16\\cf1 Rich text is "
            u"laid out at most six thousand units wide, and wraps inside its compartment.}",
            1);
    boxes.push_back(b->Sym());
  }
  {
    SHostCompartmentBox* b = Box(d, 1, 2, u"metafile beside a text, and alone");
    b->m_metafile = std::make_unique<SMetaFile>(Chart());
    b->Text(u"Sales", 1, nullptr, 0x212, bold);
    SSymSubText* beside = b->Text(u"chart of the quarter", 1);
    beside->_SetMetaFile(b->m_metafile.get(), 900);
    SSymSubText* alone = b->Text(u"chart", 1, nullptr, 0x212);
    alone->_SetMetaFile(b->m_metafile.get(), 1800);
    alone->SetFlag(SUBS_PICTURE, true);
    boxes.push_back(b->Sym());
  }
  {
    SHostCompartmentBox* b = Box(d, 2, 2, u"icon beside a text, and alone");
    b->m_icon = std::make_unique<SIcon>(KeyIcon());
    b->Text(u"Key", 1, nullptr, 0x212, bold);
    SSymSubText* beside = b->Text(u"primary key", 1);
    beside->_SetPictureIcon(b->m_icon.get(), 600);
    SSymSubText* alone = b->Text(u"key", 1, nullptr, 0x212);
    alone->_SetPictureIcon(b->m_icon.get(), 16);
    alone->SetFlag(SUBS_PICTURE, true);
    boxes.push_back(b->Sym());
  }
  return boxes;
}

bool SHostWriteCompartmentSheet(const std::string& folder, std::vector<SHostExportedFile>& written) {
  SHostDiagram sheet;
  SBuildCompartmentSheet(sheet);
  std::vector<SHostExportedFile> files;
  std::string error;
  if (FAILED(SHostExportDiagram(sheet, folder, "compartments", files, error)) || !error.empty()) {
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return false;
  }
  written.insert(written.end(), files.begin(), files.end());
  return true;
}
