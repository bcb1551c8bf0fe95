// The flat address set and map: membership and values after long mixed runs
// of insertions, erasures and clearing, against an ordered set and map as
// the reference.
#include "kvcore/sptrset.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

struct MixedRun {
  unsigned seed;
  int keys;    // how many distinct addresses the run draws from
  int steps;
  int eraseIn;  // one step in eraseIn erases (the others insert)
  int clearIn;  // one step in clearIn empties the set (0: never)
};

class PtrSetRuns : public ::testing::TestWithParam<MixedRun> {};

TEST_P(PtrSetRuns, MembershipMatchesAnOrderedSet) {
  const MixedRun run = GetParam();
  // Addresses of real objects, so that their spacing is an object's.
  std::vector<double> objects(static_cast<std::size_t>(run.keys));
  std::mt19937 rng(run.seed);
  std::uniform_int_distribution<int> pick(0, run.keys - 1), step(0, 999);
  SPtrSet<double> set;
  std::set<const double*> model;
  // The map runs the same steps; an insertion sets the step's number.
  SAddrMap<double, int> map;
  std::map<const double*, int> mapModel;
  for (int i = 0; i < run.steps; ++i) {
    const double* p = &objects[static_cast<std::size_t>(pick(rng))];
    const int roll = step(rng);
    if (run.clearIn && roll % run.clearIn == 0) {
      set.Clear();
      model.clear();
      map.Clear();
      mapModel.clear();
    } else if (roll % run.eraseIn == 0) {
      ASSERT_EQ(set.Erase(p), model.erase(p) == 1) << "step " << i;
      ASSERT_EQ(map.Erase(p), mapModel.erase(p) == 1) << "step " << i;
    } else {
      ASSERT_EQ(set.Insert(p), model.insert(p).second) << "step " << i;
      map.Set(p, i);
      mapModel[p] = i;
    }
    ASSERT_EQ(set.Size(), model.size()) << "step " << i;
    ASSERT_EQ(map.Size(), mapModel.size()) << "step " << i;
  }
  for (const double& o : objects) {
    EXPECT_EQ(set.Contains(&o), model.count(&o) == 1);
    const auto want = mapModel.find(&o);
    const int* got = map.Find(&o);
    ASSERT_EQ(got != nullptr, want != mapModel.end());
    if (got) {
      EXPECT_EQ(*got, want->second);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeded, PtrSetRuns,
                         ::testing::Values(MixedRun{1, 20, 5000, 2, 0},       // small, churning
                                           MixedRun{7, 5000, 40000, 3, 0},    // grows through rehashes
                                           MixedRun{42, 3000, 60000, 2, 0},   // vacated slots pile up
                                           MixedRun{9, 2000, 30000, 4, 97}));  // cleared now and then

TEST(PtrSet, NullIsNeverAMemberAndClearingKeepsTheSetUsable) {
  SPtrSet<int> set;
  EXPECT_FALSE(set.Insert(nullptr));
  EXPECT_FALSE(set.Contains(nullptr));
  EXPECT_FALSE(set.Erase(nullptr));
  int a = 0, b = 0;
  EXPECT_FALSE(set.Contains(&a));  // no table yet
  EXPECT_FALSE(set.Erase(&a));
  set.Reserve(1000);
  EXPECT_TRUE(set.Insert(&a));
  set.Clear();  // mostly empty: the table is given back
  EXPECT_TRUE(set.IsEmpty());
  EXPECT_FALSE(set.Contains(&a));
  EXPECT_TRUE(set.Insert(&b));
  EXPECT_TRUE(set.Contains(&b));
  EXPECT_FALSE(set.Contains(&a));

  SAddrMap<int, int> map;
  map.Set(nullptr, 1);
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(map.Find(nullptr), nullptr);
  EXPECT_EQ(map.Find(&a), nullptr);  // no table yet
  EXPECT_FALSE(map.Erase(&a));
}

}  // namespace
