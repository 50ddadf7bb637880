// Little-endian byte building and reading for the binary formats we write and check.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vantrel::data {

class ByteWriter {
public:
    std::vector<uint8_t> bytes;
    void u8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void i16(int32_t v) { u16(static_cast<uint32_t>(v) & 0xFFFF); }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        u32(u);
    }
    void text(const std::string& s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

inline uint32_t readU16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8;
}
inline uint32_t readU32(const std::vector<uint8_t>& b, size_t at) { return readU16(b, at) | readU16(b, at + 2) << 16; }

bool readFileBytes(const std::string& path, std::vector<uint8_t>& out);
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace vantrel::data
