// Undo records of symbol changes. A record keeps the state its next Execute
// must establish; Execute applies it and, in the same call, keeps the state
// it overwrote (or flips its direction flag), so one record serves Undo and
// Redo alike: the first run undoes, the second redoes.
//
// Records hold every symbol, group, link and diagram through counted
// references and selections through checked handles; a target whose
// repository object is gone is skipped. A record whose symbol operation
// fails puts back what it had applied before it answers the failure, so a
// record is applied whole or not at all.
#pragma once

#include <cstddef>
#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sfixedalloc.h"
#include "kvrep/srepaction.h"
#include "sym/foundation/symformat.h"
#include "sym/foundation/symlistpt.h"
#include "sym/foundation/symstrings.h"
#include "sym/symbol/syminterfaces.h"
#include "sym/symbol/symdata.h"
#include "sym/symbol/symintfselection.h"

// Type codes of the symbol records.
enum SSymActionType : LONG {
  SSymAction_Move = 3,
  SSymAction_Format = 21,
  SSymAction_Size = 22,
  SSymAction_Poly = 23,
  SSymAction_Text = 24,
  SSymAction_Group = 25,
  SSymAction_Hide = 26,
  SSymAction_Set = 27,
  SSymAction_Attach = 29,
  SSymAction_Adjust = 30,
};

// The record's own pool: a block when the size asked fits it, the heap otherwise.
#define KV_SYM_ACTION_POOL()                                                  \
 public:                                                                      \
  static SFixedAlloc s_alloc;                                                 \
  static void* operator new(std::size_t size) {                              \
    return size <= s_alloc.GetAllocSize() ? s_alloc.Alloc() : ::operator new(size); \
  }                                                                           \
  static void operator delete(void* p, std::size_t size) noexcept {          \
    if (size <= s_alloc.GetAllocSize()) s_alloc.Free(p);                      \
    else ::operator delete(p);                                                \
  }

// True when the symbol's repository object is deleted (the record skips it).
bool SSymActionIsGone(IUnknown* target);
// Adds the repository object of a symbol to a set (nothing for none).
void SSymActionCollect(SRepObjectBag& objects, ISSymbol* symbol);

// ---- records over a set of symbols --------------------------------------------------------
class SSymActionBase : public SRepActionBase {
 public:
  SSymActionBase();
  void AddSymbol(ISSymbol* symbol);
  bool Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }
  int GetCount() const { return m_symbols.GetCount(); }
  // The i-th symbol in the order of identities.
  ISSymbol* GetAt(int i) const { return m_symbols.GetAt(i); }

  HRESULT Execute() override { return S_OK; }
  HRESULT Reserved() override { return S_OK; }
  bool IsEmpty() override { return m_symbols.GetCount() == 0; }
  void CollectObjects(SRepObjectBag& objects) override;

 protected:
  SUnsortedComBag<ISSymbol> m_symbols;
};

class SSymActionMove : public SSymActionBase {
  KV_SYM_ACTION_POOL()
 public:
  explicit SSymActionMove(ISSymSelection* selection = nullptr);
  HRESULT Execute() override;
  bool IsEmpty() override { return m_offset.cx == 0 && m_offset.cy == 0; }
  SString GetMessageW() override { return SSymLoadString(1327); }
  void CollectObjects(SRepObjectBag& objects) override;

  SSymSize m_offset;
  SComWrap<ISSymGroup> m_group;
  int m_bStopMerge = 0;  // non-zero: no later move joins this record
  ISSymSelection* GetSelection() const { return ISSymSelection::IsAlive(m_pSelection) ? m_pSelection : nullptr; }

 private:
  ISSymSelection* m_pSelection;  // checked through GetSelection
};

class SSymActionHide : public SSymActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionHide() { m_type = SSymAction_Hide; }
  HRESULT Execute() override;
  SString GetMessageW() override { return SSymLoadString(m_bShow ? 1337 : 1338); }
  int m_bShow = 0;  // the visibility the next Execute gives
};

class SSymActionProtect : public SSymActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionProtect(const SUnsortedComBag<ISSymbol>& symbols, int protect, ISSymSelection* selection);
  HRESULT Execute() override;
  SString GetMessageW() override { return SSymLoadString(m_bProtect ? 1339 : 1340); }
  int m_bProtect;  // the protection the next Execute gives

 private:
  ISSymSelection* m_pSelection;
};

class SSymActionInvLink : public SSymActionBase {
  KV_SYM_ACTION_POOL()
 public:
  explicit SSymActionInvLink(const SUnsortedComBag<ISSymbol>& links);
  HRESULT Execute() override;
  SString GetMessageW() override { return SSymLoadString(1343); }
};

class SSymActionAdjust : public SSymActionBase {
 public:
  explicit SSymActionAdjust(bool adjusted) : m_bAdjusted(adjusted) { m_type = SSymAction_Adjust; }
  HRESULT Execute() override;
  SString GetMessageW() override { return SSymLoadString(1342); }
  bool m_bAdjusted;  // the adjust state the next Execute gives
};

// ---- records of one kind of value ---------------------------------------------------------
class SSymActionFormat : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  explicit SSymActionFormat(ISRepContext* context);
  ~SSymActionFormat() override;
  SSymActionFormat(const SSymActionFormat&) = delete;
  SSymActionFormat& operator=(const SSymActionFormat&) = delete;
  HRESULT Execute() override;
  bool IsEmpty() override { return false; }
  SString GetMessageW() override { return SSymLoadString(1328); }
  void CollectObjects(SRepObjectBag& objects) override;
  // Keeps the format the symbol has before its change (a later entry of the
  // same symbol replaces an earlier one).
  void AddSymbol(ISSymbol* symbol, SSymFormatEx format);
  int GetCount() const { return static_cast<int>(m_entries.size()); }
  const SSymFormatEx* Find(ISSymbol* symbol) const;

  int m_bApplyCustomSymbol = 0;
  int m_bExecuted = 0;

 private:
  struct Entry {
    SComWrap<ISSymbol> symbol;
    SSymFormatEx format;
  };
  HRESULT ApplyEntry(Entry& e, bool repeat);
  std::vector<Entry> m_entries;  // sorted by symbol
  ISRepContext* m_context;  // counted, may be null
};

class SSymActionFontStyle : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionFontStyle(ISSymFont* font, LONG style);
  HRESULT Execute() override;
  bool IsEmpty() override;
  SString GetMessageW() override { return SSymLoadString(1329); }
  void CollectObjects(SRepObjectBag& objects) override;
  SComWrap<ISSymFont> m_font;
  LONG m_style;
};

class SSymActionTextStyle : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionTextStyle(ISSymFont* font, LONG style);
  HRESULT Execute() override;
  bool IsEmpty() override;
  SString GetMessageW() override { return SSymLoadString(1330); }
  void CollectObjects(SRepObjectBag& objects) override;
  SComWrap<ISSymFont> m_font;
  LONG m_style;
};

class SSymActionLineStyle : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionLineStyle(ISSymLine* line, LONG style, LONG type);
  HRESULT Execute() override;
  bool IsEmpty() override;
  SString GetMessageW() override { return SSymLoadString(1331); }
  void CollectObjects(SRepObjectBag& objects) override;
  SComWrap<ISSymLine> m_line;
  LONG m_style;
};

class SSymActionSize : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionSize(ISSymbol* symbol, const SSymRect& rect);
  HRESULT Execute() override;
  bool IsEmpty() override;
  SString GetMessageW() override { return SSymLoadString(1332); }
  void CollectObjects(SRepObjectBag& objects) override { SSymActionCollect(objects, m_symbol); }
  SComWrap<ISSymbol> m_symbol;
  SSymRect m_rect;  // normalised

 private:
  SSymRect Current();
};

class SSymActionPoly : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionPoly(ISSymbol* symbol, const SSymListPt& pts);
  HRESULT Execute() override;
  bool IsEmpty() override;
  SString GetMessageW() override { return SSymLoadString(1333); }
  void CollectObjects(SRepObjectBag& objects) override;
  SComWrap<ISSymPolyline> m_poly;
  SSymListPt m_pts;
};

class SSymActionText : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionText(ISSymText* text, const SString& value);
  HRESULT Execute() override;
  bool IsEmpty() override;
  SString GetMessageW() override { return SSymLoadString(1334); }
  void CollectObjects(SRepObjectBag& objects) override;
  SComWrap<ISSymText> m_text;
  SString m_value;
};

class SSymActionGroup : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  enum ActionType { Group = 0, Ungroup = 1 };
  // One group record: the group, its position (-1 until known) and its
  // member entries (each a position, -1 until known, and the symbol).
  using Member = SSymData;
  using Record = SSymGroupData;
  SSymActionGroup(ActionType kind, ISSymDiagram* diagram, ISSymSelection& selection);
  HRESULT Execute() override;
  bool IsEmpty() override { return false; }
  SString GetMessageW() override { return SSymLoadString(m_kind != Group ? 1336 : 1335); }
  void CollectObjects(SRepObjectBag& objects) override;
  STable<SSymGroupData> m_records;
  ActionType m_kind;

 private:
  void RunGroup(ISRepClassCol* symbols);
  void RunUngroup(ISRepClassCol* symbols);
  SComWrap<ISSymDiagram> m_diagram;
  ISSymSelection* m_pSelection;
};

class SSymActionShadow : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionShadow() { m_type = SSymAction_Set; }
  // Keeps the style of a symbol (a second call for the same symbol replaces
  // the style); answers the entry's index.
  int Add(ISSymbol* symbol, SHORT style);
  HRESULT Execute() override;
  bool IsEmpty() override { return false; }
  SString GetMessageW() override { return SSymLoadString(1341); }
  void CollectObjects(SRepObjectBag& objects) override;
  int GetCount() const { return static_cast<int>(m_entries.size()); }
  SHORT GetStyle(int i) const { return m_entries[static_cast<std::size_t>(i)].style; }

 private:
  struct Entry {
    SComWrap<ISSymbol> symbol;
    SHORT style;
  };
  std::vector<Entry> m_entries;  // sorted by symbol
};

class SSymActionAttach : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionAttach(ISSymLink* link, int end, ISSymLinkable* a, SSymPoint ptA, ISSymLinkable* b, SSymPoint ptB);
  HRESULT Execute() override;
  bool IsEmpty() override { return false; }
  SString GetMessageW() override { return SSymLoadString(1344); }
  void CollectObjects(SRepObjectBag& objects) override;
  SComWrap<ISSymLink> m_link;
  int m_end;
  SComWrap<ISSymLinkable> m_a;
  SSymPoint m_ptA;
  SComWrap<ISSymLinkable> m_b;
  SSymPoint m_ptB;
};
