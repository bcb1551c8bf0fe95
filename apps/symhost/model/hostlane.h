// The host's lane: a swimlane of the library (SSymSwim) that shows a lane
// of the host's model (the unit responsible for entities), holds the
// symbols of those entities and draws the lane's name in its heading band.
// The library's composite implementation keeps the lane's children in step
// with the model: an entity symbol added to the lane makes the entity one
// the lane is responsible for; the children are drawn inside the lane and
// move with it. The lane is an inner lane (it keeps its pool alive and new
// lanes follow it), takes entities and nothing else as children, and has no
// parent collection of its own in the model.
#pragma once

#include "apps/symhost/model/hostmodel.h"
#include "sym/composite/symcompimpl.h"
#include "sym/composite/symswim.h"
#include "sym/symbol/symintfhost.h"

// The composite definition of lanes: entity symbols (type 3) stand for the
// entities the lane is responsible for, kept clear of the lane's outline.
const SSymCompDef& SHostLaneCompDef();

class SHostLaneSym : public SRepFaces<SHostLaneSym, SSymSwim, ISSymObject> {
 public:
  explicit SHostLaneSym(ISRepSession* session);
  ~SHostLaneSym() override;

  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;

  // ---- ISSymObject: the model's lane
  HRESULT GetModelObject(ISRepObject** out) override;
  std::uintptr_t GetIdent() override;
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}

  // ---- ISSwimlane: what makes the host's lanes differ from plain ones
  int IsInnerLane() override { return 1; }
  // The model lane's name.
  SString GetLaneText() override;
  // Entities may become children, nothing else.
  int RefusesChildObject(ISRepObject* candidate) override;

  // ---- ISSymbol
  // The lane's band, its title in the heading band, then its children.
  HRESULT Draw(SSymCanvas& canvas) override;
  // The children move with the lane (not while its pool holds it still).
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;

  // The composite face (not counted).
  ISSymCompSym* Comp();

 private:
  class Impl;
  Impl* m_comp;  // counted
};

// A new lane symbol bound to the model's lane `lane` (counted for the
// caller), not yet in a pool; null for a null, deleted or non-lane object.
SHostLaneSym* SHostNewLaneSymbol(ISRepSession* session, ISRepObject* lane);
