// gl.h - the OpenGL 1.1 interface on both systems. Windows' opengl32
// header stops at 1.1 and leaves out the few later names the program
// uses (GL_BGRA, GL_CLAMP_TO_EDGE); glext.h has them. Every call the
// program makes is 1.1, so no extension loading is needed.

#ifndef NUBRIX_PLATFORM_GL_H
#define NUBRIX_PLATFORM_GL_H

#include <GL/gl.h>
#include <GL/glext.h>

#endif
