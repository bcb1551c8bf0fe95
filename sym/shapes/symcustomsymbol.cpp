#include "sym/shapes/symcustomsymbol.h"

#include <memory>

#include "kvrep/srepsession.h"
#include "sym/foundation/symdate.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"

namespace {
using RepObj = SComWrap<ISRepObject, &IID_ISRepObject>;

// The model's custom-symbol object behind a symbol, or null.
SComWrap<ISSymCustomSymbol> CustomSymbolOf(ISSymbol* symbol) {
  SComWrap<ISSymObject> host(symbol);
  if (host.IsNull()) return {};
  SComOut<ISRepObject> custom;
  if (host->GetCustomSymbolObject(&custom) != S_OK || !custom) return {};
  return SComWrap<ISSymCustomSymbol>(custom.Get());
}

bool SameValues(const SSymFormat& a, const SSymFormat& b) {
  for (int i = 0; i < 3; ++i)
    if (a.m_arrows[i] != b.m_arrows[i]) return false;
  for (int i = 0; i < 5; ++i)
    if (a.m_margins[i] != b.m_margins[i]) return false;
  return a.m_pen == b.m_pen && a.m_lineStyle == b.m_lineStyle && a.m_fill == b.m_fill && a.m_brush == b.m_brush &&
         a.m_shadowColor == b.m_shadowColor && a.m_shadowStyle == b.m_shadowStyle && a.m_fonts == b.m_fonts &&
         a.m_textStyle == b.m_textStyle && a.m_textFlag == b.m_textFlag && a.m_size == b.m_size &&
         a.m_size2 == b.m_size2;
}
}  // namespace

bool SSymCustomSymbolHelper::IsSameFormat(const SSymFormatEx& a, const SSymFormatEx& b) {
  return (a.m_flags & 0x7FFF) == (b.m_flags & 0x7FFF) && a.m_option == b.m_option && SameValues(a, b);
}

ISSymDispPref* SSymCustomSymbolHelper::GetDispPref(SSymBase* symbol) {
  if (!symbol) return nullptr;
  SComOut<ISSymDiagram> diagram;
  if (symbol->Sym()->GetDiagram(&diagram) != S_OK || !diagram) return nullptr;
  return SSymGetDispPrefPtr(diagram.Get());
}

HRESULT SSymCustomSymbolHelper::GetCustomSymbolFormat(IUnknown* object, SSymFormat& out, SString* text,
                                                      SString* option) {
  if (!object) return E_POINTER;
  SComWrap<ISSymbol> symbol(object);
  if (symbol.IsNull()) return E_POINTER;
  SComWrap<ISSymCustomSymbol> custom = CustomSymbolOf(symbol.Get());
  if (custom.IsNull()) return S_FALSE;
  // Filled apart so that a failure leaves the caller's values alone.
  SSymFormat format(out);
  SString t, o;
  const HRESULT hr = custom->GetCustomFormat(symbol.Get(), format, text ? &t : nullptr, option ? &o : nullptr);
  if (hr != S_OK) return hr;
  out = format;
  if (text) *text = t;
  if (option) *option = o;
  return S_OK;
}

HRESULT SSymCustomSymbolHelper::GetDefaultSymbolFormat(IUnknown* object, SSymFormat& out) {
  if (!object) return S_FALSE;
  SComWrap<ISSymbol> symbol(object);
  SSymBase* base = symbol.IsNull() ? nullptr : SSymBase::FromInterface(symbol.Get());
  ISSymDispPref* prefs = GetDispPref(base);
  if (!prefs) return S_FALSE;
  CLSID clsid{};
  base->GetCLSID(&clsid);
  return prefs->GetClassSymbolFormat(clsid, out) ? S_OK : S_FALSE;
}

HRESULT SSymCustomSymbolHelper::GetSymbolFormat(IUnknown* object, SSymFormat& out) {
  if (GetCustomSymbolFormat(object, out) == S_OK) return S_OK;
  return GetDefaultSymbolFormat(object, out);
}

HRESULT SSymCustomSymbolHelper::RegisterCustomSymbol(IUnknown* object) {
  if (!object) return E_POINTER;
  SComWrap<IUnknown> hold(object);  // the object lives through the call
  SComWrap<ISSymbol> symbol(object);
  if (symbol.IsNull()) return S_FALSE;
  SComWrap<ISSymCustomSymbol> custom = CustomSymbolOf(symbol.Get());
  if (custom.IsNull()) return S_FALSE;
  return custom->RegisterSymbol(SComWrap<ISSymObject>(symbol).Get());
}

HRESULT SSymCustomSymbolHelper::OnChangeCustomFormat(IUnknown* object, const SSymFormatEx& format,
                                                     const SString* text) {
  if (!text) return E_POINTER;
  SSymFormatEx f(format);
  // The size is taken only when the format carries one.
  if (f.m_size.cx <= 0 || f.m_size.cy <= 0) f.m_flags &= ~static_cast<DWORD>(SSymFormatEx::FlagSize1);
  return Apply(object, f, text);
}

HRESULT SSymCustomSymbolHelper::OnChangeDefaultFormat(IUnknown* object) {
  SSymFormat def;
  if (GetDefaultSymbolFormat(object, def) != S_OK) return S_FALSE;
  SSymFormatEx f(def);
  // Every category but the size and the text style, with the marks applied.
  f.m_flags = (0x1FFFFu & ~0x880u) | SSymFormatEx::FlagApplyMarks;
  if (def.m_size.cx > 0 && def.m_size.cy > 0) f.m_flags |= SSymFormatEx::FlagSize1;
  return Apply(object, f, nullptr);
}

HRESULT SSymCustomSymbolHelper::Apply(IUnknown* object, const SSymFormatEx& f, const SString* text) {
  if (!object) return E_POINTER;
  SComWrap<ISSymbol> symbol(object);
  RepObj rep(object);
  if (symbol.IsNull() || rep.IsNull()) return S_FALSE;
  SSymFormatEx current;
  symbol->GetFormat(current);
  const bool sameText = [&] {
    if (!text || rep->HasAttribute(AttrCustomSymbolText) != S_OK) return true;
    SRepVariant v;
    return rep->GetAttribute(AttrCustomSymbolText, &v) == S_OK && v.GetSTRING() == *text;
  }();
  if (IsSameFormat(current, f) && sameText) return S_FALSE;

  // The record keeps what the symbol shows now, for the categories the new
  // format changes (a lockout context keeps the new format instead).
  SComOut<ISRepSession> session;
  rep->GetSession(&session);
  ISRepContext* ctx = nullptr;
  SComOut<ISRepContext> current_ctx;
  if (session && session->GetCurrentContext(&current_ctx) == S_OK && current_ctx) ctx = current_ctx.Get();
  else if (session) ctx = SRepGetApplyingContext(session.Get());
  if (ctx) {
    SSymFormatEx before(current);
    before.m_flags = f.m_flags;
    auto action = std::make_unique<SSymActionFormat>(ctx);
    action->AddSymbol(symbol.Get(), ctx->IsRecording() || SSymBase::g_bUpdAllInLockout ? before : f);
    action->m_bApplyCustomSymbol = 1;
    ctx->AddAction(std::move(action));
  }
  // The modification date of the model object (or of the object itself
  // when it shows none).
  SRepVariant now;
  now.SetDATE(SSymNowDate());
  SComWrap<ISSymObject> host(symbol);
  SComOut<ISRepObject> model;
  if (!host.IsNull() && host->GetModelObject(&model) == S_OK && model) model->SetAttribute(AttrModified, now);
  else rep->SetAttribute(AttrModified, now);

  if (!ctx || ctx->IsRecording() || SSymBase::g_bUpdAllInLockout) {
    symbol->Redraw(nullptr);
    g_SymApplyCustomSymbol = 1;
    symbol->SetFormat(f);
    g_SymApplyCustomSymbol = 0;
    if (f.m_flags & SSymFormatEx::FlagSize1) {
      SSymRect r = symbol->GetClipRect(0, 0);
      if (r.Width() != f.m_size.cx || r.Height() != f.m_size.cy) {
        SSymRect target = r;
        target.SetSize(f.m_size.cx, f.m_size.cy);
        if (SSymBase* base = SSymBase::FromInterface(symbol.Get())) base->TransformOnto(target, 1);
      }
    }
  }
  if (!sameText) {
    SRepVariant v;
    v.SetSTRING(*text);
    rep->SetAttribute(AttrCustomSymbolText, v);
  }
  symbol->Redraw(nullptr);
  return S_OK;
}
