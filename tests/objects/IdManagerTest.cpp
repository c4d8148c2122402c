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

// Reference model: the free ids below the end in an ordered set.
struct Reference {
  std::set<unsigned> freeIds;
  unsigned end = 0;
  unsigned Take() {
    if (freeIds.empty()) return end++;
    const unsigned id = *freeIds.begin();
    freeIds.erase(freeIds.begin());
    return id;
  }
  bool IsUsed(unsigned id) const { return id < end && !freeIds.count(id); }
};

}  // namespace

TEST(QvIdManager, HandsOutSmallestFreeId) {
  QvIdManager m = WithIds(3);
  EXPECT_TRUE(m.IsUsed(1));
  EXPECT_FALSE(m.IsUsed(3));

  m = WithIds(5);
  m.DelId(1);
  m.DelId(3);
  EXPECT_EQ(1u, m.GetNewId());
  EXPECT_EQ(3u, m.GetNewId());
  EXPECT_EQ(5u, m.GetNewId());

  m = WithIds(5);
  m.DelId(4);
  EXPECT_FALSE(m.IsUsed(4));
  EXPECT_EQ(4u, m.GetNewId());
}

TEST(QvIdManager, DeletingFreeOrUnknownIdsChangesNothing) {
  QvIdManager m = WithIds(5);
  m.DelId(2);
  m.DelId(2);
  m.DelId(5);            // one past the largest handed out
  m.DelId(0xFFFFFFFFu);  // far beyond
  EXPECT_FALSE(m.IsUsed(5));
  EXPECT_EQ(2u, m.GetNewId());
  EXPECT_EQ(5u, m.GetNewId());
}

TEST(QvIdManager, IsUsedOutsideTheArrayIsFalse) {
  QvIdManager empty;
  EXPECT_FALSE(empty.IsUsed(0));
  EXPECT_FALSE(WithIds(3).IsUsed(1000000));
  EXPECT_FALSE(WithIds(3).IsUsed(0xFFFFFFFFu));
}

TEST(QvIdManager, InitFreesEverything) {
  QvIdManager m = WithIds(200);
  m.DelId(70);
  m.Init();
  for (unsigned id = 0; id < 200; ++id) ASSERT_FALSE(m.IsUsed(id)) << id;
  for (unsigned id = 0; id < 201; ++id) ASSERT_EQ(id, m.GetNewId());
}

TEST(QvIdManager, CopiesAreIndependent) {
  QvIdManager a = WithIds(130);
  a.DelId(64);
  a.DelId(3);
  QvIdManager b(a);
  QvIdManager c;
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
}

// Long runs of used ids across word and summary-level boundaries, checked
// step by step against a plain flag array.
TEST(QvIdManager, MatchesPlainScanInRandomMix) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    QvIdManager m;
    Reference ref;
    std::vector<unsigned> live;
    for (int step = 0; step < 30000; ++step) {
      const bool grow =
          live.size() < 300 || rng() % 100 < (step < 20000 ? 60 : 45);
      if (grow) {
        const unsigned id = m.GetNewId();
        ASSERT_EQ(ref.Take(), id) << "step " << step;
        live.push_back(id);
      } else {
        const std::size_t k = rng() % live.size();
        m.DelId(live[k]);
        ref.freeIds.insert(live[k]);
        live[k] = live.back();
        live.pop_back();
      }
    }
    for (unsigned id = 0; id < ref.end + 70; ++id) {
      ASSERT_EQ(ref.IsUsed(id), m.IsUsed(id)) << id;
    }
  }
}

// Freeing one id deep inside a large dense block, then refilling it: the
// next id after the refill is the end of the block, found without a walk.
TEST(QvIdManager, RefillsHoleThenContinuesAtEnd) {
  QvIdManager m = WithIds(300000);
  for (unsigned hole :
       {0u, 63u, 64u, 4095u, 4096u, 262143u, 262144u, 299999u}) {
    SCOPED_TRACE(hole);
    m.DelId(hole);
    EXPECT_EQ(hole, m.GetNewId());
  }
  EXPECT_EQ(300000u, m.GetNewId());
}
