#include "render/device.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/mat3x3.hpp>
#include <string>
#include <utility>

#include "render/fonts.h"
#include "render/gl_dialect.h"
#include "render/gl_program.h"
#include "render/kept_layer.h"
#include "render/mesh_table.h"
#include "render/picture_buffer.h"
#include "render/platform.h"
#include "render/quality.h"
#include "render/scaled_view.h"
#include "render/stream_buffer.h"
#include "render/textures.h"
#include "sim/vecmath.h"

namespace vantrel::render {

namespace {

constexpr const char* CREATE_FAILED_TEXT = "Direct3Dの作成に失敗しました";
constexpr const char* INIT_FAILED_TEXT = "Direct3Dの初期化に失敗しました";
// What a surface lit by no light at all shows of its colour: 0x80 of 0xFF.
constexpr float AMBIENT_LEVEL = 128.0f / 255.0f;

bool allOpaque(const WorldVertex* v, int count) {
    return std::all_of(v, v + count, [](const WorldVertex& k) { return k.diffuse >> 24 == 0xFF; });
}

}  // namespace

struct Device::State {
    std::unique_ptr<GraphicsContext> context;
    std::string dataDir;
    std::unique_ptr<FontSource> fontSource;
    Presentation presentation = Presentation::Native;

    PictureBuffer picture;
    FixedFunctionProgram program;
    CopyProgram copyProgram;
    StreamBuffer stream;
    KeptLayer keptLayer;
    ScaledView scaledView;
    RenderQuality quality;
    GLuint oneLevelSampler = 0;  // bilinear filtering for the 3D view when not trilinear
    GLuint nearestSampler = 0;
    GLuint viewSampler = 0;  // the 3D view's while it is drawn, else none
    MeshTable meshes;
    GLuint whiteTexture = 0;
    TextureTable textures;
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

    uint32_t clearColour = 0;
    // A clear is carried out when the frame first draws or reads, so that a 3D view scaled up
    // over the whole picture can stand in for it.
    bool clearPending = false;
    bool drawnSinceClear = true;
    // Screen-space triangles are drawn when the device does anything else: those one after
    // another over one texture go out in one draw call, for which a browser's software WebGL
    // charges about 30 microseconds whatever it draws.
    std::vector<ScreenVertex> screenBatch;
    GLuint screenBatchTexture = 0;
    // The static layer under the frames drawn last, whole or in part (0: none), how many frames
    // in a row, and whether this frame is one of them.
    uint64_t pictureLayer = 0;
    int framesOverLayer = 0;
    bool overLayerNow = false;
    std::string renderer;           // GL_RENDERER
    bool softwareRenderer = false;  // it names a software rasteriser

    PictureLayout currentLayout() const;
    bool pictureOnSurface(const PictureLayout& layout) const;
    void placePicture();
    bool pictureHoldsLayer(uint64_t key) const;
    void countFrameOverLayer(uint64_t key);
    void forgetPictureLayer();
    bool buildPrograms(std::string* reason);
    bool createPicture(std::string* reason);
    void fitPicture(const PictureLayout& layout);
    void setPixelToClip();
    void rasteriseFont(int index);
    void setFixedStates();
    void createSamplers();
    void uploadTransform();
    void flushClear();
    std::vector<ScreenVertex>& screenBatchOver(GLuint texture);
    void drawScreenBatch();
    void drawPending();
    std::function<void()> drawingBatchAfter(const std::function<void()>& draw) {
        return [this, &draw] {
            draw();
            drawScreenBatch();
        };
    }
    void useScreenSpace(bool on);
    void drawStreamed(VertexLayout layout, const void* vertices, int count, GLenum mode);
    void copyOverViewport(GLuint texture, GLint filter);
    PictureBuffer::TextureCopy textureCopy() {
        return [this](GLuint texture, GLint filter) { copyOverViewport(texture, filter); };
    }
    void drawScaledViewOverPicture();
    Matrix combinedTransform(const Matrix& w) const { return w * view * projection; }
    void releaseAll();
};

PictureLayout Device::State::currentLayout() const {
    int w = 0;
    int h = 0;
    context->drawableSize(w, h);
    return pictureLayout(w, h, presentation);
}

bool Device::State::pictureOnSurface(const PictureLayout& layout) const {
    return pictureFitsSurface(layout, *context, !viewDrawnApart(quality.viewScale, layout));
}

// Where the quality moved the 3D view into or out of the picture, the picture goes where it may.
void Device::State::placePicture() {
    if (picture.onSurface() != pictureOnSurface(picture.layout())) fitPicture(picture.layout());
}

// A surface may cycle through up to this many back buffers: a part of a frame can be drawn over
// one only when each of them holds a whole frame over the same layer.
constexpr int SURFACE_BUFFERS = 3;

bool Device::State::pictureHoldsLayer(uint64_t key) const {
    if (pictureLayer != key || !keptLayer.holds(key, clearColour)) return false;
    // A software renderer keeps what it drew in the surface's back buffers; other drivers need
    // not, and a surface emptied once shown keeps nothing.
    return !picture.onSurface() ||
           (softwareRenderer && context->surfaceMayKeepFrames() && framesOverLayer >= SURFACE_BUFFERS);
}

void Device::State::countFrameOverLayer(uint64_t key) {
    framesOverLayer = pictureLayer == key ? framesOverLayer + 1 : 1;
    pictureLayer = key;
    overLayerNow = true;
}

void Device::State::forgetPictureLayer() {
    pictureLayer = 0;
    framesOverLayer = 0;
}

// Once used, the driver's shader compiler holds several MB for as long as its context lives. A
// start that had to compile therefore links again, from the binaries it just kept, on a fresh
// context; nothing else has been made on the first one yet.
bool Device::State::buildPrograms(std::string* reason) {
    const auto build = [this, reason] {
        return buildFixedFunctionProgram(program, reason) && buildCopyProgram(copyProgram, reason);
    };
    if (!build()) return false;
    const bool compiled =
        program.source == ProgramSource::CompiledAndKept || copyProgram.source == ProgramSource::CompiledAndKept;
    if (compiled && context->renew()) {
        returnFreeHeap();
        if (!build()) return false;
    }
    glUseProgram(program.id);  // in use except while the copy program draws
    return true;
}

bool Device::State::createPicture(std::string* reason) {
    const PictureLayout layout = currentLayout();
    if (!picture.create(layout, pictureOnSurface(layout), reason)) return false;
    glViewport(0, 0, layout.width, layout.height);
    return true;
}

void Device::State::fitPicture(const PictureLayout& layout) {
    drawScreenBatch();
    picture.fit(layout, pictureOnSurface(layout));
    keptLayer.resize(layout);
    forgetPictureLayer();
    glViewport(0, 0, layout.width, layout.height);
    setPixelToClip();
}

void Device::State::setPixelToClip() {
    const PictureLayout& p = picture.layout();
    glUniform2f(program.pixelToClip, 2.0f / static_cast<float>(p.width), 2.0f / static_cast<float>(p.height));
}

void Device::State::rasteriseFont(int index) {
    drawScreenBatch();  // before the atlas it may use is let go
    auto& font = fonts[size_t(index)];
    font.reset();
    std::string error;
    const int designHeight = fontDesignHeights[size_t(index)];
    font = fontSource->makeFont(designHeight, scaledFontHeight(designHeight, fontScale), &error);
    if (!font) std::fprintf(stderr, "vantrel: font %d left empty: %s\n", index, error.c_str());
    glBindTexture(GL_TEXTURE_2D, boundTexture);
}

void Device::State::setFixedStates() {
    const double len = straightLength(Offset{TOWARD_SUN.x, TOWARD_SUN.y, TOWARD_SUN.z});
    glUniform3f(program.toLight, static_cast<float>(TOWARD_SUN.x / len), static_cast<float>(TOWARD_SUN.y / len),
                static_cast<float>(TOWARD_SUN.z / len));
    glUniform1f(program.ambient, AMBIENT_LEVEL);
    glUniform1i(program.texture, 0);
    glUniform1i(program.lighting, 0);
    glUniform1i(program.screenSpace, 0);
    setPixelToClip();
    // Meshes carry no colour (their material is white) and fans no normal.
    glVertexAttrib4f(ATTR_COLOUR, 1.0f, 1.0f, 1.0f, 1.0f);
    glVertexAttrib3f(ATTR_NORMAL, 0.0f, 0.0f, 0.0f);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

namespace {

GLuint repeatingSampler(GLint minFilter, GLint magFilter) {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return sampler;
}

}  // namespace

void Device::State::createSamplers() {
    oneLevelSampler = repeatingSampler(GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR);
    nearestSampler = repeatingSampler(GL_NEAREST, GL_NEAREST);
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

void Device::State::flushClear() {
    if (!std::exchange(clearPending, false)) return;
    clearColourAndDepth(clearColour);
}

// The batch to add triangles over texture to; what waits over another texture is drawn first.
std::vector<ScreenVertex>& Device::State::screenBatchOver(GLuint texture) {
    if (texture != screenBatchTexture) drawScreenBatch();
    screenBatchTexture = texture;
    return screenBatch;
}

void Device::State::drawScreenBatch() {
    if (screenBatch.empty()) return;
    flushClear();
    glBindTexture(GL_TEXTURE_2D, screenBatchTexture);
    useScreenSpace(true);
    drawStreamed(VertexLayout::Screen, screenBatch.data(), static_cast<int>(screenBatch.size()), GL_TRIANGLES);
    useScreenSpace(false);
    glBindTexture(GL_TEXTURE_2D, boundTexture);
    screenBatch.clear();
}

// Before the frame's next draw, copy or read.
void Device::State::drawPending() {
    flushClear();
    drawScreenBatch();
}

// Screen-space drawing lies at depth 0, in front of everything: it needs no depth test, and
// without one it needs no depth cleared under it either.
void Device::State::useScreenSpace(bool on) {
    glUniform1i(program.screenSpace, on ? 1 : 0);
    if (on)
        glDisable(GL_DEPTH_TEST);
    else
        glEnable(GL_DEPTH_TEST);
}

void Device::State::drawStreamed(VertexLayout layout, const void* vertices, int count, GLenum mode) {
    if (stream.draw(layout, vertices, count, mode)) drawnSinceClear = true;
}

// The copy program draws texture over the viewport, opaque; the device's program and texture
// are bound again after.
void Device::State::copyOverViewport(GLuint texture, GLint filter) {
    glUseProgram(copyProgram.id);
    glBindVertexArray(copyProgram.vertexArray);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, boundTexture);
    glUseProgram(program.id);
}

// Filtered linearly: a software renderer scales up this way for a fifth less than by blitting,
// and where the picture has no depth, on its fast path, for a third less again.
void Device::State::drawScaledViewOverPicture() {
    picture.bind();
    const PictureLayout& p = picture.layout();
    glViewport(0, 0, p.width, p.height);
    copyOverViewport(scaledView.colourTexture(), GL_LINEAR);
    drawnSinceClear = true;
}

void Device::State::releaseAll() {
    if (!context) return;
    context->makeCurrent();
    for (auto& font : fonts) font.reset();
    meshes.release();
    textures.releaseAll();
    if (whiteTexture) glDeleteTextures(1, &whiteTexture);
    whiteTexture = 0;
    stream.release();
    destroyFixedFunctionProgram(program);
    destroyCopyProgram(copyProgram);
    for (GLuint* sampler : {&oneLevelSampler, &nearestSampler}) {
        if (*sampler) glDeleteSamplers(1, sampler);
        *sampler = 0;
    }
    keptLayer.release();
    scaledView.release();
    picture.release();
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
    if (reason.empty()) {
        s.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        s.softwareRenderer = isSoftwareRenderer(s.renderer);
    }
    const bool usable = reason.empty() && s.buildPrograms(&reason) && s.createPicture(&reason);
    if (!usable || !s.stream.create()) {
        showDeviceFailure(INIT_FAILED_TEXT, reason.empty() ? "vertex streaming could not be set up" : reason);
        return nullptr;
    }
    s.whiteTexture = createWhiteTexture();
    s.textures.open(dataDir);
    s.setFixedStates();
    s.createSamplers();
    device->bindTexture(-1);
    return device;
}

RenderQuality qualityShown(Presentation presentation, const RenderQuality& chosen) {
    return presentation == Presentation::Native ? chosen : RenderQuality{};
}

void Device::setQuality(const RenderQuality& quality) {
    state_->quality = qualityShown(state_->presentation, quality);
    state_->placePicture();
}

const RenderQuality& Device::quality() const { return state_->quality; }

const std::string& Device::rendererName() const { return state_->renderer; }

bool Device::softwareRenderer() const { return state_->softwareRenderer; }

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
    s.fontScale = s.picture.layout().scale;
    s.rasteriseFont(index);
}

void Device::loadMeshes(const std::vector<MeshFile>& files) { state_->meshes.load(files); }

std::vector<std::string> Device::failedDataFiles() const {
    std::vector<std::string> names = state_->meshes.failedFiles();
    const std::vector<std::string>& textures = state_->textures.failedFiles();
    names.insert(names.end(), textures.begin(), textures.end());
    return names;
}

void Device::loadMeshTable(const std::string& dataDir) {
    std::vector<MeshFile> files;
    for (int slot = 0; slot < MESH_COUNT; ++slot) files.push_back({slot, dataDir + "/" + MESH_FILES[slot]});
    loadMeshes(files);
    // The table is the last thing loaded: hand back to the system what the decoded pictures and
    // the mesh reader's answers left free on the heap, which the heap would otherwise keep.
    returnFreeHeap();
}

void Device::releaseMeshes() { state_->meshes.release(); }

void Device::beginFrame() {
    State& s = *state_;
    // What was read or released leaves free blocks inside the heap, which the heap keeps unless
    // asked: hand them back once the frame after has started.
    const bool layerReleased = s.keptLayer.startFrame();
    if (s.textures.takeChange() || layerReleased) returnFreeHeap();
    if (!std::exchange(s.overLayerNow, false)) s.forgetPictureLayer();
    const PictureLayout next = s.currentLayout();
    const PictureLayout& now = s.picture.layout();
    const bool surfaceChanged = s.picture.onSurface() != s.pictureOnSurface(next);
    if (next.width != now.width || next.height != now.height || surfaceChanged) s.fitPicture(next);
    if (s.fontScale == next.scale) return;
    s.fontScale = next.scale;
    for (int i = 0; i < FONT_COUNT; ++i) {
        if (s.fontDesignHeights[size_t(i)] > 0) s.rasteriseFont(i);
    }
}

const PictureLayout& Device::layout() const { return state_->picture.layout(); }

PictureLayout Device::upcomingLayout() const { return state_->currentLayout(); }

void Device::clear(uint32_t colour) {
    state_->drawScreenBatch();
    state_->clearColour = colour;
    state_->clearPending = true;
    state_->drawnSinceClear = false;
}

void Device::clearMargins(uint32_t colour) {
    state_->drawPending();
    state_->picture.clearMargins(colour);
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
    state_->drawScreenBatch();
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
    s.drawScreenBatch();  // before a texture it may use is let go
    const GLuint released = s.textures.release(index);
    if (released == 0 || released != s.boundTexture) return;
    s.boundTexture = s.whiteTexture;
    s.boundOpaque = true;
    glBindTexture(GL_TEXTURE_2D, s.boundTexture);
}

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
    s.drawPending();
    const bool opaque = s.boundOpaque && allOpaque(v, count);
    if (opaque) glDisable(GL_BLEND);
    s.drawStreamed(VertexLayout::World, v, count, mode);
    if (opaque) glEnable(GL_BLEND);
}

void Device::setNearerOnly(bool on) { glDepthFunc(on ? GL_LESS : GL_LEQUAL); }

void Device::setNearestTexels(bool on) {
    State& s = *state_;
    s.drawScreenBatch();
    glBindSampler(0, on ? s.nearestSampler : s.viewSampler);
}

void Device::drawScreenFan(const ScreenVertex* v, int count) {
    if (!v || count < 3) return;
    State& s = *state_;
    const PictureLayout& p = s.picture.layout();
    const auto inPicture = [&p](ScreenVertex corner) {
        corner.x = p.left + p.scale * corner.x;
        corner.y = p.top + p.scale * corner.y;
        return corner;
    };
    std::vector<ScreenVertex>& batch = s.screenBatchOver(s.boundTexture);
    // The fan's triangles in its order: the pixels the fan covers, blended in the same order.
    for (int i = 1; i + 1 < count; ++i) {
        batch.push_back(inPicture(v[0]));
        batch.push_back(inPicture(v[i]));
        batch.push_back(inPicture(v[i + 1]));
    }
}

void Device::drawMeshSubsets(int index) {
    State& s = *state_;
    const GpuMesh* mesh = s.meshes.find(index);
    if (!mesh || outsideViewVolume(s.combinedTransform(s.world), mesh->bound)) return;
    s.drawPending();
    s.uploadTransform();
    render::drawMeshSubsets(*mesh, 0, s.boundOpaque);
    s.drawnSinceClear = true;
}

void Device::drawMeshInstances(int index, const std::vector<Matrix>& worlds) {
    State& s = *state_;
    const GpuMesh* mesh = s.meshes.find(index);
    if (!mesh) return;
    if (mesh->subsets.size() > 1) {
        // Instanced, each subset would go out for every instance before the next subset.
        drawMeshOneByOne(index, worlds);
        return;
    }
    s.drawPending();
    if (s.meshes.drawInstances(*mesh, worlds, s.view, s.projection, s.boundOpaque, s.stream, s.program))
        s.drawnSinceClear = true;
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
    const GpuMesh* mesh = state_->meshes.find(index);
    return mesh ? static_cast<unsigned>(mesh->subsets.size()) : 0;
}

int Device::textWidth(int font, const std::string& line) const {
    if (font < 0 || font >= FONT_COUNT || !state_->fonts[size_t(font)]) return 0;
    const double pixels = state_->fonts[size_t(font)]->lineWidth(line);
    return static_cast<int>(std::ceil(pixels / static_cast<double>(state_->fontScale)));
}

void Device::drawText(int font, const std::string& text, int left, int top, int right, int bottom, TextAlign align,
                      uint32_t colour) {
    if (font < 0 || font >= FONT_COUNT || !state_->fonts[size_t(font)]) return;
    State& s = *state_;
    const PictureLayout& p = s.picture.layout();
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
    const GLuint texture = s.fonts[size_t(font)]->texture();
    const auto withinClip = [&](const ScreenVertex& v) {
        return v.x >= static_cast<float>(clipLeft) && v.x <= static_cast<float>(clipRight) &&
               v.y >= static_cast<float>(clipTop) && v.y <= static_cast<float>(clipBottom);
    };
    // Glyphs wholly inside the rectangle need no scissor box to cut them, and wait for more.
    const bool cut = !std::all_of(s.textVertices.begin(), s.textVertices.end(), withinClip);
    if (cut) s.drawPending();  // before the scissor box, which would cut it
    std::vector<ScreenVertex>& batch = s.screenBatchOver(texture);
    batch.insert(batch.end(), s.textVertices.begin(), s.textVertices.end());
    if (!cut) return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(clipLeft, p.height - clipBottom, clipRight - clipLeft, clipBottom - clipTop);
    s.drawScreenBatch();
    glDisable(GL_SCISSOR_TEST);
}

void Device::drawWorldView(const std::function<void()>& draw) {
    State& s = *state_;
    s.drawScreenBatch();
    s.viewSampler = s.quality.trilinear ? 0 : s.oneLevelSampler;
    if (s.viewSampler) glBindSampler(0, s.viewSampler);
    const bool scaled = s.scaledView.fit(s.quality.viewScale, s.picture.layout());
    if (!scaled && viewDrawnApart(s.quality.viewScale, s.picture.layout())) {
        // The driver cannot make the view's own framebuffer: from now on the view is drawn at
        // full size, into a picture with depth.
        s.quality.viewScale = 1.0f;
        s.placePicture();
    }
    const auto drawAll = s.drawingBatchAfter(draw);
    if (scaled) {
        s.clearPending = false;  // the view covers the whole picture
        s.scaledView.draw(s.clearColour, drawAll);
    } else {
        s.picture.bind();
        drawAll();
    }
    if (s.viewSampler) glBindSampler(0, 0);
    s.viewSampler = 0;
    if (scaled) s.drawScaledViewOverPicture();
}

void Device::drawStaticLayer(uint64_t key, const std::function<void()>& draw) {
    State& s = *state_;
    s.drawPending();
    const auto drawAll = s.drawingBatchAfter(draw);
    if (s.drawnSinceClear) {
        s.keptLayer.drawOverPicture(drawAll);
        return;
    }
    s.keptLayer.drawOverClear(key, s.clearColour, s.picture, drawAll, s.textureCopy());
    s.drawnSinceClear = true;
    if (s.keptLayer.holds(key, s.clearColour)) s.countFrameOverLayer(key);
}

bool Device::restoreStaticLayer(uint64_t key, int left, int top, int right, int bottom) {
    State& s = *state_;
    s.drawScreenBatch();
    if (!s.pictureHoldsLayer(key)) return false;
    s.keptLayer.copyBackWithin(s.picture, s.picture.pixelsCovering(left, top, right, bottom));
    s.countFrameOverLayer(key);
    return true;
}

void Device::present() {
    State& s = *state_;
    s.drawPending();
    s.picture.present(*s.context, s.textureCopy());
}

std::vector<uint32_t> Device::readPixels() const {
    state_->drawPending();
    return state_->picture.readPixels();
}

}  // namespace vantrel::render
