// The layout bridge's test engine: a plug-in with the engine's entry points
// that records what the library hands it and answers what the test chose.
// Built twice: as libkvlayoutprobe.so with every entry, and as
// libkvlayoutold.so without SDoAutoLayout (an engine out of date).
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sym/foundation/symgeom.h"

struct ISSymbol;

struct TestEngineState {
  // ---- what the test chose
  int answer = 0;                // answered by SDoAutoLayout and SDoEdgeRouting
  bool throwInCall = false;      // those two and SDoRetrieveIntersections throw instead
  bool throwInResolve = false;   // SResolveAssemblies(1) throws
  SSymSize move;                 // SDoAutoLayout moves the first symbol of the subset by this
  // SDoRetrieveIntersections gives these crossings (point, weight) to the
  // first link it is handed.
  std::vector<std::pair<SSymPoint, double>> crossings;
  std::function<void()> during;  // run inside SDoAutoLayout and SDoEdgeRouting

  // ---- what the engine saw
  int resolved = 0, released = 0;  // SResolveAssemblies(1), SResolveAssemblies(0)
  int available = 0, layouts = 0, routings = 0, retrievals = 0, unsyncs = 0;
  long style = -1;         // of the last layout
  long placement = 0;      // of the last layout
  int automatic = -1, whole = -1;  // its automatic and whole-diagram flags
  int subset = -1, scope = -1;  // sizes of the last layout's tables
  int bag = -1;            // size of the last routing's bag
  std::u16string cursor;   // the cursor during the last layout

  void Reset() { *this = TestEngineState(); }
};

// The state of a loaded test engine (exported by name).
using TestEngineStateFn = TestEngineState* (*)();
