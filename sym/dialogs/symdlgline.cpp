#include "sym/dialogs/symdlgline.h"

#include <iterator>
#include <utility>
#include <vector>

#include "sym/dialogs/symcolorwell.h"

namespace {
constexpr int kStyleEntries = 7;
constexpr int kCorners = 4;
// The arrow types of the source and destination tables, in entry order
// (their pictures differ, their types do not).
constexpr LONG kEndArrows[] = {24, 0,  1,  2,  33, 8,  34, 39, 3,  4,  5,  35, 6,  36, 40, 7,  38, 37, 25, 26,
                               9,  10, 14, 13, 12, 31, 32, 16, 17, 70, 18, 19, 20, 21, 22, 23, 27, 28, 29, 30};
// The centre table: the first twenty rows, then the two inheritance marks.
constexpr LONG kCentreArrows[] = {24, 0, 1, 2, 33, 8, 34, 39, 3, 4, 5, 35, 6, 36, 40, 7, 38, 37, 25, 26, 41, 42};

const LONG* RowsOf(SSymDlgLine::End end, int& count) {
  switch (end) {
    case SSymDlgLine::Source:
    case SSymDlgLine::Destination: count = int(std::size(kEndArrows)); return kEndArrows;
    case SSymDlgLine::Centre: count = int(std::size(kCentreArrows)); return kCentreArrows;
  }
  count = 0;
  return nullptr;
}
}  // namespace

int SSymDlgLine::StyleToIndex(LONG style) {
  if (style == StyleNotation) return 0;
  if (style == StyleInvisible) return 1;
  return style >= 1 && style + 1 < kStyleEntries ? int(style) + 1 : -1;
}

LONG SSymDlgLine::IndexToStyle(int index) {
  if (index == 0) return StyleNotation;
  if (index == 1) return StyleInvisible;
  return index > 1 && index < kStyleEntries ? index - 1 : -1;
}

int SSymDlgLine::WidthToIndex(LONG width, int count) {
  if (width < 0) return -1;
  if (width == 0) return 0 < count ? 0 : -1;
  // In 64 bits: the widest width must not wrap round when one is added.
  const long long w = (long long)width + 1;
  const long long q = w / 75;
  const long long index = w % 75 == 0 ? q + 2 : q - 1;
  return index >= 0 && index < count ? int(index) : -1;
}

LONG SSymDlgLine::IndexToWidth(int index) {
  if (index == 0) return 0;
  if (index >= 1 && index <= 5) return (index + 1) * 75;
  if (index >= 6 && index <= 9) return index * 75 - 151;
  return -1;
}

int SSymDlgLine::ShapeToCornerIndex(LONG shape) {
  if (shape == ShapeNone || shape < 0) return -1;
  const LONG corner = HasPerpendicular(shape) ? shape - ShapePerpendicular : shape;
  return corner < kCorners ? int(corner) : -1;
}

LONG SSymDlgLine::CornerToShape(int corner, bool perpendicularChecked) {
  if (corner < 0 || corner >= kCorners) return -1;
  return corner + (perpendicularChecked && CornerTakesPerpendicular(corner) ? ShapePerpendicular : 0);
}

int SSymDlgLine::ArrowRowCount(End end) {
  int count = 0;
  RowsOf(end, count);
  return count;
}

int SSymDlgLine::ArrowToIndex(End end, LONG type) {
  int count = 0;
  const LONG* rows = RowsOf(end, count);
  for (int i = 0; i < count; ++i)
    if (rows[i] == type) return i + 1;
  return 0;
}

LONG SSymDlgLine::IndexToArrow(End end, int index) {
  int count = 0;
  const LONG* rows = RowsOf(end, count);
  if (!rows || index < 0 || index > count) return -2;
  return index == 0 ? ArrowNotation : rows[index - 1];
}

// ---- the page -------------------------------------------------------------------------------------

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCombo = kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
const char16_t* const kStyleTexts[kStyleEntries] = {u"Notation", u"Invisible", u"Solid", u"Dash",
                                                    u"Dot",      u"Dash-dot",  u"Dash-dot-dot"};
const char16_t* const kWidthTexts[] = {u"Hairline", u"1.5 pt", u"2.25 pt", u"3 pt",   u"3.75 pt",
                                       u"4.5 pt",   u"Wide 1", u"Wide 2",  u"Wide 3", u"Wide 4"};
const char16_t* const kCornerTexts[kCorners] = {u"Normal", u"Horizontal/vertical", u"Rounded", u"B\u00e9zier"};

void Fill(HWND page, int id, const SString& text) {
  ::SendDlgItemMessageW(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void Choose(HWND page, int id, int index) { ::SendDlgItemMessageW(page, id, CB_SETCURSEL, WPARAM(index), 0); }
// The text of an arrow row: its type.
SString ArrowText(LONG type) {
  return type == SSymDlgLine::ArrowNone ? SString(u"None") : SString(u"Arrow ") + SString::FromInt(type);
}

struct Templates {
  Templates() { SSymDlgLine::RegisterTemplates(); }
};
Templates s_templates;
}  // namespace

void SSymDlgLine::RegisterTemplates() {
  using L = SSymDlgLine;
  std::vector<SDlgItem> items = {
      {-1, SDlgItemKind::Button, u" Line ", 7, 4, 120, 136, kShown | BS_GROUPBOX},
      {-1, SDlgItemKind::Static, u"&Color:", 13, 15, 40, 8, kShown},
      {L::ColorId, SDlgItemKind::ColorWell, u"", 13, 25, 108, 62, kShown | WS_TABSTOP},
      {-1, SDlgItemKind::Static, u"&Width:", 13, 93, 40, 8, kShown},
      {L::WidthId, SDlgItemKind::ComboBox, u"", 55, 91, 66, 12, kCombo},
      {1081, SDlgItemKind::Static, u"&Style:", 13, 109, 40, 8, kShown},
      {L::StyleId, SDlgItemKind::ComboBox, u"", 55, 107, 66, 12, kCombo},
      {1080, SDlgItemKind::Static, u"C&orners:", 13, 125, 40, 8, kShown},
      {L::CornersId, SDlgItemKind::ComboBox, u"", 55, 123, 66, 12, kCombo},
      {-1, SDlgItemKind::Button, u" Arrow ", 133, 4, 122, 72, kShown | BS_GROUPBOX},
      {1079, SDlgItemKind::Static, u"&Begin:", 139, 16, 40, 8, kShown},
      {L::SourceArrowId, SDlgItemKind::ComboBox, u"", 181, 14, 68, 12, kCombo},
      {1104, SDlgItemKind::Static, u"Ce&nter:", 139, 32, 40, 8, kShown},
      {L::CentreArrowId, SDlgItemKind::ComboBox, u"", 181, 30, 68, 12, kCombo},
      {1078, SDlgItemKind::Static, u"&End:", 139, 48, 40, 8, kShown},
      {L::DestinationArrowId, SDlgItemKind::ComboBox, u"", 181, 46, 68, 12, kCombo},
      {L::PerpendicularId, SDlgItemKind::Button, u"Use perpendicular arrow", 139, 62, 110, 10,
       kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
  };
  SSymAddPreviewItems(items, 133, 80, 122, 60);
  SSymRegisterPageTemplates({TemplateId, TemplateModeId, u"Line Style", u"&Apply line style to symbols",
                             u"Allow &users to modify symbol line style"},
                            262, 144, std::move(items));
}

KV_BEGIN_MESSAGE_MAP(SSymDlgLine, SSymDlgBase)
KV_ON_CONTROL(CBN_SELCHANGE, SSymDlgLine::StyleId, OnLineStyle)
KV_ON_CONTROL(CBN_SELCHANGE, SSymDlgLine::WidthId, OnLineWidth)
KV_ON_CONTROL(CBN_SELCHANGE, SSymDlgLine::CornersId, OnLineCorner)
KV_ON_CONTROL(CBN_SELCHANGE, SSymDlgLine::SourceArrowId, OnArrowSource)
KV_ON_CONTROL(CBN_SELCHANGE, SSymDlgLine::CentreArrowId, OnArrowCentre)
KV_ON_CONTROL(CBN_SELCHANGE, SSymDlgLine::DestinationArrowId, OnArrowDestination)
KV_ON_BN_CLICKED(SSymDlgLine::PerpendicularId, OnPerpendicular)
KV_ON_NOTIFY(CWN_CLICK, SSymDlgLine::ColorId, OnColor)
KV_END_MESSAGE_MAP()

SSymDlgLine::SSymDlgLine(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId)
    : SSymDlgBase(templateId, format, allow) {
  SetHelpContext(HelpContext);
}

int SSymDlgLine::Selected(int id) const {
  return int(::SendDlgItemMessageW(m_hWnd, id, CB_GETCURSEL, 0, 0));
}

BOOL SSymDlgLine::OnInitDialog() {
  m_nCategory = SSymAllowOption::LINE;
  SSymDlgBase::OnInitDialog();
  SSymFormatEx& f = *m_pFormat;
  AttachDlgItem(ColorId, &m_color);
  if (SSymIsPlainColor(f.m_pen.m_color.GetColor())) m_color.SetColor(f.m_pen.m_color.GetColor());

  for (const char16_t* text : kStyleTexts) Fill(m_hWnd, StyleId, SString(text));
  Choose(m_hWnd, StyleId, StyleToIndex(f.m_pen.m_style));
  const int widths = WidthCount(m_pAllow && (m_pAllow->m_mask & 0x8));
  for (int i = 0; i < widths; ++i) Fill(m_hWnd, WidthId, SString(kWidthTexts[i]));
  Choose(m_hWnd, WidthId, WidthToIndex(f.m_pen.m_width, widths));
  for (const char16_t* text : kCornerTexts) Fill(m_hWnd, CornersId, SString(text));
  Choose(m_hWnd, CornersId, ShapeToCornerIndex(f.m_lineStyle));
  const struct {
    int id;
    End end;
  } arrows[] = {{SourceArrowId, Source}, {CentreArrowId, Centre}, {DestinationArrowId, Destination}};
  for (const auto& a : arrows) {
    Fill(m_hWnd, a.id, SString(u"Notation"));
    for (int i = 1; i <= ArrowRowCount(a.end); ++i) Fill(m_hWnd, a.id, ArrowText(IndexToArrow(a.end, i)));
    Choose(m_hWnd, a.id, ArrowToIndex(a.end, f.m_arrows[a.end]));
  }
  SetCheck(PerpendicularId, HasPerpendicular(f.m_lineStyle) ? BST_CHECKED : BST_UNCHECKED);
  const int corner = ShapeToCornerIndex(f.m_lineStyle);
  EnableItems({PerpendicularId}, corner >= 0 && CornerTakesPerpendicular(corner));
  SetupPreview();

  const DWORD mask = m_pAllow ? m_pAllow->m_mask : 0x7FF;
  if (!(mask & 0x400)) EnableItems({1081, StyleId}, false);
  if (!(mask & 0x2)) EnableItems({1080, CornersId}, false);
  if (!(mask & 0x4)) EnableItems({1079, 1104, 1078, SourceArrowId, CentreArrowId, DestinationArrowId, PerpendicularId}, false);
  if (CategoryImposed(SSymAllowOption::LINE))
    EnableItems({ColorId, StyleId, WidthId, CornersId, SourceArrowId, CentreArrowId, DestinationArrowId, PerpendicularId},
                false);
  return TRUE;
}

void SSymDlgLine::OnLineStyle() {
  const LONG style = IndexToStyle(Selected(StyleId));
  if (style < 0 || style == m_pFormat->m_pen.m_style) return;
  m_pFormat->m_pen.m_style = style;
  RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgLine::OnLineWidth() {
  const LONG width = IndexToWidth(Selected(WidthId));
  if (width < 0 || width == m_pFormat->m_pen.m_width) return;
  m_pFormat->m_pen.m_width = width;
  RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgLine::OnLineCorner() {
  const int corner = Selected(CornersId);
  if (corner < 0 || corner == ShapeToCornerIndex(m_pFormat->m_lineStyle)) return;
  const bool takes = CornerTakesPerpendicular(corner);
  EnableItems({PerpendicularId}, takes && (!m_pAllow || (m_pAllow->m_mask & 0x4)));
  m_pFormat->m_lineStyle = CornerToShape(corner, takes && IsChecked(PerpendicularId));
  RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgLine::OnPerpendicular() {
  LONG& shape = m_pFormat->m_lineStyle;
  if (IsChecked(PerpendicularId)) {
    if (!HasPerpendicular(shape)) shape += ShapePerpendicular;
  } else if (HasPerpendicular(shape)) {
    shape -= ShapePerpendicular;
  }
  RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgLine::OnArrow(End end) {
  const int id = end == Source ? SourceArrowId : end == Centre ? CentreArrowId : DestinationArrowId;
  const LONG type = IndexToArrow(end, Selected(id));
  if (type == -2) return;
  m_pFormat->m_arrows[end] = type;
  RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgLine::OnColor(NMHDR* notify, LRESULT*) { TakeWellColor(m_color, notify, m_pFormat->m_pen.m_color); }
