// A storage on new lock bytes over a memory block, released with the
// fixture; Image() reads the bytes its last commit wrote.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "win/winole.h"

struct MemoryStorage {
  ILockBytes* bytes = nullptr;
  IStorage* storage = nullptr;
  MemoryStorage() {
    EXPECT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
    EXPECT_EQ(StgCreateDocfileOnILockBytes(bytes, STGM_READWRITE | STGM_CREATE, 0, &storage), S_OK);
  }
  ~MemoryStorage() {
    if (storage) storage->Release();
    bytes->Release();
  }
  MemoryStorage(const MemoryStorage&) = delete;
  MemoryStorage& operator=(const MemoryStorage&) = delete;
  std::vector<BYTE> Image() const {
    STATSTG st{};
    bytes->Stat(&st, STATFLAG_NONAME);
    std::vector<BYTE> out(static_cast<std::size_t>(st.cbSize));
    bytes->ReadAt(0, out.data(), static_cast<ULONG>(out.size()), nullptr);
    return out;
  }
};
