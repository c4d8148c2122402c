/// \file
/// Base class for objects that carry a name.
///
/// The object owns one standard string. A null character pointer always
/// means the empty name. The destructor is virtual so that derived objects
/// can be destroyed through a QvNamedObj pointer.
#ifndef QVBASE_QVNAMEDOBJ_H
#define QVBASE_QVNAMEDOBJ_H

#include <QvBase/QvExport.h>

#include <string>

/// Base class of objects that carry a name.
class QV_BASE_API QvNamedObj {
 public:
  /// Name from a terminated text; null (the default) gives the empty name.
  QvNamedObj(const char* name = nullptr);
  /// Name copied from `name`.
  QvNamedObj(const std::string& name);
  /// Copies the name.
  QvNamedObj(const QvNamedObj& other);
  virtual ~QvNamedObj();

  /// Copies the name; assigning an object to itself keeps it.
  QvNamedObj& operator=(const QvNamedObj& other);
  /// The same as operator= without the result.
  void Copy(const QvNamedObj& other);
  /// A new object with the same name.
  QvNamedObj Clone();

  /// Empties the name, then takes the text up to its terminator; null
  /// leaves the name empty. A pointer into the object's own name (such as
  /// its GetName()) keeps the name.
  void SetName(const char* name);
  /// name = the given string; the object's own name leaves it unchanged.
  void SetName(const std::string& name);
  /// The name's characters, never null (an empty name gives ""); valid
  /// until the name next changes or the object is destroyed.
  const char* GetName() const;
  /// The name itself.
  const std::string& Name() const;

 protected:
  std::string m_Name;  ///< the name
};

#endif  // QVBASE_QVNAMEDOBJ_H
