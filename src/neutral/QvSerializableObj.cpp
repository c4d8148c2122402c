#include <QvBase/QvSerializableObj.h>

// Zero-initialised: holds 0 from the moment the module is mapped.
unsigned int QvSerializableObj::m_ReadVersion = 0;

void QvSerializableObj::Read(std::istream&) {}

void QvSerializableObj::Write(std::ostream&) {}

unsigned int QvSerializableObj::SetReadVersion(unsigned int version) {
  const unsigned int old = m_ReadVersion;
  m_ReadVersion = version;
  return old;
}

unsigned int QvSerializableObj::GetReadVersion() {
  return m_ReadVersion;
}
