#include "sym/foundation/symmetadata.h"

#include <cstdint>
#include <span>

#include "sym/foundation/sdsym.h"
#include "sym/foundation/symclassdesc.h"
#include "sym/foundation/symstrings.h"
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

// The repository reads the labels of the metamodel (classes and members)
// through this lookup; other modules' strings are not this library's to
// answer.
SString LookupString(void* moduleState, UINT id) {
  if (moduleState != SSymGetModuleState()) return SString();
  return SSymLoadString(id);
}

// The lookups live in this library: they are taken back when the library unloads.
struct SLookupGuard {
  bool installed = false;
  ~SLookupGuard() {
    if (installed) {
      SRepSetResourceLookup(nullptr);
      SRepSetStringLookup(nullptr);
    }
  }
};
SLookupGuard s_lookupGuard;
#endif
}  // namespace

SString SSymGetClassLabel(UINT id) {
  // The label strings of the metamodel's classes, from their descriptions:
  // the label, the short code and the plural, one per line.
  static const struct {
    UINT id;
    const char16_t* text;
  } kLabels[] = {
#define KV_SYM_LABEL_ROW(cls, name, parent, mapBase, id, flags, number, label, text, code, plural, ...) \
  {label, u"" text "\n" code "\n@CLSSNAMES=" plural},
#define KV_SYM_LABEL_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_LABEL_ROW, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
      KV_SYM_CLASSES(KV_SYM_LABEL_CLASS)
#undef KV_SYM_LABEL_CLASS
#undef KV_SYM_LABEL_ROW
  };
  for (const auto& l : kLabels)
    if (l.id == id) return SString(l.text);
  return SString();
}

SResourceBytes SSymGetMetadata() { return SSymGetModuleState()->FindResourceBytes(SSymMetadataType, SSymMetadataId); }

void SSymRegisterMetadata() {
#ifdef KV_SYM_HAVE_TYPELIB
  ISRepTypeLibManager* manager = GetTypeLibManager();
  if (!manager) return;
  SRepSetResourceLookup(&LookupResource);
  SRepSetStringLookup(&LookupString);
  s_lookupGuard.installed = true;
  manager->RegisterTypeLib(SSymGetModuleState(), SSymMetadataId, 0, u"METADATA");
#endif
}
