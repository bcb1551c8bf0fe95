// The whole state of a diagram's session, taken for comparison, and the
// invariants an editing session must keep after every step.
//
// A snapshot reaches every object linked to the diagram through any
// collection (either side) and every object an earlier snapshot of the same
// tracker reached (objects a step deleted stay in the comparison, as
// deleted). Per object it keeps the deleted mark, every attribute its class
// describes, every dynamic member, every collection in order, and for a
// symbol its rectangle, visibility, owner, link ends and links. Diff names
// the first differences in words.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "kvrep/srepobject.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symrectindex.h"
#include "sym/links/symlinkbase.h"
#include "sym/symbol/symbase.h"

class SessionState {
 public:
  struct Object {
    bool deleted = false;
    std::map<LONG, SRepVariant> attributes;
    std::map<LONG, std::vector<SRepObject*>> collections;
    bool symbol = false;
    SSymRect rect;
    bool hidden = false;
    IUnknown* owner = nullptr;
    SRepObject* ends[2] = {nullptr, nullptr};
    std::set<SRepObject*> links;
    friend bool operator==(const Object&, const Object&) = default;
  };
  std::map<SRepObject*, Object> objects;

  // The objects reached from root (and every object met before by the
  // same `seen`, which grows).
  static SessionState Take(SRepObject* root, std::set<SRepObject*>& seen) {
    Reach(root, seen);
    SessionState s;
    for (SRepObject* o : seen) s.objects[o] = Of(o);
    return s;
  }

  // The differences between two states in words (empty when equal); at
  // most `limit` of them.
  static std::string Diff(const SessionState& want, const SessionState& got, int limit = 8) {
    std::ostringstream out;
    int n = 0;
    auto note = [&](SRepObject* o, const std::string& what) {
      if (n++ < limit) out << Name(o) << ": " << what << "\n";
    };
    for (const auto& [o, w] : want.objects) {
      auto it = got.objects.find(o);
      if (it == got.objects.end()) {
        if (!w.deleted) note(o, "missing");
        continue;
      }
      const Object& g = it->second;
      if (w == g) continue;
      if (w.deleted != g.deleted) note(o, w.deleted ? "should be deleted" : "should not be deleted");
      if (w.deleted && g.deleted) continue;
      for (const auto& [id, v] : w.attributes) {
        auto a = g.attributes.find(id);
        if (a == g.attributes.end() || !(a->second == v))
          note(o, "attribute " + Hex(id) + " " + v.GetAsText().ToUtf8() + " != " +
                      (a == g.attributes.end() ? std::string("none") : a->second.GetAsText().ToUtf8()));
      }
      for (const auto& [id, v] : g.attributes)
        if (!w.attributes.count(id)) note(o, "extra attribute " + Hex(id));
      if (w.collections != g.collections) {
        std::set<LONG> ids;
        for (const auto& [id, v] : w.collections) ids.insert(id);
        for (const auto& [id, v] : g.collections) ids.insert(id);
        for (LONG id : ids) {
          auto a = w.collections.find(id), b = g.collections.find(id);
          const std::vector<SRepObject*> none;
          const auto& va = a == w.collections.end() ? none : a->second;
          const auto& vb = b == g.collections.end() ? none : b->second;
          if (va != vb) note(o, "collection " + Hex(id) + " [" + Names(va) + "] != [" + Names(vb) + "]");
        }
      }
      if (!(w.rect == g.rect))
        note(o, "rectangle " + RectText(w.rect) + " != " + RectText(g.rect));
      if (w.hidden != g.hidden) note(o, "visibility");
      if (w.owner != g.owner) note(o, "owner");
      for (int e = 0; e < 2; ++e)
        if (w.ends[e] != g.ends[e]) note(o, "link end " + std::to_string(e) + " " + Name(w.ends[e]) + " != " + Name(g.ends[e]));
      if (w.links != g.links) note(o, "links held");
    }
    for (const auto& [o, g] : got.objects)
      if (!want.objects.count(o) && !g.deleted) note(o, "extra object");
    if (n > limit) out << "... " << n - limit << " more\n";
    return out.str();
  }

  // The invariants of an editing session over the diagram and what it
  // reaches: link ends alive and attached both ways, each symbol held once
  // by the owner it names, no deleted object held, the spatial index equal
  // to the walk. The faults in words (empty when none).
  static std::string Check(SSymDiagramImpl* diagram, std::set<SRepObject*>& seen) {
    std::ostringstream out;
    Reach(diagram, seen);
    for (SRepObject* o : seen) {
      if (o->IsDeleted()) {
        for (LONG id : o->GetCollectionIds())
          if (SRepCollection* c = o->FindCollection(id); c && c->GetCount() > 0)
            out << Name(o) << " is deleted but its collection " << Hex(id) << " holds " << c->GetCount() << "\n";
        continue;
      }
      for (LONG id : o->GetCollectionIds())
        if (SRepCollection* c = o->FindCollection(id))
          for (SRepObject* m : c->Items())
            if (m->IsDeleted()) out << Name(o) << " holds deleted " << Name(m) << " in " << Hex(id) << "\n";
      auto* sym = dynamic_cast<SSymBase*>(o);
      if (!sym) continue;
      if (auto* link = dynamic_cast<SSymLinkBase*>(o)) {
        for (int e = 0; e < 2; ++e) {
          SComOut<ISSymbol> end;
          link->GetAttachSym(e, &end);
          SSymBase* b = SSymBase::FromInterface(end.Get());
          if (!b) continue;
          if (b->IsDeleted()) out << Name(o) << " end " << e << " is deleted " << Name(b) << "\n";
          else if (!b->GetLinks().Contains(SComWrap<ISSymLink>(link->Sym()).Get()))
            out << Name(o) << " end " << e << " " << Name(b) << " does not hold the link\n";
        }
      }
      const SComBag<ISSymLink>& links = sym->GetLinks();
      for (int i = 0; i < links.GetCount(); ++i) {
        auto* l = dynamic_cast<SSymLinkBase*>(SSymBase::FromInterface(links.GetAt(i)));
        if (!l || l->IsDeleted()) {
          out << Name(o) << " holds a gone link\n";
          continue;
        }
        SComOut<ISSymbol> a, b;
        l->GetAttachSym(0, &a);
        l->GetAttachSym(1, &b);
        if (SSymBase::FromInterface(a.Get()) != sym && SSymBase::FromInterface(b.Get()) != sym)
          out << Name(o) << " holds " << Name(l) << " whose ends are elsewhere\n";
      }
      // Held once, by the owner it names, in that owner's Symbols.
      int holders = 0;
      SRepObject* holder = nullptr;
      if (SRepCollection* rev = o->FindCollection(SymAttr::Symbols ^ SRepReverseBit))
        for (SRepObject* h : rev->Items()) {
          ++holders;
          holder = h;
          if (SRepCollection* c = h->FindCollection(SymAttr::Symbols))
            if (int count = static_cast<int>(std::count(c->Items().begin(), c->Items().end(), o)); count != 1)
              out << Name(o) << " held " << count << " times by " << Name(h) << "\n";
        }
      if (holders > 1) out << Name(o) << " has " << holders << " owners\n";
      if (holders == 1) {
        SComOut<ISSymOwner> owner;
        sym->GetOwner(&owner);
        if (!owner || SRepObject::FromInterface(owner.Get()) != holder)
          out << Name(o) << " names another owner than " << Name(holder) << "\n";
      }
    }
    if (!diagram->GetRectIndex()->IsConsistent()) out << "the spatial index differs from the walk\n";
    return out.str();
  }

  static std::string Name(const SRepObject* o) {
    if (!o) return "none";
    std::ostringstream s;
    s << static_cast<const void*>(o) << "(" << typeid(*o).name() << ")";
    return s.str();
  }

 private:
  static void Reach(SRepObject* root, std::set<SRepObject*>& seen) {
    std::vector<SRepObject*> todo{root};
    for (SRepObject* o : seen) todo.push_back(o);
    std::set<SRepObject*> walked;
    while (!todo.empty()) {
      SRepObject* o = todo.back();
      todo.pop_back();
      if (!o || !walked.insert(o).second) continue;
      seen.insert(o);
      for (LONG id : o->GetCollectionIds())
        if (SRepCollection* c = o->FindCollection(id))
          for (SRepObject* m : c->Items()) todo.push_back(m);
    }
  }

  static Object Of(SRepObject* o) {
    Object s;
    s.deleted = o->IsDeleted() != 0;
    if (s.deleted) return s;
    for (const SPropertyMap* map = o->GetPropertyMap(); map; map = map->base ? map->base() : nullptr)
      for (const SPropertyEntry* e = map->entries; e && e->id; ++e) {
        if (!e->CanGet() || s.attributes.count(static_cast<LONG>(e->id))) continue;
        SRepVariant v;
        if (o->RawGetAttribute(static_cast<LONG>(e->id), &v) == S_OK) s.attributes[static_cast<LONG>(e->id)] = v;
      }
    for (const auto& [id, v] : o->GetDynamicMembers()) s.attributes[id] = v;
    for (LONG id : o->GetCollectionIds())
      if (SRepCollection* c = o->FindCollection(id); c && c->GetCount() > 0) s.collections[id] = c->Items().ToVector();
    if (auto* sym = dynamic_cast<SSymBase*>(o)) {
      s.symbol = true;
      s.rect = sym->m_rect;
      s.hidden = sym->IsHidden() != 0;
      SComOut<ISSymOwner> owner;
      if (sym->GetOwner(&owner) == S_OK && owner) s.owner = SRepObject::FromInterface(owner.Get());
      const SComBag<ISSymLink>& links = sym->GetLinks();
      for (int i = 0; i < links.GetCount(); ++i) s.links.insert(SSymBase::FromInterface(links.GetAt(i)));
      if (auto* link = dynamic_cast<SSymLinkBase*>(o))
        for (int e = 0; e < 2; ++e) {
          SComOut<ISSymbol> end;
          link->GetAttachSym(e, &end);
          s.ends[e] = SSymBase::FromInterface(end.Get());
        }
    }
    return s;
  }

  static std::string Hex(LONG id) {
    std::ostringstream s;
    s << std::hex << "0x" << id;
    return s.str();
  }
  static std::string Names(const std::vector<SRepObject*>& v) {
    std::string out;
    for (SRepObject* o : v) out += (out.empty() ? "" : " ") + Name(o);
    return out;
  }
  static std::string RectText(const SSymRect& r) {
    std::ostringstream s;
    s << "(" << r.x1 << "," << r.y1 << "," << r.x2 << "," << r.y2 << ")";
    return s.str();
  }
};
