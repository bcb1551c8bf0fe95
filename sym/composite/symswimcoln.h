// SSymSwimColn: the straight line that marks an edge across a swimlane pool.
// Each lane (SSymSwim) owns one at its far edge, and the pool
// (SSymSwimLane) owns one along its start edge. The line belongs to its
// object symbol (the lane or the pool), always spans the pool, takes the
// pool's pen, and turns a drag by the user into a change of thickness: of
// the lane whose edge it marks (never thinner than MinThickness, never
// cutting into a composite lane's children), or of the pool's start edge
// together with its first lane.
//
// The object symbol is not counted: the lane or pool owns the line (a
// counted reference) and clears the line's pointer to itself before it
// goes (SetObjSym(nullptr)), so the two never keep each other alive.
#pragma once

#include "sym/links/sympolybase.h"
#include "sym/symbol/symintfplace.h"

inline constexpr IID IID_SSymSwimColn = MakeGUID("{4C0F8D2A-7B16-4E59-A3C2-1D9E6F0B7A31}");

class SSymSwimColn : public SRepFaces<SSymSwimColn, SSymPolyBase, SRepFaceSelf<IID_SSymSwimColn>> {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  static constexpr int TypeCode = 13;
  // The thinnest a lane gets by a drag of its line (counted inclusively:
  // a lane from y to y + MinThickness - 1 is MinThickness thick).
  static constexpr LONG MinThickness = 8000;

  ~SSymSwimColn() override;

  // The line behind any face of it (no reference added), or null.
  static SSymSwimColn* FromInterface(IUnknown* unk) { return SRepFromInterface<SSymSwimColn>(unk, IID_SSymSwimColn); }

  int GetSymbolType() override { return TypeCode; }

  // ---- the symbol the line belongs to
  // Replaces the object symbol (not counted; null clears it).
  void SetObjSym(ISSymbol* symbol) { m_pObjSym = symbol; }
  ISSymbol* GetObjSym() const { return m_pObjSym; }
  // The pool the line belongs to: the object symbol when it is a pool, else
  // the pool of the lane; null without one. No reference added.
  ISSymbol* GetSwimSym();

  // ---- ISSymbol
  // The object symbol's diagram; S_FALSE and null without an object symbol.
  HRESULT GetDiagram(ISSymDiagram** out) override;

  // ---- ISSymShadow: re-places the two points onto the object symbol's edge
  // across the pool, then draws them in the pool's pen.
  HRESULT DrawSymbol(SSymCanvas& canvas) override;

  // ---- point list: a drag of the line (two points) resizes the lane or the
  // pool's start edge; anything else goes to the point-list base.
  HRESULT SetListPt(const SSymListPt& pts, int redraw, int a, int b) override;
  using SSymPolyBase::SetListPt;

 protected:
  explicit SSymSwimColn(ISRepSession* session, const CLSID& clsid = CLSID_SSymSwimColn);
  SSymSwimColn(const SSymSwimColn& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

 private:
  // The drag of a lane's far edge, and of the pool's start edge.
  HRESULT DragLaneEdge(ISSymbol* pool, const SSymListPt& pts, int redraw);
  HRESULT DragPoolEdge(ISSymbol* pool, const SSymListPt& pts);

  ISSymbol* m_pObjSym = nullptr;  // not counted: the owner clears it
};
