// SSymSwimGroup: a lane group of a swimlane pool (SSymSwimLane). A group
// gathers neighbouring lanes under a common heading band: it is a text
// symbol whose SubSymbols collection holds its lanes (SSymSwim) and nested
// groups, in order, and it owns them through ISSymOwner. A group lives in
// the pool's collection or in another group's.
//
// The heading band lies before the members along the lanes: at the left of
// stacked lanes (pool orientation 0), at the top of lanes side by side
// (non-zero orientation). Its thickness is the group's heading size, at
// least MinHeadSize and enough for the title; the members fill the rest of
// the group across the lanes, and the group ends where its last member ends.
//
// A group either stands for a model object (parent grouping, built by the
// pool), whose DisplayName is its title, or is a user group with a title of
// its own, renamed through the group dialog its verb opens.
//
// Geometry the group writes into its members while arranging them is not
// recorded for undo, as for the pool; moves and titles the user asks for are.
#pragma once

#include "kvcore/scomds.h"
#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symport.h"
#include "sym/symbol/symsolidtext.h"

inline constexpr IID IID_SSymSwimGroup = MakeGUID("{6B1F3C2E-94A7-4D0B-8E15-2C7A9F3D5E61}");

class SSymSwimGroup;

// The owner face of a group: the library's shared owner implementation over
// the group's SubSymbols, with the checks a lane group needs (see Add).
class SSymSwimGroupOwner : public ISSymOwnerImpl<SSymSwimGroup> {
 public:
  // Takes a lane or a group of the group's own pool (or of no pool) from
  // its current owner and appends it. Refused (E_INVALIDARG) for a null
  // symbol, a symbol that is neither a lane nor a group, a lane or group of
  // another pool, and the group itself or a group that holds it; nothing is
  // taken from its owner then.
  HRESULT Add(ISSymbol* symbol) override;

 protected:
  ~SSymSwimGroupOwner() = default;
};

class SSymSwimGroup : public SRepFaces<SSymSwimGroup, SSymSolidText, ISSymOwner, SRepFaceAs<IID_ISRepObjSink, ISRepObjSink>,
                                       SRepFaceImpl<SSymSwimGroupOwner>, SRepFaceSelf<IID_SSymSwimGroup>> {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  static constexpr int TypeCode = 17;
  // The thinnest heading band, whatever the title measures.
  static constexpr int MinHeadSize = 2000;
  // Fitting the group to its members ignores a change of this much or
  // less (the sum of the four corner moves), as the pool does.
  static constexpr LONG ArrangeTolerance = 50;
  // The text style word of a group's title.
  static constexpr LONG GroupTextStyle = 0x22;
  // Display preferences' swimlane heading modes: wrapped titles, and titles
  // on one line.
  static constexpr int HeadingWrapped = 2;
  static constexpr int HeadingOneLine = 1;
  // The notification masks the group is advised with on its model object.
  static constexpr DWORD AdviseNameMask = 0x2100000B;
  static constexpr DWORD AdviseParentMask = 0x22002511;
  static constexpr LONG IdDisplayName = 0x0100000B;
  static constexpr LONG IdParentChange = 0x02002511;

  explicit SSymSwimGroup(ISRepSession* session);
  ~SSymSwimGroup() override;

  // The group behind any face of it (no reference added), or null.
  static SSymSwimGroup* FromInterface(IUnknown* unk) {
    return SRepFromInterface<SSymSwimGroup>(unk, IID_SSymSwimGroup);
  }

  int GetSymbolType() override { return TypeCode; }

  // ---- own operations
  // The pool: the first symbol of type 12 up the owner chain; null when
  // there is none. No reference added.
  ISSymbol* GetSwimSym();
  // The lanes under the group, through nested groups, in order, each once
  // (all = 0: hidden members and everything under them left out).
  void GetAllLane(SUnsortedComBag<ISSymbol>& bag, int all);
  // Every nested group, depth first, a group before its inner groups.
  void GetAllGrp(SUnsortedComBag<ISSymbol>& bag);
  // The model object the group stands for: the one held, or, in a pool that
  // groups by parent objects, the one found up the parents of its first
  // lane's object (the groups on the way take theirs too). Not counted.
  ISRepObject* GetObjectW();
  // Replaces the model object (null for a user group) and listens to it.
  void SetObject(ISRepObject* object);
  ISRepObject* GetGroupObject() const { return m_pGroupObj.Get(); }
  // The nesting depth: 1, or 1 + the deepest nested group's.
  int GetGrpLevel();
  // Packs the members along the lanes from the group's start, stretches
  // them across the group's span below the heading, and fits the group.
  void ArrangeLanes(int redraw);
  // Gives the members the group's place in its owner and deletes the group.
  void Ungroup();
  // The heading band's thickness for the title (at least MinHeadSize, kept
  // in m_nHeadSize) plus the largest extent of a member's own heading.
  int GetHeadSize(SSymCanvas& canvas);
  // The innermost group whose extent along the lanes holds the point (this
  // one or a nested one), with index the insertion position among that
  // group's members; null when the point is outside the group. Members in
  // `excluded` (may be null) are skipped and not counted.
  ISSymbol* GetLanePosition(const SSymPoint& pt, SComBag<ISSymbol>* excluded, int& index);
  // The quarter turn of the group and its members when the pool changes
  // orientation; the group's start corner lands on pt.
  void RotateAt(const SSymPoint& pt);
  // Applies a format to the group (its DisplayName font as the title font)
  // and to everything under it, recorded for undo.
  void SetAllFormat(const SSymFormatEx& format);

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override;
  HRESULT DrawHandles(SSymCanvas& canvas) override;
  HRESULT GetDiagram(ISSymDiagram** out) override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  // Hiding hides the members too; showing leaves them as they are.
  HRESULT Show(int show) override;
  // The members first; then the group in a band H thick at its start.
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  LONG GetHitReach() override { return DefaultHitReach; }
  HRESULT IsPtInSubSym(SSymCanvas&, const SSymPoint&, int*, ISSymbol**) override { return 0; }
  // That of a plain symbol: the members are not included.
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override { return SSymBase::GetActiveRect(canvas, a); }
  HRESULT SetFormat(const SSymFormatEx& format) override;
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt) override;
  using SSymSolidText::EditInPlace;

  // ---- ISSymText: the model object's DisplayName, or the group's own text
  HRESULT GetText(SString& text) override;
  HRESULT SetText(const SString& text, int notify) override;

  // ---- ISVerbSource: a user group opens its title dialog
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;

  // ---- ISSymAdjust: no adjust state; only redraws
  HRESULT SetAdjust(bool, int redraw) override;

  // ---- repository
  HRESULT Delete() override;
  void OnCollectionInsert(LONG id, ISRepObject* other, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;

  // ---- ISRepObjSink: the model object the group stands for
  HRESULT OnChange(ISRepObject* obj, LONG id) override;
  HRESULT OnDelete(ISRepObject* obj, int reason) override;
  HRESULT OnFlush(ISRepObject*) override { return S_OK; }

  // ---- ISSymOwner (the shared owner implementation)
  HRESULT Add(ISSymbol* symbol) override { return SSymSwimGroupOwner::Add(symbol); }
  HRESULT Remove(ISSymbol* symbol) override { return SSymSwimGroupOwner::Remove(symbol); }
  BOOL Contains(ISSymbol* symbol, int deep) override { return SSymSwimGroupOwner::Contains(symbol, deep); }
  HRESULT GetTopOwner(ISSymOwner** out) override { return SSymSwimGroupOwner::GetTopOwner(out); }
  HRESULT SymResize(ISSymbol* symbol) override { return SSymSwimGroupOwner::SymResize(symbol); }
  HRESULT SymRedraw(ISSymbol* symbol) override { return SSymSwimGroupOwner::SymRedraw(symbol); }
  HRESULT CreateChildrenSym(int flag) override { return SSymSwimGroupOwner::CreateChildrenSym(flag); }
  SSymSwimGroup* GetOwnerT() override { return this; }

  // The members of SubSymbols, in order (counted wrappers).
  std::vector<SComWrap<ISSymbol>> Members();

  // The thickness of the group's own heading band; 0 until first needed.
  int m_nHeadSize = 0;

 protected:
  SSymSwimGroup(const SSymSwimGroup& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

  // A group records a move only as a direct member of its pool.
  int CreateUndoMove(const SSymSize& offset) override;

 private:
  // The pool's orientation (1 without a pool) and the diagram's H.
  int Orientation();
  LONG HeadingHeight();
  // The pool re-measures its heading and re-arranges.
  void RefreshPool(int redraw);
  void DropGroupObject();
  ISSymDiagram* DiagramNoRef();

  SComWrap<ISRepObject, &IID_ISRepObject> m_pGroupObj;  // the model object, or null
};

// ---- the group title dialog, installed by the dialogs subsystem ------------------------------
// Runs the title dialog of a user group modally on the group's symbol.
using SSymSwimGroupDialogOpener = void (*)(ISSymbol* group);
// Installs the opener; answers the one it replaces.
SSymSwimGroupDialogOpener SSymSetSwimGroupDialogOpener(SSymSwimGroupDialogOpener opener);
