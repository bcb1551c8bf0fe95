// The diagram's interface as a whole: every operation of ISSymDiagram
// answered by the library's own diagram as a bare diagram answers it, the
// session scopes the diagram turns switches with, and the diagram's
// guard against a second destruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "kvcore/swinapp.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "support/diagram_fixture.h"
#include "support/repfixture.h"
#include "support/temp_files.h"
#include "sym/diagram/symsessionguards.h"
#include "sym/layout/symautolayout.h"

namespace {

// What a probe of one operation works on: a fresh diagram of the library's
// own class, a symbol of the same session that is not in it, and a model
// object (any repository object of the session).
struct Probe {
  ISSymDiagram* d;
  SSymDiagram* impl;
  TSym* sym;
  ISRepObject* object;
};

struct Slot {
  int slot;  // the operation's place in the interface, -1 where the order gives it
  const char* name;  // null where the class description names it
  void (*check)(Probe&);
};

#define SLOT(n, name, ...)   \
  Slot {                     \
    n, name, +[](Probe& p) { \
      (void)p;               \
      __VA_ARGS__;           \
    }                        \
  }

ISRepClassCol* Col(HRESULT hr, ISRepClassCol* col, LONG id) {
  EXPECT_EQ(hr, S_OK);
  EXPECT_NE(col, nullptr);
  if (col) {
    EXPECT_EQ(col->GetCollectionId(), id);
  }
  return col;
}
// Checks a collection getter: the collection `id`, counted for the caller.
template <class F>
void CheckCol(F get, LONG id) {
  ISRepClassCol* col = nullptr;
  const HRESULT hr = get(&col);
  if (Col(hr, col, id)) col->Release();
  EXPECT_EQ(get(nullptr), E_POINTER);
}

// ---- stored members: a value of each metamodel type to store, and the
// variant the repository keeps it in.
template <SSymDesc::Type T>
struct Sample;
template <>
struct Sample<SSymDesc::T_STR> {
  static SString Value() { return SString(u"Sample"); }
  static SString Of(const SRepVariant& v) { return v.IsEmpty() ? SString() : v.GetSTRING(); }
};
template <>
struct Sample<SSymDesc::T_TEXT> : Sample<SSymDesc::T_STR> {
  static SString Value() { return SString(u"Sample\ntext"); }
};
template <>
struct Sample<SSymDesc::T_INT> {
  static LONG Value() { return 1234; }
  static LONG Of(const SRepVariant& v) { return v.IsEmpty() ? 0 : v.GetLONG(); }
};
template <>
struct Sample<SSymDesc::T_FLAGS> {
  static LONG Value() { return 5; }
  static LONG Of(const SRepVariant& v) { return v.IsEmpty() ? 0 : static_cast<LONG>(v.GetFLAGS()); }
};
template <>
struct Sample<SSymDesc::T_PT> {
  static SRep_Point Value() { return SRep_Point{8500, 11000}; }
  static SRep_Point Of(const SRepVariant& v) { return v.IsEmpty() ? SRep_Point_null : v.GetPOINT(); }
};
template <>
struct Sample<SSymDesc::T_RECT> {
  static SRep_Rect Value() { return SRep_Rect{500, 600, 700, 800}; }
  static SRep_Rect Of(const SRepVariant& v) { return v.IsEmpty() ? SRep_Rect_null : v.GetRECT(); }
};
// The getter answers what the repository stores, default included.
template <SSymDesc::Type T, class V>
void CheckGet(Probe& p, LONG id, V value) {
  SRepVariant stored;
  p.d->GetAttribute(id, &stored);
  EXPECT_EQ(value, Sample<T>::Of(stored));
}
// The setter stores (S_OK), the getter and the repository read it back, and
// the same value again changes nothing (S_FALSE).
template <SSymDesc::Type T, class Set, class Get>
void CheckSet(Probe& p, LONG id, Set set, Get get) {
  EXPECT_EQ(set(Sample<T>::Value()), S_OK);
  EXPECT_EQ(get(), Sample<T>::Value());
  CheckGet<T>(p, id, get());
  EXPECT_EQ(set(Sample<T>::Value()), S_FALSE);
}

#define KV_SYM_DIAG_STORED_ROW_SLOTS(konst, code, name, id, type, store, ...) \
  KV_SYM_DIAG_STORED_IF_##store(STORED_SLOTS, code, type, id)
#define STORED_SLOTS(code, type, id)                                            \
  SLOT(-1, "Get" #code, CheckGet<SSymDesc::T_##type>(p, id, p.d->Get##code())), \
      SLOT(-1, "Set" #code,                                                     \
           CheckSet<SSymDesc::T_##type>(                                        \
               p, id, [&](const auto& v) { return p.d->Set##code(v); }, [&] { return p.d->Get##code(); })),

// The names of the metamodel's methods of the diagram, in description order.
#define METHOD_NAME(code, ...) code,
const char* const kMethodNames[] = {
    KV_SYM_DESC_SSymDiagram(KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, METHOD_NAME)};
#undef METHOD_NAME
// The metamodel's methods take these places, in the same order.
constexpr int kFirstMethodSlot = 147, kLastMethodSlot = 207;

// The repository object's operations the diagram answers itself; the other
// places up to 101 are the repository's own, reached through the same face.
const Slot kRepositorySlots[] = {
    SLOT(0, "QueryInterface",
         {
           SComOut<ISSymDiagram> back;
           EXPECT_EQ(p.d->QueryInterface(IID_ISSymDiagram, back.Void()), S_OK);
           EXPECT_EQ(back.Get(), p.d);
           SComOut<ISRepSession> session;
           EXPECT_EQ(p.d->QueryInterface(IID_ISRepSession, session.Void()), S_OK);
           EXPECT_NE(session.Get(), nullptr);
           EXPECT_EQ(p.d->QueryInterface(IID_ISSymDiagram, nullptr), E_POINTER);
           void* self = nullptr;
           EXPECT_EQ(p.d->QueryInterface(MakeGUID("{96381B61-1253-11D1-83D9-444553540000}"), &self), S_OK);
           EXPECT_EQ(self, static_cast<SRepObject*>(p.impl));
           if (self) static_cast<SRepObject*>(self)->Release();
         }),
    SLOT(10, "GetCLSID",
         {
           CLSID clsid{};
           EXPECT_EQ(p.d->GetCLSID(&clsid), S_OK);
           EXPECT_EQ(clsid, CLSID_SSymDiagram);
         }),
    SLOT(18, "GetAttribute",
         {
           SRepVariant v;
           EXPECT_EQ(p.d->GetAttribute(SSymDiagramMem::IdScale, &v), S_OK);
           EXPECT_EQ(v.GetLONG(), 100);
           EXPECT_EQ(p.d->GetAttribute(SSymDiagramMem::IdScale, nullptr), E_POINTER);
         }),
    SLOT(19, "SetAttribute",
         {
           EXPECT_EQ(p.d->SetAttribute(SSymDiagramMem::IdScale, SRepVariant::Long(150)), S_OK);
           EXPECT_EQ(p.d->GetScale(), 150);
         }),
    SLOT(20, "GetCollection",
         {
           CheckCol([&](ISRepClassCol** c) { return p.d->GetCollection(CLSID_SSymRectangle, c); },
                    SSymDiagramMem::IdSymbols);
           ISRepClassCol* none = nullptr;
           EXPECT_EQ(p.d->GetCollection(CLSID_SSymDiagram, &none), S_FALSE);
           EXPECT_EQ(none, nullptr);
         }),
    SLOT(45, "Delete",
         {
           EXPECT_EQ(p.d->Delete(), S_OK);
           EXPECT_TRUE(p.d->IsDeleted());
         }),
    SLOT(47, "IsChanged",
         {
           EXPECT_FALSE(p.d->IsChanged());
           p.d->SetScale(120);
           EXPECT_TRUE(p.d->IsChanged());
         }),
    SLOT(54, "CreateObject",
         {
           void* made = nullptr;
           EXPECT_EQ(p.d->CreateObject(CLSID_SSymRectangle, &made, IID_ISSymbol, -1, -1, false), S_OK);
           ASSERT_NE(made, nullptr);
           EXPECT_TRUE(p.d->Contains(static_cast<ISSymbol*>(made), 0));
           static_cast<ISSymbol*>(made)->Release();
         }),
    SLOT(55, "CanCreateObject",
         EXPECT_EQ(p.d->CanCreateObject(SSymDiagramMem::IdSymbols, CLSID_SSymRectangle, -1), S_OK)),
    SLOT(57, "InternalAutoFix",
         {
           SStringTable messages;
           p.d->InternalAutoFix(messages, 0);
           EXPECT_NE(p.d->GetPgOrientation(), 0);  // the missing orientation is repaired
         }),
    SLOT(59, "IsKindOf",
         {
           EXPECT_TRUE(p.d->IsKindOf(CLSID_SSymDiagram));
           EXPECT_TRUE(p.d->IsKindOf(CLSID_RepSRepObjectBase));
           EXPECT_FALSE(p.d->IsKindOf(CLSID_SSymBase));
         }),
    SLOT(64, "HasAttribute",
         {
           EXPECT_EQ(p.d->HasAttribute(SSymDiagramMem::IdSwimHeight), S_OK);
           EXPECT_EQ(p.d->HasAttribute(-1), S_FALSE);
         }),
    SLOT(66, "HasCollection",
         {
           EXPECT_EQ(p.d->HasCollection(SSymDiagramMem::IdSymbols), S_OK);
           EXPECT_EQ(p.d->HasCollection(0x04800312), S_OK);
         }),
    SLOT(68, "GetAttributeFlags", EXPECT_EQ(p.d->GetAttributeFlags(SSymDiagramMem::IdPgFormat), 0x400u)),
    SLOT(69, "GetAttributeType", EXPECT_EQ(p.d->GetAttributeType(SSymDiagramMem::IdName), 0x000900FEu)),
    SLOT(70, "GetAttributeDefault",
         {
           SRepVariant v;
           EXPECT_EQ(p.d->GetAttributeDefault(SSymDiagramMem::IdSwimHeight, &v), S_OK);
           EXPECT_EQ(v.GetLONG(), 2000);
         }),
    SLOT(73, "OnClose", EXPECT_EQ(p.d->OnClose(), 0)),
    SLOT(74, "OnCloseInViewer",
         {
           EXPECT_EQ(p.d->OnCloseInViewer(), 0);
           EXPECT_FALSE(g_IsViewer());
         }),
    SLOT(76, "GetCreationDate",
         {
           SRepVariant date;
           date.SetDATE(45000);
           p.d->SetAttribute(0x01000010, date);
           SRepVariant stored;
           p.d->GetAttribute(0x01000010, &stored);
           EXPECT_EQ(p.d->GetCreationDate(), stored.IsEmpty() ? 0 : stored.GetDATE());
         }),
    SLOT(77, "GetCreationUser",
         {
           p.d->SetAttribute(0x01000011, SRepVariant::Text(SString(u"user")));
           SRepVariant stored;
           p.d->GetAttribute(0x01000011, &stored);
           EXPECT_EQ(p.d->GetCreationUser(), stored.IsEmpty() ? SString() : stored.GetSTRING());
         }),
};

// The diagram's own operations, from place 102 on, in order.
std::vector<Slot> DiagramSlots() {
  static kvtest::TempDir dir("kvdiagface");
  return {
      SLOT(102, "GetShortcutCol", CheckCol([&](ISRepClassCol** c) { return p.d->GetShortcutCol(c); }, 0x0480019F)),
      SLOT(103, "GetRepCol311", CheckCol([&](ISRepClassCol** c) { return p.d->GetRepCol311(c); }, 0x04800311)),
      SLOT(104, "GetRepCol312", CheckCol([&](ISRepClassCol** c) { return p.d->GetRepCol312(c); }, 0x04800312)),
      SLOT(105, "GetExtlGenDepdCol",
           {
             ISRepClassCol* col = nullptr;
             EXPECT_EQ(p.d->GetExtlGenDepdCol(&col), S_FALSE);
             EXPECT_EQ(col, nullptr);
             EXPECT_EQ(p.d->GetExtlGenDepdCol(nullptr), E_POINTER);
           }),
      KV_SYM_DIAG_STORED(SLOTS)  // 106-137
      SLOT(138, "GetDispName",
           {
             p.d->SetCode(SString(u"C1"));  // the session shows codes
             EXPECT_EQ(p.d->GetDispName(), u"C1");
           }),
      SLOT(139, "SetDispName",
           {
             EXPECT_EQ(p.d->SetDispName(SString(u"D1")), S_OK);
             EXPECT_EQ(p.d->GetCode(), u"D1");
             EXPECT_EQ(p.d->SetDispName(SString(u"D1")), S_FALSE);
           }),
      SLOT(140, "GetHasNote",
           {
             EXPECT_FALSE(p.d->GetHasNote());
             p.d->SetNote(SString(u"n"));
             EXPECT_TRUE(p.d->GetHasNote());
           }),
      SLOT(141, "GetPgSize", EXPECT_EQ(p.d->GetPgSize(), -1)),
      SLOT(142, "SetPgSize",
           {
             EXPECT_EQ(p.d->SetPgSize(9), S_OK);
             EXPECT_EQ(p.d->GetPgSize(), 9);
             EXPECT_EQ(p.d->SetPgSize(9), S_FALSE);
           }),
      SLOT(143, "GetPgFormat",
           {
             SRepVariant v;
             p.d->GetAttribute(SSymDiagramMem::IdPgFormat, &v);
             EXPECT_EQ(p.d->GetPgFormat(), v.GetLONG());
           }),
      SLOT(144, "SetPgFormat", EXPECT_EQ(p.d->SetPgFormat(p.d->GetPgFormat()), S_FALSE)),
      SLOT(145, "GetContent", EXPECT_EQ(p.d->GetContent().GetSize(), 0u)),
      SLOT(146, "SetContent", EXPECT_EQ(p.d->SetContent(SBlob()), S_FALSE)),
      SLOT(-1, nullptr,
           {  // Add
             EXPECT_EQ(p.d->Add(p.sym->Sym()), S_OK);
             EXPECT_TRUE(p.d->Contains(p.sym->Sym(), 0));
           }),
      SLOT(-1, nullptr,
           {  // Remove
             p.d->Add(p.sym->Sym());
             EXPECT_EQ(p.d->Remove(p.sym->Sym()), S_OK);
             EXPECT_EQ(p.d->Remove(p.sym->Sym()), S_FALSE);
           }),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->MoveTo(p.sym->Sym(), 0), S_FALSE)),  // MoveTo: not in the diagram
      SLOT(-1, nullptr, EXPECT_FALSE(p.d->Contains(p.sym->Sym(), 1))),  // Contains
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetPos(p.sym->Sym()), -1)),  // GetPos
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetClipRect(), SSymRect(0, 0, 0, 0))),  // GetClipRect
      SLOT(-1, nullptr, EXPECT_EQ(p.d->PageSetup(), 0)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->PrinterSetup(), 0)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->V6PageSetup(), 1)),
      SLOT(-1, nullptr, EXPECT_NE(p.d->GetPageSetup(), nullptr)),
      SLOT(-1, nullptr,
           {  // DuplicatePageSetup
             SPrinterCache source(4, SPAGESETUPDLG::m_Default);
             source.SetMargins(RECT{111, 222, 333, 444});
             p.d->DuplicatePageSetup(source);
             ASSERT_NE(p.d->GetPageSetup(), nullptr);
             EXPECT_NE(p.d->GetPageSetup(), &source);
             EXPECT_EQ(p.d->GetPageSetup()->GetMargins().left, 111);
           }),
      // Print: interactively through a window, which the base diagram has none to open.
      SLOT(-1, nullptr, EXPECT_EQ(p.d->Print(nullptr), E_NOTIMPL)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetDispPrefPtr(), nullptr)),  // GetDispPrefPtr: the base makes none
      SLOT(-1, nullptr, EXPECT_EQ(p.d->RedrawAllViews(), 1)),  // RedrawAllViews: no window
      SLOT(-1, nullptr,
           {  // SnapToGrid (rectangle)
             SSymRect r(1, 99, 77, 3);
             EXPECT_EQ(p.d->SnapToGrid(r), S_OK);
             EXPECT_EQ(r, SSymRect(1, 99, 77, 3));  // no preferences, no grid
           }),
      SLOT(-1, nullptr,
           {  // SnapToGrid (point)
             SSymPoint pt(13, 17);
             EXPECT_EQ(p.d->SnapToGrid(pt), S_OK);
             EXPECT_EQ(pt, SSymPoint(13, 17));
           }),
      SLOT(-1, nullptr,
           {  // SnapObjToGrid
             SSymRect r(1, 99, 77, 3);
             EXPECT_EQ(p.d->SnapObjToGrid(p.sym->Sym(), r), S_OK);
             EXPECT_EQ(r, SSymRect(1, 99, 77, 3));
           }),
      SLOT(-1, nullptr,
           {  // AttachSymbol
             EXPECT_EQ(p.d->AttachSymbol(p.sym->Sym(), 0), p.sym->Sym());
             EXPECT_TRUE(p.d->Contains(p.sym->Sym(), 0));
           }),
      SLOT(-1, nullptr,
           {  // AdjustSymbolToText: a symbol without text keeps its size
             const SSymRect before = p.sym->Sym()->GetClipRect(0, 0);
             p.d->AdjustSymbolToText(p.sym->Sym(), 0, 0);
             EXPECT_EQ(p.sym->Sym()->GetClipRect(0, 0), before);
           }),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->CreateDispPref(), E_NOTIMPL)),
      SLOT(-1, nullptr, EXPECT_TRUE(p.d->CanAutoLayout(nullptr))),  // no preferences: always
      SLOT(-1, nullptr,
           {  // CreateAutoLayoutMgr
             std::unique_ptr<SSymAutoLayout> mgr(p.d->CreateAutoLayoutMgr(nullptr));
             EXPECT_NE(mgr, nullptr);
           }),
      SLOT(-1, nullptr,
           {  // AutoLayout (parameters)
             SSymAutoLayoutParam param(p.d);
             p.d->AutoLayout(param);
             EXPECT_EQ(param.GetDiagram(), p.d);
           }),
      SLOT(-1, nullptr, p.d->AutoLayout(-1, -1, false)),
      SLOT(-1, nullptr, p.d->AutoLayout()),
      SLOT(-1, nullptr,
           {  // AddView
             SSymView* view = reinterpret_cast<SSymView*>(&p);  // never shown: the set keys on the address
             p.d->AddView(view);
             EXPECT_TRUE(p.d->ContainsView(view));
             p.d->RemoveView(view);
           }),
      SLOT(-1, nullptr,
           {  // RemoveView
             SSymView* view = reinterpret_cast<SSymView*>(&p);
             p.d->AddView(view);
             p.d->RemoveView(view);
             EXPECT_EQ(p.d->GetViewCount(), 0);
           }),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetFirstView(), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetView(0), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetViewCount(), 0)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetHolder(), nullptr)),
      SLOT(-1, nullptr,
           {  // SetHolder
             SRepControlHolder holder;
             p.d->SetHolder(&holder);
             EXPECT_EQ(p.d->GetHolder(), &holder);
             p.d->SetHolder(nullptr);
           }),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->AddSymInRectToSel(SSymRect(0, 100, 100, 0), nullptr, 0), E_POINTER)),
      SLOT(-1, nullptr,
           {  // CanShowSym
             EXPECT_FALSE(p.d->CanShowSym(GUID_NULL));
             EXPECT_TRUE(p.d->CanShowSym(CLSID_SSymRectangle));
           }),
      SLOT(-1, nullptr, p.d->UpdateSymMove(SComBag<ISSymbol>(), SSymSize(10, 10), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->AddPicture(nullptr), S_OK)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->RemovePicture(nullptr), S_OK)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->FindPicture(1), nullptr)),
      SLOT(-1, nullptr, EXPECT_FALSE(p.d->CanAttachSymbol(p.sym->Sym()))),  // no preferences
      SLOT(-1, nullptr, p.d->ApplyDispPref()),
      SLOT(-1, nullptr,
           {  // ExportImage
             p.d->Add(p.sym->Sym());
             const SString file = dir.Name("face.png");
             EXPECT_EQ(p.d->ExportImage(file), S_OK);
             EXPECT_FALSE(kvtest::ReadFile(file.ToUtf8()).empty());
           }),
      SLOT(-1, nullptr,
           {  // GetSymCLSID: the class of the symbol it would make
             CLSID clsid = CLSID_SSymBase;
             EXPECT_EQ(p.d->GetSymbolClassForObject(p.object, 0, &clsid), S_FALSE);
             EXPECT_EQ(clsid, GUID_NULL);
             EXPECT_EQ(p.d->GetSymbolClassForObject(p.object, 0, nullptr), E_POINTER);
           }),
      SLOT(-1, nullptr, EXPECT_FALSE(p.d->CanAttachObject(p.object))),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->AttachObject(p.object, static_cast<ISSymbol*>(nullptr)), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->CreateSymbolForObject(p.object, 100, 100, 1), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->AttachObject(p.object, SSymRect(0, 100, 100, 0), nullptr), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->AttachLinkObject(p.object, 1), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->CreateLinkSymbolForObject(p.object, p.sym->Sym(), p.sym->Sym()), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->AttachLinkObject(p.object, p.object, p.object, 1), nullptr)),
      SLOT(-1, nullptr,
           EXPECT_EQ(p.d->CopySymbolForObject(p.object, p.sym->Sym(), 1, SSymSize(0, 0), 0, nullptr), nullptr)),
      SLOT(-1, nullptr,
           EXPECT_EQ(p.d->CopyLinkSymbolForObject(p.object, p.sym->Sym(), p.sym->Sym(), nullptr, SSymSize(0, 0)),
                     nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->FindSymbolOfObject(p.object, 0), nullptr)),  // FindSymbol
      SLOT(-1, nullptr, EXPECT_FALSE(p.d->IsLink(p.sym->Sym()))),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->GetSwimLaneList().GetCount(), 0)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->AttachToComposite(p.sym->Sym()), nullptr)),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->DetachFromComposite(p.sym->Sym()), nullptr)),
      SLOT(-1, nullptr, EXPECT_FALSE(p.d->HasCompositeBehavior(p.object))),
      SLOT(-1, nullptr, EXPECT_FALSE(p.d->SupportPreviewCommand(1))),
      SLOT(-1, nullptr, EXPECT_FALSE(p.d->IsSymEditable(p.sym->Sym(), p.object))),
      SLOT(-1, nullptr, EXPECT_EQ(p.d->SetCompEditable(p.sym->Sym(), 1), 0)),
      SLOT(-1, nullptr, p.d->AdjustSwimHeight(1)),
      SLOT(208, "GetSymbols",
           CheckCol([&](ISRepClassCol** c) { return p.d->GetSymbols(c); }, SSymDiagramMem::IdSymbols)),
  };
}
#undef STORED_SLOTS
#undef KV_SYM_DIAG_STORED_ROW_SLOTS

constexpr int kFirstDiagramSlot = 102, kSlotCount = 209;
}  // namespace

class DiagramFaceTest : public DiagramFixture {
 protected:
  Probe NewProbe() {
    SSymDiagram* d = NewDiagram<SSymDiagram>();
    TSym* model = Make<TSym>();
    return Probe{d, d, Make<TSym>(), static_cast<SRepObject*>(model)};
  }
};

// Every place of the interface is answered, as a bare diagram answers it.
TEST_F(DiagramFaceTest, EverySlotIsAnswered) {
  const std::vector<Slot> own = DiagramSlots();
  ASSERT_EQ(static_cast<int>(own.size()), kSlotCount - kFirstDiagramSlot);
  ASSERT_EQ(static_cast<int>(std::size(kMethodNames)), kLastMethodSlot - kFirstMethodSlot + 1);
  int last = -1;
  for (const Slot& s : kRepositorySlots) {
    EXPECT_GT(s.slot, last) << s.name;
    EXPECT_LT(s.slot, kFirstDiagramSlot) << s.name;
    last = s.slot;
    SCOPED_TRACE(testing::Message() << "slot " << s.slot << " " << s.name);
    Probe p = NewProbe();
    s.check(p);
  }
  for (int i = 0; i < static_cast<int>(own.size()); ++i) {
    const int slot = kFirstDiagramSlot + i;
    const Slot& s = own[static_cast<std::size_t>(i)];
    if (s.slot >= 0) {
      EXPECT_EQ(s.slot, slot) << s.name;
    }
    const bool method = slot >= kFirstMethodSlot && slot <= kLastMethodSlot;
    // The metamodel's methods are named by the class description alone.
    EXPECT_EQ(s.name == nullptr, method) << "slot " << slot;
    const char* name = method ? kMethodNames[slot - kFirstMethodSlot] : s.name;
    SCOPED_TRACE(testing::Message() << "slot " << slot << " " << (name ? name : "?"));
    Probe p = NewProbe();
    s.check(p);
  }
}

// The typed pairs follow the stored members of the description, in order,
// from 106: the getter of the first is Name's, the last setter SwimHeight's.
TEST_F(DiagramFaceTest, TypedPairsFollowTheStoredMembers) {
  const std::vector<Slot> own = DiagramSlots();
  EXPECT_STREQ(own[106 - kFirstDiagramSlot].name, "GetName");
  EXPECT_STREQ(own[119 - kFirstDiagramSlot].name, "SetScale");
  EXPECT_STREQ(own[137 - kFirstDiagramSlot].name, "SetSwimHeight");
}

// ---- bad input ----------------------------------------------------------------------------------------
// Operations given null, another session's or a deleted object answer as
// they do for any object they have nothing to do with, and change nothing.
TEST_F(DiagramFaceTest, NullForeignAndDeletedObjectsChangeNothing) {
  SRepSession* other = new SRepSession();
  other->AddRef();
  TSym* foreign = new TSym(other);
  foreign->AddRef();
  foreign->SetSession(other);
  TSym* deleted = Make<TSym>();
  deleted->Delete();
  TPrefDiagram* d = NewDiagram();
  SSymDispPref* prefs = d->GetDispPrefPtr();
  ASSERT_NE(prefs, nullptr);
  prefs->SetValue(u"General", u"Grid size", 100L, 0);
  prefs->SetValue(u"General", u"Snap Grid", 1, 0);
  ISSymDiagram* face = d;
  const struct {
    const char* name;
    ISSymbol* symbol;
    ISRepObject* object;
  } cases[] = {
      {"null", nullptr, nullptr},
      {"other session", foreign->Sym(), static_cast<SRepObject*>(foreign)},
      {"deleted", deleted->Sym(), static_cast<SRepObject*>(deleted)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // The rectangle is snapped, the object left alone.
    SSymRect r(130, 260, 310, 20);
    const SSymRect before = c.symbol ? c.symbol->GetClipRect(0, 0) : SSymRect();
    EXPECT_EQ(face->SnapObjToGrid(c.symbol, r), S_OK);
    EXPECT_EQ(r, SSymRect(100, 300, 300, 0));
    if (c.symbol) {
      EXPECT_EQ(c.symbol->GetClipRect(0, 0), before);
    }
    EXPECT_FALSE(face->CanAttachObject(c.object));
    EXPECT_EQ(face->AttachObject(c.object, c.symbol), nullptr);
    EXPECT_EQ(face->AttachObject(c.object, SSymRect(0, 100, 100, 0), c.symbol), nullptr);
    EXPECT_EQ(face->AttachLinkObject(c.object, 1), nullptr);
    EXPECT_EQ(face->AttachLinkObject(c.object, c.object, c.object, 1), nullptr);
    EXPECT_EQ(face->FindSymbolOfObject(c.object, 0), nullptr);
    EXPECT_FALSE(face->HasCompositeBehavior(c.object));
    EXPECT_EQ(face->FindPicture(0), nullptr);
    EXPECT_EQ(face->GetCount(), 0);
  }
  foreign->Release();
  other->Release();
}

// A deleted diagram keeps its values readable; what it is asked to store
// is refused as the repository refuses it for any deleted object.
TEST_F(DiagramFaceTest, DeletedDiagramRefusesNewValues) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  ISSymDiagram* face = d;
  face->SetScale(150);
  ASSERT_EQ(face->Delete(), S_OK);
  EXPECT_EQ(face->SetScale(200), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(face->SetDispName(SString(u"gone")), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(face->GetScale(), 150);
  ISRepClassCol* col = nullptr;
  EXPECT_EQ(face->GetCollection(CLSID_SSymBase, nullptr), E_POINTER);
  EXPECT_EQ(face->GetCollection(GUID_NULL, &col), S_FALSE);
  EXPECT_EQ(col, nullptr);
}

// ---- close hooks ------------------------------------------------------------------------------------------
class TClosingDiagram : public SSymDiagram {
 public:
  using SSymDiagram::SSymDiagram;
  std::vector<bool> m_viewer;  // the viewer mode at each close

 protected:
  void CloseHook() override { m_viewer.push_back(g_IsViewer()); }
};

TEST_F(DiagramFaceTest, CloseHooksRunTheSecondInViewerModeAndPutItBack) {
  TClosingDiagram* d = NewDiagram<TClosingDiagram>();
  for (bool before : {false, true}) {
    g_SetViewer(before);
    d->m_viewer.clear();
    EXPECT_EQ(d->OnClose(), 0);
    EXPECT_EQ(d->OnCloseInViewer(), 0);
    EXPECT_EQ(d->m_viewer, (std::vector<bool>{before, true}));
    EXPECT_EQ(g_IsViewer(), before);
  }
  g_SetViewer(false);
}

// ---- session scopes ------------------------------------------------------------------------------------
namespace {
struct Switches {
  BOOL busy, noArrange, noHandling;
  bool operator==(const Switches&) const = default;
};
Switches Of(SRepSession* s) { return {s->IsBusy(), s->IsArrangeSuppressed(), s->IsHandlingSuppressed()}; }
void Put(SRepSession* s, Switches v) {
  s->SetBusy(v.busy);
  s->SetSuppressions(v.noArrange, v.noHandling);
}
}  // namespace

TEST_F(DiagramFaceTest, SwitchesGuardPutsBackItsOwnSessionOnly) {
  SRepSession* other = new SRepSession();
  other->AddRef();
  const Switches kept{FALSE, TRUE, FALSE};
  const Switches flipped{TRUE, FALSE, TRUE};
  for (bool throws : {false, true}) {
    SCOPED_TRACE(throws ? "left by an exception" : "left normally");
    Put(m_session, kept);
    Put(other, kept);
    try {
      SSessionSwitchesGuard guard(m_session);
      SSessionSwitchesGuard none(nullptr);  // no session: nothing to keep
      Put(m_session, flipped);
      Put(other, flipped);
      if (throws) throw SException("test", __FILE__, __LINE__);
    } catch (const SException&) {}
    EXPECT_EQ(Of(m_session), kept);
    EXPECT_EQ(Of(other), flipped);  // another session's switches are its own
  }
  other->Release();
}

TEST_F(DiagramFaceTest, SuspendGuardTurnsHandlingOnAgainOnlyWhenItWasOn) {
  SRepSession* other = new SRepSession();
  other->AddRef();
  const struct {
    const char* name;
    BOOL offBefore;
  } cases[] = {{"on before", FALSE}, {"off before", TRUE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_session->SetSuppressions(TRUE, c.offBefore);
    other->SetSuppressions(FALSE, FALSE);
    {
      SSessionSuspendGuard outer(m_session);
      EXPECT_EQ(outer.Suspended(), !c.offBefore);
      EXPECT_TRUE(m_session->IsHandlingSuppressed());
      EXPECT_FALSE(other->IsHandlingSuppressed());
      {
        SSessionSuspendGuard inner(m_session);
        EXPECT_FALSE(inner.Suspended());
      }
      EXPECT_TRUE(m_session->IsHandlingSuppressed());  // the inner guard found it off
    }
    EXPECT_EQ(m_session->IsHandlingSuppressed(), c.offBefore);
    EXPECT_TRUE(m_session->IsArrangeSuppressed());  // the other switch is not the guard's
  }
  SSessionSuspendGuard none(nullptr);
  EXPECT_FALSE(none.Suspended());
  m_session->SetSuppressions(FALSE, FALSE);
  other->Release();
}

namespace {
// Preferences that note whether the session handled changes while they
// started over.
class TNotingPref : public TDispPref {
 public:
  using TDispPref::TDispPref;
  void Initialize() override {
    SComOut<ISRepSession> s;
    ISRepObject* diagram = GetDiagramObject();
    if (diagram && SUCCEEDED(diagram->GetSession(&s)) && s)
      m_handlingOff.push_back(static_cast<SRepSession*>(s.Get())->IsHandlingSuppressed() != 0);
    TDispPref::Initialize();
  }
  std::vector<bool> m_handlingOff;
};
class TNotingDiagram : public TPrefDiagram {
 public:
  using TPrefDiagram::TPrefDiagram;
  HRESULT CreateDispPref() override {
    m_pref = new TNotingPref(RepObject(), m_module, m_swimlanes);
    SetDispPrefPtr(m_pref);
    return S_OK;
  }
  TNotingPref* m_pref = nullptr;
};
}  // namespace

// Preferences brought back by an undo start over with the session's
// handling off; a change of the user's own keeps it on.
TEST_F(DiagramFaceTest, PreferencesBroughtBackByUndoStartOverWithHandlingOff) {
  TNotingDiagram* d = NewDiagram<TNotingDiagram>();
  ASSERT_NE(d->GetDispPrefPtr(), nullptr);
  d->m_pref->m_handlingOff.clear();
  {
    SRepCreateContext step(static_cast<ISRepSession*>(m_session));
    d->SetDispPrefSave(SString(u"[General]\nGrid size=200\n"));
  }
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(d->m_pref->m_handlingOff, (std::vector<bool>{false, true}));
  EXPECT_FALSE(m_session->IsHandlingSuppressed());
}

// ---- destruction ------------------------------------------------------------------------------------------
namespace {
// Preferences whose end takes and drops a reference to their diagram, as
// code that queries the diagram while it goes does.
class TGrabbingPref : public TDispPref {
 public:
  using TDispPref::TDispPref;
  ~TGrabbingPref() override {
    if (ISRepObject* diagram = GetDiagramObject()) {
      diagram->AddRef();
      diagram->Release();
    }
  }
};
class TGrabbingDiagram : public TPrefDiagram {
 public:
  using TPrefDiagram::TPrefDiagram;
  HRESULT CreateDispPref() override {
    SetDispPrefPtr(new TGrabbingPref(RepObject(), m_module, m_swimlanes));
    return S_OK;
  }
};
}  // namespace

// A release made by the diagram's own destruction does not destroy it a
// second time: the live count drops by exactly one.
TEST_F(DiagramFaceTest, ReleaseDuringDestructionDoesNotDestroyAgain) {
  const long before = SSymLiveDiagramCount();
  auto* d = new TGrabbingDiagram(static_cast<ISRepSession*>(m_session));  // not held by the session
  d->AddRef();
  ASSERT_NE(d->GetDispPrefPtr(), nullptr);
  EXPECT_EQ(SSymLiveDiagramCount(), before + 1);
  d->Release();
  EXPECT_EQ(SSymLiveDiagramCount(), before);
}

// The repository's own operations, reached through the diagram's face,
// answer as the repository's part of the same object does.
TEST_F(DiagramFaceTest, RepositoryOperationsOfTheFaceAreTheObjects) {
  SSymDiagram* d = NewDiagram<SSymDiagram>();
  ISSymDiagram* face = d;
  ISRepObjectBase* rep = d->RepObject();
  ASSERT_NE(static_cast<void*>(face), static_cast<void*>(rep));
  SComOut<ISRepSession> s1, s2;
  EXPECT_EQ(face->GetSession(&s1), rep->GetSession(&s2));
  EXPECT_EQ(s1.Get(), s2.Get());
  SComOut<ISRepObject> m1, m2;
  EXPECT_EQ(face->GetModel(&m1), rep->GetModel(&m2));
  EXPECT_TRUE(SRepAreSameObjects(m1.Get(), m2.Get()));
  EXPECT_EQ(face->IsAttrReadOnly(SSymDiagramMem::IdHasNote), rep->IsAttrReadOnly(SSymDiagramMem::IdHasNote));
  EXPECT_EQ(face->IsCollectionEmpty(SSymDiagramMem::IdSymbols), S_OK);
  EXPECT_FALSE(face->IsShortcut());
  const ULONG viaFace = face->AddRef();
  EXPECT_EQ(rep->AddRef(), viaFace + 1);  // one count for both parts
  face->Release();
  rep->Release();
  ASSERT_EQ(face->Delete(), S_OK);
  EXPECT_TRUE(rep->IsDeleted());
}

// The notifying setters of the computed members: the current value again
// changes nothing and tells nobody; a new one is reported under the
// member's own id (the display name also through the code it is stored in).
TEST_F(DiagramFaceTest, ComputedSettersReportOnlyRealChanges) {
  const struct {
    const char* name;
    LONG id;
    HRESULT (*same)(ISSymDiagram*);
    HRESULT (*other)(ISSymDiagram*);  // null: no other value to store here
  } cases[] = {
      {"display name", SSymDiagramMem::IdDispName, [](ISSymDiagram* d) { return d->SetDispName(d->GetDispName()); },
       [](ISSymDiagram* d) { return d->SetDispName(SString(u"Other")); }},
      {"page size", SSymDiagramMem::IdPgSize, [](ISSymDiagram* d) { return d->SetPgSize(d->GetPgSize()); },
       [](ISSymDiagram* d) { return d->SetPgSize(d->GetPgSize() + 1); }},
      {"page format", SSymDiagramMem::IdPgFormat, [](ISSymDiagram* d) { return d->SetPgFormat(d->GetPgFormat()); },
       nullptr},
      {"content", SSymDiagramMem::IdContent, [](ISSymDiagram* d) { return d->SetContent(d->GetContent()); }, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SSymDiagram* d = NewDiagram<SSymDiagram>();
    TColSink sink;
    ASSERT_EQ(d->Advise(0, &sink), S_OK);
    EXPECT_EQ(c.same(d), S_FALSE);
    EXPECT_TRUE(sink.changes.empty());
    if (c.other) {
      EXPECT_EQ(c.other(d), S_OK);
      EXPECT_NE(std::find(sink.changes.begin(), sink.changes.end(), c.id), sink.changes.end());
    }
    d->Unadvise(&sink);
  }
}
