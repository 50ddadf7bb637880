// The shader pair standing in for the fixed-function pipeline: texture x diffuse for colour and
// alpha, world vertices through one combined matrix with depth mapped from 0..1, screen vertices
// straight from pixels, and optional per-vertex lighting by one directional light. Beside it, a
// pair that only copies a texture over the whole framebuffer, so simple that a software
// rasteriser runs it on its fast path.
#pragma once

#include "render/gl_api.h"

#include <string>
#include <vector>

namespace vantrel::render {

// Attribute slots shared by every vertex layout.
constexpr GLuint ATTR_POSITION = 0;
constexpr GLuint ATTR_COLOUR = 1;
constexpr GLuint ATTR_UV = 2;
constexpr GLuint ATTR_NORMAL = 3;
// Four slots from here: the columns of a per-instance combined matrix.
constexpr GLuint ATTR_INSTANCE_TRANSFORM = 4;

// Where a built program came from.
enum class ProgramSource {
    Kept,             // linked from the binary an earlier build kept
    CompiledAndKept,  // compiled, and its binary kept for the next build
    Compiled,         // compiled; its binary could not be kept
};

struct FixedFunctionProgram {
    GLuint id = 0;
    GLint transform = -1;     // mat4: world x view x projection, row-vector layout as stored
    GLint normalMatrix = -1;  // mat3: takes model normals to world space
    GLint screenSpace = -1;   // bool: positions are pixels from the top left
    GLint pixelToClip = -1;   // vec2: 2 / picture width, 2 / picture height
    GLint lighting = -1;      // bool
    GLint instanced = -1;     // bool: the combined matrix comes per instance, and no lighting
    GLint toLight = -1;       // vec3: unit vector toward the light
    GLint ambient = -1;       // float: ambient level, 0..1
    GLint texture = -1;       // sampler2D on unit 0
    ProgramSource source = ProgramSource::Compiled;
};

struct CopyProgram {
    GLuint id = 0;  // samples unit 0; draw a four-vertex triangle strip with vertexArray bound
    // Empty: the strip needs no vertex data, but a core context draws only with an array bound.
    GLuint vertexArray = 0;
    ProgramSource source = ProgramSource::Compiled;
};

// Each links its pair from the driver's binary kept by an earlier run of the same build on the
// same driver, or else compiles and links it and keeps the binary for the next run: once used,
// the shader compiler holds several MB until the context goes. On failure returns false with
// the driver's log in error.
bool buildFixedFunctionProgram(FixedFunctionProgram& program, std::string* error);
bool buildCopyProgram(CopyProgram& program, std::string* error);

// The kept file: what the binary was built from (the driver and the shader sources), then the
// binary. binaryInKeptFile gives the binary back only to the same key, and nothing for a file
// that is not whole.
std::vector<char> keptProgramFile(const std::string& key, const std::vector<char>& binary);
std::vector<char> binaryInKeptFile(const std::string& key, const std::vector<char>& file);
void destroyFixedFunctionProgram(FixedFunctionProgram& program);
void destroyCopyProgram(CopyProgram& program);

}  // namespace vantrel::render
