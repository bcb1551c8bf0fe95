#include "sym/foundation/symmetadata.h"

#include <cstdint>
#include <span>

#include "sym/foundation/sdsym.h"
#include "win/winres.h"

#if __has_include("kvrep/sreptypelib.h")
#include "kvrep/sreptypelib.h"
#define KV_SYM_HAVE_TYPELIB 1
#endif

namespace {
// Written at build time by res/symmetagen.
const unsigned char s_metadata[] = {
#include "symmetadata.inc"
};

// Registered right after the module state is built, unregistered when the
// library unloads.
KvResourceRegistration s_metadataResource __attribute__((init_priority(104)))(
    SSymGetInstanceHandle(), u"METADATA", MAKEINTRESOURCEW(SSymMetadataId), s_metadata, sizeof s_metadata);

#ifdef KV_SYM_HAVE_TYPELIB
// The repository reads registered resources through this lookup: the module
// state it is given is the one this library registered with.
std::span<const std::uint8_t> LookupResource(void* moduleState, UINT id, LPCWSTR type) {
  auto* state = static_cast<SModuleState*>(moduleState);
  if (!state || !type) return {};
  SResourceBytes bytes = state->FindResourceBytes(type, id);
  return {bytes.data, bytes.size};
}

// The lookup lives in this library: it is taken back when the library unloads.
struct SLookupGuard {
  bool installed = false;
  ~SLookupGuard() {
    if (installed) SRepSetResourceLookup(nullptr);
  }
};
SLookupGuard s_lookupGuard;
#endif
}  // namespace

SResourceBytes SSymGetMetadata() { return SSymGetModuleState()->FindResourceBytes(SSymMetadataType, SSymMetadataId); }

void SSymRegisterMetadata() {
#ifdef KV_SYM_HAVE_TYPELIB
  ISRepTypeLibManager* manager = GetTypeLibManager();
  if (!manager) return;
  SRepSetResourceLookup(&LookupResource);
  s_lookupGuard.installed = true;
  manager->RegisterTypeLib(SSymGetModuleState(), SSymMetadataId, 0, u"METADATA");
#endif
}
