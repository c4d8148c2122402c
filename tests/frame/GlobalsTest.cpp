#include <QvBase/QvGlobals.h>
#include <gtest/gtest.h>

#include <set>

#ifndef QV_TEST_STATIC_LIBRARY
extern "C" void PluginSetSharedInt(int v);
extern "C" bool PluginReadSharedBool();
#endif

// Everything starts false or 0, each value is an object of its own, and the
// application and a plug-in module see one and the same value (with a
// static library each module has its own, so there is no plug-in).
TEST(QvGlobals, StartClearedDistinctAndSharedWithAnotherModule) {
  const bool* bools[] = {&QV_GV_BOOL,   &QV_GV_BOOL_0, &QV_GV_BOOL_1,
                         &QV_GV_BOOL_2, &QV_GV_BOOL_3, &QV_GV_BOOL_4};
  const int* ints[] = {&QV_GV_INT,   &QV_GV_INT_0, &QV_GV_INT_1,
                       &QV_GV_INT_2, &QV_GV_INT_3, &QV_GV_INT_4};
  std::set<const void*> homes;
  for (int i = 0; i < 6; ++i) {
    EXPECT_FALSE(*bools[i] || *ints[i]) << i;
    homes.insert({bools[i], ints[i]});
  }
  EXPECT_EQ(12u, homes.size());
#ifndef QV_TEST_STATIC_LIBRARY
  PluginSetSharedInt(-7);
  EXPECT_EQ(-7, QV_GV_INT_3);
  QV_GV_BOOL_2 = true;
  EXPECT_TRUE(PluginReadSharedBool());
#endif
}
