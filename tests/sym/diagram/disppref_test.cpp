#include <gtest/gtest.h>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sregistry.h"
#include "support/diagram_fixture.h"

namespace {
using DispPrefTest = DiagramFixture;

SString Stored(SSymDiagramImpl* d) { return d->GetDispPrefSave(); }

TDispPref* Prefs(TPrefDiagram* d) { return static_cast<TDispPref*>(d->GetDispPrefPtr()); }

SString RegText(const char16_t* key, const char16_t* name) {
  SRegistry reg;
  SString v;
  if (reg.Init(HKEY_CURRENT_USER, SString(key), 0) < 0) return SString(u"<no key>");
  if (reg.GetProfile(SString(name), v, SString(u"<no value>")) != ERROR_SUCCESS) return SString(u"<no value>");
  return v;
}
}  // namespace

TEST_F(DispPrefTest, DefaultsAfterInitialisationAndAnEmptyText) {
  EXPECT_EQ(NewDiagram<SSymDiagram>()->GetDispPrefPtr(), nullptr);  // the base type makes none
  TPrefDiagram* d = NewDiagram();
  SSymDispPref* p = d->GetDispPrefPtr();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(d->GetDispPrefPtr(), p);  // made once
  EXPECT_EQ(p->GetSnapGrid(), 0);
  EXPECT_TRUE(p->GetConstrainLabels());
  EXPECT_EQ(p->GetShowPage(), 1);
  EXPECT_EQ(p->GetGridSize(), 0);
  EXPECT_EQ(p->GetGraphUnit(), 2);
  EXPECT_EQ(p->GetWinColor(), 0xFFFFFFu);
  EXPECT_EQ(p->GetDrawBackMode(), 8);
  EXPECT_EQ(p->GetShowSwimlane(), 0);
  EXPECT_EQ(p->GetSwimlaneVert(), 1);
  EXPECT_EQ(p->GetTreeVert(), 0);
  EXPECT_EQ(SSymDispPref().GetTreeOrientation(), 0);  // before any initialisation too
  EXPECT_EQ(p->GetWrapMode(), 2);
  EXPECT_EQ(p->GetTruncLen(), 40u);
  EXPECT_EQ(p->GetWrapLen(), 40u);
  EXPECT_EQ(p->GetWrapText(), SSymDispPref::DefaultWordText());
  EXPECT_EQ(SSymDispPref::DefaultWordText().GetLength(), 28);
  EXPECT_EQ(SSymDispPref::DefaultWordText().FindOneOf(SString(u"([{<")), -1);
  const int shortcuts[] = {p->GetShortcutInIcon(),     p->GetShortcutInLoct(),      p->GetShortcutInFullPath(),
                           p->GetShortcutInLastPckg(), p->GetShortcutExIcon(),      p->GetShortcutExLoct(),
                           p->GetShortcutExFullPath(), p->GetShortcutExLastPckg(), p->GetShortcutExIncludeModl()};
  const int expected[] = {1, 1, 0, 1, 1, 0, 0, 1, 1};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(shortcuts[i], expected[i]) << i;
  // The empty attribute received the whole text of the declared values.
  const SString text = Stored(d);
  EXPECT_EQ(text, p->GetOptsText());
  EXPECT_NE(text.Find(SString(u"[General]")), -1);
  EXPECT_NE(text.Find(SString(u"Window color=255, 255, 255")), -1);
  // A text of white space loads as an empty one.
  d->SetAttribute(SSymDiagramMem::IdDispPrefSave, SRepVariant::Text(SString(u" \r\n\t ")));
  EXPECT_EQ(p->Load(), S_OK);
  EXPECT_EQ(Stored(d), text);
  EXPECT_EQ(SSymDispPref(nullptr).Load(), E_POINTER);
}

// SetValue refreshes the cached member only for the diagram's own value.
TEST_F(DispPrefTest, SetValueCachesByKey) {
  TPrefDiagram* d = NewDiagram();
  TDispPref* p = Prefs(d);
  EXPECT_EQ(p->SetValue(u"General", u"Grid size", 500L, 1), 0);  // the user's default
  EXPECT_EQ(p->GetGridSize(), 0);
  EXPECT_EQ(RegText(u"DisplayPreferences\\TST\\General", u"Grid size"), u"500");
  EXPECT_EQ(p->SetValue(u"General", u"Grid size", 250L, 0), 0);
  EXPECT_EQ(p->GetGridSize(), 250);
  EXPECT_EQ(p->IsChanged(), 1);
  p->SetValue(u"General", u"Activate automatic link routing", 5, 0);
  EXPECT_EQ(p->GetAutoRouting(), 1);
  p->m_autorouting = 0;
  p->SetValue(u"General", u"Activate automatic link routing", 5, 0);
  EXPECT_EQ(p->GetAutoRouting(), 0);
  p->SetValue(u"General", u"Show Swimlane", 1, 0);
  EXPECT_EQ(p->GetShowSwimlane(), 0);  // no swimlanes in this type
  p->SetValue(u"General", u"CompDark", 30L, 0);
  EXPECT_EQ(p->GetDarkenPercent(), 30);
  p->SetValue(u"General", u"Window color", SString(u"0, 128, 255"), 0);
  EXPECT_EQ(p->GetWinColor(), RGB(0, 128, 255));
  p->SetValue(u"Object", u"Word Text", SString(u"  ;,\t\r\n"), 0);
  EXPECT_EQ(p->GetWrapText(), u";,");
  p->SetValue(u"Object", u"Shortcut ExtLoct", 1, 0);
  EXPECT_EQ(p->GetShortcutExLoct(), 1);
  // Another section's key of the same name caches nothing.
  p->SetValue(u"Other", u"Grid size", 7L, 0);
  EXPECT_EQ(p->GetGridSize(), 250);
  // A diagram named "tmp" is a preview: vertical swimlanes whatever is stored.
  p->SetValue(u"General", u"SwimlaneVert", 0, 0);
  EXPECT_EQ(p->GetSwimlaneVert(), 0);
  d->SetName(SString(u"tmp"));
  EXPECT_EQ(p->IsPreview(), 1);
  EXPECT_EQ(p->GetSwimlaneVert(), 1);
}

TEST_F(DispPrefTest, TextRoundTripsThroughTheDiagramAndAChangeReloads) {
  TPrefDiagram* d = NewDiagram();
  TDispPref* p = Prefs(d);
  p->SetValue(u"General", u"Grid size", 360L, 0);
  p->SetValue(u"General", u"Snap Grid", 1, 0);
  p->SetValue(u"General", u"Background image", SString(u" C:\\pics\\back ground.png"), 0);
  p->SetValue(u"Object", u"Word Text", SString(u"-_"), 0);
  ASSERT_EQ(p->Save(), S_OK);
  const SString text = Stored(d);
  TPrefDiagram* other = NewDiagram();
  other->SetAttribute(SSymDiagramMem::IdDispPrefSave, SRepVariant::Text(text));
  TDispPref* q = Prefs(other);
  EXPECT_EQ(q->GetGridSize(), 360);
  EXPECT_EQ(q->GetSnapGrid(), 1);
  EXPECT_EQ(q->GetBackBitmapFile(), u" C:\\pics\\back ground.png");
  EXPECT_EQ(q->GetWrapText(), u"-_");
  EXPECT_EQ(q->GetOptsText(), p->GetOptsText());
  // A new text in the attribute reaches the cached values.
  SString changed = text;
  changed.Replace(SString(u"Grid size=360"), SString(u"Grid size=720"));
  other->SetAttribute(SSymDiagramMem::IdDispPrefSave, SRepVariant::Text(changed));
  EXPECT_EQ(q->GetGridSize(), 720);
}

// A damaged text keeps what was read before the damage and answers the failure.
TEST_F(DispPrefTest, DamagedTextKeepsEarlierValuesAndFails) {
  SExceptionDialog::SetQuiet(true);
  SExceptionDialog::ClearLog();
  TPrefDiagram* d = NewDiagram();
  TDispPref* p = Prefs(d);
  d->SetAttribute(SSymDiagramMem::IdDispPrefSave,
                  SRepVariant::Text(SString(u"[General]\nDisplay Grid=Yes\nGrid size=300\nSnap Grid=garbage\n"
                                            u"Show Page Delimiter=No\n")));
  EXPECT_EQ(p->Load(), E_FAIL);
  p->InitBuffers();
  EXPECT_EQ(p->GetGridSize(), 300);
  EXPECT_EQ(p->GetDisplayGrid(), 1);
  EXPECT_EQ(p->GetShowPage(), 1);  // after the damage: unchanged
  EXPECT_EQ(p->IsLoading(), 0);
  EXPECT_FALSE(SExceptionDialog::Log().empty());
  SExceptionDialog::ClearLog();
  SExceptionDialog::SetQuiet(false);
}

// The user's older defaults move once per module code to the new layout,
// string values only, never over a newer key.
TEST_F(DispPrefTest, OlderRegistryKeysMigrateOncePerModule) {
  {
    SRegistry old(HKEY_CURRENT_USER, SString(u"DisplayPreferences\\General"), 1);
    old.WriteProfile(SString(u"Grid size"), SString(u"300"));
    old.WriteProfile(SString(u"Snap Grid"), 1L);  // a DWORD: not taken
    SRegistry sym(HKEY_CURRENT_USER, SString(u"DisplayPreferences\\Symbol\\Entity"), 1);
    sym.WriteProfile(SString(u"Format"), SString(u"bold"));
    SRegistry newer(HKEY_CURRENT_USER, SString(u"DisplayPreferences\\TST\\Object"), 1);
    newer.WriteProfile(SString(u"Mode"), SString(u"1"));
    SRegistry oldObject(HKEY_CURRENT_USER, SString(u"DisplayPreferences\\Object"), 1);
    oldObject.WriteProfile(SString(u"Mode"), SString(u"0"));
    oldObject.WriteProfile(SString(u"Trunc Length"), SString(u"12"));
  }
  TDispPref* p = Prefs(NewDiagram());
  EXPECT_EQ(RegText(u"DisplayPreferences\\TST\\General", u"Grid size"), u"300");
  EXPECT_EQ(RegText(u"DisplayPreferences\\TST\\General", u"Snap Grid"), u"<no value>");
  EXPECT_EQ(RegText(u"DisplayPreferences\\TST\\Symbol\\Entity", u"Format"), u"bold");
  EXPECT_EQ(RegText(u"DisplayPreferences\\TST\\Object", u"Mode"), u"1");  // the newer key stays
  EXPECT_EQ(RegText(u"DisplayPreferences\\TST\\Object", u"Trunc Length"), u"<no value>");
  EXPECT_EQ(p->GetWrapMode(), 1);
  // A second diagram of the module does not look again.
  SRegistry(HKEY_CURRENT_USER, SString(u"DisplayPreferences\\TST\\General"), 1).DeleteProfile(SString(u"Grid size"));
  Prefs(NewDiagram());
  EXPECT_EQ(RegText(u"DisplayPreferences\\TST\\General", u"Grid size"), u"<no value>");
  // Another module code migrates on its own.
  TPrefDiagram* other = NewDiagram();
  other->m_module = SString(u"OTH");
  Prefs(other);
  EXPECT_EQ(RegText(u"DisplayPreferences\\OTH\\General", u"Grid size"), u"300");
}

TEST_F(DispPrefTest, CompositeViewMenuOnlyForComposites) {
  TDispPref* p = Prefs(NewDiagram());
  int flag = 7;
  EXPECT_EQ(p->HaveCompViewMenu(nullptr, flag), 0);
  EXPECT_EQ(p->HaveCompViewMenu(Make<TSym>()->Sym(), flag), 0);
  EXPECT_EQ(flag, 7);
  EXPECT_EQ(p->HaveCompViewMenu(Make<TComp>()->Sym(), flag), 1);
  EXPECT_EQ(flag, 0);
  ISRepObject* out = nullptr;
  EXPECT_EQ(SSymDispPref(nullptr).GetDiagram(&out), E_POINTER);
}
