// The umbrella header brings in the whole public interface. The layout of
// the virtual tables is guarded by the ABI check against its baseline.
#include <QvBase/QvBase.h>
#include <gtest/gtest.h>

TEST(QvHeaders, UmbrellaDeclaresTheGlobals) {
  EXPECT_EQ(0, QV_GV_INT_1);
}
