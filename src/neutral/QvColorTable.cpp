#include <QvBase/QvColorTable.h>
#include <QvBase/QvNeutralFile.h>

#include <cmath>
#include <cstring>

#include <new>
#include "frame/LastError.h"

namespace {

constexpr unsigned int kVersion20010104 = 20010104;

// A component matches when its difference, taken in double precision, is
// strictly below the tolerance; NaN never matches.
bool IsWithin(const float* a, const float* b, float tolerance) {
  for (int i = 0; i < 4; ++i) {
    const double d = std::fabs(static_cast<double>(a[i]) - b[i]);
    if (!(d < tolerance)) return false;
  }
  return true;
}

}  // namespace

QvColorTable::QvColorTable() = default;

QvColorTable::QvColorTable(const QvColorTable& other) = default;

QvColorTable& QvColorTable::operator=(const QvColorTable& other) {
  if (this != &other) m_Colors = other.m_Colors;
  return *this;
}

QvColorTable::~QvColorTable() = default;

const char* QvColorTable::IdString() const {
  return "ColorTable";
}

unsigned int QvColorTable::Version() const {
  return kVersion20010104;
}

bool QvColorTable::WriteDataBlock(QvNeutralFile& file) const {
  // The count is one byte: a larger table would store a count that
  // disagrees with its colours, so it is refused before anything is written.
  if (m_Colors.size() > static_cast<std::size_t>(kMaxStoredColors))
    return qv::Fail(QvError::TooLarge);
  const unsigned char count = static_cast<unsigned char>(m_Colors.size());
  if (!file.WriteUChar(count)) return false;
  for (const QvColorStruct& c : m_Colors)
    if (!file.WriteFloat(c.m_Color, 4)) return false;
  return file.WriteNullIdBlock();
}

bool QvColorTable::ReadDataBlock(QvNeutralFile& file, unsigned int version) {
  if (version == kVersion20010104) return ReadNF20010104(file);
  return qv::Fail(QvError::Unsupported);
}

bool QvColorTable::ReadNF20010104(QvNeutralFile& file) {
  unsigned char count = 0;
  if (!file.ReadUChar(&count)) return false;
  // Room first, so that a shortage of memory leaves the table as it was;
  // the colours then go in without allocating.
  try {
    m_Colors.reserve(count);
  } catch (const std::bad_alloc&) {
    return qv::Fail(QvError::NoMemory);
  }
  m_Colors.clear();
  for (unsigned i = 0; i < count; ++i) {
    // Read as ints so that every bit pattern comes through unchanged.
    int bits[4];
    if (!file.ReadInt(bits, 4)) return false;
    QvColorStruct c;
    std::memcpy(c.m_Color, bits, sizeof c.m_Color);
    m_Colors.push_back(c);
  }
  return true;
}

bool QvColorTable::LoadColorTable(QvNeutralFile& file) {
  return ReadNF(file);
}

bool QvColorTable::WriteColorTable(QvNeutralFile& file) {
  return WriteNF(file);
}

QvColorTable::QvColorStruct* QvColorTable::FindSameColor(const float* rgba,
                                                         float tolerance) {
  for (QvColorStruct& c : m_Colors)
    if (IsWithin(rgba, c.m_Color, tolerance)) return &c;
  return m_Colors.data() + m_Colors.size();
}

int QvColorTable::AddColor(const float* rgba, float tolerance) {
  if (!m_Colors.empty()) {
    QvColorStruct* found = FindSameColor(rgba, tolerance);
    if (found != m_Colors.data() + m_Colors.size())
      return static_cast<int>(found - m_Colors.data());
  }
  QvColorStruct c;
  std::memcpy(c.m_Color, rgba, sizeof c.m_Color);
  try {
    m_Colors.push_back(c);
  } catch (const std::bad_alloc&) {
    qv::Fail(QvError::NoMemory);
    return -1;  // the table stays as it was
  }
  return static_cast<int>(m_Colors.size()) - 1;
}

bool QvColorTable::HasSameColor(const float* rgba, float tolerance) {
  if (m_Colors.empty()) return false;
  return FindSameColor(rgba, tolerance) != m_Colors.data() + m_Colors.size();
}

bool QvColorTable::RemoveColor(const float* rgba, float tolerance) {
  QvColorStruct* found = FindSameColor(rgba, tolerance);
  if (found == m_Colors.data() + m_Colors.size()) return false;
  m_Colors.erase(m_Colors.begin() + (found - m_Colors.data()));
  return true;
}

bool QvColorTable::GetColor(int id, float* rgba) {
  if (id < 0 || static_cast<std::size_t>(id) >= m_Colors.size()) return false;
  std::memcpy(rgba, m_Colors[static_cast<std::size_t>(id)].m_Color,
              sizeof m_Colors[0].m_Color);
  return true;
}
