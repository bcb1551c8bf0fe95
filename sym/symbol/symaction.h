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
#include <optional>
#include <string>
#include <utility>
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
  // The i-th symbol in the order the record took them: a replay runs in
  // that order, never in one that depends on where objects happen to lie.
  ISSymbol* GetAt(int i) const { return m_symbols.GetOrderAt(i); }

  HRESULT Execute() override { return S_OK; }
  HRESULT Reserved() override { return S_OK; }
  bool IsEmpty() override { return m_symbols.GetCount() == 0; }
  void CollectObjects(SRepObjectBag& objects) override;
  void CollectFacets(SRepFacetSink& facets) override;

 protected:
  // The facet of each of its symbols that the record changes, if any.
  virtual std::optional<SRepFacet> SymbolFacet() const { return std::nullopt; }
  SUnsortedComBag<ISSymbol> m_symbols;
};

// The points and rectangles of links, kept before a record's change and
// given back after each of its runs. Links follow a moved or resized symbol
// by moving or scaling their ends, and a two-point link takes a new attach
// point at its other end too; a run the other way neither puts that end
// back nor scales without rounding. A record that keeps its links gives
// them their very states and keeps the ones they had, like its own value.
class SSymKeptLinks {
 public:
  struct State {
    SComWrap<ISSymbol> link;
    SSymListPt points;
    SSymRect rect;
  };
  // The links attached to a symbol as they are now.
  static std::vector<State> Of(ISSymbol* symbol);
  void Set(std::vector<State> states);
  // Keeps the symbol when it is a link, and the links attached to it, each
  // as it is now unless it is kept already.
  void Add(ISSymbol* symbol);
  // The kept links as they are now, to give back to Give after a run.
  std::vector<State> Now() const;
  // Gives each kept link its kept state and keeps `now` in its place.
  void Give(std::vector<State> now);
  void Collect(SRepObjectBag& objects);

 private:
  void Keep(State state);
  std::vector<State> m_states;  // the states the next Give gives them
  std::vector<const void*> m_kept;  // their objects, sorted
};

class SSymActionMove : public SSymActionBase {
  KV_SYM_ACTION_POOL()
 public:
  explicit SSymActionMove(ISSymSelection* selection = nullptr);
  HRESULT Execute() override;
  bool IsEmpty() override { return m_offset.cx == 0 && m_offset.cy == 0; }
  SString GetMessageW() override { return SSymLoadString(1327); }
  void CollectObjects(SRepObjectBag& objects) override;
  // Pending: shifts the rectangle of each of its symbols by the offset.
  void Overlay(const SRepObject* obj, const SRepFacet& facet, SRepVariant& value) const override;
  // Keeps the symbol's links (and the symbol, a link) before it moves.
  void KeepLinks(ISSymbol* symbol) { m_links.Add(symbol); }

  SSymSize m_offset;
  SComWrap<ISSymGroup> m_group;
  // The diagram the moved symbols belong to (empty when not known).
  SComWrap<ISSymDiagram> m_diagram;
  int m_bStopMerge = 0;  // non-zero: no later move joins this record
  ISSymSelection* GetSelection() const { return ISSymSelection::IsAlive(m_pSelection) ? m_pSelection : nullptr; }

 protected:
  std::optional<SRepFacet> SymbolFacet() const override { return SRepFacet::Rect(); }

 private:
  ISSymSelection* m_pSelection;  // checked through GetSelection
  SSymKeptLinks m_links;
};

class SSymActionHide : public SSymActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionHide() { m_type = SSymAction_Hide; }
  HRESULT Execute() override;
  SString GetMessageW() override { return SSymLoadString(m_bShow ? 1337 : 1338); }
  // Pending: gives each of its symbols the visibility.
  void Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const override { value.SetBOOL(!m_bShow); }
  int m_bShow = 0;  // the visibility the next Execute gives

 protected:
  std::optional<SRepFacet> SymbolFacet() const override { return SRepFacet::Visibility(); }
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
  std::vector<Entry> m_entries;  // in the order the symbols were added
  SComOut<ISRepContext> m_context;  // may be null
};

// ---- records that swap one value ------------------------------------------------------------
// How a one-value record reads and stores its value through a face of the
// target. Set answers S_OK when it stored the value; the swap is kept only
// then. With SkipSame an equal value is not stored again.
template <class F, class V, V (F::*get)(), HRESULT (F::*set)(V, int)>
struct SSymWordAccess {
  using Face = F;
  using Value = V;
  static constexpr bool SkipSame = false;
  static Value Get(Face* f) { return (f->*get)(); }
  static HRESULT Set(Face* f, const Value& v) {
    (f->*set)(v, 1);  // the redrawing setters change the word whatever they answer
    return S_OK;
  }
  static bool Same(const Value& a, const Value& b) { return a == b; }
};

// The one-value swap: stores value on the target and leaves in value what
// it overwrote, so that the next swap puts it back.
template <class Access>
HRESULT SSymSwapValue(typename Access::Face* face, typename Access::Value& value) {
  typename Access::Value now = Access::Get(face);
  if (Access::SkipSame && Access::Same(now, value)) return S_OK;
  const HRESULT hr = Access::Set(face, value);
  if (hr != S_OK) return hr;
  value = std::move(now);
  return S_OK;
}

// A record that swaps one value of one target; a named record class states
// its access, type code, message and name on top of it. An empty target
// throws SECOMException (E_POINTER) naming the record, unless the access
// allows it (NullRuns: Execute does nothing; NullIsEmpty: the record is
// empty). A target whose repository object is gone is skipped.
template <class Access>
class SSymActionValue : public SRepActionBase {
 public:
  using Face = typename Access::Face;
  using Value = typename Access::Value;
  HRESULT Execute() override {
    if (m_face.IsNull()) {
      if constexpr (Access::NullRuns) return S_OK;
      else Throw("Execute");
    }
    if (SSymActionIsGone(m_face)) return S_OK;
    return SSymSwapValue<Access>(m_face.Get(), m_value);
  }
  bool IsEmpty() override {
    if (m_face.IsNull()) {
      if constexpr (Access::NullIsEmpty) return true;
      else Throw("IsEmpty");
    }
    return Access::Same(Access::Get(m_face.Get()), m_value);
  }
  SString GetMessageW() override { return SSymLoadString(m_message); }
  void CollectObjects(SRepObjectBag& objects) override { SSymActionCollect(objects, SComWrap<ISSymbol>(m_face)); }

  SComWrap<Face> m_face;
  Value m_value;  // the value the next Execute gives

 protected:
  // source: the target, queried for the face unless it is one.
  template <class Source>
  SSymActionValue(Source* source, Value value, LONG type, UINT message, const char* name)
      : m_face(source), m_value(std::move(value)), m_message(message), m_name(name) {
    m_type = type;
  }

 private:
  [[noreturn]] void Throw(const char* what) const;
  UINT m_message;
  const char* m_name;
};

template <class Access>
void SSymActionValue<Access>::Throw(const char* what) const {
  const std::string function = std::string(m_name) + "::" + what;
  throw SECOMException(function.c_str(), __FILE__, __LINE__, E_POINTER);
}

// Accesses with the usual rules: a null target throws.
template <class F, class V, V (F::*get)(), HRESULT (F::*set)(V, int)>
struct SSymStyleAccess : SSymWordAccess<F, V, get, set> {
  static constexpr bool NullRuns = false, NullIsEmpty = false;
};
struct SSymTextAccess {
  using Face = ISSymText;
  using Value = SString;
  static constexpr bool SkipSame = true, NullRuns = false, NullIsEmpty = true;
  static Value Get(Face* f);
  static HRESULT Set(Face* f, const Value& v);
  static bool Same(const Value& a, const Value& b) { return a == b; }
};
struct SSymPointsAccess {
  using Face = ISSymPolyline;
  using Value = SSymListPt;
  static constexpr bool SkipSame = false, NullRuns = false, NullIsEmpty = false;
  static Value Get(Face* f);
  static HRESULT Set(Face* f, const Value& v);
  static bool Same(const Value& a, const Value& b);
};
// The rectangle, normalised; a size change moves the attached links with it.
struct SSymRectAccess {
  using Face = ISSymbol;
  using Value = SSymRect;
  static constexpr bool SkipSame = true, NullRuns = true, NullIsEmpty = true;
  static Value Get(Face* f);
  static HRESULT Set(Face* f, const Value& v);
  static bool Same(const Value& a, const Value& b) { return a == b; }
};
struct SSymShadowAccess
    : SSymWordAccess<ISSymShadow, SHORT, &ISSymShadow::GetShadowStyle, &ISSymShadow::SetShadowStyle> {};

class SSymActionFontStyle
    : public SSymActionValue<SSymStyleAccess<ISSymFont, LONG, &ISSymFont::GetFontStyle, &ISSymFont::SetFontStyle>> {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionFontStyle(ISSymFont* font, LONG style)
      : SSymActionValue(font, style, SSymAction_Set, 1329, "SSymActionFontStyle") {}
};

class SSymActionTextStyle
    : public SSymActionValue<SSymStyleAccess<ISSymFont, LONG, &ISSymFont::GetTextStyle, &ISSymFont::SetTextStyle>> {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionTextStyle(ISSymFont* font, LONG style)
      : SSymActionValue(font, style, SSymAction_Set, 1330, "SSymActionTextStyle") {}
};

class SSymActionLineStyle
    : public SSymActionValue<SSymStyleAccess<ISSymLine, LONG, &ISSymLine::GetLineStyle, &ISSymLine::SetLineStyle>> {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionLineStyle(ISSymLine* line, LONG style, LONG type)
      : SSymActionValue(line, style, type, 1331, "SSymActionLineStyle") {}
};

// The rectangle of one symbol (normalised); in a lockout context it gives
// the symbol's pending rectangle.
//
// The links attached to the symbol follow a size change by scaling their
// ends, which rounds: scaled back, an end may land a unit away. A record
// that keeps the links (KeepLinks, before the change) gives them back their
// very points and rectangles after each run, swapped like the rectangle.
class SSymActionSize : public SSymActionValue<SSymRectAccess> {
  KV_SYM_ACTION_POOL()
 public:
  using LinkState = SSymKeptLinks::State;
  SSymActionSize(ISSymbol* symbol, const SSymRect& rect);
  HRESULT Execute() override;
  void CollectObjects(SRepObjectBag& objects) override;
  void CollectFacets(SRepFacetSink& facets) override { facets.Add(m_face, SRepFacet::Rect()); }
  void Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const override;
  // The links attached to a symbol as they are now.
  static std::vector<LinkState> LinksOf(ISSymbol* symbol) { return SSymKeptLinks::Of(symbol); }
  void KeepLinks(std::vector<LinkState> links) { m_links.Set(std::move(links)); }
  SSymRect& m_rect = m_value;  // the rectangle the next Execute gives

 private:
  SSymKeptLinks m_links;
};

// The point list of one polyline.
class SSymActionPoly : public SSymActionValue<SSymPointsAccess> {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionPoly(ISSymbol* symbol, const SSymListPt& pts)
      : SSymActionValue(symbol, pts, SSymAction_Poly, 1333, "SSymActionPoly") {}
  void CollectFacets(SRepFacetSink& facets) override { facets.Add(m_face, SRepFacet::Points()); }
  void Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const override;
};

// The text of one symbol or sub-object (only a symbol counts as touched).
class SSymActionText : public SSymActionValue<SSymTextAccess> {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionText(ISSymText* text, const SString& value)
      : SSymActionValue(text, value, SSymAction_Text, 1334, "SSymActionText") {}
  void CollectObjects(SRepObjectBag& objects) override;
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
  std::vector<Entry> m_entries;  // in the order the symbols were added
};

class SSymActionAttach : public SRepActionBase {
  KV_SYM_ACTION_POOL()
 public:
  SSymActionAttach(ISSymLink* link, int end, ISSymLinkable* a, SSymPoint ptA, ISSymLinkable* b, SSymPoint ptB);
  HRESULT Execute() override;
  bool IsEmpty() override { return false; }
  SString GetMessageW() override { return SSymLoadString(1344); }
  void CollectObjects(SRepObjectBag& objects) override;
  void CollectFacets(SRepFacetSink& facets) override;
  // Pending: the symbol that the end gets (an object; null for none).
  void Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const override;
  SComWrap<ISSymLink> m_link;
  int m_end;
  SComWrap<ISSymLinkable> m_a;
  SSymPoint m_ptA;
  SComWrap<ISSymLinkable> m_b;
  SSymPoint m_ptB;
};
