#include "apps/symhost/hosttree.h"

SHostTreeRect::SHostTreeRect(ISRepSession* session, const SSymRect& rect)
    : SSymRectangle(session), m_tree(new SSymTreeImpl(*this)) {
  m_tree->AddRef();
  m_rect = rect;
}

SHostTreeRect::~SHostTreeRect() { m_tree->Release(); }

HRESULT SHostTreeRect::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid == IID_ISSymTree || iid == IID_ISSymOwner) return m_tree->QueryInterface(iid, ppv);
  return SSymRectangle::InternalQueryInterface(iid, ppv);
}

HRESULT SHostTreeRect::Draw(SSymCanvas& canvas) {
  const HRESULT hr = SSymRectangle::Draw(canvas);
  if (IsHidden()) return hr;
  SComTable<ISSymbol> below;
  m_tree->GetAllChildren(below, 0, 1);
  for (int i = 0; i < below.GetCount(); ++i)
    if (!below.GetAt(i)->IsHidden()) below.GetAt(i)->Draw(canvas);
  return hr;
}
