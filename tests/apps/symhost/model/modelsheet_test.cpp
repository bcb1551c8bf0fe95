// The main job's picture of the sample model: every entity and relation
// drawn, links between the symbols of their ends, and the four files with
// every name and label in the SVG text.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/modelsheet.h"
#include "support/temp_files.h"
#include "win/winreg.h"

namespace {

TEST(HostModelSheet, EveryRelationIsDrawnBetweenItsEnds) {
  KvRegReset();
  SHostDiagram holder;
  const std::vector<ISSymbol*> made = SBuildModelSheet(holder);
  int entities = 0, links = 0;
  for (ISSymbol* s : made) {
    SSymBase* base = SSymBase::FromInterface(s);
    if (dynamic_cast<SHostEntitySym*>(base)) ++entities;
    if (auto* l = dynamic_cast<SHostRelationLink*>(base)) {
      ++links;
      ISRepObject* rel = SHostBoundObject(l->Obj());
      ASSERT_TRUE(SHostIsLinkObject(rel));
      for (int end : {0, 1}) {
        SComOut<ISSymbol> at;
        ASSERT_EQ(S_OK, l->GetAttachSym(end, &at));
        EXPECT_TRUE(SRepAreSameObjects(SHostBoundObject(SSymBase::FromInterface(at.Get())->Obj()),
                                       SHostLinkEnd(rel, end)));
      }
    }
  }
  EXPECT_EQ(6, entities);
  EXPECT_EQ(7, links);
  EXPECT_EQ(made.size(), holder.Symbols().size());
  KvRegReset();
}

TEST(HostModelSheet, WrittenInFourFormatsWithEveryWord) {
  KvRegReset();
  SHostDiagram holder;
  SBuildModelSheet(holder);
  kvtest::TempDir dir;
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_EQ(S_OK, SHostExportDiagram(holder, dir.path.string(), "model", written, error)) << error;
  ASSERT_EQ(4u, written.size());
  for (const SHostExportedFile& f : written) EXPECT_GT(f.size, 0u) << f.path;
  std::ifstream in(dir.path / "model.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* word : {"Customer", "Order line", "quantity : integer", "places", "refers to", "supplies"})
    EXPECT_NE(svg.find(word), std::string::npos) << word;
  KvRegReset();
}

}  // namespace
