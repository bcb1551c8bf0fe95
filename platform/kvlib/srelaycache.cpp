#include "kvlib/srelaycache.h"

#include <new>

SRelayCache& SRelayCache::Instance() {
  // Never destroyed: relays may end while other statics go at exit.
  static SRelayCache* cache = new SRelayCache;
  return *cache;
}

void* SRelayCache::Find(const void* owner) const {
  auto it = m_entries.find(owner);
  return it == m_entries.end() ? nullptr : it->second;
}

void* SRelayCache::Alloc(std::size_t bytes) { return ::operator new(bytes, std::nothrow); }

void SRelayCache::Free(const void* owner, void* block) {
  auto it = m_entries.find(owner);
  if (it != m_entries.end() && it->second == block) m_entries.erase(it);
  ::operator delete(block);
}
