#include <QvBase/QvNamedObj.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(QvNamedObj, NullEmptyAndOwnName) {
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
}

TEST(QvNamedObj, CopiesAreIndependent) {
  QvNamedObj src(std::string("part")), copy(src), assigned, copied;
  assigned = src;
  copied.Copy(src);
  QvNamedObj clone = src.Clone();
  copy.SetName(std::string("other"));
  for (QvNamedObj* o : {&src, &assigned, &copied, &clone})
    EXPECT_EQ("part", o->Name());
  EXPECT_EQ("other", copy.Name());
}

struct Derived : QvNamedObj {
  explicit Derived(bool* flag) : QvNamedObj("d"), destroyed(flag) {}
  ~Derived() override { *destroyed = true; }
  bool* destroyed;
};

TEST(QvNamedObj, DestroysDerivedThroughBasePointer) {
  bool destroyed = false;
  std::unique_ptr<QvNamedObj>(new Derived(&destroyed)).reset();
  EXPECT_TRUE(destroyed);
}

}  // namespace
