// GlContext.cpp - headless context through EGL's surfaceless platform.
#define GL_GLEXT_PROTOTYPES 1
#include "GlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

namespace qvtest {
namespace {

// Opened once per process and kept: setting up a display is costly.
EGLDisplay SharedDisplay() {
  static const EGLDisplay display = [] {
    auto get = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (get == nullptr) return EGL_NO_DISPLAY;
    EGLDisplay d =
        get(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (d == EGL_NO_DISPLAY || eglInitialize(d, &major, &minor) != EGL_TRUE) {
      return EGL_NO_DISPLAY;
    }
    return d;
  }();
  return display;
}

}  // namespace

GlContext::GlContext(int width, int height) {
  EGLDisplay display = SharedDisplay();
  if (display == EGL_NO_DISPLAY) {
    m_Reason = "no surfaceless EGL display";
    return;
  }
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
    m_Reason = "EGL cannot bind the desktop OpenGL API";
    return;
  }
  EGLContext context =
      eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    m_Reason = "eglCreateContext failed";
    return;
  }
  m_Display = display;
  m_Context = context;
  if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) !=
      EGL_TRUE) {
    m_Reason = "the context cannot be made current without a surface";
    return;
  }
  glGenRenderbuffers(1, &m_Renderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, m_Renderbuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glGenFramebuffers(1, &m_Framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                            GL_RENDERBUFFER, m_Renderbuffer);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    m_Reason = "the offscreen framebuffer is incomplete";
  }
  glViewport(0, 0, width, height);
}

GlContext::~GlContext() {
  if (m_Context == nullptr) return;
  if (m_Framebuffer != 0) glDeleteFramebuffers(1, &m_Framebuffer);
  if (m_Renderbuffer != 0) glDeleteRenderbuffers(1, &m_Renderbuffer);
  eglMakeCurrent(m_Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(m_Display, m_Context);
  eglReleaseThread();
}

std::array<unsigned char, 4> GlContext::Pixel(int x, int y) const {
  std::array<unsigned char, 4> rgba{};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

void GlTest::SetUp() {
  m_Gl = std::make_unique<GlContext>(kSize, kSize);
  if (!m_Gl->Ok()) GTEST_SKIP() << "no OpenGL context: " << m_Gl->Reason();
}

}  // namespace qvtest
