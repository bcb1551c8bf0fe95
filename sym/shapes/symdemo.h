// The demonstration symbols that format previews draw: a rectangle with up
// to 20 stacked sample texts and a polyline with its three sample labels
// ("Center", "Source", "Destination"). They are made in code on a session,
// drawn and deleted; they are not persistent classes of their own (they
// answer their bases' class and type codes). Their sample texts are text
// sub-objects that the caller fills through GetSubText.
#pragma once

#include <vector>

#include "sym/links/sympolyline.h"
#include "sym/shapes/symrectfamily.h"
#include "sym/subobjects/symsubtext.h"

class SSymDemoRect : public SSymRectangle {
 public:
  static constexpr int MaxTexts = 20;
  // The gap between two sample texts, with a separator line in it.
  static constexpr LONG TextGap = 200;
  // The sample texts start this far right of the left edge.
  static constexpr LONG TextIndent = 100;

  SSymDemoRect(const SSymRect& rect, ISRepSession* session);
  ~SSymDemoRect() override;

  // Shows min(n, 20) texts, making the missing ones ("Text"); texts beyond
  // the number shown are kept but not drawn.
  void SetNbText(int n);
  int GetNbText() const { return m_nNbText; }
  int GetTextCount() const { return static_cast<int>(m_texts.size()); }
  // The i-th sample text (no reference added), or null.
  SSymSubText* GetSubText(int i) const;

  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT Delete() override;

 private:
  void ReleaseTexts();
  int m_nNbText = 0;
  std::vector<SSymSubText*> m_texts;  // counted
};

class SSymDemoPoly : public SSymPolyline {
 public:
  static constexpr int LabelCount = 3;
  // The gap between an end point and the near corner of its label.
  static constexpr LONG LabelGap = 72;

  SSymDemoPoly(const SSymListPt& pts, ISRepSession* session);
  ~SSymDemoPoly() override;

  // Shows n labels (0 to 3; 3 for anything larger).
  void SetNbText(int n);
  int GetNbText() const { return m_nNbText; }
  // The i-th label (no reference added), or null.
  SSymSubText* GetSubText(int i) const override;
  // Makes the three labels unless they exist.
  virtual void CreateSubSymText();
  // Centres label 0 on the middle of the line, puts labels 1 and 2 beside
  // the first and the last point, away from the line.
  void RepositionSymText(int index) override;

  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override { return SSymPolyline::DrawShadow(canvas); }
  HRESULT Delete() override;

 private:
  void ReleaseTexts();
  int m_nNbText = 0;
  std::vector<SSymSubText*> m_texts;  // counted
};
