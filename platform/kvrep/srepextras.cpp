#include "kvrep/srepextras.h"

#include "kvrep/srepsession.h"
#include "kvrep/srepstream.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>

// ---- shortcuts ------------------------------------------------------------------------
SRepShortcut::SRepShortcut(ISRepObject* target, ISRepSession* session)
    : SRepObjectMem(CLSID_SRepShortcut, session) {
  SetTarget(target);
}

SRepShortcut::SRepShortcut(const SRepShortcut& o) : SRepObjectMem(o), ISRepShortcut() { SetTarget(o.m_target); }

SRepShortcut::~SRepShortcut() { SetTarget(nullptr); }

void SRepShortcut::SetTarget(ISRepObject* target) {
  if (target) target->AddRef();
  if (m_target) m_target->Release();
  m_target = target;
}

HRESULT SRepShortcut::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid == IID_ISRepShortcut) {
    *ppv = static_cast<ISRepShortcut*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT SRepShortcut::GetTarget(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!m_target || m_target->IsDeleted()) return S_FALSE;
  *out = m_target;
  m_target->AddRef();
  return S_OK;
}

HRESULT SRepShortcut::GetTargetCLSID(CLSID* out) {
  if (!out) return E_POINTER;
  *out = GUID_NULL;
  if (!m_target) return S_FALSE;
  return m_target->GetCLSID(out);
}

BOOL SRepShortcut::IsExternal() {
  if (!m_target) return FALSE;
  SRepObject* t = SRepObject::FromInterface(m_target);
  return t && t->GetSessionImpl() != GetSessionImpl();
}

namespace {
class ExternHelper final : public ISRepSessionExternHelper, public ISRepSessionExtern {
 public:
  ExternHelper(ISRepSession* s, ISRepObject* model) : m_session(s), m_model(model) {
    if (m_session) m_session->AddRef();
    if (m_model) m_model->AddRef();
  }
  ~ExternHelper() {
    if (m_session) m_session->Release();
    if (m_model) m_model->Release();
  }
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISRepSessionExternHelper) *ppv = static_cast<ISRepSessionExternHelper*>(this);
    else if (iid == IID_ISRepSessionExtern) *ppv = static_cast<ISRepSessionExtern*>(this);
    else return *ppv = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override {
    ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
  }
  HRESULT GetSession(ISRepSession** out) override {
    if (!out) return E_POINTER;
    *out = m_session;
    if (!m_session) return S_FALSE;
    m_session->AddRef();
    return S_OK;
  }
  HRESULT GetModelObject(ISRepObject** out) override {
    if (!out) return E_POINTER;
    *out = m_model;
    if (!m_model) return S_FALSE;
    m_model->AddRef();
    return S_OK;
  }

 private:
  ULONG m_cRef = 0;
  ISRepSession* m_session;
  ISRepObject* m_model;
};
}  // namespace

SString SRepOption::m_sOutputLogPath;
BOOL SRepOption::m_bOpenSingleMode = FALSE;
BOOL SRepOption::m_bKeepSize = FALSE;

HRESULT SRepShortcut::GetExternHelper(ISRepSessionExternHelper** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsExternal()) return S_FALSE;
  SRepObject* t = SRepObject::FromInterface(m_target);
  ISRepObject* model = nullptr;
  t->GetModel(&model);
  auto* h = new ExternHelper(t->GetSessionImpl(), model);
  if (model) model->Release();
  h->AddRef();
  *out = h;
  return S_OK;
}

ISRepObject* SRepUnrefShct(ISRepObject* obj, int followChain, int liveOnly, BOOL* isShortcut) {
  if (isShortcut) *isShortcut = FALSE;
  ISRepObject* cur = obj;
  for (int depth = 0; cur && depth < 64; ++depth) {
    ISRepShortcut* sc = nullptr;
    if (cur->QueryInterface(IID_ISRepShortcut, reinterpret_cast<void**>(&sc)) != S_OK || !sc) break;
    if (isShortcut && cur == obj) *isShortcut = TRUE;
    ISRepObject* target = nullptr;
    HRESULT hr = sc->GetTarget(&target);
    sc->Release();
    if (hr != S_OK || !target) return liveOnly ? nullptr : cur;
    target->Release();  // the shortcut keeps it
    cur = target;
    if (!followChain) break;
  }
  return cur;
}

SComWrap<ISRepObject, &IID_ISRepObject> SRepGetReplicationSource(ISRepObject* obj) {
  SComWrap<ISRepObject, &IID_ISRepObject> out;
  SComWrap<ISRepObjectBase, &IID_ISRepObjectBase> base(obj);
  if (base.IsNull()) return out;
  SComOut<IUnknown> replication;
  if (base->GetReplicationObject(&replication) != S_OK || !replication) return out;
  SComWrap<ISRepBaseReplication, &IID_ISRepBaseReplication> rep(replication.Get());
  SComOut<ISRepObject> source;
  if (!rep.IsNull() && rep->GetReplicationSource(&source) == S_OK && source) out = source.Get();
  return out;
}

SString SRepGetShortcutLocation(ISRepObject* shortcut, bool fullPath) {
  BOOL isShortcut = FALSE;
  ISRepObject* target = SRepUnrefShct(shortcut, 1, 1, &isShortcut);
  if (!isShortcut || !target) return SString();
  constexpr LONG kName = 0x01000002;
  // The holders of the target, nearest first; the top one is the model.
  std::vector<SComOut<ISRepObject>> holders;
  SComOut<ISRepObject> up;
  if (target->GetParent(&up) != S_OK) return SString();
  for (int depth = 0; up && depth < 10000; ++depth) {
    SComOut<ISRepObject> next;
    if (up->GetParent(&next) != S_OK || !next) break;  // up is the model
    holders.push_back(std::move(up));
    up = std::move(next);
  }
  SString location;
  for (std::size_t i = holders.size(); i-- > 0;) {
    if (!fullPath && i != 0) continue;
    SRepVariant name;
    holders[i]->GetAttribute(kName, &name);
    if (!location.IsEmpty()) location += u"::";
    location += name.GetAsText();
  }
  return location;
}

CLSID SRepGetExtClsid(ISRepObject* obj, LONG) {
  CLSID id = GUID_NULL;
  ISRepObject* target = SRepUnrefShct(obj, 1, 1, nullptr);
  if (target) target->GetCLSID(&id);
  return id;
}

SRepOID_ SRepNewOID() {
  std::uint8_t bytes[16];
  try {
    std::random_device source;
    for (int i = 0; i < 16; i += 4) {
      const unsigned v = source();
      for (int k = 0; k < 4; ++k) bytes[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
  } catch (const std::exception&) {
    throw SECOMException(E_FAIL);
  }
  // A random identifier: version 4, variant 10.
  bytes[7] = static_cast<std::uint8_t>((bytes[7] & 0x0F) | 0x40);
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
  return SRepOID_(GuidFromBytes(bytes));
}

SRepExaIntf& SRepExaIntf::Instance() {
  static SRepExaIntf intf;
  return intf;
}

SRepExaIntf* SRepExaIntf::GetExaIntf() {
  SRepExaIntf& intf = Instance();
  return intf.m_records.empty() && intf.m_attrs.empty() ? nullptr : &intf;
}

SRepExaIntf::~SRepExaIntf() { Clear(); }

void SRepExaIntf::Clear() {
  m_records.clear();
  std::vector<AttrDef> attrs;
  attrs.swap(m_attrs);
  for (AttrDef& a : attrs) a.def->Release();
}

namespace {
// The definition of a class attribute, as the interface makes it.
class SRepClassAttrDefImpl final : public ISRepClassAttrDef {
 public:
  explicit SRepClassAttrDefImpl(LONG id) : m_id(id) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISRepClassAttrDef) {
      *ppv = static_cast<ISRepClassAttrDef*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override {
    const ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
  }
  LONG GetAttributeId() override { return m_id; }

 private:
  ~SRepClassAttrDefImpl() = default;
  ULONG m_cRef = 0;
  LONG m_id;
};
}  // namespace

void SRepExaIntf::PutAttr(AttrDef def) {
  def.def->AddRef();
  for (AttrDef& a : m_attrs)
    if (a.collId == def.collId && a.attrId == def.attrId) {
      std::swap(a, def);
      def.def->Release();
      return;
    }
  m_attrs.push_back(std::move(def));
}

void SRepExaIntf::AddClassAttr(LONG collId, LONG attrId, const SString& code, const SString& name) {
  PutAttr(AttrDef{collId, attrId, new SRepClassAttrDefImpl(attrId), false, GUID_NULL, code, name});
}

void SRepExaIntf::AddObjectAttr(LONG collId, LONG attrId, IUnknown* def, const GUID& guid, const SString& code,
                                const SString& name) {
  if (!def) return;
  PutAttr(AttrDef{collId, attrId, def, true, guid, code, name});
}

IUnknown* SRepExaIntf::GetAttrDef(LONG collId, LONG attrId) const {
  for (const AttrDef& a : m_attrs)
    if (a.collId == collId && a.attrId == attrId) return a.def;
  return nullptr;
}

IUnknown* SRepExaIntf::FindAttrDef(LONG collId, const SString& text, ISRepObject*, DWORD) const {
  if (text.IsEmpty()) return nullptr;
  for (const AttrDef& a : m_attrs)
    if (a.collId == collId && a.code == text) return a.def;
  if (text.GetLength() == 38 && text.GetAt(0) == u'{') {
    GUID g;
    if (GuidFromString(text.str(), &g))
      for (const AttrDef& a : m_attrs)
        if (a.collId == collId && a.byObject && a.guid == g) return a.def;
  }
  return nullptr;
}

const SRepExaIntf::AttrDef* SRepExaIntf::FindDef(IUnknown* def) const {
  if (!def) return nullptr;
  for (const AttrDef& a : m_attrs)
    if (a.def == def) return &a;
  return nullptr;
}

SString SRepExaIntf::GetDefText(IUnknown* def, int which) const {
  const AttrDef* a = FindDef(def);
  if (!a) return SString();
  return which == 1 ? a->name : a->code;
}

bool SRepExaIntf::GetDefGuid(IUnknown* def, GUID* out) const {
  const AttrDef* a = FindDef(def);
  if (!a || !a->byObject) return false;
  if (out) *out = a->guid;
  return true;
}

LONG SRepExaIntf::FindAttrId(LONG collId, const SString& text, ISRepObject* context, DWORD flags, int) const {
  IUnknown* def = FindAttrDef(collId, text, context, flags);
  const AttrDef* a = FindDef(def);
  return a ? a->attrId : 0;
}

void SRepExaIntf::Add(const CLSID& clsid, LONG id, const SString& text, bool readOnly) {
  for (auto& r : m_records)
    if (r.clsid == clsid && r.id == id) {
      r.text = text;
      r.readOnly = readOnly;
      return;
    }
  m_records.push_back(SRepExaRecord{clsid, id, text, readOnly});
}

const SRepExaRecord* SRepExaIntf::Find(const CLSID& clsid, LONG id) const {
  for (auto& r : m_records)
    if (r.clsid == clsid && r.id == id) return &r;
  return nullptr;
}

namespace {
std::set<GUID>& SubObjectClasses() {
  static std::set<GUID> s;
  return s;
}
std::map<ISRepObject*, void*>& Dialogs() {
  static std::map<ISRepObject*, void*> m;
  return m;
}
}  // namespace

void SRepRegisterSubObjectClass(const CLSID& clsid, bool isSubObject) {
  if (isSubObject) SubObjectClasses().insert(clsid);
  else SubObjectClasses().erase(clsid);
}

bool SRepIsSubObjectClass(const CLSID& clsid) { return SubObjectClasses().count(clsid) != 0; }

void* SRepDialogMap::Find(ISRepObject* obj) {
  auto it = Dialogs().find(obj);
  return it == Dialogs().end() ? nullptr : it->second;
}

void SRepDialogMap::Add(ISRepObject* obj, void* dialog) {
  if (!obj) return;
  if (dialog) Dialogs()[obj] = dialog;
  else Dialogs().erase(obj);
}

void SRepDialogMap::Remove(ISRepObject* obj) { Dialogs().erase(obj); }

// ---- SRepColIterator -------------------------------------------------------------------
SRepColIterator::SRepColIterator(ISRepObject* obj, LONG id) {
  if (!obj || obj->GetCollection(id, &m_col) != S_OK) return;
  m_obj = obj;
  m_obj->AddRef();
  for (LONG i = 0, n = m_col->GetCount(); i < n; ++i) {
    ISRepObject* o = nullptr;
    if (m_col->Item(i, &o) == S_OK) m_items.push_back(o);
  }
  m_col->Advise(this);
}

SRepColIterator::~SRepColIterator() {
  Unadvise();
  for (ISRepObject* o : m_items)
    if (o) o->Release();
  ISRepClassCol* col = m_col;
  m_col = nullptr;
  if (col) col->Release();
  ISRepObject* obj = m_obj;
  m_obj = nullptr;
  if (obj) obj->Release();
}

void SRepColIterator::Unadvise() {
  if (m_col) m_col->Unadvise(this);
}

ISRepObject* SRepColIterator::Next() {
  while (m_at < m_items.size()) {
    ISRepObject* o = m_items[m_at++];
    if (o) return o;
  }
  return nullptr;
}

HRESULT SRepColIterator::OnObjColRemove(ISRepClassCol*, ISRepObject* obj) {
  for (std::size_t i = m_at; i < m_items.size(); ++i)
    if (m_items[i] == obj) {
      m_items[i] = nullptr;
      obj->Release();
    }
  return S_OK;
}

HRESULT SRepColIterator::OnObjColDelete(ISRepClassCol*) {
  for (std::size_t i = m_at; i < m_items.size(); ++i)
    if (m_items[i]) {
      m_items[i]->Release();
      m_items[i] = nullptr;
    }
  return S_OK;
}

// ---- SRepDataSource ---------------------------------------------------------------------
SRepDataSource::SRepDataSource(HWND wnd, ISRepSession* session)
    : m_wnd(wnd), m_session(session), m_root(new SRepRootObject()) {
  if (m_session) m_session->AddRef();
  static_cast<SRepObject*>(m_root)->AddRef();
}

SRepDataSource::~SRepDataSource() {
  static_cast<SRepObject*>(m_root)->ReleaseAll();
  static_cast<SRepObject*>(m_root)->Release();
  if (m_session) m_session->Release();
}

HRESULT SRepDataSource::RenderData(SOutputStream& out) const {
  std::vector<ISRepObject*> objects;
  for (SRepObject* o : m_root->OneSidedCollection(SRepRootCarried)->Items()) objects.push_back(o);
  return SRepStreamManager().Save(out, objects);
}

int SRepDataSource::GetObjectCount() const { return m_root->OneSidedCollection(SRepRootCarried)->GetCount(); }

ULONG SRepDataSource::Release() {
  ULONG n = --m_cRef;
  if (n == 0) delete this;
  return n;
}

HRESULT SRepDataSource::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepDataSrc) {
    *ppv = static_cast<ISRepDataSrc*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT SRepDataSource::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = m_wnd;
  return S_OK;
}

HRESULT SRepDataSource::ContainsData(DWORD* out) {
  if (!out) return E_POINTER;
  *out = static_cast<DWORD>(GetObjectCount());
  return *out == 0 ? S_FALSE : S_OK;
}

HRESULT SRepDataSource::GetRoot(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = static_cast<SRepObject*>(m_root);
  m_root->AddRef();
  return S_OK;
}

HRESULT SRepDataSource::GetSession(ISRepSession** out) {
  if (!out) return E_POINTER;
  *out = m_session;
  if (!m_session) return S_FALSE;
  m_session->AddRef();
  return S_OK;
}

HRESULT SRepDataSource::InitRootObj(const std::vector<ISRepObject*>& objects) {
  SRepCollection* carried = m_root->OneSidedCollection(SRepRootCarried);
  for (ISRepObject* o : objects)
    if (o && carried->GetPos(o) < 0) carried->Insert(o, -1);
  return S_OK;
}

HRESULT SRepObjIteratorBase::Init(ISRepDataSrc* src) {
  Clear();
  if (!src) return E_POINTER;
  ISRepObject* root = nullptr;
  HRESULT hr = src->GetRoot(&root);
  if (hr != S_OK || !root) return FAILED(hr) ? hr : E_FAIL;
  ISRepClassCol* col = nullptr;
  hr = root->GetCollection(SRepRootCarried, &col);
  root->Release();
  if (FAILED(hr)) return hr;
  hr = Init(col, false);
  col->Release();
  return hr;
}
