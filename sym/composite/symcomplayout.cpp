// Composite children layout: new children in rows below the existing ones,
// the matrix that keeps children enclosed, and the area children may use.
#include "sym/composite/symcompimpl.h"

HRESULT SSymCompImpl::LayoutChildrenSym(SUnsortedComBag<ISSymbol>&) { return E_NOTIMPL; }

HRESULT SSymCompImpl::RecomputeMatrix(const SSymMatrix&, SSymMatrix&) { return E_NOTIMPL; }

SSymRect SSymCompImpl::GetDrawRect() { return m_pSymbol ? m_pSymbol->GetClipRect(0, 0) : SSymRect(); }
