// SSymComposite: a symbol made of a set of child symbols. It has no shape of
// its own: it draws, moves, transforms, formats, shows and deletes by acting
// on its children, and its rectangle is the union of theirs (all zero
// without children).
//
// The children are kept twice: persistently, as the members of the
// composite's Symbols collection in the repository, and in memory, as an
// SSymCollection that drawing and the format operations walk (its order is
// the drawing order). A plain composite fills the in-memory collection only
// from the collection it is made with (the lasso and grabber tools build
// composites that way, outside the repository's class functions); the group
// (symgroup.h) keeps it in step with the repository collection.
//
// The composite answers ISSymGroup (its members), ISSymPen and ISSymLine
// (set on every child, read as the children's common value), ISSymShadow,
// ISSymBrush and ISSymFont (read from the first child that has the face,
// set on every child). It does not answer ISSymOwner: only a group owns its
// members. The repository cannot create a plain composite: its class record
// carries no creation function.
//
// The Symbols collection is reached afresh every time and never held: a
// counted reference to an object's collection counts on the object itself.
#pragma once

#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symcoll.h"

class SSymComposite
    : public SRepFaces<SSymComposite, SSymBase, ISSymGroup, ISSymPen, ISSymLine, ISSymShadow, ISSymBrush, ISSymFont> {
  KV_SYM_DECLARE_POOL()

 public:
  static constexpr int TypeCode = 79;
  // The growth of the in-memory children table.
  static constexpr int ChildrenInitial = 5;
  static constexpr int ChildrenStep = 2;

  explicit SSymComposite(ISRepSession* session, const CLSID& clsid = CLSID_SSymComposite);
  // A composite of the given symbols (each counted once more), its rectangle
  // their union. Nothing is written to the repository.
  SSymComposite(const SSymCollection& children, ISRepSession* session, const CLSID& clsid = CLSID_SSymComposite);
  ~SSymComposite() override;
  KV_SYM_CLASS_TABLES()

  // The shared values a composite answers when no child has the face.
  static const SSymBrush& DefaultBrush();
  static const SSymFont& DefaultFont();

  // ---- IsManuallyResized (a computed attribute over the children)
  // False without children; otherwise false as soon as a child that has the
  // attribute holds false (children without it do not count).
  virtual bool GetIsManuallyResized();
  // Only true is taken (1, nothing done, for false or without children):
  // every child that has the attributes is marked resized and no longer
  // fitted to its text. The first failing child ends the walk with its code.
  virtual HRESULT SetIsManuallyResized(bool resized);

  // ---- repository object
  HRESULT Delete() override;
  void ForgetSession() override;

  // ---- ISSymbol
  // 1 when hidden or already being drawn; otherwise every child in order.
  HRESULT Draw(SSymCanvas& canvas) override;
  HRESULT Redraw(SSymCanvas* canvas) override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  int GetSymbolType() override { return TypeCode; }

  // ---- ISSymGroup
  HRESULT Clear(int redraw) override;
  int GetCount() override { return m_children.GetCount(); }
  BOOL Contains(ISSymbol* symbol, int deep) override;
  HRESULT GetListSym(SComTable<ISSymbol>& out) override;
  SSymCollection* GetListSym() override { return &m_children; }
  HRESULT RecomputeClipRect(int redraw) override;

  // ---- ISSymPen
  // Without children style 1, width 0, colour 0; otherwise the children's
  // common pen (a field on which they differ comes back mixed).
  SSymPen GetPen() override;
  HRESULT SetPen(const SSymPen& pen, int redraw) override;
  int CanChangePenStyle() override { return 1; }
  // ---- ISSymLine
  LONG GetLineStyle() override;
  HRESULT SetLineStyle(LONG style, int redraw) override;

  // ---- ISSymShadow
  const SSymBrush& GetShadow() override;
  HRESULT SetShadow(const SSymBrush& brush, int redraw) override;
  SHORT GetShadowStyle() override;
  HRESULT SetShadowStyle(SHORT style, int redraw) override;
  int IsShadowsStyleSupported(SHORT) override { return 1; }
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;
  HRESULT DrawSymbolInRect(SSymCanvas& canvas, const SSymRect& rect) override;
  HRESULT DrawShadowInRect(SSymCanvas& canvas, const SSymRect& rect) override;

  // ---- ISSymBrush
  const SSymBrush& GetBrush() override;
  HRESULT SetBrush(const SSymBrush& brush, int redraw) override;
  int CanFill() override { return 0; }
  // The composite's own transparent flag; the children keep theirs.
  int GetFillMode() override { return (Flags & FlagTransparent) ? 0 : 1; }
  HRESULT SetFillMode(int transparent) override;
  // The background picture is that of a composite with exactly one child
  // that has a brush; setting it sets it on every such child.
  GUID GetBackgroundPictureID() override;
  HRESULT SetBackgroundPictureID(const GUID& id) override;
  SPictureInfo* GetBackgroundPicture() override;
  BOOL SetBackgroundPicture(SPictureInfo* picture) override;
  SString GetBackgroundPictureFile() override;
  HRESULT SetBackgroundPictureFile(const SString& file) override;

  // ---- ISSymFont
  const SSymFont& GetFont() override;
  HRESULT SetFont(const SSymFont& font, int redraw) override;
  SSymColor GetFontColor() override;
  HRESULT SetFontColor(SSymColor color, int redraw) override;
  LONG GetFontStyle() override;
  HRESULT SetFontStyle(LONG style, int redraw) override;
  LONG GetTextStyle() override;
  HRESULT SetTextStyle(LONG style, int redraw) override;

  // The in-memory children, in drawing order.
  SSymCollection m_children{ChildrenInitial, ChildrenStep};

 protected:
  // A copy of the symbol's own part; the children are not copied.
  SSymComposite(const SSymComposite& source);

  // The repository collection of the children (made on first use).
  SRepCollection* Symbols() { return Collection(SymAttr::Symbols); }
  // Drops every in-memory child reference.
  void ReleaseChildren();
  // The member whose value a composite's face I answers (counted), or empty:
  // the first child in drawing order that answers I, and where that child is
  // a composite, its own such child, down to a symbol of another kind (or to
  // a composite with none, for which the default stands).
  template <class I>
  SComWrap<I> FirstChildWith();
  // The composite that `child` is (null for a symbol of any other kind):
  // drawing and the format walks go through it in place instead of calling it.
  static SSymComposite* Nested(ISSymbol* child);
  // Runs `f` on the members the format faces act on: the children, with each
  // nested composite that has children replaced by its own, at any depth, in
  // drawing order (the children themselves where none is such a composite).
  // A nest deeper than any stack (an old file) is read and set in one walk,
  // each member once, and a change is kept for undo member by member.
  template <class F>
  auto WithInnermost(F f);
  // Walks the nest in drawing order with a list of its own instead of the
  // stack: enter(composite) tells whether to go through its children (this
  // composite first); member(symbol) is called for each child that is not a
  // composite; leave(composite) after the children of one entered. A
  // composite reached again inside itself is not entered twice.
  template <class Enter, class Member, class Leave>
  bool WalkNest(Enter enter, Member member, Leave leave);
  // Whether the drawing walks within a rectangle go through `c`, this
  // composite or one nested in it.
  bool VisibleInRect(SSymComposite* c, SSymCanvas& canvas, const SSymRect& rect);
  // The one child that answers ISSymBrush when exactly one does, else empty.
  SComWrap<ISSymBrush> OnlyBrushChild();
  // Redraws (without canvas) when asked, runs the change, redraws again when asked.
  template <class F>
  HRESULT Redrawn(int redraw, F change);
};
