#include "apps/symhost/hostprint.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "apps/symhost/hostpages.h"
#include "kvcore/sinteraction.h"
#include "sym/edit/symselection.h"
#include "sym/render/symcanvview.h"
#include "win/winspool.h"

namespace fs = std::filesystem;

namespace {

// The diagram's own symbols (its top level), in drawing order.
std::vector<SComWrap<ISSymbol>> TopSymbols(SHostModelDiagram& model) {
  std::vector<SComWrap<ISSymbol>> out;
  SComOut<ISRepClassCol> all;
  if (model.GetSymbols(&all) != S_OK || !all) return out;
  for (LONG i = 0; i < all->GetCount(); ++i) {
    SComOut<ISRepObject> o;
    if (all->Item(i, &o) != S_OK || !o) continue;
    SComWrap<ISSymbol> s(o.Get());
    if (!s.IsNull()) out.push_back(s);
  }
  return out;
}

// Moves every symbol as moving a selection of everything does: each symbol
// once (with its owner when that is selected too), the diagram following.
void MoveAll(SHostModelDiagram& model, const SSymSize& offset) {
  SSymSelection all;
  all.SetDiagram(&model);
  for (const SComWrap<ISSymbol>& s : TopSymbols(model)) all.Add(s.Get(), 0);
  all.MoveBy(offset, 0, 0);
  all.Clear(0);
}

// Why a print made no document, in words.
std::string PrintFailure(HRESULT hr, const std::string& folder) {
  switch (hr) {
    case S_FALSE:
      return "there is nothing to print (the diagram is empty, or its margins leave no room on the page)";
    case E_ABORT:
      return "printing is turned off";
    case E_OUTOFMEMORY:
      return "there is not enough memory";
    default:
      return "the printer could not write its document into " + folder;
  }
}

}  // namespace

std::vector<SSymRect> SHostPrintedBoxes(SHostModelDiagram& model) {
  std::vector<SComWrap<ISSymbol>> top = TopSymbols(model);
  std::vector<ISSymbol*> symbols;
  for (const SComWrap<ISSymbol>& s : top) symbols.push_back(s.Get());
  return SHostBoxesOf(symbols);
}

SSymSize SHostPlaceForPrint(SHostModelDiagram& model) {
  SSymRect used = model.GetClipRect();
  if (used.x1 == 0 && used.y1 == 0 && used.x2 == 0 && used.y2 == 0) return SSymSize(0, 0);
  used.Normalize();
  const std::vector<SSymRect> boxes = SHostPrintedBoxes(model);
  const long long w = static_cast<long long>(used.x2) - used.x1 + 1, h = static_cast<long long>(used.y1) - used.y2 + 1;
  const LONG scale = model.GetEffectiveScale();
  // Each orientation of the paper at the print scale: the fewest pages win,
  // the one whose edges cut fewer symbols between equals. When those pages
  // would cut a symbol, the diagram is fitted on one page instead, in the
  // orientation that keeps it largest, unless that takes it below half its
  // print scale.
  struct Choice {
    LONG orientation = 0;
    SHostPagePlacement at;
    LONG fitted = 0;  // the scale that fits one page of this orientation
  };
  std::vector<Choice> choices;
  for (const LONG orientation : {LONG{DMORIENT_PORTRAIT}, LONG{DMORIENT_LANDSCAPE}}) {
    model.SetPgOrientation(orientation);
    const SSymSize page = model.GetPrintPageExtent();
    if (page.cx <= 0 || page.cy <= 0) continue;
    const long long fit = std::min(page.cx * static_cast<long long>(scale) / w, page.cy * static_cast<long long>(scale) / h);
    choices.push_back({orientation, SHostPlaceOnPages(page, used, boxes), static_cast<LONG>(std::min<long long>(fit, scale))});
  }
  if (choices.empty()) return SSymSize(0, 0);
  auto fewer = [](const Choice& a, const Choice& b) {
    return a.at.Pages() != b.at.Pages() ? a.at.Pages() < b.at.Pages() : a.at.Cuts() < b.at.Cuts();
  };
  Choice best = *std::min_element(choices.begin(), choices.end(), fewer);
  if (best.at.Cuts() > 0) {
    const Choice& largest = *std::max_element(choices.begin(), choices.end(),
                                              [](const Choice& a, const Choice& b) { return a.fitted < b.fitted; });
    if (largest.fitted >= scale / 2 && largest.fitted > 0) {
      best = largest;
      model.SetScale(largest.fitted);
    }
  }
  model.SetPgOrientation(best.orientation);
  const SSymSize page = model.GetPrintPageExtent();
  if (page.cx <= 0 || page.cy <= 0) return SSymSize(0, 0);
  best.at = SHostPlaceOnPages(page, used, boxes);
  // The print lays its pages on this grid and prints the cells the used
  // rectangle touches; the block starts at the cell of its top-left corner.
  SSymPaperGrid grid;
  grid.SetPaperSize(page);
  const SSymRect first = grid.GetPaperRect(SSymPoint(used.x1, used.y1));
  const LONG left = std::min(first.x1, first.x2), top = std::max(first.y1, first.y2) - 1;
  const SSymSize offset(left + best.at.x.room - used.x1, top - best.at.y.room - used.y1);
  if (offset.cx != 0 || offset.cy != 0) MoveAll(model, offset);
  return offset;
}

bool SHostPrintDiagram(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                       std::vector<SHostExportedFile>& written, std::string& error) {
  SHostModelDiagram* model = diagram.Model();
  if (!model) {
    error = "no model diagram to print";
    return false;
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path target = fs::path(folder) / (base + ".pdf");
  // The printer writes its documents into the print folder under names of
  // its own; the document is then kept under the name the host gives it.
  const std::string before = KvGetPrintFolder();
  const fs::path spooledBefore = KvLastPrintFile();
  KvSetPrintFolder(folder);
  HRESULT hr;
  {
    SetInteractionMode unattended(SInteractionUnattended);
    // The placement may turn the paper and fit the scale: both come back
    // with the model's place afterwards, where the host's pictures show it.
    const LONG orientation = model->GetPgOrientation(), scale = model->GetScale();
    const SSymSize placed = SHostPlaceForPrint(*model);
    hr = model->Print();
    if (placed.cx != 0 || placed.cy != 0) MoveAll(*model, SSymSize(-placed.cx, -placed.cy));
    model->SetScale(scale);
    model->SetPgOrientation(orientation);
  }
  const fs::path printed = KvLastPrintFile();
  KvSetPrintFolder(before);
  // A document of this print (not one an earlier print left as the last).
  const bool spooled = !printed.empty() && printed != spooledBefore;
  if (hr != S_OK) {
    if (spooled) fs::remove(printed, ec);
    error = "the model diagram did not print: " + PrintFailure(hr, folder);
    return false;
  }
  if (!spooled) {
    error = "the model diagram did not print: the printer made no document in " + folder;
    return false;
  }
  fs::rename(printed, target, ec);
  if (ec) {
    const std::string why = ec.message();
    fs::remove(printed, ec);
    error = "the printed model diagram could not be kept as " + target.string() + " (" + why + ")";
    return false;
  }
  written.push_back(SHostExportedFile{target.string(), fs::file_size(target, ec)});
  return true;
}
