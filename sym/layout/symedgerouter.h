// SSymEdgeRouter: the link router. It keeps the symbols whose links are to
// be brought in step, the crossings of links (computed by the layout engine,
// a plug-in loaded for each call), the bridge points each link's drawing
// computed, and the user's bridge radius. It answers the symbol core's
// ISSymEdgeRouter, installed when the library loads.
#pragma once

#include <map>

#include "kvcore/scomds.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/symbol/symintfsymbol.h"

class SSymEdgeRouter : public ISSymEdgeRouter, public ISWeightedSymPointTableMap {
 public:
  using CrossingMap = std::map<ISSymbol*, SSymCrossings>;

  static SSymEdgeRouter& Instance();
  // Adds the symbol once to the symbols to bring in step.
  void AddSymbol(const SComWrap<ISSymbol>& symbol) override;
  bool Contains(ISSymbol* symbol) const;
  int GetCount() const { return m_symbols.GetCount(); }
  void Clear();

  // Asks the layout engine for the crossings of the links and keeps them;
  // answers a copy. The bridges index is emptied. An engine that cannot be
  // loaded or lacks the entry point is reported once (string 1480) and not
  // asked again; the crossings then stay as they were.
  CrossingMap ComputeIntersections(SComBag<ISSymbol>& links);
  // Asks the engine to route the links of the symbols to route; false when
  // the engine did not route them (the symbols stay to route).
  bool CallEdgeRoutingMethod();
  SSymCrossings GetIntersections(ISSymbol* link) override;
  SSymListPt GetBridges(ISSymbol* link) override;
  void UpdateBridgesIndex(ISSymbol* link, const SSymListPt& points) override;
  void ClearBridgesIndex();
  // "BridgesRadius" of the user's general settings, read once; 400 by default.
  LONG GetBridgeRadius() override;
  static LONG GetBridgeRadius_() { return Instance().GetBridgeRadius(); }
  // ISWeightedSymPointTableMap: the engine hands its results back here.
  void SetAt(ISSymbol* link, const SSymCrossings& crossings) override;

  // The engine's file name (mapped by the loader), and whether a failure
  // locked it out for the rest of the process.
  static const char16_t* EngineName();
  bool IsEngineLocked() const { return m_engineLocked; }
  // The message of the engine failure (empty while there was none); it is
  // made once per process.
  const SString& GetEngineMessage() const { return m_message; }
  // For tests: forget the lock and load the engine from another file.
  void ResetEngine(const SString& fileName);

 private:
  SComBag<ISSymbol> m_symbols;
  // Keyed by the link; each key holds a reference (released in Clear).
  CrossingMap m_crossings;
  std::map<ISSymbol*, SSymListPt> m_bridges;
  LONG m_radius = -1;
  bool m_engineLocked = false;
  bool m_reported = false;
  SString m_engineFile;
  SString m_message;
};
