#include <QvBase/QvNamedObj.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(QvNamedObj, NullAndEmptyMeanTheEmptyName) {
  QvNamedObj a, b(static_cast<const char*>(nullptr));
  ASSERT_NE(nullptr, a.GetName());
  EXPECT_STREQ("", a.GetName());
  EXPECT_STREQ("", b.GetName());
  a.SetName("abc");
  a.SetName(static_cast<const char*>(nullptr));
  EXPECT_STREQ("", a.GetName());
  a.SetName("abc");
  a.SetName("");
  EXPECT_TRUE(a.Name().empty());
}

TEST(QvNamedObj, CopiesAreIndependent) {
  QvNamedObj src(std::string("part"));
  QvNamedObj copy(src);
  QvNamedObj assigned;
  assigned = src;
  QvNamedObj copied;
  copied.Copy(src);
  QvNamedObj clone = src.Clone();
  for (QvNamedObj* o : {&copy, &assigned, &copied, &clone})
    EXPECT_EQ("part", o->Name());
  copy.SetName("other");
  clone.SetName(std::string("third"));
  EXPECT_EQ("part", src.Name());
  EXPECT_EQ("part", assigned.Name());
  EXPECT_EQ("other", copy.Name());
}

TEST(QvNamedObj, SelfAssignmentKeepsTheName) {
  QvNamedObj o("self");
  QvNamedObj& alias = o;
  o = alias;
  EXPECT_EQ("self", o.Name());
  o.SetName(o.Name());
  EXPECT_EQ("self", o.Name());
  o.SetName(o.GetName());
  EXPECT_EQ("self", o.Name());
  o.SetName(o.GetName() + 2);  // a tail of its own name
  EXPECT_EQ("lf", o.Name());
}

struct Derived : QvNamedObj {
  explicit Derived(bool* flag) : QvNamedObj("d"), destroyed(flag) {}
  ~Derived() override { *destroyed = true; }
  bool* destroyed;
};

TEST(QvNamedObj, DestroysDerivedThroughBasePointer) {
  bool destroyed = false;
  std::unique_ptr<QvNamedObj> p(new Derived(&destroyed));
  EXPECT_STREQ("d", p->GetName());
  p.reset();
  EXPECT_TRUE(destroyed);
}

}  // namespace
