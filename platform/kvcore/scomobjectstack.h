// SComObjectStack<I>: the counted-reference part of an object that
// implements interface I but whose life is its owner's scope (a local
// variable, a member), not its reference count: an iterator that listens
// to a collection while it walks it, a sink that lives as long as the call
// that made it.
//
// References taken on it never delete it. They are still counted, so that
// the owner can see whether anyone holds the object when its scope ends
// (GetOutstandingRefs): a holder left over then would call into a destroyed
// object. QueryInterface answers IUnknown and I with the object itself.
#pragma once

#include "kvcore/scomwrap.h"
#include "win/windef.h"

template <class I, const IID* piid = SComTraits<I>::piid>
class SComObjectStack : public I {

 public:
  SComObjectStack() = default;
  SComObjectStack(const SComObjectStack&) = delete;
  SComObjectStack& operator=(const SComObjectStack&) = delete;

  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == *piid) {
      *ppv = static_cast<I*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // The count answered is never 0: the object outlives every holder by
  // construction, and a holder must not conclude that it was the last.
  ULONG AddRef() override { return ++m_refs + 1; }
  ULONG Release() override {
    if (m_refs > 0) --m_refs;
    return m_refs + 1;
  }

  // How many references are held on the object now.
  ULONG GetOutstandingRefs() const { return m_refs; }

 protected:
  ~SComObjectStack() = default;

 private:
  ULONG m_refs = 0;
};
