// A module handle of a test program's own, for resources it registers (any
// address of the program stands for one), and the narrowing of a plain ASCII
// UTF-16 text for comparisons with string literals.
#pragma once

#include <string>

#include "win/windef.h"

namespace kvtest {

inline HMODULE TestModule() {
  static const char anchor = 0;
  return reinterpret_cast<HMODULE>(const_cast<char*>(&anchor));
}

inline std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

}  // namespace kvtest
