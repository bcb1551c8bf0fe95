#include "win/winres.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

namespace {
// A type or name: a number, or an upper-cased text.
struct ResKey {
  unsigned id = 0;
  std::u16string text;
  bool operator<(const ResKey& o) const { return std::tie(id, text) < std::tie(o.id, o.text); }
};
ResKey KeyOf(LPCWSTR p) {
  ResKey k;
  if (IS_INTRESOURCE(p)) {
    k.id = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p));
    return k;
  }
  k.id = 0x10000;  // texts sort after every number
  for (; *p; ++p) k.text += (*p >= u'a' && *p <= u'z') ? static_cast<char16_t>(*p - u'a' + u'A') : *p;
  return k;
}
ResKey KeyOf(LPCSTR p) {
  if (IS_INTRESOURCE(p)) return KeyOf(reinterpret_cast<LPCWSTR>(p));
  std::u16string wide;
  for (; *p; ++p) wide += static_cast<char16_t>(static_cast<unsigned char>(*p));
  return KeyOf(wide.c_str());
}
struct Resource {
  const void* data;
  DWORD size;
};
using Key = std::tuple<HMODULE, ResKey, ResKey>;  // module, type, name
struct ResState {
  std::mutex lock;
  // Entries are held by pointer so that a handle stays put while the table changes.
  std::map<Key, std::unique_ptr<Resource>> table;
};
ResState& State() {
  static ResState* s = new ResState;
  return *s;
}

HRSRC Find(HMODULE module, const ResKey& name, const ResKey& type) {
  if (!module) return nullptr;
  ResState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  auto it = s.table.find(Key(module, type, name));
  return it == s.table.end() ? nullptr : reinterpret_cast<HRSRC>(it->second.get());
}
}  // namespace

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  if (!name || !type) return nullptr;
  return Find(module, KeyOf(name), KeyOf(type));
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!name || !type) return nullptr;
  return Find(module, KeyOf(name), KeyOf(type));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  if (!resource) return nullptr;
  return reinterpret_cast<HGLOBAL>(const_cast<void*>(reinterpret_cast<Resource*>(resource)->data));
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  return resource ? reinterpret_cast<Resource*>(resource)->size : 0;
}

LPVOID LockResource(HGLOBAL loaded) { return reinterpret_cast<LPVOID>(loaded); }

bool KvRegisterResource(HMODULE module, LPCWSTR type, LPCWSTR name, const void* data, DWORD size) {
  if (!module || !type || !name || !data) return false;
  ResState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  s.table[Key(module, KeyOf(type), KeyOf(name))] = std::make_unique<Resource>(Resource{data, size});
  return true;
}

void KvUnregisterResource(HMODULE module, LPCWSTR type, LPCWSTR name) {
  if (!module || !type || !name) return;
  ResState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  s.table.erase(Key(module, KeyOf(type), KeyOf(name)));
}

void KvUnregisterResources(HMODULE module) {
  ResState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  for (auto it = s.table.begin(); it != s.table.end();)
    it = std::get<0>(it->first) == module ? s.table.erase(it) : std::next(it);
}

int KvResourceCount(HMODULE module) {
  ResState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  int n = 0;
  for (const auto& [key, value] : s.table)
    if (std::get<0>(key) == module) ++n;
  return n;
}

KvResourceRegistration::KvResourceRegistration(HMODULE module, LPCWSTR type, LPCWSTR name, const void* data,
                                               DWORD size)
    : m_module(module), m_type(Keep(type, m_typeText)), m_name(Keep(name, m_nameText)) {
  KvRegisterResource(module, m_type, m_name, data, size);
}

LPCWSTR KvResourceRegistration::Keep(LPCWSTR p, std::u16string& copy) {
  if (!p || IS_INTRESOURCE(p)) return p;
  copy = p;
  return copy.c_str();
}

KvResourceRegistration::~KvResourceRegistration() { KvUnregisterResource(m_module, m_type, m_name); }
