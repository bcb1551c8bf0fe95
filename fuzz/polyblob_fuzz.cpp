// Feeds arbitrary bytes to the blob readers of the point-list symbols
// through SetBlobData: the polyline (the standard symbol's blob) and the
// polygon (its brush first, then the standard blob). A refused blob must
// leave the symbol's pen, brush and points as they were; a symbol that took
// a blob must still draw and give its blob back. A crash, an over-read or
// undefined behaviour is a failure as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/spicture.h"
#include "sym/links/sympolybase.h"
#include "sym/links/sympolygon.h"
#include "sym/render/symdeftcanv.h"

namespace {

std::string State(SSymPolyBase& s) {
  std::string out = std::to_string(s.m_pen.m_style) + "," + std::to_string(s.m_pen.m_width) + "," +
                    std::to_string(s.m_pen.m_color.GetColor()) + "|" + std::to_string(s.m_shadowPen.m_color.GetColor());
  SSymListPt pts;
  s.GetListPt(pts);
  for (const SSymPoint& p : pts) out += ";" + std::to_string(p.x) + "," + std::to_string(p.y);
  return out;
}
std::string State(SSymPolygon& s) {
  return State(static_cast<SSymPolyBase&>(s)) + "|" + std::to_string(s.GetBrush().m_style) + "," +
         std::to_string(s.GetBrush().m_color.GetColor()) + "," + std::to_string(s.GetBrush().m_hatch);
}

template <class T>
void Check(T* sym, const SBlob& blob) {
  const std::string before = State(*sym);
  if (FAILED(sym->SetBlobData(blob))) {
    if (State(*sym) != before) std::abort();  // a refused blob changed the symbol
    return;
  }
  (void)sym->GetBlobData();
  SSymDeftCanvas canvas;
  sym->DrawSymbol(canvas);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = (SExceptionDialog::SetQuiet(true), true);
  (void)quiet;
  const SBlob blob(data, size);
  const SSymListPt pts{SSymPoint(0, 0), SSymPoint(2400, -1200), SSymPoint(4800, 0)};
  auto* line = new SSymPolyBase(pts, nullptr);
  line->AddRef();
  Check(line, blob);
  Check(line, blob);  // a second blob over the state the first one left
  line->Release();
  auto* polygon = new SSymPolygon(pts);
  polygon->AddRef();
  Check(polygon, blob);
  Check(polygon, blob);
  polygon->Release();
  SPictureManager::RemoveAll();
  SExceptionDialog::ClearLog();
  return 0;
}
