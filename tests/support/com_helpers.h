// Helpers of the tests of COM objects.
#pragma once

#include "win/windef.h"

// The reference count of an object, read by adding a reference and giving
// it back.
inline ULONG Refs(IUnknown* o) {
  o->AddRef();
  return o->Release();
}
