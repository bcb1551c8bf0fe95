#include "kvrep/srepregistry.h"

#include <algorithm>

#include "kvcore/scomwrap.h"
#include "kvrep/srepextras.h"
#include "kvrep/sreptypelib.h"

namespace {
std::vector<SRepRegistry*>& Entries() {
  static std::vector<SRepRegistry*> entries;
  return entries;
}
}  // namespace

HRESULT SRepClassColDef::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepClassColDef) {
    *ppv = static_cast<ISRepClassColDef*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT SRepClassColDef::GetElementClass(CLSID* out) {
  if (!out) return E_POINTER;
  *out = m_element;
  return S_OK;
}

void SRepClassDef::AddCollection(LONG id, DWORD flags, const CLSID& element, int primary) {
  for (auto& c : m_cols)
    if (c->GetCollectionId() == id) {
      c = std::make_unique<SRepClassColDef>(id, flags, element, primary);
      return;
    }
  m_cols.push_back(std::make_unique<SRepClassColDef>(id, flags, element, primary));
}

SRepClassColDef* SRepClassDef::GetCollection(LONG id) const {
  for (auto& c : m_cols)
    if (c->GetCollectionId() == id) return c.get();
  return nullptr;
}

SRepClassColDef* SRepClassDef::FindCollectionFor(const CLSID& element) const {
  if (element == GUID_NULL) return nullptr;
  SRepRegistry* reg = SRepRegistry::Find(element);
  for (auto& c : m_cols) {
    CLSID el{};
    c->GetElementClass(&el);
    if (el == GUID_NULL) continue;
    if (el == element || (reg && reg->IsKindOf(el))) return c.get();
  }
  return nullptr;
}

void SRepClassDef::AddAttribute(LONG id, WORD type, const SRepVariant& defaultValue, bool readOnly) {
  for (auto& a : m_attrs)
    if (a.id == id) {
      a = SRepAttrDef{id, type, defaultValue, readOnly};
      return;
    }
  m_attrs.push_back(SRepAttrDef{id, type, defaultValue, readOnly});
}

const SRepAttrDef* SRepClassDef::GetAttribute(LONG id) const {
  const SRepClassDef* def = this;
  for (int depth = 0; def && depth < 64; ++depth) {
    for (auto& a : def->m_attrs)
      if (a.id == id) return &a;
    SRepRegistry* parent = def->m_parents.empty() ? nullptr : SRepRegistry::Find(def->m_parents.front());
    def = parent ? parent->GetClassDef() : nullptr;
  }
  return nullptr;
}

SRepRegistry::SRepRegistry(const CLSID& clsid, int flag, int third, SRepKindOfFn kindOf, SRepClassFunctionsFn lookup)
    : m_clsid(clsid), m_flag(flag), m_third(third), m_kindOf(kindOf), m_lookup(lookup), m_def(clsid) {
  Entries().push_back(this);
  // A metamodel registered before the entry describes its class already.
  if (const SRepMetaClass* c = SRepFindMetaClass(clsid)) SRepApplyMetaClass(*c);
}

SRepRegistry::~SRepRegistry() {
  auto& e = Entries();
  e.erase(std::remove(e.begin(), e.end(), this), e.end());
}

SRepRegistry* SRepRegistry::Find(const CLSID& clsid) {
  auto& e = Entries();
  for (auto it = e.rbegin(); it != e.rend(); ++it)
    if ((*it)->m_clsid == clsid) return *it;
  return nullptr;
}

SRepRegistry* SRepRegistry::FindFor(ISRepObject* object) {
  if (!object) return nullptr;
  CLSID clsid{};
  bool known = false;
  if (object->IsShortcut()) {
    SComWrap<ISRepShortcut, &IID_ISRepShortcut> shortcut(object);
    known = !shortcut.IsNull() && SUCCEEDED(shortcut->GetTargetCLSID(&clsid));
  } else {
    known = object->GetCLSID(&clsid) == S_OK;
  }
  return known ? Find(clsid) : nullptr;
}

bool SRepRegistry::IsKindOf(const CLSID& clsid) const {
  if (m_kindOf) return m_kindOf(clsid);
  return clsid == m_clsid || clsid == CLSID_SRepObject;
}

HRESULT SRepRegistry::GetClassFunctions(SRegClassFunctions* out) const {
  if (!out) return E_POINTER;
  *out = SRegClassFunctions{};
  if (!m_lookup) return REGDB_E_CLASSNOTREG;
  return m_lookup(m_clsid, out);
}

const SAttrEditorMap* SRepRegistry::GetAttrEditorMap() const {
  SRegClassFunctions f{};
  if (FAILED(GetClassFunctions(&f))) return nullptr;
  return f.attrEditorMap;
}

SRepAttrEditor* SRepRegistry::GetAttrEditor(LONG id) {
  auto it = m_editors.find(id);
  if (it != m_editors.end()) return it->second.get();
  const SClassInfo* info = SRepFindAttrEditor(GetAttrEditorMap(), static_cast<DWORD>(id));
  if (!info || !info->IsDerivedFrom(&SRepAttrEditor::__clsinf)) return nullptr;
  std::unique_ptr<SObject> obj(info->CreateObject());
  auto* editor = dynamic_cast<SRepAttrEditor*>(obj.get());
  if (!editor) return nullptr;
  obj.release();
  const SRepAttrDef* def = m_def.GetAttribute(id);
  editor->Init(id, def && def->readOnly, def ? def->type : 0);
  m_editors[id].reset(editor);
  return editor;
}

HRESULT SRepRegistry::CreateObject(ISRepSession* session, ISRepObject* source, ISRepObject** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  SRegClassFunctions f{};
  HRESULT hr = GetClassFunctions(&f);
  if (FAILED(hr)) return hr;
  if (!f.create) return E_NOTIMPL;
  hr = f.create(out, session, source);
  if (SUCCEEDED(hr) && !*out) return E_OUTOFMEMORY;
  return hr;
}

HRESULT SRepRegistry::CreateObject(const CLSID& clsid, ISRepSession* session, ISRepObject* source,
                                   ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SRepRegistry* reg = Find(clsid);
  if (!reg) return REGDB_E_CLASSNOTREG;
  return reg->CreateObject(session, source, out);
}

bool SRepIsKindOf(ISRepObject* obj, const CLSID& clsid) {
  if (!obj) return false;
  CLSID own{};
  if (FAILED(obj->GetCLSID(&own))) return false;
  if (own == clsid) return true;
  SRepRegistry* reg = SRepRegistry::Find(own);
  return reg ? reg->IsKindOf(clsid) : clsid == CLSID_SRepObject;
}

std::vector<SRepClassColDef*> SRepGetClassCollections(ISRepObject* obj) {
  std::vector<SRepClassColDef*> out;
  std::vector<const SRepClassDef*> seen;
  // Breadth first over the class and its parents; a class met twice (two
  // parents sharing a base) is read once.
  std::vector<SRepRegistry*> queue;
  if (SRepRegistry* reg = SRepRegistry::FindFor(obj)) queue.push_back(reg);
  for (std::size_t i = 0; i < queue.size(); ++i) {
    const SRepClassDef* def = queue[i]->GetClassDef();
    if (std::find(seen.begin(), seen.end(), def) != seen.end()) continue;
    seen.push_back(def);
    for (const auto& c : def->GetCollections()) {
      if (!c->IsPrimarySide()) continue;
      const LONG id = c->GetCollectionId();
      const bool known =
          std::any_of(out.begin(), out.end(), [id](SRepClassColDef* o) { return o->GetCollectionId() == id; });
      if (!known) out.push_back(c.get());
    }
    for (const CLSID& parent : def->GetParents())
      if (SRepRegistry* p = SRepRegistry::Find(parent)) queue.push_back(p);
  }
  return out;
}
