// SBlob: a block of bytes held by value (a repository's binary attribute).
#pragma once

#include <cstddef>
#include <vector>

#include "kvcore/sstring.h"
#include "win/windef.h"

class SBlob {
 public:
  SBlob() = default;
  SBlob(const void* data, std::size_t size);
  explicit SBlob(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}

  std::size_t GetSize() const { return m_bytes.size(); }
  bool IsEmpty() const { return m_bytes.empty(); }
  const BYTE* GetData() const { return m_bytes.data(); }
  const std::vector<BYTE>& GetBytes() const { return m_bytes; }
  void SetData(const void* data, std::size_t size);
  void Empty() { m_bytes.clear(); }

  // A read pointer to the bytes (null for an empty blob); Unlock ends the read.
  const BYTE* LockForRead() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }
  void Unlock() const {}

  // -1, 0 or 1: bytes compared in order, then the shorter blob first.
  int Compare(const SBlob& other) const;
  bool operator==(const SBlob& other) const { return m_bytes == other.m_bytes; }

  // Replaces the bytes with a whole file; false (blob unchanged) when it cannot be read.
  bool ReadFromFile(const SString& path);
  // Writes the bytes to a file; false when it cannot be written.
  bool WriteToFile(const SString& path) const;

 private:
  std::vector<BYTE> m_bytes;
};

// A scoped read of a blob: a copy of the blob and its read pointer (null for
// an empty blob), unlocked when the scope ends.
class SBlobReadLock {
 public:
  explicit SBlobReadLock(const SBlob& blob) : m_blob(blob), m_data(m_blob.LockForRead()) {}
  ~SBlobReadLock() {
    if (m_data) m_blob.Unlock();
  }
  SBlobReadLock(const SBlobReadLock&) = delete;
  SBlobReadLock& operator=(const SBlobReadLock&) = delete;
  const BYTE* GetData() const { return m_data; }
  std::size_t GetSize() const { return m_blob.GetSize(); }

 private:
  SBlob m_blob;
  const BYTE* m_data;
};
