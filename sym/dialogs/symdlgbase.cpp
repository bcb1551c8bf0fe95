#include "sym/dialogs/symdlgbase.h"

#include <map>
#include <utility>

#include "kvrep/srepobject.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/dialogs/symcolorwell.h"
#include "sym/dialogs/symdialog.h"
#include "sym/edit/symselection.h"
#include "sym/links/sympolyline.h"
#include "sym/shapes/symrectfamily.h"
#include "sym/symbol/symsolid.h"
#include "win/winmsgbox.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The category bit a box governs; 0 for a box that is neither, or no word.
DWORD BitOf(const SSymAllowOption* allow, int category, int box) {
  if (!allow || category < 0 || category >= SSymAllowOption::CategoryCount) return 0;
  if (box == SSymXemFrmtOption::ApplyToId) return SSymAllowOption::AllowApply;
  if (box == SSymXemFrmtOption::AllowModifyId) return SSymAllowOption::AllowModify;
  return 0;
}
}  // namespace

bool SSymXemFrmtOption::StoreCheck(SSymAllowOption* allow, int category, int box, bool checked) {
  const DWORD bit = BitOf(allow, category, box);
  if (!bit) return false;
  DWORD& word = allow->m_category[category];
  word = checked ? (word | bit) : (word & ~bit);
  return true;
}

bool SSymXemFrmtOption::ShownCheck(const SSymAllowOption* allow, int category, int box) {
  const DWORD bit = BitOf(allow, category, box);
  return bit && (allow->m_category[category] & bit) != 0;
}

SSymPreviewShare* SSymPreviewShare::Create(ISSymDiagram* diagram) {
  return diagram ? new SSymPreviewShare(diagram) : nullptr;
}

bool SSymPreviewShare::ReleaseHolder() {
  if (--m_nHolders > 0) return false;
  RepObjWrap object(m_diagram.Get());
  if (!object.IsNull() && !object->IsDeleted()) object->Delete();
  delete this;
  return true;
}

// ---- the page base ----------------------------------------------------------------------------------

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr int kBoxHeight = 10;
// The sample symbols, in diagram units.
const SSymPoint kSamplePoints[] = {{-4000, -1200}, {1750, 1125}, {1750, -1125}, {7500, 1200}};
const SSymRect kSampleBox(-7500, 1350, -4800, -1350);
const SSymRect kSampleExtent(-7900, 1800, 7900, -1800);
}  // namespace

void SSymAddPreviewItems(std::vector<SDlgItem>& items, int x, int y, int cx, int cy) {
  items.push_back({-1, SDlgItemKind::Button, u" Preview ", x, y, cx, cy, kShown | BS_GROUPBOX});
  items.push_back({SSymDlgBase::PreviewId, SDlgItemKind::Custom, u"", x + 6, y + 11, cx - 12, cy - 17,
                   kShown | WS_BORDER, u"SSymView"});
}

namespace {
// The registry keeps the templates by address: they live here, in nodes
// that do not move.
void Keep(SDlgTemplate t) {
  static std::map<UINT, SDlgTemplate> kept;
  SDlgTemplate& slot = kept[t.id];
  slot = std::move(t);
  SRegisterDlgTemplate(slot);
}
}  // namespace

void SSymRegisterPageTemplates(const SSymPageTexts& texts, int cx, int cy, std::vector<SDlgItem> items) {
  Keep(SDlgTemplate{texts.plainId, texts.caption, u"MS Shell Dlg", 8, cx, cy, items});
  if (texts.templateModeId == texts.plainId || !texts.applyText) return;
  items.push_back({SSymXemFrmtOption::ApplyToId, SDlgItemKind::Button, texts.applyText, 7, cy + 2, cx - 14,
                   kBoxHeight, kShown | WS_TABSTOP | BS_AUTOCHECKBOX});
  items.push_back({SSymXemFrmtOption::AllowModifyId, SDlgItemKind::Button, texts.modifyText, 17, cy + 14, cx - 24,
                   kBoxHeight, kShown | WS_TABSTOP | BS_AUTOCHECKBOX});
  Keep(SDlgTemplate{texts.templateModeId, texts.caption, u"MS Shell Dlg", 8, cx, cy + 28, std::move(items)});
}

KV_BEGIN_MESSAGE_MAP(SSymDlgBase, SPropertyPage)
KV_ON_MESSAGE(PSM_QUERYSIBLINGS, OnQuerySibling)
KV_ON_BN_CLICKED(SSymXemFrmtOption::ApplyToId, OnApplyTo)
KV_ON_BN_CLICKED(SSymXemFrmtOption::AllowModifyId, OnAllowModify)
KV_END_MESSAGE_MAP()

SSymDlgBase::SSymDlgBase(UINT templateId, SSymFormatEx* format, SSymAllowOption* allow)
    : SPropertyPage(templateId), m_pFormat(format), m_pAllow(allow) {
  // The preview control of the templates is a diagram view.
  SSymView::RegisterViewClass();
}

SSymDlgBase::~SSymDlgBase() {
  // The view goes with the window before the diagram it shows.
  if (m_hWnd) DestroyWindow();
  LetPreviewGo();
}

void SSymDlgBase::LetPreviewGo() {
  m_pPreview = nullptr;
  if (SSymPreviewShare* share = std::exchange(m_pShare, nullptr)) share->ReleaseHolder();
}

bool SSymDlgBase::CategoryImposed(int category) const {
  constexpr DWORD kBoth = SSymAllowOption::AllowApply | SSymAllowOption::AllowModify;
  return m_pAllow && !InTemplateMode() && category >= 0 && category < SSymAllowOption::CategoryCount &&
         (m_pAllow->m_category[category] & kBoth) == SSymAllowOption::AllowApply;
}

BOOL SSymDlgBase::OnInitDialog() {
  if (m_pSheet && InTemplateMode()) {
    SetCheck(ApplyToId, ShownCheck(m_pAllow, m_nCategory, ApplyToId) ? BST_CHECKED : BST_UNCHECKED);
    SetCheck(AllowModifyId, ShownCheck(m_pAllow, m_nCategory, AllowModifyId) ? BST_CHECKED : BST_UNCHECKED);
    EnableItems({AllowModifyId}, AllowModifyEnabled(IsChecked(ApplyToId)));
  }
  return SPropertyPage::OnInitDialog();
}

void SSymDlgBase::OnApplyTo() {
  const bool checked = IsChecked(ApplyToId);
  EnableItems({AllowModifyId}, AllowModifyEnabled(checked));
  if (m_pSheet && StoreCheck(m_pAllow, m_nCategory, ApplyToId, checked)) SetModified(TRUE);
}

void SSymDlgBase::OnAllowModify() {
  if (m_pSheet && StoreCheck(m_pAllow, m_nCategory, AllowModifyId, IsChecked(AllowModifyId))) SetModified(TRUE);
}

LRESULT SSymDlgBase::OnQuerySibling(WPARAM wParam, LPARAM lParam) {
  if (int(wParam) != m_nQueryCode || !m_pShare || !m_pPreview || !lParam) return 0;
  *reinterpret_cast<SSymPreviewShare**>(lParam) = m_pShare;
  return 1;
}

ISSymDiagram* SSymDlgBase::GetPreviewDiagram() const { return m_pShare ? m_pShare->GetDiagram() : nullptr; }

int SSymDlgBase::SetupPreview() {
  HWND h = m_hWnd ? ::GetDlgItem(m_hWnd, PreviewId) : nullptr;
  auto* view = h ? dynamic_cast<SSymView*>(SWnd::FromHandlePermanent(h)) : nullptr;
  if (!view) return 0;
  m_pPreview = view;
  view->SetState(view->GetState() | SSymView::StatePreview);
  if (!m_pShare) {
    SSymPreviewShare* found = nullptr;
    if (QuerySiblings(0, reinterpret_cast<LPARAM>(&found)) && found) {
      m_pShare = found;
    } else {
      ISRepObject* made = nullptr;
      if (FAILED(SSymDiagram::CreateInstance(&made, nullptr, nullptr)) || !made) return 1;  // an empty preview
      SComWrap<ISSymDiagram> diagram(made);
      made->Release();
      if (diagram.IsNull()) return 1;
      auto* line = new SSymPolyline(SSymListPt({kSamplePoints[0], kSamplePoints[1], kSamplePoints[2], kSamplePoints[3]}),
                                    nullptr);
      line->AddRef();
      diagram->Add(line->Sym());
      line->Release();
      auto* box = new SSymRectangle(kSampleBox);
      box->AddRef();
      diagram->Add(box->Sym());
      box->Release();
      m_pShare = SSymPreviewShare::Create(diagram.Get());
    }
    if (!m_pShare) return 1;
    m_pShare->AddHolder();
  }
  m_pPreview->SetDiagram(m_pShare->GetDiagram());
  m_pPreview->ScaleToRect(kSampleExtent, 0);
  RefreshPreview();
  return 1;
}

COLORREF SSymDlgBase::PreviewColor(const SSymBrush& brush) {
  const LONG style = brush.m_style;
  const bool gradient = (style == SSymBrush::Gradient || style == SSymBrush::GradientPicture) && brush.m_gradientMode &&
                        (brush.m_endColor.GetColor() != brush.m_color.GetColor() || (brush.m_gradientMode & 0x400));
  const COLORREF color = gradient ? brush.m_endColor.GetColor() : brush.m_color.GetColor();
  return SSymIsPlainColor(color) ? color : 0xFFFFFF;
}

COLORREF SSymDlgBase::ShownColor(const SSymBrush& brush) const { return ShownColor(PreviewColor(brush)); }

COLORREF SSymDlgBase::ShownColor(COLORREF color) const {
  SSymSelection* selection = m_pSheet ? m_pSheet->GetSelection() : nullptr;
  ISSymbol* one = selection && selection->GetCount() == 1 ? selection->GetAt(0) : nullptr;
  ISRepObject* object = one ? SSymGetRepObject(one) : nullptr;
  // A symbol deleted while the sheet is open has no composites to show in.
  if (!object || object->IsDeleted()) return color;
  SSymColor shown(color);
  GetDarkenColor(one, shown);
  return shown.GetColor();
}

void SSymDlgBase::FormatSample(ISSymbol* symbol, const SSymFormat& format, COLORREF fill) {
  if (!symbol) return;
  SSymFormatEx f;
  symbol->GetFormat(f);
  f.m_pen = format.m_pen;
  if (f.m_pen.m_style == 0) f.m_pen.m_style = SSymPen::Solid;
  if (f.m_pen.m_width < 0) f.m_pen.m_width = 0;
  if (!SSymIsPlainColor(f.m_pen.m_color.GetColor())) f.m_pen.m_color = SSymColor(0);
  f.m_lineStyle = format.m_lineStyle > 7 ? format.m_lineStyle - 8 : format.m_lineStyle;
  if (f.m_lineStyle == 4) f.m_lineStyle = 0;
  for (int end = 0; end < 3; ++end) f.m_arrows[end] = format.m_arrows[end] == 255 ? 24 : format.m_arrows[end];
  f.m_points.clear();
  f.m_brush = format.m_brush;
  f.m_brush.m_color = SSymColor(fill);
  if (!SSymIsPlainColor(f.m_brush.m_endColor.GetColor())) f.m_brush.m_endColor = SSymColor(0x767676);
  f.m_fill = format.m_fill == 0 ? 0 : 1;
  f.m_shadowColor = SSymIsPlainColor(format.m_shadowColor.GetColor()) ? format.m_shadowColor : SSymColor(0xC0C0C0);
  if (format.m_shadowStyle >= 0 && format.m_shadowStyle != 65535) f.m_shadowStyle = format.m_shadowStyle;
  if (format.m_textStyle) f.m_textStyle = format.m_textStyle;
  // The box shows the custom picture the format gives (none when mixed).
  f.m_margins[3] = format.m_margins[3];
  if (format.m_margins[4] >= 0) f.m_margins[4] = format.m_margins[4];
  f.m_flags = SSymFormatEx::FlagPen | SSymFormatEx::FlagLineStyle | SSymFormatEx::FlagArrows |
              SSymFormatEx::FlagBrush | SSymFormatEx::FlagShadowColor | SSymFormatEx::FlagShadowStyle |
              SSymFormatEx::FlagFonts | SSymFormatEx::FlagCustomShape;
  symbol->SetFormat(f);
}

void SSymDlgBase::RefreshPreview() {
  ISSymDiagram* diagram = GetPreviewDiagram();
  if (!diagram || !m_pFormat) return;
  SComOut<ISRepClassCol> symbols;
  if (diagram->GetSymbols(&symbols) != S_OK || !symbols) return;
  const COLORREF fill = ShownColor(m_pFormat->m_brush);
  for (LONG i = 0; i < symbols->GetCount(); ++i) {
    SComOut<ISRepObject> object;
    if (symbols->Item(i, &object) != S_OK || !object) continue;
    SComWrap<ISSymbol> symbol(object.Get());
    FormatSample(symbol.Get(), *m_pFormat, fill);
  }
  if (m_pPreview && m_pPreview->m_hWnd) ::InvalidateRect(m_pPreview->m_hWnd, nullptr, TRUE);
}

bool SSymDlgBase::TakeWellColor(SColorWellCtrl& well, NMHDR* notify, SSymColor& stored) {
  COLORREF color = 0;
  const COLORREF current = stored.GetColor();
  if (!SSymPickWellColor(well, SSymWellClickedCell(notify), current, this, color) || color == current) return false;
  stored = SSymColor(color);
  RefreshPreview();
  SetModified(TRUE);
  return true;
}

void SSymDlgBase::Refuse(const SString& text) {
  m_refusal = text;
  ::MessageBoxW(m_hWnd, text.c_str(), u"Symbol Format", MB_OK | MB_ICONWARNING);
}

void SSymDlgBase::EnableItems(std::initializer_list<int> ids, bool enabled) {
  for (int id : ids)
    if (HWND h = m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr) ::EnableWindow(h, enabled ? TRUE : FALSE);
}

void SSymDlgBase::ShowItems(std::initializer_list<int> ids, bool shown) {
  for (int id : ids)
    if (HWND h = m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr) ::ShowWindow(h, shown ? SW_SHOW : SW_HIDE);
}

bool SSymDlgBase::IsChecked(int id) const { return m_hWnd && ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

void SSymDlgBase::SetCheck(int id, int check) {
  if (m_hWnd) ::CheckDlgButton(m_hWnd, id, UINT(check));
}

SString SSymDlgBase::GetDlgItemText(int id) const {
  SString text;
  if (HWND h = m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr) {
    const int length = ::GetWindowTextLengthW(h);
    std::u16string buffer(std::size_t(length) + 1, u'\0');
    ::GetWindowTextW(h, buffer.data(), length + 1);
    buffer.resize(std::size_t(length));
    text = SString(buffer);
  }
  return text;
}
