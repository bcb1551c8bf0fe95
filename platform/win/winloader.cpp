#include "win/winloader.h"
#include "win/winutf8.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

namespace {
struct Loaded {
  void* handle = nullptr;
  int count = 0;
};
struct LoaderState {
  std::mutex lock;
  std::map<HMODULE, Loaded> loaded;
  std::set<HMODULE> noThreadCalls;
  std::map<std::u16string, UINT> messages;
  UINT nextMessage = 0xC000;
};
// Never destroyed: modules unload (and free themselves) during process exit.
LoaderState& State() {
  static LoaderState* s = new LoaderState;
  return *s;
}
const char g_marker = 0;
thread_local std::string t_lastLoadError;

std::string Utf16ToUtf8(LPCWSTR text) {
  std::string out;
  for (const char16_t* p = text; *p; ++p) {
    char32_t c = *p;
    if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    }
    KvAppendUtf8(out, c);
  }
  return out;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The instance handle of a dlopen handle: the base of the module holding its
// dynamic section.
HMODULE BaseOf(void* handle) {
  struct link_map* map = nullptr;
  if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  Dl_info info{};
  if (map->l_ld && dladdr(map->l_ld, &info) && info.dli_fbase) return static_cast<HMODULE>(info.dli_fbase);
  return reinterpret_cast<HMODULE>(map->l_addr);
}

HMODULE Load(const std::string& name) {
  t_lastLoadError.clear();
  if (name.empty()) {
    t_lastLoadError = "empty library name";
    return nullptr;
  }
  void* handle = dlopen(KvMapLibraryName(name).c_str(), RTLD_NOW);
  if (!handle) {
    const char* why = dlerror();
    t_lastLoadError = why ? why : "cannot load " + name;
    return nullptr;
  }
  HMODULE module = BaseOf(handle);
  if (!module) {
    dlclose(handle);
    return nullptr;
  }
  LoaderState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  // dlopen counts its own references and answers the same handle for the
  // same module: one dlopen per load, one dlclose per free.
  Loaded& entry = s.loaded[module];
  entry.handle = handle;
  ++entry.count;
  return module;
}

HMODULE FindLoaded(const std::string& name) {
  if (name.empty()) return nullptr;
  void* handle = dlopen(KvMapLibraryName(name).c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (!handle) return nullptr;
  HMODULE module = BaseOf(handle);
  dlclose(handle);
  return module;
}
}  // namespace

std::string KvLastLoadError() { return t_lastLoadError; }

std::string KvLibraryFolder() {
  Dl_info info{};
  if (!dladdr(&g_marker, &info) || !info.dli_fname) return ".";
  std::string path = info.dli_fname;
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string KvMapLibraryName(const std::string& name) {
  std::string n = name;
  std::replace(n.begin(), n.end(), '\\', '/');
  auto lower = [](std::string t) {
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return t;
  };
  if (n.find('/') == std::string::npos && n.size() > 4 && lower(n.substr(n.size() - 4)) == ".dll") {
    std::string file = "lib" + lower(n.substr(0, n.size() - 4)) + ".so";
    std::string beside = KvLibraryFolder() + "/" + file;
    return FileExists(beside) ? beside : file;
  }
  return n;
}

HMODULE LoadLibraryA(LPCSTR name) { return Load(name ? name : ""); }
HMODULE LoadLibraryW(LPCWSTR name) { return Load(name ? Utf16ToUtf8(name) : std::string()); }

BOOL FreeLibrary(HMODULE module) {
  void* handle = nullptr;
  {
    LoaderState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.loaded.find(module);
    if (it == s.loaded.end() || it->second.count <= 0) return FALSE;
    handle = it->second.handle;
    if (--it->second.count == 0) {
      s.loaded.erase(it);
      s.noThreadCalls.erase(module);
    }
  }
  // Outside the lock: the module's own unload may call back into the loader.
  return dlclose(handle) == 0 ? TRUE : FALSE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (!name) return nullptr;
  void* sym = nullptr;
  if (!module) {
    sym = dlsym(RTLD_DEFAULT, name);
  } else {
    void* handle = nullptr;
    {
      LoaderState& s = State();
      std::lock_guard<std::mutex> g(s.lock);
      auto it = s.loaded.find(module);
      if (it != s.loaded.end()) handle = it->second.handle;
    }
    if (handle) {
      sym = dlsym(handle, name);
    } else {
      std::string file = KvModuleFileName(module);
      if (file.empty()) return nullptr;
      handle = dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
      if (!handle) return nullptr;
      sym = dlsym(handle, name);
      dlclose(handle);
    }
  }
  return reinterpret_cast<FARPROC>(sym);
}

HMODULE GetModuleHandleA(LPCSTR name) {
  if (!name) {
    void* self = dlopen(nullptr, RTLD_LAZY);
    HMODULE module = BaseOf(self);
    if (self) dlclose(self);
    return module;
  }
  return FindLoaded(name);
}

HMODULE GetModuleHandleW(LPCWSTR name) {
  return name ? FindLoaded(Utf16ToUtf8(name)) : GetModuleHandleA(nullptr);
}

BOOL DisableThreadLibraryCalls(HMODULE module) {
  if (!module) return FALSE;
  LoaderState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  s.noThreadCalls.insert(module);
  return TRUE;
}

bool KvThreadLibraryCallsDisabled(HMODULE module) {
  LoaderState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  return s.noThreadCalls.count(module) != 0;
}

UINT RegisterWindowMessageW(LPCWSTR name) {
  if (!name || !*name) return 0;
  std::u16string key(name);
  for (char16_t& c : key)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  LoaderState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  auto it = s.messages.find(key);
  if (it != s.messages.end()) return it->second;
  if (s.nextMessage > 0xFFFF) return 0;
  UINT number = s.nextMessage++;
  s.messages.emplace(std::move(key), number);
  return number;
}

UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name) return 0;
  std::u16string wide;
  for (const char* p = name; *p; ++p) wide += static_cast<char16_t>(static_cast<unsigned char>(*p));
  return RegisterWindowMessageW(wide.c_str());
}

HINSTANCE KvModuleHandleFromAddress(const void* address) {
  Dl_info info{};
  if (!address || !dladdr(address, &info) || !info.dli_fbase) return nullptr;
  return static_cast<HINSTANCE>(info.dli_fbase);
}

std::string KvModuleFileName(HMODULE module) {
  Dl_info info{};
  if (!module || !dladdr(module, &info) || !info.dli_fname) return std::string();
  return info.dli_fname;
}
