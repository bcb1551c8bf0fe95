// A session with a diagram in which point-list symbols of the library
// (polygons, polylines) are made through the repository, optionally placed
// in the diagram, and released with the fixture.
#pragma once

#include <vector>

#include "support/symtest.h"
#include "sym/foundation/symlistpt.h"
#include "sym/symbol/symintfview.h"

// An editing view whose selection holds one symbol (or sub-object), installed
// for the length of the scope and given to the diagram as its first view.
class SelectingView : public ISSymViewQueries {
 public:
  SelectingView(TDiagram* diagram, ISSymbol* selected)
      : m_diagram(diagram), m_selected(selected), m_before(SSymGetViewQueries()) {
    SSymSetViewQueries(this);
    m_diagram->m_view = View();
  }
  ~SelectingView() override {
    m_diagram->m_view = nullptr;
    SSymSetViewQueries(m_before);
  }
  SelectingView(const SelectingView&) = delete;
  SelectingView& operator=(const SelectingView&) = delete;
  // An identity only: the view is never dereferenced.
  SSymView* View() { return reinterpret_cast<SSymView*>(this); }
  bool IsEditView(SSymView* v) override { return v == View(); }
  void NotifyRemove(SSymView*, ISSymbol*) override {}
  SSymCanvasView* GetCanvas(SSymView*) override { return nullptr; }
  SSymSize PixelsToUnits(SSymView*, SIZE) override { return {}; }
  SSymCanvas* LockCanvas(SSymView*, std::unique_ptr<SSymCanvas>&) override { return nullptr; }
  bool SelectionContains(SSymView*, ISSymbol* s) override { return s && s == m_selected; }

 private:
  TDiagram* m_diagram;
  ISSymbol* m_selected;
  ISSymViewQueries* m_before;
};

class LineFixture : public SymFixture {
 protected:
  // A new symbol of class clsid with the points given outside any context;
  // placed in the diagram when `placed`.
  template <class T>
  T* MakeLine(REFCLSID clsid, const SSymListPt& pts, bool placed = false) {
    void* p = nullptr;
    EXPECT_EQ(m_session->CreateObject(clsid, IID_ISRepObject, &p), S_OK);
    auto* obj = static_cast<ISRepObject*>(p);
    m_lines.push_back(obj);
    T* line = dynamic_cast<T*>(SRepObject::FromInterface(obj));
    EXPECT_NE(line, nullptr);
    if (!line) return nullptr;
    {
      SCurrentContextChange outside(Session(), nullptr);
      line->SetListPt(pts, 0, 0, 0);
    }
    if (placed) DiagramOwner()->Add(line->Sym());
    return line;
  }
  void TearDown() override {
    for (ISRepObject* o : m_lines) o->Release();
    m_lines.clear();
    SymFixture::TearDown();
  }
  static SSymListPt Pts(std::initializer_list<SSymPoint> p) { return SSymListPt(p); }

  std::vector<ISRepObject*> m_lines;
};
