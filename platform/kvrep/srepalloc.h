// SRepObjectAllocator: a pool of fixed-size blocks for the objects of one class.
#pragma once

#include <cstddef>
#include <new>
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

// A base that gives class T (final) its operator new and delete from one pool
// of T's size, made on first use and kept for the life of the process (blocks
// given back at any moment, static destructors included, find it still
// there). For small objects made and dropped by the hundred thousand, such as
// the undo records of deleting a whole diagram: a block is a pointer bump or
// a pop of the pool's free list, where the heap searches its bins and touches
// its own bookkeeping beside every block.
template <class T>
class SRepPooled {
 public:
  static void* operator new(std::size_t size) { return size == sizeof(T) ? Pool().Alloc() : ::operator new(size); }
  static void operator delete(void* p, std::size_t size) noexcept {
    if (size == sizeof(T)) Pool().Free(p);
    else ::operator delete(p);
  }

 private:
  static SRepObjectAllocator& Pool() {
    static auto* pool = new SRepObjectAllocator(sizeof(T), 256);
    return *pool;
  }
};
