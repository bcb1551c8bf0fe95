// SSymBase: the root of every repository-backed symbol. It keeps the
// rectangle, the flag word, the dates and the attached links, answers the
// symbol interfaces (ISSymbol and its chain, ISSymLinkable), defaults and
// writes its attributes, draws, hit-tests, moves, transforms, hides and
// protects, finds its owner, diagram and view, and hands every change to
// the undo records of the repository's open context.
//
// The class is abstract: a concrete symbol supplies Draw and GetSymbolType.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvrep/srepfaces.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symclassdesc.h"
#include "sym/symbol/syminterfaces.h"

// The class tables of a persistent symbol class: its property and
// attribute-editor maps (SymMap::cls) and its registry entry (SYMCLS_cls).
// KV_SYM_CLASS_TABLES goes into the class, KV_SYM_DEFINE_CLASS_TABLES(cls)
// into its source (with sym/foundation/sympropmap.h and symclassreg.h).
#define KV_SYM_CLASS_TABLES()                               \
  const SPropertyMap* GetPropertyMap() const override;     \
  const SAttrEditorMap* GetAttrEditorMap() const override; \
  SRepRegistry* GetRegistry() const override;              \
  static SRepRegistry* GetRegistry_();
#define KV_SYM_DEFINE_CLASS_TABLES(cls)                                                        \
  const SPropertyMap* cls::GetPropertyMap() const { return &SymMap::cls::propertyMap; }       \
  const SAttrEditorMap* cls::GetAttrEditorMap() const { return &SymMap::cls::attrEditorMap; } \
  SRepRegistry* cls::GetRegistry() const { return GetRegistry_(); }                           \
  SRepRegistry* cls::GetRegistry_() { return SSymGetRegistry_(SYMCLS_##cls); }

// The class identity that gives the implementing SSymBase of any face.
inline constexpr IID IID_SSymBase = MakeGUID("{91B00ED9-61F6-4216-B8BE-02C6959F0D0F}");

// Member ids of the repository that the base symbol uses; the ids of the
// library's own attributes (SymAttr::<name>) come from the class
// descriptions (symclassdesc.h).
namespace SymAttr {
inline constexpr LONG ModelSymbols = 0x04000087;  // repository collection tested by Delete
}  // namespace SymAttr

// ISSymbol and its chain (IUnknown too) are one face; ISSymLinkable is
// answered only while the symbol is linkable; FromInterface gives the
// SSymBase behind any face (no reference added), or null.
class SSymBase : public SRepFaces<SSymBase, SRepObjectMem, SRepFaceAs<IID_IUnknown, ISSymbol>, ISSymbol, ISSymbolInit,
                                  ISSymEditInPlace, ISSymTooltip, SRepFaceIf<ISSymLinkable>, SRepFaceSelf<IID_SSymBase>> {
 public:
  // Flags bits.
  enum : DWORD { FlagHidden = 0x1, FlagProtected = 0x2, FlagTransparent = 0x4, FlagFormatMask = 0x3F8 };
  // State word bits.
  enum : DWORD { StateInitialized = 0x1, StateNoRedraw = 0x4, StateKeepChildMoves = 0x10 };
  // Display flag bits.
  enum : DWORD {
    DispLinkable = 0x1,
    DispFullTransform = 0x2,
    DispFormatBit3 = 0x4,
    DispLockHandlesA = 0x40,
    DispLockHandlesB = 0x80
  };

  // While true, InLockoutContext answers 0 for every symbol and a rectangle
  // written during a lockout is stored directly.
  static bool g_bUpdAllInLockout;

  ~SSymBase() override;

  bool AnswersFace(SRepFaceTag<ISSymLinkable>) const { return (m_display & DispLinkable) != 0; }

  // ---- class description
  KV_SYM_CLASS_TABLES()

  // ---- attributes
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override;
  HRESULT HasAttribute(LONG id) override;
  void OnUpdateAttribute(LONG id) override;
  void OnCollectionInsert(LONG id, ISRepObject* owner, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;
  HRESULT Delete() override;

  virtual SString GetDispName();
  int GetIconIndex() const override;
  LONG InternalAutoFix(SStringTable& messages, int checkParents) override;
  SString GetName() { return GetDispName(); }
  SString GetCode() { return GetDispName(); }
  virtual void SetSessionModified();
  void SetTransparent(int transparent);
  HRESULT SetAttrRect(const SSymRect& rect) { return SetAttribute(SymAttr::ClipRect, RectValue(rect)); }
  // 1 while the symbol's changes go to a lockout context of its session.
  int InLockoutContext() const;
  int IsNewInLockout() const;

  // Typed accessors of the property map.
  SRep_Point GetPos();
  HRESULT SetPos(const SRep_Point& pos);
  SRep_Point GetSize();
  // The size setters are virtual: swimlane symbols keep their own rules,
  // and the property map reaches them through these.
  virtual HRESULT SetSize(const SRep_Point& size);
  int GetHeight() { return GetSize().y; }
  int GetWidth() { return GetSize().x; }
  virtual HRESULT SetHeight(int height);
  virtual HRESULT SetWidth(int width);
  bool GetHidden() { return IsHidden() != 0; }
  HRESULT SetHidden(bool hidden);
  bool GetProtected() { return IsProtected() != 0; }
  HRESULT SetProtected(bool protect);
  SRep_Point GetRelPos();
  HRESULT SetRelPos(const SRep_Point& pos);
  ISRepObject* GetDiagramObject();
  SSymView* GetView();
  SSymCanvasView* GetCanvasPtr();

  // ---- owner lookups
  HRESULT _GetOwner(void** out, REFIID iid);
  int _HasOwner();
  int HasLinkBetween(ISSymLinkable* other);
  // How far beyond its key in the diagram's spatial index (its rectangle
  // with everything it draws) a hit test on the symbol may answer, apart
  // from the zoom's pixels (handles) and line bridges. A class whose hit
  // test reaches further than that of the class it derives from (an
  // override of IsPtInSym) answers its own reach here too.
  static constexpr LONG DefaultHitReach = 1024;
  virtual LONG GetHitReach() { return DefaultHitReach; }
  // The form type that picks a predefined shape (by default the shape kind).
  virtual int GetSymbolFormType() { return GetShapeKind(); }
  // The kind of figure the symbol draws (by default its symbol type; the arc,
  // an open curve, answers the generic code 79).
  virtual int GetShapeKind() { return GetSymbolType(); }
  SSymRect GetClipRectWithBorder();
  // Transform (through the virtual operation) from the current rectangle onto
  // exactly `to`; attached links follow the matrix. Records use it so that
  // repeated undo and redo never drift by rounding.
  HRESULT TransformOnto(const SSymRect& to, int redraw);

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override = 0;
  int Needs2ndDraw(SSymCanvas&) override { return 0; }
  HRESULT DrawSecondPass(SSymCanvas&) override { return 1; }
  HRESULT DrawHandles(SSymCanvas& canvas) override;
  HRESULT DrawIfVisible(SSymCanvas& canvas, const SSymRect& rect, int* second) override;
  HRESULT Redraw(SSymCanvas* canvas) override;
  BOOL IsHidden() override;
  HRESULT Show(int show) override;
  SSymRect GetClipRect(int a, int b) override;
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  BOOL IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  HRESULT Clone(ISSymbol** out, int flag) override;
  HRESULT AdjustText(SSymCanvas&, int, int) override { return 0; }
  HRESULT NormalSize(int) override { return 0; }
  SSymSize GetNormalSize() override { return SSymSize(0, 0); }
  HRESULT GetOwner(ISSymOwner** out) override { return _GetOwner(reinterpret_cast<void**>(out), IID_ISSymOwner); }
  HRESULT GetDiagram(ISSymDiagram** out) override;
  HRESULT GetGroupOwner(ISSymGroup** out, int walk) override;
  BOOL IsProtected() override;
  HRESULT ProtectSymbol(int protect) override;
  HRESULT IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** out) override;
  BOOL IsSubObject() override { return FALSE; }
  HRESULT GetMainSymbol(ISSymbol** out) override;
  int GetSymbolType() override = 0;
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;
  HRESULT CopySymAttributes(ISSymbol* source, int copySize) override;
  BOOL IsDropPossible() override { return 1; }
  HRESULT GetRelatedObjectList(SRepListObject* list, ISRepObject* object, int a, SRepBagObject* bag, int b,
                               int mode) override;
  // ---- ISSymEditInPlace
  HRESULT EditInPlace(SSymView*) override { return 1; }
  HRESULT EditInPlace(SSymView*, const SSymPoint&) override { return 1; }
  HRESULT EditInPlace(SSymView*, LONG) override { return 1; }
  HRESULT IsEditableInPlace() override { return 1; }
  BOOL CanRename() override { return 0; }
  LONG GetDispidToEdit(ISRepObject*, LONG id) override { return id; }
  // ---- ISSymbolInit
  HRESULT InitialSymRect(const SSymRect& rect) override;
  HRESULT InitialSym(ISSymbol* self) override;
  BOOL IsSymInitialized() override { return (m_state & StateInitialized) != 0; }
  void InitReserved() override {}
  // ---- ISSymTooltip
  HRESULT GetTooltip(SString&) override { return 0; }
  HRESULT DrawSecondPassIfVisible(SSymCanvas& canvas, const SSymRect& rect) override;

  // ---- ISSymLinkable
  int LinkableReserved(int, int, int, int) override { return 1; }
  HRESULT AttachLink(ISSymLink* link) override;
  HRESULT DetachLink(ISSymLink* link) override;
  BOOL IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink* link, int a) override;
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  const SComBag<ISSymLink>& GetLinks() override { return m_links; }
  int LinkableReserved2() override { return 0; }
  BOOL GetDefAttachPt(ISSymLink* link, int end, SSymPoint& pt) override;
  // The ISSymbol face of this symbol (no reference added).
  ISSymbol* Sym() { return static_cast<ISSymTooltip*>(this); }
  ISSymLinkable* Linkable() { return static_cast<ISSymLinkable*>(this); }
  ISRepObject* Obj() { return static_cast<ISRepObjectBase*>(this); }

  // ---- members (the persistent ones are reached through the property map)
  // Most symbols have a few links: a small first table (the bag's usual 50
  // slots were most of a box's memory in a large diagram).
  SComBag<ISSymLink> m_links{4, 4};
  SSymRect m_rect;
  SComWrap<ISSymOwner> m_owner;
  DWORD Flags = 0;
  LONG CDAT = 0;
  LONG MDAT = 0;
  DWORD m_state = 0;
  DWORD m_display = DispLinkable;

  const SSymRect* m_pExactTarget = nullptr;  // set while TransformOnto runs

  static SRepVariant RectValue(const SSymRect& r);
  static SSymRect RectOf(const SRepVariant& v);
  // Every change of m_rect goes here: it stores the rectangle and tells the
  // rectangle observers (sym/symbol/symrectnotify.h) when it changed.
  void PutRect(const SSymRect& to);

 protected:
  // The creation function adds the reference it hands out; clsid is the
  // concrete class's identifier.
  SSymBase(const SSymRect& rect, ISRepSession* session, const CLSID& clsid = CLSID_SSymBase);
  explicit SSymBase(ISRepSession* session, const CLSID& clsid = CLSID_SSymBase);
  SSymBase(const SSymBase& source);

  virtual int CreateUndoMove(const SSymSize& offset);
  virtual int CreateUndoSizeInfo(const SSymRect& newRect, int force);
  virtual int SaveShowAction(int show);
  virtual int GetCompDefAttachPt(SSymPoint& pt, ISSymbol* symbol, int* moved);
  // The class's copy hook of CopySymAttributes; 1 in the base family.
  virtual int OnCopySymAttributes(ISSymbol*) { return 1; }

  // The session's current context (not counted), or null.
  ISRepContext* OpenContext() const { return GetCurrentContext(); }
  void StampModified();
  // Asks the composite owner to grow around this child (its UpdateRect).
  void NotifyCompositeOwner();
  // Invalidates the symbol's active rectangle on a view canvas.
  void InvalidateOn(SSymCanvas& canvas);
  // The shape test of GetDefAttachPt on a rectangle.
  bool AcceptsPoint(const SSymPoint& pt, const SSymRect& rect);
};

// ---- functions over the owner tree ------------------------------------------------------------
// The nearest owner that holds both symbols (not the diagram), or null. No reference added.
ISSymOwner* SGetCommonOwnerSym(ISSymbol* a, ISSymbol* b);
int SSymIsEditable(ISSymbol* symbol, ISRepObject* object, ISSymDiagram* diagram);
// The outermost non-editable composite that hides symbol (from other when
// given), or null. No reference added.
ISSymbol* SSymGetPrntCompHideChild(ISSymbol* symbol, ISSymbol* other);
void SSymGetDefAttachPtInComp(ISSymCompSym* composite);
// The object as a symbol, without a reference, or null.
ISSymbol* PostOleInCast(ISRepObject* object);
// The repository object of a symbol (resolved through sub-objects and
// owners), not counted, or null.
ISRepObject* SSymGetRepObject(ISSymbol* symbol);
// What every owner does before it takes a symbol, so that a symbol has one
// owner at a time: takes the symbol from any other owner that holds it
// (through that owner's Remove). E_POINTER for a null symbol; E_INVALIDARG
// when another owner (than `owner`, the taking owner's repository object)
// still holds it, for one that does not let it go; S_OK otherwise.
HRESULT SSymTakeFromOtherOwners(ISSymbol* symbol, ISRepObject* owner);
// Owners nest at most SSymMaxNesting levels deep (a group in a group in a
// group ...): drawing, formats, moves and the walks over members recurse
// once per level, and the walks up a chain of owners stop at a fixed bound,
// so a deeper nest would overflow the stack or lose its diagram. Every owner
// refuses, with E_INVALIDARG and nothing changed, a symbol whose own nest
// would then pass the limit; SSymCheckNesting tells (owner: the taking owner
// as a symbol, null for the diagram; extra: levels put in between, such as a
// new group around the symbol). A nest deeper than the limit (an old
// file) still draws, formats, keeps its bounds, copies, saves and deletes:
// those walks go through the nest with lists of their own instead of the
// stack; walks that still recurse stop at the guard of symdepth.h.
constexpr int SSymMaxNesting = 128;
// While one lives (on this thread), GetDiagramObject remembers the diagram
// it found for every symbol on the way up, so that an operation over each
// level of a deep nest (deleting it, formatting it) climbs the nest once
// instead of once per level. Only for operations that move no symbol to
// another owner while it lives; scopes nest, the outermost one remembers.
class SSymDiagramLookupScope {
 public:
  SSymDiagramLookupScope();
  ~SSymDiagramLookupScope();
  SSymDiagramLookupScope(const SSymDiagramLookupScope&) = delete;
  SSymDiagramLookupScope& operator=(const SSymDiagramLookupScope&) = delete;

 private:
  bool m_outermost;
};
HRESULT SSymCheckNesting(ISSymbol* symbol, ISSymbol* owner, int extra = 0);
