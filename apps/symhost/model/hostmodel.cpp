#include "apps/symhost/model/hostmodel.h"

#include <vector>

namespace {

using namespace SHostId;

// The classes of the model and what each is a kind of.
struct ClassInfo {
  const CLSID* clsid;
};
const CLSID* const kClasses[] = {&CLSID_SHostPackage, &CLSID_SHostEntity, &CLSID_SHostAttribute,
                                 &CLSID_SHostRelation, &CLSID_SHostProcess, &CLSID_SHostLane};

template <const CLSID& C>
bool KindOf(const GUID& g) {
  return g == C || g == CLSID_SRepObject || (C == CLSID_SHostPackage && g == CLSID_SRepObjectBase);
}

HRESULT Create(const CLSID& clsid, ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SRepObject* made = nullptr;
  SRepObject* from = SRepObject::FromInterface(source);
  if (clsid == CLSID_SHostPackage) {
    auto* p = dynamic_cast<SHostPackage*>(from);
    if (source && !p) return E_INVALIDARG;
    made = p ? new SHostPackage(*p) : new SHostPackage(nullptr);
  } else {
    auto* o = dynamic_cast<SHostObject*>(from);
    if (source && !o) return E_INVALIDARG;
    made = o ? new SHostObject(*o) : new SHostObject(clsid, nullptr);
  }
  made->AddRef();
  if (session) made->SetSession(session);
  *out = made;
  return S_OK;
}

// The texts of the model's attributes: plain values, and the referenced
// entity's name for a reference.
SAttrEditorEntry g_editors[] = {{Name, nullptr}, {Code, nullptr}, {DataType, nullptr}, {References, nullptr}, {0, nullptr}};
const SAttrEditorMap g_editorMap = {[]() { return &SRepObject::attrEditorMap; }, g_editors};
const bool g_editorsReady = [] {
  for (int i = 0; i < 3; ++i) g_editors[i].editor = &SRepAttrEditor::__clsinf;
  g_editors[3].editor = &SRepAttrEditorObject::__clsinf;
  return true;
}();

template <const CLSID& C>
HRESULT Lookup(const GUID& clsid, SRegClassFunctions* out) {
  if (!out) return E_POINTER;
  *out = SRegClassFunctions{};
  if (clsid != C) return REGDB_E_CLASSNOTREG;
  out->create = [](ISRepObject** o, ISRepSession* s, ISRepObject* src) { return Create(C, o, s, src); };
  out->attrEditorMap = g_editorsReady ? &g_editorMap : nullptr;
  return S_OK;
}

template <const CLSID& C>
SRepClassDef* Register() {
  static SRepRegistry reg(C, 1, 0, &KindOf<C>, &Lookup<C>);
  SRepClassDef* def = reg.GetClassDef();
  def->AddAttribute(Name, SRepVT_TEXT, SRepVariant::Text(SString()));
  def->AddAttribute(Code, SRepVT_TEXT, SRepVariant::Text(SString()));
  return def;
}

constexpr DWORD kContents = SRepCol_Owning | SRepCol_Ordered;
constexpr DWORD kParts = kContents | SRepCol_Part | SRepCol_Navigable;
constexpr DWORD kReference = SRepCol_Ordered | SRepCol_Navigable;

HRESULT RunVerb(SRepObject* self, LONG verb, int& opened) {
  if (self->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  if (verb != SHostVerbProperties) return SHOST_E_INVALIDVERB;
  ++opened;
  return S_OK;
}

// A new object of clsid in the session of owner, inserted into owner's collection id.
SRepObject* AddTo(ISRepObject* owner, const CLSID& ownerClass, LONG id, const CLSID& clsid, const SString& name) {
  SHostRegisterModel();
  SRepObject* o = SRepObject::FromInterface(owner);
  if (!o || o->IsDeleted() || !SRepIsKindOf(o, ownerClass)) return nullptr;
  SComOut<ISRepObject> made;
  if (FAILED(SRepRegistry::CreateObject(clsid, o->GetSessionImpl(), nullptr, &made)) || !made) return nullptr;
  SRepObject* m = SRepObject::FromInterface(made.Get());
  if (m->SetAttribute(Name, SRepVariant::Text(name)) < 0) return nullptr;
  if (FAILED(o->Collection(id)->Insert(m, -1))) return nullptr;
  return m;  // the owner's collection holds it now
}

}  // namespace

void SHostRegisterModel() {
  static const bool done = [] {
    SRepClassDef* package = Register<CLSID_SHostPackage>();
    SRepClassDef* entity = Register<CLSID_SHostEntity>();
    SRepClassDef* attribute = Register<CLSID_SHostAttribute>();
    SRepClassDef* relation = Register<CLSID_SHostRelation>();
    SRepClassDef* process = Register<CLSID_SHostProcess>();
    SRepClassDef* lane = Register<CLSID_SHostLane>();
    attribute->AddAttribute(DataType, SRepVT_TEXT, SRepVariant::Text(SString()));
    SRepVariant none;
    none.SetIOBJECT(nullptr);
    attribute->AddAttribute(References, SRepVT_IOBJECT, none);
    package->AddCollection(Packages, kContents, CLSID_SHostPackage);
    package->AddCollection(Entities, kParts, CLSID_SHostEntity);
    package->AddCollection(Relations, kContents, CLSID_SHostRelation);
    package->AddCollection(Processes, kParts, CLSID_SHostProcess);
    package->AddCollection(Lanes, kParts, CLSID_SHostLane);
    entity->AddCollection(Attributes, kParts, CLSID_SHostAttribute);
    // An entity's side of the relations that end on it (many).
    entity->AddCollection(FirstEnd ^ SRepReverseBit, SRepCol_Ordered, CLSID_SHostRelation);
    entity->AddCollection(SecondEnd ^ SRepReverseBit, SRepCol_Ordered, CLSID_SHostRelation);
    relation->AddCollection(FirstEnd, SRepCol_Single | SRepCol_Navigable, CLSID_SHostEntity);
    relation->AddCollection(SecondEnd, SRepCol_Single | SRepCol_Navigable, CLSID_SHostEntity);
    process->AddCollection(Steps, kReference | SRepCol_Part, CLSID_SHostEntity);
    lane->AddCollection(Responsible, kReference | SRepCol_Part, CLSID_SHostEntity);
    (void)kClasses;
    return true;
  }();
  (void)done;
}

HRESULT SHostObject::DoVerb(LONG verb, const MSG*, HWND, const RECT*) { return RunVerb(this, verb, m_nOpened); }
HRESULT SHostPackage::DoVerb(LONG verb, const MSG*, HWND, const RECT*) { return RunVerb(this, verb, m_nOpened); }

SHostPackage* SHostNewModel(ISRepSession* session, const SString& name) {
  SHostRegisterModel();
  if (!session) return nullptr;
  SComOut<ISRepObject> made;
  if (FAILED(session->CreateObject(CLSID_SHostPackage, IID_ISRepObject, made.Void())) || !made) return nullptr;
  auto* p = dynamic_cast<SHostPackage*>(SRepObject::FromInterface(made.Get()));
  if (!p) return nullptr;
  p->SetAttribute(Name, SRepVariant::Text(name));
  made.Detach();
  return p;
}

SRepObject* SHostAddPackage(ISRepObject* package, const SString& name) {
  return AddTo(package, CLSID_SHostPackage, Packages, CLSID_SHostPackage, name);
}
SRepObject* SHostAddEntity(ISRepObject* package, const SString& name) {
  return AddTo(package, CLSID_SHostPackage, Entities, CLSID_SHostEntity, name);
}
SRepObject* SHostAddAttribute(ISRepObject* entity, const SString& name, const SString& type) {
  SRepObject* a = AddTo(entity, CLSID_SHostEntity, Attributes, CLSID_SHostAttribute, name);
  if (a) a->SetAttribute(DataType, SRepVariant::Text(type));
  return a;
}
SRepObject* SHostAddProcess(ISRepObject* package, const SString& name) {
  return AddTo(package, CLSID_SHostPackage, Processes, CLSID_SHostProcess, name);
}
SRepObject* SHostAddLane(ISRepObject* package, const SString& name) {
  return AddTo(package, CLSID_SHostPackage, Lanes, CLSID_SHostLane, name);
}

SRepObject* SHostAddRelation(ISRepObject* package, const SString& name, ISRepObject* first, ISRepObject* second) {
  if (!SRepIsKindOf(first, CLSID_SHostEntity) || !SRepIsKindOf(second, CLSID_SHostEntity)) return nullptr;
  SRepObject* r = AddTo(package, CLSID_SHostPackage, Relations, CLSID_SHostRelation, name);
  if (!r) return nullptr;
  if (FAILED(r->SetObject(FirstEnd, first)) || FAILED(r->SetObject(SecondEnd, second))) {
    r->Delete();
    return nullptr;
  }
  return r;
}

bool SHostSetReference(ISRepObject* attribute, ISRepObject* entity) {
  if (!SRepIsKindOf(attribute, CLSID_SHostAttribute) || (entity && !SRepIsKindOf(entity, CLSID_SHostEntity)))
    return false;
  SRepVariant value;
  value.SetIOBJECT(entity);
  return SUCCEEDED(attribute->SetAttribute(References, value));
}

SString SHostNameOf(ISRepObject* object) {
  SRepVariant v;
  if (!object || object->GetAttribute(Name, &v) != S_OK) return SString();
  return v.GetSTRING();
}

bool SHostIsLinkObject(ISRepObject* object) { return object && object->HasCollection(SecondEnd) == S_OK; }

ISRepObject* SHostLinkEnd(ISRepObject* link, int end) {
  if (!SHostIsLinkObject(link) || (end != 0 && end != 1)) return nullptr;
  SRepClassColPtr col(link, end == 0 ? FirstEnd : SecondEnd);
  if (col.GetCount() == 0) return nullptr;
  ISRepObject* o = col.GetAt(0);
  if (o) o->Release();  // the relation holds it
  return o;
}
