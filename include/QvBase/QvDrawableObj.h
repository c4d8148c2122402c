/// \file
/// A model object with a colour and an OpenGL display list.
///
/// A concrete object supplies Draw, which issues its OpenGL commands.
/// MakeDisplayList compiles Draw into the object's display list, RePaint
/// replays the list, and DrawToSelect replays it under a selection name for
/// picking. Draw sets no colour unless it calls SetGlColor (or
/// SetGlColorSelected) itself.
///
/// Each object has its own display-list name: a nonzero 32-bit name handed
/// out by the library at construction, unique among the live drawable
/// objects and kept for the object's life (a copy gets a new one). Names
/// come from the top of the range downward (0xFFFFFFFE first), clear of the
/// names glGenLists gives the application; the first list compiled in a
/// context also compiles an empty list under 0xFFFFFFFF, so that glGenLists
/// never hands out names between the objects' (Mesa gives the names above
/// the highest one in use; once that is 0xFFFFFFFF it searches from 1
/// upward, a step per name in use below the block it finds). Handing names
/// out takes no lock, and an object may be destroyed at any time, during
/// the exit handlers included. Every operation that calls OpenGL must run
/// on the thread whose rendering context holds the object's lists; the
/// library makes no context current.
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
  /// Copies the attributes and the colour; the copy has its own list name
  /// and no display list until its own MakeDisplayList.
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
  /// commands that follow go into the list and are not executed. Compiles
  /// the empty 0xFFFFFFFF list first when the context has none.
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

  /// The object's display-list name (nonzero).
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
