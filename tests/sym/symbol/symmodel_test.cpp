// Symbols of model objects and the repository's view of symbols: protection
// under a permission profile, display names that start from the repository
// class name, icon indexes, the consistency check, the session's live-symbol
// counter and the custom colours that formats register.
#include <vector>

#include "kvcore/scolordlg.h"
#include "kvcore/sexceptiondlg.h"
#include "kvrep/sreppermprofile.h"
#include "support/symsolid_fixture.h"

namespace {

// A solid symbol of a given persistent class (its class identifier decides
// its repository class name and icon), optionally showing a model object.
class TModelSym : public SRepFaces<TModelSym, TSolid, SRepFaceIf<ISSymObject>> {
 public:
  TModelSym(ISRepSession* s, const CLSID& clsid, int type = 3) : SRepFaces(s), m_type(type) { SetCLSID(clsid); }
  bool AnswersFace(SRepFaceTag<ISSymObject>) const { return m_bShows; }
  SRepRegistry* GetRegistry() const override {
    CLSID id;
    const_cast<TModelSym*>(this)->GetCLSID(&id);
    return SRepRegistry::Find(id);
  }
  int GetSymbolType() override { return m_type; }
  HRESULT GetModelObject(ISRepObject** out) override {
    *out = m_model.Get();
    if (*out) (*out)->AddRef();
    return *out ? S_OK : S_FALSE;
  }
  std::uintptr_t GetIdent() override { return 0; }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}

  int m_type;
  bool m_bShows = false;  // answers ISSymObject
  SComWrap<ISRepObject, &IID_ISRepObject> m_model;
};

inline constexpr CLSID kUnknownClass = MakeGUID("{0BADC1A5-0000-4000-8000-000000000001}");

class SymModel : public SolidFixture {
 protected:
  TModelSym* Sym(const CLSID& clsid, int type = 3) {
    TModelSym* t = Make<TModelSym>(clsid, type);
    DiagramOwner()->Add(t->Sym());
    return t;
  }
  // A model object in a session of its own (read-only on request).
  ISRepObject* Model(SRepSession* session) {
    TSym* m = new TSym(static_cast<ISRepSession*>(session));
    m->AddRef();
    m->SetSession(session);
    m_models.push_back(m);
    return m->Obj();
  }
  void TearDown() override {
    for (SRepObject* m : m_models) m->Release();
    SolidFixture::TearDown();
  }
  std::vector<SRepObject*> m_models;
};

TEST_F(SymModel, ProtectedUnderAPermissionProfile) {
  TModelSym* s = Sym(CLSID_SSymRectangle);
  SRepSession* other = new SRepSession();
  other->AddRef();
  ISRepObject* model = Model(other);
  s->m_model = model;

  // No profile: a model object in a read-only session protects nothing.
  other->SetReadOnly(TRUE);
  s->m_bShows = true;
  ASSERT_EQ(g_pPermProfileIntf, nullptr);
  EXPECT_FALSE(s->IsProtected());

  SRepPermProfile profile;
  {
    SRepPermProfileScope active(&profile);
    EXPECT_TRUE(s->IsProtected()) << "the model object's session is read-only";
    EXPECT_TRUE(s->GetProtected());
    other->SetReadOnly(FALSE);
    EXPECT_FALSE(s->IsProtected());
    profile.SetReadOnly(model, true);
    EXPECT_TRUE(s->IsProtected()) << "the profile's object test";
    s->m_bShows = false;
    EXPECT_FALSE(s->IsProtected()) << "a symbol that shows no model object keeps its own flag";
    s->m_bShows = true;
    s->m_model = nullptr;
    EXPECT_FALSE(s->IsProtected()) << "no model object behind the symbol";
    s->Flags |= SSymBase::FlagProtected;
    EXPECT_TRUE(s->IsProtected());
  }
  EXPECT_EQ(g_pPermProfileIntf, nullptr) << "the scope puts the earlier profile back";
  s->m_model = nullptr;
  other->Release();
}

TEST(SymModelProfile, ObjectTestAndScopes) {
  SRepSession* session = new SRepSession();
  session->AddRef();
  TSym* a = new TSym(session);
  a->AddRef();
  SRepPermProfile profile;
  EXPECT_EQ(profile.IsObjectReadOnly(nullptr), 0);
  EXPECT_EQ(profile.IsObjectReadOnly(a->Obj()), 0);
  profile.SetReadOnly(a->Sym() ? a->Obj() : nullptr, true);
  profile.SetReadOnly(a->Obj(), true);  // once
  EXPECT_EQ(profile.IsObjectReadOnly(a->Obj()), 1);
  profile.SetReadOnly(a->Obj(), false);
  EXPECT_EQ(profile.IsObjectReadOnly(a->Obj()), 0);
  profile.SetAllReadOnly(true);
  EXPECT_EQ(profile.IsObjectReadOnly(a->Obj()), 1);
  EXPECT_EQ(profile.IsObjectReadOnly(nullptr), 0);
  {
    SRepPermProfileScope outer(&profile);
    {
      SRepPermProfileScope none(nullptr);
      EXPECT_EQ(g_pPermProfileIntf, nullptr);
    }
    EXPECT_EQ(g_pPermProfileIntf, &profile);
  }
  EXPECT_EQ(g_pPermProfileIntf, nullptr);
  {
    // A profile that goes while active leaves no profile behind.
    auto* gone = new SRepPermProfile();
    g_pPermProfileIntf = gone;
    delete gone;
    EXPECT_EQ(g_pPermProfileIntf, nullptr);
  }
  a->Release();
  session->Release();
}

// Display names and icons by class: the class name of a class users see
// comes first; base classes and unknown classes fall back on the symbol type.
struct NameCase {
  const char* name;
  CLSID clsid;
  int type;
  const char* text;  // the symbol's text ("" for none)
  const char* dispName;
  int icon;
};
class SymModelNames : public SymModel, public ::testing::WithParamInterface<NameCase> {};

TEST_P(SymModelNames, DisplayNameAndIcon) {
  const NameCase& c = GetParam();
  TModelSym* s = Sym(c.clsid, c.type);
  EXPECT_EQ(s->GetDispName().ToUtf8(), c.dispName);
  EXPECT_EQ(s->GetName(), s->GetDispName());
  EXPECT_EQ(s->GetIconIndex(), c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, SymModelNames,
    ::testing::Values(NameCase{"Rectangle", CLSID_SSymRectangle, 5, "", "Rectangle", 8},
                      NameCase{"Ellipse", CLSID_SSymEllipse, 3, "", "Ellipse", 9},
                      NameCase{"RoundRect", CLSID_SSymRoundRect, 3, "", "Round Rectangle", 10},
                      NameCase{"Bitmap", CLSID_SSymBitmap, 3, "", "Bitmap", 16},
                      NameCase{"BaseClassUsesType", CLSID_SSymSolid, 5, "", "Ellipse", 18},
                      NameCase{"UnknownClassUsesType", kUnknownClass, 7, "", "Text", -1},
                      NameCase{"UnknownType", kUnknownClass, 42, "", "Unknown Symbol", -1}),
    CaseName());

TEST_F(SymModel, DisplayNameAddsTheText) {
  // A text symbol of a class users see: the class name, then its text.
  class TTextOf : public TRich {
   public:
    explicit TTextOf(ISRepSession* s) : TRich(s) { SetCLSID(CLSID_SSymText); }
    SRepRegistry* GetRegistry() const override { return SRepRegistry::Find(CLSID_SSymText); }
  };
  TTextOf* t = Make<TTextOf>();
  t->m_text = SString("two\nlines");
  EXPECT_EQ(t->GetDispName().ToUtf8(), "Text: two lines");
  EXPECT_EQ(t->GetIconIndex(), 5);
  EXPECT_EQ(t->GetObjShortName().ToUtf8(), "Text: two lines") << "named by its Name attribute";
}

TEST_F(SymModel, IconOfAModelObjectOfAnotherClass) {
  TModelSym* s = Sym(CLSID_SSymEllipse);
  s->m_bShows = true;
  s->m_model = Model(m_session);  // a symbol of the base class: another class definition
  EXPECT_EQ(s->GetIconIndex(), 9) << "the symbol's own class decides";
  s->m_model = s->Obj();  // the same class definition
  EXPECT_EQ(s->GetIconIndex(), 9);
  s->m_model = nullptr;
}

TEST_F(SymModel, ConsistencyCheckMessages) {
  SStringTable messages;
  TModelSym* placed = Sym(CLSID_SSymRectangle);
  EXPECT_EQ(placed->InternalAutoFix(messages, 1), 0);
  EXPECT_EQ(messages.GetCount(), 0);

  TModelSym* loose = Make<TModelSym>(CLSID_SSymEllipse, 5);
  EXPECT_EQ(loose->InternalAutoFix(messages, 0), 0);
  ASSERT_EQ(messages.GetCount(), 1);
  EXPECT_EQ(messages.GetAt(0).ToUtf8(), "The symbol Ellipse must have a diagram");

  // Two parents: the symbol is in the diagram and in a group.
  messages.RemoveAll();
  TComp* group = Place<TComp>(DiagramOwner());
  group->Add(placed->Sym());
  EXPECT_EQ(placed->InternalAutoFix(messages, 0), 0);
  EXPECT_EQ(messages.GetCount(), 0) << "parents are checked only when asked";
  EXPECT_EQ(placed->InternalAutoFix(messages, 1), 0);
  ASSERT_EQ(messages.GetCount(), 1);
  EXPECT_EQ(messages.GetAt(0).ToUtf8(), "An object (symbol) should not have more than one parent (Rectangle)");
}

TEST_F(SymModel, LiveSymbolCounterFollowsSymbols) {
  const int before = m_session->GetLiveSymbolCount();
  TSolid* a = new TSolid(Session());
  a->AddRef();
  TSolid* b = new TSolid(Session(), 0);  // the session constructor
  b->AddRef();
  EXPECT_EQ(m_session->GetLiveSymbolCount(), before + 2);
  TSolid* copy = new TSolid(*a);  // a copy has no session: not counted
  copy->AddRef();
  EXPECT_EQ(m_session->GetLiveSymbolCount(), before + 2);
  copy->Release();
  EXPECT_EQ(m_session->GetLiveSymbolCount(), before + 2) << "a copy takes back nothing";
  b->Release();
  EXPECT_EQ(m_session->GetLiveSymbolCount(), before + 1);
  a->Release();
  EXPECT_EQ(m_session->GetLiveSymbolCount(), before);

  TSolid none(nullptr);  // no session: nothing to count
  none.AddRef();

  // A symbol that outlives its session takes nothing back from it.
  SRepSession* gone = new SRepSession();
  gone->AddRef();
  TSolid* orphan = new TSolid(static_cast<ISRepSession*>(gone));
  orphan->AddRef();
  EXPECT_EQ(gone->GetLiveSymbolCount(), 1);
  gone->Release();
  orphan->Release();
}

TEST_F(SymModel, BlobFailureNamesTheSymbol) {
  // A symbol whose picture data cannot be stored.
  class TBadBlob : public TStd {
   public:
    using TStd::TStd;
    HRESULT SetBlobData(const SBlob&) override { throw SException(SString("unreadable"), SString("@here")); }
  };
  TBadBlob* s = Make<TBadBlob>();
  SExceptionDialog::SetQuiet(true);
  SExceptionDialog::ClearLog();
  SRepVariant blob;
  blob.SetBINARY({1, 2, 3});
  EXPECT_EQ(s->SetAttribute(SymAttr::BlobData, blob), E_FAIL);
  ASSERT_EQ(SExceptionDialog::Log().size(), 1u);
  EXPECT_EQ(SExceptionDialog::Log()[0].text.ToUtf8(),
            "Setting symbol blob attribute on SException: unreadable@hereRectangle");
  SExceptionDialog::ClearLog();
  SExceptionDialog::SetQuiet(false);
}

TEST_F(SymModel, FormatsRegisterCustomColours) {
  SColorDlg::ResetCustomColors();
  TStd* s = Make<TStd>();
  s->m_pen.m_color = SSymColor(0x123456);
  s->m_shadowBrush.m_color = SSymColor(0x654321);
  SSymFormatEx format;
  s->GetFormat(format);
  EXPECT_TRUE(SColorDlg::IsCustomColor(0x123456));
  EXPECT_TRUE(SColorDlg::IsCustomColor(0x654321));
  SColorDlg::ResetCustomColors();
}

}  // namespace
