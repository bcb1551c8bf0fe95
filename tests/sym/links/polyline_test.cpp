// The polyline: its labels through the text attributes, the font and its
// colour on every label, the format's font entry, the label hit test, the
// undo of labels moved with the line, copies, and labels that outlive their
// line.
#include <gtest/gtest.h>

#include "sym/links/sympolyline.h"
#include "support/lines_fixture.h"
#include "support/recording_canvas.h"

namespace {

class Polyline : public LineFixture {
 protected:
  SSymPolyline* Make(const SSymListPt& pts = Pts({{0, 0}, {10000, 0}})) {
    SSymPolyline* p = MakeLine<SSymPolyline>(CLSID_SSymPolyline, pts);
    p->InitialSym(p->Sym());
    return p;
  }
  static SRepVariant Text(const char16_t* t) {
    SRepVariant v;
    v.SetTEXT(SString(t));
    return v;
  }
  static SSymPoint At(ISSymbol* s) {
    const SSymRect r = s->GetClipRect(0, 0);
    return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  }
};

TEST_F(Polyline, TextAttributesMakeAndDeleteLabels) {
  SSymPolyline* p = Make();
  EXPECT_EQ(p->GetSymbolType(), 1);
  struct {
    LONG id;
    int index;
  } slots[] = {{SymAttr::CtrText, 0}, {SymAttr::SrcText, 1}, {SymAttr::DstText, 2}};
  for (const auto& s : slots) {
    ASSERT_EQ(p->SetAttribute(s.id, Text(u"label")), S_OK) << s.index;
    ASSERT_NE(p->GetSubSymbol(s.index), nullptr) << s.index;
    SRepVariant v;
    ASSERT_EQ(p->GetAttribute(s.id, &v), S_OK);
    EXPECT_EQ(v.GetTEXT(), SString(u"label"));
    SSymSubText* l = p->GetLabel(s.index);
    EXPECT_EQ(l->GetTextStyle(), 0xA22);
    EXPECT_TRUE(l->GetFlags() & SSymSubsFlag::TopGap);
    EXPECT_TRUE(l->IsInitialized());
    // Measured and placed: not a point at the origin.
    EXPECT_GT(l->GetClipRect(0, 0).Width(), 1);
    EXPECT_NE(At(l->SymFace()), SSymPoint(0, 0));
  }
  // The line's rectangle takes its labels in.
  SSymRect all = p->GetClipRect(0, 0);
  for (const auto& s : slots) {
    SSymRect r = p->GetSubSymbol(s.index)->GetClipRect(0, 0);
    EXPECT_TRUE(all.ContainsRect(r.Normalize())) << s.index;
  }
  // An empty text deletes a polyline's label.
  p->SetSrcText(SString());
  EXPECT_EQ(p->GetSubSymbol(1), nullptr);
  EXPECT_EQ(p->GetSrcText(), SString());
  for (int index : {-1, 3}) EXPECT_EQ(p->GetSubSymbol(index), nullptr);
  EXPECT_EQ(p->HasAttribute(SymAttr::CtrText), S_OK);
  EXPECT_EQ(p->HasAttribute(SymAttr::SrcTxtOffset), S_OK);
}

TEST_F(Polyline, FontAndColourReachEveryLabel) {
  SSymPolyline* p = Make();
  p->SetCtrText(SString(u"a"));
  p->SetDstText(SString(u"b"));
  EXPECT_EQ(p->GetFontName(), SString(u"Arial,8,N"));
  EXPECT_EQ(p->SetFontName(SString(u"Arial,8,N")), 1);
  EXPECT_EQ(p->SetFontName(SString(u"Courier New,12,B")), S_OK);
  for (int i : {0, 2}) {
    EXPECT_EQ(p->GetLabel(i)->GetFont().GetFaceName(), SString(u"Courier New")) << i;
    EXPECT_EQ(p->GetLabel(i)->GetFont().GetSize(), 12) << i;
  }
  // The colour through the attribute goes through SetFontColor.
  SRepVariant v;
  v.SetLONG(0x0000FF);
  EXPECT_EQ(p->SetAttribute(SymAttr::FontColor, v), S_OK);
  EXPECT_EQ(p->GetFontColor().GetColor(), 0x0000FFu);
  for (int i : {0, 2}) EXPECT_EQ(p->GetLabel(i)->GetFontColor().GetColor(), 0x0000FFu) << i;
  // A label made later takes the line's font and colour.
  p->SetSrcText(SString(u"c"));
  EXPECT_EQ(p->GetLabel(1)->GetFont().GetFaceName(), SString(u"Courier New"));
  EXPECT_EQ(p->GetLabel(1)->GetFontColor().GetColor(), 0x0000FFu);
  // Style words of the line alone.
  p->SetTextStyle(0x22, 0);
  EXPECT_EQ(p->GetTextStyle(), 0x22);
  EXPECT_EQ(p->GetLabel(1)->GetTextStyle(), 0xA22);
}

TEST_F(Polyline, FormatTakesTheEntryNamedText) {
  SSymPolyline* p = Make();
  SSymFormatEx f;
  p->GetFormat(f);
  ASSERT_EQ(f.m_fonts.GetCount(), 1);
  EXPECT_EQ(f.m_fonts.GetAt(0).m_font.GetFaceName(), SString(u"Arial"));
  SSymFormatEx g;
  SSymFonts first, text;
  first.m_font = SSymFont(SString(u"Times New Roman"), 10);
  text.m_name = SString(u"Text");
  text.m_font = SSymFont(SString(u"Courier New"), 9);
  text.m_color = SSymColor(0x00FF00);
  g.m_fonts.Add(first);
  g.m_fonts.Add(text);
  p->SetFormat(g);
  EXPECT_EQ(p->GetFont().GetFaceName(), SString(u"Courier New"));
  EXPECT_EQ(p->GetFontColor().GetColor(), 0x00FF00u);
}

TEST_F(Polyline, LabelsAreHitAndDrawn) {
  SSymPolyline* p = Make();
  p->SetCtrText(SString(u"middle"));
  RecordingCanvas canvas;
  p->Sym()->Draw(canvas);
  ASSERT_EQ(canvas.Only("DrawText").size(), 1u);
  EXPECT_NE(canvas.Only("DrawText")[0].find("middle"), std::string::npos);
  EXPECT_TRUE(p->GetLabel(0)->GetFlags() & SSymSubsFlag::LabelWidth);
  EXPECT_EQ(p->GetLabel(0)->GetTp(), 0);

  EXPECT_EQ(p->IsPtInSubSym(canvas, SSymPoint(0, 0), nullptr, nullptr), E_POINTER);
  ISSymbol* sub = nullptr;
  const SSymPoint on = At(p->GetSubSymbol(0));
  EXPECT_EQ(p->IsPtInSubSym(canvas, on, nullptr, &sub), S_OK);
  ASSERT_EQ(sub, p->GetSubSymbol(0));
  sub->Release();
  // Through the line's own hit test, off the line itself.
  sub = nullptr;
  EXPECT_EQ(p->IsPtInSym(canvas, on, nullptr, &sub), 1);
  ASSERT_NE(sub, nullptr);
  sub->Release();
  EXPECT_EQ(p->IsPtInSubSym(canvas, SSymPoint(5000, -20000), nullptr, &sub), S_OK);
  EXPECT_EQ(sub, nullptr);
}

TEST_F(Polyline, ACurveIsHitWhereItLeavesItsSegments) {
  // Over a square's three sides the curve's first piece runs from the
  // corner at the origin towards the middle of the top side, through
  // (6250, 87500) halfway: away from every side.
  SSymPolyline* p = Make(Pts({{0, 0}, {0, 100000}, {100000, 100000}, {100000, 0}}));
  p->LineStyle = SSymLineStyle::Bezier;
  RecordingCanvas canvas;
  struct {
    SSymPoint at;
    BOOL hit;
  } cases[] = {
      {{6250, 87500}, 1},
      {{50000, 50000}, 0},  // inside the square, under the curve
      {{50000, 130000}, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(p->IsPtInSym(canvas, c.at, nullptr, nullptr), c.hit) << c.at.x << "," << c.at.y;
}

TEST_F(Polyline, MovingTheLineMovesTheLabelsAndUndoesThem) {
  SSymPolyline* p = Make();
  p->SetCtrText(SString(u"c"));
  p->SetSrcText(SString(u"s"));
  const SSymPoint c0 = At(p->GetSubSymbol(0)), s0 = At(p->GetSubSymbol(1));
  {
    SRepCreateContext step(Session());
    SComWrap<ISSymPolyline> line(p->Sym());
    line->SetListPt(Pts({{0, 3000}, {10000, 9000}}), 0, 1);  // 1: the labels record their moves
  }
  EXPECT_NE(At(p->GetSubSymbol(0)), c0);
  EXPECT_NE(At(p->GetSubSymbol(1)), s0);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(At(p->GetSubSymbol(0)), c0);
  EXPECT_EQ(At(p->GetSubSymbol(1)), s0);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(p->ListPoints()[1], SSymPoint(10000, 9000));
}

TEST_F(Polyline, CopiesCarryTheirOwnLabels) {
  SSymPolyline* p = Make();
  p->SetCtrText(SString(u"one"));
  p->SetDstText(SString(u"two"));
  p->SetTextStyle(0x44, 0);
  SComOut<ISRepObject> out;
  ASSERT_EQ(SSymCreateStd<SSymPolyline>(&out, nullptr, static_cast<ISRepObjectBase*>(p)), S_OK);
  auto* q = dynamic_cast<SSymPolyline*>(SRepObject::FromInterface(out.Get()));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->GetCtrText(), SString(u"one"));
  EXPECT_EQ(q->GetDstText(), SString(u"two"));
  EXPECT_EQ(q->GetSrcText(), SString());
  EXPECT_EQ(q->GetTextStyle(), 0x44);
  EXPECT_NE(q->GetSubSymbol(0), p->GetSubSymbol(0));
  EXPECT_EQ(q->GetSubSymbol(0)->GetClipRect(0, 0), p->GetSubSymbol(0)->GetClipRect(0, 0));
}

TEST_F(Polyline, ALabelHeldElsewhereOutlivesItsLine) {
  auto* p = new SSymPolyline(Pts({{0, 0}, {5000, 0}}), nullptr);
  p->AddRef();
  p->SetCtrText(SString(u"kept"));
  ISSymbol* label = p->GetSubSymbol(0);
  label->AddRef();
  p->Release();
  // The line is gone: the label no longer reaches it.
  EXPECT_EQ(label->Redraw(nullptr), E_FAIL);
  EXPECT_EQ(label->MoveBy(SSymSize(10, 10), 1), S_OK);
  ISSymbol* main = reinterpret_cast<ISSymbol*>(1);
  EXPECT_EQ(label->GetMainSymbol(&main), S_OK);
  EXPECT_EQ(main, nullptr);
  label->Release();
}

TEST_F(Polyline, DropOfAnOwnLabelFollowsTheDistanceTest) {
  SSymPolyline* p = Make();
  p->SetCtrText(SString(u"c"));
  // Not in a diagram: every place is acceptable; a foreign symbol always is.
  EXPECT_EQ(p->IsDropPossible(p->GetSubSymbol(0), SSymPoint(0, 900000)), 1);
  TSym* other = SymFixture::Make<TSym>();
  EXPECT_EQ(p->IsDropPossible(other->Sym(), SSymPoint(0, 900000)), 1);
}

}  // namespace

namespace {

TEST_F(Polyline, LabelRecordsDefaultFromTheMetamodel) {
  SSymPolyline* p = Make();
  for (LONG id : {SymAttr::CtrTxtOffset, SymAttr::SrcTxtOffset, SymAttr::DstTxtOffset}) {
    SRepVariant v;
    ASSERT_EQ(p->GetAttributeDefault(id, &v), S_OK) << std::hex << id;
    EXPECT_EQ(v.GetPOINT().x, 0);
    EXPECT_EQ(v.GetPOINT().y, 0);
  }
  for (LONG id : {SymAttr::CtrTxtWidth, SymAttr::SrcTxtWidth, SymAttr::DstTxtWidth}) {
    SRepVariant v;
    ASSERT_EQ(p->GetAttributeDefault(id, &v), S_OK) << std::hex << id;
    EXPECT_EQ(v.GetLONG(), -1);
    EXPECT_EQ(p->Record(id == SymAttr::CtrTxtWidth ? 0 : id == SymAttr::SrcTxtWidth ? 1 : 2).width, -1);
  }
  EXPECT_EQ(p->GetAttributeDefault(SymAttr::CtrTxtOffset, nullptr), E_POINTER);
}

}  // namespace
