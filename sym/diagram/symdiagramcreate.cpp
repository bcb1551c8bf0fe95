// Object creation in a diagram, the symbol class of a model class, and the
// closing of the diagram's windows.
#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/symbol/symintfsymbol.h"

HRESULT SSymDiagramImpl::CreateObject(const CLSID& clsid, void** out, const IID& iid, LONG kind, int pos, bool) {
  if (!out) return E_POINTER;
  if (*out) static_cast<IUnknown*>(*out)->Release();
  *out = nullptr;
  ISRepSession* session = nullptr;
  if (FAILED(GetSession(&session)) || !session) return E_POINTER;
  HRESULT hr = session->CreateObject(clsid, iid, out);
  session->Release();
  if (FAILED(hr)) return hr;
  if (!*out) return E_FAIL;
  // The new object is placed with relationship checks off; the mode comes
  // back on every path.
  SetRlshCheckMode checks(0);
  auto* created = static_cast<IUnknown*>(*out);
  try {
    ISSymbol* symbol = nullptr;
    if (SUCCEEDED(created->QueryInterface(IID_ISSymbol, reinterpret_cast<void**>(&symbol))) && symbol) {
      Add(symbol);
      symbol->Release();
      return S_OK;
    }
    ISRepClassCol* col = nullptr;
    hr = kind == -1 ? GetCollectionForClass(clsid, &col, true) : GetCollection(kind, &col);
    if (FAILED(hr)) return hr;
    if (!col) {
      // Nowhere to put it: the object goes again.
      ISRepObject* obj = nullptr;
      if (SUCCEEDED(created->QueryInterface(IID_ISRepObject, reinterpret_cast<void**>(&obj))) && obj) {
        obj->Delete();
        obj->Release();
      }
      created->Release();
      *out = nullptr;
      return E_FAIL;
    }
    ISRepObject* obj = nullptr;
    hr = created->QueryInterface(IID_ISRepObject, reinterpret_cast<void**>(&obj));
    if (SUCCEEDED(hr) && obj) {
      hr = col->Insert(obj, pos);
      obj->Release();
    }
    col->Release();
    return hr;
  } catch (const SException& e) {
    SExceptionDialog(__func__, "sym/src/symdiagram", __LINE__, e);
    return E_FAIL;
  }
}

HRESULT SSymDiagramImpl::GetCollectionForClass(const CLSID&, ISRepClassCol** out, bool) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return S_FALSE;
}

const CLSID& SSymDiagramImpl::GetSymCLSID(const CLSID&) {
  static const CLSID null{};
  return null;
}

LONG SSymDiagramImpl::CloseAllViews() {
  const int n = GetViewCount();
  for (int i = 0; i < n; ++i) {
    SSymView* view = GetFirstView();
    if (view) view->Close();
  }
  return 0;
}
