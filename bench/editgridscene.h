// An editing window over a diagram of boxes on a square grid, kPitch apart:
// the diagram and its boxes are made here, the links between them and the
// window's size and framing by each benchmark, which then paints once so
// that the symbols are initialised and the spatial index built.
#pragma once

#include <cmath>
#include <memory>

#include "bench/boxlinkscene.h"
#include "sym/diagram/symdiagram.h"
#include "sym/edit/symviewedit.h"
#include "win/winuser.h"

struct EditGridScene : BoxLinkScene {
  static constexpr LONG kPitch = 3000, kBox = 1600;

  explicit EditGridScene(int boxCount) {
    KvWindowsReset();
    Make<SRepObject>(CLSID_SSymDiagram);
    diagramObj = made.back();  // released on its own, after the symbols
    made.pop_back();
    diagram = SSymDiagram::FromInterface(diagramObj);
    side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(boxCount))));
    for (int i = 0; i < boxCount; ++i) {
      auto* b = Make<SSymRectangle>(CLSID_SSymRectangle);
      const LONG x = (i % side) * kPitch, y = -(i / side) * kPitch;
      b->m_rect = SSymRect(x, y, x + kBox, y - kBox);
      boxes.push_back(b);
      diagram->Add(b->Sym());
    }
  }
  ~EditGridScene() {
    view.reset();
    KvWindowsReset();
  }
  EditGridScene(const EditGridScene&) = delete;
  EditGridScene& operator=(const EditGridScene&) = delete;

  // The editing window of `width` x `height` pixels, bound to the diagram
  // and no longer suspended; not yet painted.
  void OpenWindow(int width, int height) {
    view = std::make_unique<SSymViewEdit>();
    view->CreateEx(0, nullptr, u"", WS_VISIBLE, RECT{0, 0, width, height}, nullptr, 0);
    view->SetDiagram(diagram->Diagram());
    view->SetState(view->GetState() & ~SSymView::StateSuspended);
  }
  void Paint() {
    ::InvalidateRect(view->GetSafeHwnd(), nullptr, TRUE);
    ::UpdateWindow(view->GetSafeHwnd());
  }
  // The grid with a pitch of margin all round.
  SSymRect Extent() const {
    const int rows = (static_cast<int>(boxes.size()) + side - 1) / side;
    return SSymRect(-kPitch, kPitch, (side + 1) * kPitch, -(rows + 1) * kPitch);
  }

  SSymDiagram* diagram = nullptr;
  int side = 2;
  std::unique_ptr<SSymViewEdit> view;
};
