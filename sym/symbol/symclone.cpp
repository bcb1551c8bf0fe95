#include "sym/symbol/symclone.h"

#include <vector>

#include "kvrep/srepsession.h"
#include "sym/symbol/symbase.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
using Helper = SSymCloneSymbolHelper;

// The object's ISRepObject face (counted wrapper), so that identities compare.
RepObjWrap Canon(IUnknown* unk) { return RepObjWrap(unk); }

// The first member of a collection of the object (counted wrapper).
RepObjWrap First(ISRepObject* obj, LONG id) {
  RepObjWrap out;
  SComOut<ISRepClassCol> col;
  if (!obj || obj->GetCollection(id, &col) != S_OK || !col) return out;
  SComOut<ISRepObject> first;
  if (col->GetCount() > 0 && col->Item(0, &first) == S_OK && first) out = first.Get();
  return out;
}

void RemoveFirst(ISRepObject* obj, LONG id) {
  SComOut<ISRepClassCol> col;
  if (!obj || obj->GetCollection(id, &col) != S_OK || !col) return;
  if (col->GetCount() > 0) col->Remove(0);
}

void Append(ISRepObject* obj, LONG id, ISRepObject* other) {
  SComOut<ISRepClassCol> col;
  if (!obj || !other || obj->GetCollection(id, &col) != S_OK || !col) return;
  if (col->GetPos(other) < 0) col->Insert(other, -1);
}

// The refresh call of a clone's symbol: its clone operation without result.
void Refresh(ISRepObject* obj) {
  SComWrap<ISSymbol> s(obj);
  if (!s.IsNull()) s->Clone(nullptr, 1);
}

// Walks one direction from obj, counting what it meets into met; a link to
// an object met already is cut (the first member of the collection followed).
void CountWalk(ISRepObject* obj, LONG id, SComBag<ISRepObject>& met) {
  RepObjWrap cur(obj);
  for (int step = 0; step < Helper::MaxSteps && !cur.IsNull(); ++step) {
    RepObjWrap next = First(cur, id);
    if (next.IsNull()) return;
    if (met.Contains(next.Get())) {
      RemoveFirst(cur, id);
      return;
    }
    met.Add(next.Get());
    cur = next;
  }
}

RepObjWrap Head(ISRepObject* obj) {
  RepObjWrap cur(obj);
  for (int step = 0; step < Helper::MaxSteps; ++step) {
    RepObjWrap pred = First(cur, Helper::PredColl);
    if (pred.IsNull()) break;
    cur = pred;
  }
  return cur;
}

// The diagram object of a symbol object (counted wrapper), or empty.
RepObjWrap DiagramOf(ISRepObject* obj) {
  SComWrap<ISSymbol> s(obj);
  RepObjWrap out;
  if (s.IsNull()) return out;
  SComOut<ISSymDiagram> d;
  if (s->GetDiagram(&d) == S_OK && d) out = RepObjWrap(d.Get());
  return out;
}
}  // namespace

HRESULT SSymCloneSymbolHelper::GetClone(ISRepObject* object, int n, ISSymClone** out) {
  if (!object || !out) return E_POINTER;
  *out = nullptr;
  RepObjWrap cur = Head(object);
  for (int i = 0; i < n && i < MaxSteps * 100; ++i) {
    RepObjWrap next = First(cur, SuccColl);
    if (next.IsNull()) return S_FALSE;
    cur = next;
  }
  if (cur->QueryInterface(IID_ISSymClone, reinterpret_cast<void**>(out)) != S_OK) *out = nullptr;
  return S_OK;
}

int SSymCloneSymbolHelper::GetCloneCount(ISRepObject* object) {
  RepObjWrap obj = Canon(object);
  if (obj.IsNull()) return 0;
  SComBag<ISRepObject> met(50, 25);
  met.Add(obj.Get());
  CountWalk(obj, SuccColl, met);
  CountWalk(obj, PredColl, met);
  return met.GetCount();
}

int SSymCloneSymbolHelper::GetCloneNo(ISSymClone* clone) {
  RepObjWrap cur = Canon(clone);
  if (cur.IsNull()) return 0;
  int n = 0;
  for (; n < MaxSteps; ++n) {
    RepObjWrap pred = First(cur, PredColl);
    if (pred.IsNull()) break;
    cur = pred;
  }
  return n;
}

void SSymCloneSymbolHelper::AddCloneNumber(ISRepObject* object, SString& text, ISSymClone* clone) {
  if (!object || GetCloneCount(object) <= 1) return;
  text += " : ";
  text += SString::Format("%d", GetCloneNo(clone) + 1);
}

int SSymCloneSymbolHelper::GetNames(ISRepObject* object, ISRepObject* named, SString* out, LONG first, LONG second) {
  if (!out) return 0;
  *out = SString();
  if (!named) return 0;
  SRepVariant v;
  if (named->GetAttribute(first, &v) == S_OK) *out = v.GetSTRING();
  else if (named->GetAttribute(second, &v) == S_OK) *out = v.GetSTRING();
  else return 0;
  SComWrap<ISSymClone> clone(named);
  if (!clone.IsNull() && clone->IsCloneNumbering() && GetCloneCount(object) > 1)
    AddCloneNumber(object, *out, clone);
  return 1;
}

int SSymCloneSymbolHelper::GetDispName(ISRepObject* object, ISRepObject* named, SString* out) {
  return GetNames(object, named, out, 0x100000B, 0x1000002);
}
int SSymCloneSymbolHelper::GetName(ISRepObject* object, ISRepObject* named, SString* out) {
  return GetNames(object, named, out, 0x1000002, 0x100000B);
}
int SSymCloneSymbolHelper::GetCode(ISRepObject* object, ISRepObject* named, SString* out) {
  return GetNames(object, named, out, 0x1000004, 0x100000B);
}

void SSymCloneSymbolHelper::AddClone(ISRepObject* object, ISRepObject* clone) {
  RepObjWrap obj = Canon(object), cl = Canon(clone);
  if (obj.IsNull() || cl.IsNull() || obj.Get() == cl.Get()) return;
  RepObjWrap cur = obj;
  for (int step = 0;; ++step) {
    if (step > MaxSteps) return;
    RepObjWrap next = First(cur, SuccColl);
    if (next.IsNull()) break;
    if (next.Get() == cl.Get()) return;
    cur = next;
  }
  Append(cur, SuccColl, cl);
}

void SSymCloneSymbolHelper::RemoveClone(ISRepObject* object) {
  RepObjWrap obj = Canon(object);
  if (obj.IsNull()) return;
  RepObjWrap pred = First(obj, PredColl), succ = First(obj, SuccColl);
  RemoveFirst(obj, PredColl);
  RemoveFirst(obj, SuccColl);
  if (!pred.IsNull() && !succ.IsNull() && pred.Get() != succ.Get()) Append(pred, SuccColl, succ);
}

ISSymbol* SSymCloneSymbolHelper::CreateClone(ISSymbol* symbol, SRepMapObject* map, ISSymbol** srcEnd,
                                             ISSymbol** dstEnd) {
  if (srcEnd) *srcEnd = nullptr;
  if (dstEnd) *dstEnd = nullptr;
  if (!symbol) return nullptr;
  RepObjWrap obj(symbol);
  if (map && !obj.IsNull())
    if (ISRepObject* copy = map->Find(obj.Get())) return PostOleInCast(copy);
  SComOut<ISSymbol> raw;
  if (symbol->Clone(&raw, 1) != S_OK || !raw) return nullptr;
  SComWrap<ISSymbol> clone(raw.Get());
  RepObjWrap cobj(clone);
  if (map && !obj.IsNull() && !cobj.IsNull()) map->SetAt(obj.Get(), cobj.Get());
  if (!obj.IsNull() && !cobj.IsNull()) AddClone(obj, cobj);
  SComWrap<ISSymLink> link(symbol), clink(clone);
  if (!link.IsNull() && !clink.IsNull()) {
    SComWrap<ISSymbol> counterpart[2];
    for (int end = 0; end < 2; ++end) {
      SComOut<ISSymbol> e;
      link->GetAttachSym(end, &e);
      SComWrap<ISSymbol> endSym(e.Get());
      if (endSym.IsNull()) continue;
      RepObjWrap eobj(endSym);
      if (map && !eobj.IsNull()) {
        if (ISRepObject* copy = map->Find(eobj.Get())) {
          counterpart[end] = SComWrap<ISSymbol>(copy);
        } else {
          // The nearest mapped parent: its copy's child of the same model object.
          RepObjWrap up = eobj;
          for (int step = 0; step < MaxSteps && counterpart[end].IsNull(); ++step) {
            SComOut<ISRepObject> p;
            if (up->GetParent(&p) != S_OK || !p) break;
            up = p.Get();
            ISRepObject* pcopy = map->Find(up.Get());
            if (!pcopy) continue;
            SComWrap<ISSymCompSym> comp(pcopy);
            SComWrap<ISSymObject> want(endSym);
            if (comp.IsNull() || want.IsNull()) break;
            SComTable<ISSymbol> kids;
            comp->GetAllChildren(kids, 0);
            for (int k = 0; k < kids.GetCount(); ++k) {
              SComWrap<ISSymObject> so(kids.GetAt(k));
              if (!so.IsNull() && so->GetIdent() == want->GetIdent()) {
                counterpart[end] = kids.GetAt(k);
                break;
              }
            }
            break;
          }
        }
      }
      SComOut<ISSymbol> attached;
      clink->GetAttachSym(end, &attached);
      const bool has = !attached.IsNull();
      if (!has && counterpart[end].IsNull()) {
        counterpart[end] = CreateClone(endSym, nullptr, nullptr, nullptr);
        ISSymbol** give = end == 0 ? srcEnd : dstEnd;
        if (give) *give = counterpart[end].Get();
      }
    }
    for (int end = 0; end < 2; ++end) {
      SComWrap<ISSymLinkable> target(counterpart[end]);
      if (target.IsNull()) continue;
      SSymPoint pt;
      link->GetAttachPoint(pt, end);
      target->GetDefAttachPt(clink, end, pt);
      clink->AttachSym(end, target, pt);
    }
  }
  if (!map) {
    SComOut<ISSymDiagram> d;
    if (symbol->GetDiagram(&d) == S_OK && d) {
      d->AdjustSymbolToText(symbol, 1, 0);
      d->AdjustSymbolToText(clone, 1, 0);
    }
  }
  // The session (or the map) keeps the clone; a clone nobody keeps stays
  // with one reference for the caller.
  SRepObject* impl = SRepObject::FromInterface(clone);
  ISSymbol* result = clone.Get();
  if (!(impl && impl->IsAttached()) && !map) result->AddRef();
  return result;
}

int SSymCloneSymbolHelper::OnCloneCreation(ISRepObject* clone, ISRepContext* context) {
  if (!clone) return 0;
  if (auto* ctx = dynamic_cast<SRepContext*>(context))
    if (SRepObject* o = SRepObject::FromInterface(clone)) ctx->AddNewObject(o);
  return 1;
}

int SSymCloneSymbolHelper::OnDiagramAttach(ISRepObject* object, ISRepObject* diagram) {
  RepObjWrap obj = Canon(object);
  if (obj.IsNull()) return 0;
  SComWrap<ISSymObject> so(obj);
  if (so.IsNull() || so->GetIdent() == 0) return 0;
  RepObjWrap diag = Canon(diagram);
  RepObjWrap neighbour;
  for (LONG id : {SuccColl, PredColl}) {
    RepObjWrap n = First(obj, id);
    if (!n.IsNull() && !diag.IsNull() && DiagramOf(n).Get() == diag.Get()) {
      neighbour = n;
      break;
    }
  }
  if (neighbour.IsNull()) {
    RepObjWrap search = !SComWrap<ISSymDiagram>(obj).IsNull() ? obj : DiagramOf(obj);
    SComWrap<ISSymbol> self(obj);
    SComOut<ISRepObject> model;
    so->GetModelObject(&model);
    RepObjWrap m(model.Get());
    SComOut<ISRepClassCol> col;
    if (!m.IsNull() && !self.IsNull() && m->GetCollection(0x4800087, &col) == S_OK && col) {
      for (LONG i = 0, n = col->GetCount(); i < n && neighbour.IsNull(); ++i) {
        SComOut<ISRepObject> item;
        if (col->Item(i, &item) != S_OK || !item) continue;
        RepObjWrap it(item.Get());
        SComWrap<ISSymbol> s(it);
        if (it.Get() == obj.Get() || s.IsNull() || s->GetSymbolType() != self->GetSymbolType()) continue;
        if (!search.IsNull() && SRepAreSameObjects(DiagramOf(it), search)) neighbour = it;
      }
    }
  }
  if (!neighbour.IsNull()) AddClone(neighbour, obj);
  return 1;
}

int SSymCloneSymbolHelper::OnDiagramDetach(ISRepObject* object, ISRepObject*, int flag) {
  RepObjWrap obj = Canon(object);
  if (obj.IsNull()) return 0;
  if (flag) return 1;
  RepObjWrap succ = First(obj, SuccColl), pred = First(obj, PredColl);
  RemoveFirst(obj, SuccColl);
  RemoveFirst(obj, PredColl);
  if (!succ.IsNull()) Refresh(succ);
  if (!succ.IsNull() && !pred.IsNull() && succ.Get() != pred.Get()) Append(pred, SuccColl, succ);
  return 1;
}

int SSymCloneSymbolHelper::OnCloneDeletion(ISRepObject* object) {
  RepObjWrap obj = Canon(object);
  if (obj.IsNull()) return 0;
  RepObjWrap pred = First(obj, PredColl), succ = First(obj, SuccColl);
  if (!pred.IsNull() && !succ.IsNull() && pred.Get() != succ.Get()) {
    // Close the chain over the deleted object.
    RemoveFirst(obj, SuccColl);
    RemoveFirst(obj, PredColl);
    Append(pred, SuccColl, succ);
  }
  if (pred.IsNull()) return 1;
  RepObjWrap cur = Head(pred);
  for (int step = 0; step <= MaxSteps && !cur.IsNull(); ++step) {
    SComWrap<ISSymbolInit> init(cur);
    if (!init.IsNull() && init->InitialSym(init) == S_FALSE) Refresh(cur);
    cur = First(cur, SuccColl);
  }
  return 1;
}

int SSymCloneSymbolHelper::OnClonePredInsert(ISRepObject* object, ISRepObject* pred) {
  if (!object) return 0;
  RepObjWrap cur = Canon(pred);
  for (int step = 0; step <= MaxSteps && !cur.IsNull(); ++step) {
    Refresh(cur);
    cur = First(cur, SuccColl);
  }
  return 1;
}

int SSymCloneSymbolHelper::OnClonePredRemove(ISRepObject* object, ISRepObject* other) {
  if (!object) return 0;
  return OnClonePredInsert(object, other);
}

int SSymCloneSymbolHelper::OnCloneSuccRemove(ISRepObject*, ISRepObject* other) {
  RepObjWrap o = Canon(other);
  if (!o.IsNull() && First(o, PredColl).IsNull()) Refresh(o);
  return 1;
}
