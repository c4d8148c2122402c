// Runs ScenePlugin.cpp as an application would; it does not link the
// library itself, the plug-in brings it in. Exit status 0 when sound.
//   SceneHost PLUGIN reload  1,000 times: load, fill the scene, unload; the
//                            library must leave the process each time
//   SceneHost PLUGIN exit    in a headless OpenGL context, load, fill the
//                            scene (half with lists), exit(0): the exit
//                            handlers destroy the scene
#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Fail(const char* why) {
  std::fprintf(stderr, "SceneHost: %s\n", why);
  return 1;
}

bool MakeContext() {
  auto get = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  EGLDisplay d =
      get ? get(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
          : EGL_NO_DISPLAY;
  if (!eglInitialize(d, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API))
    return false;
  EGLContext c =
      eglCreateContext(d, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
  return c != EGL_NO_CONTEXT &&
         eglMakeCurrent(d, EGL_NO_SURFACE, EGL_NO_SURFACE, c);
}

bool LibraryLoaded() {
  void* lib = dlopen(QV_BASE_SONAME, RTLD_NOW | RTLD_NOLOAD);
  if (lib != nullptr) dlclose(lib);
  return lib != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: SceneHost PLUGIN reload|exit");
  const bool atExit = std::strcmp(argv[2], "exit") == 0;
  const bool lists = atExit && MakeContext();
#if defined(QV_TEST_REQUIRE_GL)
  if (atExit && !lists) return Fail("no headless OpenGL context");
#endif
  for (int round = 0; round < (atExit ? 1 : 1000); ++round) {
    void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    auto fill = plugin ? reinterpret_cast<int (*)(int, int)>(
                             dlsym(plugin, "ScenePluginFill"))
                       : nullptr;
    if (fill == nullptr) return Fail(dlerror());
    if (fill(atExit ? 150 : 10, lists) != 0 ||
        (lists && glGetError() != GL_NO_ERROR))
      return Fail("a list is not as made");
    if (atExit) std::exit(0);
    if (!LibraryLoaded()) return Fail("the plug-in did not load the library");
    dlclose(plugin);
    if (LibraryLoaded()) return Fail("the library stayed after unloading");
  }
  return 0;
}
