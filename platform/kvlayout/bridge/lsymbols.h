// Between the diagram's symbols and the engine's plain arrays: the reader
// makes an LGraph of a run's symbols, the writer puts an LResult back on
// them. The algorithms in between never see a symbol.
//
// The reader takes, in the subset's order and then the scope's:
//   - every visible top-level symbol of the diagram that is not a link as a
//     node; a symbol of the scope outside the subset is a fixed obstacle;
//     a composite symbol is a node with the group id the run gave it (value
//     key 1); symbols inside composites move with them and are not read;
//   - every visible link whose two ends are (inside) nodes as an edge, with
//     its route and what the person did to it (AutomaticRoutingState); a
//     link between two symbols inside one composite is not an edge.
// Hidden symbols, symbols of other diagrams and links with a loose end are
// skipped.
//
// The writer moves every node first (each move drags its links along), then
// writes the routes, inside whatever change context the caller opened. It
// checks the whole result before it writes anything: a result that does not
// match the graph, is not finite or leaves the drawing area writes nothing.
// A symbol that refuses a move or a route takes back what was written.
#pragma once

#include <vector>

#include "kvlayout/engine/dispatch.h"
#include "sym/layout/symautolayout.h"

namespace kvl {

// The symbols behind an LGraph, index for index. Not counted: the caller's
// tables hold them for the length of the call.
struct LSymbols {
  std::vector<ISSymbol*> nodes;
  std::vector<ISSymbol*> links;
};

// Reads the run's diagram, subset and scope into a graph and the request of
// its options and engine numbers. BadInput without a diagram or without
// symbols to consider.
LStatus ReadRun(const SSymAutoLayoutParam& param, LGraph& graph, LSymbols& symbols, LRequest& request);

// Reads the symbols of a diagram for routing: every symbol fixed, every
// link between them an edge.
LStatus ReadDiagram(ISSymDiagram* diagram, LGraph& graph, LSymbols& symbols);

// The writer's answer when a symbol refused a move or a route.
inline constexpr int kRefused = 16;

// Writes the result: 0 when everything was written; the status code of
// BadInput or TooLarge, with nothing written, for a result that cannot be;
// kRefused when a symbol refused (what was written is taken back).
int WriteResult(const LGraph& graph, const LSymbols& symbols, const LResult& result);

// Writes the routes of a re-routing: every non-empty route of the result
// (the links that were routed again), whatever their ends; no symbol moves.
// Checked and taken back as WriteResult does.
int WriteRoutes(const LGraph& graph, const LSymbols& symbols, const LResult& result);

}  // namespace kvl
