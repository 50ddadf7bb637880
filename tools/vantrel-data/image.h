// Images as the generator paints them (linear float RGBA) and the file formats the game
// reads: 24-bit BMP and uncompressed 32-bit DDS. PNG is only for looking at our own work.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::data {

struct Color {
    double r = 0, g = 0, b = 0, a = 1;
};

Color rgb(int hex, double alpha = 1.0);  // 0xRRGGBB
Color lerp(const Color& a, const Color& b, double t);
Color scaled(const Color& c, double k);  // colour channels only

struct Image {
    int width = 0, height = 0;
    std::vector<Color> pixels;  // row 0 is the top of the picture

    Image() = default;
    Image(int w, int h, Color fill = {});
    Color& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Color& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Bilinear sample with u, v in 0..1 over the whole image, clamped at the edges.
    Color sample(double u, double v) const;
};

// Alpha-blends c over the pixel, weighted by coverage (0..1).
void blendPixel(Image& img, int x, int y, const Color& c, double coverage = 1.0);
// Anti-aliased filled disc and line (stroke of width w with round ends).
void fillDisc(Image& img, double cx, double cy, double radius, const Color& c);
void strokeLine(Image& img, double x0, double y0, double x1, double y1, double width, const Color& c);
void strokeCircle(Image& img, double cx, double cy, double radius, double width, const Color& c);
void fillRect(Image& img, double x0, double y0, double x1, double y1, const Color& c);
// Filled polygon, 4x4 supersampled, even-odd rule.
void fillPolygon(Image& img, const std::vector<double>& xy, const Color& c);

// Encoders. Every byte is a pure function of the image.
std::vector<uint8_t> encodeBmp(const Image& img);  // 24-bit, bottom-up rows
std::vector<uint8_t> encodeDds(const Image& img);  // A8R8G8B8, one level
bool writePng(const std::string& path, const Image& img);

// Decoders for checking and previewing; false with a reason when the bytes are not a
// file of that kind the game can load.
bool decodeBmp(const std::vector<uint8_t>& bytes, Image& out, std::string& error);
bool decodeDds(const std::vector<uint8_t>& bytes, Image& out, std::string& error);

}  // namespace vantrel::data
