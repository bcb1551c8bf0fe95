// The rectangles of a few symbols as a step left them, for rectangles that
// are worked out from other symbols (a group around its members, a pool
// around its lanes) outside any record. A replay of the step's records does
// not work them out again the same way, so the step keeps them in two of
// these records: the first of the step, acting on undo, gives the
// rectangles before the step; the last, acting on redo, those after. Each
// does nothing in the other direction, so that no record of the step that
// works a rectangle out again runs after them.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "kvrep/srepaction.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"

class SSymActionRects final : public SRepActionBase {
 public:
  struct Entry {
    SComWrap<ISSymbol> symbol;
    SSymRect rect;
  };
  // The symbols' rectangles as they are now (a symbol without a base is left out).
  static std::vector<Entry> Of(const std::vector<SComWrap<ISSymbol>>& symbols) {
    std::vector<Entry> out;
    for (const SComWrap<ISSymbol>& s : symbols)
      if (SSymBase* base = SSymBase::FromInterface(s.Get())) out.push_back(Entry{s, base->m_rect});
    return out;
  }
  SSymActionRects(std::vector<Entry> rects, bool onUndo) : m_rects(std::move(rects)), m_onUndo(onUndo) {
    m_type = SSymAction_Size;
  }
  HRESULT Execute() override {
    if (m_undoNext == m_onUndo)
      for (const Entry& r : m_rects)
        if (SSymBase* base = SSymBase::FromInterface(r.symbol.Get()); base && !base->IsDeleted()) base->PutRect(r.rect);
    m_undoNext = !m_undoNext;
    return S_OK;
  }
  bool IsEmpty() override { return m_rects.empty(); }
  SString GetMessageW() override { return SSymLoadString(1332); }
  void CollectObjects(SRepObjectBag& objects) override {
    for (const Entry& r : m_rects) SSymActionCollect(objects, r.symbol.Get());
  }

 private:
  std::vector<Entry> m_rects;
  bool m_onUndo;           // acts when an undo runs it (else when a redo does)
  bool m_undoNext = true;  // the next run is an undo
};
