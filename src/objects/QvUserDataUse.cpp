// QvUserDataUse.cpp - claim bookkeeping for the bytes and bits of user data.
#include <QvBase/QvUserDataUse.h>

namespace {

bool ByteInRange(int i) {
  return i >= 0 && i < 4;
}
bool BitInRange(int i) {
  return i >= 0 && i < 32;
}
std::uint32_t ByteMask(int i) {
  return std::uint32_t{0xFF} << (8 * i);
}
std::uint32_t BitMask(int i) {
  return std::uint32_t{1} << i;
}

}  // namespace

QvUserDataUse& QvUserDataUse::operator=(const QvUserDataUse& other) {
  m_Use = other.m_Use;
  return *this;
}

std::uint32_t QvUserDataUse::GetFullUse() const {
  return m_Use;
}
void QvUserDataUse::SetFullUse() {
  m_Use = 0xFFFFFFFFu;
}
void QvUserDataUse::ResetFullUse() {
  m_Use = 0;
}

std::uint32_t QvUserDataUse::GetByteUse(int i) const {
  return ByteInRange(i) ? m_Use & ByteMask(i) : 0;
}
void QvUserDataUse::SetByteUse(int i) {
  if (ByteInRange(i)) m_Use |= ByteMask(i);
}
void QvUserDataUse::ResetByteUse(int i) {
  if (ByteInRange(i)) m_Use &= ~ByteMask(i);
}

std::uint32_t QvUserDataUse::GetBitUse(int i) const {
  return BitInRange(i) ? m_Use & BitMask(i) : 0;
}
void QvUserDataUse::SetBitUse(int i) {
  if (BitInRange(i)) m_Use |= BitMask(i);
}
void QvUserDataUse::ResetBitUse(int i) {
  if (BitInRange(i)) m_Use &= ~BitMask(i);
}

std::uint32_t QvUserDataUse::GetVisitedUse() const {
  return GetBitUse(0);
}
void QvUserDataUse::SetVisitedUse() {
  SetBitUse(0);
}
void QvUserDataUse::ResetVisitedUse() {
  ResetBitUse(0);
}

int QvUserDataUse::GetFirstByte() {
  for (int i = 0; i < 4; ++i) {
    if ((m_Use & ByteMask(i)) == 0) {
      m_Use |= ByteMask(i);
      return i;
    }
  }
  return -1;
}

int QvUserDataUse::GetFirstBit() {
  for (int i = 0; i < 32; ++i) {
    if ((m_Use & BitMask(i)) == 0) {
      m_Use |= BitMask(i);
      return i;
    }
  }
  return -1;
}
