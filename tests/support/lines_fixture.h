// A session with a diagram in which point-list symbols of the library
// (polygons, polylines) are made through the repository, optionally placed
// in the diagram, and released with the fixture.
#pragma once

#include <vector>

#include "support/symtest.h"
#include "sym/foundation/symlistpt.h"

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
