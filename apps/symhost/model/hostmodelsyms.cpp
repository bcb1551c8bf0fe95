#include "apps/symhost/model/hostmodelsyms.h"

#include <algorithm>

#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symclone.h"
#include "sym/symbol/symintfowner.h"

namespace {

using namespace SHostId;

constexpr LONG kMargin = 75;   // between the outline and the compartments' frame
constexpr LONG kWidth = 6600;  // the narrowest entity
const SString kArial(u"Arial");

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
SHostEntitySym::SHostEntitySym(ISRepSession* session, const SSymRect& rect)
    : SRepFaces(session, rect, Rect), m_group(Sym()) {}

SHostEntitySym::~SHostEntitySym() {
  m_watch.Stop();
  ClearCompartments();
}

HRESULT SHostEntitySym::DrawSymbol(SSymCanvas& canvas) {
  SSymRect r = m_rect;
  r.Normalize();
  canvas.Rectangle(r);
  canvas.SetPen(GetPen());
  m_group.DrawSubSymbol(canvas);
  return S_OK;
}

HRESULT SHostEntitySym::GetModelObject(ISRepObject** out) { return GiveModelObject(Obj(), out); }

int SHostEntitySym::GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) {
  for (LONG* m : {left, right, top, bottom})
    if (m) *m = kMargin;
  return 1;
}

int SHostEntitySym::GetSubSymList(STable<SSymSubsFonts*>& list, int nested) {
  const int before = list.GetCount();
  m_group.GetSubSymList(list, nested);
  return list.GetCount() - before;
}

int SHostEntitySym::GetSubSymSize(LONG* width, LONG* height) {
  SSymRect r = m_rect;
  r.Normalize();
  SSymRect title;
  if (SSymSubsFonts* first = m_group.GetSubSymbol(0, 0)) title = first->GetClipRect(0, 0);
  title.Normalize();
  if (width) *width = r.x2 - r.x1;
  if (height) *height = title.y1 - title.y2;
  return 1;
}

void SHostEntitySym::ClearCompartments() {
  // The compartments point back without a reference: detach them first.
  while (m_group.GetCount(0) > 0) {
    SSymSubsFonts* m = m_group.GetSubSymbol(-1, 0);
    m_group.Remove(m_group.GetPos(m));
    m->Delete();
    m->SetParent(nullptr);
    m->Release();
  }
}

SSymSubText* SHostEntitySym::AddText(const SString& text, LONG kind, LONG textStyle, LONG fontStyle) {
  auto* t = new SSymSubText();
  t->_SetText(text);
  return AddCompartment(t, kind, textStyle, fontStyle);
}

SSymSubText* SHostEntitySym::AddCompartment(SSymSubText* t, LONG kind, LONG textStyle, LONG fontStyle) {
  if (!t) return nullptr;
  t->AddRef();
  t->SetParent(static_cast<ISSymSubSink*>(this), false);
  t->_SetKind(kind);
  t->_SetTextStyle(textStyle);
  t->_SetFont(SSymFont(kArial, 8, fontStyle));
  m_group.Add(t);
  t->InitializeSubSym();
  return t;
}

SSymRect SHostEntitySym::FitToCompartments(SSymCanvas& canvas) {
  // Measured at the standard width, as a new symbol is.
  SSymRect r = m_rect;
  r.Normalize();
  const SSymRect kept = m_rect;
  m_rect = SSymRect(r.x1, r.y1, r.x1 + kWidth, r.y1 - kWidth);
  SSymRect need = m_group.ComputeGroupRect(canvas, 1, 0);
  m_rect = kept;
  need.Normalize();
  const LONG w = std::max<LONG>(kWidth, need.Width() + 2 * (SSymSubGroup::Margin + kMargin));
  const LONG h = need.Height() + 2 * kMargin;
  return SSymRect(r.x1, r.y1, r.x1 + w, r.y1 - h);
}

HRESULT SHostEntitySym::GetAdjustRect(SSymCanvas& canvas, const SSymRect&, SSymRect& fitted) {
  fitted = FitToCompartments(canvas);
  return 0;
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
  SRepObject* o = SRepObject::FromInterface(entity);
  if (!o) return SSymSize(0, 0);
  // A scratch symbol, neither bound nor placed, measured as the diagram's would be.
  auto* scratch = new SHostEntitySym(o->GetSessionImpl(), SSymRect(0, 0, 1, -1));
  scratch->AddRef();
  SHostBuildEntitySymbol(scratch, entity);
  SSymRect r = scratch->m_rect;
  r.Normalize();
  scratch->Release();
  return SSymSize(r.x2 - r.x1, r.y1 - r.y2);
}

void SHostBuildEntitySymbol(SHostEntitySym* symbol, ISRepObject* entity) {
  if (!symbol || !entity) return;
  SString name = SHostNameOf(entity);
  symbol->CloneText(name);
  symbol->ClearCompartments();
  // The name, bold and centred, parted from the attributes by one line;
  // the attributes one below the other with no line between them. The
  // compartments show the model and follow it.
  SHostAddTitleText(symbol, entity);
  SString text = name;
  if (symbol->m_bAttributeGrid) {
    // The grid follows the attributes itself: the symbol is not rebuilt.
    symbol->WatchAttributes(nullptr);
    SHostAddAttributeGrid(symbol, entity, 4);
    SRepObjIterator it(entity, Attributes);
    while (ISRepObject* a = it.Next()) {
      text += u"\r\n";
      text += SHostNameOf(a);
    }
  } else {
    symbol->WatchAttributes(entity);
    SRepObjIterator it(entity, Attributes);
    while (ISRepObject* a = it.Next()) {
      SSymSubText* shown = SHostAddAttributeText(symbol, a);
      text += u"\r\n";
      text += shown ? shown->Text() : SHostNameOf(a);
    }
  }
  // The symbol's own text stays the whole listing for readers of its text.
  symbol->SetFont(SSymFont(kArial, 8), 0);
  symbol->SetText(text, 0);
  symbol->SetTextStyle(0x2, 0);

  // The box takes the standard width, then fits the compartments.
  SSymDeftCanvas canvas;
  symbol->PutRect(symbol->FitToCompartments(canvas));
}

const SSymCompDef& SHostProcessCompDef() {
  static const SSymCompDef def = [] {
    SSymCompDef d;
    d.nMarginX = 300;
    d.nMarginY = 300;
    d.nFlags = SSymCompDef::CompAdjustChildRect | SSymCompDef::CompCompleteAll;
    d.mapTypeToColl = {{SHostBox::Rect, Steps}};
    d.mapTypeToColl2 = {{SHostBox::Rect, Steps}};  // a step joins the process and stays in its package
    d.tabChildClasses = {CLSID_SSymSolidText};
    d.nSubObjColl = Steps;
    return d;
  }();
  return def;
}
