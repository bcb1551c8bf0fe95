#include <gtest/gtest.h>

#include "apps/symhost/samplediagram.h"
#include "win/winreg.h"

// The model diagram of the main job holds the sample sheet in drawing order,
// with the host's preferences.
TEST(HostDiagram, ModelDiagramHoldsTheSheetWithTheHostsPreferences) {
  KvRegReset();
  SHostDiagram holder;
  SHostModelDiagram* model = holder.Model();
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->GetName().Find(SString(u"Diagram ")), 0);
  SBuildSampleDiagram(holder);
  ASSERT_EQ(model->GetCount(), static_cast<int>(holder.Symbols().size()));
  for (std::size_t i = 0; i < holder.Symbols().size(); ++i)
    EXPECT_EQ(model->GetPos(holder.Symbols()[i]), static_cast<int>(i));
  SSymDispPref* prefs = model->GetDispPrefPtr();
  ASSERT_NE(prefs, nullptr);
  EXPECT_EQ(prefs->GetModuleCode(), u"HOST");
  EXPECT_EQ(prefs->GetRegistryPath(), u"DisplayPreferences\\HOST");
  EXPECT_EQ(prefs->GetShowSwimlane(), 1);  // supported, and on by default
  prefs->SetValue(u"General", u"Show Swimlane", 0, 0);
  EXPECT_EQ(prefs->GetShowSwimlane(), 0);  // and the user may switch them off
  EXPECT_FALSE(model->GetDispPrefSave().IsEmpty());
  // A new symbol attached with the defaults takes the host's look.
  SHostBox* box = new SHostBox(holder.Session(), SSymRect(0, 720, 720, 0));
  box->AddRef();
  box->SetSession(holder.Session());
  model->AttachSymbol(box->Sym(), 1);
  SSymFormatEx format;
  box->Sym()->GetFormat(format);
  EXPECT_EQ(format.m_pen.GetColor().GetColor(), static_cast<DWORD>(RGB(0x40, 0x40, 0x40)));
  EXPECT_EQ(model->GetPos(box->Sym()), model->GetCount() - 1);
  box->Release();
  KvRegReset();
}
