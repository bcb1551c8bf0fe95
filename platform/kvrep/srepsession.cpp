#include "kvrep/srepsession.h"

#include <algorithm>
#include <exception>
#include <map>

#include "kvcore/sexception.h"
#include "kvcore/snotify.h"
#include "kvcore/sptrset.h"

// ---- SRepContext -------------------------------------------------------------------------
SRepContext::~SRepContext() { ClearIndex(); }

HRESULT SRepContext::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepContext) {
    *ppv = static_cast<ISRepContext*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG SRepContext::Release() {
  ULONG n = --m_cRef;
  if (n == 0) delete this;
  return n;
}

// Files the facets a record names under the record's position.
class SRepContext::IndexSink final : public SRepFacetSink {
 public:
  IndexSink(SRepContext& ctx, SRepActionBase* action) : m_ctx(ctx), m_action(action) {}
  void Add(IUnknown* object, const SRepFacet& facet) override { m_ctx.Index(m_action, object, facet); }

 private:
  SRepContext& m_ctx;
  SRepActionBase* m_action;
};

void SRepActionBase::FacetAdded(IUnknown* object, const SRepFacet& facet) {
  if (m_pIndex) m_pIndex->Index(this, object, facet);
}

void SRepContext::Index(SRepActionBase* action, IUnknown* object, const SRepFacet& facet) {
  const SRepObject* obj = SRepObject::FromInterface(object);
  if (!obj || action->m_pIndex != this) return;
  ObjectEntry& entry = m_index[obj];
  auto it = std::find_if(entry.facets.begin(), entry.facets.end(),
                         [&](const FacetPositions& f) { return f.facet == facet; });
  if (it == entry.facets.end()) it = entry.facets.insert(entry.facets.end(), FacetPositions{facet, {}});
  std::vector<int>& at = it->positions;
  // Records are indexed as they are added, so the position is almost always
  // the last; a record that grows later may be an earlier one.
  const int pos = action->m_position;
  if (at.empty() || at.back() < pos) {
    at.push_back(pos);
    return;
  }
  auto where = std::lower_bound(at.begin(), at.end(), pos);
  if (where == at.end() || *where != pos) at.insert(where, pos);
}

HRESULT SRepContext::AddAction(SRepActionPtr action) {
  if (!action) return E_POINTER;
  if (m_kind == Kind::Applying) return S_FALSE;
  const bool pending = m_kind == Kind::Lockout;
  SRepActionBase* a = action.get();
  m_actions.push_back(std::move(action));
  m_done.push_back(!pending);
  if (pending) {
    a->m_pIndex = this;
    a->m_position = static_cast<int>(m_actions.size()) - 1;
    IndexSink sink(*this, a);
    a->CollectFacets(sink);
  }
  return S_OK;
}

void SRepContext::AddDone(SRepActionPtr action) {
  if (!action) return;
  m_actions.push_back(std::move(action));
  m_done.push_back(true);
}

void SRepContext::AddDoneBeforeCause(SRepActionPtr action) {
  if (!action) return;
  // Only a creation context's records keep no index by position.
  if (m_kind != Kind::Create || m_cause < 0 || m_cause >= GetActionCount()) {
    AddDone(std::move(action));
    return;
  }
  const auto at = static_cast<std::ptrdiff_t>(m_cause);
  m_actions.insert(m_actions.begin() + at, std::move(action));
  m_done.insert(m_done.begin() + at, true);
  ++m_cause;  // the cause moved one on
}

SRepActionBase* SRepContext::GetAction(int index) {
  return index >= 0 && index < GetActionCount() ? m_actions[static_cast<std::size_t>(index)].get() : nullptr;
}

BOOL SRepContext::IsObjectInContext(ISRepObject* obj) {
  SRepObject* o = SRepObject::FromInterface(obj);
  return o && m_newObjects.count(o) != 0;
}

HRESULT SRepContext::LockObject(ISRepObject* obj) {
  if (!obj) return E_POINTER;
  SRepObject* o = SRepObject::FromInterface(obj);
  if (!o || (o->GetSessionImpl() && o->GetSessionImpl() != m_session)) return E_INVALIDARG;
  if (o->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  if (m_kind != Kind::Lockout) return S_FALSE;
  ObjectEntry& entry = m_index[o];
  if (entry.locked) return S_FALSE;
  entry.locked = true;
  o->AddRef();
  return S_OK;
}

BOOL SRepContext::IsObjectLocked(ISRepObject* obj) {
  const SRepObject* o = SRepObject::FromInterface(obj);
  if (!o) return FALSE;
  auto it = m_index.find(o);
  if (it == m_index.end()) return FALSE;
  if (it->second.locked) return TRUE;
  for (const FacetPositions& f : it->second.facets)
    if (!f.positions.empty()) return TRUE;
  return FALSE;
}

int SRepContext::OverlayPending(const SRepObject* obj, std::initializer_list<SRepFacet> facets,
                                SRepVariant& value) const {
  if (m_index.empty()) return 0;
  auto it = m_index.find(obj);
  if (it == m_index.end()) return 0;
  // The lists of the asked facets (each facet has one list per object).
  std::vector<const FacetPositions*> lists;
  const FacetPositions* only = nullptr;
  for (const FacetPositions& f : it->second.facets)
    for (const SRepFacet& want : facets)
      if (f.facet == want && !f.positions.empty()) {
        if (!only) only = &f;
        else lists.push_back(&f);
      }
  if (!only) return 0;
  int laid = 0;
  auto lay = [&](int pos, const SRepFacet& facet) {
    if (m_done[static_cast<std::size_t>(pos)]) return;
    m_actions[static_cast<std::size_t>(pos)]->Overlay(obj, facet, value);
    ++laid;
  };
  if (lists.empty()) {
    for (int pos : only->positions) lay(pos, only->facet);
    return laid;
  }
  // Several facets: their positions merged in record order (a handful of
  // lists of one object, so a small sort is enough).
  lists.push_back(only);
  std::vector<std::pair<int, const SRepFacet*>> merged;
  for (const FacetPositions* list : lists)
    for (int pos : list->positions) merged.emplace_back(pos, &list->facet);
  std::stable_sort(merged.begin(), merged.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < merged.size(); ++i)
    if (i == 0 || merged[i].first != merged[i - 1].first) lay(merged[i].first, *merged[i].second);
  return laid;
}

std::vector<int> SRepContext::GetPendingPositions(const SRepObject* obj, const SRepFacet& facet) const {
  std::vector<int> out;
  auto it = m_index.find(obj);
  if (it == m_index.end()) return out;
  for (const FacetPositions& f : it->second.facets)
    if (f.facet == facet)
      for (int pos : f.positions)
        if (!m_done[static_cast<std::size_t>(pos)]) out.push_back(pos);
  return out;
}

HRESULT SRepContext::GetSession(ISRepSession** out) {
  if (!out) return E_POINTER;
  *out = m_session;
  if (m_session) m_session->AddRef();
  return m_session ? S_OK : S_FALSE;
}

void SRepContext::MarkAllDone() {
  m_done.assign(m_done.size(), true);
  for (auto& a : m_actions) a->m_pIndex = nullptr;
  for (auto& [obj, entry] : m_index) entry.facets.clear();
}

void SRepContext::ClearIndex() {
  for (auto& a : m_actions) a->m_pIndex = nullptr;
  std::vector<SRepObject*> locked;
  for (auto& [obj, entry] : m_index)
    if (entry.locked) locked.push_back(const_cast<SRepObject*>(obj));
  m_index.clear();
  for (SRepObject* o : locked) o->Release();
}

std::vector<SRepActionPtr> SRepContext::TakeActions() {
  ClearIndex();
  m_done.clear();
  m_newObjects.clear();
  return std::move(m_actions);
}

// ---- picture holder -------------------------------------------------------------------------
class SRepPictureHolderImpl final : public ISRepPictureHolder {
 public:
  explicit SRepPictureHolderImpl(SRepSession* s) : m_session(s) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISRepPictureHolder) {
      *ppv = static_cast<ISRepPictureHolder*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return m_session->AddRef(); }
  ULONG Release() override { return m_session->Release(); }
  HRESULT AddPicture(ISRepObject* user, const void* picture) override {
    if (!picture) return E_POINTER;
    return m_uses.insert({picture, user}).second ? S_OK : S_FALSE;
  }
  HRESULT RemovePicture(ISRepObject* user, const void* picture) override {
    return m_uses.erase({picture, user}) ? S_OK : S_FALSE;
  }
  BOOL HasPicture(ISRepObject* user, const void* picture) override { return m_uses.count({picture, user}) != 0; }
  LONG GetUseCount(const void* picture) override {
    if (!picture) return 0;
    LONG n = 0;
    for (auto it = m_uses.lower_bound({picture, nullptr}); it != m_uses.end() && it->first == picture; ++it) ++n;
    return n;
  }

 private:
  SRepSession* m_session;
  std::set<std::pair<const void*, ISRepObject*>> m_uses;
};

// ---- SRepSession --------------------------------------------------------------------------------
SRepSessionManager g_sessionMng;
SRepContext* SRepSession::m_pUndoContext = nullptr;

SRepSession* SRepSessionManager::FindSession(ISRepObject* obj) const {
  for (SRepSession* s : m_sessions)
    if (s->IsObjInSession(obj)) return s;
  return nullptr;
}

void SRepSessionManager::Remove(SRepSession* s) {
  m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), s), m_sessions.end());
}

std::function<SRepSession::LockDrawAllViews::ObjectBase*(SComTable<ISRepSessionView>&)>
    SRepSession::LockDrawAllViews::CreateObject;

SRepSession::LockDrawAllViews::LockDrawAllViews(SRepSession* session) {
  if (session && CreateObject) m_lock = CreateObject(session->m_views);
}

SRepSession::LockDrawAllViews::~LockDrawAllViews() { delete m_lock; }

SRepSession::SRepSession() : m_pictures(std::make_unique<SRepPictureHolderImpl>(this)) { g_sessionMng.Add(this); }

bool SRepSession::IsAlive(const SRepSession* session) {
  if (!session) return false;
  for (int i = 0; i < g_sessionMng.GetCount(); ++i)
    if (g_sessionMng.GetAt(i) == session) return true;
  return false;
}

BOOL SRepSession::IsObjInSession(ISRepObject* obj) const {
  SRepObject* o = SRepObject::FromInterface(obj);
  return o && o->GetSessionImpl() == this && o->IsAttached();
}

void SRepSession::AddView(ISRepSessionView* view) {
  if (view && !m_views.Contains(view)) m_views.Add(view);
}

void SRepSession::RemoveView(ISRepSessionView* view) {
  for (int i = 0; i < m_views.GetCount(); ++i)
    if (m_views.GetAt(i) == view) {
      m_views.RemoveAt(i);
      return;
    }
}

SRepSession::~SRepSession() {
  g_sessionMng.Remove(this);
  ++m_cRef;  // the teardown below must not end the session again
  SNotificationManager::Notify(SRepNotifyForgetObject, static_cast<ISRepSession*>(this), 0);
  m_undo.clear();
  m_redo.clear();
  std::vector<SRepObject*> objects;
  objects.swap(m_objects);
  for (SRepObject* o : objects) o->ForgetSession();
  for (SRepObject* o : objects) o->Release();
}

ULONG SRepSession::Release() {
  ULONG n = --m_cRef;
  if (n == 0) delete this;
  return n;
}

HRESULT SRepSession::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (iid == IID_IUnknown || iid == IID_ISRepSession) {
    *ppv = static_cast<ISRepSession*>(this);
  } else if (iid == IID_SRepSessionImpl) {
    *ppv = this;
  } else if (iid == IID_ISRepPictureHolder) {
    *ppv = static_cast<ISRepPictureHolder*>(m_pictures.get());
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

SRepSession* SRepSession::FromInterface(IUnknown* unk) {
  if (!unk) return nullptr;
  void* p = nullptr;
  if (unk->QueryInterface(IID_SRepSessionImpl, &p) != S_OK || !p) return nullptr;
  auto* s = static_cast<SRepSession*>(p);
  s->Release();
  return s;
}

HRESULT SRepSession::CreateObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (m_bReadOnly) return SREP_E_READONLY;
  ISRepObject* obj = nullptr;
  HRESULT hr = SRepRegistry::CreateObject(clsid, this, nullptr, &obj);
  if (FAILED(hr)) return hr;
  if (SRepObject* o = SRepObject::FromInterface(obj))
    if (!o->IsAttached()) o->SetSession(this);
  hr = obj->QueryInterface(iid, out);
  obj->Release();
  return hr;
}

void SRepSession::Adopt(SRepObject* obj) {
  obj->AddRef();
  m_objects.push_back(obj);
  if (m_current && m_current->GetKind() == SRepContext::Kind::Lockout) m_current->AddNewObject(obj);
  if (m_current && m_current->GetKind() != SRepContext::Kind::Applying)
    m_current->AddDone(SRepMakeLifeAction(obj, true));
}

HRESULT SRepSession::GetCurrentContext(ISRepContext** out) {
  if (!out) return E_POINTER;
  *out = m_current;
  if (!m_current) return S_FALSE;
  m_current->AddRef();
  return S_OK;
}

HRESULT SRepSession::GetLockoutContext(ISRepContext** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!m_current || m_current->GetKind() == SRepContext::Kind::Applying) return S_FALSE;
  *out = m_current;
  m_current->AddRef();
  return S_OK;
}

SRepContext* SRepSession::OpenCreate() {
  if (m_applying && !m_create) {
    // A step being applied (undo, redo, a lockout) is not a user step: what
    // its records set off is their own effect and makes no step of its own,
    // which would also drop the redo stack.
    return m_applying;
  }
  if (m_create) {
    ++m_createDepth;
    return m_create;
  }
  if (m_current && m_current->GetKind() == SRepContext::Kind::Lockout) {
    // Inside a lockout every change goes to the lockout context.
    ++m_createDepth;
    return m_current;
  }
  m_create = new SRepContext(this, SRepContext::Kind::Create);
  m_create->AddRef();
  m_createDepth = 1;
  m_current = m_create;
  return m_create;
}

void SRepSession::CloseCreate(SRepContext* ctx) {
  if (ctx && ctx->GetKind() == SRepContext::Kind::Applying) return;
  if (!ctx || m_createDepth <= 0) return;
  if (--m_createDepth > 0) return;
  if (ctx != m_create) {
    if (ctx->GetKind() == SRepContext::Kind::Lockout) TakeBackDeferred(ctx);
    return;
  }
  m_create = nullptr;
  if (m_current == ctx) m_current = nullptr;
  NotifyEnded(ctx);
  Step step = ctx->TakeActions();
  ctx->Release();
  PushStep(std::move(step));
}

void SRepSession::NotifyEnded(SRepContext* ctx) {
  SNotificationManager::Notify(SRepNotifyContextEnded, static_cast<ISRepSession*>(this),
                               reinterpret_cast<unsigned long>(static_cast<ISRepContext*>(ctx)));
}

int SRepGetContextKind(ISRepContext* ctx) {
  if (!ctx) return 0;
  return ctx->IsLockout() ? 1 : ctx->IsApplying() ? 2 : 0;
}

void SRepSession::PushStep(Step step) {
  if (step.empty()) return;
  m_redo.clear();
  m_undo.push_back(std::move(step));
}

SRepContext* SRepSession::OpenLockout() {
  if (m_current) return nullptr;  // one context at a time
  auto* ctx = new SRepContext(this, SRepContext::Kind::Lockout);
  ctx->AddRef();
  m_current = ctx;
  return ctx;
}

namespace {
// Runs an action; an exception it throws becomes its result.
HRESULT Execute(SRepActionBase* a) {
  try {
    return a->Execute();
  } catch (const SECOMException& e) {
    return e.GetResult();
  } catch (...) {
    return E_FAIL;
  }
}
}  // namespace

HRESULT SRepSession::ApplyLockout(SRepContext* ctx) {
  if (!ctx || ctx != m_current) return E_UNEXPECTED;
  // Run the pending records in order; the records of changes already made
  // stay as they are. Afterwards every record holds the state before.
  LockDrawAllViews lock(this);
  SRepContext* applying = new SRepContext(this, SRepContext::Kind::Applying);
  applying->AddRef();
  m_current = nullptr;
  m_applying = applying;
  std::vector<int> ran;
  HRESULT hr = S_OK;
  for (int i = 0, n = ctx->GetActionCount(); i < n; ++i) {
    if (ctx->IsDone(i)) continue;
    SRepActionBase* a = ctx->GetAction(i);
    hr = Execute(a);
    if (FAILED(hr)) break;
    ran.push_back(i);
  }
  if (FAILED(hr)) {
    for (auto it = ran.rbegin(); it != ran.rend(); ++it) ctx->GetAction(*it)->Execute();
  }
  m_applying = nullptr;
  m_current = ctx;
  applying->Release();
  if (FAILED(hr)) return hr;
  ctx->MarkAllDone();
  return S_OK;
}

void SRepSession::CloseLockout(SRepContext* ctx) {
  if (!ctx) return;
  if (m_current == ctx) m_current = nullptr;
  NotifyEnded(ctx);
  // Changes already made stay only when the context was applied; otherwise
  // the records of changes made directly are reverted.
  bool applied = true;
  std::vector<bool> done;
  for (int i = 0, n = ctx->GetActionCount(); i < n; ++i) {
    done.push_back(ctx->IsDone(i));
    if (!ctx->IsDone(i)) applied = false;
  }
  Step step = ctx->TakeActions();
  if (applied) {
    PushStep(std::move(step));
  } else {
    // Pending records are dropped; changes already made are reverted.
    SRepContext* applying = new SRepContext(this, SRepContext::Kind::Applying);
    applying->AddRef();
    m_applying = applying;
    for (std::size_t i = step.size(); i-- > 0;)
      if (done[i]) step[i]->Execute();
    m_applying = nullptr;
    applying->Release();
  }
  ctx->Release();
}

void SRepSession::DeferDone(SRepActionPtr action) { m_deferred.push_back(std::move(action)); }

void SRepSession::TakeBackDeferred(SRepContext* lockout) {
  // Taken back in reverse, as an undo runs them (a record of an owner's
  // change kept before its members' may rely on them being taken back
  // after); pending in the order made, as a redo runs them.
  std::vector<SRepActionPtr> records;
  records.swap(m_deferred);
  std::vector<bool> kept(records.size(), false);
  for (std::size_t i = records.size(); i-- > 0;) kept[i] = SUCCEEDED(RunOutsideContexts(records[i].get()));
  for (std::size_t i = 0; i < records.size(); ++i)
    if (kept[i]) lockout->AddAction(std::move(records[i]));
}

HRESULT SRepSession::RunOutsideContexts(SRepActionBase* action) {
  SRepContext* applying = new SRepContext(this, SRepContext::Kind::Applying);
  applying->AddRef();
  SRepContext* saved = m_current;
  SRepContext* savedApplying = m_applying;
  m_current = nullptr;
  m_applying = applying;
  const HRESULT hr = Execute(action);
  m_applying = savedApplying;
  m_current = saved;
  applying->Release();
  return hr;
}

HRESULT SRepSession::RunStep(Step& step, bool backward) {
  LockDrawAllViews lock(this);
  SRepContext* applying = new SRepContext(this, SRepContext::Kind::Applying);
  applying->AddRef();
  SRepContext* saved = m_current;
  SRepContext* savedUndo = m_pUndoContext;
  m_current = nullptr;
  m_applying = applying;
  m_pUndoContext = applying;
  applying->SetState(1);
  // The records in the order they run: an undo takes them back last first.
  // (No copies of the step's lists: a step that deletes a whole diagram
  // holds a record or more per object, and fresh arrays of that length
  // cost a first touch of every page.)
  const std::size_t count = step.size();
  auto at = [&](std::size_t i) { return step[backward ? count - 1 - i : i].get(); };
  // Objects that the step itself creates or deletes are its own business;
  // a record is skipped when any other object it touches is gone. (A step
  // that deletes a whole diagram names every object of it: a flat set.)
  SPtrSet<SRepObject> ownLife;
  for (const SRepActionPtr& a : step)
    if (SRepObject* o = SRepLifeActionObject(a.get())) ownLife.Insert(o);
  std::vector<std::size_t> skipped;  // positions in running order, rising
  std::size_t ran = 0;               // records run or skipped before a failure
  HRESULT hr = S_OK;
  // One bag for every record's objects: its storage is kept between them.
  SRepObjectBag objs;
  for (; ran < count; ++ran) {
    SRepActionBase* a = at(ran);
    objs.RemoveAll();
    a->CollectObjects(objs);
    bool gone = false;
    for (int i = 0; i < objs.GetCount(); ++i) {
      ISRepObject* o = objs.GetAt(i);
      if (o->IsDeleted() && !ownLife.Contains(SRepObject::FromInterface(o))) gone = true;
    }
    if (gone) {
      skipped.push_back(ran);
      continue;
    }
    hr = Execute(a);
    if (FAILED(hr)) break;
  }
  if (FAILED(hr)) {
    // Never half applied: run the executed records once more, in reverse.
    for (std::size_t i = ran; i-- > 0;) {
      if (!skipped.empty() && skipped.back() == i) {
        skipped.pop_back();
        continue;
      }
      try {
        at(i)->Execute();
      } catch (...) {
      }
    }
  }
  applying->SetState(0);
  m_pUndoContext = savedUndo;
  m_applying = nullptr;
  m_current = saved;
  applying->Release();
  return hr;
}

HRESULT SRepSession::Undo() { return ReplayLast(m_undo, m_redo, true); }

HRESULT SRepSession::Redo() { return ReplayLast(m_redo, m_undo, false); }

HRESULT SRepSession::ReplayLast(std::vector<Step>& from, std::vector<Step>& to, bool backward) {
  if (m_current) return E_UNEXPECTED;
  if (from.empty()) return S_FALSE;
  Step step = std::move(from.back());
  from.pop_back();
  HRESULT hr = RunStep(step, backward);
  if (FAILED(hr)) {
    from.push_back(std::move(step));
    return hr;
  }
  to.push_back(std::move(step));
  return S_OK;
}

// ---- scopes -------------------------------------------------------------------------------------
SRepCreateContext::SRepCreateContext(ISRepSession* session, int, int, int) { Open(SRepSession::FromInterface(session)); }

SRepCreateContext::SRepCreateContext(ISRepObject* obj, int, int, int) {
  SRepObject* o = SRepObject::FromInterface(obj);
  Open(o ? o->GetSessionImpl() : nullptr);
}

void SRepCreateContext::Open(SRepSession* session) {
  m_session = session;
  if (!m_session) return;
  m_session->AddRef();
  m_ctx = m_session->OpenCreate();
}

SRepCreateContext::~SRepCreateContext() {
  if (!m_session) return;
  if (m_ctx && m_ctx->GetKind() == SRepContext::Kind::Create) m_session->CloseCreate(m_ctx);
  else if (m_ctx) m_session->CloseCreate(m_ctx);  // joined a lockout: only the depth
  m_session->Release();
}

HRESULT SRepCreateContext::AddRepAction(SRepActionPtr action) {
  if (!action) return E_POINTER;
  if (!m_ctx) return S_FALSE;
  if (m_ctx->GetKind() == SRepContext::Kind::Lockout) {
    m_session->DeferDone(std::move(action));
    return S_OK;
  }
  return m_ctx->AddAction(std::move(action));
}

SRepLockoutContext::SRepLockoutContext(ISRepSession* session) {
  m_session = SRepSession::FromInterface(session);
  if (!m_session) return;
  m_session->AddRef();
  m_ctx = m_session->OpenLockout();
}

SRepLockoutContext::~SRepLockoutContext() {
  if (!m_session) return;
  if (m_ctx) m_session->CloseLockout(m_ctx);
  m_session->Release();
}

HRESULT SRepLockoutContext::Apply() {
  if (!m_ctx) return E_UNEXPECTED;
  return m_session->ApplyLockout(m_ctx);
}

SCurrentContextChange::SCurrentContextChange(ISRepSession* session, ISRepContext* ctx) {
  Set(SRepSession::FromInterface(session), ctx);
}

SCurrentContextChange::SCurrentContextChange(ISRepObject* obj, ISRepContext* ctx) {
  SRepObject* o = SRepObject::FromInterface(obj);
  Set(o ? o->GetSessionImpl() : nullptr, ctx);
}

void SCurrentContextChange::Set(SRepSession* s, ISRepContext* ctx) {
  m_session = s;
  if (!s) return;
  s->AddRef();
  m_prev = s->Current();
  s->SetCurrent(static_cast<SRepContext*>(ctx));
}

SCurrentContextChange::~SCurrentContextChange() {
  if (!m_session) return;
  m_session->SetCurrent(m_prev);
  m_session->Release();
}

ISRepContext* SRepGetUndoContext(ISRepSession* session) {
  SRepSession* s = SRepSession::FromInterface(session);
  SRepContext* c = s ? s->Current() : nullptr;
  return c && c->IsRecording() ? c : nullptr;
}

ISRepContext* SRepGetApplyingContext(ISRepSession* session) {
  SRepSession* s = SRepSession::FromInterface(session);
  return s ? s->Applying() : nullptr;
}

BOOL SRepIsSessionReadOnly(ISRepSession* session) { return session ? session->IsReadOnly() : FALSE; }

namespace {
int g_rlshCheckMode = 1;
}

int g_GetRlshCheckMode() { return g_rlshCheckMode; }

SetRlshCheckMode::SetRlshCheckMode(int mode) : m_prev(g_rlshCheckMode) { g_rlshCheckMode = mode; }

void SetRlshCheckMode::Set() {
  if (m_done) return;
  m_done = true;
  g_rlshCheckMode = m_prev;
}
