// Display-list cycle of QvDrawableObj on a real OpenGL context: EGL's
// surfaceless platform (a software renderer on a machine without a
// display), a compatibility-profile context so display lists and selection
// mode are there, drawing into an offscreen framebuffer.
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
class Panel final : public QvDrawableObj {
 public:
  void Draw() override {
    ++draws;
    if (IsSelected()) {
      SetGlColorSelected();
    } else {
      SetGlColor();
    }
    glRectf(-1.0f, -1.0f, 0.0f, 1.0f);
  }
  int draws = 0;
};

// An object that draws nothing, for what needs no context.
struct Flat final : QvDrawableObj {
  void Draw() override {}
  using QvDrawableObj::Init0;
};

using Rgba = std::array<unsigned char, 4>;
const Rgba kBlack = {0, 0, 0, 255};
constexpr int kSize = 16;

// A fresh context per test, skipped with the reason when none can be made.
// Objects that own lists must die inside the test body.
class QvDisplayList : public testing::Test {
 protected:
#if defined(QV_TEST_NO_EGL)
  void SetUp() override {
    GTEST_SKIP() << "no EGL here: an OpenGL context needs a window";
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
    if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) {
      GTEST_SKIP() << "no surfaceless EGL display with desktop OpenGL";
    }
    display_ = display;
    context_ =
        eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) {
      GTEST_SKIP() << "no OpenGL context current without a surface";
    }
    glGenRenderbuffers(1, &renderbuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                              GL_RENDERBUFFER, renderbuffer_);
    ASSERT_EQ(GLenum{GL_FRAMEBUFFER_COMPLETE},
              glCheckFramebufferStatus(GL_FRAMEBUFFER));
    glViewport(0, 0, kSize, kSize);
  }
  void TearDown() override {
    if (context_ == EGL_NO_CONTEXT) return;
    if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
    if (renderbuffer_ != 0) glDeleteRenderbuffers(1, &renderbuffer_);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    eglReleaseThread();
  }
#endif
  static void Clear() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  static Rgba Pixel(int x) {
    Rgba rgba{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kSize / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }
  static Rgba Left() {
    return Pixel(2);
  }
  static Rgba Right() {
    return Pixel(kSize - 3);
  }

#if !defined(QV_TEST_NO_EGL)
 private:
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  GLuint framebuffer_ = 0, renderbuffer_ = 0;
#endif
};

// Selection-mode pass over DrawToSelect; returns the names of the hits
// (each hit record: name count, two depths, the names).
std::vector<GLuint> Pick(Panel& obj, std::uintptr_t selName) {
  GLuint buf[64] = {};
  glSelectBuffer(64, buf);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);
  obj.DrawToSelect(reinterpret_cast<void*>(selName));
  std::vector<GLuint> names;
  GLuint* rec = buf;
  for (GLint h = glRenderMode(GL_RENDER); h > 0; --h, rec += 3 + rec[0]) {
    names.insert(names.end(), rec + 3, rec + 3 + rec[0]);
  }
  return names;
}

}  // namespace

TEST_F(QvDisplayList, MakeDeleteAndDestroy) {
  GLuint name = 0;
  {
    Panel obj;
    name = obj.ListName();
    obj.DelDisplayList();  // nothing to delete
    EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
    obj.MakeDisplayList();
    EXPECT_NE(0, obj.IsDisplayList());
    EXPECT_EQ(1, obj.draws);
    obj.DelDisplayList();
    EXPECT_EQ(0, obj.IsDisplayList());
    obj.MakeDisplayList();
    EXPECT_EQ(GL_TRUE, glIsList(name));
  }
  EXPECT_EQ(GL_FALSE, glIsList(name));  // the destructor removed it
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}

TEST_F(QvDisplayList, RePaintReplaysCompiledColour) {
  Panel obj;
  obj.SetColor(0.0f, 0.0f, 1.0f, 1.0f);
  Clear();
  obj.RePaint();          // no list yet: draws nothing
  obj.MakeDisplayList();  // compiled, not executed
  EXPECT_EQ(kBlack, Left());

  obj.SetColor(1.0f, 1.0f, 1.0f, 1.0f);  // the list keeps the old colour
  obj.RePaint();
  EXPECT_EQ((Rgba{0, 0, 255, 255}), Left());
  EXPECT_EQ(kBlack, Right());
  EXPECT_EQ(1, obj.draws);

  obj.SetSelected();
  obj.MakeDisplayList();  // replaces the first list
  Clear();
  obj.RePaint();
  EXPECT_EQ((Rgba{255, 0, 0, 255}), Left());
  EXPECT_EQ(2, obj.draws);
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}

TEST_F(QvDisplayList, DrawToSelectReportsTheGivenName) {
  Panel obj, never;
  obj.MakeDisplayList();
  EXPECT_EQ(std::vector<GLuint>{1234u}, Pick(obj, 1234));
  // Only the low 32 bits of the pointer's value are loaded.
  std::uintptr_t wide = 0xFFFFFFFEu;
  if (sizeof(void*) > 4) wide |= static_cast<std::uintptr_t>(0x5A) << 32;
  EXPECT_EQ(std::vector<GLuint>{0xFFFFFFFEu}, Pick(obj, wide));
  EXPECT_TRUE(Pick(never, 7).empty());  // no list: no hit
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}

TEST_F(QvDisplayList, CopiesStartWithoutList) {
  Panel a, c;
  a.SetColor(1.0f, 0.0f, 1.0f, 1.0f);
  a.MakeDisplayList();
  Panel b(a);
  EXPECT_EQ(0, b.IsDisplayList());
  Clear();
  b.RePaint();
  EXPECT_EQ(kBlack, Left());
  b.MakeDisplayList();
  EXPECT_NE(0, b.IsDisplayList());
  EXPECT_NE(0, a.IsDisplayList());

  c.SetColor(0.0f, 1.0f, 1.0f, 1.0f);
  c.MakeDisplayList();
  c = a;  // keeps its own, still cyan list
  Clear();
  c.RePaint();
  EXPECT_EQ((Rgba{0, 255, 255, 255}), Left());
}

TEST_F(QvDisplayList, ManyLiveObjectsHaveDistinctLists) {
  constexpr int kCount = 10000;
  std::vector<std::unique_ptr<Panel>> objs;
  std::set<std::uint32_t> names;
  for (int i = 0; i < kCount; ++i) {
    objs.push_back(std::make_unique<Panel>());
    objs.back()->SetColor(0.0f, 0.0f, (i % 2) ? 1.0f : 0.0f, 1.0f);
    objs.back()->MakeDisplayList();
    names.insert(objs.back()->ListName());
  }
  EXPECT_EQ(std::size_t{kCount}, names.size());
  EXPECT_EQ(0u, names.count(0));

  // Each list still holds its own object's commands.
  for (int i : {0, 1, kCount - 2, kCount - 1}) {
    Clear();
    objs[i]->RePaint();
    EXPECT_EQ((Rgba{0, 0, static_cast<unsigned char>((i % 2) ? 255 : 0), 255}),
              Left())
        << i;
  }

  // Destroying half leaves the others' lists; new objects reuse names
  // without inheriting a list.
  for (int i = 0; i < kCount; i += 2) objs[i].reset();
  for (int i = 1; i < kCount; i += 2) ASSERT_NE(0, objs[i]->IsDisplayList());
  Panel fresh;
  EXPECT_EQ(0, fresh.IsDisplayList());
  EXPECT_EQ(1u, names.count(fresh.ListName()));
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}

// Colour operations and copies need no OpenGL context; a copy takes colour
// and attributes but keeps its own list name.
TEST(QvDrawableObj, ColourAndCopies) {
  Flat a;
  float r = -1, g = -1, b = -1, al = -1;
  a.GetColor(r, g, b, al);
  EXPECT_TRUE(r == 0.0f && g == 1.0f && b == 0.0f && al == 1.0f);
  a.SetColor(0.1f, 0.2f, 0.3f, 0.5f);
  float rgb[3] = {0.2f, 0.4f, 0.6f};
  a.SetColor(rgb);  // alpha back to 1
  const float* c = a.GetColor();
  EXPECT_TRUE(c[0] == 0.2f && c[1] == 0.4f && c[2] == 0.6f && c[3] == 1.0f);
  a.GetColor(r, g, b);
  EXPECT_EQ(0.6f, b);
  a.SetSelected();
  a.Init0();  // colour only
  EXPECT_EQ(0x07, a.Attrib());
  EXPECT_TRUE(c[0] == 0.0f && c[1] == 1.0f && c[2] == 0.0f && c[3] == 1.0f);

  a.SetColor(0.25f, 0.5f, 0.75f, 0.125f);
  a.SetColorId(9);
  a.SetShading(true);
  Flat copy(a), assigned;
  const std::uint32_t name = assigned.ListName();
  assigned = a;
  for (const Flat* x : {&copy, &assigned}) {
    EXPECT_EQ(a.Attrib(), x->Attrib());
    EXPECT_EQ(9, x->ColorId());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.GetColor()[i], x->GetColor()[i]);
  }
  EXPECT_EQ(name, assigned.ListName());
  EXPECT_NE(0u, a.ListName());
  EXPECT_NE(a.ListName(), copy.ListName());
  EXPECT_NE(a.ListName(), name);
  EXPECT_NE(copy.ListName(), name);
}
