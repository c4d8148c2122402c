/// \file
/// Base for objects that write themselves to and read themselves from
/// standard streams.
///
/// The library fixes only the two virtual operations (empty here) and one
/// process-wide read version that derived Read operations may consult. The
/// read version is unguarded: callers reading on several threads at once
/// must not rely on it. The destructor is deliberately not virtual.
#ifndef QVBASE_QVSERIALIZABLEOBJ_H
#define QVBASE_QVSERIALIZABLEOBJ_H

#include <QvBase/QvExport.h>

#include <istream>
#include <ostream>

/// Base of objects that read and write themselves through standard
/// streams, with one process-wide read version.
class QV_BASE_API QvSerializableObj {
 public:
  QvSerializableObj() = default;
  /// The base has no data of its own: copying copies nothing.
  QvSerializableObj(const QvSerializableObj&) = default;
  /// \copydoc QvSerializableObj(const QvSerializableObj&)
  QvSerializableObj& operator=(const QvSerializableObj&) = default;

  /// Reads the object from a stream; the base reads nothing.
  virtual void Read(std::istream& in);
  /// Writes the object to a stream; the base writes nothing.
  virtual void Write(std::ostream& out);

  /// Stores version as the read version; returns the value it replaced.
  static unsigned int SetReadVersion(unsigned int version);
  /// The current read version (0 from load on until set).
  static unsigned int GetReadVersion();

 protected:
  /// The read version of SetReadVersion and GetReadVersion.
  static unsigned int m_ReadVersion;
};

#endif  // QVBASE_QVSERIALIZABLEOBJ_H
