#include "kvrep/sreptypelib.h"

#include <memory>

namespace {
SRepResourceLookup g_lookup = nullptr;
bool g_enabled = true;

// Little-endian reader that fails softly at the end of the bytes.
struct Reader {
  std::span<const std::uint8_t> b;
  std::size_t at = 0;
  bool ok = true;
  bool Need(std::size_t n) {
    if (!ok || at > b.size() || b.size() - at < n) ok = false;
    return ok;
  }
  std::uint32_t U(int bytes) {
    if (!Need(static_cast<std::size_t>(bytes))) return 0;
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(b[at + static_cast<std::size_t>(i)]) << (8 * i);
    at += static_cast<std::size_t>(bytes);
    return v;
  }
  std::string Text() {
    std::uint32_t n = U(1);
    if (n == 0 || !Need(n)) {
      ok = false;
      return {};
    }
    std::string s(reinterpret_cast<const char*>(b.data() + at), n - 1);
    at += n;
    return s;
  }
  GUID Guid() {
    if (!Need(16)) return GUID_NULL;
    GUID g = GuidFromBytes(b.data() + at);
    at += 16;
    return g;
  }
  void TypeRef() {
    U(2);
    U(2);
  }
};

bool IsMetaClass(const GUID& g, int x) {
  GUID want = MakeGUID("{362D41E0-9D82-11D1-8E5D-444553540000}");
  want.Data1 += static_cast<std::uint32_t>(x);
  return g == want;
}

// Reads the header and the class records up to the first class with members
// (whose member records are not read here).
bool Parse(SRepTypeLib& lib) {
  Reader r{lib.bytes};
  static const std::uint8_t magic[4] = {0x21, 0x53, 0x29, 0x56};
  if (!r.Need(4 + 28 + 1)) return false;
  for (int i = 0; i < 4; ++i)
    if (lib.bytes[static_cast<std::size_t>(i)] != magic[i]) return false;
  r.at = 4 + 28;
  r.U(1);
  lib.moduleCode = r.Text();
  r.Text();
  r.Guid();
  r.U(4);
  r.U(2), r.U(2), r.U(2), r.U(2);
  std::uint32_t named = r.U(4);
  for (std::uint32_t i = 0; r.ok && i < named && i < 1000; ++i) {
    r.Text();
    r.TypeRef();
    r.TypeRef();
  }
  std::uint32_t ids = r.U(4);
  for (std::uint32_t i = 0; r.ok && i < ids && i < 1000; ++i) r.Guid();
  lib.classCount = r.U(4);
  if (!r.ok) return false;
  for (std::uint32_t i = 0; r.ok && i < lib.classCount && i < 10000; ++i) {
    if (!IsMetaClass(r.Guid(), 4)) break;
    SRepMetaClass c;
    r.U(1);
    c.code = r.Text();
    c.name = r.Text();
    c.flags = r.U(4);
    c.clsid = r.Guid();
    r.U(4), r.U(4), r.U(4);
    std::uint32_t parents = r.U(4);
    for (std::uint32_t p = 0; r.ok && p < parents && p < 64; ++p) {
      c.parents.push_back(r.Text());
      c.parentIds.push_back(r.Guid());
    }
    std::uint32_t members = r.U(4);
    if (!r.ok) break;
    lib.classes.push_back(std::move(c));
    if (members != 0) break;
  }
  return true;
}

class Manager final : public ISRepTypeLibManager {
 public:
  HRESULT RegisterTypeLib(void* moduleState, UINT id, UINT lang, LPCWSTR type) override {
    if (!type) return E_POINTER;
    if (!g_lookup) return E_FAIL;
    std::span<const std::uint8_t> bytes = g_lookup(moduleState, id, type);
    if (bytes.empty()) return E_FAIL;
    return Add(moduleState, id, lang, type, bytes);
  }
  HRESULT RegisterBytes(void* moduleState, UINT id, std::span<const std::uint8_t> bytes) override {
    return Add(moduleState, id, 0, u"METADATA", bytes);
  }
  int GetCount() const override { return static_cast<int>(m_libs.size()); }
  const SRepTypeLib* GetAt(int i) const override {
    return i >= 0 && i < GetCount() ? m_libs[static_cast<std::size_t>(i)].get() : nullptr;
  }
  void Clear() override { m_libs.clear(); }

 private:
  HRESULT Add(void* moduleState, UINT id, UINT lang, LPCWSTR type, std::span<const std::uint8_t> bytes) {
    auto lib = std::make_unique<SRepTypeLib>();
    lib->moduleState = moduleState;
    lib->id = id;
    lib->lang = lang;
    lib->type = type;
    lib->bytes.assign(bytes.begin(), bytes.end());
    if (!Parse(*lib)) return STG_E_READFAULT;
    for (auto& l : m_libs)
      if (l->moduleState == moduleState && l->id == id) {
        l = std::move(lib);
        return S_OK;
      }
    m_libs.push_back(std::move(lib));
    return S_OK;
  }
  std::vector<std::unique_ptr<SRepTypeLib>> m_libs;
};
}  // namespace

void SRepSetResourceLookup(SRepResourceLookup lookup) { g_lookup = lookup; }

ISRepTypeLibManager* GetTypeLibManager() {
  static Manager manager;
  return g_enabled ? &manager : nullptr;
}

void SRepEnableTypeLibManager(bool enabled) { g_enabled = enabled; }
