// Delayed notifications: entries that wait, as notification sinks, for a
// notification that passes their filters, then send their own notification
// and leave the queue.
#pragma once

#include <cstdint>
#include <vector>

#include "kvcore/snotify.h"
#include "kvcore/stree.h"

// Payload base of a pending notification.
class SDelayNotify {
 public:
  virtual ~SDelayNotify() = default;
  virtual void OnDelayPosted() {}
  virtual void OnDelayFired() {}
};

template <class Payload>
class SPendingNotification;
class SPendingBag;

template <>
class SPendingNotification<SDelayNotify> : public SDelayNotify, public ISNotificationSink {
 public:
  // The notification to send (code, pointer, number), an ordering key, and
  // the filters: a null pointer filter and a 0 number filter are unset.
  SPendingNotification(int code, void* ptr, unsigned long num, std::uint32_t key, void* ptrFilter,
                       unsigned long numFilter)
      : m_nCode(code), m_pPtr(ptr), m_nNum(num), m_nKey(key), m_pPtrFilter(ptrFilter), m_nNumFilter(numFilter) {}
  // Unregisters the sink from the notification manager.
  ~SPendingNotification() override;
  SPendingNotification(const SPendingNotification&) = delete;
  SPendingNotification& operator=(const SPendingNotification&) = delete;

  // IUnknown: answers IUnknown and ISNotificationSink; no reference counting.
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  // The firing rule: a notification whose given pointer (number) differs from
  // a set pointer (number) filter is ignored; any other sends the entry's own
  // notification and removes the entry from the queue (destroying it).
  // Always 0.
  HRESULT OnNotify(int code, void* ptr, unsigned long num) override;

  // Queues an entry and advises it to the notification manager. An entry
  // equal in all six fields to a queued one is not added again: the queued
  // one is answered.
  static SPendingNotification* Post(int code, void* ptr, unsigned long num, std::uint32_t key = 0,
                                    void* ptrFilter = nullptr, unsigned long numFilter = 0);

  // The one queue of pending entries.
  static SPendingBag BagPendings;

  int m_nCode;
  void* m_pPtr;
  unsigned long m_nNum;
  std::uint32_t m_nKey;
  void* m_pPtrFilter;
  unsigned long m_nNumFilter;
};

using SPendingNotify = SPendingNotification<SDelayNotify>;

// Order of the queue: the six fields in field order, the first that differs
// deciding (numbers as signed values, pointers by address). -1, 0 or 1.
struct SAscPendings {
  static int Compare(const SPendingNotify& a, const SPendingNotify& b);
  int operator()(const SPendingNotify* a, const SPendingNotify* b) const { return Compare(*a, *b); }
};

// The queue: a sorted bag without duplicates that owns its entries; its
// nodes come from the C allocator.
class SPendingBag : public SBag<SPendingNotify*, SAscPendings> {
 public:
  SPendingBag() = default;
  // Destroys every entry still queued.
  ~SPendingBag() override;

  // The queued entry equal to the fields (new when none); *added tells which.
  SPendingNotify* Add(int code, void* ptr, unsigned long num, std::uint32_t key, void* ptrFilter,
                      unsigned long numFilter, bool* added);
  // Removes and destroys an entry of this queue; false when it is not here.
  bool Remove(SPendingNotify* entry);
  // Removes and destroys every entry.
  void RemoveAll();
  // The entries in queue order.
  std::vector<SPendingNotify*> GetEntries() const;

 protected:
  void* NewEntry() override;
  void DeleteEntry(void* entry) override;
};
