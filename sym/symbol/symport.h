// Two implementation bases: SSymOwnerImpl answers the owner interface for a
// symbol (or diagram) whose children are the members of its repository
// object's Symbols collection, handing over to a tree or composite that
// manages its children itself; SSymPortBase answers the port interface of a
// small symbol that sits on a side of its owner.
#pragma once

#include "sym/symbol/syminterfaces.h"

// The outermost owner above a symbol, climbed in a loop so that a nest of any
// depth reaches its diagram: *out (the caller's value) is left as it is when
// the symbol has no owner; otherwise it becomes the outermost owner, counted,
// unless that is the caller's own value, which stays uncounted (a chain of
// owners that comes back to one already passed ends there). An owner that is
// no symbol, the diagram, names the top itself.
HRESULT SSymClimbToTopOwner(ISSymbol* self, ISSymOwner** out);

class SSymOwnerImpl : public ISSymOwner {
 public:
  HRESULT Add(ISSymbol* symbol) override;
  HRESULT Remove(ISSymbol* symbol) override;
  BOOL Contains(ISSymbol* symbol, int deep) override;
  // Sets *out (a counted reference) to the outermost owner above the owner
  // symbol; leaves it as the caller set it (uncounted) when there is none or
  // when the walk comes back to that very owner.
  HRESULT GetTopOwner(ISSymOwner** out) override;
  HRESULT SymResize(ISSymbol* symbol) override;
  HRESULT SymRedraw(ISSymbol* symbol) override;
  HRESULT CreateChildrenSym(int flag) override;

 protected:
  ~SSymOwnerImpl() = default;
  // The owner's repository object and the owner as a symbol (null for an
  // owner that is no symbol, such as the diagram); no references added.
  virtual ISRepObject* GetOwnerObject() = 0;
  virtual ISSymbol* GetOwnerSymbol() = 0;
};

// The owner implementation of class T (a symbol class): the owning object
// comes from the one further operation.
template <class T>
class ISSymOwnerImpl : public SSymOwnerImpl {
 public:
  // The owning object, or null.
  virtual T* GetOwnerT() = 0;

 protected:
  ~ISSymOwnerImpl() = default;
  ISRepObject* GetOwnerObject() override {
    T* t = GetOwnerT();
    return t ? t->Obj() : nullptr;
  }
  ISSymbol* GetOwnerSymbol() override {
    T* t = GetOwnerT();
    return t ? t->Sym() : nullptr;
  }
};

// Sides of the owner a port sits on (y grows upward: y1 is the top).
enum SSymPortDirection : SHORT { PortNone = 0, PortRight = 1, PortBottom = 2, PortLeft = 3, PortTop = 4 };

class SSymPortBase : public ISSymPort {
 public:
  SSymPortBase() = default;
  SSymPortBase(const SSymPortBase& other) : ISSymPort(), m_direction(other.m_direction) {}
  SSymPortBase& operator=(const SSymPortBase&) = delete;

  int GetDirection() override { return m_direction; }
  void CopyDirection(ISSymbol* symbol) override;
  SSymPoint ComputeNewCenter(const SSymPoint& pt, int recompute) override;

 protected:
  ~SSymPortBase() = default;
  SHORT m_direction = PortNone;
};
