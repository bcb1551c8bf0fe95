// Feeds arbitrary registry values to the display preferences, and through
// them to the pool orientation that swimlanes read (SwimlaneVert). Each
// input line "<k><name>=<value>" writes one value: k '0' and '1' under the
// General and Object keys of the preferences, '2' and '3' under the older
// layout's (migrated once per process), '4' a number (REG_DWORD) under
// General, '5' raw bytes under General; after a line "--" the rest is the
// diagram's saved preference text. The preferences must read every value
// or fall back to its default: yes/no values stay 0 or 1, the orientation
// of pools among them. A crash, an over-read or undefined behaviour is a
// failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/sregistry.h"
#include "sym/diagram/symdisppref.h"
#include "win/winreg.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

const char16_t* const kKeys[] = {u"DisplayPreferences\\ALL\\General", u"DisplayPreferences\\ALL\\Object",
                                 u"DisplayPreferences\\General", u"DisplayPreferences\\Object"};

void Clear() {
  for (const char16_t* key : kKeys) RegDeleteKeyW(HKEY_CURRENT_USER, key);
}

void Put(std::string_view line) {
  if (line.size() < 2) return;
  const int kind = line[0] - '0';
  if (kind < 0 || kind > 5) return;
  line.remove_prefix(1);
  const std::size_t eq = line.find('=');
  const SString name = SString::FromUtf8(line.substr(0, eq));
  const std::string_view value = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
  SRegistry reg;
  if (reg.Init(HKEY_CURRENT_USER, SString(kKeys[kind <= 3 ? kind : 0]), 1) < 0) return;
  if (kind == 4)
    reg.WriteProfile(name, std::strtol(std::string(value).c_str(), nullptr, 0));
  else if (kind == 5)
    reg.WriteBinary(name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
  else
    reg.WriteProfile(name, SString::FromUtf8(value));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = (SExceptionDialog::SetQuiet(true), true);
  (void)quiet;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view saved;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line == "--") {
      saved = rest;
      break;
    }
    Put(line);
  }
  {
    SSymDispPref prefs;
    prefs.Initialize();
    prefs.InitBuffers();
    Check(prefs.GetSwimlaneVert() == 0 || prefs.GetSwimlaneVert() == 1);
    Check(prefs.GetTreeVert() == 0 || prefs.GetTreeVert() == 1);
    Check(prefs.GetShowIcon() == 0 || prefs.GetShowIcon() == 1);
    (void)prefs.GetOptsText();
    if (!saved.empty()) {
      try {
        prefs.FillFromINI(SString::FromUtf8(saved));
      } catch (const SEIOException&) {
      }
      prefs.InitBuffers();
      Check(prefs.GetSwimlaneVert() == 0 || prefs.GetSwimlaneVert() == 1);
      (void)prefs.GetOptsText();
    }
  }
  Clear();
  SExceptionDialog::ClearLog();
  return 0;
}
