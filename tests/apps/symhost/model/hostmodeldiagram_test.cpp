// The host's diagram operations on model objects and the faces of the
// symbols they make: creation, links, completion, copies, lookup, and the
// answers to objects that have no symbol kind, other sessions and bad input.
#include <gtest/gtest.h>

#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/samplediagram.h"
#include "kvrep/srepextras.h"
#include "sym/foundation/symclassreg.h"
#include "win/winreg.h"

namespace {

using namespace SHostId;

class HostModelDiagram : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    view = holder.Model();
    ASSERT_NE(nullptr, view);
    model = SHostNewModel(holder.Session(), SString(u"M"));
    a = SHostAddEntity(Model(), SString(u"A"));
    b = SHostAddEntity(Model(), SString(u"B"));
    SHostAddAttribute(a, SString(u"id"), SString(u"integer"));
    SHostAddAttribute(a, SString(u"name"), SString());
    rel = SHostAddRelation(Model(), SString(u"owns"), a, b);
  }
  void TearDown() override {
    model->Release();
    KvRegReset();
  }
  ISRepObject* Model() { return static_cast<ISRepObjectBase*>(model); }
  // The holder draws what the operations made and lets go of it at the end.
  ISSymbol* Keep(ISSymbol* s) {
    holder.Track(s);
    return s;
  }
  static ISRepObject* Shown(ISSymbol* s) {
    SComWrap<ISSymObject> so(s);
    if (so.IsNull()) return nullptr;
    SComOut<ISRepObject> o;
    so->GetModelObject(&o);
    return o.Get();
  }
  static SSymRect RectOf(ISSymbol* s) {
    SSymRect r = SSymBase::FromInterface(s)->m_rect;
    r.Normalize();
    return r;
  }
  SHostDiagram holder;
  SHostModelDiagram* view = nullptr;
  SHostPackage* model = nullptr;
  SRepObject *a = nullptr, *b = nullptr, *rel = nullptr;
};

TEST_F(HostModelDiagram, EntitiesGetSymbolsThatShowThemAndAreFound) {
  ISSymbol* s = Keep(view->CreateSymbolForObject(a, 1000, -500, 1));
  ASSERT_NE(nullptr, s);
  EXPECT_TRUE(SRepAreSameObjects(Shown(s), a));
  EXPECT_TRUE(view->Contains(s, 0));
  EXPECT_EQ(s, view->FindSymbolOfObject(a, 0));
  EXPECT_EQ(nullptr, view->FindSymbolOfObject(b, 0));
  // Placed at the point, sized to the name and two attributes.
  const SSymRect r = RectOf(s);
  EXPECT_EQ(1000, r.x1);
  EXPECT_EQ(-500, r.y1);
  EXPECT_EQ(SHostEntitySymbolSize(a).cy, r.y1 - r.y2);
  EXPECT_GT(SHostEntitySymbolSize(a).cy, SHostEntitySymbolSize(b).cy);
  SComWrap<ISSymText> text(s);
  ASSERT_FALSE(text.IsNull());
  SString t;
  text->GetText(t);
  EXPECT_EQ(SString(u"A\r\nid : integer\r\nname"), t);
  // Not added: the diagram keeps it and still finds it.
  ISSymbol* loose = view->CreateSymbolForObject(b, 0, 0, 0);
  ASSERT_NE(nullptr, loose);
  EXPECT_FALSE(view->Contains(loose, 0));
  EXPECT_EQ(loose, view->FindSymbolOfObject(b, 0));
}

TEST_F(HostModelDiagram, ObjectsWithoutASymbolKindAndBadInputGetNone) {
  SHostDiagram other;
  SHostPackage* foreign = SHostNewModel(other.Session(), SString(u"F"));
  SRepObject* stranger = SHostAddEntity(static_cast<ISRepObjectBase*>(foreign), SString(u"S"));
  SRepObject* gone = SHostAddEntity(Model(), SString(u"Gone"));
  ASSERT_EQ(S_OK, gone->Delete());
  SRepObject* attribute = SHostAddAttribute(b, SString(u"x"), SString());
  for (ISRepObject* o : {static_cast<ISRepObject*>(nullptr), Model(), static_cast<ISRepObject*>(attribute),
                         static_cast<ISRepObject*>(rel), static_cast<ISRepObject*>(stranger),
                         static_cast<ISRepObject*>(gone)}) {
    EXPECT_EQ(nullptr, view->CreateSymbolForObject(o, 0, 0, 1));
    EXPECT_EQ(nullptr, view->FindSymbolOfObject(o, 0));
  }
  ISSymbol* sa = Keep(view->CreateSymbolForObject(a, 0, 0, 1));
  EXPECT_EQ(nullptr, view->CreateLinkSymbolForObject(a, sa, sa)) << "not a link object";
  EXPECT_EQ(nullptr, view->CreateLinkSymbolForObject(rel, sa, nullptr));
  EXPECT_EQ(nullptr, view->CreateLinkSymbolForObject(nullptr, sa, sa));
  EXPECT_EQ(nullptr, view->CopySymbolForObject(a, nullptr, 1, SSymSize(), 0, nullptr));
  EXPECT_EQ(nullptr, view->CopySymbolForObject(nullptr, sa, 1, SSymSize(), 0, nullptr));
  EXPECT_EQ(nullptr, view->CopyLinkSymbolForObject(rel, sa, sa, nullptr, SSymSize()));
  const int count = view->GetCount();
  EXPECT_EQ(1, count);
  foreign->Release();
}

TEST_F(HostModelDiagram, TheLibrarysOwnDiagramAnswersNothing) {
  SComOut<ISRepObject> made;
  ASSERT_EQ(S_OK, SSymCreateStd<SSymDiagram>(&made, holder.Session(), nullptr));
  SComWrap<ISSymDiagram> plain(made.Get());
  ASSERT_FALSE(plain.IsNull());
  ISSymbol* sa = Keep(view->CreateSymbolForObject(a, 0, 0, 1));
  EXPECT_EQ(nullptr, plain->CreateSymbolForObject(a, 0, 0, 1));
  EXPECT_EQ(nullptr, plain->CreateLinkSymbolForObject(rel, sa, sa));
  EXPECT_EQ(nullptr, plain->CopySymbolForObject(a, sa, 1, SSymSize(), 0, nullptr));
  EXPECT_EQ(nullptr, plain->CopyLinkSymbolForObject(rel, sa, sa, nullptr, SSymSize()));
  EXPECT_EQ(nullptr, plain->FindSymbolOfObject(a, 0));
}

TEST_F(HostModelDiagram, CompletionLinksShownEndsOnce) {
  ISSymbol* sa = Keep(view->CreateSymbolForObject(a, 0, 0, 1));
  SComWrap<ISSymObject> so(sa);
  so->CompleteLink(1);  // the other end is not shown: no link
  EXPECT_EQ(nullptr, view->FindSymbolOfObject(rel, 0));
  ISSymbol* sb = Keep(view->CreateSymbolForObject(b, 20000, 0, 1));
  so->CompleteLink(1);
  ISSymbol* link = view->FindSymbolOfObject(rel, 0);
  ASSERT_NE(nullptr, link);
  Keep(link);
  so->CompleteLink(1);  // already there: nothing more
  EXPECT_EQ(3, view->GetCount());
  EXPECT_TRUE(SRepAreSameObjects(Shown(link), rel));
  SComWrap<ISSymLink> l(link);
  ASSERT_FALSE(l.IsNull());
  SComOut<ISSymbol> first, second;
  l->GetAttachSym(0, &first);
  l->GetAttachSym(1, &second);
  EXPECT_EQ(sa, first.Get());
  EXPECT_EQ(sb, second.Get());
  EXPECT_EQ(SString(u"owns"), static_cast<SSymLinkSym*>(SSymBase::FromInterface(link))->GetText(0));
}

TEST_F(HostModelDiagram, CopiesAreBoundToTheDestinationAndMapped) {
  ISSymbol* sa = Keep(view->CreateSymbolForObject(a, 0, 0, 1));
  ISSymbol* sb = Keep(view->CreateSymbolForObject(b, 20000, 0, 1));
  SRepObject* a2 = SHostAddEntity(Model(), SString(u"A2"));
  SRepObject* b2 = SHostAddEntity(Model(), SString(u"B2"));
  SRepObject* rel2 = SHostAddRelation(Model(), SString(u"owns too"), a2, b2);
  SRepMapObject map;
  ISSymbol* ca = Keep(view->CopySymbolForObject(a2, sa, 1, SSymSize(300, -7200), 0, &map));
  ISSymbol* cb = Keep(view->CopySymbolForObject(b2, sb, 1, SSymSize(300, -7200), 0, nullptr));
  ASSERT_NE(nullptr, ca);
  ASSERT_NE(nullptr, cb);
  EXPECT_TRUE(SRepAreSameObjects(Shown(ca), a2));
  EXPECT_EQ(RectOf(sa).x1 + 300, RectOf(ca).x1);
  EXPECT_EQ(RectOf(sa).y1 - 7200, RectOf(ca).y1);
  EXPECT_EQ(SSymBase::FromInterface(ca)->Obj(), map.Find(SSymBase::FromInterface(sa)->Obj()));
  ISSymbol* link = Keep(view->CreateLinkSymbolForObject(rel, sa, sb));
  SComWrap<ISSymLink> source(link);
  ISSymbol* copy = Keep(view->CopyLinkSymbolForObject(rel2, ca, cb, source.Get(), SSymSize(300, -7200)));
  ASSERT_NE(nullptr, copy);
  EXPECT_TRUE(SRepAreSameObjects(Shown(copy), rel2));
  EXPECT_EQ(copy, view->FindSymbolOfObject(rel2, 0));
  // A link symbol is no entity symbol to copy.
  EXPECT_EQ(nullptr, view->CopySymbolForObject(a2, link, 1, SSymSize(), 0, nullptr));
}

TEST_F(HostModelDiagram, EntitySymbolsAnswerTheHostFaces) {
  ISSymbol* s = Keep(view->CreateSymbolForObject(a, 0, 0, 1));
  SComWrap<ISSymSubSym> sub(s);
  ASSERT_FALSE(sub.IsNull());
  LONG l = -1, r = -1, t = -1, bt = -1, w = -1, h = -1;
  EXPECT_EQ(1, sub->GetSubSymMargins(&l, &r, &t, &bt));
  EXPECT_TRUE(l > 0 && l == r && t == bt);
  EXPECT_EQ(1, sub->GetSubSymMargins(nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(1, sub->GetSubSymMinSize(&w, &h));
  EXPECT_GT(w, 0);
  EXPECT_EQ(1, sub->GetSubSymSize(&w, &h));
  EXPECT_EQ(RectOf(s).x2 - RectOf(s).x1, w);
  STable<SSymSubsFonts*> list;
  EXPECT_EQ(0, sub->GetSubSymList(list, 1));
  EXPECT_EQ(0, list.GetCount());
  EXPECT_EQ(0, sub->GetSubSymCount(0));
  for (int i : {-1, 0, 5}) EXPECT_EQ(nullptr, sub->GetSubSymbol(i, 0));
  SComWrap<ISSymCompView> cv(s);
  ASSERT_FALSE(cv.IsNull());
  EXPECT_EQ(1, cv->IsLastCompLast());
  SComWrap<ISSymClone> clone(s);
  ASSERT_FALSE(clone.IsNull());
  SString name(u"A");
  clone->CloneText(name);  // shown once: unchanged
  EXPECT_EQ(SString(u"A"), name);
  SComWrap<ISSymObject> so(s);
  so->OnAttachedToComposite();
  EXPECT_EQ(1, dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(s))->m_nAttached);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(Shown(s)), so->GetIdent());
  EXPECT_EQ(E_POINTER, so->GetModelObject(nullptr));
}

}  // namespace
