#include "sym/foundation/symterminators.h"

#include "kvcore/sexception.h"

namespace {
SSymTerminatorFn s_installed[SSymTerminatorSlotCount] = {};
SSymUnloadObserver s_observer = nullptr;
int s_throwingSlot = -1;

// Stand-ins until the owning subsystems install their terminators.
void StandIn() {}
}  // namespace

void SSymInstallTerminator(SSymTerminatorSlot slot, SSymTerminatorFn fn) {
  int i = static_cast<int>(slot);
  if (i >= 0 && i < SSymTerminatorSlotCount) s_installed[i] = fn;
}

const char* SSymTerminatorName(SSymTerminatorSlot slot) {
  switch (slot) {
    case SSymTerminatorSlot::SymArrow: return "TerminateSymArrow";
    case SSymTerminatorSlot::PictureManager: return "TerminatePictureManager";
    case SSymTerminatorSlot::SharedDC: return "TerminateSharedDC";
    case SSymTerminatorSlot::SwimSelection: return "TerminateSwimSelection";
  }
  return "";
}

void SSymRunTerminator(SSymTerminatorSlot slot) {
  int i = static_cast<int>(slot);
  if (i < 0 || i >= SSymTerminatorSlotCount) return;
  if (s_observer) s_observer(SSymTerminatorName(slot));
  if (i == s_throwingSlot)
    throw SException(SString("Terminator failure requested by the test hook"), __PRETTY_FUNCTION__, __FILE__,
                     __LINE__);
  (s_installed[i] ? s_installed[i] : StandIn)();
}

void SSymTestSetUnloadHook(SSymUnloadObserver observer, int throwingSlot) {
  s_observer = observer;
  s_throwingSlot = throwingSlot;
}

SSymUnloadObserver SSymGetUnloadObserver() { return s_observer; }
