// SSymTreeLine: the branch of a tree symbol, one straight line beside its
// parent symbol at a set distance, running across the centres of the
// parent's children so that they hang off a common bus line.
//
// The parent (the first member of ParentSymbol) supplies, through its tree
// face (ISSymTree), the children and the rectangle the branch hangs from; the
// diagram's display preferences give the orientation of the tree. The line
// is placed lazily: until its first drawing, move or distance change with a
// parent its end points are all zero. Dragging the line never brings it
// closer than MinDistance to its parent, and the children follow the drag.
#pragma once

#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symstd.h"

class SSymTreeLine : public SSymStd {
  KV_SYM_DECLARE_POOL()

 public:
  static constexpr int TypeCode = 15;
  // The distance of a new line, and the nearest a drag may bring it.
  static constexpr LONG DefaultDistance = 1000;
  static constexpr LONG MinDistance = 1000;
  // The thickness of the line's rectangle across the line.
  static constexpr LONG Thickness = 300;

  explicit SSymTreeLine(const SSymRect& rect) : SSymStd(rect, nullptr, CLSID_SSymTreeLine) {}
  explicit SSymTreeLine(ISRepSession* session) : SSymStd(session, CLSID_SSymTreeLine) {}
  SSymTreeLine(const SSymTreeLine& source) = default;
  ~SSymTreeLine() override = default;
  KV_SYM_CLASS_TABLES()

  // The repository's creation function of the class.
  static HRESULT CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source);

  // The parent symbol (not counted), or null.
  ISSymbol* GetParentSym();
  // Places the line beside `parent`: nothing without a parent, a tree face on
  // it, a diagram or its display preferences.
  void UpdateDist(ISSymbol* parent);
  bool IsPlaced() const { return m_start != SSymPoint() || m_end != SSymPoint(); }

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override;
  BOOL IsHidden() override;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  HRESULT GetDiagram(ISSymDiagram** out) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;
  int GetSymbolType() override { return TypeCode; }
  int GetShapeKind() override { return 79; }
  // ---- repository object
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  void OnCollectionInsert(LONG id, ISRepObject* owner, int pos) override;
  HRESULT HasAttribute(LONG id) override;

  SSymPoint m_start;
  SSymPoint m_end;
  LONG m_nDistance = DefaultDistance;

 private:
  // The tree orientation of the parent's diagram (0 horizontal; vertical
  // without display preferences); false without a parent.
  static bool Orientation(ISSymbol* parent, int* vertical);
};
