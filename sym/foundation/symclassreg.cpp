#include "sym/foundation/symclassreg.h"

#include <array>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "sym/foundation/sympropmap.h"

// ---- the class table ---------------------------------------------------------------
int SSymFindClassIndex(REFCLSID clsid) {
  for (int c = 0; c < SYMCLS_Count; ++c)
    if (g_symClasses[c].clsid == clsid) return c;
  return -1;
}

namespace {
template <int... C>
constexpr auto MakeKindOfTable(std::integer_sequence<int, C...>) {
  return std::array<SRepKindOfFn, sizeof...(C)>{&SSymIsKindOf<C>...};
}
constexpr auto kKindOfTests = MakeKindOfTable(std::make_integer_sequence<int, SYMCLS_Count>{});
}  // namespace

SRepKindOfFn SSymGetKindOfTest(int c) {
  return c >= 0 && c < SYMCLS_Count ? kKindOfTests[static_cast<std::size_t>(c)] : nullptr;
}

// ---- class functions records ---------------------------------------------------------
namespace {
// The fifth word of every record.
SRepModuleStateFn ModuleStateWord() { return &SSymGetModuleState; }

// One record per class, in the order of the class table: no creation function
// until the class registers, the module state, the class's editor map.
template <int... C>
constexpr std::array<SRegClassFunctions, sizeof...(C)> MakeRecords(std::integer_sequence<int, C...>) {
  return {SRegClassFunctions{nullptr, {0, 0, 0}, &SSymGetModuleState, &SSymClassMaps<C>::attrEditorMap}...};
}
constinit std::array<SRegClassFunctions, SYMCLS_Count> g_records =
    MakeRecords(std::make_integer_sequence<int, SYMCLS_Count>{});
constinit bool g_registered[SYMCLS_Count] = {};
}  // namespace

const SRegClassFunctions* SSymGetClassRecord(int c) {
  return c >= 0 && c < SYMCLS_Count ? &g_records[static_cast<std::size_t>(c)] : nullptr;
}

bool SSymRegisterClass(int c, SRegClassFunctions::CreateFn create, void (*bind)()) {
  if (c < 0 || c >= SYMCLS_Count) return false;
  auto& record = g_records[static_cast<std::size_t>(c)];
  record.create = create;
  if (bind) bind();
  g_registered[c] = true;
  return true;
}

bool SSymIsClassRegistered(int c) { return c >= 0 && c < SYMCLS_Count && g_registered[c]; }

extern "C" HRESULT SGetSymClassFunctions(REFCLSID clsid, SRegClassFunctions* record) {
  if (!record) return clsid == CLSID{} ? S_FALSE : E_POINTER;
  if (record->moduleState == ModuleStateWord()) return S_FALSE;
  std::memset(static_cast<void*>(record), 0, sizeof(*record));
  if (clsid.Data1 < SSymClassIdFirst || clsid.Data1 > SSymClassIdLast) return REGDB_E_CLASSNOTREG;
  for (int c = 0; c < SYMCLS_Count; ++c) {
    if (g_symClasses[c].clsid.Data1 != clsid.Data1) continue;
    if (g_symClasses[c].clsid != clsid) return E_FAIL;
    *record = g_records[static_cast<std::size_t>(c)];
    return S_OK;
  }
  return REGDB_E_CLASSNOTREG;
}

// ---- registry entries ----------------------------------------------------------------
namespace {
// The 33 entries, made at start-up and destroyed at unload in reverse order.
class SymRegistries {
 public:
  SymRegistries() {
    m_entries.reserve(SYMCLS_Count);
    for (int c = 0; c < SYMCLS_Count; ++c)
      m_entries.push_back(std::make_unique<SRepRegistry>(g_symClasses[c].clsid, g_symClasses[c].registryFlag, 0,
                                                         SSymGetKindOfTest(c), &SGetSymClassFunctions));
  }
  ~SymRegistries() {
    while (!m_entries.empty()) m_entries.pop_back();
  }

 private:
  std::vector<std::unique_ptr<SRepRegistry>> m_entries;
};

SymRegistries g_symRegistries;

// The entries found by the per-class accessors.
SRepRegistry* g_foundRegistry[SYMCLS_Count] = {};
}  // namespace

SRepRegistry* SSymGetRegistry_(int c) {
  if (c < 0 || c >= SYMCLS_Count) return nullptr;
  if (!g_foundRegistry[c]) g_foundRegistry[c] = SRepRegistry::Find(g_symClasses[c].clsid);
  return g_foundRegistry[c];
}

// ---- per-class object pools ------------------------------------------------------------
void* SSymPoolAlloc(SRepObjectAllocator& pool, std::size_t size) {
  if (size == pool.GetBlockSize()) return pool.Alloc();
  return ::operator new(size);
}

void SSymPoolFree(SRepObjectAllocator& pool, void* p, std::size_t size) noexcept {
  if (!p) return;
  if (size == pool.GetBlockSize())
    pool.Free(p);
  else
    ::operator delete(p);
}
