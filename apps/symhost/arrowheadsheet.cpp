#include "apps/symhost/arrowheadsheet.h"

#include <cstdio>
#include <string>

#include "sym/links/sympolybase.h"

namespace {
constexpr LONG kCellW = 10800, kCellH = 5400, kGap = 900;
constexpr int kColumns = 8;
constexpr LONG kHeadingH = 3600;
constexpr DWORD kLine = RGB(0x2F, 0x55, 0x97);
constexpr DWORD kInk = RGB(0x20, 0x20, 0x20);
const SString kArial(u"Arial");

// A transparent text without an outline.
void Label(SHostDiagram& d, const SSymRect& r, const std::u16string& text, const SSymFont& font, LONG style) {
  SHostBox* b = d.AddBox(r);
  b->SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)), 0);
  b->SetTransparent(1);
  b->SetShadowStyle(0, 0);
  b->SetText(SString(text.c_str()), 0);
  b->SetFont(font, 0);
  b->SetFontColor(SSymColor(kInk), 0);
  b->SetTextStyle(style, 0);
}

// A thin line from a to b with the arrowhead `type` at its destination end.
ISSymbol* Line(SHostDiagram& d, const SSymPoint& a, const SSymPoint& b, int type) {
  ISSymbol* sym = d.AddSymbol(CLSID_SSymPolyBase, SSymRect(a.x, a.y, b.x, b.y));
  auto* line = sym ? dynamic_cast<SSymPolyBase*>(SSymBase::FromInterface(sym)) : nullptr;
  if (!line) return sym;
  line->SetListPt(SSymListPt{a, b}, 0, 0, 0);
  line->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(kLine)), 0);
  line->SetShadowStyle(0, 0);
  line->SetArrow(8, type, 0);
  return sym;
}
}  // namespace

std::vector<ISSymbol*> SBuildArrowheadSheet(SHostDiagram& d) {
  std::vector<ISSymbol*> lines;
  Label(d, SSymRect(0, 0, kColumns * (kCellW + kGap), -kHeadingH), u"Arrowheads", SSymFont(kArial, 20, SSymFont::Bold),
        0x120);
  for (int type = SSymTabArrow::FirstType; type <= SSymTabArrow::LastType; ++type) {
    const LONG x = (type % kColumns) * (kCellW + kGap);
    const LONG top = -kHeadingH - (type / kColumns) * (kCellH + kGap);
    const std::string number = std::to_string(type);
    std::u16string caption = u"type " + std::u16string(number.begin(), number.end());
    if (type == SSymTabArrow::NoArrow)
      caption += u" (no arrowhead)";
    else if (!SSymTabArrow::GetEntry(type)->HasFigure())
      caption += u" (no figure)";
    Label(d, SSymRect(x, top, x + kCellW, top - 800), caption, SSymFont(kArial, 8), 0x122);
    // Room behind each tip for the figures that reach past it.
    lines.push_back(Line(d, SSymPoint(x + 700, top - 3300), SSymPoint(x + 4700, top - 3300), type));
    lines.push_back(Line(d, SSymPoint(x + 6000, top - 5000), SSymPoint(x + 9000, top - 2000), type));
  }
  return lines;
}

bool SHostWriteArrowheadSheet(const std::string& folder, std::vector<SHostExportedFile>& written) {
  SHostDiagram sheet;
  SBuildArrowheadSheet(sheet);
  std::vector<SHostExportedFile> files;
  std::string error;
  if (FAILED(SHostExportDiagram(sheet, folder, "arrowheads", files, error)) || !error.empty()) {
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return false;
  }
  written.insert(written.end(), files.begin(), files.end());
  return true;
}
