// QvDrawableAttrib.cpp - the two attribute bytes of a drawable object.
#include <QvBase/QvDrawableAttrib.h>

namespace {

constexpr unsigned char kVisible = 0x01;
constexpr unsigned char kPickable = 0x02;
constexpr unsigned char kSelected = 0x04;
constexpr unsigned char kShading = 0x08;
constexpr unsigned char kHiddenLine = 0x10;
constexpr unsigned char kIsoLine = 0x20;
constexpr unsigned char kMarking = 0x40;

}  // namespace

QvDrawableAttrib::QvDrawableAttrib()
    : m_Attrib(kVisible | kPickable), m_ColorId(0) {}

QvDrawableAttrib& QvDrawableAttrib::operator=(const QvDrawableAttrib& other) {
  Copy(other);
  return *this;
}

void QvDrawableAttrib::Copy(const QvDrawableAttrib& other) {
  m_Attrib = other.m_Attrib;
  m_ColorId = other.m_ColorId;
}

unsigned char QvDrawableAttrib::Attrib() const {
  return m_Attrib;
}
void QvDrawableAttrib::SetAttrib(unsigned char v) {
  m_Attrib = v;
}
void QvDrawableAttrib::AndAttrib(unsigned char v) {
  m_Attrib &= v;
}
void QvDrawableAttrib::OrAttrib(unsigned char v) {
  m_Attrib |= v;
}
void QvDrawableAttrib::XOrAttrib(unsigned char v) {
  m_Attrib ^= v;
}

unsigned char QvDrawableAttrib::ColorId() const {
  return m_ColorId;
}
void QvDrawableAttrib::SetColorId(unsigned char id) {
  m_ColorId = id;
}

void QvDrawableAttrib::SetBits(unsigned char mask, bool on) {
  if (on) {
    m_Attrib |= mask;
  } else {
    m_Attrib &= static_cast<unsigned char>(~mask);
  }
}

bool QvDrawableAttrib::IsVisible() const {
  return (m_Attrib & kVisible) != 0;
}
bool QvDrawableAttrib::IsPickable() const {
  return (m_Attrib & kPickable) != 0;
}
bool QvDrawableAttrib::IsVisiPickable() const {
  return (m_Attrib & (kVisible | kPickable)) == (kVisible | kPickable);
}
bool QvDrawableAttrib::IsSelected() const {
  return (m_Attrib & kSelected) != 0;
}
bool QvDrawableAttrib::IsShading() const {
  return (m_Attrib & kShading) != 0;
}
bool QvDrawableAttrib::IsWireframe() const {
  return (m_Attrib & kShading) == 0;
}
bool QvDrawableAttrib::IsHiddenLine() const {
  return (m_Attrib & kHiddenLine) != 0;
}
bool QvDrawableAttrib::IsIsoLine() {
  return (m_Attrib & kIsoLine) != 0;
}
bool QvDrawableAttrib::IsIsoLine() const {
  return (m_Attrib & kIsoLine) != 0;
}
bool QvDrawableAttrib::IsMarking() const {
  return (m_Attrib & kMarking) != 0;
}

void QvDrawableAttrib::SetShow() {
  SetBits(kVisible, true);
}
void QvDrawableAttrib::SetVisible() {
  SetBits(kVisible, true);
}
void QvDrawableAttrib::SetNoShow() {
  SetBits(kVisible, false);
}
void QvDrawableAttrib::SetInVisible() {
  SetBits(kVisible, false);
}
void QvDrawableAttrib::SetVisible(bool b) {
  SetBits(kVisible, b);
}
void QvDrawableAttrib::ChangeVisible() {
  m_Attrib ^= kVisible;
}

void QvDrawableAttrib::SetPick() {
  SetBits(kPickable, true);
}
void QvDrawableAttrib::SetPickable() {
  SetBits(kPickable, true);
}
void QvDrawableAttrib::SetNoPick() {
  SetBits(kPickable, false);
}
void QvDrawableAttrib::SetUnPickable() {
  SetBits(kPickable, false);
}
void QvDrawableAttrib::ChangePickable() {
  m_Attrib ^= kPickable;
}

void QvDrawableAttrib::SetSelected() {
  SetBits(kSelected, true);
}
void QvDrawableAttrib::SetUnSelected() {
  SetBits(kSelected, false);
}
void QvDrawableAttrib::ChangeSelected() {
  m_Attrib ^= kSelected;
}

void QvDrawableAttrib::SetShading(bool b) {
  SetBits(kShading, b);
}
void QvDrawableAttrib::SetWireframe(bool b) {
  SetBits(kShading, !b);
}
void QvDrawableAttrib::SetHiddenLine(bool b) {
  SetBits(kHiddenLine, b);
}
void QvDrawableAttrib::SetIsoLine(bool b) {
  SetBits(kIsoLine, b);
}
void QvDrawableAttrib::SetMarking(bool b) {
  SetBits(kMarking, b);
}
void QvDrawableAttrib::ChangeMarking() {
  m_Attrib ^= kMarking;
}
