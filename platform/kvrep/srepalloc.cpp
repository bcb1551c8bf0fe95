#include "kvrep/srepalloc.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

// A pool that has grown to many objects takes its chunks in whole large
// pages: a first touch of new memory then faults once per 2 MB instead of
// once per 4 kB, which is most of the time a large diagram takes to build.
constexpr std::size_t kLargePage = std::size_t{2} << 20;
// The largest chunk a pool takes at a time.
constexpr std::size_t kMaxChunk = std::size_t{16} << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOwnMappings = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kOwnMappings = false;
#else
constexpr bool kOwnMappings = true;
#endif
#else
constexpr bool kOwnMappings = true;
#endif

// bytes (a multiple of kLargePage) aligned on a large page, or null. Under
// the address sanitizer the chunks stay heap storage, so that its leak check
// still reads the pointers that pooled objects hold.
void* MapLargePages(std::size_t bytes) {
  if (!kOwnMappings) return nullptr;
  const std::size_t span = bytes + kLargePage;
  void* p = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  auto* base = static_cast<char*>(p);
  const auto a = reinterpret_cast<std::uintptr_t>(base);
  char* at = base + ((kLargePage - a % kLargePage) % kLargePage);
  if (at > base) ::munmap(base, static_cast<std::size_t>(at - base));
  if (char* end = at + bytes; end < base + span) ::munmap(end, static_cast<std::size_t>(base + span - end));
  // Only advice: without large pages the chunk still works, page by page.
  ::madvise(at, bytes, MADV_HUGEPAGE);
  return at;
}

}  // namespace

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
  for (const Chunk& c : m_chunks) {
    if (c.mapped)
      ::munmap(c.at, c.bytes);
    else
      ::operator delete(c.at, std::align_val_t(alignof(std::max_align_t)));
  }
}

void SRepObjectAllocator::NewChunk() {
  const std::size_t first = m_objectSize * static_cast<std::size_t>(m_blockCount);
  std::size_t bytes = std::max(first, std::min(m_chunkBytes, kMaxChunk));
  m_chunks.reserve(m_chunks.size() + 1);  // before the chunk: nothing to lose if this throws
  void* at = nullptr;
  bool mapped = false;
  if (bytes >= kLargePage) {
    bytes = (bytes + kLargePage - 1) / kLargePage * kLargePage;
    at = MapLargePages(bytes);
    mapped = at != nullptr;
  }
  if (!at) at = ::operator new(bytes, std::align_val_t(alignof(std::max_align_t)));
  m_chunks.push_back(Chunk{at, bytes, mapped});
  m_chunkBytes += bytes;
  m_next = static_cast<char*>(at);
  m_fresh = bytes / m_objectSize;
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
  if (m_fresh == 0) NewChunk();
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
