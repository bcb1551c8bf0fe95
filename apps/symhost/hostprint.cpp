#include "apps/symhost/hostprint.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "kvcore/sinteraction.h"
#include "sym/edit/symselection.h"
#include "sym/render/symcanvview.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"
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

// One axis of the placement: a block of `count` cells of `cell` units holds
// a drawing of `length` units whose boxes span [a, b] from the drawing's
// start. The free room in front of the drawing (0 to count x cell - length)
// whose cell edges cut the fewest boxes, the nearest to the middle among
// those, and that number of cuts.
struct Shift {
  LONG room = 0;
  std::size_t cuts = 0;
};

Shift BestShift(long long cell, long long count, long long length, const std::vector<std::pair<LONG, LONG>>& spans) {
  const long long room = std::max(0LL, count * cell - length);
  const long long middle = room / 2;
  Shift best{static_cast<LONG>(middle), static_cast<std::size_t>(-1)};
  // Whole pixels of the screen (75 units) are fine enough; the middle and
  // the whole room are tried too.
  auto attempt = [&](long long shift) {
    std::size_t cuts = 0;
    for (const auto& [a, b] : spans)
      if ((a + shift) / cell != (b + shift) / cell) ++cuts;
    if (cuts < best.cuts || (cuts == best.cuts && std::llabs(shift - middle) < std::llabs(best.room - middle)))
      best = Shift{static_cast<LONG>(shift), cuts};
  };
  attempt(middle);
  for (long long shift = 0; shift < room; shift += 75) attempt(shift);
  attempt(room);
  return best;
}

// The placement of the used rectangle in the fewest page cells of `page`
// units: the cells across and down and the room left before it on each axis.
struct Placement {
  long long across = 0, down = 0;
  Shift x, y;
  long long Pages() const { return across * down; }
  std::size_t Cuts() const { return x.cuts + y.cuts; }
};

Placement Place(const SSymSize& page, const SSymRect& used, const std::vector<SSymRect>& boxes) {
  Placement p;
  const long long w = static_cast<long long>(used.x2) - used.x1 + 1, h = static_cast<long long>(used.y1) - used.y2 + 1;
  p.across = (w + page.cx - 1) / page.cx;
  p.down = (h + page.cy - 1) / page.cy;
  // Boxes measured from the used rectangle's left edge and from its top
  // (the pages run downward).
  std::vector<std::pair<LONG, LONG>> xs, ys;
  for (const SSymRect& r : boxes) {
    xs.emplace_back(r.x1 - used.x1, r.x2 - used.x1);
    ys.emplace_back(used.y1 - r.y1, used.y1 - r.y2);
  }
  p.x = BestShift(page.cx, p.across, w, xs);
  p.y = BestShift(page.cy, p.down, h, ys);
  return p;
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

}  // namespace

std::vector<SSymRect> SHostPrintedBoxes(SHostModelDiagram& model) {
  std::vector<SSymRect> out;
  auto add = [&out](ISSymbol* s) {
    if (!s || s->IsHidden() || !SComWrap<ISSymLink>(s).IsNull()) return;
    SSymRect r = s->GetClipRect(1, 0);
    out.push_back(r.Normalize());
  };
  for (const SComWrap<ISSymbol>& s : TopSymbols(model)) {
    add(s.Get());
    SComTable<ISSymbol> inside;
    if (SComWrap<ISSymTree> tree(s); !tree.IsNull()) tree->GetAllChildren(inside, 1, 0);
    else if (SComWrap<ISSymCompSym> comp(s); !comp.IsNull()) comp->GetAllChildren(inside, 1);
    for (int i = 0; i < inside.GetCount(); ++i) add(inside.GetAt(i));
  }
  return out;
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
    Placement at;
    LONG fitted = 0;  // the scale that fits one page of this orientation
  };
  std::vector<Choice> choices;
  for (const LONG orientation : {LONG{DMORIENT_PORTRAIT}, LONG{DMORIENT_LANDSCAPE}}) {
    model.SetPgOrientation(orientation);
    const SSymSize page = model.GetPrintPageExtent();
    if (page.cx <= 0 || page.cy <= 0) continue;
    const long long fit = std::min(page.cx * static_cast<long long>(scale) / w, page.cy * static_cast<long long>(scale) / h);
    choices.push_back({orientation, Place(page, used, boxes), static_cast<LONG>(std::min<long long>(fit, scale))});
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
  best.at = Place(page, used, boxes);
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
  if (hr != S_OK) {
    error = "the model diagram did not print (" + std::to_string(static_cast<long>(hr)) + ")";
    return false;
  }
  fs::rename(printed, target, ec);
  if (ec) {
    fs::remove(printed, ec);
    error = "the printed model diagram could not be kept as " + target.string();
    return false;
  }
  written.push_back(SHostExportedFile{target.string(), fs::file_size(target, ec)});
  return true;
}
