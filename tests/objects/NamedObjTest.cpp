#include <QvBase/QvNamedObj.h>
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace {

static_assert(std::has_virtual_destructor<QvNamedObj>::value,
              "derived objects are destroyed through a base pointer");

TEST(QvNamedObj, NullOwnNameAndCopies) {
  QvNamedObj a, b(static_cast<const char*>(nullptr)), o("self");
  ASSERT_NE(nullptr, a.GetName());
  EXPECT_STREQ("", a.GetName());
  EXPECT_STREQ("", b.GetName());
  a.SetName("abc");
  a.SetName(static_cast<const char*>(nullptr));
  EXPECT_STREQ("", a.GetName());
  // The object's own name, or a tail of it, as the source.
  QvNamedObj& alias = o;
  o = alias;
  o.SetName(o.Name());
  o.SetName(o.GetName());
  EXPECT_EQ("self", o.Name());
  o.SetName(o.GetName() + 2);
  EXPECT_EQ("lf", o.Name());

  QvNamedObj src(std::string("part")), copied;
  copied.Copy(src);
  QvNamedObj clone = src.Clone();
  src.SetName(std::string("other"));
  EXPECT_EQ("part", copied.Name());
  EXPECT_EQ("part", clone.Name());
  EXPECT_EQ("other", src.Name());
}

}  // namespace
