// The sample sheet as a diagram window paints it.
#include "apps/symhost/hostviewpng.h"

#include <filesystem>
#include <system_error>

#include "sym/diagram/symview.h"
#include "sym/edit/symviewedit.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvbitmap.h"
#include "sym/render/symexport.h"
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
// Paints `view` (a new window object, which this takes over) the way the
// doc comment of SHostWriteViewPng says; `prepare` runs once the window is
// bound and placed, before it paints.
bool WriteWindowPng(SHostDiagram& diagram, SSymView* view, const std::function<void(SSymView&)>& prepare,
                    const std::string& folder, const std::string& base, std::vector<SHostExportedFile>& written,
                    std::string& error) {
  if (!SHostOpenDiagramWindow(diagram, *view, error)) {
    delete view;
    return false;
  }
  const HWND hwnd = view->GetSafeHwnd();
  if (prepare) prepare(*view);
  ::InvalidateRect(hwnd, nullptr, TRUE);
  ::UpdateWindow(hwnd);
  std::error_code ec;
  fs::create_directories(folder, ec);
  // Written whole under a working name first: a write that fails half way
  // (a full disk) leaves the earlier picture of that name as it was.
  const fs::path path = fs::path(folder) / (base + ".png");
  const fs::path staged = SSymStagingPath(path);
  const bool saved = ::KvSaveWindowPng(hwnd, staged.string().c_str()) != FALSE;
  view->DestroyWindow();
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
  return WriteWindowPng(diagram, new SSymView(), {}, folder, base, written, error);
}

bool SHostWriteEditViewPng(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                           const std::function<void(SSymViewEdit&)>& select, std::vector<SHostExportedFile>& written,
                           std::string& error) {
  auto prepare = [&select](SSymView& view) {
    if (select) select(static_cast<SSymViewEdit&>(view));
  };
  return WriteWindowPng(diagram, new SSymViewEdit(), prepare, folder, base, written, error);
}
