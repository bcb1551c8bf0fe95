// Loading the test engines from a test program.
#pragma once

#include <string>

#include "kvcore/sstring.h"
#include "sym/layout/testengine/testengine.h"
#include "win/winloader.h"

// The file of a test engine: "kvlayoutprobe" or "kvlayoutold".
inline SString TestEngineFile(const char* name) {
  return SString((std::string(KV_LIB_DIR) + "/lib" + name + ".so").c_str());
}

// Loads the recording engine (the caller frees `module`, and so keeps its
// record between the bridge's loads) and answers its state, emptied; null
// when it does not load.
inline TestEngineState* LoadTestEngine(HMODULE& module) {
  module = LoadLibraryW(TestEngineFile("kvlayoutprobe").c_str());
  if (!module) return nullptr;
  auto state = reinterpret_cast<TestEngineStateFn>(GetProcAddress(module, "KvTestEngineState"));
  if (!state) return nullptr;
  state()->Reset();
  return state();
}
