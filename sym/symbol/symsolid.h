// SSymSolid: the base of every closed, fillable symbol. Over SSymStd it adds
// a fill brush, transparency, a background picture that fills the shape, a
// custom picture or predefined shape that replaces the shape, adjustment of
// the symbol to its text, the keep flags and the natural size.
//
// It answers ISSymBrush, ISSymAdjust and ISSymCustomShape with one face
// (each of the three extends the one before), and IID_SSymSolid with the
// object itself.
#pragma once

#include "kvcore/spicture.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfshapes.h"
#include "sym/symbol/symintfview.h"
#include "sym/symbol/symstd.h"

inline constexpr IID IID_SSymSolid = MakeGUID("{91B00EDA-61F6-4216-B8BE-02C6959F0D0F}");

// A member id the solid symbol announces (not an attribute of its own).
namespace SymAttr {
inline constexpr LONG IconMode = 0x02001494;
}  // namespace SymAttr

// FromInterface gives the SSymSolid behind any face (no reference added), or null.
class SSymSolid : public SRepFaces<SSymSolid, SSymStd, ISSymBrush, ISSymAdjust, ISSymCustomShape,
                                   SRepFaceSelf<IID_SSymSolid>> {
 public:
  KV_SYM_CLASS_TABLES()

  ~SSymSolid() override;

  // ---- ISSymbol (AdjustText is ISSymAdjust's as well)
  HRESULT AdjustText(SSymCanvas& canvas, int redraw, int record) override;
  HRESULT NormalSize(int redraw) override;
  SSymSize GetNormalSize() override;
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;

  // ---- repository
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT HasAttribute(LONG id) override;
  void OnCollectionInsert(LONG id, ISRepObject* owner, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;

  // ---- ISSymBrush
  const SSymBrush& GetBrush() override { return m_brush; }
  HRESULT SetBrush(const SSymBrush& brush, int redraw) override;
  int CanFill() override { return 1; }
  int GetFillMode() override { return (Flags & FlagTransparent) ? 0 : 1; }
  HRESULT SetFillMode(int transparent) override;
  GUID GetBackgroundPictureID() override;
  HRESULT SetBackgroundPictureID(const GUID& id) override;
  SPictureInfo* GetBackgroundPicture() override { return m_brush.GetPicture(); }
  BOOL SetBackgroundPicture(SPictureInfo* picture) override;
  SString GetBackgroundPictureFile() override;
  HRESULT SetBackgroundPictureFile(const SString& file) override;

  // ---- ISSymAdjust
  BOOL IsAdjusted() override { return m_bAutoAdjusted ? 1 : 0; }
  HRESULT SetAdjust(bool adjusted, int redraw) override;
  HRESULT AutoAdjustText(int a, int b) override;

  // ---- ISSymCustomShape
  bool GetKeepAspect() override { return SSymKeep::Get(m_display, SSymKeep::Aspect); }
  HRESULT SetKeepAspect(bool on) override { return SSymKeep::Put(m_display, SSymKeep::Aspect, on); }
  bool GetKeepCenter() override { return SSymKeep::Get(m_display, SSymKeep::Center); }
  HRESULT SetKeepCenter(bool on) override { return SSymKeep::Put(m_display, SSymKeep::Center, on); }
  bool GetKeepSize() override { return SSymKeep::Get(m_display, SSymKeep::Size); }
  HRESULT SetKeepSize(bool on) override { return SSymKeep::Put(m_display, SSymKeep::Size, on); }
  HRESULT GetAdjustRect(SSymCanvas&, const SSymRect&, SSymRect&) override { return 0; }
  LONG GetCustomPictureType() override;
  HRESULT SetCustomPictureType(LONG type) override;
  LONG GetCustomTextMode() override { return m_customTextMode; }
  HRESULT SetCustomTextMode(LONG mode) override;
  GUID GetCustomPictureID() override;
  HRESULT SetCustomPictureID(const GUID& id) override;
  SPictureInfo* GetCustomPicture() override;
  HRESULT SetCustomPicture(SPictureInfo* picture) override;
  SString GetCustomPictureFile() override;
  HRESULT SetCustomPictureFile(const SString& file) override;
  LONG GetCustomShapeType() override;
  HRESULT SetCustomShapeType(LONG type) override;
  int CustomShapeTest1() override { return 0; }
  int CustomShapeTest2() override { return 1; }

  // ---- SSymStd
  bool GetHasCustomPicture() override { return GetCustomPicture() != nullptr; }
  void DrawCustomSymbol(SSymCanvas& canvas) override;
  void DrawSymbolShape(SSymCanvas& canvas) override;
  HRESULT OnSetBlobData(SInputStream& stream) override;

  // ---- own operations
  virtual bool GetTransparent() { return (Flags & FlagTransparent) != 0; }
  virtual HRESULT SetTransparentProp(bool on);
  virtual LONG GetFillColor() { return static_cast<LONG>(m_brush.m_color.GetColor()); }
  virtual HRESULT SetFillColor(LONG color);
  virtual LONG GetBrushStyle() { return m_brush.m_style; }
  // Styles 1 to 8 are stored; any other value stores 1.
  virtual HRESULT SetBrushStyle(LONG style);
  virtual LONG GetGradientFillMode() { return m_brush.m_gradientMode; }
  virtual HRESULT SetGradientFillMode(LONG mode);
  virtual LONG GetGradientEndColor() { return static_cast<LONG>(m_brush.m_endColor.GetColor()); }
  virtual HRESULT SetGradientEndColor(LONG color);
  virtual LONG GetPictureFillMode() { return m_brush.m_bitmapMode; }
  virtual HRESULT SetPictureFillMode(LONG mode);
  virtual HRESULT PostAdjustToText();

  // Joins or opens the adjust record of the session's context (1 when there
  // is no session or no context).
  int CreateUndoAdjust(int flag);
  ISSymDispPref* GetDispPref();
  bool HasIconMode();

  // ---- members
  SSymBrush m_brush;
  BYTE m_bAutoAdjusted = 1;
  BYTE m_bManuallyResized = 0;
  SPictureInfo* m_pCustomPicture = nullptr;  // counted
  LONG m_customPictureType = 0;
  LONG m_customTextMode = 0;

 protected:
  SSymSolid(const SSymRect& rect, ISRepSession* session, const CLSID& clsid = CLSID_SSymSolid);
  explicit SSymSolid(ISRepSession* session, const CLSID& clsid = CLSID_SSymSolid);
  SSymSolid(const SSymSolid& source);

  // The session's picture holder (counted wrapper, may be null).
  SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> PictureHolder();
  // Records an attribute change of `id` (the new value, or the current one
  // in a recording context); true when the value must not be stored now.
  bool RecordAttrChange(LONG id, const SRepVariant& now, const SRepVariant& next);

 private:
  void Init();
  void ReplaceCustomPicture(SPictureInfo* picture);
  // The session whose live-symbol counter this symbol was counted in (null:
  // not counted). The destructor takes back exactly that count.
  SRepSession* m_pCountedIn = nullptr;
};

// The custom picture as the fourth margin word of a format (a process-wide
// handle: 0 for none) and back (null for an unknown word).
LONG SSymCustomPictureWord(SPictureInfo* picture);
SPictureInfo* SSymCustomPictureFromWord(LONG word);

// True when the user setting "DisableAdjustOnResize" is "No" (any case); read
// once per process.
bool ShouldManageTempResize();
// Forgets the answer read so far (tests change the setting).
void SSymResetManageTempResize();
// The depth of the three-dimensional cube face of a symbol rectangle: the
// smaller of width / 5 and height / 5, clamped to 600..1200 units.
LONG SSymGet3DCubeEdge(const SSymRect& rect);
// Darkens a colour by the nesting depth of the symbol in composites of the
// same colour; 1 when it changed the colour.
int GetDarkenColor(ISSymbol* symbol, SSymColor& color);
