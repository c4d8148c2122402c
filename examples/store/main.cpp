// Stores an application object of its own and a colour table in one
// neutral file, reads them back in the other order, and prints them.
//
//   qv_store_example [FILE]      (default: model.qnf)
//
// The object, a named path of 3-D points, shows the usual shape of stored
// data: a nested block for the points and a list of tags closed by a null
// block. The closing null block is also what lets a reader that has just
// read this object find objects stored before it.
#include <QvBase/QvColorTable.h>
#include <QvBase/QvError.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class PointPath : public QvWritableObj {
 public:
  std::string name;
  std::vector<double> xyz;        // three values a point
  std::vector<std::string> tags;  // each stored as a block named after it

  const char* IdString() const override { return "PointPath"; }  // "PointPat"
  unsigned int Version() const override { return 20261206; }

  bool WriteDataBlock(QvNeutralFile& f) const override {
    if (!f.WriteLongName(name.c_str())) return false;
    // Nested block: a reader of the outer level jumps over it.
    const std::int32_t points = f.WriteIdBlock("Points", 1);
    const int count = static_cast<int>(xyz.size() / 3);
    if (points < 0 || !f.WriteInt(count) ||
        !f.WriteDouble(xyz.data(), 3 * count) || !f.UpdateIdBlock(points))
      return false;
    for (const std::string& tag : tags)
      if (f.WriteIdBlock(tag.c_str(), 0) < 0) return false;
    return f.WriteNullIdBlock();  // closes the tag list
  }

  bool ReadDataBlock(QvNeutralFile& f, unsigned int version) override {
    if (version != 20261206) return false;
    char text[81];
    if (!f.ReadString(text, 80)) return false;
    name = text;
    QvNeutralFile::IdBlock block;
    block.m_EndAddress = -1;  // read the block at the current position
    int count = 0;
    if (!f.ReadIdBlock(block) || !f.ReadInt(&count, 1) || count < 0 ||
        count > 1000000)
      return false;
    xyz.assign(3 * static_cast<std::size_t>(count), 0.0);
    if (!f.ReadDouble(xyz.data(), 3 * count)) return false;
    tags.clear();
    for (;;) {
      block.m_EndAddress = -1;
      if (!f.ReadIdBlock(block)) return false;
      // Leave the position at the closing null block, as stored objects
      // do: a later search walks into it and wraps to the header.
      if (std::string(block.m_Name) == "WyNULL")
        return f.GoToFilePosition(block.m_Address);
      tags.push_back(block.m_Name);
    }
  }
};

void Print(const PointPath& p) {
  std::printf("PointPath \"%s\": %zu points\n", p.name.c_str(),
              p.xyz.size() / 3);
  for (std::size_t i = 0; i + 2 < p.xyz.size(); i += 3)
    std::printf("  (%g, %g, %g)\n", p.xyz[i], p.xyz[i + 1], p.xyz[i + 2]);
  std::printf("  tags:");
  for (const std::string& t : p.tags) std::printf(" %s", t.c_str());
  std::printf("\n");
}

void Print(QvColorTable& t) {
  std::printf("ColorTable:\n");
  float c[4];
  for (int id = 0; t.GetColor(id, c); ++id)
    std::printf("  %d: %g %g %g %g\n", id, c[0], c[1], c[2], c[3]);
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "model.qnf";

  QvColorTable colors;
  const float red[4] = {1, 0, 0, 1}, green[4] = {0, 0.8f, 0, 1},
              nearRed[4] = {0.999f, 0, 0, 1};
  colors.AddColor(red, 0.01f);
  colors.AddColor(green, 0.01f);
  colors.AddColor(nearRed, 0.01f);  // shares red's id
  PointPath path3d;
  path3d.name = "outline";
  path3d.xyz = {0, 0, 0, 1, 0, 0, 1, 1, 0.5};
  path3d.tags = {"closed", "visible"};

  {
    // Saved safely: the new file replaces the old one only once it is
    // complete and on storage (one object alone would be obj.SaveNF(path)).
    QvNeutralFile file;
    if (!file.OpenToReplace(path) ||
        !file.WriteHeader("example", "two objects") || !colors.WriteNF(file) ||
        !path3d.WriteNF(file) || !file.Commit()) {
      std::fprintf(stderr, "cannot write %s: %s\n", path,
                   QvErrorText(QvLastError()));
      return 1;
    }
  }
  std::printf("wrote %s\n", path);

  // Read the path first, then the table stored before it.
  QvNeutralFile file;
  PointPath pathBack;
  QvColorTable colorsBack;
  if (!file.OpenToRead(path) || !pathBack.ReadNF(file) ||
      !colorsBack.ReadNF(file)) {
    std::fprintf(stderr, "cannot read %s back: %s\n", path,
                 QvErrorText(QvLastError()));
    return 1;
  }
  Print(pathBack);
  Print(colorsBack);
  return 0;
}
