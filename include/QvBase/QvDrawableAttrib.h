// QvDrawableAttrib.h - the display switches and colour id of a drawable
// model object, in two bytes.
//
// Bits of the attribute byte: 0x01 visible, 0x02 pickable, 0x04 selected,
// 0x08 shading (clear: wireframe), 0x10 hidden line, 0x20 iso line,
// 0x40 marking; 0x80 has no meaning of its own. A new value is 0x03:
// visible, pickable, wireframe. The class only stores the switches; what
// they change in the drawing is up to the application.
#ifndef QVBASE_QVDRAWABLEATTRIB_H
#define QVBASE_QVDRAWABLEATTRIB_H

#include <QvBase/QvExport.h>

class QV_BASE_API QvDrawableAttrib {
 public:
  /// Attribute byte 0x03, colour id 0.
  QvDrawableAttrib();
  QvDrawableAttrib(const QvDrawableAttrib& other) = default;
  /// Copy both bytes.
  QvDrawableAttrib& operator=(const QvDrawableAttrib& other);
  void Copy(const QvDrawableAttrib& other);

  /// The whole attribute byte, and whole-byte changes of it.
  unsigned char Attrib() const;
  void SetAttrib(unsigned char v);
  void AndAttrib(unsigned char v);
  void OrAttrib(unsigned char v);
  void XOrAttrib(unsigned char v);

  /// The colour id: stored and returned, never interpreted.
  unsigned char ColorId() const;
  void SetColorId(unsigned char id);

  bool IsVisible() const;
  /// Visible and pickable both.
  bool IsVisiPickable() const;
  bool IsPickable() const;
  bool IsSelected() const;
  /// Shading and wireframe are one switch: exactly one of them is true.
  bool IsShading() const;
  bool IsWireframe() const;
  bool IsHiddenLine() const;
  bool IsIsoLine();
  bool IsIsoLine() const;
  bool IsMarking() const;

  /// Visible: SetShow and SetVisible() set, SetNoShow and SetInVisible
  /// clear, SetVisible(bool) sets for true, ChangeVisible toggles.
  void SetShow();
  void SetVisible();
  void SetNoShow();
  void SetInVisible();
  void SetVisible(bool b);
  void ChangeVisible();

  /// Pickable: SetPick and SetPickable set, SetNoPick and SetUnPickable
  /// clear, ChangePickable toggles.
  void SetPick();
  void SetPickable();
  void SetNoPick();
  void SetUnPickable();
  void ChangePickable();

  void SetSelected();
  void SetUnSelected();
  void ChangeSelected();

  /// SetShading(true) and SetWireframe(false) both select shading.
  void SetShading(bool b);
  void SetWireframe(bool b);
  void SetHiddenLine(bool b);
  void SetIsoLine(bool b);
  void SetMarking(bool b);
  void ChangeMarking();

 private:
  void SetBits(unsigned char mask, bool on);

  unsigned char m_Attrib;
  unsigned char m_ColorId;
};

#endif  // QVBASE_QVDRAWABLEATTRIB_H
