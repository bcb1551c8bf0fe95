#include "apps/symhost/model/modelpackage.h"

#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/hostpackagesym.h"

void SAddModelPackage(SHostDiagram& diagram, ISRepObject* model, LONG x, LONG y, std::vector<ISSymbol*>& made) {
  SHostModelDiagram* view = diagram.Model();
  if (!view || !model) return;
  SRepObject* shipping = SHostAddPackage(model, SString(u"Shipping"));
  SRepObject* shipment = SHostAddEntity(shipping, SString(u"Shipment"));
  SRepObject* carrier = SHostAddEntity(shipping, SString(u"Carrier"));
  if (!shipment || !carrier) return;
  SHostAddAttribute(shipment, SString(u"number"), SString(u"integer"));
  SHostAddAttribute(shipment, SString(u"sent"), SString(u"date"));
  SHostAddAttribute(carrier, SString(u"name"), SString(u"text"));
  SHostAddRelation(shipping, SString(u"carried by"), shipment, carrier);

  // The package's symbol makes its children through the diagram, lays them
  // out in a row below its title and grows around them.
  ISSymbol* symbol = view->CreateSymbolForObject(shipping, x, y, 1);
  SComWrap<ISSymCompSym> comp(symbol);
  if (comp.IsNull()) return;
  if (auto* box = dynamic_cast<SHostBox*>(SSymBase::FromInterface(symbol)))
    box->SetBrush(SSymBrush(SSymColor(RGB(0xF2, 0xF2, 0xF2))), 0);
  comp->CompleteAllChildrenSym(1);
  // The entities inside take the look of the model's other entities.
  SComTable<ISSymbol> children;
  comp->GetAllChildren(children, 0);
  for (int i = 0; i < children.GetCount(); ++i)
    if (auto* e = dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(children.GetAt(i))))
      e->SetBrush(SSymBrush(SSymColor(RGB(0xDD, 0xEB, 0xF7))), 0);
  // The carrier is moved aside, as a user would, to show the relation
  // between the two: the package grows around it.
  if (ISSymbol* moved = comp->FindChildSymbol(carrier)) moved->MoveBy(SSymSize(7200, 0), 0);
  diagram.Track(symbol);
  made.push_back(symbol);
}
