// SafeReplace.h - replacing a file in one step: the new content goes to a
// temporary file beside the target, which is forced to storage and then
// renamed over the target, so that the target is at every moment either
// its old self or the complete new file.
#ifndef QVBASE_SRC_FRAME_SAFEREPLACE_H
#define QVBASE_SRC_FRAME_SAFEREPLACE_H

#include <cstdio>
#include <string>

namespace qv::platform {

/// The file that a replacement of path replaces: path itself, or the file
/// at the end of its chain of symbolic links (so the link stays a link).
/// False for a null or empty path and for links that loop or can't be read.
bool ReplaceTarget(const char* path, std::string* target);

/// Where the six characters of a temporary name's attempt come from (a
/// test makes names collide with it).
using SuffixSource = std::string (*)(int attempt);

/// Creates a new, empty file beside target, exclusively (never one that
/// exists), named "." + target's name + ".qvtmp." + six characters, random
/// ones or suffix(attempt) when suffix is given, and opens it for binary
/// writing; *temp receives its path. Null when the folder cannot take a
/// new file, or after 100 names that are taken.
std::FILE* CreateTempBeside(const std::string& target, std::string* temp,
                            SuffixSource suffix = nullptr);

/// Completes a replacement: flushes stream, gives the file the target's
/// permission bits (and, where allowed, its owner), forces it to storage,
/// closes it and renames it over target; then syncs the folder, whose
/// refusal no longer fails the replacement (the rename is made). The
/// stream is closed on every path; on failure the temporary file is
/// removed and the target is untouched.
bool CommitTemp(std::FILE* stream, const std::string& temp,
                const std::string& target) noexcept;

/// Closes stream (unless null) and removes the temporary file (unless
/// temp is empty); the target is untouched.
void DiscardTemp(std::FILE* stream, const std::string& temp);

}  // namespace qv::platform

#endif  // QVBASE_SRC_FRAME_SAFEREPLACE_H
