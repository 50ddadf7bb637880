// How much picture the player trades for speed: high is the full picture; medium and low choose
// what costs least on a software renderer and still reads as the same game.
#pragma once

#include <optional>
#include <string_view>

namespace vantrel::render {

enum class Quality { Low, Medium, High };

struct QualityName {
    Quality quality;
    const char* name;
};
inline constexpr QualityName QUALITY_NAMES[] = {
    {Quality::Low, "low"}, {Quality::Medium, "medium"}, {Quality::High, "high"}};

inline const char* qualityName(Quality q) {
    for (const QualityName& n : QUALITY_NAMES)
        if (n.quality == q) return n.name;
    return "high";
}

inline std::optional<Quality> qualityNamed(std::string_view name) {
    for (const QualityName& n : QUALITY_NAMES)
        if (name == n.name) return n.quality;
    return std::nullopt;
}

// What a quality changes in the picture, as the device and the scene's passes read it. The
// defaults are high's: the full picture.
struct RenderQuality {
    float viewScale = 1.0f;  // the 3D view's share of the picture's width and height
    bool trilinear = true;   // the 3D view's textures blend two mip levels, else one
    // The share of the terrain window drawn, its fade moved in with it: the distant ground is
    // many small triangles a software rasteriser pays for.
    float terrainReach = 1.0f;
    // The sky's texture blends its texels, else shows the nearest one: the sky covers half the
    // view, filtering is most of what a software rasteriser pays for its pixels, and the steps
    // show only at the clouds' edges.
    bool smoothSky = true;
};

// The quality's choices, with the 3D view at viewScale when the player gave one.
RenderQuality renderQuality(Quality quality, std::optional<float> viewScale = std::nullopt);

// Whether the GL renderer's name (GL_RENDERER, or WebGL's unmasked renderer) is a software
// rasteriser's: Mesa's llvmpipe, softpipe or swrast, SwiftShader, Microsoft's basic renderer.
bool isSoftwareRenderer(std::string_view renderer);
// The quality that suits a renderer: low on a software rasteriser, high on any other.
Quality suitedQuality(std::string_view renderer);

}  // namespace vantrel::render
