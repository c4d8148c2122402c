// What the drawable objects' lists cost the application's own glGenLists:
// 20,000 glGenLists(1) (and their deletion) in a headless OpenGL context,
// beside 0 or 10,000 live drawable objects with lists. The second case over
// the first is the slowdown that the objects' names bring (1.0 is none).
#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <QvBase/QvDrawableObj.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct Dot final : QvDrawableObj {
  void Draw() override { glRectf(0.0f, 0.0f, 1.0f, 1.0f); }
};

bool MakeContext() {
  static const bool made = [] {
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
  }();
  return made;
}

void BM_ApplicationGenLists(benchmark::State& state) {
  if (!MakeContext()) {
    state.SkipWithError("no headless OpenGL context");
    return;
  }
  std::vector<std::unique_ptr<Dot>> objs(
      static_cast<std::size_t>(state.range(0)));
  for (auto& o : objs) {
    o = std::make_unique<Dot>();
    o->MakeDisplayList();
  }
  // The application's own lists made before ours.
  const GLuint before = glGenLists(1000);
  std::vector<GLuint> names(20000);
  for (auto _ : state) {
    for (GLuint& n : names) n = glGenLists(1);
    state.PauseTiming();
    for (GLuint n : names)
      if (n == 0) state.SkipWithError("glGenLists failed");
    for (GLuint n : names) glDeleteLists(n, 1);
    state.ResumeTiming();
  }
  glDeleteLists(before, 1000);
  state.SetItemsProcessed(static_cast<std::int64_t>(names.size()) *
                          state.iterations());
}

}  // namespace

BENCHMARK(BM_ApplicationGenLists)
    ->Arg(0)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
