// The symbol's own faces: ISSymbol and the faces on its chain (in-place
// editing, initialisation, tooltips), and the verb face of symbols.
//
// Every interface of the symbol core derives from IUnknown and carries its
// identifier as the static member `iid`, so SComWrap<I> queries by it.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sstring.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symformat.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SSymCanvas;
class SSymCanvasView;
class SSymView;

struct ISSymOwner;
struct MSG;
struct ISSymDiagram;
struct ISSymGroup;

// The repository's lists and sets of object references (kvrep/srepobject.h).
class SRepListObject;
class SRepBagObject;

// ---- the symbol ---------------------------------------------------------------------
struct ISSymbol : IUnknown {
  static constexpr IID iid = IID_ISSymbol;
  virtual HRESULT Draw(SSymCanvas& canvas) = 0;
  virtual int Needs2ndDraw(SSymCanvas& canvas) = 0;
  virtual HRESULT DrawSecondPass(SSymCanvas& canvas) = 0;
  virtual HRESULT DrawHandles(SSymCanvas& canvas) = 0;
  // second (may be null) receives Needs2ndDraw when the symbol was drawn, else 0.
  virtual HRESULT DrawIfVisible(SSymCanvas& canvas, const SSymRect& rect, int* second) = 0;
  virtual HRESULT Redraw(SSymCanvas* canvas) = 0;
  virtual BOOL IsHidden() = 0;
  virtual HRESULT Show(int show) = 0;
  virtual SSymRect GetClipRect(int a, int b) = 0;
  virtual SSymRect GetActiveRect(SSymCanvas& canvas, int a) = 0;
  virtual HRESULT MoveBy(const SSymSize& offset, int redraw) = 0;
  // E_INVALIDARG, with nothing changed, for a matrix with a NaN or infinite entry.
  virtual HRESULT Transform(const SSymMatrix& matrix, int redraw) = 0;
  virtual BOOL IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) = 0;
  virtual BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) = 0;
  // The symbol's clone (counted, for the caller). E_POINTER for a null out.
  virtual HRESULT Clone(ISSymbol** out, int flag) = 0;
  virtual HRESULT AdjustText(SSymCanvas& canvas, int a, int b) = 0;
  virtual HRESULT NormalSize(int a) = 0;
  virtual SSymSize GetNormalSize() = 0;
  virtual HRESULT GetOwner(ISSymOwner** out) = 0;
  virtual HRESULT GetDiagram(ISSymDiagram** out) = 0;
  virtual HRESULT GetGroupOwner(ISSymGroup** out, int walk) = 0;
  virtual BOOL IsProtected() = 0;
  virtual HRESULT ProtectSymbol(int protect) = 0;
  virtual HRESULT IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** out) = 0;
  // Sub-objects (text compartments) answer true and name the symbol they belong to.
  virtual BOOL IsSubObject() = 0;
  virtual HRESULT GetMainSymbol(ISSymbol** out) = 0;
  // The symbol whose tree this symbol is a child of (not counted). The
  // library's own symbols answer null; a host's tree node classes answer
  // their tree parent, so that a move puts their siblings in order.
  virtual ISSymbol* GetTreeParentSym() { return nullptr; }
  virtual int GetSymbolType() = 0;
  virtual HRESULT GetFormat(SSymFormatEx& format) = 0;
  virtual HRESULT SetFormat(const SSymFormatEx& format) = 0;
  virtual HRESULT CopySymAttributes(ISSymbol* source, int copySize) = 0;
  virtual BOOL IsDropPossible() = 0;
  virtual HRESULT GetRelatedObjectList(SRepListObject* list, ISRepObject* object, int a, SRepBagObject* bag, int b,
                                       int mode) = 0;
};

struct ISSymEditInPlace : ISSymbol {
  static constexpr IID iid = IID_ISSymEditInPlace;
  virtual HRESULT EditInPlace(SSymView* view) = 0;
  virtual HRESULT EditInPlace(SSymView* view, const SSymPoint& pt) = 0;
  virtual HRESULT EditInPlace(SSymView* view, LONG id) = 0;
  virtual HRESULT IsEditableInPlace() = 0;
  virtual BOOL CanRename() = 0;
  virtual LONG GetDispidToEdit(ISRepObject* object, LONG id) = 0;
};

struct ISSymbolInit : ISSymEditInPlace {
  static constexpr IID iid = IID_ISSymbolInit;
  virtual HRESULT InitialSymRect(const SSymRect& rect) = 0;
  virtual HRESULT InitialSym(ISSymbol* self) = 0;
  virtual BOOL IsSymInitialized() = 0;
  virtual void InitReserved() = 0;
};

struct ISSymTooltip : ISSymbolInit {
  static constexpr IID iid = IID_ISSymTooltip;
  virtual HRESULT GetTooltip(SString& text) = 0;
  virtual HRESULT DrawSecondPassIfVisible(SSymCanvas& canvas, const SSymRect& rect) = 0;
};

// ---- verbs ---------------------------------------------------------------------------------------
struct ISVerbSource : IUnknown {
  static constexpr IID iid = IID_ISVerbSource;
  // Runs a verb: the message that asked for it (may be null), the window it
  // acts in and the rectangle in that window (null: the symbol's own).
  virtual HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) = 0;
  // The number of verbs the symbol offers.
  virtual LONG EnumVerbs() = 0;
};
