// Feeds arbitrary bytes to the registry's file form. A file that loads must
// save, load again and save to the same text (nothing read is lost or
// changed on the way); a refused file must leave the registry as it was.
// A crash, an over-read or undefined behaviour is a failure.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "win/winreg.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

// The process's scratch file for the registry text.
const std::string& Scratch() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kv-registry-fuzz-" + std::to_string(::getpid()) + ".txt";
  }();
  return path;
}

void Put(const std::uint8_t* data, std::size_t size) {
  std::ofstream out(Scratch(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Check(out.good());
}

std::string SavedText() {
  Check(KvRegSaveFile(Scratch()) == ERROR_SUCCESS);
  std::ifstream in(Scratch(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool cleanup = (std::atexit([] { std::remove(Scratch().c_str()); }), true);
  (void)cleanup;
  // A known registry to start from: a refused file must leave it whole.
  KvRegReset();
  HKEY key = nullptr;
  Check(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Kv", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS);
  const DWORD word = 7;
  RegSetValueExW(key, u"Seven", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), sizeof word);
  RegCloseKey(key);
  const std::string known = SavedText();

  Put(data, size);
  const LSTATUS loaded = KvRegLoadFile(Scratch());
  if (loaded != ERROR_SUCCESS) {
    Check(loaded == ERROR_BADDB);
    Check(SavedText() == known);
    return 0;
  }
  const std::string first = SavedText();
  Check(KvRegLoadFile(Scratch()) == ERROR_SUCCESS);
  const std::string second = SavedText();
  Check(first == second);
  return 0;
}
