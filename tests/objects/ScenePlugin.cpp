// A plug-in that keeps its scene in a container at namespace scope, made
// at loading, before its first drawable object.
#include <QvBase/QvDrawableObj.h>

#include <GL/gl.h>

#include <memory>
#include <vector>

namespace {

struct Square final : QvDrawableObj {
  void Draw() override { glRectf(0.0f, 0.0f, 1.0f, 1.0f); }
};

std::vector<std::unique_ptr<Square>> g_scene;

}  // namespace

// Adds count objects, each with its list when withLists is nonzero, and a
// copy of each, without. Returns how many disagree with IsDisplayList.
extern "C" int ScenePluginFill(int count, int withLists) {
  int wrong = 0;
  for (int i = 0; i < count; ++i) {
    g_scene.push_back(std::make_unique<Square>());
    if (withLists != 0) g_scene.back()->MakeDisplayList();
    wrong += (g_scene.back()->IsDisplayList() != 0) != (withLists != 0);
    g_scene.push_back(std::make_unique<Square>(*g_scene.back()));
    wrong += g_scene.back()->IsDisplayList() != 0;
  }
  return wrong;
}
