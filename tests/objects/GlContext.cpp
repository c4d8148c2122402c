// GlContext.cpp - headless context through EGL's surfaceless platform.
#include "GlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

namespace qvtest {
namespace {

// The display is opened once per process and stays open: Mesa keeps
// per-display state that is costly to set up for every test.
EGLDisplay SharedDisplay(std::string* reason) {
  static EGLDisplay display = EGL_NO_DISPLAY;
  static std::string failure;
  static bool tried = false;
  if (!tried) {
    tried = true;
    auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay d = EGL_NO_DISPLAY;
    if (getDisplay == nullptr) {
      failure = "EGL has no eglGetPlatformDisplayEXT";
    } else {
      d = getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY,
                     nullptr);
      if (d == EGL_NO_DISPLAY) failure = "no surfaceless EGL display";
    }
    EGLint major = 0, minor = 0;
    if (d != EGL_NO_DISPLAY && eglInitialize(d, &major, &minor) != EGL_TRUE) {
      failure = "eglInitialize failed on the surfaceless display";
      d = EGL_NO_DISPLAY;
    }
    display = d;
  }
  if (display == EGL_NO_DISPLAY) *reason = failure;
  return display;
}

struct FboCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

  bool Load() {
    Get(genFramebuffers, "glGenFramebuffers");
    Get(bindFramebuffer, "glBindFramebuffer");
    Get(deleteFramebuffers, "glDeleteFramebuffers");
    Get(genRenderbuffers, "glGenRenderbuffers");
    Get(bindRenderbuffer, "glBindRenderbuffer");
    Get(deleteRenderbuffers, "glDeleteRenderbuffers");
    Get(renderbufferStorage, "glRenderbufferStorage");
    Get(framebufferRenderbuffer, "glFramebufferRenderbuffer");
    Get(checkFramebufferStatus, "glCheckFramebufferStatus");
    return genFramebuffers && bindFramebuffer && deleteFramebuffers &&
           genRenderbuffers && bindRenderbuffer && deleteRenderbuffers &&
           renderbufferStorage && framebufferRenderbuffer &&
           checkFramebufferStatus;
  }

  template <typename F>
  static void Get(F& f, const char* name) {
    f = reinterpret_cast<F>(eglGetProcAddress(name));
  }
};

FboCalls& Fbo() {
  static FboCalls calls;
  return calls;
}

}  // namespace

GlContext::GlContext() {
  EGLDisplay display = SharedDisplay(&m_Reason);
  if (display == EGL_NO_DISPLAY) return;
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
    m_Reason = "EGL cannot bind the desktop OpenGL API";
    return;
  }
  EGLContext context =
      eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    m_Reason = "eglCreateContext failed (no configless context support?)";
    return;
  }
  if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) !=
      EGL_TRUE) {
    eglDestroyContext(display, context);
    m_Reason = "the context cannot be made current without a surface";
    return;
  }
  m_Display = display;
  m_Context = context;
  m_Ok = true;
}

GlContext::~GlContext() {
  if (!m_Ok) return;
  FboCalls& fbo = Fbo();
  if (m_Framebuffer != 0) {
    fbo.bindFramebuffer(GL_FRAMEBUFFER, 0);
    fbo.deleteFramebuffers(1, &m_Framebuffer);
  }
  if (m_Renderbuffer != 0) fbo.deleteRenderbuffers(1, &m_Renderbuffer);
  eglMakeCurrent(m_Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(m_Display, m_Context);
  eglReleaseThread();
}

bool GlContext::UseFramebuffer(int width, int height) {
  if (!m_Ok) return false;
  FboCalls& fbo = Fbo();
  if (!fbo.Load()) {
    m_Reason = "framebuffer objects are not available";
    return false;
  }
  fbo.genRenderbuffers(1, &m_Renderbuffer);
  fbo.bindRenderbuffer(GL_RENDERBUFFER, m_Renderbuffer);
  fbo.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  fbo.genFramebuffers(1, &m_Framebuffer);
  fbo.bindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
  fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                              GL_RENDERBUFFER, m_Renderbuffer);
  if (fbo.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    m_Reason = "the offscreen framebuffer is incomplete";
    return false;
  }
  glViewport(0, 0, width, height);
  return true;
}

std::array<unsigned char, 4> GlContext::Pixel(int x, int y) const {
  std::array<unsigned char, 4> rgba{};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

void GlTest::SetUp() {
  m_Gl = std::make_unique<GlContext>();
  if (!m_Gl->Ok()) GTEST_SKIP() << "no OpenGL context: " << m_Gl->Reason();
  if (!m_Gl->UseFramebuffer(kSize, kSize)) {
    GTEST_SKIP() << "no offscreen framebuffer: " << m_Gl->Reason();
  }
}

void GlTest::TearDown() {
  m_Gl.reset();
}

}  // namespace qvtest
