// The diagram object: storage, placement of symbols, owner relay, windows,
// display preferences and attribute reactions.
#include "sym/diagram/symdiagram.h"

#include <algorithm>
#include <cstdint>
#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <vector>

#include "kvcore/scascade.h"
#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/sexceptionhook.h"
#include "kvlib/sprofilerhelper.h"
#include "kvlib/srelaycache.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "kvrep/srepvariant.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/diagram/symsessionguards.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstrings.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"

// The diagram is a record class: its members are kept by the repository
// from the class description; the accessors bind none of them.
KV_SYM_ACCESSORS(SSymDiagram){};
KV_SYM_REGISTER(SSymDiagram, &SSymDiagram::CreateInstance);

namespace {
std::atomic<long> g_liveDiagrams{0};
int g_diagramCounter = 0;  // names of unnamed diagrams; never reset
constexpr int kPoolAlignTolerance = 30;
// A pool's grouping: 0 groups its lanes as the user chose, 1 by their parent objects.
constexpr LONG kIdGroupType = 0x020100BD;
const SString kNoValue(u"<There is no value here>");

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// ---- member table ----
struct Member {
  LONG id;
  DWORD type;
  DWORD flags;
};
constexpr DWORD kStr = 0x000900FE, kTextT = 0x000A0000, kIntT = 0x00030000, kBoolT = 0x00040000,
                kBitsT = 0x00060000, kBinT = 0x000B0000, kPointT = 0x000E0000, kRectT = 0x000F0000;
constexpr Member kMembers[] = {
    {SSymDiagramMem::IdName, kStr, 0x38},          {SSymDiagramMem::IdCode, kStr, 0x38},
    {SSymDiagramMem::IdDispName, kTextT, 0x428},   {SSymDiagramMem::IdDesc, kTextT, 0},
    {SSymDiagramMem::IdNote, kTextT, 0},           {SSymDiagramMem::IdHasNote, kBoolT, 0x429},
    {SSymDiagramMem::IdComment, kTextT, 0x28},     {SSymDiagramMem::IdDispPrefSave, kTextT, 0},
    {SSymDiagramMem::IdScale, kIntT, 0x8},         {SSymDiagramMem::IdPaperSize, kPointT, 0},
    {SSymDiagramMem::IdPaperSource, kIntT, 0},     {SSymDiagramMem::IdMargins, kRectT, 0},
    {SSymDiagramMem::IdPgSize, kIntT, 0x400},      {SSymDiagramMem::IdPgFormat, kIntT, 0x400},
    {SSymDiagramMem::IdPgOrientation, kIntT, 0},   {SSymDiagramMem::IdFlags, kBitsT, 0},
    {SSymDiagramMem::IdFoot, kTextT, 0},           {SSymDiagramMem::IdHead, kTextT, 0},
    {SSymDiagramMem::IdNmbr, kTextT, 0},           {SSymDiagramMem::IdContent, kBinT, 0x400},
    {SSymDiagramMem::IdSwimHeight, kIntT, 0},
};
const Member* FindMember(LONG id) {
  for (const Member& m : kMembers)
    if (m.id == id) return &m;
  return nullptr;
}

// Runs an attribute access; an escaping exception is shown and answers its code.
template <class F>
HRESULT Guarded(const char* op, LONG id, F f) {
  try {
    return f();
  } catch (const SECOMException& e) {
    SExceptionDialog::Show(op, __FILE__, __LINE__,
                           SString::Format("SSymDiagramMem::%s(dispid = 0x%08X, ...) ", op, static_cast<unsigned>(id)) +
                               e.GetText());
    return e.GetResult();
  } catch (const SException& e) {
    SExceptionDialog::Show(op, __FILE__, __LINE__,
                           SString::Format("SSymDiagramMem::%s(dispid = 0x%08X, ...) ", op, static_cast<unsigned>(id)) +
                               e.GetText());
    return E_FAIL;
  }
}

bool Answers(IUnknown* unk, REFIID iid) {
  if (!unk) return false;
  void* p = nullptr;
  if (unk->QueryInterface(iid, &p) != S_OK || !p) return false;
  static_cast<IUnknown*>(p)->Release();
  return true;
}

bool HasModelObject(IUnknown* s) { return Answers(s, IID_ISSymObject); }
bool IsLinkSym(IUnknown* s) { return Answers(s, IID_ISSymLink); }

// ---- the owner relay ----
class OwnerRelay final : public ISSymOwner {
 public:
  explicit OwnerRelay(SSymDiagramImpl* d) : m_diagram(d) { m_diagram->AddRef(); }
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid == IID_ISSymOwner) {
      *ppv = static_cast<ISSymOwner*>(this);
      AddRef();
      return S_OK;
    }
    return m_diagram ? m_diagram->QueryInterface(iid, ppv) : E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override {
    const ULONG n = --m_cRef;
    if (n == 0) {
      SSymDiagramImpl* d = m_diagram;
      this->~OwnerRelay();
      SRelayCache::Instance().Free(d, this);
      d->Release();
    }
    return n;
  }
  HRESULT Add(ISSymbol* s) override { return m_diagram->Add(s); }
  HRESULT Remove(ISSymbol* s) override { return m_diagram->Remove(s); }
  BOOL Contains(ISSymbol* s, int deep) override { return m_diagram->Contains(s, deep); }
  HRESULT GetTopOwner(ISSymOwner** out) override { return m_diagram->GetTopOwner(out); }
  HRESULT SymResize(ISSymbol* s) override { return m_diagram->SymResize(s); }
  HRESULT SymRedraw(ISSymbol* s) override { return m_diagram->SymRedraw(s); }
  HRESULT CreateChildrenSym(int flag) override { return m_diagram->CreateChildrenSym(flag); }

 private:
  ULONG m_cRef = 1;
  SSymDiagramImpl* m_diagram;
};
}  // namespace

long SSymLiveDiagramCount() { return g_liveDiagrams.load(); }

// ---- SSymDiagramMem ---------------------------------------------------------------------------------
SSymDiagramMem::SSymDiagramMem(ISRepSession* session) : SRepObjectBaseImpl(CLSID_SSymDiagram, session) {}

SString SSymDiagramMem::Text(LONG id) {
  SString s;
  Get_TEXT(id, s);
  return s;
}

LONG SSymDiagramMem::Int(LONG id) {
  LONG v = 0;
  Get_INT(id, v);
  return v;
}

SRep_Point SSymDiagramMem::GetPaperSize() {
  SRepVariant v;
  return SRepObject::GetAttribute(IdPaperSize, &v) == S_OK && !v.IsEmpty() ? v.GetPOINT() : SRep_Point_null;
}

HRESULT SSymDiagramMem::SetPaperSize(const SRep_Point& p) {
  SRepVariant v;
  v.SetPOINT(p);
  return SetAttribute(IdPaperSize, v);
}

SRep_Rect SSymDiagramMem::GetMargins() {
  SRepVariant v;
  return SRepObject::GetAttribute(IdMargins, &v) == S_OK && !v.IsEmpty() ? v.GetRECT() : SRep_Rect_null;
}

HRESULT SSymDiagramMem::SetMargins(const SRep_Rect& r) {
  SRepVariant v;
  v.SetRECT(r);
  return SetAttribute(IdMargins, v);
}

HRESULT SSymDiagramMem::GetAttribute(LONG id, SRepVariant* value) {
  if (!value) return E_POINTER;
  return Guarded("GetAttribute", id, [&]() -> HRESULT {
    switch (id) {
      case IdDispName: value->SetTEXT(GetDispName()); return S_OK;
      case IdHasNote: value->SetBOOL(GetHasNote() != 0); return S_OK;
      case IdPgSize: value->SetLONG(GetPgSize()); return S_OK;
      case IdPgFormat: value->SetLONG(GetPgFormat()); return S_OK;
      case IdContent: {
        const SBlob b = GetContent();
        value->SetBINARY(std::vector<std::uint8_t>(b.GetData(), b.GetData() + b.GetSize()));
        return S_OK;
      }
      default: return SRepObjectBaseImpl::GetAttribute(id, value);
    }
  });
}

HRESULT SSymDiagramMem::SetAttribute(LONG id, const SRepVariant& value) {
  return Guarded("SetAttribute", id, [&]() -> HRESULT {
    // Computed members compare first: the same value changes nothing (S_FALSE).
    HRESULT hr;
    switch (id) {
      case IdDispName:
        if (GetDispName() == value.GetSTRING()) return S_FALSE;
        hr = PutDispName(value.GetSTRING());
        break;
      case IdPgSize:
        if (GetPgSize() == value.GetLONG()) return S_FALSE;
        hr = PutPgSize(value.GetLONG());
        break;
      case IdPgFormat:
        if (GetPgFormat() == value.GetLONG()) return S_FALSE;
        hr = PutPgFormat(value.GetLONG());
        break;
      case IdContent: {
        const auto& bytes = value.GetBINARY();
        const SBlob b(bytes.data(), bytes.size());
        if (GetContent().Compare(b) == 0) return S_FALSE;
        hr = PutContent(b);
        break;
      }
      case IdHasNote: return SREP_E_READONLY;
      default: return SRepObjectBaseImpl::SetAttribute(id, value);
    }
    if (hr == S_OK) _PostSetAttribute(id);
    return hr;
  });
}

HRESULT SSymDiagramMem::GetAttributeDefault(LONG id, SRepVariant* value) {
  if (!value) return E_POINTER;
  return Guarded("GetAttributeDefault", id, [&]() -> HRESULT {
    const Member* m = FindMember(id);
    if (m && (m->flags & 0x400)) {
      value->ReleaseData();
      switch (m->type) {
        case kTextT: value->SetTEXT(SString()); break;
        case kBoolT: value->SetBOOL(false); break;
        case kBinT: value->SetBINARY({}); break;
        default: value->SetLONG(0);
      }
      return S_OK;
    }
    return SRepObjectBaseImpl::GetAttributeDefault(id, value);
  });
}

HRESULT SSymDiagramMem::HasAttribute(LONG id) {
  if (id == -1) return S_FALSE;
  if (FindMember(id)) return S_OK;
  static constexpr LONG kStandard[] = {0x01000001, 0x01000002, 0x01000004, 0x01000006, 0x0100000a, 0x0100000b,
                                       0x0100000c, 0x01000010, 0x01000011, 0x01000012, 0x01000013, 0x01000014,
                                       0x01000019, 0x0100001b, 0x0100003f, 0x0100004d, 0x01000063, 0x01000064,
                                       0x01000067, 0x01000070, 0x01000080, 0x010000f7, 0x02000028, 0x040001ab,
                                       0x04000341, 0x04000342};
  for (LONG s : kStandard)
    if (s == id) return S_OK;
  if ((id >= 0x02010022 && id <= 0x02010028) || (id >= 0x02010038 && id <= 0x0201003e)) return S_OK;
  return HasDynamicMember(id) ? S_OK : S_FALSE;
}

HRESULT SSymDiagramMem::HasCollection(LONG id) {
  switch (id) {
    case IdSymbols:
    case 0x0480001F:
    case 0x0480019F:
    case 0x04800311:
    case 0x04800312: return S_OK;
    default: return SRepObjectBaseImpl::HasCollection(id);
  }
}

DWORD SSymDiagramMem::GetAttributeType(LONG id) const {
  const Member* m = id == -1 ? nullptr : FindMember(id);
  return m ? m->type : 0;
}

DWORD SSymDiagramMem::GetAttributeFlags(LONG id) const {
  const Member* m = id == -1 ? nullptr : FindMember(id);
  return m ? m->flags : 0;
}

bool SSymDiagramMem::IsKindOf(REFGUID clsid) const {
  return clsid == CLSID_SSymDiagram || clsid == CLSID_RepSRepObject || clsid == CLSID_RepSRepObjectBase;
}

// ---- SSymDiagramImpl: lifetime -------------------------------------------------------------------
SSymDiagramImpl::SSymDiagramImpl(ISRepSession* session)
    : SSymDiagramMem(session), m_pPageSetup(std::make_unique<SPrinterCache>(4, SPAGESETUPDLG::m_Default)) {
  ++g_liveDiagrams;
}

SSymDiagramImpl::SSymDiagramImpl(const SSymDiagramImpl& source)
    : SSymDiagramMem(source),
      m_pPageSetup(source.m_pPageSetup ? std::make_unique<SPrinterCache>(*source.m_pPageSetup)
                                       : std::make_unique<SPrinterCache>(4, SPAGESETUPDLG::m_Default)) {
  ++g_liveDiagrams;
}

SSymDiagramImpl::~SSymDiagramImpl() {
  // Letting go of the preferences, the index and (in the repository's
  // destructor) the symbols may take and drop references to the diagram.
  HoldForDestruction();
  m_pRectIndex.reset();
  SetDispPrefPtr(nullptr);
  m_pools.clear();
  m_views.clear();
  --g_liveDiagrams;
}

SSymDiagramImpl* SSymDiagramImpl::FromDiagram(IUnknown* unk) { return SSymDiagram::FromInterface(unk); }

ISSymDiagram* SSymDiagramImpl::Diagram() { return static_cast<SSymDiagram*>(this); }

int SSymDiagramImpl::GetDiagramCounter() { return g_diagramCounter; }

LONG SSymDiagramImpl::OnInitialize() {
  if (m_pPageSetup) {
    const SRep_Point paper = GetPaperSize();
    const LONG source = GetPaperSource();
    const SRep_Rect margins = GetMargins();
    const LONG orientation = GetPgOrientation();
    if (margins == SRep_Rect_null) {
      const RECT m = m_pPageSetup->GetMargins();
      SetMargins(SRep_Rect{m.left, m.top, m.right, m.bottom});
    }
    if (paper == SRep_Point_null) {
      SetCascadeAllowed off(false);
      const POINT p = m_pPageSetup->GetPageSize();
      SetPaperSize(SRep_Point{p.x, p.y});
    }
    if (orientation == 0) SetPgOrientation(m_pPageSetup->GetOrientation());
    if (source == -1) {
      short bin = 0;
      if (m_pPageSetup->GetDefaultSource(bin)) Set_INT(IdPaperSource, bin);
    }
  }
  if (GetName().IsEmpty()) {
    ++g_diagramCounter;
    const std::string format = GetNameCodeFormat().ToUtf8();
    // The format is the library's own string ("Diagram %d"): one integer field.
    char buffer[300];
    std::snprintf(buffer, sizeof buffer, format.c_str(), g_diagramCounter);
    SetName(SString(buffer));
  }
  SUserRegistry settings(SUserRegistry::sApplicationGeneral);
  const struct {
    const char16_t* value;
    LONG id;
  } templates[] = {{u"PrintDiagHeader", IdHead}, {u"PrintDiagFooter", IdFoot}, {u"PrintDiagNumber", IdNmbr}};
  for (const auto& t : templates) {
    SString v;
    settings.GetProfile(SString(t.value), v, kNoValue);
    if (v != kNoValue) Set_TEXT(t.id, v);
  }
  return 0;
}

HRESULT SSymDiagramImpl::Delete() {
  AddRef();
  if (!InLockoutContext()) CloseAllViews();
  const HRESULT hr = SRepObjectBaseImpl::Delete();
  SetDispPrefPtr(nullptr);
  Release();
  return hr;
}

LONG SSymDiagramImpl::OnDispose() {
  SetDispPrefPtr(nullptr);
  m_pPageSetup.reset();
  m_pools.clear();
  return 0;
}

// ---- names and simple values ----
LONG SSymDiagramImpl::GetUseName() {
  SRepSession* s = GetSessionImpl();
  return s ? ((s->GetOptions() & 0x40) ? 1 : 0) : 1;
}

SString SSymDiagramImpl::GetDispName() { return GetUseName() ? GetName() : GetCode(); }

HRESULT SSymDiagramImpl::PutDispName(const SString& name) { return GetUseName() ? SetName(name) : SetCode(name); }

SString SSymDiagramImpl::GetNameCodeFormat() const {
  const SString s = SSymLoadString(1060);
  return s.IsEmpty() ? SString(u"Diagram_%d") : s;
}

BOOL SSymDiagramImpl::CanShowSym(REFCLSID clsid) const { return clsid == GUID{} ? 0 : 1; }

// ---- symbols ----
HRESULT SSymDiagramImpl::GetSymbols(ISRepClassCol** out) { return GetCollection(IdSymbols, out); }

int SSymDiagramImpl::GetCount() { return static_cast<int>(Collection(IdSymbols)->GetCount()); }

int SSymDiagramImpl::GetPos(ISSymbol* symbol) {
  RepObjWrap obj(symbol);
  return obj.IsNull() ? -1 : static_cast<int>(Collection(IdSymbols)->GetPos(obj));
}

HRESULT SSymDiagramImpl::Insert(int pos, ISSymbol* symbol) {
  RepObjWrap obj(symbol);
  if (obj.IsNull()) return E_POINTER;
  if (const HRESULT hr = SSymTakeFromOtherOwners(symbol, this); FAILED(hr)) return hr;
  return Collection(IdSymbols)->Insert(obj, pos);
}

HRESULT SSymDiagramImpl::Remove(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  const int at = GetPos(symbol);
  return at < 0 ? S_FALSE : Collection(IdSymbols)->Remove(at);
}

HRESULT SSymDiagramImpl::MoveTo(ISSymbol* symbol, int pos) {
  const int at = GetPos(symbol);
  if (at < 0) return S_FALSE;
  return at == pos ? S_OK : Collection(IdSymbols)->Move(at, pos);
}

BOOL SSymDiagramImpl::Contains(ISSymbol* symbol, int include) {
  if (!symbol) return 0;
  RepObjWrap obj(symbol);
  for (SRepObject* item : Collection(IdSymbols)->Items()) {
    if (SRepAreSameObjects(item, symbol)) return 1;
    if (include) {
      SComWrap<ISSymOwner> owner(static_cast<ISRepObject*>(item));
      if (!owner.IsNull() && owner->Contains(symbol, include)) return 1;
    }
  }
  return 0;
}

HRESULT SSymDiagramImpl::CheckNewSymbol(ISSymbol* symbol) {
  SRepObject* obj = SRepObject::FromInterface(symbol);
  if (!obj) return E_NOINTERFACE;
  if (obj->IsDeleted() || IsDeleted()) return CO_E_OBJNOTCONNECTED;
  SRepSession* mine = GetSessionImpl();
  if (mine && obj->GetSessionImpl() && obj->GetSessionImpl() != mine) return E_INVALIDARG;
  return S_OK;
}

HRESULT SSymDiagramImpl::Add(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  // A symbol of another session, or a deleted one, is refused before
  // anything of it or of the diagram changes.
  if (const HRESULT hr = CheckNewSymbol(symbol); FAILED(hr)) return hr;
  if (SComWrap<ISSwimlane> lane(symbol); !lane.IsNull()) return AddLane(lane.Get());
  const int type = symbol->GetSymbolType();
  if (type == SSymSwimLane::GroupTypeCode) return AddSwimGroup(symbol);
  RepObjWrap obj(symbol);
  if (obj.IsNull()) return E_NOINTERFACE;
  SRepCollection* col = Collection(IdSymbols);
  if (col->GetPos(obj) >= 0) return S_FALSE;
  if (const HRESULT hr = SSymTakeFromOtherOwners(symbol, this); FAILED(hr)) return hr;
  const int n = static_cast<int>(col->GetCount());
  auto item = [&](int i) { return static_cast<ISRepObject*>(col->GetAt(i)); };
  int at = -1;
  if (n == 0) {
    at = -1;
  } else if (!IsLinkSym(symbol)) {
    if (type == SSymSwimLane::TypeCode) {
      at = FirstOf(FirstModelNotLine);
    } else if (!HasModelObject(symbol) && g_IsSymFirstCreation()) {
      // A shape drawn inside a lane belongs to the lane; elsewhere it goes
      // below the model-object symbols and the pools.
      if (OfferToLanes(symbol)) return S_OK;
      at = FirstOf(FirstModelOrPool);
    }
  } else if (!HasModelObject(symbol) && type != 81) {
    at = FirstOf(FirstNotPlainLink);
    const HRESULT hr = col->Insert(obj, at >= n ? -1 : at);
    if (SUCCEEDED(hr)) ++m_nLinkBoundary;
    return hr;
  } else {
    int b = m_nLinkBoundary;
    if (n <= b) b = (n - 1) / 2;
    const int start = b;
    while (b < n) {
      ISRepObject* e = item(b);
      const bool link = IsLinkSym(e);
      if (link || (!HasModelObject(e) && !Answers(e, IID_ISSymSwimPool))) {
        ++b;
        continue;
      }
      break;
    }
    if (b == start)
      while (b > 0) {
        ISRepObject* e = item(b - 1);
        if (!IsLinkSym(e) && HasModelObject(e)) --b;
        else break;
      }
    m_nLinkBoundary = b;
    at = b;
  }
  return col->Insert(obj, at >= n ? -1 : at);
}

namespace {
bool IsPlainLink(IUnknown* s) { return IsLinkSym(s) && !HasModelObject(s); }
bool IsPool(IUnknown* s) {
  SComWrap<ISSymbol> sym(s);
  return !sym.IsNull() && sym->GetSymbolType() == SSymSwimLane::TypeCode;
}
bool IsKind(int kind, IUnknown* s) {
  switch (kind) {
    case 0: return HasModelObject(s) && !Answers(s, IID_ISSymPolyline);
    case 1: return HasModelObject(s) || IsPool(s);
    default: return !IsPlainLink(s);
  }
}
}  // namespace

int SSymDiagramImpl::FirstOf(FirstKind kind) {
  const SRepItemList& items = Collection(IdSymbols)->Items();
  FirstCache& c = m_first[kind];
  if (c.pos < 0 || c.changes != items.Changes()) {
    std::size_t i = 0;
    for (SRepObject* item : items) {
      if (IsKind(kind, static_cast<ISRepObject*>(item))) break;
      ++i;
    }
    c = {static_cast<int>(i), i < items.size() ? items[i] : nullptr, items.Changes()};
  }
  return c.pos;
}

void SSymDiagramImpl::KeepFirstAfterInsert(ISRepObject* inserted, int pos) {
  const unsigned long changes = Collection(IdSymbols)->Items().Changes();
  for (int kind = 0; kind < FirstKinds; ++kind) {
    FirstCache& c = m_first[kind];
    if (c.pos < 0 || c.changes + 1 != changes) {
      c.pos = -1;
      continue;
    }
    c.changes = changes;
    if (pos > c.pos) continue;
    if (IsKind(kind, inserted)) {
      c.pos = pos;
      c.at = SRepObject::FromInterface(inserted);
    } else {
      ++c.pos;
    }
  }
}

void SSymDiagramImpl::KeepFirstAfterRemove(ISRepObject* removed) {
  const unsigned long changes = Collection(IdSymbols)->Items().Changes();
  for (int kind = 0; kind < FirstKinds; ++kind) {
    FirstCache& c = m_first[kind];
    // A member below the first of the kind (of another kind), or that first
    // one itself, leaves the position unknown; one above it changes nothing.
    if (c.pos < 0 || c.changes + 1 != changes || !IsKind(kind, removed) || SRepObject::FromInterface(removed) == c.at)
      c.pos = -1;
    else
      c.changes = changes;
  }
}

HRESULT SSymDiagramImpl::AddLane(ISSwimlane* lane) {
  // The lane finds the diagram's pool (making one when there is none) and
  // joins it at its end.
  lane->AddSymInSwim(Diagram());
  return lane->GetPoolSym() ? S_OK : E_FAIL;
}

HRESULT SSymDiagramImpl::AddSwimGroup(ISSymbol* group) {
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs || !prefs->IsSupportSwimSymbol()) return S_FALSE;
  SSymSwimGroup* g = SSymSwimGroup::FromInterface(group);
  // A group standing for a model object belongs to the pool that groups
  // its lanes by their parents; one already in a pool stays there.
  if (g && (g->GetObjectW() || g->GetSwimSym())) return S_FALSE;
  RepObjWrap groupObj(group);
  if (groupObj.IsNull()) return E_NOINTERFACE;
  const SSymRect area = group->GetClipRect(0, 0);
  SComWrap<ISSymbol> pool;
  for (ISSymbol* p : LivePools()) {
    SRepVariant grouping;
    const bool byParents = SComWrap<ISRepObject, &IID_ISRepObject>(p)->GetAttribute(kIdGroupType, &grouping) == S_OK &&
                           !grouping.IsEmpty() && grouping.GetLONG() != 0;
    if (!byParents && p->GetClipRect(0, 0).Intersects(area)) {
      pool = p;
      break;
    }
    if (!prefs->CanDrop()) return S_FALSE;
  }
  const bool made = pool.IsNull();
  if (made) {
    SRepSession* session = GetSessionImpl();
    if (!session) return E_UNEXPECTED;
    SComOut<ISSymbol> fresh;
    const HRESULT hr =
        static_cast<ISRepSession*>(session)->CreateObject(CLSID_SSymSwimLane, IID_ISSymbol, fresh.Void());
    if (FAILED(hr) || !fresh) return FAILED(hr) ? hr : E_FAIL;
    if (SComWrap<ISSymbolInit> init(fresh.Get()); !init.IsNull()) init->InitialSymRect(area);
    pool = fresh.Get();
  }
  SComOut<ISRepClassCol> members;
  RepObjWrap poolObj(pool.Get());
  HRESULT hr = poolObj->GetCollection(IdSymbols, &members);
  if (SUCCEEDED(hr) && members) hr = members->Insert(groupObj.Get(), -1);
  else if (SUCCEEDED(hr)) hr = E_FAIL;
  if (FAILED(hr) || !made) {
    if (made) poolObj->Delete();
    return hr;
  }
  hr = Add(pool.Get());
  if (FAILED(hr)) {
    // Nothing half placed: the group leaves the pool the diagram refused.
    if (const LONG at = members->GetPos(groupObj.Get()); at >= 0) members->Remove(at);
    poolObj->Delete();
  }
  return hr;
}

bool SSymDiagramImpl::OfferToLanes(ISSymbol* symbol) {
  const SSymRect r = symbol->GetClipRect(0, 0);
  const SSymPoint centre = r.GetCenter();  // safe for rectangles as wide as the coordinates
  for (ISSymbol* p : LivePools()) {
    if (!p->GetClipRect(0, 0).PtInRect(centre)) continue;
    // The lanes of the pool, those inside its lane groups included.
    std::vector<SComWrap<ISSymbol>> lanes;
    if (SSymSwimLane* pool = SSymSwimLane::FromInterface(p)) {
      SUnsortedComBag<ISSymbol> bag;
      pool->GetAllLane(bag, 1);
      for (int i = 0; i < bag.GetOrderCount(); ++i) lanes.emplace_back(bag.GetOrderAt(i));
    } else {
      for (SRepObject* m : SRepObject::FromInterface(p)->Collection(IdSymbols)->Items())
        lanes.emplace_back(static_cast<ISRepObject*>(m));
    }
    for (const SComWrap<ISSymbol>& l : lanes) {
      SComWrap<ISSymCompSym> comp(l.Get());
      SComWrap<ISSwimlane> lane(l.Get());
      if (comp.IsNull() || lane.IsNull() || !lane->IsPtInLane(centre)) continue;
      if (FAILED(comp->Add(symbol))) continue;
      symbol->Redraw(nullptr);
      return true;
    }
  }
  return false;
}

// A session that is being opened reads its pools back as they were: they
// are neither aligned again nor are their pictures registered twice.
bool SSymDiagramImpl::IsLoading() {
  SRepSession* s = GetSessionImpl();
  return s && s->IsDeferringPictures();
}

void SSymDiagramImpl::OnCollectionInsert(LONG id, ISRepObject* other, int pos) {
  if (other && !IsLoading() && HasParent()) RegisterPictures(other);
  SSymDiagramMem::OnCollectionInsert(id, other, pos);
  if (id == IdSymbols) KeepFirstAfterInsert(other, pos);
  if (id != IdSymbols || InLockoutContext()) return;
  SComWrap<ISSymbol> sym(other);
  SRepObject* obj = SRepObject::FromInterface(other);
  if (sym.IsNull() || !obj || sym->GetSymbolType() != SSymSwimLane::TypeCode) return;
  m_pools.push_back(obj);
  if (LivePools().size() > 1 && !IsLoading() && m_pDispPref) AlignNewPool(sym.Get());
}

bool SSymDiagramImpl::HasParent() {
  SComOut<ISRepObject> parent;
  return GetParent(&parent) == S_OK && parent;
}

void SSymDiagramImpl::RegisterPictures(ISRepObject* inserted) {
  if (SComWrap<ISSymCustomShape> shape(inserted); !shape.IsNull())
    if (SPictureInfo* picture = shape->GetCustomPicture()) AddPicture(picture);
  if (SComWrap<ISSymBrush> brush(inserted); !brush.IsNull())
    if (SPictureInfo* picture = brush->GetBackgroundPicture()) AddPicture(picture);
}

std::vector<ISSymbol*> SSymDiagramImpl::LivePools() {
  const SRepItemList& items = Collection(IdSymbols)->Items();
  std::vector<ISSymbol*> live;
  std::vector<SRepObject*> kept;
  for (SRepObject* p : m_pools)
    if (items.Contains(p)) {
      kept.push_back(p);
      live.push_back(SComWrap<ISSymbol>(static_cast<ISRepObject*>(p)).Get());
    }
  m_pools.swap(kept);
  return live;
}

SComTable<ISSymbol> SSymDiagramImpl::GetSwimLaneList() {
  SComTable<ISSymbol> table(4, 4);
  for (ISSymbol* p : LivePools()) table.Add(p);
  return table;
}

namespace {
// The height of a pool's heading band (0 for a pool symbol without one).
LONG HeadingOf(ISSymbol* pool) {
  SSymSwimLane* p = SSymSwimLane::FromInterface(pool);
  return p ? p->GetHeadHeight() : 0;
}
}  // namespace

bool SSymDiagramImpl::AlignNewPool(ISSymbol* pool) {
  const std::vector<ISSymbol*> pools = LivePools();
  ISSymbol* first = pools.front();
  const bool v = m_pDispPref->GetSwimlaneVert() != 0;
  const SSymRect f = first->GetClipRect(0, 0);
  SSymRect nr = pool->GetClipRect(0, 0);
  auto extent = [&](const SSymRect& r) { return v ? std::labs(r.y1 - r.y2) : std::labs(r.x2 - r.x1); };
  // The pools share the length of their lanes, below (or beside) each
  // pool's own heading band.
  const LONG s = extent(f) + 1 - HeadingOf(first);
  if (SSymSwimLane* p = SSymSwimLane::FromInterface(pool)) {
    if (v) p->SetHeight(s);
    else p->SetWidth(s);
  } else if (SSymBase* base = SSymBase::FromInterface(pool)) {
    SSymRect sized = nr;
    if (v) sized.y1 = sized.y2 + s - 1;
    else sized.x1 = sized.x2 - s + 1;
    base->SetAttrRect(sized);
  }
  // The far edges line up: the pool's edge where it is now, after sizing.
  const SSymRect sizedNow = pool->GetClipRect(0, 0);
  const LONG d = v ? f.y2 - sizedNow.y2 : f.x2 - sizedNow.x2;
  if (std::labs(d) > kPoolAlignTolerance) {
    pool->MoveBy(v ? SSymSize(0, d) : SSymSize(d, 0), 0);
    if (v) nr.y1 += d, nr.y2 += d;
    else nr.x1 += d, nr.x2 += d;
  }
  const LONG l = extent(nr) + 1 - HeadingOf(pool);
  if (l - s > kPoolAlignTolerance)
    for (int i = static_cast<int>(pools.size()) - 2; i >= 0; --i) {
      ISSymbol* p = pools[static_cast<std::size_t>(i)];
      SSymRect r = p->GetClipRect(0, 0);
      if (v) r.y1 = r.y2 + l + HeadingOf(p);
      else r.x1 = r.x2 - l - HeadingOf(p);
      if (SSymBase* b = SSymBase::FromInterface(p)) b->SetAttrRect(r);
    }
  return true;
}

void SSymDiagramImpl::OnCollectionRemove(LONG id, ISRepObject* other) {
  SSymDiagramMem::OnCollectionRemove(id, other);
  if (id == IdSymbols) KeepFirstAfterRemove(other);
  if (id != IdSymbols || InLockoutContext()) return;
  SRepObject* obj = SRepObject::FromInterface(other);
  auto it = std::find(m_pools.begin(), m_pools.end(), obj);
  if (it != m_pools.end()) m_pools.erase(it);
}

SSymRectIndex* SSymDiagramImpl::GetRectIndex() {
  if (!m_pRectIndex) m_pRectIndex = std::make_unique<SSymRectIndex>(this, IdSymbols);
  return m_pRectIndex.get();
}

SSymRect SSymDiagramImpl::GetClipRect() {
  SSymRect all(0, 0, 0, 0);
  for (SRepObject* item : Collection(IdSymbols)->Items()) {
    SComWrap<ISSymbol> s(static_cast<ISRepObject*>(item));
    if (s.IsNull() || s->IsHidden()) continue;
    all = Union(all, s->GetClipRect(1, 1));
  }
  return all;
}

// ---- owner role ----
HRESULT SSymDiagramImpl::GetOwnerRelay(ISSymOwner** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SRelayCache& cache = SRelayCache::Instance();
  void*& slot = cache.GetEntry(this);
  if (!slot) {
    void* block = cache.Alloc(sizeof(OwnerRelay));
    if (!block) {
      cache.Free(this, nullptr);
      return E_OUTOFMEMORY;
    }
    slot = new (block) OwnerRelay(this);  // the cache's entry holds no count: the relay ends at its last release
    *out = static_cast<OwnerRelay*>(slot);
    return S_OK;
  }
  *out = static_cast<OwnerRelay*>(slot);
  (*out)->AddRef();
  return S_OK;
}

HRESULT SSymDiagramImpl::GetTopOwner(ISSymOwner** out) {
  if (!out) return E_POINTER;
  return GetOwnerRelay(out);
}

HRESULT SSymDiagramImpl::SymRedraw(ISSymbol* symbol) {
  if (!symbol) return S_OK;
  // A symbol asks for a redraw when its look changed (a pen, a shadow, an
  // arrowhead): its extent may have changed without its rectangle.
  if (m_pRectIndex) m_pRectIndex->Refresh(symbol);
  for (SSymView* v : m_views) v->InvalidateAll(1);
  return S_OK;
}

// ---- windows ----
SSymView* SSymDiagramImpl::GetView(int index) const {
  if (index < 0 || index >= GetViewCount()) return nullptr;
  auto it = m_views.begin();
  std::advance(it, index);
  return *it;
}

void SSymDiagramImpl::Invalidate(const SSymRect&) {
  for (SSymView* v : m_views) v->InvalidateAll(1);
}

LONG SSymDiagramImpl::RedrawAllViews() {
  if (m_views.empty()) return 1;
  for (SSymView* v : m_views) {
    if (m_pDispPref) {
      SDrawBackground* back = v->GetDrawBackground();
      back->SetBackColor(m_pDispPref->GetWinColor(), 0);
      back->SetDrawMode(m_pDispPref->GetDrawBackMode());
      back->SetGradientMode(m_pDispPref->GetGradientMode());
      back->SetGradientColors(m_pDispPref->GetWinColor(), m_pDispPref->GetGradientEndColor());
      v->GetDrawWatermark()->SetDrawMode(m_pDispPref->GetDrawWatermarkMode());
    }
    v->InvalidateAll(1);
  }
  return 0;
}

// ---- display preferences ----
SSymDispPref* SSymDiagramImpl::GetDispPrefPtr() {
  if (m_pDispPref) return m_pDispPref;
  SRepSession* session = GetSessionImpl();
  // A session that cannot take changes now makes no preferences: they are
  // made on a later request.
  if (session && session->IsBusy()) return nullptr;
  {
    SProfilerHelper profile(session ? "CreateDisplayPreferences" : "CreateDisplayPreferences2");
    // Making the preferences is no step of the user's: whatever context is
    // open does not record it, and the session's switches come back as they were.
    std::optional<SSessionSwitchesGuard> switches;
    std::optional<SCurrentContextChange> noContext;
    if (session) {
      switches.emplace(static_cast<ISRepSession*>(session));
      noContext.emplace(static_cast<ISRepSession*>(session), nullptr);
    }
    if (FAILED(CreateDispPref()) || !m_pDispPref) return m_pDispPref;
  }
  m_pDispPref->m_bInitializing = 1;
  m_pDispPref->Initialize();
  m_pDispPref->m_bInitializing = 0;
  m_pDispPref->Load();
  m_pDispPref->InitBuffers();
  return m_pDispPref;
}

void SSymDiagramImpl::SetDispPrefPtr(SSymDispPref* p) {
  if (p == m_pDispPref) return;
  delete m_pDispPref;
  m_pDispPref = p;
}

// ---- attribute reactions ----
void SSymDiagramImpl::OnUpdateAttribute(LONG id) {
  switch (id) {
    case IdDispPrefSave:
      if (m_pDispPref && !m_pDispPref->IsLoading()) {
        SProfilerHelper profile("UpdateDisplayPreferences");
        {
          // An undo or redo brings the stored text back: what the
          // preferences do while they start over must not be handled as
          // changes of their own.
          std::optional<SSessionSuspendGuard> suspend;
          if (IsInUndoContext()) suspend.emplace(GetSessionImpl());
          m_pDispPref->ClearAll();
          m_pDispPref->m_bInitializing = 1;
          m_pDispPref->Initialize();
          m_pDispPref->m_bInitializing = 0;
        }
        m_pDispPref->Load();
        m_pDispPref->InitBuffers();
        RedrawAllViews();
      }
      break;
    case IdName:
      if (GetUseName()) _PostSetAttribute(IdDispName);
      break;
    case IdCode:
      if (!GetUseName()) _PostSetAttribute(IdDispName);
      break;
    case IdNote: _PostSetAttribute(IdHasNote); break;
    case IdPaperSize:
    case IdMargins:
      if (g_IsCascadeAllowed()) ShowNewPages();
      break;
    case IdScale: {
      // The windows lay their pages at the scale the print will use.
      const double scale = static_cast<double>(GetEffectiveScale());
      for (int i = 0; i < GetViewCount(); ++i) GetView(i)->ScalePageSize(scale);
      break;
    }
    case IdPgOrientation:
      if (m_pPageSetup) {
        SRep_Point p = GetPaperSize();
        const SRep_Rect m = GetMargins();
        if (p == SRep_Point_null) {
          const POINT s = m_pPageSetup->GetPageSize();
          SetPaperSize(SRep_Point{s.x, s.y});
          p = GetPaperSize();
        } else {
          m_pPageSetup->SetPageSize(POINT{p.x, p.y});
        }
        const LONG o = GetPgOrientation();
        SRep_Rect turned = m;
        bool turn = false;
        if (o == 1 && p.x > p.y) {
          turned = SRep_Rect{m.y1, m.x2, m.y2, m.x1};
          turn = true;
        } else if (o == 2 && p.x < p.y) {
          turned = SRep_Rect{m.y2, m.x1, m.y1, m.x2};
          turn = true;
        }
        if (turn) {
          SetPaperSize(SRep_Point{p.y, p.x});
          m_pPageSetup->SetPageSize(POINT{p.y, p.x});
          SetMargins(turned);
          m_pPageSetup->SetMargins(RECT{turned.x1, turned.y1, turned.x2, turned.y2});
        }
        ShowNewPages();
      }
      break;
    default: break;
  }
  SSymDiagramMem::OnUpdateAttribute(id);
}

void SSymDiagramImpl::ShowNewPages() {
  for (int i = 0; i < GetViewCount(); ++i) {
    GetView(i)->UpdatePaperSize();
    GetView(i)->InvalidateAll(1);
  }
}

LONG SSymDiagramImpl::InternalAutoFix(SStringTable& messages, int checkParents) {
  if (checkParents == 0 && GetPgOrientation() == 0) {
    // The repair never fails the check: what goes wrong is shown and the
    // check goes on, except an exception addressed to a handler further up.
    KvReportingScope(
        __func__, __FILE__, __LINE__,
        [](const SString& text) { return SString(u"Internal autofix of diagram page orientation") + text; },
        [&]() -> HRESULT {
          const SRep_Point p = GetPaperSize();
          SRep_Point form;
          const DWORD number = static_cast<DWORD>(GetPgSize());
          LONG o;
          if (FAILED(GetSize(number, form))) {
            o = p.x > p.y ? 2 : 1;
          } else if (std::labs(p.x - form.x) <= 1 && std::labs(p.y - form.y) <= 1) {
            o = 1;
          } else if (std::labs(p.y - form.x) <= 1 && std::labs(p.x - form.y) <= 1) {
            o = 2;
          } else {
            o = p.x > p.y ? 2 : 1;
          }
          SetCascadeAllowed off(false);
          SetPgOrientation(o);
          return S_OK;
        });
  }
  return SSymDiagramMem::InternalAutoFix(messages, checkParents);
}

// ---- SSymDiagram ------------------------------------------------------------------------------------
HRESULT SSymDiagram::CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  return SSymCreateStd<SSymDiagram>(out, session, source);
}

HRESULT SSymDiagram::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid == IID_ISSymOwner) return GetOwnerRelay(reinterpret_cast<ISSymOwner**>(ppv));
  // The repository's identity of a diagram object: the object itself.
  static constexpr IID kDiagramObject = MakeGUID("{96381B61-1253-11D1-83D9-444553540000}");
  if (iid == kDiagramObject) {
    *ppv = static_cast<SRepObject*>(this);
    AddRef();
    return S_OK;
  }
  return SRepFaces::InternalQueryInterface(iid, ppv);
}

BOOL SSymDiagram::ChangeInContext() {
  SRepControlHolder* holder = GetHolder();
  return holder && holder->ChangeInContext() ? 1 : 0;
}
