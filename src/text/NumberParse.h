// NumberParse.h - reading numbers exactly as sscanf's "%lf", "%f" and "%d"
// do in the "C" locale, with a fast path for plain decimal texts.
#ifndef QVBASE_SRC_TEXT_NUMBERPARSE_H
#define QVBASE_SRC_TEXT_NUMBERPARSE_H

#include <cstddef>
#include <string>

namespace qv::text {

/// Length limit meaning "up to the first zero byte".
constexpr std::size_t kUntilNul = static_cast<std::size_t>(-1);

/// Converts the zero-terminated text as sscanf would. True when a value was
/// converted; `value` is written only then.
bool ReadDouble(const char* text, double* value);
bool ReadFloat(const char* text, float* value);

/// Converts the white-space word of `text` that starts at `begin` (a
/// character that is not " \t\n\r") as sscanf would convert it alone, and
/// sets *end to the index just past the word. True when a value was
/// converted; `value` is written only then.
bool ReadWordDouble(const std::string& text, std::size_t begin,
                    std::size_t* end, double* value);
bool ReadWordFloat(const std::string& text, std::size_t begin, std::size_t* end,
                   float* value);

/// The integer read of QvGetInt and GetValue(int): false when a character
/// of s[0, n) (up to the first zero byte for kUntilNul; a zero byte inside
/// a bounded range fails) is not one of "0123456789+-"; otherwise what
/// sscanf's "%d" gives, with the same true or false. A bounded text's s[n]
/// must exist and be white space or zero, as after a word of a string.
bool ReadIntWord(const char* s, std::size_t n, int* value);

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_NUMBERPARSE_H
