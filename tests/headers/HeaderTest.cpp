// The umbrella header brings in the whole public interface, laid out as
// programs built against it expect.
#include <QvBase/QvBase.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

TEST(QvHeaders, UmbrellaDeclaresTheGlobals) {
  QV_GV_INT_1 = 3;
  EXPECT_EQ(3, QV_GV_INT_1);
  QV_GV_INT_1 = 0;
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
void ExpectFamily(int first, R (P::*a)(int, int, ...),
                  R (P::*b)(int, const char*, ...),
                  R (P::*c)(K, const char*, ...)) {
  EXPECT_EQ(first, Slot(a));
  EXPECT_EQ(first + 1, Slot(b));
  EXPECT_EQ(first + 2, Slot(c));
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
  ExpectFamily<void>(3, &P::ShowMessage, &P::ShowMessage, &P::ShowMessage);
  ExpectFamily<void>(6, &P::ShowStatus, &P::ShowStatus, &P::ShowStatus);
  ExpectFamily<bool>(9, &P::Question, &P::Question, &P::Question);
  ExpectFamily<bool>(12, &P::QuestionApplyAll, &P::QuestionApplyAll,
                     &P::QuestionApplyAll);
  ExpectFamily<void>(15, &P::SendError, &P::SendError, &P::SendError);
  ExpectFamily<void>(18, &P::SendWarning, &P::SendWarning, &P::SendWarning);
  EXPECT_EQ(21, Slot(&P::CheckEscape));
  EXPECT_EQ(22, Slot(&P::Clear));  // then the destructor
#endif
}
