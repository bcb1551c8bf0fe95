// The terminators that the entry point runs at unload, in this order:
//   1. the arrowhead catalogue      (SSymTabArrow::TerminateSymArrow)
//   2. the picture manager's maps   (SSymPictureManager::TerminatePictureManager)
//   3. the shared off-screen DC     (SSymCanvas::TerminateSharedDC)
//   4. the highlighted swimlane     (TerminateSwimSelection)
// Each is a slot. The subsystem that owns a terminator installs it at
// start-up, from its own source file:
//   static SSymTerminatorInstaller s_install(SSymTerminatorSlot::SharedDC,
//                                            &SSymCanvas::TerminateSharedDC);
// A slot that nobody installed runs a stand-in that does nothing.
#pragma once

enum class SSymTerminatorSlot {
  // Filled by the lines and links subsystem (sym/links): its arrowhead
  // catalogue. Until that subsystem lands, the slot runs the stand-in.
  SymArrow = 0,
  // Filled by the primitive shapes and pictures subsystem (sym/shapes): the
  // picture manager's shape maps. Stand-in until it lands.
  PictureManager = 1,
  // Filled by the rendering subsystem (sym/render/symcanv.cpp): the shared
  // off-screen device context and bitmap of the canvases.
  SharedDC = 2,
  // Filled by the editing view and selection subsystem (sym/edit): the
  // swimlane the editing view last highlighted. Stand-in until it lands.
  SwimSelection = 3
};
inline constexpr int SSymTerminatorSlotCount = 4;

using SSymTerminatorFn = void (*)();

// Installs (or, with null, removes) the terminator of a slot.
void SSymInstallTerminator(SSymTerminatorSlot slot, SSymTerminatorFn fn);
// Runs the terminator of a slot (the stand-in when none is installed).
void SSymRunTerminator(SSymTerminatorSlot slot);
// The step names used by the unload observer: "TerminateSymArrow",
// "TerminatePictureManager", "TerminateSharedDC", "TerminateSwimSelection".
const char* SSymTerminatorName(SSymTerminatorSlot slot);

struct SSymTerminatorInstaller {
  SSymTerminatorInstaller(SSymTerminatorSlot slot, SSymTerminatorFn fn) { SSymInstallTerminator(slot, fn); }
};

// ---- test hook ------------------------------------------------------------------
// Observer of the unload block: called with the name of each step as it
// starts (the four terminators, then "Term" for the module state's Term).
using SSymUnloadObserver = void (*)(const char* step);
extern "C" {
// Sets the observer (null: none) and the slot whose terminator throws an
// SException instead of running (-1: none). The setting lasts until changed
// or until the library unloads.
void SSymTestSetUnloadHook(SSymUnloadObserver observer, int throwingSlot);
}
// The observer set by the test hook, or null.
SSymUnloadObserver SSymGetUnloadObserver();
