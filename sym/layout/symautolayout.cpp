#include "sym/layout/symautolayout.h"

#include <memory>

#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepsession.h"
#include "sym/layout/symlayoutengine.h"

KV_IMPLEMENT_CLASSINFO(SSymAutoLayout, SObject);
KV_IMPLEMENT_CLASSINFO(SSymAutoLayoutEx, SSymAutoLayout);
KV_IMPLEMENT_CLASSINFO(SSymAutoLayoutGeneral, SSymAutoLayoutEx);

namespace {
using Style = SSymAutoLayoutStyle::Style;
using Placement = SSymAutoLayoutPlacement::Placement;

// Below this many symbols an automatic run is left to the library's own
// layout: the engine's start-up costs more than it gains on so few.
constexpr int kSmallSelection = 10;

// The user's key of the layout options (below HKEY_CURRENT_USER).
SString OptionsKey() { return SUserRegistry::sApplicationRoot + SString(u"AutoLayoutOptions"); }

void AddStyle(SSymAutoLayoutOptionTable& t, Style style, std::initializer_list<Placement> placements,
              LONG defaultPlacement = -1) {
  t.m_styles.AddTail(style);
  SSymAutoLayoutPlacementDefaultList& list = t.m_placements[style];
  for (Placement p : placements) list.m_list.AddTail(p);
  list.m_nDefault = defaultPlacement;
}

// The styles of the external engine's kinds, in display order, with their
// placements; only the default style differs between them.
void FillExternal(SSymAutoLayoutOptionTable& t, Style defaultStyle) {
  using P = SSymAutoLayoutPlacement;
  AddStyle(t, SSymAutoLayoutStyle::Basic, {});
  AddStyle(t, SSymAutoLayoutStyle::Hierarchic, {P::TopToBottom, P::BottomToTop, P::LeftToRight, P::RightToLeft},
           P::TopToBottom);
  AddStyle(t, SSymAutoLayoutStyle::Organic, {});
  AddStyle(t, SSymAutoLayoutStyle::Orthogonal, {P::TopToBottom, P::BottomToTop, P::LeftToRight, P::RightToLeft},
           P::TopToBottom);
  AddStyle(t, SSymAutoLayoutStyle::Circular, {P::Radiation, P::Cycle}, P::Radiation);
  AddStyle(t, SSymAutoLayoutStyle::Tree, {P::TopToBottom, P::BottomToTop, P::LeftToRight, P::RightToLeft},
           P::TopToBottom);
  t.m_nDefaultStyle = defaultStyle;
}

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

SSymAutoLayoutOptionMgr::LibraryProbe g_libraryProbe = nullptr;

// The engine answers when it loads, resolves and has its availability entry
// (whose answer carries no meaning for the choice).
bool EngineAnswers() {
  try {
    SSymLayoutEngine engine{SString(SSymLayoutEngine::FileName())};
    auto available = engine.Entry<int (*)()>("SIsAutoLayoutAvailable");
    if (!available) return false;
    available();
    return true;
  } catch (...) {
    return false;
  }
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
      m_pDiagram(source.m_pDiagram) {
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
  return *this;
}

SSymAutoLayoutParam::~SSymAutoLayoutParam() {
  if (m_pDiagram) m_pDiagram->Release();
}

void SSymAutoLayoutParam::LoadDefaultOptions() {
  if (!m_pDiagram) return;
  std::unique_ptr<SSymAutoLayout> layout(m_pDiagram->CreateAutoLayoutMgr(nullptr));
  if (!layout) return;
  const SSymAutoLayoutOptionTable& table = layout->GetOptionTable();
  m_options.m_nStyle = table.m_nDefaultStyle;
  m_options.m_nPlacement = layout->GetDefaultPlacement(m_options.m_nStyle);
  m_options.m_bWholeDiagram = 0;
  // A table that fixes the synonym option decides both; otherwise synonyms
  // are made for a part of the diagram, and for the whole one only by the
  // Basic style.
  if (table.m_bSynonymsFixed) {
    m_options.m_bSynonymsPartial = table.m_bSynonymsDefault;
    m_options.m_bSynonymsAll = table.m_bSynonymsDefault;
  } else {
    m_options.m_bSynonymsPartial = 1;
    m_options.m_bSynonymsAll = m_options.m_nStyle == SSymAutoLayoutStyle::Basic ? 1 : 0;
  }
}

bool SSymAutoLayoutParam::GetCreateSynonyms() const {
  return (m_options.m_bWholeDiagram ? m_options.m_bSynonymsAll : m_options.m_bSynonymsPartial) != 0;
}

void SSymAutoLayoutParam::SetCreateSynonyms(bool create) {
  (m_options.m_bWholeDiagram ? m_options.m_bSynonymsAll : m_options.m_bSynonymsPartial) = create ? 1 : 0;
}

// ---- option tables --------------------------------------------------------------------------------

bool SSymAutoLayoutOptionTable::HasStyle(LONG style) const {
  for (Style s : m_styles)
    if (s == style) return true;
  return false;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetBasicTable() {
  static const SSymAutoLayoutOptionTable table = [] {
    SSymAutoLayoutOptionTable t;
    AddStyle(t, SSymAutoLayoutStyle::Basic, {});
    t.m_nDefaultStyle = SSymAutoLayoutStyle::Basic;
    return t;
  }();
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetExternalTable() {
  static const SSymAutoLayoutOptionTable table = [] {
    SSymAutoLayoutOptionTable t;
    FillExternal(t, SSymAutoLayoutStyle::Hierarchic);
    return t;
  }();
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetGeneralTable() {
  static const SSymAutoLayoutOptionTable table = [] {
    SSymAutoLayoutOptionTable t;
    FillExternal(t, SSymAutoLayoutStyle::Organic);
    return t;
  }();
  return table;
}

// ---- the choice of algorithms -------------------------------------------------------------------

bool SSymAutoLayoutOptionMgr::IsRegistryForceInternal() {
  SRegistry key;
  if (key.Init(HKEY_CURRENT_USER, OptionsKey(), 0) != 0) return false;
  long force = 0;
  return key.GetProfile(SString(u"ForceInternal"), &force, 0) == ERROR_SUCCESS && force != 0;
}

bool SSymAutoLayoutOptionMgr::IsLayoutLibraryAvailable() {
  return g_libraryProbe ? g_libraryProbe() : EngineAnswers();
}

SSymAutoLayoutOptionMgr::LibraryProbe SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(LibraryProbe probe) {
  LibraryProbe old = g_libraryProbe;
  g_libraryProbe = probe;
  return old;
}

bool SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms(const SSymAutoLayoutParam* param,
                                                      InternalLayoutStatus* status) {
  InternalLayoutStatus why = StatusExternal;
  if (IsRegistryForceInternal())
    why = StatusForcedByUser;
  else if (!IsLayoutLibraryAvailable())
    why = StatusNoLibrary;
  else if (param && param->m_options.m_nStyle == SSymAutoLayoutStyle::Basic)
    why = StatusBasicStyle;
  else if (param && param->m_options.m_bAutomatic && param->m_pSubset &&
           param->m_pSubset->GetCount() < kSmallSelection)
    why = StatusSmallAutomatic;
  if (status) *status = why;
  return why != StatusExternal;
}

// ---- the library's own layout -------------------------------------------------------------------

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
  m_subset.RemoveAll();
  m_scope.RemoveAll();
  if (m_pDiagram) m_pDiagram->Release();
}

const SSymAutoLayoutOptionTable& SSymAutoLayout::GetOptionTable() const {
  return SSymAutoLayoutOptionMgr::GetBasicTable();
}

void SSymAutoLayout::GetAvailablePlacements(LONG style, SList<Placement>& out) const {
  out.RemoveAll();
  const SSymAutoLayoutOptionTable& table = GetOptionTable();
  auto entry = table.m_placements.find(style);
  if (entry == table.m_placements.end()) {
    out.AddTail(SSymAutoLayoutPlacement::Basic);
    return;
  }
  for (Placement p : entry->second.m_list) out.AddTail(p);
}

LONG SSymAutoLayout::GetDefaultPlacement(LONG style) const {
  const SSymAutoLayoutOptionTable& table = GetOptionTable();
  auto entry = table.m_placements.find(style);
  return entry == table.m_placements.end() ? LONG(SSymAutoLayoutPlacement::Basic) : entry->second.m_nDefault;
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

int SSymAutoLayoutEx::Invoke() {
  if (!m_bReady) return 0;
  SSymLayoutEngine engine{SString(SSymLayoutEngine::FileName())};
  auto layout = engine.Entry<int (*)(SSymAutoLayoutParam&)>("SDoAutoLayout");
  if (!layout) return 0;
  // All the engine's changes form one undoable step.
  SComWrap<ISRepObject, &IID_ISRepObject> diagram(m_pDiagram);
  SRepCreateContext step(diagram.Get(), 1, 1, 0);
  return layout(m_param) == 0 ? 1 : 0;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutGeneral::GetOptionTable() const {
  return SSymAutoLayoutOptionMgr::GetGeneralTable();
}
