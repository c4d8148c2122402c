#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "neutral/Encoding.h"
#include "neutral/WordCodec.h"

namespace {

using Bytes = std::vector<unsigned char>;

template <typename T>
Bytes AsBytes(const std::vector<T>& words) {
  const auto* b = reinterpret_cast<const unsigned char*>(words.data());
  return Bytes(b, b + sizeof(T) * words.size());
}

// The host's fast paths (also in place) and the shift-based ones must agree
// word for word, for every tail length of the vector loops and both byte
// orders.
TEST(QvEncoding, BulkCodecMatchesPortableForm) {
  std::mt19937 rng(20240229);
  for (std::size_t count = 0; count <= 37; ++count) {
    SCOPED_TRACE(count);
    Bytes stored(8 * count + 1);
    for (auto& b : stored) b = static_cast<unsigned char>(rng());
    const unsigned char* src = stored.data() + 1;  // unaligned on purpose
    for (bool rev : {false, true}) {
      std::vector<std::uint32_t> a4(count), p4(count);
      std::vector<std::uint64_t> a8(count), p8(count);
      qv::DecodeWords4(a4.data(), src, count, rev);
      qv::portable::DecodeWords4(p4.data(), src, count, rev);
      qv::DecodeWords8(a8.data(), src, count, rev);
      qv::portable::DecodeWords8(p8.data(), src, count, rev);
      EXPECT_EQ(p4, a4);
      EXPECT_EQ(p8, a8);
      Bytes in4(src, src + 4 * count), in8(src, src + 8 * count);
      qv::DecodeWordsInPlace4(in4.data(), count, rev);
      qv::DecodeWordsInPlace8(in8.data(), count, rev);
      EXPECT_EQ(AsBytes(p4), in4);
      EXPECT_EQ(AsBytes(p8), in8);
      for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* at4 = src + 4 * i;
        const unsigned char* at8 = src + 8 * i;
        ASSERT_EQ(rev ? qv::DecodeFixed32Reversed(at4) : qv::DecodeFixed32(at4),
                  a4[i]);
        ASSERT_EQ(rev ? qv::DecodeFixed64Reversed(at8) : qv::DecodeFixed64(at8),
                  a8[i]);
      }
    }
    std::vector<std::uint32_t> w4(count);
    std::vector<std::uint64_t> w8(count);
    for (auto& w : w4) w = static_cast<std::uint32_t>(rng());
    for (auto& w : w8) w = (static_cast<std::uint64_t>(rng()) << 32) | rng();
    Bytes e4(4 * count), q4(4 * count), e8(8 * count), q8(8 * count);
    qv::EncodeWords4(e4.data(), w4.data(), count);
    qv::portable::EncodeWords4(q4.data(), w4.data(), count);
    qv::EncodeWords8(e8.data(), w8.data(), count);
    qv::portable::EncodeWords8(q8.data(), w8.data(), count);
    EXPECT_EQ(q4, e4);
    EXPECT_EQ(q8, e8);
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_EQ(w4[i], qv::DecodeFixed32(e4.data() + 4 * i));
      ASSERT_EQ(w8[i], qv::DecodeFixed64(e8.data() + 8 * i));
    }
  }
}

}  // namespace
