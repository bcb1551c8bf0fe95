#include "sym/foundation/symnotify.h"

#include <cstdlib>
#include <new>
#include <set>

namespace {
// Nodes of the queue come from malloc.
template <class T>
struct SCAllocator {
  using value_type = T;
  SCAllocator() = default;
  template <class U>
  SCAllocator(const SCAllocator<U>&) {}
  T* allocate(std::size_t n) {
    void* p = std::malloc(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) { std::free(p); }
  template <class U>
  bool operator==(const SCAllocator<U>&) const {
    return true;
  }
};

template <class T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}
}  // namespace

int SAscPendings::Compare(const SPendingNotify& a, const SPendingNotify& b) {
  if (int c = Cmp(a.m_nCode, b.m_nCode)) return c;
  if (int c = Cmp(reinterpret_cast<std::uintptr_t>(a.m_pPtr), reinterpret_cast<std::uintptr_t>(b.m_pPtr))) return c;
  if (int c = Cmp(static_cast<long>(a.m_nNum), static_cast<long>(b.m_nNum))) return c;
  if (int c = Cmp(static_cast<std::int32_t>(a.m_nKey), static_cast<std::int32_t>(b.m_nKey))) return c;
  if (int c = Cmp(reinterpret_cast<std::uintptr_t>(a.m_pPtrFilter), reinterpret_cast<std::uintptr_t>(b.m_pPtrFilter)))
    return c;
  return Cmp(static_cast<long>(a.m_nNumFilter), static_cast<long>(b.m_nNumFilter));
}

struct SPendingBag::Impl {
  std::set<SPendingNotify, SAscPendings, SCAllocator<SPendingNotify>> entries;
};

SPendingBag::SPendingBag() : m_pImpl(new Impl) {}

SPendingBag::~SPendingBag() {
  delete m_pImpl;
  m_pImpl = nullptr;
}

SPendingNotify* SPendingBag::Add(int code, void* ptr, unsigned long num, std::uint32_t key, void* ptrFilter,
                                 unsigned long numFilter, bool* added) {
  auto [it, inserted] = m_pImpl->entries.emplace(code, ptr, num, key, ptrFilter, numFilter);
  if (added) *added = inserted;
  return const_cast<SPendingNotify*>(&*it);
}

bool SPendingBag::Remove(SPendingNotify* entry) {
  if (!entry || !m_pImpl) return false;
  auto it = m_pImpl->entries.find(*entry);
  if (it == m_pImpl->entries.end() || &*it != entry) return false;
  m_pImpl->entries.erase(it);
  return true;
}

void SPendingBag::RemoveAll() {
  if (m_pImpl) m_pImpl->entries.clear();
}

int SPendingBag::GetCount() const { return m_pImpl ? static_cast<int>(m_pImpl->entries.size()) : 0; }

std::vector<SPendingNotify*> SPendingBag::GetEntries() const {
  std::vector<SPendingNotify*> out;
  if (m_pImpl)
    for (const SPendingNotify& e : m_pImpl->entries) out.push_back(const_cast<SPendingNotify*>(&e));
  return out;
}

// The second start-up initialiser of the library (after the module state).
SPendingBag SPendingNotify::BagPendings __attribute__((init_priority(103)));

SPendingNotify::~SPendingNotification() { SNotificationManager::UnadviseAll(this); }

HRESULT SPendingNotify::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_ISNotificationSink) {
    *ppv = static_cast<ISNotificationSink*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT SPendingNotify::OnNotify(int, void* ptr, unsigned long num) {
  if (ptr && m_pPtrFilter && ptr != m_pPtrFilter) return S_OK;
  if (num && m_nNumFilter && num != m_nNumFilter) return S_OK;
  // The entry leaves the queue before its own notification goes out, so that
  // notification cannot fire it a second time.
  const int code = m_nCode;
  void* const sendPtr = m_pPtr;
  const unsigned long sendNum = m_nNum;
  OnDelayFired();
  BagPendings.Remove(this);  // destroys this entry
  SNotificationManager::Notify(code, sendPtr, sendNum);
  return S_OK;
}

SPendingNotify* SPendingNotify::Post(int code, void* ptr, unsigned long num, std::uint32_t key, void* ptrFilter,
                                     unsigned long numFilter) {
  bool added = false;
  SPendingNotify* entry = BagPendings.Add(code, ptr, num, key, ptrFilter, numFilter, &added);
  if (added) {
    SNotificationManager::Advise(entry);
    entry->OnDelayPosted();
  }
  return entry;
}
