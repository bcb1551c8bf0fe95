// One frame of a tracker's feedback (the old feedback erased, the new one
// drawn) in an editing window over a diagram of 10,000 boxes and 15,000
// links, the whole diagram in view: a mover dragging a large outline, a
// sizer on a corner, the selection rectangle pulled over the whole diagram
// and a link's segment dragged. A frame draws only the feedback, so its cost
// must not grow with the diagram. Then the pointer tool's drops in the same
// window: a box resized by its corner with its links re-routed, and the
// rubber band over the whole diagram. Every figure is processor time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "bench/editgridscene.h"
#include "sym/tools/symtool.h"
#include "sym/tools/symtrackerpoly.h"
#include "win/winuser.h"

namespace {

constexpr LONG kBox = EditGridScene::kBox;

struct Scene : EditGridScene {
  Scene(int boxCount, int linkCount) : EditGridScene(boxCount) {
    // Right neighbours, then the boxes below, then the diagonals.
    const int steps[] = {1, side, side + 1};
    for (int s = 0; s < 3 && static_cast<int>(links.size()) < linkCount; ++s) {
      for (int a = 0; a < boxCount && static_cast<int>(links.size()) < linkCount; ++a) {
        const int b = a + steps[s];
        if (b >= boxCount || (steps[s] != side && a % side == side - 1)) continue;
        diagram->Add(Link(a, b)->Sym());
      }
    }
    OpenWindow(1200, 900);
    view->ScaleToRect(Extent(), 1);
    Paint();
  }
};

// Frames between two pointer positions, the tracker shown throughout.
template <class Make>
void RunFrames(benchmark::State& state, Make make, const SSymPoint& a, const SSymPoint& b) {
  Scene scene(10000, 15000);
  SSymView::LockCanvas lock(scene.view.get());
  std::unique_ptr<SSymTrackerBase> tracker(make(scene));
  if (!tracker) {
    state.SkipWithError("no tracker");
    return;
  }
  bool flip = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tracker->TrackTo(flip ? a : b, SMouseFlags(0)));
    flip = !flip;
  }
  tracker->Hide();
  state.counters["symbols"] = static_cast<double>(scene.boxes.size() + scene.links.size());
}

void BM_TrackerFrameMover(benchmark::State& state) {
  RunFrames(
      state,
      [](Scene& s) {
        const SSymRect half(0, 0, s.Extent().x2 / 2, s.Extent().y2 / 2);
        return s.view->CreateTrackerMove(SSymPoint(1000, -1000), half);
      },
      SSymPoint(20000, -20000), SSymPoint(23000, -21000));
}
BENCHMARK(BM_TrackerFrameMover)->Unit(benchmark::kMicrosecond);

void BM_TrackerFrameSizer(benchmark::State& state) {
  RunFrames(
      state, [](Scene& s) { return s.view->CreateTrackerSize(s.boxes[0]->Sym(), SSymPoint(kBox, -kBox), 4); },
      SSymPoint(150000, -150000), SSymPoint(160000, -170000));
}
BENCHMARK(BM_TrackerFrameSizer)->Unit(benchmark::kMicrosecond);

// The selection rectangle over the whole diagram.
void BM_TrackerFrameRubberBand(benchmark::State& state) {
  RunFrames(
      state,
      [](Scene& s) { return new SSymTrackerFocus(&s.view->GetCanvas(), SSymPoint(s.Extent().x1, s.Extent().y1)); },
      SSymPoint(299000, -299000), SSymPoint(301000, -301000));
}
BENCHMARK(BM_TrackerFrameRubberBand)->Unit(benchmark::kMicrosecond);

// The middle segment of a link with three segments.
void BM_TrackerFramePolySegment(benchmark::State& state) {
  RunFrames(
      state,
      [](Scene& s) {
        SSymLinkBase* l = s.links[0];
        const SSymPoint a = l->ListPt[0], b = l->ListPt[1];
        l->ListPt = SSymListPt{a, SSymPoint(a.x, a.y - 700), SSymPoint(b.x, a.y - 700), b};
        return s.view->CreateTrackerPoly(l, 5, SSymPoint(a.x + 500, a.y - 700), 0);
      },
      SSymPoint(1500, -2500), SSymPoint(1600, -2700));
}
BENCHMARK(BM_TrackerFramePolySegment)->Unit(benchmark::kMicrosecond);

// The pointer tool with its capture armed as its left press arms it.
class ArmedPointer : public SSymToolPointer {
 public:
  void Arm(int mode, ISSymbol* symbol, const SSymPoint& press) {
    m_nCaptureMode = mode;
    m_pDragSym = symbol;
    m_pressPoint = press;
  }
  // The whole capture: start at the press, one move, the drop.
  void Run(const SSymPoint& press, const SSymPoint& drop) {
    CaptureStart(SMouseFlags(0), press);
    CaptureOver(SMouseFlags(0), drop);
    CaptureDrop(SMouseFlags(0), drop);
  }
};

// A box in the middle of the grid (eight links end on it) resized by its
// lower-right handle, larger and back again: one undo step each, the
// links re-routed.
void BM_PointerDropResize(benchmark::State& state) {
  Scene scene(10000, 15000);
  const int middle = (scene.side / 2) * scene.side + scene.side / 2;
  SSymRectangle* box = scene.boxes[static_cast<std::size_t>(middle)];
  SSymRect around = box->m_rect;
  scene.view->ScaleToRect(around.Inflate(3 * kBox, 3 * kBox), 1);
  SSymView::LockCanvas lock(scene.view.get());
  ArmedPointer tool;
  tool.Activate(scene.view.get());
  bool grow = true;
  for (auto _ : state) {
    SSymRect r = box->GetClipRect(0, 0);
    const SSymPoint corner = r.GetPoint(4);
    const LONG d = grow ? 400 : -400;
    tool.Arm(SSymToolPointer::CaptureResize, box->Sym(), corner);
    tool.Run(corner, SSymPoint(corner.x + d, corner.y - d));
    grow = !grow;
  }
  tool.Disactivate();
  state.counters["steps"] = static_cast<double>(scene.session->GetUndoCount());
}
BENCHMARK(BM_PointerDropResize)->Unit(benchmark::kMillisecond);

// The rubber band dropped around the whole diagram: every symbol selected,
// each one's handles drawn where they reach into the window. Argument 0:
// the window at 100 % (a corner of the diagram in view); 1: the whole
// diagram in view, every symbol selected already by the drop before (the
// selection rebuilt, its handles left as they are); 2: the whole diagram in
// view and nothing selected before the drop (emptied outside the timing),
// so that every symbol's handles are drawn.
void BM_PointerDropRubberBand(benchmark::State& state) {
  Scene scene(10000, 15000);
  if (state.range(0) == 0) {
    scene.view->GetCanvas().SetZoomLevel(100.0, SSymPoint(0, 0));
    scene.Paint();
  }
  SSymView::LockCanvas lock(scene.view.get());
  ArmedPointer tool;
  tool.Activate(scene.view.get());
  const SSymRect all = scene.Extent();
  for (auto _ : state) {
    if (state.range(0) == 2) {
      state.PauseTiming();
      scene.view->ClearSelection();
      state.ResumeTiming();
    }
    tool.Arm(SSymToolPointer::CaptureBand, nullptr, SSymPoint(all.x1, all.y1));
    tool.Run(SSymPoint(all.x1, all.y1), SSymPoint(all.x2, all.y2));
  }
  state.counters["selected"] = static_cast<double>(scene.view->GetSelection()->GetCount());
  tool.Disactivate();
}
BENCHMARK(BM_PointerDropRubberBand)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
