/// \file
/// Hands out small unsigned ids, always the smallest free one.
///
/// Ids in use stay dense from 0 upward: a new manager hands out 0, 1, 2, ...
/// and an id given back with DelId is handed out again before any larger one.
/// Handing out and giving back take amortised constant time whatever the
/// number of live ids: beside the per-id flags the manager keeps a small
/// summary of which groups of ids still hold a free one, so finding the next
/// free id after a long run of used ones does not walk the run id by id.
#ifndef QVBASE_QVIDMANAGER_H
#define QVBASE_QVIDMANAGER_H

#include <QvBase/QvExport.h>

#include <cstdint>
#include <vector>

/// Hands out small unsigned ids, always the smallest free one.
class QV_BASE_API QvIdManager {
 public:
  /// An empty manager: the first id handed out is 0.
  QvIdManager();
  /// Copies the flags and the next candidate; the copy then hands out the
  /// same sequence of ids as the original, independently of it.
  QvIdManager(const QvIdManager& other);
  /// Same as the copy; assigning a manager to itself changes nothing.
  QvIdManager& operator=(const QvIdManager& other);
  ~QvIdManager();

  /// Frees every id; the flag array keeps its length and the next id
  /// handed out is 0 again. Memory short: throws std::bad_alloc and the
  /// manager is unchanged (as it is after a failed copy or assignment).
  void Init();
  /// Marks the smallest free id used and returns it. Memory short (the
  /// flags must grow): throws std::bad_alloc and the manager is unchanged.
  unsigned int GetNewId();
  /// Frees id. An id at or past the largest ever handed out (or an id that
  /// is already free) leaves the manager as it was.
  void DelId(unsigned int id);
  /// True while id is handed out; false for any id never handed out.
  bool IsUsed(unsigned int id) const;

 private:
  // Advances m_NextId past the used ids that follow it.
  void RenewNextId();
  // Rebuilds the summary from m_UsedFlags; memory short: unchanged.
  void RebuildSummary();
  void MarkFree(std::size_t id);
  void MarkUsed(std::size_t id);
  // Smallest free id at or after from, or the flag count when there is none.
  std::size_t FindFree(std::size_t from) const;

  // Entry i is 1 while id i is in use, 0 while it is free; its length is one
  // more than the largest id ever handed out.
  std::vector<unsigned char> m_UsedFlags;
  // The smallest free id, or the length of m_UsedFlags when none is free.
  unsigned int m_NextId;
  // Free-id summary in levels of 64-bit words: in level 0, bit i is set while
  // id i is free; in each higher level, bit j is set while word j of the
  // level below is nonzero.
  std::vector<std::vector<std::uint64_t>> m_FreeSummary;
};

#endif  // QVBASE_QVIDMANAGER_H
