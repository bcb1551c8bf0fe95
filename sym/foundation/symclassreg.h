// The class registry of the library's persistent classes: the class table,
// the kind-of tests, the class-function records handed to the repository
// (SGetSymClassFunctions), the repository registry entries, the standard
// creation function and the per-class object pools.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <new>

#include "kvcore/scomwrap.h"
#include "kvcore/sexception.h"
#include "kvrep/srepalloc.h"
#include "kvrep/srepregistry.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symclassdesc.h"
#include "sym/foundation/symclassid.h"

// ---- the class table -----------------------------------------------------------
// The table is made from the class descriptions (symclassdesc.h).
namespace sym_detail {
// The rank of a class identifier among the library's: its index in the table.
constexpr int RankOfClassId(std::uint32_t id) {
  int rank = 0;
  for (std::uint32_t other : kClassIds) rank += other < id ? 1 : 0;
  return rank;
}
constexpr bool ClassIdsDistinct() {
  for (std::uint32_t a : kClassIds) {
    int same = 0;
    for (std::uint32_t b : kClassIds) same += a == b ? 1 : 0;
    if (same != 1) return false;
  }
  return true;
}
static_assert(ClassIdsDistinct(), "two class descriptions share an identifier");
}  // namespace sym_detail

// Index of each persistent class, in the order of its identifier.
#define KV_SYM_INDEX_ROW(cls, name, parent, mapBase, id, ...) SYMCLS_##cls = sym_detail::RankOfClassId(id),
#define KV_SYM_INDEX_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_INDEX_ROW, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
enum SSymClassIndex : int {
  KV_SYM_CLASSES(KV_SYM_INDEX_CLASS)
  SYMCLS_Count = static_cast<int>(std::size(sym_detail::kClassIds))
};
#undef KV_SYM_INDEX_CLASS
#undef KV_SYM_INDEX_ROW

// Parent markers for the classes whose metamodel parent is a repository root.
inline constexpr int SYMCLS_RepSRepObject = -1;
inline constexpr int SYMCLS_RepSRepObjectBase = -2;

struct SSymClassDesc {
  CLSID clsid;
  const char* name;
  int parent;        // metamodel parent: a class index or a root marker
  int mapBase;       // class whose property and editor maps this class's maps chain to
  int registryFlag;  // second argument of the class's registry entry
  int poolBlocks;    // block count of the class's object pool, 0 for none
};

namespace sym_detail {
constexpr std::array<SSymClassDesc, SYMCLS_Count> MakeClassTable() {
  std::array<SSymClassDesc, SYMCLS_Count> table{};
#define KV_SYM_TABLE_ROW(cls, name, parent, mapBase, id, flags, number, label, text, code, plural, registryFlag, \
                         poolBlocks)                                                                      \
  table[SYMCLS_##cls] = SSymClassDesc{CLSID_##cls, #cls, SYMCLS_##parent, SYMCLS_##mapBase, registryFlag, poolBlocks};
#define KV_SYM_TABLE_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_TABLE_ROW, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
  KV_SYM_CLASSES(KV_SYM_TABLE_CLASS)
#undef KV_SYM_TABLE_CLASS
#undef KV_SYM_TABLE_ROW
  return table;
}
}  // namespace sym_detail

inline constexpr std::array<SSymClassDesc, SYMCLS_Count> g_symClasses = sym_detail::MakeClassTable();

// The index of the class whose identifier is exactly clsid, or -1.
int SSymFindClassIndex(REFCLSID clsid);

// ---- kind-of tests ---------------------------------------------------------------
namespace sym_detail {
// The identifiers that the kind-of test of class C accepts: C, its metamodel
// ancestors, Rep::SRepObject, and Rep::SRepObjectBase below that root.
struct SSymAcceptList {
  CLSID ids[12];
  int count;
};

constexpr SSymAcceptList MakeAcceptList(int c) {
  SSymAcceptList list{};
  int i = c;
  while (i >= 0) {
    list.ids[list.count++] = g_symClasses[i].clsid;
    i = g_symClasses[i].parent;
  }
  list.ids[list.count++] = CLSID_RepSRepObject;
  if (i == SYMCLS_RepSRepObjectBase) list.ids[list.count++] = CLSID_RepSRepObjectBase;
  return list;
}

template <int C>
inline constexpr SSymAcceptList kAcceptList = MakeAcceptList(C);
}  // namespace sym_detail

// The kind-of test of class C: the first words are compared first, the whole
// 16 bytes only when a first word matches.
template <int C>
bool SSymIsKindOf(REFCLSID clsid) {
  const auto& list = sym_detail::kAcceptList<C>;
  for (int k = 0; k < list.count; ++k)
    if (list.ids[k].Data1 == clsid.Data1) return list.ids[k] == clsid;
  return false;
}

// The kind-of test of the class of index c; null for an index outside the table.
SRepKindOfFn SSymGetKindOfTest(int c);

// ---- class functions --------------------------------------------------------------
// The repository's lookup of the class functions record of a class:
// 1 for a null record and the null identifier, E_POINTER for a null record
// and any other identifier, 1 (record untouched) for a record this library
// filled before, class not registered (0x80040154) outside the classes of
// the table, E_FAIL when only the first word of the identifier matches a
// class, else 0 and the class's record. Failures leave the record cleared.
extern "C" HRESULT SGetSymClassFunctions(REFCLSID clsid, SRegClassFunctions* record);

// The record of the class of index c; null outside the table. Its creation
// function is the one the class's registration gave (KV_SYM_REGISTER in
// sympropmap.h); null until then, and for the classes the repository must
// not create.
const SRegClassFunctions* SSymGetClassRecord(int c);

// ---- registration -------------------------------------------------------------------
// Registers the class of index c: fills create into its record, then runs
// bind, which stores the accessors of the class's attributes. Answers true
// (false, and nothing done, for an index outside the table); made to
// initialise a start-up constant (see KV_SYM_REGISTER).
bool SSymRegisterClass(int c, SRegClassFunctions::CreateFn create, void (*bind)());
// True once the class of index c registered.
bool SSymIsClassRegistered(int c);

// ---- registry entries -----------------------------------------------------------
// The repository registry entry of the class of index c. The first call finds
// it with SRepRegistry::Find and keeps it; while Find gives null, every call
// looks again. Null for an index outside the table.
SRepRegistry* SSymGetRegistry_(int c);
template <int C>
SRepRegistry* SSymGetRegistry_() {
  static_assert(C >= 0 && C < SYMCLS_Count);
  return SSymGetRegistry_(C);
}

// ---- the standard creation function ---------------------------------------------
// Creates an X (a copy of source when one is given, else an X of the session),
// attaches it to the session when there is one, and stores it in *out with
// one counted reference for the caller.
// Nothing escapes: an SECOMException gives its result code, any other
// exception E_FAIL (E_OUTOFMEMORY when storage cannot be had), each with a null
// object; an object that was made is first deleted from the repository and
// released. A failed attach is a failure of the same kind. A source that is
// not an X gives E_INVALIDARG, a null out E_POINTER.
// X needs: operator new (its pool), X(ISRepSession*), X(const X&),
// SetSession(ISRepSession*), and the ISRepObject operations Delete and Release.
template <class X>
HRESULT SSymCreateStd(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  if (!out) return E_POINTER;
  *out = nullptr;
  X* copyOf = nullptr;
  if (source) {
    copyOf = dynamic_cast<X*>(source);
    if (!copyOf) return E_INVALIDARG;
  }
  SComOut<X> obj;
  HRESULT hr = S_OK;
  try {
    X* made = copyOf ? new X(*copyOf) : new X(session);
    made->AddRef();  // the reference handed out in *out
    obj = SComOut<X>(made);
    if (session) {
      const HRESULT attached = obj->SetSession(session);
      if (FAILED(attached)) throw SECOMException(__PRETTY_FUNCTION__, __FILE__, __LINE__, attached);
    }
    X* done = obj.Detach();
    // A class whose own interface extends the repository object's has two
    // repository parts; the caller gets the repository's (RepObject).
    if constexpr (requires { done->RepObject(); })
      *out = done->RepObject();
    else
      *out = done;
    return S_OK;
  } catch (const SECOMException& e) {
    hr = e.GetResult();
  } catch (const SException&) {
    hr = E_FAIL;
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
    hr = E_FAIL;
  }
  if (obj) {
    try {
      obj->Delete();
    } catch (...) {
    }
  }
  *out = nullptr;
  return hr;
}

// ---- per-class object pools -------------------------------------------------------
// A block of the pool when its block size is the size asked for, else heap
// storage; SSymPoolFree gives storage back by the same rule, so a derived
// class of another size never mixes heap blocks into its base's pool.
void* SSymPoolAlloc(SRepObjectAllocator& pool, std::size_t size);
void SSymPoolFree(SRepObjectAllocator& pool, void* p, std::size_t size) noexcept;

// In a class body: the class's pool and its operator new and delete.
#define KV_SYM_DECLARE_POOL()                                                               \
 public:                                                                                    \
  static SRepObjectAllocator m_allocator;                                                   \
  static void* operator new(std::size_t size) { return SSymPoolAlloc(m_allocator, size); } \
  static void operator delete(void* p, std::size_t size) noexcept {                         \
    SSymPoolFree(m_allocator, p, size);                                                     \
  }                                                                                         \
  static void* operator new(std::size_t, void* place) noexcept { return place; }            \
  static void operator delete(void*, void*) noexcept {}

// In a source file: the pool of class cls, made at start-up with the class's
// size and block count and released at unload.
#define KV_SYM_IMPLEMENT_POOL(cls, blocks) SRepObjectAllocator cls::m_allocator(sizeof(cls), (blocks), nullptr)
