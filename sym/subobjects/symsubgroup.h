// SSymSubGroup: the ordered compartments (sub-objects) of one symbol. The
// group lays them out inside the symbol's rectangle, one below the other or
// side by side, draws them with their frame and separator lines, computes
// the rectangle the symbol needs to show them all, finds them by position or
// index, answers the font operations over all of them and starts in-place
// editing on the compartment under a point.
//
// SSymSubLayout: a compartment that holds a group of its own, so that
// layouts nest (a column or a row of further compartments). Wherever a
// flattened list is asked for, a layout stands for its nested members.
//
// The group holds one reference per member (Add and Insert take over the
// caller's); the owner is not counted: it owns the group.
#pragma once

#include "kvcore/stable.h"
#include "sym/subobjects/symsubs.h"

class SSymView;
class SRepGridRow;

// A hit on a row of a sub grid: the grid, the row (null: none) and the
// rectangle hit.
struct SSymSelSubSymData {
  SSymSubsFonts* m_pSubGrid = nullptr;
  SRepGridRow* m_pRow = nullptr;
  SSymRect m_rect;
};

// What a sub grid (symbol type 6) answers for the object under a point.
class ISSymSubGridHit {
 public:
  virtual ~ISSymSubGridHit() = default;
  // The repository object under pt (not counted), data filled; null, data
  // untouched, when the point misses every row.
  virtual ISRepObject* GetSubObjWithPt(const SSymCanvas& canvas, SSymPoint& pt, SSymSelSubSymData& data) = 0;
};

class SSymSubGroup {
 public:
  // The symbol type code of a nested layout.
  static constexpr int LayoutType = 8;
  // Inner margin of the frame, gap between compartments and unit of the
  // space taken by separator lines (diagram units).
  static constexpr LONG Margin = 150;

  explicit SSymSubGroup(ISSymbol* owner);
  // Deletes and releases every member.
  virtual ~SSymSubGroup();
  SSymSubGroup(const SSymSubGroup&) = delete;
  SSymSubGroup& operator=(const SSymSubGroup&) = delete;

  // The rectangle the compartments share: the owner's (a nested layout
  // answers its own).
  virtual SSymRect GetClipRect(int a, int b);
  // 1: stacked one below the other; 0: side by side.
  virtual int IsVertical() const { return 1; }
  // Starts in-place editing of the owner's compartments: the one under the
  // point, or (atPoint 0) the name, the single editable one, the one under
  // the point or the first. E_POINTER without a view; 1 when nothing is
  // editable (or, at a point, nothing editable lies there); E_FAIL when no
  // editor can be made; 0 when the editor ran.
  virtual HRESULT EditInPlace(SSymView* view, const SSymPoint& pt, int atPoint);
  // Its low four bits align a side-by-side block (2 centred, 4 right).
  virtual LONG GetTextStyle() const { return 0x211; }

  // ---- members
  void Add(SSymSubsFonts* member);
  // A negative position appends.
  void Insert(int pos, SSymSubsFonts* member);
  // Takes the entry out without releasing it; nothing for a position out of range.
  void Remove(int pos);
  // Index among the direct members; -1 when absent or null.
  int GetPos(SSymSubsFonts* member) const;
  // Non-null members; with nested, a layout counts as its own members.
  int GetCount(int nested) const;
  void GetSubSymList(STable<SSymSubsFonts*>& list, int nested) const;
  // The member at index (-1: the last one) of the direct or flattened list;
  // null out of range.
  SSymSubsFonts* GetSubSymbol(int index, int nested) const;
  // In the flattened list, the first attribute, child-object or title text
  // (types 0, 2, 4) showing attribute id; null when none.
  SSymSubsFonts* GetSubSymbolById(LONG id) const;
  // The repository object under a point in the first sub grid that fills
  // data; null when no grid does.
  ISRepObject* GetSubObjOnPt(const SSymCanvas& canvas, SSymPoint& pt, SSymSelSubSymData& data) const;
  // The first compartment, when it is the only content and a title.
  SSymSubsFonts* IsTitleOnly() const;
  // 1 when the last visible member is empty yet more than 1 unit high.
  int IsEmptyLastSubSym() const;
  ISSymbol* GetOwner() const { return m_pOwner; }

  // ---- fonts over the flattened list
  int GetFontCount() const;
  void GetFonts(SSymLstFonts* list) const;
  // The first member whose entry matches fills out: 1; none: 0.
  int GetFont(const SString& name, SSymFonts* out) const;
  // Every matching member takes the entry: 1 when one matched.
  int SetFont(const SString& name, const SSymFonts& fonts, int redraw);
  // Only the first matching member takes the font and colour: 1 when one matched.
  int CopyFont(const SString& name, const SSymFonts& fonts, int redraw);
  int SetFontsColor(SSymColor color);

  // Where a member stands among the visible compartments: -1 not among
  // them, else 0 middle, 1 first, 2 last, 3 first and last.
  int GetRelatedPos(SSymSubsFonts* member) const;
  // Finds a compartment among the content members (directly, then inside
  // nested layouts): 1 when found, with the sides that adjoin neighbours
  // (before and after along x, before and after along y) for the group
  // where it was found; the group's own layout answers 1 with no sides.
  int LocateNested(SSymSubsFonts* target, int* left, int* right, int* top, int* bottom) const;

  // ---- layout
  // Lays the compartments out in the frame and draws them with their
  // separator lines.
  void DrawSubSymbol(SSymCanvas& canvas);
  // The rectangle the owner needs to show every compartment (centred on the
  // owner's); empty without owner or members.
  SSymRect ComputeGroupRect(SSymCanvas& canvas, int keepWrap, int width);

  // The owner sets it to centre the block of compartments vertically.
  int m_bCenterBlock = 0;
  // Placement refinement word of the owner (0 or 1).
  int m_nPlacement = 0;

  // The minimum width a text measured for the layout takes (0 outside a
  // measurement); the layout passes it to the text measurement.
  static LONG s_nMinWidth;

 protected:
  // The layout that holds this group, or null for a symbol's own group.
  virtual SSymSubsFonts* NestedOwner() const { return nullptr; }

  // Visible, and not empty or counted even when empty.
  static bool IsContent(SSymSubsFonts* m);

 private:
  // The direct members the layout works on: the host's list for a symbol's
  // own group, the group's members for a nested one.
  void LayoutMembers(STable<SSymSubsFonts*>& list) const;
  // Measures a member for a placement (host adjustment included); false
  // when the host takes its whole length away.
  bool Measure(SSymSubsFonts* m, SSymCanvas& canvas, bool vertical, SSymRect& measured);
  // Draws the separator lines across the owner at `along` (y for a stacked
  // group, x for a side-by-side one).
  void DrawSeparator(SSymCanvas& canvas, LONG along, const SSymRect& frame, const SSymRect& group,
                     const SSymRect& owner, const int adjoin[4]);

  STable<SSymSubsFonts*> m_members;
  ISSymbol* m_pOwner = nullptr;
};

class SSymSubLayout : public SSymSubsFonts, public SSymSubGroup {
 public:
  // A stacked layout (vertical 1) or a side-by-side one (0) of the owner.
  explicit SSymSubLayout(ISSymbol* owner, int vertical = 1);

  HRESULT QueryInterface(REFIID iid, void** out) override { return SSymSubs::QueryInterface(iid, out); }
  ULONG AddRef() override { return SSymSubs::AddRef(); }
  ULONG Release() override { return SSymSubs::Release(); }

  int GetSymbolType() override { return LayoutType; }
  // The layout's own rectangle (as a symbol and as a group).
  SSymRect GetClipRect(int, int) override { return m_layoutRect; }
  int IsVertical() const override { return m_bVertical; }
  // Stores the rectangle (as the sub-object's only when normalised) and
  // proposes it to every nested member.
  void SetClipRect(const SSymRect& rect) override;
  HRESULT Draw(SSymCanvas& canvas) override;
  // Adjusting: the nested group's needed rectangle; drawing: the nested
  // group draws and the rectangle becomes the union of its compartments.
  HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) override;
  using SSymSubs::EditInPlace;
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt, int atPoint) override {
    return SSymSubGroup::EditInPlace(view, pt, atPoint);
  }

 protected:
  SSymSubsFonts* NestedOwner() const override { return const_cast<SSymSubLayout*>(this); }

 private:
  SSymRect m_layoutRect;
  int m_bVertical = 1;
};
