// ListNames.h - display-list names for drawable objects.
//
// Names are nonzero 32-bit values, unique among the names currently held
// and reused after release, smallest first, so they stay small and dense
// however many objects come and go. Safe to call from any thread.
#ifndef QVBASE_SRC_OBJECTS_LISTNAMES_H
#define QVBASE_SRC_OBJECTS_LISTNAMES_H

#include <cstdint>

namespace qv {

/// Hands out a name no live holder has.
std::uint32_t AcquireListName();
/// Gives a name from AcquireListName back for reuse.
void ReleaseListName(std::uint32_t name);

}  // namespace qv

#endif  // QVBASE_SRC_OBJECTS_LISTNAMES_H
