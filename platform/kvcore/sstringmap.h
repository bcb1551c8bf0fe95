// SStringMap: texts mapped to texts (conversion tables of shown values,
// labels of coded values). Keys compare exactly, letter case included.
#pragma once

#include <map>

#include "kvcore/sstring.h"

class SStringMap {
 public:
  // Adds or replaces an entry.
  void SetAt(const SString& key, const SString& value) { m_map[key] = value; }
  // True with the entry's text in out when the key is held; out untouched otherwise.
  bool Lookup(const SString& key, SString& out) const {
    auto it = m_map.find(key);
    if (it == m_map.end()) return false;
    out = it->second;
    return true;
  }
  bool Contains(const SString& key) const { return m_map.count(key) != 0; }
  bool RemoveKey(const SString& key) { return m_map.erase(key) != 0; }
  // The entry of a key, made empty when it was not held.
  SString& operator[](const SString& key) { return m_map[key]; }
  int GetCount() const { return static_cast<int>(m_map.size()); }
  bool IsEmpty() const { return m_map.empty(); }
  void RemoveAll() { m_map.clear(); }

 private:
  struct Less {
    bool operator()(const SString& a, const SString& b) const { return a.Compare(b) < 0; }
  };
  std::map<SString, SString, Less> m_map;
};
