#include <QvBase/QvIdManager.h>
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace {

QvIdManager WithIds(unsigned count) {
  QvIdManager m;
  for (unsigned i = 0; i < count; ++i) EXPECT_EQ(i, m.GetNewId());
  return m;
}

}  // namespace

// Long runs of used ids across word and summary-level boundaries, checked
// step by step against the reference. Deleting an id that is already free,
// one past the largest handed out or far beyond must change nothing.
TEST(QvIdManager, MatchesReferenceInRandomMix) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    QvIdManager m;
    std::set<unsigned> freeIds;  // the reference: free ids below end
    unsigned end = 0;
    std::vector<unsigned> live;
    for (int step = 0; step < 30000; ++step) {
      const unsigned roll = rng() % 100;
      if (live.size() < 300 || roll < (step < 20000 ? 60 : 45)) {
        const unsigned id = freeIds.empty() ? end++ : *freeIds.begin();
        freeIds.erase(id);
        ASSERT_EQ(id, m.GetNewId()) << "step " << step;
        live.push_back(id);
      } else if (roll >= 95) {
        const unsigned unused[] = {freeIds.empty() ? end : *freeIds.rbegin(),
                                   end, 0xFFFFFFFFu};
        m.DelId(unused[rng() % 3]);
      } else {
        const std::size_t k = rng() % live.size();
        m.DelId(live[k]);
        freeIds.insert(live[k]);
        live[k] = live.back();
        live.pop_back();
      }
    }
    for (unsigned id = 0; id < end + 70; ++id)
      ASSERT_EQ(id < end && !freeIds.count(id), m.IsUsed(id)) << id;
    for (unsigned id : {1000000u, 0xFFFFFFFFu}) EXPECT_FALSE(m.IsUsed(id));
  }
}

TEST(QvIdManager, CopiesRefillsAndInit) {
  EXPECT_FALSE(QvIdManager().IsUsed(0));
  QvIdManager one = WithIds(1);  // a single flag, given back and handed out
  one.DelId(0);
  EXPECT_EQ(0u, one.GetNewId());
  QvIdManager a = WithIds(130);
  a.DelId(64);
  a.DelId(3);
  QvIdManager b(a), c;
  c = a;
  c = c;  // self-assignment keeps everything
  for (QvIdManager* m : {&a, &b, &c}) {
    EXPECT_EQ(3u, m->GetNewId());
    EXPECT_EQ(64u, m->GetNewId());
    EXPECT_EQ(130u, m->GetNewId());
  }
  a.DelId(10);
  EXPECT_FALSE(a.IsUsed(10));
  EXPECT_TRUE(b.IsUsed(10));
  EXPECT_EQ(131u, b.GetNewId());

  // A hole deep in a large dense block is refilled first; the id after it
  // is the end of the block.
  c = WithIds(300000);
  for (unsigned hole :
       {0u, 63u, 64u, 4095u, 4096u, 262143u, 262144u, 299999u}) {
    c.DelId(hole);
    EXPECT_EQ(hole, c.GetNewId()) << hole;
  }
  EXPECT_EQ(300000u, c.GetNewId());
  c.DelId(70);
  c.Init();
  for (unsigned id = 0; id < 200; ++id) ASSERT_FALSE(c.IsUsed(id)) << id;
  for (unsigned id = 0; id < 201; ++id) ASSERT_EQ(id, c.GetNewId());
}
