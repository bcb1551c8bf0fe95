// The entry point's trigger. This file is linked last into the library, so
// its global is constructed after every other start-up initialiser of the
// library and destroyed before every other global object.
#include "sym/foundation/sdsym.h"

namespace {
struct SDllEntry {
  SDllEntry() { DllMain(SSymGetInstanceHandle(), DLL_PROCESS_ATTACH, nullptr); }
  ~SDllEntry() { DllMain(SSymGetInstanceHandle(), DLL_PROCESS_DETACH, nullptr); }
};
SDllEntry s_dllEntry;
}  // namespace
