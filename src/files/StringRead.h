// StringRead.h - the white-space delimited strings of a text stream, read
// as fscanf's "%s" reads them in the "C" locale.
#ifndef QVBASE_SRC_FILES_STRINGREAD_H
#define QVBASE_SRC_FILES_STRINGREAD_H

#include <cstddef>
#include <cstdio>

namespace qv::files {

/// Skips the white space (blank, \t, \n, \v, \f, \r) at the stream's
/// position, then moves up to `max` of the characters that follow, up to
/// the next white space, into out (zero bytes included). The white space
/// that ends the string stays in the stream. Returns how many characters
/// were moved: 0 at the end of the stream (or on a read error) before any
/// character. *hasZero (when hasZero is not null) tells whether a zero
/// byte was among them. The stream is read without its lock: one thread
/// at a time.
std::size_t ReadString(std::FILE* stream, char* out, std::size_t max,
                       bool* hasZero);

}  // namespace qv::files

#endif  // QVBASE_SRC_FILES_STRINGREAD_H
