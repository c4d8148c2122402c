// QvUserData.cpp - the views of the 8 scratch bytes, all through memcpy so
// that no view reads an object through a type it is not.
#include <QvBase/QvUserData.h>

#include <cstring>
#include <limits>

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559,
              "user data needs 32-bit IEEE floats");
static_assert(sizeof(double) == 8, "user data needs a 64-bit double");
static_assert(sizeof(int) == 4, "user data needs a 32-bit int");
static_assert(sizeof(void*) <= 8, "a pointer must fit in the user data");

namespace {

bool ByteInRange(int i) {
  return i >= 0 && i < 8;
}
bool BitInRange(int i) {
  return i >= 0 && i < 32;
}
std::uint32_t Mask(int i) {
  return std::uint32_t{1} << i;
}

}  // namespace

QvUserData::QvUserData() : m_Values{0.0f, 0.0f} {
  SetInt(-99999);
}

QvUserData::QvUserData(const QvUserData& other) {
  std::memcpy(m_Values, other.m_Values, sizeof m_Values);
}

QvUserData& QvUserData::operator=(const QvUserData& other) {
  std::memcpy(m_Values, other.m_Values, sizeof m_Values);
  return *this;
}

std::uint32_t QvUserData::Word(int half) const {
  std::uint32_t w;
  std::memcpy(&w, &m_Values[half], sizeof w);
  return w;
}

void QvUserData::SetWord(int half, std::uint32_t v) {
  std::memcpy(&m_Values[half], &v, sizeof v);
}

// The double's bit pattern is split into the two 32-bit halves, low half
// first, as the pointer view does: bytes 0..7 then hold it little-endian on
// every host, not only where memory order is little-endian.
double QvUserData::dValue() const {
  const std::uint64_t bits = Word(0) | std::uint64_t{Word(1)} << 32;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
double QvUserData::fValue() const {
  return dValue();
}

int QvUserData::iValue() const {
  const std::uint32_t w = Word(0);
  int v;
  std::memcpy(&v, &w, sizeof v);
  return v;
}
int QvUserData::GetInt() const {
  return iValue();
}

void* QvUserData::pValue() const {
  std::uint64_t bits = Word(0);
  if (sizeof(void*) > 4) bits |= std::uint64_t{Word(1)} << 32;
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(bits));
}
void* QvUserData::GetPointer() const {
  return pValue();
}

float QvUserData::fValue0() const {
  return m_Values[0];
}
float QvUserData::GetFloat() const {
  return m_Values[0];
}
float QvUserData::fValue1() const {
  return m_Values[1];
}
const float* QvUserData::fValues() const {
  return m_Values;
}

void QvUserData::SetInt(int v) {
  std::uint32_t w;
  std::memcpy(&w, &v, sizeof w);
  SetWord(0, w);
}
void QvUserData::Set(int v) {
  SetInt(v);
}
void QvUserData::SetFloat(float v) {
  m_Values[0] = v;
}

void QvUserData::SetPointer(void* p) {
  const std::uint64_t bits = reinterpret_cast<std::uintptr_t>(p);
  SetWord(0, static_cast<std::uint32_t>(bits));
  if (sizeof(void*) > 4) SetWord(1, static_cast<std::uint32_t>(bits >> 32));
}
void QvUserData::Set(void* p) {
  SetPointer(p);
}

void QvUserData::Set(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  SetWord(0, static_cast<std::uint32_t>(bits));
  SetWord(1, static_cast<std::uint32_t>(bits >> 32));
}
void QvUserData::Set(float f0, float f1) {
  m_Values[0] = f0;
  m_Values[1] = f1;
}
void QvUserData::ResetData() {
  SetWord(0, 0);
}

unsigned char QvUserData::GetByte(int i) const {
  if (!ByteInRange(i)) return 0;
  return static_cast<unsigned char>(Word(i / 4) >> (8 * (i % 4)));
}

void QvUserData::SetByte(int i, unsigned char v) {
  if (!ByteInRange(i)) return;
  const int shift = 8 * (i % 4);
  const std::uint32_t w = Word(i / 4) & ~(std::uint32_t{0xFF} << shift);
  SetWord(i / 4, w | (std::uint32_t{v} << shift));
}
void QvUserData::ResetByte(int i) {
  SetByte(i, 0);
}

std::uint32_t QvUserData::GetBit_i(int i) const {
  return BitInRange(i) ? Word(0) & Mask(i) : 0;
}
void QvUserData::SetBit_i(int i) {
  if (BitInRange(i)) SetWord(0, Word(0) | Mask(i));
}
void QvUserData::ResetBit_i(int i) {
  if (BitInRange(i)) SetWord(0, Word(0) & ~Mask(i));
}
void QvUserData::SetBit_i(int i, bool b) {
  if (b) {
    SetBit_i(i);
  } else {
    ResetBit_i(i);
  }
}

std::uint32_t QvUserData::GetBit_0() const {
  return GetBit_i(0);
}
std::uint32_t QvUserData::GetBit_1() const {
  return GetBit_i(1);
}
std::uint32_t QvUserData::GetBit_2() const {
  return GetBit_i(2);
}
std::uint32_t QvUserData::GetBit_3() const {
  return GetBit_i(3);
}
void QvUserData::SetBit_0() {
  SetBit_i(0);
}
void QvUserData::SetBit_1() {
  SetBit_i(1);
}
void QvUserData::SetBit_2() {
  SetBit_i(2);
}
void QvUserData::SetBit_3() {
  SetBit_i(3);
}
void QvUserData::ResetBit_0() {
  ResetBit_i(0);
}
void QvUserData::ResetBit_1() {
  ResetBit_i(1);
}
void QvUserData::ResetBit_2() {
  ResetBit_i(2);
}
void QvUserData::ResetBit_3() {
  ResetBit_i(3);
}
void QvUserData::SetBit_0(bool b) {
  SetBit_i(0, b);
}
void QvUserData::SetBit_1(bool b) {
  SetBit_i(1, b);
}
void QvUserData::SetBit_2(bool b) {
  SetBit_i(2, b);
}
void QvUserData::SetBit_3(bool b) {
  SetBit_i(3, b);
}

std::uint32_t QvUserData::GetVisited() const {
  return GetBit_i(0);
}
void QvUserData::SetVisited() {
  SetBit_i(0);
}
void QvUserData::ResetVisited() {
  ResetBit_i(0);
}
void QvUserData::SetVisited(bool b) {
  SetBit_i(0, b);
}
