// SFile: file-system helpers of the core library that callers use before
// writing a file: turning a name into a full path whose folder exists.
#pragma once

#include "kvcore/sstring.h"
#include "win/windef.h"

class SFile {
 public:
  // Prepares the path of a file about to be written: `out` receives the
  // full path of `name` (relative names are taken from the current folder;
  // both '/' and '\' separate folders). With `create` non-zero the missing
  // folders are made. 0 on success; E_INVALIDARG for an empty name or a
  // name that ends in a separator (no file), and the failure as an HRESULT
  // (0x8007xxxx) when a folder cannot be made; `out` is then left empty.
  static HRESULT CreateFilePath(const SString& name, SString& out, int create);
};
