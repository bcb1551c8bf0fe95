#include "sym/layout/symautolayout.h"

#include <memory>

#include "kvcore/sregistry.h"
#include "kvlib/sprofilerhelper.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepsession.h"
#include "kvrep/sreptypelib.h"
#include "sym/layout/symlayoutengine.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintflink.h"

KV_IMPLEMENT_CLASSINFO(SSymAutoLayout, SObject);
KV_IMPLEMENT_CLASSINFO(SSymAutoLayoutEx, SSymAutoLayout);

bool SSymAutoLayoutSession::m_bInSession = false;
int SSymAutoLayoutIdDistributor::m_nCurId = 1;

namespace {
using Style = SSymAutoLayoutStyle::Style;
using Placement = SSymAutoLayoutPlacement::Placement;


// Appends every symbol of the diagram's symbol collection, in order.
void AddDiagramSymbols(ISSymDiagram* diagram, SComTable<ISSymbol>& out) {
  if (!diagram) return;
  SComOut<ISRepClassCol> col;
  if (FAILED(diagram->GetSymbols(&col)) || !col) return;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (FAILED(col->Item(i, &item)) || !item) continue;
    SComWrap<ISSymbol> symbol(item.Get());
    if (!symbol.IsNull()) out.Add(symbol.Get());
  }
}

void CopyTable(const SComTable<ISSymbol>& from, SComTable<ISSymbol>& out) {
  for (int i = 0; i < from.GetCount(); ++i)
    if (ISSymbol* s = from.GetAt(i)) out.Add(s);
}

// The registry values of the user's defaults.
const SString kStyleValue(u"Style");
const SString kPlacementValue(u"Placement");
const SString kSynonymsAllValue(u"SynonymsAll");
const SString kSynonymsPartialValue(u"SynonymsPartial");

// Reads a number of the layout's key (the user's, else the machine-wide
// copy); false when there is none.
bool ReadNumber(const SSymAutoLayout& layout, const SString& name, long& value) {
  SUserRegistry key(layout.GetRegistryKey());
  return key.GetProfile(name, &value, 0) == ERROR_SUCCESS;
}
}  // namespace

// ---- parameters ---------------------------------------------------------------------------------

SSymAutoLayoutParam::SSymAutoLayoutParam(ISSymDiagram* diagram, SComTable<ISSymbol>* subset,
                                         SComTable<ISSymbol>* scope)
    : m_pSubset(subset), m_pScope(scope), m_pDiagram(diagram) {
  if (m_pDiagram) m_pDiagram->AddRef();
}

SSymAutoLayoutParam::SSymAutoLayoutParam(const SSymAutoLayoutParam& source)
    : m_pSubset(source.m_pSubset),
      m_pScope(source.m_pScope),
      m_options(source.m_options),
      m_engineNumbers(source.m_engineNumbers),
      m_pDiagram(source.m_pDiagram),
      m_valueMaps(source.m_valueMaps) {
  if (m_pDiagram) m_pDiagram->AddRef();
}

SSymAutoLayoutParam& SSymAutoLayoutParam::operator=(const SSymAutoLayoutParam& source) {
  if (this == &source) return *this;
  if (source.m_pDiagram) source.m_pDiagram->AddRef();
  if (m_pDiagram) m_pDiagram->Release();
  m_pDiagram = source.m_pDiagram;
  m_pSubset = source.m_pSubset;
  m_pScope = source.m_pScope;
  m_options = source.m_options;
  m_engineNumbers = source.m_engineNumbers;
  m_valueMaps = source.m_valueMaps;
  return *this;
}

SSymAutoLayoutParam::~SSymAutoLayoutParam() {
  m_valueMaps.RemoveAll();
  if (m_pDiagram) m_pDiagram->Release();
}

void SSymAutoLayoutParam::LoadDefaultOptions() {
  if (!m_pDiagram) return;
  // The layout object serves only to read its kind's defaults.
  std::unique_ptr<SSymAutoLayout> layout(m_pDiagram->CreateAutoLayoutMgr(nullptr));
  if (!layout) return;
  const SSymAutoLayoutOptionTable& table = layout->GetOptionTable();
  const Style style = layout->GetDefaultStyle(true);
  m_options.m_nStyle = style;
  m_options.m_nPlacement = layout->GetDefaultPlacement(style, true);
  m_options.m_bWholeDiagram = 0;
  // The user's choice for each scope, else the table's rule.
  auto allowed = [&layout, &table, style](BYTE whole) -> BYTE {
    const SSymAllowSynonymsKey key{style, whole};
    bool allow = false;
    if (layout->GetDefaultAllowSynonymsFromRegistry(key, allow)) return allow ? 1 : 0;
    return table.IsAllowSynonymsByDefault(key) ? 1 : 0;
  };
  m_options.m_bSynonymsPartial = allowed(0);
  m_options.m_bSynonymsAll = allowed(1);
}

bool SSymAutoLayoutParam::GetCreateSynonyms() const {
  return (m_options.m_bWholeDiagram ? m_options.m_bSynonymsAll : m_options.m_bSynonymsPartial) != 0;
}

void SSymAutoLayoutParam::SetCreateSynonyms(bool create) {
  (m_options.m_bWholeDiagram ? m_options.m_bSynonymsAll : m_options.m_bSynonymsPartial) = create ? 1 : 0;
}

// ---- the layout object ---------------------------------------------------------------------------

SSymAutoLayout::SSymAutoLayout(SSymAutoLayoutParam& param)
    : m_pDiagram(param.GetDiagram()), m_options(param.m_options), m_bReady(true) {
  if (m_pDiagram) m_pDiagram->AddRef();
  if (param.m_pScope)
    CopyTable(*param.m_pScope, m_scope);
  else
    AddDiagramSymbols(m_pDiagram, m_scope);
  CopyTable(param.m_pSubset ? *param.m_pSubset : m_scope, m_subset);
}

SSymAutoLayout::SSymAutoLayout(ISSymDiagram* diagram) : m_pDiagram(diagram) {
  if (m_pDiagram) m_pDiagram->AddRef();
}

SSymAutoLayout::~SSymAutoLayout() {
  m_created.RemoveAll();
  m_subset.RemoveAll();
  m_scope.RemoveAll();
  if (m_pDiagram) m_pDiagram->Release();
}

const SSymAutoLayoutOptionTable& SSymAutoLayout::GetOptionTable() const {
  return SSymAutoLayoutOptionMgr::GetBasicTable();
}

SString SSymAutoLayout::GetRegistrySubKey() const { return SString(u"Basic\\"); }

SString SSymAutoLayout::GetRegistryKey() const {
  SString key = SSymAutoLayoutOptionMgr::GetOptionsKey();
  CLSID clsid{};
  if (m_pDiagram && SUCCEEDED(m_pDiagram->GetCLSID(&clsid))) {
    const SString name = SRepGetPublicName(clsid);
    if (!name.IsEmpty()) key += name + SString(u"\\");
  }
  return key + GetRegistrySubKey();
}

// ---- the user's defaults ------------------------------------------------------------------------

bool SSymAutoLayout::GetDefaultStyleFromRegistry(Style& style) const {
  long value = 0;
  if (!ReadNumber(*this, kStyleValue, value)) return false;
  if (value < SSymAutoLayoutStyle::Hierarchic || value > SSymAutoLayoutStyle::Basic) {
    style = SSymAutoLayoutStyle::Hierarchic;
    return false;
  }
  style = static_cast<Style>(value);
  return true;
}

bool SSymAutoLayout::GetDefaultPlacementFromRegistry(Placement& placement, Placement fallback) const {
  long value = 0;
  if (ReadNumber(*this, kPlacementValue, value) && value >= SSymAutoLayoutPlacement::TopToBottom &&
      value <= SSymAutoLayoutPlacement::Basic) {
    placement = static_cast<Placement>(value);
    return true;
  }
  placement = fallback;
  return false;
}

bool SSymAutoLayout::GetDefaultAllowSynonymsFromRegistry(const SSymAllowSynonymsKey& key, bool& allow) const {
  long value = 0;
  if (!ReadNumber(*this, key.m_bWholeDiagram ? kSynonymsAllValue : kSynonymsPartialValue, value)) return false;
  allow = value == 1;
  return true;
}

LONG SSymAutoLayout::SetOptionsToRegistry(const SSymAutoLayoutParam::SOptions& options) {
  SUserRegistry key(GetRegistryKey());
  const std::pair<const SString*, long> writes[] = {
      {&kStyleValue, options.m_nStyle},
      {&kPlacementValue, options.m_nPlacement},
      {&kSynonymsAllValue, options.m_bSynonymsAll ? 1 : 0},
      {&kSynonymsPartialValue, options.m_bSynonymsPartial ? 1 : 0},
  };
  LONG status = ERROR_SUCCESS;
  for (const auto& [name, value] : writes) {
    status = key.WriteProfile(*name, value);
    if (status != ERROR_SUCCESS) return -status;
  }
  return status;
}

// ---- the option queries -------------------------------------------------------------------------

void SSymAutoLayout::GetAvailableStyles(SList<Style>& out) const {
  out.RemoveAll();
  for (Style s : GetOptionTable().m_styles) out.AddTail(s);
}

Style SSymAutoLayout::GetDefaultStyle(bool fromRegistry) const {
  Style style = SSymAutoLayoutStyle::Basic;
  if (fromRegistry && GetDefaultStyleFromRegistry(style)) return style;
  return GetOptionTable().m_nDefaultStyle;
}

void SSymAutoLayout::GetAvailablePlacements(LONG style, SList<Placement>& out) const {
  out.RemoveAll();
  const SSymAutoLayoutPlacementDefaultList* entry = GetOptionTable().FindPlacements(style);
  if (!entry) {
    out.AddTail(SSymAutoLayoutPlacement::Basic);
    return;
  }
  for (Placement p : entry->m_list) out.AddTail(p);
}

Placement SSymAutoLayout::GetDefaultPlacement(LONG style, bool fromRegistry) const {
  Placement placement = SSymAutoLayoutPlacement::Basic;
  if (fromRegistry && GetDefaultPlacementFromRegistry(placement, SSymAutoLayoutPlacement::Basic)) return placement;
  const SSymAutoLayoutPlacementDefaultList* entry = GetOptionTable().FindPlacements(style);
  return entry ? entry->m_nDefault : SSymAutoLayoutPlacement::Basic;
}

bool SSymAutoLayout::GetAllowSynonymsAvailable(const SSymAllowSynonymsKey& key) const {
  return GetOptionTable().IsAllowSynonymsAvailable(key);
}

bool SSymAutoLayout::GetDefaultAllowSynonyms(const SSymAllowSynonymsKey& key, bool fromRegistry) const {
  bool allow = false;
  if (fromRegistry && GetDefaultAllowSynonymsFromRegistry(key, allow)) return allow;
  return GetOptionTable().IsAllowSynonymsByDefault(key);
}

int SSymAutoLayout::ShouldIgnoreLink(ISSymLink* link) {
  (void)link;
  return 0;
}

// ---- the external engine's run ------------------------------------------------------------------

SSymAutoLayoutEx::SSymAutoLayoutEx(SSymAutoLayoutParam& param) : SSymAutoLayout(param), m_param(param) {
  m_param.m_pSubset = &m_subset;
  m_param.m_pScope = &m_scope;
}

SSymAutoLayoutEx::SSymAutoLayoutEx(ISSymDiagram* diagram) : SSymAutoLayout(diagram), m_param(diagram) {}

const SSymAutoLayoutOptionTable& SSymAutoLayoutEx::GetOptionTable() const {
  return SSymAutoLayoutOptionMgr::GetExternalTable();
}

SString SSymAutoLayoutEx::GetRegistrySubKey() const { return SString(u"External\\"); }

int SSymAutoLayoutEx::Invoke() {
  if (!m_bReady) return 0;
  SProfilerHelper profile("AutoLayoutEx");
  PreLayout();
  const int done = PerformLayout();
  PostLayout();
  return done;
}

int SSymAutoLayoutEx::PerformLayout() {
  // All the engine's changes form one undoable step.
  SComWrap<ISRepObject, &IID_ISRepObject> diagram(m_pDiagram);
  SRepCreateContext step(diagram.Get(), 1, 1, 0);
  m_param.m_pSubset = &m_subset;
  m_param.m_pScope = &m_scope;
  return CallAutoLayoutMethod(m_param);
}

int SSymAutoLayoutEx::CallAutoLayoutMethod(SSymAutoLayoutParam& param) {
  SSymLayoutEngine engine{SString(SSymLayoutEngine::FileName())};
  auto layout = engine.Entry<int (*)(SSymAutoLayoutParam&)>("SDoAutoLayout");
  if (!layout) return 0;
  return layout(param) == 0 ? 1 : 0;
}

// ---- the style classes --------------------------------------------------------------------------

#define KV_SYM_AUTOLAYOUT_STYLE(cls, table, subKey)                                                       \
  KV_IMPLEMENT_CLASSINFO(cls, SSymAutoLayoutEx);                                                          \
  const SSymAutoLayoutOptionTable& cls::GetOptionTable() const { return SSymAutoLayoutOptionMgr::table(); } \
  SString cls::GetRegistrySubKey() const { return SString(subKey); }

KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutGeneral, GetGeneralTable, u"General\\")
KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutProcFlow, GetProcFlowTable, u"ProcessFlow\\")
KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutHorzFlow, GetHorzFlowTable, u"HorizontalFlow\\")
KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutTreeHier, GetTreeHierTable, u"TreeHier\\")
KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutBlock, GetBlockTable, u"Block\\")
KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutComposite, GetCompositeTable, u"Composite\\")
KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutConstrActivity, GetConstrActivityTable, u"ConstrainedActivity\\")
KV_SYM_AUTOLAYOUT_STYLE(SSymAutoLayoutConstrSequence, GetConstrSequenceTable, u"ConstrainedSequence\\")
#undef KV_SYM_AUTOLAYOUT_STYLE

void SSymAutoLayoutTreeHier::PreLayout() {
  ISSymDispPref* prefs = SSymGetDispPrefPtr(m_pDiagram);
  if (!prefs) return;
  using P = SSymAutoLayoutPlacement;
  LONG& placement = m_param.m_options.m_nPlacement;
  if (!m_param.m_options.m_bAutomatic) {
    if (placement == P::TopToBottom || placement == P::BottomToTop)
      prefs->SetTreeOrientation(1);
    else if (placement == P::LeftToRight || placement == P::RightToLeft)
      prefs->SetTreeOrientation(0);
    return;
  }
  placement = prefs->GetTreeOrientation() ? P::TopToBottom : P::LeftToRight;
  m_options.m_nPlacement = placement;
}

void SSymAutoLayoutComposite::PreLayout() {
  const LONG style = m_param.m_options.m_nStyle;
  if (style != SSymAutoLayoutStyle::Circular && style != SSymAutoLayoutStyle::Tree) return;
  SComTable<ISSymbol> symbols;
  AddDiagramSymbols(m_pDiagram, symbols);
  for (int i = 0; i < symbols.GetCount(); ++i) {
    ISSymbol* s = symbols.GetAt(i);
    if (!SComWrap<ISSymLink>(s).IsNull() || SComWrap<ISSymCompSym>(s).IsNull()) continue;
    m_param.GetValueMap(SSymAutoLayoutValueMapKey::CompositeGroup)
        .SetAt(s, SRepVariant::Long(SSymAutoLayoutIdDistributor::CreateID()));
  }
}
