#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sexceptionhook.h"
#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symclassreg.h"
#include "support/diagram_fixture.h"
#include "support/temp_files.h"

namespace fs = std::filesystem;

namespace {
SString Text(SSymDiagramImpl* d, LONG id) {
  SRepVariant v;
  EXPECT_EQ(d->GetAttribute(id, &v), S_OK);
  return v.GetTEXT();
}

LONG Int(SSymDiagramImpl* d, LONG id) {
  SRepVariant v;
  EXPECT_EQ(d->GetAttribute(id, &v), S_OK);
  return v.GetLONG();
}

// The symbols of the diagram in drawing order.
std::vector<ISSymbol*> Order(SSymDiagramImpl* d) {
  std::vector<ISSymbol*> out;
  for (SRepObject* o : d->Collection(SSymDiagramMem::IdSymbols)->Items())
    out.push_back(SComWrap<ISSymbol>(static_cast<ISRepObject*>(o)).Get());
  return out;
}
}  // namespace

using DiagramTest = DiagramFixture;

// A diagram whose metafile recording gives nothing.
class TNoMetafileDiagram : public SSymDiagram {
 public:
  using SSymDiagram::SSymDiagram;
  void RecordMetafile(const SSymRect&, const std::vector<ISSymbol*>&, SMetaFile&) override {}
};

TEST_F(DiagramTest, NewDiagramDefaultsAndNamesFromTheCounter) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  EXPECT_EQ(Int(d, SSymDiagramMem::IdScale), 100);
  EXPECT_EQ(Int(d, SSymDiagramMem::IdPaperSource), -1);
  EXPECT_EQ(Int(d, SSymDiagramMem::IdPgOrientation), 0);
  EXPECT_EQ(Int(d, SSymDiagramMem::IdSwimHeight), 2000);
  EXPECT_EQ(Text(d, SSymDiagramMem::IdFoot), u"%PAGE% / %TOTALPAGE%");
  EXPECT_EQ(Text(d, SSymDiagramMem::IdNmbr), u"%NUMBER%");
  EXPECT_TRUE(Text(d, SSymDiagramMem::IdHead).IsEmpty());
  EXPECT_EQ(d->GetAttributeType(SSymDiagramMem::IdName), 0x000900FEu);
  EXPECT_EQ(d->GetAttributeFlags(SSymDiagramMem::IdPgFormat), 0x400u);
  EXPECT_EQ(d->GetAttributeFlags(-1), 0u);
  EXPECT_TRUE(d->IsKindOf(CLSID_SSymDiagram));
  EXPECT_FALSE(d->IsKindOf(CLSID_SSymRectangle));
  EXPECT_EQ(d->CanShowSym(GUID{}), 0);

  const int before = SSymDiagramImpl::GetDiagramCounter();
  d->OnInitialize();
  SSymDiagram* second = NewDiagram<SSymDiagram>();
  second->OnInitialize();
  EXPECT_EQ(d->GetName(), SString::Format("Diagram %d", before + 1));
  EXPECT_EQ(second->GetName(), SString::Format("Diagram %d", before + 2));
  // Without the session's name option the display name is the code.
  ASSERT_EQ(second->GetUseName(), 0);
  second->SetCode(SString(u"D2"));
  EXPECT_EQ(Text(second, SSymDiagramMem::IdDispName), u"D2");
  // A named diagram keeps its name and leaves the counter alone.
  SSymDiagram* named = NewDiagram<SSymDiagram>();
  named->SetName(SString(u"Kept"));
  named->OnInitialize();
  EXPECT_EQ(named->GetName(), u"Kept");
  EXPECT_EQ(SSymDiagramImpl::GetDiagramCounter(), before + 2);
  // The page takes the page setup's paper and margins.
  const POINT page = d->GetPageSetup()->GetPageSize();
  EXPECT_EQ(d->GetPaperSize(), (SRep_Point{page.x, page.y}));
  EXPECT_EQ(d->GetMargins(), (SRep_Rect{1000, 1000, 1000, 1000}));
  EXPECT_NE(d->GetPgOrientation(), 0);
  // HasNote follows the annotation; the same page format again changes nothing.
  EXPECT_EQ(Int(d, SSymDiagramMem::IdHasNote), 0);
  d->SetAttribute(SSymDiagramMem::IdNote, SRepVariant::Text(SString(u"x")));
  EXPECT_EQ(Int(d, SSymDiagramMem::IdHasNote), 1);
  SRepVariant format;
  format.SetLONG(d->GetPgFormat());
  EXPECT_EQ(d->SetAttribute(SSymDiagramMem::IdPgFormat, format), S_FALSE);
}

TEST_F(DiagramTest, PrintTemplatesComeFromTheUsersSettingsWhenPresent) {
  SRegistry(HKEY_CURRENT_USER, SUserRegistry::sApplicationGeneral, 1)
      .WriteProfile(SString(u"PrintDiagFooter"), SString(u"Page %PAGE%"));
  SRegistry(HKEY_LOCAL_MACHINE, SUserRegistry::sApplicationGeneral, 1)
      .WriteProfile(SString(u"PrintDiagHeader"), SString(u"%DIAGRAM%"));
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  d->OnInitialize();
  EXPECT_EQ(d->GetFoot(), u"Page %PAGE%");
  EXPECT_EQ(d->GetHead(), u"%DIAGRAM%");  // the machine's value, copied to the user
  EXPECT_EQ(d->GetNmbr(), u"%NUMBER%");   // absent: the default stays
}

TEST_F(DiagramTest, AddKeepsLinksBelowAndPoolsBelowModelSymbols) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  TSym* s1 = AddTo(d);
  EXPECT_EQ(Order(d), (std::vector<ISSymbol*>{s1->Sym()}));
  EXPECT_EQ(d->Add(s1->Sym()), S_FALSE);  // already there: nothing changes
  EXPECT_EQ(d->GetCount(), 1);
  TLink* l1 = AddTo<TLink>(d);
  TLink* l2 = AddTo<TLink>(d);
  EXPECT_EQ(Order(d), (std::vector<ISSymbol*>{l1->Sym(), l2->Sym(), s1->Sym()}));
  EXPECT_EQ(d->GetLinkBoundary(), 2);
  EXPECT_EQ(d->GetPos(l2->Sym()), 1);
  EXPECT_EQ(d->IsLink(l1->Sym()), 1);
  EXPECT_EQ(d->IsLink(s1->Sym()), 0);
  EXPECT_EQ(d->IsLink(nullptr), 0);

  SSymDiagram* model = NewDiagram<SSymDiagram>();
  TObjSym* o1 = AddTo<TObjSym>(model);
  TObjSym* o2 = AddTo<TObjSym>(model);
  TSym* pool = Make<TSym>();
  pool->m_symType = 12;
  model->Add(pool->Sym());
  EXPECT_EQ(model->GetPos(pool->Sym()), 0);
  EXPECT_EQ(model->GetSwimLaneList().GetCount(), 1);
  // A free shape drawn by a tool goes below the model symbols and pools; made otherwise, on top.
  TSym* drawn = Make<TSym>();
  {
    SetSymFirstCreation on(true);
    model->Add(drawn->Sym());
  }
  EXPECT_EQ(model->GetPos(drawn->Sym()), 0);
  TSym* pasted = Make<TSym>();
  {
    SetSymFirstCreation off(false);
    model->Add(pasted->Sym());
  }
  EXPECT_EQ(Order(model), (std::vector<ISSymbol*>{drawn->Sym(), pool->Sym(), o1->Sym(), o2->Sym(), pasted->Sym()}));
  // Moves, removal, lookups.
  EXPECT_EQ(model->MoveTo(pasted->Sym(), 0), S_OK);
  EXPECT_EQ(model->GetPos(pasted->Sym()), 0);
  EXPECT_EQ(model->Remove(pasted->Sym()), S_OK);
  EXPECT_EQ(model->GetPos(pasted->Sym()), -1);
  EXPECT_EQ(model->Remove(pasted->Sym()), S_FALSE);
  EXPECT_EQ(model->Contains(o2->Sym(), 0), 1);
  EXPECT_EQ(model->Contains(s1->Sym(), 1), 0);
  model->Remove(pool->Sym());
  EXPECT_EQ(model->GetSwimLaneList().GetCount(), 0);
}

// A new pool takes the first pool's extent and lines up with it; older pools
// stretch only when the new one was more than 30 units longer.
TEST_F(DiagramTest, NewPoolsAlignWithTheFirst) {
  const struct {
    const char* name;
    SSymRect added, addedAfter, firstAfter;
  } cases[] = {
      {"shorter and off by 1000", {6000, 8000, 9000, 1000}, {6000, 10000, 9000, 0}, {0, 10000, 5000, 0}},
      {"within the tolerance", {6000, 10020, 9000, 10}, {6000, 10010, 9000, 10}, {0, 10000, 5000, 0}},
      {"longer", {6000, 20000, 9000, 0}, {6000, 10000, 9000, 0}, {0, 20001, 5000, 0}},
  };
  for (const auto& c : cases) {
    TPrefDiagram* d = NewDiagram();
    ASSERT_NE(d->GetDispPrefPtr(), nullptr);
    TSym* first = Make<TSym>(SSymRect(0, 10000, 5000, 0));
    first->m_symType = 12;
    d->Add(first->Sym());
    TSym* added = Make<TSym>(c.added);
    added->m_symType = 12;
    d->Add(added->Sym());
    EXPECT_EQ(added->Sym()->GetClipRect(0, 0), c.addedAfter) << c.name;
    EXPECT_EQ(first->Sym()->GetClipRect(0, 0), c.firstAfter) << c.name;
  }
}

TEST_F(DiagramTest, ViewsOutOfRangeAnswerNull) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  EXPECT_EQ(d->GetFirstView(), nullptr);
  EXPECT_EQ(d->GetView(0), nullptr);
  SSymView a, b;
  d->AddView(&a);
  d->AddView(&b);
  d->AddView(&a);
  EXPECT_EQ(d->GetViewCount(), 2);
  EXPECT_NE(d->GetView(1), nullptr);
  EXPECT_EQ(d->GetView(2), nullptr);
  EXPECT_EQ(d->GetView(-1), nullptr);
  EXPECT_EQ(d->RedrawAllViews(), 0);
  EXPECT_EQ(a.GetInvalidations().size(), 1u);
  d->RemoveView(&a);
  d->RemoveView(&b);
  EXPECT_EQ(d->RedrawAllViews(), 1);  // no view
}

TEST_F(DiagramTest, OwnerRelayIsOneObjectWhileHeld) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  SComOut<ISSymOwner> a, b;
  ASSERT_EQ(d->QueryInterface(IID_ISSymOwner, a.Void()), S_OK);
  ASSERT_EQ(d->QueryInterface(IID_ISSymOwner, b.Void()), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
  SComOut<ISSymDiagram> back;
  EXPECT_EQ(a->QueryInterface(IID_ISSymDiagram, back.Void()), S_OK);
  EXPECT_EQ(back.Get(), static_cast<ISSymDiagram*>(d));
  TSym* s = Make<TSym>();
  a->Add(s->Sym());
  EXPECT_EQ(d->GetPos(s->Sym()), 0);
}

TEST_F(DiagramTest, GridSnapsPointsAndRectanglesOnlyWhenOn) {
  TPrefDiagram* d = NewDiagram();
  SSymDispPref* p = d->GetDispPrefPtr();
  ASSERT_NE(p, nullptr);
  p->SetValue(u"General", u"Grid size", 100L, 0);
  p->SetValue(u"General", u"Snap Grid", 1, 0);
  const struct {
    SSymPoint in, out;
  } points[] = {{{149, -150}, {100, -100}}, {{150, 50}, {200, 100}}, {{-151, 0}, {-200, 0}}, {{-150, -50}, {-100, 0}}};
  for (const auto& c : points) {
    SSymPoint pt = c.in;
    d->SnapToGrid(pt);
    EXPECT_EQ(pt, c.out) << c.in.x << "," << c.in.y;
  }
  SSymRect r(130, 260, 310, 20);
  d->SnapToGrid(r);
  EXPECT_EQ(r, SSymRect(100, 300, 300, 0));
  // Off, grid 0, or no preferences: nothing moves.
  p->SetValue(u"General", u"Snap Grid", 0, 0);
  SSymPoint pt(149, -150);
  d->SnapToGrid(pt);
  EXPECT_EQ(pt, SSymPoint(149, -150));
  p->SetValue(u"General", u"Snap Grid", 1, 0);
  p->SetValue(u"General", u"Grid size", 0L, 0);
  d->SnapToGrid(pt);
  EXPECT_EQ(pt, SSymPoint(149, -150));
  SSymDiagram* plain = NewDiagram<SSymDiagram>();
  SSymRect same(130, 260, 310, 20);
  plain->SnapToGrid(same);
  EXPECT_EQ(same, SSymRect(130, 260, 310, 20));
}

TEST_F(DiagramTest, OrientationSwapsPaperAndMarginsAndBack) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  d->SetPaperSize(SRep_Point{80000, 60000});
  d->SetMargins(SRep_Rect{1, 2, 3, 4});
  d->SetPgOrientation(1);
  EXPECT_EQ(d->GetPaperSize(), (SRep_Point{60000, 80000}));
  EXPECT_EQ(d->GetMargins(), (SRep_Rect{2, 3, 4, 1}));
  EXPECT_EQ(d->GetPageSetup()->GetPageSize().x, 60000);
  d->SetPgOrientation(2);
  EXPECT_EQ(d->GetPaperSize(), (SRep_Point{80000, 60000}));
  EXPECT_EQ(d->GetMargins(), (SRep_Rect{1, 2, 3, 4}));
  // The repair pass fills a missing orientation from the paper's shape.
  SSymDiagram* fix = NewDiagram<SSymDiagram>();
  fix->SetPaperSize(SRep_Point{61200, 79200});
  SStringTable messages;
  fix->InternalAutoFix(messages, 0);
  EXPECT_EQ(fix->GetPgOrientation(), 1);
  // A scale of 0 or below counts as 100.
  for (LONG scale : {0L, -5L}) {
    fix->SetScale(scale);
    EXPECT_EQ(fix->GetEffectiveScale(), 100);
  }
}

// Orientations other than portrait (1) and landscape (2) turn nothing: the
// paper, the margins and the printer's orientation stay as they were.
TEST_F(DiagramTest, OrientationsOutOfRangeTurnNothing) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  d->SetPaperSize(SRep_Point{80000, 60000});
  d->SetMargins(SRep_Rect{1, 2, 3, 4});
  d->SetPgOrientation(2);
  const short printer = d->GetPageSetup()->GetOrientation();
  for (LONG o : {7L, -2L, 3L}) {
    SCOPED_TRACE(o);
    d->SetPgOrientation(o);
    EXPECT_EQ(d->GetPaperSize(), (SRep_Point{80000, 60000}));
    EXPECT_EQ(d->GetMargins(), (SRep_Rect{1, 2, 3, 4}));
    EXPECT_EQ(d->GetPageSetup()->GetOrientation(), printer);
    EXPECT_EQ(d->GetPageSetup()->GetPageSize().x, 80000);
  }
}

// A diagram whose paper-form lookup throws.
class TThrowingDiagram : public SSymDiagram {
 public:
  using SSymDiagram::SSymDiagram;
  LONG GetPgSize() override { throw STargetedException(m_target, SString(u"lookup failed")); }
  const void* m_target = nullptr;
};

// The orientation repair shows what goes wrong and lets the check go on,
// but an exception addressed to a handler further up reaches it.
TEST_F(DiagramTest, TheOrientationRepairPassesAddressedExceptionsOn) {
  SExceptionDialog::ClearLog();
  TThrowingDiagram* d = NewDiagram<TThrowingDiagram>();
  SStringTable messages;
  EXPECT_NO_THROW(d->InternalAutoFix(messages, 0));
  ASSERT_EQ(SExceptionDialog::Log().size(), 1u);
  EXPECT_NE(SExceptionDialog::Log()[0].text.Find(SString(u"Internal autofix of diagram page orientation")), -1);
  EXPECT_EQ(d->GetPgOrientation(), 0);
  int handler = 0;
  d->m_target = &handler;
  EXPECT_THROW(d->InternalAutoFix(messages, 0), STargetedException);
  EXPECT_EQ(SExceptionDialog::Log().size(), 1u);
  SExceptionDialog::ClearLog();
}

// A diagram type that notes what the session looked like while it made its
// preferences, and switches the session's arrangement off meanwhile.
class TNotingDiagram : public TPrefDiagram {
 public:
  using TPrefDiagram::TPrefDiagram;
  HRESULT CreateDispPref() override {
    SRepSession* s = GetSessionImpl();
    m_context = s->Current();
    s->SetSuppressions(TRUE, TRUE);
    ++m_made;
    return TPrefDiagram::CreateDispPref();
  }
  SRepContext* m_context = reinterpret_cast<SRepContext*>(1);
  int m_made = 0;
};

// Preferences are not made while the session is busy; they are made later,
// outside the step that is open, leaving the session's switches as they were.
TEST_F(DiagramTest, PreferencesAreMadeOutsideTheOpenStepWhenTheSessionAllows) {
  TNotingDiagram* d = NewDiagram<TNotingDiagram>();
  m_session->SetBusy(TRUE);
  EXPECT_EQ(d->GetDispPrefPtr(), nullptr);
  EXPECT_EQ(d->m_made, 0);
  m_session->SetBusy(FALSE);
  {
    SRepCreateContext step(static_cast<ISRepSession*>(m_session));
    SRepContext* open = m_session->Current();
    ASSERT_NE(open, nullptr);
    EXPECT_NE(d->GetDispPrefPtr(), nullptr);
    EXPECT_EQ(d->m_context, nullptr);
    EXPECT_EQ(m_session->Current(), open);
  }
  EXPECT_FALSE(m_session->IsArrangeSuppressed());
  EXPECT_FALSE(m_session->IsHandlingSuppressed());
  EXPECT_EQ(d->GetDispPrefPtr(), d->GetDispPrefPtr());
  EXPECT_EQ(d->m_made, 1);
}

TEST_F(DiagramTest, PaperFormsMatchAreAddedAndRefused) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  DWORD paper = 0;
  ASSERT_EQ(d->GetPaperForSize(SRep_Point{8500, 11000}, paper), S_OK);
  EXPECT_EQ(paper, static_cast<DWORD>(DMPAPER_LETTER));
  SRep_Point size;
  ASSERT_EQ(d->GetSize(paper, size), S_OK);
  EXPECT_EQ(size, (SRep_Point{8500, 11000}));
  // No paper fits: a form of that name is added and answers.
  ASSERT_EQ(d->GetPaperForSize(SRep_Point{5000, 7000}, paper), S_OK);
  ASSERT_EQ(d->GetSize(paper, size), S_OK);
  EXPECT_EQ(size, (SRep_Point{5000, 7000}));
  HANDLE printer = nullptr;
  std::u16string name = KvDefaultPrinterName();
  ASSERT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
  DWORD needed = 0, count = 0;
  EnumFormsW(printer, 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> buf(needed);
  ASSERT_TRUE(EnumFormsW(printer, 1, buf.data(), needed, &needed, &count));
  ClosePrinter(printer);
  EXPECT_EQ(SString(reinterpret_cast<FORM_INFO_1W*>(buf.data())[paper - 1].pName), u"custom size (5000 x 7000)");
  // The printer refuses new forms.
  KvSetSpoolerRefusesForms(true);
  EXPECT_EQ(d->GetPaperForSize(SRep_Point{5100, 7100}, paper), E_FAIL);
  EXPECT_EQ(paper, 0xFFFFFFFFu);
  KvSetSpoolerRefusesForms(false);
  // Sizes at or below 0 and form 0 are refused before the printer is touched.
  for (SRep_Point bad : {SRep_Point{-8500, 11000}, SRep_Point{0, 11000}, SRep_Point{8500, 0}, SRep_Point{8500, -1}})
    EXPECT_EQ(d->GetPaperForSize(bad, paper), E_INVALIDARG) << bad.x << " x " << bad.y;
  DWORD after = 0;
  EnumFormsW(nullptr, 1, nullptr, 0, &needed, &after);
  EXPECT_EQ(d->GetSize(0, size), E_FAIL);
  EXPECT_EQ(d->GetSize(count + 1, size), E_FAIL);
  EXPECT_EQ(d->PutPgFormat(0), E_INVALIDARG);
  ASSERT_EQ(d->PutPgFormat(DMPAPER_LETTER), S_OK);
  EXPECT_EQ(d->GetPaperSize(), (SRep_Point{8500, 11000}));
  EXPECT_EQ(d->GetPgFormat(), DMPAPER_LETTER);
}

TEST_F(DiagramTest, ExportWritesAMetafileOrABitmapOfTheSymbols) {
  kvtest::TempDir dir("diagexport");
  // A metafile that could not be recorded writes no file and is a failure.
  TNoMetafileDiagram* none = NewDiagram<TNoMetafileDiagram>();
  EXPECT_EQ(none->ExportImage(dir.Name("none.emf")), E_FAIL);
  EXPECT_FALSE(fs::exists(dir.path / "none.emf"));
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  EXPECT_EQ(d->ExportImage(SString()), E_INVALIDARG);
  // A file that cannot be written is a failure too.
  fs::create_directories(dir.path / "taken.png");
  EXPECT_EQ(d->ExportImage(dir.Name("taken.png")), E_FAIL);
  const SRegClassFunctions* rect = SSymGetClassRecord(SSymFindClassIndex(CLSID_SSymRectangle));
  ASSERT_TRUE(rect && rect->create);
  for (SSymRect r : {SSymRect(0, 7200, 14400, 0), SSymRect(7200, 14400, 21600, 3600)}) {
    SComOut<ISRepObject> obj;
    ASSERT_EQ(rect->create(&obj, Session(), nullptr), S_OK);
    SSymBase* s = SSymBase::FromInterface(obj.Get());
    s->PutRect(r);
    d->Add(s->Sym());
  }
  EXPECT_EQ(d->ExportImage(dir.Name("sub/pic.EmF")), S_OK);
  const std::string emf = kvtest::ReadFile(dir.path / "sub" / "pic.EmF");
  ASSERT_GT(emf.size(), 88u);
  EXPECT_EQ(emf.substr(40, 4), " EMF");
  EXPECT_EQ(d->ExportImage(dir.Name("pic.png")), S_OK);
  const std::string png = kvtest::ReadFile(dir.path / "pic.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned>(static_cast<unsigned char>(png[at])) << 24) |
           (static_cast<unsigned>(static_cast<unsigned char>(png[at + 1])) << 16) |
           (static_cast<unsigned>(static_cast<unsigned char>(png[at + 2])) << 8) |
           static_cast<unsigned>(static_cast<unsigned char>(png[at + 3]));
  };
  // The union (3 x 2 inches) and 72 units more at the right and at the bottom.
  const SSymRect all = d->GetClipRect();
  EXPECT_GE(be32(16), static_cast<unsigned>((all.x2 - all.x1 + 72) * 96 / 7200));
  EXPECT_GE(be32(20), static_cast<unsigned>((all.y1 - all.y2 + 72) * 96 / 7200));
  EXPECT_EQ(d->ExportImage(dir.Name("nodot")), S_OK);
  EXPECT_EQ(kvtest::ReadFile(dir.path / "nodot").substr(0, 2), "BM");
}
