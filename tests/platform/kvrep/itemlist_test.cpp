// The members list of a collection: under random insertions and erasures,
// small and across the size where it starts its index, it holds exactly the
// order a plain array holds, and answers every position and membership.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "kvrep/srepitems.h"

namespace {

// Distinct addresses standing for objects (never dereferenced).
SRepObject* Obj(std::vector<char>& pool, std::size_t i) { return reinterpret_cast<SRepObject*>(&pool[i]); }

void ExpectSame(const SRepItemList& list, const std::vector<SRepObject*>& model, std::vector<char>& pool,
                std::size_t step) {
  ASSERT_EQ(model.size(), list.size()) << step;
  ASSERT_EQ(model, list.ToVector()) << step;
  for (std::size_t i = 0; i < model.size(); i += 1 + model.size() / 40) {
    ASSERT_EQ(model[i], list[i]) << step;
    ASSERT_EQ(static_cast<int>(i), list.IndexOf(model[i])) << step;
  }
  // Objects that are not members.
  for (std::size_t i = 0; i < pool.size(); i += 97) {
    if (std::find(model.begin(), model.end(), Obj(pool, i)) == model.end()) {
      ASSERT_EQ(-1, list.IndexOf(Obj(pool, i))) << step;
    }
  }
}

struct Case {
  const char* name;
  std::size_t grow;  // members aimed at before shrinking again
  int where;         // 0 anywhere, 1 at the start, 2 at the end, 3 in the middle
};

TEST(RepItemList, KeepsThePlainArrayOrder) {
  const Case cases[] = {
      // Back and forth across the members kept in place.
      {"a few", 3, 0},
      {"small", 20, 0},     {"across the index size", 200, 0}, {"large anywhere", 3000, 0},
      {"large at the start", 3000, 1}, {"large at the end", 3000, 2},
      // Whole runs emptied inside the list, with members on both sides.
      {"large in the middle", 3000, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 rng(59);
    std::vector<char> pool(c.grow * 2);
    std::vector<std::size_t> free(pool.size());
    for (std::size_t i = 0; i < free.size(); ++i) free[i] = i;
    std::shuffle(free.begin(), free.end(), rng);
    SRepItemList list;
    std::vector<SRepObject*> model;
    auto pos = [&](std::size_t size) {
      if (c.where == 1) return std::size_t{0};
      if (c.where == 2) return size;
      if (c.where == 3) return size / 2;
      return std::uniform_int_distribution<std::size_t>(0, size)(rng);
    };
    const std::size_t steps = c.grow * 4;
    for (std::size_t step = 0; step < steps; ++step) {
      // Growing in the first half, shrinking to nothing in the second.
      const bool grow = step < steps / 2 ? std::uniform_int_distribution<int>(0, 3)(rng) != 0
                                         : std::uniform_int_distribution<int>(0, 3)(rng) == 0;
      if ((grow && !free.empty()) || model.empty()) {
        const std::size_t at = pos(model.size());
        SRepObject* o = Obj(pool, free.back());
        free.pop_back();
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), o);
        list.Insert(at, o);
      } else {
        const std::size_t at = std::min(pos(model.size() - 1), model.size() - 1);
        free.push_back(static_cast<std::size_t>(reinterpret_cast<char*>(model[at]) - pool.data()));
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        list.Erase(at);
      }
      if (step % (1 + steps / 50) == 0) ExpectSame(list, model, pool, step);
    }
    ExpectSame(list, model, pool, steps);
    const unsigned long changes = list.Changes();
    EXPECT_EQ(model, list.TakeAll());
    EXPECT_TRUE(list.empty());
    EXPECT_GT(list.Changes(), changes);
    // Emptied, the list takes members again.
    list.Insert(0, Obj(pool, 0));
    list.Insert(0, Obj(pool, 1));
    list.Insert(2, Obj(pool, 2));
    EXPECT_EQ((std::vector<SRepObject*>{Obj(pool, 1), Obj(pool, 0), Obj(pool, 2)}), list.ToVector());
  }
}

}  // namespace
