#include "sym/shapes/sympredefined.h"

#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvview.h"
#include "sym/shapes/symshapemap.h"

SSymShape* SSymPredefined::Shape() {
  SSymPictureManager manager;  // makes sure the shape map is built
  return SSymPictureManager::FindSymbolShape(GetSymbolType());
}

HRESULT SSymPredefined::HasAttribute(LONG id) {
  switch (static_cast<DWORD>(id)) {
    case 0x020100b4:  // SymbolType
    case 0x01000009:  // Text
    case 0x02010006:  // FontColor
    case 0x02010007:  // TextStyle
    case 0x0201001f:  // FontName
    case 0x02010056:  // BackgroundPictureFile
    case 0x02010057:  // CustomPictureFile
    case 0x02010058:  // CustomShapeType
    case 0x020100b5:  // Transparent
      return S_OK;
    default:
      return SSymBase::HasAttribute(id);
  }
}

HRESULT SSymPredefined::DrawSymbol(SSymCanvas& canvas) {
  SSymShape* shape = Shape();
  if (!shape) return S_OK;  // no shape: neither outline nor text
  canvas.SetPen(m_pen);
  SSymBrush brush = m_brush;
  if (Transparent() && brush.m_style != SSymBrush::Hollow) brush.m_style = SSymBrush::Hollow;
  canvas.SetBrush(brush, 0);
  shape->Draw(canvas, NormRect(), Transparent());
  DrawTextW(canvas);
  return S_OK;
}

HRESULT SSymPredefined::DrawShadow(SSymCanvas& canvas) {
  SSymShape* shape = Shape();
  if (!shape) return S_OK;
  canvas.SetPen(m_shadowPen);
  canvas.SetBrush(m_shadowBrush, 0);
  shape->DrawShadow(canvas, NormRect(), Transparent());
  return S_OK;
}

SSymRect SSymPredefined::GetMargin() {
  SSymShape* shape = Shape();
  if (!GetCanvasPtr() || !shape) return SSymRect(0, 0, 0, 0);
  return shape->GetMargin(NormRect());
}

BOOL SSymPredefined::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (sub) *sub = nullptr;
  if (IsHidden()) return 0;
  if (handle) {
    int index = -1;
    if (canvas.HitTestHandles(Sym()->GetClipRect(1, 0), &index, pt)) {
      *handle = index;
      return 1;
    }
  }
  SSymShape* shape = Shape();
  if (!shape) return 0;
  return shape->IsPtInShape(canvas, NormRect(), pt, handle, Transparent());
}

BOOL SSymPredefined::IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink*, int) {
  SSymShape* shape = Shape();
  if (!shape) return 0;
  return shape->IsLinkPtInShape(canvas, NormRect(), pt, Transparent());
}

BOOL SSymPredefined::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  SSymShape* shape = Shape();
  SSymCanvasView* canvas = GetCanvasPtr();
  if (!canvas || !shape) return SSymBase::GetIntersection(segment, out);
  return shape->GetIntersection(canvas, GetClipRectWithBorder(), segment, out);
}

HRESULT SSymPredefined::CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  return SSymCreateStd<SSymPredefined>(out, session, source);
}

KV_SYM_ACCESSORS(SSymPredefined) { KV_SYM_FIELD(SymbolType, m_nSymbolType); };
KV_SYM_DEFINE_CLASS_TABLES(SSymPredefined)
KV_SYM_IMPLEMENT_POOL(SSymPredefined, g_symClasses[SYMCLS_SSymPredefined].poolBlocks);
KV_SYM_REGISTER(SSymPredefined, &SSymPredefined::CreateInstance);
