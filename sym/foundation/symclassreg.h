// The class registry of the library's persistent classes: the class table,
// the kind-of tests, the class-function records handed to the repository
// (SGetSymClassFunctions), the repository registry entries, the standard
// creation function and the per-class object pools.
#pragma once

#include <cstddef>
#include <new>

#include "kvcore/scomwrap.h"
#include "kvcore/sexception.h"
#include "kvrep/srepalloc.h"
#include "kvrep/srepregistry.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symclassid.h"

// ---- the class table -----------------------------------------------------------
// Index of each persistent class, in the order of its identifier.
enum SSymClassIndex : int {
  SYMCLS_SSymPolyBase,
  SYMCLS_SSymPolyline,
  SYMCLS_SSymRectangle,
  SYMCLS_SSymEllipse,
  SYMCLS_SSymText,
  SYMCLS_SSymLinkSym,
  SYMCLS_SSymBitmap,
  SYMCLS_SSymMetafile,
  SYMCLS_SSymGroup,
  SYMCLS_SSymOle,
  SYMCLS_SSymPolygon,
  SYMCLS_SSymRoundRect,
  SYMCLS_SSymComposite,
  SYMCLS_SSymArrow,
  SYMCLS_SSymDiagram,
  SYMCLS_SSymArc,
  SYMCLS_SSymBase,
  SYMCLS_SSymStd,
  SYMCLS_SSymSolid,
  SYMCLS_SSymBlob,
  SYMCLS_SSymBasePen,
  SYMCLS_SSymLinkBase,
  SYMCLS_SSymLinkStd,
  SYMCLS_SSymSwimLane,
  SYMCLS_SSymSwimColn,
  SYMCLS_SSymSolidText,
  SYMCLS_SSymPredefined,
  SYMCLS_SSymPictureFile,
  SYMCLS_SSymSwim,
  SYMCLS_SSymTreeLine,
  SYMCLS_SSymPie,
  SYMCLS_SSymBlankRectangle,
  SYMCLS_SSymSwimGroup,
  SYMCLS_Count
};

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

inline constexpr SSymClassDesc g_symClasses[SYMCLS_Count] = {
    {CLSID_SSymPolyBase, "SSymPolyBase", SYMCLS_SSymStd, SYMCLS_SSymStd, 0, 10},
    {CLSID_SSymPolyline, "SSymPolyline", SYMCLS_SSymPolyBase, SYMCLS_SSymPolyBase, 1, 10},
    {CLSID_SSymRectangle, "SSymRectangle", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymEllipse, "SSymEllipse", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymText, "SSymText", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymLinkSym, "SSymLinkSym", SYMCLS_SSymLinkStd, SYMCLS_SSymLinkStd, 1, 10},
    {CLSID_SSymBitmap, "SSymBitmap", SYMCLS_SSymBlob, SYMCLS_SSymBlob, 1, 10},
    {CLSID_SSymMetafile, "SSymMetafile", SYMCLS_SSymBlob, SYMCLS_SSymBlob, 1, 10},
    {CLSID_SSymGroup, "SSymGroup", SYMCLS_SSymComposite, SYMCLS_SSymComposite, 1, 10},
    {CLSID_SSymOle, "SSymOle", SYMCLS_SSymBlob, SYMCLS_SSymBlob, 1, 10},
    {CLSID_SSymPolygon, "SSymPolygon", SYMCLS_SSymPolyBase, SYMCLS_SSymPolyBase, 1, 10},
    {CLSID_SSymRoundRect, "SSymRoundRect", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymComposite, "SSymComposite", SYMCLS_SSymBase, SYMCLS_SSymBase, 1, 32},
    {CLSID_SSymArrow, "SSymArrow", SYMCLS_SSymStd, SYMCLS_SSymStd, 0, 40},
    {CLSID_SSymDiagram, "SSymDiagram", SYMCLS_RepSRepObjectBase, SYMCLS_RepSRepObjectBase, 1, 0},
    {CLSID_SSymArc, "SSymArc", SYMCLS_SSymStd, SYMCLS_SSymStd, 1, 10},
    {CLSID_SSymBase, "SSymBase", SYMCLS_RepSRepObject, SYMCLS_RepSRepObject, 0, 0},
    {CLSID_SSymStd, "SSymStd", SYMCLS_SSymBasePen, SYMCLS_SSymBasePen, 0, 0},
    {CLSID_SSymSolid, "SSymSolid", SYMCLS_SSymStd, SYMCLS_SSymStd, 0, 0},
    {CLSID_SSymBlob, "SSymBlob", SYMCLS_SSymBase, SYMCLS_SSymBase, 0, 0},
    {CLSID_SSymBasePen, "SSymBasePen", SYMCLS_SSymBase, SYMCLS_SSymBase, 0, 0},
    {CLSID_SSymLinkBase, "SSymLinkBase", SYMCLS_SSymPolyBase, SYMCLS_SSymPolyBase, 0, 0},
    {CLSID_SSymLinkStd, "SSymLinkStd", SYMCLS_SSymLinkBase, SYMCLS_SSymLinkBase, 0, 0},
    {CLSID_SSymSwimLane, "SSymSwimLane", SYMCLS_SSymBasePen, SYMCLS_SSymBasePen, 1, 10},
    // The swimlane column is a polyline in the metamodel; its maps chain past
    // the polyline's to the point-list base's.
    {CLSID_SSymSwimColn, "SSymSwimColn", SYMCLS_SSymPolyline, SYMCLS_SSymPolyBase, 1, 10},
    {CLSID_SSymSolidText, "SSymSolidText", SYMCLS_SSymSolid, SYMCLS_SSymSolid, 0, 0},
    {CLSID_SSymPredefined, "SSymPredefined", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymPictureFile, "SSymPictureFile", SYMCLS_RepSRepObjectBase, SYMCLS_RepSRepObjectBase, 1, 0},
    {CLSID_SSymSwim, "SSymSwim", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymTreeLine, "SSymTreeLine", SYMCLS_SSymStd, SYMCLS_SSymStd, 1, 10},
    {CLSID_SSymPie, "SSymPie", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymBlankRectangle, "SSymBlankRectangle", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
    {CLSID_SSymSwimGroup, "SSymSwimGroup", SYMCLS_SSymSolidText, SYMCLS_SSymSolidText, 1, 10},
};

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

// The constant record of the class of index c; null outside the table.
const SRegClassFunctions* SSymGetClassRecord(int c);

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
    *out = obj.Detach();
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
