#include "apps/symhost/layoutsheet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unordered_set>

#include "apps/symhost/model/hostmodel.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/modelsheet.h"
#include "sym/foundation/symstrings.h"
#include "sym/layout/symautolayout.h"
#include "sym/layout/symedgerouter.h"
#include "sym/symbol/symintfformat.h"

namespace {
constexpr LONG kPanelMargin = 1800, kTitleH = 2400, kFiguresH = 1500;  // diagram units
constexpr LONG kPanelGap = 3600;  // between two frames
constexpr LONG kHeadingH = 1500;  // the host model's heading
constexpr LONG kRowWidth = 300000;  // a row of panels takes no more than this
constexpr double kUnitsPerCm = 7200 / 2.54;
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

// The point the engine centres a style's drawing on: the middle of the
// moving symbols' extent (hierarchic) or the mean of their centres
// (organic). A run started from symbols moved by d lands moved by d.
SSymPoint Anchor(LONG style, const std::vector<ISSymbol*>& nodes) {
  if (nodes.empty()) return SSymPoint(0, 0);
  if (style != SSymAutoLayoutStyle::Organic) {
    const SSymRect r = Extent(nodes);
    return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  }
  double x = 0, y = 0;
  for (ISSymbol* s : nodes) {
    SSymRect r = s->GetClipRect(1, 0);
    r.Normalize();
    x += (r.x1 + r.x2) / 2.0;
    y += (r.y1 + r.y2) / 2.0;
  }
  const double n = static_cast<double>(nodes.size());
  return SSymPoint(static_cast<LONG>(x / n), static_cast<LONG>(y / n));
}

// Styles whose drawing the engine centres on the origin whatever the
// symbols' places (they pack their parts there): a second run would land
// where the first did, so their panel is moved into place instead.
bool LandsOnTheOrigin(LONG style) {
  return style != SSymAutoLayoutStyle::Basic && style != SSymAutoLayoutStyle::Hierarchic &&
         style != SSymAutoLayoutStyle::Organic;
}

// One model on the sheet: its heading (none for the data model), the
// symbols to lay out (top-level symbols and links), the links, and every
// symbol the frame must hold.
struct PanelModel {
  ISSymbol* heading = nullptr;
  std::vector<ISSymbol*> nodes, links, all;
};

// Every relation link the model view holds, in the view's order.
std::vector<ISSymbol*> ViewLinks(SHostModelDiagram* view) {
  std::vector<ISSymbol*> out;
  SComOut<ISRepClassCol> all;
  if (view->GetSymbols(&all) != S_OK || !all) return out;
  for (LONG i = 0; i < all->GetCount(); ++i) {
    SComOut<ISRepObject> o;
    if (all->Item(i, &o) != S_OK) continue;
    SSymBase* s = SSymBase::FromInterface(o.Get());
    if (s && dynamic_cast<SHostRelationLink*>(s)) out.push_back(s->Sym());
  }
  return out;
}

// The host's model: the whole sample sheet for the first panel (the whole
// diagram is laid out), its entities and relations for the others. The
// sheet answers every relation link of the view: those made before are
// the other panels'.
PanelModel HostModel(SHostDiagram& diagram, bool first) {
  PanelModel m;
  SHostModelDiagram* model = diagram.Model();
  if (!model) return m;
  const std::vector<ISSymbol*> old = ViewLinks(model);
  const std::unordered_set<ISSymbol*> taken(old.begin(), old.end());
  const std::vector<ISSymbol*> made = SBuildModelSheet(diagram, !first);
  if (made.empty()) return m;
  m.heading = made[0];
  for (std::size_t i = 1; i < made.size(); ++i) {
    if (taken.count(made[i])) continue;
    m.all.push_back(made[i]);
    if (model->IsLink(made[i]))
      m.links.push_back(made[i]);
    else if (model->Contains(made[i], 0))
      m.nodes.push_back(made[i]);
  }
  return m;
}

// A small seeded generator: the same sheet on every run.
struct Lcg {
  std::uint64_t state = 0x2545F4914F6CDD1Dull;
  std::size_t Below(std::size_t n) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::size_t>((state >> 33) % n);
  }
};

// A data model of `tables` tables: each has a key and a few attribute rows,
// and refers to one or two earlier tables, the busier ones more often (as
// lookups and masters are), each reference a key attribute and a relation;
// a tenth as many references again join tables at random. The tables stand
// in a grid at first, to the right of everything on the sheet.
PanelModel DataModel(SHostDiagram& diagram, int tables) {
  PanelModel m;
  SHostModelDiagram* view = diagram.Model();
  if (!view || tables <= 0) return m;
  SHostPackage* package = SHostNewModel(diagram.Session(), SString(u"Warehouse"));
  if (!package) return m;
  ISRepObject* model = static_cast<ISRepObjectBase*>(package);
  static const char16_t* const kNames[] = {u"name", u"code", u"created", u"amount", u"status", u"note"};
  static const char16_t* const kTypes[] = {u"text", u"text", u"date", u"decimal", u"text", u"text"};
  Lcg rng;
  std::vector<SRepObject*> entities;
  std::vector<std::size_t> ends;  // one entry per link end: busy tables are drawn more often
  auto refer = [&](std::size_t from, std::size_t to, const SString& name) {
    SRepObject* key =
        SHostAddAttribute(entities[from], SString(u"t") + SString::FromInt(static_cast<int>(to) + 1) + SString(u"_id"),
                          SString(u"integer"));
    SHostSetReference(key, entities[to]);
    SHostAddRelation(model, name, entities[from], entities[to]);
    ends.push_back(from);
    ends.push_back(to);
  };
  for (int i = 0; i < tables; ++i) {
    SRepObject* e = SHostAddEntity(model, SString(u"T") + SString::FromInt(i + 1));
    SHostAddAttribute(e, SString(u"id"), SString(u"integer"));
    const std::size_t rows = 1 + rng.Below(3);
    const std::size_t first = rng.Below(std::size(kNames));
    for (std::size_t r = 0; r < rows; ++r) {
      const std::size_t k = (first + r) % std::size(kNames);
      SHostAddAttribute(e, SString(kNames[k]), SString(kTypes[k]));
    }
    entities.push_back(e);
    const std::size_t self = entities.size() - 1;
    if (self == 0) continue;
    const std::size_t refs = self == 1 ? 1 : 1 + rng.Below(2);
    std::size_t last = self;
    for (std::size_t r = 0; r < refs; ++r) {
      const std::size_t to = ends.empty() ? 0 : ends[rng.Below(ends.size())];
      if (to == last || to == self) continue;
      refer(self, to, SString(u"refers to"));
      last = to;
    }
  }
  for (int k = 0; k < tables / 10; ++k) {
    const std::size_t a = rng.Below(entities.size()), b = rng.Below(entities.size());
    if (a != b) refer(a, b, SString(u"uses"));
  }

  // The symbols, in a grid right of the sheet so far; their relations' links
  // are the links the view did not hold before.
  const std::vector<ISSymbol*> old = ViewLinks(view);
  const std::unordered_set<ISSymbol*> before(old.begin(), old.end());
  const SSymRect sheet = diagram.GetExtent(0);
  const LONG left = std::max(sheet.x1, sheet.x2) + 20000, top = std::max(sheet.y1, sheet.y2);
  constexpr int kColumns = 20;
  constexpr LONG kStep = 9000;
  std::vector<SHostEntitySym*> symbols;
  for (std::size_t i = 0; i < entities.size(); ++i) {
    const LONG x = left + static_cast<LONG>(i % kColumns) * kStep, y = top - static_cast<LONG>(i / kColumns) * kStep;
    ISSymbol* s = view->CreateSymbolForObject(entities[i], x, y, 1);
    auto* es = s ? dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(s)) : nullptr;
    if (!es) continue;
    es->SetBrush(SSymBrush(SSymColor(RGB(0xE2, 0xF0, 0xD9))), 0);
    diagram.Track(s);
    m.nodes.push_back(s);
    symbols.push_back(es);
  }
  for (SHostEntitySym* s : symbols) s->CompleteLink(1);
  for (ISSymbol* s : ViewLinks(view)) {
    if (before.count(s)) continue;
    diagram.Track(s);
    m.links.push_back(s);
  }
  m.all = m.nodes;
  m.all.insert(m.all.end(), m.links.begin(), m.links.end());
  package->Release();  // the session keeps the model
  return m;
}

// One run through the model diagram's AutoLayout: the whole diagram for the
// Basic style (its first run, before any other model is on the sheet), else
// the model's symbols alone, as a user's selection run with only those
// symbols considered. The run's time goes to `ms`.
bool Run(SHostModelDiagram* model, LONG style, LONG placement, const PanelModel& m, double& ms) {
  SComTable<ISSymbol> subset;
  for (ISSymbol* s : m.nodes) subset.Add(s);
  for (ISSymbol* s : m.links) subset.Add(s);
  const bool whole = style == SSymAutoLayoutStyle::Basic;
  SSymAutoLayoutParam param(model->Diagram(), whole ? nullptr : &subset, whole ? nullptr : &subset);
  param.LoadDefaultOptions();
  param.m_options.m_bWholeDiagram = whole ? 1 : 0;
  param.m_options.m_bAutomatic = 0;  // the style asked for, however few the symbols
  param.m_options.m_nStyle = style;
  param.m_options.m_nPlacement = placement;
  const auto start = std::chrono::steady_clock::now();
  const bool ok = model->Diagram()->AutoLayout(param);
  ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return ok;
}

// Crossings among the links, each counted once (the engine gives each to
// one of its two links).
std::int64_t CountCrossings(const std::vector<ISSymbol*>& links) {
  SComBag<ISSymbol> bag;
  for (ISSymbol* s : links) bag.Add(s);
  const std::unordered_set<ISSymbol*> asked(links.begin(), links.end());
  std::int64_t count = 0;
  for (const auto& [link, crossings] : SSymEdgeRouter::Instance().ComputeIntersections(bag))
    if (asked.count(link)) count += crossings.GetCount();
  return count;
}

// Moves a laid-out model by `by`: its symbols, and each link's route as
// the run left it (a link follows its symbols only at its ends).
void Shift(const std::vector<ISSymbol*>& nodes, const std::vector<ISSymbol*>& links, const SSymSize& by) {
  std::vector<std::pair<ISSymbol*, SSymListPt>> routes;
  for (ISSymbol* l : links) {
    SComWrap<ISSymPolyline> poly(l);
    SSymListPt points;
    if (!poly.IsNull() && SUCCEEDED(poly->GetListPt(points))) routes.emplace_back(l, points);
  }
  for (ISSymbol* s : nodes) s->MoveBy(by, 0);
  for (auto& [link, points] : routes) {
    for (int i = 0; i < points.GetCount(); ++i) points[i] = SSymPoint(points[i].x + by.cx, points[i].y + by.cy);
    SComWrap<ISSymPolyline>(link)->SetListPt(points, 0, 0);
  }
}

SString Figures(const SHostLayoutPanel& p) {
  char text[160];
  // Short runs with a tenth of a millisecond, so that none reads as 0.
  const std::string tables = p.dataModel ? std::to_string(kHostLayoutDataTables) + " tables: " : std::string();
  std::snprintf(text, sizeof text, "%s%.*f ms, %lld crossing%s, area %.0f \xC3\x97 %.0f cm", tables.c_str(),
                p.milliseconds < 10 ? 1 : 0, p.milliseconds, static_cast<long long>(p.crossings),
                p.crossings == 1 ? "" : "s", p.width / kUnitsPerCm, p.height / kUnitsPerCm);
  return SString::FromUtf8(text);
}

// Where the next panel goes: left to right in rows, a new row when the
// row is full or the panel is the data model's.
struct Cursor {
  LONG x = 0, top = 0, rowBottom = 0, rowLeft = 0;
  bool started = false;
};

// Frames the panel's symbols (the heading above them, when there is one),
// titles the frame and writes the figures under the title.
void Frame(SHostDiagram& diagram, SHostLayoutPanel& panel, ISSymbol* heading) {
  const SSymRect laid = Extent(panel.symbols);
  panel.width = laid.x2 - laid.x1;
  panel.height = laid.y1 - laid.y2;
  if (heading) {
    const SSymRect was = Extent({heading});
    heading->MoveBy(SSymSize(laid.x1 - was.x1, laid.y1 + kPanelMargin - was.y2), 0);
    panel.symbols.insert(panel.symbols.begin(), heading);
  }
  const SSymRect area = Extent(panel.symbols);
  const LONG head = kTitleH + kFiguresH;
  const SSymRect frame(area.x1 - kPanelMargin, area.y1 + kPanelMargin + head, area.x2 + kPanelMargin,
                       area.y2 - kPanelMargin);
  SHostBox* box = diagram.AddBox(frame);
  box->SetPen(SSymPen(SSymPen::Solid, 30, SSymColor(kFrame)), 0);
  box->SetTransparent(1);
  box->SetShadowStyle(0, 0);
  panel.frame = box->Sym();
  SHostBox* title = diagram.AddCaption(SSymRect(frame.x1, frame.y1, frame.x2, frame.y1 - kTitleH),
                                       SHostLayoutPanelTitle(panel), SSymFont(kArial, 14, SSymFont::Bold), 0x120);
  panel.title = title->Sym();
  SHostBox* figures = diagram.AddCaption(SSymRect(frame.x1, frame.y1 - kTitleH, frame.x2, frame.y1 - head),
                                         Figures(panel), SSymFont(kArial, 10, 0), 0x120);
  panel.figures = figures->Sym();
}

SSymRect FrameRect(const SHostLayoutPanel& p) {
  SSymRect r = p.frame->GetClipRect(1, 0);
  r.Normalize();
  return r;
}
}  // namespace

SString SHostLayoutPanelTitle(const SHostLayoutPanel& panel) {
  SString title = SSymLoadString(SSymAutoLayoutStyle::NameStringBase + static_cast<UINT>(panel.style));
  if (panel.placement != SSymAutoLayoutPlacement::None)
    title += SString(u", ") + SSymLoadString(static_cast<UINT>(panel.placement));
  return title;
}

std::vector<SHostLayoutPanel> SBuildLayoutSheet(SHostDiagram& diagram) {
  std::vector<SHostLayoutPanel> panels;
  SHostModelDiagram* model = diagram.Model();
  if (!model) return panels;

  struct Plan {
    LONG style, placement;
    bool dataModel;
  };
  using Style = SSymAutoLayoutStyle;
  using Placement = SSymAutoLayoutPlacement;
  const Plan plans[] = {
      {Style::Basic, Placement::None, false},
      {Style::Hierarchic, Placement::TopToBottom, false},
      {Style::Hierarchic, Placement::BottomToTop, false},
      {Style::Hierarchic, Placement::LeftToRight, false},
      {Style::Hierarchic, Placement::RightToLeft, false},
      {Style::Organic, Placement::None, false},
      {Style::Tree, Placement::TopToBottom, false},
      {Style::Snowflake, Placement::None, false},
      {Style::Circular, Placement::Radiation, false},
      {Style::Circular, Placement::Cycle, false},
      {Style::Orthogonal, Placement::TopToBottom, false},
      {Style::Hierarchic, Placement::TopToBottom, true},
  };

  Cursor cursor;
  std::vector<ISSymbol*> allLinks;
  for (const Plan& plan : plans) {
    const PanelModel m =
        plan.dataModel ? DataModel(diagram, kHostLayoutDataTables) : HostModel(diagram, panels.empty());
    if (m.nodes.empty()) return panels;
    SHostLayoutPanel panel;
    panel.style = plan.style;
    panel.placement = plan.placement;
    panel.dataModel = plan.dataModel;
    panel.symbols = m.all;
    panel.links = m.links;

    // The first run shows where the drawing lands and how large it is; the
    // symbols then move so that a second run puts the drawing in its place
    // on the grid (the engine centres a drawing where its symbols were).
    // The Basic panel is the first and stays where its run put it.
    const SSymPoint aimed = Anchor(plan.style, m.nodes);
    panel.laidOut = Run(model, plan.style, plan.placement, m, panel.milliseconds);
    if (panel.laidOut && plan.style != Style::Basic) {
      const SSymRect first = Extent(m.all);
      const LONG w = first.x2 - first.x1;
      const LONG head = kPanelMargin + kTitleH + kFiguresH + (m.heading ? kPanelMargin + kHeadingH : 0);
      if (plan.dataModel || cursor.x - cursor.rowLeft + w > kRowWidth) {
        cursor.top = cursor.rowBottom - kPanelGap;
        cursor.x = cursor.rowLeft;
      }
      // The drawing is to move by `by`; the run centres it on the anchor of
      // the symbols it starts from, which the first run moved from `aimed`
      // to `landed`.
      const SSymSize by(cursor.x + kPanelMargin - first.x1, cursor.top - head - first.y1);
      if (LandsOnTheOrigin(plan.style)) {
        Shift(m.nodes, m.links, by);
      } else {
        const SSymPoint landed = Anchor(plan.style, m.nodes);
        const SSymSize move(by.cx + aimed.x - landed.x, by.cy + aimed.y - landed.y);
        for (ISSymbol* s : m.nodes) s->MoveBy(move, 0);
        panel.laidOut = Run(model, plan.style, plan.placement, m, panel.milliseconds);
      }
    }
    panel.crossings = panel.laidOut ? CountCrossings(m.links) : -1;
    allLinks.insert(allLinks.end(), m.links.begin(), m.links.end());
    Frame(diagram, panel, m.heading);
    const SSymRect f = FrameRect(panel);
    if (!cursor.started) {
      cursor.started = true;
      cursor.rowLeft = f.x1;
      cursor.top = f.y1;
      cursor.rowBottom = f.y2;
    }
    cursor.x = f.x2 + kPanelGap;
    cursor.rowBottom = std::min(cursor.rowBottom, f.y2);
    panels.push_back(std::move(panel));
  }
  // The bridges of every panel's crossings (each count above asked only for
  // its own panel's).
  CountCrossings(allLinks);
  return panels;
}

bool SHostWriteLayoutSheet(const std::string& folder, const std::string& base, std::vector<SHostExportedFile>& written,
                           std::string& error) {
  SHostDiagram sheet;
  const std::vector<SHostLayoutPanel> panels = SBuildLayoutSheet(sheet);
  for (const SHostLayoutPanel& p : panels)
    if (!p.laidOut) {
      error =
          "the layout of the " + SHostLayoutPanelTitle(p).ToUtf8() + " panel did not run; " + base + " was not written";
      return false;
    }
  if (panels.empty()) {
    error = "the sample model could not be built; " + base + " was not written";
    return false;
  }
  return SUCCEEDED(SHostExportDiagram(sheet, folder, base, written, error)) && error.empty();
}
