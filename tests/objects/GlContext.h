// GlContext.h - a real, headless OpenGL context for tests that need one.
//
// Uses EGL's surfaceless platform (Mesa's software renderer on a machine
// without a display) and a compatibility-profile context, so the legacy
// calls (display lists, selection mode) are there. Where no context can be
// made, Ok() is false and Reason() says why; tests then skip.
#ifndef QVBASE_TESTS_OBJECTS_GLCONTEXT_H
#define QVBASE_TESTS_OBJECTS_GLCONTEXT_H

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace qvtest {

class GlContext {
 public:
  /// Makes a new context current on the calling thread.
  GlContext();
  /// Releases the context and anything the tests left in it.
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  bool Ok() const { return m_Ok; }
  const std::string& Reason() const { return m_Reason; }

  /// Binds an offscreen RGBA8 framebuffer of width x height and sets the
  /// viewport to it. False (with Reason() set) when that fails.
  bool UseFramebuffer(int width, int height);
  /// The RGBA bytes of one pixel of the bound framebuffer.
  std::array<unsigned char, 4> Pixel(int x, int y) const;

 private:
  void* m_Display = nullptr;
  void* m_Context = nullptr;
  unsigned m_Framebuffer = 0;
  unsigned m_Renderbuffer = 0;
  bool m_Ok = false;
  std::string m_Reason;
};

/// Fixture that gives each test a fresh context with a 16 x 16 framebuffer,
/// and skips the test with the reason when none can be made.
class GlTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 16;
  void SetUp() override;
  void TearDown() override;
  GlContext& Gl() { return *m_Gl; }

 private:
  std::unique_ptr<GlContext> m_Gl;
};

}  // namespace qvtest

#endif  // QVBASE_TESTS_OBJECTS_GLCONTEXT_H
