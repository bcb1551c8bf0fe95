// A text box symbol for the fuzz targets that load objects: the library's
// text symbol (every attribute of its property map) under a class of its
// own that the repository can create.
#pragma once

#include "kvrep/srepregistry.h"
#include "kvrep/srepsession.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symsolidtext.h"

inline constexpr CLSID CLSID_FuzzBox = MakeGUID("{F0220001-0000-4000-8000-00000000F022}");

class FuzzBox : public SSymSolidText {
 public:
  explicit FuzzBox(ISRepSession* s) : SSymSolidText(SSymRect(0, 3600, 4800, 0), s, CLSID_FuzzBox) {}
  FuzzBox(const FuzzBox& o) : SSymSolidText(o) {}
  int GetSymbolType() override { return 3; }
  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    canvas.Rectangle(m_rect);
    DrawTextW(canvas);
    return S_OK;
  }

  static HRESULT Create(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
    if (!out) return E_POINTER;
    auto* copyOf = source ? dynamic_cast<FuzzBox*>(SRepObject::FromInterface(source)) : nullptr;
    if (source && !copyOf) return E_INVALIDARG;
    FuzzBox* box = copyOf ? new FuzzBox(*copyOf) : new FuzzBox(session);
    box->AddRef();
    if (session) box->SetSession(session);
    *out = box;
    return S_OK;
  }
};

// Registers the class once, for the life of the process.
inline void RegisterFuzzBox() {
  static SRepRegistry entry(
      CLSID_FuzzBox, 1, 0,
      [](const GUID& g) {
        return g == CLSID_FuzzBox || g == CLSID_SSymSolidText || g == CLSID_SSymSolid || g == CLSID_SSymStd ||
               g == CLSID_SSymBasePen || g == CLSID_SSymBase || g == CLSID_SRepObject;
      },
      [](const GUID& clsid, SRegClassFunctions* out) -> HRESULT {
        if (!out) return E_POINTER;
        *out = SRegClassFunctions{};
        if (clsid != CLSID_FuzzBox) return REGDB_E_CLASSNOTREG;
        out->create = &FuzzBox::Create;
        return S_OK;
      });
}
