// The drawable bases between SSymBase and the concrete symbols:
//   - SSymBasePen: a symbol with an outline pen (ISSymPen);
//   - SSymStd: a pen symbol with a shadow (ISSymShadow) and the standard
//     drawing sequence: the shadow first, then the shape, a custom picture
//     taking the place of the shape;
//   - SSymBlob: a symbol whose content is a binary blob that the concrete
//     class writes and reads through a stream.
// None of them is created by itself; each is a persistent class with its
// own class identifier, property map and registry entry.
#pragma once

#include "kvcore/sblob.h"
#include "kvcore/sstream.h"
#include "sym/foundation/symformat.h"
#include "sym/foundation/symvalues.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"

// Line width list (index) <-> pen width in diagram units.
LONG SSymLineWidthToPen(SHORT index);
SHORT SSymPenToLineWidth(LONG width);
// True for a pen style word the pen-style property accepts: nothing set
// outside the low four bits and bits 8 to 15, and a bare style (no flag bits
// 8 to 15) of at most 7.
bool SSymIsValidPenStyle(LONG style);

// The keep flags in a symbol's display flags: keep-aspect bit 3, keep-centre
// bits 4 and 5, keep-size bits 6 and 7 (a group reads true only when all its
// bits are set; setting sets or clears the whole group).
namespace SSymKeep {
inline constexpr DWORD Aspect = 0x8;
inline constexpr DWORD Center = 0x30;
inline constexpr DWORD Size = 0xC0;
inline bool Get(DWORD display, DWORD group) { return (display & group) == group; }
inline void Set(DWORD& display, DWORD group, bool on) {
  if (on) display |= group;
  else display &= ~group;
}
// Set, answering S_OK: the keep-flag setters of the faces.
inline HRESULT Put(DWORD& display, DWORD group, bool on) {
  Set(display, group, on);
  return S_OK;
}
}  // namespace SSymKeep

// The keep flags in a format: margins 0 to 2 (aspect, centre, size) under the
// flags FlagMargin1 to FlagMargin3. `sym` is any symbol with the keep-flag
// accessors.
template <class T>
void SSymKeepToFormat(T& sym, SSymFormatEx& format) {
  format.m_flags |= SSymFormatEx::FlagMargin1 | SSymFormatEx::FlagMargin2 | SSymFormatEx::FlagMargin3;
  format.m_margins[0] = sym.GetKeepAspect() ? 1 : 0;
  format.m_margins[1] = sym.GetKeepCenter() ? 1 : 0;
  format.m_margins[2] = sym.GetKeepSize() ? 1 : 0;
}
// Sets every keep flag that the format carries and that differs; answers the
// groups changed (SSymKeep::Aspect, Center, Size or'ed).
template <class T>
DWORD SSymKeepFromFormat(T& sym, const SSymFormatEx& format) {
  DWORD changed = 0;
  if ((format.m_flags & SSymFormatEx::FlagMargin1) && (format.m_margins[0] != 0) != sym.GetKeepAspect()) {
    sym.SetKeepAspect(format.m_margins[0] != 0);
    changed |= SSymKeep::Aspect;
  }
  if ((format.m_flags & SSymFormatEx::FlagMargin2) && (format.m_margins[1] != 0) != sym.GetKeepCenter()) {
    sym.SetKeepCenter(format.m_margins[1] != 0);
    changed |= SSymKeep::Center;
  }
  if ((format.m_flags & SSymFormatEx::FlagMargin3) && (format.m_margins[2] != 0) != sym.GetKeepSize()) {
    sym.SetKeepSize(format.m_margins[2] != 0);
    changed |= SSymKeep::Size;
  }
  return changed;
}

// ---- SSymBasePen --------------------------------------------------------------------------
class SSymBasePen : public SRepFaces<SSymBasePen, SSymBase, ISSymPen> {
 public:
  KV_SYM_CLASS_TABLES()

  LONG GetPenWidth() { return m_pen.m_width; }
  // The low 16 bits of the pen style word.
  LONG GetPenStyle() { return static_cast<SHORT>(m_pen.m_style & 0xFFFF); }

  // ---- ISSymPen
  SSymPen GetPen() override { return m_pen; }
  HRESULT SetPen(const SSymPen& pen, int redraw) override;
  int CanChangePenStyle() override { return 1; }

  // ---- properties (record their own undo; 1 for an unchanged value)
  virtual LONG GetLineColor() { return static_cast<LONG>(m_pen.m_color.GetColor()); }
  virtual HRESULT SetLineColor(LONG color);
  virtual HRESULT SetPenStyle(SHORT style);
  virtual SHORT GetLineWidth() { return SSymPenToLineWidth(m_pen.m_width); }
  virtual HRESULT SetLineWidth(SHORT index);

  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;

  SSymPen m_pen{1, 0, SSymColor(0)};

 protected:
  SSymBasePen(const SSymRect& rect, ISRepSession* session, const CLSID& clsid = CLSID_SSymBasePen);
  explicit SSymBasePen(ISRepSession* session, const CLSID& clsid = CLSID_SSymBasePen);
  SSymBasePen(const SSymBasePen& source);

  // The recording part of the property setters: in the session's open
  // context (when the symbol was not created in it) a format record of the
  // one format flag `flag` is added; the new value is put into the recorded
  // format by `apply` when the context is not recording. Answers true when
  // the value must not be stored now (the symbol's changes are pending).
  template <class F>
  bool RecordFormatChange(DWORD flag, F apply);
  // The session's context that setters record in, when the symbol was not
  // created in it (not counted), or null.
  ISRepContext* SetterContext();
};

template <class F>
inline bool SSymBasePen::RecordFormatChange(DWORD flag, F apply) {
  ISRepContext* ctx = SetterContext();
  if (!ctx) return false;
  SSymFormatEx format;
  Sym()->GetFormat(format);
  format.m_flags = flag;
  if (!ctx->IsRecording()) apply(format);
  auto action = std::make_unique<SSymActionFormat>(ctx);
  action->AddSymbol(Sym(), format);
  ctx->AddAction(std::move(action));
  return InLockoutContext() != 0;
}

// ---- SSymStd ------------------------------------------------------------------------------
class SSymStd : public SRepFaces<SSymStd, SSymBasePen, ISSymShadow> {
 public:
  KV_SYM_CLASS_TABLES()

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override;
  SSymRect GetClipRect(int withShadow, int b) override;
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;
  int GetSymbolFormType() override;
  // ---- ISSymPen
  HRESULT SetPen(const SSymPen& pen, int redraw) override;

  // ---- ISSymShadow
  SHORT GetShadowStyle() override { return m_shadowStyle; }
  HRESULT SetShadowStyle(SHORT style, int redraw) override;
  const SSymBrush& GetShadow() override { return m_shadowBrush; }
  HRESULT SetShadow(const SSymBrush& brush, int redraw) override;
  int IsShadowsStyleSupported(SHORT) override { return 1; }
  HRESULT DrawSymbol(SSymCanvas&) override { return S_OK; }
  HRESULT DrawShadow(SSymCanvas& canvas) override { return DrawSymbol(canvas); }
  HRESULT DrawSymbolInRect(SSymCanvas& canvas, const SSymRect& rect) override;
  HRESULT DrawShadowInRect(SSymCanvas& canvas, const SSymRect& rect) override;

  // ---- own operations
  virtual void DrawSymbolShape(SSymCanvas& canvas);
  virtual void DrawSymbolShadow(SSymCanvas& canvas);
  virtual void DrawCustomSymbol(SSymCanvas& canvas);
  virtual void DrawCustomShadow(SSymCanvas& canvas);
  virtual SBlob GetBlobData() { return SBlob(); }
  virtual HRESULT SetBlobData(const SBlob& blob);
  // Reads the older blob form: the pen, the shadow outline colour and the
  // shadow colour. Throws SEEOFException for a short blob.
  virtual HRESULT OnSetBlobData(SInputStream& stream);
  virtual bool GetHasShadow() { return m_shadowStyle != 0; }
  virtual HRESULT SetHasShadow(bool has);
  virtual LONG GetShadowColor() { return static_cast<LONG>(m_shadowBrush.m_color.GetColor()); }
  virtual HRESULT SetShadowColor(LONG color);
  virtual bool GetHasCustomPicture() { return false; }

  SSymBrush m_shadowBrush;
  SSymPen m_shadowPen;
  SHORT m_shadowStyle = 0;

 protected:
  SSymStd(const SSymRect& rect, ISRepSession* session, const CLSID& clsid = CLSID_SSymStd);
  explicit SSymStd(ISRepSession* session, const CLSID& clsid = CLSID_SSymStd);
  SSymStd(const SSymStd& source);

  ISSymShadow* ShadowFace() { return this; }

 private:
  void DrawShadowByStyle(SSymCanvas& canvas);
  void Draw3DEffect(SSymCanvas& canvas);
  void DrawSoftShadow(SSymCanvas& canvas);
};

// ---- SSymBlob -----------------------------------------------------------------------------
class SSymBlob : public SSymBase {
 public:
  KV_SYM_CLASS_TABLES()

  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;

  virtual SBlob GetBlobData();
  // Reads the blob through OnSetBlobData and answers its result; a blob that
  // cannot be read leaves the symbol's content as it was.
  virtual HRESULT SetBlobData(const SBlob& blob);
  virtual HRESULT OnGetBlobData(SOutputStream&) { return S_OK; }
  virtual HRESULT OnSetBlobData(SInputStream&) { return S_OK; }

  virtual bool GetKeepAspect() { return SSymKeep::Get(m_display, SSymKeep::Aspect); }
  virtual HRESULT SetKeepAspect(bool on) { return SSymKeep::Put(m_display, SSymKeep::Aspect, on); }
  virtual bool GetKeepCenter() { return SSymKeep::Get(m_display, SSymKeep::Center); }
  virtual HRESULT SetKeepCenter(bool on) { return SSymKeep::Put(m_display, SSymKeep::Center, on); }
  virtual bool GetKeepSize() { return SSymKeep::Get(m_display, SSymKeep::Size); }
  virtual HRESULT SetKeepSize(bool on) { return SSymKeep::Put(m_display, SSymKeep::Size, on); }

 protected:
  SSymBlob(const SSymRect& rect, ISRepSession* session, const CLSID& clsid = CLSID_SSymBlob)
      : SSymBase(rect, session, clsid) {}
  explicit SSymBlob(ISRepSession* session, const CLSID& clsid = CLSID_SSymBlob) : SSymBase(session, clsid) {}
  SSymBlob(const SSymBlob& source) : SSymBase(source) {}
};
