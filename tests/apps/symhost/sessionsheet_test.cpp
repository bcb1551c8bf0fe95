// The main job's editing session: each step of its script changes what its
// title says and nothing else, as one undo step; undo and redo are titled
// with the step they take back; the window's picture follows every step;
// the sheet is written in four formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "apps/symhost/sessionsheet.h"
#include "kvcore/sdlg.h"
#include "support/temp_files.h"
#include "sym/symbol/symintflink.h"
#include "win/winmsgbox.h"
#include "win/winreg.h"

namespace {

using Symbols = std::vector<SHostSessionSymbol>;

bool Apart(const SSymRect& a, const SSymRect& b) {
  return a.GetMaxX() < b.GetMinX() || b.GetMaxX() < a.GetMinX() || a.GetMaxY() < b.GetMinY() ||
         b.GetMaxY() < a.GetMinY();
}

bool SameRoute(const SSymListPt& a, const SSymListPt& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// The symbols whose field differs between two steps, by index.
template <class Field>
std::vector<std::size_t> Changed(const Symbols& before, const Symbols& after, Field field) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
    if (!field(before[i], after[i])) out.push_back(i);
  return out;
}
bool SameRect(const SHostSessionSymbol& a, const SHostSessionSymbol& b) { return a.rect == b.rect; }
bool SameFill(const SHostSessionSymbol& a, const SHostSessionSymbol& b) { return a.fill == b.fill; }
bool SameShadow(const SHostSessionSymbol& a, const SHostSessionSymbol& b) { return a.shadowStyle == b.shadowStyle; }
bool SameLine(const SHostSessionSymbol& a, const SHostSessionSymbol& b) { return SameRoute(a.route, b.route); }

std::vector<std::size_t> SelectedIn(const Symbols& s) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (s[i].selected) out.push_back(i);
  return out;
}

class HostSessionSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    KvDialogReset();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
  }
  void TearDown() override {
    KvDialogReset();
    KvClearMessageBoxLog();
    KvRegReset();
  }
};

TEST_F(HostSessionSheet, EachStepDoesWhatItsTitleSaysAsOneUndoStep) {
  kvtest::TempDir dir("sessionsteps");
  SHostDiagram model;
  std::string error;
  const std::vector<SHostSessionStep> steps = SHostPlaySession(model, dir.path.string(), error);
  ASSERT_EQ(steps.size(), 11u) << error;
  const char16_t* const titles[] = {
      u"The model in an editing window",
      u"Fill colour of two entities, through the format sheet",
      u"3D shadow of the same entities, through the format sheet",
      u"Auto-layout of the model: Hierarchical, Top to Bottom",
      u"Move an entity, its links re-routed",
      u"Undo Move an entity, its links re-routed",
      u"Redo Move an entity, its links re-routed",
      u"Rubber band around two entities, with the pointer tool",
      u"Drag-move of the selection, with the pointer tool",
      u"Undo Drag-move of the selection, with the pointer tool",
      u"Resize of an entity by its corner handle",
  };
  const int undo[] = {0, 1, 1, 1, 1, -1, 1, 0, 1, -1, 1}, redo[] = {0, 0, 0, 0, 0, 1, -1, 0, 0, 1, -1};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(steps[i].title, SString(titles[i]));
    EXPECT_TRUE(steps[i].ok);
    EXPECT_EQ(steps[i].undoDelta, undo[i]);
    EXPECT_EQ(steps[i].redoDelta, redo[i]);
    EXPECT_GT(steps[i].picture.width, 100);
    EXPECT_GT(steps[i].picture.height, 100);
    ASSERT_EQ(steps[i].symbols.size(), steps[0].symbols.size());
    // Every step changed what the window shows.
    if (i > 0) {
      EXPECT_NE(steps[i].picture.px, steps[i - 1].picture.px);
    }
  }
  // The sheets wrote without a refusal, and the dialogs played every action.
  EXPECT_TRUE(KvMessageBoxLog().empty());
  for (const KvDialogCall& call : KvDialogCalls()) {
    EXPECT_EQ(call.result, IDOK) << call.caption.ToUtf8();
    EXPECT_EQ(std::count(call.actions.begin(), call.actions.end(), 0u), std::ptrdiff_t(call.actions.size()))
        << call.caption.ToUtf8();
  }
  const Symbols &start = steps[0].symbols, &filled = steps[1].symbols, &shadowed = steps[2].symbols,
                &laid = steps[3].symbols, &moved = steps[4].symbols, &undone = steps[5].symbols,
                &redone = steps[6].symbols, &banded = steps[7].symbols, &dragged = steps[8].symbols,
                &dragUndone = steps[9].symbols, &resized = steps[10].symbols;
  const std::size_t links = std::size_t(std::count_if(start.begin(), start.end(), [](auto& s) { return s.link; }));
  ASSERT_GE(start.size() - links, 4u);
  ASSERT_GE(links, 3u);

  // The fill: the two selected entities took one new colour; nothing else changed.
  const std::vector<std::size_t> two = SelectedIn(filled);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(Changed(start, filled, SameFill), two);
  EXPECT_NE(filled[two[0]].fill, start[two[0]].fill);
  EXPECT_EQ(filled[two[0]].fill, filled[two[1]].fill);
  EXPECT_TRUE(Changed(start, filled, SameRect).empty());
  EXPECT_TRUE(Changed(start, filled, SameShadow).empty());
  // The shadow: the same two in 3D, their fill kept.
  EXPECT_EQ(Changed(filled, shadowed, SameShadow), two);
  for (std::size_t i : two) EXPECT_EQ(shadowed[i].shadowStyle, 2);
  EXPECT_TRUE(Changed(filled, shadowed, SameFill).empty());
  EXPECT_TRUE(Changed(filled, shadowed, SameRect).empty());

  // The layout moved the entities apart and routed the links, colours kept.
  EXPECT_FALSE(Changed(shadowed, laid, SameRect).empty());
  EXPECT_FALSE(Changed(shadowed, laid, SameLine).empty());
  EXPECT_TRUE(Changed(shadowed, laid, SameFill).empty());
  for (std::size_t i = 0; i < laid.size(); ++i)
    for (std::size_t j = i + 1; j < laid.size(); ++j)
      if (!laid[i].link && !laid[j].link) {
        EXPECT_TRUE(Apart(laid[i].rect, laid[j].rect)) << i << " " << j;
      }

  // The move: one entity by the offset; its links, and only they, re-routed
  // to end on their symbols where they now are.
  const std::vector<std::size_t> one = SelectedIn(moved);
  ASSERT_EQ(one.size(), 1u);
  const std::size_t m = one[0];
  SSymRect want = laid[m].rect;
  want.OffsetRect(kHostSessionMoveX, kHostSessionMoveY);
  EXPECT_EQ(moved[m].rect, want);
  std::vector<std::size_t> attached;
  for (std::size_t i = 0; i < moved.size(); ++i) {
    if (!moved[i].link) continue;
    SComWrap<ISSymLink> link(moved[i].symbol);
    ASSERT_FALSE(link.IsNull());
    bool touches = false;
    for (int end = 0; end < 2; ++end) {
      SComOut<ISSymbol> at;
      if (SUCCEEDED(link->GetAttachSym(end, &at)) && at.Get() == moved[m].symbol) touches = true;
    }
    if (!touches) continue;
    attached.push_back(i);
    const SSymListPt& route = moved[i].route;
    ASSERT_GE(route.GetCount(), 2);
    SSymRect near = moved[m].rect;
    near.Inflate(50, 50);
    EXPECT_TRUE(near.PtInRect(route[0]) || near.PtInRect(route[route.GetCount() - 1])) << i;
  }
  ASSERT_FALSE(attached.empty());
  EXPECT_EQ(Changed(laid, moved, SameLine), attached);
  EXPECT_EQ(Changed(laid, moved, SameRect).size(), 1 + attached.size());

  // Undo gives the laid-out model back; redo the moved one: the entities
  // where they were, every link on its route.
  for (const auto& [was, now] : {std::pair{&laid, &undone}, std::pair{&moved, &redone}}) {
    EXPECT_TRUE(Changed(*was, *now, SameLine).empty());
    EXPECT_TRUE(Changed(*was, *now, SameFill).empty());
    EXPECT_TRUE(Changed(*was, *now, SameShadow).empty());
    for (std::size_t i = 0; i < was->size(); ++i)
      if (!(*was)[i].link) {
        EXPECT_EQ((*was)[i].rect, (*now)[i].rect) << i;
      }
  }

  // The pointer tool: the band selected two entities and changed nothing.
  std::vector<std::size_t> band;
  for (std::size_t i : SelectedIn(banded))
    if (!banded[i].link) band.push_back(i);
  ASSERT_EQ(band.size(), 2u);
  EXPECT_TRUE(Changed(redone, banded, SameRect).empty());
  // The drag moved both by one offset, sideways, and kept them selected.
  const SSymRect &from0 = banded[band[0]].rect, &to0 = dragged[band[0]].rect;
  const LONG dx = to0.x1 - from0.x1, dy = to0.y1 - from0.y1;
  EXPECT_NE(dx, 0);
  for (std::size_t i : band) {
    SSymRect r = banded[i].rect;
    r.OffsetRect(dx, dy);
    EXPECT_EQ(dragged[i].rect, r) << i;
    EXPECT_TRUE(dragged[i].selected) << i;
  }
  // Its undo put every entity back.
  for (std::size_t i = 0; i < banded.size(); ++i)
    if (!banded[i].link) {
      EXPECT_EQ(dragUndone[i].rect, banded[i].rect) << i;
    }
  // The resize made one entity larger, its upper-left corner kept.
  std::vector<std::size_t> grown;
  for (std::size_t i = 0; i < resized.size(); ++i)
    if (!resized[i].link && !(resized[i].rect == dragUndone[i].rect)) grown.push_back(i);
  ASSERT_EQ(grown.size(), 1u);
  const SSymRect &was = dragUndone[grown[0]].rect, &now = resized[grown[0]].rect;
  EXPECT_GT(now.Width(), was.Width());
  EXPECT_GT(now.Height(), was.Height());
  // The upper-left corner stays (the entity's height, fitted again to its
  // compartments after the resize, may round the top by a unit).
  EXPECT_EQ(now.x1, was.x1);
  EXPECT_NEAR(now.y1, was.y1, 1);
}

TEST_F(HostSessionSheet, WrittenInFourFormats) {
  kvtest::TempDir dir("sessionsheet");
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostWriteSessionSheet(dir.path.string(), "session", written, error)) << error;
  std::vector<std::string> names;
  for (const SHostExportedFile& f : written) {
    EXPECT_GT(f.size, 0u) << f.path;
    names.push_back(kvtest::fs::path(f.path).filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"session.emf", "session.pdf", "session.png", "session.svg",
                                             "session_svg_Files"}));
  // The window's pictures passed through working files that are gone.
  EXPECT_EQ(dir.Files(), names);
  KvImage sheet;
  ASSERT_TRUE(KvReadImageFile((dir.path / "session.png").string(), sheet));
  // Eleven panels two to a row: six rows, each at least a window tall.
  EXPECT_GT(sheet.height, 6 * 300);
  EXPECT_GT(sheet.width, 2 * 300);
}

TEST_F(HostSessionSheet, AFolderThatCannotBeMadeIsReportedWithNothingWritten) {
  kvtest::TempDir dir("sessionsheet");
  std::ofstream(dir.path / "taken") << "a file, not a folder";
  std::vector<SHostExportedFile> written;
  std::string error;
  EXPECT_FALSE(SHostWriteSessionSheet((dir.path / "taken" / "out").string(), "session", written, error));
  EXPECT_NE(error.find("could not be taken"), std::string::npos) << error;
  EXPECT_TRUE(written.empty());
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"taken"});
}

}  // namespace
