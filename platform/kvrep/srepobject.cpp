#include "kvrep/srepobject.h"

#include <algorithm>
#include <array>
#include <set>
#include <span>

#include "kvrep/srepalloc.h"
#include "kvrep/srepfaces.h"
#include "kvrep/srepsession.h"
#include "kvrep/sreptypelib.h"

namespace {
// Holds a counted reference for the length of a scope.
template <class T>
struct Hold {
  T* p;
  explicit Hold(T* x) : p(x) {
    if (p) p->AddRef();
  }
  ~Hold() {
    if (p) p->Release();
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
};

int Clamp(int pos, int count) { return pos < 0 || pos > count ? count : pos; }

SRepVariant ZeroOf(WORD type) {
  SRepVariant v;
  switch (type) {
    case SRepVT_STRING: v.SetSTRING(SString()); break;
    case SRepVT_TEXT: v.SetTEXT(SString()); break;
    case SRepVT_BINARY: v.SetBINARY({}); break;
    case SRepVT_POINT: v.SetPOINT({}); break;
    case SRepVT_RECT: v.SetRECT(SRep_Rect{}); break;
    case SRepVT_PTLIST: v.SetPLst({}); break;
    case SRepVT_OID: v.SetOID({}); break;
    case SRepVT_IOBJECT: v.SetIOBJECT(nullptr); break;
    case SRepVT_EMPTY: break;
    default: SRepToVariant(static_cast<LONG>(0), type, v); break;
  }
  return v;
}

bool KindFits(WORD type, const SRepVariant& v) {
  switch (type) {
    case SRepVT_SHORT:
    case SRepVT_LONG:
    case SRepVT_BOOL:
    case SRepVT_FLAGS:
    case SRepVT_DATE:
    case SRepVT_BYTE: return v.IsIntegerKind();
    case SRepVT_STRING:
    case SRepVT_TEXT: return v.GetType() == SRepVT_STRING || v.GetType() == SRepVT_TEXT;
    default: return v.GetType() == type;
  }
}

// How a change reaches the object: stored (and recorded when a creation
// context is open) or deferred as a pending record of a lockout context.
enum class Route { Direct, Record, Pending };
Route RouteOf(const SRepObject* obj, SRepContext** ctxOut) {
  SRepSession* s = obj->GetSessionImpl();
  SRepContext* ctx = s ? s->Current() : nullptr;
  *ctxOut = ctx;
  if (!ctx) return Route::Direct;
  if (ctx->GetKind() == SRepContext::Kind::Create) return Route::Record;
  if (ctx->GetKind() == SRepContext::Kind::Lockout &&
      !ctx->IsObjectInContext(const_cast<ISRepObjectBase*>(static_cast<const ISRepObjectBase*>(obj))))
    return Route::Pending;
  return Route::Direct;
}

// Keeps a record of a change already made in the open context, if any;
// answers the context that keeps it (null for none).
SRepContext* RecordDone(SRepContext* ctx, SRepActionPtr action) {
  if (!ctx || ctx->GetKind() == SRepContext::Kind::Applying) return nullptr;
  ctx->AddDone(std::move(action));
  return ctx;
}

// Names the record just kept as the cause of what the collection callbacks
// record while the change is made (SRepContext::AddDoneBeforeCause).
class CauseScope {
 public:
  explicit CauseScope(SRepContext* ctx) : m_ctx(ctx) {
    if (m_ctx) m_was = m_ctx->SetCause(m_ctx->GetActionCount() - 1);
  }
  ~CauseScope() {
    if (m_ctx) m_ctx->SetCause(m_was);
  }
  CauseScope(const CauseScope&) = delete;
  CauseScope& operator=(const CauseScope&) = delete;

 private:
  SRepContext* m_ctx;
  int m_was = -1;
};

// Insertion (or removal) of one member, both sides.
class SRepActionCol final : public SRepActionBase, public SRepPooled<SRepActionCol> {
 public:
  SRepActionCol(SRepObject* a, LONG id, SRepObject* b, int posA, int posB, bool insertNext)
      : m_a(a), m_b(b), m_id(id), m_posA(posA), m_posB(posB), m_insert(insertNext) {
    m_type = SRepAction_Collection;
    m_a->AddRef();
    m_b->AddRef();
  }
  ~SRepActionCol() override {
    m_a->Release();
    m_b->Release();
  }
  HRESULT Execute() override {
    bool linked = SRepObject::IsLinked(m_a, m_id, m_b);
    if (m_insert) {
      if (!linked) SRepObject::RawLink(m_a, m_id, m_b, m_posA, m_posB);
    } else if (linked) {
      SRepObject::RawUnlink(m_a, m_id, m_b, &m_posA, &m_posB);
    }
    m_insert = !m_insert;
    return S_OK;
  }
  bool IsEmpty() override { return false; }
  SString GetMessageW() override { return SString(m_insert ? "Inserting an object" : "Removing an object"); }
  void CollectObjects(SRepObjectBag& objects) override {
    objects.Add(m_a);
    objects.Add(m_b);
  }
  bool IsInsertNext() const { return m_insert; }
  SRepObject* Owner() const { return m_a; }
  SRepObject* Member() const { return m_b; }
  LONG Id() const { return m_id; }

 private:
  SRepObject* m_a;
  SRepObject* m_b;
  LONG m_id;
  int m_posA, m_posB;
  bool m_insert;
};

class SRepActionColMove final : public SRepActionBase {
 public:
  SRepActionColMove(SRepObject* a, LONG id, int from, int to) : m_a(a), m_id(id), m_from(from), m_to(to) {
    m_type = SRepAction_CollectionMove;
    m_a->AddRef();
  }
  ~SRepActionColMove() override { m_a->Release(); }
  HRESULT Execute() override {
    SRepCollection* col = m_a->Collection(m_id);
    int n = col->GetCount();
    if (m_from < 0 || m_from >= n || m_to < 0 || m_to >= n) return E_FAIL;
    col->Move(m_from, m_to);
    std::swap(m_from, m_to);
    return S_OK;
  }
  SString GetMessageW() override { return SString("Moving an object"); }
  void CollectObjects(SRepObjectBag& objects) override { objects.Add(m_a); }

 private:
  SRepObject* m_a;
  LONG m_id;
  int m_from, m_to;
};

// Creation or deletion of one object.
class SRepActionLife final : public SRepActionBase, public SRepPooled<SRepActionLife> {
 public:
  SRepActionLife(SRepObject* obj, bool deleteNext) : m_obj(obj), m_delete(deleteNext) {
    m_type = SRepAction_Life;
    m_obj->AddRef();
  }
  ~SRepActionLife() override { m_obj->Release(); }
  HRESULT Execute() override {
    m_obj->RawSetDeleted(m_delete);
    m_delete = !m_delete;
    return S_OK;
  }
  SString GetMessageW() override { return SString(m_delete ? "Deleting an object" : "Restoring an object"); }
  SRepObject* Object() const { return m_obj; }

 private:
  SRepObject* m_obj;
  bool m_delete;
};
}  // namespace

SRepActionPtr SRepMakeLifeAction(SRepObject* obj, bool deleteNext) {
  return std::make_unique<SRepActionLife>(obj, deleteNext);
}

SRepObject* SRepLifeActionObject(SRepActionBase* action) {
  if (!action || action->m_type != SRepAction_Life) return nullptr;
  auto* life = dynamic_cast<SRepActionLife*>(action);
  return life ? life->Object() : nullptr;
}

// ---- interface tables ----------------------------------------------------------
HRESULT SRepQueryTable(void* object, IUnknown* unk, const SRepIntfEntry* table, REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  for (const SRepIntfEntry* e = table; e && e->iid; ++e) {
    if (*e->iid != iid) continue;
    if (e->test && !e->test(object)) continue;
    *ppv = static_cast<char*>(object) + e->offset;
    if (unk) unk->AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

// ---- SRepCollection -------------------------------------------------------------
namespace {
// Never destroyed: collections of objects that outlive static destruction
// still give their blocks back to it.
SRepObjectAllocator& CollectionPool() {
  static auto* pool = new SRepObjectAllocator(sizeof(SRepCollection), 256, "SRepCollection");
  return *pool;
}
}  // namespace

void* SRepCollection::operator new(std::size_t size) {
  return size == sizeof(SRepCollection) ? CollectionPool().Alloc() : ::operator new(size);
}

void SRepCollection::operator delete(void* p, std::size_t size) noexcept {
  if (size == sizeof(SRepCollection))
    CollectionPool().Free(p);
  else
    ::operator delete(p);
}

SRepCollection::~SRepCollection() {
  for (ISRepClassColSink* s : m_sinks) s->Release();
  for (SRepObject* o : m_items) o->Release();
}

HRESULT SRepCollection::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepClassCol) {
    *ppv = static_cast<ISRepClassCol*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG SRepCollection::AddRef() { return m_owner->AddRef(); }
ULONG SRepCollection::Release() { return m_owner->Release(); }

HRESULT SRepCollection::Item(LONG pos, ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (pos < 0 || pos >= GetCount()) return DISP_E_BADINDEX;
  *out = m_items[static_cast<std::size_t>(pos)];
  (*out)->AddRef();
  return S_OK;
}

LONG SRepCollection::GetPos(ISRepObject* obj) {
  SRepObject* o = SRepObject::FromInterface(obj);
  return o ? IndexOf(o) : -1;
}

HRESULT SRepCollection::Insert(ISRepObject* obj, LONG pos) {
  if (!obj) return E_POINTER;
  SRepObject* b = SRepObject::FromInterface(obj);
  if (!b) return E_INVALIDARG;
  if (pos < -1 || pos > GetCount()) return DISP_E_BADINDEX;
  if (m_oneSided) {
    if (IndexOf(b) >= 0) return E_INVALIDARG;
    b->AddRef();
    m_items.Insert(pos < 0 ? m_items.size() : static_cast<std::size_t>(pos), b);
    return S_OK;
  }
  SRepObject* a = m_owner;
  if (a->IsDeleted() || b->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  if (pos < -1 || pos > GetCount()) return DISP_E_BADINDEX;
  if (SRepObject::IsLinked(a, m_id, b)) return E_INVALIDARG;
  SRepSession* s = a->GetSessionImpl();
  if (s && b->GetSessionImpl() && s != b->GetSessionImpl()) return E_INVALIDARG;
  if (s && s->IsReadOnly()) return SREP_E_READONLY;
  if (SRepRegistry* reg = a->GetRegistry())
    if (SRepClassColDef* def = reg->GetClassColDef(m_id)) {
      CLSID el{};
      def->GetElementClass(&el);
      if (el != GUID_NULL && !SRepIsKindOf(obj, el)) return E_INVALIDARG;
      // A single-object reference takes a second member only through SetObject.
      if ((def->GetDefFlags() & SRepCol_Single) && GetCount() > 0) return E_INVALIDARG;
    }
  if (SRepRegistry* reg = b->GetRegistry())
    if (SRepClassColDef* def = reg->GetClassColDef(m_id ^ SRepReverseBit))
      if ((def->GetDefFlags() & SRepCol_Single) && b->Collection(m_id ^ SRepReverseBit)->GetCount() > 0)
        return E_INVALIDARG;
  SRepContext* ctx = nullptr;
  Route r = RouteOf(a, &ctx);
  if (r == Route::Pending && ctx->IsObjectInContext(obj)) r = Route::Direct;
  if (r == Route::Pending) return ctx->AddAction(std::make_unique<SRepActionCol>(a, m_id, b, pos, -1, true));
  int posA = pos < 0 ? GetCount() : pos;
  int posB = b->Collection(m_id ^ SRepReverseBit)->GetCount();
  // Recorded first: a hook that throws still leaves an undoable change.
  CauseScope cause(RecordDone(ctx, std::make_unique<SRepActionCol>(a, m_id, b, posA, posB, false)));
  SRepObject::RawLink(a, m_id, b, posA, posB);
  return S_OK;
}

HRESULT SRepCollection::Remove(LONG pos) {
  if (pos < 0 || pos >= GetCount()) return DISP_E_BADINDEX;
  SRepObject* a = m_owner;
  if (m_oneSided) {
    SRepObject* gone = m_items[static_cast<std::size_t>(pos)];
    m_items.Erase(static_cast<std::size_t>(pos));
    gone->Release();
    return S_OK;
  }
  if (a->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  SRepSession* s = a->GetSessionImpl();
  if (s && s->IsReadOnly()) return SREP_E_READONLY;
  SRepObject* b = m_items[static_cast<std::size_t>(pos)];
  SRepContext* ctx = nullptr;
  Route r = RouteOf(a, &ctx);
  if (r == Route::Pending && ctx->IsObjectInContext(b)) r = Route::Direct;
  if (r == Route::Pending) return ctx->AddAction(std::make_unique<SRepActionCol>(a, m_id, b, pos, -1, false));
  Hold<SRepObject> hold(b);
  int posA = pos;
  int posB = b->Collection(m_id ^ SRepReverseBit)->IndexOf(a);
  CauseScope cause(RecordDone(ctx, std::make_unique<SRepActionCol>(a, m_id, b, posA, posB, true)));
  SRepObject::RawUnlink(a, m_id, b, &posA, &posB);
  return S_OK;
}

HRESULT SRepCollection::Move(LONG from, LONG to) {
  int n = GetCount();
  if (from < 0 || from >= n || to < 0 || to >= n) return DISP_E_BADINDEX;
  if (m_owner->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  if (from == to) return S_FALSE;
  if (m_oneSided) {
    SRepObject* o = m_items[static_cast<std::size_t>(from)];
    m_items.Erase(static_cast<std::size_t>(from));
    m_items.Insert(static_cast<std::size_t>(to), o);
    return S_OK;
  }
  SRepSession* s = m_owner->GetSessionImpl();
  if (s && s->IsReadOnly() && !s->Applying()) return SREP_E_READONLY;
  SRepContext* ctx = nullptr;
  Route r = RouteOf(m_owner, &ctx);
  if (r == Route::Pending) return ctx->AddAction(std::make_unique<SRepActionColMove>(m_owner, m_id, from, to));
  RecordDone(ctx, std::make_unique<SRepActionColMove>(m_owner, m_id, to, from));
  SRepObject* o = m_items[static_cast<std::size_t>(from)];
  m_items.Erase(static_cast<std::size_t>(from));
  m_items.Insert(static_cast<std::size_t>(to), o);
  m_owner->SetChanged();
  std::vector<ISRepClassColSink*> sinks = m_sinks;
  for (auto* k : sinks) k->AddRef();
  for (auto* k : sinks) {
    k->OnObjColMove(this, from, to);
    k->Release();
  }
  return S_OK;
}

HRESULT SRepCollection::GetCollectionDef(ISRepClassColDef** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SRepRegistry* reg = m_owner->GetRegistry();
  SRepClassColDef* def = reg ? reg->GetClassColDef(m_id) : nullptr;
  if (!def) return S_FALSE;
  *out = def;
  return S_OK;
}

HRESULT SRepCollection::GetOwner(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = m_owner;
  m_owner->AddRef();
  return S_OK;
}

HRESULT SRepCollection::Advise(ISRepClassColSink* sink) {
  if (!sink) return E_POINTER;
  sink->AddRef();
  m_sinks.push_back(sink);
  return S_OK;
}

HRESULT SRepCollection::Unadvise(ISRepClassColSink* sink) {
  auto it = std::find(m_sinks.begin(), m_sinks.end(), sink);
  if (it == m_sinks.end()) return S_FALSE;
  m_sinks.erase(it);
  sink->Release();
  return S_OK;
}

// ---- SRepObject ---------------------------------------------------------------------
SRepObject::SRepObject(const CLSID& clsid, ISRepSession* session) : m_clsid(clsid) {
  // The object knows its session from the start; it joins the session's
  // objects (and the open step) once constructed, through SetSession.
  m_pSession = SRepSession::FromInterface(session);
}

SRepObject::SRepObject(const SRepObject& source)
    : ISRepObjectBase(), m_clsid(source.m_clsid), m_dynamic(source.m_dynamic) {}

SRepObject::~SRepObject() {
  ReleaseAll();
  while (SRepCollection* c = m_cols) {
    m_cols = c->m_nextCol;
    delete c;
  }
}

ULONG SRepObject::Release() {
  ULONG n = --m_cRef;
  if (n == 0) delete this;
  return n;
}

SRepObject* SRepObject::FromInterface(IUnknown* unk) { return SRepFromInterface<SRepObject>(unk, IID_SRepObjectMem); }

HRESULT SRepObject::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  // The object's own identity is answered here alone: asked first, it
  // saves the walk through every layer's table (finding the object behind
  // an interface is one of the most frequent questions).
  if (iid == IID_SRepObjectMem || iid == IID_SRepObjectMem2 || iid == IID_SRepObjectMem3) {
    *ppv = this;
    AddRef();
    return S_OK;
  }
  HRESULT hr = InternalQueryInterface(iid, ppv);
  if (hr == S_OK) return hr;
  *ppv = nullptr;
  if (iid == IID_IUnknown || iid == IID_ISRepObject || iid == IID_ISRepObjectBase) {
    *ppv = static_cast<ISRepObjectBase*>(this);
  } else if (iid == IID_ISRepSession || iid == IID_SRepSessionImpl) {
    if (!m_pSession) return E_NOINTERFACE;
    return m_pSession->QueryInterface(iid, ppv);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

SRepRegistry* SRepObject::GetRegistry() const {
  CLSID id = m_clsid;
  const_cast<SRepObject*>(this)->GetCLSID(&id);
  return SRepRegistry::Find(id);
}

HRESULT SRepObject::GetCLSID(CLSID* out) {
  if (!out) return E_POINTER;
  *out = m_clsid;
  return S_OK;
}

HRESULT SRepObject::GetSession(ISRepSession** out) {
  if (!out) return E_POINTER;
  *out = m_pSession;
  if (!m_pSession) return S_FALSE;
  m_pSession->AddRef();
  return S_OK;
}

HRESULT SRepObject::GetParent(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = m_pParent;
  if (!m_pParent) return S_FALSE;
  m_pParent->AddRef();
  return S_OK;
}

HRESULT SRepObject::GetParentColl(ISRepClassCol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!m_pParent) return S_FALSE;
  *out = m_pParent->Collection(m_parentColl);
  (*out)->AddRef();
  return S_OK;
}

SRepObject::Kind SRepObject::Resolve(LONG id, const SPropertyEntry** entry, const SRepAttrDef** def) const {
  *entry = nullptr;
  *def = nullptr;
  if (id == 0) return Kind::None;
  if (const SPropertyEntry* e = SRepFindProperty(GetPropertyMap(), static_cast<DWORD>(id))) {
    *entry = e;
    return e->field ? Kind::Field : Kind::Accessor;
  }
  if (SRepRegistry* reg = GetRegistry())
    if (const SRepAttrDef* d = reg->GetClassDef()->GetAttribute(id)) {
      *def = d;
      return Kind::Dynamic;
    }
  return Kind::None;
}

HRESULT SRepObject::RawGetAttribute(LONG id, SRepVariant* value) {
  if (!value) return E_POINTER;
  const SPropertyEntry* e;
  const SRepAttrDef* d;
  switch (Resolve(id, &e, &d)) {
    case Kind::Field: value->ReleaseData(); return e->field->get(this, *value);
    case Kind::Accessor:
      if (!e->getter) return E_NOTIMPL;
      value->ReleaseData();
      return e->getter(this, *value);
    case Kind::Dynamic: {
      auto it = m_dynamic.find(id);
      if (it != m_dynamic.end()) *value = it->second;
      else return GetAttributeDefault(id, value);
      return S_OK;
    }
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT SRepObject::GetAttribute(LONG id, SRepVariant* value) {
  HRESULT hr = RawGetAttribute(id, value);
  if (hr != S_OK) return hr;
  // Readers see the pending state of a lockout context.
  SRepContext* ctx = m_pSession ? m_pSession->Current() : nullptr;
  if (ctx && ctx->GetKind() == SRepContext::Kind::Lockout)
    ctx->OverlayPending(this, {SRepFacet::Attribute(id)}, *value);
  return S_OK;
}

HRESULT SRepObject::RawSetAttribute(LONG id, const SRepVariant& value) {
  const SPropertyEntry* e;
  const SRepAttrDef* d;
  HRESULT hr;
  switch (Resolve(id, &e, &d)) {
    case Kind::Field: hr = e->field->set(this, value); break;
    case Kind::Accessor:
      if (!e->setter) return SREP_E_READONLY;
      hr = e->setter(this, value);
      break;
    case Kind::Dynamic:
      if (!KindFits(d->type, value)) return DISP_E_TYPEMISMATCH;
      m_dynamic[id] = value;
      hr = S_OK;
      break;
    default: return DISP_E_MEMBERNOTFOUND;
  }
  if (hr == S_OK) NotifyChange(id);
  return hr;
}

HRESULT SRepObject::SetAttribute(LONG id, const SRepVariant& value) {
  if (IsDeleted()) return CO_E_OBJNOTCONNECTED;
  const SPropertyEntry* e;
  const SRepAttrDef* d;
  Kind k = Resolve(id, &e, &d);
  if (k == Kind::None) return DISP_E_MEMBERNOTFOUND;
  if (m_pSession && m_pSession->IsReadOnly() && !m_pSession->Applying()) return SREP_E_READONLY;
  if (k == Kind::Accessor) {
    // Accessor setters record their own undo.
    if (!e->setter) return SREP_E_READONLY;
    HRESULT hr = e->setter(this, value);
    if (hr == S_OK) NotifyChange(id);
    return hr;
  }
  if (k == Kind::Dynamic) {
    if (d->readOnly) return SREP_E_READONLY;
    if (!KindFits(d->type, value)) return DISP_E_TYPEMISMATCH;
  }
  SRepVariant old;
  HRESULT hr = RawGetAttribute(id, &old);
  if (FAILED(hr)) return hr;
  SRepVariant now;
  if (k == Kind::Field) {
    hr = e->field->set(this, value);  // checks the kind and converts
    if (FAILED(hr)) return hr;
    e->field->get(this, now);
  } else {
    now = value;
  }
  if (now == old) {
    if (k == Kind::Field) e->field->set(this, old);
    return S_FALSE;
  }
  SRepContext* ctx = nullptr;
  Route r = RouteOf(this, &ctx);
  if (r == Route::Pending) {
    if (k == Kind::Field) e->field->set(this, old);
    return ctx->AddAction(std::make_unique<SRepActionAttr>(this, id, now));
  }
  if (k == Kind::Dynamic) m_dynamic[id] = now;
  RecordDone(ctx, std::make_unique<SRepActionAttr>(this, id, old));
  NotifyChange(id);
  return S_OK;
}

HRESULT SRepObject::GetAttributeDefault(LONG id, SRepVariant* value) {
  if (!value) return E_POINTER;
  const SPropertyEntry* e;
  const SRepAttrDef* d;
  Kind k = Resolve(id, &e, &d);
  if (k == Kind::None) return DISP_E_MEMBERNOTFOUND;
  if (d && !d->defaultValue.IsEmpty()) {
    *value = d->defaultValue;
    return S_OK;
  }
  *value = ZeroOf(e ? e->type : d->type);
  return S_OK;
}

HRESULT SRepObject::HasAttribute(LONG id) {
  const SPropertyEntry* e;
  const SRepAttrDef* d;
  return Resolve(id, &e, &d) == Kind::None ? S_FALSE : S_OK;
}

HRESULT SRepObject::IsAttrReadOnly(LONG id, const SRepVariant*) {
  const SPropertyEntry* e;
  const SRepAttrDef* d;
  Kind k = Resolve(id, &e, &d);
  if (k == Kind::None) return DISP_E_MEMBERNOTFOUND;
  if (m_pSession && m_pSession->IsReadOnly()) return S_OK;
  if (k == Kind::Accessor && !e->setter) return S_OK;
  if (k == Kind::Dynamic && d->readOnly) return S_OK;
  return S_FALSE;
}

SRepCollection* SRepObject::FindCollection(LONG id) const {
  for (SRepCollection* c = m_cols; c && c->m_id <= id; c = c->m_nextCol)
    if (c->m_id == id) return c;
  return nullptr;
}

std::vector<LONG> SRepObject::GetCollectionIds() const {
  std::vector<LONG> ids;
  for (SRepCollection* c = m_cols; c; c = c->m_nextCol)
    if (!c->m_oneSided) ids.push_back(c->m_id);
  return ids;
}

SRepCollection* SRepObject::MakeCollection(LONG id, bool oneSided) {
  SRepCollection** at = &m_cols;
  while (*at && (*at)->m_id < id) at = &(*at)->m_nextCol;
  if (*at && (*at)->m_id == id) return *at;
  auto* c = new SRepCollection(this, id, oneSided);
  c->m_nextCol = *at;
  *at = c;
  return c;
}

SRepCollection* SRepObject::OneSidedCollection(LONG id) { return MakeCollection(id, true); }

SRepCollection* SRepObject::Collection(LONG id) { return MakeCollection(id, false); }

HRESULT SRepObject::GetCollection(LONG id, ISRepClassCol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (id == 0) return E_INVALIDARG;
  *out = Collection(id);
  AddRef();
  return S_OK;
}

HRESULT SRepObject::HasCollection(LONG id) {
  if (id == 0) return S_FALSE;
  if (FindCollection(id)) return S_OK;
  SRepRegistry* reg = GetRegistry();
  return reg && reg->GetClassColDef(id) ? S_OK : S_FALSE;
}

HRESULT SRepObject::IsCollectionEmpty(LONG id) {
  SRepCollection* c = FindCollection(id);
  return !c || c->GetCount() == 0 ? S_OK : S_FALSE;
}

bool SRepObject::IsOwning(LONG id) const { return IsOwningCollection(id); }

bool SRepObject::IsOwningCollection(LONG id) const {
  if (id & SRepReverseBit) return false;
  if (SRepCollection* c = FindCollection(id))
    if (c->m_oneSided) return false;
  SRepRegistry* reg = GetRegistry();
  SRepClassColDef* def = reg ? reg->GetClassColDef(id) : nullptr;
  return !def || (def->GetDefFlags() & SRepCol_Owning);
}

bool SRepObject::IsLinked(const SRepObject* a, LONG id, const SRepObject* b) {
  SRepCollection* ca = a->FindCollection(id);
  SRepCollection* cb = b->FindCollection(id ^ SRepReverseBit);
  if (!ca || !cb) return false;
  return ca->GetCount() <= cb->GetCount() ? ca->IndexOf(b) >= 0 : cb->IndexOf(a) >= 0;
}

void SRepObject::RawLink(SRepObject* a, LONG id, SRepObject* b, int posA, int posB) {
  Hold<SRepObject> ha(a), hb(b);
  LONG rid = id ^ SRepReverseBit;
  SRepCollection* ca = a->Collection(id);
  SRepCollection* cb = b->Collection(rid);
  posA = Clamp(posA, ca->GetCount());
  posB = Clamp(posB, cb->GetCount());
  b->AddRef();
  ca->m_items.Insert(static_cast<std::size_t>(posA), b);
  a->AddRef();
  cb->m_items.Insert(static_cast<std::size_t>(posB), a);
  if (!b->m_pParent && a->IsOwningCollection(id)) {
    b->m_pParent = a;
    b->m_parentColl = id;
  } else if (!a->m_pParent && b->IsOwningCollection(rid)) {
    a->m_pParent = b;
    a->m_parentColl = rid;
  }
  a->SetChanged();
  b->SetChanged();
  if (SRepSession* s = a->GetSessionImpl()) s->SetModified(TRUE);
  a->OnCollectionInsert(id, b, posA);
  b->OnCollectionInsert(rid, a, posB);
  for (auto [col, obj, pos] : {std::tuple{ca, b, posA}, std::tuple{cb, a, posB}}) {
    std::vector<ISRepClassColSink*> sinks = col->m_sinks;
    for (auto* k : sinks) k->AddRef();
    for (auto* k : sinks) {
      k->OnObjColInsert(col, obj, pos);
      k->Release();
    }
  }
}

void SRepObject::RawUnlink(SRepObject* a, LONG id, SRepObject* b, int* posA, int* posB) {
  Hold<SRepObject> ha(a), hb(b);
  LONG rid = id ^ SRepReverseBit;
  SRepCollection* ca = a->Collection(id);
  SRepCollection* cb = b->Collection(rid);
  // The positions given are tried first.
  int pa = posA && *posA >= 0 && *posA < ca->GetCount() && ca->GetAt(*posA) == b ? *posA : ca->IndexOf(b);
  int pb = posB && *posB >= 0 && *posB < cb->GetCount() && cb->GetAt(*posB) == a ? *posB : cb->IndexOf(a);
  if (posA) *posA = pa;
  if (posB) *posB = pb;
  if (pa >= 0) ca->m_items.Erase(static_cast<std::size_t>(pa));
  if (pb >= 0) cb->m_items.Erase(static_cast<std::size_t>(pb));
  if (b->m_pParent == a && b->m_parentColl == id) b->m_pParent = nullptr, b->m_parentColl = 0;
  if (a->m_pParent == b && a->m_parentColl == rid) a->m_pParent = nullptr, a->m_parentColl = 0;
  a->SetChanged();
  b->SetChanged();
  if (SRepSession* s = a->GetSessionImpl()) s->SetModified(TRUE);
  a->OnCollectionRemove(id, b);
  b->OnCollectionRemove(rid, a);
  for (auto [col, obj] : {std::pair{ca, b}, std::pair{cb, a}}) {
    std::vector<ISRepClassColSink*> sinks = col->m_sinks;
    for (auto* k : sinks) k->AddRef();
    for (auto* k : sinks) {
      k->OnObjColRemove(col, obj);
      k->Release();
    }
  }
  if (pa >= 0) b->Release();
  if (pb >= 0) a->Release();
}

void SRepObject::NotifyChange(LONG id) {
  SetChanged();
  if (m_pSession) m_pSession->SetModified(TRUE);
  OnUpdateAttribute(id);
  std::vector<ISRepObjSink*> told;
  auto sinks = m_sinks;
  for (auto& [k, mask] : sinks) k->AddRef();
  for (auto& [k, mask] : sinks) {
    // One attribute; a sink advised on 0x040E0000 hears every extended attribute.
    const LONG one = static_cast<LONG>(mask & ~SRepAdviseOneAttr);
    bool wants = (mask & SRepAdviseOneAttr)
                     ? one == id || (one == 0x040E0000 && (id & 0x040E0000) == 0x040E0000)
                     : true;
    if (wants && std::find(told.begin(), told.end(), k) == told.end()) {
      told.push_back(k);
      k->OnChange(this, id);
    }
  }
  for (auto& [k, mask] : sinks) k->Release();
}

void SRepObject::Flush() {
  auto sinks = m_sinks;
  std::vector<ISRepObjSink*> told;
  for (auto& [k, mask] : sinks) k->AddRef();
  for (auto& [k, mask] : sinks)
    if (std::find(told.begin(), told.end(), k) == told.end()) {
      told.push_back(k);
      k->OnFlush(this);
    }
  for (auto& [k, mask] : sinks) k->Release();
}

void SRepObject::NotifyDelete() {
  std::vector<ISRepObjSink*> told;
  auto sinks = m_sinks;
  for (auto& [k, mask] : sinks) k->AddRef();
  for (auto& [k, mask] : sinks)
    if (std::find(told.begin(), told.end(), k) == told.end()) {
      told.push_back(k);
      k->OnDelete(this, 0);
    }
  for (auto& [k, mask] : sinks) k->Release();
}

void SRepObject::RawSetDeleted(bool deleted) {
  if (deleted == static_cast<bool>(IsDeleted())) return;
  if (deleted) {
    Hold<SRepObject> h(this);
    m_state |= SRepState_Deleted;
    NotifyDelete();
  } else {
    m_state &= ~static_cast<DWORD>(SRepState_Deleted);
  }
  if (m_pSession) m_pSession->SetModified(TRUE);
}

HRESULT SRepObject::Delete() {
  if (IsDeleted()) return CO_E_OBJNOTCONNECTED;
  if (IsDeleting()) return S_FALSE;
  if (m_pSession && m_pSession->IsReadOnly()) return SREP_E_READONLY;
  Hold<SRepObject> h(this);
  m_state |= SRepState_Deleting;
  NotifyDelete();
  for (SRepCollection* col = m_cols; col; col = col->m_nextCol) {
    std::vector<ISRepClassColSink*> sinks = col->m_sinks;
    for (auto* k : sinks) k->AddRef();
    for (auto* k : sinks) {
      k->OnObjColDelete(col);
      k->Release();
    }
  }
  // Children of owning collections go with the object. The ids are taken
  // first (a child's deletion may add a collection); an object has a
  // handful, kept on the stack: deleting a whole diagram allocates nothing
  // here per object.
  std::array<LONG, 16> few{};
  std::vector<LONG> many;
  std::size_t count = 0;
  for (const SRepCollection* col = m_cols; col; col = col->m_nextCol) {
    const LONG id = col->m_id;
    if (count == few.size()) many.assign(few.begin(), few.end());
    if (count < few.size()) few[count] = id;
    else many.push_back(id);
    ++count;
  }
  const std::span<const LONG> ids(many.empty() ? few.data() : many.data(), count);
  for (LONG id : ids) {
    if (!IsOwningCollection(id)) continue;
    std::vector<SRepObject*> kids = FindCollection(id)->m_items.ToVector();
    for (SRepObject* k : kids) k->AddRef();
    for (SRepObject* k : kids) {
      if (k->m_pParent == this && !k->IsDeleted()) k->Delete();
      k->Release();
    }
  }
  // Every link, both sides, recorded so that undo puts it back in place.
  SRepContext* ctx = nullptr;
  RouteOf(this, &ctx);
  for (LONG id : ids) {
    SRepCollection* col = FindCollection(id);
    if (col && col->m_oneSided) {
      while (col->GetCount() > 0) col->Remove(col->GetCount() - 1);
      continue;
    }
    while (col && col->GetCount() > 0) {
      SRepObject* other = col->m_items.back();
      Hold<SRepObject> ho(other);
      int pa = col->GetCount() - 1;
      int pb = other->Collection(id ^ SRepReverseBit)->IndexOf(this);
      CauseScope cause(RecordDone(ctx, std::make_unique<SRepActionCol>(this, id, other, pa, pb, true)));
      RawUnlink(this, id, other, &pa, &pb);
    }
  }
  m_state |= SRepState_Deleted;
  m_state &= ~static_cast<DWORD>(SRepState_Deleting);
  RecordDone(ctx, std::make_unique<SRepActionLife>(this, false));
  if (m_pSession) m_pSession->SetModified(TRUE);
  return S_OK;
}

HRESULT SRepObject::Duplicate(ISRepObject** out, BOOL withChildren) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsDeleted()) return CO_E_OBJNOTCONNECTED;
  SRepRegistry* reg = GetRegistry();
  if (!reg) return REGDB_E_CLASSNOTREG;
  ISRepObject* copy = nullptr;
  HRESULT hr = reg->CreateObject(m_pSession, this, &copy);
  if (FAILED(hr)) return hr;
  SRepObject* c = FromInterface(copy);
  if (!c) {
    copy->Release();
    return E_FAIL;
  }
  if (m_pSession && !c->m_bAdopted) c->SetSession(m_pSession);
  if (withChildren) {
    for (SRepCollection* col = m_cols; col; col = col->m_nextCol) {
      if (!IsOwningCollection(col->m_id)) continue;
      std::vector<SRepObject*> kids = col->m_items.ToVector();
      for (SRepObject* k : kids) {
        if (k->m_pParent != this) continue;
        ISRepObject* kc = nullptr;
        hr = k->Duplicate(&kc, TRUE);
        if (FAILED(hr)) {
          copy->Release();
          return hr;
        }
        c->Collection(col->m_id)->Insert(kc, -1);
        kc->Release();
      }
    }
  }
  *out = copy;
  return S_OK;
}

HRESULT SRepObject::Advise(DWORD mask, ISRepObjSink* sink) {
  if (!sink) return E_POINTER;
  if (IsDeleted()) return CO_E_OBJNOTCONNECTED;
  sink->AddRef();
  m_sinks.emplace_back(sink, mask);
  return S_OK;
}

HRESULT SRepObject::Unadvise(ISRepObjSink* sink) {
  if (!sink) return E_POINTER;
  bool found = false;
  for (auto it = m_sinks.begin(); it != m_sinks.end();) {
    if (it->first == sink) {
      ISRepObjSink* k = it->first;
      it = m_sinks.erase(it);
      k->Release();
      found = true;
    } else {
      ++it;
    }
  }
  return found ? S_OK : S_FALSE;
}

HRESULT SRepObject::SetSession(ISRepSession* session) {
  if (!session) return E_POINTER;
  SRepSession* s = SRepSession::FromInterface(session);
  if (!s) return E_INVALIDARG;
  if (m_bAdopted) return m_pSession == s ? S_FALSE : E_UNEXPECTED;
  if (m_pSession && m_pSession != s) return E_UNEXPECTED;
  m_pSession = s;
  m_bAdopted = true;
  s->Adopt(this);
  return S_OK;
}

HRESULT SRepObject::GetModel(ISRepObject** out) {
  if (!out) return E_POINTER;
  SRepObject* top = this;
  for (int depth = 0; top->m_pParent && depth < 10000; ++depth) top = top->m_pParent;
  *out = top;
  top->AddRef();
  return S_OK;
}

// The replication of an object: a small object of its own that names the
// object replicated. It holds the source (counted); the replica holds it.
class SRepReplication final : public ISRepBaseReplication {
 public:
  explicit SRepReplication(ISRepObject* source) : m_source(source) { m_source->AddRef(); }
  ~SRepReplication() { m_source->Release(); }
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid != IID_IUnknown && iid != IID_ISRepBaseReplication) return E_NOINTERFACE;
    *ppv = static_cast<ISRepBaseReplication*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override {
    ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
  }
  HRESULT GetReplicationSource(ISRepObject** out) override {
    if (!out) return E_POINTER;
    *out = m_source;
    m_source->AddRef();
    return S_OK;
  }
  ISRepObject* Source() const { return m_source; }

 private:
  ULONG m_cRef = 0;
  ISRepObject* m_source;
};

HRESULT SRepObject::GetReplicationObject(IUnknown** out) {
  if (!out) return E_POINTER;
  *out = m_pReplication;
  if (!m_pReplication) return S_FALSE;
  m_pReplication->AddRef();
  return S_OK;
}

ISRepObject* SRepObject::GetReplicationSourceObject() const {
  return m_pReplication ? static_cast<SRepReplication*>(m_pReplication)->Source() : nullptr;
}

HRESULT SRepObject::SetReplicationSource(ISRepObject* source) {
  if (IsDeleted()) return CO_E_OBJNOTCONNECTED;
  if (source) {
    if (source->IsDeleted()) return CO_E_OBJNOTCONNECTED;
    // A replica of itself, directly or around a chain, would never end a walk.
    for (SRepObject* s = FromInterface(source); s; s = FromInterface(s->GetReplicationSourceObject()))
      if (s == this) return E_INVALIDARG;
  }
  ISRepBaseReplication* old = m_pReplication;
  m_pReplication = nullptr;
  if (source) {
    m_pReplication = new SRepReplication(source);
    m_pReplication->AddRef();
  }
  if (old) old->Release();
  return S_OK;
}

bool SRepAreSameObjects(IUnknown* a, IUnknown* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  SRepObject* oa = SRepObject::FromInterface(a);
  if (oa) return oa == SRepObject::FromInterface(b);
  IUnknown *ua = nullptr, *ub = nullptr;
  a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ua));
  b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ub));
  bool same = ua && ua == ub;
  if (ua) ua->Release();
  if (ub) ub->Release();
  return same;
}

HRESULT SRepRootObject::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid != IID_ISRepRootObject) return E_NOINTERFACE;
  *ppv = static_cast<ISRepRootObject*>(this);
  AddRef();
  return S_OK;
}

HRESULT SRepRootObject::GetCarried(ISRepClassCol** out) { return GetCollection(SRepRootCarried, out); }

HRESULT SRepRootObject::GetCollection(LONG id, ISRepClassCol** out) {
  if (!out) return E_POINTER;
  if (id == SRepRootCarried) {
    *out = OneSidedCollection(id);
    AddRef();
    return S_OK;
  }
  return SRepObjectMem::GetCollection(id, out);
}

HRESULT SRepRootObject::HasCollection(LONG id) {
  return id == SRepRootCarried ? S_OK : SRepObjectMem::HasCollection(id);
}

ISRepContext* SRepObject::GetCurrentContext() const { return m_pSession ? m_pSession->Current() : nullptr; }

BOOL SRepObject::InLockoutContext() const {
  SRepContext* ctx = nullptr;
  return RouteOf(this, &ctx) == Route::Pending;
}

BOOL SRepObject::IsInUndoContext() const { return m_pSession && m_pSession->Applying() != nullptr; }

BOOL SRepObject::_IsDeletedOrInContext() const {
  return (m_state & (SRepState_Deleted | SRepState_Deleting)) != 0 || IsInUndoContext();
}

HRESULT SRepObject::GetObject(LONG id, ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SRepCollection* c = FindCollection(id);
  if (!c || c->GetCount() == 0) return S_FALSE;
  return c->Item(0, out);
}

HRESULT SRepObject::SetObject(LONG id, ISRepObject* obj) {
  if (IsDeleted()) return CO_E_OBJNOTCONNECTED;
  SRepCollection* c = Collection(id);
  if (obj && c->GetCount() == 1 && c->GetPos(obj) == 0) return S_FALSE;
  while (c->GetCount() > 0) {
    HRESULT hr = c->Remove(c->GetCount() - 1);
    if (FAILED(hr)) return hr;
  }
  return obj ? c->Insert(obj, -1) : S_OK;
}

HRESULT SRepObject::SetVoid(LONG id) {
  SRepVariant def;
  HRESULT hr = GetAttributeDefault(id, &def);
  if (FAILED(hr)) return hr;
  return SetAttribute(id, def);
}

void SRepObject::ForgetSession() {
  ReleaseAll();
  m_pSession = nullptr;
  m_bAdopted = false;
}

void SRepObject::ReleaseAll() {
  // The collection objects stay (holders of a collection hold the owner);
  // their members and sinks go.
  for (SRepCollection* col = m_cols; col; col = col->m_nextCol) {
    std::vector<SRepObject*> items = col->m_items.TakeAll();
    std::vector<ISRepClassColSink*> sinks;
    sinks.swap(col->m_sinks);
    for (SRepObject* o : items) o->Release();
    for (ISRepClassColSink* k : sinks) k->Release();
  }
  auto sinks = std::move(m_sinks);
  m_sinks.clear();
  for (auto& [k, mask] : sinks) k->Release();
  m_pParent = nullptr;
  if (ISRepBaseReplication* r = m_pReplication) {
    m_pReplication = nullptr;
    r->Release();
  }
}

// ---- SRepClassColPtr and iterators -------------------------------------------------
SRepClassColPtr::SRepClassColPtr(ISRepObject* obj, LONG id) {
  if (obj) obj->GetCollection(id, &m_col);
}

SRepClassColPtr::SRepClassColPtr(ISRepClassCol* col) : m_col(col) {
  if (m_col) m_col->AddRef();
}

SRepClassColPtr& SRepClassColPtr::operator=(const SRepClassColPtr& o) {
  if (o.m_col) o.m_col->AddRef();
  if (m_col) m_col->Release();
  m_col = o.m_col;
  return *this;
}

SRepClassColPtr::~SRepClassColPtr() {
  if (m_col) m_col->Release();
}

ISRepObject* SRepClassColPtr::GetFirst() const { return GetAt(0); }

ISRepObject* SRepClassColPtr::GetAt(LONG pos) const {
  ISRepObject* o = nullptr;
  if (m_col) m_col->Item(pos, &o);
  return o;
}

HRESULT SRepClassColPtr::ClearAll() {
  if (!m_col) return E_POINTER;
  while (m_col->GetCount() > 0) {
    HRESULT hr = m_col->Remove(m_col->GetCount() - 1);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT SRepObjIteratorBase::Init(ISRepObject* obj, LONG id, bool reverse) {
  Clear();
  if (!obj) return E_POINTER;
  SRepClassColPtr col(obj, id);
  if (!col) return E_FAIL;
  return Init(col.Get(), reverse);
}

HRESULT SRepObjIteratorBase::Init(ISRepClassCol* col, bool reverse) {
  Clear();
  if (!col) return E_POINTER;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    ISRepObject* o = nullptr;
    if (col->Item(i, &o) == S_OK) m_items.push_back(o);
  }
  m_reverse = reverse;
  if (reverse) std::reverse(m_items.begin(), m_items.end());
  return S_OK;
}

HRESULT SRepObjIteratorBase::Current(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  ISRepObject* o = Current();
  return o ? o->QueryInterface(iid, out) : S_FALSE;
}

ISRepObject* SRepObjIteratorBase::Next() { return m_at < m_items.size() ? m_items[m_at++] : nullptr; }

void SRepObjIteratorBase::Clear() {
  for (ISRepObject* o : m_items) o->Release();
  m_items.clear();
  m_at = 0;
  m_reverse = false;
}

// ---- SRepActionAttr ----------------------------------------------------------------
SRepActionAttr::SRepActionAttr(ISRepObject* obj, LONG id, const SRepVariant& value)
    : m_obj(obj), m_id(id), m_value(value) {
  m_type = SRepAction_Attr;
  if (m_obj) m_obj->AddRef();
}

SRepActionAttr::~SRepActionAttr() {
  if (m_obj) m_obj->Release();
}

HRESULT SRepActionAttr::Execute() {
  if (!m_obj) return S_OK;
  SRepVariant now;
  SRepObject* o = SRepObject::FromInterface(m_obj);
  HRESULT hr = o ? o->RawGetAttribute(m_id, &now) : m_obj->GetAttribute(m_id, &now);
  if (FAILED(hr)) return hr;
  hr = o ? o->RawSetAttribute(m_id, m_value) : m_obj->SetAttribute(m_id, m_value);
  if (FAILED(hr)) return hr;
  m_value = std::move(now);
  return S_OK;
}

bool SRepActionAttr::IsEmpty() {
  if (!m_obj) return true;
  SRepVariant now;
  return m_obj->GetAttribute(m_id, &now) == S_OK && now == m_value;
}

// ---- commands, checks and typed helpers ----------------------------------------------
HRESULT SRepObject::CanCreateObject(LONG id, const CLSID& clsid, LONG pos, SString* message) {
  auto refuse = [&](const char* why) {
    if (message) *message = SString(why);
    return S_FALSE;
  };
  if (IsDeleted()) return refuse("The object is deleted");
  if (m_pSession && m_pSession->IsReadOnly()) return refuse("The session is read-only");
  if (!SRepRegistry::Find(clsid)) return refuse("The class is not registered");
  SRepCollection* col = FindCollection(id);
  if (pos < -1 || pos > (col ? col->GetCount() : 0)) return refuse("The position is outside the collection");
  if (SRepRegistry* reg = GetRegistry())
    if (SRepClassColDef* def = reg->GetClassColDef(id)) {
      CLSID el{};
      def->GetElementClass(&el);
      SRepRegistry* made = SRepRegistry::Find(clsid);
      if (el != GUID_NULL && clsid != el && !made->IsKindOf(el)) return refuse("The class does not fit the collection");
    }
  return S_OK;
}

HRESULT SRepObject::GetAttributeText(LONG id, SString* out) {
  if (!out) return E_POINTER;
  SRepVariant v;
  HRESULT hr = GetAttribute(id, &v);
  if (FAILED(hr)) return hr;
  SRepRegistry* reg = GetRegistry();
  SRepAttrEditor* ed = reg ? reg->GetAttrEditor(id) : nullptr;
  *out = ed ? ed->GetText(v) : v.GetAsText();
  return S_OK;
}

namespace {
// An attribute's value converted to the caller's type.
template <class T>
HRESULT AttributeAs(SRepObject* o, LONG id, T& out) {
  SRepVariant v;
  HRESULT hr = o->GetAttribute(id, &v);
  if (FAILED(hr)) return hr;
  return SRepFromVariant(v, out);
}
}  // namespace

HRESULT SRepObject::Get_TEXT(LONG id, SString& out) { return AttributeAs(this, id, out); }

HRESULT SRepObject::Set_CHAR(LONG id, const SString& value) {
  SRepVariant v;
  v.SetSTRING(value);
  return SetAttribute(id, v);
}

HRESULT SRepObject::Get_INT(LONG id, LONG& out) { return AttributeAs(this, id, out); }

HRESULT SRepObject::Get_OID(LONG id, SRepOID_& out) { return AttributeAs(this, id, out); }

HRESULT SRepObject::Set_OID(LONG id, const SRepOID_& value) {
  SRepVariant v;
  v.SetOID(value);
  return SetAttribute(id, v);
}

HRESULT SRepObject::GetRelatedObjectList(SRepListObject* list, ISRepObject*, int, SRepBagObject* bag, int, int) {
  if (!list) return E_POINTER;
  for (SRepCollection* col = m_cols; col; col = col->m_nextCol) {
    if (col->m_oneSided) continue;
    for (SRepObject* o : col->m_items) {
      ISRepObject* obj = o;
      if (bag ? !bag->Add(obj) : list->Contains(obj)) continue;
      list->Add(obj);
    }
  }
  return S_OK;
}

SRepRecursiveFolderIterator::SRepRecursiveFolderIterator(ISRepObject* start, LONG id1, LONG id2) {
  std::vector<ISRepObject*> stack;
  if (start) stack.push_back(start);
  std::set<ISRepObject*> seen;
  while (!stack.empty()) {
    ISRepObject* o = stack.back();
    stack.pop_back();
    if (!seen.insert(o).second) continue;
    o->AddRef();
    m_items.push_back(o);
    std::vector<ISRepObject*> kids;
    for (LONG id : {id1, id2}) {
      SRepObjIterator it(o, id);
      while (ISRepObject* k = it.Next()) kids.push_back(k);
    }
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back(*it);
  }
}

SRepRecursiveFolderIterator::~SRepRecursiveFolderIterator() {
  for (ISRepObject* o : m_items) o->Release();
}

ISRepObject* SRepRecursiveFolderIterator::Next() { return m_at < m_items.size() ? m_items[m_at++] : nullptr; }

// ---- names and icons ------------------------------------------------------------------------
SString SRepObject::GetClssName() const {
  CLSID id = m_clsid;
  const_cast<SRepObject*>(this)->GetCLSID(&id);
  // Base classes (registry flag 0) are never what a user sees an object as.
  const SRepRegistry* reg = SRepRegistry::Find(id);
  if (reg && reg->GetFlag() == 0) return SString();
  const SString label = SRepGetClassLabel(id);
  const int end = label.Find(u'\n');
  return end < 0 ? label : label.Left(end);
}

SString SRepObject::GetObjShortName() {
  SRepVariant name;
  if (GetAttribute(0x01000002, &name) == S_OK &&
      (name.GetType() == SRepVT_STRING || name.GetType() == SRepVT_TEXT) && !name.GetSTRING().IsEmpty())
    return name.GetSTRING();
  CLSID id = m_clsid;
  GetCLSID(&id);
  SString text = GetClssName();
  if (text.IsEmpty()) text = SRepGetClassName(id);
  if (text.IsEmpty()) text = SString(GuidToString16(id));
  return text;
}

int SRepObject::GetIconIndex() const {
  SRepRegistry* reg = GetRegistry();
  return reg ? reg->GetClassDef()->GetIconIndex() : -1;
}
