// The host's lanes in the model diagram: three lanes placed one after the
// other share one pool; entity symbols added to a lane become its children,
// are drawn inside it after its band and title, and move with it; the lane
// takes entities and refuses anything else.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/apps/symhost/model/hostlanes_fixture.h"
#include "apps/symhost/model/hostlane.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/hostexport.h"
#include "support/temp_files.h"
#include "sym/render/symexport.h"
#include "sym/composite/symswimpool.h"
#include "apps/symhost/samplediagram.h"
#include "support/recording_canvas.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimgroup.h"
#include "win/winreg.h"

namespace {

SSymRect Normal(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  return r.Normalize();
}

class HostLane : public HostLanesTest {
 protected:
  void SetUp() override {
    HostLanesTest::SetUp();
    if (HasFatalFailure()) return;
    for (const char16_t* name : {u"Order", u"Invoice", u"Payment"})
      entities.push_back(SHostAddEntity(Model(), SString(name)));
    // Side by side, one column each.
    for (int i = 0; i < 3; ++i)
      ASSERT_NE(nullptr, NewLane(SString(i == 0 ? u"Sales" : i == 1 ? u"Billing" : u"Bank"),
                                 SSymRect(20000 * i, 30000, 20000 * (i + 1), 0)));
  }
  ISSymbol* Entity(ISRepObject* e, LONG x, LONG y) {
    ISSymbol* s = diagram->CreateSymbolForObject(e, x, y, 1);
    holder.Track(s);
    return s;
  }

  std::vector<SRepObject*> entities;
};

TEST_F(HostLane, ThreeLanesShareOnePool) {
  ISSymbol* pool = lanes[0]->GetPoolSym();
  ASSERT_NE(pool, nullptr);
  for (SHostLaneSym* l : lanes) {
    EXPECT_EQ(l->GetPoolSym(), pool);
    EXPECT_NE(l->GetColnSym(), nullptr);
  }
  EXPECT_EQ(diagram->GetSwimLaneList().GetCount(), 1);
  // Next to one another, left to right, without overlapping.
  for (int i = 0; i + 1 < 3; ++i) EXPECT_LE(RectOf(lanes[i]->Sym()).x2, RectOf(lanes[i + 1]->Sym()).x1);
}

TEST_F(HostLane, ChildrenAreDrawnInsideAndMoveWithTheLane) {
  SHostLaneSym* lane = lanes[1];
  const SSymRect r = RectOf(lane->Sym());
  ISSymbol* e = Entity(entities[1], r.x1 + 3000, r.y1 - 6000);
  ASSERT_EQ(lane->Comp()->Add(e), S_OK);
  SComTable<ISSymbol> children;
  lane->Comp()->GetAllChildren(children, 0);
  ASSERT_EQ(children.GetCount(), 1);
  EXPECT_EQ(children.GetAt(0), e);

  RecordingCanvas canvas;
  ASSERT_EQ(lane->Draw(canvas), S_OK);
  const int fill = canvas.IndexOf("FillRect");
  const int title = canvas.IndexOf("DrawText");
  ASSERT_GE(fill, 0);
  ASSERT_GT(title, fill);
  const auto texts = canvas.Only("DrawText");
  EXPECT_NE(texts.front().find("Billing"), std::string::npos);
  EXPECT_GT(texts.size(), 1u) << "the entity's compartments are drawn after the title";

  const SSymRect before = RectOf(e);
  // The model follows: the lane is now responsible for the entity.
  SRepClassColPtr responsible(SHostBoundObject(lane->Obj()), SHostId::Responsible);
  EXPECT_GE(responsible.GetPos(entities[1]), 0);
  lane->MoveBy(SSymSize(0, -1000), 0);
  EXPECT_EQ(RectOf(e).y1, before.y1 - 1000);
  {
    SSymMoveSwimlane hold(lane->Sym(), 1);
    lane->MoveBy(SSymSize(0, -1000), 0);
  }
  EXPECT_EQ(RectOf(e).y1, before.y1 - 1000);
}

// Occurrences of `needle` in `text`.
int Occurrences(const std::string& text, const std::string& needle) {
  int n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
  return n;
}

// A pool draws its lanes' contents over the lanes, with their links: each
// lane's band and title, each entity and each relation label appear once in
// the picture, whether the relation stays inside a lane or crosses two, and
// the lanes still draw their children when drawn on their own.
TEST_F(HostLane, APoolDrawsEachLaneAndItsContentsOnce) {
  const DWORD fills[] = {RGB(0xFF, 0xF8, 0xE7), RGB(0xF1, 0xF8, 0xEC), RGB(0xEE, 0xF3, 0xFA)};
  for (int i = 0; i < 3; ++i) lanes[static_cast<std::size_t>(i)]->SetBrush(SSymBrush(SSymColor(fills[i])), 0);
  // Order in Sales; Invoice and Payment one under the other in Billing.
  const SSymRect sales = RectOf(lanes[0]->Sym()), billing = RectOf(lanes[1]->Sym());
  ISSymbol* placed[] = {Entity(entities[0], sales.x1 + 3000, sales.y1 - 8000),
                        Entity(entities[1], billing.x1 + 3000, billing.y1 - 8000),
                        Entity(entities[2], billing.x1 + 3000, billing.y1 - 18000)};
  ASSERT_EQ(lanes[0]->Comp()->Add(placed[0]), S_OK);
  ASSERT_EQ(lanes[1]->Comp()->Add(placed[1]), S_OK);
  ASSERT_EQ(lanes[1]->Comp()->Add(placed[2]), S_OK);
  ASSERT_NE(nullptr, SHostAddRelation(Model(), SString(u"billed in"), entities[0], entities[1]));
  ASSERT_NE(nullptr, SHostAddRelation(Model(), SString(u"settled by"), entities[1], entities[2]));
  for (ISSymbol* e : placed) SComWrap<ISSymObject>(e)->CompleteLink(1);
  ASSERT_EQ(SComWrap<ISSymLinkable>(placed[1])->GetLinks().GetCount(), 2) << "both relations are drawn as links";

  ISSymbol* pool = lanes[0]->GetPoolSym();
  ASSERT_NE(nullptr, pool);
  kvtest::TempDir dir;
  SString error;
  ASSERT_EQ(SSymExportImage(SString::FromUtf8((dir.path / "pool.svg").string()),
                            [pool](SSymCanvas& canvas) { pool->Draw(canvas); }, RectOf(pool), 1, &error),
            S_OK)
      << error.ToUtf8();
  std::ifstream in(dir.path / "pool.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* text : {"Sales", "Billing", "Bank", "Order", "Invoice", "Payment", "billed in", "settled by"})
    EXPECT_EQ(Occurrences(svg, std::string(">") + text + "</text>"), 1) << text;
  for (const char* fill : {"fill=\"#fff8e7\"", "fill=\"#f1f8ec\"", "fill=\"#eef3fa\""})
    EXPECT_EQ(Occurrences(svg, fill), 1) << fill;

  // Drawn on its own, a lane draws its children: the pool's drawing leaves
  // the lanes as it found them.
  RecordingCanvas canvas;
  ASSERT_EQ(lanes[1]->Draw(canvas), S_OK);
  int invoice = 0;
  for (const std::string& call : canvas.Only("DrawText")) invoice += call.find("Invoice") != std::string::npos;
  EXPECT_EQ(invoice, 1);
}

TEST_F(HostLane, TakesEntitiesOnly) {
  SHostLaneSym* lane = lanes[0];
  EXPECT_EQ(lane->IsInnerLane(), 1);
  EXPECT_EQ(lane->GetLaneText().ToUtf8(), "Sales");
  EXPECT_EQ(lane->RefusesChildObject(entities[0]), 0);
  EXPECT_EQ(lane->RefusesChildObject(Model()), 1);
  EXPECT_EQ(lane->RefusesChildObject(nullptr), 1);
  // Bad input: no lane symbol for a missing or foreign object.
  EXPECT_EQ(SHostNewLaneSymbol(holder.Session(), nullptr), nullptr);
  EXPECT_EQ(SHostNewLaneSymbol(holder.Session(), entities[0]), nullptr);
}

// The pool among the symbols the model picture made (the last one met), or null.
SSymSwimLane* SheetPool(const std::vector<ISSymbol*>& made) {
  SSymSwimLane* pool = nullptr;
  for (ISSymbol* s : made)
    if (auto* p = SSymSwimLane::FromInterface(s)) pool = p;
  return pool;
}

// The model picture holds a pool of three host lanes, below the rest, each
// holding entity symbols, with links between them; the lanes' titles reach
// the picture files.
TEST(HostModelSheetLanes, ThePictureHoldsAPoolOfThreeLanes) {
  KvRegReset();
  SHostDiagram sheet;
  const std::vector<ISSymbol*> made = SBuildModelSheet(sheet);
  SSymSwimLane* pool = SheetPool(made);
  ASSERT_NE(nullptr, pool);
  SUnsortedComBag<ISSymbol> lanes;
  pool->GetAllLane(lanes, 1);
  ASSERT_EQ(lanes.GetOrderCount(), 3);
  int children = 0;
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    auto* lane = dynamic_cast<SHostLaneSym*>(SSymBase::FromInterface(lanes.GetOrderAt(i)));
    ASSERT_NE(nullptr, lane);
    SComTable<ISSymbol> table;
    lane->Comp()->GetAllChildren(table, 0);
    EXPECT_GT(table.GetCount(), 0);
    children += table.GetCount();
    for (int c = 0; c < table.GetCount(); ++c) {
      ASSERT_NE(nullptr, dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(table.GetAt(c))));
      int links = 0;
      links += SComWrap<ISSymLinkable>(table.GetAt(c))->GetLinks().GetCount();
      EXPECT_GT(links, 0) << "every entity in a lane is linked";
    }
  }
  EXPECT_EQ(children, 5);
  SSymRect pr = pool->GetClipRect(0, 0);
  pr.Normalize();
  for (ISSymbol* s : made)
    if (s != pool->Sym()) {
      SSymRect r = s->GetClipRect(0, 0);
      r.Normalize();
      EXPECT_LT(pr.y1, r.y2);
    }
  kvtest::TempDir dir;
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_EQ(S_OK, SHostExportDiagram(sheet, dir.path.string(), "model", written, error)) << error;
  std::ifstream in(dir.path / "model.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* word : {"Sales", "Billing", "Shipping", "Parcel", "billed in"})
    EXPECT_NE(svg.find(word), std::string::npos) << word;
  KvRegReset();
}

// Sales and Billing share a lane group in the model picture: the pool's
// heading grows by the group's band, the group's title is drawn in it and
// nothing is painted over it, and the grouped lanes begin below it with
// their contents still under their own headings.
TEST(HostModelSheetLanes, SalesAndBillingShareALaneGroupUnderItsOwnHeading) {
  KvRegReset();
  SHostDiagram sheet;
  const std::vector<ISSymbol*> made = SBuildModelSheet(sheet);
  SSymSwimLane* pool = SheetPool(made);
  ASSERT_NE(nullptr, pool);
  const std::vector<SComWrap<ISSymbol>> members = pool->Members();
  ASSERT_EQ(members.size(), 2u);
  SSymSwimGroup* group = SSymSwimGroup::FromInterface(members[0].Get());
  ASSERT_NE(nullptr, group);
  SString title;
  group->GetText(title);
  EXPECT_EQ(title.ToUtf8(), "Order to cash");
  const std::vector<SComWrap<ISSymbol>> grouped = group->Members();
  ASSERT_EQ(grouped.size(), 2u);
  auto* sales = dynamic_cast<SHostLaneSym*>(SSymBase::FromInterface(grouped[0].Get()));
  auto* billing = dynamic_cast<SHostLaneSym*>(SSymBase::FromInterface(grouped[1].Get()));
  auto* shipping = dynamic_cast<SHostLaneSym*>(SSymBase::FromInterface(members[1].Get()));
  ASSERT_TRUE(sales && billing && shipping);
  EXPECT_EQ(sales->GetLaneText().ToUtf8(), "Sales");
  EXPECT_EQ(billing->GetLaneText().ToUtf8(), "Billing");
  EXPECT_EQ(shipping->GetLaneText().ToUtf8(), "Shipping");

  RecordingCanvas canvas;
  ASSERT_EQ(pool->Draw(canvas), S_OK);
  const LONG h = SSymSwimHeadingHeight(sheet.Model());
  const LONG band = group->m_nHeadSize;
  ASSERT_GT(band, 0);
  // The heading counts the group's level; the pool grew at its heading edge,
  // so the loose lane is taller than the grouped ones by the band.
  EXPECT_EQ(pool->GetGrpLevel(), 1);
  EXPECT_EQ(pool->m_nHeadSize, h + band);
  const SSymRect p = Normal(pool->Sym()), g = Normal(group->Sym());
  EXPECT_EQ(g.y1, p.y1);
  EXPECT_EQ(Normal(shipping->Sym()).y1, p.y1);
  for (SHostLaneSym* lane : {sales, billing}) {
    const SSymRect l = Normal(lane->Sym());
    EXPECT_EQ(l.y1, g.y1 - band) << lane->GetLaneText().ToUtf8();
    EXPECT_EQ(l.y2, p.y2);
    SComTable<ISSymbol> children;
    lane->Comp()->GetAllChildren(children, 0);
    for (int c = 0; c < children.GetCount(); ++c) EXPECT_LE(Normal(children.GetAt(c)).y1, l.y1 - h);
  }
  // The group's title in its band, the lanes' titles right below it, and no
  // fill after the group's title reaches into the band.
  const std::vector<std::string> calls = canvas.Calls();
  const std::string groupTitle = "DrawText " + RecordingCanvas::R(SSymRect(g.x1, g.y1, g.x2, g.y1 - band)) + " Order to cash";
  const auto at = std::find(calls.begin(), calls.end(), groupTitle);
  ASSERT_NE(at, calls.end()) << "no group title in its band";
  for (SHostLaneSym* lane : {sales, billing}) {
    const SSymRect l = Normal(lane->Sym());
    const std::string laneTitle =
        "DrawText " + RecordingCanvas::R(SSymRect(l.x1, g.y1 - band, l.x2, g.y1 - band - h)) + " " +
        lane->GetLaneText().ToUtf8();
    EXPECT_NE(std::find(at, calls.end(), laneTitle), calls.end()) << laneTitle;
  }
  for (auto it = at; it != calls.end(); ++it) {
    if (it->rfind("FillRect ", 0) != 0) continue;
    std::istringstream in(it->substr(9));
    LONG x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    in >> x1 >> y1 >> x2 >> y2;
    const bool acrossBand = std::min(x1, x2) < g.x2 && std::max(x1, x2) > g.x1;
    if (acrossBand) {
      EXPECT_LE(std::max(y1, y2), g.y1 - band) << *it;
    }
  }
  KvRegReset();
}

}  // namespace
