#include "tools/vantrel-data/image.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>

#include "tools/vantrel-data/bytes.h"
#include "tools/vantrel-data/noise.h"

namespace vantrel::data {

Color rgb(int hex, double alpha) {
    return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

Color lerp(const Color& a, const Color& b, double t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), mix(a.a, b.a, t)};
}

Color scaled(const Color& c, double k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

Image::Image(int w, int h, Color fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

Color Image::sample(double u, double v) const {
    const double x = std::clamp(u * width - 0.5, 0.0, width - 1.0);
    const double y = std::clamp(v * height - 0.5, 0.0, height - 1.0);
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const double tx = x - x0, ty = y - y0;
    return lerp(lerp(at(x0, y0), at(x1, y0), tx), lerp(at(x0, y1), at(x1, y1), tx), ty);
}

void blendPixel(Image& img, int x, int y, const Color& c, double coverage) {
    if (x < 0 || y < 0 || x >= img.width || y >= img.height) return;
    const double a = clamp01(c.a * coverage);
    if (a <= 0.0) return;
    Color& d = img.at(x, y);
    const double outA = a + d.a * (1.0 - a);
    if (outA <= 0.0) return;
    d.r = (c.r * a + d.r * d.a * (1.0 - a)) / outA;
    d.g = (c.g * a + d.g * d.a * (1.0 - a)) / outA;
    d.b = (c.b * a + d.b * d.a * (1.0 - a)) / outA;
    d.a = outA;
}

namespace {

// Calls paint(x, y, coverage) for pixels within the bounding box, coverage from a signed
// distance (negative inside) with a one-pixel soft edge.
template <typename Distance>
void paintByDistance(Image& img, double x0, double y0, double x1, double y1, const Color& c, Distance dist) {
    const int ix0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    const int iy0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    const int ix1 = std::min(img.width - 1, static_cast<int>(std::ceil(x1)) + 1);
    const int iy1 = std::min(img.height - 1, static_cast<int>(std::ceil(y1)) + 1);
    for (int y = iy0; y <= iy1; ++y)
        for (int x = ix0; x <= ix1; ++x) {
            const double d = dist(x + 0.5, y + 0.5);
            blendPixel(img, x, y, c, clamp01(0.5 - d));
        }
}

double segmentDistance(double px, double py, double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? clamp01(((px - x0) * dx + (py - y0) * dy) / len2) : 0.0;
    return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

}  // namespace

void fillDisc(Image& img, double cx, double cy, double radius, const Color& c) {
    paintByDistance(img, cx - radius, cy - radius, cx + radius, cy + radius, c,
                    [&](double x, double y) { return std::hypot(x - cx, y - cy) - radius; });
}

void strokeLine(Image& img, double x0, double y0, double x1, double y1, double width, const Color& c) {
    const double h = width / 2;
    paintByDistance(img, std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h, c,
                    [&](double x, double y) { return segmentDistance(x, y, x0, y0, x1, y1) - h; });
}

void strokeCircle(Image& img, double cx, double cy, double radius, double width, const Color& c) {
    const double r = radius + width;
    paintByDistance(img, cx - r, cy - r, cx + r, cy + r, c,
                    [&](double x, double y) { return std::abs(std::hypot(x - cx, y - cy) - radius) - width / 2; });
}

void fillRect(Image& img, double x0, double y0, double x1, double y1, const Color& c) {
    paintByDistance(img, x0, y0, x1, y1, c,
                    [&](double x, double y) { return std::max(std::max(x0 - x, x - x1), std::max(y0 - y, y - y1)); });
}

void fillPolygon(Image& img, const std::vector<double>& xy, const Color& c) {
    const size_t n = xy.size() / 2;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (size_t i = 0; i < n; ++i) {
        minX = std::min(minX, xy[2 * i]);
        maxX = std::max(maxX, xy[2 * i]);
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    auto inside = [&](double px, double py) {
        bool in = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
        }
        return in;
    };
    for (int y = std::max(0, static_cast<int>(minY)); y <= std::min(img.height - 1, static_cast<int>(maxY)); ++y)
        for (int x = std::max(0, static_cast<int>(minX)); x <= std::min(img.width - 1, static_cast<int>(maxX)); ++x) {
            int hits = 0;
            for (int s = 0; s < 16; ++s)
                if (inside(x + (s % 4 + 0.5) / 4, y + (s / 4 + 0.5) / 4)) ++hits;
            blendPixel(img, x, y, c, hits / 16.0);
        }
}

namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0)); }

constexpr uint32_t DDS_MAGIC = 0x20534444;  // "DDS "
constexpr uint32_t DDS_HEADER_SIZE = 124;
constexpr uint32_t DDSD_REQUIRED = 0x1 | 0x2 | 0x4 | 0x1000;  // caps, height, width, pixel format
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40;
constexpr uint32_t DDSCAPS_TEXTURE = 0x1000;
constexpr int MAX_TEXTURE_EDGE = 8192;

uint32_t fourCC(const char* s) {
    return static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 | static_cast<uint32_t>(s[2]) << 16 |
           static_cast<uint32_t>(s[3]) << 24;
}

// Extracts a channel given its bit mask, scaled to 0..1; a missing mask gives `absent`.
double maskedChannel(uint32_t pixel, uint32_t mask, double absent) {
    if (mask == 0) return absent;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const uint32_t max = mask >> shift;
    return static_cast<double>((pixel & mask) >> shift) / max;
}

}  // namespace

std::vector<uint8_t> encodeBmp(const Image& img) {
    const uint32_t rowBytes = (static_cast<uint32_t>(img.width) * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(img.height);
    ByteWriter w;
    w.text("BM");
    w.u32(14 + 40 + dataBytes);
    w.u32(0);
    w.u32(14 + 40);
    w.u32(40);
    w.i32(img.width);
    w.i32(img.height);
    w.u16(1);
    w.u16(24);
    w.u32(0);  // no compression
    w.u32(dataBytes);
    w.i32(2835);  // 72 dpi
    w.i32(2835);
    w.u32(0);
    w.u32(0);
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x) {
            const Color& c = img.at(x, y);
            w.u8(toByte(c.b));
            w.u8(toByte(c.g));
            w.u8(toByte(c.r));
        }
        w.zeros(rowBytes - static_cast<uint32_t>(img.width) * 3);
    }
    return w.bytes;
}

std::vector<uint8_t> encodeDds(const Image& img) {
    ByteWriter w;
    w.u32(DDS_MAGIC);
    w.u32(DDS_HEADER_SIZE);
    w.u32(DDSD_REQUIRED | DDSD_PITCH);
    w.u32(static_cast<uint32_t>(img.height));
    w.u32(static_cast<uint32_t>(img.width));
    w.u32(static_cast<uint32_t>(img.width) * 4);
    w.u32(0);  // depth
    w.u32(0);  // mip levels: the game builds its own chain
    w.zeros(11 * 4);
    w.u32(32);
    w.u32(DDPF_RGB | DDPF_ALPHAPIXELS);
    w.u32(0);
    w.u32(32);
    w.u32(0x00FF0000);
    w.u32(0x0000FF00);
    w.u32(0x000000FF);
    w.u32(0xFF000000);
    w.u32(DDSCAPS_TEXTURE);
    w.zeros(4 * 4);
    for (const Color& c : img.pixels) {
        w.u8(toByte(c.b));
        w.u8(toByte(c.g));
        w.u8(toByte(c.r));
        w.u8(toByte(c.a));
    }
    return w.bytes;
}

bool writePng(const std::string& path, const Image& img) {
    std::vector<uint8_t> rgba;
    rgba.reserve(img.pixels.size() * 4);
    for (const Color& c : img.pixels) {
        rgba.push_back(toByte(c.r));
        rgba.push_back(toByte(c.g));
        rgba.push_back(toByte(c.b));
        rgba.push_back(toByte(c.a));
    }
    return stbi_write_png(path.c_str(), img.width, img.height, 4, rgba.data(), img.width * 4) != 0;
}

bool decodeBmp(const std::vector<uint8_t>& b, Image& out, std::string& error) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return error = "not a BMP file (no BM signature)", false;
    const uint32_t dataOffset = readU32(b, 10);
    const uint32_t infoSize = readU32(b, 14);
    const int32_t width = static_cast<int32_t>(readU32(b, 18));
    const int32_t rawHeight = static_cast<int32_t>(readU32(b, 22));
    const uint32_t bpp = readU16(b, 28), compression = readU32(b, 30);
    if (infoSize < 40) return error = "unsupported BMP header", false;
    if (width <= 0 || rawHeight == 0 || width > MAX_TEXTURE_EDGE || std::abs(rawHeight) > MAX_TEXTURE_EDGE)
        return error = "BMP size out of range", false;
    if ((bpp != 24 && bpp != 32) || compression != 0)
        return error = "BMP must be uncompressed 24- or 32-bit (found " + std::to_string(bpp) + "-bit)", false;
    const int height = std::abs(rawHeight);
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * (bpp / 8) + 3) & ~3ull;
    if (dataOffset > b.size() || b.size() - dataOffset < rowBytes * height)
        return error = "BMP pixel data is truncated", false;
    out = Image(width, height);
    for (int row = 0; row < height; ++row) {
        const int y = rawHeight > 0 ? height - 1 - row : row;
        for (int x = 0; x < width; ++x) {
            const size_t at = dataOffset + row * rowBytes + static_cast<size_t>(x) * (bpp / 8);
            out.at(x, y) = {b[at + 2] / 255.0, b[at + 1] / 255.0, b[at] / 255.0, 1.0};
        }
    }
    return true;
}

bool decodeDds(const std::vector<uint8_t>& b, Image& out, std::string& error) {
    if (b.size() < 128 || readU32(b, 0) != DDS_MAGIC) return error = "not a DDS file (no DDS magic)", false;
    if (readU32(b, 4) != DDS_HEADER_SIZE || readU32(b, 76) != 32) return error = "damaged DDS header", false;
    const uint32_t height = readU32(b, 12), width = readU32(b, 16);
    if (width == 0 || height == 0 || width > MAX_TEXTURE_EDGE || height > MAX_TEXTURE_EDGE)
        return error = "DDS size out of range", false;
    const uint32_t flags = readU32(b, 80);
    const size_t available = b.size() - 128;
    if (flags & DDPF_FOURCC) {
        const uint32_t code = readU32(b, 84);
        size_t blockBytes = 0;
        if (code == fourCC("DXT1")) blockBytes = 8;
        if (code == fourCC("DXT3") || code == fourCC("DXT5")) blockBytes = 16;
        if (blockBytes == 0) return error = "unsupported DDS compression", false;
        if (available < ((width + 3) / 4) * ((height + 3) / 4) * blockBytes)
            return error = "DDS pixel data is truncated", false;
        out = Image();
        out.width = static_cast<int>(width);
        out.height = static_cast<int>(height);
        return true;
    }
    const uint32_t bits = readU32(b, 88);
    if (!(flags & DDPF_RGB) || (bits != 16 && bits != 24 && bits != 32))
        return error = "DDS must be 16-, 24- or 32-bit RGB or DXT1/3/5", false;
    if (available < static_cast<size_t>(width) * height * (bits / 8))
        return error = "DDS pixel data is truncated", false;
    const uint32_t rMask = readU32(b, 92), gMask = readU32(b, 96), bMask = readU32(b, 100);
    const uint32_t aMask = (flags & DDPF_ALPHAPIXELS) ? readU32(b, 104) : 0;
    out = Image(static_cast<int>(width), static_cast<int>(height));
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const size_t at = 128 + i * (bits / 8);
        uint32_t p = 0;
        for (uint32_t k = 0; k < bits / 8; ++k) p |= static_cast<uint32_t>(b[at + k]) << (8 * k);
        out.pixels[i] = {maskedChannel(p, rMask, 0), maskedChannel(p, gMask, 0), maskedChannel(p, bMask, 0),
                         maskedChannel(p, aMask, 1)};
    }
    return true;
}

}  // namespace vantrel::data
