// The host's tree symbol: a rectangle that attaches the library's tree
// implementation, answers ISSymTree with it, and draws its branch line and
// visible children after itself.
#pragma once

#include "kvrep/srepsession.h"
#include "sym/composite/symtreeimpl.h"
#include "sym/shapes/symrectfamily.h"

class SHostTreeRect : public SSymRectangle {
 public:
  SHostTreeRect(ISRepSession* session, const SSymRect& rect);
  ~SHostTreeRect() override;
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;
  HRESULT Draw(SSymCanvas& canvas) override;
  SSymTreeImpl& Tree() { return *m_tree; }

 private:
  SSymTreeImpl* m_tree;  // counted
};
