// The umbrella header brings in the whole public interface.
#include <QvBase/QvBase.h>
#include <gtest/gtest.h>

TEST(QvHeaders, UmbrellaDeclaresTheGlobals) {
  QV_GV_INT_1 = 3;
  EXPECT_EQ(3, QV_GV_INT_1);
  QV_GV_INT_1 = 0;
}
