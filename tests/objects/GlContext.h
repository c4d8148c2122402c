// GlContext.h - a real, headless OpenGL context for tests that need one.
//
// EGL's surfaceless platform (Mesa's software renderer on a machine without
// a display) with a compatibility-profile context, so display lists and
// selection mode are there, drawing into an offscreen framebuffer. Where no
// context can be made, Ok() is false and Reason() says why.
#ifndef QVBASE_TESTS_OBJECTS_GLCONTEXT_H
#define QVBASE_TESTS_OBJECTS_GLCONTEXT_H

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace qvtest {

class GlContext {
 public:
  /// Makes a new context current on the calling thread and binds an RGBA8
  /// framebuffer of width x height with the viewport set to it.
  GlContext(int width, int height);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  bool Ok() const { return m_Reason.empty(); }
  const std::string& Reason() const { return m_Reason; }
  /// The RGBA bytes of one pixel of the framebuffer.
  std::array<unsigned char, 4> Pixel(int x, int y) const;

 private:
  void* m_Display = nullptr;
  void* m_Context = nullptr;
  unsigned m_Framebuffer = 0;
  unsigned m_Renderbuffer = 0;
  std::string m_Reason;
};

/// Gives each test a fresh 16 x 16 context; skips with the reason when
/// none can be made. Objects that own lists must die inside the test body.
class GlTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 16;
  void SetUp() override;
  void TearDown() override { m_Gl.reset(); }
  GlContext& Gl() { return *m_Gl; }

 private:
  std::unique_ptr<GlContext> m_Gl;
};

}  // namespace qvtest

#endif  // QVBASE_TESTS_OBJECTS_GLCONTEXT_H
