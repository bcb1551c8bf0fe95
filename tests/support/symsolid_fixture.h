// Test symbols over the pen, standard, blob and solid bases: each draws its
// bare shape as a rectangle of its own rectangle; a point-list variant and a
// composite solid; a fixture that also draws on recording and raster
// contexts.
#pragma once

#include <string>

#include "kvrep/srepsession.h"
#include "sym/diagram/symdisppref.h"
#include "sym/symbol/symsolid.h"
#include "sym/symbol/symstd.h"
#include "support/canvas_fixture.h"
#include "support/symtest.h"
#include "support/temp_files.h"

// A rectangle symbol (type 3) over the drawable base `Base`; made with a
// rectangle, or bare with an int.
template <class Base>
class TRectOf : public Base {
 public:
  explicit TRectOf(ISRepSession* s, SSymRect r = SSymRect(0, 3600, 4800, 0)) : Base(r, s) {}
  TRectOf(ISRepSession* s, int) : Base(s) {}
  int GetSymbolType() override { return 3; }
  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    canvas.Rectangle(this->m_rect);
    return S_OK;
  }
};
using TStd = TRectOf<SSymStd>;
using TSolid = TRectOf<SSymSolid>;

// A point-list symbol: its line is the rectangle's diagonal.
class TPolyStd : public SRepFaces<TPolyStd, TStd, ISSymPolyline> {
 public:
  explicit TPolyStd(ISRepSession* s) : SRepFaces(s) {}
  HRESULT GetListPt(SSymListPt&) override { return S_OK; }
  HRESULT SetListPt(const SSymListPt&, int, int) override { return S_OK; }
  LONG GetLineStyle() override { return 1; }
  LONG GetArrow(int) override { return 24; }
  HRESULT SetArrow(int, LONG, int) override { return S_OK; }
  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    canvas.Line(SSymPoint(m_rect.x1, m_rect.y1), SSymPoint(m_rect.x2, m_rect.y2));
    return S_OK;
  }
};

// A composite solid: its children are its Symbols collection.
class TSolidComp : public TCompOf<TSolidComp, TSolid> {
 public:
  using TCompOf::TCompOf;
};

// A blob symbol whose content is one 32-bit word.
class TBlob : public SSymBlob {
 public:
  explicit TBlob(ISRepSession* s) : SSymBlob(SSymRect(0, 3600, 4800, 0), s) {}
  HRESULT Draw(SSymCanvas&) override { return S_OK; }
  int GetSymbolType() override { return 12; }
  HRESULT OnGetBlobData(SOutputStream& out) override {
    SOutputBinaryStream bin(out);
    bin << m_word;
    return S_OK;
  }
  HRESULT OnSetBlobData(SInputStream& in) override {
    if (in.GetAvailable() < 4) return E_INVALIDARG;  // refuses a short blob
    SInputBinaryStream bin(in);
    bin >> m_word;
    return S_OK;
  }
  LONG m_word = 0;
};

class SolidFixture : public SymFixture {
 protected:
  // The calls a symbol's Draw makes on a recording context (96 dpi, 75 units a pixel).
  std::vector<std::string> Record(ISSymbol* symbol, HRESULT* result = nullptr) {
    RecordingDC rec;
    TestCanvas canvas;
    canvas.LockOn(rec.dc, {800, 600});
    const size_t before = rec.Log().size();
    const HRESULT hr = symbol->Draw(canvas);
    if (result) *result = hr;
    std::vector<std::string> calls(rec.Log().begin() + static_cast<long>(before), rec.Log().end());
    canvas.Unlock();
    return calls;
  }
  static int Count(const std::vector<std::string>& calls, const std::string& prefix) {
    int n = 0;
    for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
    return n;
  }
  static std::vector<std::string> Only(const std::vector<std::string>& calls, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& c : calls)
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }
  // The value of a property through the repository.
  LONG Attr(SRepObject* o, LONG id) {
    SRepVariant v;
    EXPECT_EQ(o->GetAttribute(id, &v), S_OK) << std::hex << id;
    return v.GetLONG();
  }
  HRESULT SetAttr(SRepObject* o, LONG id, LONG value, WORD type = SRepVT_LONG) {
    SRepVariant v;
    SRepToVariant(value, type, v);
    return o->SetAttribute(id, v);
  }
};
