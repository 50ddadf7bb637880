#include "render/dds.h"

#include <bit>
#include <cstring>

namespace vantrel::render {

namespace {

// Byte offsets in the file (the magic included).
constexpr size_t OFF_HEADER_SIZE = 4;
constexpr size_t OFF_HEIGHT = 12;
constexpr size_t OFF_WIDTH = 16;
constexpr size_t OFF_PF_SIZE = 76;
constexpr size_t OFF_PF_FLAGS = 80;
constexpr size_t OFF_PF_FOURCC = 84;
constexpr size_t OFF_PF_BITCOUNT = 88;
constexpr size_t OFF_PF_MASKS = 92;  // red, green, blue, alpha
constexpr size_t OFF_CAPS2 = 112;

constexpr uint32_t HEADER_SIZE = 124;
constexpr uint32_t PIXEL_FORMAT_SIZE = 32;
constexpr uint32_t PF_ALPHAPIXELS = 0x1;
constexpr uint32_t PF_FOURCC = 0x4;
constexpr uint32_t PF_RGB = 0x40;
constexpr uint32_t CAPS2_CUBEMAP = 0x200;
constexpr uint32_t CAPS2_VOLUME = 0x200000;

constexpr uint32_t fourCC(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

enum class BlockAlpha { None, Explicit, Interpolated };

struct BlockFormat {
    uint32_t fourCC;
    size_t blockBytes;
    BlockAlpha alpha;
};

constexpr BlockFormat BLOCK_FORMATS[] = {
    {fourCC("DXT1"), 8, BlockAlpha::None},
    {fourCC("DXT3"), 16, BlockAlpha::Explicit},
    {fourCC("DXT5"), 16, BlockAlpha::Interpolated},
};

uint32_t readU32(std::span<const uint8_t> b, size_t off) {
    return static_cast<uint32_t>(b[off]) | static_cast<uint32_t>(b[off + 1]) << 8 |
           static_cast<uint32_t>(b[off + 2]) << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
}

std::optional<Image> fail(std::string* error, const char* why) {
    if (error) *error = why;
    return std::nullopt;
}

Image blankImage(uint32_t width, uint32_t height) {
    Image img;
    img.width = static_cast<int>(width);
    img.height = static_cast<int>(height);
    img.rgba.assign(size_t{width} * height * 4, 0);
    return img;
}

// One channel mask of an uncompressed pixel: where it sits and how to widen it to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t maxValue = 0;

    bool valid() const { return mask == 0 || ((mask >> shift) & ((mask >> shift) + 1)) == 0; }
    uint8_t extract(uint32_t pixel, uint8_t absent) const {
        if (mask == 0) return absent;
        const uint32_t v = (pixel & mask) >> shift;
        return static_cast<uint8_t>((v * 255 + maxValue / 2) / maxValue);
    }
};

Channel makeChannel(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.maxValue = mask >> c.shift;
    return c;
}

std::optional<Image> decodeUncompressed(std::span<const uint8_t> bytes, uint32_t width, uint32_t height,
                                        std::string* error) {
    const uint32_t pfFlags = readU32(bytes, OFF_PF_FLAGS);
    const uint32_t bitCount = readU32(bytes, OFF_PF_BITCOUNT);
    if (!(pfFlags & PF_RGB)) return fail(error, "DDS pixel format is neither RGB nor DXT");
    if (bitCount != 16 && bitCount != 24 && bitCount != 32) return fail(error, "DDS bit count is not 16, 24 or 32");
    Channel ch[4];
    for (int i = 0; i < 4; ++i) ch[i] = makeChannel(readU32(bytes, OFF_PF_MASKS + 4 * size_t(i)));
    if (!(pfFlags & PF_ALPHAPIXELS)) ch[3] = makeChannel(0);
    const uint64_t limit = bitCount == 32 ? 0x100000000ull : (1ull << bitCount);
    for (const Channel& c : ch) {
        if (!c.valid() || c.mask >= limit) return fail(error, "DDS channel mask is not usable");
    }
    if (ch[0].mask == 0 && ch[1].mask == 0 && ch[2].mask == 0) return fail(error, "DDS has no colour channels");

    const size_t pixelBytes = bitCount / 8;
    const size_t pitch = size_t{width} * pixelBytes;
    if (bytes.size() - DDS_HEADER_BYTES < pitch * height) return fail(error, "DDS pixel data is truncated");

    Image img = blankImage(width, height);
    for (size_t y = 0; y < height; ++y) {
        for (size_t x = 0; x < width; ++x) {
            const size_t at = DDS_HEADER_BYTES + y * pitch + x * pixelBytes;
            uint32_t pixel = 0;
            for (size_t k = 0; k < pixelBytes; ++k) pixel |= static_cast<uint32_t>(bytes[at + k]) << (8 * k);
            uint8_t* out = &img.rgba[(y * width + x) * 4];
            for (int i = 0; i < 3; ++i) out[i] = ch[i].extract(pixel, 0);
            out[3] = ch[3].extract(pixel, 255);
        }
    }
    return img;
}

struct Rgba {
    uint8_t r, g, b, a;
};

Rgba expand565(uint16_t c) {
    const auto r = static_cast<uint8_t>((c >> 11) & 31);
    const auto g = static_cast<uint8_t>((c >> 5) & 63);
    const auto b = static_cast<uint8_t>(c & 31);
    return {static_cast<uint8_t>(r << 3 | r >> 2), static_cast<uint8_t>(g << 2 | g >> 4),
            static_cast<uint8_t>(b << 3 | b >> 2), 255};
}

Rgba mix(Rgba a, Rgba b, int wa, int wb) {
    const int total = wa + wb;
    return {static_cast<uint8_t>((a.r * wa + b.r * wb) / total), static_cast<uint8_t>((a.g * wa + b.g * wb) / total),
            static_cast<uint8_t>((a.b * wa + b.b * wb) / total), 255};
}

// The four colours of a block; DXT1 blocks with c0 <= c1 use three and transparent black.
void colourPalette(const uint8_t* block, bool allowTransparent, Rgba out[4]) {
    const uint16_t c0 = static_cast<uint16_t>(block[0] | block[1] << 8);
    const uint16_t c1 = static_cast<uint16_t>(block[2] | block[3] << 8);
    out[0] = expand565(c0);
    out[1] = expand565(c1);
    if (c0 > c1 || !allowTransparent) {
        out[2] = mix(out[0], out[1], 2, 1);
        out[3] = mix(out[0], out[1], 1, 2);
    } else {
        out[2] = mix(out[0], out[1], 1, 1);
        out[3] = {0, 0, 0, 0};
    }
}

void explicitAlpha(const uint8_t* block, uint8_t out[16]) {
    for (int i = 0; i < 16; ++i) {
        const int nibble = (block[i / 2] >> (4 * (i % 2))) & 15;
        out[i] = static_cast<uint8_t>(nibble * 17);
    }
}

void interpolatedAlpha(const uint8_t* block, uint8_t out[16]) {
    const int a0 = block[0];
    const int a1 = block[1];
    int table[8] = {a0, a1};
    if (a0 > a1) {
        for (int i = 1; i <= 6; ++i) table[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i <= 4; ++i) table[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        table[6] = 0;
        table[7] = 255;
    }
    uint64_t bits = 0;
    for (int k = 0; k < 6; ++k) bits |= static_cast<uint64_t>(block[2 + k]) << (8 * k);
    for (int i = 0; i < 16; ++i) out[i] = static_cast<uint8_t>(table[(bits >> (3 * i)) & 7]);
}

void decodeBlock(const uint8_t* block, const BlockFormat& fmt, Rgba out[16]) {
    uint8_t alpha[16];
    const uint8_t* colour = block;
    if (fmt.alpha == BlockAlpha::Explicit) explicitAlpha(block, alpha);
    if (fmt.alpha == BlockAlpha::Interpolated) interpolatedAlpha(block, alpha);
    if (fmt.alpha != BlockAlpha::None) colour = block + 8;
    Rgba palette[4];
    colourPalette(colour, fmt.alpha == BlockAlpha::None, palette);
    const uint32_t indices = static_cast<uint32_t>(colour[4]) | static_cast<uint32_t>(colour[5]) << 8 |
                             static_cast<uint32_t>(colour[6]) << 16 | static_cast<uint32_t>(colour[7]) << 24;
    for (int i = 0; i < 16; ++i) {
        out[i] = palette[(indices >> (2 * i)) & 3];
        if (fmt.alpha != BlockAlpha::None) out[i].a = alpha[i];
    }
}

std::optional<Image> decodeBlocks(std::span<const uint8_t> bytes, uint32_t width, uint32_t height,
                                  const BlockFormat& fmt, std::string* error) {
    const size_t blocksWide = (size_t{width} + 3) / 4;
    const size_t blocksHigh = (size_t{height} + 3) / 4;
    if (bytes.size() - DDS_HEADER_BYTES < blocksWide * blocksHigh * fmt.blockBytes)
        return fail(error, "DDS block data is truncated");
    Image img = blankImage(width, height);
    Rgba texels[16];
    for (size_t by = 0; by < blocksHigh; ++by) {
        for (size_t bx = 0; bx < blocksWide; ++bx) {
            decodeBlock(&bytes[DDS_HEADER_BYTES + (by * blocksWide + bx) * fmt.blockBytes], fmt, texels);
            for (size_t i = 0; i < 16; ++i) {
                const size_t x = bx * 4 + i % 4;
                const size_t y = by * 4 + i / 4;
                if (x >= width || y >= height) continue;
                std::memcpy(&img.rgba[(y * width + x) * 4], &texels[i], 4);
            }
        }
    }
    return img;
}

}  // namespace

bool hasDdsMagic(std::span<const uint8_t> bytes) { return bytes.size() >= 4 && readU32(bytes, 0) == fourCC("DDS "); }

std::optional<Image> decodeDds(std::span<const uint8_t> bytes, std::string* error) {
    if (!hasDdsMagic(bytes)) return fail(error, "not a DDS file");
    if (bytes.size() < DDS_HEADER_BYTES) return fail(error, "DDS header is truncated");
    if (readU32(bytes, OFF_HEADER_SIZE) != HEADER_SIZE || readU32(bytes, OFF_PF_SIZE) != PIXEL_FORMAT_SIZE)
        return fail(error, "DDS header sizes are wrong");
    if (readU32(bytes, OFF_CAPS2) & (CAPS2_CUBEMAP | CAPS2_VOLUME))
        return fail(error, "DDS cube maps and volumes are not supported");
    const uint32_t width = readU32(bytes, OFF_WIDTH);
    const uint32_t height = readU32(bytes, OFF_HEIGHT);
    if (width == 0 || height == 0 || width > MAX_IMAGE_EDGE || height > MAX_IMAGE_EDGE)
        return fail(error, "DDS size is out of range");
    if (!(readU32(bytes, OFF_PF_FLAGS) & PF_FOURCC)) return decodeUncompressed(bytes, width, height, error);
    const uint32_t code = readU32(bytes, OFF_PF_FOURCC);
    for (const BlockFormat& fmt : BLOCK_FORMATS) {
        if (fmt.fourCC == code) return decodeBlocks(bytes, width, height, fmt, error);
    }
    return fail(error, "DDS compression is not DXT1, DXT3 or DXT5");
}

}  // namespace vantrel::render
