// SRelayCache: the process-wide cache of relay objects, keyed by the object
// they stand for. A relay is a small object that answers one interface on
// behalf of another object; the cache gives the memory for it, keeps at most
// one relay per owner and takes the memory back when the relay ends. Used on
// the user-interface thread only.
#pragma once

#include <cstddef>
#include <map>

class SRelayCache {
 public:
  static SRelayCache& Instance();

  // The slot that holds the relay of `owner` (null while there is none).
  void*& GetEntry(const void* owner) { return m_entries[owner]; }
  // The relay of `owner` without making a slot, or null.
  void* Find(const void* owner) const;
  // A block for a relay of `bytes` bytes, or null when none can be had.
  void* Alloc(std::size_t bytes);
  // Gives back the block of the relay of `owner` and forgets its slot.
  void Free(const void* owner, void* block);
  std::size_t GetCount() const { return m_entries.size(); }

 private:
  std::map<const void*, void*> m_entries;
};
