// QvDrawableObj's display lists on a real OpenGL context: EGL's surfaceless
// platform, a compatibility profile (display lists, selection mode) and an
// offscreen framebuffer.
#if defined(QV_TEST_NO_EGL)
#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>
#else
#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#endif
#include <QvBase/QvDrawableObj.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace {

// Fills the left half of the view with the object's colour (or the
// selected look); counts how often its commands were issued.
struct Panel final : QvDrawableObj {
  void Draw() override {
    ++draws;
    IsSelected() ? SetGlColorSelected() : SetGlColor();
    glRectf(-1.0f, -1.0f, 0.0f, 1.0f);
  }
  using QvDrawableObj::Init0;
  int draws = 0;
};

using Rgba = std::array<unsigned char, 4>;
const Rgba kBlack = {0, 0, 0, 255};
constexpr int kSize = 16;

// Without a context the test fails where the build promises one, else skips.
#if defined(QV_TEST_REQUIRE_GL)
#define QV_NO_CONTEXT(why) \
  GTEST_FAIL() << why << " (the build requires one: QV_REQUIRE_GL)"
#else
#define QV_NO_CONTEXT(why) GTEST_SKIP() << why
#endif

// A fresh context per test: objects that own lists die inside the body.
class QvDisplayList : public testing::Test {
 protected:
#if defined(QV_TEST_NO_EGL)
  void SetUp() override {
    QV_NO_CONTEXT("no EGL in this build (Debian: libegl-dev libopengl-dev)");
  }
#else
  void SetUp() override {
    static const EGLDisplay display = [] {  // costly: opened once, kept
      auto get = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
          eglGetProcAddress("eglGetPlatformDisplayEXT"));
      EGLDisplay d =
          get ? get(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
              : EGL_NO_DISPLAY;
      return eglInitialize(d, nullptr, nullptr) ? d : EGL_NO_DISPLAY;
    }();
    if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API))
      QV_NO_CONTEXT("no surfaceless EGL display with desktop OpenGL");
    display_ = display;
    context_ =
        eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context_))
      QV_NO_CONTEXT("no OpenGL context current without a surface");
    // The framebuffer goes with the context in TearDown.
    GLuint framebuffer = 0, renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                              GL_RENDERBUFFER, renderbuffer);
    ASSERT_EQ(GLenum{GL_FRAMEBUFFER_COMPLETE},
              glCheckFramebufferStatus(GL_FRAMEBUFFER));
    glViewport(0, 0, kSize, kSize);
  }
  void TearDown() override {
    if (context_ == EGL_NO_CONTEXT) return;
    EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    eglReleaseThread();
  }

 private:
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
#endif
};

// Draws on a cleared view; a pixel of the left (drawn) or right half.
template <class F>
Rgba Drawn(F draw, bool left = true) {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  draw();
  Rgba rgba{};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(left ? 2 : kSize - 3, kSize / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
               rgba.data());
  return rgba;
}

Rgba Shown(const Panel& obj, bool left = true) {
  return Drawn([&] { obj.RePaint(); }, left);
}

// The names hit by DrawToSelect (a hit: name count, two depths, names).
std::vector<GLuint> Pick(Panel& obj, std::uintptr_t selName) {
  GLuint buf[64] = {};
  glSelectBuffer(64, buf);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);
  obj.DrawToSelect(reinterpret_cast<void*>(selName));
  std::vector<GLuint> names;
  GLuint* rec = buf;
  for (GLint h = glRenderMode(GL_RENDER); h > 0; --h, rec += 3 + rec[0])
    names.insert(names.end(), rec + 3, rec + 3 + rec[0]);
  return names;
}

}  // namespace

TEST_F(QvDisplayList, CompileReplayPickCopyAndDestroy) {
  GLuint name = 0;
  {
    Panel obj;
    obj.DelDisplayList();  // nothing to delete
    obj.SetColor(0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(kBlack, Shown(obj));  // no list yet
    obj.MakeDisplayList();
    EXPECT_NE(0, obj.IsDisplayList());
    name = obj.ListName();
    obj.SetColor(1.0f, 1.0f, 1.0f, 1.0f);  // the list keeps the old colour
    EXPECT_EQ((Rgba{0, 0, 255, 255}), Shown(obj));
    EXPECT_EQ(kBlack, Shown(obj, false));
    EXPECT_EQ(1, obj.draws);  // compiled once, replayed without Draw

    obj.SetSelected();
    obj.MakeDisplayList();  // replaces the first list
    EXPECT_EQ((Rgba{255, 0, 0, 255}), Shown(obj));
    EXPECT_EQ(2, obj.draws);
    obj.DelDisplayList();
    EXPECT_EQ(0, obj.IsDisplayList());
    EXPECT_EQ(kBlack, Shown(obj));
    obj.MakeDisplayList();
    EXPECT_EQ(GL_TRUE, glIsList(name));
    EXPECT_EQ(std::vector<GLuint>{1234u}, Pick(obj, 1234));
    // Only the low 32 bits of the pointer's value are loaded.
    std::uintptr_t wide = 0xFFFFFFFEu;
    if (sizeof(void*) > 4) wide |= static_cast<std::uintptr_t>(0x5A) << 32;
    EXPECT_EQ(std::vector<GLuint>{0xFFFFFFFEu}, Pick(obj, wide));

    Panel copy(obj), c;  // copies start without a list
    EXPECT_EQ(0, copy.IsDisplayList());
    EXPECT_EQ(kBlack, Shown(copy));
    EXPECT_TRUE(Pick(copy, 7).empty());  // no list: no hit
    copy.SetColor(1.0f, 0.0f, 1.0f, 1.0f);
    copy.SetUnSelected();
    copy.MakeDisplayList();
    EXPECT_EQ((Rgba{255, 0, 255, 255}), Shown(copy));
    c.SetColor(0.0f, 1.0f, 1.0f, 1.0f);
    c.MakeDisplayList();
    c = copy;  // keeps its own, still cyan list
    EXPECT_EQ((Rgba{0, 255, 255, 255}), Shown(c));
    EXPECT_NE(0, obj.IsDisplayList());
  }
  EXPECT_EQ(GL_FALSE, glIsList(name));  // the destructor removed it
}

// The application's lists and the objects' never meet, whichever are made
// first: 64 application lists, then objects (16 of them compiled), 64 more
// application lists, lists the application names by hand (one inside the
// objects' range, where the next object would go, and two outside), then
// the other objects compile. Every application list keeps replaying its
// own colour; the objects' names are distinct, from 0xBFFFFFFF down, skip
// the application's, and destroyed ones are reused. Once every object is
// gone, no list is left but the application's.
TEST_F(QvDisplayList, ObjectsNeverMeetTheApplicationsLists) {
  std::vector<GLuint> app;  // list j draws colour(j)
  const auto colour = [](std::size_t j) {
    const auto k = static_cast<unsigned char>(j);
    return Rgba{k, static_cast<unsigned char>(255 - k), 77, 255};
  };
  const auto compile = [&](GLuint name) {
    glNewList(name, GL_COMPILE);
    glColor4ubv(colour(app.size()).data());
    glRectf(-1.0f, -1.0f, 0.0f, 1.0f);
    glEndList();
    app.push_back(name);
  };
  const auto reserve = [&] {
    const GLuint base = glGenLists(64);
    for (GLuint i = base; i < base + 64; ++i) compile(i);
  };
  const auto checkApp = [&] {
    for (std::size_t j = 0; j < app.size(); ++j)
      ASSERT_EQ(colour(j), Drawn([&] { glCallList(app[j]); })) << app[j];
  };
  std::vector<std::unique_ptr<Panel>> objs;
  std::set<std::uint32_t> names;
  const auto build = [&](Panel& o) {
    o.MakeDisplayList();
    EXPECT_TRUE(names.insert(o.ListName()).second) << o.ListName();
  };

  reserve();
  for (int i = 0; i < 48; ++i) objs.push_back(std::make_unique<Panel>());
  for (int i = 32; i < 48; ++i) build(*objs[i]);
  EXPECT_EQ(0u, objs[0]->ListName());  // none before the first compile
  EXPECT_EQ(0xBFFFFFFFu, *names.rbegin());
  EXPECT_EQ(0xBFFFFFFFu - 15, *names.begin());
  reserve();  // after the objects' lists
  compile(0xBFFFFFFFu - 16);
  compile(0x7FFFFFFFu);
  compile(0xC0000000u + 1000);
  for (int i = 0; i < 32; ++i) build(*objs[i]);
  EXPECT_EQ(0u, names.count(0xBFFFFFFFu - 16));
  for (GLuint n : app) EXPECT_EQ(0u, names.count(n)) << n;
  for (int i : {0, 1, 40, 41}) objs[i].reset();  // their names come back
  for (int i : {0, 1, 40, 41}) {
    objs[i] = std::make_unique<Panel>();
    objs[i]->MakeDisplayList();
    EXPECT_EQ(1u, names.count(objs[i]->ListName()));
  }
  EXPECT_EQ(48u, names.size());
  EXPECT_EQ((Rgba{0, 255, 0, 255}), Shown(*objs[3]));
  checkApp();
  objs.clear();
  checkApp();
  for (std::uint32_t n : names) EXPECT_EQ(GL_FALSE, glIsList(n)) << n;
  EXPECT_EQ(GL_FALSE, glIsList(0xFFFFFFFFu));
}

// A list the application compiles that calls an object's list draws the
// object's latest compile: the name stays through DelDisplayList and
// recompiles.
TEST_F(QvDisplayList, ApplicationListsFollowTheObjectsLatestCompile) {
  Panel obj;
  obj.SetColor(0.0f, 0.0f, 1.0f, 1.0f);
  obj.MakeDisplayList();
  const std::uint32_t name = obj.ListName();
  const GLuint group = glGenLists(1);
  glNewList(group, GL_COMPILE);
  obj.RePaint();
  glEndList();
  obj.DelDisplayList();
  EXPECT_EQ(kBlack, Drawn([&] { glCallList(group); }));
  obj.SetColor(1.0f, 0.0f, 1.0f, 1.0f);
  obj.MakeDisplayList();
  EXPECT_EQ(name, obj.ListName());
  EXPECT_EQ((Rgba{255, 0, 255, 255}), Drawn([&] { glCallList(group); }));
  glDeleteLists(group, 1);
}

// Colour operations and copies need no OpenGL context; a copy takes colour
// and attributes, and neither it nor a new object has a list name.
TEST(QvDrawableObj, ColourAndCopies) {
  Panel a;
  const float* c = a.GetColor();
  EXPECT_EQ((std::vector<float>{0, 1, 0, 1}), std::vector<float>(c, c + 4));
  a.SetColor(0.1f, 0.2f, 0.3f, 0.5f);
  float rgb[3] = {0.2f, 0.4f, 0.6f}, r, g, b, al;
  a.SetColor(rgb);  // alpha back to 1
  a.GetColor(r, g, b, al);
  EXPECT_TRUE(r == 0.2f && g == 0.4f && b == 0.6f && al == 1.0f);
  a.SetSelected();
  a.Init0();  // colour only
  EXPECT_EQ(0x07, a.Attrib());
  EXPECT_EQ((std::vector<float>{0, 1, 0, 1}), std::vector<float>(c, c + 4));

  a.SetColor(0.25f, 0.5f, 0.75f, 0.125f);
  a.SetColorId(9);
  Panel copy(a), assigned;
  assigned = a;
  for (const Panel* x : {&copy, &assigned}) {
    EXPECT_EQ(0x07, x->Attrib());
    EXPECT_EQ(9, x->ColorId());
    x->GetColor(r, g, b);
    EXPECT_TRUE(r == 0.25f && g == 0.5f && b == 0.75f &&
                x->GetColor()[3] == 0.125f);
  }
  for (const Panel* x : {&a, &copy, &assigned}) EXPECT_EQ(0u, x->ListName());
}
