#include "apps/symhost/model/modelsheet.h"

#include <algorithm>

#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/modellanes.h"
#include "apps/symhost/model/modelmerge.h"
#include "apps/symhost/model/modelpackage.h"
#include "apps/symhost/model/modeltree.h"
#include "sym/layout/symedgerouter.h"

namespace {

struct EntityDef {
  const char16_t* name;
  LONG x, y;  // top left corner
  std::vector<std::pair<const char16_t*, const char16_t*>> attributes;
};
struct RelationDef {
  const char16_t* name;
  int from, to;  // indexes into the entities
};

// Where the entities sit (diagram units, y up): two rows under the heading.
// The relations draw as straight lines between the symbols' centres, so the
// symbols are placed for those lines: none crosses another, and each is
// long enough between its symbols for its label and its arrowhead side by
// side (labels sit in the middle of their lines). Order and Order line go
// along the top row, Product under Order line, Invoice under Customer: the
// line from Invoice to Product then passes below the top row.
constexpr LONG kRow0 = -2400, kRow1 = -11400;
constexpr LONG kCol1 = 13800, kCol2 = 27600;

}  // namespace

std::vector<ISSymbol*> SBuildModelSheet(SHostDiagram& diagram, bool entitiesOnly) {
  std::vector<ISSymbol*> made;
  SHostModelDiagram* view = diagram.Model();
  if (!view) return made;

  const EntityDef entities[] = {
      {u"Customer", 0, kRow0, {{u"number", u"integer"}, {u"name", u"text"}, {u"address", u"text"}}},
      {u"Order", kCol1, kRow0, {{u"number", u"integer"}, {u"date", u"date"}}},
      {u"Product", kCol2, kRow1, {{u"code", u"text"}, {u"price", u"decimal"}}},
      {u"Invoice", 1800, kRow1, {{u"number", u"integer"}, {u"total", u"decimal"}, {u"paid", u"boolean"}}},
      {u"Order line", kCol2, kRow0, {{u"quantity", u"integer"}}},
      {u"Supplier", kCol2, kRow1 - 8400, {{u"name", u"text"}}},
      // Shown as a grid of its attributes: more of them than the grid shows.
      {u"Payment",
       1800,
       kRow1 - 9600,
       {{u"number", u"integer"},
        {u"amount", u"decimal"},
        {u"method", u"text"},
        {u"received", u"date"},
        {u"reference", u"text"},
        {u"status", u"text"}}},
  };
  const RelationDef relations[] = {
      {u"places", 0, 1},   {u"contains", 1, 4},  {u"refers to", 4, 2}, {u"supplies", 5, 2},
      {u"receives", 0, 3}, {u"billed by", 1, 3}, {u"lists", 3, 2},     {u"settled by", 3, 6},
  };
  constexpr std::size_t kGridEntity = 6;

  SHostPackage* package = SHostNewModel(diagram.Session(), SString(u"Orders"));
  if (!package) return made;
  ISRepObject* model = static_cast<ISRepObjectBase*>(package);
  std::vector<ISRepObject*> objects;
  for (const EntityDef& e : entities) {
    SRepObject* o = SHostAddEntity(model, SString(e.name));
    for (const auto& [name, type] : e.attributes) SHostAddAttribute(o, SString(name), SString(type));
    objects.push_back(o);
  }
  // A key kept in another entity: an order line refers to its product by
  // the product's code (shown as "Product.code").
  SHostSetReference(SHostAddAttribute(objects[4], SString(u"code"), SString(u"text")), objects[2]);
  for (const RelationDef& r : relations)
    SHostAddRelation(model, SString(r.name), objects[static_cast<std::size_t>(r.from)],
                     objects[static_cast<std::size_t>(r.to)]);

  // The heading: a free box of the holder.
  SHostBox* title = diagram.AddBox(SSymRect(0, 0, 32400, -1500));
  title->SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)), 0);
  title->SetTransparent(1);
  title->SetShadowStyle(0, 0);
  title->SetFont(SSymFont(SString(u"Arial"), 11, SSymFont::Bold), 0);
  title->SetText(SString(u"Sample model: Orders"), 0);
  title->SetTextStyle(0x120, 0);
  made.push_back(title->Sym());

  std::vector<SHostEntitySym*> symbols;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const EntityDef& e = entities[i];
    ISSymbol* s = view->CreateSymbolForObject(objects[i], e.x, e.y, 1);
    auto* es = s ? dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(s)) : nullptr;
    if (!es) continue;
    if (i == kGridEntity) {
      es->m_bAttributeGrid = true;
      SHostBuildEntitySymbol(es, objects[i]);
    }
    es->SetBrush(SSymBrush(SSymColor(RGB(0xDD, 0xEB, 0xF7))), 0);
    diagram.Track(s);
    made.push_back(s);
    symbols.push_back(es);
  }
  // Each entity completes the links of its relations; their crossings become
  // bridges once the rest of the sheet is made (below).
  const std::size_t before = view->GetCount();
  for (SHostEntitySym* s : symbols) s->CompleteLink(1);
  SComBag<ISSymbol> links;
  SComOut<ISRepClassCol> all;
  if (view->GetSymbols(&all) == S_OK && all)
    for (LONG i = 0; i < all->GetCount(); ++i) {
      SComOut<ISRepObject> o;
      if (all->Item(i, &o) != S_OK) continue;
      SSymBase* s = SSymBase::FromInterface(o.Get());
      if (!s || !dynamic_cast<SHostRelationLink*>(s)) continue;
      links.Add(s->Sym());
      diagram.Track(s->Sym());
      made.push_back(s->Sym());
    }
  (void)before;
  if (entitiesOnly) {
    SSymEdgeRouter::Instance().ComputeIntersections(links);
    package->Release();  // the session keeps the model
    return made;
  }
  // The package and then the lanes go below everything drawn so far.
  auto bottomOf = [&made] {
    LONG bottom = kRow1;
    for (ISSymbol* s : made) {
      const SSymRect r = s->GetClipRect(0, 0);
      bottom = std::min({bottom, r.y1, r.y2});
    }
    return bottom;
  };
  SAddModelPackage(diagram, model, 0, bottomOf() - 3600, made);
  SAddModelTree(diagram, model, 37800, 0, made);
  SAddModelLanes(diagram, model, 0, bottomOf() - 3600, made);
  // A block of another model's entities merged in at the right, level with
  // the heading (the lanes and the package stay the lowest parts).
  LONG right = 0;
  for (ISSymbol* s : made) {
    const SSymRect r = s->GetClipRect(0, 0);
    right = std::max({right, r.x1, r.x2});
  }
  SAddModelMerge(diagram, model, SSymRect(right + 3600, 0, right + 30600, -11400), made);
  // The crossings last: the router forgets every crossing it holds when a
  // session goes away, as the merged model's does above.
  SSymEdgeRouter::Instance().ComputeIntersections(links);
  package->Release();  // the session keeps the model
  return made;
}
