// The pieces a benchmark scene of boxes and links is made of: a session,
// objects made in it and kept for release, links drawn between two boxes'
// centres and attached at both ends, and the clean-up that detaches the links
// before releasing everything in reverse order (the scene's diagram, when it
// has one, just before the session).
#pragma once

#include <random>
#include <vector>

#include "kvrep/srepsession.h"
#include "sym/links/symlinksym.h"
#include "sym/shapes/symrectfamily.h"

struct BoxLinkScene {
  BoxLinkScene() : session(new SRepSession()) { session->AddRef(); }
  ~BoxLinkScene() {
    for (SSymLinkBase* l : links) {
      l->DetachEnd(0);
      l->DetachEnd(1);
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->Release();
    if (diagramObj) diagramObj->Release();
    session->Release();
  }
  BoxLinkScene(const BoxLinkScene&) = delete;
  BoxLinkScene& operator=(const BoxLinkScene&) = delete;

  template <class T>
  T* Make(REFCLSID clsid) {
    void* p = nullptr;
    session->CreateObject(clsid, IID_ISRepObject, &p);
    made.push_back(static_cast<ISRepObject*>(p));
    return dynamic_cast<T*>(SRepObject::FromInterface(static_cast<ISRepObject*>(p)));
  }
  // A straight link from box a's centre to box b's, attached at both ends.
  SSymLinkBase* Link(int a, int b) {
    auto* l = Make<SSymLinkBase>(CLSID_SSymLinkSym);
    const SSymPoint pa = boxes[a]->m_rect.GetCenter(), pb = boxes[b]->m_rect.GetCenter();
    l->ListPt = SSymListPt{pa, pb};
    l->AttachSym(0, boxes[a]->Linkable(), pa);
    l->AttachSym(1, boxes[b]->Linkable(), pb);
    links.push_back(l);
    return l;
  }

  SRepSession* session;
  // The scene's diagram object, when it has one (counted: released last).
  ISRepObject* diagramObj = nullptr;
  std::vector<ISRepObject*> made;
  std::vector<SSymRectangle*> boxes;
  std::vector<SSymLinkBase*> links;
};

// `count` points spread evenly at random over `area` (a hit test's targets),
// the same for the same seed.
inline std::vector<SSymPoint> RandomPointsIn(const SSymRect& area, int count, unsigned seed = 7) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<LONG> x(area.x1, area.x2), y(area.y2, area.y1);
  std::vector<SSymPoint> points;
  for (int i = 0; i < count; ++i) points.emplace_back(x(rng), y(rng));
  return points;
}
