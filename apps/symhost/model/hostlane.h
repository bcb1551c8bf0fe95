// The host's lane: a swimlane of the library (SSymSwim) that holds the
// symbols of the host's entities and draws its title in its heading band.
// The library's composite implementation keeps the lane's children: a
// child added is drawn inside the lane, moves with it, and is found through
// the lane's composite face. The lane is an inner lane (it keeps its pool
// alive and new lanes follow it), takes entities and nothing else as
// children, and has no parent collection of its own in the model.
#pragma once

#include "apps/symhost/model/hostmodel.h"
#include "sym/composite/symcompimpl.h"
#include "sym/composite/symswim.h"

// The composite definition of lanes: any symbol may be a child (lanes have
// no model object to keep children in), kept clear of the lane's outline.
const SSymCompDef& SHostLaneCompDef();

class SHostLaneSym : public SRepFaces<SHostLaneSym, SSymSwim> {
 public:
  SHostLaneSym(ISRepSession* session, const SString& title);
  ~SHostLaneSym() override;

  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;

  // ---- ISSwimlane: what makes the host's lanes differ from plain ones
  int IsInnerLane() override { return 1; }
  SString GetLaneText() override { return m_title; }
  // Entities may become children, nothing else.
  int RefusesChildObject(ISRepObject* candidate) override;

  // ---- ISSymbol
  // The lane's band, its title in the heading band, then its children.
  HRESULT Draw(SSymCanvas& canvas) override;
  // The children move with the lane (not while its pool holds it still).
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;

  // The composite face (not counted).
  ISSymCompSym* Comp();
  const SString& GetTitle() const { return m_title; }

 private:
  class Impl;
  Impl* m_comp;  // counted
  SString m_title;
};

// A new lane titled `title` (counted for the caller), not yet in a pool.
SHostLaneSym* SHostNewLaneSymbol(ISRepSession* session, const SString& title);
