// The main job's editing session and its sheet.
#include "apps/symhost/sessionsheet.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "apps/symhost/hostdialogs.h"
#include "apps/symhost/hostviewpng.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplepictures.h"
#include "kvcore/sdlg.h"
#include "kvcore/spropertysheet.h"
#include "sym/dialogs/symdialog.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"
#include "sym/foundation/symstrings.h"
#include "sym/layout/symautolayoutdlg.h"
#include "sym/layout/symedgerouter.h"
#include "sym/render/symexport.h"
#include "sym/diagram/symdisppref.h"
#include "sym/shapes/sympicturefile.h"
#include "sym/shapes/sympictures.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "win/winuser.h"

namespace {
namespace fs = std::filesystem;
constexpr LONG kUnitsPerPixel = 75;  // 7200 units an inch on a 96 dpi screen
constexpr LONG kPanelMargin = 900, kTitleH = 2100, kPanelGap = 3000;  // diagram units
constexpr int kColumns = 2;
constexpr DWORD kFrame = RGB(0x2F, 0x55, 0x97);
// The cells of the format sheet's colour wells the script picks: a light
// fill colour and the shadow's colour.
constexpr int kFillCell = 52, kShadowCell = 2;
// Every page the library builds, every editing option (the size page
// once, the line page with corners, arrows and styles, fill with its
// box, shadow, text alignment).
constexpr DWORD kFormatPages = 0x7FF;
// The pointer tool's steps: the room a rubber band leaves around what it
// selects, and how far a corner handle is pulled (diagram units).
constexpr LONG kBandMargin = 600, kResizeBy = 1500;

// What the window's client area shows, through a working file in `folder`
// (taken away again); an empty picture when it cannot be written or read.
KvImage WindowPicture(HWND hwnd, const std::string& folder) {
  KvImage image;
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path path = SSymStagingPath(fs::path(folder) / "session-window.png");
  if (!::KvSaveWindowPng(hwnd, path.string().c_str()) || !KvReadImageFile(path.string(), image)) image = KvImage();
  fs::remove(path, ec);
  return image;
}

SHostSessionSymbol Read(ISSymbol* s, bool link, bool selected) {
  SHostSessionSymbol out;
  out.symbol = s;
  out.link = link;
  out.selected = selected;
  out.rect = s->GetClipRect(0, 0);
  out.rect.Normalize();
  if (SComWrap<ISSymBrush> brush(s); !brush.IsNull()) out.fill = brush->GetBrush().m_color.GetColor();
  if (SComWrap<ISSymShadow> shadow(s); !shadow.IsNull()) out.shadowStyle = shadow->GetShadowStyle();
  if (SComWrap<ISSymPolyline> poly(s); !poly.IsNull()) poly->GetListPt(out.route);
  return out;
}

// The selection's members, as the commands take them.
SComTable<ISSymbol> Selected(SSymViewEdit& view) {
  SComTable<ISSymbol> out;
  SSymSelection* selection = view.GetSelection();
  for (int i = 0; selection && i < selection->GetCount(); ++i) out.Add(selection->GetAt(i));
  return out;
}

// Selects the model's entities (`links`: and their relations), or the
// first `count` entities.
void Select(SHostEditSession& session, std::size_t count, bool links) {
  SSymSelection* selection = session.View().GetSelection();
  selection->Clear(0);
  SHostModelDiagram* model = session.Diagram().Model();
  std::size_t entities = 0;
  for (ISSymbol* s : session.Symbols()) {
    const bool link = model->IsLink(s);
    if (link ? links : entities++ < count) selection->Add(s, 0);
  }
}

// The tab of a format page under the script's page mask.
int TabOf(SSymDialog::Page page) {
  std::vector<SSymDialog::PageChoice> pages;
  SSymDialog::ChoosePages(kFormatPages, pages);
  for (std::size_t i = 0; i < pages.size(); ++i)
    if (pages[i].page == page) return int(i);
  return -1;
}

// The "Symbol Format" sheet over the selection, a person doing `actions`
// on `page` and then OK: one format change of the selection.
bool RunFormatSheet(SHostEditSession& session, SSymDialog::Page page, std::vector<KvControlAction> actions) {
  SSymSelection* selection = session.View().GetSelection();
  std::vector<ISSymbol*> chosen;
  for (int i = 0; i < selection->GetCount(); ++i) chosen.push_back(selection->GetAt(i));
  SSymFormat format = SHostCommonFormat(chosen);
  SSymAllowOption allow;
  allow.m_mask = kFormatPages;
  SSymDialog sheet(&format, &allow, SSymDialog::CaptionId, selection);
  const int tab = TabOf(page);
  if (tab < 0) return false;
  actions.insert(actions.begin(), KvPick(SPropertySheet::TabControlId, tab));
  KvQueueDialogAnswer({{}, true, std::move(actions)});
  return sheet.DoModal() == IDOK && sheet.GetLastWrite() == S_OK;
}

// The layout command over the selection: the layout dialog, the style
// picked among those it lists, OK.
bool RunLayoutCommand(SHostEditSession& session, SSymAutoLayoutStyle::Style style) {
  ISSymDiagram* diagram = session.Diagram().Model()->Diagram();
  const SComTable<ISSymbol> selected = Selected(session.View());
  // The style's icon in the list, as the dialog will list them.
  SSymAutoLayoutDlgCtrl ctrl(SSymAutoLayoutDlgCtrlSetting(diagram, 0, selected.GetCount(), 0));
  SList<SSymAutoLayoutStyle::Style> styles;
  ctrl.GetAvailableStyles(styles);
  int index = 0, icon = -1;
  for (SSymAutoLayoutStyle::Style s : styles) {
    if (s == style) icon = index;
    ++index;
  }
  if (icon < 0) return false;
  KvQueueDialogAnswer({{}, true, {KvPick(SSymAutoLayoutDlg::StylesId, icon)}});
  return SSymAutoLayoutCommand(diagram, selected) == S_OK;
}

// Moves the selection by the script's offset, the links of what moved
// re-routed at the end of the move by the layout engine: the diagram's
// display preferences switch automatic routing on first.
bool MoveRouted(SHostEditSession& session) {
  SSymDiagram* diagram = session.Diagram().Model();
  SSymDispPref* pref = diagram->GetDispPrefPtr();
  if (!pref) return false;
  if (!pref->ActivatesLinkRouting() &&
      pref->SetValue(pref->GetGeneralPath(), SString(u"Activate automatic link routing"), 1, SSymDispPref::LocDiagram) != 0)
    return false;
  return pref->ActivatesLinkRouting() &&
         session.View().GetSelection()->MoveBy(SSymSize(kHostSessionMoveX, kHostSessionMoveY), 0, 0) == S_OK;
}

// ---- the pointer tool's steps, played with the mouse ----------------------------------------------

// Plays a press of the left button at `from`, a pull in four moves to `to`
// and the release there (diagram units) in the editing window, through the
// window system's dispatch as a person's mouse would: the window's current
// tool, the pointer, takes them. A second before, so that no earlier press
// makes this one a double click.
bool MouseDrag(SSymViewEdit& view, const SSymPoint& from, const SSymPoint& to) {
  const HWND hwnd = view.GetSafeHwnd();
  POINT a = view.GetCanvas().VPtoDP(from), b = view.GetCanvas().VPtoDP(to);
  ::ClientToScreen(hwnd, &a);
  ::ClientToScreen(hwnd, &b);
  const DWORD t = ::GetTickCount() + 1000;
  std::vector<KvInputItem> items{KvMouseItem(t, WM_LBUTTONDOWN, a.x, a.y)};
  for (int i = 1; i <= 4; ++i)
    items.push_back(KvMouseItem(t + DWORD(10 * i), WM_MOUSEMOVE, a.x + (b.x - a.x) * i / 4, a.y + (b.y - a.y) * i / 4));
  items.push_back(KvMouseItem(t + 50, WM_LBUTTONUP, b.x, b.y));
  if (!::KvPlayInput(items)) return false;
  MSG msg{};
  while (::KvPendingInput() > 0 && ::GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_CANCELMODE)
    ::DispatchMessageW(&msg);
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  ::KvClearInput();
  return true;
}

bool MouseClick(SSymViewEdit& view, const SSymPoint& at) { return MouseDrag(view, at, at); }

SSymRect RectOf(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  r.Normalize();
  return r;
}

// Two entities that a band around both (with a margin) holds without any
// other entity, the band starting on empty space: the closest such pair.
bool BandPair(SHostEditSession& session, SSymRect& band, ISSymbol*& first, ISSymbol*& second) {
  SHostModelDiagram* model = session.Diagram().Model();
  std::vector<ISSymbol*> entities;
  for (ISSymbol* s : session.Symbols())
    if (!model->IsLink(s)) entities.push_back(s);
  double best = -1;
  for (std::size_t i = 0; i < entities.size(); ++i)
    for (std::size_t j = i + 1; j < entities.size(); ++j) {
      SSymRect r = RectOf(entities[i]);
      const SSymRect other = RectOf(entities[j]);
      r = SSymRect(std::min(r.x1, other.x1) - kBandMargin, std::max(r.y1, other.y1) + kBandMargin,
                   std::max(r.x2, other.x2) + kBandMargin, std::min(r.y2, other.y2) - kBandMargin);
      bool alone = true;
      for (std::size_t k = 0; k < entities.size() && alone; ++k) {
        if (k == i || k == j) continue;
        const SSymRect e = RectOf(entities[k]);
        alone = e.x2 < r.x1 || e.x1 > r.x2 || e.y1 < r.y2 || e.y2 > r.y1;
      }
      if (!alone || session.View().HitTest(SSymPoint(r.x1, r.y1), 0, nullptr)) continue;
      const double area = double(r.Width()) * double(r.Height());
      if (best >= 0 && area >= best) continue;
      best = area;
      band = r;
      first = entities[i];
      second = entities[j];
    }
  return best >= 0;
}

bool RubberBand(SHostEditSession& session) {
  SSymRect band;
  ISSymbol *first = nullptr, *second = nullptr;
  if (!BandPair(session, band, first, second)) return false;
  SSymViewEdit& view = session.View();
  view.ClearSelection();
  if (!MouseDrag(view, SSymPoint(band.x1, band.y1), SSymPoint(band.x2, band.y2))) return false;
  SSymSelection* selection = view.GetSelection();
  return selection->Contains(first) && selection->Contains(second);
}

// The selection dragged by its first entity a third of the window to the
// side that has room, and dropped: it moves by the snapped way of the pointer.
bool DragMove(SHostEditSession& session) {
  SSymViewEdit& view = session.View();
  SSymSelection* selection = view.GetSelection();
  if (selection->GetCount() == 0) return false;
  ISSymbol* grip = selection->GetAt(0);
  for (int i = 0; i < selection->GetCount(); ++i)
    if (!session.Diagram().Model()->IsLink(selection->GetAt(i))) grip = selection->GetAt(i);
  const SSymRect before = RectOf(grip);
  RECT client{};
  ::GetClientRect(view.GetSafeHwnd(), &client);
  // The pixels the mouse goes between, and the diagram's points under them.
  const POINT at = view.GetCanvas().VPtoDP(before.GetCenter());
  const POINT to{at.x < client.right / 2 ? at.x + client.right / 3 : at.x - client.right / 3, at.y};
  const SSymPoint from = view.GetCanvas().DPtoVP(at), drop = view.GetCanvas().DPtoVP(to);
  if (!MouseDrag(view, from, drop)) return false;
  const SSymPoint p = view.SnapToGrid(from), q = view.SnapToGrid(drop);
  const SSymRect after = RectOf(grip);
  return q != p && after.x1 - before.x1 == q.x - p.x && after.y1 - before.y1 == q.y - p.y;
}

// The last entity clicked alone, then pulled by its lower-right handle.
bool ResizeByCorner(SHostEditSession& session) {
  SSymViewEdit& view = session.View();
  ISSymbol* entity = nullptr;
  for (ISSymbol* s : session.Symbols())
    if (!session.Diagram().Model()->IsLink(s)) entity = s;
  if (!entity) return false;
  const SSymRect before = RectOf(entity);
  // Alone in the selection: a handle of one of several selected symbols
  // drags them all.
  view.ClearSelection();
  if (!MouseClick(view, before.GetCenter()) || !view.GetSelection()->Contains(entity)) return false;
  const SSymPoint corner(before.x2, before.y2);
  if (!MouseDrag(view, corner, SSymPoint(corner.x + kResizeBy, corner.y - kResizeBy))) return false;
  const SSymRect after = RectOf(entity);
  return after.Width() > before.Width() && after.Height() > before.Height();
}

SString StyleName(LONG style, LONG placement) {
  return SSymLoadString(SSymAutoLayoutStyle::NameStringBase + UINT(style)) + SString(u", ") +
         SSymLoadString(UINT(placement));
}

// The sheet: a titled panel per step, two to a row, each holding the
// window's picture as a bitmap symbol.
bool BuildSheet(SHostDiagram& sheet, const std::vector<SHostSessionStep>& steps, std::string& error) {
  const SSymFont title(SString(u"Arial"), 12, SSymFont::Bold);
  LONG rowTop = 0, rowBottom = 0, x = 0;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const SHostSessionStep& step = steps[i];
    std::vector<std::uint8_t> png;
    if (!KvWritePng(step.picture, png)) {
      error = "the picture of step " + std::to_string(i + 1) + " could not be encoded";
      return false;
    }
    const std::string name = "session-step-" + std::to_string(i + 1);
    const SPictureInfo* picture =
        SHostAddPictureFile(sheet, SPictureInfo::ptBitmap, name.c_str(), std::vector<BYTE>(png.begin(), png.end()));
    if (!picture) {
      error = "the picture of step " + std::to_string(i + 1) + " could not be kept";
      return false;
    }
    if (i % kColumns == 0) {
      rowTop = i == 0 ? 0 : rowBottom - kPanelGap;
      rowBottom = rowTop;
      x = 0;
    }
    const LONG w = step.picture.width * kUnitsPerPixel, h = step.picture.height * kUnitsPerPixel;
    const SSymRect frame(x, rowTop, x + w + 2 * kPanelMargin, rowTop - kTitleH - h - 2 * kPanelMargin);
    SHostBox* box = sheet.AddBox(frame);
    box->SetPen(SSymPen(SSymPen::Solid, 30, SSymColor(kFrame)), 0);
    box->SetTransparent(1);
    box->SetShadowStyle(0, 0);
    const SString text = SString::FromInt(int(i) + 1) + SString(u". ") + step.title;
    sheet.AddCaption(SSymRect(frame.x1 + kPanelMargin, rowTop, frame.x2 - kPanelMargin, rowTop - kTitleH), text, title,
                     0x120);
    const LONG top = rowTop - kTitleH - kPanelMargin;
    const SSymRect place(frame.x1 + kPanelMargin, top, frame.x1 + kPanelMargin + w, top - h);
    ISSymbol* sym = sheet.AddSymbol(CLSID_SSymBitmap, place);
    auto* bitmap = sym ? dynamic_cast<SSymBitmap*>(SSymBase::FromInterface(sym)) : nullptr;
    if (!bitmap) {
      error = "the picture symbol of step " + std::to_string(i + 1) + " could not be made";
      return false;
    }
    bitmap->SetBackgroundPictureID(picture->GetID());
    x = frame.x2 + kPanelGap;
    rowBottom = std::min(rowBottom, frame.y2);
  }
  return true;
}
}  // namespace

SHostEditSession::SHostEditSession(SHostDiagram& diagram, const std::string& scratch)
    : m_diagram(diagram), m_scratch(scratch), m_view(new SSymViewEdit()) {
  if (!SHostOpenDiagramWindow(diagram, *m_view, m_error)) return;
  SHostModelDiagram* model = diagram.Model();
  std::vector<ISSymbol*> links;
  for (ISSymbol* s : diagram.Symbols()) {
    if (model->IsLink(s))
      links.push_back(s);
    else if (model->Contains(s, 0) && !SComWrap<ISSymObject>(s).IsNull())
      m_symbols.push_back(s);
  }
  m_symbols.insert(m_symbols.end(), links.begin(), links.end());
}

SHostEditSession::~SHostEditSession() {
  if (m_view->GetSafeHwnd()) m_view->DestroyWindow();
  else delete m_view;
}

bool SHostEditSession::Open(std::string& error) const {
  if (m_error.empty()) return true;
  error = m_error;
  return false;
}

void SHostEditSession::Record(const SString& title, bool ok, int undoBefore, int redoBefore) {
  auto* session = static_cast<SRepSession*>(m_diagram.Session());
  SHostSessionStep step;
  step.title = title;
  step.ok = ok;
  step.undoDelta = session->GetUndoCount() - undoBefore;
  step.redoDelta = session->GetRedoCount() - redoBefore;
  SHostFitDiagramWindow(m_diagram, *m_view);
  const HWND hwnd = m_view->GetSafeHwnd();
  ::InvalidateRect(hwnd, nullptr, TRUE);
  ::UpdateWindow(hwnd);
  step.picture = WindowPicture(hwnd, m_scratch);
  // Read once painted: what the symbols lay out as they draw is then settled.
  SSymSelection* selection = m_view->GetSelection();
  SHostModelDiagram* model = m_diagram.Model();
  for (ISSymbol* s : m_symbols) step.symbols.push_back(Read(s, model->IsLink(s), selection->Contains(s)));
  m_steps.push_back(std::move(step));
}

void SHostEditSession::Play(const SHostSessionAction& action) {
  auto* session = static_cast<SRepSession*>(m_diagram.Session());
  const int undo = session->GetUndoCount(), redo = session->GetRedoCount();
  const bool ok = action.run ? action.run(*this) : true;
  // A new step starts a new history of redoable steps.
  if (session->GetUndoCount() > undo) {
    m_undoNames.push_back(action.title);
    if (session->GetRedoCount() == 0) m_redoNames.clear();
  }
  Record(action.title, ok, undo, redo);
}

void SHostEditSession::PlayUndo() { Replay(true); }

void SHostEditSession::PlayRedo() { Replay(false); }

void SHostEditSession::Replay(bool undo) {
  auto* session = static_cast<SRepSession*>(m_diagram.Session());
  const int undoCount = session->GetUndoCount(), redoCount = session->GetRedoCount();
  std::vector<SString>& from = undo ? m_undoNames : m_redoNames;
  std::vector<SString>& to = undo ? m_redoNames : m_undoNames;
  SString title(undo ? u"Undo" : u"Redo");
  if (!from.empty()) title += SString(u" ") + from.back();
  const bool ok = (undo ? session->Undo() : session->Redo()) == S_OK;
  // The name goes with the step from one history to the other.
  if (ok && !from.empty()) {
    to.push_back(from.back());
    from.pop_back();
  }
  Record(title, ok, undoCount, redoCount);
}

std::vector<SHostSessionAction> SHostSessionScript() {
  using Style = SSymAutoLayoutStyle;
  return {
      {SString(u"The model in an editing window"), nullptr},
      {SString(u"Fill colour of two entities, through the format sheet"),
       [](SHostEditSession& s) {
         Select(s, 2, false);
         return RunFormatSheet(s, SSymDialog::Fill, {KvPick(SSymDlgColor::WellId, kFillCell)});
       }},
      {SString(u"3D shadow of the same entities, through the format sheet"),
       [](SHostEditSession& s) {
         return RunFormatSheet(s, SSymDialog::Shadow,
                               {KvClick(SSymDlgShadow::ThreeDId), KvPick(SSymDlgShadow::WellId, kShadowCell)});
       }},
      {SString(u"Auto-layout of the model: ") + StyleName(Style::Hierarchic, SSymAutoLayoutPlacement::TopToBottom),
       [](SHostEditSession& s) {
         Select(s, s.Symbols().size(), true);
         return RunLayoutCommand(s, Style::Hierarchic);
       }},
      {SString(u"Move an entity, its links re-routed"),
       [](SHostEditSession& s) {
         Select(s, 1, false);
         return MoveRouted(s);
       }},
  };
}

std::vector<SHostSessionAction> SHostPointerScript() {
  return {
      {SString(u"Rubber band around two entities, with the pointer tool"), &RubberBand},
      {SString(u"Drag-move of the selection, with the pointer tool"), &DragMove},
      {SString(u"Resize of an entity by its corner handle"), &ResizeByCorner},
  };
}

std::vector<SHostSessionStep> SHostPlaySession(SHostDiagram& diagram, const std::string& scratch, std::string& error) {
  if (SBuildModelSheet(diagram, true).empty()) {
    error = "the sample model could not be built";
    return {};
  }
  // The model's links run from centre to centre as they were made; the
  // diagram routes links automatically, so they are routed once before the
  // session starts, as opening the diagram for editing would.
  {
    SRepCreateContext settle(diagram.Session());
    SSymEdgeRouter::Instance().AddDiagram(SComWrap<ISSymDiagram>(diagram.Model()->Diagram()));
    SSymEdgeRouter::Instance().CallEdgeRoutingMethod();
  }
  SHostEditSession session(diagram, scratch);
  if (!session.Open(error)) return {};
  for (const SHostSessionAction& action : SHostSessionScript()) session.Play(action);
  session.PlayUndo();
  session.PlayRedo();
  // The pointer tool's steps: the move is taken back before the resize.
  const std::vector<SHostSessionAction> pointer = SHostPointerScript();
  session.Play(pointer[0]);
  session.Play(pointer[1]);
  session.PlayUndo();
  session.Play(pointer[2]);
  return session.Steps();
}

bool SHostWriteSessionSheet(const std::string& folder, const std::string& base, std::vector<SHostExportedFile>& written,
                            std::string& error) {
  std::vector<SHostSessionStep> steps;
  {
    SHostDiagram model;
    steps = SHostPlaySession(model, folder, error);
  }
  if (steps.empty()) return false;
  for (const SHostSessionStep& s : steps) {
    if (!s.ok) {
      error = "the session's step \"" + s.title.ToUtf8() + "\" failed; " + base + " was not written";
      return false;
    }
    if (s.picture.px.empty()) {
      error = "the window's picture after the step \"" + s.title.ToUtf8() + "\" could not be taken in " + folder +
              "; " + base + " was not written";
      return false;
    }
  }
  SHostDiagram sheet;
  if (!BuildSheet(sheet, steps, error)) return false;
  return SUCCEEDED(SHostExportDiagram(sheet, folder, base, written, error)) && error.empty();
}
