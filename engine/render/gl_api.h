// The one place that knows which GL the engine is built against: desktop
// OpenGL 2.0 through GLEW, or OpenGL ES 2.0 (WebGL 1.0) in a browser. Every
// engine file that calls GL includes this header instead of a GL header.
// Main thread only, with the context current.
#pragma once

#include <cstdint>
#include <cstdio>

#if defined(__EMSCRIPTEN__)

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

// True when the context is GL ES 2.0: stored and upload formats must match,
// no BGR orders, no float textures, and a picture whose sides are not powers
// of two cannot repeat.
constexpr bool kGlEs = true;

// Desktop formats the pixel-format table names. GL ES 2.0 has none of them;
// the table refuses them there before they reach GL.
#define GL_BGR 0x80E0
#define GL_BGRA GL_BGRA_EXT
#define GL_RGB16F GL_RGB16F_EXT
#define GL_RGB32F GL_RGB32F_EXT
#define GL_ALPHA16F_ARB GL_ALPHA16F_EXT
#define GL_ALPHA32F_ARB GL_ALPHA32F_EXT
#define GL_HALF_FLOAT GL_HALF_FLOAT_OES

// GL ES has no fixed-function matrices or texture enable, and WebGL no
// default texture object.
inline void SetDesktopGlDefaults() {}

// Every GL ES 2.0 entry point comes linked in.
inline int32_t LoadGlEntryPoints() { return 0; }

#else

#include <GL/glew.h>

constexpr bool kGlEs = false;

// State only desktop GL has: 2-D texturing on, bilinear filters on the
// default texture object, identity fixed-function matrices (the shader
// programs use none of them).
inline void SetDesktopGlDefaults() {
  glEnable(GL_TEXTURE_2D);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// The entry points beyond OpenGL 1.1 through GLEW, and the check that the
// context offers 2.0. 0 on success; 1 with one line on standard error.
inline int32_t LoadGlEntryPoints() {
  GLenum loaded = glewInit();
  if (loaded != GLEW_OK) {
    // GLEW 2.2 has no text of its own for this one.
    const char* reason = loaded == GLEW_ERROR_NO_GLX_DISPLAY
                             ? "GLEW needs a GLX display, and the context was not made through GLX"
                             : reinterpret_cast<const char*>(glewGetErrorString(loaded));
    std::fprintf(stderr, "GL entry points: %s (GLEW error %u)\n", reason, static_cast<unsigned>(loaded));
    return 1;
  }
  // The shader programs need OpenGL 2.0.
  if (!GLEW_VERSION_2_0) {
    const GLubyte* version = glGetString(GL_VERSION);
    std::fprintf(stderr, "GL context: OpenGL 2.0 is needed, the driver offers %s\n",
                 version != nullptr ? reinterpret_cast<const char*>(version) : "no version");
    return 1;
  }
  return 0;
}

#endif
