#include "sym/layout/symautolayoutdlg.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kvcore/smodulestate.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"
#include "sym/layout/symlayoutmove.h"
#include "win/winres.h"

namespace {
using Style = SSymAutoLayoutStyle::Style;
using Placement = SSymAutoLayoutPlacement::Placement;
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

constexpr int kStyleCount = 7;
constexpr UINT kOrientationLabel = 1476;
constexpr UINT kShapeLabel = 1477;
constexpr int kPoolType = 12;

bool IsStyle(LONG style) { return style >= SSymAutoLayoutStyle::Hierarchic && style <= SSymAutoLayoutStyle::Basic; }
bool IsPlacement(LONG placement) {
  return placement == SSymAutoLayoutPlacement::None ||
         (placement >= SSymAutoLayoutPlacement::TopToBottom && placement <= SSymAutoLayoutPlacement::Basic);
}

// A repository object that is there and not deleted.
bool IsAlive(IUnknown* object) {
  if (!object) return false;
  RepObjWrap rep(object);
  return !rep.IsNull() && !rep->IsDeleted();
}

// Every selected symbol must be one of the diagram's, alive.
bool IsSelectionOf(ISSymDiagram* diagram, const SComTable<ISSymbol>& selected) {
  for (int i = 0; i < selected.GetCount(); ++i) {
    ISSymbol* s = selected.GetAt(i);
    if (!IsAlive(s)) return false;
    SComOut<ISSymDiagram> owner;
    if (FAILED(s->GetDiagram(&owner)) || !owner || !SRepAreSameObjects(owner.Get(), diagram)) return false;
  }
  return true;
}

// ---- the style images: seven 48 x 48 pictures in style order on magenta
// (transparent), made when the library loads and kept as its bitmap 149.
class StyleBitmap {
 public:
  static constexpr int kSide = SSymAutoLayoutDlg::StyleImageWidth;
  static constexpr int kWidth = kSide * kStyleCount;
  static constexpr std::uint32_t kMask = 0xFF00FF;  // 0x00RRGGBB
  static constexpr std::uint32_t kNode = 0x1F4E79;
  static constexpr std::uint32_t kEdge = 0x505050;

  StyleBitmap() : m_pixels(std::size_t(kWidth) * kSide, kMask) {
    using P = std::array<int, 2>;
    // Hierarchical: three levels, each node linked to the level below.
    Graph(0, {P{24, 6}, P{12, 22}, P{36, 22}, P{6, 40}, P{18, 40}, P{30, 40}, P{42, 40}},
          {{0, 1}, {0, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}});
    // Organic: nodes where their links pull them.
    Graph(1, {P{10, 12}, P{30, 7}, P{41, 25}, P{22, 26}, P{8, 38}, P{31, 41}},
          {{0, 1}, {0, 3}, {1, 3}, {1, 2}, {2, 3}, {3, 4}, {3, 5}, {2, 5}});
    // Orthogonal: links run across and down only.
    Path(2, {P{8, 8}, P{40, 8}, P{40, 40}, P{8, 40}, P{8, 8}});
    Path(2, {P{8, 24}, P{24, 24}});
    Graph(2, {P{8, 8}, P{40, 8}, P{24, 24}, P{8, 40}, P{40, 40}}, {});
    // Circular: a ring of eight.
    std::vector<P> ring = {P{24, 6}, P{37, 11}, P{42, 24}, P{37, 37}, P{24, 42}, P{11, 37}, P{6, 24}, P{11, 11}};
    Graph(3, ring, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 0}});
    // Tree: a root, a bus to its children, and theirs.
    Path(4, {P{24, 6}, P{24, 28}});
    Path(4, {P{8, 28}, P{8, 16}, P{40, 16}, P{40, 28}});
    Path(4, {P{8, 28}, P{8, 34}});
    Path(4, {P{4, 42}, P{4, 34}, P{12, 34}, P{12, 42}});
    Graph(4, {P{24, 6}, P{8, 28}, P{24, 28}, P{40, 28}, P{4, 42}, P{12, 42}}, {});
    // Snowflake: rays from a centre.
    Graph(5, {P{24, 24}, P{24, 5}, P{40, 14}, P{40, 34}, P{24, 43}, P{8, 34}, P{8, 14}},
          {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}});
    // Basic: the symbols packed in rows.
    Graph(6, {P{8, 8}, P{24, 8}, P{40, 8}, P{8, 24}, P{24, 24}, P{40, 24}, P{8, 40}, P{24, 40}}, {{0, 1}, {3, 4}});
    // A packed device-independent bitmap: the header, then the rows from
    // the bottom up.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = kWidth;
    header.biHeight = kSide;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biSizeImage = DWORD(m_pixels.size() * 4);
    m_bytes.resize(sizeof header + m_pixels.size() * 4);
    std::memcpy(m_bytes.data(), &header, sizeof header);
    BYTE* out = m_bytes.data() + sizeof header;
    for (int y = kSide - 1; y >= 0; --y)
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t c = m_pixels[std::size_t(y) * kWidth + std::size_t(x)];
        *out++ = BYTE(c & 0xFF);
        *out++ = BYTE((c >> 8) & 0xFF);
        *out++ = BYTE((c >> 16) & 0xFF);
        *out++ = 0;
      }
  }
  const BYTE* Data() const { return m_bytes.data(); }
  DWORD Size() const { return DWORD(m_bytes.size()); }

 private:
  void Dot(int image, int x, int y, std::uint32_t colour = kEdge) {
    if (x < 0 || y < 0 || x >= kSide || y >= kSide) return;
    m_pixels[std::size_t(y) * kWidth + std::size_t(image * kSide + x)] = colour;
  }
  void Line(int image, std::array<int, 2> a, std::array<int, 2> b) {
    const int steps = std::max(std::abs(b[0] - a[0]), std::abs(b[1] - a[1]));
    for (int i = 0; i <= steps; ++i)
      Dot(image, a[0] + (b[0] - a[0]) * i / std::max(steps, 1), a[1] + (b[1] - a[1]) * i / std::max(steps, 1));
  }
  void Path(int image, const std::vector<std::array<int, 2>>& points) {
    for (std::size_t i = 1; i < points.size(); ++i) Line(image, points[i - 1], points[i]);
  }
  void Graph(int image, const std::vector<std::array<int, 2>>& nodes, const std::vector<std::array<int, 2>>& links) {
    for (const auto& l : links) Line(image, nodes[std::size_t(l[0])], nodes[std::size_t(l[1])]);
    for (const auto& n : nodes)
      for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) Dot(image, n[0] + dx, n[1] + dy, kNode);
  }

  std::vector<std::uint32_t> m_pixels;
  std::vector<BYTE> m_bytes;
};

// The templates and the style images are the library's resources from its
// load to its unload.
struct Resources {
  Resources() {
    SRegisterDlgTemplate(SSymAutoLayoutDlg::Template());
    SRegisterDlgTemplate(SSymLayoutSel::Template(SSymLayoutSel::LayoutTemplateId));
    SRegisterDlgTemplate(SSymLayoutSel::Template(SSymLayoutSel::LinkTemplateId));
    KvRegisterResource(SSymGetInstanceHandle(), RT_BITMAP, MAKEINTRESOURCEW(SSymAutoLayoutDlg::StyleBitmapId),
                       m_bitmap.Data(), m_bitmap.Size());
  }
  ~Resources() {
    KvUnregisterResource(SSymGetInstanceHandle(), RT_BITMAP, MAKEINTRESOURCEW(SSymAutoLayoutDlg::StyleBitmapId));
    SUnregisterDlgTemplate(SSymLayoutSel::LinkTemplateId);
    SUnregisterDlgTemplate(SSymLayoutSel::LayoutTemplateId);
    SUnregisterDlgTemplate(SSymAutoLayoutDlg::TemplateId);
  }
  StyleBitmap m_bitmap;
};
Resources s_resources;

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
}  // namespace

// ---- the controller -----------------------------------------------------------------------------

SSymAutoLayoutDlgCtrl::SSymAutoLayoutDlgCtrl(const SSymAutoLayoutDlgCtrlSetting& setting)
    : m_pDiagram(setting.m_pDiagram.Get()),
      m_bFlag1(setting.m_bFlag1),
      m_nSelected(setting.m_nSelected),
      m_bFlag2(setting.m_bFlag2) {
  if (m_pDiagram) {
    m_pDiagram->AddRef();
    m_pLayout.reset(m_pDiagram->CreateAutoLayoutMgr(nullptr));
  }
  if (m_pLayout) {
    // The dialog starts from the table's defaults; the user's stored ones
    // come in where the dialog asks for them.
    const SSymAutoLayoutOptionTable& table = m_pLayout->GetOptionTable();
    for (int s = 0; s < kStyleCount; ++s) {
      const SSymAutoLayoutPlacementDefaultList* entry = table.FindPlacements(s);
      m_lastPlacements[Style(s)] = entry ? entry->m_nDefault : SSymAutoLayoutPlacement::Basic;
      for (BYTE whole : {BYTE(1), BYTE(0)}) {
        const SSymAllowSynonymsKey key{Style(s), whole};
        m_lastSynonyms[key] = table.IsAllowSynonymsByDefault(key);
      }
    }
  }
  SSetModuleState module(SSymGetModuleState());
  for (int s = 0; s < kStyleCount; ++s) m_styleNames[Style(s)] = SSymLoadString(SSymAutoLayoutStyle::NameStringBase + UINT(s));
}

SSymAutoLayoutDlgCtrl::~SSymAutoLayoutDlgCtrl() {
  m_pLayout.reset();
  if (m_pDiagram) m_pDiagram->Release();
}

bool SSymAutoLayoutDlgCtrl::IsDiagramAlive() const { return IsAlive(m_pDiagram); }

Style SSymAutoLayoutDlgCtrl::GetDefaultStyle(bool fromRegistry) const {
  if (!m_pLayout) return SSymAutoLayoutStyle::Hierarchic;
  // A stored style that this kind of layout does not offer would be run
  // without the user ever seeing it chosen: the table's default instead.
  const SSymAutoLayoutOptionTable& table = m_pLayout->GetOptionTable();
  const Style style = m_pLayout->GetDefaultStyle(fromRegistry);
  return table.HasStyle(style) ? style : table.m_nDefaultStyle;
}

void SSymAutoLayoutDlgCtrl::GetAvailableStyles(SList<Style>& out) const {
  out.RemoveAll();
  if (m_pLayout) m_pLayout->GetAvailableStyles(out);
}

bool SSymAutoLayoutDlgCtrl::SetStyle(LONG style) {
  if (!IsStyle(style)) return false;
  m_options.m_nStyle = style;
  return true;
}

SString SSymAutoLayoutDlgCtrl::GetStyleName(LONG style) const {
  if (!IsStyle(style)) return SString();
  const SString* name = m_styleNames.Find(Style(style));
  return name ? *name : SString();
}

Placement SSymAutoLayoutDlgCtrl::GetDefaultPlacement(LONG style, bool fromRegistry) const {
  if (!m_pLayout) return SSymAutoLayoutPlacement::TopToBottom;
  return m_pLayout->GetDefaultPlacement(style, fromRegistry);
}

Placement SSymAutoLayoutDlgCtrl::GetLastPlacement(LONG style) const {
  if (IsStyle(style))
    if (const Placement* last = m_lastPlacements.Find(Style(style))) return *last;
  return GetDefaultPlacement(style, true);
}

void SSymAutoLayoutDlgCtrl::GetAvailablePlacements(LONG style, SList<Placement>& out, SString& label) const {
  out.RemoveAll();
  // A number that is no style has no placements (the layout would offer
  // the placement of a style it does not know).
  if (m_pLayout && IsStyle(style)) m_pLayout->GetAvailablePlacements(style, out);
  label = SSymLoadString(style == SSymAutoLayoutStyle::Circular ? kShapeLabel : kOrientationLabel);
}

bool SSymAutoLayoutDlgCtrl::SetPlacement(LONG placement) {
  if (!IsPlacement(placement)) return false;
  m_options.m_nPlacement = placement;
  return true;
}

void SSymAutoLayoutDlgCtrl::SetLastPlacement(LONG style, LONG placement) {
  if (!IsStyle(style) || !IsPlacement(placement)) return;
  if (Placement* last = m_lastPlacements.Find(Style(style))) *last = Placement(placement);
}

void SSymAutoLayoutDlgCtrl::UpdateLastPlacement() { SetLastPlacement(m_options.m_nStyle, m_options.m_nPlacement); }

bool SSymAutoLayoutDlgCtrl::IsAllowSynonymsAvailable(const SSymAllowSynonymsKey& key) const {
  return m_pLayout && m_pLayout->GetOptionTable().IsAllowSynonymsAvailable(key);
}

bool SSymAutoLayoutDlgCtrl::IsAllowSynonyms(const SSymAllowSynonymsKey& key, bool fromRegistry) const {
  return m_pLayout && m_pLayout->GetDefaultAllowSynonyms(key, fromRegistry);
}

bool SSymAutoLayoutDlgCtrl::GetLastAllowSynonyms(const SSymAllowSynonymsKey& key) const {
  if (const bool* last = m_lastSynonyms.Find(key)) return *last;
  return IsAllowSynonyms(key, true);
}

void SSymAutoLayoutDlgCtrl::SetAllowSynonyms(bool whole, bool allow) {
  (whole ? m_options.m_bSynonymsAll : m_options.m_bSynonymsPartial) = allow ? 1 : 0;
}

void SSymAutoLayoutDlgCtrl::SetLastAllowSynonyms(const SSymAllowSynonymsKey& key, bool allow) {
  if (bool* last = m_lastSynonyms.Find(key)) *last = allow;
}

void SSymAutoLayoutDlgCtrl::UpdateLastAllowSynonyms() {
  const bool whole = m_options.m_bWholeDiagram != 0;
  SetLastAllowSynonyms({Style(m_options.m_nStyle), BYTE(whole ? 1 : 0)},
                       (whole ? m_options.m_bSynonymsAll : m_options.m_bSynonymsPartial) != 0);
}

LONG SSymAutoLayoutDlgCtrl::SetOptionsAsDefault() {
  if (!m_pLayout) return E_FAIL;
  // The defaults belong to the diagram's kind: a diagram that is gone
  // stores none.
  if (!IsDiagramAlive()) return CO_E_OBJNOTCONNECTED;
  return m_pLayout->SetOptionsToRegistry(m_options);
}

// ---- the dialog ---------------------------------------------------------------------------------

KV_BEGIN_MESSAGE_MAP(SSymAutoLayoutDlg, SDlg)
KV_ON_BN_CLICKED(SSymAutoLayoutDlg::DefaultId, OnDefault)
KV_ON_BN_CLICKED(SSymAutoLayoutDlg::SetDefaultId, OnSetDefault)
KV_ON_BN_CLICKED(SSymAutoLayoutDlg::SelectedSymbolsId, OnChangeScope)
KV_ON_BN_CLICKED(SSymAutoLayoutDlg::AllSymbolsId, OnChangeScope)
KV_ON_BN_CLICKED(SSymAutoLayoutDlg::SynonymsId, OnChangeAllowSynonyms)
KV_ON_BN_CLICKED(SSymAutoLayoutDlg::HelpId, OnHelpClicked)
KV_ON_CONTROL(CBN_SELCHANGE, SSymAutoLayoutDlg::PlacementId, OnChangePlacement)
KV_ON_NOTIFY(LVN_ITEMCHANGED, SSymAutoLayoutDlg::StylesId, OnChangeStyleNotify)
KV_END_MESSAGE_MAP()

const SDlgTemplate& SSymAutoLayoutDlg::Template() {
  static const SDlgTemplate t{
      TemplateId,
      u"Auto-Layout",
      u"MS Sans Serif",
      8,
      280,
      192,
      {
          {StyleLabelId, SDlgItemKind::Static, u"Style:", 7, 6, 60, 8, kShown},
          {StylesId, SDlgItemKind::ListView, u"", 7, 16, 266, 64,
           kShown | WS_BORDER | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS},
          {PlacementGroupId, SDlgItemKind::Button, u" Placement ", 7, 84, 266, 48, kShown | BS_GROUPBOX},
          {PlacementLabelId, SDlgItemKind::Static, u"Orientation :", 15, 99, 50, 8, kShown},
          {PlacementId, SDlgItemKind::ComboBox, u"", 70, 97, 120, 12, kShown | WS_TABSTOP | CBS_DROPDOWNLIST},
          {SynonymsId, SDlgItemKind::Button, u"&Move selection to free space", 15, 115, 180, 10,
           kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
          {ScopeGroupId, SDlgItemKind::Button, u" Apply scope ", 7, 136, 266, 28, kShown | BS_GROUPBOX},
          {AllSymbolsId, SDlgItemKind::Button, u"&All symbols", 15, 148, 80, 10,
           kShown | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON},
          {SelectedSymbolsId, SDlgItemKind::Button, u"&Selected symbols", 110, 148, 90, 10,
           kShown | BS_AUTORADIOBUTTON},
          {DefaultId, SDlgItemKind::Button, u"&Default", 7, 172, 50, 14, kShown | WS_TABSTOP | WS_GROUP},
          {SetDefaultId, SDlgItemKind::Button, u"Set As D&efault", 61, 172, 60, 14, kShown | WS_TABSTOP},
          {IDOK, SDlgItemKind::Button, u"OK", 131, 172, 44, 14, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", 180, 172, 44, 14, kShown | WS_TABSTOP},
          {HelpId, SDlgItemKind::Button, u"Help", 229, 172, 44, 14, kShown | WS_TABSTOP},
      }};
  return t;
}

SSymAutoLayoutDlg::SSymAutoLayoutDlg(int templateId, const SSymAutoLayoutDlgCtrlSetting& setting)
    : SDlg(UINT(templateId)), m_ctrl(setting) {}

// The window goes first, while the control wrappers it lets go still live.
SSymAutoLayoutDlg::~SSymAutoLayoutDlg() {
  if (m_hWnd) DestroyWindow();
  if (m_images) ImageList_Destroy(m_images);
}

bool SSymAutoLayoutDlg::IsControlChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

void SSymAutoLayoutDlg::ClearCombobox(SComboBoxCtrl& combo) {
  for (int n = combo.GetCount(); n > 0; --n) combo.DeleteString(0);
}

BOOL SSymAutoLayoutDlg::OnInitDialog() {
  m_bReady = false;
  if (!SDlg::OnInitDialog()) return FALSE;
  SSetModuleState module(SSymGetModuleState());

  AttachDlgItem(StylesId, &m_styles);
  if (m_images) ImageList_Destroy(m_images);
  m_images = ImageList_LoadImageW(SSymGetInstanceHandle(), MAKEINTRESOURCEW(StyleBitmapId), StyleImageWidth, 1,
                                  RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
  if (m_images) m_styles.SetImageList(m_images, LVSIL_NORMAL);
  UpdateStyleStatus();
  const Style style = UpdateStyle(true);

  AttachDlgItem(PlacementId, &m_placement);
  AttachDlgItem(PlacementLabelId, &m_placementLabel);
  UpdatePlacementStatus(style);
  UpdatePlacement(style, true, true);

  AttachDlgItem(SynonymsId, &m_synonyms);
  const SSymAllowSynonymsKey key{style, BYTE(m_ctrl.IsSelectAllSym() ? 1 : 0)};
  UpdateAllowSynonymsStatus(key);
  UpdateAllowSynonyms(key, true, true);

  AttachDlgItem(AllSymbolsId, &m_allSymbols);
  AttachDlgItem(SelectedSymbolsId, &m_selectedSymbols);
  if (m_ctrl.IsDisableSelSym()) m_selectedSymbols.EnableWindow(FALSE);
  if (m_ctrl.IsDisableAllSym()) m_allSymbols.EnableWindow(FALSE);
  const bool all = m_ctrl.IsSelectAllSym();
  m_allSymbols.SetCheck(all ? BST_CHECKED : BST_UNCHECKED);
  m_selectedSymbols.SetCheck(all ? BST_UNCHECKED : BST_CHECKED);

  AttachDlgItem(DefaultId, &m_default);
  AttachDlgItem(SetDefaultId, &m_setDefault);
  InitSize();
  SetHelpContext(HelpContext);
  m_bReady = true;
  return TRUE;
}

void SSymAutoLayoutDlg::UpdateStyleStatus() {
  SList<Style> styles;
  m_ctrl.GetAvailableStyles(styles);
  if (styles.IsEmpty()) styles.AddTail(m_ctrl.GetDefaultStyle(true));
  int index = 0;
  for (Style s : styles) {
    const SString name = m_ctrl.GetStyleName(s);
    if (name.IsEmpty()) continue;
    const int at = m_styles.InsertItem(index, name.c_str(), int(s));
    if (at < 0) continue;
    m_styles.SetItemData(at, DWORD_PTR(s));
    ++index;
  }
  if (m_styles.GetItemCount() == 1) {
    m_styles.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_styles.EnableWindow(FALSE);
  }
}

SSymAutoLayoutStyle::Style SSymAutoLayoutDlg::UpdateStyle(bool fromRegistry) {
  const Style style = m_ctrl.GetDefaultStyle(fromRegistry);
  const SString name = m_ctrl.GetStyleName(style);
  if (!name.IsEmpty())
    for (int i = 0; i < m_styles.GetItemCount(); ++i)
      if (m_styles.GetItemText(i) == name) {
        m_styles.SetItemState(i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        break;
      }
  return style;
}

void SSymAutoLayoutDlg::UpdatePlacementStatus(LONG style) {
  SList<Placement> placements;
  SString label;
  m_ctrl.GetAvailablePlacements(style, placements, label);
  m_placementLabel.SetWindowText(label.c_str());
  ClearCombobox(m_placement);
  if (!placements.IsEmpty()) {
    m_placement.EnableWindow(TRUE);
    for (Placement p : placements) {
      const int at = m_placement.AddString(SSymLoadString(UINT(p)).c_str());
      if (at >= 0) m_placement.SetItemData(at, DWORD_PTR(LONG(p)));
    }
  }
  if (m_placement.GetCount() < 2) m_placement.EnableWindow(FALSE);
}

void SSymAutoLayoutDlg::UpdatePlacement(LONG style, bool useDefault, bool fromRegistry) {
  const Placement placement = useDefault ? m_ctrl.GetDefaultPlacement(style, fromRegistry) : m_ctrl.GetLastPlacement(style);
  if (placement == SSymAutoLayoutPlacement::None) {
    m_placement.SetCurSel(-1);
    return;
  }
  // A placement the combo does not hold leaves its selection as it is.
  const int at = m_placement.FindStringExact(-1, SSymLoadString(UINT(placement)).c_str());
  if (at == CB_ERR) return;
  m_placement.SetCurSel(at);
  m_ctrl.SetLastPlacement(style, placement);
}

void SSymAutoLayoutDlg::UpdateAllowSynonymsStatus(const SSymAllowSynonymsKey& key) {
  m_synonyms.EnableWindow(m_ctrl.IsAllowSynonymsAvailable(key) ? TRUE : FALSE);
}

void SSymAutoLayoutDlg::UpdateAllowSynonyms(const SSymAllowSynonymsKey& key, bool useDefault, bool fromRegistry) {
  const bool allow = useDefault ? m_ctrl.IsAllowSynonyms(key, fromRegistry) : m_ctrl.GetLastAllowSynonyms(key);
  m_synonyms.SetCheck(allow ? BST_CHECKED : BST_UNCHECKED);
  m_ctrl.SetLastAllowSynonyms(key, allow);
}

void SSymAutoLayoutDlg::SaveCurrentData() {
  const int item = m_styles.GetNextItem(-1, LVNI_SELECTED);
  const LONG style = item >= 0 ? LONG(m_styles.GetItemData(item)) : LONG(m_ctrl.GetDefaultStyle(true));
  m_ctrl.SetStyle(style);
  const int entry = m_placement.GetCurSel();
  m_ctrl.SetPlacement(entry >= 0 ? LONG(m_placement.GetItemData(entry)) : LONG(SSymAutoLayoutPlacement::None));
  const bool whole = IsControlChecked(AllSymbolsId);
  m_ctrl.SetIsSelectAllSym(whole);
  m_ctrl.SetAllowSynonyms(whole, IsControlChecked(SynonymsId));
  // The other scope keeps the last choice made for it.
  m_ctrl.SetAllowSynonyms(!whole, m_ctrl.GetLastAllowSynonyms({Style(m_ctrl.GetResultOptions().m_nStyle), BYTE(whole ? 0 : 1)}));
}

void SSymAutoLayoutDlg::OnChangeStyle(NMHDR* notify, LRESULT* result) {
  if (!notify || !result) return;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(notify);
  if (change->uNewState != (LVIS_SELECTED | LVIS_FOCUSED)) {
    *result = E_FAIL;
    return;
  }
  *result = 0;
  if (!m_bReady) return;
  SaveCurrentData();
  const SSymAutoLayoutParam::SOptions options = m_ctrl.GetResultOptions();
  UpdatePlacementStatus(options.m_nStyle);
  UpdatePlacement(options.m_nStyle, false, false);
  const SSymAllowSynonymsKey key{Style(options.m_nStyle), options.m_bWholeDiagram};
  UpdateAllowSynonymsStatus(key);
  UpdateAllowSynonyms(key, false, false);
}

void SSymAutoLayoutDlg::OnChangePlacement() {
  if (!m_bReady) return;
  SaveCurrentData();
  m_ctrl.UpdateLastPlacement();
}

void SSymAutoLayoutDlg::OnChangeAllowSynonyms() {
  if (!m_bReady) return;
  SaveCurrentData();
  m_ctrl.UpdateLastAllowSynonyms();
}

void SSymAutoLayoutDlg::OnChangeScope() {
  if (!m_bReady) return;
  SaveCurrentData();
  const SSymAutoLayoutParam::SOptions options = m_ctrl.GetResultOptions();
  const SSymAllowSynonymsKey key{Style(options.m_nStyle), options.m_bWholeDiagram};
  UpdateAllowSynonymsStatus(key);
  UpdateAllowSynonyms(key, false, false);
}

void SSymAutoLayoutDlg::OnDefault() {
  if (!m_bReady) return;
  const Style style = UpdateStyle(true);
  UpdatePlacementStatus(style);
  UpdatePlacement(style, true, true);
  const SSymAllowSynonymsKey key{style, BYTE(IsControlChecked(AllSymbolsId) ? 1 : 0)};
  UpdateAllowSynonymsStatus(key);
  UpdateAllowSynonyms(key, true, true);
}

void SSymAutoLayoutDlg::OnSetDefault() {
  if (!m_bReady) return;
  SaveCurrentData();
  // A failed write is not the user's concern here: the choice still holds
  // for this run.
  m_ctrl.SetOptionsAsDefault();
}

void SSymAutoLayoutDlg::OnOK() {
  if (m_bReady) SaveCurrentData();
  SDlg::OnOK();
}

void SSymAutoLayoutDlg::InitSize() {
  static const SLayoutMapEntry kEntries[] = {
      {StylesId, SLayoutMap::StretchX}, {PlacementGroupId, SLayoutMap::StretchX},
      {PlacementId, SLayoutMap::StretchX}, {ScopeGroupId, SLayoutMap::StretchX},
      {IDOK, SLayoutMap::MoveX},       {IDCANCEL, SLayoutMap::MoveX},
      {HelpId, SLayoutMap::MoveX},
  };
  m_layoutMap.Init(m_hWnd, kEntries, int(std::size(kEntries)));
  const int items = m_styles.GetItemCount();
  int itemWidth = 90;
  if (items > 0) {
    RECT bounds{LVIR_BOUNDS, 0, 0, 0};
    if (m_styles.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds))) itemWidth = bounds.right - bounds.left;
  }
  RECT window{};
  GetWindowRect(&window);
  const int current = window.right - window.left;
  const int width = 24 + std::max({items * itemWidth + 10, 5 * itemWidth + 10, current});
  // The width is the icons'; the user does not size the dialog.
  ModifyStyle(WS_THICKFRAME, 0);
  MoveWindow(window.left, window.top, width, window.bottom - window.top, TRUE);
  m_layoutMap.Apply();
}

// ---- the scope question -------------------------------------------------------------------------

const SDlgTemplate& SSymLayoutSel::Template(UINT id) {
  auto make = [](UINT templateId, const char16_t* caption, const char16_t* question) {
    return SDlgTemplate{templateId,
                        caption,
                        u"MS Sans Serif",
                        8,
                        186,
                        62,
                        {
                            {-1, SDlgItemKind::Static, question, 7, 7, 172, 8, kShown},
                            {SSymAutoLayoutDlg::AllSymbolsId, SDlgItemKind::Button, u"&All symbols", 15, 20, 80, 10,
                             kShown | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON},
                            {SSymAutoLayoutDlg::SelectedSymbolsId, SDlgItemKind::Button, u"&Selected symbols", 15, 32,
                             90, 10, kShown | BS_AUTORADIOBUTTON},
                            {IDOK, SDlgItemKind::Button, u"OK", 80, 44, 48, 14,
                             kShown | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON},
                            {IDCANCEL, SDlgItemKind::Button, u"Cancel", 132, 44, 48, 14, kShown | WS_TABSTOP},
                        }};
  };
  static const SDlgTemplate layout = make(LayoutTemplateId, u" Auto-Layout Selection", u"Do you want to auto-layout: ");
  static const SDlgTemplate link =
      make(LinkTemplateId, u" Complete Link Selection", u"Do you want to do complete link with: ");
  return id == LinkTemplateId ? link : layout;
}

SSymLayoutSel::SSymLayoutSel(int templateId, int allowAll) : SDlg(UINT(templateId)), m_bAllowAll(allowAll) {}

// The window goes first, while the control wrappers it lets go still live.
SSymLayoutSel::~SSymLayoutSel() {
  if (m_hWnd) DestroyWindow();
}

BOOL SSymLayoutSel::OnInitDialog() {
  SDlg::OnInitDialog();
  AttachDlgItem(SSymAutoLayoutDlg::AllSymbolsId, &m_allSymbols);
  AttachDlgItem(SSymAutoLayoutDlg::SelectedSymbolsId, &m_selectedSymbols);
  if (!m_bAllowAll) m_allSymbols.EnableWindow(FALSE);
  m_allSymbols.SetCheck(BST_UNCHECKED);
  m_selectedSymbols.SetCheck(BST_CHECKED);
  m_nResult = 0;
  return FALSE;
}

void SSymLayoutSel::OnOK() {
  m_nResult = ::IsDlgButtonChecked(m_hWnd, SSymAutoLayoutDlg::AllSymbolsId) == BST_CHECKED ? 1 : 0;
  SDlg::OnOK();
}

// ---- the layout command -------------------------------------------------------------------------

HRESULT SSymRunChosenLayout(ISSymDiagram* diagram, const SSymAutoLayoutParam::SOptions& chosen,
                            const SComTable<ISSymbol>& selected) {
  if (!diagram) return E_POINTER;
  if (!IsAlive(diagram)) return CO_E_OBJNOTCONNECTED;
  if (!IsSelectionOf(diagram, selected) || !IsStyle(chosen.m_nStyle) || !IsPlacement(chosen.m_nPlacement))
    return E_INVALIDARG;
  SComTable<ISSymbol> subset(5, 5);
  for (int i = 0; i < selected.GetCount(); ++i) subset.Add(selected.GetAt(i));
  SSymAutoLayoutParam param(diagram);
  param.m_options = chosen;
  param.m_options.m_bAutomatic = 0;
  if (!chosen.m_bWholeDiagram && !subset.IsEmpty()) param.m_pSubset = &subset;
  RepObjWrap object(diagram);
  // The run, with what it writes on the way, is one undo step.
  SRepCreateContext step(object.Get(), 1, 1, 0);
  return diagram->AutoLayout(param) ? S_OK : S_FALSE;
}

HRESULT SSymAutoLayoutCommand(ISSymDiagram* diagram, const SComTable<ISSymbol>& selected) {
  if (!diagram) return E_POINTER;
  if (!IsAlive(diagram)) return CO_E_OBJNOTCONNECTED;
  if (!IsSelectionOf(diagram, selected)) return E_INVALIDARG;
  // A diagram whose first symbol is a pool is not laid out as a whole.
  bool empty = true, firstIsPool = false;
  SymForEachDiagramSymbol(diagram, [&](ISSymbol* s) {
    if (empty && !selected.IsEmpty()) firstIsPool = s->GetSymbolType() == kPoolType;
    empty = false;
  });
  const SSymAutoLayoutDlgCtrlSetting setting(diagram, BYTE(empty ? 1 : 0), selected.GetCount(),
                                             BYTE(firstIsPool ? 1 : 0));
  SSymAutoLayoutDlg dialog(int(SSymAutoLayoutDlg::TemplateId), setting);
  const INT_PTR answer = dialog.DoModal();
  if (answer == -1) return E_FAIL;
  if (answer != IDOK) return S_FALSE;
  return SSymRunChosenLayout(diagram, dialog.GetResultOptions(), selected);
}
