// SSymPredefined: a persistent text symbol that shows one shape of the
// predefined shape library. Its only own datum is the shape type; the
// outline, shadow, hit tests, link crossing and text margins all come from
// the shape the picture manager keeps for that type. A type without a shape
// stays a valid object that draws nothing and is never hit.
#pragma once

#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symsolidtext.h"

class SSymShape;

class SSymPredefined : public SSymSolidText {
  KV_SYM_DECLARE_POOL()

 public:
  explicit SSymPredefined(const SSymRect& rect) : SSymSolidText(rect, nullptr, CLSID_SSymPredefined) {}
  SSymPredefined(const SSymPredefined& source) = default;
  ~SSymPredefined() override = default;
  KV_SYM_CLASS_TABLES()

  // The repository's creation function of the class.
  static HRESULT CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source);

  int GetSymbolType() override { return m_nSymbolType; }
  virtual void SetSymbolType(int type) { m_nSymbolType = type; }

  HRESULT HasAttribute(LONG id) override;
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  LONG GetHitReach() override { return DefaultHitReach; }  // the shape's own test
  BOOL IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink* link, int a) override;
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  SSymRect GetMargin() override;

  int m_nSymbolType = 0;

 protected:
  explicit SSymPredefined(ISRepSession* session) : SSymSolidText(session, CLSID_SSymPredefined) {}
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

 private:
  SSymShape* Shape();
  SSymRect NormRect() const {
    SSymRect r = m_rect;
    r.Normalize();
    return r;
  }
  int Transparent() const { return (Flags & FlagTransparent) ? 1 : 0; }
};
