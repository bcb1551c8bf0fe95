#include "sym/subobjects/symsubchild.h"

#include "kvrep/srepattredit.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepregistry.h"
#include "sym/subobjects/symsubboundtext.h"
#include "sym/symbol/symintfhost.h"

namespace {
// Every change of the bound object is heard (the reference among them).
constexpr DWORD kAllChanges = 0x07000000;


}  // namespace

SSymSubChildObjText::SSymSubChildObjText() = default;

// The base is built unbound and the object bound after, so that binding
// already knows the reference to follow.
SSymSubChildObjText::SSymSubChildObjText(ISRepObject* object, LONG childId, LONG id)
    : SSymSubObjText(nullptr, id, SString(), SString(), nullptr, 1), m_dispidChild(childId) {
  if (object) SSymSubObjText::SetObject(object);
}

SSymSubChildObjText::~SSymSubChildObjText() { DropChild(); }

ISRepObject* SSymSubChildObjText::ReadChild() const {
  if (!m_pObject || m_dispidChild == 0) return nullptr;
  ISRepObject* holder = nullptr;
  if (m_pObject->HasAttribute(m_dispidChild) == S_OK) {
    holder = m_pObject;
  } else if (ISRepObject* target = ValueObject(); target && target != m_pObject &&
                                                  target->HasAttribute(m_dispidChild) == S_OK) {
    holder = target;
  }
  if (!holder) return nullptr;
  SRepVariant value;
  if (holder->GetAttribute(m_dispidChild, &value) != S_OK) return nullptr;
  ISRepObject* child = nullptr;
  if (value.GetIOBJECT(IID_ISRepObject, reinterpret_cast<void**>(&child)) != S_OK || !child) return nullptr;
  // A child on its way out shows nothing and takes no registration.
  if (child->IsDeleted() || child->IsDeleting()) {
    child->Release();
    return nullptr;
  }
  return child;
}

void SSymSubChildObjText::DropChild() {
  ISRepObject* child = m_pChild;
  m_pChild = nullptr;
  if (!child) return;
  // Only the registration made on the child comes off (a child that is the
  // registered object itself was heard through that registration).
  if (m_bChildAdvised) child->Unadvise(SinkFace());
  m_bChildAdvised = false;
  child->Release();
}

void SSymSubChildObjText::LookupChild() {
  ISRepObject* child = ReadChild();
  if (!child) return;
  m_pChild = child;
  const LONG id = NormalizeId(m_dispid);
  if (!SRepAreSameObjects(child, m_pAdvised) && child->HasAttribute(id) == S_OK)
    m_bChildAdvised = SUCCEEDED(child->Advise(static_cast<DWORD>(id) | SRepAdviseOneAttr, SinkFace()));
}

void SSymSubChildObjText::AdviseToObject() {
  if (NormalizeId(m_dispid) == 0) return;
  if (!m_bAdvised) {
    ISRepObject* target = AdvisedObject();
    if (target && SUCCEEDED(target->Advise(kAllChanges, SinkFace()))) {
      m_bAdvised = 1;
      target->AddRef();
      m_pAdvised = target;
    }
  }
  DropChild();
  LookupChild();
}

void SSymSubChildObjText::InitValue() {
  // The own value, placed as every attribute text places it.
  SSymSubObjText::InitValue();
  // Without an editor the own text was not rebuilt: putting the child in
  // front again would repeat it.
  if (!m_pObject || !m_pAttrEditor) return;
  SString childText;
  if (ISRepObject* child = ReadChild()) {
    SRepRegistry* registry = SRepRegistry::FindFor(child);
    if (SRepAttrEditor* editor = registry ? registry->GetAttrEditor(m_dispid) : nullptr) {
      ISRepObject* shown = SRepUnrefShct(child, 1, 1);
      editor->GetValueText(shown ? shown : child, childText);
    }
    child->Release();
  }
  if (!childText.IsEmpty()) m_text = childText + SString(u".") + m_text;
  if (m_text.IsEmpty()) {
    m_rect.SetSize(0, 0);
    return;
  }
  // Measured anew and kept where it stands (no fitting to the owner here).
  const SSymRect old = m_rect;
  SSymRect rect = SSymMeasureSubText(*this);
  SSymRect here = old;
  here.Normalize();
  rect.SetCenter(here.GetCenter());
  m_rect = rect;
}

int SSymSubChildObjText::UpdateText(SString& text, SSymRect& rect) const {
  if (!SSymSubObjText::UpdateText(text, rect)) return 0;
  ISSymbol* owner = GetParentSymbol();
  if (owner) {
    SComWrap<ISSymClone> clone(owner);
    if (!clone.IsNull()) clone->CloneText(text);
  }
  const SString location = SSymShortcutLocation(m_pObject, owner);
  if (!location.IsEmpty()) text += SString(u"\n(") + location + SString(u")");
  return 1;
}

HRESULT SSymSubChildObjText::Delete() {
  SSymSubsHold hold(this);
  const HRESULT hr = SSymSubObjText::Delete();
  if (SUCCEEDED(hr)) DropChild();
  return hr;
}

void SSymSubChildObjText::Reload() {
  if (m_flags & SUBS_INITIALIZED) {
    InitValue();
    Redraw(nullptr);
  } else {
    InitializeSubSym();
  }
}

HRESULT SSymSubChildObjText::OnChange(ISRepObject*, LONG id) {
  const bool reference = id == m_dispidChild;
  if (!reference && id != NormalizeId(m_dispid)) return S_OK;
  SSymSubsHold hold(this);
  // The registration moves to the new child at once, shown or not.
  if (reference) {
    DropChild();
    LookupChild();
  }
  if (!ChangeInContext()) {
    // The text catches up at the next drawing.
    m_bPending = 1;
    return S_OK;
  }
  Reload();
  OnResize();
  return S_OK;
}

HRESULT SSymSubChildObjText::OnDelete(ISRepObject* object, int flag) {
  if (!object || flag != 0 || !ChangeInContext()) return S_OK;
  if (!m_pChild || !SRepAreSameObjects(object, m_pChild)) return SSymSubObjText::OnDelete(object, flag);
  SSymSubsHold hold(this);
  DropChild();
  if (m_flags & SUBS_INITIALIZED) {
    InitValue();
    Redraw(nullptr);
  }
  OnResize();
  return S_OK;
}
