// The few places where OpenGL 3.3 core (the desktop) and OpenGL ES 3.0 (WebGL 2, the browser
// build) differ for this renderer. Each build compiles its own side (desktop/gl_dialect.cpp,
// browser/gl_dialect.cpp); the rest of the renderer is written to what both have:
// - vertex colours are read as four bytes and swizzled in the vertex shader (ES has no GL_BGRA
//   attribute size), and the picture is read back as RGBA bytes (ES has no GL_BGRA read format);
// - textures are decoded to RGBA8 when loaded, so no compressed format is ever needed.
#pragma once

#include <string>
#include <vector>

#include "render/gl_api.h"

namespace vantrel::render {

// The desktop's context: OpenGL 3.3 core, asked for and checked.
constexpr int CORE_GL_MAJOR = 3;
constexpr int CORE_GL_MINOR = 3;

// What precedes every shader: the language version and, for ES, the float precision.
const char* shaderPrelude();

// Why the current context cannot draw the game, or empty when it can.
std::string contextShortfall();

// Sets the depth the next clear writes to the far plane.
void clearDepthToFar();

// Gives the bound texture storage for colour drawn into it and then copied onto the picture: on
// the desktop in the window's channel order, which a software rasteriser copies on its fast
// path (ES has no such textures).
void makeCopySourceStorage(int width, int height);

// Copies bytes into the bound array buffer at offset, a range no pending draw reads (the caller
// orphans the buffer before reusing it). False when the driver refuses.
bool writeArrayBufferRange(GLintptr offset, GLsizeiptr bytes, const void* data);

// A linked program as the driver can take it back in a later run, its format first; empty where
// there are no program binaries (WebGL has none).
std::vector<char> programBinary(GLuint program);
// Links program from what programBinary gave; false when the driver refuses it (another driver
// or version, or damaged bytes).
bool linkProgramBinary(GLuint program, const std::vector<char>& binary);

}  // namespace vantrel::render
