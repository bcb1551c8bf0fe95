#include "support/attrmodel_fixture.h"

#include "kvcore/spicture.h"

using namespace titem;

SPropertyEntry TItem::entries[] = {
    {kName, 254, SRepVT_STRING, &SRepFieldOf<&TItem::m_name, SRepVT_STRING>::field, 0, nullptr, nullptr},
    {kDisplay, 254, SRepVT_STRING, &SRepFieldOf<&TItem::m_display, SRepVT_STRING>::field, 0, nullptr, nullptr},
    {kFlag, 0, SRepVT_BOOL, &SRepFieldOf<&TItem::m_flag, SRepVT_BOOL>::field, 0, nullptr, nullptr},
    {kKind, 0, SRepVT_LONG, &SRepFieldOf<&TItem::m_kind, SRepVT_LONG>::field, 0, nullptr, nullptr},
    {0, 0, 0, nullptr, 0, nullptr, nullptr}};
const SPropertyMap TItem::propertyMap = {[]() { return &SRepObject::propertyMap; }, TItem::entries};
SAttrEditorEntry TItem::editorEntries[] = {{kName, &SRepAttrEditor::__clsinf},
                                           {kDisplay, &SRepAttrEditor::__clsinf},
                                           {kFlag, &SRepAttrEditorBool::__clsinf},
                                           {kKind, &TKindEditor::__clsinf},
                                           {kRef, &SRepAttrEditorObject::__clsinf},
                                           {kLocked, &SRepAttrEditor::__clsinf},
                                           {kNote, &SRepAttrEditor::__clsinf},
                                           {kExt, &SRepAttrEditorBool::__clsinf},
                                           {kCode, &SRepAttrEditor::__clsinf},
                                           {kBracketed, &SRepAttrEditor::__clsinf},
                                           {kOrdering, &SRepAttrEditor::__clsinf},
                                           {kOrdering + 1, &SRepAttrEditor::__clsinf},
                                           {0, nullptr}};
const SAttrEditorMap TItem::attrEditorMap = {[]() { return &SRepObject::attrEditorMap; }, TItem::editorEntries};

KV_IMPLEMENT_DYNCREATE(TKindEditor, SRepAttrEditorList);

TKindEditor::TKindEditor() {
  AddValue(SString(u"1"), SString(u"Entity"));
  AddValue(SString(u"2"), SString(u"Table"), new SIcon());
  AddValue(SString(u"3"), SString(u"View"));
}

namespace {
HRESULT CreateTItem(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  if (!out) return E_POINTER;
  TItem* n = source ? new TItem(*static_cast<TItem*>(SRepObject::FromInterface(source))) : new TItem();
  n->AddRef();
  if (session) n->SetSession(session);
  *out = n;
  return S_OK;
}

HRESULT LookupTItem(const GUID& clsid, SRegClassFunctions* out) {
  if (!out) return E_POINTER;
  *out = SRegClassFunctions{};
  if (clsid != CLSID_TItem) return REGDB_E_CLASSNOTREG;
  out->create = &CreateTItem;
  out->attrEditorMap = &TItem::attrEditorMap;
  return S_OK;
}

bool KindOfTItem(const GUID& g) { return g == CLSID_TItem || g == CLSID_SRepObject; }
}  // namespace

SRepRegistry& TItemRegistry() {
  static SRepRegistry reg(CLSID_TItem, 1, 0, &KindOfTItem, &LookupTItem);
  static const bool defs = [] {
    SRepClassDef* def = reg.GetClassDef();
    def->AddCollection(kChildren, SRepCol_Owning | SRepCol_Ordered, CLSID_TItem);
    def->AddAttribute(kRef, SRepVT_IOBJECT);
    def->AddAttribute(kLocked, SRepVT_STRING, SRepVariant::Text(SString("fixed")), true);
    def->AddAttribute(kNote, SRepVT_TEXT);
    def->AddAttribute(kExt, SRepVT_BOOL);
    for (LONG id : {kCode, kBare, kBracketed, kOrdering, kOrdering + 1}) def->AddAttribute(id, SRepVT_TEXT);
    return true;
  }();
  (void)defs;
  return reg;
}

TItem* NewItem(ISRepSession* s, const char* name) {
  TItemRegistry();
  auto* n = new TItem(s);
  n->AddRef();
  n->SetSession(s);
  n->m_name = SString(name);
  return n;
}

TItem* NewItem(ISRepSession* s, const SString& name, ISRepObject* parent) {
  TItem* n = NewItem(s, "");
  n->m_name = name;
  if (SRepObject* p = SRepObject::FromInterface(parent)) p->Collection(kChildren)->Insert(n, -1);
  return n;
}
