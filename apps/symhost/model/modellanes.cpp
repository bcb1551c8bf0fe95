#include "apps/symhost/model/modellanes.h"

#include "apps/symhost/model/hostlane.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/symbol/symcoll.h"

namespace {

constexpr LONG kLaneWidth = 12000;
constexpr LONG kLaneHeight = 16000;

struct LaneDef {
  const char16_t* title;
  COLORREF fill;
  std::vector<const char16_t*> entities;
};

}  // namespace

void SAddModelLanes(SHostDiagram& diagram, ISRepObject* model, LONG x, LONG y, std::vector<ISSymbol*>& made) {
  SHostModelDiagram* view = diagram.Model();
  if (!view || !model) return;
  SRepObject* package = SHostAddPackage(model, SString(u"Fulfilment"));
  if (!package) return;
  const LaneDef lanes[] = {
      {u"Sales", RGB(0xFF, 0xF8, 0xE7), {u"Quote", u"Sale"}},
      {u"Billing", RGB(0xF1, 0xF8, 0xEC), {u"Bill"}},
      {u"Shipping", RGB(0xEE, 0xF3, 0xFA), {u"Parcel", u"Route"}},
  };
  // The pool first, as long as the lanes are tall, attached to the diagram
  // like any new symbol: the diagram places it and turns it to the lanes'
  // orientation of its preferences. The lanes join it.
  {
    SComOut<ISSymbol> made;
    if (FAILED(diagram.Session()->CreateObject(CLSID_SSymSwimLane, IID_ISSymbol, made.Void())) || !made) return;
    SComWrap<ISSymbolInit> init(made.Get());
    if (!init.IsNull()) init->InitialSymRect(SSymRect(x, y, x, y - kLaneHeight));
    if (!view->AttachSymbol(made.Get(), 0) || view->GetPos(made.Get()) < 0) return;
  }
  std::vector<SHostEntitySym*> symbols;
  std::vector<SRepObject*> objects;
  ISSymbol* pool = nullptr;
  SSymCollection grouped;  // Sales and Billing: the lanes that share a group
  for (std::size_t i = 0; i < std::size(lanes); ++i) {
    const LaneDef& def = lanes[i];
    SHostLaneSym* lane = SHostNewLaneSymbol(diagram.Session(), SHostAddLane(package, SString(def.title)));
    if (!lane) return;
    const LONG left = x + static_cast<LONG>(i) * kLaneWidth;
    lane->PutRect(SSymRect(left, y, left + kLaneWidth, y - kLaneHeight));
    lane->SetBrush(SSymBrush(SSymColor(def.fill)), 0);
    // Each lane is attached to the diagram, which gives it to its pool: the
    // lane joins the pool at its end.
    view->AttachSymbol(lane->Sym(), 0);
    pool = lane->GetPoolSym();
    if (!pool) {
      lane->Release();
      return;
    }
    const SSymRect r = lane->GetClipRect(0, 0);
    // The lane's entities one under the other, below the heading band.
    LONG top = std::max(r.y1, r.y2) - 4200;
    for (const char16_t* name : def.entities) {
      SRepObject* o = SHostAddEntity(package, SString(name));
      ISSymbol* s = o ? view->CreateSymbolForObject(o, std::min(r.x1, r.x2) + 1800, top, 1) : nullptr;
      auto* es = s ? dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(s)) : nullptr;
      if (!es) continue;
      es->SetBrush(SSymBrush(SSymColor(RGB(0xDD, 0xEB, 0xF7))), 0);
      lane->Comp()->Add(s);
      objects.push_back(o);
      symbols.push_back(es);
      SSymRect e = s->GetClipRect(0, 0);
      top = std::min(e.y1, e.y2) - 4200;
    }
    if (i < 2) grouped.Add(lane->Sym());
    lane->Release();  // the pool holds the lane
  }
  if (!pool) return;
  // Sales and Billing share a lane group under a heading of its own; the
  // pool's heading grows by the group's band.
  if (SSymSwimLane* p = SSymSwimLane::FromInterface(pool); p && p->CreateUserGroup(grouped) == S_OK)
    for (const SComWrap<ISSymbol>& m : p->Members())
      if (SSymSwimGroup* g = SSymSwimGroup::FromInterface(m.Get())) {
        // Titled in the lanes' heading font, on a band of its own colour.
        g->SetFont(SSymFont(SString(u"Arial"), 9, SSymFont::Bold), 0);
        g->SetBrush(SSymBrush(SSymColor(RGB(0xF3, 0xF1, 0xE6))), 0);
        g->SetText(SString(u"Order to cash"), 1);
      }
  // Relations across the lanes: quote to sale, sale to bill and parcel,
  // parcel to route.
  const std::pair<int, int> relations[] = {{0, 1}, {1, 2}, {1, 3}, {3, 4}};
  const char16_t* names[] = {u"becomes", u"billed in", u"sent as", u"follows"};
  for (std::size_t i = 0; i < std::size(relations); ++i) {
    const auto [from, to] = relations[i];
    if (static_cast<std::size_t>(std::max(from, to)) >= objects.size()) break;
    SHostAddRelation(package, SString(names[i]), objects[static_cast<std::size_t>(from)],
                     objects[static_cast<std::size_t>(to)]);
  }
  for (SHostEntitySym* s : symbols) s->CompleteLink(1);
  diagram.Track(pool);
  made.push_back(pool);
}
