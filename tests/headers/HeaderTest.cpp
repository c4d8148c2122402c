// The umbrella header brings in the whole public interface, laid out as
// programs built against it expect.
#include <QvBase/QvBase.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

TEST(QvHeaders, UmbrellaDeclaresTheGlobals) {
  EXPECT_EQ(0, QV_GV_INT_1);
}

// The virtual operations keep the slots that classes derived in other
// modules were compiled against. Under the Itanium C++ ABI a pointer to a
// virtual member function holds the byte offset of its slot: plus 1 on
// most targets, or beside an adjustment with its low bit set on ARM.
#if defined(__GXX_ABI_VERSION)
namespace {

template <typename F>
int Slot(F f) {
  struct {
    std::ptrdiff_t ptr, adj;
  } rep;
  static_assert(sizeof rep == sizeof f, "not an Itanium member pointer");
  std::memcpy(&rep, &f, sizeof rep);
  const std::ptrdiff_t offset = (rep.adj & 1) != 0 ? rep.ptr : rep.ptr - 1;
  return static_cast<int>(offset / static_cast<std::ptrdiff_t>(sizeof(void*)));
}

using P = QvProgress;
using K = const QvStdString&;

// The three forms of a keyed reporter operation take neighbouring slots.
template <typename R>
std::vector<int> Family(R (P::*a)(int, int, ...),
                        R (P::*b)(int, const char*, ...),
                        R (P::*c)(K, const char*, ...)) {
  return {Slot(a), Slot(b), Slot(c)};
}

}  // namespace
#endif

TEST(QvHeaders, VirtualOperationsKeepTheirSlots) {
#if !defined(__GXX_ABI_VERSION)
  GTEST_SKIP() << "member pointers are read as the Itanium C++ ABI lays "
                  "them out, which this compiler does not use";
#else
  EXPECT_EQ(0, Slot(&QvNeutralFile::Alloc));  // then the destructor
  EXPECT_EQ(0, Slot(&QvWritableObj::WriteDataBlock));
  EXPECT_EQ(1, Slot(&QvWritableObj::ReadDataBlock));
  EXPECT_EQ(2, Slot(&QvWritableObj::IdString));
  EXPECT_EQ(3, Slot(&QvWritableObj::Version));  // then the destructor
  EXPECT_EQ(0, Slot(&QvColorTable::WriteDataBlock));
  EXPECT_EQ(3, Slot(&QvColorTable::Version));
  EXPECT_EQ(0, Slot(&QvDrawableObj::RePaint));
  EXPECT_EQ(1, Slot(&QvDrawableObj::Draw));
  EXPECT_EQ(2, Slot(&QvDrawableObj::MakeDisplayList));
  EXPECT_EQ(0, Slot(&QvSerializableObj::Read));
  EXPECT_EQ(1, Slot(&QvSerializableObj::Write));

  EXPECT_EQ(0, Slot(&P::SetTotal));
  EXPECT_EQ(1, Slot(static_cast<void (P::*)(int, bool)>(&P::ShowProgress)));
  EXPECT_EQ(2, Slot(static_cast<void (P::*)(K, bool)>(&P::ShowProgress)));
#define QV_FAMILY(R, f) Family<R>(&P::f, &P::f, &P::f)
  const std::vector<int> families[] = {
      QV_FAMILY(void, ShowMessage), QV_FAMILY(void, ShowStatus),
      QV_FAMILY(bool, Question),    QV_FAMILY(bool, QuestionApplyAll),
      QV_FAMILY(void, SendError),   QV_FAMILY(void, SendWarning)};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(std::vector<int>({3 * i + 3, 3 * i + 4, 3 * i + 5}), families[i]);
  EXPECT_EQ(21, Slot(&P::CheckEscape));
  EXPECT_EQ(22, Slot(&P::Clear));  // then the destructor
#endif
}
