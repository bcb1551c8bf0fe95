#include "kvrep/srepattredit.h"

#include "kvcore/spicture.h"
#include "kvrep/srepextras.h"

KV_IMPLEMENT_DYNCREATE(SRepAttrEditorBool, SRepAttrEditor);
KV_IMPLEMENT_DYNCREATE(SRepAttrEditorList, SRepAttrEditor);

namespace {
constexpr LONG kName = 0x01000002;
constexpr LONG kDisplayName = 0x0100000B;

// The value of an attribute of a live object; the repository's code otherwise.
HRESULT ReadValue(ISRepObject* obj, LONG id, SRepVariant& value) {
  if (!obj) return E_POINTER;
  if (obj->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  return obj->GetAttribute(id, &value);
}

// Tells a text that the object its attribute refers to was renamed, and
// follows the attribute to the object it refers to next. It is advised on
// the owner (for the attribute) and on the referenced object (for its
// names); the text that owns it deletes it after Detach.
class SRepObjectRelay final : public SRepValueRelay, public ISRepObjSink {
 public:
  SRepObjectRelay(ISRepObject* owner, LONG id, ISRepObjSink* sink) : m_owner(owner), m_id(id), m_sink(sink) {
    m_owner->AddRef();
    m_owner->Advise(static_cast<DWORD>(m_id) | SRepAdviseOneAttr, this);
  }
  ~SRepObjectRelay() override { Detach(); }

  void Detach() override {
    m_sink = nullptr;
    Retarget(nullptr);
    if (m_owner) {
      ISRepObject* owner = m_owner;
      m_owner = nullptr;
      owner->Unadvise(this);
      owner->Release();
    }
  }
  // Follows the reference to target (null: none).
  void Retarget(ISRepObject* target) {
    if (target == m_target) return;
    if (m_target) {
      m_target->Unadvise(this);
      m_target->Release();
    }
    m_target = target;
    if (m_target) {
      m_target->AddRef();
      // Either name may be what a reference shows.
      m_target->Advise(0x07000000, this);
    }
  }

  // ---- IUnknown: owned by its text, not counted
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISRepObjSink) {
      *ppv = static_cast<ISRepObjSink*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  // ---- ISRepObjSink
  HRESULT OnChange(ISRepObject* obj, LONG id) override {
    if (m_owner && SRepAreSameObjects(obj, m_owner) && id == m_id) {
      SRepVariant v;
      ISRepObject* next = nullptr;
      if (m_owner->GetAttribute(m_id, &v) == S_OK && v.GetType() == SRepVT_IOBJECT) next = v.GetIOBJECT();
      Retarget(next && !next->IsDeleted() ? next : nullptr);
      return S_OK;  // the text hears the attribute itself
    }
    if (m_target && SRepAreSameObjects(obj, m_target) && (id == kName || id == kDisplayName)) Tell();
    return S_OK;
  }
  HRESULT OnDelete(ISRepObject* obj, int) override {
    if (m_target && SRepAreSameObjects(obj, m_target)) {
      Retarget(nullptr);
      Tell();
    }
    return S_OK;
  }
  HRESULT OnFlush(ISRepObject*) override { return S_OK; }

 private:
  // The text may delete the relay while it hears the change: nothing of
  // the relay is touched after the call.
  void Tell() {
    ISRepObjSink* sink = m_sink;
    ISRepObject* owner = m_owner;
    const LONG id = m_id;
    if (sink && owner) sink->OnChange(owner, id);
  }

  ISRepObject* m_owner = nullptr;   // counted
  LONG m_id;
  ISRepObjSink* m_sink = nullptr;   // not counted: the sink owns the relay
  ISRepObject* m_target = nullptr;  // counted
};
}  // namespace

// ---- the services of every editor ------------------------------------------------------------
DWORD SRepAttrEditor::GetAttrType() const {
  return (m_type == SRepVT_BOOL ? SRepAttrType_Bool << 16 : 0) | m_type;
}

HRESULT SRepAttrEditor::GetValueText(ISRepObject* obj, SString& out) const {
  out = SString();
  SRepVariant v;
  const HRESULT hr = ReadValue(obj, m_id, v);
  if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
  out = GetText(v);
  return S_OK;
}

HRESULT SRepAttrEditor::GetValuePicture(ISRepObject*, SRepAttrPicture& out) const {
  out = SRepAttrPicture{};
  return E_NOTIMPL;
}

HRESULT SRepAttrEditor::CreateRelay(ISRepObject*, const SRepVariant&, ISRepObjSink*, SRepValueRelay**) const {
  return E_NOTIMPL;
}

HRESULT SRepAttrEditor::GetValueList(ISRepObject*, SStringTable&) const { return S_FALSE; }

// ---- object references ------------------------------------------------------------------------
HRESULT SRepAttrEditorObject::CreateRelay(ISRepObject* obj, const SRepVariant& value, ISRepObjSink* sink,
                                          SRepValueRelay** slot) const {
  if (!obj || !sink || !slot) return E_POINTER;
  if (obj->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  auto* relay = new SRepObjectRelay(obj, m_id, sink);
  ISRepObject* target = value.GetType() == SRepVT_IOBJECT ? value.GetIOBJECT() : nullptr;
  relay->Retarget(target && !target->IsDeleted() ? target : nullptr);
  *slot = relay;
  return S_OK;
}

// ---- booleans --------------------------------------------------------------------------------------
DWORD SRepAttrEditorBool::GetAttrType() const { return (SRepAttrType_Bool << 16) | SRepVT_BOOL; }

SString SRepAttrEditorBool::GetText(const SRepVariant& value) const {
  const bool on = value.IsIntegerKind() ? value.GetINT64() != 0 : !value.GetAsText().IsEmpty();
  return SString(on ? u"True" : u"False");
}

HRESULT SRepAttrEditorBool::GetValueList(ISRepObject*, SStringTable& out) const {
  out.Add(SString(u"True"));
  out.Add(SString(u"False"));
  return S_OK;
}

// ---- coded values -------------------------------------------------------------------------------
SRepAttrEditorList::~SRepAttrEditorList() = default;

void SRepAttrEditorList::AddValue(const SString& value, const SString& label, SIcon* icon, SMetaFile* metafile) {
  Entry e;
  e.value = value;
  e.label = label;
  e.icon.reset(icon);
  e.metafile.reset(metafile);
  m_values.push_back(std::move(e));
}

const SRepAttrEditorList::Entry* SRepAttrEditorList::Find(const SString& value) const {
  for (const Entry& e : m_values)
    if (e.value == value) return &e;
  return nullptr;
}

SString SRepAttrEditorList::GetText(const SRepVariant& value) const {
  const SString raw = value.GetAsText();
  const Entry* e = Find(raw);
  return e ? e->label : raw;
}

HRESULT SRepAttrEditorList::GetValuePicture(ISRepObject* obj, SRepAttrPicture& out) const {
  out = SRepAttrPicture{};
  SRepVariant v;
  if (ReadValue(obj, m_id, v) != S_OK) return E_FAIL;
  const Entry* e = Find(v.GetAsText());
  if (!e || (!e->icon && !e->metafile)) return E_FAIL;
  out.icon = e->icon.get();
  out.metafile = e->metafile.get();
  return S_OK;
}

HRESULT SRepAttrEditorList::GetValueList(ISRepObject*, SStringTable& out) const {
  for (const Entry& e : m_values) out.Add(e.label);
  return S_OK;
}
