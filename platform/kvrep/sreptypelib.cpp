#include "kvrep/sreptypelib.h"

#include <cstdlib>
#include <memory>

#include "kvrep/srepregistry.h"
#include "kvcore/smodulestate.h"

namespace {
SRepResourceLookup g_lookup = nullptr;
SRepStringLookup g_stringLookup = nullptr;
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

SRepVariant DefaultOf(WORD type, const std::string& text) {
  SRepVariant v;
  char* end = nullptr;
  long long n = text.empty() ? 0 : std::strtoll(text.c_str(), &end, 0);
  bool numeric = !text.empty() && end && *end == 0;
  switch (type) {
    case 0x2: v.SetSHORT(static_cast<SHORT>(numeric ? n : 0)); break;
    case 0x3: v.SetLONG(static_cast<LONG>(numeric ? n : 0)); break;
    case 0x6: v.SetFLAGS(static_cast<DWORD>(numeric ? n : 0)); break;
    case 0x4: v.SetBOOL(text == "TRUE" || (numeric && n != 0)); break;
    case 0x8: v.SetDATE(0); break;
    case 0x9:
    case 0xA: {
      // Texts are written TEXT("..."); any other form is no default.
      SString t;
      if (text.size() >= 8 && text.rfind("TEXT(\"", 0) == 0 && text.compare(text.size() - 2, 2, "\")") == 0)
        t = SString::FromUtf8(std::string_view(text).substr(6, text.size() - 8));
      if (type == 0x9) v.SetSTRING(t);
      else v.SetTEXT(t);
      break;
    }
    case 0xB: v.SetBINARY({}); break;
    case 0xE: v.SetPOINT({}); break;
    case 0xF: v.SetRECT(SRep_Rect{}); break;
    case 0x10: v.SetPLst({}); break;
    case 0x1: v.SetOID({}); break;
    default: break;
  }
  return v;
}

bool ReadMember(Reader& r, int kind, SRepMetaMember& m) {
  r.U(1);
  m.code = r.Text();
  m.name = r.Text();
  m.id = static_cast<LONG>(r.U(4));
  m.flags = r.U(4);
  r.U(4);  // label
  r.U(1);  // redefinition mark
  std::uint32_t ext = r.U(4);
  if (ext > 1000) return false;  // more than a metamodel holds: refused, not cut
  for (std::uint32_t i = 0; r.ok && i < ext; ++i) {
    r.Text();
    r.TypeRef();
    r.Text();
  }
  if (kind == 7) {
    m.kind = SRepMetaMember::Attribute;
    r.U(2);
    m.type = static_cast<WORD>(r.U(2));
    r.U(4), r.U(4);
    m.defaultText = r.Text();
  } else if (kind == 6) {
    m.kind = SRepMetaMember::Collection;
    r.U(4);
    std::uint32_t flags = r.U(4);
    m.forward = r.U(4) == 1;
    r.U(1), r.U(4);
    if (flags & 0x80) m.elementClass = r.Guid();
  } else if (kind == 8) {
    m.kind = SRepMetaMember::Method;
    r.TypeRef();
    r.U(4);
    r.Text(), r.Text();
    std::uint32_t params = r.U(4);
    if (params > 1000) return false;  // more than a metamodel holds: refused, not cut
    for (std::uint32_t i = 0; r.ok && i < params; ++i) {
      if (!IsMetaClass(r.Guid(), 9)) return false;
      r.Text();
      r.TypeRef();
      r.U(1), r.U(1);
      r.Text(), r.Text();
    }
  } else {
    return false;
  }
  return r.ok;
}

// Reads the whole metamodel; false unless every byte is read.
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
  if (named > 1000) return false;  // more than a metamodel holds: refused, not cut
  for (std::uint32_t i = 0; r.ok && i < named; ++i) {
    r.Text();
    r.TypeRef();
    r.TypeRef();
  }
  std::uint32_t ids = r.U(4);
  if (ids > 1000) return false;  // more than a metamodel holds: refused, not cut
  for (std::uint32_t i = 0; r.ok && i < ids; ++i) r.Guid();
  lib.classCount = r.U(4);
  if (lib.classCount > 10000) return false;  // more than a metamodel holds: refused, not cut
  for (std::uint32_t i = 0; r.ok && i < lib.classCount; ++i) {
    if (!IsMetaClass(r.Guid(), 4)) return false;
    SRepMetaClass c;
    r.U(1);
    c.code = r.Text();
    c.name = r.Text();
    c.flags = r.U(4);
    c.clsid = r.Guid();
    c.iconIndex = r.U(4);
    c.labelId = r.U(4);
    r.U(4);
    std::uint32_t parents = r.U(4);
    if (parents > 64) return false;  // more than a metamodel holds: refused, not cut
    for (std::uint32_t p = 0; r.ok && p < parents; ++p) {
      c.parents.push_back(r.Text());
      c.parentIds.push_back(r.Guid());
    }
    std::uint32_t members = r.U(4);
    if (members > 100000) return false;  // more than a metamodel holds: refused, not cut
    for (std::uint32_t m = 0; r.ok && m < members; ++m) {
      GUID meta = r.Guid();
      int kind = IsMetaClass(meta, 7) ? 7 : IsMetaClass(meta, 6) ? 6 : IsMetaClass(meta, 8) ? 8 : 0;
      SRepMetaMember mem;
      if (!ReadMember(r, kind, mem)) return false;
      c.members.push_back(std::move(mem));
    }
    lib.classes.push_back(std::move(c));
  }
  std::uint32_t enums = r.U(4);
  if (enums > 10000) return false;  // more than a metamodel holds: refused, not cut
  for (std::uint32_t i = 0; r.ok && i < enums; ++i) {
    if (!IsMetaClass(r.Guid(), 2)) return false;
    SRepMetaEnum e;
    r.U(1);
    e.name = r.Text();
    r.TypeRef();
    std::uint32_t values = r.U(4);
    if (values > 100000) return false;  // more than a metamodel holds: refused, not cut
    for (std::uint32_t v = 0; r.ok && v < values; ++v) {
      if (!IsMetaClass(r.Guid(), 3)) return false;
      std::string name = r.Text();
      e.values.emplace_back(name, static_cast<LONG>(r.U(4)));
    }
    lib.enums.push_back(std::move(e));
  }
  return r.ok && r.at == lib.bytes.size();
}

// Tells the registry entries of the library's classes their parents and
// the attributes that no property map keeps.
void Apply(const SRepTypeLib& lib) {
  for (const SRepMetaClass& c : lib.classes) SRepApplyMetaClass(c);
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
    Apply(*lib);
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
void SRepSetStringLookup(SRepStringLookup lookup) { g_stringLookup = lookup; }

ISRepTypeLibManager* GetTypeLibManager() {
  static Manager manager;
  return g_enabled ? &manager : nullptr;
}

void SRepEnableTypeLibManager(bool enabled) { g_enabled = enabled; }

const SRepMetaClass* SRepFindMetaClass(const GUID& clsid) {
  ISRepTypeLibManager* m = GetTypeLibManager();
  for (int i = 0; m && i < m->GetCount(); ++i)
    for (const SRepMetaClass& c : m->GetAt(i)->classes)
      if (c.clsid == clsid) return &c;
  return nullptr;
}

void SRepApplyMetaClass(const SRepMetaClass& c) {
  SRepRegistry* reg = SRepRegistry::Find(c.clsid);
  if (!reg) return;
  SRepClassDef* def = reg->GetClassDef();
  def->SetParents(c.parentIds);
  def->SetIconIndex(static_cast<int>(c.iconIndex));
  for (const SRepMetaMember& m : c.members)
    if (m.kind == SRepMetaMember::Attribute && !def->GetAttribute(m.id))
      def->AddAttribute(m.id, m.type, DefaultOf(m.type, m.defaultText), false);
}

namespace {
const SRepMetaMember* FindMember(const GUID& clsid, LONG id, int kind) {
  const SRepMetaClass* c = SRepFindMetaClass(clsid);
  for (int depth = 0; c && depth < 64; ++depth) {
    for (const SRepMetaMember& m : c->members)
      if (m.id == id && (kind < 0 ? m.kind != SRepMetaMember::Method : m.kind == kind)) return &m;
    c = c->parentIds.empty() ? nullptr : SRepFindMetaClass(c->parentIds.front());
  }
  return nullptr;
}
}  // namespace

SString SRepGetPublicName(const GUID& clsid) {
  const SRepMetaClass* c = SRepFindMetaClass(clsid);
  return c ? SString(c->name) : SString();
}

SString SRepGetClassName(const GUID& clsid) {
  const SRepMetaClass* c = SRepFindMetaClass(clsid);
  return c ? SString(c->code) : SString();
}

SString SRepGetClassLabel(const GUID& clsid) {
  ISRepTypeLibManager* m = GetTypeLibManager();
  if (!g_stringLookup || !m) return SString();
  for (int i = 0; i < m->GetCount(); ++i) {
    const SRepTypeLib* lib = m->GetAt(i);
    for (const SRepMetaClass& c : lib->classes)
      if (c.clsid == clsid) return c.labelId ? g_stringLookup(lib->moduleState, c.labelId) : SString();
  }
  return SString();
}

SString SRepGetAttrCollPublicName(const GUID& clsid, LONG id) {
  const SRepMetaMember* m = FindMember(clsid, id, -1);
  return m ? SString(m->name) : SString();
}

SString SRepGetAttrName(const GUID& clsid, LONG id) {
  const SRepMetaMember* m = FindMember(clsid, id, SRepMetaMember::Attribute);
  return m ? SString(m->name) : SString();
}

SString SRepGetCollName(const GUID& clsid, LONG id) {
  const SRepMetaMember* m = FindMember(clsid, id, SRepMetaMember::Collection);
  return m ? SString(m->name) : SString();
}

