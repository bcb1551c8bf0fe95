#include "kvcore/sblob.h"

#include <cstdio>
#include <cstring>

#include "kvcore/sstream.h"

SBlob::SBlob(const void* data, std::size_t size) { SetData(data, size); }

void SBlob::SetData(const void* data, std::size_t size) {
  if (!data || !size) {
    m_bytes.clear();
    return;
  }
  const BYTE* p = static_cast<const BYTE*>(data);
  m_bytes.assign(p, p + size);
}

int SBlob::Compare(const SBlob& other) const {
  const std::size_t n = std::min(m_bytes.size(), other.m_bytes.size());
  if (n) {
    int c = std::memcmp(m_bytes.data(), other.m_bytes.data(), n);
    if (c) return c < 0 ? -1 : 1;
  }
  if (m_bytes.size() == other.m_bytes.size()) return 0;
  return m_bytes.size() < other.m_bytes.size() ? -1 : 1;
}

bool SBlob::ReadFromFile(const SString& path) {
  try {
    SInputFile in(path);
    std::vector<BYTE> bytes(in.GetAvailable());
    if (!bytes.empty()) in.Read(bytes.data(), bytes.size());
    m_bytes = std::move(bytes);
    return true;
  } catch (const SException&) {
    return false;
  }
}

bool SBlob::WriteToFile(const SString& path) const {
  try {
    SOutputFile out(path, 1);
    out.Write(m_bytes.data(), m_bytes.size());
    out.Close();
    return true;
  } catch (const SException&) {
    return false;
  }
}
