// The least form of the diagram window, and the site and queries through
// which the canvases and the symbol core reach it.
#include "sym/diagram/symview.h"

#include <memory>

#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symintfview.h"

void SSymView::InvalidateAll(int erase) {
  if (m_nState & StateSuspended) return;
  Invalidation inv;
  inv.whole = true;
  inv.erase = (m_nState & StateAllowErase) && erase ? 1 : 0;
  m_invalidations.push_back(inv);
}

void SSymView::InvalidateRect(const RECT& rc, int erase) {
  if (m_nState & StateSuspended) return;
  Invalidation inv;
  inv.rect = rc;
  inv.erase = (m_nState & StateAllowErase) && erase ? 1 : 0;
  m_invalidations.push_back(inv);
}

namespace {
class ViewSite final : public ISSymViewSite {
 public:
  int GetState(SSymView* view) override { return view->GetState(); }
  SDrawBackground* GetDrawBackground(SSymView* view) override { return view->GetDrawBackground(); }
  SDrawBackground* GetDrawWatermark(SSymView* view) override { return view->GetDrawWatermark(); }
  bool HasBackgroundPicture(SSymView* view) override { return view->m_bBackgroundPicture != 0; }
  HWND GetSafeHwnd(SSymView* view) override { return view->GetSafeHwnd(); }
  void InvalidateAll(SSymView* view, int erase) override { view->InvalidateAll(erase); }
  void InvalidateRect(SSymView* view, const RECT& rc, int erase) override { view->InvalidateRect(rc, erase); }
};

// A plain view is no editing view, ignores removals, has no canvas of its
// own yet and measures on the screen (which converts alike for a view at
// the normal scale).
class ViewQueries final : public ISSymViewQueries {
 public:
  bool IsEditView(SSymView*) override { return false; }
  void NotifyRemove(SSymView*, ISSymbol*) override {}
  SSymCanvasView* GetCanvas(SSymView*) override { return nullptr; }
  SSymSize PixelsToUnits(SSymView*, SIZE pixels) override { return SSymScreenPixelsToUnits(pixels); }
  SSymCanvas* LockCanvas(SSymView*, std::unique_ptr<SSymCanvas>& own) override {
    own = std::make_unique<SSymDeftCanvas>();
    return own.get();
  }
};

struct ViewInstaller {
  ViewSite site;
  ViewQueries queries;
  ViewInstaller() {
    SSymSetViewSite(&site);
    SSymSetViewQueries(&queries);
  }
  ~ViewInstaller() {
    SSymSetViewSite(nullptr);
    SSymSetViewQueries(nullptr);
  }
} g_viewInstaller;
}  // namespace
