// The METADATA resource (type "METADATA", id 1000): the metamodel of the
// library's persistent classes, registered in the module's resources at
// start-up and with the repository's type-library manager at attach.
#pragma once

#include "kvcore/smodulestate.h"
#include "kvcore/sstring.h"

inline constexpr UINT SSymMetadataId = 1000;
inline constexpr const char* SSymMetadataType = "METADATA";

// The resource's bytes, found through the library's module state.
SResourceBytes SSymGetMetadata();
// Registers the metamodel with the repository's type-library manager, when
// there is one; without a manager nothing happens.
void SSymRegisterMetadata();
// The label string of a class of the metamodel (its label, a line break,
// its short code, a line break and "@CLSSNAMES=" with the plural), by the
// string id the metamodel gives; empty for any other id.
SString SSymGetClassLabel(UINT id);
