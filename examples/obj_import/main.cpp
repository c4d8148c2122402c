// Imports a Wavefront OBJ file into a mesh, stores the mesh in a neutral
// file, reads it back and prints what it holds.
//
//   qv_obj_import FILE.obj [OUT.qnf]   (default: FILE.qnf beside FILE.obj)
#include <QvBase/QvError.h>
#include <QvBase/QvFileName.h>
#include <QvBase/QvStopWatch.h>

#include <cstdio>
#include <string>

#include "ObjImport.h"
#include "ObjMesh.h"

namespace {

void PrintCounts(const char* what, const ObjMesh& m) {
  std::printf(
      "%s: %zu positions, %zu texture coordinates, %zu normals, "
      "%zu faces, %zu corners\n",
      what, m.positions.size() / 3, m.texcoords.size() / 2,
      m.normals.size() / 3, m.faceSizes.size(), m.corners.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: qv_obj_import FILE.obj [OUT.qnf]\n");
    return 2;
  }
  QvFileName out(argc > 2 ? argv[2] : argv[1]);
  if (argc == 2) {
    out.CutExtension(".obj");
    out.AddExtension(".qnf");
  }

  ObjMesh mesh;
  std::string error;
  QvStopWatch watch(true);
  if (!ImportObj(argv[1], mesh, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const double seconds = watch.Stop();
  PrintCounts("imported", mesh);
  std::printf("  in %.3f s\n", seconds);

  if (!mesh.SaveNF(out.GetName())) {
    std::fprintf(stderr, "cannot write %s: %s\n", out.GetName(),
                 QvErrorText(QvLastError()));
    return 1;
  }
  ObjMesh back;
  if (!back.ReadNF(out.GetName())) {
    std::fprintf(stderr, "cannot read %s back: %s\n", out.GetName(),
                 QvErrorText(QvLastError()));
    return 1;
  }
  PrintCounts("read back", back);
  std::printf("%s: %s\n", out.GetName(),
              back == mesh ? "the same mesh" : "DIFFERENT");
  return back == mesh ? 0 : 1;
}
