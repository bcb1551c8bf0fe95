// Feeds arbitrary bytes to the symbols' blob readers through SetBlobData: the
// standard symbol (pen and shadow colours), the solid symbol (brush first),
// the solid text symbol (font, colour, style and text first) and the free
// text (its font alone). A blob that is refused must leave the symbol exactly
// as it was (for the free text, any blob not taken whole); a crash, an
// over-read or undefined behaviour is a failure as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/spicture.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symclassreg.h"
#include "sym/render/symcanv.h"
#include "sym/shapes/symtext.h"
#include "sym/symbol/symsolidtext.h"

namespace {

template <class Base>
class Concrete : public Base {
 public:
  explicit Concrete(ISRepSession* s) : Base(SSymRect(0, 3600, 4800, 0), s) {}
  int GetSymbolType() override { return 3; }
  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    canvas.Rectangle(this->m_rect);
    return S_OK;
  }
};

std::string Pen(const SSymPen& p) {
  return std::to_string(p.m_style) + "," + std::to_string(p.m_width) + "," + std::to_string(p.m_color.GetColor());
}
std::string Brush(const SSymBrush& b) {
  return std::to_string(b.m_style) + "," + std::to_string(b.m_hatch) + "," + std::to_string(b.m_color.GetColor()) +
         "," + std::to_string(b.m_bitmapMode) + "," + std::to_string(b.m_gradientMode) + "," +
         std::to_string(b.m_endColor.GetColor()) + "," +
         std::to_string(reinterpret_cast<std::uintptr_t>(b.GetPicture()));
}

// Everything a blob can change, as text.
std::string State(SSymStd& s) {
  return Pen(s.m_pen) + "|" + Pen(s.m_shadowPen) + "|" + Brush(s.m_shadowBrush);
}
std::string State(SSymSolid& s) { return State(static_cast<SSymStd&>(s)) + "|" + Brush(s.m_brush); }
std::string State(SSymSolidText& s) {
  return State(static_cast<SSymSolid&>(s)) + "|" + s.m_text.ToUtf8() + "|" + s.m_font.GetAsString().ToUtf8() + "|" +
         std::to_string(s.m_font.m_angle) + "|" + std::to_string(s.m_fontColor) + "|" +
         std::to_string(s.m_textStyle);
}

template <class T>
void Check(T* sym, const SBlob& blob, bool onlyWhole = false) {
  const std::string before = State(*sym);
  const HRESULT hr = sym->SetBlobData(blob);
  const bool refused = onlyWhole ? hr != S_OK : FAILED(hr);
  if (refused && State(*sym) != before) std::abort();  // a refused blob changed the symbol
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = (SExceptionDialog::SetQuiet(true), true);
  (void)quiet;
  auto* session = new SRepSession();
  session->AddRef();
  const SBlob blob(data, size);
  auto* std_ = new Concrete<SSymStd>(session);
  auto* solid = new Concrete<SSymSolid>(session);
  auto* text = new Concrete<SSymSolidText>(session);
  for (SRepObject* o : {static_cast<SRepObject*>(std_), static_cast<SRepObject*>(solid),
                        static_cast<SRepObject*>(text)}) {
    o->AddRef();
    o->SetSession(session);
  }
  text->SetText(SString(u"before"), 0);
  Check(std_, blob);
  Check(solid, blob);
  Check(text, blob);
  // A second blob over the state the first one left.
  Check(text, blob);
  ISRepObject* made = nullptr;
  if (SUCCEEDED(SSymGetClassRecord(SYMCLS_SSymText)->create(&made, session, nullptr)) && made) {
    auto* free = dynamic_cast<SSymText*>(SRepObject::FromInterface(made));
    if (free) {
      Check(free, blob, true);
      Check(free, blob, true);
    }
    made->Release();
  }
  for (SRepObject* o : {static_cast<SRepObject*>(std_), static_cast<SRepObject*>(solid),
                        static_cast<SRepObject*>(text)})
    o->Release();
  session->Release();
  SPictureManager::RemoveAll();
  SExceptionDialog::ClearLog();  // the refusals' messages, kept by the process otherwise
  return 0;
}
