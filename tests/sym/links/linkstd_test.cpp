// The standard link and the text link: labels that follow every kind of
// change of the link and undo on their own, the label hit and drop tests,
// the text link's texts, font, colour, format and sheet, bad input, and
// text links with and without texts written and read back.
#include <gtest/gtest.h>

#include <functional>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"
#include "sym/dialogs/sympolytextdlg.h"
#include "sym/links/symlinksym.h"
#include "support/link_fixture.h"
#include "support/reload.h"
#include "support/lines_fixture.h"
#include "support/recording_canvas.h"

namespace {

SSymPoint At(ISSymbol* s) {
  const SSymRect r = s->GetClipRect(0, 0);
  return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
}

class LinkStd : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    m_a = Box(SSymRect(0, 2000, 2000, 0));
    m_b = Box(SSymRect(20000, 2000, 22000, 0));
  }
  // A text link from box a to box b with a centre and a source label.
  SSymLinkSym* Labelled(SSymListPt pts = SSymListPt{{1000, 1000}, {21000, 1000}}) {
    auto* l = dynamic_cast<SSymLinkSym*>(Link(m_a, m_b, pts, 0, CLSID_SSymLinkSym));
    EXPECT_NE(l, nullptr);
    l->InitialSym(l->Sym());
    l->SetCtrText(SString(u"centre"));
    l->SetSrcText(SString(u"source"));
    return l;
  }
  // Where label i belongs now.
  static SSymPoint Place(SSymLinkStd* l, int i) {
    SSymPoint pos, anchor;
    l->RecomputeTextOffset(i, pos, anchor);
    return SSymPoint(pos.x + l->Record(i).offset.x, pos.y + l->Record(i).offset.y);
  }

 public:
  SSymRectangle* NewBox(const SSymRect& r) { return Box(r); }
  SSymRectangle* m_a = nullptr;
  SSymRectangle* m_b = nullptr;
};

TEST_F(LinkStd, LabelsFollowEveryKindOfChange) {
  // After the change a label stands at its computed place, stays where it
  // was, or has moved with the link (a transform moves it with the matrix).
  enum Then { AtPlace, Stays, Moved };
  struct Case {
    const char* what;
    std::function<void(LinkStd&, SSymLinkSym*)> change;
    Then centre, source;
  };
  const Case cases[] = {
      {"route",
       [](LinkStd&, SSymLinkSym* l) { l->SetListPt(SSymListPt{{1000, 1000}, {11000, 6000}, {21000, 1000}}, 0, 0, 0); },
       AtPlace, AtPlace},
      {"attach",
       [](LinkStd& t, SSymLinkSym* l) {
         SSymRectangle* c = t.NewBox(SSymRect(0, 30000, 2000, 28000));
         l->AttachSym(0, c->Linkable(), SSymPoint(1000, 29000));
       },
       AtPlace, AtPlace},
      {"arrow at the source", [](LinkStd&, SSymLinkSym* l) { l->SetSymArrow(1, 0, 0); }, AtPlace, Stays},
      {"arrow off the ends", [](LinkStd&, SSymLinkSym* l) { l->SetSymArrow(4, 0, 0); }, Stays, Stays},
      {"end symbol moved",
       [](LinkStd& t, SSymLinkSym* l) {
         t.m_b->m_rect.OffsetRect(0, 8000);
         l->MoveLinkPt(t.m_b->Linkable(), SSymSize(0, 8000), 0);
       },
       AtPlace, AtPlace},
      {"transform",
       [](LinkStd&, SSymLinkSym* l) {
         SSymMatrix m;
         m.SetTransform(SSymRect(0, 10000, 10000, 0), SSymRect(0, 13000, 10000, 3000));
         l->Transform(m, 0);
       },
       Moved, Moved},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_b->m_rect = SSymRect(20000, 2000, 22000, 0);
    SSymLinkSym* l = Labelled();
    // Both labels off their places, without the link keeping it.
    for (int i : {0, 1}) l->GetLabel(i)->MoveBy(SSymSize(500, 700), 0);
    const SSymPoint before[2] = {At(l->GetSubSymbol(0)), At(l->GetSubSymbol(1))};
    c.change(*this, l);
    const Then then[2] = {c.centre, c.source};
    for (int i : {0, 1}) {
      SCOPED_TRACE(i);
      const SSymPoint now = At(l->GetSubSymbol(i));
      if (then[i] == AtPlace) {
        EXPECT_EQ(now, Place(l, i));
      } else if (then[i] == Stays) {
        EXPECT_EQ(now, before[i]);
      } else {
        EXPECT_NE(now, before[i]);
      }
    }
  }
}

TEST_F(LinkStd, ArrowheadsMoveOnlyAnAutomaticCentreLabelAndOnlyAtTheEnds) {
  SSymLinkSym* l = Labelled();
  const SSymPoint centre = At(l->GetSubSymbol(0));
  l->SetSymArrow(4, 0, 0);  // not at an end of the line
  EXPECT_EQ(At(l->GetSubSymbol(0)), centre);
  l->SetSymArrow(1, 71, 0);  // outside the catalogue: ignored
  EXPECT_EQ(l->GetArrow(1), SSymArrowType::None);
  l->OffsetOf(0) = SSymPoint(0, 3000);
  l->RepositionSymText(0);
  const SSymPoint placed = At(l->GetSubSymbol(0));
  l->SetSymArrow(1, 0, 0);
  EXPECT_EQ(At(l->GetSubSymbol(0)), placed);
}

TEST_F(LinkStd, EachLabelIsUndoneByItsOwnDisplacement) {
  SSymLinkSym* l = Labelled();
  const SSymPoint centre = At(l->GetSubSymbol(0)), source = At(l->GetSubSymbol(1));
  {
    SCurrentContextChange outside(Session(), nullptr);
    l->ListPt = SSymListPt{{1000, 1000}, {21000, 9000}};
  }
  {
    SRepCreateContext step(Session());
    l->RecomputePoints(1, 1, 0, 1);
  }
  const SSymPoint centreMoved = At(l->GetSubSymbol(0)), sourceMoved = At(l->GetSubSymbol(1));
  ASSERT_NE(centreMoved, centre);
  // The labels moved by different amounts.
  ASSERT_NE(SSymPoint(sourceMoved.x - source.x, sourceMoved.y - source.y),
            SSymPoint(centreMoved.x - centre.x, centreMoved.y - centre.y));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(At(l->GetSubSymbol(0)), centre);
  EXPECT_EQ(At(l->GetSubSymbol(1)), source);
}

TEST_F(LinkStd, ADraggedLabelKeepsItsOffsetAndIsUndoneAlone) {
  SSymLinkSym* l = Labelled();
  DiagramOwner()->Add(l->Sym());
  SSymSubText* centre = l->GetLabel(0);
  const SSymPoint c0 = At(centre->SymFace()), s0 = At(l->GetSubSymbol(1));
  const SSymListPt route = l->ListPt;
  {
    SelectingView view(m_diagram, centre->SymFace());
    SRepCreateContext step(Session());
    centre->MoveBy(SSymSize(0, 3000), 0);
    auto back = std::make_unique<SSymActionMove>();
    back->AddSymbol(centre->SymFace());
    back->m_offset = SSymSize(0, -3000);
    step.GetContext()->AddAction(std::move(back));
  }
  EXPECT_EQ(l->Record(0).offset, SSymPoint(0, 3000));
  EXPECT_EQ(At(centre->SymFace()), SSymPoint(c0.x, c0.y + 3000));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(At(centre->SymFace()), c0);
  EXPECT_EQ(At(l->GetSubSymbol(1)), s0);
  ASSERT_EQ(l->ListPt.GetCount(), route.GetCount());
  for (int i = 0; i < route.GetCount(); ++i) EXPECT_EQ(l->ListPt[i], route[i]);
  DiagramOwner()->Remove(l->Sym());
}

TEST_F(LinkStd, LabelsAreHitAndDroppedByTheirDistance) {
  SSymLinkSym* l = Labelled();
  RecordingCanvas canvas;
  EXPECT_EQ(l->IsPtInSubSym(canvas, SSymPoint(0, 0), nullptr, nullptr), E_POINTER);
  ISSymbol* sub = nullptr;
  EXPECT_EQ(l->IsPtInSubSym(canvas, At(l->GetSubSymbol(1)), nullptr, &sub), S_OK);
  ASSERT_EQ(sub, l->GetSubSymbol(1));
  sub->Release();
  sub = nullptr;
  EXPECT_EQ(l->IsPtInSubSym(canvas, SSymPoint(11000, -20000), nullptr, &sub), S_OK);
  EXPECT_EQ(sub, nullptr);
  // A link with a free end is neither hit nor drawn.
  l->DetachEnd(1);
  EXPECT_EQ(l->IsPtInSubSym(canvas, At(l->GetSubSymbol(1)), nullptr, &sub), 1);
  EXPECT_EQ(sub, nullptr);
  l->DrawSymbol(canvas);
  EXPECT_TRUE(canvas.Only("DrawText").empty());
  // A foreign symbol may always be dropped; an own label where it would stand well.
  EXPECT_EQ(l->IsDropPossible(m_a->Sym(), SSymPoint(0, 900000)), 1);
  EXPECT_EQ(l->IsDropPossible(l->GetSubSymbol(0), At(l->GetSubSymbol(0))), 1);
  // Label indexes outside 0..2 reach nothing.
  EXPECT_EQ(l->GetSubSymbol(3), nullptr);
  EXPECT_EQ(l->GetSubSymbol(-1), nullptr);
}

TEST_F(LinkStd, ALabelAwayFromTheLineIsHitOnlyOnAShownLinkWithBothEnds) {
  SSymLinkSym* l = Labelled();
  l->GetLabel(1)->MoveBy(SSymSize(0, 9000), 0);
  const SSymPoint label = At(l->GetSubSymbol(1));
  RecordingCanvas canvas;
  ISSymbol* sub = nullptr;
  int part = -1;
  EXPECT_EQ(l->IsPtInSym(canvas, label, &part, &sub), 1);
  EXPECT_EQ(sub, l->GetSubSymbol(1));
  if (sub) sub->Release();
  // Without a place for the label, the line alone answers: not there.
  EXPECT_EQ(l->IsPtInSym(canvas, label, nullptr, nullptr), 0);
  l->Flags |= SSymBase::FlagHidden;
  sub = nullptr;
  EXPECT_EQ(l->IsPtInSym(canvas, label, nullptr, &sub), 0);
  EXPECT_EQ(sub, nullptr);
  l->Flags &= ~SSymBase::FlagHidden;
  l->DetachEnd(1);
  EXPECT_EQ(l->IsPtInSym(canvas, label, nullptr, &sub), 0);
  EXPECT_EQ(sub, nullptr);
}

TEST_F(LinkStd, TheApplyCustomSymbolFlagIsClassWide) {
  EXPECT_EQ(SSymLinkStd::IsApplyCustomSymbol(), 0);
  SSymLinkStd::SetApplyCustomSymbol(1);
  EXPECT_EQ(SSymLinkSym::IsApplyCustomSymbol(), 1);
  // One flag with the one the format record sets while it applies a custom symbol.
  EXPECT_EQ(g_SymApplyCustomSymbol, 1);
  SSymLinkStd::SetApplyCustomSymbol(0);
  EXPECT_EQ(SSymLinkStd::IsApplyCustomSymbol(), 0);
}

// ---- the text link ---------------------------------------------------------------------------------
TEST_F(LinkStd, TheFontColourAttributeRecoloursTheLabels) {
  SSymLinkSym* l = Labelled();
  SRepVariant red;
  red.SetLONG(0x0000FF);
  EXPECT_EQ(l->SetAttribute(SymAttr::FontColor, red), S_OK);
  EXPECT_EQ(l->GetFontColor().GetColor(), 0x0000FFu);
  for (int i : {0, 1}) EXPECT_EQ(l->GetLabel(i)->GetFontColor().GetColor(), 0x0000FFu) << i;
  // A value of the wrong kind is refused and changes nothing.
  SRepVariant text;
  text.SetTEXT(SString(u"red"));
  EXPECT_TRUE(FAILED(l->SetAttribute(SymAttr::FontColor, text)));
  EXPECT_EQ(l->GetFontColor().GetColor(), 0x0000FFu);
  EXPECT_TRUE(FAILED(l->SetAttribute(SymAttr::CtrTxtOffset, text)));
  EXPECT_EQ(l->Record(0).offset, SSymPoint(0, 0));
  // The font name reaches every label; the same name again answers 1.
  EXPECT_EQ(l->SetFontName(SString(u"Courier New,10,B")), S_OK);
  EXPECT_EQ(l->GetLabel(1)->GetFont().GetFaceName(), SString(u"Courier New"));
  EXPECT_EQ(l->SetFontName(SString(u"Courier New,10,B")), 1);
}

TEST_F(LinkStd, FormatTakesTheTextEntryAfterTheFirst) {
  struct Case {
    std::vector<const char16_t*> names;
    int applied;
  };
  const Case cases[] = {{{u"Text"}, 0}, {{u"Other"}, 0}, {{u"Text", u"Other", u"Text", u"Text"}, 2}, {{u"A", u"B"}, 0}};
  for (const Case& c : cases) {
    SSymLinkSym* l = Labelled();
    SSymFormatEx f;
    for (size_t i = 0; i < c.names.size(); ++i) {
      SSymFonts e;
      e.m_name = SString(c.names[i]);
      e.m_font = SSymFont(SString(u"Face"), static_cast<int>(9 + i));
      e.m_color = SSymColor(static_cast<DWORD>(0x10 + i));
      f.m_fonts.Add(e);
    }
    l->SetFormat(f);
    EXPECT_EQ(l->GetFontColor().GetColor(), static_cast<DWORD>(0x10 + c.applied));
    EXPECT_EQ(l->GetLabel(0)->GetFont(), f.m_fonts.GetAt(c.applied).m_font);
  }
  SSymLinkSym* l = Labelled();
  SSymFormatEx g;
  l->GetFormat(g);
  ASSERT_GE(g.m_fonts.GetCount(), 1);
  EXPECT_EQ(g.m_fonts.GetAt(0).m_font, l->GetFont());
}

TEST_F(LinkStd, EveryVerbShowsTheOneSheetOfTheLink) {
  SSymLinkSym* l = Labelled();
  SSymLinkSym* other = Labelled();
  EXPECT_EQ(l->DoVerb(0, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(l->DoVerb(-3, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(other->DoVerb(0, nullptr, nullptr, nullptr), 1);
  SSymPolyTextDlg* sheet = SSymPolyTextDlg::Find(l->Obj());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->GetShowCount(), 2);
  EXPECT_EQ(sheet->GetStyle(), SSymPolyTextDlg::SheetStyle);
  EXPECT_EQ(sheet->GetPageText(SSymPolyTextDlg::CentrePage), SString(u"centre"));
  SSymPolyTextDlg* second = SSymPolyTextDlg::Find(other->Obj());
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, sheet);
  sheet->Close();
  second->Close();
  EXPECT_EQ(l->EnumVerbs(), 1);
}

TEST_F(LinkStd, ALinkWithoutTextsAnswersEmptyTexts) {
  auto* l = dynamic_cast<SSymLinkSym*>(Link(m_a, m_b, SSymListPt{{1000, 1000}, {21000, 1000}}, 0, CLSID_SSymLinkSym));
  ASSERT_NE(l, nullptr);
  for (LONG id : {SymAttr::CtrText, SymAttr::SrcText, SymAttr::DstText}) {
    SRepVariant v;
    EXPECT_EQ(l->GetAttribute(id, &v), S_OK) << std::hex << id;
    EXPECT_EQ(v.GetTEXT(), SString());
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(l->GetSubSymbol(i), nullptr);
  EXPECT_EQ(l->CopySpecificSymAttributes(l->Sym()), S_OK);
  EXPECT_EQ(l->DoVerb(0, nullptr, nullptr, nullptr), 1);
  SSymPolyTextDlg* sheet = SSymPolyTextDlg::Find(l->Obj());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->GetPageText(SSymPolyTextDlg::SourcePage), SString());
  sheet->Close();
  // An emptied text keeps its label on a link.
  l->SetCtrText(SString(u"x"));
  l->SetCtrText(SString());
  EXPECT_NE(l->GetSubSymbol(0), nullptr);
}

TEST_F(LinkStd, CopiesCarryFontColourStyleAndTheirOwnLabels) {
  SSymLinkSym* l = Labelled();
  l->SetFontColor(SSymColor(0x123456), 0);
  l->SetTextStyle(0x44, 0);
  l->OffsetOf(1) = SSymPoint(300, 400);
  SComOut<ISRepObject> out;
  ASSERT_EQ(SSymCreateStd<SSymLinkSym>(&out, nullptr, static_cast<ISRepObjectBase*>(l)), S_OK);
  auto* q = dynamic_cast<SSymLinkSym*>(SRepObject::FromInterface(out.Get()));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->GetFontColor().GetColor(), 0x123456u);
  EXPECT_EQ(q->GetTextStyle(), 0x44);
  EXPECT_EQ(q->GetCtrText(), SString(u"centre"));
  EXPECT_EQ(q->Record(1).offset, SSymPoint(300, 400));
  EXPECT_EQ(q->Record(1).width, -1);
  EXPECT_NE(q->GetSubSymbol(0), l->GetSubSymbol(0));
  EXPECT_EQ(q->GetSubSymbol(0)->GetClipRect(0, 0), l->GetSubSymbol(0)->GetClipRect(0, 0));
  q->DetachEnd(0);
  q->DetachEnd(1);
}

// The standard link is not read on its own (the repository makes only the
// text link); its label records read back with a text link with and one
// without texts.
TEST_F(LinkStd, TextLinksWithAndWithoutTextsReadBackWhole) {
  SSymLinkSym* text = Labelled(SSymListPt{{1000, 1000}, {11000, 1000}, {11000, 9000}, {21000, 1000}});
  text->SetFontName(SString(u"Courier New,10,B"));
  text->SetFontColor(SSymColor(0x00FF00), 0);
  text->SetDstText(SString(u"end"));
  text->OffsetOf(2) = SSymPoint(-900, 400);
  text->WidthOf(0) = 3000;
  auto* plain = dynamic_cast<SSymLinkStd*>(Link(m_a, m_b, SSymListPt{{1000, 1000}, {21000, 1000}}, 0, CLSID_SSymLinkSym));
  ASSERT_NE(plain, nullptr);
  plain->OffsetOf(0) = SSymPoint(5, 6);
  kvtest::Reloaded reloaded;
  kvtest::ReloadInNewSession(std::vector<ISRepObject*>{text->Obj(), plain->Obj()}, reloaded);
  ASSERT_EQ(reloaded.saved, S_OK);
  ASSERT_EQ(reloaded.loaded, S_OK);
  EXPECT_TRUE(reloaded.silent);
  const std::vector<ISRepObject*>& loaded = reloaded.objects;
  ASSERT_EQ(loaded.size(), 2u);
  auto* text2 = dynamic_cast<SSymLinkSym*>(SRepObject::FromInterface(loaded[0]));
  auto* plain2 = dynamic_cast<SSymLinkStd*>(SRepObject::FromInterface(loaded[1]));
  ASSERT_NE(text2, nullptr);
  ASSERT_NE(plain2, nullptr);
  ASSERT_EQ(text2->ListPt.GetCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(text2->ListPt[i], text->ListPt[i]) << i;
  EXPECT_EQ(text2->GetCtrText(), SString(u"centre"));
  EXPECT_EQ(text2->GetSrcText(), SString(u"source"));
  EXPECT_EQ(text2->GetDstText(), SString(u"end"));
  EXPECT_EQ(text2->GetFontName(), SString(u"Courier New,10,B"));
  EXPECT_EQ(text2->GetFontColor().GetColor(), 0x00FF00u);
  EXPECT_EQ(text2->Record(2).offset, SSymPoint(-900, 400));
  EXPECT_EQ(text2->Record(0).width, 3000);
  EXPECT_EQ(plain2->Record(0).offset, SSymPoint(5, 6));
  EXPECT_EQ(plain2->Record(1).width, -1);
  auto* plainText = dynamic_cast<SSymLinkSym*>(plain2);
  ASSERT_NE(plainText, nullptr);
  EXPECT_EQ(plainText->GetCtrText(), SString());
  for (ISRepObject* o : loaded) {
    if (auto* lk = dynamic_cast<SSymLinkBase*>(SRepObject::FromInterface(o))) {
      lk->DetachEnd(0);
      lk->DetachEnd(1);
    }
  }
}

}  // namespace
