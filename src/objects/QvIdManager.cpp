// QvIdManager.cpp - smallest-free-id allocation over a flag array with a
// levelled free summary.
#include <QvBase/QvIdManager.h>

#include <algorithm>

#include "objects/BitScan.h"

namespace {

constexpr unsigned kWordBits = 64;
constexpr unsigned kShift = 6;  // log2(kWordBits)

std::size_t WordsFor(std::size_t bits) {
  return (bits + kWordBits - 1) / kWordBits;
}

std::uint64_t BitOf(std::size_t index) {
  return std::uint64_t{1} << (index & (kWordBits - 1));
}

// Fits the summary levels to count flags. New words are zero, which is
// right as long as the flags they stand for are used; a new top level is
// filled from the level below it.
void FitLevels(std::vector<std::vector<std::uint64_t>>& levels,
               std::size_t count) {
  std::size_t bits = count;
  for (std::size_t k = 0; bits > 0; ++k) {
    const std::size_t words = WordsFor(bits);
    if (k == levels.size()) {
      levels.emplace_back(words, 0);
      if (k > 0) {
        const std::vector<std::uint64_t>& below = levels[k - 1];
        for (std::size_t j = 0; j < below.size(); ++j) {
          if (below[j] != 0) levels[k][j >> kShift] |= BitOf(j);
        }
      }
    } else if (levels[k].size() != words) {
      levels[k].resize(words, 0);
    }
    if (words == 1) {
      levels.resize(k + 1);
      break;
    }
    bits = words;
  }
  if (count == 0) levels.clear();
}

}  // namespace

QvIdManager::QvIdManager() : m_NextId(0) {}

QvIdManager::QvIdManager(const QvIdManager& other) = default;

QvIdManager& QvIdManager::operator=(const QvIdManager& other) = default;

QvIdManager::~QvIdManager() = default;

void QvIdManager::Init() {
  std::fill(m_UsedFlags.begin(), m_UsedFlags.end(), 0);
  m_NextId = 0;
  RebuildSummary();
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
  // summary bit stays clear because the id is used.
  m_UsedFlags.push_back(1);
  FitLevels(m_FreeSummary, m_UsedFlags.size());
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
  m_FreeSummary.clear();
  FitLevels(m_FreeSummary, m_UsedFlags.size());
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
