// KvComObject<I>: the counted part of a heap object that implements one
// interface I: QueryInterface answers IUnknown and I with the object itself,
// and the last Release deletes it. Objects start with one reference.
#pragma once

#include <atomic>

#include "win/windef.h"

template <class I>
class KvComObject : public I {
 public:
  KvComObject() = default;
  KvComObject(const KvComObject&) = delete;
  KvComObject& operator=(const KvComObject&) = delete;

  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid != IID_IUnknown && iid != I::iid) return E_NOINTERFACE;
    *ppv = static_cast<I*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }

 protected:
  virtual ~KvComObject() = default;

 private:
  std::atomic<ULONG> m_refs{1};
};
