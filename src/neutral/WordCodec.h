// WordCodec.h - bulk conversion between host values and their stored
// bytes, for the array reads and writes of the neutral file.
//
// Values are 4-byte (int, unsigned int, float bit patterns) or 8-byte
// (double bit patterns) words. Stored bytes are little-endian, or
// most-significant byte first when `reversed` is set (files whose order
// byte is non-zero). The loops are kept free of branches and aliasing so
// that compilers vectorise them.
#ifndef QVBASE_SRC_NEUTRAL_WORDCODEC_H
#define QVBASE_SRC_NEUTRAL_WORDCODEC_H

#include <cstddef>

namespace qv {

// Host words at src -> little-endian bytes at dst (count words).
void EncodeWords4(unsigned char* dst, const void* src, std::size_t count);
void EncodeWords8(unsigned char* dst, const void* src, std::size_t count);

// Stored bytes at src -> host words at dst (count words).
void DecodeWords4(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed);
void DecodeWords8(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed);

// Stored bytes -> host words where they lie (count words at words), for
// data read straight into the caller's array. Nothing to do on a
// little-endian host unless reversed.
void DecodeWordsInPlace4(void* words, std::size_t count, bool reversed);
void DecodeWordsInPlace8(void* words, std::size_t count, bool reversed);

// The shift-based forms that the functions above use on a host of unknown
// byte order; kept callable so that they are tested on every host.
namespace portable {
void EncodeWords4(unsigned char* dst, const void* src, std::size_t count);
void EncodeWords8(unsigned char* dst, const void* src, std::size_t count);
void DecodeWords4(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed);
void DecodeWords8(void* dst, const unsigned char* src, std::size_t count,
                  bool reversed);
}  // namespace portable

}  // namespace qv

#endif  // QVBASE_SRC_NEUTRAL_WORDCODEC_H
