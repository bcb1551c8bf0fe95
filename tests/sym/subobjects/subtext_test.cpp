// The text sub-object: its faces, the rectangle it accepts, drawing and its
// refusals, the hit margin, and the parent it reports to (counted or not).
#include <gtest/gtest.h>

#include "sym/subobjects/symsubtext.h"
#include "support/recording_canvas.h"

namespace {

// A parent that counts what it hears and its references.
class Sink : public ISSymSubSink {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_ISSymSubSink) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT OnSubSymResize(ISSymbol*, int) override { return S_OK; }
  HRESULT OnSubSymMove(ISSymbol*, int) override { return S_OK; }
  HRESULT RedrawSubSym(ISSymbol*) override {
    ++redraws;
    return S_OK;
  }
  int IsSubSink() override { return 1; }
  ULONG refs = 0;
  int redraws = 0;
};

struct Held {
  SSymSubText* t;
  explicit Held(SSymSubText* text) : t(text) { t->AddRef(); }
  ~Held() { t->Release(); }
};

TEST(SubText, AnswersItsFacesOnOneObject) {
  Held h(new SSymSubText());
  SComWrap<ISSymText> text(h.t->SymFace());
  SComWrap<ISSymFont> font(h.t->SymFace());
  SComWrap<ISSymEditInPlace> edit(h.t->SymFace());
  ASSERT_FALSE(text.IsNull());
  ASSERT_FALSE(font.IsNull());
  ASSERT_FALSE(edit.IsNull());
  EXPECT_EQ(SSymSubs::FromInterface(text.Get()), h.t);
  SComWrap<ISRepObject, &IID_ISRepObject> rep(h.t->SymFace());
  EXPECT_TRUE(rep.IsNull());  // not a repository object
  EXPECT_EQ(h.t->GetSymbolType(), 3);
  EXPECT_EQ(h.t->GetTextStyle(), 0x211);
  EXPECT_EQ(h.t->GetTp(), -1);
  EXPECT_TRUE(h.t->IsSubObject());
  EXPECT_EQ(h.t->GetClipRect(0, 0), SSymRect());
  EXPECT_FALSE(h.t->IsInitialized());
  h.t->InitializeSubSym();
  EXPECT_TRUE(h.t->GetFlags() & SSymSubsFlag::Initialized);
}

TEST(SubText, TakesOnlyNormalisedRectangles) {
  Held h(new SSymSubText(nullptr, SString(u"x"), SSymRect(100, 0, 0, 200)));
  EXPECT_EQ(h.t->GetClipRect(0, 0), SSymRect(0, 200, 100, 0));  // normalised by the constructor
  h.t->SetRect(SSymRect(10, 0, 20, 50));                          // y2 above y1: refused
  EXPECT_EQ(h.t->GetClipRect(0, 0), SSymRect(0, 200, 100, 0));
  h.t->SetRect(SSymRect(30, 10, 10, 0));  // x2 left of x1: refused
  EXPECT_EQ(h.t->GetClipRect(0, 0), SSymRect(0, 200, 100, 0));
  h.t->SetRect(SSymRect(5, 50, 5, 50));  // a point is normalised
  EXPECT_EQ(h.t->GetClipRect(0, 0), SSymRect(5, 50, 5, 50));
}

TEST(SubText, DrawsItsTextAndRefusesWhenHiddenOrEmpty) {
  Held h(new SSymSubText(nullptr, SString(u"hello"), SSymRect(0, 400, 2000, 0)));
  h.t->_SetTextStyle(0xA22);
  RecordingCanvas canvas;
  EXPECT_EQ(h.t->Draw(canvas), S_OK);
  ASSERT_EQ(canvas.Only("DrawText").size(), 1u);
  EXPECT_EQ(canvas.Only("DrawText")[0], "DrawText 0 400 2000 0 hello");
  EXPECT_TRUE(h.t->IsInitialized());
  EXPECT_FALSE(h.t->GetFlags() & SSymSubsFlag::Drawing);
  h.t->Show(0);
  canvas.ClearCalls();
  EXPECT_EQ(h.t->Draw(canvas), 1);
  EXPECT_TRUE(canvas.Only("DrawText").empty());
  h.t->Show(1);
  h.t->_SetText(SString());
  EXPECT_EQ(h.t->Draw(canvas), S_OK);
  EXPECT_TRUE(canvas.Only("DrawText").empty());
  EXPECT_EQ(h.t->GetClipRect(0, 0), SSymRect(0, 400, 0, 400));  // collapsed to its top-left corner
  EXPECT_TRUE(h.t->IsEmpty());
}

TEST(SubText, IsHitWithinSeventyFiveUnits) {
  Held h(new SSymSubText(nullptr, SString(u"x"), SSymRect(0, 1000, 1000, 0)));
  RecordingCanvas canvas;
  struct {
    SSymPoint pt;
    BOOL hit;
  } cases[] = {{{500, 500}, 1}, {{1075, 500}, 1}, {{1076, 500}, 0}, {{500, -75}, 1}, {{500, -76}, 0}};
  for (const auto& c : cases) EXPECT_EQ(h.t->IsPtInSym(canvas, c.pt, nullptr, nullptr), c.hit) << c.pt.x << "," << c.pt.y;
  h.t->Show(0);
  EXPECT_EQ(h.t->IsPtInSym(canvas, SSymPoint(500, 500), nullptr, nullptr), 0);
}

TEST(SubText, ParentIsHeldAsAskedAndHearsRedraws) {
  Sink sink;
  {
    Held h(new SSymSubText(&sink, SString(u"x"), SSymRect(0, 10, 10, 0)));
    EXPECT_EQ(sink.refs, 1u);  // counted by default
    EXPECT_EQ(h.t->Redraw(nullptr), S_OK);
    EXPECT_EQ(sink.redraws, 1);
    EXPECT_EQ(h.t->MoveBy(SSymSize(0, 0), 1), S_OK);  // no move, no redraw
    EXPECT_EQ(sink.redraws, 1);
    h.t->SetText(SString(u"y"), 1);
    EXPECT_EQ(sink.redraws, 3);
    h.t->SetParent(&sink, false);  // the same parent, not counted
    EXPECT_EQ(sink.refs, 0u);
  }
  EXPECT_EQ(sink.refs, 0u);
  Held orphan(new SSymSubText());
  EXPECT_EQ(orphan.t->Redraw(nullptr), E_FAIL);
  RecordingCanvas canvas;
  EXPECT_EQ(orphan.t->AdjustText(canvas, 0, 0), E_POINTER);
}

}  // namespace
