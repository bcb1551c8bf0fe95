// The sub-object base: its faces and lifetime, visibility and redraw
// requests, moving and transforming (line-label widths included), hit
// testing, measuring, refitting its holder, and text shaping by the wrap
// preferences.
#include <gtest/gtest.h>

#include "kvcore/sexception.h"
#include "support/recording_canvas.h"
#include "support/subs_fixture.h"
#include "sym/render/symviewsite.h"
#include "sym/links/sympolyline.h"

namespace {

// The site of the diagram windows, answering one state word for every view
// while installed.
class StateSite : public ISSymViewSite {
 public:
  explicit StateSite(int state) : m_state(state), m_before(SSymGetViewSite()) { SSymSetViewSite(this); }
  ~StateSite() override { SSymSetViewSite(m_before); }
  StateSite(const StateSite&) = delete;
  StateSite& operator=(const StateSite&) = delete;
  int GetState(SSymView*) override { return m_state; }
  SDrawBackground* GetDrawBackground(SSymView*) override { return nullptr; }
  SDrawBackground* GetDrawWatermark(SSymView*) override { return nullptr; }
  bool HasBackgroundPicture(SSymView*) override { return false; }
  HWND GetSafeHwnd(SSymView*) override { return nullptr; }
  void InvalidateAll(SSymView*, int) override {}
  void InvalidateRect(SSymView*, const RECT&, int) override {}

 private:
  int m_state;
  ISSymViewSite* m_before;
};

class Subs : public LineFixture {
 protected:
  TSubHolder* Holder(bool placed = true) { return placed ? Place<TSubHolder>(DiagramOwner()) : Make<TSubHolder>(); }
  static ULONG Refs(IUnknown* u) {
    u->AddRef();
    return u->Release();
  }
  // A polyline in the diagram with a label at position 0 that keeps its
  // width in the line (the label is 1000 x 1000).
  TLabel* LineLabel(SSymPolyline*& line) {
    line = MakeLine<SSymPolyline>(CLSID_SSymPolyline, Pts({{0, 0}, {10000, 0}}), true);
    auto* label = new TLabel();
    label->AddRef();
    label->SetParent(SComWrap<ISSymSubSink>(line->Sym()).Get(), false);
    label->_SetText(SString(u"label"));
    label->_SetTp(0);
    label->SetFlag(SUBS_LABELWIDTH, true);
    label->SetRect(SSymRect(0, 999, 999, 0));
    line->SetSubText(0, label);
    return label;
  }
  LONG Width(SSymPolyline* line, LONG id) {
    SRepVariant v;
    EXPECT_EQ(line->Obj()->GetAttribute(id, &v), S_OK);
    return v.GetLONG();
  }
};

TEST(SubsBase, AnswersItsFacesOnOneObjectAndDiesAtZero) {
  const int before = TSub::s_live;
  {
    SubRef<TSub> s(new TSub(SSymRect(100, 0, 0, 200)));
    EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(0, 200, 100, 0));
    EXPECT_EQ(s->GetFlags(), SUBS_EDITABLE | SUBS_KEEPEMPTY);
    EXPECT_EQ(s->GetKind(), 1);
    struct {
      const IID* iid;
      void* face;
    } rows[] = {
        {&IID_IUnknown, s->Sym()},         {&IID_ISSymbol, s->Sym()},
        {&IID_ISSymEditInPlace, s->Sym()}, {&IID_SSymSubs, static_cast<SSymSubs*>(s.t)},
        {&IID_ISSymFonts, s->FontsFace()}, {&IID_ISVerbSource, static_cast<ISVerbSource*>(s->FontsFace())},
        {&IID_ISSymPen, nullptr},  // only while it has a pen
        {&IID_ISRepObject, nullptr},       {&IID_ISSymText, nullptr},
    };
    for (IUnknown* from : {static_cast<IUnknown*>(s->Sym()), static_cast<IUnknown*>(s->FontsFace())})
      for (const auto& r : rows) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(from->QueryInterface(*r.iid, &p), r.face ? S_OK : E_NOINTERFACE);
        EXPECT_EQ(p, r.face);
        if (p) static_cast<IUnknown*>(p)->Release();
      }
    EXPECT_EQ(SSymSubs::FromInterface(s->FontsFace()), s.t);
    EXPECT_EQ(s->Sym()->QueryInterface(IID_ISSymbol, nullptr), E_POINTER);
    SubRef<TSub> empty(new TSub());
    EXPECT_EQ(empty->GetKind(), 2);
    EXPECT_EQ(empty->GetClipRect(0, 0), SSymRect());
    EXPECT_EQ(empty->GetSubFont().m_faceName, SString(u"Arial"));
    EXPECT_EQ(empty->GetSubFont().m_size, 8);
    EXPECT_EQ(TSub::s_live, before + 2);
  }
  EXPECT_EQ(TSub::s_live, before);
}

TEST(SubsBase, AnswersTheSymbolOperationsAsASubObject) {
  SubRef<TSub> s(new TSub(SSymRect(0, 100, 100, 0)));
  ISSymbol* sym = s->Sym();
  RecordingCanvas canvas;
  auto* owner = reinterpret_cast<ISSymOwner*>(0x1);
  EXPECT_EQ(sym->GetOwner(&owner), E_FAIL);
  EXPECT_EQ(owner, reinterpret_cast<ISSymOwner*>(0x1));  // not written
  void* any = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(s->_GetOwner(&any, IID_ISSymOwner), E_FAIL);
  EXPECT_EQ(any, reinterpret_cast<void*>(0x1));
  ISSymbol* clone = sym;
  EXPECT_EQ(sym->Clone(nullptr, 0), E_POINTER);
  EXPECT_EQ(sym->Clone(&clone, 0), E_NOTIMPL);
  EXPECT_EQ(clone, nullptr);
  ISSymDiagram* diagram = reinterpret_cast<ISSymDiagram*>(0x1);
  EXPECT_EQ(sym->GetDiagram(&diagram), S_OK);
  EXPECT_EQ(diagram, nullptr);  // no parent
  ISSymGroup* group = reinterpret_cast<ISSymGroup*>(0x1);
  EXPECT_EQ(sym->GetGroupOwner(&group, 0), S_OK);
  EXPECT_EQ(group, nullptr);
  EXPECT_EQ(sym->GetGroupOwner(&group, 1), E_NOINTERFACE);
  ISSymbol* inner = sym;
  EXPECT_EQ(sym->IsPtInSubSym(canvas, SSymPoint(0, 0), nullptr, nullptr), E_POINTER);
  EXPECT_EQ(sym->IsPtInSubSym(canvas, SSymPoint(0, 0), nullptr, &inner), S_OK);
  EXPECT_EQ(inner, nullptr);
  EXPECT_EQ(sym->Needs2ndDraw(canvas), 0);
  EXPECT_EQ(sym->DrawSecondPass(canvas), 1);
  EXPECT_EQ(sym->NormalSize(1), 0);
  EXPECT_EQ(sym->GetNormalSize(), SSymSize(0, 0));
  EXPECT_EQ(sym->CopySymAttributes(nullptr, 1), 1);
  EXPECT_EQ(sym->IsDropPossible(), 1);
  EXPECT_TRUE(sym->IsSubObject());
  EXPECT_EQ(s->EditInPlace(nullptr, SSymPoint(0, 0), 1), 1);
  EXPECT_EQ(s->EditInPlace(nullptr, nullptr, SSymPoint(0, 0)), 1);
  EXPECT_EQ(s->EditInPlace(nullptr, nullptr, LONG(0x01000002)), 1);
  EXPECT_EQ(s->GetDispidToEdit(nullptr, 0x01000002), 0x01000002);
  EXPECT_EQ(s->IsEditableInPlace(), 1);
  EXPECT_EQ(s->CanRename(), 0);
  EXPECT_EQ(s->Delete(), S_OK);
  SOutputGlobal bytes;
  SSymSubs& base = *s.t;
  EXPECT_EQ(base.SSymSubs::OnGetBlobData(bytes), S_OK);  // the base has nothing to stream
  EXPECT_EQ(bytes.GetSize(), 0u);
}

TEST(SubsBase, InitialisesOnceWithTheUpdatingMark) {
  SubRef<TSub> s(new TSub());
  s->InitializeSubSym();
  s->InitializeSubSym();
  EXPECT_EQ(s->m_inits, 1);
  EXPECT_TRUE(s->m_updatingSeen);
  EXPECT_TRUE(s->IsInitialized());
  EXPECT_FALSE(s->GetFlags() & SUBS_UPDATING);
  SubRef<TSub> busy(new TSub());
  busy->SetFlag(SUBS_UPDATING, true);  // set by someone else: left as it was
  busy->InitializeSubSym();
  EXPECT_TRUE(busy->GetFlags() & SUBS_UPDATING);
}

TEST_F(Subs, ShowChangesAndRedrawsOnlyOnAChange) {
  struct {
    const char* name;
    bool hidden;
    int show;
    bool hiddenAfter;
    int redraws;
  } cases[] = {{"visible, show", false, 1, false, 0},
               {"visible, hide", false, 0, true, 1},
               {"hidden, hide", true, 0, true, 0},
               {"hidden, show", true, 1, false, 1}};
  TSubHolder* h = Holder();
  for (const auto& c : cases) {
    SubRef<TSub> s(new TSub(SSymRect(0, 10, 10, 0)));
    s->SetParent(h->Sink());
    s->SetFlag(SUBS_HIDDEN, c.hidden);
    h->m_subRedraws = 0;
    EXPECT_EQ(s->Show(c.show), S_OK) << c.name;
    EXPECT_EQ(s->IsHidden() != 0, c.hiddenAfter) << c.name;
    EXPECT_EQ(h->m_subRedraws, c.redraws) << c.name;
  }
}

TEST_F(Subs, RedrawAsksTheParentUnlessHeldBack) {
  TSubHolder* h = Holder();
  SubRef<TSub> s(new TSub(SSymRect(0, 100, 100, 0)));
  EXPECT_EQ(s->Redraw(nullptr), E_FAIL);  // no parent
  const ULONG refs = Refs(h->Sink());
  s->SetParent(h->Sink());
  EXPECT_EQ(Refs(h->Sink()), refs + 1);  // the sub-object holds one
  EXPECT_EQ(s->Redraw(nullptr), S_OK);
  EXPECT_EQ(h->m_subRedraws, 1);
  s->SetFlag(SUBS_DRAWING, true);  // asked from inside its own drawing
  EXPECT_EQ(s->Redraw(nullptr), E_FAIL);
  s->SetFlag(SUBS_UPDATING, true);
  EXPECT_EQ(s->Redraw(nullptr), 1);
  s->SetFlag(SUBS_DRAWING | SUBS_UPDATING, false);
  h->m_state |= SSymBase::StateNoRedraw;
  EXPECT_EQ(s->Redraw(nullptr), S_OK);
  h->m_state &= ~SSymBase::StateNoRedraw;
  EXPECT_EQ(h->m_subRedraws, 1);
  SelectingView view(m_diagram, nullptr);
  {
    StateSite suspended(ISSymViewSite::StateSuspended);  // the first view holds drawing back
    EXPECT_EQ(s->Redraw(nullptr), S_OK);
    EXPECT_EQ(h->m_subRedraws, 1);
  }
  StateSite drawing(ISSymViewSite::StateAllowErase);
  EXPECT_EQ(s->Redraw(nullptr), S_OK);
  EXPECT_EQ(h->m_subRedraws, 2);
  s->SetParent(nullptr);
  EXPECT_EQ(Refs(h->Sink()), refs);
}

TEST_F(Subs, MoveByShiftsAndTellsTheParentOnlyWhenSelected) {
  TSubHolder* h = Holder();
  SubRef<TSub> s(new TSub(SSymRect(0, 100, 100, 0)));
  s->SetParent(h->Sink());
  EXPECT_EQ(s->MoveBy(SSymSize(0, 0), 1), S_OK);
  EXPECT_EQ(h->m_subRedraws, 0);
  EXPECT_EQ(s->MoveBy(SSymSize(10, -20), 1), S_OK);
  EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(10, 80, 110, -20));
  EXPECT_EQ(h->m_subRedraws, 2);  // before and after
  EXPECT_TRUE(h->m_moved.empty());
  {
    SelectingView other(m_diagram, h->Sym());
    s->MoveBy(SSymSize(1, 1), 0);
    EXPECT_TRUE(h->m_moved.empty());
  }
  SelectingView view(m_diagram, s->Sym());
  s->MoveBy(SSymSize(1, 1), 0);
  ASSERT_EQ(h->m_moved.size(), 1u);
  EXPECT_EQ(h->m_moved[0], s->Sym());
  EXPECT_EQ(h->m_moveRedraw, 0);
  EXPECT_EQ(h->m_subRedraws, 2);
}

TEST(SubsBase, TransformScalesOrMovesTheCentreOfATurnedCompartment) {
  SSymMatrix scale;
  scale.SetTransform(SSymRect(0, 100, 300, 0), SSymRect(0, 200, 600, 0));
  SSymMatrix turn;
  turn.SetRotatePt(SSymPoint(0, 0), SSymPoint(1000, 0), SSymPoint(0, 1000));  // a quarter turn
  SubRef<TSub> s(new TSub(SSymRect(0, 100, 300, 0)));
  EXPECT_EQ(s->Transform(scale, 0), S_OK);
  EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(0, 200, 600, 0));
  SubRef<TSub> t(new TSub(SSymRect(0, 100, 300, 0)));
  EXPECT_EQ(t->Transform(turn, 0), S_OK);
  const SSymRect r = t->GetClipRect(0, 0);
  EXPECT_EQ(r.Width(), 301);  // the size stays
  EXPECT_EQ(r.Height(), 101);
  EXPECT_EQ(r.GetCenter(), SSymPoint(-50, 150));
}

TEST_F(Subs, LabelTransformKeepsSmallWidthChangesAndRecordsLargerOnes) {
  struct {
    const char* name;
    LONG newRight;  // of the transformed 0..999 label
    LONG width;  // the label's inclusive width afterwards
    int steps;  // undo steps added
    LONG stored;  // the line's centre text width
  } cases[] = {{"44 wider", 1043, 1000, 0, -1}, {"45 wider", 1044, 1045, 1, 1045}, {"200 narrower", 799, 800, 1, 800}};
  for (const auto& c : cases) {
    SSymPolyline* line = nullptr;
    TLabel* label = LineLabel(line);
    const int before = m_session->GetUndoCount();
    SSymMatrix m;
    m.SetTransform(SSymRect(0, 999, 999, 0), SSymRect(0, 999, c.newRight, 0));
    EXPECT_EQ(label->Transform(m, 0), S_OK) << c.name;
    EXPECT_EQ(label->GetClipRect(0, 0).Width(), c.width) << c.name;
    EXPECT_EQ(m_session->GetUndoCount() - before, c.steps) << c.name;
    EXPECT_EQ(Width(line, 0x0200046B), c.stored) << c.name;
    if (c.steps) {
      // Undone: the width is automatic again and the line has not moved.
      ASSERT_EQ(m_session->Undo(), S_OK);
      EXPECT_EQ(Width(line, 0x0200046B), -1) << c.name;
      SSymListPt pts;
      line->GetListPt(pts);
      ASSERT_EQ(pts.GetCount(), 2) << c.name;
      EXPECT_EQ(pts.GetAt(0), SSymPoint(0, 0)) << c.name;
      EXPECT_EQ(pts.GetAt(1), SSymPoint(10000, 0)) << c.name;
    }
  }
}

TEST_F(Subs, LabelWidthNeedsATextFaceAndARepositoryParent) {
  // No text face: the rectangle changes, the width is not stored.
  TSubHolder* h = Holder();
  SubRef<TSub> s(new TSub(SSymRect(0, 999, 999, 0)));
  s->SetParent(h->Sink());
  s->SetFlag(SUBS_LABELWIDTH, true);
  SSymMatrix wider;
  wider.SetTransform(SSymRect(0, 999, 999, 0), SSymRect(0, 999, 1999, 0));
  EXPECT_EQ(s->Transform(wider, 0), E_FAIL);
  EXPECT_EQ(s->GetClipRect(0, 0), wider.Transform(SSymRect(0, 999, 999, 0)).Normalize());
  RecordingCanvas canvas;
  EXPECT_EQ(s->AdjustText(canvas, 0, 0), E_FAIL);
  // A parent that is not a repository object is an error.
  SubRef<TSub> orphan(new TSub(SSymRect(0, 999, 999, 0)));
  orphan->SetFlag(SUBS_LABELWIDTH, true);
  try {
    orphan->Transform(wider, 0);
    ADD_FAILURE() << "no exception";
  } catch (const SECOMException& e) {
    EXPECT_EQ(e.GetResult(), E_POINTER);
  }
}

TEST_F(Subs, AdjustTextStoresTheNeededRectangle) {
  RecordingCanvas canvas;
  SubRef<TSub> orphan(new TSub(SSymRect(0, 100, 100, 0)));
  EXPECT_EQ(orphan->AdjustText(canvas, 1, 0), E_POINTER);
  TSubHolder* h = Holder();
  SubRef<TSub> s(new TSub(SSymRect(0, 100, 100, 0)));
  s->SetParent(h->Sink());
  s->m_need = SSymRect(10, 500, 700, 0);
  EXPECT_EQ(s->AdjustText(canvas, 1, 0), S_OK);
  EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(10, 500, 700, 0));
  EXPECT_EQ(h->m_subRedraws, 2);
  s->m_adjustResult = E_FAIL;  // a failed measurement is handed back
  EXPECT_EQ(s->AdjustText(canvas, 1, 0), E_FAIL);
  // A line label's width becomes automatic again.
  SSymPolyline* line = nullptr;
  TLabel* label = LineLabel(line);
  ASSERT_EQ(line->Obj()->SetAttribute(0x0200046B, SRepVariant::Long(5000)), S_OK);
  EXPECT_EQ(label->AdjustText(canvas, 0, 0), S_OK);
  EXPECT_EQ(Width(line, 0x0200046B), -1);
}

TEST_F(Subs, ComputeTextRectLeavesTheCompartmentAsItWas) {
  RecordingCanvas canvas;
  SubRef<TSub> s(new TSub(SSymRect(0, 100, 100, 0)));
  s->m_need = SSymRect(5, 500, 800, 0);
  EXPECT_EQ(s->ComputeTextRect(canvas), SSymRect(5, 500, 800, 0));
  EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(0, 100, 100, 0));
  s->ForceRect(SSymRect(100, 0, 0, 100));  // stored upside down: normalised on the way
  EXPECT_EQ(s->ComputeTextRect(canvas), SSymRect(5, 500, 800, 0));
  EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(0, 100, 100, 0));
}

TEST_F(Subs, OnResizeRefitsAnAdjustedParentOutsideUndoRecording) {
  struct {
    const char* name;
    bool adjusted, placed, recording;
    size_t fitted;
    int redraws;
  } cases[] = {{"adjusted", true, true, false, 1, 0},
               {"not adjusted", false, true, false, 0, 1},
               {"adjusted, recording", true, true, true, 0, 1},
               {"adjusted, no diagram", true, false, false, 0, 0}};
  for (const auto& c : cases) {
    TSubHolder* h = Holder(c.placed);
    h->m_adjusted = c.adjusted;
    m_diagram->m_fitted.clear();
    SubRef<TSub> s(new TSub(SSymRect(0, 100, 100, 0)));
    s->SetParent(h->Sink());
    {
      std::optional<SRepCreateContext> ctx;
      if (c.recording) ctx.emplace(Session());
      s->OnResize();
    }
    EXPECT_EQ(m_diagram->m_fitted.size(), c.fitted) << c.name;
    if (c.fitted) {
      EXPECT_EQ(m_diagram->m_fitted[0], h->Sym()) << c.name;
    }
    EXPECT_EQ(h->m_redraws, c.redraws) << c.name;
  }
}

TEST(SubsBase, IsHitOnItsHandlesAndWithinSeventyFiveUnits) {
  SubRef<TSub> s(new TSub(SSymRect(0, 1000, 1000, 0)));
  RecordingCanvas canvas;
  struct {
    SSymPoint pt;
    BOOL hit;
  } cases[] = {{{-75, 500}, 1},  {{-76, 500}, 0},  {{1075, 500}, 1}, {{1076, 500}, 0},
               {{500, 1075}, 1}, {{500, 1076}, 0}, {{500, -75}, 1},  {{500, -76}, 0}};
  for (const auto& c : cases) EXPECT_EQ(s->IsPtInSym(canvas, c.pt, nullptr, nullptr), c.hit) << c.pt.x << "," << c.pt.y;
  int handle = -1;
  EXPECT_EQ(s->IsPtInSym(canvas, SSymPoint(1000, 0), &handle, nullptr), 1);
  EXPECT_EQ(handle, 4);  // bottom-right
  ISSymbol* inner = s->Sym();
  EXPECT_EQ(s->IsPtInSym(canvas, SSymPoint(5000, 5000), nullptr, &inner), 0);
  EXPECT_EQ(inner, nullptr);
  s->Show(0);
  EXPECT_EQ(s->IsPtInSym(canvas, SSymPoint(500, 500), &handle, nullptr), 0);
}

TEST(SubsBase, ActiveRectGrowsBySixPixelsAndAWidePen) {
  RecordingCanvas canvas;
  const SSymSize px = canvas.m_scaler.DPtoVP(SIZE{6, 6});
  const LONG dx = std::abs(px.cx), dy = std::abs(px.cy);
  struct {
    LONG pen;  // -1: no pen face
    LONG grow;
  } cases[] = {{-1, 0}, {1, 0}, {30, 30}};
  for (const auto& c : cases) {
    SubRef<TSub> s(new TSub(SSymRect(0, 1000, 1000, 0)));
    s->m_penWidth = c.pen;
    EXPECT_EQ(s->GetActiveRect(canvas, 0), SSymRect(-dx - c.grow, 1000 + dy + c.grow, 1000 + dx + c.grow, -dy - c.grow))
        << c.pen;
  }
}

TEST(SubsBase, DrawsOnlyWhenVisibleInTheRectangle) {
  RecordingCanvas canvas;
  SubRef<TSub> s(new TSub(SSymRect(0, 1000, 1000, 0)));
  int second = -1;
  EXPECT_EQ(s->DrawIfVisible(canvas, SSymRect(50000, 60000, 60000, 50000), &second), S_OK);
  EXPECT_EQ(s->m_draws, 0);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(s->DrawIfVisible(canvas, SSymRect(500, 500, 600, 400), &second), S_OK);
  EXPECT_EQ(s->m_draws, 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(s->DrawSecondPassIfVisible(canvas, SSymRect(500, 500, 600, 400)), S_OK);
  EXPECT_EQ(s->DrawHandles(canvas), S_OK);
  EXPECT_EQ(canvas.Only("DrawHandles"), std::vector<std::string>{"DrawHandles 0 1000 1000 0"});
  s->Show(0);
  canvas.ClearCalls();
  EXPECT_FALSE(s->IsVisibleInRect(canvas, SSymRect(500, 500, 600, 400)));
  EXPECT_EQ(s->DrawHandles(canvas), S_OK);
  EXPECT_TRUE(canvas.Only("DrawHandles").empty());
}

TEST(SubsBase, WrapTextShapesByTheWrapRecord) {
  struct {
    const char* name;
    int mode, trunc, wrap;
    const char16_t* breaks;
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {
      {"no wrapping", 0, 5, 5, u" ", u"abcdefgh", u"abcdefgh"},
      {"unknown mode", 3, 5, 5, u" ", u"abcdefgh", u"abcdefgh"},
      {"truncated", 1, 5, 0, u" ", u"abcdefgh", u"abcde..."},
      {"truncation below 5", 1, 2, 0, u" ", u"abcdefgh", u"abcde..."},
      {"within the truncation", 1, 8, 0, u" ", u"abcdefgh", u"abcdefgh"},
      {"wrap length below 5", 2, 0, 3, u"", u"abcdefghijkl", u"abcde\r\nfghij\r\nkl"},
      {"no wrap characters", 2, 0, 5, u"", u"abcdefghijkl", u"abcde\r\nfghij\r\nkl"},
      {"cut after the space", 2, 0, 8, u" ", u"abcde fghij", u"abcde \r\nfghij"},
      {"space too early", 2, 0, 6, u" ", u"abc defgh ij", u"abc de\r\nfgh ij"},
      {"within the wrap length", 2, 0, 12, u" ", u"abc defgh ij", u"abc defgh ij"},
      // A character outside the basic plane is never cut in halves.
      {"truncated before a pair", 1, 5, 0, u" ", u"abcd\U0001F600fg", u"abcd..."},
      {"wrapped before a pair", 2, 0, 5, u"", u"abcd\U0001F600fg", u"abcd\r\n\U0001F600fg"},
  };
  for (const auto& c : cases) {
    SPrefDataWrap w;
    w.m_nWrapMode = c.mode;
    w.m_nTruncLength = c.trunc;
    w.m_nWrapLength = c.wrap;
    w.m_strBreakChars = SString(c.breaks);
    EXPECT_EQ(SSymSubs::WrapText(SString(c.text), &w, nullptr, 0).ToUtf8(), SString(c.expected).ToUtf8()) << c.name;
  }
  EXPECT_EQ(SSymSubs::WrapText(SString(u"abcdefgh"), nullptr), SString(u"abcdefgh"));
}

}  // namespace
