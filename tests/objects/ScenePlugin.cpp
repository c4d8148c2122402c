// A plug-in that keeps its scene of drawable objects in a container at
// namespace scope, made when the plug-in is loaded and so before its first
// drawable object exists; the exit handlers or the unloading destroy it.
#include <QvBase/QvDrawableObj.h>

#include <GL/gl.h>

#include <memory>
#include <vector>

namespace {

struct Square final : QvDrawableObj {
  void Draw() override {
    SetGlColor();
    glRectf(0.0f, 0.0f, 1.0f, 1.0f);
  }
};

std::vector<std::unique_ptr<Square>> g_scene;

}  // namespace

// Adds count objects, each compiling its list in the current context when
// withLists is nonzero, and a copy of each, which has none. Returns how
// many objects disagree with IsDisplayList about that (0 when sound).
extern "C" int ScenePluginFill(int count, int withLists) {
  int wrong = 0;
  for (int i = 0; i < count; ++i) {
    g_scene.push_back(std::make_unique<Square>());
    Square& obj = *g_scene.back();
    if (withLists != 0) obj.MakeDisplayList();
    g_scene.push_back(std::make_unique<Square>(obj));
    wrong += (obj.IsDisplayList() != 0) != (withLists != 0);
    wrong += g_scene.back()->IsDisplayList() != 0;
  }
  return wrong;
}
