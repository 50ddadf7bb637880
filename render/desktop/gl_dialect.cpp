#include "render/gl_dialect.h"

#include <cstring>

namespace vantrel::render {

const char* shaderPrelude() { return "#version 330 core\n"; }

std::string contextShortfall() {
    const int version = epoxy_gl_version();
    if (version >= CORE_GL_MAJOR * 10 + CORE_GL_MINOR) return "";
    return "OpenGL " + std::to_string(CORE_GL_MAJOR) + "." + std::to_string(CORE_GL_MINOR) +
           " is needed, the context offers " + std::to_string(version / 10) + "." + std::to_string(version % 10);
}

void clearDepthToFar() { glClearDepth(1.0); }

// Unsized, so that the driver may store it as the data is laid out.
void makeCopySourceStorage(int width, int height) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
}

// Mapped without synchronising: the driver need not wait for draws of the buffer's other ranges.
bool writeArrayBufferRange(GLintptr offset, GLsizeiptr bytes, const void* data) {
    void* target = glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes,
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (!target) return false;
    std::memcpy(target, data, static_cast<size_t>(bytes));
    glUnmapBuffer(GL_ARRAY_BUFFER);
    return true;
}

std::vector<char> programBinary(GLuint program) {
    GLint formats = 0, length = 0;
    glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &formats);
    if (formats > 0) glGetProgramiv(program, GL_PROGRAM_BINARY_LENGTH, &length);
    if (length <= 0) return {};
    GLenum format = 0;
    GLsizei written = 0;
    std::vector<char> binary(sizeof format + static_cast<size_t>(length));
    glGetProgramBinary(program, length, &written, &format, binary.data() + sizeof format);
    if (written <= 0) return {};
    std::memcpy(binary.data(), &format, sizeof format);
    binary.resize(sizeof format + static_cast<size_t>(written));
    return binary;
}

bool linkProgramBinary(GLuint program, const std::vector<char>& binary) {
    GLenum format = 0;
    if (binary.size() <= sizeof format) return false;
    std::memcpy(&format, binary.data(), sizeof format);
    glProgramBinary(program, format, binary.data() + sizeof format,
                    static_cast<GLsizei>(binary.size() - sizeof format));
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked == GL_TRUE;
}

}  // namespace vantrel::render
