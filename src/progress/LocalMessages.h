// LocalMessages.h - finding a key in a local message file.
//
// The file is read from its start in pieces as fgets with a 1024-byte
// buffer delivers them: a line, or 1023 characters of a longer one. The
// first piece that contains the key (as a zero-terminated text searches
// it) wins; its text after the key, with leading blanks, double quotes,
// commas and tabs and trailing blanks, double quotes, tabs, newlines and
// carriage returns removed, is the message. The stream is left right after
// that piece, or at the end of the file when no piece holds the key.
#ifndef QVBASE_SRC_PROGRESS_LOCALMESSAGES_H
#define QVBASE_SRC_PROGRESS_LOCALMESSAGES_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace qv {

/// Characters in one piece of a line.
constexpr std::size_t kMessagePiece = 1023;
/// Size of the read area that FindLocalMessage works in.
constexpr std::size_t kMessageReadSize = 64 * 1024;

/// Rewinds stream and looks key up. Found: *text = the message (text may
/// hold key itself; it is written only at the end) and true, the stream
/// right after the matching piece. Not found: false, *text unchanged, the
/// stream at the end of the file (on a read error, where reading stopped).
/// scratch is a read area of kMessageReadSize bytes; null makes the lookup
/// read line by line.
bool FindLocalMessage(std::FILE* stream, char* scratch, const char* key,
                      std::string* text);

/// The same lookup done line by line with fgets and strstr.
bool FindLocalMessageByLines(std::FILE* stream, const char* key,
                             std::string* text);

}  // namespace qv

#endif  // QVBASE_SRC_PROGRESS_LOCALMESSAGES_H
