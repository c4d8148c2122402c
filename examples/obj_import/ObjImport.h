// ObjImport.h - reads the geometry of a Wavefront OBJ file with QvFile.
#ifndef QV_EXAMPLE_OBJIMPORT_H
#define QV_EXAMPLE_OBJIMPORT_H

#include <string>

#include "ObjMesh.h"

/// Reads the "v", "vt", "vn" and "f" lines of the OBJ file at path into
/// mesh (replacing what it held). Faces take their corners in all four
/// forms (v, v/vt, v//vn, v/vt/vn) with 1-based or negative (relative)
/// indexes; comments, other statements, CRLF line ends and lines of any
/// length are fine. False with a message "path:line: what" in error for a
/// file that cannot be opened, a number that is not one, an index out of
/// range or a face of fewer than three corners.
bool ImportObj(const char* path, ObjMesh& mesh, std::string& error);

#endif  // QV_EXAMPLE_OBJIMPORT_H
