// Feeds arbitrary bytes to the font stream of a text compartment. A stream
// that cannot be read must leave the font exactly as it was; one that is
// read gives a font whose stream reads back to the same font and is written
// again byte for byte (read over a compartment that has that font already,
// since a text form the font reader does not take, such as a one-letter
// face at one-digit size, leaves the font as it was). A crash, an over-read
// or undefined behaviour is a failure as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sstream.h"
#include "sym/subobjects/symsubs.h"

namespace {

class Compartment : public SSymSubsFonts {
 public:
  HRESULT Draw(SSymCanvas&) override { return S_OK; }
  int GetSymbolType() override { return 0; }
  HRESULT DrawOrAdjust(SSymCanvas&, int) override { return S_OK; }
};

std::vector<BYTE> Written(const Compartment& c) {
  SOutputGlobal out;
  c.OnGetBlobData(out);
  return out.GetBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto* c = new Compartment();
  c->AddRef();
  SSymFont before(SString(u"Courier New"), 11);
  before.m_style = SSymFont::Italic;
  c->_SetFont(before);
  SInputBuffer in(data, size);
  bool read = true;
  try {
    c->OnSetBlobData(in);
  } catch (const SEEOFException&) {
    read = false;
  }
  if (!read && !(c->GetSubFont() == before)) std::abort();  // an unreadable stream changed the font
  if (read) {
    const std::vector<BYTE> once = Written(*c);
    auto* again = new Compartment();
    again->AddRef();
    again->_SetFonts(c->GetFontsEntry());
    SInputBuffer back(once.data(), once.size());
    again->OnSetBlobData(back);
    if (back.GetAvailable() != 0 || !(again->GetSubFont().GetAsString() == c->GetSubFont().GetAsString()) ||
        Written(*again) != once)
      std::abort();  // the written stream does not read back to the same bytes
    again->Release();
  }
  c->Release();
  return 0;
}
