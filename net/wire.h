// Little-endian byte writing and bounds-checked reading for network messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::net {

using Bytes = std::vector<uint8_t>;

class ByteWriter {
public:
    explicit ByteWriter(Bytes& out) : out_(out) {}
    void u8(uint8_t v) { out_.push_back(v); }
    void i8(int8_t v) { out_.push_back(static_cast<uint8_t>(v)); }
    void u16(uint16_t v) { unsignedLe(v, 2); }
    void u32(uint32_t v) { unsignedLe(v, 4); }
    void u64(uint64_t v) { unsignedLe(v, 8); }
    // A length byte, then the bytes; the caller keeps text within 255 bytes.
    void text(const std::string& s);
    void raw(const void* data, std::size_t size);

private:
    void unsignedLe(uint64_t v, int bytes);
    Bytes& out_;
};

// Reads fields in order; a read past the end or a text longer than its limit marks the reader
// failed and yields zeros, so a decoder checks ok() once at the end.
class ByteReader {
public:
    ByteReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    uint8_t u8() { return static_cast<uint8_t>(unsignedLe(1)); }
    int8_t i8() { return static_cast<int8_t>(unsignedLe(1)); }
    uint16_t u16() { return static_cast<uint16_t>(unsignedLe(2)); }
    uint32_t u32() { return static_cast<uint32_t>(unsignedLe(4)); }
    uint64_t u64() { return unsignedLe(8); }
    std::string text(std::size_t maxBytes);
    // Copies size bytes out, or fails.
    void raw(void* out, std::size_t size);
    // Marks the reader failed: a field was read whole but its value is out of range.
    void refuse() { ok_ = false; }

    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == size_; }
    std::size_t remaining() const { return size_ - pos_; }

private:
    uint64_t unsignedLe(int bytes);
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace vantrel::net
