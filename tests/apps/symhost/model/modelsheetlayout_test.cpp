// The sample model's layout as a reader sees it: no link label lies over a
// crossing of two links or over an arrowhead, and every link is long enough
// between its symbols to show its arrowhead.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplediagram.h"
#include "support/recording_canvas.h"
#include "sym/links/symarrow.h"
#include "sym/links/symlinksym.h"
#include "win/winreg.h"

namespace {

struct DrawnLink {
  std::string name;
  std::vector<SSymPoint> path;  // as drawn: from outline to outline
  SSymRect label;
  bool hasLabel = false;
  std::vector<SSymRect> arrows;
  double arrowLength = 0;  // the longest arrowhead, tip to base
};

double Length(const std::vector<SSymPoint>& path) {
  double total = 0;
  for (std::size_t i = 1; i < path.size(); ++i)
    total += std::hypot(static_cast<double>(path[i].x) - path[i - 1].x, static_cast<double>(path[i].y) - path[i - 1].y);
  return total;
}

// Where the segments a-b and c-d cross inside both (false when parallel).
bool Crossing(const SSymPoint& a, const SSymPoint& b, const SSymPoint& c, const SSymPoint& d, double* x, double* y) {
  const double rx = static_cast<double>(b.x) - a.x, ry = static_cast<double>(b.y) - a.y;
  const double sx = static_cast<double>(d.x) - c.x, sy = static_cast<double>(d.y) - c.y;
  const double den = rx * sy - ry * sx;
  if (den == 0) return false;
  const double qx = static_cast<double>(c.x) - a.x, qy = static_cast<double>(c.y) - a.y;
  const double t = (qx * sy - qy * sx) / den, u = (qx * ry - qy * rx) / den;
  if (t <= 0 || t >= 1 || u <= 0 || u >= 1) return false;
  *x = a.x + t * rx;
  *y = a.y + t * ry;
  return true;
}

// The rectangle (normalised, y up) grown by m on every side.
SSymRect Grown(SSymRect r, LONG m) {
  r.Normalize();
  return SSymRect(r.x1 - m, r.y1 + m, r.x2 + m, r.y2 - m);
}
bool Contains(const SSymRect& r, double x, double y) { return x >= r.x1 && x <= r.x2 && y <= r.y1 && y >= r.y2; }
bool Meet(SSymRect a, SSymRect b) {
  a.Normalize();
  b.Normalize();
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y2 < b.y1 && b.y2 < a.y1;
}

class ModelSheetLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    SBuildModelSheet(m_holder);
    // Drawn once: the arrowheads take their places while they draw.
    RecordingCanvas canvas;
    m_holder.Draw(canvas);
    for (ISSymbol* s : m_holder.Symbols()) {
      auto* link = dynamic_cast<SSymLinkSym*>(SSymBase::FromInterface(s));
      if (!link) continue;
      DrawnLink d;
      d.name = link->GetCtrText().ToUtf8();
      // The stored points run between the symbols' centres: the drawn line
      // starts and ends where the end segments leave the symbols.
      for (int i = 0; i < link->ListPt.GetCount(); ++i) d.path.push_back(link->ListPt[i]);
      if (d.path.size() < 2) continue;
      for (int end : {0, 1}) {
        SComOut<ISSymbol> at;
        if (link->GetAttachSym(end, &at) != S_OK || !at) continue;
        SComWrap<ISSymLinkable> outline(at.Get());
        const std::size_t n = d.path.size();
        SSymPoint& p = end == 0 ? d.path[0] : d.path[n - 1];
        const SSymSegment seg = end == 0 ? SSymSegment(d.path[0], d.path[1]) : SSymSegment(d.path[n - 2], d.path[n - 1]);
        SSymPoint cut = p;
        if (!outline.IsNull() && outline->GetIntersection(seg, &cut)) p = cut;
      }
      if (SSymSubText* label = link->GetLabel(0); label && !d.name.empty()) {
        d.label = label->GetClipRect(0, 0);
        d.label.Normalize();
        d.hasLabel = true;
      }
      for (int slot = 0; slot < 4; ++slot)
        if (SSymArrow* a = link->GetArrowHead(slot)) {
          d.arrows.push_back(a->GetClipRect(0, 0));
          const SSymPoint tip = a->GetTip(), base = a->GetBase();
          d.arrowLength =
              std::max(d.arrowLength, std::hypot(static_cast<double>(tip.x) - base.x, static_cast<double>(tip.y) - base.y));
        }
      m_links.push_back(d);
    }
  }
  void TearDown() override { KvRegReset(); }

  SHostDiagram m_holder;
  std::vector<DrawnLink> m_links;
};

// A crossing shows as a bridge: the label keeps this far from it too.
constexpr LONG kBridgeRoom = 150;

TEST_F(ModelSheetLayout, NoLabelCoversACrossingOrAnArrowhead) {
  ASSERT_GE(m_links.size(), 9u);
  for (const DrawnLink& l : m_links) {
    if (!l.hasLabel) continue;
    const SSymRect covered = Grown(l.label, kBridgeRoom);
    for (const DrawnLink& a : m_links) {
      for (const SSymRect& arrow : a.arrows)
        EXPECT_FALSE(Meet(l.label, arrow)) << "\"" << l.name << "\" covers an arrowhead of \"" << a.name << "\"";
      for (const DrawnLink& b : m_links) {
        if (&a == &b) continue;
        for (std::size_t i = 1; i < a.path.size(); ++i)
          for (std::size_t j = 1; j < b.path.size(); ++j) {
            double x = 0, y = 0;
            if (Crossing(a.path[i - 1], a.path[i], b.path[j - 1], b.path[j], &x, &y)) {
              EXPECT_FALSE(Contains(covered, x, y))
                  << "\"" << l.name << "\" covers the crossing of \"" << a.name << "\" and \"" << b.name << "\"";
            }
          }
      }
    }
  }
}

TEST_F(ModelSheetLayout, EveryLinkIsLongerThanItsArrowhead) {
  for (const DrawnLink& l : m_links) {
    if (l.arrows.empty()) continue;
    EXPECT_GT(Length(l.path), l.arrowLength) << "\"" << l.name << "\"";
  }
}

}  // namespace
