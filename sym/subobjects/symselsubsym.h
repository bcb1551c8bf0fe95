// SSymSelSubSym: the selection mark of one row of a sub grid inside a
// symbol. When the user clicks a row of a table shown in a symbol, the
// editing view selects this mark in place of the symbol. The mark stands for
// the row's repository object: it highlights the row, shows a tooltip, offers
// the row's texts and font as a text symbol, renames the object in place, and
// adds a new object to the same collection (Ctrl+N appends, Ctrl+I inserts
// above the row of an ordered collection).
//
// The mark is a symbol that is never stored: it lives while it is selected.
// It holds its owner, object, grid and row without counting them; they stay
// valid while the owner shows the grid.
#pragma once

#include <vector>

#include "sym/subobjects/symsubgroup.h"
#include "sym/symbol/symsolid.h"

class ISSymSelection;
class SSymSubGrid;
class SSymSubGridRow;

class SSymSelSubSym : public SRepFaces<SSymSelSubSym, SSymSolid, ISSymText, ISSymFont> {
 public:
  // The symbol type of a selected sub-object: the editing view tells a
  // sub-object mark from a symbol by it.
  static constexpr int SymbolType = 18;
  // The collection flags that make a collection a composition of the model
  // object (parts that the owner reaches): both are required.
  static constexpr DWORD CompositionFlags = 0x30;
  // The first lines of a description that the tooltip shows.
  static constexpr int TooltipLines = 30;
  // Where in-place editing starts right of the grid's left edge, without and
  // with an icon column.
  static constexpr LONG EditIndent = 150;
  static constexpr LONG EditIndentIcon = 1650;

  // The mark on data's rectangle for the object (may be null) of a row of
  // data's grid, shown by owner.
  SSymSelSubSym(ISRepObject* object, ISSymbol* owner, const SSymSelSubSymData& data);
  ~SSymSelSubSym() override;

  ISRepObject* GetObject() const { return m_pObject; }
  ISSymbol* GetOwnerSymbol() const { return m_pOwner; }
  SSymSubGrid* GetSubGrid() const { return m_pSubGrid; }
  SSymSubGridRow* GetRow() const { return m_pRow; }

  // ---- ISSymbol
  int GetSymbolType() override { return SymbolType; }
  // The owner's diagram; S_FALSE and null without owner.
  HRESULT GetDiagram(ISSymDiagram** out) override;
  // The mark draws only its highlight (DrawHandles).
  HRESULT Draw(SSymCanvas&) override { return 0; }
  // Draws the owner again in a highlight colour within the mark, then the
  // symbols above the owner that overlap it. E_POINTER when the owner has
  // no brush, E_FAIL without diagram.
  HRESULT DrawHandles(SSymCanvas& canvas) override;
  // Erases the highlight: the owner and the symbols above it drawn again
  // within the mark.
  HRESULT RemoveFromSelection(SSymCanvas& canvas);

  // ---- ISSymTooltip
  // 0 without object; 1 with the object's full name and the first lines of
  // its description.
  HRESULT GetTooltip(SString& text) override;

  // ---- ISSymEditInPlace
  // Renames the row's object in place (see the three-argument form).
  HRESULT EditInPlace(SSymView* view) override { return EditInPlace(view, SSymPoint(), 0); }
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt) override { return EditInPlace(view, pt, 1); }
  using SSymBase::EditInPlace;
  // Edits the attribute of the column at pt (atPoint 1) or of column 0: 0
  // when an editor started, 1 when nothing is edited, E_POINTER without grid.
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt, int atPoint);
  // True when the object has a name attribute, shown by the grid, that may
  // be edited, in a composition of the owner's model object.
  BOOL CanRename() override;

  // ---- ISSymText: the row's texts and font; the setters change nothing
  HRESULT GetText(SString& text) override;
  HRESULT SetText(const SString&, int) override { return S_OK; }
  const SSymFont& GetFont() override;
  HRESULT SetFont(const SSymFont&, int) override { return S_OK; }
  SSymColor GetFontColor() override;
  HRESULT SetFontColor(SSymColor, int) override { return S_OK; }
  LONG GetFontStyle() override;
  HRESULT SetFontStyle(LONG, int) override { return S_OK; }
  LONG GetTextStyle() override { return 0; }
  HRESULT SetTextStyle(LONG, int) override { return S_OK; }

  // ---- adding objects
  // True when the grid lists a composition of the owner's model object.
  bool IsCompositeSubObj();
  // True when a new object may be added to that collection; ordered is set
  // to 1 when the collection keeps positions (left as it was otherwise).
  bool CanAddNewSubObj(int& ordered);
  // Creates an object of the listed class in the collection: appended
  // (append 1), else at the position of the mark's object (ordered
  // collections only), in one undo step. The selection then holds a mark of
  // the new row, renamed in place, when its row is found. 1 when an object
  // was created, else 0.
  int AddNewSubObj(int append, ISSymSelection& selection);

  // Draws the owner's bare shape (its shadow face's DrawSymbol) within its
  // clip rectangle narrowed to the child areas of its composite ancestors:
  // the owner as it shows once its marks are gone. Nothing for an owner
  // without that face.
  void RedrawOwnerShape(SSymCanvas& canvas);

 private:
  using RepObj = SComWrap<ISRepObject, &IID_ISRepObject>;
  // The owner's model object (counted), or empty.
  RepObj ModelObject() const;
  // The listed collection of the model object and its definition flags;
  // false when a piece is missing.
  bool ListedCollection(RepObj& model, LONG& id, DWORD& flags) const;
  // The mark's rectangle within the child areas of the owner's composite
  // ancestors.
  SSymRect ClipToCompositeAncestors(SSymRect rect) const;
  // The symbols of the diagram above the owner (bottom to top) that overlap
  // rect; false when one of them covers rect entirely.
  bool SymbolsAbove(ISSymDiagram* diagram, const SSymRect& rect, std::vector<SComWrap<ISSymbol>>& above) const;
  // Draws the owner within rect (in ownerBrush when one is given, its own
  // brush set back afterwards), then the symbols above it.
  void RedrawWithin(SSymCanvas& canvas, const SSymRect& rect, const std::vector<SComWrap<ISSymbol>>& above,
                    const SSymBrush* ownerBrush = nullptr);

  ISRepObject* m_pObject;
  ISSymbol* m_pOwner;
  SSymSubGrid* m_pSubGrid;
  SSymSubGridRow* m_pRow;
};

// The HSL lightness of a row highlight over a brush of lightness l: a dark
// brush gets a light highlight (0.8 - l below 0.2), any other a darker one
// (0.75 l, at most 0.4).
double SSymSelHighlightLightness(double l);
