// Composite membership and completion: the owner operations of a composite,
// the child symbol of a model object, the test of a new child, and the
// completion that creates the missing children and their links.
#include "sym/composite/symcompimpl.h"

HRESULT SSymCompImpl::Add(ISSymbol*) { return E_NOTIMPL; }

HRESULT SSymCompImpl::Remove(ISSymbol*) { return E_NOTIMPL; }

BOOL SSymCompImpl::Contains(ISSymbol*, int) { return 0; }

HRESULT SSymCompImpl::GetTopOwner(ISSymOwner** out) { return out ? S_OK : E_POINTER; }

HRESULT SSymCompImpl::SymResize(ISSymbol*) { return S_OK; }

HRESULT SSymCompImpl::SymRedraw(ISSymbol*) { return S_OK; }

HRESULT SSymCompImpl::CreateChildrenSym(int recursive) { return CompleteAllChildrenSym(recursive); }

int SSymCompImpl::CanAddAsChild(ISRepObject*, LONG, const SString&) { return 0; }

HRESULT SSymCompImpl::CompleteAllChildrenSym(int) { return E_NOTIMPL; }

HRESULT SSymCompImpl::UpdateAllSubSymMdat() { return E_NOTIMPL; }

ISSymbol* SSymCompImpl::FindChildSymbol(ISRepObject*) { return nullptr; }

int SSymCompImpl::GetChildLinkRect(ISSymbol*, SSymRect&) { return 0; }

int SSymCompImpl::HasChildSymbolsOfCollection(LONG, int) { return 0; }

int SSymCompImpl::HasChildSymbolsOfCollectionFlat(LONG) { return 0; }

int SSymCompImpl::AttachChildSymbol(ISSymbol*) { return 0; }

void SSymCompImpl::CreateChildSymbolsForCollection(ISSymDiagram*, LONG, int, SUnsortedComBag<ISSymbol>&, SSymPoint&) {}

void SSymCompImpl::CreateChildLinkSymbols(ISSymDiagram*, LONG) {}

void SSymCompImpl::CreateLinksOfChildren(ISSymDiagram*) {}
