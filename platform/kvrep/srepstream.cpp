#include "kvrep/srepstream.h"

#include <algorithm>
#include <map>
#include <cstring>
#include <set>
#include <vector>

namespace {
constexpr std::uint8_t kMagic[4] = {'K', 'V', 'R', 'S'};
constexpr std::uint32_t kVersion = 1;

struct Writer {
  SOutputStream& out;
  void Bytes(const void* p, std::size_t n) { out.Write(p, n); }
  void U32(std::uint32_t v) {
    std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                         static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    Bytes(b, 4);
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void I64(std::int64_t v) {
    U32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
    U32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) >> 32));
  }
  void Guid(const GUID& g) {
    std::uint8_t b[16];
    GuidToBytes(g, b);
    Bytes(b, 16);
  }
  void Text(const SString& s) {
    U32(static_cast<std::uint32_t>(s.GetLength()));
    for (int i = 0; i < s.GetLength(); ++i) {
      char16_t c = s.GetAt(i);
      std::uint8_t b[2] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)};
      Bytes(b, 2);
    }
  }
};

struct ReaderS {
  SInputStream& in;
  bool ok = true;
  void Bytes(void* p, std::size_t n) {
    if (!ok) return;
    if (in.GetAvailable() < n || in.Read(p, n) != n) ok = false;
  }
  std::uint32_t U32() {
    std::uint8_t b[4] = {};
    Bytes(b, 4);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::int64_t I64() {
    std::uint64_t lo = U32(), hi = U32();
    return static_cast<std::int64_t>(lo | hi << 32);
  }
  GUID Guid() {
    std::uint8_t b[16] = {};
    Bytes(b, 16);
    return GuidFromBytes(b);
  }
  // A count that the rest of the stream can hold (each item at least `unit` bytes).
  std::uint32_t Count(std::size_t unit) {
    std::uint32_t n = U32();
    if (ok && unit && n > in.GetAvailable() / unit) ok = false;
    return ok ? n : 0;
  }
  SString Text() {
    std::uint32_t n = Count(2);
    std::u16string s;
    for (std::uint32_t i = 0; ok && i < n; ++i) {
      std::uint8_t b[2] = {};
      Bytes(b, 2);
      s.push_back(static_cast<char16_t>(b[0] | b[1] << 8));
    }
    return SString(s.c_str(), static_cast<int>(s.size()));
  }
};

// An attribute as read: object references stay indexes until all objects exist.
struct AttrIn {
  LONG id;
  SRepVariant value;
  std::int32_t objectIndex = -2;  // -2: not an object reference
};
struct ObjIn {
  CLSID clsid;
  std::int32_t parent;
  LONG parentColl;
  std::vector<AttrIn> attrs;
};

void WriteVariant(Writer& w, const SRepVariant& v, const std::map<SRepObject*, int>& index) {
  w.U32(v.GetType());
  switch (v.GetType()) {
    case SRepVT_EMPTY: break;
    case SRepVT_STRING:
    case SRepVT_TEXT: w.Text(v.GetSTRING()); break;
    case SRepVT_BINARY:
      w.U32(static_cast<std::uint32_t>(v.GetBINARY().size()));
      w.Bytes(v.GetBINARY().data(), v.GetBINARY().size());
      break;
    case SRepVT_POINT: w.I32(v.GetPOINT().x), w.I32(v.GetPOINT().y); break;
    case SRepVT_RECT: {
      SRep_Rect r = v.GetRECT();
      w.I32(r.x1), w.I32(r.y1), w.I32(r.x2), w.I32(r.y2);
      break;
    }
    case SRepVT_PTLIST:
      w.U32(static_cast<std::uint32_t>(v.GetPLst().pts.size()));
      for (const SRep_Point& p : v.GetPLst().pts) w.I32(p.x), w.I32(p.y);
      break;
    case SRepVT_OID: w.Guid(v.GetOID().id); break;
    case SRepVT_IOBJECT: {
      auto it = index.find(SRepObject::FromInterface(v.GetIOBJECT()));
      w.I32(it == index.end() ? -1 : it->second);
      break;
    }
    default: w.I64(v.GetINT64()); break;
  }
}

bool ReadVariant(ReaderS& r, AttrIn& a) {
  auto type = static_cast<SRepVarType>(r.U32());
  SRepVariant& v = a.value;
  switch (type) {
    case SRepVT_EMPTY: break;
    case SRepVT_STRING: v.SetSTRING(r.Text()); break;
    case SRepVT_TEXT: v.SetTEXT(r.Text()); break;
    case SRepVT_BINARY: {
      std::vector<std::uint8_t> b(r.Count(1));
      if (!b.empty()) r.Bytes(b.data(), b.size());
      v.SetBINARY(std::move(b));
      break;
    }
    case SRepVT_POINT: {
      SRep_Point p;
      p.x = r.I32();
      p.y = r.I32();
      v.SetPOINT(p);
      break;
    }
    case SRepVT_RECT: {
      SRep_Rect q;
      q.x1 = r.I32(), q.y1 = r.I32(), q.x2 = r.I32(), q.y2 = r.I32();
      v.SetRECT(q);
      break;
    }
    case SRepVT_PTLIST: {
      SRep_PtList l;
      std::uint32_t n = r.Count(8);
      for (std::uint32_t i = 0; r.ok && i < n; ++i) {
        SRep_Point p;
        p.x = r.I32();
        p.y = r.I32();
        l.pts.push_back(p);
      }
      v.SetPLst(l);
      break;
    }
    case SRepVT_OID: v.SetOID(SRepOID_(r.Guid())); break;
    case SRepVT_IOBJECT: a.objectIndex = r.I32(); break;
    case SRepVT_SHORT: v.SetSHORT(static_cast<SHORT>(r.I64())); break;
    case SRepVT_LONG: v.SetLONG(static_cast<LONG>(r.I64())); break;
    case SRepVT_BOOL: v.SetBOOL(r.I64() != 0); break;
    case SRepVT_FLAGS: v.SetFLAGS(static_cast<DWORD>(r.I64())); break;
    case SRepVT_DATE: v.SetDATE(r.I64()); break;
    case SRepVT_BYTE: v.SetBYTE(static_cast<BYTE>(r.I64())); break;
    default: return false;
  }
  return r.ok;
}

// The attributes that can be written back: fields, accessor pairs, dynamic members.
std::vector<LONG> SavedAttributes(SRepObject* o) {
  std::vector<LONG> ids;
  std::set<LONG> seen;
  const SPropertyMap* map = o->GetPropertyMap();
  for (int depth = 0; map && depth < 256; ++depth) {
    for (const SPropertyEntry* e = map->entries; e && e->id != 0; ++e)
      if (seen.insert(static_cast<LONG>(e->id)).second && e->CanGet() && e->CanSet())
        ids.push_back(static_cast<LONG>(e->id));
    map = map->base ? map->base() : nullptr;
  }
  for (auto& [id, v] : o->GetDynamicMembers())
    if (seen.insert(id).second) ids.push_back(id);
  return ids;
}
}  // namespace

namespace {
thread_local SRepSaveScope* t_saveScope = nullptr;
}  // namespace

SRepSaveScope::SRepSaveScope() : m_outer(t_saveScope) { t_saveScope = this; }
SRepSaveScope::~SRepSaveScope() { t_saveScope = m_outer; }
SRepSaveScope* SRepSaveScope::Current() { return t_saveScope; }

const LONG* SRepSaveScope::Find(const void* object, LONG id) const {
  auto it = m_kept.find({object, id});
  return it == m_kept.end() ? nullptr : &it->second;
}

HRESULT SRepStreamManager::Save(SOutputStream& out, const std::vector<ISRepObject*>& objects) {
  const SRepSaveScope reading;
  // Preorder over the objects and their owned children.
  std::vector<SRepObject*> order;
  std::vector<std::pair<int, LONG>> parents;
  std::map<SRepObject*, int> index;
  // With a list of its own instead of the stack: children nest as deep as
  // a file holds them.
  auto visit = [&](SRepObject* top) {
    struct Pending {
      SRepObject* object;
      int parent;
      LONG coll;
    };
    std::vector<Pending> todo{{top, -1, 0}};
    while (!todo.empty()) {
      const Pending at = todo.back();
      todo.pop_back();
      SRepObject* o = at.object;
      if (index.count(o)) continue;
      const int me = static_cast<int>(order.size());
      index[o] = me;
      order.push_back(o);
      parents.emplace_back(at.parent, at.coll);
      // Pushed in reverse: the first child is written first, right after its parent.
      const std::size_t mark = todo.size();
      for (LONG id : o->GetCollectionIds()) {
        if (!o->IsOwning(id)) continue;
        for (SRepObject* k : o->FindCollection(id)->Items()) {
          ISRepObject* p = nullptr;
          k->GetParent(&p);
          bool mine = SRepObject::FromInterface(p) == o;
          if (p) p->Release();
          if (mine && !k->IsDeleted()) todo.push_back(Pending{k, me, id});
        }
      }
      std::reverse(todo.begin() + static_cast<std::ptrdiff_t>(mark), todo.end());
    }
  };
  for (ISRepObject* obj : objects) {
    SRepObject* o = SRepObject::FromInterface(obj);
    if (!o) return E_POINTER;
    if (o->IsDeleted()) return CO_E_OBJNOTCONNECTED;
    visit(o);
  }
  Writer w{out};
  w.Bytes(kMagic, 4);
  w.U32(kVersion);
  w.U32(static_cast<std::uint32_t>(order.size()));
  for (std::size_t i = 0; i < order.size(); ++i) {
    SRepObject* o = order[i];
    CLSID clsid{};
    o->GetCLSID(&clsid);
    w.Guid(clsid);
    w.I32(parents[i].first);
    w.I32(parents[i].second);
    std::vector<std::pair<LONG, SRepVariant>> attrs;
    for (LONG id : SavedAttributes(o)) {
      SRepVariant v;
      if (o->GetAttribute(id, &v) == S_OK) attrs.emplace_back(id, std::move(v));
    }
    w.U32(static_cast<std::uint32_t>(attrs.size()));
    for (auto& [id, v] : attrs) {
      w.I32(id);
      WriteVariant(w, v, index);
    }
  }
  // Links among the written objects that are not parent links, primary side.
  std::vector<std::tuple<int, LONG, int>> links;
  for (std::size_t i = 0; i < order.size(); ++i)
    for (LONG id : order[i]->GetCollectionIds()) {
      if (id & SRepReverseBit) continue;
      for (SRepObject* m : order[i]->FindCollection(id)->Items()) {
        auto it = index.find(m);
        if (it == index.end()) continue;
        if (parents[static_cast<std::size_t>(it->second)] == std::pair<int, LONG>(static_cast<int>(i), id)) continue;
        links.emplace_back(static_cast<int>(i), id, it->second);
      }
    }
  w.U32(static_cast<std::uint32_t>(links.size()));
  for (auto& [a, id, b] : links) w.I32(a), w.I32(id), w.I32(b);
  return S_OK;
}

HRESULT SRepStreamManager::Load(SInputStream& in, SRepRootObject* root, ISRepSession* session, int,
                                std::vector<ISRepObject*>* loaded) {
  if (!session) return E_POINTER;
  ReaderS r{in};
  std::uint8_t magic[4] = {};
  r.Bytes(magic, 4);
  if (!r.ok || std::memcmp(magic, kMagic, 4) != 0 || r.U32() != kVersion) return STG_E_READFAULT;
  std::uint32_t n = r.Count(28);
  std::vector<ObjIn> objs(n);
  for (std::uint32_t i = 0; r.ok && i < n; ++i) {
    ObjIn& o = objs[i];
    o.clsid = r.Guid();
    o.parent = r.I32();
    o.parentColl = r.I32();
    if (o.parent >= static_cast<std::int32_t>(i) || o.parent < -1) return STG_E_READFAULT;
    std::uint32_t na = r.Count(8);
    for (std::uint32_t k = 0; r.ok && k < na; ++k) {
      AttrIn a;
      a.id = r.I32();
      if (!ReadVariant(r, a)) return STG_E_READFAULT;
      if (a.objectIndex >= static_cast<std::int32_t>(n)) return STG_E_READFAULT;
      o.attrs.push_back(std::move(a));
    }
  }
  std::uint32_t nl = r.Count(12);
  std::vector<std::tuple<std::uint32_t, LONG, std::uint32_t>> links;
  for (std::uint32_t i = 0; r.ok && i < nl; ++i) {
    std::uint32_t a = r.U32();
    LONG id = r.I32();
    std::uint32_t b = r.U32();
    if (a >= n || b >= n) return STG_E_READFAULT;
    links.emplace_back(a, id, b);
  }
  if (!r.ok) return STG_E_READFAULT;
  for (const ObjIn& o : objs)
    if (!SRepRegistry::Find(o.clsid)) return REGDB_E_CLASSNOTREG;

  std::vector<ISRepObject*> made;
  auto drop = [&] {
    for (ISRepObject* m : made) m->Release();
  };
  for (const ObjIn& o : objs) {
    ISRepObject* obj = nullptr;
    HRESULT hr = SRepRegistry::CreateObject(o.clsid, session, nullptr, &obj);
    if (FAILED(hr)) {
      for (ISRepObject* m : made) m->Delete();
      drop();
      return hr;
    }
    if (SRepObject* so = SRepObject::FromInterface(obj))
      if (!so->IsAttached()) so->SetSession(session);
    made.push_back(obj);
  }
  for (std::size_t i = 0; i < objs.size(); ++i)
    for (const AttrIn& a : objs[i].attrs)
      if (a.objectIndex == -2) made[i]->SetAttribute(a.id, a.value);
  // The last parent first (a parent always comes before its children), each
  // one's children in their order: an object takes its children before it
  // joins its own parent, so that whatever an insert works out up the chain
  // of owners stops at once instead of climbing the whole nest every time.
  std::vector<std::vector<std::size_t>> childrenOf(objs.size());
  for (std::size_t i = 0; i < objs.size(); ++i)
    if (objs[i].parent >= 0) childrenOf[static_cast<std::size_t>(objs[i].parent)].push_back(i);
  for (std::size_t p = objs.size(); p-- > 0;)
    for (std::size_t i : childrenOf[p]) {
      ISRepClassCol* col = nullptr;
      if (made[p]->GetCollection(objs[i].parentColl, &col) == S_OK) {
        col->Insert(made[i], -1);
        col->Release();
      }
    }
  for (std::size_t i = 0; i < objs.size(); ++i)
    for (const AttrIn& a : objs[i].attrs)
      if (a.objectIndex >= 0) {
        SRepVariant v;
        v.SetIOBJECT(made[static_cast<std::size_t>(a.objectIndex)]);
        made[i]->SetAttribute(a.id, v);
      }
  for (auto& [a, id, b] : links) {
    ISRepClassCol* col = nullptr;
    if (made[a]->GetCollection(id, &col) == S_OK) {
      col->Insert(made[b], -1);
      col->Release();
    }
  }
  for (std::size_t i = 0; i < objs.size(); ++i) {
    if (root && objs[i].parent < 0) root->OneSidedCollection(SRepRootCarried)->Insert(made[i], -1);
    if (loaded) {
      made[i]->AddRef();
      loaded->push_back(made[i]);
    }
  }
  drop();
  return S_OK;
}
