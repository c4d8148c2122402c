// NumberParse.h - reading numbers exactly as sscanf's "%lf", "%f" and "%d"
// do in the "C" locale, with a fast path for plain decimal texts.
#ifndef QVBASE_SRC_TEXT_NUMBERPARSE_H
#define QVBASE_SRC_TEXT_NUMBERPARSE_H

#include <cstddef>

namespace qv::text {

/// Length limit meaning "up to the first zero byte".
constexpr std::size_t kUntilNul = static_cast<std::size_t>(-1);

/// Converts the text s[0, n) (or up to its first zero byte, whichever comes
/// first) as sscanf would convert the zero-terminated copy of it. True when
/// a value was converted; `value` is written only then. For a bounded text
/// the character s[n] must exist and be white space or a zero byte: words
/// cut from a string are such texts.
bool ReadDouble(const char* s, std::size_t n, double* value);
bool ReadFloat(const char* s, std::size_t n, float* value);

/// The integer read of QvGetInt and GetValue(int): false when a character
/// of s[0, n) (up to the first zero byte for kUntilNul; a zero byte inside
/// a bounded range fails) is not one of "0123456789+-"; otherwise what
/// sscanf's "%d" gives, with the same true or false.
bool ReadIntWord(const char* s, std::size_t n, int* value);

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_NUMBERPARSE_H
