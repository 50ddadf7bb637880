#include "render/gl_dialect.h"

namespace vantrel::render {

const char* shaderPrelude() { return "#version 300 es\nprecision highp float;\n"; }

// A WebGL 2 context is OpenGL ES 3.0 by definition: the canvas gives one or none.
std::string contextShortfall() { return ""; }

void clearDepthToFar() { glClearDepthf(1.0f); }

void makeCopySourceStorage(int width, int height) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
}

// WebGL has no buffer mapping; a sub-data upload is its way of writing a range.
bool writeArrayBufferRange(GLintptr offset, GLsizeiptr bytes, const void* data) {
    glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, data);
    return true;
}

std::vector<char> programBinary(GLuint) { return {}; }

bool linkProgramBinary(GLuint, const std::vector<char>&) { return false; }

}  // namespace vantrel::render
