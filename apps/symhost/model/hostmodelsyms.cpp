#include "apps/symhost/model/hostmodelsyms.h"

#include "sym/symbol/symclone.h"
#include "sym/symbol/symintfowner.h"

namespace {

using namespace SHostId;

constexpr LONG kLineH = 1100;  // one line of Arial 8 with its leading
constexpr LONG kMargin = 150;  // inside the box on every side
constexpr LONG kWidth = 6600;

HRESULT GiveModelObject(ISRepObject* symbol, ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = SHostBoundObject(symbol);
  if (!*out) return S_FALSE;
  (*out)->AddRef();
  return S_OK;
}

}  // namespace

ISRepObject* SHostBoundObject(ISRepObject* symbol) {
  SRepObject* s = SRepObject::FromInterface(symbol);
  SRepCollection* c = s ? s->FindCollection(Shows) : nullptr;
  return c && c->GetCount() > 0 ? static_cast<ISRepObjectBase*>(c->GetAt(0)) : nullptr;
}

bool SHostBind(ISRepObject* symbol, ISRepObject* object) {
  SRepObject* s = SRepObject::FromInterface(symbol);
  if (!s || !object) return false;
  return SUCCEEDED(s->SetObject(Shows, object));
}

// ---- entity symbol ---------------------------------------------------------------------------
SHostEntitySym::SHostEntitySym(ISRepSession* session, const SSymRect& rect) : SRepFaces(session, rect, Rect) {}

HRESULT SHostEntitySym::GetModelObject(ISRepObject** out) { return GiveModelObject(Obj(), out); }

int SHostEntitySym::GetSubSymMinSize(LONG* width, LONG* height) {
  if (width) *width = kWidth - 2 * kMargin;
  if (height) *height = kLineH;
  return 1;
}

int SHostEntitySym::GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) {
  for (LONG* m : {left, right, top, bottom})
    if (m) *m = kMargin;
  return 1;
}

int SHostEntitySym::GetSubSymSize(LONG* width, LONG* height) {
  SSymRect r = m_rect;
  r.Normalize();
  if (width) *width = r.x2 - r.x1;
  if (height) *height = kLineH + kMargin;
  return 1;
}

void SHostEntitySym::CloneText(SString& text) {
  SSymCloneSymbolHelper::AddCloneNumber(Obj(), text, static_cast<ISSymClone*>(this));
}

void SHostEntitySym::CompleteLink(int flag) {
  (void)flag;
  ISRepObject* entity = SHostBoundObject(Obj());
  SComOut<ISSymDiagram> diagram;
  if (!entity || entity->IsDeleted() || GetDiagram(&diagram) != S_OK || !diagram) return;
  for (LONG side : {FirstEnd ^ SRepReverseBit, SecondEnd ^ SRepReverseBit}) {
    SRepObjIterator it(entity, side);
    while (ISRepObject* relation = it.Next()) {
      if (relation->IsDeleted() || diagram->FindSymbolOfObject(relation, 0)) continue;
      ISSymbol* first = diagram->FindSymbolOfObject(SHostLinkEnd(relation, 0), 0);
      ISSymbol* second = diagram->FindSymbolOfObject(SHostLinkEnd(relation, 1), 0);
      if (first && second) diagram->CreateLinkSymbolForObject(relation, first, second);
    }
  }
}

// ---- relation link ---------------------------------------------------------------------------
HRESULT SHostRelationLink::GetModelObject(ISRepObject** out) { return GiveModelObject(Obj(), out); }

// ---- building ------------------------------------------------------------------------------
SSymSize SHostEntitySymbolSize(ISRepObject* entity) {
  const LONG attributes = SRepClassColPtr(entity, Attributes).GetCount();
  return SSymSize(kWidth, (1 + attributes) * kLineH + 2 * kMargin);
}

void SHostBuildEntitySymbol(SHostEntitySym* symbol, ISRepObject* entity) {
  if (!symbol || !entity) return;
  SString text = SHostNameOf(entity);
  symbol->CloneText(text);
  SRepObjIterator it(entity, Attributes);
  while (ISRepObject* a = it.Next()) {
    SRepVariant type;
    text += u"\r\n";
    text += SHostNameOf(a);
    if (a->GetAttribute(DataType, &type) == S_OK && !type.GetSTRING().IsEmpty()) {
      text += u" : ";
      text += type.GetSTRING();
    }
  }
  symbol->SetFont(SSymFont(SString(u"Arial"), 8), 0);
  symbol->SetText(text, 0);
  symbol->SetTextStyle(0x2, 0);  // lines centred from the top
  SSymRect r = symbol->m_rect;
  r.Normalize();
  const SSymSize size = SHostEntitySymbolSize(entity);
  symbol->PutRect(SSymRect(r.x1, r.y1, r.x1 + size.cx, r.y1 - size.cy));
}

const SSymCompDef& SHostProcessCompDef() {
  static const SSymCompDef def = [] {
    SSymCompDef d;
    d.nMarginX = 300;
    d.nMarginY = 300;
    d.nFlags = SSymCompDef::CompAdjustChildRect | SSymCompDef::CompCompleteAll;
    d.mapTypeToColl = {{SHostBox::Rect, Steps}};
    d.tabChildClasses = {CLSID_SSymSolidText};
    d.nSubObjColl = Steps;
    return d;
  }();
  return def;
}
