// A program outside the library's tree that takes QvBase in one of the
// ways the README shows: it writes a colour table to a neutral file, reads
// it back, formats a string and checks the library it runs with.
#include <QvBase/QvBase.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  const std::string path =
      std::string(argc > 1 ? argv[1] : ".") + "/colours.qnf";
  QvColorTable colours;
  const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 0.5f};
  colours.AddColor(red, 0.01f);
  colours.AddColor(blue, 0.01f);
  QvColorTable back;
  float c[4] = {};
  if (!colours.WriteNF(path.c_str()) || !back.ReadNF(path.c_str()) ||
      !back.GetColor(1, c) || c[2] != 1 || c[3] != 0.5f) {
    std::fprintf(stderr, "the colour table did not come back from %s\n",
                 path.c_str());
    return 1;
  }
  std::remove(path.c_str());

  const QvStdString text("%d colours, blue at %.1f", 2, 0.5);
  // The header this program was compiled with and the library it loaded.
  if (std::strcmp(QvBaseVersion(), QVBASE_VERSION_STRING) != 0) {
    std::fprintf(stderr, "built with QvBase %s, runs with %s\n",
                 QVBASE_VERSION_STRING, QvBaseVersion());
    return 1;
  }
  std::printf("%s; QvBase %s\n", text.c_str(), QvBaseVersion());
  return 0;
}
