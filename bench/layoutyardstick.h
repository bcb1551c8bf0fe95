// What the layout benchmarks measure on a result, whoever computed it, and
// the graphviz programs they are compared with (run as separate processes on
// the same graph, never linked): one crossing counter and one overlap count
// for every engine.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace yardstick {

struct Segment {
  kvl::LPoint a, b;
  int edge;
};

// Proper crossings between segments of different edges (touching ends and
// segments of one edge do not count): a sweep over the left ends.
inline long long CountCrossings(std::vector<Segment> segs) {
  auto lo = [](const Segment& s) { return std::min(s.a.x, s.b.x); };
  auto hi = [](const Segment& s) { return std::max(s.a.x, s.b.x); };
  std::sort(segs.begin(), segs.end(), [&](const Segment& p, const Segment& q) { return lo(p) < lo(q); });
  auto side = [](const kvl::LPoint& p, const kvl::LPoint& q, const kvl::LPoint& r) {
    const double v = (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
    return (v > 1e-6) - (v < -1e-6);
  };
  long long count = 0;
  std::vector<const Segment*> open;
  for (const Segment& s : segs) {
    const double l = lo(s);
    std::erase_if(open, [&](const Segment* o) { return hi(*o) < l; });
    for (const Segment* o : open) {
      if (o->edge == s.edge) continue;
      const int d1 = side(s.a, s.b, o->a), d2 = side(s.a, s.b, o->b);
      const int d3 = side(o->a, o->b, s.a), d4 = side(o->a, o->b, s.b);
      if (d1 * d2 < 0 && d3 * d4 < 0) ++count;
    }
    open.push_back(&s);
  }
  return count;
}

// The segments of each edge's polyline (routes as given).
inline long long CountCrossings(const std::vector<std::vector<kvl::LPoint>>& routes) {
  std::vector<Segment> segs;
  for (std::size_t e = 0; e < routes.size(); ++e)
    for (std::size_t k = 1; k < routes[e].size(); ++k) segs.push_back({routes[e][k - 1], routes[e][k], int(e)});
  return CountCrossings(std::move(segs));
}

// Straight lines between node centres: what an organic drawing shows.
inline std::vector<std::vector<kvl::LPoint>> StraightRoutes(const kvl::LGraph& g, const std::vector<kvl::LPoint>& c) {
  std::vector<std::vector<kvl::LPoint>> r;
  for (const kvl::LEdge& e : g.edges)
    r.push_back(e.from == e.to ? std::vector<kvl::LPoint>{} : std::vector<kvl::LPoint>{c[std::size_t(e.from)], c[std::size_t(e.to)]});
  return r;
}

// The nodes' sizes, as the overlap count takes them.
inline std::vector<kvl::LPoint> Sizes(const kvl::LGraph& g) {
  std::vector<kvl::LPoint> s;
  for (const kvl::LNode& n : g.nodes) s.push_back({n.box.Width(), n.box.Height()});
  return s;
}

// The graph as DOT: boxes of the nodes' sizes (inches are 7200 units).
inline std::string ToDot(const kvl::LGraph& g, bool directed, const std::string& graphAttributes) {
  std::ostringstream o;
  o << (directed ? "digraph" : "graph") << " G {\n" << graphAttributes << "\nnode [shape=box fixedsize=true label=\"\"];\n";
  for (std::size_t i = 0; i < g.nodes.size(); ++i)
    o << 'n' << i << " [width=" << g.nodes[i].box.Width() / 7200 << " height=" << g.nodes[i].box.Height() / 7200 << "];\n";
  for (const kvl::LEdge& e : g.edges) o << 'n' << e.from << (directed ? " -> n" : " -- n") << e.to << ";\n";
  o << "}\n";
  return o.str();
}

// Runs a graphviz program on the graph and hands back its plain output;
// false when it cannot be run.
inline bool RunGraphvizPlain(const std::string& program, const std::string& dot, std::string& out) {
  char in[] = "/tmp/kvl-yardstick-XXXXXX";
  const int fd = mkstemp(in);
  if (fd < 0) return false;
  if (write(fd, dot.data(), dot.size()) != ssize_t(dot.size())) {
    close(fd);
    unlink(in);
    return false;
  }
  close(fd);
  const std::string cmd = program + " -Tplain " + in + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) {
    unlink(in);
    return false;
  }
  out.clear();
  char buf[65536];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int rc = pclose(p);
  unlink(in);
  return rc == 0;
}

// Runs a graphviz program on the graph and reads back the node centres (in
// the graph's units) from its plain output; false when it cannot be run.
inline bool RunGraphviz(const std::string& program, const std::string& dot, std::vector<kvl::LPoint>& centres) {
  std::string out;
  if (!RunGraphvizPlain(program, dot, out)) return false;
  std::istringstream lines(out);
  std::string line;
  std::map<int, kvl::LPoint> found;
  while (std::getline(lines, line)) {
    std::istringstream f(line);
    std::string kind, name;
    double x, y;
    if (f >> kind >> name >> x >> y && kind == "node" && name.size() > 1)
      found[std::atoi(name.c_str() + 1)] = {x * 7200, y * 7200};
  }
  centres.assign(found.size(), {});
  for (const auto& [i, pt] : found)
    if (i >= 0 && std::size_t(i) < centres.size()) centres[std::size_t(i)] = pt;
  return !found.empty();
}

}  // namespace yardstick
