// The predefined-shape symbol: creation through the class functions, drawing
// and hit tests handed to its shape, and the fallbacks of a type without one.
#include <gtest/gtest.h>

#include "sym/shapes/sympredefined.h"
#include "sym/shapes/symshapemap.h"
#include "support/recording_canvas.h"
#include "support/symtest.h"

namespace {
class PredefinedSymbol : public SymFixture {
 protected:
  SSymPredefined* Create(int type, const SSymRect& rect = SSymRect(0, 4799, 5999, 0)) {
    void* p = nullptr;
    EXPECT_EQ(m_session->CreateObject(CLSID_SSymPredefined, IID_ISRepObject, &p), S_OK);
    auto* obj = static_cast<ISRepObject*>(p);
    m_own.push_back(obj);
    auto* s = dynamic_cast<SSymPredefined*>(SRepObject::FromInterface(obj));
    EXPECT_NE(s, nullptr);
    if (!s) return nullptr;
    s->m_rect = rect;
    s->m_shadowStyle = 0;
    s->SetSymbolType(type);
    return s;
  }
  void TearDown() override {
    for (ISRepObject* o : m_own) o->Release();
    SymFixture::TearDown();
  }
  std::vector<ISRepObject*> m_own;
};
}  // namespace

TEST_F(PredefinedSymbol, CreatedWithTypeZeroAndCopiesKeepTheType) {
  SSymPredefined* s = Create(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetSymbolType(), 0);
  s->SetSymbolType(25);
  ISRepObject* copy = nullptr;
  ASSERT_EQ(SSymPredefined::CreateInstance(&copy, nullptr, s), S_OK);
  EXPECT_EQ(SSymBase::FromInterface(copy)->GetSymbolType(), 25);
  copy->Release();
  EXPECT_EQ(s->HasAttribute(0x020100b4), S_OK);
}

TEST_F(PredefinedSymbol, TypesWithoutAShapeDrawNothingAndAreNotHit) {
  for (int type : {0, 17, 9999}) {
    SSymPredefined* s = Create(type);
    ASSERT_NE(s, nullptr);
    s->m_text = SString("hello");
    RecordingCanvas canvas;
    canvas.ClearCalls();
    EXPECT_EQ(s->DrawSymbol(canvas), S_OK);
    EXPECT_TRUE(canvas.Calls().empty()) << type;
    EXPECT_EQ(s->IsPtInSym(canvas, {3000, 2400}, nullptr, nullptr), 0);
    EXPECT_EQ(s->GetMargin(), SSymRect(0, 0, 0, 0));
    EXPECT_EQ(s->IsLinkPtInSym(canvas, {3000, 2400}, nullptr, 0), 0);
  }
}

TEST_F(PredefinedSymbol, DrawsAndHitsThroughItsShape) {
  SSymPredefined* s = Create(25);
  ASSERT_NE(s, nullptr);
  RecordingCanvas canvas;
  canvas.ClearCalls();
  s->DrawSymbol(canvas);
  EXPECT_EQ(canvas.Only("Polygon").size(), 1u);
  EXPECT_EQ(s->IsPtInSym(canvas, {3000, 2400}, nullptr, nullptr), 1);
  EXPECT_EQ(s->IsPtInSym(canvas, {300, 4500}, nullptr, nullptr), 0);
  // Transparent: the outline only, and the middle is no hit.
  s->Flags |= SSymBase::FlagTransparent;
  canvas.ClearCalls();
  s->DrawSymbol(canvas);
  EXPECT_EQ(canvas.Only("Polygon").size(), 0u);
  EXPECT_EQ(canvas.Only("Polyline").size(), 1u);
  SSymPredefined* rect = Create(3);
  rect->Flags |= SSymBase::FlagTransparent;
  EXPECT_EQ(rect->IsPtInSym(canvas, {3000, 2400}, nullptr, nullptr), 0);
  // Not shown in any view: no margins even with a shape.
  EXPECT_EQ(s->GetMargin(), SSymRect(0, 0, 0, 0));
}
