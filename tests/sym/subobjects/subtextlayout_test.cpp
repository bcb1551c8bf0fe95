// How a text compartment measures and draws: the room a plain text asks for,
// rich text laid out within its width limits, pictures beside the text or in
// its place (metafiles and icons), the collapse of an empty text, and
// in-place editing of its text.
#include <gtest/gtest.h>

#include "kvcore/spicture.h"
#include "support/picture_bytes.h"
#include "support/lines_fixture.h"
#include "support/recording_canvas.h"
#include "sym/links/sympolyline.h"
#include "support/subs_fixture.h"
#include "sym/tools/symeditinplace.h"
#include "win/imageicon.h"

namespace {

const char16_t* kRich =
    u"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Rich text that is long enough to break into several lines "
    u"at two thousand units and into fewer at six thousand units of width.}";

SSymRect Measure(const SString& text, const SSymRect& r) {
  SubRef<SSymSubText> t(new SSymSubText(nullptr, text, r));
  RecordingCanvas canvas;
  return t->ComputeTextRect(canvas);
}

TEST(SubTextLayout, PlainTextAsksForItsExtentAndTheSideRoom) {
  RecordingCanvas canvas;
  const SString text(u"Customer");
  const SSymSize ext = canvas.GetTextExtent(text, SSymFont(SGetArialString(), 8));
  SubRef<SSymSubText> t(new SSymSubText(nullptr, text, SSymRect(0, 5000, 10000, 0)));
  const SSymRect need = t->ComputeTextRect(canvas);
  EXPECT_EQ(need.Width(), ext.cx + 600);
  EXPECT_NEAR(need.Height(), ext.cy, 2);
  EXPECT_EQ(t->GetClipRect(0, 0), SSymRect(0, 5000, 10000, 0));  // measuring changes nothing

  // Drawing shrinks the compartment to its text, never grows it.
  EXPECT_EQ(t->Draw(canvas), S_OK);
  const SSymRect drawn = t->GetClipRect(0, 0);
  EXPECT_EQ(drawn.y1, 5000);
  EXPECT_LT(drawn.Height(), 5000);
  t->SetRect(SSymRect(0, 5000, 10000, 4990));
  t->Draw(canvas);
  EXPECT_EQ(t->GetClipRect(0, 0), SSymRect(0, 5000, 10000, 4990));
}

TEST(SubTextLayout, RichTextIsLaidOutWithinItsWidthLimits) {
  const SString rich(kRich);
  // Adjusting leaves 600 of the width for the margins: a room of 1 or less
  // lays the text out at 2000, a room above 6000 at 6000.
  const LONG narrow = Measure(rich, SSymRect(0, 9000, 600, 0)).Height();
  const LONG wide = Measure(rich, SSymRect(0, 9000, 7600, 0)).Height();
  EXPECT_EQ(narrow, Measure(rich, SSymRect(0, 9000, 2599, 0)).Height());
  EXPECT_EQ(wide, Measure(rich, SSymRect(0, 9000, 6599, 0)).Height());
  EXPECT_GT(narrow, wide);
  EXPECT_EQ(Measure(rich, SSymRect(0, 9000, 20000, 0)).Height(), wide);

  SubRef<SSymSubText> t(new SSymSubText(nullptr, rich, SSymRect(0, 9000, 7000, 0)));
  RecordingCanvas canvas;
  t->Draw(canvas);
  EXPECT_EQ(canvas.Only("DrawRtfText").size(), 1u);
  EXPECT_TRUE(canvas.Only("DrawText").empty());
}

TEST(SubTextLayout, AnEmptyTextCollapsesItsRectangle) {
  struct Case {
    const char* name;
    const char16_t* text;
    DWORD flags;
  } cases[] = {{"empty text", u"", 0}, {"picture mode without picture", u"shown only as a picture", SUBS_PICTURE}};
  for (const Case& c : cases) {
    SubRef<SSymSubText> t(new SSymSubText(nullptr, SString(c.text), SSymRect(100, 900, 800, 200)));
    t->SetFlag(c.flags, true);
    EXPECT_TRUE(t->IsEmpty()) << c.name;
    RecordingCanvas canvas;
    EXPECT_EQ(t->Draw(canvas), S_OK) << c.name;
    EXPECT_EQ(t->GetClipRect(0, 0), SSymRect(100, 900, 100, 900)) << c.name;
    EXPECT_TRUE(canvas.Calls().empty()) << c.name;
    EXPECT_FALSE(t->GetFlags() & SUBS_KEEPEMPTY) << c.name;  // absent for its group
  }
}

TEST(SubTextLayout, AMetafileStandsBesideTheTextOrInItsPlace) {
  SMetaFile mf{SBlob(kvtest::EmfBytes())};
  const SIZE size = mf.GetSize();
  ASSERT_GT(size.cy, 0);
  const LONG wide = static_cast<LONG>(1000LL * size.cx / size.cy);
  for (const bool alone : {false, true}) {
    SubRef<SSymSubText> t(new SSymSubText(nullptr, SString(u"Order"), SSymRect(0, 3000, 8000, 0)));
    t->_SetMetaFile(&mf, 1000);
    t->_SetTextStyle(0x11);  // left, top
    t->SetFlag(SUBS_PICTURE, alone);
    EXPECT_FALSE(t->IsEmpty());
    RecordingCanvas canvas;
    t->Draw(canvas);
    ASSERT_EQ(canvas.Only("DrawMetaFile").size(), 1u) << alone;
    EXPECT_EQ(canvas.Only("DrawMetaFile")[0],
              "DrawMetaFile 300 2860 " + std::to_string(300 + wide) + " 1860") << alone;
    if (alone) {
      EXPECT_TRUE(canvas.Only("DrawText").empty());
    } else {
      // The text starts 300 after the picture, and 150 more for a left-aligned text.
      ASSERT_EQ(canvas.Only("DrawText").size(), 1u);
      EXPECT_EQ(canvas.Only("DrawText")[0].rfind("DrawText " + std::to_string(300 + wide + 300 + 150) + " ", 0), 0u)
          << canvas.Only("DrawText")[0];
    }
  }
}

TEST(SubTextLayout, AnIconAloneNeedsRoomFor974UnitsEachWay) {
  KvImage px;
  px.width = px.height = 16;
  px.px.assign(256, 0xFF00FF00);
  SIcon icon(KvCreateIconFromImage(px));
  for (const LONG side : {973, 974}) {
    SubRef<SSymSubText> t(new SSymSubText(nullptr, SString(), SSymRect(0, side - 1, side - 1, 0)));
    t->_SetPictureIcon(&icon, 16);  // 16 lines of 75: more than the room
    t->SetFlag(SUBS_PICTURE, true);
    t->SetFlag(SUBS_KEEPEMPTY, true);
    RecordingCanvas canvas;
    t->Draw(canvas);
    EXPECT_EQ(canvas.Only("DrawIcon").size(), side == 974 ? 1u : 0u) << side;
  }
}

TEST(SubTextLayout, EditsItsTextInPlace) {
  SubRef<SSymSubText> t(new SSymSubText(nullptr, SString(u"Name"), SSymRect(0, 1000, 3000, 0)));
  SSymView view;
  EXPECT_EQ(t->EditInPlace(nullptr, SSymPoint(0, 0), 1), E_POINTER);
  SSymEditInPlaceController::s_lastText = SString();
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint(10, 10), 1), S_OK);
  EXPECT_EQ(SSymEditInPlaceController::s_lastText, SString(u"Name"));
  EXPECT_EQ(SSymEditInPlaceController::s_nLive, 0);  // the editor made here is gone
  SSymEditInPlaceController::s_nNextResult = -1;
  EXPECT_EQ(t->EditInPlace(nullptr, &view, SSymPoint(10, 10)), E_FAIL);
  SSymEditInPlaceController::s_bFailNextCreate = true;
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint(10, 10), 1), E_OUTOFMEMORY);
  t->SetFlag(SUBS_HIDDEN, true);
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint(10, 10), 1), 1);
  t->SetFlag(SUBS_HIDDEN, false);
  t->_SetText(SString());
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint(10, 10), 1), 1);
}

}  // namespace

namespace {

class SubTextLabel : public LineFixture {};

// A line label takes the width its line keeps for it; -1 there lets the
// label measure itself (its text and the width of a "W").
TEST_F(SubTextLabel, TakesTheWidthItsLineKeeps) {
  SSymPolyline* line = MakeLine<SSymPolyline>(CLSID_SSymPolyline, Pts({{0, 0}, {20000, 0}}));
  line->SetCtrText(SString(u"middle"));
  SSymSubText* label = line->GetLabel(0);
  ASSERT_NE(label, nullptr);
  RecordingCanvas canvas;
  const LONG measured = canvas.GetTextExtent(SString(u"middle"), label->GetFont()).cx +
                        canvas.GetTextExtent(SString(u"W"), label->GetFont()).cx;
  for (const LONG kept : {5000L, -1L}) {
    {
      SCurrentContextChange outside(Session(), nullptr);
      ASSERT_EQ(line->Obj()->SetAttribute(SSymSubText::GetTpDispid(0), SRepVariant::Long(kept)), S_OK);
    }
    line->Sym()->Draw(canvas);
    EXPECT_NEAR(label->GetClipRect(0, 0).Width(), kept > 0 ? kept : measured, kept > 0 ? 0 : 2) << kept;
  }
}

}  // namespace
