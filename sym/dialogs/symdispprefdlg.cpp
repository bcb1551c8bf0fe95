#include "sym/dialogs/symdispprefdlg.h"

#include <cmath>
#include <iterator>

#include "kvcore/scolor.h"
#include "kvcore/sexception.h"
#include "kvcore/smodulestate.h"
#include "sym/dialogs/symdlgsize.h"
#include "sym/foundation/sdsym.h"
#include "win/winmsgbox.h"

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheck = kShown | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kRadio = kShown | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kGroup = kShown | BS_GROUPBOX;
constexpr DWORD kPush = kShown | WS_TABSTOP;
constexpr const char16_t* kWhite = u"255, 255, 255";
// The colours the window colour box offers; a diagram's own colour is
// added when it is none of them.
constexpr COLORREF kPalette[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x0000FF, 0x000080, 0x00FFFF, 0x008080,
                                 0x00FF00, 0x008000, 0xFFFF00, 0x808000, 0xFF0000, 0x800000, 0xFF00FF, 0x800080};
constexpr const char16_t* kDarkening[] = {u"0%", u"5%", u"10%", u"15%", u"20%", u"25%"};

struct Resources {
  Resources() {
    SRegisterDlgTemplate(SSymDispPrefDlg::Template());
    SRegisterDlgTemplate(SSymPrefGeneralPage::Template());
  }
  ~Resources() {
    SUnregisterDlgTemplate(SSymPrefGeneralPage::TemplateId);
    SUnregisterDlgTemplate(SSymDispPrefDlg::TemplateId);
  }
} s_resources;

int Checked(bool on) { return on ? BST_CHECKED : BST_UNCHECKED; }
// The unit lengths are shown in: inch and millimetre as they are, any
// other unit in pixels.
int ShownUnit(LONG unit) {
  return unit == SSymDlgSize::Inch || unit == SSymDlgSize::Millimetre ? int(unit) : int(SSymDlgSize::Pixel);
}
void Show(SWnd& control, bool shown) {
  if (control.m_hWnd) control.ShowWindow(shown ? SW_SHOW : SW_HIDE);
}
}  // namespace

// ---- the dialog ----------------------------------------------------------------------------------

const SDlgTemplate& SSymDispPrefDlg::Template() {
  static const SDlgTemplate t{
      TemplateId,
      u"Display Preferences",
      u"MS Sans Serif",
      8,
      440,
      270,
      {
          {-1, SDlgItemKind::Static, u"&Category:", 7, 7, 110, 8, kShown},
          {CategoryId, SDlgItemKind::ListBox, u"", 7, 18, 110, 222, kShown | WS_TABSTOP | WS_BORDER | LBS_NOTIFY},
          {PageAreaId, SDlgItemKind::Static, u"", 124, 7, 309, 233, WS_CHILD},
          {FrameId, SDlgItemKind::Static, u"", 7, 244, 426, 1, kShown | WS_BORDER},
          {IDOK, SDlgItemKind::Button, u"OK", 275, 250, 50, 14, kPush | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", 329, 250, 50, 14, kPush},
          {IDHELP, SDlgItemKind::Button, u"&Help", 383, 250, 50, 14, kPush},
          {ApplyToId, SDlgItemKind::Button, u"Apply &To...", 7, 250, 60, 14, kPush},
      }};
  return t;
}

KV_BEGIN_MESSAGE_MAP(SSymDispPrefDlg, SRepTreePropDlg)
KV_ON_BN_CLICKED(SSymDispPrefDlg::ApplyToId, OnApplyToCommand)
KV_END_MESSAGE_MAP()

SSymDispPrefDlg::SSymDispPrefDlg(ISSymDiagram* diagram, SWnd* parent)
    : SRepTreePropDlg(TemplateId, PageAreaId, SSymGetModuleState(), parent, 0) {
  // The pages, not the dialog, work on the diagram.
  (void)diagram;
}

SSymDispPrefDlg::~SSymDispPrefDlg() = default;

LONG SSymDispPrefDlg::GetGraphUnit() const {
  for (int i = 0; i < GetPageCount(); ++i)
    if (auto* page = dynamic_cast<SSymPrefBasePage*>(GetPage(i)))
      if (const LONG unit = page->GetGraphUnit(); unit != -1) return unit;
  return 2;
}

BOOL SSymDispPrefDlg::OnInitDialog() {
  static const SLayoutMapEntry kEntries[] = {
      {CategoryId, SLayoutMap::StretchY},
      {PageAreaId, SLayoutMap::StretchX | SLayoutMap::StretchY},
      {FrameId, SLayoutMap::StretchX | SLayoutMap::MoveY},
      {ApplyToId, SLayoutMap::MoveY},
      {IDOK, SLayoutMap::MoveX | SLayoutMap::MoveY},
      {IDCANCEL, SLayoutMap::MoveX | SLayoutMap::MoveY},
      {IDHELP, SLayoutMap::MoveX | SLayoutMap::MoveY},
  };
  m_layout.Init(m_hWnd, kEntries, int(std::size(kEntries)));
  AttachDlgItem(ApplyToId, &m_applyTo);
  CreateContext();
  SRepTreePropDlg::OnInitDialog();
  return TRUE;
}

// ---- the page base -------------------------------------------------------------------------------

KV_BEGIN_MESSAGE_MAP(SSymPrefBasePage, SPropertyPage)
KV_ON_BN_CLICKED(SSymPrefBasePage::DefaultId, OnGetDefault)
KV_ON_BN_CLICKED(SSymPrefBasePage::SetAsDefaultId, OnSetAsDefault)
KV_END_MESSAGE_MAP()

SSymPrefBasePage::SSymPrefBasePage(ISRepObject* object, UINT templateId) : SPropertyPage(templateId) {
  if (!object) throw SEConstructor(__func__, __FILE__, __LINE__);
  m_diagram = SComWrap<ISSymDiagram>(object);
  if (m_diagram.IsNull()) throw SEConstructor(__func__, __FILE__, __LINE__);
  m_pPref = m_diagram->GetDispPrefPtr();
}

SSymPrefBasePage::~SSymPrefBasePage() {
  if (m_hWnd) DestroyWindow();
}

BOOL SSymPrefBasePage::OnInitDialog() {
  SPropertyPage::OnInitDialog();
  InitDataCtrl(1);
  return FALSE;
}

HRESULT SSymPrefBasePage::SetAsDefault() {
  const HRESULT hr = CommitDataCtrl(0);
  if (FAILED(hr) && hr != E_POINTER) TellRefusal(hr);
  return hr;
}

BOOL SSymPrefBasePage::OnApply() {
  // Without preferences there is nothing to store; a refused write keeps
  // the dialog open on the page.
  const HRESULT hr = CommitDataCtrl(1);
  if (FAILED(hr) && hr != E_POINTER) {
    TellRefusal(hr);
    return FALSE;
  }
  return TRUE;
}

void SSymPrefBasePage::TellRefusal(HRESULT status) {
  m_refusal = SString::Format("The display preferences could not be stored (error 0x%08X).", unsigned(status));
  ::MessageBoxW(m_hWnd, m_refusal.c_str(), u"Display Preferences", MB_OK | MB_ICONWARNING);
}

// ---- the general page ----------------------------------------------------------------------------

const SDlgTemplate& SSymPrefGeneralPage::Template() {
  using P = SSymPrefGeneralPage;
  // The swimlane, orientation and darkening groups share one place.
  constexpr int kSharedY = 148;
  static const SDlgTemplate t{
      TemplateId,
      u"General",
      u"MS Sans Serif",
      8,
      300,
      210,
      {
          {-1, SDlgItemKind::Static, u"Window &color:", 7, 9, 50, 8, kShown},
          {P::ColorId, SDlgItemKind::ComboBox, u"", 60, 7, 70, 120,
           kShown | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED},
          {P::UnitGroupId, SDlgItemKind::Button, u" Unit ", 7, 25, 286, 26, kGroup},
          {P::InchId, SDlgItemKind::Button, u"&Inch", 15, 36, 60, 10, kRadio},
          {P::MillimetreId, SDlgItemKind::Button, u"&Millimeter", 85, 36, 60, 10, kRadio},
          {P::PixelId, SDlgItemKind::Button, u"&Pixel", 155, 36, 60, 10, kRadio},
          {P::GridGroupId, SDlgItemKind::Button, u" Grid ", 7, 55, 286, 28, kGroup},
          {P::SnapGridId, SDlgItemKind::Button, u"Snap to &grid", 15, 67, 65, 10, kCheck},
          {P::DisplayGridId, SDlgItemKind::Button, u"Disp&lay", 85, 67, 50, 10, kCheck},
          {P::SizeLabelId, SDlgItemKind::Static, u"Si&ze:", 155, 68, 22, 8, kShown},
          {P::SizeId, SDlgItemKind::Edit, u"", 180, 66, 50, 12, kShown | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL},
          {P::DiagramGroupId, SDlgItemKind::Button, u" Diagram ", 7, 87, 286, 26, kGroup},
          {P::ShowPageId, SDlgItemKind::Button, u"Show page delimiter", 15, 98, 100, 10, kCheck},
          {P::ConstrainLabelsId, SDlgItemKind::Button, u"Constrain Labels", 155, 98, 100, 10, kCheck},
          {P::LinksGroupId, SDlgItemKind::Button, u"Links ", 7, 117, 286, 26, kGroup},
          {P::IntersectId, SDlgItemKind::Button, u"Show bridges at intersections", 15, 128, 130, 10, kCheck},
          {P::AutoRoutingId, SDlgItemKind::Button, u"Automatic Link Routing", 155, 128, 120, 10, kCheck},
          {P::SwimGroupId, SDlgItemKind::Button, u"", 7, kSharedY, 286, 30, kGroup},
          {P::SwimlaneId, SDlgItemKind::Button, u"Swimlane ", 12, kSharedY, 50, 10, kCheck},
          {P::SwimHorzId, SDlgItemKind::Button, u"&Horizontal", 15, kSharedY + 14, 60, 10, kRadio},
          {P::SwimVertId, SDlgItemKind::Button, u"Vertical", 85, kSharedY + 14, 60, 10, kRadio},
          {P::TreeGroupId, SDlgItemKind::Button, u" Orientation ", 7, kSharedY, 286, 30, kGroup},
          {P::TreeHorzId, SDlgItemKind::Button, u"&Horizontal", 15, kSharedY + 14, 60, 10, kRadio},
          {P::TreeVertId, SDlgItemKind::Button, u"Vertical", 85, kSharedY + 14, 60, 10, kRadio},
          {P::DarkGroupId, SDlgItemKind::Button, u" Composite ", 7, kSharedY, 286, 30, kGroup},
          {P::DarkLabelId, SDlgItemKind::Static, u"&Darken Child Symbol: ", 15, kSharedY + 15, 80, 8, kShown},
          {P::DarkId, SDlgItemKind::ComboBox, u"", 100, kSharedY + 13, 50, 80, kShown | WS_TABSTOP | CBS_DROPDOWN},
          {P::DefaultId, SDlgItemKind::Button, u"&Default", 7, 188, 60, 14, kPush},
          {P::SetAsDefaultId, SDlgItemKind::Button, u"&Set As Default", 71, 188, 70, 14, kPush},
      }};
  return t;
}

KV_BEGIN_MESSAGE_MAP(SSymPrefGeneralPage, SSymPrefBasePage)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::SnapGridId, OnSnapGrid)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::DisplayGridId, OnDispGrid)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::ShowPageId, OnShowPage)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::IntersectId, OnShowIntersect)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::AutoRoutingId, OnAutoRouting)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::ConstrainLabelsId, OnConstrainLabels)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::InchId, OnInch)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::MillimetreId, OnMm)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::PixelId, OnPixel)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::SwimlaneId, OnSwimlane)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::SwimHorzId, OnSwimHorz)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::SwimVertId, OnSwimVert)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::TreeHorzId, OnTreeHorz)
KV_ON_BN_CLICKED(SSymPrefGeneralPage::TreeVertId, OnTreeVert)
KV_ON_CONTROL(CBN_SELCHANGE, SSymPrefGeneralPage::ColorId, OnClick)
KV_ON_CONTROL(EN_KILLFOCUS, SSymPrefGeneralPage::SizeId, OnKillFocusSize)
KV_END_MESSAGE_MAP()

SSymPrefGeneralPage::SSymPrefGeneralPage(ISRepObject* object)
    : SSymPrefGeneralPage(object, TemplateId, SSymGetModuleState()) {}

SSymPrefGeneralPage::SSymPrefGeneralPage(ISRepObject* object, UINT templateId, SModuleState* state)
    : SSymPrefBasePage(object, templateId), m_pModuleState(state) {}

SSymPrefGeneralPage::~SSymPrefGeneralPage() = default;

BOOL SSymPrefGeneralPage::OnInitDialog() {
  static const SLayoutMapEntry kEntries[] = {
      {UnitGroupId, SLayoutMap::StretchX},  {GridGroupId, SLayoutMap::StretchX}, {DiagramGroupId, SLayoutMap::StretchX},
      {LinksGroupId, SLayoutMap::StretchX}, {SwimGroupId, SLayoutMap::StretchX}, {TreeGroupId, SLayoutMap::StretchX},
      {DarkGroupId, SLayoutMap::StretchX},
  };
  m_layout.Init(m_hWnd, kEntries, int(std::size(kEntries)));
  {
    SSetModuleState module(m_pModuleState);
    const struct {
      int id;
      SWnd* control;
    } bound[] = {{SizeId, &m_size},          {SnapGridId, &m_snap},         {DisplayGridId, &m_display},
                 {ShowPageId, &m_showPage},  {IntersectId, &m_intersect},   {AutoRoutingId, &m_autoRouting},
                 {ConstrainLabelsId, &m_constrain}, {ColorId, &m_color},    {InchId, &m_inch},
                 {MillimetreId, &m_mm},      {PixelId, &m_pixel},           {SwimGroupId, &m_swimGroup},
                 {SwimlaneId, &m_swimlane},  {SwimHorzId, &m_swimHorz},     {SwimVertId, &m_swimVert},
                 {TreeGroupId, &m_treeGroup}, {TreeHorzId, &m_treeHorz},    {TreeVertId, &m_treeVert},
                 {DarkGroupId, &m_darkGroup}, {DarkLabelId, &m_darkLabel},  {DarkId, &m_dark}};
    for (const auto& b : bound) AttachDlgItem(b.id, b.control);
    SPropertyPage::OnInitDialog();
  }
  // The colours on offer come first, so that the diagram's one is chosen
  // among them.
  for (COLORREF c : kPalette) m_color.AddColor(c);
  InitDataCtrl(1);

  SSymDispPref* p = m_pPref;
  int canHide = 0;
  if (!p || !p->IsSupportSwimSymbol(&canHide)) {
    for (SWnd* c : {&m_swimGroup, &m_swimlane, &m_swimHorz, &m_swimVert}) Show(*c, false);
  } else {
    SString label;
    m_swimlane.GetWindowText(label);
    p->AdjustSwimlaneLabel(label);
    m_swimlane.SetWindowText(label.c_str());
    // Swimlanes the user may not switch off.
    if (!canHide) m_swimlane.EnableWindow(FALSE);
    if (!m_data.m_bShowSwimlane) {
      m_swimHorz.EnableWindow(FALSE);
      m_swimVert.EnableWindow(FALSE);
    }
  }
  if (!p || !p->IsSupportTreeOrientation())
    for (SWnd* c : {&m_treeGroup, &m_treeHorz, &m_treeVert}) Show(*c, false);
  if (!p || !p->IsSupportCompDark()) {
    for (SWnd* c : {static_cast<SWnd*>(&m_darkGroup), static_cast<SWnd*>(&m_darkLabel), static_cast<SWnd*>(&m_dark)})
      Show(*c, false);
  } else {
    const SString shown = m_dark.GetText();
    for (const char16_t* d : kDarkening) m_dark.AddString(d);
    m_dark.SetText(shown);
  }
  return FALSE;
}

HRESULT SSymPrefGeneralPage::InitDataCtrl(int current) {
  if (!m_pPref) return E_POINTER;
  SSymDispPref& p = *m_pPref;
  const unsigned long location = current ? SSymDispPref::LocDiagram : SSymDispPref::LocUserDefault;
  const SString g = SSymDispPref::GetGeneralPath();
  auto flag = [&](const char16_t* key, int fallback) {
    int v = fallback;
    p.GetBoolOptProfile(g, SString(key), v, fallback, location);
    return v;
  };
  auto number = [&](const char16_t* key, long fallback) {
    long v = fallback;
    p.GetLongOptProfile(g, SString(key), v, fallback, location);
    return LONG(v);
  };
  auto text = [&](const char16_t* key, const char16_t* fallback) {
    SString v;
    p.GetOptProfile(g, SString(key), v, SString(fallback), location);
    return v;
  };
  SPrefDataGeneral& d = m_data;
  d.m_bSnapGrid = flag(u"Snap Grid", 0);
  d.m_bConstrainLabels = flag(u"Constrain Labels", p.GetDefaultConstrainLabels());
  d.m_bDisplayGrid = flag(u"Display Grid", 0);
  d.m_bShowPage = flag(u"Show Page Delimiter", 1);
  d.m_bShowIntersect = flag(u"Show Links intersections", 1);
  d.m_bAutoRouting = flag(u"Activate automatic link routing", 1);
  d.m_nGridSize = number(u"Grid size", 1000);
  d.m_nGraphUnit = number(u"Graphic unit", 2);
  d.m_crWindow = SColor(text(u"Window color", kWhite), SColor::Undefined).GetColor();
  d.m_backFile = text(u"Background image", u"");
  d.m_nBackMode = number(u"Background mode", 8);
  d.m_watermarkFile = text(u"Watermark image", u"");
  d.m_nWatermarkMode = number(u"Watermark mode", 8);
  d.m_bWatermarkOnScreen = flag(u"Show watermark on screen", 0);
  d.m_nGradientMode = number(u"Gradient mode", 0);
  d.m_crGradientEnd = SColor(text(u"Gradient end color", kWhite), SColor::Undefined).GetColor();

  if (p.IsSupportSwimSymbol()) {
    d.m_bShowSwimlane = flag(u"Show Swimlane", 1);
    d.m_bSwimlaneVert = flag(u"SwimlaneVert", 1);
    m_swimlane.SetCheck(Checked(d.m_bShowSwimlane));
    m_swimVert.SetCheck(Checked(d.m_bSwimlaneVert));
    m_swimHorz.SetCheck(Checked(!d.m_bSwimlaneVert));
  } else if (p.IsSupportTreeOrientation()) {
    d.m_bTreeVert = flag(u"TreeVert", 0);
    m_treeVert.SetCheck(Checked(d.m_bTreeVert));
    m_treeHorz.SetCheck(Checked(!d.m_bTreeVert));
  }

  if (d.m_nGridSize < MinGridSize) d.m_nGridSize = MinGridSize;
  ShowGridSize();

  m_snap.SetCheck(Checked(d.m_bSnapGrid));
  m_size.EnableWindow(d.m_bSnapGrid ? TRUE : FALSE);
  m_display.SetCheck(Checked(d.m_bDisplayGrid));
  m_showPage.SetCheck(Checked(d.m_bShowPage));
  m_intersect.SetCheck(Checked(d.m_bShowIntersect));
  const bool routing = p.SupportsAutorouting() != 0;
  m_autoRouting.SetCheck(Checked(routing && d.m_bAutoRouting));
  m_constrain.SetCheck(Checked(d.m_bConstrainLabels));
  if (m_color.m_hWnd && m_color.SelectColor(d.m_crWindow) < 0) {
    m_color.AddColor(d.m_crWindow);
    m_color.SelectColor(d.m_crWindow);
  }
  if (!routing) Show(m_autoRouting, false);

  if (p.IsSupportCompDark()) {
    m_nCompDark = number(u"CompDark", 0);
    SString shown = SString::FromInt(m_nCompDark);
    shown += u'%';
    m_dark.SetText(shown);
  }
  return S_OK;
}

HRESULT SSymPrefGeneralPage::CommitDataCtrl(int apply) {
  if (!m_pPref) return E_POINTER;
  SSymDispPref& p = *m_pPref;
  const unsigned long where = apply ? SSymDispPref::LocDiagram : SSymDispPref::LocUserDefault;
  const SString g = SSymDispPref::GetGeneralPath();
  // Every key is written; the first refusal is the answer.
  LONG first = 0;
  auto keep = [&first](LONG status) {
    if (status != 0 && first == 0) first = status;
  };
  auto flag = [&](const char16_t* key, int value) { keep(p.SetValue(g, SString(key), int(value != 0), where)); };
  auto number = [&](const char16_t* key, LONG value) { keep(p.SetValue(g, SString(key), long(value), where)); };
  auto text = [&](const char16_t* key, const SString& value) { keep(p.SetValue(g, SString(key), value, where)); };
  const SPrefDataGeneral& d = m_data;
  flag(u"Snap Grid", d.m_bSnapGrid);
  flag(u"Constrain Labels", d.m_bConstrainLabels);
  flag(u"Display Grid", d.m_bDisplayGrid);
  flag(u"Show Page Delimiter", d.m_bShowPage);
  flag(u"Show Links intersections", d.m_bShowIntersect);
  flag(u"Activate automatic link routing", p.SupportsAutorouting() && d.m_bAutoRouting);
  number(u"Grid size", d.m_nGridSize);
  number(u"Graphic unit", d.m_nGraphUnit);
  text(u"Window color", SColor(d.m_crWindow).GetAsString());
  text(u"Background image", d.m_backFile);
  number(u"Background mode", d.m_nBackMode);
  text(u"Watermark image", d.m_watermarkFile);
  number(u"Watermark mode", d.m_nWatermarkMode);
  flag(u"Show watermark on screen", d.m_bWatermarkOnScreen);
  number(u"Gradient mode", d.m_nGradientMode);
  text(u"Gradient end color", SColor(d.m_crGradientEnd).GetAsString());
  if (p.IsSupportSwimSymbol()) {
    flag(u"Show Swimlane", d.m_bShowSwimlane);
    flag(u"SwimlaneVert", d.m_bSwimlaneVert);
  } else if (p.IsSupportTreeOrientation()) {
    flag(u"TreeVert", d.m_bTreeVert);
  } else if (p.IsSupportCompDark()) {
    m_nCompDark = LONG(m_dark.GetText().ToLONG());
    number(u"CompDark", m_nCompDark);
  }
  if (first == 0) return S_OK;
  // Registry codes are positive; anything else is an HRESULT already.
  return first > 0 ? HRESULT_FROM_WIN32(DWORD(first)) : HRESULT(first);
}

void SSymPrefGeneralPage::ShowGridSize() {
  const int unit = ShownUnit(m_data.m_nGraphUnit);
  m_inch.SetCheck(Checked(unit == SSymDlgSize::Inch));
  m_mm.SetCheck(Checked(unit == SSymDlgSize::Millimetre));
  m_pixel.SetCheck(Checked(unit == SSymDlgSize::Pixel));
  const double shown = SSymDlgSize::UnitToGraphic(unit, m_data.m_nGridSize, 1);
  if (unit != SSymDlgSize::Pixel)
    m_size.SetText(SString::FromDouble(std::round(shown * 10000.0) / 10000.0));
  else
    m_size.SetText(SString::FromInt(static_cast<long long>(shown)));
}

void SSymPrefGeneralPage::SetUnit(int unit) {
  m_data.m_nGraphUnit = unit;
  ShowGridSize();
}

void SSymPrefGeneralPage::OnSnapGrid() {
  // Snapping stays on while the grid is displayed.
  if (m_data.m_bDisplayGrid) m_snap.SetCheck(BST_CHECKED);
  m_data.m_bSnapGrid = m_snap.GetCheck() == BST_CHECKED;
}

void SSymPrefGeneralPage::OnDispGrid() {
  m_data.m_bDisplayGrid = m_display.GetCheck() == BST_CHECKED;
  if (m_data.m_bDisplayGrid) {
    m_data.m_bSnapGrid = 1;
    m_snap.SetCheck(BST_CHECKED);
  }
  m_size.EnableWindow(m_data.m_bDisplayGrid ? TRUE : FALSE);
}

void SSymPrefGeneralPage::OnAutoRouting() {
  m_data.m_bAutoRouting = m_autoRouting.GetCheck() == BST_CHECKED && m_pPref && m_pPref->SupportsAutorouting();
}

void SSymPrefGeneralPage::OnSwimlane() {
  m_data.m_bShowSwimlane = m_swimlane.GetCheck() == BST_CHECKED;
  m_swimHorz.EnableWindow(m_data.m_bShowSwimlane ? TRUE : FALSE);
  m_swimVert.EnableWindow(m_data.m_bShowSwimlane ? TRUE : FALSE);
}

void SSymPrefGeneralPage::OnClick() {
  const COLORREF picked = m_color.GetSelectedColor(SColor::Undefined);
  if (picked != SColor::Undefined) m_data.m_crWindow = picked;
}

void SSymPrefGeneralPage::OnKillFocusSize() {
  LONG size = m_data.m_nGridSize;
  // Anything but a positive number keeps the old size (and the typed text).
  if (SSymDlgSize::ReadTypedLength(ShownUnit(m_data.m_nGraphUnit), m_size.GetText(), 1, size) == SSymDlgSize::ReadOk)
    m_data.m_nGridSize = size;
}
