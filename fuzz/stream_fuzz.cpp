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

// Reads values of the given types, one after the other, under one name.
template <class T, class Stream>
void ReadNamedOne(Stream& s, const SString& name) {
  T v{};
  s.Read(name, v);
}
template <class... T, class Stream>
void ReadNamed(Stream& s, const SString& name) {
  (ReadNamedOne<T>(s, name), ...);
}

// Reads one value of type T through operator>>.
template <class T>
T ReadStreamed(SSymInputStream& sym) {
  T v;
  sym >> v;
  return v;
}

// One read of the kind given by the selector.
void ReadOne(int kind, SSymInputStream& sym, SSymInputStreamBinary& bin, SSymInputStreamText& txt) {
  const SString name(u"Name");
  switch (kind % 12) {
    case 0: ReadStreamed<SSymPen>(sym); break;
    case 1: {
      const SSymBrush b = ReadStreamed<SSymBrush>(sym);
      Check(b.GetStyle() >= 1 && b.GetStyle() <= 8);
      break;
    }
    case 2: ReadStreamed<SSymColor>(sym); break;
    case 3: ReadStreamed<SSymFont>(sym); break;
    case 4: CheckStringRoundTrip(ReadStreamed<SString>(sym)); break;
    case 5: {
      SString s;
      sym.ReadSymText(s);
      break;
    }
    case 6: ReadNamed<SSymRect>(bin, name); break;
    case 7: ReadNamed<SSymPen>(bin, name); break;
    case 8: ReadNamed<SSymColor>(bin, name); break;
    case 9: ReadNamed<bool>(bin, name); break;
    case 10: ReadNamed<SSymRect, SSymPen>(txt, name); break;
    default: ReadNamed<SSymColor, bool>(txt, name); break;
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
