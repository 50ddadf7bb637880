#include "tools/vantrel-data/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/vantrel-data/noise.h"

namespace vantrel::data {

namespace {

// The game's model transform for a row vector: scale, then about z, x and y, then move.
V3 rotateModel(V3 p, double pitch, double heading, double roll) {
    const double cr = std::cos(roll), sr = std::sin(roll);
    p = {p.x * cr - p.y * sr, p.x * sr + p.y * cr, p.z};
    const double cp = std::cos(pitch), sp = std::sin(pitch);
    p = {p.x, p.y * cp - p.z * sp, p.y * sp + p.z * cp};
    const double ch = std::cos(heading), sh = std::sin(heading);
    return {p.x * ch + p.z * sh, p.y, -p.x * sh + p.z * ch};
}

struct ScreenVertex {
    double x, y, invZ, uOverZ, vOverZ, light;
};

constexpr double AMBIENT = 128.0 / 255.0;

}  // namespace

Canvas::Canvas(int width, int height, int supersample)
    : width_(width), height_(height), factor_(supersample),
      color_(width * supersample, height * supersample, Color{0, 0, 0, 0}),
      depth_(static_cast<size_t>(width) * height * supersample * supersample, std::numeric_limits<double>::infinity()) {
}

void Canvas::draw(const Mesh& mesh, const Image& texture, const Placement& where, const View& view, bool lit) {
    const V3 forward = normalized(view.target - view.eye);
    const V3 right = normalized(cross({0, 1, 0}, forward));
    const V3 up = cross(forward, right);
    const double focal = color_.height / 2.0 / std::tan(view.verticalFov / 2.0);
    const V3 toLight = normalized(V3{-0.1, 0.7, -0.2});
    std::vector<ScreenVertex> screen(mesh.vertices.size());
    std::vector<bool> visible(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const Vertex& v = mesh.vertices[i];
        const V3 world = rotateModel(v.position * where.scale, where.pitch, where.heading, where.roll) + where.position;
        const V3 n = normalized(rotateModel(v.normal, where.pitch, where.heading, where.roll));
        const V3 d = world - view.eye;
        const double z = dot(d, forward);
        visible[i] = z > 0.05;
        const double invZ = 1.0 / std::max(z, 0.05);
        const double light = lit ? std::min(1.0, AMBIENT + std::max(0.0, dot(n, toLight))) : 1.0;
        screen[i] = {color_.width / 2.0 + dot(d, right) * focal * invZ,
                     color_.height / 2.0 - dot(d, up) * focal * invZ,
                     invZ,
                     v.u * invZ,
                     v.v * invZ,
                     light};
    }
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const int ia = mesh.indices[t], ib = mesh.indices[t + 1], ic = mesh.indices[t + 2];
        if (!visible[ia] || !visible[ib] || !visible[ic]) continue;
        const ScreenVertex &a = screen[ia], &b = screen[ib], &c = screen[ic];
        const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (std::abs(area) < 1e-9) continue;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
        const int x1 = std::min(color_.width - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
        const int y1 = std::min(color_.height - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                const double wa = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
                const double wb = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
                const double wc = 1.0 - wa - wb;
                if (wa < 0 || wb < 0 || wc < 0) continue;
                const double invZ = wa * a.invZ + wb * b.invZ + wc * c.invZ;
                const double z = 1.0 / invZ;
                double& stored = depth_[static_cast<size_t>(y) * color_.width + x];
                if (z > stored) continue;
                stored = z;
                const double u = (wa * a.uOverZ + wb * b.uOverZ + wc * c.uOverZ) * z;
                const double v = (wa * a.vOverZ + wb * b.vOverZ + wc * c.vOverZ) * z;
                const double light = wa * a.light + wb * b.light + wc * c.light;
                Color texel = texture.sample(u - std::floor(u), v - std::floor(v));
                color_.at(x, y) = {texel.r * light, texel.g * light, texel.b * light, 1.0};
            }
    }
}

Image Canvas::finish() const {
    Image out(width_, height_, Color{0, 0, 0, 0});
    const double n = factor_ * factor_;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            Color sum{0, 0, 0, 0};
            for (int sy = 0; sy < factor_; ++sy)
                for (int sx = 0; sx < factor_; ++sx) {
                    const Color& c = color_.at(x * factor_ + sx, y * factor_ + sy);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            out.at(x, y) =
                sum.a > 0 ? Color{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, sum.a / n} : Color{0, 0, 0, 0};
        }
    return out;
}

}  // namespace vantrel::data
