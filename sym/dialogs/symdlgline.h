// SSymDlgLine: the "Line Style" page of the symbol format sheet: pen colour,
// width and dash style, the corner style of lines with its perpendicular
// arrow, and the three arrowheads. What a combo entry means and which entry
// shows a format value are the page's rules below, shared by its handlers
// and its initialisation.
#pragma once

#include "kvcore/sctrl.h"
#include "sym/dialogs/symdlgbase.h"
#include "win/windef.h"

class SSymDlgLine : public SSymDlgBase {
 public:
  // The page's controls.
  enum : int {
    ColorId = 1011, StyleId = 1012, WidthId = 1013, CornersId = 1014,
    SourceArrowId = 1015, DestinationArrowId = 1016, CentreArrowId = 1017, PerpendicularId = 1144,
  };
  // The page over the sheet's working format and allow options, on its
  // plain (142) or template-mode (201) template.
  SSymDlgLine(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId = TemplateId);
  BOOL OnInitDialog() override;
  // Registers the page's two templates (done once when the library loads).
  static void RegisterTemplates();

  // The page's plain and template-mode templates and its help context.
  static constexpr UINT TemplateId = 142;
  static constexpr UINT TemplateModeId = 201;
  static constexpr DWORD HelpContext = 6005;

  // Pen styles: 0 by notation, 1 solid ... 5 dash-dot-dot, 7 no line.
  static constexpr LONG StyleNotation = 0;
  static constexpr LONG StyleInvisible = 7;
  // The "no value" corner shape of a multiple selection, and the flag that
  // adds the perpendicular arrow to a corner style.
  static constexpr LONG ShapeNone = 4;
  static constexpr LONG ShapePerpendicular = 8;
  // The arrow type of "Notation" and of "no arrowhead".
  static constexpr LONG ArrowNotation = -1;
  static constexpr LONG ArrowNone = 24;

  // The style combo: "Notation", "Invisible", then the five dash styles.
  // -1 (nothing selected) for a style it does not offer.
  static int StyleToIndex(LONG style);
  // -1 for an entry the combo does not have.
  static LONG IndexToStyle(int index);

  // The width combo holds six entries, or ten when the sheet has no fill
  // page (the widest lines are for lines only).
  static int WidthCount(bool withFillPage) { return withFillPage ? 6 : 10; }
  // -1 (nothing selected) for a negative width (mixed), a width no entry
  // shows, or an entry beyond `count`.
  static int WidthToIndex(LONG width, int count);
  // The width of an entry: 0, 150, 225, 300, 375, 450, then 299, 374, 449,
  // 524; -1 for an entry the combo does not have.
  static LONG IndexToWidth(int index);

  // The corners combo: normal, horizontal/vertical, rounded, Bézier. The
  // entry of a shape (its perpendicular flag left out); -1 for no value
  // or a shape it does not offer.
  static int ShapeToCornerIndex(LONG shape);
  static bool HasPerpendicular(LONG shape) { return shape > 7; }
  // Only straight and Bézier corners take the perpendicular arrow.
  static bool CornerTakesPerpendicular(int corner) { return corner == 0 || corner == 3; }
  // The shape a corner entry stores, with the perpendicular flag when the
  // corner takes it and the box is checked; -1 for an entry the combo does
  // not have.
  static LONG CornerToShape(int corner, bool perpendicularChecked);

  // The three arrow combos: "Notation", then one entry per row of the end's
  // table (source, centre or destination).
  enum End { Source = 0, Centre = 1, Destination = 2 };
  static int ArrowRowCount(End end);
  // The entry of an arrow type: 0 for Notation and for a type no row holds.
  static int ArrowToIndex(End end, LONG type);
  // The type of an entry (-1 for Notation); -2 for an entry the combo does
  // not have, or an end that is none.
  static LONG IndexToArrow(End end, int index);

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnLineStyle();
  void OnLineWidth();
  void OnLineCorner();
  void OnArrowSource() { OnArrow(Source); }
  void OnArrowCentre() { OnArrow(Centre); }
  void OnArrowDestination() { OnArrow(Destination); }
  void OnPerpendicular();
  void OnColor(NMHDR* notify, LRESULT* result);

 private:
  void OnArrow(End end);
  int Selected(int id) const;
  SColorWellCtrl m_color;
};
