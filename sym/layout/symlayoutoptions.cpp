#include "sym/layout/symlayoutoptions.h"

#include <initializer_list>

#include "kvlib/suserregistry.h"
#include "sym/layout/symautolayout.h"
#include "sym/layout/symlayoutengine.h"

namespace {
using Style = SSymAutoLayoutStyle::Style;
using Placement = SSymAutoLayoutPlacement::Placement;
using S = SSymAutoLayoutStyle;
using P = SSymAutoLayoutPlacement;

// Below this many symbols an automatic run is left to the library's own
// layout: the engine's start-up costs more than it gains on so few.
constexpr int kSmallSelection = 10;

// The four orientations in the order the lists show them.
constexpr std::initializer_list<Placement> kOrientations = {P::TopToBottom, P::BottomToTop, P::LeftToRight,
                                                             P::RightToLeft};

// One style of a table: appended to the styles, its placements stored
// under it (an empty list has no default).
struct StyleRow {
  Style style;
  std::initializer_list<Placement> placements;
  Placement defaultPlacement = P::None;
};

struct SynonymRule {
  BYTE fixed, available, byDefault;
};
constexpr SynonymRule kUserChooses = {0, 1, 1};

SSymAutoLayoutOptionTable MakeTable(std::initializer_list<StyleRow> rows, Style defaultStyle,
                                    SynonymRule synonyms = kUserChooses) {
  SSymAutoLayoutOptionTable t;
  for (const StyleRow& row : rows) {
    t.m_styles.AddTail(row.style);
    SSymAutoLayoutPlacementDefaultList& list = t.m_placements[row.style];
    for (Placement p : row.placements) list.m_list.AddTail(p);
    list.m_nDefault = row.defaultPlacement;
  }
  t.m_nDefaultStyle = defaultStyle;
  t.m_bSynonymsFixed = synonyms.fixed;
  t.m_bSynonymsAvailable = synonyms.available;
  t.m_bSynonymsDefault = synonyms.byDefault;
  return t;
}

// The styles the external engine offers, in display order; the external
// and the general tables differ only in their default style.
SSymAutoLayoutOptionTable MakeEngineTable(Style defaultStyle) {
  return MakeTable({{S::Basic, {}},
                    {S::Hierarchic, kOrientations, P::TopToBottom},
                    {S::Organic, {}},
                    {S::Orthogonal, kOrientations, P::TopToBottom},
                    {S::Circular, {P::Radiation, P::Cycle}, P::Radiation},
                    {S::Tree, kOrientations, P::TopToBottom}},
                   defaultStyle);
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

// ---- option tables --------------------------------------------------------------------------------

bool SSymAutoLayoutOptionTable::HasStyle(LONG style) const {
  for (Style s : m_styles)
    if (s == style) return true;
  return false;
}

const SSymAutoLayoutPlacementDefaultList* SSymAutoLayoutOptionTable::FindPlacements(LONG style) const {
  return m_placements.Find(static_cast<Style>(style));
}

bool SSymAutoLayoutOptionTable::IsAllowSynonymsAvailable(const SSymAllowSynonymsKey& key) const {
  if (m_bSynonymsFixed) return m_bSynonymsAvailable != 0;
  return key.m_style == S::Basic || !key.m_bWholeDiagram;
}

bool SSymAutoLayoutOptionTable::IsAllowSynonymsByDefault(const SSymAllowSynonymsKey& key) const {
  if (m_bSynonymsFixed) return m_bSynonymsDefault != 0;
  return key.m_style == S::Basic || !key.m_bWholeDiagram;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetBasicTable() {
  static const SSymAutoLayoutOptionTable table = MakeTable({{S::Basic, {}}}, S::Basic);
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetExternalTable() {
  static const SSymAutoLayoutOptionTable table = MakeEngineTable(S::Hierarchic);
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetGeneralTable() {
  static const SSymAutoLayoutOptionTable table = MakeEngineTable(S::Organic);
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetMultiDimTable() {
  static const SSymAutoLayoutOptionTable table =
      MakeTable({{S::Circular, {P::Radiation}, P::Radiation}}, S::Circular, {1, 0, 1});
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetProcFlowTable() {
  static const SSymAutoLayoutOptionTable table =
      MakeTable({{S::Basic, {}}, {S::Hierarchic, kOrientations, P::TopToBottom}}, S::Hierarchic);
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetHorzFlowTable() {
  static const SSymAutoLayoutOptionTable table = MakeTable(
      {{S::Basic, {}}, {S::Hierarchic, {P::LeftToRight, P::RightToLeft, P::TopToBottom, P::BottomToTop}, P::LeftToRight}},
      S::Hierarchic);
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetTreeHierTable() {
  static const SSymAutoLayoutOptionTable table =
      MakeTable({{S::Basic, {}}, {S::Tree, {P::TopToBottom, P::LeftToRight}, P::TopToBottom}}, S::Tree);
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetBlockTable() {
  // The default is the second of the two placements.
  static const SSymAutoLayoutOptionTable table = MakeTable(
      {{S::Basic, {}}, {S::Hierarchic, {P::TopToBottom, P::LeftToRight}, P::LeftToRight}}, S::Hierarchic, {1, 0, 0});
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetConstrActivityTable() {
  static const SSymAutoLayoutOptionTable table =
      MakeTable({{S::Basic, {}}, {S::Hierarchic, kOrientations, P::TopToBottom}}, S::Hierarchic);
  return table;
}

const SSymAutoLayoutOptionTable& SSymAutoLayoutOptionMgr::GetConstrSequenceTable() {
  static const SSymAutoLayoutOptionTable table =
      MakeTable({{S::Basic, {}}, {S::Hierarchic, {P::LeftToRight, P::RightToLeft}, P::LeftToRight}}, S::Hierarchic);
  return table;
}

// ---- the choice of algorithms -------------------------------------------------------------------

SString SSymAutoLayoutOptionMgr::GetOptionsKey() {
  return SUserRegistry::sApplicationRoot + SString(u"AutoLayoutOptions\\");
}

bool SSymAutoLayoutOptionMgr::IsRegistryForceInternal() {
  SUserRegistry key(GetOptionsKey());
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
