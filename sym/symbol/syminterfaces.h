// The symbol interfaces: what every symbol answers (ISSymbol and the faces
// on its chain), the face links attach to (ISSymLinkable), owners, links,
// the diagram, composites, groups, trees, ports and the smaller faces of
// pens, shadows, fonts, texts, point lists and adjusting symbols.
//
// Every interface derives from IUnknown and carries its identifier as the
// static member `iid`, so SComWrap<I> queries by it.
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
class SSymListPt;
class SPictureInfo;

struct ISSymbol;
struct ISSymOwner;
struct ISSymDiagram;
struct ISSymGroup;
struct ISSymLink;
struct ISSymLinkable;

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

// ---- the face links attach to ------------------------------------------------------------
struct ISSymLinkable : IUnknown {
  static constexpr IID iid = IID_ISSymLinkable;
  virtual int LinkableReserved(int a, int b, int c, int d) = 0;
  virtual HRESULT AttachLink(ISSymLink* link) = 0;
  virtual HRESULT DetachLink(ISSymLink* link) = 0;
  virtual BOOL IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink* link, int a) = 0;
  virtual BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) = 0;
  virtual const SComBag<ISSymLink>& GetLinks() = 0;
  virtual int LinkableReserved2() = 0;
  virtual BOOL GetDefAttachPt(ISSymLink* link, int end, SSymPoint& pt) = 0;
};

// ---- links (the lines subsystem implements it) -----------------------------------------------
struct ISSymLink : IUnknown {
  static constexpr IID iid = IID_ISSymLink;
  // The symbol attached at end 0 or 1 (counted), or null.
  virtual HRESULT GetAttachSym(int end, ISSymbol** out) = 0;
  virtual HRESULT GetAttachPoint(SSymPoint& pt, int end) = 0;
  virtual HRESULT SetAttachPoint(int end, const SSymPoint& pt, int redraw) = 0;
  virtual HRESULT AttachSym(int end, ISSymLinkable* linkable, const SSymPoint& pt) = 0;
  virtual HRESULT DetachSym(ISSymLinkable* linkable) = 0;
  // Detaches end 0 or 1 from its symbol.
  virtual HRESULT DetachEnd(int end) = 0;
  virtual HRESULT MoveLinkPt(ISSymLinkable* moved, const SSymSize& offset, int redraw) = 0;
  virtual HRESULT TransformLinkPt(ISSymLinkable* linkable, const SSymMatrix& matrix, int redraw) = 0;
  virtual HRESULT InverseLink() = 0;
  // Fills values (four integers: the arrow types of the ends 2, 4 and 8, then
  // the pen style; the caller presets them) with what the link's notation
  // prescribes and answers nonzero; 0 when it prescribes nothing or values is
  // null.
  virtual int GetNotationValue(int* values) = 0;
};

// ---- owners ------------------------------------------------------------------------------------
struct ISSymOwner : IUnknown {
  static constexpr IID iid = IID_ISSymOwner;
  virtual HRESULT Add(ISSymbol* symbol) = 0;
  virtual HRESULT Remove(ISSymbol* symbol) = 0;
  virtual BOOL Contains(ISSymbol* symbol, int deep) = 0;
  // The outermost owner; *out is left as the caller set it when there is none above.
  virtual HRESULT GetTopOwner(ISSymOwner** out) = 0;
  virtual HRESULT SymResize(ISSymbol* symbol) = 0;
  virtual HRESULT SymRedraw(ISSymbol* symbol) = 0;
  virtual HRESULT CreateChildrenSym(int flag) = 0;
};

// ---- the diagram (its subsystem implements it) ---------------------------------------------------
struct ISSymDiagram : IUnknown {
  static constexpr IID iid = IID_ISSymDiagram;
  virtual BOOL AdjustSymbolToText(ISSymbol* symbol, int a, int b) = 0;
  virtual SSymView* GetFirstView() = 0;
  virtual int GetViewCount() = 0;
  virtual SSymView* GetView(int index) = 0;
  virtual BOOL IsSymEditable(ISSymbol* symbol, ISRepObject* object) = 0;
  virtual HRESULT SnapToGrid(SSymRect& rect) = 0;
  virtual HRESULT Remove(ISSymbol* symbol) = 0;
  // The repository collection of the diagram's symbols (counted).
  virtual HRESULT GetSymbols(ISRepClassCol** out) = 0;
  // True when the diagram's control holder reports a change in its own context.
  virtual BOOL ChangeInContext() = 0;
};

// ---- composites, groups, trees (their subsystem implements them) -------------------------------------
struct ISSymCompSym : IUnknown {
  static constexpr IID iid = IID_ISSymCompSym;
  virtual HRESULT Add(ISSymbol* symbol) = 0;
  virtual BOOL Contains(ISSymbol* symbol, int deep) = 0;
  virtual HRESULT GetAllChildren(SComTable<ISSymbol>& out, int deep) = 0;
  virtual HRESULT CreateChildrenSym(int flag) = 0;
  // Told when a child moved or changed size.
  virtual HRESULT ChildChanged() = 0;
};

struct ISSymGroup : IUnknown {
  static constexpr IID iid = IID_ISSymGroup;
  virtual int GetCount() = 0;
  virtual HRESULT RecomputeClipRect(int redraw) = 0;
};

struct ISSymTree : IUnknown {
  static constexpr IID iid = IID_ISSymTree;
  virtual HRESULT Add(ISSymbol* symbol) = 0;
  virtual HRESULT RemoveChild(ISSymbol* symbol, int flag) = 0;
};

// ---- ports ------------------------------------------------------------------------------------
struct ISSymPort : IUnknown {
  static constexpr IID iid = IID_ISSymPort;
  virtual int GetDirection() = 0;
  // Supplied by the port class: its symbol (counted), the notice of a
  // direction change, and the placing of the port's centre.
  virtual HRESULT GetPortSymbol(ISSymbol** out) = 0;
  virtual void OnDirectionChanged(int previous) = 0;
  virtual SSymPoint PlaceCenter(const SSymPoint& center, const SSymRect& ownerRect) = 0;
  virtual void CopyDirection(ISSymbol* symbol) = 0;
  virtual SSymPoint ComputeNewCenter(const SSymPoint& pt, int recompute) = 0;
};

// ---- model objects and clones (the host implements them) -----------------------------------------
struct ISSymObject : IUnknown {
  static constexpr IID iid = IID_ISSymObject;
  // The model object shown (counted), or S_FALSE and null.
  virtual HRESULT GetModelObject(ISRepObject** out) = 0;
  // The identifying value of the model object (0 for none).
  virtual std::uintptr_t GetIdent() = 0;
};

struct ISSymClone : IUnknown {
  static constexpr IID iid = IID_ISSymClone;
  // True when displayed names carry the clone number.
  virtual BOOL IsCloneNumbering() = 0;
};

struct ISSymSubSym : IUnknown {
  static constexpr IID iid = IID_ISSymSubSym;
  virtual int SubSymFirst() = 0;
  virtual int SubSymSecond() = 0;
};

// ---- swimlanes ------------------------------------------------------------------------------------
struct ISSymInSwim : IUnknown {
  static constexpr IID iid = IID_ISSymInSwim;
  virtual void AfterMove() = 0;
};
struct ISSymSwimPool : IUnknown {
  static constexpr IID iid = IID_ISSymSwimPool;
  virtual int GetOrientation() = 0;
};
struct ISSwimlane : IUnknown {
  static constexpr IID iid = IID_ISSwimlane;
};

// ---- faces of formats and contents ------------------------------------------------------------------
// The outline pen.
struct ISSymPen : IUnknown {
  static constexpr IID iid = IID_ISSymPen;
  // A copy of the pen.
  virtual SSymPen GetPen() = 0;
  virtual HRESULT SetPen(const SSymPen& pen, int redraw) = 0;
  virtual int CanChangePenStyle() = 0;
};
// The shadow, and the drawing of the bare shape that casts it.
struct ISSymShadow : IUnknown {
  static constexpr IID iid = IID_ISSymShadow;
  virtual const SSymBrush& GetShadow() = 0;
  virtual HRESULT SetShadow(const SSymBrush& brush, int redraw) = 0;
  virtual SHORT GetShadowStyle() = 0;
  virtual HRESULT SetShadowStyle(SHORT style, int redraw) = 0;
  virtual int IsShadowsStyleSupported(SHORT style) = 0;
  // The bare shape with the pen and brush selected on the canvas.
  virtual HRESULT DrawSymbol(SSymCanvas& canvas) = 0;
  virtual HRESULT DrawShadow(SSymCanvas& canvas) = 0;
  virtual HRESULT DrawSymbolInRect(SSymCanvas& canvas, const SSymRect& rect) = 0;
  virtual HRESULT DrawShadowInRect(SSymCanvas& canvas, const SSymRect& rect) = 0;
};
// The fill brush and the background picture.
struct ISSymBrush : IUnknown {
  static constexpr IID iid = IID_ISSymBrush;
  virtual const SSymBrush& GetBrush() = 0;
  virtual HRESULT SetBrush(const SSymBrush& brush, int redraw) = 0;
  virtual int CanFill() = 0;
  // 1 while the symbol is filled, 0 when transparent.
  virtual int GetFillMode() = 0;
  // Non-zero makes the symbol transparent.
  virtual HRESULT SetFillMode(int transparent) = 0;
  virtual GUID GetBackgroundPictureID() = 0;
  virtual HRESULT SetBackgroundPictureID(const GUID& id) = 0;
  virtual SPictureInfo* GetBackgroundPicture() = 0;
  virtual BOOL SetBackgroundPicture(SPictureInfo* picture) = 0;
  virtual SString GetBackgroundPictureFile() = 0;
  virtual HRESULT SetBackgroundPictureFile(const SString& file) = 0;
};
// Adjusting the symbol to its text (over the brush face).
struct ISSymAdjust : ISSymBrush {
  static constexpr IID iid = IID_ISSymAdjust;
  virtual BOOL IsAdjusted() = 0;
  virtual HRESULT SetAdjust(bool adjusted, int redraw) = 0;
  // The same operation as ISSymbol's.
  virtual HRESULT AdjustText(SSymCanvas& canvas, int redraw, int record) = 0;
  virtual HRESULT AutoAdjustText(int a, int b) = 0;
};
// The keep flags, the custom picture or predefined shape that replaces the
// shape, and the custom text mode (over the adjust and brush faces). The
// custom text mode is GetCustomTextMode/SetCustomTextMode, apart from the
// text style of ISSymFont, which a text symbol answers as well.
struct ISSymCustomShape : ISSymAdjust {
  static constexpr IID iid = IID_ISSymCustomShape;
  virtual bool GetKeepAspect() = 0;
  virtual HRESULT SetKeepAspect(bool on) = 0;
  virtual bool GetKeepCenter() = 0;
  virtual HRESULT SetKeepCenter(bool on) = 0;
  virtual bool GetKeepSize() = 0;
  virtual HRESULT SetKeepSize(bool on) = 0;
  // The rectangle that fits the symbol's text; 0 when it moved the edges by
  // 40 units or less in total.
  virtual HRESULT GetAdjustRect(SSymCanvas& canvas, const SSymRect& rect, SSymRect& out) = 0;
  virtual LONG GetCustomPictureType() = 0;
  virtual HRESULT SetCustomPictureType(LONG type) = 0;
  virtual LONG GetCustomTextMode() = 0;
  virtual HRESULT SetCustomTextMode(LONG mode) = 0;
  virtual GUID GetCustomPictureID() = 0;
  virtual HRESULT SetCustomPictureID(const GUID& id) = 0;
  virtual SPictureInfo* GetCustomPicture() = 0;
  virtual HRESULT SetCustomPicture(SPictureInfo* picture) = 0;
  virtual SString GetCustomPictureFile() = 0;
  virtual HRESULT SetCustomPictureFile(const SString& file) = 0;
  virtual LONG GetCustomShapeType() = 0;
  virtual HRESULT SetCustomShapeType(LONG type) = 0;
  virtual int CustomShapeTest1() = 0;
  virtual int CustomShapeTest2() = 0;
};
// The font, font colour, font style and text style of a text.
struct ISSymFont : IUnknown {
  static constexpr IID iid = IID_ISSymFont;
  virtual const SSymFont& GetFont() = 0;
  virtual HRESULT SetFont(const SSymFont& font, int redraw) = 0;
  virtual SSymColor GetFontColor() = 0;
  virtual HRESULT SetFontColor(SSymColor color, int redraw) = 0;
  virtual LONG GetFontStyle() = 0;
  virtual HRESULT SetFontStyle(LONG style, int redraw) = 0;
  virtual LONG GetTextStyle() = 0;
  virtual HRESULT SetTextStyle(LONG style, int redraw) = 0;
};
// Named font entries (the text compartments of a symbol answer it).
struct ISSymFonts : IUnknown {
  static constexpr IID iid = IID_ISSymFonts;
  // When the entry's name equals name (case included; an empty name matches
  // only an empty name): replaces the whole entry by fonts, redraws when
  // redraw is non-zero, and answers 1. Otherwise 0.
  virtual int SetFont(const SString& name, const SSymFonts& fonts, int redraw) = 0;
};
// The text itself (over the font face).
struct ISSymText : ISSymFont {
  static constexpr IID iid = IID_ISSymText;
  virtual HRESULT GetText(SString& text) = 0;
  virtual HRESULT SetText(const SString& text, int redraw) = 0;
  // The same operation as ISSymbol's.
  virtual HRESULT Draw(SSymCanvas& canvas) = 0;
};
struct ISSymLine : IUnknown {
  static constexpr IID iid = IID_ISSymLine;
  virtual LONG GetLineStyle() = 0;
  virtual HRESULT SetLineStyle(LONG style, int redraw) = 0;
};
struct ISSymPolyline : IUnknown {
  static constexpr IID iid = IID_ISSymPolyline;
  virtual HRESULT GetListPt(SSymListPt& out) = 0;
  virtual HRESULT SetListPt(const SSymListPt& pts, int redraw, int flag) = 0;
  virtual LONG GetLineStyle() = 0;
  // The arrowhead type at an end (mask 1, 2, 4 or 8); 24 for none.
  virtual LONG GetArrow(int endMask) = 0;
  virtual HRESULT SetArrow(int endMask, LONG type, int redraw) = 0;
};
