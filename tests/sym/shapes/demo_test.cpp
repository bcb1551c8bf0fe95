// The demonstration symbols of format previews: how many sample texts they
// make and show, where the polyline's labels go, what the rectangle draws
// in its bands, and deletion that lets the texts go.
#include <gtest/gtest.h>

#include "support/recording_canvas.h"
#include "support/symtest.h"
#include "sym/shapes/symdemo.h"

namespace {

// A recording canvas that also keeps the texts drawn and their bands.
class TextCanvas : public RecordingCanvas {
 public:
  void DrawText(const SSymRect& r, const SString& text, int style) override {
    m_texts.push_back({r, text});
    RecordingCanvas::DrawText(r, text, style);
  }
  struct Drawn {
    SSymRect band;
    SString text;
  };
  std::vector<Drawn> m_texts;
};

class Demo : public SymFixture {
 protected:
  SSymDemoRect* NewRect(SSymRect r = SSymRect(0, 20000, 10000, 0)) {
    auto* d = new SSymDemoRect(r, Session());
    d->AddRef();
    m_own.push_back(d);
    return d;
  }
  SSymDemoPoly* NewPoly(std::initializer_list<SSymPoint> pts) {
    auto* d = new SSymDemoPoly(SSymListPt(pts), Session());
    d->AddRef();
    d->SetSession(Session());
    m_own.push_back(d);
    return d;
  }
  void TearDown() override {
    for (SSymBase* o : m_own) {
      o->Delete();
      o->Release();
    }
    SymFixture::TearDown();
  }
  static SSymPoint Centre(SSymSubText* t) {
    const SSymRect r = t->GetClipRect(0, 0);
    return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  }
  std::vector<SSymBase*> m_own;
};

TEST_F(Demo, RectangleMakesTextsUpToTwentyAndKeepsThemWhenShowingFewer) {
  SSymDemoRect* d = NewRect();
  EXPECT_EQ(d->GetSymbolType(), 3);
  struct {
    int asked, shown, made;
  } steps[] = {{25, 20, 20}, {3, 3, 20}, {-1, 0, 20}, {20, 20, 20}};
  for (const auto& s : steps) {
    d->SetNbText(s.asked);
    EXPECT_EQ(d->GetNbText(), s.shown) << s.asked;
    EXPECT_EQ(d->GetTextCount(), s.made) << s.asked;
  }
  EXPECT_EQ(d->GetSubText(0)->Text(), SString(u"Text"));
  EXPECT_EQ(d->GetSubText(0)->GetClipRect(0, 0), SSymRect(0, 1000, 1000, 0));
  EXPECT_NE(d->GetSubText(19), nullptr);
  EXPECT_EQ(d->GetSubText(20), nullptr);
  EXPECT_EQ(d->GetSubText(-1), nullptr);
}

TEST_F(Demo, RectangleStacksTextBandsWithSeparatorsWhileTheyFit) {
  struct Case {
    const char* name;
    SSymRect rect;
    int texts;
    int drawn, separators;
  } cases[] = {
      {"two texts in a tall rectangle", {0, 20000, 10000, 0}, 2, 2, 1},
      {"one text in a low rectangle takes the whole height", {0, 10, 10000, 0}, 1, 1, 0},
      {"two texts in a rectangle lower than one text", {0, 10, 10000, 0}, 2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymDemoRect* d = NewRect(c.rect);
    d->SetNbText(c.texts);
    TextCanvas canvas;
    canvas.ClearCalls();
    ASSERT_EQ(d->Sym()->Draw(canvas), S_OK);
    int samples = 0;
    for (const auto& t : canvas.m_texts)
      if (t.text == SString(u"Text")) {
        ++samples;
        EXPECT_EQ(t.band.x1, c.rect.x1 + 100);
        EXPECT_EQ(t.band.x2, c.rect.x2);
      }
    EXPECT_EQ(samples, c.drawn);
    int separators = 0;
    for (const auto& l : canvas.Only("Line"))
      if (l.find(" " + std::to_string(c.rect.x2) + " ") != std::string::npos) ++separators;
    EXPECT_EQ(separators, c.separators);
    if (c.texts == 1 && samples == 1) {
      EXPECT_EQ(canvas.m_texts.back().band, SSymRect(100, 10, 10000, 0));
    }
  }
}

TEST_F(Demo, PolylineShowsAtMostThreeLabels) {
  SSymDemoPoly* d = NewPoly({{0, 0}, {10000, 0}});
  EXPECT_EQ(d->GetSymbolType(), 1);
  const char16_t* names[] = {u"Center", u"Source", u"Destination"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(d->GetSubText(i), nullptr);
    EXPECT_EQ(d->GetSubText(i)->Text(), SString(names[i]));
    EXPECT_TRUE(d->GetSubText(i)->GetFlags() & 34);
  }
  EXPECT_EQ(d->GetSubText(3), nullptr);
  // The labels exist once: asking again makes none.
  d->CreateSubSymText();
  EXPECT_EQ(d->GetSubText(3), nullptr);
  struct {
    int asked, shown;
  } steps[] = {{4, 3}, {9, 3}, {3, 3}, {2, 2}, {0, 0}, {-2, 0}};
  for (const auto& s : steps) {
    d->SetNbText(s.asked);
    EXPECT_EQ(d->GetNbText(), s.shown) << s.asked;
  }
}

TEST_F(Demo, PolylineLabelsStandAtTheMiddleAndBesideTheEnds) {
  // A new label is 1001 units square: half of it plus the gap is 572.
  struct Case {
    const char* name;
    std::initializer_list<SSymPoint> pts;
    SSymPoint centre, source, destination;
  } cases[] = {
      {"two points", {{0, 0}, {10000, 0}}, {5000, 0}, {572, 572}, {10000 - 572, 572}},
      {"three points: the middle one", {{0, 0}, {4000, 6000}, {9000, 0}}, {4000, 6000}, {572, 572}, {9000 - 572, 572}},
      {"four points: between the middle two", {{0, 9000}, {2000, 0}, {6000, 0}, {8001, 9000}}, {4000, 0},
       {0 + 572, 9000 - 572}, {8001 - 572, 9000 - 572}},
      {"ends within 5 units stay on the positive side", {{4, 4}, {0, 0}}, {2, 2}, {4 + 572, 4 + 572},
       {0 + 572, 0 + 572}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymDemoPoly* d = NewPoly(c.pts);
    EXPECT_EQ(Centre(d->GetSubText(0)), c.centre);
    EXPECT_EQ(Centre(d->GetSubText(1)), c.source);
    EXPECT_EQ(Centre(d->GetSubText(2)), c.destination);
  }
}

TEST_F(Demo, PolylineDrawsTheShownLabelsSizedToTheirText) {
  SSymDemoPoly* d = NewPoly({{0, 0}, {10000, 0}});
  d->SetNbText(2);
  const SSymPoint centre = Centre(d->GetSubText(0));
  TextCanvas canvas;
  ASSERT_EQ(d->Sym()->Draw(canvas), S_OK);
  ASSERT_EQ(canvas.m_texts.size(), 2u);
  EXPECT_EQ(canvas.m_texts[0].text, SString(u"Center"));
  EXPECT_EQ(canvas.m_texts[1].text, SString(u"Source"));
  // The band is the text's extent about the label's centre, and the label keeps it.
  const SSymSize extent = canvas.GetTextExtent(SString(u"Center"), d->GetSubText(0)->GetSubFont());
  EXPECT_EQ(canvas.m_texts[0].band.Width(), extent.cx);
  EXPECT_EQ(canvas.m_texts[0].band.Height(), extent.cy);
  EXPECT_EQ(d->GetSubText(0)->GetClipRect(0, 0), canvas.m_texts[0].band);
  EXPECT_LE(std::abs(Centre(d->GetSubText(0)).x - centre.x), 1);
}

TEST_F(Demo, DeleteLetsTheTextsGo) {
  SSymDemoRect* r = NewRect();
  r->SetNbText(4);
  SSymDemoPoly* p = NewPoly({{0, 0}, {10000, 0}});
  r->Delete();
  p->Delete();
  EXPECT_EQ(r->GetTextCount(), 0);
  EXPECT_EQ(p->GetSubText(0), nullptr);
}

}  // namespace
