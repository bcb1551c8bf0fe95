// SRepObjectAllocator: a pool of fixed-size blocks for the objects of one class.
#pragma once

#include <cstddef>
#include <vector>

class SRepObjectAllocator {
 public:
  // objectSize: the size of one block (at least one pointer); blockCount:
  // the blocks of the first chunk taken from the heap (at least 1; a pool
  // that keeps growing takes ever larger chunks); name: for diagnostics, may
  // be null.
  SRepObjectAllocator(std::size_t objectSize, int blockCount, const char* name = nullptr);
  ~SRepObjectAllocator();
  SRepObjectAllocator(const SRepObjectAllocator&) = delete;
  SRepObjectAllocator& operator=(const SRepObjectAllocator&) = delete;

  // A block of GetBlockSize() bytes; throws std::bad_alloc when none can be had.
  void* Alloc();
  // Gives a block back; null is ignored.
  void Free(void* block);
  std::size_t GetBlockSize() const { return m_objectSize; }
  std::size_t GetRequestedSize() const { return m_requested; }
  int GetBlockCount() const { return m_blockCount; }
  const char* GetName() const { return m_name; }
  // Blocks handed out and not yet given back.
  int GetInUse() const { return m_inUse; }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  std::size_t m_requested;
  std::size_t m_objectSize;
  int m_blockCount;
  const char* m_name;
  struct Chunk {
    void* at;
    std::size_t bytes;
    bool mapped;  // its own mapping (large chunks), else heap storage
  };
  // Storage for the next chunk: the first ones hold blockCount blocks, later
  // ones as many blocks as all earlier chunks together (up to a limit).
  void NewChunk();

  FreeBlock* m_free = nullptr;  // blocks given back
  char* m_next = nullptr;       // the newest chunk's first block never handed out
  std::size_t m_fresh = 0;      // blocks left from m_next on
  std::size_t m_chunkBytes = 0;  // all chunks together
  std::vector<Chunk> m_chunks;
  int m_inUse = 0;
};
