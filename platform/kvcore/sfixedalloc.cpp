#include "kvcore/sfixedalloc.h"

#include <cstdint>
#include <cstdlib>

#include "kvcore/sexception.h"

namespace {
constexpr unsigned kDefaultBlockCount = 64;
constexpr std::size_t kAlign = alignof(std::max_align_t);
std::size_t RoundUp(std::size_t n) { return (n + kAlign - 1) / kAlign * kAlign; }
}  // namespace

SFixedAlloc::SFixedAlloc(std::size_t blockSize, unsigned blockCount, const char* className)
    : m_blockSize(RoundUp(blockSize < sizeof(FreeBlock) ? sizeof(FreeBlock) : blockSize)),
      m_blockCount(blockCount ? blockCount : kDefaultBlockCount),
      m_className(className) {}

SFixedAlloc::~SFixedAlloc() {
  while (m_chunks) {
    Chunk* next = m_chunks->next;
    std::free(m_chunks);
    m_chunks = next;
  }
}

void* SFixedAlloc::Alloc() {
  if (!m_free) {
    const std::size_t header = RoundUp(sizeof(Chunk));
    if (m_blockSize > (SIZE_MAX - header) / m_blockCount) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
    auto* raw = static_cast<unsigned char*>(std::malloc(header + m_blockSize * m_blockCount));
    if (!raw) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
    auto* chunk = reinterpret_cast<Chunk*>(raw);
    chunk->next = m_chunks;
    m_chunks = chunk;
    // Thread the new blocks onto the free list, first block first.
    for (unsigned i = m_blockCount; i-- > 0;) {
      auto* block = reinterpret_cast<FreeBlock*>(raw + header + i * m_blockSize);
      block->next = m_free;
      m_free = block;
    }
  }
  FreeBlock* block = m_free;
  m_free = block->next;
  ++m_used;
  return block;
}

void SFixedAlloc::Free(void* p) {
  if (!p) return;
  auto* block = static_cast<FreeBlock*>(p);
  block->next = m_free;
  m_free = block;
  --m_used;
}
