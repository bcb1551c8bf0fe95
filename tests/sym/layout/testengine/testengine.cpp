#include "testengine.h"

#include <stdexcept>

#include "sym/layout/symautolayout.h"
#include "sym/symbol/symintfrouter.h"
#include "win/wininput.h"

#define TEST_ENGINE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
TestEngineState g_state;

int Operation() {
  if (g_state.during) g_state.during();
  if (g_state.throwInCall) throw std::runtime_error("the test engine failed");
  return g_state.answer;
}
}  // namespace

TEST_ENGINE_EXPORT TestEngineState* KvTestEngineState() { return &g_state; }

TEST_ENGINE_EXPORT int SResolveAssemblies(int load) {
  if (load && g_state.throwInResolve) throw std::runtime_error("cannot resolve");
  ++(load ? g_state.resolved : g_state.released);
  return 0;
}

TEST_ENGINE_EXPORT int SIsAutoLayoutAvailable() {
  ++g_state.available;
  return 1;
}

#ifndef KV_TEST_ENGINE_OUTDATED
TEST_ENGINE_EXPORT int SDoAutoLayout(SSymAutoLayoutParam& param) {
  ++g_state.layouts;
  g_state.style = param.m_options.m_nStyle;
  g_state.placement = param.m_options.m_nPlacement;
  g_state.automatic = param.m_options.m_bAutomatic;
  g_state.whole = param.m_options.m_bWholeDiagram;
  g_state.subset = param.m_pSubset ? param.m_pSubset->GetCount() : -1;
  g_state.scope = param.m_pScope ? param.m_pScope->GetCount() : -1;
  g_state.cursor = KvCurrentCursorName();
  if ((g_state.move.cx || g_state.move.cy) && param.m_pSubset && param.m_pSubset->GetCount() > 0)
    param.m_pSubset->GetAt(0)->MoveBy(g_state.move, 1);
  return Operation();
}
#endif

TEST_ENGINE_EXPORT int SDoEdgeRouting(SComBag<ISSymbol>& bag) {
  ++g_state.routings;
  g_state.bag = bag.GetCount();
  return Operation();
}

TEST_ENGINE_EXPORT int SDoRetrieveIntersections(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out) {
  ++g_state.retrievals;
  if (g_state.throwInCall) throw std::runtime_error("the test engine failed");
  if (!out || links.GetCount() == 0) return 0;
  SSymCrossings table;
  for (const auto& [point, weight] : g_state.crossings) table.Add(SWeighted<SSymPoint, double>(point, weight));
  out->SetAt(links.GetAt(0), table);
  return 0;
}

TEST_ENGINE_EXPORT int SDoUnsyncDiagram(ISSymDiagram*) {
  ++g_state.unsyncs;
  return 0;
}
