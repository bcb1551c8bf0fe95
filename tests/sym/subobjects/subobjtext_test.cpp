// The attribute text: the value it shows (labels, conversion tables, RTF,
// booleans, coded values with pictures, references), how it follows the
// model (the road from a change to a refitted owner, line labels telling
// their line outside undo recording, changes heard inside a step caught up
// at the next drawing, deleted objects and shortcut targets), in-place
// editing, and the group's look-ups that work on attribute texts.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "kvcore/sstringmap.h"
#include "support/attrmodel_fixture.h"
#include "support/compartments_fixture.h"
#include "support/recording_canvas.h"
#include "sym/diagram/symview.h"
#include "sym/subobjects/symsubobjtext.h"
#include "sym/tools/symeditinplace.h"

using namespace titem;

namespace {

SStringMap* Table(std::initializer_list<std::pair<const char*, const char*>> entries) {
  auto* t = new SStringMap();
  for (auto& [k, v] : entries) t->SetAt(SString(k), SString(v));
  return t;
}

void SetText(ISRepObject* o, LONG id, const char* text) {
  SRepVariant v;
  v.SetSTRING(SString(text));
  ASSERT_EQ(o->SetAttribute(id, v), S_OK);
}

class SubObjText : public SymFixture {
 protected:
  void SetUp() override {
    SymFixture::SetUp();
    item = Own(NewItem(Session(), "Order"));
    holder = Place<TSubHolder>(DiagramOwner());
  }
  void TearDown() override {
    for (SSymSubObjText* t : texts) {
      t->Delete();
      t->SetParent(nullptr);
      t->Release();
    }
    for (ISRepObject* o : owned) o->Release();
    SRepExaIntf::Instance().Clear();
    SymFixture::TearDown();
  }
  template <class T>
  T* Own(T* o) {
    owned.push_back(o);
    return o;
  }
  // A text on the holder (or another sink), bound at once, initialised.
  SSymSubObjText* Text(ISRepObject* obj, LONG id, const char* prefix = "", const char* suffix = "",
                       SStringMap* table = nullptr, ISSymSubSink* sink = nullptr) {
    auto* t = new SSymSubObjText(obj, id, SString(prefix), SString(suffix), table);
    t->AddRef();
    t->SetParent(sink ? sink : holder->Sink(), false);
    texts.push_back(t);
    t->InitializeSubSym();
    return t;
  }

  TItem* item = nullptr;
  TSubHolder* holder = nullptr;
  std::vector<SSymSubObjText*> texts;
  std::vector<ISRepObject*> owned;
};

// ---- the value shown --------------------------------------------------------------------------
struct ValueCase {
  const char* name;
  LONG id;
  const char* prefix;
  const char* suffix;
  bool table;
  std::function<void(TItem*)> set;
  const char* shown;  // "" : empty, rectangle collapsed
};

class SubObjTextValue : public SubObjText, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(SubObjTextValue, ShowsTheValueAsItsEditorLabelsAndTableMakeIt) {
  const ValueCase& p = GetParam();
  SRepExaIntf::Instance().Add(CLSID_TItem, kExt, SString("Persistent"), false);
  if (p.set) p.set(item);
  SSymSubObjText* t =
      Text(item, p.id, p.prefix, p.suffix, p.table ? Table({{"Order", "Commande"}, {"Empty", ""}}) : nullptr);
  ASSERT_NE(t->GetAttrEditor(), nullptr);
  EXPECT_EQ(t->Text(), SString(p.shown));
  SSymRect r = t->GetClipRect(0, 0);
  if (*p.shown) {
    EXPECT_GT(r.Width(), 300);  // measured, not collapsed
  } else {
    EXPECT_EQ(r.Width(), 1);
    EXPECT_EQ(r.Height(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubObjTextValue,
    ::testing::Values(
        ValueCase{"LabelsAroundTheValue", kName, "<", ">", false, nullptr, "<Order>"},
        ValueCase{"CodedValueByItsLabel", kKind, "(", ")", false, [](TItem* i) { i->m_kind = 3; }, "(View)"},
        ValueCase{"UnlistedCodeShowsRaw", kKind, "", "", false, [](TItem* i) { i->m_kind = 7; }, "7"},
        ValueCase{"TableReplacesAndDropsLabels", kName, "<", ">", true, nullptr, "Commande"},
        // A value the table does not hold shows as it is, not blank.
        ValueCase{"ValueMissingFromTableShowsRaw", kName, "", "", true,
                  [](TItem* i) { i->m_name = SString("Invoice"); }, "Invoice"},
        ValueCase{"TableMappingToEmptyCollapses", kName, "", "", true,
                  [](TItem* i) { i->m_name = SString("Empty"); }, ""},
        ValueCase{"RtfBecomesPlainText", kNote, "", "", false,
                  [](TItem* i) { SetText(i, kNote, "{\\rtf1\\ansi Hello}"); }, "Hello"},
        ValueCase{"BooleanTrueTakesTheFirstLabel", kFlag, "Yes", "No", false, [](TItem* i) { i->m_flag = true; },
                  "Yes"},
        ValueCase{"BooleanFalseTakesTheSecondLabel", kFlag, "Yes", "No", false, nullptr, "No"},
        ValueCase{"BooleanFalseEmptySecondLabel", kFlag, "Yes", "", false, nullptr, ""},
        ValueCase{"BooleanTrueWithoutLabelsAndRecord", kFlag, "", "", false, [](TItem* i) { i->m_flag = true; },
                  ""},
        ValueCase{"BooleanFalseWithoutLabels", kFlag, "", "", false, nullptr, ""},
        ValueCase{"ExtendedBooleanTrueShowsItsText", kExt, "", "", false,
                  [](TItem* i) {
                    SRepVariant v;
                    v.SetBOOL(true);
                    i->SetAttribute(kExt, v);
                  },
                  "Persistent"},
        ValueCase{"EmptyValueCollapses", kName, "<", ">", false, [](TItem* i) { i->m_name = SString(); }, ""}),
    CaseName{});

TEST_F(SubObjText, WithoutEditorKeepsItsStoredText) {
  // An attribute the class lacks has no editor: nothing is produced.
  SSymSubObjText* t = Text(item, kMissing);
  EXPECT_EQ(t->GetAttrEditor(), nullptr);
  t->_SetText(SString("stored"));
  t->InitValue();
  EXPECT_EQ(t->Text(), SString("stored"));
  SString text;
  t->GetText(text);
  EXPECT_EQ(text, SString("stored"));
  SSymRect r(0, 100, 100, 0);
  EXPECT_EQ(t->UpdateText(text, r), 0);
  EXPECT_EQ(r, SSymRect(0, 100, 100, 0));

  // Unbound: nothing either; GetText gives the stored text.
  auto* loose = new SSymSubObjText();
  loose->AddRef();
  EXPECT_EQ(loose->GetSymbolType(), 0);
  EXPECT_EQ(loose->UpdateText(text, r), 0);
  loose->InitializeSubSym();
  EXPECT_FALSE(loose->IsInitialized());  // waits for an object
  loose->Release();
}

TEST_F(SubObjText, ACodedValueWithAPictureShowsThePicture) {
  item->m_kind = 2;
  SSymSubObjText* t = Text(item, kKind);
  EXPECT_TRUE(t->GetFlags() & SUBS_PICTURE);
  EXPECT_TRUE(t->HasPicture());
  EXPECT_EQ(t->PictureSize(), 16);
  EXPECT_EQ(t->Text(), SString("X"));  // the placeholder the picture replaces
  item->m_kind = 3;
  t->InitValue();
  EXPECT_FALSE(t->GetFlags() & SUBS_PICTURE);
  EXPECT_FALSE(t->HasPicture());
  EXPECT_EQ(t->Text(), SString("View"));
}

TEST_F(SubObjText, AReferenceFollowsTheNameOfTheObjectReferredTo) {
  TItem* customer = Own(NewItem(Session(), "Customer"));
  TItem* supplier = Own(NewItem(Session(), "Supplier"));
  SRepVariant v;
  v.SetIOBJECT(customer);
  ASSERT_EQ(item->SetAttribute(kRef, v), S_OK);
  SSymSubObjText* t = Text(item, kRef);
  ASSERT_NE(t->GetValueRelay(), nullptr);
  EXPECT_EQ(t->Text(), SString("Customer"));
  SetText(customer, kName, "Client");
  EXPECT_EQ(t->Text(), SString("Client"));
  // Pointed elsewhere: the new object is heard, the old one no more.
  v.SetIOBJECT(supplier);
  ASSERT_EQ(item->SetAttribute(kRef, v), S_OK);
  EXPECT_EQ(t->Text(), SString("Supplier"));
  SetText(customer, kName, "Buyer");
  SetText(supplier, kName, "Vendor");
  EXPECT_EQ(t->Text(), SString("Vendor"));
  // Unbound: the relay is gone and nothing is heard.
  t->Delete();
  EXPECT_EQ(t->GetValueRelay(), nullptr);
  SetText(supplier, kName, "Seller");
  EXPECT_EQ(t->Text(), SString("Vendor"));
}

TEST_F(SubObjText, ATextWiderThanItsBoxWrapsInsideIt) {
  SetText(item, kName, "An order line with a very long name that cannot fit into the box of its owner");
  SSymSubObjText* t = Text(item, kName);
  SSymRect owner = holder->GetClipRect(0, 0);
  SSymRect r = t->GetClipRect(0, 0);
  EXPECT_EQ(r.Width(), owner.Width() - 300);
  EXPECT_EQ(r.Height(), owner.Height() - 100);
  EXPECT_EQ(r.GetCenter(), owner.Normalize().GetCenter());
}

TEST_F(SubObjText, ADeferredBindingWaitsForTheFirstDrawing) {
  auto* t = new SSymSubObjText(item, kName, SString(), SString(), nullptr, 1);
  t->AddRef();
  t->SetParent(holder->Sink(), false);
  texts.push_back(t);
  EXPECT_EQ(t->GetObject(), static_cast<ISRepObject*>(item));
  EXPECT_EQ(t->GetAttrEditor(), nullptr);
  EXPECT_FALSE(t->IsAdvised());
  RecordingCanvas canvas;
  t->Draw(canvas);
  EXPECT_TRUE(t->IsAdvised());
  EXPECT_EQ(t->Text(), SString("Order"));
  // A flush reloads what the object shows.
  item->m_name = SString("Quiet");
  item->Flush();
  EXPECT_EQ(t->Text(), SString("Quiet"));
  // Bound to nothing: unregistered, the text stays.
  t->SetObject(nullptr);
  EXPECT_EQ(t->GetObject(), nullptr);
  EXPECT_FALSE(t->IsAdvised());
  SetText(item, kName, "Loud");
  EXPECT_EQ(t->Text(), SString("Quiet"));
}

// ---- following the model ---------------------------------------------------------------------------
TEST_F(SubObjText, AChangeRedrawsTheTextAndRefitsOrRedrawsItsOwner) {
  SSymSubObjText* t = Text(item, kName);
  ASSERT_TRUE(t->IsAdvised());
  holder->m_adjusted = 1;
  const int before = holder->m_subRedraws;
  SetText(item, kName, "Order lines");
  EXPECT_EQ(t->Text(), SString("Order lines"));
  EXPECT_EQ(holder->m_subRedraws, before + 2);  // the old area, then the new
  ASSERT_EQ(m_diagram->m_fitted.size(), 1u);
  EXPECT_EQ(m_diagram->m_fitted[0], holder->Sym());

  // An owner that does not fit itself to its texts is redrawn.
  holder->m_adjusted = 0;
  const int redraws = holder->m_redraws;
  SetText(item, kName, "Orders");
  EXPECT_EQ(holder->m_redraws, redraws + 1);
  EXPECT_EQ(m_diagram->m_fitted.size(), 1u);

  // Other attributes are not its business.
  item->m_kind = 3;
  item->_PostSetAttribute(kKind);
  EXPECT_EQ(holder->m_redraws, redraws + 1);

  // The attribute changed: the old one is no longer heard.
  t->SetDispid(kKind);
  EXPECT_EQ(t->Text(), SString("View"));
  SetText(item, kName, "Ignored");
  EXPECT_EQ(t->Text(), SString("View"));
}

TEST_F(SubObjText, AChangeInsideAStepIsCaughtUpAtTheNextDrawing) {
  SSymSubObjText* t = Text(item, kName);
  {
    SRepCreateContext step(Session());
    SetText(item, kName, "Renamed");
    EXPECT_EQ(t->Text(), SString("Order"));  // not followed inside the step
  }
  RecordingCanvas canvas;
  t->Draw(canvas);
  EXPECT_EQ(t->Text(), SString("Renamed"));
}

TEST_F(SubObjText, ALabelTellsItsLineOfALargeResizeButNotWhileUndoRecords) {
  TLabelLine* line = Place<TLabelLine>(DiagramOwner());
  SSymSubObjText* t = Text(item, kName, "", "", nullptr, line->Sink());
  // The first value: a label that had no size tells its line it was small.
  ASSERT_EQ(line->m_resized.size(), 1u);
  EXPECT_EQ(line->m_resized[0], t->SymFace());
  EXPECT_EQ(line->m_small[0], 1);
  // A value of nearly the same size: no notice.
  SetText(item, kName, "Ordex");
  EXPECT_EQ(line->m_resized.size(), 1u);
  SetText(item, kName, "Order lines of the customer");
  ASSERT_EQ(line->m_resized.size(), 2u);
  EXPECT_EQ(line->m_small[1], 0);

  // Inside a recorded step the text follows (its diagram's holder says the
  // change is its own) but the line is not told.
  SRepControlHolder controls;
  controls.SetChangeInContext(TRUE);
  m_diagram->SetHolder(&controls);
  {
    SRepCreateContext step(Session());
    SetText(item, kName, "Ord");
    EXPECT_EQ(t->Text(), SString("Ord"));
  }
  EXPECT_EQ(line->m_resized.size(), 2u);
  m_diagram->SetHolder(nullptr);
}

TEST_F(SubObjText, ADeletedObjectUnbindsAndTheTextShowsWhatItHad) {
  SSymSubObjText* t = Text(item, kName);
  ASSERT_EQ(item->Delete(), S_OK);
  EXPECT_EQ(t->GetObject(), nullptr);
  EXPECT_FALSE(t->IsAdvised());
  EXPECT_EQ(t->Text(), SString("Order"));
  RecordingCanvas canvas;
  EXPECT_EQ(t->Draw(canvas), S_OK);
  // Bound to a deleted object: nothing is advised, the value is empty.
  SSymSubObjText* late = Text(item, kName);
  EXPECT_FALSE(late->IsAdvised());
  EXPECT_EQ(late->Text(), SString());
}

TEST_F(SubObjText, AShortcutFollowsItsTargetAndTheTargetsAncestors) {
  TItem* package = Own(NewItem(Session(), "Sales"));
  TItem* target = Own(NewItem(Session(), "Invoice"));
  ASSERT_EQ(package->Collection(kChildren)->Insert(target, -1), S_OK);
  auto* shortcut = Own(new SRepShortcut(target, Session()));
  shortcut->AddRef();
  SSymSubObjText* t = Text(static_cast<SRepObject*>(shortcut), kName);
  SSymSubObjText* shown = Text(static_cast<SRepObject*>(shortcut), kDisplay);
  EXPECT_EQ(t->Text(), SString("Invoice"));
  SetText(target, kName, "Bill");
  EXPECT_EQ(t->Text(), SString("Bill"));

  // A display name shows the path: its ancestors' renaming reaches it.
  const int before = holder->m_subRedraws;
  SetText(package, kDisplay, "Sales and billing");
  EXPECT_EQ(holder->m_subRedraws, before + 2);
  (void)shown;

  // The target goes: the text stays bound to the shortcut, unregistered,
  // and the next drawing registers it again.
  ASSERT_EQ(target->Delete(), S_OK);
  EXPECT_EQ(t->GetObject(), static_cast<ISRepObject*>(static_cast<SRepObject*>(shortcut)));
  EXPECT_FALSE(t->IsAdvised());
  RecordingCanvas canvas;
  t->Draw(canvas);
  EXPECT_TRUE(t->IsAdvised());
}

// ---- editing --------------------------------------------------------------------------------------
TEST_F(SubObjText, CanRenameOnlyAWritableDisplayName) {
  EXPECT_EQ(Text(item, kDisplay)->CanRename(), 1);
  EXPECT_EQ(Text(item, kName)->CanRename(), 0);
  EXPECT_EQ(Text(item, kLocked)->CanRename(), 0);
  auto* unbound = new SSymSubObjText();
  unbound->AddRef();
  EXPECT_EQ(unbound->CanRename(), 0);
  EXPECT_EQ(unbound->Release(), 0u);
}

struct EditCase {
  const char* name;
  LONG id;
  std::function<void(SSymSubObjText*)> prepare;
  bool withController;
  bool noView;
  HRESULT result;
};

class SubObjTextEdit : public SubObjText, public ::testing::WithParamInterface<EditCase> {};

TEST_P(SubObjTextEdit, HandsObjectAttributeFontAndRectangleToTheControl) {
  const EditCase& p = GetParam();
  SSymSubObjText* t = Text(item, p.id);
  t->SetRect(SSymRect(100, 900, 2100, 500));
  if (p.prepare) p.prepare(t);
  SSymView view;
  SSymEditInPlaceController::s_lastObject = nullptr;
  SSymEditInPlaceController::s_lastCtrlSize = SSymSize();
  std::unique_ptr<SSymEditInPlaceController> controller;
  if (p.withController) controller.reset(SSymEditInPlaceController::Create());
  SSymView* v = p.noView ? nullptr : &view;
  const HRESULT hr =
      p.withController ? t->EditInPlace(controller.get(), v, SSymPoint()) : t->EditInPlace(v, SSymPoint(), 0);
  EXPECT_EQ(hr, p.result);
  SSymEditInPlaceController::s_nNextResult = 0;
  SSymEditInPlaceController::s_bFailNextCreate = false;
  if (hr != S_OK) return;
  EXPECT_EQ(SSymEditInPlaceController::s_lastObject, static_cast<ISRepObject*>(item));
  EXPECT_EQ(SSymEditInPlaceController::s_lastAttr, p.id);
  EXPECT_EQ(SSymEditInPlaceController::s_lastFont, t->GetSubFont());
  EXPECT_EQ(SSymEditInPlaceController::s_lastRect, t->GetClipRect(1, 1));
  // A choice among values is as wide as the widest value.
  const bool sized = p.withController && p.id == kKind;
  EXPECT_EQ(SSymEditInPlaceController::s_lastCtrlSize.cx > 0, sized);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubObjTextEdit,
    ::testing::Values(
        EditCase{"WritableName", kName, nullptr, false, false, S_OK},
        EditCase{"CodedValueSizedByItsValues", kKind, nullptr, true, false, S_OK},
        EditCase{"FreeTextNotMeasured", kName, nullptr, true, false, S_OK},
        EditCase{"NoView", kName, nullptr, false, true, E_POINTER},
        EditCase{"Unbound", kName, [](SSymSubObjText* t) { t->Delete(); }, false, false, E_POINTER},
        EditCase{"ReadOnly", kLocked, nullptr, false, false, 1},
        EditCase{"Hidden", kName, [](SSymSubObjText* t) { t->SetFlag(SUBS_HIDDEN, true); }, false, false, 1},
        EditCase{"NotEditable", kName, [](SSymSubObjText* t) { t->SetFlag(SUBS_EDITABLE, false); }, false, false,
                 1},
        EditCase{"EmptyValue",
                 kName,
                 [](SSymSubObjText* t) {
                   SetText(t->GetObject(), kName, "");
                 },
                 false, false, 1},
        EditCase{"ExtendedWithoutRecord", kExt,
                 [](SSymSubObjText* t) {
                   SRepExaIntf::Instance().Add(CLSID_TItem, kFlag, SString("Other"), false);
                   t->_SetSuffix(SString("off"));
                   t->InitValue();
                 },
                 false, false, 1},
        EditCase{"ReferenceHasNoInPlaceControl", kRef,
                 [](SSymSubObjText* t) { t->_SetText(SString("someone")); }, false, false, E_FAIL},
        EditCase{"ControlFails", kName, [](SSymSubObjText*) { SSymEditInPlaceController::s_nNextResult = -1; },
                 false, false, E_FAIL},
        EditCase{"NoControllerCanBeMade", kName,
                 [](SSymSubObjText*) { SSymEditInPlaceController::s_bFailNextCreate = true; }, false, false,
                 E_OUTOFMEMORY}),
    CaseName{});

// ---- the group and drops --------------------------------------------------------------------------
// A sub grid stand-in: answers an object under every point when m_hit.
class TGrid : public TSub, public ISSymSubGridHit {
 public:
  int GetSymbolType() override { return 6; }
  ISRepObject* GetSubObjWithPt(const SSymCanvas&, SSymPoint&, SSymSelSubSymData& data) override {
    if (!m_hit) return nullptr;
    data.m_pSubGrid = this;
    data.m_rect = SSymRect(1, 2, 3, 0);
    return m_hit;
  }
  ISRepObject* m_hit = nullptr;
};

TEST_F(SubObjText, TheGroupFindsAttributeTextsByIdAndGridObjectsByPoint) {
  THost* h = Place<THost>(DiagramOwner());
  auto* plain = h->Add(new SSymSubText(nullptr, SString("plain"), SSymRect()));
  auto* layout = h->Add(new SSymSubLayout(h->Sym()));
  auto* name = h->Add(new SSymSubObjText(item, kName, SString(), SString(), nullptr), layout);
  auto* missGrid = h->Add(new TGrid());
  auto* hitGrid = h->Add(new TGrid(), layout);
  hitGrid->m_hit = item;
  SSymSubGroup& g = h->m_group;
  EXPECT_EQ(g.GetSubSymbolById(kName), name);  // inside a nested layout
  EXPECT_EQ(g.GetSubSymbolById(kKind), nullptr);
  EXPECT_EQ(g.GetSubSymbolById(0), nullptr);  // a plain text is not an attribute text
  (void)plain;

  RecordingCanvas canvas;
  SSymPoint pt(10, 10);
  SSymSelSubSymData data;
  EXPECT_EQ(g.GetSubObjOnPt(canvas, pt, data), static_cast<ISRepObject*>(item));
  EXPECT_EQ(data.m_pSubGrid, hitGrid);
  EXPECT_EQ(data.m_rect, SSymRect(1, 2, 3, 0));
  hitGrid->m_hit = nullptr;
  SSymSelSubSymData none;
  EXPECT_EQ(g.GetSubObjOnPt(canvas, pt, none), nullptr);
  EXPECT_EQ(none.m_pSubGrid, nullptr);
  (void)missGrid;
  name->Delete();  // let the object go before the session does
}

TEST_F(SubObjText, ADropOnATextAsksItsLine) {
  TLabelLine* line = Place<TLabelLine>(DiagramOwner());
  SSymSubObjText* label = Text(item, kName, "", "", nullptr, line->Sink());
  EXPECT_EQ(label->IsDropPossible(SSymPoint(5, 6)), 0);
  EXPECT_EQ(line->m_dropAsked, label->SymFace());
  EXPECT_EQ(line->m_dropAt, SSymPoint(5, 6));
  line->m_drop = 1;
  EXPECT_EQ(label->IsDropPossible(SSymPoint(5, 6)), 1);
  // Any other holder, or none: possible.
  EXPECT_EQ(Text(item, kName)->IsDropPossible(SSymPoint(5, 6)), 1);
  auto* loose = new SSymSubText();
  loose->AddRef();
  EXPECT_EQ(loose->IsDropPossible(SSymPoint(5, 6)), 1);
  loose->Release();
}

}  // namespace
