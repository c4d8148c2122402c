#include <QvBase/QvNamedObj.h>

QvNamedObj::QvNamedObj(const char* name) {
  if (name != nullptr) m_Name = name;
}

QvNamedObj::QvNamedObj(const std::string& name) : m_Name(name) {}

QvNamedObj::QvNamedObj(const QvNamedObj& other) = default;

QvNamedObj::~QvNamedObj() = default;

QvNamedObj& QvNamedObj::operator=(const QvNamedObj& other) {
  if (this != &other) m_Name = other.m_Name;
  return *this;
}

void QvNamedObj::Copy(const QvNamedObj& other) {
  *this = other;
}

QvNamedObj QvNamedObj::Clone() {
  return QvNamedObj(*this);
}

void QvNamedObj::SetName(const char* name) {
  // A text inside our own name would be destroyed by emptying the name
  // first; assign() copes with an overlapping source and keeps it.
  if (name == nullptr) {
    m_Name.clear();
    return;
  }
  m_Name.assign(name);
}

void QvNamedObj::SetName(const std::string& name) {
  if (&name != &m_Name) m_Name = name;
}

const char* QvNamedObj::GetName() const {
  return m_Name.c_str();
}

const std::string& QvNamedObj::Name() const {
  return m_Name;
}
