// Composite children layout: new children in rows below the existing ones,
// and the matrix that keeps children enclosed.
#include "sym/composite/symcompimpl.h"

HRESULT SSymCompImpl::LayoutChildrenSym(SUnsortedComBag<ISSymbol>&) { return E_NOTIMPL; }

HRESULT SSymCompImpl::RecomputeMatrix(const SSymMatrix&, SSymMatrix&) { return E_NOTIMPL; }
