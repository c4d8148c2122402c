// Runs the scene plug-in (ScenePlugin.cpp) as an application would:
//   SceneHost PLUGIN reload  1,000 times: load it, fill its scene, unload
//                            it; the library must leave the process each
//                            time, so its own storage goes with it
//   SceneHost PLUGIN exit    with a headless OpenGL context current, load
//                            it, fill its scene (half the objects with a
//                            list) and exit(0) with everything alive, so
//                            the exit handlers destroy the scene
// This program does not link the library; the plug-in brings it in. Exit
// status 0 when sound, 1 with the reason on stderr.
#define GL_GLEXT_PROTOTYPES 1
#if !defined(QV_TEST_NO_EGL)
#include <EGL/egl.h>
#include <EGL/eglext.h>
#endif
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

// A current context on EGL's surfaceless platform, or false.
bool MakeContext() {
#if defined(QV_TEST_NO_EGL)
  return false;
#else
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
#endif
}

bool LibraryLoaded() {
  void* lib = dlopen(QV_BASE_SONAME, RTLD_NOW | RTLD_NOLOAD);
  if (lib != nullptr) dlclose(lib);
  return lib != nullptr;
}

using Fill = int (*)(int, int);

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
    if (plugin == nullptr) return Fail(dlerror());
    auto fill = reinterpret_cast<Fill>(dlsym(plugin, "ScenePluginFill"));
    if (fill == nullptr) return Fail("no ScenePluginFill");
    if (fill(atExit ? 150 : 10, lists) != 0)
      return Fail("an object's list is not as made");
    if (lists && glGetError() != GL_NO_ERROR) return Fail("OpenGL error");
    if (atExit) std::exit(0);
    if (!LibraryLoaded()) return Fail("the plug-in did not load the library");
    dlclose(plugin);
    if (LibraryLoaded()) return Fail("the library stayed after unloading");
  }
  return 0;
}
