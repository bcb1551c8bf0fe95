// SSymCollection: an ordered set of symbols (the editing view's selection
// holds one) with the format operations over all its members at once: the
// values they have in common, with a mixed mark where they differ, and
// setters that reach every member supporting the feature.
//
// Members are reached only through their interfaces; a member that does not
// answer a feature's interface is skipped by that feature. Common values
// that the feature interfaces do not carry whole (pens, brushes, fonts,
// arrows) are read from the member's format record. The setters call each
// member's own setter with the caller's redraw flag, so every member redraws
// as its class does; the members' former values go into one format record,
// so the whole change is one undo step.
#pragma once

#include <cstddef>

#include "kvcore/scomds.h"
#include "kvcore/sobject.h"
#include "kvcore/spicture.h"
#include "sym/foundation/symformat.h"
#include "sym/symbol/syminterfaces.h"

class SSymCollection : public SObject {
  KV_DECLARE_CLASSINFO()

 public:
  // Mixed marks.
  static constexpr DWORD MixedColor = 0xFF000000;
  static constexpr LONG MixedBrushStyle = 8;
  static constexpr LONG MixedHatch = 7;
  static constexpr LONG MixedArrow = 255;

  explicit SSymCollection(int initial = 50, int step = 25);
  SSymCollection(const SSymCollection& other);
  SSymCollection& operator=(const SSymCollection&) = delete;
  ~SSymCollection() override;

  // Taken from the general heap; a failed allocation throws SEOutOfMemory.
  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;

  // ---- membership
  void Add(ISSymbol* symbol);
  void Insert(int index, ISSymbol* symbol);
  void MoveTo(ISSymbol* symbol, int index);
  void Remove(ISSymbol* symbol);
  bool Contains(ISSymbol* symbol) const { return symbol && m_bag.Contains(symbol); }
  int GetCount() const { return m_list.GetCount(); }
  ISSymbol* GetAt(int i) const { return m_list.GetAt(i); }
  int IndexOf(ISSymbol* symbol) const { return m_list.IndexOf(symbol); }
  SComBag<ISSymbol>& GetBagsym() { return m_bag; }
  const SComTbl<ISSymbol, ISSymbol*>& GetList() const { return m_list; }

  SSymRect GetClipRect();
  HRESULT MoveBy(const SSymSize& offset, int flag);
  HRESULT Transform(const SSymMatrix& matrix, int flag);

  // ---- common values
  void GetPen(SSymPen& pen);
  LONG GetPenStyle();
  LONG GetLineStyle();
  void GetBrush(SSymBrush& brush);
  void GetShadow(SSymBrush& brush);
  int GetFilled();
  LONG GetShadowStyle();
  // True when any member has a font.
  bool GetFont(SSymFont& font);
  void GetFonts(SSymLstFonts& fonts);
  DWORD GetFontColor();
  LONG GetFontStyle();
  bool GetFontStyle(LONG bits);
  LONG GetTextStyle();
  // end: 4, 2 or 8.
  LONG GetArrow(int end);
  int GetAutoAdjusted();
  // 1 all, 0 none or no member supports it, 2 mixed.
  int GetKeepAspect() { return GetKeep(0); }
  int GetKeepCenter() { return GetKeep(1); }
  int GetKeepSize() { return GetKeep(2); }
  // The custom picture the members have in common (null when they differ),
  // and their common custom text mode (-1 when they differ). A member shown
  // as an icon counts only with a picture of the picture manager's table.
  SPictureInfo* GetCustomPicture();
  LONG GetCustomTextMode();
  void GetSize(SSymSize& size);
  void GetNormalSize(SSymSize& size);

  // ---- setters over all members (one undo step)
  void SetPen(const SSymPen& pen, int flag);
  void SetPenStyle(LONG style, int flag);
  void SetPenWidth(LONG width, int flag);
  void SetLineStyle(LONG style, int flag);
  void SetBrush(const SSymBrush& brush, int flag);
  void SetShadow(const SSymBrush& brush, int flag);
  void SetFont(const SSymFont& font, int flag);
  void SetFontColor(DWORD color, int flag);
  // 1 when any member's fonts changed, else 0.
  int SetFonts(const SSymFonts& entry, int flag);
  void SetArrow(int end, LONG type, int flag);
  void ToggleFontStyle(LONG bit, int flag);

  // ---- undoable style changes and arrangements
  void SetShadowStyle(SHORT style, int flag);
  void SetTextStyle(LONG style, int flag);
  void SetFontStyle(LONG style, int flag);
  void AdjustText(SSymCanvas& canvas, int flag);
  void NormalSize(int flag);
  void AlignLink();

 private:
  // The keep flag carried in the given margin word of the members' formats.
  int GetKeep(int word);

  SComTbl<ISSymbol, ISSymbol*> m_list;
  SComBag<ISSymbol> m_bag;
};

// The font entry of a format that a text symbol applies: the first entry
// named "Text", else the first; null for an empty list.
const SSymFonts* SSymFormatTextFont(const SSymLstFonts& fonts);
