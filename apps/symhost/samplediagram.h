// The host's diagrams: a session with the symbols made in it, in drawing
// order, and the sample sheet that shows what the symbols can look like.
#pragma once

#include <vector>

#include "apps/symhost/hostdiagram.h"
#include "apps/symhost/hostsymbols.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symgeom.h"

class SSymCanvas;

// A session, its model diagram and the symbols made in it. The holder keeps
// one reference on each symbol, on the diagram and on the session, and gives
// them up when destroyed.
class SHostDiagram {
 public:
  SHostDiagram();
  ~SHostDiagram();
  SHostDiagram(const SHostDiagram&) = delete;
  SHostDiagram& operator=(const SHostDiagram&) = delete;

  ISRepSession* Session() { return m_session; }
  // The model diagram that holds the symbols (in the same order).
  SHostModelDiagram* Model() const { return m_model; }

  // A new box made in the session and appended to the diagram.
  SHostBox* AddBox(const SSymRect& rect, SHostBox::Shape shape = SHostBox::Rect);
  // A new symbol of the library class clsid made in the session through the
  // class's creation function, placed on rect and appended to the diagram;
  // null when the class cannot be created.
  ISSymbol* AddSymbol(REFCLSID clsid, const SSymRect& rect);
  // A caption: a box without outline, fill or shadow holding `text` in
  // `font`, dark grey, placed by the text style flags `style`.
  SHostBox* AddCaption(const SSymRect& rect, const SString& text, const SSymFont& font, LONG style);
  // Appends a symbol made elsewhere; the diagram takes over its reference.
  void Adopt(ISSymbol* symbol) {
    if (!symbol) return;
    m_symbols.push_back(symbol);
    if (m_model) m_model->Add(symbol);
  }

  // Draws a symbol that the model diagram already holds (made through its
  // host operations); the holder adds a reference of its own.
  void Track(ISSymbol* symbol) {
    if (!symbol) return;
    symbol->AddRef();
    m_symbols.push_back(symbol);
  }

  const std::vector<ISSymbol*>& Symbols() const { return m_symbols; }
  // The rectangle that the symbols and their shadows cover, grown by
  // `margin` on every side; an empty diagram answers a margin-sized
  // rectangle around the origin.
  SSymRect GetExtent(LONG margin) const;
  // Draws every symbol in order.
  void Draw(SSymCanvas& canvas) const;

 private:
  SRepSession* m_session = nullptr;
  SHostModelDiagram* m_model = nullptr;
  std::vector<ISSymbol*> m_symbols;
};

// Fills `diagram` with the sample sheet: a heading, then one titled row each
// of shadow styles, pens, brushes, gradients, fonts and text layouts, laid
// out on a grid from the origin to the right and downward. Answers the
// symbols it added, in drawing order.
std::vector<SHostBox*> SBuildSampleDiagram(SHostDiagram& diagram);
// Appends to the sample sheet, below what `diagram` holds, a titled row of
// the library's own figures (rectangle, blank rectangle, rounded rectangle,
// ellipse, pie and arc), one line for each shadow style. Answers the
// figures, in drawing order.
std::vector<ISSymbol*> SBuildFigureRow(SHostDiagram& diagram);
// Appends a titled row of predefined-shape symbols, one of each shape of the
// library (general and notation shapes), below what `diagram` holds. Answers
// the symbols, in drawing order.
std::vector<ISSymbol*> SBuildPredefinedRow(SHostDiagram& diagram);
// Fills `diagram` with the reference sheet of the predefined shapes: each
// shape drawn in a box with its name (or its type number) under it.
std::vector<ISSymbol*> SBuildShapeSheet(SHostDiagram& diagram);
// Fills `diagram` with the whole sample sheet as the host writes it: the
// rows of SBuildSampleDiagram, then every row appended below them. Answers
// the symbols added, in drawing order.
// `pictures` (when given) receives the symbols of the picture row.
std::vector<ISSymbol*> SBuildSampleSheet(SHostDiagram& diagram, std::vector<ISSymbol*>* pictures = nullptr);
