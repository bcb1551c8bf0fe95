// SSymEdgeRouter: the link router. It keeps the symbols whose links are to
// be brought in step, the crossings of links (computed by the layout engine,
// a plug-in loaded for each call), the bridge points each link's drawing
// computed, and the user's bridge radius. It answers the symbol core's
// ISSymEdgeRouter, installed when the library loads, and listens to the
// repository: at the end of each change context it asks the engine to route
// the links of the symbols that changed (when the diagram of the first of
// them wants routing or shows crossings), and when a session or object goes
// away it lets go of everything it holds.
//
// The diagram is reached only through the symbol core's faces: a symbol's
// GetDiagram, the diagram's symbol collection and its display preferences
// (ISSymDispPref).
#pragma once

#include <map>

#include "kvcore/scomds.h"
#include "kvcore/snotify.h"
#include "kvrep/srepintf.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/symbol/symintfsymbol.h"

class SSymEdgeRouter : public ISSymEdgeRouter, public ISWeightedSymPointTableMap, public ISNotificationSink {
 public:
  using CrossingMap = std::map<ISSymbol*, SSymCrossings>;

  static SSymEdgeRouter& Instance();
  // Adds the symbol once to the symbols to bring in step.
  void AddSymbol(const SComWrap<ISSymbol>& symbol) override;
  // Adds every symbol of the diagram's symbol collection; a null diagram is
  // ignored.
  void AddDiagram(const SComWrap<ISSymDiagram>& diagram);
  bool Contains(ISSymbol* symbol) const;
  int GetCount() const { return m_symbols.GetCount(); }
  // Empties the symbols to route.
  void Reset() { m_symbols.RemoveAll(); }
  // Empties the symbols to route, the crossings and the bridges index.
  void Clear();

  // Asks the layout engine for the crossings of the links and keeps them;
  // answers a copy. The bridges index is emptied. An engine that cannot be
  // loaded or lacks the entry point is reported once and not asked again;
  // the crossings then stay as they were, as they do while the engine
  // works, when loading is forbidden and when the engine throws (reported).
  CrossingMap ComputeIntersections(SComBag<ISSymbol>& links);
  // When the diagram of the first symbol to route that has one wants
  // automatic routing: asks the engine to route the symbols and empties
  // them whatever the outcome; true only when the engine routed them. An
  // engine that could not be used (out of date, loading forbidden) or threw
  // (reported) routed nothing: false. A call made while the engine works
  // answers false and leaves the symbols to the running call. When routing
  // is not wanted the symbols are dropped and the answer is false.
  bool CallEdgeRoutingMethod();
  // Makes the engine forget what it knows of the diagram; only when the
  // engine is loaded in the process already (it is not loaded for this).
  void UnsyncDiagram(ISSymDiagram* diagram);
  SSymCrossings GetIntersections(ISSymbol* link) override;
  SSymListPt GetBridges(ISSymbol* link) override;
  void UpdateBridgesIndex(ISSymbol* link, const SSymListPt& points) override;
  void ClearBridgesIndex();
  // "BridgesRadius" of the user's general settings, read once; 400 by default.
  LONG GetBridgeRadius() override;
  void ComputeBridges(SComBag<ISSymbol>& symbols) override { ComputeIntersections(symbols); }
  static LONG GetBridgeRadius_() { return Instance().GetBridgeRadius(); }
  // ISWeightedSymPointTableMap: the engine hands its results back here.
  void SetAt(ISSymbol* link, const SSymCrossings& crossings) override;

  // ---- ISNotificationSink (the router is static: it counts no references)
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT OnNotify(int code, void* ptr, unsigned long num) override;
  // A change context ends: the engine forgets the diagram and routes its
  // links when the diagram wants it; never for lockout and applying
  // contexts.
  HRESULT OnNotify(ISRepSession* session, ISRepContext* context);
  // An object goes away (null: a whole session): the engine forgets the
  // diagrams under it, and the router lets go of every symbol, crossing and
  // bridge it holds.
  HRESULT OnNotify(ISRepSession* session, ISRepObject* object);

  // The engine's file name (mapped by the loader), and whether a failure
  // locked it out for the rest of the process.
  static const char16_t* EngineName();
  bool IsEngineLocked() const;
  // The message of the engine failure (empty while there was none); it is
  // shown once per process.
  const SString& GetEngineMessage() const;
  // How many times the engine was asked to forget a diagram.
  int GetUnsyncCount() const { return m_unsyncCount; }
  // For tests: forget the locks and load the engine from another file.
  void ResetEngine(const SString& fileName);

 private:
  // The diagram of the first symbol to route that has one, or empty.
  SComWrap<ISSymDiagram> FirstDiagram();

  SComBag<ISSymbol> m_symbols;
  // Keyed by the link; each key holds a reference (released in Clear).
  CrossingMap m_crossings;
  std::map<ISSymbol*, SSymListPt> m_bridges;
  LONG m_radius = -1;
  int m_unsyncCount = 0;
};
