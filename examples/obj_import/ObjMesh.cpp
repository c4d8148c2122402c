// Storing a mesh: each array is a nested block holding its element count
// and its values, so a reader can step over the arrays it does not need.
#include "ObjMesh.h"

#include <QvBase/QvNeutralFile.h>

#include <cstring>
#include <type_traits>

namespace {

// Element counts above this are taken as a damaged file.
constexpr int kMaxCount = 1 << 26;

template <typename T>
bool WriteArray(QvNeutralFile& f, const char* name, const std::vector<T>& a) {
  const std::int32_t block = f.WriteIdBlock(name, 1);
  const int n = static_cast<int>(a.size());
  if (block < 0 || !f.WriteInt(n)) return false;
  bool ok;
  if constexpr (std::is_same_v<T, float>)
    ok = f.WriteFloat(a.data(), n);
  else
    ok = f.WriteInt(a.data(), n);
  return ok && f.UpdateIdBlock(block);
}

template <typename T>
bool ReadArray(QvNeutralFile& f, const char* name, std::vector<T>& a) {
  QvNeutralFile::IdBlock block;
  block.m_EndAddress = -1;  // the block at the current position
  int n = 0;
  if (!f.ReadIdBlock(block) || std::strcmp(block.m_Name, name) != 0 ||
      !f.ReadInt(&n, 1) || n < 0 || n > kMaxCount)
    return false;
  a.resize(static_cast<std::size_t>(n));
  if constexpr (std::is_same_v<T, float>)
    return f.ReadFloat(a.data(), n);
  else
    return f.ReadInt(a.data(), n);
}

}  // namespace

bool ObjMesh::WriteDataBlock(QvNeutralFile& file) const {
  // Corners go as three ints each.
  std::vector<int> flat;
  flat.reserve(3 * corners.size());
  for (const ObjCorner& c : corners) flat.insert(flat.end(), {c.v, c.vt, c.vn});
  return WriteArray(file, "Position", positions) &&
         WriteArray(file, "TexCoord", texcoords) &&
         WriteArray(file, "Normal", normals) &&
         WriteArray(file, "Corners", flat) &&
         WriteArray(file, "Faces", faceSizes);
}

bool ObjMesh::ReadDataBlock(QvNeutralFile& file, unsigned int version) {
  std::vector<int> flat;
  if (version != Version() || !ReadArray(file, "Position", positions) ||
      !ReadArray(file, "TexCoord", texcoords) ||
      !ReadArray(file, "Normal", normals) ||
      !ReadArray(file, "Corners", flat) || flat.size() % 3 != 0 ||
      !ReadArray(file, "Faces", faceSizes))
    return false;
  corners.resize(flat.size() / 3);
  for (std::size_t i = 0; i < corners.size(); ++i)
    corners[i] = {flat[3 * i], flat[3 * i + 1], flat[3 * i + 2]};
  return true;
}

void ObjMesh::Clear() {
  positions.clear();
  texcoords.clear();
  normals.clear();
  corners.clear();
  faceSizes.clear();
}

bool ObjMesh::operator==(const ObjMesh& o) const {
  return positions == o.positions && texcoords == o.texcoords &&
         normals == o.normals && corners == o.corners &&
         faceSizes == o.faceSizes;
}
