#include "apps/symhost/layoutsheet.h"

#include <algorithm>

#include "apps/symhost/model/modelsheet.h"
#include "sym/foundation/symstrings.h"
#include "sym/layout/symautolayout.h"
#include "sym/layout/symedgerouter.h"

namespace {
constexpr LONG kPanelMargin = 1800, kTitleH = 2400;  // diagram units
constexpr DWORD kFrame = RGB(0x2F, 0x55, 0x97);
const SString kArial(u"Arial");

// The union of the symbols' rectangles (with their shadows).
SSymRect Extent(const std::vector<ISSymbol*>& symbols) {
  SSymRect all;
  bool first = true;
  for (ISSymbol* s : symbols) {
    SSymRect r = s->GetClipRect(1, 0);
    r.Normalize();
    if (first) all = r;
    all = SSymRect(std::min(all.x1, r.x1), std::max(all.y1, r.y1), std::max(all.x2, r.x2), std::min(all.y2, r.y2));
    first = false;
  }
  return all;
}
}  // namespace

std::vector<SHostLayoutPanel> SBuildLayoutSheet(SHostDiagram& diagram) {
  std::vector<SHostLayoutPanel> panels;
  const std::vector<ISSymbol*> made = SBuildModelSheet(diagram);
  SHostModelDiagram* model = diagram.Model();
  if (!model || made.empty()) return panels;

  // The model's symbols: the top-level ones are laid out, the links follow
  // their ends. The heading then goes above the result.
  SHostLayoutPanel panel;
  panel.style = SSymAutoLayoutStyle::Basic;
  SComBag<ISSymbol> links;
  for (std::size_t i = 1; i < made.size(); ++i) {
    panel.symbols.push_back(made[i]);
    if (model->IsLink(made[i])) links.Add(made[i]);
  }

  // The whole model is laid out (the heading with it, put back above after):
  // a part of a diagram would go below the symbols that stay.
  SSymAutoLayoutParam param(model->Diagram());
  param.m_options.m_bWholeDiagram = 1;
  param.LoadDefaultOptions();
  param.m_options.m_nStyle = panel.style;
  param.m_options.m_nPlacement = SSymAutoLayoutPlacement::None;  // Basic has no placements
  panel.laidOut = model->Diagram()->AutoLayout(param);
  // The links moved with their ends: their crossings are new.
  SSymEdgeRouter::Instance().ComputeIntersections(links);

  ISSymbol* heading = made[0];
  const SSymRect laid = Extent(panel.symbols), was = Extent({heading});
  heading->MoveBy(SSymSize(laid.x1 - was.x1, laid.y1 + kPanelMargin - was.y2), 0);
  panel.symbols.insert(panel.symbols.begin(), heading);
  const SSymRect area = Extent(panel.symbols);
  const SSymRect frame(area.x1 - kPanelMargin, area.y1 + kPanelMargin + kTitleH, area.x2 + kPanelMargin,
                       area.y2 - kPanelMargin);
  SHostBox* box = diagram.AddBox(frame);
  box->SetPen(SSymPen(SSymPen::Solid, 30, SSymColor(kFrame)), 0);
  box->SetTransparent(1);
  box->SetShadowStyle(0, 0);
  panel.frame = box->Sym();
  SHostBox* title = diagram.AddCaption(SSymRect(frame.x1, frame.y1, frame.x2, frame.y1 - kTitleH),
                                       SSymLoadString(SSymAutoLayoutStyle::NameStringBase + panel.style),
                                       SSymFont(kArial, 14, SSymFont::Bold), 0x120);
  panel.title = title->Sym();
  panels.push_back(panel);
  return panels;
}

bool SHostWriteLayoutSheet(const std::string& folder, const std::string& base,
                           std::vector<SHostExportedFile>& written, std::string& error) {
  SHostDiagram sheet;
  const std::vector<SHostLayoutPanel> panels = SBuildLayoutSheet(sheet);
  for (const SHostLayoutPanel& p : panels)
    if (!p.laidOut) {
      error = "the layout of the " + SSymLoadString(SSymAutoLayoutStyle::NameStringBase + p.style).ToUtf8() +
              " panel did not run; " + base + " was not written";
      return false;
    }
  if (panels.empty()) {
    error = "the sample model could not be built; " + base + " was not written";
    return false;
  }
  return SUCCEEDED(SHostExportDiagram(sheet, folder, base, written, error)) && error.empty();
}
