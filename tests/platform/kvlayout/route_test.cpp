// Orthogonal routing over scenes a layout leaves: properties of every route
// rather than coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/route.h"
#include "support/layout_graphs.h"

namespace {

using kvl::LBox;
using kvl::LGraph;
using kvl::LPoint;
using kvl::LStatus;
using kvtest::LayoutFamily;

// The graph with its boxes where an organic layout puts them.
LGraph LaidOut(LayoutFamily family, int n, std::uint64_t seed) {
  LGraph g = kvtest::MakeLayoutGraph(family, n, seed);
  kvl::LResult r;
  EXPECT_EQ(kvl::LayoutOrganic(g, {}, r), LStatus::Ok);
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    LBox& b = g.nodes[i].box;
    const double w = b.Width(), h = b.Height();
    const double x = std::round(r.centres[i].x - w / 2), y = std::round(r.centres[i].y - h / 2);
    b = {x, y, x + w, y + h};
  }
  return g;
}

bool OnBorder(const LPoint& p, const LBox& b) { return kvtest::OnBorder(p, b, 0); }

void ExpectSound(const LGraph& g, const std::vector<std::vector<LPoint>>& routes, double margin) {
  ASSERT_EQ(routes.size(), g.edges.size());
  for (std::size_t k = 0; k < g.edges.size(); ++k)
    EXPECT_EQ(kvtest::OrthogonalRouteFault(g, k, routes[k], margin, 0), "") << "link " << k;
}

struct SceneCase {
  LayoutFamily family;
  int n;
};

class RouteScenes : public ::testing::TestWithParam<SceneCase> {};

TEST_P(RouteScenes, RoutesAreAxisParallelEndOnTheirSymbolsAndKeepClearOfOthers) {
  const LGraph g = LaidOut(GetParam().family, GetParam().n, 5);
  std::vector<std::vector<LPoint>> routes, again;
  ASSERT_EQ(kvl::RouteOrthogonal(g, {}, {}, routes), LStatus::Ok);
  ExpectSound(g, routes, 300);
  ASSERT_EQ(kvl::RouteOrthogonal(g, {}, {}, again), LStatus::Ok);
  EXPECT_EQ(again, routes);
}

INSTANTIATE_TEST_SUITE_P(Scenes, RouteScenes,
                         ::testing::Values(SceneCase{LayoutFamily::Tree, 40}, SceneCase{LayoutFamily::DataModel, 80},
                                           SceneCase{LayoutFamily::Dag, 120}, SceneCase{LayoutFamily::MixedSizes, 60}),
                         [](const auto& info) {
                           return std::string(kvtest::FamilyName(info.param.family)) + std::to_string(info.param.n);
                         });

TEST(Route, LinksOnOneSideGetTheirOwnPlaces) {
  LGraph g;
  g.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 7200));
  for (int i = 0; i < 5; ++i) {
    g.nodes.push_back(kvtest::LayoutBox(30000, -20000 + i * 10000, 7200, 3600));
    g.edges.push_back({0, i + 1});
  }
  std::vector<std::vector<LPoint>> routes;
  ASSERT_EQ(kvl::RouteOrthogonal(g, {}, {}, routes), LStatus::Ok);
  ExpectSound(g, routes, 300);
  std::vector<LPoint> starts;
  for (const auto& r : routes) starts.push_back(r.front());
  std::sort(starts.begin(), starts.end(), [](const LPoint& a, const LPoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  EXPECT_EQ(std::adjacent_find(starts.begin(), starts.end()), starts.end());
}

TEST(Route, WhatThePersonKeepsStays) {
  LGraph g;
  g.nodes = {kvtest::LayoutBox(0, 0, 7200, 3600), kvtest::LayoutBox(20000, 10000, 7200, 3600),
             kvtest::LayoutBox(9000, 4000, 3000, 3000)};
  g.edges = {{0, 1}, {0, 1}, {0, 0}};
  g.edges[0].keep = kvl::LRouteKeep::Route;
  g.edges[0].points = {{7200, 1800}, {20000, 11800}};
  g.edges[1].keep = kvl::LRouteKeep::Ends;
  g.edges[1].points = {{3600, 3600}, {23600, 10000}};
  std::vector<std::vector<LPoint>> routes;
  ASSERT_EQ(kvl::RouteOrthogonal(g, {}, {}, routes), LStatus::Ok);
  EXPECT_TRUE(routes[0].empty());
  ASSERT_GE(routes[1].size(), 2u);
  EXPECT_EQ(routes[1].front(), (LPoint{3600, 3600}));
  EXPECT_EQ(routes[1].back(), (LPoint{23600, 10000}));
  for (std::size_t i = 1; i < routes[1].size(); ++i)
    EXPECT_TRUE(routes[1][i - 1].x == routes[1][i].x || routes[1][i - 1].y == routes[1][i].y);
  ASSERT_GE(routes[2].size(), 2u);  // the self-link loops round a corner
  EXPECT_TRUE(OnBorder(routes[2].front(), g.nodes[0].box));
  EXPECT_TRUE(OnBorder(routes[2].back(), g.nodes[0].box));
}

TEST(Route, OnlyTheLinksAskedForAndBadInput) {
  const LGraph g = LaidOut(LayoutFamily::Tree, 12, 2);
  std::vector<std::vector<LPoint>> routes;
  ASSERT_EQ(kvl::RouteOrthogonal(g, {3, 1}, {}, routes), LStatus::Ok);
  for (std::size_t k = 0; k < routes.size(); ++k) EXPECT_EQ(routes[k].empty(), k != 1 && k != 3) << k;
  routes = {{{1, 1}}};
  EXPECT_EQ(kvl::RouteOrthogonal(g, {int(g.edges.size())}, {}, routes), LStatus::BadInput);
  EXPECT_EQ(routes, (std::vector<std::vector<LPoint>>{{{1, 1}}}));
}

// Routing after a style moved the nodes: only the links asked for change,
// their old ends do not hold them, and a request that does not match the
// graph changes nothing.
TEST(Route, RoutesAfterAMoveChangeOnlyTheLinksAskedFor) {
  LGraph g = LaidOut(LayoutFamily::Tree, 12, 2);
  std::vector<LPoint> centres;
  for (const kvl::LNode& n : g.nodes) centres.push_back({n.box.Centre().x + 50000, n.box.Centre().y});
  g.edges[2].keep = kvl::LRouteKeep::Ends;
  g.edges[2].points = {g.nodes[std::size_t(g.edges[2].from)].box.Centre(), g.nodes[std::size_t(g.edges[2].to)].box.Centre()};
  const std::vector<std::vector<LPoint>> before(g.edges.size(), {{7, 7}});
  std::vector<std::vector<LPoint>> routes = before;
  ASSERT_EQ(kvl::RouteMoved(g, centres, {2, 5}, {}, routes), LStatus::Ok);
  kvl::LResult moved;
  moved.centres = centres;
  const LGraph placed = kvtest::PlacedGraph(g, moved);
  for (std::size_t k = 0; k < routes.size(); ++k) {
    if (k == 2 || k == 5)
      EXPECT_EQ(kvtest::OrthogonalRouteFault(placed, k, routes[k], 300, 0), "") << k;
    else
      EXPECT_EQ(routes[k], before[k]) << k;
  }
  const struct {
    const char* what;
    std::vector<LPoint> centres;
    std::vector<int> which;
  } bad[] = {{"a centre missing", {centres.begin(), centres.end() - 1}, {1}},
             {"a link that does not exist", centres, {int(g.edges.size())}},
             {"a negative link", centres, {-1}}};
  for (const auto& c : bad) {
    routes = before;
    EXPECT_EQ(kvl::RouteMoved(g, c.centres, c.which, {}, routes), LStatus::BadInput) << c.what;
    EXPECT_EQ(routes, before) << c.what;
  }
}

}  // namespace
