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

// Whether the GL renderer's name (GL_RENDERER, or WebGL's unmasked renderer) is a software
// rasteriser's: Mesa's llvmpipe, softpipe or swrast, SwiftShader, Microsoft's basic renderer.
bool isSoftwareRenderer(std::string_view renderer);
// The quality that suits a renderer: low on a software rasteriser, high on any other.
Quality suitedQuality(std::string_view renderer);

}  // namespace vantrel::render
