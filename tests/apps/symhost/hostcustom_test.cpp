// Custom symbol formats through the host's model objects: which format a
// symbol shows, a changed format applied to several symbols as one undo
// step with the modification date set, and the inputs that change nothing.
#include <gtest/gtest.h>

#include "apps/symhost/hostcustom.h"
#include "apps/symhost/samplediagram.h"
#include "sym/shapes/symcustomsymbol.h"
#include "win/winreg.h"

namespace {
using Helper = SSymCustomSymbolHelper;

class HostCustom : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    m_holder = std::make_unique<SHostDiagram>();
    m_model = new SHostCustomObject(Session());
    m_model->AddRef();
    m_model->SetSession(Session());
    m_format = new SHostCustomFormat(Session());
    m_format->AddRef();
    m_format->SetSession(Session());
  }
  void TearDown() override {
    m_model->SetCustomFormat(nullptr);
    m_format->Release();
    m_model->Release();
    m_holder.reset();
    KvRegReset();
  }
  ISRepSession* Session() { return m_holder->Session(); }
  SHostCustomRect* NewSymbol(LONG x = 0) {
    auto* s = new SHostCustomRect(Session(), SSymRect(x, 3600, x + 4800, 0), m_model);
    s->AddRef();
    s->SetSession(Session());
    m_holder->Adopt(s->Sym());
    return s;
  }
  static SSymFormatEx Custom(DWORD color) {
    SSymFormatEx f;
    f.m_pen = SSymPen(1, 40, SSymColor(color));
    f.m_flags = SSymFormatEx::FlagPen;
    return f;
  }
  static DWORD PenColor(SHostCustomRect* s) {
    SSymFormatEx f;
    s->Sym()->GetFormat(f);
    return f.m_pen.GetColor().GetColor();
  }
  int UndoSteps() { return static_cast<SRepSession*>(Session())->GetUndoCount(); }

  std::unique_ptr<SHostDiagram> m_holder;
  SHostCustomObject* m_model = nullptr;
  SHostCustomFormat* m_format = nullptr;
};

TEST_F(HostCustom, SymbolShowsTheCustomFormatElseItsClassDefault) {
  SHostCustomRect* s = NewSymbol();
  SSymFormat def;
  def.m_pen = SSymPen(1, 0, SSymColor(0x00FF00));
  SSymFormat custom;
  custom.m_pen = SSymPen(1, 0, SSymColor(0x0000FF));
  struct Case {
    const char* name;
    bool keepCustom, keepDefault;
    HRESULT result;
    DWORD color;
  } cases[] = {
      {"neither", false, false, S_FALSE, 0x123456},
      {"default only", false, true, S_OK, 0x00FF00},
      {"custom first", true, true, S_OK, 0x0000FF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_model->SetCustomFormat(c.keepCustom ? m_format : nullptr);
    if (c.keepCustom) m_format->Keep(custom, nullptr, nullptr);
    if (c.keepDefault) m_holder->Model()->GetDispPrefPtr()->SetClassSymbolFormat(CLSID_SSymRectangle, def);
    SSymFormat out;
    out.m_pen = SSymPen(1, 0, SSymColor(0x123456));
    EXPECT_EQ(Helper::GetSymbolFormat(s->Sym(), out), c.result);
    EXPECT_EQ(out.m_pen.GetColor().GetColor(), c.color);
  }
  // No object, or an object that is no symbol, names no symbol.
  SSymFormat out;
  EXPECT_EQ(Helper::GetCustomSymbolFormat(nullptr, out), E_POINTER);
  EXPECT_EQ(Helper::GetCustomSymbolFormat(static_cast<ISRepObjectBase*>(m_model), out), E_POINTER);
  // A symbol that shows no model object has no custom format.
  SHostBox* box = m_holder->AddBox(SSymRect(0, 720, 720, 0));
  EXPECT_EQ(Helper::GetCustomSymbolFormat(box->Sym(), out), S_FALSE);
  EXPECT_EQ(Helper::RegisterCustomSymbol(box->Sym()), S_FALSE);
  EXPECT_EQ(Helper::RegisterCustomSymbol(s->Sym()), S_OK);
  EXPECT_EQ(m_format->GetRegisteredCount(), 1);
}

TEST_F(HostCustom, CustomFormatOnSeveralSymbolsIsOneUndoStepAndStampsTheModel) {
  std::vector<SHostCustomRect*> symbols{NewSymbol(0), NewSymbol(6000), NewSymbol(12000)};
  const DWORD before = PenColor(symbols[0]);
  const int steps = UndoSteps();
  const SString text(u"custom");
  {
    SRepCreateContext step(Session());
    for (SHostCustomRect* s : symbols) EXPECT_EQ(Helper::OnChangeCustomFormat(s->Sym(), Custom(0x0000FF), &text), S_OK);
  }
  EXPECT_EQ(UndoSteps(), steps + 1);
  EXPECT_NE(m_model->m_modified, 0);
  for (SHostCustomRect* s : symbols) {
    EXPECT_EQ(PenColor(s), 0x0000FFu);
    EXPECT_EQ(s->m_customText, SString(u"custom"));
  }
  ASSERT_EQ(Session()->Undo(), S_OK);
  for (SHostCustomRect* s : symbols) EXPECT_EQ(PenColor(s), before);
  ASSERT_EQ(Session()->Redo(), S_OK);
  for (SHostCustomRect* s : symbols) EXPECT_EQ(PenColor(s), 0x0000FFu);
}

TEST_F(HostCustom, TakeTheSizeResizesTheSymbolAndUndoPutsItBack) {
  SHostCustomRect* s = NewSymbol();
  const SSymRect before = s->m_rect;
  SSymFormatEx f = Custom(0x0000FF);
  f.m_flags |= SSymFormatEx::FlagSize1;
  f.m_size = SSymSize(7200, 1800);
  const SString noText;
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(Helper::OnChangeCustomFormat(s->Sym(), f, &noText), S_OK);
  }
  SSymRect r = s->Sym()->GetClipRect(0, 0);
  EXPECT_EQ(r.Width(), 7200);
  EXPECT_EQ(r.Height(), 1800);
  ASSERT_EQ(Session()->Undo(), S_OK);
  EXPECT_EQ(s->m_rect, before);
}

TEST_F(HostCustom, MissingTextsAndUnchangedFormatsChangeNothing) {
  SHostCustomRect* s = NewSymbol();
  // A kept format without its texts: asking for them fails and fills nothing.
  m_model->SetCustomFormat(m_format);
  m_format->Keep(Custom(0x0000FF), nullptr, nullptr);
  SSymFormat out;
  SString text(u"unchanged"), option(u"unchanged");
  EXPECT_EQ(Helper::GetCustomSymbolFormat(s->Sym(), out, &text, &option), E_FAIL);
  EXPECT_EQ(out.m_pen.GetColor().GetColor(), SSymFormat().m_pen.GetColor().GetColor());
  EXPECT_EQ(text, SString(u"unchanged"));

  SSymFormatEx shown;
  s->Sym()->GetFormat(shown);
  const SString same(u"");
  struct Case {
    const char* name;
    SSymFormatEx format;
    const SString* text;
    HRESULT result;
  } cases[] = {
      {"a change without its text", Custom(0x0000FF), nullptr, E_POINTER},
      {"the format shown already", shown, &same, S_FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int steps = UndoSteps();
    const DWORD color = PenColor(s);
    {
      SRepCreateContext step(Session());
      EXPECT_EQ(Helper::OnChangeCustomFormat(s->Sym(), c.format, c.text), c.result);
    }
    EXPECT_EQ(PenColor(s), color);
    EXPECT_EQ(m_model->m_modified, 0);
    EXPECT_EQ(UndoSteps(), steps);
  }
}

TEST_F(HostCustom, DefaultFormatOfTheClassIsAppliedWithoutItsSize) {
  SHostCustomRect* s = NewSymbol();
  const SSymRect before = s->m_rect;
  EXPECT_EQ(Helper::OnChangeDefaultFormat(s->Sym()), S_FALSE);  // nothing kept for the class
  SSymFormat def;
  def.m_pen = SSymPen(1, 0, SSymColor(0x00FF00));
  m_holder->Model()->GetDispPrefPtr()->SetClassSymbolFormat(CLSID_SSymRectangle, def);
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(Helper::OnChangeDefaultFormat(s->Sym()), S_OK);
  }
  EXPECT_EQ(PenColor(s), 0x00FF00u);
  EXPECT_EQ(s->m_rect, before);
  EXPECT_NE(m_model->m_modified, 0);
}

}  // namespace
