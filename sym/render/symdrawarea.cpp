// The draw areas in force: a short chain (one per canvas that paints, nested
// paints of the same canvas innermost first), all on the UI thread.
#include "sym/render/symdrawarea.h"

namespace {
SSymDrawArea* g_innermost = nullptr;
bool g_culling = true;
}  // namespace

SSymDrawArea::SSymDrawArea(SSymCanvas& canvas, const SSymRect& area)
    : m_pCanvas(&canvas), m_area(area), m_pOuter(g_innermost) {
  m_area.Normalize();
  g_innermost = this;
}

SSymDrawArea::~SSymDrawArea() {
  // Scopes end in the reverse order of their start.
  g_innermost = m_pOuter;
}

const SSymRect* SSymDrawArea::Get(SSymCanvas& canvas) {
  for (SSymDrawArea* a = g_innermost; a; a = a->m_pOuter)
    if (a->m_pCanvas == &canvas) return &a->m_area;
  return nullptr;
}

bool SSymDrawArea::Meets(SSymCanvas& canvas, const SSymRect& extent) {
  if (!g_culling) return true;
  const SSymRect* area = Get(canvas);
  if (!area) return true;
  SSymRect e = extent;
  e.Normalize();
  return e.x1 <= area->x2 && area->x1 <= e.x2 && e.y2 <= area->y1 && area->y2 <= e.y1;
}

void SSymDrawArea::SetCulling(bool on) { g_culling = on; }
bool SSymDrawArea::IsCulling() { return g_culling; }
