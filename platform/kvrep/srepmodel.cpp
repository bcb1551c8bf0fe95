#include "kvrep/srepmodel.h"

HRESULT SRepModelObject::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid != IID_ISRepModelServiceProvider) return SRepObjectBaseImpl::InternalQueryInterface(iid, ppv);
  *ppv = static_cast<ISRepModelServiceProvider*>(this);
  AddRef();
  return S_OK;
}

HRESULT SRepModelObject::ObjectsReparented(ISRepObject* const* objects, int count, int flag) {
  if (count < 0) return E_INVALIDARG;
  if (count > 0 && !objects) return E_POINTER;
  int taken = 0;
  for (int i = 0; i < count; ++i) {
    ISRepObject* o = objects[i];
    SRepObject* impl = SRepObject::FromInterface(o);
    if (!impl || impl->IsDeleted()) continue;
    ISRepObject* model = nullptr;
    if (impl->GetModel(&model) != S_OK || !model) continue;
    const bool mine = SRepAreSameObjects(model, static_cast<ISRepObjectBase*>(this));
    model->Release();
    if (!mine) continue;
    OnObjectReparented(o, flag);
    ++taken;
  }
  m_nReparented += taken;
  return taken ? S_OK : S_FALSE;
}

HRESULT SRepGetClassCollection(ISRepObject* obj, const CLSID& element, ISRepClassCol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SRepObject* impl = SRepObject::FromInterface(obj);
  if (!impl) return E_POINTER;
  SRepRegistry* reg = impl->GetRegistry();
  SRepClassColDef* def = reg ? reg->GetClassColDef(element) : nullptr;
  if (!def) return S_FALSE;
  return impl->GetCollection(def->GetCollectionId(), out);
}
