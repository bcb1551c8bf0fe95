#include "sym/composite/symswimcoln.h"

#include "sym/foundation/sympropmap.h"

KV_SYM_DEFINE_CLASS_TABLES(SSymSwimColn)
KV_SYM_IMPLEMENT_POOL(SSymSwimColn, g_symClasses[SYMCLS_SSymSwimColn].poolBlocks);
KV_SYM_REGISTER(SSymSwimColn, &SSymCreateStd<SSymSwimColn>);

SSymSwimColn::SSymSwimColn(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {}

// The copy belongs to nothing until its owner tells it.
SSymSwimColn::SSymSwimColn(const SSymSwimColn& source) : SRepFaces(source) {}

SSymSwimColn::~SSymSwimColn() { m_pObjSym = nullptr; }

ISSymbol* SSymSwimColn::GetSwimSym() { return nullptr; }

HRESULT SSymSwimColn::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return m_pObjSym ? m_pObjSym->GetDiagram(out) : S_FALSE;
}

HRESULT SSymSwimColn::DrawSymbol(SSymCanvas& canvas) { return SSymPolyBase::DrawSymbol(canvas); }

HRESULT SSymSwimColn::SetListPt(const SSymListPt& pts, int redraw, int a, int b) {
  return SSymPolyBase::SetListPt(pts, redraw, a, b);
}

HRESULT SSymSwimColn::DragLaneEdge(ISSymbol*, const SSymListPt&, int) { return S_OK; }
HRESULT SSymSwimColn::DragPoolEdge(ISSymbol*, const SSymListPt&) { return S_OK; }
