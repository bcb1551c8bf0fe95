#include "support/modelobj_fixture.h"

#include "kvrep/srepattredit.h"
#include "kvrep/srepregistry.h"

namespace {
using namespace TModel;

SAttrEditorEntry g_editors[] = {{Name, nullptr},      {Code, nullptr},  {DisplayName, nullptr},
                                {Fixed, nullptr},     {Flag, nullptr},  {Ref, nullptr},
                                {Bracketed, nullptr}, {Ordering, nullptr}, {Ordering + 1, nullptr},
                                {0, nullptr}};
const SAttrEditorMap g_editorMap = {[]() { return &SRepObject::attrEditorMap; }, g_editors};

HRESULT Create(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  if (!out) return E_POINTER;
  SRepObject* from = SRepObject::FromInterface(source);
  auto* made = from ? new SRepObjectMem(*static_cast<SRepObjectMem*>(from)) : new SRepObjectMem(CLSID_TModelObj);
  made->AddRef();
  if (session) made->SetSession(session);
  *out = made;
  return S_OK;
}

HRESULT Lookup(const GUID& clsid, SRegClassFunctions* out) {
  if (!out) return E_POINTER;
  *out = SRegClassFunctions{};
  if (clsid != CLSID_TModelObj) return REGDB_E_CLASSNOTREG;
  out->create = &Create;
  out->attrEditorMap = &g_editorMap;
  return S_OK;
}

bool KindOf(const GUID& g) { return g == CLSID_TModelObj || g == CLSID_SRepObject; }
}  // namespace

void TModelRegister() {
  static const bool done = [] {
    for (SAttrEditorEntry* e = g_editors; e->id != 0; ++e) e->editor = &SRepAttrEditor::__clsinf;
    g_editors[4].editor = &SRepAttrEditorBool::__clsinf;
    g_editors[5].editor = &SRepAttrEditorObject::__clsinf;
    static SRepRegistry reg(CLSID_TModelObj, 1, 0, &KindOf, &Lookup);
    SRepClassDef* def = reg.GetClassDef();
    for (LONG id : {Name, Code, DisplayName, Note, Bracketed, Ordering, Ordering + 1})
      def->AddAttribute(id, SRepVT_TEXT, SRepVariant::Text(SString()));
    def->AddAttribute(Fixed, SRepVT_TEXT, SRepVariant::Text(SString(u"fixed")), true);
    SRepVariant no;
    no.SetBOOL(false);
    def->AddAttribute(Flag, SRepVT_BOOL, no);
    SRepVariant none;
    none.SetIOBJECT(nullptr);
    def->AddAttribute(Ref, SRepVT_IOBJECT, none);
    def->AddCollection(Contents, SRepCol_Owning | SRepCol_Ordered, CLSID_TModelObj);
    return true;
  }();
  (void)done;
}

SRepObject* TModelNew(ISRepSession* session, const SString& name, ISRepObject* parent) {
  TModelRegister();
  SComOut<ISRepObject> made;
  if (FAILED(SRepRegistry::CreateObject(CLSID_TModelObj, session, nullptr, &made)) || !made) return nullptr;
  SRepObject* o = SRepObject::FromInterface(made.Detach());
  o->SetAttribute(Name, SRepVariant::Text(name));
  if (SRepObject* p = SRepObject::FromInterface(parent)) p->Collection(Contents)->Insert(o, -1);
  return o;
}
