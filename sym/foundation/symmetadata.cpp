#include "sym/foundation/symmetadata.h"

#include "sym/foundation/sdsym.h"
#include "win/winres.h"

namespace {
// Written at build time by res/symmetagen.
const unsigned char s_metadata[] = {
#include "symmetadata.inc"
};

// Registered right after the module state is built, unregistered when the
// library unloads.
KvResourceRegistration s_metadataResource __attribute__((init_priority(104)))(
    SSymGetInstanceHandle(), u"METADATA", MAKEINTRESOURCEW(SSymMetadataId), s_metadata, sizeof s_metadata);
}  // namespace

SResourceBytes SSymGetMetadata() { return SSymGetModuleState()->FindResourceBytes(SSymMetadataType, SSymMetadataId); }

void SSymRegisterMetadata() {}
