#include <QvBase/QvDrawableAttrib.h>
#include <gtest/gtest.h>

namespace {

// The nine tests as one pattern: the seven switch bits in place, then
// wireframe (0x80) and visible-and-pickable (0x100).
unsigned Tests(const QvDrawableAttrib& a) {
  QvDrawableAttrib nonConst(a);
  const bool bits[] = {a.IsVisible(), a.IsPickable(),   a.IsSelected(),
                       a.IsShading(), a.IsHiddenLine(), nonConst.IsIsoLine(),
                       a.IsMarking(), a.IsWireframe(),  a.IsVisiPickable()};
  EXPECT_EQ(nonConst.IsIsoLine(), a.IsIsoLine());
  unsigned v = 0;
  for (int i = 0; i < 9; ++i) v |= bits[i] ? 1u << i : 0u;
  return v;
}

}  // namespace

// The tests on every byte; every setter, alias and whole-byte operation on
// every starting byte changes only its own bits and keeps the colour id;
// copies take both.
TEST(QvDrawableAttrib, TestsAndSettersTouchOnlyTheirBits) {
  EXPECT_EQ(0x183u, Tests(QvDrawableAttrib()));
  EXPECT_EQ(0, QvDrawableAttrib().ColorId());
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
      ROW(AndAttrib(0x0F), 0xF0, 0),   ROW(OrAttrib(0x81), 0x81, 1),
      ROW(XOrAttrib(0x81), 0x81, -1),
  };
#undef ROW
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (unsigned v = 0; v < 256; ++v) {
      QvDrawableAttrib a;
      a.SetAttrib(static_cast<unsigned char>(v));
      a.SetColorId(77);
      ASSERT_EQ((v & 0x7F) | ((v & 0x08) ? 0 : 0x80) |
                    ((v & 0x03) == 0x03 ? 0x100 : 0),
                Tests(a))
          << v;
      c.op(a);
      const unsigned expected = c.effect == 1   ? v | c.mask
                                : c.effect == 0 ? v & ~c.mask
                                                : v ^ c.mask;
      QvDrawableAttrib copied, assigned;
      copied.Copy(a);
      ASSERT_EQ(&assigned, &(assigned = a));
      for (const QvDrawableAttrib* x : {&a, &copied, &assigned}) {
        ASSERT_EQ(expected, x->Attrib()) << v;
        ASSERT_EQ(77, x->ColorId());
      }
    }
  }
}
