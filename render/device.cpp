#include "render/device.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/mat3x3.hpp>
#include <string>
#include <utility>

#include "render/fonts.h"
#include "render/gl_dialect.h"
#include "render/gl_program.h"
#include "render/meshes.h"
#include "render/platform.h"
#include "render/textures.h"
#include "sim/vecmath.h"

namespace vantrel::render {

namespace {

constexpr const char* CREATE_FAILED_TEXT = "Direct3Dの作成に失敗しました";
constexpr const char* INIT_FAILED_TEXT = "Direct3Dの初期化に失敗しました";
// Light 0 shines along this direction (normalised before use); the ambient level is 0x80 of 0xFF.
constexpr float AMBIENT_LEVEL = 128.0f / 255.0f;
// Room for two frames with every table full (about 100 KB each) before the stream buffer is
// orphaned and restarted; the driver keeps each orphan until its draws are done, so a larger
// buffer only holds more memory.
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

// The largest rectangle of the picture's aspect inside the drawable, centred.
PresentRect fitRect(int drawableWidth, int drawableHeight, int pictureWidth, int pictureHeight) {
    const long long w = drawableWidth;
    const long long h = drawableHeight;
    const long long scaledW = h * pictureWidth / pictureHeight;
    if (scaledW <= w) return {static_cast<int>((w - scaledW) / 2), 0, static_cast<int>(scaledW), drawableHeight};
    const long long scaledH = w * pictureHeight / pictureWidth;
    return {0, static_cast<int>((h - scaledH) / 2), drawableWidth, static_cast<int>(scaledH)};
}

}  // namespace

PresentRect letterboxRect(int drawableWidth, int drawableHeight) {
    return fitRect(drawableWidth, drawableHeight, SCREEN_WIDTH, SCREEN_HEIGHT);
}

PictureLayout pictureLayout(int drawableWidth, int drawableHeight, Presentation presentation) {
    if (presentation == Presentation::Classic || drawableWidth <= 0 || drawableHeight <= 0)
        return {SCREEN_WIDTH, SCREEN_HEIGHT, 1.0f, 0.0f, 0.0f};
    const float scale =
        std::min(static_cast<float>(drawableWidth) / SCREEN_WIDTH, static_cast<float>(drawableHeight) / SCREEN_HEIGHT);
    // Whole-pixel margins keep text, drawn on whole pixels, as sharp as the rest of the box.
    const float left = std::floor((static_cast<float>(drawableWidth) - scale * SCREEN_WIDTH) / 2.0f);
    const float top = std::floor((static_cast<float>(drawableHeight) - scale * SCREEN_HEIGHT) / 2.0f);
    return {drawableWidth, drawableHeight, scale, std::max(left, 0.0f), std::max(top, 0.0f)};
}

int scaledFontHeight(int designHeight, float scale) {
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(designHeight) * scale)));
}

struct Device::State {
    std::unique_ptr<GraphicsContext> context;
    std::string dataDir;
    std::unique_ptr<FontSource> fontSource;
    Presentation presentation = Presentation::Native;
    PictureLayout picture = pictureLayout(0, 0, Presentation::Classic);

    GLuint framebuffer = 0;
    GLuint colourBuffer = 0;
    GLuint depthBuffer = 0;
    FixedFunctionProgram program;
    GLuint streamBuffer = 0;
    GLintptr streamOffset = 0;
    GLuint worldLayout = 0;   // vertex array of WorldVertex in the stream buffer
    GLuint screenLayout = 0;  // vertex array of ScreenVertex in the stream buffer
    GLuint whiteTexture = 0;

    TextureTable textures;
    std::array<GpuMesh, MESH_COUNT> meshes{};
    std::array<std::unique_ptr<FontAtlas>, FONT_COUNT> fonts{};
    std::array<int, FONT_COUNT> fontDesignHeights{};  // 0: never created
    float fontScale = 1.0f;                           // the scale the atlases were rasterised at

    Matrix world = matrixIdentity();
    Matrix view = matrixIdentity();
    Matrix projection = matrixIdentity();
    bool transformDirty = true;
    bool lighting = false;
    GLuint boundTexture = 0;
    bool boundOpaque = true;
    std::vector<ScreenVertex> textVertices;  // reused by drawText to avoid per-frame allocation
    std::vector<Matrix> instanceTransforms;  // reused by drawMeshInstances
    std::vector<ScreenVertex> fanVertices;   // reused by drawScreenFan for the mapped corners

    uint32_t clearColour = 0;
    bool drawnSinceClear = true;
    // The kept static layer: its key, the clear under it, and its copy (made on first use).
    struct StaticLayer {
        uint64_t key = 0;
        uint32_t clearColour = 0;
        bool valid = false;
        GLuint framebuffer = 0;
        GLuint colour = 0;
    } staticLayer;
    bool staticLayerUsed = false;  // in the frame being drawn
    bool staticLayerReleased = false;

    PictureLayout currentLayout() const;
    bool buildProgram(std::string* reason);
    bool createFramebuffer(std::string* reason);
    void sizePicture();
    void rasteriseFont(int index);
    bool createStreaming();
    void setFixedStates();
    void uploadTransform();
    void useScreenSpace(bool on);
    void drawStreamed(GLuint layout, const void* vertices, size_t stride, int count, GLenum mode);
    void streamOnce(GLuint layout, const void* vertices, size_t stride, int count, GLenum mode);
    // Copies count items into the stream buffer; the index of the first there, or -1.
    GLintptr streamIn(const void* items, size_t stride, int count);
    Matrix combinedTransform(const Matrix& w) const { return w * view * projection; }
    void drawSubsets(const GpuMesh& mesh, int instances);
    void drawInstancesOnce(const GpuMesh& mesh, const Matrix* worlds, int count);
    void copyColour(GLuint from, GLuint to);
    bool keepStaticLayer();
    void releaseStaticLayer();
    void releaseAll();
};

PictureLayout Device::State::currentLayout() const {
    int w = 0;
    int h = 0;
    context->drawableSize(w, h);
    return pictureLayout(w, h, presentation);
}

// Once used, the driver's shader compiler holds several MB for as long as its context lives. A
// start that had to compile therefore links again, from the binary it just kept, on a fresh
// context; nothing else has been made on the first one yet.
bool Device::State::buildProgram(std::string* reason) {
    if (!buildFixedFunctionProgram(program, reason)) return false;
    if (program.source == ProgramSource::CompiledAndKept && context->renew()) {
        returnFreeHeap();
        if (!buildFixedFunctionProgram(program, reason)) return false;
    }
    glUseProgram(program.id);  // the only one, for the device's whole life
    return true;
}

bool Device::State::createFramebuffer(std::string* reason) {
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colourBuffer);
    glGenRenderbuffers(1, &depthBuffer);
    picture = currentLayout();
    sizePicture();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        *reason = "a " + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
                  " colour and depth framebuffer is not supported";
        return false;
    }
    return true;
}

// Storage for the picture at the layout's size; its contents are undefined until cleared.
void Device::State::sizePicture() {
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
    // No alpha in the picture, as with a desktop-format back buffer: read-back alpha is 0xFF.
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, picture.width, picture.height);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, picture.width, picture.height);
    // A kept static layer is of the old size: its copy is made again at the new one.
    if (staticLayer.colour) {
        glBindRenderbuffer(GL_RENDERBUFFER, staticLayer.colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, picture.width, picture.height);
    }
    staticLayer.valid = false;
    glViewport(0, 0, picture.width, picture.height);
    if (program.id) {
        glUniform2f(program.pixelToClip, 2.0f / static_cast<float>(picture.width),
                    2.0f / static_cast<float>(picture.height));
    }
}

void Device::State::rasteriseFont(int index) {
    auto& font = fonts[size_t(index)];
    font.reset();
    std::string error;
    const int designHeight = fontDesignHeights[size_t(index)];
    font = fontSource->makeFont(designHeight, scaledFontHeight(designHeight, fontScale), &error);
    if (!font) std::fprintf(stderr, "vantrel: font %d left empty: %s\n", index, error.c_str());
    glBindTexture(GL_TEXTURE_2D, boundTexture);
}

bool Device::State::createStreaming() {
    glGenBuffers(1, &streamBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    glBufferData(GL_ARRAY_BUFFER, STREAM_BYTES, nullptr, GL_STREAM_DRAW);
    glGenVertexArrays(1, &worldLayout);
    glBindVertexArray(worldLayout);
    setVertexLayout(sizeof(WorldVertex), 3, offsetof(WorldVertex, diffuse), offsetof(WorldVertex, u));
    glGenVertexArrays(1, &screenLayout);
    glBindVertexArray(screenLayout);
    setVertexLayout(sizeof(ScreenVertex), 4, offsetof(ScreenVertex, diffuse), offsetof(ScreenVertex, u));
    glBindVertexArray(0);
    // Meshes carry no colour (their material is white) and fans no normal.
    glVertexAttrib4f(ATTR_COLOUR, 1.0f, 1.0f, 1.0f, 1.0f);
    glVertexAttrib3f(ATTR_NORMAL, 0.0f, 0.0f, 0.0f);
    return glGetError() == GL_NO_ERROR;
}

void Device::State::setFixedStates() {
    const double len = straightLength(Offset{TOWARD_SUN.x, TOWARD_SUN.y, TOWARD_SUN.z});
    glUniform3f(program.toLight, static_cast<float>(TOWARD_SUN.x / len), static_cast<float>(TOWARD_SUN.y / len),
                static_cast<float>(TOWARD_SUN.z / len));
    glUniform1f(program.ambient, AMBIENT_LEVEL);
    glUniform1i(program.texture, 0);
    glUniform1i(program.lighting, 0);
    glUniform1i(program.screenSpace, 0);
    glUniform2f(program.pixelToClip, 2.0f / static_cast<float>(picture.width),
                2.0f / static_cast<float>(picture.height));
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Device::State::uploadTransform() {
    if (!transformDirty) return;
    const Matrix combined = combinedTransform(world);
    // A row-vector matrix stored row by row is, read column by column, its transpose: exactly
    // what GLSL needs to compute p * M as M' * p.
    glUniformMatrix4fv(program.transform, 1, GL_FALSE, &combined.m[0][0]);
    glm::mat3 rows;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) rows[i][j] = world.m[i][j];
    const glm::mat3 normalMatrix = glm::determinant(rows) == 0.0f ? glm::mat3(0.0f) : glm::inverseTranspose(rows);
    glUniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, glm::value_ptr(normalMatrix));
    transformDirty = false;
}

void Device::State::useScreenSpace(bool on) { glUniform1i(program.screenSpace, on ? 1 : 0); }

void Device::State::drawStreamed(GLuint layout, const void* vertices, size_t stride, int count, GLenum mode) {
    const auto limit = static_cast<int>(STREAM_BYTES / GLsizeiptr(stride));
    if (count > limit) {
        // Only a triangle list can be cut into pieces that draw the same; a longer fan is dropped.
        if (mode != GL_TRIANGLES) return;
        const int piece = limit - limit % 3;
        const auto* bytes = static_cast<const uint8_t*>(vertices);
        for (int first = 0; first < count; first += piece)
            streamOnce(layout, bytes + size_t(first) * stride, stride, std::min(piece, count - first), mode);
        return;
    }
    streamOnce(layout, vertices, stride, count, mode);
}

void Device::State::streamOnce(GLuint layout, const void* vertices, size_t stride, int count, GLenum mode) {
    const GLintptr first = streamIn(vertices, stride, count);
    if (first < 0) return;
    drawnSinceClear = true;
    glBindVertexArray(layout);
    glDrawArrays(mode, static_cast<GLint>(first), count);
}

GLintptr Device::State::streamIn(const void* items, size_t stride, int count) {
    const auto bytes = static_cast<GLintptr>(stride * static_cast<size_t>(count));
    GLintptr first = (streamOffset + GLintptr(stride) - 1) / GLintptr(stride);
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    if ((first * GLintptr(stride)) + bytes > STREAM_BYTES) {
        // Orphan the full buffer: the driver keeps the old storage for draws still in flight.
        glBufferData(GL_ARRAY_BUFFER, STREAM_BYTES, nullptr, GL_STREAM_DRAW);
        first = 0;
    }
    const GLintptr offset = first * GLintptr(stride);
    if (!writeArrayBufferRange(offset, bytes, items)) return -1;
    streamOffset = offset + bytes;
    return first;
}

// Meshes are opaque white, so over an opaque texture blending would leave the source colour
// as it is; without it the rasteriser need not read the picture underneath.
void Device::State::drawSubsets(const GpuMesh& mesh, int instances) {
    drawnSinceClear = true;
    if (boundOpaque) glDisable(GL_BLEND);
    for (const MeshSubset& subset : mesh.subsets) {
        if (subset.count == 0) continue;
        const auto* first = reinterpret_cast<const void*>(subset.first * sizeof(uint32_t));
        const auto count = static_cast<GLsizei>(subset.count);
        if (instances > 0)
            glDrawElementsInstanced(GL_TRIANGLES, count, GL_UNSIGNED_INT, first, instances);
        else
            glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, first);
    }
    if (boundOpaque) glEnable(GL_BLEND);
}

// The combined matrices go through the stream buffer as per-instance attributes of the mesh's
// vertex array, which are switched off again so plain draws of the mesh never read them.
void Device::State::drawInstancesOnce(const GpuMesh& mesh, const Matrix* worlds, int count) {
    std::vector<Matrix>& combined = instanceTransforms;
    combined.clear();
    for (int k = 0; k < count; ++k) {
        const Matrix toClip = combinedTransform(worlds[k]);
        if (!outsideViewVolume(toClip, mesh.bound)) combined.push_back(toClip);
    }
    if (combined.empty()) return;
    count = static_cast<int>(combined.size());
    const GLintptr first = streamIn(combined.data(), sizeof(Matrix), count);
    if (first < 0) return;
    glBindVertexArray(mesh.vao);
    for (GLuint column = 0; column < 4; ++column) {
        const GLuint slot = ATTR_INSTANCE_TRANSFORM + column;
        glEnableVertexAttribArray(slot);
        glVertexAttribPointer(
            slot, 4, GL_FLOAT, GL_FALSE, sizeof(Matrix),
            reinterpret_cast<const void*>(first * GLintptr(sizeof(Matrix)) + GLintptr(column * sizeof(Matrix::m[0]))));
        glVertexAttribDivisor(slot, 1);
    }
    glUniform1i(program.instanced, 1);
    drawSubsets(mesh, count);
    glUniform1i(program.instanced, 0);
    for (GLuint column = 0; column < 4; ++column) glDisableVertexAttribArray(ATTR_INSTANCE_TRANSFORM + column);
}

void Device::State::copyColour(GLuint from, GLuint to) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    glBlitFramebuffer(0, 0, picture.width, picture.height, 0, 0, picture.width, picture.height, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

// Copies the picture into the static layer's own colour buffer, made the first time.
bool Device::State::keepStaticLayer() {
    StaticLayer& layer = staticLayer;
    if (!layer.framebuffer) {
        glGenFramebuffers(1, &layer.framebuffer);
        glGenRenderbuffers(1, &layer.colour);
        glBindRenderbuffer(GL_RENDERBUFFER, layer.colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, picture.width, picture.height);
        glBindFramebuffer(GL_FRAMEBUFFER, layer.framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, layer.colour);
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        if (!complete) return false;
    }
    copyColour(framebuffer, layer.framebuffer);
    return true;
}

void Device::State::releaseStaticLayer() {
    if (staticLayer.framebuffer) glDeleteFramebuffers(1, &staticLayer.framebuffer);
    if (staticLayer.colour) glDeleteRenderbuffers(1, &staticLayer.colour);
    staticLayerReleased = staticLayer.colour != 0;
    staticLayer = StaticLayer{};
}

void Device::State::releaseAll() {
    if (!context) return;
    context->makeCurrent();
    for (auto& font : fonts) font.reset();
    for (GpuMesh& mesh : meshes) destroyMesh(mesh);
    textures.releaseAll();
    if (whiteTexture) glDeleteTextures(1, &whiteTexture);
    if (worldLayout) glDeleteVertexArrays(1, &worldLayout);
    if (screenLayout) glDeleteVertexArrays(1, &screenLayout);
    if (streamBuffer) glDeleteBuffers(1, &streamBuffer);
    destroyFixedFunctionProgram(program);
    releaseStaticLayer();
    if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
    if (colourBuffer) glDeleteRenderbuffers(1, &colourBuffer);
    if (depthBuffer) glDeleteRenderbuffers(1, &depthBuffer);
    whiteTexture = worldLayout = screenLayout = streamBuffer = framebuffer = colourBuffer = depthBuffer = 0;
    fontSource.reset();
    context.reset();
}

Device::Device() : state_(std::make_unique<State>()) {}

Device::~Device() { state_->releaseAll(); }

std::unique_ptr<Device> Device::initOnContext(std::unique_ptr<GraphicsContext> context, const std::string& contextError,
                                              const std::string& dataDir, Presentation presentation) {
    if (!context) {
        showDeviceFailure(CREATE_FAILED_TEXT, contextError);
        return nullptr;
    }
    std::unique_ptr<Device> device(new Device());
    State& s = *device->state_;
    s.context = std::move(context);
    s.dataDir = dataDir;
    s.presentation = presentation;
    std::string reason = s.context->makeCurrent();
    if (reason.empty()) reason = contextShortfall();
    const bool usable = reason.empty() && s.buildProgram(&reason) && s.createFramebuffer(&reason);
    if (!usable || !s.createStreaming()) {
        showDeviceFailure(INIT_FAILED_TEXT, reason.empty() ? "vertex streaming could not be set up" : reason);
        return nullptr;
    }
    s.whiteTexture = createWhiteTexture();
    s.textures.open(dataDir);
    s.setFixedStates();
    device->bindTexture(-1);
    return device;
}

void Device::createFont(int index, int pixelHeight) {
    if (index < 0 || index >= FONT_COUNT) return;
    State& s = *state_;
    if (!s.fontSource) {
        std::string error;
        s.fontSource = openFontSource(s.dataDir, &error);
        if (!s.fontSource) {
            std::fprintf(stderr, "vantrel: fonts unavailable: %s\n", error.c_str());
            return;
        }
    }
    s.fontDesignHeights[size_t(index)] = pixelHeight;
    s.fontScale = s.picture.scale;
    s.rasteriseFont(index);
}

void Device::loadMeshes(const std::vector<MeshFile>& files) {
    std::vector<MeshFile> inTable = files;
    std::erase_if(inTable, [](const MeshFile& f) { return f.slot < 0 || f.slot >= MESH_COUNT; });
    std::vector<std::string> paths;
    for (const MeshFile& file : inTable) paths.push_back(file.path);
    const std::vector<MeshFileResult> results = readMeshFiles(paths);
    for (size_t i = 0; i < inTable.size(); ++i) {
        GpuMesh& mesh = state_->meshes[size_t(inTable[i].slot)];
        destroyMesh(mesh);
        if (results[i].data) {
            mesh = uploadMesh(*results[i].data);
        } else {
            std::fprintf(stderr, "vantrel: mesh %d left empty: %s\n", inTable[i].slot, results[i].error.c_str());
        }
    }
}

void Device::loadMeshTable(const std::string& dataDir) {
    std::vector<MeshFile> files;
    for (int slot = 0; slot < MESH_COUNT; ++slot) files.push_back({slot, dataDir + "/" + MESH_FILES[slot]});
    loadMeshes(files);
    // The table is the last thing loaded: hand back to the system what the decoded pictures and
    // the mesh reader's answers left free on the heap, which the heap would otherwise keep.
    returnFreeHeap();
}

void Device::releaseMeshes() {
    for (GpuMesh& mesh : state_->meshes) destroyMesh(mesh);
}

void Device::beginFrame() {
    State& s = *state_;
    // A frame without the static layer means the scenes that keep one have given way to others.
    if (!s.staticLayerUsed) s.releaseStaticLayer();
    s.staticLayerUsed = false;
    // What was read or released leaves free blocks inside the heap, which the heap keeps unless
    // asked: hand them back once the frame after has started.
    const bool texturesChanged = s.textures.takeChange();
    if (texturesChanged || std::exchange(s.staticLayerReleased, false)) returnFreeHeap();
    const PictureLayout next = s.currentLayout();
    const bool resized = next.width != s.picture.width || next.height != s.picture.height;
    s.picture = next;
    if (resized) s.sizePicture();
    if (s.fontScale == next.scale) return;
    s.fontScale = next.scale;
    for (int i = 0; i < FONT_COUNT; ++i) {
        if (s.fontDesignHeights[size_t(i)] > 0) s.rasteriseFont(i);
    }
}

const PictureLayout& Device::layout() const { return state_->picture; }

PictureLayout Device::upcomingLayout() const { return state_->currentLayout(); }

void Device::clear(uint32_t colour) {
    glClearColor(static_cast<float>((colour >> 16) & 0xFF) / 255.0f, static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(colour & 0xFF) / 255.0f, static_cast<float>(colour >> 24) / 255.0f);
    clearDepthToFar();
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    state_->clearColour = colour;
    state_->drawnSinceClear = false;
}

void Device::clearMargins(uint32_t colour) {
    const PictureLayout& p = state_->picture;
    const int boxLeft = static_cast<int>(p.left);
    const int boxTop = static_cast<int>(p.top);
    const int boxRight = std::min(p.width, static_cast<int>(std::lround(p.left + p.scale * SCREEN_WIDTH)));
    const int boxBottom = std::min(p.height, static_cast<int>(std::lround(p.top + p.scale * SCREEN_HEIGHT)));
    // Scissor boxes count rows from the bottom of the picture.
    const PresentRect bars[] = {{0, 0, boxLeft, p.height},
                                {boxRight, 0, p.width - boxRight, p.height},
                                {0, p.height - boxTop, p.width, boxTop},
                                {0, 0, p.width, p.height - boxBottom}};
    glClearColor(static_cast<float>((colour >> 16) & 0xFF) / 255.0f, static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(colour & 0xFF) / 255.0f, static_cast<float>(colour >> 24) / 255.0f);
    glEnable(GL_SCISSOR_TEST);
    for (const PresentRect& bar : bars) {
        if (bar.width <= 0 || bar.height <= 0) continue;
        glScissor(bar.x, bar.y, bar.width, bar.height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

void Device::setWorld(const Matrix& m) {
    state_->world = m;
    state_->transformDirty = true;
}

void Device::setView(const Matrix& m) {
    state_->view = m;
    state_->transformDirty = true;
}

void Device::setProjection(const Matrix& m) {
    state_->projection = m;
    state_->transformDirty = true;
}

void Device::setLighting(bool on) {
    state_->lighting = on;
    glUniform1i(state_->program.lighting, on ? 1 : 0);
}

void Device::bindTexture(int index) {
    State& s = *state_;
    const TextureTable::Texture texture = s.textures.get(index);
    s.boundTexture = texture.id ? texture.id : s.whiteTexture;
    s.boundOpaque = texture.opaque;
    glBindTexture(GL_TEXTURE_2D, s.boundTexture);
}

void Device::releaseTexture(int index) {
    State& s = *state_;
    const GLuint released = s.textures.release(index);
    if (released == 0 || released != s.boundTexture) return;
    s.boundTexture = s.whiteTexture;
    s.boundOpaque = true;
    glBindTexture(GL_TEXTURE_2D, s.boundTexture);
}

namespace {

bool allOpaque(const WorldVertex* v, int count) {
    return std::all_of(v, v + count, [](const WorldVertex& k) { return k.diffuse >> 24 == 0xFF; });
}

}  // namespace

void Device::drawWorldFan(const WorldVertex* v, int count) {
    if (!v || count < 3) return;
    drawWorld(v, count, GL_TRIANGLE_FAN);
}

void Device::drawWorldTriangles(const WorldVertex* v, int count) {
    if (!v || count < 3) return;
    drawWorld(v, count - count % 3, GL_TRIANGLES);
}

// Opaque vertices over an opaque texture cover what is under them whether blended or not, and
// unblended the rasteriser need not read the picture underneath.
void Device::drawWorld(const WorldVertex* v, int count, unsigned mode) {
    State& s = *state_;
    s.uploadTransform();
    const bool opaque = s.boundOpaque && allOpaque(v, count);
    if (opaque) glDisable(GL_BLEND);
    s.drawStreamed(s.worldLayout, v, sizeof(WorldVertex), count, mode);
    if (opaque) glEnable(GL_BLEND);
}

void Device::setNearerOnly(bool on) { glDepthFunc(on ? GL_LESS : GL_LEQUAL); }

void Device::drawScreenFan(const ScreenVertex* v, int count) {
    if (!v || count < 3) return;
    State& s = *state_;
    s.fanVertices.assign(v, v + count);
    for (ScreenVertex& p : s.fanVertices) {
        p.x = s.picture.left + s.picture.scale * p.x;
        p.y = s.picture.top + s.picture.scale * p.y;
    }
    s.useScreenSpace(true);
    s.drawStreamed(s.screenLayout, s.fanVertices.data(), sizeof(ScreenVertex), count, GL_TRIANGLE_FAN);
    s.useScreenSpace(false);
}

void Device::drawMeshSubsets(int index) {
    if (index < 0 || index >= MESH_COUNT) return;
    State& s = *state_;
    const GpuMesh& mesh = s.meshes[size_t(index)];
    if (!mesh.vao || outsideViewVolume(s.combinedTransform(s.world), mesh.bound)) return;
    s.uploadTransform();
    glBindVertexArray(mesh.vao);
    s.drawSubsets(mesh, 0);
}

void Device::drawMeshInstances(int index, const std::vector<Matrix>& worlds) {
    if (index < 0 || index >= MESH_COUNT) return;
    State& s = *state_;
    const GpuMesh& mesh = s.meshes[size_t(index)];
    if (!mesh.vao) return;
    if (mesh.subsets.size() > 1) {
        // Instanced, each subset would go out for every instance before the next subset.
        drawMeshOneByOne(index, worlds);
        return;
    }
    const auto limit = static_cast<int>(STREAM_BYTES / GLsizeiptr(sizeof(Matrix)));
    const auto count = static_cast<int>(worlds.size());
    for (int first = 0; first < count; first += limit)
        s.drawInstancesOnce(mesh, worlds.data() + first, std::min(limit, count - first));
}

void Device::drawMeshOneByOne(int index, const std::vector<Matrix>& worlds) {
    State& s = *state_;
    const Matrix kept = s.world;
    const bool lit = s.lighting;
    setLighting(false);  // as when instanced
    for (const Matrix& w : worlds) {
        setWorld(w);
        drawMeshSubsets(index);
    }
    setLighting(lit);
    setWorld(kept);
}

unsigned Device::meshSubsetCount(int index) const {
    if (index < 0 || index >= MESH_COUNT) return 0;
    return static_cast<unsigned>(state_->meshes[size_t(index)].subsets.size());
}

void Device::drawText(int font, const std::string& text, int left, int top, int right, int bottom, TextAlign align,
                      uint32_t colour) {
    if (font < 0 || font >= FONT_COUNT || !state_->fonts[size_t(font)]) return;
    State& s = *state_;
    const PictureLayout& p = s.picture;
    // Whole picture pixels, so glyphs land on the pixel grid they were rasterised for.
    const auto toX = [&p](int x) { return static_cast<int>(std::lround(p.left + p.scale * static_cast<float>(x))); };
    const auto toY = [&p](int y) { return static_cast<int>(std::lround(p.top + p.scale * static_cast<float>(y))); };
    const int clipLeft = toX(std::max(left, 0));
    const int clipTop = toY(std::max(top, 0));
    const int clipRight = toX(std::min(right, SCREEN_WIDTH));
    const int clipBottom = toY(std::min(bottom, SCREEN_HEIGHT));
    if (clipLeft >= clipRight || clipTop >= clipBottom) return;
    s.textVertices.clear();
    s.fonts[size_t(font)]->layout(text, toX(left), toY(top), toX(right), align, colour, s.textVertices);
    if (s.textVertices.empty()) return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(clipLeft, p.height - clipBottom, clipRight - clipLeft, clipBottom - clipTop);
    glBindTexture(GL_TEXTURE_2D, s.fonts[size_t(font)]->texture());
    s.useScreenSpace(true);
    s.drawStreamed(s.screenLayout, s.textVertices.data(), sizeof(ScreenVertex), static_cast<int>(s.textVertices.size()),
                   GL_TRIANGLES);
    s.useScreenSpace(false);
    glBindTexture(GL_TEXTURE_2D, s.boundTexture);
    glDisable(GL_SCISSOR_TEST);
}

void Device::drawStaticLayer(uint64_t key, const std::function<void()>& draw) {
    State& s = *state_;
    s.staticLayerUsed = true;
    if (s.drawnSinceClear) {
        draw();
        return;
    }
    State::StaticLayer& layer = s.staticLayer;
    if (layer.valid && layer.key == key && layer.clearColour == s.clearColour) {
        s.copyColour(layer.framebuffer, s.framebuffer);
        s.drawnSinceClear = true;
        return;
    }
    draw();
    layer.valid = s.keepStaticLayer();
    layer.key = key;
    layer.clearColour = s.clearColour;
}

void Device::present() {
    State& s = *state_;
    int w = 0;
    int h = 0;
    s.context->drawableSize(w, h);
    if (w > 0 && h > 0) {
        const int pw = s.picture.width;
        const int ph = s.picture.height;
        const bool whole = pw == w && ph == h;
        // A picture that does not match the drawable is the classic one, or one drawn before a
        // resize that the next frame catches up with: shown letterboxed either way.
        const PresentRect box = whole ? PresentRect{0, 0, w, h} : fitRect(w, h, pw, ph);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer);
        glViewport(0, 0, w, h);
        if (!whole) {
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glBlitFramebuffer(0, 0, pw, ph, box.x, box.y, box.x + box.width, box.y + box.height, GL_COLOR_BUFFER_BIT,
                          whole ? GL_NEAREST : GL_LINEAR);
        s.context->swap();
        glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
        glViewport(0, 0, pw, ph);
    }
}

std::vector<uint32_t> Device::readPixels() const {
    const int w = state_->picture.width;
    const int h = state_->picture.height;
    std::vector<uint8_t> bottomUp(size_t(w) * size_t(h) * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, state_->framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    return argbFromRgbaRows(bottomUp, w, h);
}

}  // namespace vantrel::render
