// Feeds arbitrary bytes to every reader of the symbol streams. A reader may
// only answer with its value or an end-of-stream exception; anything else
// (a crash, an over-read, another exception) is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kvcore/spicture.h"
#include "kvcore/sstream.h"
#include "sym/foundation/symstream.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

// A string read back from its own written form is the same string.
void CheckStringRoundTrip(const SString& s) {
  SOutputGlobal mem;
  SSymOutputStream out(mem);
  out << s;
  SInputGlobal src(mem.GetBytes());
  SSymInputStream in(src);
  SString back;
  in >> back;
  Check(back == s);
  Check(in.GetAvailable() == 0);
}

// One read of the kind given by the selector.
void ReadOne(int kind, SSymInputStream& sym, SSymInputStreamBinary& bin, SSymInputStreamText& txt) {
  const SString name(u"Name");
  switch (kind % 12) {
    case 0: {
      SSymPen p;
      sym >> p;
      break;
    }
    case 1: {
      SSymBrush b;
      sym >> b;
      Check(b.GetStyle() >= 1 && b.GetStyle() <= 8);
      break;
    }
    case 2: {
      SSymColor c;
      sym >> c;
      break;
    }
    case 3: {
      SSymFont f;
      sym >> f;
      break;
    }
    case 4: {
      SString s;
      sym >> s;
      CheckStringRoundTrip(s);
      break;
    }
    case 5: {
      SString s;
      sym.ReadSymText(s);
      break;
    }
    case 6: {
      SSymRect r;
      bin.Read(name, r);
      break;
    }
    case 7: {
      SSymPen p;
      bin.Read(name, p);
      break;
    }
    case 8: {
      SSymColor c;
      bin.Read(name, c);
      break;
    }
    case 9: {
      bool v;
      bin.Read(name, v);
      break;
    }
    case 10: {
      SSymRect r;
      SSymPen p;
      txt.Read(name, r);
      txt.Read(name, p);
      break;
    }
    default: {
      SSymColor c;
      bool v = false;
      txt.Read(name, c);
      txt.Read(name, v);
      break;
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Every reader alone over the whole input.
  {
    for (int kind = 0; kind < 12; ++kind) {
      SInputBuffer src(data, size);
      SSymInputStream sym(src);
      SInputBuffer src2(data, size);
      SSymInputStreamBinary bin(src2);
      SInputBuffer src3(data, size);
      SSymInputStreamText txt(src3);
      try {
        // Read until the input runs out; each successful read consumes at
        // least one byte, so this ends.
        for (int i = 0; i < 4096; ++i) {
          const std::size_t before = src.GetAvailable() + src2.GetAvailable() + src3.GetAvailable();
          ReadOne(kind, sym, bin, txt);
          const std::size_t after = src.GetAvailable() + src2.GetAvailable() + src3.GetAvailable();
          Check(after < before);
        }
      } catch (const SEEOFException&) {
      }
    }
  }
  // A mixed sequence: the first byte of each step picks the reader.
  SInputBuffer src(data, size);
  SSymInputStream sym(src);
  SSymInputStreamBinary bin(src);
  SSymInputStreamText txt(src);
  try {
    for (int i = 0; i < 4096 && src.GetAvailable() > 0; ++i) {
      BYTE kind;
      sym >> kind;
      ReadOne(kind, sym, bin, txt);
    }
  } catch (const SEEOFException&) {
  }
  // Pattern brushes put their pictures in the process-wide table.
  SPictureManager::RemoveAll();

  // The text parsers of the values the streams carry.
  const SString text = SString::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  SSymFont f;
  f.SetAsString(text);
  SSymPen p;
  p.SetAsString(text);
  SColor c;
  c.SetAsString(text, 0xFF000000);
  return 0;
}
