#include "sym/foundation/symnotify.h"

#include <cstdlib>

namespace {
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

SPendingBag::~SPendingBag() { RemoveAll(); }

void* SPendingBag::NewEntry() { return std::malloc(__STree::ItemOffset + sizeof(SPendingNotify*)); }
void SPendingBag::DeleteEntry(void* entry) { std::free(entry); }

SPendingNotify* SPendingBag::Add(int code, void* ptr, unsigned long num, std::uint32_t key, void* ptrFilter,
                                 unsigned long numFilter, bool* added) {
  SPendingNotify probe(code, ptr, num, key, ptrFilter, numFilter);
  if (SPendingNotify* const* found = Find(&probe)) {
    if (added) *added = false;
    return *found;
  }
  auto* entry = new SPendingNotify(code, ptr, num, key, ptrFilter, numFilter);
  try {
    SBag::Add(entry);
  } catch (...) {
    delete entry;
    throw;
  }
  if (added) *added = true;
  return entry;
}

bool SPendingBag::Remove(SPendingNotify* entry) {
  if (!entry) return false;
  SPendingNotify* const* found = Find(entry);
  if (!found || *found != entry) return false;
  SBag::Remove(entry);
  delete entry;
  return true;
}

void SPendingBag::RemoveAll() {
  std::vector<SPendingNotify*> entries = GetEntries();
  SBag::RemoveAll();
  for (SPendingNotify* e : entries) delete e;
}

std::vector<SPendingNotify*> SPendingBag::GetEntries() const {
  std::vector<SPendingNotify*> out;
  for (SPendingNotify* e : *this) out.push_back(e);
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
