// The diagram's spatial index: on random scenes of boxes, ellipses, free
// lines and links, after random edits, undo and redo, it holds the
// collection's symbols in order with keys no narrower than fresh ones, and
// a hit test through it answers exactly what the walk over the whole
// collection answers, at several zooms, with and without a part. Links are
// narrowed to the boxes of their segments and labels: on a scene of crossing
// links with arrowheads, labels, bends, curves and thick pens, points on
// and beside every part of them answer as the walk does. Each symbol is
// asked only within its own reach: transparent boxes (answering on a band
// around their outline) and predefined shapes (answering as their shape
// does) are among those compared. The yardstick is the walk with every line
// built in full (no shortcut of the line's own hit test): labelled links
// with arrowheads and pens, in a diagram showing crossings as bridges and
// not, answer as it does through label edits, pen and arrowhead changes,
// moves, resizes, deletes, undo and redo, at points out to beyond the
// bridges' reach; right after the diagram starts or stops showing bridges,
// areas around those points hand out every symbol a scan of fresh keys
// finds there. A diagram left unchanged for a number of hit tests answers
// through its hit grid, and the comparisons run through it as well.
#include <algorithm>
#include <cmath>
#include <random>

#include "support/canvas_fixture.h"
#include "support/link_fixture.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symrectindex.h"
#include "sym/links/symlinehit.h"
#include "sym/links/symlinksym.h"
#include "sym/links/sympolyline.h"
#include "sym/shapes/sympredefined.h"
#include "sym/symbol/symstd.h"

namespace {

class ZoomCanvas : public TestCanvas {
 public:
  ZoomCanvas(SDC& dc, double zoom) {
    LockOn(dc, SIZE{800, 600});
    SetZoomLevel(zoom, SSymPoint(10000, 10000));
  }
  ~ZoomCanvas() override { Unlock(); }
};

class RectIndex : public LinkFixture {
 protected:
  SSymRectIndex* Index() { return m_diagram->GetRectIndex(); }

  ISSymbol* NewBox(std::mt19937& rng, bool ellipse) {
    std::uniform_int_distribution<LONG> at(0, 20000), size(300, 5000);
    const LONG x = at(rng), y = at(rng);
    auto* b = New<SSymStd>(ellipse ? CLSID_SSymEllipse : CLSID_SSymRectangle);
    b->InitialSymRect(SSymRect(x, y + size(rng), x + size(rng), y));
    return b->Sym();
  }
  // A predefined shape (its own hit test, the widest reach).
  ISSymbol* NewShape(std::mt19937& rng) {
    std::uniform_int_distribution<LONG> at(0, 20000), size(300, 5000);
    const LONG x = at(rng), y = at(rng);
    auto* s = New<SSymPredefined>(CLSID_SSymPredefined);
    s->SetSymbolType(std::uniform_int_distribution<int>(0, 1)(rng) ? 25 : 3);
    s->InitialSymRect(SSymRect(x, y + size(rng), x + size(rng), y));
    return s->Sym();
  }
  // `count` boxes at random places within 0..`span`, their sides `minSide`
  // to `maxSide` long.
  std::vector<SSymBase*> ScatterBoxes(std::mt19937& rng, int count, LONG span, LONG minSide, LONG maxSide) {
    std::uniform_int_distribution<LONG> at(0, span), size(minSide, maxSide);
    std::vector<SSymBase*> boxes;
    for (int i = 0; i < count; ++i) {
      const LONG x = at(rng), y = at(rng);
      boxes.push_back(PutBox(SSymRect(x, y + size(rng), x + size(rng), y)));
    }
    return boxes;
  }
  ISSymbol* NewLine(std::mt19937& rng) {
    std::uniform_int_distribution<LONG> at(0, 20000);
    auto* l = New<SSymPolyline>(CLSID_SSymPolyline);
    {
      SCurrentContextChange outside(Session(), nullptr);
      l->SetListPt(SSymListPt({SSymPoint(at(rng), at(rng)), SSymPoint(at(rng), at(rng)), SSymPoint(at(rng), at(rng))}),
                   0, 0, 0);
    }
    return l->Sym();
  }

  // Every symbol of the diagram, in order.
  std::vector<ISSymbol*> Symbols() {
    std::vector<ISSymbol*> out;
    for (SRepObject* o : m_diagram->Collection(SymAttr::Symbols)->Items())
      out.push_back(SComWrap<ISSymbol>(static_cast<ISRepObject*>(o)).Get());
    return out;
  }

  // The yardstick: every symbol asked in collection order, each line built
  // in full. Asked after the index, so that nothing the full test brings up
  // to date can help the index.
  static ISSymbol* FullWalk(SSymCanvas& canvas, const SSymPoint& p, int* part,
                            const std::vector<SSymRectIndex::Found>& all) {
    SSymSetLineHitShortcuts(false);
    ISSymbol* hit = SSymRectIndex::HitWalk(canvas, p, part, all);
    SSymSetLineHitShortcuts(true);
    return hit;
  }
  // Areas around `points` against a scan of fresh keys: the index hands out
  // every symbol whose key meets the area once each line has taken its
  // rectangle afresh, which happens only after the index has answered.
  void ExpectSameAreasAt(const std::vector<SSymPoint>& points, const char* when) {
    auto areaAt = [](const SSymPoint& p) { return SSymRect(p.x - 200, p.y + 200, p.x + 200, p.y - 200); };
    std::vector<std::vector<ISSymbol*>> answers;
    std::vector<SSymRectIndex::Found> found;
    for (const SSymPoint& p : points) {
      ASSERT_TRUE(Index()->Collect(areaAt(p), 0, found)) << when;
      answers.emplace_back();
      for (const auto& f : found) answers.back().push_back(f.symbol);
    }
    const std::vector<ISSymbol*> symbols = Symbols();
    {
      SCurrentContextChange outside(Session(), nullptr);
      for (ISSymbol* s : symbols)
        if (auto* line = dynamic_cast<SSymPolyBase*>(SSymBase::FromInterface(s))) line->RecomputeClipRect(0, 0);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
      const SSymRect area = areaAt(points[i]);
      for (ISSymbol* s : symbols) {
        const SSymRect key = SSymRectIndex::KeyOf(s);
        if (key.x1 > area.x2 || area.x1 > key.x2 || key.y2 > area.y1 || area.y2 > key.y1) continue;
        ASSERT_NE(std::find(answers[i].begin(), answers[i].end(), s), answers[i].end())
            << when << " around (" << points[i].x << ", " << points[i].y << ")";
      }
    }
  }

  // The index against the full walk at `points` at three zooms, with and
  // without a part.
  void ExpectSameHitsAt(const std::vector<SSymPoint>& points, const char* when) {
    ASSERT_TRUE(Index()->IsConsistent()) << when;
    std::vector<SSymRectIndex::Found> all;
    Index()->CollectAll(all);
    RecordingDC dc;
    for (double zoom : {25.0, 100.0, 400.0}) {
      ZoomCanvas canvas(dc.dc, zoom);
      for (std::size_t i = 0; i < points.size(); ++i) {
        const SSymPoint& p = points[i];
        int partFull = -7, partIndex = -7;
        const bool withPart = i % 2 == 0;
        ISSymbol* indexed = Index()->HitTest(canvas, p, withPart ? &partIndex : nullptr);
        ISSymbol* full = FullWalk(canvas, p, withPart ? &partFull : nullptr, all);
        ASSERT_EQ(indexed, full) << when << " at (" << p.x << ", " << p.y << ") zoom " << zoom;
        ASSERT_EQ(partIndex, partFull) << when << " at (" << p.x << ", " << p.y << ") zoom " << zoom;
      }
    }
  }

  // The index against the walk at random points and zooms.
  void ExpectSameHits(std::mt19937& rng, const char* when) {
    ASSERT_TRUE(Index()->IsConsistent()) << when;
    std::vector<SSymRectIndex::Found> all;
    Index()->CollectAll(all);
    std::uniform_int_distribution<LONG> at(-3000, 26000);
    RecordingDC dc;
    for (double zoom : {25.0, 100.0, 400.0}) {
      ZoomCanvas canvas(dc.dc, zoom);
      for (int i = 0; i < 150; ++i) {
        const SSymPoint p(at(rng), at(rng));
        int partWalk = -7, partIndex = -7;
        const bool withPart = i % 2 == 0;
        ISSymbol* indexed = Index()->HitTest(canvas, p, withPart ? &partIndex : nullptr);
        ISSymbol* walk = FullWalk(canvas, p, withPart ? &partWalk : nullptr, all);
        ASSERT_EQ(indexed, walk) << when << " at (" << p.x << ", " << p.y << ") zoom " << zoom;
        ASSERT_EQ(partIndex, partWalk) << when;
      }
      EXPECT_TRUE(Index()->AnsweredFromHitGrid()) << when << " zoom " << zoom;
    }
  }
};

TEST_F(RectIndex, AnswersAsTheWalkThroughEditsUndoAndRedo) {
  std::mt19937 rng(20261210);
  SSymDiagramImpl* d = m_diagram;
  std::vector<ISSymbol*> boxes;
  for (int i = 0; i < 40; ++i) {
    ISSymbol* s = NewBox(rng, i % 3 == 0);
    if (i % 4 == 1) dynamic_cast<SSymSolid*>(SSymBase::FromInterface(s))->SetFillMode(1);  // transparent
    d->Add(s);
    boxes.push_back(s);
  }
  for (int i = 0; i < 6; ++i) d->Add(NewShape(rng));
  for (int i = 0; i < 8; ++i) d->Add(NewLine(rng));
  for (int i = 0; i + 1 < 16; i += 2) {
    auto* a = SSymBase::FromInterface(boxes[static_cast<std::size_t>(i)]);
    auto* b = SSymBase::FromInterface(boxes[static_cast<std::size_t>(i + 1)]);
    SSymLinkBase* l = Link(a, b, SSymListPt({a->m_rect.GetCenter(), b->m_rect.GetCenter()}), 0, CLSID_SSymLinkStd);
    l->RecomputeClipRect(0, 0);
    d->Add(l->Sym());
  }
  ExpectSameHits(rng, "built");

  auto pick = [&](const std::vector<ISSymbol*>& v) {
    return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
  };
  std::uniform_int_distribution<LONG> step(-3000, 3000);
  const char* names[] = {"move", "size", "shadow", "add", "remove", "reorder", "hide", "line transform", "fill"};
  for (int round = 0; round < 40; ++round) {
    const int what = std::uniform_int_distribution<int>(0, 8)(rng);
    {
      SRepCreateContext edit(Session());
      std::vector<ISSymbol*> symbols = Symbols();
      ISSymbol* s = pick(symbols);
      switch (what) {
        case 0: s->MoveBy(SSymSize(step(rng), step(rng)), 0); break;
        case 1:
          if (auto* b = SSymBase::FromInterface(s); b && SComWrap<ISSymPolyline>(s).IsNull())
            b->SetSize(SRep_Point{std::abs(step(rng)) + 200, std::abs(step(rng)) + 200});
          break;
        case 2:
          if (auto* b = dynamic_cast<SSymStd*>(SSymBase::FromInterface(s)))
            b->SetShadowStyle(static_cast<SHORT>(std::uniform_int_distribution<int>(0, 3)(rng)), 0);
          break;
        case 3: d->Add(NewBox(rng, round % 2 == 0)); break;
        case 4:
          if (SSymBase::FromInterface(s)->m_links.GetCount() == 0 && SComWrap<ISSymLink>(s).IsNull()) d->Remove(s);
          break;
        case 5: d->MoveTo(s, std::uniform_int_distribution<int>(0, d->GetCount() - 1)(rng)); break;
        case 6: s->Show(s->IsHidden() ? 1 : 0); break;
        case 7:
          if (!SComWrap<ISSymPolyline>(s).IsNull() && SComWrap<ISSymLink>(s).IsNull()) {
            SSymRect r = s->GetClipRect(0, 0);
            r.Normalize();
            SSymRect to = r;
            to.OffsetRect(step(rng), step(rng));
            to.x2 += step(rng) / 2;
            SSymMatrix m;
            m.SetTransform(r, to);
            s->Transform(m, 0);
          }
          break;
        case 8:  // opaque to transparent and back
          if (auto* b = dynamic_cast<SSymSolid*>(SSymBase::FromInterface(s))) b->SetFillMode(b->GetFillMode());
          break;
      }
    }
    ExpectSameHits(rng, names[what]);
    if (round % 3 == 2) {
      const int undo = std::uniform_int_distribution<int>(1, 3)(rng);
      for (int u = 0; u < undo && m_session->CanUndo(); ++u) ASSERT_EQ(m_session->Undo(), S_OK);
      ExpectSameHits(rng, "undo");
      if (round % 2 == 0 && m_session->CanRedo()) {
        ASSERT_EQ(m_session->Redo(), S_OK);
        ExpectSameHits(rng, "redo");
      }
    }
  }
}

// Points where a line narrowed to its segments and labels is most likely to
// be wrongly left out: on and just beside its segments, its ends (under the
// arrowheads, on the outlines), its labels' edges; and points in empty space
// and inside boxes that links cross.
TEST_F(RectIndex, NarrowedLinksAnswerAsTheWalkAtEveryPart) {
  std::mt19937 rng(20261211);
  std::uniform_int_distribution<LONG> at(0, 30000);
  const std::vector<SSymBase*> boxes = ScatterBoxes(rng, 30, 30000, 800, 4000);
  std::vector<SSymLinkBase*> links;
  const LONG styles[] = {SSymLineStyle::Normal, SSymLineStyle::Corner, SSymLineStyle::Bezier,
                         SSymLineStyle::NormalPerpendicularArrow};
  std::uniform_int_distribution<std::size_t> pick(0, boxes.size() - 1);
  for (int i = 0; i < 40; ++i) {
    SSymBase* a = boxes[pick(rng)];
    SSymBase* b = boxes[pick(rng)];
    if (a == b) continue;
    SSymListPt pts{a->m_rect.GetCenter()};
    if (i % 3 == 1) pts.Add(SSymPoint(at(rng), at(rng)));  // a bend
    pts.Add(b->m_rect.GetCenter());
    SSymLinkBase* l = Link(a, b, pts, i % 5 == 4 ? styles[i % 4] : SSymLineStyle::Normal, CLSID_SSymLinkSym);
    {
      SCurrentContextChange outside(Session(), nullptr);
      l->SetArrow(i % 2 == 0 ? 2 : 2 | 4, 1 + i % 3, 0);
      if (i % 4 == 0) l->SetPen(SSymPen(1, 40 + 30 * (i % 7), SSymColor(0)), 0);
      if (auto* labelled = dynamic_cast<SSymLinkSym*>(l); labelled && i % 2 == 1) {
        labelled->SetCtrText(SString(u"middle"));
        if (i % 4 == 1) labelled->SetDstText(SString(u"end"));
      }
      l->RecomputeClipRect(0, 0);
    }
    m_diagram->Add(l->Sym());
    links.push_back(l);
  }
  ASSERT_TRUE(Index()->IsConsistent());

  // The table of points, by kind.
  std::vector<std::pair<const char*, SSymPoint>> points;
  auto around = [&](const char* kind, SSymPoint p, LONG spread) {
    for (LONG dx : {-spread, 0, spread})
      for (LONG dy : {-spread, 0, spread}) points.emplace_back(kind, SSymPoint(p.x + dx, p.y + dy));
  };
  auto along = [](SSymPoint a, SSymPoint b, double t) {
    return SSymPoint(static_cast<LONG>(a.x + (b.x - a.x) * t), static_cast<LONG>(a.y + (b.y - a.y) * t));
  };
  for (SSymLinkBase* l : links) {
    // The drawn line: the ends on the outlines, under the arrowheads.
    SSymListPt drawn;
    l->ConstructTempListPt(&drawn, 0);
    const SSymListPt& stored = l->ListPt;
    if (drawn.IsEmpty()) drawn = stored;
    for (int k = 0; k + 1 < stored.GetCount(); ++k)
      for (double t : {0.25, 0.5}) around("on a segment", along(stored[k], stored[k + 1], t), 60);
    for (int end : {0, drawn.GetCount() - 1}) {
      around("at an end", drawn[end], 90);
      around("beside an end", drawn[end], 400);
    }
    if (auto* labelled = dynamic_cast<SSymLinkSym*>(l))
      for (int i = 0; i < SSymLineTextHelper::TextCount; ++i)
        if (SSymSubText* t = labelled->GetLabel(i)) {
          SSymRect r = t->GetClipRect(1, 0);
          r.Normalize();
          for (const SSymPoint& c : {SSymPoint(r.x1, r.y1), SSymPoint(r.x2, r.y2), r.GetCenter()})
            around("on a label", c, 80);
        }
  }
  for (SSymBase* b : boxes) around("inside a box", b->m_rect.GetCenter(), 300);
  for (int i = 0; i < 200; ++i) points.emplace_back("anywhere", SSymPoint(at(rng), at(rng)));

  std::vector<SSymRectIndex::Found> all;
  Index()->CollectAll(all);
  RecordingDC dc;
  int lineHits = 0;
  for (double zoom : {25.0, 100.0, 400.0}) {
    ZoomCanvas canvas(dc.dc, zoom);
    for (std::size_t i = 0; i < points.size(); ++i) {
      const auto& [kind, p] = points[i];
      int partWalk = -7, partIndex = -7;
      const bool withPart = i % 2 == 0;
      ISSymbol* indexed = Index()->HitTest(canvas, p, withPart ? &partIndex : nullptr);
      ISSymbol* walk = FullWalk(canvas, p, withPart ? &partWalk : nullptr, all);
      ASSERT_EQ(indexed, walk) << kind << " (" << p.x << ", " << p.y << ") zoom " << zoom;
      ASSERT_EQ(partIndex, partWalk) << kind << " (" << p.x << ", " << p.y << ") zoom " << zoom;
      if (walk && std::any_of(links.begin(), links.end(), [&](SSymLinkBase* l) { return l->Sym() == walk; }))
        ++lineHits;
    }
    // A diagram left unchanged for this many tests answers through its hit grid.
    EXPECT_TRUE(Index()->AnsweredFromHitGrid()) << "zoom " << zoom;
  }
  // The table reaches the links themselves, not only the boxes around them.
  EXPECT_GT(lineHits, 100);
}

// Points where a link's own shortcut or the index's narrowing to its boxes
// could leave out a hit: on and beside every segment, out to beyond the
// bridges' reach, and on the labels' corners; the diagram shows crossings as
// bridges in some rounds and not in others.
TEST_F(RectIndex, LinksAnswerAsTheFullWalkThroughEditsWithAndWithoutBridges) {
  std::mt19937 rng(20261212);
  std::uniform_int_distribution<LONG> at(0, 24000);
  const std::vector<SSymBase*> boxes = ScatterBoxes(rng, 24, 24000, 800, 3000);
  std::vector<SSymLinkSym*> links;
  std::uniform_int_distribution<std::size_t> pickBox(0, boxes.size() - 1);
  for (int i = 0; links.size() < 30; ++i) {
    SSymBase* a = boxes[pickBox(rng)];
    SSymBase* b = boxes[pickBox(rng)];
    if (a == b) continue;
    SSymListPt pts{a->m_rect.GetCenter()};
    if (i % 3 == 1) pts.Add(SSymPoint(at(rng), at(rng)));  // a bend
    pts.Add(b->m_rect.GetCenter());
    auto* l = dynamic_cast<SSymLinkSym*>(Link(a, b, pts, 0, CLSID_SSymLinkSym));
    ASSERT_NE(l, nullptr);
    {
      SCurrentContextChange outside(Session(), nullptr);
      l->SetArrow(i % 2 == 0 ? 2 : 2 | 4, 1 + i % 3, 0);
      if (i % 3 == 0) l->SetCtrText(SString(u"label"));
      l->RecomputeClipRect(0, 0);
    }
    m_diagram->Add(l->Sym());
    links.push_back(l);
  }
  // The test's diagram makes no preferences of its own (it then shows no
  // bridges): the rounds lend it some that show them and some that do not.
  struct Lent {
    ISSymDiagram* diagram;
    SSymDispPref pref;
    bool lent = false;
    ~Lent() { SSymAttachDispPref(diagram, nullptr); }
    // None lent, lent not showing bridges, lent showing them, in turn.
    void Next() {
      if (!lent) {
        pref.m_bShowIntersect = 0;
        SSymAttachDispPref(diagram, &pref);
        lent = true;
      } else if (!pref.m_bShowIntersect) {
        pref.m_bShowIntersect = 1;
      } else {
        SSymAttachDispPref(diagram, nullptr);
        lent = false;
      }
    }
  } prefs{Diagram(), SSymDispPref()};

  // Around a quarter of the links each time (a different quarter each
  // round), and random points.
  auto points = [&] {
    std::vector<SSymPoint> out;
    for (SSymLinkSym* l : links) {
      if (std::uniform_int_distribution<int>(0, 3)(rng) != 0) continue;
      const SSymListPt& s = l->ListPt;
      for (int k = 0; k + 1 < s.GetCount(); ++k) {
        const double dx = static_cast<double>(s[k + 1].x) - s[k].x, dy = static_cast<double>(s[k + 1].y) - s[k].y;
        const double len = std::hypot(dx, dy);
        if (len < 1) continue;
        for (double t : {0.3, 0.7})
          for (double d : {0.0, 40.0, 90.0, 160.0, 600.0, 1300.0})
            for (double side : {-1.0, 1.0})
              out.emplace_back(static_cast<LONG>(s[k].x + dx * t - side * d * dy / len),
                               static_cast<LONG>(s[k].y + dy * t + side * d * dx / len));
      }
      for (int i = 0; i < SSymLineTextHelper::TextCount; ++i)
        if (SSymSubText* label = l->GetLabel(i)) {
          SSymRect r = label->GetClipRect(1, 0);
          r.Normalize();
          for (LONG d : {-80, 0, 80}) {
            out.emplace_back(r.x1 + d, r.y1 + d);
            out.emplace_back(r.x2 + d, r.y2 + d);
          }
        }
    }
    for (int i = 0; i < 50; ++i) out.emplace_back(at(rng), at(rng));
    return out;
  };
  ExpectSameAreasAt(points(), "built");
  ExpectSameHitsAt(points(), "built");

  auto inDiagram = [&] {
    std::vector<ISSymbol*> out = Symbols();
    return out[std::uniform_int_distribution<std::size_t>(0, out.size() - 1)(rng)];
  };
  // A link not deleted (with one of its boxes) and not taken back by an undo.
  auto pickLink = [&] {
    std::vector<SSymLinkSym*> live;
    for (SSymLinkSym* l : links)
      if (!l->IsDeleted()) live.push_back(l);
    return live.empty() ? nullptr : live[std::uniform_int_distribution<std::size_t>(0, live.size() - 1)(rng)];
  };
  std::uniform_int_distribution<LONG> step(-2500, 2500);
  const char* names[] = {"label edit", "pen", "arrowhead", "move", "resize", "delete", "bridges"};
  const SString texts[] = {SString(), SString(u"x"), SString(u"a longer label\r\nover two lines")};
  for (int round = 0; round < 24; ++round) {
    const int what = std::uniform_int_distribution<int>(0, 6)(rng);
    {
      SRepCreateContext edit(Session());
      SSymLinkSym* link = pickLink();
      if (!link) continue;
      switch (what) {
        case 0: {
          SSymLinkSym* l = link;
          const SString& text = texts[std::uniform_int_distribution<int>(0, 2)(rng)];
          if (round % 2 == 0) l->SetCtrText(text);
          else l->SetDstText(text);
          break;
        }
        case 1: link->SetPen(SSymPen(1, std::uniform_int_distribution<LONG>(0, 3)(rng) * 60, SSymColor(0)), 1); break;
        case 2: link->SetArrow(round % 2 == 0 ? 2 : 4, std::uniform_int_distribution<int>(0, 30)(rng), 1); break;
        case 3: inDiagram()->MoveBy(SSymSize(step(rng), step(rng)), 1); break;
        case 4:
          if (ISSymbol* s = inDiagram(); SComWrap<ISSymPolyline>(s).IsNull())
            SSymBase::FromInterface(s)->SetSize(SRep_Point{std::abs(step(rng)) + 400, std::abs(step(rng)) + 400});
          break;
        case 5:
          if (m_diagram->GetCount() > 10) SSymBase::FromInterface(inDiagram())->Delete();
          break;
        case 6:
          // Showing bridges widens every link's rectangle, and lending
          // preferences or changing them tells nobody: the index follows.
          prefs.Next();
          break;
      }
    }
    if (what == 6) ExpectSameAreasAt(points(), names[what]);
    ExpectSameHitsAt(points(), names[what]);
    if (round % 3 == 2) {
      const int undo = std::uniform_int_distribution<int>(1, 3)(rng);
      for (int u = 0; u < undo && m_session->CanUndo(); ++u) ASSERT_EQ(m_session->Undo(), S_OK);
      ExpectSameHitsAt(points(), "undo");
      if (round % 2 == 0 && m_session->CanRedo()) {
        ASSERT_EQ(m_session->Redo(), S_OK);
        ExpectSameHitsAt(points(), "redo");
      }
    }
  }
}

TEST_F(RectIndex, NarrowsToTheSymbolsNearAnArea) {
  std::vector<ISSymbol*> made;
  for (int i = 0; i < 100; ++i) {
    auto* b = New<SSymStd>(CLSID_SSymRectangle);
    const LONG x = (i % 10) * 10000, y = (i / 10) * 10000;
    b->InitialSymRect(SSymRect(x, y + 3600, x + 4800, y));
    m_diagram->Add(b->Sym());
    made.push_back(b->Sym());
  }
  std::vector<SSymRectIndex::Found> found;
  ASSERT_TRUE(Index()->Collect(SSymRect(41000, 53000, 43000, 51000), 0, found));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].symbol, made[54]);
  // An area over four boxes gives them in collection order, after a move to the front.
  m_diagram->MoveTo(made[45], 0);
  ASSERT_TRUE(Index()->Collect(SSymRect(44000, 56000, 51000, 43000), 0, found));
  std::vector<ISSymbol*> got;
  for (const auto& f : found) got.push_back(f.symbol);
  EXPECT_EQ(got, (std::vector<ISSymbol*>{made[45], made[44], made[54], made[55]}));
  // A lockout context defers rectangles: the index declines and callers walk.
  {
    SRepLockoutContext lockout(Session());
    EXPECT_FALSE(Index()->Collect(SSymRect(0, 1, 1, 0), 0, found));
  }
  SSymRectIndex::SetEnabled(false);
  EXPECT_FALSE(Index()->Collect(SSymRect(0, 1, 1, 0), 0, found));
  SSymRectIndex::SetEnabled(true);
}

TEST_F(RectIndex, LinesAnswerLastAndEmptyDiagramsNothing) {
  RecordingDC dc;
  ZoomCanvas canvas(dc.dc, 100.0);
  EXPECT_EQ(Index()->HitTest(canvas, SSymPoint(0, 0), nullptr), nullptr);
  auto* line = New<SSymPolyline>(CLSID_SSymPolyline);
  {
    SCurrentContextChange outside(Session(), nullptr);
    line->SetListPt(SSymListPt({SSymPoint(-5000, 1000), SSymPoint(10000, 1000)}), 0, 0, 0);
  }
  m_diagram->Add(line->Sym());  // first in the collection, under the box
  auto* box = New<SSymStd>(CLSID_SSymRectangle);
  box->InitialSymRect(SSymRect(0, 3600, 4800, 0));
  m_diagram->Add(box->Sym());
  EXPECT_EQ(Index()->HitTest(canvas, SSymPoint(2000, 1000), nullptr), box->Sym());
  EXPECT_EQ(Index()->HitTest(canvas, SSymPoint(-4000, 1000), nullptr), line->Sym());
  EXPECT_EQ(Index()->HitTest(canvas, SSymPoint(-800000, 800000), nullptr), nullptr);
}

}  // namespace

namespace {
// A symbol whose constructor already places its rectangle (a polyline from
// its points) is made while a diagram's index listens: the index is not told
// about a symbol nobody holds yet, so it cannot take and drop the only
// reference and destroy the symbol half made (the sanitizer build sees it).
TEST_F(RectIndex, SymbolsBeingMadeAreNotHandedToTheIndex) {
  std::mt19937 rng(7);
  m_diagram->Add(NewBox(rng, false));
  ASSERT_TRUE(Index()->IsConsistent());
  auto* line = new SSymPolyline(SSymListPt({SSymPoint(0, 0), SSymPoint(4000, 3000)}), Session());
  line->AddRef();
  m_diagram->Add(line->Sym());
  ExpectSameHits(rng, "after a line made with its points");
  line->Release();
}
}  // namespace
