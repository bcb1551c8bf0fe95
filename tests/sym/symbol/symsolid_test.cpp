#include "kvlib/suserregistry.h"
#include "kvcore/sexceptiondlg.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symdeftcanv.h"
#include "support/symsolid_fixture.h"

class SolidTest : public SolidFixture {
 protected:
  void TearDown() override {
    SSymAttachDispPref(Diagram(), nullptr);
    SSymSetSymbolPictureFinder(nullptr);
    SolidFixture::TearDown();
  }
  // A 48 x 48 pixel bitmap record of the picture manager.
  static SPictureInfo* Picture48() {
    SPictureManager manager;
    return manager.AddBitmap(new Gdiplus::Bitmap(48, 48), SString(), 0, SString(u"p48"), SBlob());
  }
};

TEST_F(SolidTest, FacesAndDefaults) {
  TSolid* s = Make<TSolid>();
  EXPECT_EQ(s->m_brush.m_style, 1);
  EXPECT_EQ(s->m_brush.m_color.GetColor(), 0xFFFFFFu);
  EXPECT_EQ(s->m_brush.m_bitmapMode, 12);
  EXPECT_EQ(s->m_brush.m_endColor.GetColor(), 0x767676u);
  EXPECT_EQ(s->IsAdjusted(), 1);
  EXPECT_EQ(s->GetShadowStyle(), 1);
  EXPECT_EQ(Make<TSolid>(0)->GetShadowStyle(), 0);
  for (const IID& iid : {IID_ISSymBrush, IID_ISSymAdjust, IID_ISSymCustomShape, IID_ISSymPen, IID_ISSymShadow}) {
    IUnknown* face = nullptr;
    EXPECT_EQ(s->QueryInterface(iid, reinterpret_cast<void**>(&face)), S_OK);
    if (face) face->Release();
  }
  EXPECT_EQ(SSymSolid::FromInterface(SComWrap<ISSymBrush>(s->Sym()).Get()), s);
  // One face answers the brush, adjust and custom-shape faces (each extends the one before).
  SComWrap<ISSymCustomShape> shape(s->Sym());
  ASSERT_FALSE(shape.IsNull());
  EXPECT_EQ(static_cast<void*>(static_cast<ISSymAdjust*>(shape.Get())),
            static_cast<void*>(SComWrap<ISSymAdjust>(s->Sym()).Get()));
  EXPECT_EQ(static_cast<void*>(static_cast<ISSymBrush*>(shape.Get())),
            static_cast<void*>(SComWrap<ISSymBrush>(s->Sym()).Get()));
  EXPECT_EQ(s->HasAttribute(SymAttr::CustomShapeType), S_OK);
  EXPECT_EQ(s->HasAttribute(SymAttr::Transparent), S_OK);
}

TEST_F(SolidTest, BrushStyleAndTransparency) {
  TSolid* s = Make<TSolid>();
  for (LONG bad : {0L, 9L, -4L}) {
    s->SetBrushStyle(3);
    EXPECT_EQ(SetAttr(s, SymAttr::BrushStyle, bad), S_OK);
    EXPECT_EQ(s->GetBrushStyle(), 1) << bad;
  }
  s->SetFillMode(1);
  EXPECT_EQ(s->GetFillMode(), 0);
  EXPECT_EQ(s->GetBrushStyle(), 4);
  EXPECT_EQ(Attr(s, SymAttr::Transparent), 1);
  s->SetFillMode(0);
  EXPECT_EQ(s->GetFillMode(), 1);
  EXPECT_EQ(s->GetBrushStyle(), 1);
  // A transparent symbol whose brush went back to solid draws hollow again.
  s->SetFillMode(1);
  s->SetBrushStyle(1);
  const auto calls = Record(s->Sym());
  EXPECT_EQ(s->GetBrushStyle(), 4);
  EXPECT_GE(Count(calls, "SelectObject(brush 1 "), 1);  // BS_HOLLOW
}

struct SolidPropCase {
  LONG id;
  LONG value;
  const char* name;
};
void PrintTo(const SolidPropCase& c, std::ostream* os) { *os << c.name; }

class SolidUndoTest : public SolidFixture, public ::testing::WithParamInterface<SolidPropCase> {};

TEST_P(SolidUndoTest, RecordsAnAttributeChangeAndUndoRestores) {
  const SolidPropCase c = GetParam();
  TSolid* s = Place<TSolid>(DiagramOwner());
  const LONG before = Attr(s, c.id);
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(SetAttr(s, c.id, c.value), S_OK);
    EXPECT_EQ(SetAttr(s, c.id, c.value), 1);  // unchanged
    SRepContext* ctx = m_session->Current();
    ASSERT_EQ(ctx->GetActionCount(), 1);
    EXPECT_EQ(ctx->GetAction(0)->m_type, SRepAction_Attr);
  }
  EXPECT_EQ(Attr(s, c.id), c.value);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Attr(s, c.id), before);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(Attr(s, c.id), c.value);
}

TEST_P(SolidUndoTest, LockoutKeepsTheValueUntilApplied) {
  const SolidPropCase c = GetParam();
  TSolid* s = Place<TSolid>(DiagramOwner());
  const LONG before = Attr(s, c.id);
  SRepLockoutContext lockout(Session());
  EXPECT_EQ(SetAttr(s, c.id, c.value), S_OK);
  SRepVariant stored;
  ASSERT_EQ(s->RawGetAttribute(c.id, &stored), S_OK);
  EXPECT_EQ(stored.GetLONG(), before);      // not stored yet
  EXPECT_EQ(Attr(s, c.id), c.value);       // readers see the pending value
  EXPECT_EQ(m_session->Current()->GetActionCount(), 1);
  EXPECT_EQ(lockout.Apply(), S_OK);
  EXPECT_EQ(Attr(s, c.id), c.value);
}

INSTANTIATE_TEST_SUITE_P(Props, SolidUndoTest,
                         ::testing::Values(SolidPropCase{SymAttr::FillColor, 0x00FFFF, "FillColor"},
                                           SolidPropCase{SymAttr::GradientFillMode, 2, "GradientFillMode"},
                                           SolidPropCase{SymAttr::GradientEndColor, 0x112233, "GradientEndColor"}),
                         CaseName());

TEST_F(SolidTest, PictureFillModeRecordsTheBrush) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(SetAttr(s, SymAttr::PictureFillMode, 3), S_OK);
    EXPECT_EQ(m_session->Current()->GetAction(0)->m_type, SSymAction_Format);
  }
  EXPECT_EQ(s->GetPictureFillMode(), 3);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(s->GetPictureFillMode(), 12);
  // With a background picture, mode 12 removes the picture.
  SPictureInfo* p = Picture48();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(s->SetBackgroundPicture(p));
  EXPECT_EQ(s->GetBrushStyle(), 5);
  EXPECT_EQ(s->GetPictureFillMode(), 8);
  EXPECT_EQ(s->GetBackgroundPictureID(), p->GetID());
  EXPECT_EQ(SetAttr(s, SymAttr::PictureFillMode, 12), S_OK);
  EXPECT_EQ(s->GetBackgroundPicture(), nullptr);
  EXPECT_EQ(s->GetBrushStyle(), 1);
}

TEST_F(SolidTest, CustomPictureResizesSmallSymbolsOnly) {
  SPictureInfo* p = Picture48();
  ASSERT_NE(p, nullptr);
  TSolid* small = Place<TSolid>(DiagramOwner(), SSymRect(0, 100, 100, 0));
  EXPECT_EQ(small->SetCustomPicture(p), S_OK);
  const SSymSize px = SSymPixelsToUnits(nullptr, SIZE{48, 48});
  EXPECT_EQ(small->m_rect.Width(), px.cx);
  EXPECT_EQ(small->m_rect.Height(), px.cy);
  EXPECT_NEAR(small->m_rect.GetCenter().x, 50, 1);
  EXPECT_NEAR(small->m_rect.GetCenter().y, 50, 1);
  EXPECT_EQ(small->GetCustomPictureType(), SPictureInfo::ptBitmap);
  EXPECT_TRUE(small->GetHasCustomPicture());
  EXPECT_EQ(small->GetSymbolFormType(), 79);
  TSolid* large = Place<TSolid>(DiagramOwner(), SSymRect(0, 3999, 5999, 0));
  large->SetCustomPicture(p);
  EXPECT_EQ(large->m_rect, SSymRect(0, 3999, 5999, 0));
  // The picture takes the place of the shape.
  RecordingDC rec;
  TestCanvas canvas;
  canvas.LockOn(rec.dc, {800, 600});
  large->SetShadowStyle(0, 0);
  large->Draw(canvas);
  canvas.Unlock();
  EXPECT_FALSE(rec.Has("Rectangle("));
  // Removing it clears the type and the text mode.
  large->SetCustomTextMode(3);
  EXPECT_EQ(SetAttr(large, SymAttr::CustomPictureType, 0), S_OK);
  EXPECT_EQ(large->GetCustomPicture(), nullptr);
  EXPECT_EQ(large->GetCustomTextMode(), 0);
}

TEST_F(SolidTest, PredefinedShapes) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  EXPECT_EQ(SetAttr(s, SymAttr::CustomShapeType, 17), 1);  // unknown shape: unchanged
  EXPECT_EQ(s->GetCustomPicture(), nullptr);
  SPictureInfo shape(SPictureInfo::ptSymbol, SString(), 0, SString(u"star"), SBlob());
  shape.SetSymbolType(17);
  SSymSetSymbolPictureFinder([&](int type) { return type == 17 ? &shape : nullptr; });
  EXPECT_EQ(SetAttr(s, SymAttr::CustomShapeType, 17), S_OK);
  EXPECT_EQ(s->GetCustomShapeType(), 17);
  EXPECT_EQ(s->GetCustomPictureFile().GetLength(), 0);
  EXPECT_EQ(s->SetCustomShapeType(0), S_OK);
  EXPECT_EQ(s->GetCustomPicture(), nullptr);
  EXPECT_EQ(s->SetCustomShapeType(0), 1);
  EXPECT_EQ(shape.GetRefCount(), 0u);
}

TEST_F(SolidTest, UnreadablePictureFileChangesNothing) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  SRepVariant v;
  v.SetTEXT(SString(u"/nonexistent/picture.png"));
  EXPECT_TRUE(FAILED(s->SetAttribute(SymAttr::CustomPictureFile, v)));
  EXPECT_TRUE(FAILED(s->SetAttribute(SymAttr::BackgroundPictureFile, v)));
  EXPECT_EQ(s->GetCustomPicture(), nullptr);
  EXPECT_EQ(s->GetBackgroundPicture(), nullptr);
  EXPECT_EQ(s->m_rect, SSymRect(0, 3600, 4800, 0));
}

TEST_F(SolidTest, CubeEdge) {
  struct Case {
    SSymRect rect;
    LONG edge;
  } cases[] = {{SSymRect(0, 999, 999, 0), 600},     {SSymRect(0, 7999, 19999, 0), 1200},
               {SSymRect(0, 8999, 3999, 0), 800},   {SSymRect(0, 0, 0, 0), 600},
               {SSymRect(0, 4999, 4999, 0), 1000},  {SSymRect(4999, 0, 0, 4999), 1000}};
  for (const Case& c : cases) EXPECT_EQ(SSymGet3DCubeEdge(c.rect), c.edge);
}

TEST_F(SolidTest, DarkeningByNestingDepth) {
  SSymDispPref prefs;
  prefs.m_nDarkenPercent = 20;
  SSymAttachDispPref(Diagram(), &prefs);
  TSolidComp* outer = Place<TSolidComp>(DiagramOwner());
  TSolidComp* inner = Make<TSolidComp>(SSymRect(0, 20000, 20000, 0));
  outer->Add(inner->Sym());
  TSolid* child = Make<TSolid>();
  inner->Add(child->Sym());
  const DWORD blue = 0xC08040;
  outer->m_brush.m_color = blue;
  inner->m_brush.m_color = blue;
  SSymColor color(blue);
  ASSERT_EQ(GetDarkenColor(child->Sym(), color), 1);
  double h0, s0, l0, h1, s1, l1;
  SSymColor(blue).GetHSLColor(h0, s0, l0);
  color.GetHSLColor(h1, s1, l1);
  EXPECT_NEAR(l1, l0 * 0.64, 0.01);
  // The nearest composite in another colour stops the walk.
  inner->m_brush.m_color = 0x00FF00;
  SSymColor other(blue);
  EXPECT_EQ(GetDarkenColor(child->Sym(), other), 0);
  EXPECT_EQ(other.GetColor(), blue);
  // A gradient composite counts by its end colour.
  inner->m_brush.m_style = 6;
  inner->m_brush.m_gradientMode = 1;
  inner->m_brush.m_endColor = blue;
  SSymColor grad(blue);
  EXPECT_EQ(GetDarkenColor(child->Sym(), grad), 1);
  // No darkening percentage: nothing.
  prefs.m_nDarkenPercent = 0;
  SSymColor none(blue);
  EXPECT_EQ(GetDarkenColor(child->Sym(), none), 0);
}

TEST_F(SolidTest, ManageTempResizeSetting) {
  struct Case {
    const char16_t* value;
    bool answer;
  } cases[] = {{u"No", true}, {u"NO", true}, {u"no", true}, {u"Yes", false}, {u"", false}, {nullptr, false}};
  SUserRegistry reg(SUserRegistry::sApplicationGeneral);
  for (const Case& c : cases) {
    if (c.value) reg.WriteProfile(SString(u"DisableAdjustOnResize"), SString(c.value));
    else reg.GetUser().DeleteProfile(SString(u"DisableAdjustOnResize"));
    SSymResetManageTempResize();
    EXPECT_EQ(ShouldManageTempResize(), c.answer) << (c.value ? SString(c.value).ToUtf8() : "none");
  }
  reg.GetUser().DeleteProfile(SString(u"DisableAdjustOnResize"));
  SSymResetManageTempResize();
}

TEST_F(SolidTest, AdjustmentToTheText) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  s->SetKeepSize(true);
  EXPECT_EQ(s->AutoAdjustText(1, 1), 0);
  EXPECT_EQ(s->m_rect, SSymRect(0, 3600, 4800, 0));
  s->SetKeepSize(false);
  EXPECT_EQ(s->AutoAdjustText(1, 1), 1);  // the diagram did not adjust it
  // Adjusting to the text clears the manually-resized mark.
  s->m_bManuallyResized = 1;
  SSymDeftCanvas canvas;
  s->AdjustText(canvas, 0, 0);
  EXPECT_EQ(s->m_bManuallyResized, 0);
  EXPECT_EQ(s->GetShadowStyle(), 1);  // put back
  // The adjust record: joined once per symbol.
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(s->CreateUndoAdjust(1), 1);
    EXPECT_EQ(s->CreateUndoAdjust(1), 1);
    ASSERT_EQ(m_session->Current()->GetActionCount(), 1);
    EXPECT_EQ(m_session->Current()->GetAction(0)->m_type, SSymAction_Adjust);
  }
}

TEST_F(SolidTest, NaturalSize) {
  TSolid* s = Place<TSolid>(DiagramOwner(), SSymRect(1000, 1999, 1999, 1000));
  EXPECT_EQ(s->GetNormalSize(), SSymSize(4800, 3600));
  EXPECT_EQ(s->NormalSize(0), S_OK);
  EXPECT_EQ(s->m_rect.Width(), 4800);
  EXPECT_EQ(s->m_rect.Height(), 3600);
  EXPECT_NEAR(s->m_rect.GetCenter().x, 1500, 1);
}

TEST_F(SolidTest, FormatsRoundTrip) {
  TSolid* a = Place<TSolid>(DiagramOwner());
  a->m_brush.m_color = 0x00FF00;
  a->SetKeepAspect(true);
  a->SetAdjust(false, 0);
  SSymFormatEx f;
  a->GetFormat(f);
  EXPECT_EQ(f.m_flags & 0x27B9u, 0x27B9u);
  TSolid* b = Place<TSolid>(DiagramOwner());
  b->SetFormat(f);
  EXPECT_EQ(b->m_brush.m_color.GetColor(), 0x00FF00u);
  EXPECT_TRUE(b->GetKeepAspect());
  EXPECT_EQ(b->IsAdjusted(), 0);
  // A transparent format makes the symbol transparent.
  a->SetFillMode(1);
  SSymFormatEx t;
  a->GetFormat(t);
  EXPECT_EQ(t.m_flags & 0x8u, 0u);
  EXPECT_EQ(t.m_fill, 0);
  b->SetFormat(t);
  EXPECT_EQ(b->GetFillMode(), 0);
  // The custom picture travels in the format.
  SPictureInfo* p = Picture48();
  a->SetCustomPicture(p);
  SSymFormatEx withPicture;
  a->GetFormat(withPicture);
  b->SetFormat(withPicture);
  EXPECT_EQ(b->GetCustomPicture(), p);
}

TEST_F(SolidTest, SolidBlobReadWholeOrNotAtAll) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  SOutputGlobal out;
  SSymOutputStream w(out);
  w << SSymBrush(1, 0, SSymColor(0x0000FF));
  w << SSymPen(2, 150, SSymColor(0x00FF00));
  w << static_cast<LONG>(0x111111) << static_cast<LONG>(0x222222);
  std::vector<BYTE> bytes = out.GetBytes();
  EXPECT_EQ(s->SetBlobData(SBlob(bytes.data(), bytes.size())), S_OK);
  EXPECT_EQ(s->m_brush.m_color.GetColor(), 0x0000FFu);
  EXPECT_EQ(s->m_pen, SSymPen(2, 150, SSymColor(0x00FF00)));
  // Truncated: the result is a failure and the brush stays as it was.
  TSolid* t = Place<TSolid>(DiagramOwner());
  SExceptionDialog::SetQuiet(true);
  bytes.resize(bytes.size() - 3);
  EXPECT_TRUE(FAILED(t->SetBlobData(SBlob(bytes.data(), bytes.size()))));
  SExceptionDialog::SetQuiet(false);
  EXPECT_EQ(t->m_brush.m_color.GetColor(), 0xFFFFFFu);
  EXPECT_EQ(t->m_pen, SSymPen(1, 0, SSymColor(0)));
}

TEST_F(SolidTest, BackgroundPictureIsOneUndoStep) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  SPictureInfo* p = Picture48();
  {
    SRepCreateContext step(Session());
    EXPECT_TRUE(s->SetBackgroundPicture(p));
  }
  EXPECT_EQ(s->GetBackgroundPicture(), p);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(s->GetBackgroundPicture(), nullptr);
  EXPECT_EQ(s->GetBrushStyle(), 1);
  EXPECT_EQ(s->GetPictureFillMode(), 12);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(s->GetBackgroundPicture(), p);
  EXPECT_EQ(s->GetBrushStyle(), 5);
  // In a lockout the picture waits for the apply.
  TSolid* t = Place<TSolid>(DiagramOwner());
  SRepLockoutContext lockout(Session());
  EXPECT_FALSE(t->SetBackgroundPicture(p));
  EXPECT_EQ(t->GetBackgroundPicture(), nullptr);
  EXPECT_EQ(lockout.Apply(), S_OK);
  EXPECT_EQ(t->GetBackgroundPicture(), p);
}

TEST_F(SolidTest, CustomPictureFromAFileIsOneUndoStep) {
  kvtest::TempDir dir("symsolid");
  const std::string path = (dir.path / "symsolid_picture48.png").string();
  {
    RasterDC ras(48, 48);
    ASSERT_TRUE(ras.bitmap.SaveBitmap(SString(path)));
  }
  TSolid* s = Place<TSolid>(DiagramOwner(), SSymRect(0, 999, 999, 0));
  SRepVariant v;
  v.SetTEXT(SString(path));
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(s->SetAttribute(SymAttr::CustomPictureFile, v), S_OK);
  }
  ASSERT_NE(s->GetCustomPicture(), nullptr);
  EXPECT_EQ(s->GetCustomPictureFile().ToUtf8(), path);
  const SSymSize px = SSymPixelsToUnits(nullptr, SIZE{48, 48});
  EXPECT_EQ(s->m_rect.Width(), px.cx);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(s->GetCustomPicture(), nullptr);
  EXPECT_EQ(s->m_rect, SSymRect(0, 999, 999, 0));
}

TEST_F(SolidTest, CopyTakesTheCustomPictureOver) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  SPictureInfo* p = Picture48();
  s->SetCustomPicture(p);
  s->m_brush.m_color = 0x00FF00;
  const ULONG refs = p->GetRefCount();
  {
    TSolid copy(*s);
    EXPECT_EQ(copy.GetCustomPicture(), p);
    EXPECT_EQ(copy.m_brush.m_color.GetColor(), 0x00FF00u);
    EXPECT_EQ(p->GetRefCount(), refs + 1);
  }
  EXPECT_EQ(p->GetRefCount(), refs);
}

TEST_F(SolidTest, DrawingInARectangle) {
  TSolid* s = Place<TSolid>(DiagramOwner());
  RecordingDC rec;
  TestCanvas canvas;
  canvas.LockOn(rec.dc, {800, 600});
  EXPECT_EQ(s->DrawShadowInRect(canvas, SSymRect(100000, 101000, 101000, 100000)), 1);  // not visible there
  EXPECT_EQ(s->DrawShadowInRect(canvas, SSymRect(0, 3600, 4800, 0)), S_OK);
  EXPECT_EQ(s->DrawSymbolInRect(canvas, SSymRect(0, 3600, 4800, 0)), S_OK);
  canvas.Unlock();
  const auto rects = Only(rec.Log(), "Rectangle(");
  const std::vector<std::string> expected = {"Rectangle(404,256,469,305)", "Rectangle(400,252,465,301)"};
  EXPECT_EQ(rects, expected);
}
