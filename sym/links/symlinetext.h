// SSymLineTextHelper: the three labels of a line (0 centre, 1 source end,
// 2 destination end). It creates and removes the label sub-objects, sets
// and reads their texts, computes where each label belongs (its anchor on
// the line and its default position beside it), keeps the user's
// displacement of a label as a persistent offset from that anchor, and moves
// the labels again when the line changes. A label that sits too far from its
// place (when the diagram constrains labels) or overlaps an end symbol of a
// link is put back onto its anchor.
//
// It is a second base of the lines that carry labels and reaches its line
// only through the line's interfaces (ISSymPolyline for the points,
// ISSymLink for the end symbols, ISSymFont for the font, ISRepObject to
// persist the offsets). A line that is not a link uses the ends of its
// point list in place of end symbols.
//
// Index 0, 1 and 2 are the labels; any other index is refused: nothing
// happens, getters answer null or empty, tests answer their neutral value.
// A line of fewer than two points, or a link with a free end, has no
// anchors: the label operations then leave the labels where they are.
#pragma once

#include <vector>

#include "sym/foundation/symlistpt.h"
#include "sym/subobjects/symsubtext.h"

class SSymLineTextHelper {
 public:
  static constexpr int TextCount = 3;
  // The distance beyond which a source or destination anchor stands from
  // its end point.
  static constexpr LONG AnchorStep = 1200;
  // Text style of a new label: centred both ways on an opaque background.
  static constexpr LONG LabelTextStyle = 0xA22;

  struct TextRecord {
    SSymSubText* text = nullptr;  // counted, or null
    SSymPoint offset;             // from the anchor; (0, 0) is automatic placement
    LONG width = -1;              // the label's width setting; -1 none
  };

  SSymLineTextHelper() { InitLstValue(); }
  virtual ~SSymLineTextHelper() = default;
  SSymLineTextHelper(const SSymLineTextHelper&) = delete;
  SSymLineTextHelper& operator=(const SSymLineTextHelper&) = delete;

  // The member id of a label's offset and width attributes (index 0 and any
  // index outside 0..2 give the centre's).
  static LONG OffsetId(int index);
  static LONG WidthId(int index);
  static bool IsIndex(int index) { return index >= 0 && index < TextCount; }

  virtual SString GetText(int index) const;
  // An empty text on a line that is not a link deletes the label; otherwise
  // the label is made when missing, takes the text and is measured with the
  // line's font (a link also puts it in its place).
  virtual void SetText(int index, const SString& text);
  // The label's text face (no reference added), or null.
  virtual ISSymText* GetSubText(int index) const;
  // Installs a label, taking over the caller's reference.
  virtual void SetSubText(int index, SSymSubText* text);
  // The owning line's symbol face (no reference added).
  virtual ISSymbol* GetISymbol() = 0;
  // Stores where the label now stands relative to anchor.
  virtual void SaveOffset(int index, SSymPoint& anchor);
  // The label's anchor and default centre position; both are left as the
  // caller set them when they cannot be computed.
  virtual void RecomputeTextOffset(int index, SSymPoint& position, SSymPoint& anchor);
  // Moves the label to its place.
  virtual void RepositionSymText(int index);
  // 1 when the rectangle meets an end symbol of a link with both ends attached.
  virtual int IsTextIn(int index, SSymRect& rect);
  // 1 when a label centred at centre is acceptably placed.
  virtual int IsCorrectDistance(int index, SSymPoint centre);
  // Where the line leaves the end symbol of the label's end, and the point
  // that follows it; for the centre label its anchor (next unchanged).
  virtual int GetIntersectPoint(int index, SSymPoint& end, SSymPoint& next);

  // Puts the label back at its anchor plus its saved offset.
  void RestoreOldTextPos(int index);
  // Deletes the label from the model and drops it.
  void DeleteText(int index);
  // Makes the label when missing; 0 for a refused index.
  int CreateSubSym(int index);
  // Drops the label without deleting it from the model.
  void RemoveSubSym(int index);
  void InitLstValue();
  // Puts a misplaced label back onto its computed place as an undoable move,
  // resetting its offset to automatic.
  void AdjustTextPos(int index);

  // The label of an index (no reference added), or null.
  SSymSubText* GetLabel(int index) const { return IsIndex(index) ? m_texts[index].text : nullptr; }
  const TextRecord& Record(int index) const { return m_texts[IsIndex(index) ? index : 0]; }
  // The index of a label given by any of its faces, or -1.
  int IndexOf(IUnknown* label) const;
  // Keeps where a label the user moved now stands, as its offset from its
  // anchor; answers the label's index, or -1 when sub is not a label here.
  int KeepMovedLabel(ISSymbol* sub);

  // The persistent label records go through these (index 0..2).
  SSymPoint& OffsetOf(int index) { return m_texts[IsIndex(index) ? index : 0].offset; }
  LONG& WidthOf(int index) { return m_texts[IsIndex(index) ? index : 0].width; }

  // The rectangle of every present label (normalised), appended to `out`.
  void AppendLabelRects(std::vector<SSymRect>& out) const;

  // The number of lines of a text (a CR LF pair, a lone LF or a lone CR ends
  // one); 0 for the empty text.
  static int CountLines(const SString& text);

 protected:
  // Every present label, with its index.
  template <class F>
  void ForEachLabel(F f) {
    for (int i = 0; i < TextCount; ++i)
      if (m_texts[i].text) f(i, *m_texts[i].text);
  }
  // Computes the anchor and default position; false when they cannot be
  // computed (no label, a free link end, fewer than two points).
  bool ComputeTextOffset(int index, SSymPoint& position, SSymPoint& anchor);
  // Drops the reference on a label after detaching it from this line.
  static void DropLabel(SSymSubText* label);

  TextRecord m_texts[TextCount];

 private:
  bool Points(SSymListPt& out);
  bool IsLink();
  // The symbol attached at end 0 or 1 of a link (counted), or null.
  SComWrap<ISSymbol> EndSymbol(int end);
  SSymPoint CentreAnchor(SSymPoint& e1, SSymPoint& n1, SSymPoint& e2);
  void WriteOffset(int index, const SSymPoint& offset);
};
