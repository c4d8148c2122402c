// QvIdManager.cpp - smallest-free-id allocation over a flag array with a
// levelled free summary.
#include <QvBase/QvIdManager.h>

#include <algorithm>
#include <utility>

#include "objects/BitScan.h"

namespace {

constexpr unsigned kWordBits = 64;
constexpr unsigned kShift = 6;  // log2(kWordBits)
// Levels that a size_t count of flags can need.
constexpr std::size_t kMaxLevels =
    (sizeof(std::size_t) * 8 + kShift - 1) / kShift;

std::size_t WordsFor(std::size_t bits) {
  return (bits + kWordBits - 1) / kWordBits;
}

std::uint64_t BitOf(std::size_t index) {
  return std::uint64_t{1} << (index & (kWordBits - 1));
}

// Fits the summary levels to count flags. New words are zero, which is
// right as long as the flags they stand for are used; a new top level is
// filled from the level below it. All or nothing: the memory is had first
// (std::bad_alloc leaves the levels as they were), then the levels change
// without allocating.
void FitLevels(std::vector<std::vector<std::uint64_t>>& levels,
               std::size_t count) {
  // The word count of each level for count flags (none for no flags);
  // each level has a 64th of the words below it.
  std::size_t sizes[kMaxLevels];
  std::size_t n = 0;
  for (std::size_t bits = count; bits > 0;) {
    const std::size_t words = WordsFor(bits);
    sizes[n++] = words;
    if (words == 1) break;
    bits = words;
  }
  std::vector<std::vector<std::uint64_t>> added;
  for (std::size_t k = levels.size(); k < n; ++k)
    added.emplace_back(sizes[k], 0);
  levels.reserve(n);
  for (std::size_t k = 0; k < levels.size() && k < n; ++k)
    levels[k].reserve(sizes[k]);
  // From here on nothing allocates.
  levels.resize(std::min(levels.size(), n));
  for (std::size_t k = 0; k < levels.size(); ++k) levels[k].resize(sizes[k], 0);
  for (std::vector<std::uint64_t>& level : added) {
    if (!levels.empty()) {
      const std::vector<std::uint64_t>& below = levels.back();
      for (std::size_t j = 0; j < below.size(); ++j)
        if (below[j] != 0) level[j >> kShift] |= BitOf(j);
    }
    levels.push_back(std::move(level));
  }
}

}  // namespace

QvIdManager::QvIdManager() : m_NextId(0) {}

QvIdManager::QvIdManager(const QvIdManager& other) = default;

// Copies first, then swaps: a shortage of memory leaves the target whole.
QvIdManager& QvIdManager::operator=(const QvIdManager& other) {
  if (this == &other) return *this;
  std::vector<unsigned char> flags = other.m_UsedFlags;
  std::vector<std::vector<std::uint64_t>> summary = other.m_FreeSummary;
  m_UsedFlags.swap(flags);
  m_FreeSummary.swap(summary);
  m_NextId = other.m_NextId;
  return *this;
}

QvIdManager::~QvIdManager() = default;

void QvIdManager::Init() {
  // The new summary is built aside: if memory runs short, the manager
  // keeps every id it had handed out.
  std::vector<std::vector<std::uint64_t>> summary;
  FitLevels(summary, m_UsedFlags.size());
  m_FreeSummary.swap(summary);
  std::fill(m_UsedFlags.begin(), m_UsedFlags.end(), 0);
  m_NextId = 0;
  for (std::size_t id = 0; id < m_UsedFlags.size(); ++id) MarkFree(id);
}

unsigned int QvIdManager::GetNewId() {
  const unsigned int id = m_NextId;
  if (id < m_UsedFlags.size()) {
    m_UsedFlags[id] = 1;
    MarkUsed(id);
    RenewNextId();
    return id;
  }
  // Every id below the length is used: the new id extends the array. Its
  // summary bit stays clear because the id is used. Both kinds of storage
  // are had before either changes, so that a shortage of memory changes
  // nothing (the levels may have grown, by words that read as used).
  if (m_UsedFlags.size() == m_UsedFlags.capacity())
    m_UsedFlags.reserve(std::max<std::size_t>(64, 2 * m_UsedFlags.size()));
  FitLevels(m_FreeSummary, m_UsedFlags.size() + 1);
  m_UsedFlags.push_back(1);
  ++m_NextId;
  return id;
}

void QvIdManager::DelId(unsigned int id) {
  if (id >= m_UsedFlags.size()) return;
  if (m_UsedFlags[id] != 0) {
    m_UsedFlags[id] = 0;
    MarkFree(id);
  }
  if (m_NextId > id) m_NextId = id;
}

bool QvIdManager::IsUsed(unsigned int id) const {
  return id < m_UsedFlags.size() && m_UsedFlags[id] == 1;
}

void QvIdManager::RenewNextId() {
  m_NextId = static_cast<unsigned int>(FindFree(m_NextId));
}

void QvIdManager::RebuildSummary() {
  std::vector<std::vector<std::uint64_t>> summary;
  FitLevels(summary, m_UsedFlags.size());
  m_FreeSummary.swap(summary);
  for (std::size_t id = 0; id < m_UsedFlags.size(); ++id) {
    if (m_UsedFlags[id] == 0) MarkFree(id);
  }
}

void QvIdManager::MarkFree(std::size_t id) {
  std::size_t index = id;
  for (std::vector<std::uint64_t>& level : m_FreeSummary) {
    std::uint64_t& word = level[index >> kShift];
    const bool wasEmpty = word == 0;
    word |= BitOf(index);
    if (!wasEmpty) break;  // the levels above already show this word
    index >>= kShift;
  }
}

void QvIdManager::MarkUsed(std::size_t id) {
  std::size_t index = id;
  for (std::vector<std::uint64_t>& level : m_FreeSummary) {
    std::uint64_t& word = level[index >> kShift];
    word &= ~BitOf(index);
    if (word != 0) break;  // the word still holds a free id
    index >>= kShift;
  }
}

std::size_t QvIdManager::FindFree(std::size_t from) const {
  const std::size_t count = m_UsedFlags.size();
  std::size_t pos = from;
  for (std::size_t k = 0; k < m_FreeSummary.size(); ++k) {
    const std::vector<std::uint64_t>& level = m_FreeSummary[k];
    const std::size_t w = pos >> kShift;
    if (w >= level.size()) return count;
    const std::uint64_t word = level[w] & (~std::uint64_t{0} << (pos & 63));
    if (word != 0) {
      pos = (w << kShift) | qv::LowestSetBit(word);
      // Down again: each set bit promises a nonzero word below it.
      for (std::size_t d = k; d > 0; --d) {
        pos = (pos << kShift) | qv::LowestSetBit(m_FreeSummary[d - 1][pos]);
      }
      return pos;
    }
    pos = w + 1;  // first word after this one, as a bit of the next level
  }
  return count;
}
