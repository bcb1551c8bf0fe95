#include "apps/symhost/hostdiagram.h"

#include "sym/foundation/symclassreg.h"

void SHostDispPref::GetSymDefConf(SSymFormat* format) {
  if (!format) return;
  *format = SSymFormat();
  format->m_pen = SSymPen(SSymPen::Solid, 0, SSymColor(RGB(0x40, 0x40, 0x40)));
  format->m_brush = SSymBrush(SSymColor(RGB(0xFF, 0xFF, 0xFF)));
}

SHostModelDiagram* SHostModelDiagram::Create(ISRepSession* session) {
  SComOut<ISRepObject> made;
  if (FAILED(SSymCreateStd<SHostModelDiagram>(&made, session, nullptr)) || !made) return nullptr;
  auto* d = static_cast<SHostModelDiagram*>(SSymDiagram::FromInterface(made.Get()));
  if (!d) return nullptr;
  d->OnInitialize();
  made.Detach();
  return d;
}
