#include "apps/symhost/hostcustom.h"

#include "sym/shapes/symcustomsymbol.h"

using Helper = SSymCustomSymbolHelper;

// ---- the custom-symbol object ---------------------------------------------------------------
HRESULT SHostCustomFormat::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid == IID_ISSymCustomSymbol) {
    *ppv = static_cast<ISSymCustomSymbol*>(this);
    AddRef();
    return S_OK;
  }
  return SRepObjectMem::InternalQueryInterface(iid, ppv);
}

HRESULT SHostCustomFormat::GetCustomFormat(ISSymbol*, SSymFormat& format, SString* text, SString* option) {
  if (!m_bHasFormat) return S_FALSE;
  if ((text || option) && !m_bHasTexts) return E_FAIL;
  format = m_format;
  if (text) *text = m_text;
  if (option) *option = m_option;
  return S_OK;
}

HRESULT SHostCustomFormat::RegisterSymbol(ISSymObject* object) {
  if (!object) return E_POINTER;
  ++m_nRegistered;
  return S_OK;
}

void SHostCustomFormat::Keep(const SSymFormat& format, const SString* text, const SString* option) {
  m_bHasFormat = true;
  m_format = format;
  m_bHasTexts = text && option;
  m_text = text ? *text : SString();
  m_option = option ? *option : SString();
}

// ---- the model object -----------------------------------------------------------------------
SHostCustomObject::~SHostCustomObject() { SetCustomFormat(nullptr); }

void SHostCustomObject::SetCustomFormat(SHostCustomFormat* format) {
  if (format) format->AddRef();
  if (m_pFormat) m_pFormat->Release();
  m_pFormat = format;
}

HRESULT SHostCustomObject::GetAttribute(LONG id, SRepVariant* value) {
  if (id != Helper::AttrModified) return SRepObjectMem::GetAttribute(id, value);
  if (!value) return E_POINTER;
  value->SetDATE(m_modified);
  return S_OK;
}

HRESULT SHostCustomObject::SetAttribute(LONG id, const SRepVariant& value) {
  if (id != Helper::AttrModified) return SRepObjectMem::SetAttribute(id, value);
  m_modified = value.GetDATE();
  return S_OK;
}

HRESULT SHostCustomObject::HasAttribute(LONG id) {
  return id == Helper::AttrModified ? S_OK : SRepObjectMem::HasAttribute(id);
}

// ---- the symbol -----------------------------------------------------------------------------
SHostCustomRect::SHostCustomRect(ISRepSession* session, const SSymRect& rect, SHostCustomObject* model)
    : SRepFaces(session), m_pModel(model) {
  m_rect = rect;
  if (m_pModel) m_pModel->AddRef();
}

SHostCustomRect::~SHostCustomRect() {
  if (m_pModel) m_pModel->Release();
}

HRESULT SHostCustomRect::GetModelObject(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = m_pModel;
  if (!m_pModel) return S_FALSE;
  m_pModel->AddRef();
  return S_OK;
}

HRESULT SHostCustomRect::GetCustomSymbolObject(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = m_pModel ? m_pModel->GetCustomFormat() : nullptr;
  if (!*out) return S_FALSE;
  (*out)->AddRef();
  return S_OK;
}

HRESULT SHostCustomRect::GetAttribute(LONG id, SRepVariant* value) {
  if (id != Helper::AttrCustomSymbolText) return SRepFaces::GetAttribute(id, value);
  if (!value) return E_POINTER;
  value->SetTEXT(m_customText);
  return S_OK;
}

HRESULT SHostCustomRect::SetAttribute(LONG id, const SRepVariant& value) {
  if (id != Helper::AttrCustomSymbolText) return SRepFaces::SetAttribute(id, value);
  m_customText = value.GetSTRING();
  return S_OK;
}

HRESULT SHostCustomRect::HasAttribute(LONG id) {
  return id == Helper::AttrCustomSymbolText ? S_OK : SRepFaces::HasAttribute(id);
}
