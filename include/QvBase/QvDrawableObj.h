/// \file
/// A model object with a colour and an OpenGL display list.
///
/// A concrete object supplies Draw, which issues its OpenGL commands.
/// MakeDisplayList compiles Draw into the object's display list, RePaint
/// replays the list, and DrawToSelect replays it under a selection name for
/// picking. Draw sets no colour unless it calls SetGlColor (or
/// SetGlColorSelected) itself.
///
/// Each object has its own display-list name: a nonzero 32-bit name that
/// the library hands out when the object compiles its first list
/// (InitDisplayList or MakeDisplayList), unique among the live drawable
/// objects and kept for the object's life, so that a list the application
/// compiles that calls it draws the object's latest compile. A new object
/// and a copy have no name (ListName() is 0) and no list until then.
///
/// The names come from 0x80000000..0xBFFFFFFF, the highest first. They
/// never meet a name that the application takes from glGenLists in the
/// same context, before the objects' lists or after them, and they leave
/// glGenLists as fast as without them. An application that picks list
/// names by hand keeps out of that range; a name in it that the context
/// already uses when an object would take it is skipped, and never handed
/// out later. Only an object's own list is ever made, under its own name.
/// Compile each object in one context (or in contexts that share their
/// lists). Should more than 2^30 names be handed out while one of the
/// first stays held, with 2^20 objects alive besides, an object can get no
/// name: it then compiles and draws nothing.
///
/// Handing names out takes no lock, and an object may be destroyed at any
/// time, during the exit handlers included (one that never compiled makes
/// no OpenGL call then). Every operation that calls OpenGL must run on the
/// thread whose rendering context holds the object's lists; the library
/// makes no context current.
///
/// The destructor is not virtual: destroy an object through its own type,
/// never through a QvDrawableObj pointer.
#ifndef QVBASE_QVDRAWABLEOBJ_H
#define QVBASE_QVDRAWABLEOBJ_H

#include <QvBase/QvDrawableAttrib.h>
#include <QvBase/QvExport.h>

#include <cstdint>

/// A model object with a colour and an OpenGL display list, which a
/// derived class draws by its Draw.
class QV_BASE_API QvDrawableObj : public QvDrawableAttrib {
 public:
  /// Default attributes, opaque green (0, 1, 0, 1), no display list.
  QvDrawableObj();
  /// Copies the attributes and the colour; the copy has no list name and
  /// no display list until its own MakeDisplayList.
  QvDrawableObj(const QvDrawableObj& other);
  /// Copies the attributes and the colour; the object's own display list
  /// stays as it was.
  QvDrawableObj& operator=(const QvDrawableObj& other);
  /// Deletes the display list (DelDisplayList) and gives the name back.
  ~QvDrawableObj();

  /// Replays the display list; draws nothing when there is none.
  virtual void RePaint() const;
  /// Issues the OpenGL commands that draw the object.
  virtual void Draw() = 0;
  /// Deletes any old list, then compiles Draw into a new one.
  virtual void MakeDisplayList();

  /// Red, green, blue from rgb[0..2]; alpha = 1.
  void SetColor(float* const rgb);
  /// Red, green, blue and alpha.
  void SetColor(float r, float g, float b, float a);
  /// Copies out red, green and blue.
  void GetColor(float& r, float& g, float& b) const;
  /// Copies out red, green, blue and alpha.
  void GetColor(float& r, float& g, float& b, float& a) const;
  /// The four components in place: red, green, blue, alpha.
  const float* GetColor() const;

  /// Nonzero while the object's display list exists in the current context.
  unsigned char IsDisplayList() const;
  /// Deletes the display list when it exists; otherwise calls nothing.
  void DelDisplayList();
  /// Deletes any old list and opens a new one in compile mode: the
  /// commands that follow go into the list and are not executed. The
  /// object takes its list name the first time.
  void InitDisplayList();
  /// Closes the list opened by InitDisplayList.
  void EndDisplayList();
  /// Loads the low 32 bits of selName's value as the selection name, then
  /// repaints; a 32-bit number cast to a pointer comes back in the hits.
  void DrawToSelect(void* selName);
  /// Makes the object's colour the current OpenGL colour.
  void SetGlColor() const;
  /// Makes pure red the current colour: the selected look.
  void SetGlColorSelected() const;

  /// The object's display-list name: 0 until its first InitDisplayList,
  /// then the same nonzero name for the object's life.
  std::uint32_t ListName() const;

 protected:
  /// Colour back to opaque green; the attributes are left alone.
  void Init0();
  /// Calls the display list.
  void CallDisplayList() const;

 private:
  float m_Color[4];
  std::uint32_t m_ListName;
};

#endif  // QVBASE_QVDRAWABLEOBJ_H
