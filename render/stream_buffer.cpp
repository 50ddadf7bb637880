#include "render/stream_buffer.h"

#include <algorithm>
#include <cstdint>

#include "render/device.h"
#include "render/gl_dialect.h"
#include "render/gl_program.h"

namespace vantrel::render {

namespace {

// Room for two frames with every table full (about 100 KB each) before the buffer is orphaned
// and restarted; the driver keeps each orphan until its draws are done, so a larger buffer only
// holds more memory.
constexpr GLsizeiptr STREAM_BYTES = 1 << 18;

void setVertexLayout(GLsizei stride, GLint positionSize, size_t colourOffset, size_t uvOffset) {
    glEnableVertexAttribArray(ATTR_POSITION);
    glVertexAttribPointer(ATTR_POSITION, positionSize, GL_FLOAT, GL_FALSE, stride, nullptr);
    // The bytes of 0xAARRGGBB as they lie in memory; the vertex shader puts them in order.
    glEnableVertexAttribArray(ATTR_COLOUR);
    glVertexAttribPointer(ATTR_COLOUR, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<const void*>(colourOffset));
    glEnableVertexAttribArray(ATTR_UV);
    glVertexAttribPointer(ATTR_UV, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(uvOffset));
}

size_t strideOf(VertexLayout layout) {
    return layout == VertexLayout::World ? sizeof(WorldVertex) : sizeof(ScreenVertex);
}

}  // namespace

bool StreamBuffer::create() {
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glBufferData(GL_ARRAY_BUFFER, STREAM_BYTES, nullptr, GL_STREAM_DRAW);
    glGenVertexArrays(1, &worldLayout_);
    glBindVertexArray(worldLayout_);
    setVertexLayout(sizeof(WorldVertex), 3, offsetof(WorldVertex, diffuse), offsetof(WorldVertex, u));
    glGenVertexArrays(1, &screenLayout_);
    glBindVertexArray(screenLayout_);
    setVertexLayout(sizeof(ScreenVertex), 4, offsetof(ScreenVertex, diffuse), offsetof(ScreenVertex, u));
    glBindVertexArray(0);
    return glGetError() == GL_NO_ERROR;
}

void StreamBuffer::release() {
    if (worldLayout_) glDeleteVertexArrays(1, &worldLayout_);
    if (screenLayout_) glDeleteVertexArrays(1, &screenLayout_);
    if (buffer_) glDeleteBuffers(1, &buffer_);
    worldLayout_ = screenLayout_ = buffer_ = 0;
    end_ = 0;
}

int StreamBuffer::capacity(size_t stride) { return static_cast<int>(STREAM_BYTES / GLsizeiptr(stride)); }

bool StreamBuffer::draw(VertexLayout layout, const void* vertices, int count, GLenum mode) {
    const size_t stride = strideOf(layout);
    const GLuint array = layout == VertexLayout::World ? worldLayout_ : screenLayout_;
    const int limit = capacity(stride);
    if (count <= limit) return drawOnce(array, vertices, stride, count, mode);
    // Only a triangle list can be cut into pieces that draw the same.
    if (mode != GL_TRIANGLES) return false;
    const int piece = limit - limit % 3;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    bool drawn = false;
    for (int first = 0; first < count; first += piece)
        drawn |= drawOnce(array, bytes + size_t(first) * stride, stride, std::min(piece, count - first), mode);
    return drawn;
}

bool StreamBuffer::drawOnce(GLuint layout, const void* vertices, size_t stride, int count, GLenum mode) {
    const GLintptr first = append(vertices, stride, count);
    if (first < 0) return false;
    glBindVertexArray(layout);
    glDrawArrays(mode, static_cast<GLint>(first), count);
    return true;
}

GLintptr StreamBuffer::append(const void* items, size_t stride, int count) {
    const auto bytes = static_cast<GLintptr>(stride * static_cast<size_t>(count));
    GLintptr first = (end_ + GLintptr(stride) - 1) / GLintptr(stride);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    if ((first * GLintptr(stride)) + bytes > STREAM_BYTES) {
        // Orphan the full buffer: the driver keeps the old storage for draws still in flight.
        glBufferData(GL_ARRAY_BUFFER, STREAM_BYTES, nullptr, GL_STREAM_DRAW);
        first = 0;
    }
    const GLintptr offset = first * GLintptr(stride);
    if (!writeArrayBufferRange(offset, bytes, items)) return -1;
    end_ = offset + bytes;
    return first;
}

}  // namespace vantrel::render
