// QvDrawableObj.cpp - colour and display-list cycle of a drawable object.
#include <QvBase/QvDrawableObj.h>

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>

#include "objects/ListNames.h"

namespace {

constexpr float kDefaultColor[4] = {0.0f, 1.0f, 0.0f, 1.0f};

// The name for an object's first list: the pool's next one that the
// current context does not use already. A name the application took in the
// range (by hand, or from glGenLists in a context where the objects'
// lists came later) stays the application's and is never handed out
// again. 0 when the pool has none left.
std::uint32_t FirstListName() {
  for (;;) {
    const std::uint32_t name = qv::AcquireListName();
    if (name == 0 || glIsList(name) == GL_FALSE) return name;
  }
}

}  // namespace

QvDrawableObj::QvDrawableObj()
    : m_Color{0.0f, 0.0f, 0.0f, 0.0f}, m_ListName(0) {
  Init0();
}

QvDrawableObj::QvDrawableObj(const QvDrawableObj& other)
    : QvDrawableAttrib(other),
      m_Color{other.m_Color[0], other.m_Color[1], other.m_Color[2],
              other.m_Color[3]},
      m_ListName(0) {}

QvDrawableObj& QvDrawableObj::operator=(const QvDrawableObj& other) {
  QvDrawableAttrib::operator=(other);
  for (int i = 0; i < 4; ++i) m_Color[i] = other.m_Color[i];
  return *this;
}

QvDrawableObj::~QvDrawableObj() {
  DelDisplayList();
  qv::ReleaseListName(m_ListName);
}

void QvDrawableObj::Init0() {
  for (int i = 0; i < 4; ++i) m_Color[i] = kDefaultColor[i];
}

void QvDrawableObj::RePaint() const {
  CallDisplayList();
}

void QvDrawableObj::MakeDisplayList() {
  InitDisplayList();
  if (m_ListName == 0) return;  // no name left: nothing to compile into
  Draw();
  EndDisplayList();
}

void QvDrawableObj::SetColor(float* const rgb) {
  SetColor(rgb[0], rgb[1], rgb[2], 1.0f);
}

void QvDrawableObj::SetColor(float r, float g, float b, float a) {
  m_Color[0] = r;
  m_Color[1] = g;
  m_Color[2] = b;
  m_Color[3] = a;
}

void QvDrawableObj::GetColor(float& r, float& g, float& b) const {
  r = m_Color[0];
  g = m_Color[1];
  b = m_Color[2];
}

void QvDrawableObj::GetColor(float& r, float& g, float& b, float& a) const {
  GetColor(r, g, b);
  a = m_Color[3];
}

const float* QvDrawableObj::GetColor() const {
  return m_Color;
}

unsigned char QvDrawableObj::IsDisplayList() const {
  return m_ListName != 0 ? glIsList(m_ListName) : GL_FALSE;
}

void QvDrawableObj::DelDisplayList() {
  if (IsDisplayList() != 0) glDeleteLists(m_ListName, 1);
}

void QvDrawableObj::InitDisplayList() {
  DelDisplayList();
  if (m_ListName == 0) m_ListName = FirstListName();
  if (m_ListName != 0) glNewList(m_ListName, GL_COMPILE);
}

void QvDrawableObj::EndDisplayList() {
  if (m_ListName != 0) glEndList();
}

void QvDrawableObj::CallDisplayList() const {
  if (m_ListName != 0) glCallList(m_ListName);
}

void QvDrawableObj::DrawToSelect(void* selName) {
  const auto bits = reinterpret_cast<std::uintptr_t>(selName);
  glLoadName(static_cast<GLuint>(bits & 0xFFFFFFFFu));
  RePaint();
}

void QvDrawableObj::SetGlColor() const {
  glColor4fv(m_Color);
}

void QvDrawableObj::SetGlColorSelected() const {
  glColor3f(1.0f, 0.0f, 0.0f);
}

std::uint32_t QvDrawableObj::ListName() const {
  return m_ListName;
}
