#include "kvrep/srepalloc.h"

#include <new>

SRepObjectAllocator::SRepObjectAllocator(std::size_t objectSize, int blockCount, const char* name)
    : m_requested(objectSize), m_blockCount(blockCount > 0 ? blockCount : 1), m_name(name) {
  // Blocks keep the requested size when it can hold a free-list link and is a
  // multiple of a pointer's alignment (a class compares its own size with
  // GetBlockSize()); other sizes are rounded up.
  std::size_t a = alignof(FreeBlock);
  std::size_t s = objectSize < sizeof(FreeBlock) ? sizeof(FreeBlock) : objectSize;
  m_objectSize = (s + a - 1) / a * a;
}

SRepObjectAllocator::~SRepObjectAllocator() {
  for (void* c : m_chunks) ::operator delete(c, std::align_val_t(alignof(std::max_align_t)));
}

void* SRepObjectAllocator::Alloc() {
  if (m_free) {
    FreeBlock* b = m_free;
    m_free = b->next;
    ++m_inUse;
    return b;
  }
  // Blocks never handed out are taken from the newest chunk in order, one
  // at a time: threading a whole new chunk into the free list up front would
  // touch every block's memory twice (once for the list, once for its
  // object) and fault its pages in long before they are used.
  if (m_fresh == 0) {
    std::size_t bytes = m_objectSize * static_cast<std::size_t>(m_blockCount);
    m_next = static_cast<char*>(::operator new(bytes, std::align_val_t(alignof(std::max_align_t))));
    m_chunks.push_back(m_next);
    m_fresh = m_blockCount;
  }
  void* b = m_next;
  m_next += m_objectSize;
  --m_fresh;
  ++m_inUse;
  return b;
}

void SRepObjectAllocator::Free(void* block) {
  if (!block) return;
  auto* b = static_cast<FreeBlock*>(block);
  b->next = m_free;
  m_free = b;
  --m_inUse;
}
