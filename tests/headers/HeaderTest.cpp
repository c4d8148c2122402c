// The umbrella header brings in the whole public interface. The layout of
// the virtual tables is guarded by the ABI check against its baseline.
#include <QvBase/QvBase.h>
#include <gtest/gtest.h>

#include <string>

TEST(QvHeaders, UmbrellaDeclaresTheGlobals) {
  EXPECT_EQ(0, QV_GV_INT_1);
}

// The loaded library reports the version of the headers it was built with,
// and the string agrees with the three numbers.
TEST(QvHeaders, VersionOfHeadersAndLibraryAgree) {
  EXPECT_STREQ(QVBASE_VERSION_STRING, QvBaseVersion());
  const std::string numbers = std::to_string(QVBASE_VERSION_MAJOR) + "." +
                              std::to_string(QVBASE_VERSION_MINOR) + "." +
                              std::to_string(QVBASE_VERSION_PATCH);
  EXPECT_EQ(numbers, QvBaseVersion());
}
