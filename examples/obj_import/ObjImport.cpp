// OBJ import with QvFile: lines by GetLine, words by the file's own word
// scan, numbers by QvGetFloat, and face corners split at '/' by GetCSWord.
// A line longer than the file's line buffer arrives in pieces; those are
// joined in a QvStdString and its words read by GetWord.
#include "ObjImport.h"

#include <QvBase/QvError.h>
#include <QvBase/QvFile.h>
#include <QvBase/QvNumberText.h>
#include <QvBase/QvStdString.h>

#include <cstring>

namespace {

const QvStdString kWhite(" \t\r\n");
const QvStdString kSlash("/");

class Importer {
 public:
  explicit Importer(ObjMesh& mesh) : mesh_(mesh) {}

  // One statement; `next` gives the words after the keyword, then null.
  // An empty text when it is fine, else what is wrong with it.
  template <typename NextWord>
  const char* Statement(const char* key, NextWord next) {
    if (key == nullptr || key[0] == '#') return "";
    if (std::strcmp(key, "v") == 0) return Numbers(next, 3, mesh_.positions);
    if (std::strcmp(key, "vt") == 0) return Numbers(next, 2, mesh_.texcoords);
    if (std::strcmp(key, "vn") == 0) return Numbers(next, 3, mesh_.normals);
    if (std::strcmp(key, "f") == 0) return Face(next);
    return "";  // groups, materials, smoothing, lines and points
  }

 private:
  // `count` numbers; a texture coordinate may leave out its v (0) and
  // anything after the count (a w) is skipped.
  template <typename NextWord>
  const char* Numbers(NextWord next, int count, std::vector<float>& out) {
    for (int i = 0; i < count; ++i) {
      const char* w = next();
      if (w == nullptr || w[0] == '#') {
        if (i == 0 || &out != &mesh_.texcoords) return "too few numbers";
        out.push_back(0.0f);
        continue;
      }
      const float x = QvGetFloat(w);
      if (x == QV_NO_FLOAT) return "not a number";
      out.push_back(x);
    }
    return "";
  }

  // The 0-based index of a 1-based one, or of a negative one counted from
  // the end of what is there so far; -1 when out of range, and for the 0
  // of a field left out (`optional`).
  static int Resolve(int index, std::size_t have, bool optional, bool* bad) {
    if (index == 0 && optional) return -1;
    const long long i =
        index > 0 ? index - 1LL : static_cast<long long>(have) + index;
    if (index == 0 || i < 0 || i >= static_cast<long long>(have)) {
      *bad = true;
      return -1;
    }
    return static_cast<int>(i);
  }

  template <typename NextWord>
  const char* Face(NextWord next) {
    int corners = 0;
    while (const char* w = next()) {
      if (w[0] == '#') break;
      corner_.Set(w);
      // Up to three fields; an empty one (v//vn) reads as false.
      int index[3] = {0, 0, 0}, pos = 0;
      for (int field = 0; field < 3 && pos >= 0; ++field) {
        if (!corner_.GetCSWord(pos, field_, kSlash)) continue;
        index[field] = QvGetInt(field_.Data(0));
        if (index[field] == QV_NO_INT) return "not an index";
      }
      bool bad = false;
      const int v = Resolve(index[0], mesh_.positions.size() / 3, false, &bad);
      const int vt = Resolve(index[1], mesh_.texcoords.size() / 2, true, &bad);
      const int vn = Resolve(index[2], mesh_.normals.size() / 3, true, &bad);
      if (bad) return "index out of range";
      ObjCorner& c = mesh_.corners.emplace_back();
      c.v = v;
      c.vt = vt;
      c.vn = vn;
      ++corners;
    }
    if (corners < 3) return "a face needs three corners";
    mesh_.faceSizes.push_back(corners);
    return "";
  }

  ObjMesh& mesh_;
  QvStdString corner_, field_;
};

}  // namespace

bool ImportObj(const char* path, ObjMesh& mesh, std::string& error) {
  QvFile file(path);
  if (!file.OpenToRead(true)) {
    error = std::string(path) + ": " + QvErrorText(QvLastError()) + " (" +
            std::strerror(QvLastSystemError()) + ")";
    return false;
  }
  mesh.Clear();
  Importer importer(mesh);
  QvStdString longLine, word;
  int lineNumber = 0;
  while (const char* line = file.GetLine()) {
    ++lineNumber;
    const std::size_t n = std::strlen(line);
    const char* problem;
    if (n + 1 < QvFile::kBufferSize || line[n - 1] == '\n') {
      problem = importer.Statement(file.GetFirstWord(),
                                   [&file] { return file.GetNextWord(); });
    } else {
      // The first piece of a long line: collect the rest.
      longLine.Set(line);
      while (const char* piece = file.GetLine()) {
        longLine.Append(piece);
        if (piece[std::strlen(piece) - 1] == '\n') break;
      }
      int pos = 0;
      auto next = [&]() -> const char* {
        return longLine.GetWord(pos, word, kWhite) ? word.c_str() : nullptr;
      };
      problem = importer.Statement(next(), next);
    }
    if (problem[0] != '\0') {
      error =
          std::string(path) + ":" + std::to_string(lineNumber) + ": " + problem;
      return false;
    }
  }
  return true;
}
