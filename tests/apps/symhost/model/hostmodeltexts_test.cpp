// The entity symbols' compartments show the model and follow it: the title
// shows the entity's name, each attribute its name and type, a key kept in
// another entity that entity's name in front; every change of the model
// reaches the compartment that shows it, and the box is fitted again.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplediagram.h"
#include "support/recording_canvas.h"
#include "support/temp_files.h"
#include "sym/subobjects/symsubchild.h"
#include "sym/subobjects/symsubmulti.h"
#include "sym/subobjects/symsubtitle.h"
#include "win/winreg.h"

namespace {

using namespace SHostId;

// An order with three attributes, the last a key of a product; its symbol
// in the host's model diagram.
struct OrderModel {
  OrderModel() {
    view = holder.Model();
    model = SHostNewModel(holder.Session(), SString(u"M"));
    order = SHostAddEntity(Model(), SString(u"Order"));
    product = SHostAddEntity(Model(), SString(u"Product"));
    stock = SHostAddEntity(Model(), SString(u"Stock"));
    id = SHostAddAttribute(order, SString(u"id"), SString(u"integer"));
    SHostAddAttribute(order, SString(u"note"), SString());
    code = SHostAddAttribute(order, SString(u"code"), SString(u"text"));
    SHostSetReference(code, product);
    ISSymbol* symbol = view->CreateSymbolForObject(order, 0, 0, 1);
    holder.Track(symbol);
    entity = dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(symbol));
  }
  ~OrderModel() { model->Release(); }
  OrderModel(const OrderModel&) = delete;
  OrderModel& operator=(const OrderModel&) = delete;
  ISRepObject* Model() { return static_cast<ISRepObjectBase*>(model); }
  SString TextAt(int index) {
    auto* t = dynamic_cast<SSymSubText*>(entity->GetSubSymbol(index, 0));
    return t ? t->Text() : SString(u"<none>");
  }
  LONG Width() {
    SSymRect r = entity->m_rect;
    r.Normalize();
    return r.Width();
  }

  SHostDiagram holder;
  SHostModelDiagram* view = nullptr;
  SHostPackage* model = nullptr;
  SRepObject *order = nullptr, *product = nullptr, *stock = nullptr, *id = nullptr, *code = nullptr;
  SHostEntitySym* entity = nullptr;
};

class HostModelTexts : public ::testing::Test {
 protected:
  void SetUp() override { KvRegReset(); }
  void TearDown() override { KvRegReset(); }
};

TEST_F(HostModelTexts, EachCompartmentIsATextOfTheModel) {
  OrderModel m;
  SHostEntitySym* entity = m.entity;
  ASSERT_NE(nullptr, entity);
  ASSERT_EQ(4, entity->GetSubSymCount(0));
  EXPECT_NE(nullptr, dynamic_cast<SSymSubSymTitle*>(entity->GetSubSymbol(0, 0)));
  EXPECT_NE(nullptr, dynamic_cast<SSymSubObjTextMulti*>(entity->GetSubSymbol(1, 0)));
  EXPECT_NE(nullptr, dynamic_cast<SSymSubChildObjText*>(entity->GetSubSymbol(3, 0)));
  const char16_t* shown[] = {u"Order", u"id : integer", u"note", u"Product.code"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(SString(shown[i]), m.TextAt(i)) << i;
}

// Each change of the model reaches the compartment that shows it, at once.
TEST_F(HostModelTexts, ModelChangesReachTheirCompartments) {
  struct Case {
    const char* name;
    std::function<void(OrderModel&)> change;
    int index;
    const char16_t* shown;
  };
  const Case cases[] = {
      {"EntityRenamed", [](OrderModel& f) { f.order->SetAttribute(Name, SRepVariant::Text(SString(u"Sale"))); },
       0, u"Sale"},
      {"AttributeRenamed", [](OrderModel& f) { f.id->SetAttribute(Name, SRepVariant::Text(SString(u"key"))); },
       1, u"key : integer"},
      {"TypeChanged", [](OrderModel& f) { f.id->SetAttribute(DataType, SRepVariant::Text(SString(u"long"))); },
       1, u"id : long"},
      {"TypeCleared", [](OrderModel& f) { f.id->SetAttribute(DataType, SRepVariant::Text(SString())); }, 1,
       u"id"},
      {"ReferencedEntityRenamed",
       [](OrderModel& f) { f.product->SetAttribute(Name, SRepVariant::Text(SString(u"Article"))); }, 3,
       u"Article.code"},
      {"ReferenceMoved", [](OrderModel& f) { SHostSetReference(f.code, f.stock); }, 3, u"Stock.code"},
      {"ReferenceCleared", [](OrderModel& f) { SHostSetReference(f.code, nullptr); }, 3, u"code"},
  };
  for (const Case& c : cases) {
    OrderModel m;
    ASSERT_NE(nullptr, m.entity);
    c.change(m);
    EXPECT_EQ(SString(c.shown), m.TextAt(c.index)) << c.name;
  }
}

TEST_F(HostModelTexts, TheBoxIsFittedToTheChangedTexts) {
  OrderModel m;
  ASSERT_NE(nullptr, m.entity);
  const LONG before = m.Width();
  m.order->SetAttribute(Name, SRepVariant::Text(SString(u"An order placed by a customer of the shop")));
  EXPECT_GT(m.Width(), before);
  m.order->SetAttribute(Name, SRepVariant::Text(SString(u"Order")));
  EXPECT_EQ(before, m.Width());
  // A moved reference is heard from the new entity only.
  SHostSetReference(m.code, m.stock);
  m.stock->SetAttribute(Name, SRepVariant::Text(SString(u"Store")));
  m.product->SetAttribute(Name, SRepVariant::Text(SString(u"Goods")));
  EXPECT_EQ(SString(u"Store.code"), m.TextAt(3));
}

// Attributes added, moved or taken away rebuild the compartments.
TEST_F(HostModelTexts, TheListOfAttributesIsFollowed) {
  OrderModel m;
  ASSERT_NE(nullptr, m.entity);
  SHostAddAttribute(m.order, SString(u"total"), SString(u"decimal"));
  ASSERT_EQ(5, m.entity->GetSubSymCount(0));
  EXPECT_EQ(SString(u"total : decimal"), m.TextAt(4));
  ASSERT_EQ(S_OK, m.id->Delete());
  ASSERT_EQ(4, m.entity->GetSubSymCount(0));
  const char16_t* shown[] = {u"Order", u"note", u"Product.code", u"total : decimal"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(SString(shown[i]), m.TextAt(i)) << i;
}

// Deleted model objects: the compartments let them go and keep what they
// showed; the symbol still draws.
TEST_F(HostModelTexts, DeletedObjectsLeaveTheLastTexts) {
  OrderModel m;
  ASSERT_NE(nullptr, m.entity);
  ASSERT_EQ(S_OK, m.product->Delete());
  EXPECT_EQ(SString(u"code"), m.TextAt(3)) << "a deleted entity is no longer in front";
  ASSERT_EQ(S_OK, m.order->Delete());
  auto* title = dynamic_cast<SSymSubObjText*>(m.entity->GetSubSymbol(0, 0));
  ASSERT_NE(nullptr, title);
  EXPECT_EQ(nullptr, title->GetObject());
  RecordingCanvas canvas;
  EXPECT_EQ(S_OK, m.entity->DrawSymbol(canvas));
  EXPECT_EQ(SString(u"Order"), m.TextAt(0));
}

// The picture the main job writes shows the model as it is when drawn.
TEST(HostModelSheetTexts, ThePictureFollowsTheModel) {
  KvRegReset();
  SHostDiagram holder;
  const std::vector<ISSymbol*> made = SBuildModelSheet(holder);
  for (ISSymbol* s : made) {
    auto* es = dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(s));
    ISRepObject* shown = es ? SHostBoundObject(es->Obj()) : nullptr;
    if (shown && SHostNameOf(shown) == SString(u"Product"))
      shown->SetAttribute(Name, SRepVariant::Text(SString(u"Article")));
  }
  kvtest::TempDir dir;
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_EQ(S_OK, SHostExportDiagram(holder, dir.path.string(), "model", written, error)) << error;
  std::ifstream in(dir.path / "model.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* word : {"Article", "Article.code", "quantity : integer"})
    EXPECT_NE(svg.find(word), std::string::npos) << word;
  EXPECT_EQ(svg.find("Product"), std::string::npos);
  KvRegReset();
}

}  // namespace
