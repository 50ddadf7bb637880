// A small software rasteriser that draws our meshes the way the game does (scale, roll,
// pitch, heading, then move; one white directional light at (0.1, -0.7, 0.2) over a mid-grey
// ambient level), for previews and for the aircraft on the title picture.
#pragma once

#include <vector>

#include "tools/vantrel-data/image.h"
#include "tools/vantrel-data/mesh.h"

namespace vantrel::data {

struct Placement {
    V3 position;
    double pitch = 0, heading = 0, roll = 0, scale = 1;
};

struct View {
    V3 eye, target;
    double verticalFov = 1.0471973;
};

class Canvas {
public:
    // Draws at `supersample` times the size and averages down in finish().
    Canvas(int width, int height, int supersample);
    void draw(const Mesh& mesh, const Image& texture, const Placement& where, const View& view, bool lit);
    // The picture with coverage in alpha (transparent where nothing was drawn).
    Image finish() const;

private:
    int width_, height_, factor_;
    Image color_;
    std::vector<double> depth_;
};

}  // namespace vantrel::data
