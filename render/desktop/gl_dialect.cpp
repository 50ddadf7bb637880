#include "render/gl_dialect.h"

#include <cstring>

namespace vantrel::render {

namespace {


}  // namespace

const char* shaderPrelude() { return "#version 330 core\n"; }

std::string contextShortfall() {
    const int version = epoxy_gl_version();
    if (version >= CORE_GL_MAJOR * 10 + CORE_GL_MINOR) return "";
    return "OpenGL " + std::to_string(CORE_GL_MAJOR) + "." + std::to_string(CORE_GL_MINOR) + " is needed, the context offers " +
           std::to_string(version / 10) + "." + std::to_string(version % 10);
}

void clearDepthToFar() { glClearDepth(1.0); }

// Mapped without synchronising: the driver need not wait for draws of the buffer's other ranges.
bool writeArrayBufferRange(GLintptr offset, GLsizeiptr bytes, const void* data) {
    void* target = glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes,
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (!target) return false;
    std::memcpy(target, data, static_cast<size_t>(bytes));
    glUnmapBuffer(GL_ARRAY_BUFFER);
    return true;
}

}  // namespace vantrel::render
