// ObjMesh.h - a polygon mesh as an OBJ file describes it, stored as one
// block of a neutral file.
#ifndef QV_EXAMPLE_OBJMESH_H
#define QV_EXAMPLE_OBJMESH_H

#include <QvBase/QvWritableObj.h>

#include <vector>

/// One face corner: 0-based indexes of its position, texture coordinate
/// and normal; -1 where the corner has none.
struct ObjCorner {
  int v = -1;
  int vt = -1;
  int vn = -1;
  bool operator==(const ObjCorner& o) const {
    return v == o.v && vt == o.vt && vn == o.vn;
  }
};

/// Positions, texture coordinates and normals, and faces as runs of
/// corners. Stored as the block "ObjMesh" with one nested block per array.
class ObjMesh : public QvWritableObj {
 public:
  std::vector<float> positions;    // x y z per vertex
  std::vector<float> texcoords;    // u v per texture vertex
  std::vector<float> normals;      // x y z per normal
  std::vector<ObjCorner> corners;  // the faces' corners, face after face
  std::vector<int> faceSizes;      // corners per face

  const char* IdString() const override { return "ObjMesh"; }
  unsigned int Version() const override { return 20270115; }
  bool WriteDataBlock(QvNeutralFile& file) const override;
  bool ReadDataBlock(QvNeutralFile& file, unsigned int version) override;

  void Clear();
  bool operator==(const ObjMesh& o) const;
};

#endif  // QV_EXAMPLE_OBJMESH_H
