#include "neutral/WordCodec.h"

#include <cstdint>
#include <cstring>

#include "neutral/Encoding.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
// GCC and Clang can build one function for a wider instruction set than
// the rest of the file and say at run time whether the processor has it.
#if (defined(__GNUC__) || defined(__clang__)) && \
    (defined(__x86_64__) || defined(__i386__))
#define QV_SWAP_AVX2 1
#include <immintrin.h>
#endif

namespace qv {
namespace portable {

void EncodeWords4(unsigned char* dst, const void* src, std::size_t count) {
  const auto* in = static_cast<const unsigned char*>(src);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t v;
    std::memcpy(&v, in + 4 * i, 4);
    EncodeFixed32(dst + 4 * i, v);
  }
}

void EncodeWords8(unsigned char* dst, const void* src, std::size_t count) {
  const auto* in = static_cast<const unsigned char*>(src);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t v;
    std::memcpy(&v, in + 8 * i, 8);
    EncodeFixed64(dst + 8 * i, v);
  }
}

void DecodeWords4(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed) {
  auto* out = static_cast<unsigned char*>(dst);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t v = reversed ? DecodeFixed32Reversed(src + 4 * i)
                                     : DecodeFixed32(src + 4 * i);
    std::memcpy(out + 4 * i, &v, 4);
  }
}

void DecodeWords8(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed) {
  auto* out = static_cast<unsigned char*>(dst);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t v = reversed ? DecodeFixed64Reversed(src + 8 * i)
                                     : DecodeFixed64(src + 8 * i);
    std::memcpy(out + 8 * i, &v, 8);
  }
}

}  // namespace portable

namespace {

// Little-endian host: a stored word is the host word, or its byte swap.
// Compilers turn a byte-swap loop into vector code only where the target
// has a byte shuffle; x86-64's baseline (SSE2) has none, so there the swap
// is spelt out on 16-byte vectors: swap the bytes of each 16-bit lane, then
// the lanes within each word.
#if defined(__SSE2__) || defined(_M_X64)
// Runs on x86-64 processors without AVX2 (those with it take the AVX2
// form below), so a run on a processor with AVX2 never reaches it.
// GCOVR_EXCL_START
inline __m128i SwapLaneBytes(__m128i x) {
  return _mm_or_si128(_mm_slli_epi16(x, 8), _mm_srli_epi16(x, 8));
}

std::size_t SwapVectors4(unsigned char* out, const unsigned char* in,
                         std::size_t count) {
  const std::size_t words = count - count % 4;
  for (std::size_t i = 0; i < words; i += 4) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
    x = SwapLaneBytes(x);
    x = _mm_shufflelo_epi16(x, _MM_SHUFFLE(2, 3, 0, 1));
    x = _mm_shufflehi_epi16(x, _MM_SHUFFLE(2, 3, 0, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), x);
  }
  return words;
}

std::size_t SwapVectors8(unsigned char* out, const unsigned char* in,
                         std::size_t count) {
  const std::size_t words = count - count % 2;
  for (std::size_t i = 0; i < words; i += 2) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8 * i));
    x = SwapLaneBytes(x);
    x = _mm_shufflelo_epi16(x, _MM_SHUFFLE(0, 1, 2, 3));
    x = _mm_shufflehi_epi16(x, _MM_SHUFFLE(0, 1, 2, 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * i), x);
  }
  return words;
}
// GCOVR_EXCL_STOP
#else
std::size_t SwapVectors4(unsigned char*, const unsigned char*, std::size_t) {
  return 0;
}
std::size_t SwapVectors8(unsigned char*, const unsigned char*, std::size_t) {
  return 0;
}
#endif

// Where the processor has AVX2, one byte shuffle reverses every word of a
// 32-byte vector: several times the speed of the SSE2 steps above, which
// makes swapping cost less than reading.
#if defined(QV_SWAP_AVX2)
template <std::size_t W>
__attribute__((target("avx2"))) std::size_t SwapVectorsAvx2(
    unsigned char* out, const unsigned char* in, std::size_t count) {
  // Within each 16-byte half, byte k comes from byte k ^ (W - 1).
  const __m256i order =
      W == 4 ? _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14,
                                13, 12, 3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8,
                                15, 14, 13, 12)
             : _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10,
                                9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12,
                                11, 10, 9, 8);
  const std::size_t blocks = count * W / 32;
  for (std::size_t b = 0; b < blocks; ++b) {
    __m256i x =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32 * b));
    x = _mm256_shuffle_epi8(x, order);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * b), x);
  }
  return blocks * 32 / W;
}

bool HasAvx2() {
  return __builtin_cpu_supports("avx2");
}
#else
template <std::size_t W>
std::size_t SwapVectorsAvx2(unsigned char*, const unsigned char*, std::size_t) {
  return 0;
}

bool HasAvx2() {
  return false;
}
#endif

void SwapWords4(unsigned char* out, const unsigned char* in,
                std::size_t count) {
  const std::size_t vectors = HasAvx2() ? SwapVectorsAvx2<4>(out, in, count)
                                        : SwapVectors4(out, in, count);
  for (std::size_t i = vectors; i < count; ++i) {
    std::uint32_t v;
    std::memcpy(&v, in + 4 * i, 4);
    v = ByteSwap32(v);
    std::memcpy(out + 4 * i, &v, 4);
  }
}

void SwapWords8(unsigned char* out, const unsigned char* in,
                std::size_t count) {
  const std::size_t vectors = HasAvx2() ? SwapVectorsAvx2<8>(out, in, count)
                                        : SwapVectors8(out, in, count);
  for (std::size_t i = vectors; i < count; ++i) {
    std::uint64_t v;
    std::memcpy(&v, in + 8 * i, 8);
    v = ByteSwap64(v);
    std::memcpy(out + 8 * i, &v, 8);
  }
}

}  // namespace

void EncodeWords4(unsigned char* dst, const void* src, std::size_t count) {
  if (count == 0) return;
  if (kHostLittleEndian)
    std::memcpy(dst, src, 4 * count);
  else
    portable::EncodeWords4(dst, src, count);
}

void EncodeWords8(unsigned char* dst, const void* src, std::size_t count) {
  if (count == 0) return;
  if (kHostLittleEndian)
    std::memcpy(dst, src, 8 * count);
  else
    portable::EncodeWords8(dst, src, count);
}

void DecodeWords4(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed) {
  if (count == 0) return;
  if (!kHostLittleEndian)
    portable::DecodeWords4(dst, src, count, reversed);
  else if (reversed)
    SwapWords4(static_cast<unsigned char*>(dst), src, count);
  else
    std::memcpy(dst, src, 4 * count);
}

void DecodeWords8(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed) {
  if (count == 0) return;
  if (!kHostLittleEndian)
    portable::DecodeWords8(dst, src, count, reversed);
  else if (reversed)
    SwapWords8(static_cast<unsigned char*>(dst), src, count);
  else
    std::memcpy(dst, src, 8 * count);
}

// Each word is loaded whole before its place is written, and no word
// overlaps another, so the swaps and the portable forms work in place.
void DecodeWordsInPlace4(void* words, std::size_t count, bool reversed) {
  auto* p = static_cast<unsigned char*>(words);
  if (count == 0) return;
  if (!kHostLittleEndian)
    portable::DecodeWords4(p, p, count, reversed);
  else if (reversed)
    SwapWords4(p, p, count);
}

void DecodeWordsInPlace8(void* words, std::size_t count, bool reversed) {
  auto* p = static_cast<unsigned char*>(words);
  if (count == 0) return;
  if (!kHostLittleEndian)
    portable::DecodeWords8(p, p, count, reversed);
  else if (reversed)
    SwapWords8(p, p, count);
}

}  // namespace qv
