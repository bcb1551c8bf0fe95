#include "support/repfixture.h"

#include <sstream>

LONG TNode::SetWidth(LONG w) {
  if (w == m_width) return 1;
  if (w < 0) return E_INVALIDARG;
  // Like every accessor setter: record the change in the open context.
  ISRepSession* s = GetSessionImpl();
  ISRepContext* ctx = nullptr;
  if (s && s->GetLockoutContext(&ctx) == S_OK) {
    SRepVariant v;
    v.SetLONG(ctx->IsRecording() ? m_width : w);
    ctx->AddAction(std::make_unique<SRepActionAttr>(this, kWidth, v));
    ctx->Release();
    if (InLockoutContext()) return 0;
  }
  m_width = w;
  return 0;
}

SPropertyEntry TNode::entries[] = {
    {kColor, 0, SRepVT_LONG, &SRepFieldOf<&TNode::m_color, SRepVT_LONG>::field, 0, nullptr, nullptr},
    {kRect, 0, SRepVT_RECT, &SRepFieldOf<&TNode::m_rect>::field, 0, nullptr, nullptr},
    {kName, 254, SRepVT_STRING, &SRepFieldOf<&TNode::m_name, SRepVT_STRING>::field, 0, nullptr, nullptr},
    {kWidth, 0, SRepVT_LONG, nullptr, SProp_GetSet, nullptr, nullptr},
    {kCode, 254, SRepVT_STRING, nullptr, SProp_Getter, nullptr, nullptr},
    {0, 0, 0, nullptr, 0, nullptr, nullptr}};
const SPropertyMap TNode::propertyMap = {[]() { return &SRepObject::propertyMap; }, TNode::entries};
SAttrEditorEntry TNode::editorEntries[] = {{kColor, nullptr}, {kName, nullptr}, {0, nullptr}};
const SAttrEditorMap TNode::attrEditorMap = {[]() { return &SRepObject::attrEditorMap; }, TNode::editorEntries};

namespace {
// The start-up initialiser of the maps: accessors and editor classes.
const bool s_init = [] {
  TNode::entries[3].getter = &SRepGetThunk<&TNode::GetWidth, SRepVT_LONG>;
  TNode::entries[3].setter = &SRepSetThunk<&TNode::SetWidth>;
  TNode::entries[4].getter = &SRepGetThunk<&TNode::GetCode, SRepVT_STRING>;
  TNode::editorEntries[0].editor = &SRepAttrEditorColor::__clsinf;
  TNode::editorEntries[1].editor = &SRepAttrEditor::__clsinf;
  return true;
}();

SRepModuleStateFn ModuleState() {
  return []() -> SModuleState* { return nullptr; };
}

HRESULT CreateTNode(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  if (!out) return E_POINTER;
  TNode* n = source ? new TNode(*static_cast<TNode*>(SRepObject::FromInterface(source))) : new TNode();
  n->AddRef();
  if (session) n->SetSession(session);
  *out = n;
  return S_OK;
}

HRESULT LookupTNode(const GUID& clsid, SRegClassFunctions* out) {
  if (!out) return E_POINTER;
  *out = SRegClassFunctions{};
  if (clsid != CLSID_TNode) return REGDB_E_CLASSNOTREG;
  out->create = &CreateTNode;
  out->moduleState = ModuleState();
  out->attrEditorMap = &TNode::attrEditorMap;
  return S_OK;
}

bool KindOfTNode(const GUID& g) { return g == CLSID_TNode || g == CLSID_SRepObject; }
}  // namespace

SRepRegistry& TNodeRegistry() {
  static SRepRegistry reg(CLSID_TNode, 1, 0, &KindOfTNode, &LookupTNode);
  static const bool defs = [] {
    reg.GetClassDef()->AddCollection(kKids, SRepCol_Owning | SRepCol_Ordered, CLSID_TNode);
    reg.GetClassDef()->AddCollection(kLinks, SRepCol_Ordered);  // references, not children
    reg.GetClassDef()->AddAttribute(kNote, SRepVT_TEXT, SRepVariant::Text(SString("none")));
    return true;
  }();
  (void)defs;
  return reg;
}

TNode* NewNode(ISRepSession* s) {
  ISRepObject* obj = nullptr;
  EXPECT_EQ(S_OK, s->CreateObject(CLSID_TNode, IID_ISRepObject, reinterpret_cast<void**>(&obj)));
  return static_cast<TNode*>(SRepObject::FromInterface(obj));
}

std::string Snapshot(const std::vector<TNode*>& nodes) {
  std::ostringstream o;
  auto index = [&](ISRepObject* x) {
    for (std::size_t i = 0; i < nodes.size(); ++i)
      if (SRepObject::FromInterface(x) == nodes[i]) return static_cast<int>(i);
    return -1;
  };
  for (TNode* n : nodes) {
    o << (n->IsDeleted() ? "D" : "L") << " c" << n->m_color << " r" << n->m_rect.x1 << "," << n->m_rect.y2 << " n"
      << n->m_name.ToUtf8() << " w" << n->m_width;
    SRepVariant note;
    n->GetAttribute(kNote, &note);
    o << " t" << note.GetAsText().ToUtf8();
    for (LONG id : {kKids, kParentCol, kLinks, kLinks ^ SRepReverseBit}) {
      o << " [";
      if (SRepCollection* c = n->FindCollection(id))
        for (SRepObject* m : c->Items()) o << index(m) << " ";
      o << "]";
    }
    ISRepObject* p = nullptr;
    n->GetParent(&p);
    o << " p" << (p ? index(p) : -1) << "\n";
    if (p) p->Release();
  }
  return o.str();
}
