// The sample sheet as a diagram window paints it.
#include "apps/symhost/hostviewpng.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "sym/diagram/symview.h"
#include "sym/edit/symviewedit.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvbitmap.h"
#include "sym/render/symexport.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/subobjects/symsubgrid.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "win/winuser.h"

namespace fs = std::filesystem;

bool SHostOpenDiagramWindow(SHostDiagram& diagram, SSymView& view, std::string& error) {
  SHostModelDiagram* model = diagram.Model();
  if (!model) {
    error = "there is no diagram to show";
    return false;
  }
  if (!view.CreateEx(0, nullptr, u"", WS_VISIBLE, RECT{0, 0, 64, 64}, nullptr, 0)) {
    error = "the diagram window could not be made";
    return false;
  }
  view.SetDiagram(model->Diagram());
  view.OnActivate(1);
  SHostFitDiagramWindow(diagram, view);
  return true;
}

void SHostFitDiagramWindow(const SHostDiagram& diagram, SSymView& view) {
  const SSymRect extent = diagram.GetExtent(kHostExportMargin);
  // The bitmap export's size and scale for the extent, which the window takes.
  SIZE size{0, 0};
  double exportScale = 0;
  {
    SSymCanvasBitmap probe;
    probe.Lock(extent);
    size = probe.GetSizeDP();
    exportScale = probe.GetScaleX();
    probe.Unlock(nullptr);
  }
  const int width = static_cast<int>(size.cx), height = static_cast<int>(size.cy);
  const HWND hwnd = view.GetSafeHwnd();
  // The extent's upper-left corner on the window's first pixel.
  SSymCanvasView& canvas = view.GetCanvas();
  SSymPoint centre((extent.x1 + extent.x2) / 2, (extent.y1 + extent.y2) / 2);
  canvas.SetZoomLevel(100.0, centre);
  // 100 percent of the window's context; the export's screen may count its
  // pixels per inch otherwise.
  const double zoom = canvas.GetScaleX() > 0 && exportScale > 0 ? 100.0 * exportScale / canvas.GetScaleX() : 100.0;
  canvas.SetZoomLevel(zoom, centre);
  const double unitsPerPixel = canvas.GetScaleX() > 0 ? 1.0 / canvas.GetScaleX() : 75.0;
  // The client area is the export's size, whatever edges and scroll bars
  // the window has (the bars come and go with the size).
  for (int i = 0; i < 4; ++i) {
    RECT client{}, outer{};
    ::GetClientRect(hwnd, &client);
    if (client.right == width && client.bottom == height) break;
    ::GetWindowRect(hwnd, &outer);
    ::MoveWindow(hwnd, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom, TRUE);
  }
  canvas.SetZoomLevel(zoom, centre);
  const POINT corner = canvas.VPtoDP(SSymPoint(extent.x1, extent.y1));
  centre.x += SSymRoundAway(corner.x * unitsPerPixel);
  centre.y -= SSymRoundAway(corner.y * unitsPerPixel);
  canvas.SetZoomLevel(zoom, centre);
}

namespace {
// Space between the panels of a picture of several windows, in pixels.
constexpr int kPanelGap = 16;

// Makes `view` (a new window object, which this takes over) the window the
// doc comment of SHostWriteViewPng describes, runs `prepare` and paints it.
// Null, with a message in `error` and the window object gone, when there is
// no diagram or no window.
SSymView* PaintWindow(SHostDiagram& diagram, SSymView* view, const std::function<void(SSymView&)>& prepare,
                      std::string& error) {
  if (!SHostOpenDiagramWindow(diagram, *view, error)) {
    delete view;
    return nullptr;
  }
  const HWND hwnd = view->GetSafeHwnd();
  if (prepare) prepare(*view);
  ::InvalidateRect(hwnd, nullptr, TRUE);
  ::UpdateWindow(hwnd);
  return view;
}

// Writes `staged`: the one window's surface, or the windows side by side on
// white, kPanelGap apart, copied onto a sheet window of their joint size.
bool SavePanels(const std::vector<SSymView*>& panels, const fs::path& staged) {
  if (panels.size() == 1) return ::KvSaveWindowPng(panels.front()->GetSafeHwnd(), staged.string().c_str()) != FALSE;
  int width = 0, height = 0;
  for (SSymView* v : panels) {
    RECT client{};
    ::GetClientRect(v->GetSafeHwnd(), &client);
    width += (width ? kPanelGap : 0) + client.right;
    height = std::max(height, static_cast<int>(client.bottom));
  }
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"SHostPictureSheet";
    return ::RegisterClassW(&wc) != 0;
  }();
  if (!registered) return false;
  const HWND sheet = ::CreateWindowExW(0, u"SHostPictureSheet", u"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                       nullptr, nullptr);
  if (!sheet) return false;
  const HDC to = ::GetDC(sheet);
  bool copied = to && ::PatBlt(to, 0, 0, width, height, WHITENESS);
  int x = 0;
  for (SSymView* v : panels) {
    RECT client{};
    ::GetClientRect(v->GetSafeHwnd(), &client);
    const HDC from = ::GetDC(v->GetSafeHwnd());
    copied = copied && from && ::BitBlt(to, x, 0, client.right, client.bottom, from, 0, 0, SRCCOPY);
    if (from) ::ReleaseDC(v->GetSafeHwnd(), from);
    x += client.right + kPanelGap;
  }
  if (to) ::ReleaseDC(sheet, to);
  const bool saved = copied && ::KvSaveWindowPng(sheet, staged.string().c_str()) != FALSE;
  ::DestroyWindow(sheet);
  return saved;
}

// Paints one window per entry of `prepares` and writes them as
// <folder>/<base>.png, side by side when there are several.
bool WriteWindowsPng(SHostDiagram& diagram, const std::function<SSymView*()>& make,
                     const std::vector<std::function<void(SSymView&)>>& prepares, const std::string& folder,
                     const std::string& base, std::vector<SHostExportedFile>& written, std::string& error) {
  std::vector<SSymView*> panels;
  bool made = true;
  for (const auto& prepare : prepares) {
    SSymView* view = PaintWindow(diagram, make(), prepare, error);
    if (!view) {
      made = false;
      break;
    }
    panels.push_back(view);
  }
  std::error_code ec;
  // Written whole under a working name first: a write that fails half way
  // (a full disk) leaves the earlier picture of that name as it was.
  const fs::path path = fs::path(folder) / (base + ".png");
  const fs::path staged = SSymStagingPath(path);
  bool saved = false;
  if (made && !panels.empty()) {
    fs::create_directories(folder, ec);
    saved = SavePanels(panels, staged);
  }
  for (SSymView* v : panels) v->DestroyWindow();
  if (!made) return false;
  std::string why;
  if (!saved || SSymPublishTogether({{staged, path}}, &why) != S_OK) {
    fs::remove(staged, ec);
    error = "the window could not be written: " + path.string() + (why.empty() ? "" : ": " + why);
    return false;
  }
  written.push_back({path.string(), fs::file_size(path, ec)});
  return true;
}
}  // namespace

bool SHostWriteViewPng(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                       std::vector<SHostExportedFile>& written, std::string& error) {
  return WriteWindowsPng(diagram, [] { return new SSymView(); }, {{}}, folder, base, written, error);
}

bool SHostWriteEditViewPng(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                           const std::vector<std::function<void(SSymViewEdit&)>>& selections,
                           std::vector<SHostExportedFile>& written, std::string& error) {
  std::vector<std::function<void(SSymView&)>> prepares;
  for (const auto& select : selections)
    prepares.emplace_back([&select](SSymView& view) {
      if (select) select(static_cast<SSymViewEdit&>(view));
    });
  if (prepares.empty()) prepares.emplace_back();
  return WriteWindowsPng(diagram, [] { return new SSymViewEdit(); }, prepares, folder, base, written, error);
}

namespace {
// Two symbols of model objects (entities, not titles) and one link.
void SelectSomeSymbols(SSymViewEdit& view) {
  int boxes = 0, links = 0;
  for (ISSymbol* s : SSymViewEdit::DiagramSymbols(view.GetDiagramPtr())) {
    if (SComWrap<ISSymObject>(s).IsNull()) continue;
    const bool link = !SComWrap<ISSymLink>(s).IsNull();
    if (link ? links++ < 1 : boxes++ < 2) view.GetSelection()->Add(s, 0);
  }
}

// The second row of the first symbol that shows a grid of its model
// object's parts, selected as a user's click on it selects it: its mark.
void SelectGridRow(SSymViewEdit& view) {
  ::UpdateWindow(view.GetSafeHwnd());  // the grid lays its rows out as it draws
  for (ISSymbol* s : SSymViewEdit::DiagramSymbols(view.GetDiagramPtr())) {
    SComWrap<ISSymSubSym> subs(s);
    if (subs.IsNull()) continue;
    STable<SSymSubsFonts*> list;
    subs->GetSubSymList(list, 1);
    for (SSymSubsFonts* m : list) {
      auto* grid = m && m->GetSymbolType() == 6 ? dynamic_cast<SSymSubGrid*>(m) : nullptr;
      SSymSelSubSymData data;
      ISRepObject* first = grid ? grid->GetNeighbourRowObject(-1, nullptr, data) : nullptr;
      ISRepObject* second = first ? grid->GetNeighbourRowObject(-1, first, data) : nullptr;
      if (!second) continue;
      auto* mark = new SSymSelSubSym(second, s, data);
      SComWrap<ISSymbol> held(mark->Sym());  // the selection keeps it from here
      view.GetSelection()->Add(mark->Sym(), 0);
      return;
    }
  }
}
}  // namespace

bool SHostWriteModelEditPng(SHostDiagram& model, const std::string& folder, const std::string& base,
                            std::vector<SHostExportedFile>& written, std::string& error) {
  return SHostWriteEditViewPng(model, folder, base, {SelectSomeSymbols, SelectGridRow}, written, error);
}
