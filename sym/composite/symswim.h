// SSymSwim: one lane of a swimlane pool (SSymSwimLane). A lane is a text
// symbol that answers ISSwimlane; the pool owns it, decides its position
// and its extent along the pool, and draws it. The lane keeps only its own
// thickness (its height when lanes are stacked, its width when they stand
// side by side), its fill, its text and its font, and owns one separator
// line (SSymSwimColn) at its far edge that moves with it.
//
// The class is the base of the model-specific lane classes of a host: they
// answer IsInnerLane, GetParentCollectionId, RefusesChildObject and the
// attached-symbol operations in their own way.
//
// Orientation is always the pool's: 0 stacks lanes one above the other
// (heading band at the lane's left end), non-zero sets them side by side
// (heading band at the top). H is the diagram's swimlane heading height.
#pragma once

#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symsolidtext.h"

class SSymActionBase;

inline constexpr IID IID_SSymSwim = MakeGUID("{0E5B7C93-2F4A-4D18-9B6E-5A3C8D1F2E47}");

class SSymSwim : public SRepFaces<SSymSwim, SSymSolidText, ISSwimlane, SRepFaceSelf<IID_SSymSwim>> {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  static constexpr int TypeCode = 14;
  // Thickness changes smaller than this are ignored.
  static constexpr LONG MinResize = 75;
  // A lane placed into a pool keeps its own thickness from this much on.
  static constexpr LONG KeepOwnThickness = 4000;
  // The length of a pool made for a lane that finds none.
  static constexpr LONG NewPoolLength = 40000;
  // The smallest rectangle a lane shrinks to, and how far attached symbols
  // stay inside it.
  static constexpr LONG ValidBord = 8000;
  static constexpr LONG AttachedMargin = 600;
  // The body of a lane lies this far inside its edges.
  static constexpr LONG BodyInset = 75;
  // Drawing leaves differences up to this much between the lane's stored
  // start and the pool's.
  static constexpr LONG AlignTolerance = 70;
  // The text style of the lane's text.
  static constexpr LONG LaneTextStyle = 0x22;

  explicit SSymSwim(ISRepSession* session, const CLSID& clsid = CLSID_SSymSwim);
  ~SSymSwim() override;
  // The session lets go of its objects: the separator goes first, so that
  // the lane and its separator do not keep each other alive.
  void ForgetSession() override;

  // The lane behind any face of it (no reference added), or null.
  static SSymSwim* FromInterface(IUnknown* unk) { return SRepFromInterface<SSymSwim>(unk, IID_SSymSwim); }

  int GetSymbolType() override { return TypeCode; }

  // ---- ISSwimlane
  ISSymbol* GetPoolSym() override;
  ISSymbol* GetColnSym() override { return m_pColnSym.Get(); }
  void AddSymInSwim(ISSymDiagram* diagram) override;
  int IsSymAttached(ISSymbol*) override { return 0; }
  void MoveAllAttachedSym() override {}
  void GetValidBord(int vertical, SSymRect& out) override;
  int IsInnerLane() override { return 0; }
  SString GetLaneText() override { return SString(); }
  SSymFont GetLaneFont() override { return m_font; }
  void SetMoving(int moving, int option) override {
    m_nMoving = moving;
    m_nMovingOption = option;
  }
  int IsPtInLane(const SSymPoint& pt) override;
  LONG GetParentCollectionId() override { return 0; }
  int RefusesChildObject(ISRepObject*) override { return 1; }

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override;
  HRESULT DrawHandles(SSymCanvas& canvas) override;
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  LONG GetHitReach() override { return DefaultHitReach; }
  HRESULT Show(int) override { return 0; }
  HRESULT NormalSize(int) override { return 0; }
  // A lane is not edited in place.
  HRESULT EditInPlace(SSymView*, const SSymPoint&) override { return 1; }
  using SSymSolidText::EditInPlace;
  // Runs once: 1 when the lane was initialised before.
  HRESULT InitialSym(ISSymbol* self) override;

  // ---- repository
  HRESULT Delete() override;
  void OnCollectionInsert(LONG id, ISRepObject* owner, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;

  // ---- thickness: the height of a stacked lane, the width of a lane side
  // by side; the pool grows or shrinks with it. 1 when nothing changed.
  HRESULT SetSize(const SRep_Point& size) override;
  HRESULT SetHeight(int height) override;
  HRESULT SetWidth(int width) override;

  int GetMoving() const { return m_nMoving; }
  int GetMovingOption() const { return m_nMovingOption; }

 protected:
  SSymSwim(const SSymSwim& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

  // Records the move for undo, merged into the open move record when it
  // carries the same offset.
  int CreateUndoMove(const SSymSize& offset) override;
  // Whether a holder of the lane up its owner chain is listed in a record.
  bool HolderListedIn(SSymActionBase& record);

  // The pool's orientation (1 without a pool) and the diagram's heading
  // height H.
  int PoolOrientation();
  LONG HeadingHeight();
  // The span along the lanes that the lane's holder gives its members
  // (normalised): the whole pool for a lane the pool holds, the group below
  // its heading band for a lane in a lane group. The lane's own heading
  // band begins at its start.
  SSymRect HolderSpan(ISSymbol* poolSym);

 private:
  // The thickness change along one axis (vertical: width).
  HRESULT SetThickness(LONG thickness, bool vertical);
  void ReleaseColn();

  SComWrap<ISSymbol> m_pColnSym;  // the separator, null until placed
  int m_nMoving = 0;              // non-zero: MoveBy does nothing
  int m_nMovingOption = 1;
  bool m_bDrawing = false;        // set while Draw runs: no drawing within it
};
