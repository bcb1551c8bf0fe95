// The sub-object family: small drawable parts that live inside a symbol (a
// line's labels today; compartments, titles and tables later). A sub-object
// is not a repository object of its own: the symbol that holds it (its
// parent) owns it and hears of it through ISSymSubSink. Each sub-object is a
// counted interface object answering ISSymbol and ISSymEditInPlace, so that
// drawing, hit testing and moving code treats it like a symbol.
//
//   SSymSubs       rectangle, state bits and parent; the symbol face
//   SSymSubsFonts  one named font entry, offered through ISSymFonts
//
// The contract of a concrete class: implement Draw, DrawOrAdjust and
// GetSymbolType; InitValue when the content comes from elsewhere,
// GetTextSize when the content has a natural size, IsEmpty when it can be
// empty. Its Draw refuses (1) when hidden or already drawing, marks itself
// drawing, initialises once, calls DrawOrAdjust(canvas, 0), clears the mark
// and returns what DrawOrAdjust answered.
#pragma once

#include <atomic>

#include "kvcore/sstream.h"
#include "kvcore/stable.h"

#include "sym/foundation/symprefwrap.h"
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
  // Whether something dropped at pt may land on the sub-object: a line
  // refuses a label pulled too far from it; any other holder accepts (1).
  virtual BOOL IsDropPossible(ISSymbol* sub, SSymPoint pt) {
    (void)sub, (void)pt;
    return 1;
  }
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

// The same bits under the names every sub-object class uses.
inline constexpr DWORD SUBS_HIDDEN = SSymSubsFlag::Hidden;
inline constexpr DWORD SUBS_EDITABLE = SSymSubsFlag::Editable;
inline constexpr DWORD SUBS_TITLE = SSymSubsFlag::Title;
inline constexpr DWORD SUBS_INITIALIZED = SSymSubsFlag::Initialized;
inline constexpr DWORD SUBS_UPDATING = SSymSubsFlag::Updating;
inline constexpr DWORD SUBS_DRAWING = SSymSubsFlag::Drawing;
inline constexpr DWORD SUBS_NOWRAPPREF = SSymSubsFlag::NoWrapPref;
inline constexpr DWORD SUBS_NEVERTITLE = SSymSubsFlag::NeverTitle;
inline constexpr DWORD SUBS_EMPTYFLAT = SSymSubsFlag::EmptyFlat;
inline constexpr DWORD SUBS_LABELWIDTH = SSymSubsFlag::LabelWidth;
inline constexpr DWORD SUBS_PICTURERIGHT = SSymSubsFlag::PictureRight;
inline constexpr DWORD SUBS_NOTITLETEST = SSymSubsFlag::NoTitleTest;
inline constexpr DWORD SUBS_KEEPEMPTY = SSymSubsFlag::KeepEmpty;
inline constexpr DWORD SUBS_NOBRACKETS = SSymSubsFlag::NoBrackets;
inline constexpr DWORD SUBS_TOPGAP = SSymSubsFlag::TopGap;
inline constexpr DWORD SUBS_HOSTADJUST = SSymSubsFlag::HostAdjust;
inline constexpr DWORD SUBS_PICTURE = SSymSubsFlag::Picture;

class SSymEditInPlaceController;

class SSymSubs : public ISSymEditInPlace {
 public:
  SSymSubs(const SSymSubs&) = delete;
  SSymSubs& operator=(const SSymSubs&) = delete;

  // The implementation behind a face, or null (no reference added).
  static SSymSubs* FromInterface(IUnknown* unk);

  // ---- IUnknown
  // IUnknown, ISSymbol and ISSymEditInPlace on the object's start, the
  // identity IID_SSymSubs; then what the derived levels add (QueryFamily).
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override { return ++m_cRef; }
  // At 0 the object destroys itself (DestroySelf).
  ULONG Release() override;

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override = 0;
  int Needs2ndDraw(SSymCanvas&) override { return 0; }
  HRESULT DrawSecondPass(SSymCanvas&) override { return 1; }
  // The selection handles around the rectangle, unless hidden; the
  // diagram's object is made current with no context meanwhile.
  HRESULT DrawHandles(SSymCanvas& canvas) override;
  HRESULT DrawIfVisible(SSymCanvas& canvas, const SSymRect& rect, int* second) override;
  // Asks the parent to redraw this sub-object. While drawing: 1 when the
  // value is being initialised, else E_FAIL. E_FAIL without a parent; 0
  // (nothing redrawn) while the parent or the diagram's first view holds
  // redrawing back.
  HRESULT Redraw(SSymCanvas* canvas) override;
  BOOL IsHidden() override { return (m_flags & SSymSubsFlag::Hidden) != 0; }
  // Changes visibility (redrawing) only when it differs; always 0.
  HRESULT Show(int show) override;
  SSymRect GetClipRect(int, int) override { return m_rect; }
  // The rectangle, 6 device pixels wider on each side, and wider by the pen
  // width for a sub-object with a pen above 1.
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  BOOL IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) override;
  // Handles, then the rectangle 75 units wider on every side, then the
  // sub-objects inside (IsPtInSubSym).
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  // E_POINTER for a null out; else clears it: E_NOTIMPL.
  HRESULT Clone(ISSymbol** out, int) override;
  // Measures the content and stores the rectangle it needs; E_POINTER
  // without a parent. A line label first sets its line's width to automatic.
  HRESULT AdjustText(SSymCanvas& canvas, int redraw, int) override;
  HRESULT NormalSize(int) override { return 0; }
  SSymSize GetNormalSize() override { return SSymSize(0, 0); }
  // A sub-object has no owner of its own: E_FAIL, the out pointer untouched.
  HRESULT GetOwner(ISSymOwner**) override { return E_FAIL; }
  // The parent's diagram; null (and 0) without a parent.
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
  // ---- ISSymEditInPlace: 1, nothing edited (the texts override)
  HRESULT EditInPlace(SSymView*) override { return 1; }
  HRESULT EditInPlace(SSymView*, const SSymPoint&) override { return 1; }
  HRESULT EditInPlace(SSymView*, LONG) override { return 1; }
  HRESULT IsEditableInPlace() override { return 1; }
  BOOL CanRename() override { return 0; }
  LONG GetDispidToEdit(ISRepObject*, LONG id) override { return id; }
  // Editing driven by a controller (the group's editing hands its own) or
  // started at a point; 1 here, nothing edited.
  virtual HRESULT EditInPlace(SSymEditInPlaceController*, SSymView*, LONG) { return 1; }
  virtual HRESULT EditInPlace(SSymEditInPlaceController*, SSymView*, const SSymPoint&) { return 1; }
  virtual HRESULT EditInPlace(SSymView*, const SSymPoint&, int) { return 1; }

  // ---- the family's own operations
  // Runs the second drawing pass when the sub-object is visible in rect.
  virtual HRESULT DrawSecondPassIfVisible(SSymCanvas& canvas, const SSymRect& rect);
  // Nothing to delete in the model: a sub-object has no repository object.
  virtual HRESULT Delete() { return S_OK; }
  // Takes the rectangle only when it is normalised (x1 <= x2, y2 <= y1).
  virtual void SetClipRect(const SSymRect& rect);
  void SetRect(const SSymRect& rect) { SetClipRect(rect); }
  // Draws the content (adjust 0), or stores the rectangle the content
  // needs as the sub-object's rectangle (adjust 1).
  virtual HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) = 0;
  // The rectangle the content needs; the sub-object keeps its own.
  virtual SSymRect ComputeTextRect(SSymCanvas& canvas);
  // After a change of size: an owner that fits itself to its texts is
  // refitted by its diagram (outside undo recording), any other redrawn.
  virtual void OnResize();
  // Runs once: loads the value the sub-object shows.
  virtual void InitializeSubSym();
  virtual BOOL IsInitialized() const { return (m_flags & SSymSubsFlag::Initialized) != 0; }
  virtual void InitValue() {}
  // Fits a proposed rectangle to the content; nothing here.
  virtual void GetTextSize(SSymRect&) {}
  // Appends the sub-object's font entry (nothing here).
  virtual void AddFonts(SSymLstFonts*) const {}
  virtual BOOL IsEmpty() const { return 0; }
  // The stream form of the sub-object's data; nothing here. Both answer 0.
  virtual HRESULT OnGetBlobData(SOutputStream& out) const;
  virtual HRESULT OnSetBlobData(SInputStream& in);

  // Replaces the parent (null detaches). A counted parent is held with a
  // reference; a symbol that owns the sub-object and detaches it before
  // letting it go passes counted false, so that the two do not keep each
  // other alive.
  void SetParent(ISSymSubSink* parent, bool counted = true);
  ISSymSubSink* GetParent() const { return m_pParent; }
  // The symbol of the parent, no reference added, or null.
  ISSymbol* GetParentSymbol() const;
  // E_FAIL, nothing written: a sub-object has no owner of its own.
  HRESULT _GetOwner(void** out, const GUID& iid);

  // The text shaped by a wrap record: mode 1 truncates to the truncation
  // length with "...", mode 2 breaks it into lines of at most the wrap
  // length (CR LF between them), preferring to end a line on one of the
  // wrap characters. Lengths below 5 count as 5; no record, another mode,
  // or a text within the limit: the text unchanged. Canvas and the last
  // argument are not used.
  static SString WrapText(const SString& text, const SPrefDataWrap* wrap, SSymCanvas* canvas = nullptr, int = 0);

  DWORD GetFlags() const { return m_flags; }
  void SetFlag(DWORD bits, bool on) {
    if (on) m_flags |= bits;
    else m_flags &= ~bits;
  }

  // The ids of a line's label-width attributes by label position (0 centre,
  // 1 source, 2 destination); 0 for any other position.
  static LONG LabelWidthId(int position);

 protected:
  SSymSubs();
  explicit SSymSubs(const SSymRect& rect);
  virtual ~SSymSubs();
  // Copies rectangle, bits and parent (a reference added); the count starts at 0.
  SSymSubs(const SSymSubs& source, int);

  // Deletes the object; Release calls it at count 0.
  virtual void DestroySelf();
  // Faces the derived levels add, asked after this level's own. The answer
  // is not yet counted: QueryInterface adds the reference.
  virtual void* QueryFamily(REFIID iid);
  // The parent symbol's faces through the sink (no reference added; the
  // parent keeps them): null when the parent lacks the face; any other
  // failure of the query is thrown as SECOMException.
  SComWrap<ISSymbol> ParentSymbol() const;
  SComWrap<ISRepObject, &IID_ISRepObject> ParentObject() const;
  // The text position of a line label (its ISSymText's index), or -1 when
  // the sub-object has no text face.
  virtual int LabelPosition() { return -1; }

  SSymRect m_rect;
  DWORD m_flags = 0;

 private:
  std::atomic<ULONG> m_cRef{0};
  ISSymSubSink* m_pParent = nullptr;  // counted while m_bCountedParent
  bool m_bCountedParent = false;
};

// Keeps a sub-object alive for the length of a scope: a notification may
// make its holder let it go.
class SSymSubsHold {
 public:
  explicit SSymSubsHold(SSymSubs* sub) : m_sub(sub) { m_sub->AddRef(); }
  ~SSymSubsHold() { m_sub->Release(); }
  SSymSubsHold(const SSymSubsHold&) = delete;
  SSymSubsHold& operator=(const SSymSubsHold&) = delete;

 private:
  SSymSubs* m_sub;
};

// A sub-object with one named font entry. Every concrete sub-object derives
// from it; the format dialogs, the selection and the holder read and change
// each compartment's font through ISSymFonts, by the entry's name (compared
// exactly, letter case included; an empty name matches only an empty name).
class SSymSubsFonts : public SSymSubs, public ISSymFonts {
 public:
  // ---- IUnknown (one object behind every face)
  HRESULT QueryInterface(REFIID iid, void** out) override { return SSymSubs::QueryInterface(iid, out); }
  ULONG AddRef() override { return SSymSubs::AddRef(); }
  ULONG Release() override { return SSymSubs::Release(); }

  // ---- ISVerbSource
  // The parent symbol's verb when it has a verb face; else E_FAIL.
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;
  LONG EnumVerbs() override { return static_cast<LONG>(E_NOTIMPL); }
  // ---- ISSymFonts
  int GetFontCount() override { return 1; }
  // Both append the entry to the list (AddFonts).
  void GetFonts(SSymLstFonts* list) override { AddFonts(list); }
  void GetAllFonts(SSymLstFonts* list) override { AddFonts(list); }
  // The entry of a matching name, copied whole to out: 1; otherwise 0.
  int GetFont(const SString& name, SSymFonts* out) override;
  // Replaces the whole entry of a matching name: 1; otherwise 0.
  int SetFont(const SString& name, const SSymFonts& fonts, int redraw) override;
  // Copies only the font and colour into the entry of a matching name: 1; otherwise 0.
  int CopyFont(const SString& name, const SSymFonts& fonts, int redraw) override;
  // 1 when the colour changed, 0 when it was already that one; no redraw.
  int SetFontsColor(SSymColor color) override;

  // ---- the family
  // Appends a copy of the entry (nothing for a null list).
  void AddFonts(SSymLstFonts* list) const override;
  // The font as one string in the symbol stream (the font's text form).
  HRESULT OnGetBlobData(SOutputStream& out) const override;
  // Reads that string back into the font; a short stream throws SEEOFException.
  HRESULT OnSetBlobData(SInputStream& in) override;

  // Quiet setters (no redraw), used while building or loading.
  // Copies the face and the six font words; the colour is kept apart.
  void _SetFont(const SSymFont& font) { m_font.Copy(font); }
  void _SetFontColor(SSymColor color) { m_fonts.m_color = color; }
  void _SetFontStyle(LONG style) { m_fonts.m_font.m_style = style; }
  int _SetFonts(const SSymFonts& fonts) {
    m_fonts = fonts;
    return 1;
  }
  const SSymFonts& GetFontsEntry() const { return m_fonts; }
  const SSymFont& GetSubFont() const { return m_fonts.m_font; }
  SSymColor GetSubFontColor() const { return m_fonts.m_color; }

  // 1 after the rectangle constructor, 2 after the empty one; the group
  // reads it (separators and gaps).
  LONG GetKind() const { return m_nKind; }
  void _SetKind(LONG kind) { m_nKind = kind; }

  // All the sub-objects of the parent symbol, nested layouts flattened,
  // appended to list; this one alone when the parent cannot list them.
  void GetParentSubSymList(STable<SSymSubsFonts*>& list);

  // The ISSymFonts face of this object (no reference added).
  ISSymFonts* FontsFace() { return this; }

 protected:
  SSymSubsFonts() : m_nKind(2) {}
  explicit SSymSubsFonts(const SSymRect& rect) : SSymSubs(rect), m_nKind(1) {}
  SSymSubsFonts(const SSymSubsFonts& source, int)
      : SSymSubs(source, 0), m_fonts(source.m_fonts), m_nKind(source.m_nKind) {}

  void* QueryFamily(REFIID iid) override;

  SSymFonts m_fonts;
  // The entry's font and colour under their short names.
  SSymFont& m_font = m_fonts.m_font;
  SSymColor& m_fontColor = m_fonts.m_color;
  LONG m_nKind = 1;
};
