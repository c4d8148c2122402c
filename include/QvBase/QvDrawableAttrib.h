/// \file
/// The display switches and colour id of a drawable model object, in two
/// bytes.
///
/// Bits of the attribute byte: 0x01 visible, 0x02 pickable, 0x04 selected,
/// 0x08 shading (clear: wireframe), 0x10 hidden line, 0x20 iso line,
/// 0x40 marking; 0x80 has no meaning of its own. A new value is 0x03:
/// visible, pickable, wireframe. The class only stores the switches; what
/// they change in the drawing is up to the application.
#ifndef QVBASE_QVDRAWABLEATTRIB_H
#define QVBASE_QVDRAWABLEATTRIB_H

#include <QvBase/QvExport.h>

/// The display switches and colour id of a drawable model object, in two
/// bytes; QvDrawableAttrib.h gives the bits.
class QV_BASE_API QvDrawableAttrib {
 public:
  /// Attribute byte 0x03, colour id 0.
  QvDrawableAttrib();
  /// Copies both bytes.
  QvDrawableAttrib(const QvDrawableAttrib& other) = default;
  /// Copies both bytes.
  QvDrawableAttrib& operator=(const QvDrawableAttrib& other);
  /// Copies both bytes, as operator= does.
  void Copy(const QvDrawableAttrib& other);

  /// \name The attribute byte
  /// The whole byte, and changes of the whole byte: replaced, or combined
  /// with `v` by and, or, exclusive or.
  /// \{

  /// The attribute byte.
  unsigned char Attrib() const;
  /// Replaces the attribute byte by `v`.
  void SetAttrib(unsigned char v);
  /// The attribute byte and `v`.
  void AndAttrib(unsigned char v);
  /// The attribute byte or `v`.
  void OrAttrib(unsigned char v);
  /// The attribute byte exclusive-or `v`.
  void XOrAttrib(unsigned char v);
  /// \}

  /// \name The colour id
  /// Stored and returned, never interpreted.
  /// \{

  /// The colour id.
  unsigned char ColorId() const;
  /// Replaces the colour id.
  void SetColorId(unsigned char id);
  /// \}

  /// \name Reading the switches
  /// Each is true when its bit is set.
  /// \{

  /// Visible (0x01).
  bool IsVisible() const;
  /// Visible and pickable both.
  bool IsVisiPickable() const;
  /// Pickable (0x02).
  bool IsPickable() const;
  /// Selected (0x04).
  bool IsSelected() const;
  /// Shading (0x08 set). Shading and wireframe are one switch: exactly one
  /// of them is true.
  bool IsShading() const;
  /// Wireframe (0x08 clear).
  bool IsWireframe() const;
  /// Hidden line (0x10).
  bool IsHiddenLine() const;
  /// Iso line (0x20); the two forms are the same.
  bool IsIsoLine();
  /// Iso line (0x20).
  bool IsIsoLine() const;
  /// Marking (0x40).
  bool IsMarking() const;
  /// \}

  /// \name Visible
  /// SetShow and SetVisible() set the switch, SetNoShow and SetInVisible
  /// clear it, SetVisible(bool) sets it for true and clears it for false,
  /// ChangeVisible toggles it.
  /// \{

  /// Sets visible.
  void SetShow();
  /// Sets visible.
  void SetVisible();
  /// Clears visible.
  void SetNoShow();
  /// Clears visible.
  void SetInVisible();
  /// Sets visible for true, clears it for false.
  void SetVisible(bool b);
  /// Toggles visible.
  void ChangeVisible();
  /// \}

  /// \name Pickable
  /// SetPick and SetPickable set the switch, SetNoPick and SetUnPickable
  /// clear it, ChangePickable toggles it.
  /// \{

  /// Sets pickable.
  void SetPick();
  /// Sets pickable.
  void SetPickable();
  /// Clears pickable.
  void SetNoPick();
  /// Clears pickable.
  void SetUnPickable();
  /// Toggles pickable.
  void ChangePickable();
  /// \}

  /// \name Selected, shading, hidden line, iso line and marking
  /// Each `Set...(bool)` sets its switch for true and clears it for false.
  /// \{

  /// Sets selected.
  void SetSelected();
  /// Clears selected.
  void SetUnSelected();
  /// Toggles selected.
  void ChangeSelected();

  /// Shading for true, wireframe for false.
  void SetShading(bool b);
  /// Wireframe for true, shading for false: SetShading(true) and
  /// SetWireframe(false) both select shading.
  void SetWireframe(bool b);
  /// Sets or clears hidden line.
  void SetHiddenLine(bool b);
  /// Sets or clears iso line.
  void SetIsoLine(bool b);
  /// Sets or clears marking.
  void SetMarking(bool b);
  /// Toggles marking.
  void ChangeMarking();
  /// \}

 private:
  void SetBits(unsigned char mask, bool on);

  unsigned char m_Attrib;
  unsigned char m_ColorId;
};

#endif  // QVBASE_QVDRAWABLEATTRIB_H
