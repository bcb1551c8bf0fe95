// The default (measuring) canvas on the screen.
#include "sym/render/symdeftcanv.h"

KV_IMPLEMENT_CLASSINFO(SSymDeftCanvas, SSymCanvas);

SSymDeftCanvas::SSymDeftCanvas() { Lock(); }

SSymDeftCanvas::~SSymDeftCanvas() { SSymDeftCanvas::Unlock(); }

void SSymDeftCanvas::Unlock() {
  if (m_bLocked) SSymCanvas::Unlock();
}

void SSymDeftCanvas::Lock() {
  if (m_bLocked) return;
  InitScale(m_screenDC);
  SSymCanvas::Lock(m_screenDC);
  SetSizeDP(SIZE{1024, 768});
}
