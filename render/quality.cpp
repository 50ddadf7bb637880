#include "render/quality.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace vantrel::render {

RenderQuality renderQuality(Quality quality, std::optional<float> viewScale) {
    RenderQuality r;
    switch (quality) {
        case Quality::Low:
            r.viewScale = 0.5f;
            r.trilinear = false;
            r.terrainReach = 0.75f;
            r.smoothSky = false;
            break;
        case Quality::Medium:
            // No render scale: scaling a view up costs a software renderer more than drawing
            // the 0.44 of its pixels that 0.75 would save.
            r.trilinear = false;
            break;
        case Quality::High:
            break;
    }
    if (viewScale) r.viewScale = *viewScale;
    return r;
}

bool isSoftwareRenderer(std::string_view renderer) {
    std::string lower(renderer);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr const char* SOFTWARE_NAMES[] = {
        "llvmpipe", "softpipe", "swrast", "swiftshader", "software rasterizer", "basic render driver"};
    return std::any_of(std::begin(SOFTWARE_NAMES), std::end(SOFTWARE_NAMES),
                       [&lower](const char* name) { return lower.find(name) != std::string::npos; });
}

Quality suitedQuality(std::string_view renderer) { return isSoftwareRenderer(renderer) ? Quality::Low : Quality::High; }

}  // namespace vantrel::render
