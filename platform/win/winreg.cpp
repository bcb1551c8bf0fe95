// In-memory registry trees behind the Reg* calls.
#include "win/winreg.h"
#include "win/winutf8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <unordered_map>
#include <vector>

namespace {

// Strict conversions: malformed UTF-8 (overlong forms, surrogates, code
// points past U+10FFFF) reads as U+FFFD, so a name read back from a file
// is the name that was written.
std::string ToUtf8(std::u16string_view s) { return KvUtf16ToUtf8(s); }
std::u16string ToUtf16(std::string_view s) { return KvUtf8ToUtf16(s); }

std::u16string Fold(std::u16string_view s) {
  std::u16string r(s);
  for (auto& c : r)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return r;
}

struct Value {
  std::u16string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::u16string name;
  bool deleted = false;
  std::map<std::u16string, std::shared_ptr<Key>> subKeys;  // by folded name
  std::vector<Value> values;

  Value* FindValue(std::u16string_view n) {
    const auto f = Fold(n);
    for (auto& v : values)
      if (Fold(v.name) == f) return &v;
    return nullptr;
  }
};

void MarkDeleted(Key& k) {
  k.deleted = true;
  for (auto& [n, s] : k.subKeys) MarkDeleted(*s);
}

struct Registry {
  std::mutex mutex;
  std::shared_ptr<Key> user = std::make_shared<Key>();
  std::shared_ptr<Key> machine = std::make_shared<Key>();
  std::shared_ptr<Key> classes = std::make_shared<Key>();
  std::unordered_map<std::uintptr_t, std::shared_ptr<Key>> handles;
  std::uintptr_t nextHandle = 0x1000;
};

Registry& Reg() {
  static Registry* r = new Registry;  // outlives static destructors of callers
  return *r;
}

// The key behind a handle; null for unknown handles. Caller holds the mutex.
std::shared_ptr<Key> Resolve(HKEY h) {
  auto& r = Reg();
  if (h == HKEY_CURRENT_USER) return r.user;
  if (h == HKEY_LOCAL_MACHINE) return r.machine;
  if (h == HKEY_CLASSES_ROOT) return r.classes;
  auto it = r.handles.find(reinterpret_cast<std::uintptr_t>(h));
  return it == r.handles.end() ? nullptr : it->second;
}

// The key of a handle when it still exists: ERROR_SUCCESS, or the error to
// answer for an unknown handle or a deleted key.
LSTATUS LiveKey(HKEY h, std::shared_ptr<Key>& k) {
  k = Resolve(h);
  if (!k) return ERROR_INVALID_HANDLE;
  return k->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

HKEY NewHandle(const std::shared_ptr<Key>& k) {
  auto& r = Reg();
  const std::uintptr_t v = r.nextHandle;
  r.nextHandle += 4;
  r.handles[v] = k;
  return reinterpret_cast<HKEY>(v);
}

std::vector<std::u16string> SplitPath(LPCWSTR path) {
  std::vector<std::u16string> parts;
  if (!path) return parts;
  std::u16string cur;
  for (const char16_t* p = path; *p; ++p) {
    if (*p == u'\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::u16string NameOf(LPCWSTR n) { return n ? std::u16string(n) : std::u16string(); }

// Copies a name out with the enumeration functions' size rules.
LSTATUS PutName(const std::u16string& name, LPWSTR out, DWORD* cch) {
  if (!cch) return ERROR_INVALID_PARAMETER;
  if (!out || *cch < name.size() + 1) {
    // Windows leaves *cch alone on ERROR_MORE_DATA for names.
    return ERROR_MORE_DATA;
  }
  std::copy(name.begin(), name.end(), out);
  out[name.size()] = 0;
  *cch = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

LSTATUS PutData(const Value& v, DWORD* type, BYTE* data, DWORD* cbData) {
  if (data && !cbData) return ERROR_INVALID_PARAMETER;
  if (type) *type = v.type;
  const DWORD size = static_cast<DWORD>(v.data.size());
  if (!cbData) return ERROR_SUCCESS;
  if (!data) {
    *cbData = size;
    return ERROR_SUCCESS;
  }
  if (*cbData < size) {
    *cbData = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::memcpy(data, v.data.data(), size);
  *cbData = size;
  return ERROR_SUCCESS;
}

// ---- text form ------------------------------------------------------------

std::string HiveName(int i) { return i == 0 ? "HKEY_CURRENT_USER" : i == 1 ? "HKEY_LOCAL_MACHINE" : "HKEY_CLASSES_ROOT"; }

std::string Quote(const std::u16string& s) {
  std::string u = ToUtf8(s), r = "\"";
  for (char c : u) {
    if (c == '"' || c == '\\') r += '\\', r += c;
    else if (c == '\n') r += "\\n";
    else if (c == '\r') r += "\\r";
    else r += c;
  }
  return r + "\"";
}

// A REG_SZ value written as text when it is exactly one terminated string.
bool IsPlainText(const Value& v, std::u16string* text) {
  if (v.type != REG_SZ || v.data.size() < 2 || v.data.size() % 2) return false;
  std::u16string s(v.data.size() / 2, u'\0');
  std::memcpy(s.data(), v.data.data(), v.data.size());
  if (s.back() != 0) return false;
  s.pop_back();
  if (s.find(u'\0') != std::u16string::npos) return false;
  *text = s;
  return true;
}

void SaveKey(std::ostream& out, const std::string& path, const Key& k) {
  out << "[" << path << "]\n";
  for (const auto& v : k.values) {
    out << Quote(v.name) << "=";
    std::u16string text;
    if (IsPlainText(v, &text)) {
      out << "sz:" << Quote(text) << "\n";
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
      DWORD d;
      std::memcpy(&d, v.data.data(), 4);
      char buf[16];
      std::snprintf(buf, sizeof buf, "%08x", d);
      out << "dword:" << buf << "\n";
    } else {
      out << "hex(" << v.type << "):";
      for (std::size_t i = 0; i < v.data.size(); ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
        out << (i ? "," : "") << buf;
      }
      out << "\n";
    }
  }
  out << "\n";
  for (const auto& [f, s] : k.subKeys) SaveKey(out, path + "\\" + ToUtf8(s->name), *s);
}

// Reads a quoted text at s[pos]; pos moves past the closing quote.
bool Unquote(const std::string& s, std::size_t& pos, std::string* out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  ++pos;
  out->clear();
  while (pos < s.size()) {
    char c = s[pos++];
    if (c == '"') return true;
    if (c == '\\') {
      if (pos >= s.size()) return false;
      char e = s[pos++];
      *out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    } else {
      *out += c;
    }
  }
  return false;
}

int HexNibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseValue(const std::string& line, Value* v) {
  std::size_t pos = 0;
  std::string name;
  if (!Unquote(line, pos, &name) || pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  v->name = ToUtf16(name);
  const std::string rest = line.substr(pos);
  if (rest.rfind("sz:", 0) == 0) {
    std::size_t p = 3;
    std::string text;
    if (!Unquote(rest, p, &text) || p != rest.size()) return false;
    std::u16string t = ToUtf16(text);
    t.push_back(0);
    v->type = REG_SZ;
    v->data.resize(t.size() * 2);
    std::memcpy(v->data.data(), t.data(), v->data.size());
    return true;
  }
  if (rest.rfind("dword:", 0) == 0) {
    const std::string h = rest.substr(6);
    if (h.empty() || h.size() > 8) return false;
    DWORD d = 0;
    for (char c : h) {
      int n = HexNibble(c);
      if (n < 0) return false;
      d = d * 16 + static_cast<DWORD>(n);
    }
    v->type = REG_DWORD;
    v->data.resize(4);
    std::memcpy(v->data.data(), &d, 4);
    return true;
  }
  if (rest.rfind("hex(", 0) == 0) {
    std::size_t close = rest.find("):");
    if (close == std::string::npos || close == 4 || close > 14) return false;
    unsigned long type = 0;
    for (std::size_t i = 4; i < close; ++i) {
      if (rest[i] < '0' || rest[i] > '9') return false;
      type = type * 10 + static_cast<unsigned long>(rest[i] - '0');
    }
    if (type > 0xFFFFFFFFul) return false;
    v->type = static_cast<DWORD>(type);
    const std::string h = rest.substr(close + 2);
    for (std::size_t i = 0; i < h.size();) {
      if (i + 2 > h.size()) return false;
      int a = HexNibble(h[i]), b = HexNibble(h[i + 1]);
      if (a < 0 || b < 0) return false;
      v->data.push_back(static_cast<BYTE>(a * 16 + b));
      i += 2;
      if (i < h.size()) {
        if (h[i] != ',') return false;
        ++i;
        if (i == h.size()) return false;
      }
    }
    return true;
  }
  return false;
}

}  // namespace

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, void*, HKEY* result,
                        DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  // A key name never holds a line break: the file form could not keep it.
  for (const auto& part : SplitPath(subKey))
    if (part.find_first_of(u"\r\n") != std::u16string::npos) return ERROR_INVALID_NAME;
  bool created = false;
  for (const auto& part : SplitPath(subKey)) {
    auto& slot = k->subKeys[Fold(part)];
    if (!slot) {
      slot = std::make_shared<Key>();
      slot->name = part;
      created = true;
    }
    k = slot;
  }
  *result = NewHandle(k);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  for (const auto& part : SplitPath(subKey)) {
    auto it = k->subKeys.find(Fold(part));
    if (it == k->subKeys.end()) return ERROR_FILE_NOT_FOUND;
    k = it->second;
  }
  *result = NewHandle(k);
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  std::lock_guard lock(Reg().mutex);
  if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
  return Reg().handles.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* cbData) {
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  const Value* v = k->FindValue(NameOf(valueName));
  if (!v) return ERROR_FILE_NOT_FOUND;
  return PutData(*v, type, data, cbData);
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD cbData) {
  if (!data && cbData) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  Value* v = k->FindValue(NameOf(valueName));
  if (!v) {
    k->values.push_back({NameOf(valueName), type, {}});
    v = &k->values.back();
  }
  v->type = type;
  v->data.assign(data, data + cbData);
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  const auto f = Fold(NameOf(valueName));
  auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) { return Fold(v.name) == f; });
  if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
  k->values.erase(it);
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  const auto parts = SplitPath(subKey);
  if (parts.empty()) return ERROR_ACCESS_DENIED;  // a key cannot delete itself through an empty path
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    auto it = k->subKeys.find(Fold(parts[i]));
    if (it == k->subKeys.end()) return ERROR_FILE_NOT_FOUND;
    k = it->second;
  }
  auto it = k->subKeys.find(Fold(parts.back()));
  if (it == k->subKeys.end()) return ERROR_FILE_NOT_FOUND;
  if (!it->second->subKeys.empty()) return ERROR_ACCESS_DENIED;
  MarkDeleted(*it->second);
  k->subKeys.erase(it);
  return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* cchName, DWORD*, LPWSTR keyClass, DWORD* cchClass,
                      void*) {
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  if (index >= k->subKeys.size()) return ERROR_NO_MORE_ITEMS;
  auto it = k->subKeys.begin();
  std::advance(it, index);
  LSTATUS st = PutName(it->second->name, name, cchName);
  if (st == ERROR_SUCCESS && keyClass && cchClass && *cchClass) {
    keyClass[0] = 0;
    *cchClass = 0;
  }
  return st;
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, DWORD* cchValueName, DWORD*, DWORD* type, BYTE* data,
                      DWORD* cbData) {
  std::lock_guard lock(Reg().mutex);
  std::shared_ptr<Key> k;
  if (const LSTATUS st = LiveKey(key, k)) return st;
  if (index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& v = k->values[index];
  LSTATUS st = PutName(v.name, valueName, cchValueName);
  if (st != ERROR_SUCCESS) return st;
  return PutData(v, type, data, cbData);
}

LSTATUS KvRegSaveFile(const std::string& path) {
  std::ostringstream out;
  {
    std::lock_guard lock(Reg().mutex);
    const Key* hives[] = {Reg().user.get(), Reg().machine.get(), Reg().classes.get()};
    for (int i = 0; i < 3; ++i) SaveKey(out, HiveName(i), *hives[i]);
  }
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return ERROR_ACCESS_DENIED;
  f << out.str();
  f.flush();
  return f ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS KvRegLoadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return ERROR_FILE_NOT_FOUND;
  std::shared_ptr<Key> hives[3] = {std::make_shared<Key>(), std::make_shared<Key>(), std::make_shared<Key>()};
  std::shared_ptr<Key> cur;
  std::string line;
  while (std::getline(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return ERROR_BADDB;
      const std::u16string p = ToUtf16(line.substr(1, line.size() - 2));
      const auto parts = SplitPath(p.c_str());
      if (parts.empty()) return ERROR_BADDB;
      int hive = -1;
      for (int i = 0; i < 3; ++i)
        if (ToUtf8(Fold(parts[0])) == ToUtf8(Fold(ToUtf16(HiveName(i))))) hive = i;
      if (hive < 0) return ERROR_BADDB;
      // A key name never holds a line break: the file form could not keep it.
      for (const auto& part : parts)
        if (part.find_first_of(u"\r\n") != std::u16string::npos) return ERROR_BADDB;
      cur = hives[hive];
      for (std::size_t i = 1; i < parts.size(); ++i) {
        auto& slot = cur->subKeys[Fold(parts[i])];
        if (!slot) {
          slot = std::make_shared<Key>();
          slot->name = parts[i];
        }
        cur = slot;
      }
      continue;
    }
    Value v;
    if (!cur || !ParseValue(line, &v)) return ERROR_BADDB;
    if (Value* old = cur->FindValue(v.name)) *old = std::move(v);
    else cur->values.push_back(std::move(v));
  }
  std::lock_guard lock(Reg().mutex);
  auto& r = Reg();
  MarkDeleted(*r.user);
  MarkDeleted(*r.machine);
  MarkDeleted(*r.classes);
  r.user = hives[0];
  r.machine = hives[1];
  r.classes = hives[2];
  return ERROR_SUCCESS;
}

void KvRegReset() {
  std::lock_guard lock(Reg().mutex);
  auto& r = Reg();
  MarkDeleted(*r.user);
  MarkDeleted(*r.machine);
  MarkDeleted(*r.classes);
  r.user = std::make_shared<Key>();
  r.machine = std::make_shared<Key>();
  r.classes = std::make_shared<Key>();
}

LSTATUS RegOpenKeyW(HKEY key, LPCWSTR subKey, HKEY* result) {
  return RegOpenKeyExW(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LSTATUS RegSetValueW(HKEY key, LPCWSTR subKey, DWORD type, LPCWSTR data, DWORD) {
  if (type != REG_SZ || !data) return ERROR_INVALID_PARAMETER;
  HKEY target = key;
  const bool own = subKey && *subKey;
  if (own) {
    if (const LSTATUS st = RegCreateKeyExW(key, subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &target, nullptr))
      return st;
  }
  // The stored text carries its terminator, as RegSetValueExW's REG_SZ does.
  std::size_t n = 0;
  while (data[n]) ++n;
  const LSTATUS st = RegSetValueExW(target, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                    static_cast<DWORD>((n + 1) * sizeof(char16_t)));
  if (own) RegCloseKey(target);
  return st;
}
