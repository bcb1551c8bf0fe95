#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sfixedalloc.h"

TEST(SFixedAlloc, BlocksAreDistinctAlignedAndReused) {
  SFixedAlloc pool(24, 4, "SSymActionMove");
  EXPECT_STREQ(pool.GetClassName(), "SSymActionMove");
  EXPECT_GE(pool.GetAllocSize(), 24u);
  std::vector<void*> blocks;
  std::set<void*> seen;
  for (int i = 0; i < 10; ++i) {  // more than one chunk
    void* p = pool.Alloc();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignof(std::max_align_t), 0u);
    std::memset(p, 0xAB, 24);  // the whole block is usable
    EXPECT_TRUE(seen.insert(p).second);
    blocks.push_back(p);
  }
  EXPECT_EQ(pool.GetUsedCount(), 10u);
  pool.Free(blocks[3]);
  pool.Free(nullptr);
  EXPECT_EQ(pool.GetUsedCount(), 9u);
  EXPECT_EQ(pool.Alloc(), blocks[3]);  // a freed block is handed out again
  for (void* p : blocks) pool.Free(p);
  EXPECT_EQ(pool.GetUsedCount(), 0u);
}

TEST(SFixedAlloc, TinyBlocksAndDefaultCount) {
  SFixedAlloc pool(1);
  EXPECT_GE(pool.GetAllocSize(), sizeof(void*));
  EXPECT_GT(pool.GetBlockCount(), 0u);
  EXPECT_EQ(pool.GetClassName(), nullptr);
  void* a = pool.Alloc();
  void* b = pool.Alloc();
  EXPECT_NE(a, b);
}

TEST(SFixedAlloc, ImpossibleSizeThrowsOutOfMemory) {
  SFixedAlloc pool(SIZE_MAX / 2, 4, "Huge");
  EXPECT_THROW(pool.Alloc(), SEOutOfMemory);
  EXPECT_EQ(pool.GetUsedCount(), 0u);
}
