#include <QvBase/QvDrawableAttrib.h>
#include <QvBase/QvDrawableObj.h>
#include <gtest/gtest.h>

namespace {

// The nine tests as one pattern: the seven switch bits in place, then
// wireframe (0x80) and visible-and-pickable (0x100).
unsigned Tests(const QvDrawableAttrib& a) {
  QvDrawableAttrib nonConst(a);
  const bool bits[] = {a.IsVisible(), a.IsPickable(),   a.IsSelected(),
                       a.IsShading(), a.IsHiddenLine(), nonConst.IsIsoLine(),
                       a.IsMarking(), a.IsWireframe(),  a.IsVisiPickable()};
  unsigned v = 0;
  for (int i = 0; i < 9; ++i) v |= bits[i] ? 1u << i : 0u;
  return v;
}

struct Flat final : QvDrawableObj {
  void Draw() override {}
  using QvDrawableObj::Init0;
};

}  // namespace

TEST(QvDrawableAttrib, TestsReadTheirBits) {
  EXPECT_EQ(0x183u, Tests(QvDrawableAttrib()));
  EXPECT_EQ(0, QvDrawableAttrib().ColorId());
  for (unsigned v = 0; v < 256; ++v) {
    QvDrawableAttrib a;
    a.SetAttrib(static_cast<unsigned char>(v));
    const unsigned expected =
        (v & 0x7F) | ((v & 0x08) ? 0 : 0x80) | ((v & 0x03) == 0x03 ? 0x100 : 0);
    ASSERT_EQ(expected, Tests(a)) << v;
  }
}

// Every setter and alias on every starting byte changes only its own bit.
TEST(QvDrawableAttrib, SettersChangeOnlyTheirBit) {
  struct Case {
    const char* name;
    void (*op)(QvDrawableAttrib&);
    unsigned mask;
    int effect;  // 1 set, 0 clear, -1 toggle
  };
  // clang-format off
#define ROW(call, mask, effect) \
  {#call, [](QvDrawableAttrib& a) { a.call; }, mask, effect}
  const Case cases[] = {
      ROW(SetShow(), 1, 1),            ROW(SetVisible(), 1, 1),
      ROW(SetVisible(true), 1, 1),     ROW(SetVisible(false), 1, 0),
      ROW(SetNoShow(), 1, 0),          ROW(SetInVisible(), 1, 0),
      ROW(ChangeVisible(), 1, -1),     ROW(SetPick(), 2, 1),
      ROW(SetPickable(), 2, 1),        ROW(SetNoPick(), 2, 0),
      ROW(SetUnPickable(), 2, 0),      ROW(ChangePickable(), 2, -1),
      ROW(SetSelected(), 4, 1),        ROW(SetUnSelected(), 4, 0),
      ROW(ChangeSelected(), 4, -1),    ROW(SetShading(true), 8, 1),
      ROW(SetShading(false), 8, 0),    ROW(SetWireframe(true), 8, 0),
      ROW(SetWireframe(false), 8, 1),  ROW(SetHiddenLine(true), 16, 1),
      ROW(SetHiddenLine(false), 16, 0), ROW(SetIsoLine(true), 32, 1),
      ROW(SetIsoLine(false), 32, 0),   ROW(SetMarking(true), 64, 1),
      ROW(SetMarking(false), 64, 0),   ROW(ChangeMarking(), 64, -1),
  };
#undef ROW
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (unsigned v = 0; v < 256; ++v) {
      QvDrawableAttrib a;
      a.SetAttrib(static_cast<unsigned char>(v));
      a.SetColorId(77);
      c.op(a);
      const unsigned expected = c.effect == 1   ? v | c.mask
                                : c.effect == 0 ? v & ~c.mask
                                                : v ^ c.mask;
      ASSERT_EQ(expected, a.Attrib()) << v;
      ASSERT_EQ(77, a.ColorId());
    }
  }
}

TEST(QvDrawableAttrib, WholeByteOperationsAndCopies) {
  QvDrawableAttrib a, b, c;
  a.SetAttrib(0xFF);
  a.AndAttrib(0x0F);
  EXPECT_EQ(0x10Fu, Tests(a));  // visible, pickable, selected, shading
  a.OrAttrib(0x80);
  a.XOrAttrib(0x81);
  a.SetColorId(255);
  b.Copy(a);
  EXPECT_EQ(&c, &(c = a));
  for (const QvDrawableAttrib* x : {&a, &b, &c}) {
    EXPECT_EQ(0x0E, x->Attrib());
    EXPECT_EQ(255, x->ColorId());
  }
}

// Colour operations and copies need no OpenGL context; a copy takes colour
// and attributes but keeps its own list name.
TEST(QvDrawableObj, ColourAndCopies) {
  Flat a;
  float r = -1, g = -1, b = -1, al = -1;
  a.GetColor(r, g, b, al);
  EXPECT_TRUE(r == 0.0f && g == 1.0f && b == 0.0f && al == 1.0f);
  a.SetColor(0.1f, 0.2f, 0.3f, 0.5f);
  float rgb[3] = {0.2f, 0.4f, 0.6f};
  a.SetColor(rgb);  // alpha back to 1
  const float* c = a.GetColor();
  EXPECT_TRUE(c[0] == 0.2f && c[1] == 0.4f && c[2] == 0.6f && c[3] == 1.0f);
  a.GetColor(r, g, b);
  EXPECT_EQ(0.6f, b);
  a.SetSelected();
  a.Init0();  // colour only
  EXPECT_EQ(0x07, a.Attrib());
  EXPECT_TRUE(c[0] == 0.0f && c[1] == 1.0f && c[2] == 0.0f && c[3] == 1.0f);

  a.SetColor(0.25f, 0.5f, 0.75f, 0.125f);
  a.SetColorId(9);
  a.SetShading(true);
  Flat copy(a), assigned;
  const std::uint32_t name = assigned.ListName();
  assigned = a;
  for (const Flat* x : {&copy, &assigned}) {
    EXPECT_EQ(a.Attrib(), x->Attrib());
    EXPECT_EQ(9, x->ColorId());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.GetColor()[i], x->GetColor()[i]);
  }
  EXPECT_EQ(name, assigned.ListName());
  EXPECT_NE(0u, a.ListName());
  EXPECT_NE(a.ListName(), copy.ListName());
  EXPECT_NE(a.ListName(), name);
  EXPECT_NE(copy.ListName(), name);
}
