// SSymLinkBase: a point-list symbol whose first point is attached to a source
// symbol and whose last point to a destination symbol. The two end
// collections of the link object are the stored truth; the in-memory end
// references are rebuilt from them by the collection events. Attaching an end
// is undoable and, in a lockout context, deferred: questions about the ends
// are then answered from the pending records. The route follows the end
// symbols when they move or are transformed.
#pragma once

#include <map>

#include "sym/links/sympolybase.h"
#include "sym/symbol/symintflink.h"

// The attach-point mode of links whose end symbol is transformed (0..6): read
// once from the user's tool options; tests may set it. Negative: not read yet.
extern int g_nLinkAttachPointMode;
int SSymGetLinkAttachPointMode();
// While set (the normal case), drawing a link first puts end points that left
// their symbol back on it; cleared only while a link is redrawn clipped over
// a symbol, whose end points must not change then.
extern bool g_bCheckLinkEndsOnDraw;

// Maps originals to their copies while a set of objects is duplicated.
using SSymObjectMap = std::map<ISRepObject*, ISRepObject*>;

class SSymLinkBase : public SRepFaces<SSymLinkBase, SSymPolyBase, ISSymLink> {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  // Duplicate flags that copy the end symbols with the link.
  static constexpr DWORD DupWithEnds = 0x5;
  // Two ends nearer than this (|dx| + |dy|) count as the same place.
  static constexpr LONG NearDistance = 75;

  SSymLinkBase(ISSymLinkable* src, ISSymLinkable* dst, const SSymListPt& pts, int arrowMask, int arrow,
               ISRepSession* session, const CLSID& clsid = CLSID_SSymLinkBase);
  ~SSymLinkBase() override;

  int GetSymbolType() override { return 8; }
  bool IsLink() override { return true; }
  bool ShowsBridges() override;

  // ---- ISSymLink
  HRESULT GetAttachSym(int end, ISSymbol** out) override;
  HRESULT GetAttachPoint(SSymPoint& pt, int end) override;
  HRESULT SetAttachPoint(int end, const SSymPoint& pt, int redraw) override;
  HRESULT AttachSym(int end, ISSymLinkable* linkable, const SSymPoint& pt) override;
  // An end symbol that goes away takes the link with it.
  HRESULT DetachSym(ISSymLinkable* linkable) override;
  HRESULT DetachEnd(int end) override;
  HRESULT MoveLinkPt(ISSymLinkable* moved, const SSymSize& offset, int redraw) override;
  HRESULT TransformLinkPt(ISSymLinkable* linkable, const SSymMatrix& matrix, int redraw) override;
  HRESULT InverseLink() override;
  int GetNotationValue(int* values) override;

  int CanAttachSym(ISSymLinkable* src, ISSymLinkable* dst) { return src && dst ? 1 : 0; }
  // Moves every end attached to linkable.
  HRESULT SetAttachPoint(ISSymLinkable* linkable, const SSymPoint& pt, int redraw);
  // The end symbols as repository objects (not counted), or null.
  ISRepObject* GetSrc() { return GetEndObject(0); }
  ISRepObject* GetDst() { return GetEndObject(1); }
  HRESULT SetSrc(ISRepObject* obj) { return SetEndObject(0, obj); }
  HRESULT SetDst(ISRepObject* obj) { return SetEndObject(1, obj); }
  // 1 when a and b are one symbol or one contains the other; the flag is 1
  // when b is the container.
  static int IsSelfLink(ISSymbol* a, ISSymbol* b, int* destinationIsContainer);
  virtual int IsEndPointFixed(int) { return 0; }
  // E_FAIL with "Invalid link symbol extremity" for an end that is not linkable.
  HRESULT CanSetAttribute(LONG id, const SRepVariant& value, SString* message);
  // A copy of the link; with DupWithEnds the end symbols are copied too (or
  // taken from map when it holds them).
  HRESULT Duplicate(ISRepObject** out, ISRepSession* session, DWORD flags, SSymObjectMap* map);
  using SRepFaces::Duplicate;  // the repository's plain copy stays callable

  // ---- repository
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT HasAttribute(LONG id) override;
  void OnCollectionInsert(LONG id, ISRepObject* other, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;
  HRESULT Delete() override;

  // ---- ISSymbol and the poly base
  HRESULT Show(int show) override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  using SSymPolyBase::SetListPt;
  HRESULT SetListPt(const SSymListPt& pts, int redraw, int a, int b) override;
  void RecomputePoints(int a, int b, int c, int d) override;
  void UpdateListPt() override;
  HRESULT DrawSymbol(SSymCanvas& canvas) override;

  // Redraws the part of link that lies over symbol, for a composite drawing
  // its children over the link: clipped to the symbol, or, for one of the
  // link's own ends, to the piece of the route from that end (the source
  // when fromSource is 1) up to where it leaves the symbol. S_FALSE when
  // nothing is drawn (no ends, no route, a symbol neither linkable nor a
  // swimlane); E_POINTER for a null link or symbol.
  static HRESULT DrawOverSymbol(ISSymbol* link, SSymCanvas& canvas, int fromSource, ISSymbol* symbol);
  // The rectangle DrawOverSymbol clips to; false when nothing is drawn.
  bool GetOverSymbolClip(int fromSource, ISSymbol* symbol, SSymRect& clip);
  // Moves link under the nearest common owner of its two ends (a composite,
  // or the diagram); 1 when it was moved. Nothing in a lockout context, for
  // a link without ends or owner, or when the ends share a swimlane pool;
  // 0 when the new owner refuses the link (which then stays where it was).
  static int MoveUnderExpectedSymbolParent(ISSymbol* link);
  // The label or sub-symbol drawn over the link (none here).
  virtual void DrawSubSymbol(SSymCanvas&) {}

  SComWrap<ISSymLinkable> m_linkable[2];
  SComWrap<ISSymbol> m_endSymbol[2];

 protected:
  explicit SSymLinkBase(ISRepSession* session, const CLSID& clsid = CLSID_SSymLinkBase);
  SSymLinkBase(const SSymLinkBase& source);

  // In-memory attach and detach of one end (from the collection events).
  virtual void AttachSymbol(int end, ISSymLinkable* linkable);
  void DetachSymbol(int end);
  // Sets the end collection to obj (null empties it); 1 when inserted.
  int AddSymCollection(ISRepObject* obj, LONG collectionId);
  void DefineEndCollections();
  ISRepObject* GetEndObject(int end);
  HRESULT SetEndObject(int end, ISRepObject* obj);
  void SetPtSym(int end, SSymPoint pt);
  SSymPoint& EndPoint(int end) { return ListPt[end == 0 ? 0 : ListPt.GetCount() - 1]; }
  // The linkable of an end, from the pending records in a lockout context.
  SComWrap<ISSymLinkable> EndLinkable(int end);
};
