// Format.h - printf-style formatting into a std::string without cutting.
#ifndef QVBASE_SRC_TEXT_FORMAT_H
#define QVBASE_SRC_TEXT_FORMAT_H

#include <cstdarg>
#include <string>

namespace qv::text {

/// Formats `args` by `format` (vsnprintf, the process's locale) and either
/// replaces `out` by the result or appends it. Results below 1024 bytes are
/// built in a stack area; longer ones are formatted a second time into a
/// heap area of the exact size, so nothing is ever cut. The arguments may
/// point into `out` itself. A format that the C library rejects, or a null
/// format, gives an empty result (nothing is appended). Returns false then.
/// The result ends at its first zero byte (a %c of 0), as a text does.
/// Memory short for the result (or for the C library's own formatting
/// area): throws std::bad_alloc, `out` unchanged.
bool FormatInto(std::string& out, bool append, const char* format,
                std::va_list args);

}  // namespace qv::text

#endif  // QVBASE_SRC_TEXT_FORMAT_H
