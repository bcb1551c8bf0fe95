// The faces of links and of what links attach to: ISSymLinkable (every
// symbol a link can end on) and ISSymLink (the lines subsystem implements it).
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SSymCanvas;

struct ISSymbol;
struct ISSymLink;

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

// The link class's flag that tells it a format applies a custom symbol; the
// format record of the symbol core sets it for the length of its Execute.
extern int g_SymApplyCustomSymbol;
