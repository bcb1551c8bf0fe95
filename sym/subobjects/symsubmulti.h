// SSymSubObjTextMulti: one compartment that shows several attributes of the
// bound object: one piece per attribute, either one per line between the
// attribute's own labels, or each put into its own format string ("%s"
// standing for the value) and the pieces run together. It hears every change
// of the object and follows those of its attributes; editing starts on the
// attribute whose line is under the pointer, or walks the editable ones.
#pragma once

#include <vector>

#include "kvcore/sstringtable.h"
#include "sym/subobjects/symsubobjtext.h"

// One attribute of a multi-attribute text: its id and the labels put before
// and after its value.
struct SSymAttrData {
  LONG m_dispid = 0;
  SString m_strFirst;
  SString m_strSecond;

  SSymAttrData() = default;
  explicit SSymAttrData(LONG id, const SString& first = SString(), const SString& second = SString())
      : m_dispid(id), m_strFirst(first), m_strSecond(second) {}
  bool operator==(const SSymAttrData& o) const {
    return m_dispid == o.m_dispid && m_strFirst == o.m_strFirst && m_strSecond == o.m_strSecond;
  }
};

class SSymSubObjTextMulti : public SSymSubObjText {
 public:
  // Special attributes: a value shown between "<<" and ">>", and the
  // ordering pair whose "unordered" value shows nothing.
  static constexpr LONG DispidBracketed = 0x02000005;
  static constexpr LONG DispidOrdering = 0x02001408;

  // Empty list, no format.
  SSymSubObjTextMulti();
  // Shows the attributes of the list, in order, of object (bound at once
  // when not null).
  SSymSubObjTextMulti(ISRepObject* object, const STable<SSymAttrData>& list);
  ~SSymSubObjTextMulti() override;

  int GetSymbolType() override { return 1; }
  // A copy of the list.
  virtual STable<SSymAttrData> GetLstDispID() const { return m_lstDispid; }

  // Takes a different list and reloads (an equal one changes nothing).
  void SetLstDispid(const STable<SSymAttrData>& list);
  // Copies the format strings (null keeps the held ones); no reload.
  void SetFormat(const SStringTable* format);
  const SStringTable& GetFormat() const { return m_format; }

  // Every attribute's editor (and relay); none is kept.
  void SyncAttributes(SRepRegistry* registry) override;
  // Registers on the object (a live shortcut target instead) for all its changes.
  void AdviseToObject() override;
  // The pieces of every attribute, measured where the compartment stands.
  void InitValue() override;
  // 1 when the list shows a writable DisplayName of a bound object.
  BOOL CanRename() override;

  // Whether attribute id can be edited here: E_POINTER without object or
  // view; 1 when hidden, read-only, refused as an extended attribute or
  // empty; 0 when it can; a failure reading the value as it is.
  HRESULT IsEditableInPlace(SSymEditInPlaceController* controller, SSymView* view, LONG id);
  using SSymSubObjText::EditInPlace;
  using SSymSubObjText::IsEditableInPlace;
  // Edits the attribute shown on the line under pt (with flag 0: the name,
  // when the list shows an editable one): E_POINTER without object or
  // view, 1 when that line shows nothing editable, E_OUTOFMEMORY, E_FAIL
  // when the control does not start, 0 when it runs.
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt, int flag) override;
  // Edits attribute id over the line that shows it (a controller of the
  // group's editing, or one made here).
  HRESULT EditInPlace(SSymEditInPlaceController* controller, SSymView* view, LONG id) override;

  // ---- ISRepObjSink
  HRESULT OnChange(ISRepObject* object, LONG id) override;
  HRESULT OnFlush(ISRepObject* object) override;
  HRESULT OnDelete(ISRepObject* object, int flag) override;

 protected:
  STable<SSymAttrData> m_lstDispid;
  SStringTable m_format;

 private:
  // A heard change shown: the text rebuilt, redrawn and its size reported.
  void Rebuild();
  // The text the attributes make now; lines (optional) receives, for each
  // line of it, the position in the list of the attribute shown there.
  SString BuildText(std::vector<int>* lines) const;
  // The piece of one attribute (its value text, labels or format applied),
  // empty when it shows nothing.
  SString Piece(int index) const;
  // The attribute ids that can be edited, in list order, with the position
  // of the record each comes from; a failure reading a value in *failure.
  struct Editable {
    LONG id;
    int record;
  };
  std::vector<Editable> CollectEditable(HRESULT* failure);
  // The line rectangles of the compartment for `count` lines (the height of
  // "W" each, from the top of the clip rectangle); their font, a copy of the
  // compartment's.
  std::vector<SSymRect> LineRects(SSymView* view, int count) const;
};
