// The sub-object family: small drawable parts that live inside a symbol (a
// line's labels today; compartments, titles and tables later). A sub-object
// is not a repository object of its own: the symbol that holds it (its
// parent) owns it and hears of it through ISSymSubSink. Each sub-object is a
// counted interface object answering ISSymbol and ISSymEditInPlace, so that
// drawing, hit testing and moving code treats it like a symbol.
//
//   SSymSubs       rectangle, state bits and parent; the symbol face
//   SSymSubsFonts  the font and font colour of a sub-object
//
// The contract of a concrete class: implement DrawOrAdjust and
// GetSymbolType; its Draw refuses when hidden or already drawing, marks
// itself drawing, initialises once, draws and clears the mark.
#pragma once

#include <atomic>

#include "sym/foundation/symvalues.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfsymbol.h"

// The face of a symbol that holds sub-objects: told when one of them was
// resized or moved, asked to redraw one.
struct ISSymSubSink : IUnknown {
  static constexpr IID iid = IID_ISSymSubSink;
  virtual HRESULT OnSubSymResize(ISSymbol* sub, int redraw) = 0;
  virtual HRESULT OnSubSymMove(ISSymbol* sub, int redraw) = 0;
  // Redraws the sub-object (its Redraw without a canvas).
  virtual HRESULT RedrawSubSym(ISSymbol* sub) = 0;
  // Answers 1.
  virtual int IsSubSink() = 0;
};

// The identity that answers the SSymSubs behind a face.
inline constexpr IID IID_SSymSubs = MakeGUID("{81666BBE-6769-4C51-B0BD-EC80A4FE97A0}");

// State bits of a sub-object; bits above 0x20000 belong to derived classes.
namespace SSymSubsFlag {
inline constexpr DWORD Hidden = 0x1;
inline constexpr DWORD Editable = 0x4;
inline constexpr DWORD Title = 0x8;
inline constexpr DWORD Initialized = 0x10;
inline constexpr DWORD Updating = 0x20;
inline constexpr DWORD Drawing = 0x40;
inline constexpr DWORD NoWrapPref = 0x80;
inline constexpr DWORD NeverTitle = 0x100;
inline constexpr DWORD EmptyFlat = 0x200;
// A line label: its width is kept in the line's text-width attribute.
inline constexpr DWORD LabelWidth = 0x400;
inline constexpr DWORD PictureRight = 0x800;
inline constexpr DWORD NoTitleTest = 0x1000;
inline constexpr DWORD KeepEmpty = 0x2000;
inline constexpr DWORD NoBrackets = 0x4000;
// A text whose layout reserves 200 more units at its top (line labels).
inline constexpr DWORD TopGap = 0x8000;
inline constexpr DWORD HostAdjust = 0x10000;
inline constexpr DWORD Picture = 0x20000;
// What the constructors clear before setting the defaults.
inline constexpr DWORD OwnBits = 0x3FFFF;
}  // namespace SSymSubsFlag

class SSymSubs : public ISSymEditInPlace {
 public:
  SSymSubs(const SSymSubs&) = delete;
  SSymSubs& operator=(const SSymSubs&) = delete;

  // The implementation behind a face, or null (no reference added).
  static SSymSubs* FromInterface(IUnknown* unk);

  // ---- IUnknown
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override;

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override = 0;
  int Needs2ndDraw(SSymCanvas&) override { return 0; }
  HRESULT DrawSecondPass(SSymCanvas&) override { return 1; }
  HRESULT DrawHandles(SSymCanvas& canvas) override;
  HRESULT DrawIfVisible(SSymCanvas& canvas, const SSymRect& rect, int* second) override;
  HRESULT Redraw(SSymCanvas* canvas) override;
  BOOL IsHidden() override { return (m_flags & SSymSubsFlag::Hidden) != 0; }
  HRESULT Show(int show) override;
  SSymRect GetClipRect(int, int) override { return m_rect; }
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  BOOL IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  HRESULT Clone(ISSymbol** out, int) override;
  HRESULT AdjustText(SSymCanvas& canvas, int redraw, int) override;
  HRESULT NormalSize(int) override { return 0; }
  SSymSize GetNormalSize() override { return SSymSize(0, 0); }
  // A sub-object has no owner of its own.
  HRESULT GetOwner(ISSymOwner**) override { return E_FAIL; }
  HRESULT GetDiagram(ISSymDiagram** out) override;
  HRESULT GetGroupOwner(ISSymGroup** out, int walk) override;
  BOOL IsProtected() override { return 0; }
  HRESULT ProtectSymbol(int) override { return S_OK; }
  HRESULT IsPtInSubSym(SSymCanvas&, const SSymPoint&, int*, ISSymbol** out) override;
  BOOL IsSubObject() override { return TRUE; }
  // The symbol that holds the sub-object (counted), or null.
  HRESULT GetMainSymbol(ISSymbol** out) override;
  HRESULT GetFormat(SSymFormatEx&) override { return S_OK; }
  HRESULT SetFormat(const SSymFormatEx&) override { return S_OK; }
  HRESULT CopySymAttributes(ISSymbol*, int) override { return 1; }
  BOOL IsDropPossible() override { return 1; }
  HRESULT GetRelatedObjectList(SRepListObject*, ISRepObject*, int, SRepBagObject*, int, int) override { return 0; }
  // ---- ISSymEditInPlace
  HRESULT EditInPlace(SSymView*) override { return 1; }
  HRESULT EditInPlace(SSymView*, const SSymPoint&) override { return 1; }
  HRESULT EditInPlace(SSymView*, LONG) override { return 1; }
  HRESULT IsEditableInPlace() override { return 1; }
  BOOL CanRename() override { return 0; }
  LONG GetDispidToEdit(ISRepObject*, LONG id) override { return id; }

  // ---- the family's own operations
  // Nothing to delete in the model: a sub-object has no repository object.
  virtual HRESULT Delete() { return S_OK; }
  // Takes the rectangle only when it is normalised (x1 <= x2, y2 <= y1).
  virtual void SetClipRect(const SSymRect& rect);
  void SetRect(const SSymRect& rect) { SetClipRect(rect); }
  // Draws the content (adjust 0), or stores the rectangle the content
  // needs as the sub-object's rectangle (adjust 1).
  virtual HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) = 0;
  // Runs once: loads the value the sub-object shows.
  virtual void InitializeSubSym();
  virtual BOOL IsInitialized() const { return (m_flags & SSymSubsFlag::Initialized) != 0; }
  virtual void InitValue() {}
  virtual BOOL IsEmpty() const { return 0; }

  // Replaces the parent (null detaches). A counted parent is held with a
  // reference; a symbol that owns the sub-object and detaches it before
  // letting it go passes counted false, so that the two do not keep each
  // other alive.
  void SetParent(ISSymSubSink* parent, bool counted = true);
  ISSymSubSink* GetParent() const { return m_pParent; }
  // The symbol of the parent, no reference added, or null.
  ISSymbol* GetParentSymbol() const;

  DWORD GetFlags() const { return m_flags; }
  void SetFlag(DWORD bits, bool on) {
    if (on) m_flags |= bits;
    else m_flags &= ~bits;
  }

 protected:
  SSymSubs();
  explicit SSymSubs(const SSymRect& rect);
  virtual ~SSymSubs();
  // Copies rectangle, bits and parent (a reference added); the count starts at 0.
  SSymSubs(const SSymSubs& source, int);

  SSymRect m_rect;
  DWORD m_flags = 0;

 private:
  std::atomic<ULONG> m_cRef{0};
  ISSymSubSink* m_pParent = nullptr;  // counted while m_bCountedParent
  bool m_bCountedParent = false;
};

class SSymSubsFonts : public SSymSubs {
 public:
  // Copies the face and the six font words; the colour is kept apart.
  void _SetFont(const SSymFont& font) { m_font.Copy(font); }
  const SSymFont& GetSubFont() const { return m_font; }
  SSymColor GetSubFontColor() const { return m_fontColor; }
  void _SetFontColor(SSymColor color) { m_fontColor = color; }

 protected:
  SSymSubsFonts() : m_font(SGetArialString(), 8) {}
  explicit SSymSubsFonts(const SSymRect& rect) : SSymSubs(rect), m_font(SGetArialString(), 8) {}
  SSymSubsFonts(const SSymSubsFonts& source, int)
      : SSymSubs(source, 0), m_font(source.m_font), m_fontColor(source.m_fontColor) {}

  SSymFont m_font;
  SSymColor m_fontColor{0};
};
