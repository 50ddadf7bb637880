// The one buffer that every vertex drawn from memory (fans, triangle lists, text) and every
// per-instance matrix of an instanced mesh goes through on its way to the driver. It is filled
// front to back and orphaned when full, so no write waits for the draws still reading it.
#pragma once

#include "render/gl_api.h"

#include <cstddef>

namespace vantrel::render {

// The vertex records the stream draws: WorldVertex or ScreenVertex (device.h).
enum class VertexLayout { World, Screen };

class StreamBuffer {
public:
    // The buffer and a vertex array for each layout; false when the driver refuses them.
    bool create();
    void release();
    // Draws count vertices of the layout. A triangle list longer than the buffer goes in
    // pieces; a longer fan is dropped. False when nothing was drawn.
    bool draw(VertexLayout layout, const void* vertices, int count, GLenum mode);
    // Copies count items of stride bytes in; where the first lies, counted in items, or -1.
    GLintptr append(const void* items, size_t stride, int count);
    // How many items of stride bytes the buffer holds at once.
    static int capacity(size_t stride);

private:
    bool drawOnce(GLuint layout, const void* vertices, size_t stride, int count, GLenum mode);

    GLuint buffer_ = 0;
    GLintptr end_ = 0;         // bytes written since the buffer was last orphaned
    GLuint worldLayout_ = 0;   // vertex array of WorldVertex in the buffer
    GLuint screenLayout_ = 0;  // vertex array of ScreenVertex in the buffer
};

}  // namespace vantrel::render
