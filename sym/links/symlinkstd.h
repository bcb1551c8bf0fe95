// SSymLinkStd: the link that carries labels. A link base joined with the
// line-text base: the centre, source and destination labels are the link's
// sub-objects. The labels take part in the link's rectangles, hit tests and
// drawing, follow every change of the route, of an end attachment, of an
// arrowhead and of a transform, and keep a displacement the user gave them
// as a persistent offset. Offsets and widths persist through the class
// description.
//
// The class-wide apply-custom-symbol flag is offered here to those who apply
// a custom symbol format (the format record of the symbol core sets the same
// flag, g_SymApplyCustomSymbol, for the length of its Execute); the link
// itself does not read it.
#pragma once

#include "sym/links/symlinetext.h"
#include "sym/links/symlinkbase.h"
#include "sym/subobjects/symsubs.h"

class SSymLinkStd : public SRepFaces<SSymLinkStd, SSymLinkBase, ISSymSubSink>, public SSymLineTextHelper {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  SSymLinkStd(ISSymLinkable* src, ISSymLinkable* dst, const SSymPoint& from, const SSymPoint& to, int arrowMask,
              int arrow, ISRepSession* session, const CLSID& clsid = CLSID_SSymLinkStd);
  SSymLinkStd(ISSymLinkable* src, ISSymLinkable* dst, const SSymListPt& pts, int arrowMask, int arrow,
              ISRepSession* session, const CLSID& clsid = CLSID_SSymLinkStd);
  ~SSymLinkStd() override;

  static void SetApplyCustomSymbol(int on) { g_SymApplyCustomSymbol = on; }
  static int IsApplyCustomSymbol() { return g_SymApplyCustomSymbol; }

  // ---- ISRepObject
  HRESULT HasAttribute(LONG id) override;
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override;
  // A position read back for a link that is neither laid out nor attached
  // yet is not applied: it was measured with the labels placed, and moving
  // the route by the difference would lose the stored points.
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  void OnUpdateAttribute(LONG id) override;

  // ---- ISSymbol
  HRESULT Redraw(SSymCanvas* canvas) override;
  SSymRect GetClipRect(int a, int b) override;
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  // E_POINTER for a null sub; 1 for a hidden or unattached link and for one
  // whose end is cut off by a composite owner; else 0, with the first label
  // hit (counted) in *sub when there is one.
  HRESULT IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  // ---- ISSymShadow
  HRESULT DrawSymbol(SSymCanvas& canvas) override;

  // ---- ISSymSubSink
  HRESULT OnSubSymResize(ISSymbol* sub, int redraw) override;
  HRESULT OnSubSymMove(ISSymbol* sub, int redraw) override;
  HRESULT RedrawSubSym(ISSymbol* sub) override;
  int IsSubSink() override { return 1; }

  // ---- ISSymLink
  HRESULT MoveLinkPt(ISSymLinkable* moved, const SSymSize& offset, int redraw) override;

  // ---- the link and poly bases
  using SSymLinkBase::SetListPt;
  HRESULT SetListPt(const SSymListPt& pts, int redraw, int a, int b) override;
  void RecomputePoints(int a, int b, int c, int d) override;
  void RecomputeClipRect(int a, int b) override;
  HRESULT SetSymArrow(int endMask, long type, int redraw) override;
  void DrawSubSymbol(SSymCanvas& canvas) override;
  void AttachSymbol(int end, ISSymLinkable* linkable) override;

  // ---- SSymLineTextHelper
  ISSymbol* GetISymbol() override { return Sym(); }

  // ---- own operations
  // The label of slot 0, 1 or 2 (no reference added); null for any other index.
  ISSymbol* GetSubSymbol(int index) const;
  // A drop of one of the link's own labels at point is possible when the
  // label would stand acceptably there; anything else may be dropped.
  BOOL IsDropPossible(ISSymbol* symbol, SSymPoint point) override;
  using SSymBase::IsDropPossible;


 protected:
  explicit SSymLinkStd(ISRepSession* session, const CLSID& clsid = CLSID_SSymLinkStd);
  SSymLinkStd(const SSymLinkStd& source);

  // True when the link must be neither drawn nor hit: a missing or hidden
  // end symbol, or an end cut off by a composite owner of its symbol.
  bool EndsCutOff();
};
