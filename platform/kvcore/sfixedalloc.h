// SFixedAlloc: a pool of fixed-size blocks, named by the class it serves.
#pragma once

#include <cstddef>

class SFixedAlloc {
 public:
  // blockSize: bytes per block (at least one pointer is taken); blockCount:
  // blocks per chunk taken from the heap at once (0 gives a default);
  // className: the name of the class served (kept, not copied; may be null).
  explicit SFixedAlloc(std::size_t blockSize, unsigned blockCount = 0, const char* className = nullptr);
  // Gives every chunk back to the heap, blocks still taken included.
  ~SFixedAlloc();
  SFixedAlloc(const SFixedAlloc&) = delete;
  SFixedAlloc& operator=(const SFixedAlloc&) = delete;

  // A block of GetAllocSize() bytes; throws SEOutOfMemory when the heap fails.
  void* Alloc();
  // Returns a block taken from this pool; null is ignored.
  void Free(void* block);

  std::size_t GetAllocSize() const { return m_blockSize; }
  unsigned GetBlockCount() const { return m_blockCount; }
  const char* GetClassName() const { return m_className; }
  // Blocks taken and not yet returned.
  std::size_t GetUsedCount() const { return m_used; }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  struct Chunk {
    Chunk* next;
  };
  std::size_t m_blockSize;
  unsigned m_blockCount;
  const char* m_className;
  Chunk* m_chunks = nullptr;
  FreeBlock* m_free = nullptr;
  std::size_t m_used = 0;
};
