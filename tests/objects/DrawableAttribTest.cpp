#include <QvBase/QvDrawableAttrib.h>
#include <QvBase/QvDrawableObj.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// The nine tests as one bit pattern, in the order of the attribute bits:
// visible, pickable, selected, shading, hidden line, iso line, marking,
// then wireframe (0x80) and visible-and-pickable (0x100).
unsigned Tests(const QvDrawableAttrib& a) {
  QvDrawableAttrib nonConst(a);
  return (a.IsVisible() ? 0x01u : 0) | (a.IsPickable() ? 0x02u : 0) |
         (a.IsSelected() ? 0x04u : 0) | (a.IsShading() ? 0x08u : 0) |
         (a.IsHiddenLine() ? 0x10u : 0) | (nonConst.IsIsoLine() ? 0x20u : 0) |
         (a.IsMarking() ? 0x40u : 0) | (a.IsWireframe() ? 0x80u : 0) |
         (a.IsVisiPickable() ? 0x100u : 0);
}

class Flat final : public QvDrawableObj {
 public:
  void Draw() override {}
  using QvDrawableObj::Init0;
};

}  // namespace

TEST(QvDrawableAttrib, DefaultIsVisiblePickableWireframe) {
  const QvDrawableAttrib a;
  EXPECT_EQ(0x03, a.Attrib());
  EXPECT_EQ(0x183u, Tests(a));
  EXPECT_EQ(0, a.ColorId());
}

// Every tests reads exactly its bit, for all 256 attribute bytes.
TEST(QvDrawableAttrib, TestsReadTheirBits) {
  for (unsigned v = 0; v < 256; ++v) {
    QvDrawableAttrib a;
    a.SetAttrib(static_cast<unsigned char>(v));
    unsigned expected = (v & 0x7F) | ((v & 0x08) ? 0 : 0x80);
    if ((v & 0x03) == 0x03) expected |= 0x100;
    ASSERT_EQ(expected, Tests(a)) << v;
  }
}

// Each setter on every starting byte: it changes only its own bit.
TEST(QvDrawableAttrib, SettersChangeOnlyTheirBit) {
  using Op = std::function<void(QvDrawableAttrib&)>;
  struct Case {
    const char* name;
    Op op;
    unsigned char mask;
    int effect;  // 1 set, 0 clear, -1 toggle
  };
  const Case cases[] = {
      {"SetShow", [](QvDrawableAttrib& a) { a.SetShow(); }, 0x01, 1},
      {"SetVisible()", [](QvDrawableAttrib& a) { a.SetVisible(); }, 0x01, 1},
      {"SetVisible(true)", [](QvDrawableAttrib& a) { a.SetVisible(true); },
       0x01, 1},
      {"SetVisible(false)", [](QvDrawableAttrib& a) { a.SetVisible(false); },
       0x01, 0},
      {"SetNoShow", [](QvDrawableAttrib& a) { a.SetNoShow(); }, 0x01, 0},
      {"SetInVisible", [](QvDrawableAttrib& a) { a.SetInVisible(); }, 0x01, 0},
      {"ChangeVisible", [](QvDrawableAttrib& a) { a.ChangeVisible(); }, 0x01,
       -1},
      {"SetPick", [](QvDrawableAttrib& a) { a.SetPick(); }, 0x02, 1},
      {"SetPickable", [](QvDrawableAttrib& a) { a.SetPickable(); }, 0x02, 1},
      {"SetNoPick", [](QvDrawableAttrib& a) { a.SetNoPick(); }, 0x02, 0},
      {"SetUnPickable", [](QvDrawableAttrib& a) { a.SetUnPickable(); }, 0x02,
       0},
      {"ChangePickable", [](QvDrawableAttrib& a) { a.ChangePickable(); }, 0x02,
       -1},
      {"SetSelected", [](QvDrawableAttrib& a) { a.SetSelected(); }, 0x04, 1},
      {"SetUnSelected", [](QvDrawableAttrib& a) { a.SetUnSelected(); }, 0x04,
       0},
      {"ChangeSelected", [](QvDrawableAttrib& a) { a.ChangeSelected(); }, 0x04,
       -1},
      {"SetShading(true)", [](QvDrawableAttrib& a) { a.SetShading(true); },
       0x08, 1},
      {"SetShading(false)", [](QvDrawableAttrib& a) { a.SetShading(false); },
       0x08, 0},
      {"SetWireframe(true)", [](QvDrawableAttrib& a) { a.SetWireframe(true); },
       0x08, 0},
      {"SetWireframe(false)",
       [](QvDrawableAttrib& a) { a.SetWireframe(false); }, 0x08, 1},
      {"SetHiddenLine(true)",
       [](QvDrawableAttrib& a) { a.SetHiddenLine(true); }, 0x10, 1},
      {"SetHiddenLine(false)",
       [](QvDrawableAttrib& a) { a.SetHiddenLine(false); }, 0x10, 0},
      {"SetIsoLine(true)", [](QvDrawableAttrib& a) { a.SetIsoLine(true); },
       0x20, 1},
      {"SetIsoLine(false)", [](QvDrawableAttrib& a) { a.SetIsoLine(false); },
       0x20, 0},
      {"SetMarking(true)", [](QvDrawableAttrib& a) { a.SetMarking(true); },
       0x40, 1},
      {"SetMarking(false)", [](QvDrawableAttrib& a) { a.SetMarking(false); },
       0x40, 0},
      {"ChangeMarking", [](QvDrawableAttrib& a) { a.ChangeMarking(); }, 0x40,
       -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (unsigned v = 0; v < 256; ++v) {
      QvDrawableAttrib a;
      a.SetAttrib(static_cast<unsigned char>(v));
      a.SetColorId(77);
      c.op(a);
      unsigned expected = v;
      if (c.effect == 1) expected |= c.mask;
      if (c.effect == 0) expected &= ~unsigned{c.mask};
      if (c.effect == -1) expected ^= c.mask;
      ASSERT_EQ(expected, a.Attrib()) << v;
      ASSERT_EQ(77, a.ColorId());
    }
  }
}

TEST(QvDrawableAttrib, WholeByteOperationsAndCopies) {
  QvDrawableAttrib a;
  a.SetAttrib(0xFF);
  a.AndAttrib(0x0F);
  EXPECT_EQ(0x0F, a.Attrib());
  EXPECT_EQ(0x10Fu, Tests(a));
  a.OrAttrib(0x80);
  a.XOrAttrib(0x81);
  EXPECT_EQ(0x0E, a.Attrib());
  a.SetColorId(255);

  QvDrawableAttrib b;
  b.Copy(a);
  QvDrawableAttrib c;
  EXPECT_EQ(&c, &(c = a));
  for (const QvDrawableAttrib* x : {&b, &c}) {
    EXPECT_EQ(0x0E, x->Attrib());
    EXPECT_EQ(255, x->ColorId());
  }
}

// Colour operations need no OpenGL context.
TEST(QvDrawableObj, ColourDefaultsAndSetters) {
  Flat obj;
  EXPECT_EQ(0x03, obj.Attrib());
  float r = -1, g = -1, b = -1, a = -1;
  obj.GetColor(r, g, b, a);
  EXPECT_EQ(0.0f, r);
  EXPECT_EQ(1.0f, g);
  EXPECT_EQ(0.0f, b);
  EXPECT_EQ(1.0f, a);

  obj.SetColor(0.1f, 0.2f, 0.3f, 0.5f);
  float rgb[3] = {0.2f, 0.4f, 0.6f};
  obj.SetColor(rgb);
  const float* c = obj.GetColor();
  EXPECT_EQ(0.2f, c[0]);
  EXPECT_EQ(0.4f, c[1]);
  EXPECT_EQ(0.6f, c[2]);
  EXPECT_EQ(1.0f, c[3]);
  obj.GetColor(r, g, b);
  EXPECT_EQ(0.6f, b);

  obj.SetSelected();
  obj.Init0();
  EXPECT_EQ(0x07, obj.Attrib());
  EXPECT_EQ(0.0f, obj.GetColor()[0]);
  EXPECT_EQ(1.0f, obj.GetColor()[1]);
}

TEST(QvDrawableObj, CopiesTakeColourAndAttributesNotName) {
  Flat a;
  a.SetColor(0.25f, 0.5f, 0.75f, 0.125f);
  a.SetColorId(9);
  a.SetShading(true);
  Flat b(a);
  Flat c;
  const std::uint32_t cName = c.ListName();
  c = a;
  for (const Flat* x : {&b, &c}) {
    EXPECT_EQ(a.Attrib(), x->Attrib());
    EXPECT_EQ(9, x->ColorId());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.GetColor()[i], x->GetColor()[i]);
    EXPECT_NE(a.ListName(), x->ListName());
  }
  EXPECT_EQ(cName, c.ListName());
  EXPECT_NE(b.ListName(), c.ListName());
  EXPECT_NE(0u, a.ListName());
}
