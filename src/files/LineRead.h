// LineRead.h - the lines of a text stream, read as fgets reads them.
#ifndef QVBASE_SRC_FILES_LINEREAD_H
#define QVBASE_SRC_FILES_LINEREAD_H

#include <cstddef>
#include <cstdio>

namespace qv::files {

/// fgets(out, size, stream): the characters up to and including the next
/// newline, at most size - 1 of them, zero-terminated. False at the end of
/// the stream before any character, and after a read error in this call
/// (out is then undefined). The stream is read without its lock: one
/// thread at a time.
bool ReadLine(std::FILE* stream, char* out, std::size_t size);

}  // namespace qv::files

#endif  // QVBASE_SRC_FILES_LINEREAD_H
