#include "GLReference.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

#define NANOVG_GL3_IMPLEMENTATION
#include "nanovg_gl.h"

namespace glreference {
namespace {

struct Egl
{
  bool ok = false;
  std::string why;
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;

  Egl()
  {
    auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay)
      display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY)
    {
      why = "no surfaceless EGL display (Mesa's EGL missing?)";
      return;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor))
    {
      why = "eglInitialize failed";
      return;
    }
    if (!eglBindAPI(EGL_OPENGL_API))
    {
      why = "no desktop OpenGL through EGL";
      return;
    }
    // Drawing goes into frame-buffer objects: any surface type will do.
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count == 0)
    {
      why = "no OpenGL configuration";
      return;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
    {
      why = "no OpenGL 3.3 core context";
      return;
    }
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
    {
      why = "cannot make a context current without a surface";
      return;
    }
    ok = true;
  }
};

Egl& TheEgl()
{
  static Egl egl;
  return egl;
}

} // namespace

bool Available(std::string* why)
{
  Egl& egl = TheEgl();
  if (!egl.ok && why)
    *why = egl.why;
  return egl.ok;
}

std::vector<uint8_t> Draw(int width, int height, float ratio, int flags, const std::function<void(NVGcontext*)>& draw)
{
  if (!Available(nullptr))
    return {};
  int w = static_cast<int>(width * ratio), h = static_cast<int>(height * ratio);
  GLuint fbo = 0, color = 0, stencil = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGenRenderbuffers(1, &color);
  glBindRenderbuffer(GL_RENDERBUFFER, color);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
  glGenRenderbuffers(1, &stencil);
  glBindRenderbuffer(GL_RENDERBUFFER, stencil);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil);

  glViewport(0, 0, w, h);
  glClearColor(0, 0, 0, 0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
  NVGcontext* vg = nvgCreateGL3(flags);
  if (vg)
  {
    nvgBeginFrame(vg, static_cast<float>(width), static_cast<float>(height), ratio);
    draw(vg);
    nvgEndFrame(vg);
    glFinish();
    std::vector<uint8_t> bottomUp(rgba.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int y = 0; y < h; ++y)
      std::memcpy(&rgba[static_cast<size_t>(y) * w * 4], &bottomUp[static_cast<size_t>(h - 1 - y) * w * 4], w * 4);
    nvgDeleteGL3(vg);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteRenderbuffers(1, &stencil);
  glDeleteRenderbuffers(1, &color);
  glDeleteFramebuffers(1, &fbo);
  return rgba;
}

} // namespace glreference
