// The label records of a line class (the offset and width of each of its
// three labels) as repository fields, for the classes that join the line-text
// base: Owner answers OffsetOf(index) and WidthOf(index).
#pragma once

#include "kvrep/sreppropmap.h"
#include "sym/foundation/symgeom.h"

template <class Owner>
struct SSymLabelFields {
  template <int I>
  static HRESULT GetOffset(SRepObject* o, SRepVariant& out) {
    auto* p = dynamic_cast<Owner*>(o);
    if (!p) return E_INVALIDARG;
    const SSymPoint v = p->OffsetOf(I);
    out.SetPOINT(SRep_Point{v.x, v.y});
    return S_OK;
  }
  template <int I>
  static HRESULT SetOffset(SRepObject* o, const SRepVariant& in) {
    auto* p = dynamic_cast<Owner*>(o);
    if (!p) return E_INVALIDARG;
    SRep_Point v{};
    const HRESULT hr = SRepFromVariant(in, v);
    if (FAILED(hr)) return hr;
    p->OffsetOf(I) = SSymPoint(v.x, v.y);
    return S_OK;
  }
  template <int I>
  static HRESULT GetWidth(SRepObject* o, SRepVariant& out) {
    auto* p = dynamic_cast<Owner*>(o);
    if (!p) return E_INVALIDARG;
    SRepToVariant(p->WidthOf(I), SRepVT_LONG, out);
    return S_OK;
  }
  template <int I>
  static HRESULT SetWidth(SRepObject* o, const SRepVariant& in) {
    auto* p = dynamic_cast<Owner*>(o);
    if (!p) return E_INVALIDARG;
    LONG v = 0;
    const HRESULT hr = SRepFromVariant(in, v);
    if (FAILED(hr)) return hr;
    p->WidthOf(I) = v;
    return S_OK;
  }
  template <int I>
  static constexpr SRepField offset{&GetOffset<I>, &SetOffset<I>};
  template <int I>
  static constexpr SRepField width{&GetWidth<I>, &SetWidth<I>};
};
