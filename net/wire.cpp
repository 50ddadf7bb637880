#include "net/wire.h"

#include <cstring>

namespace vantrel::net {

void ByteWriter::unsignedLe(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::text(const std::string& s) {
    const std::size_t size = s.size() < 255 ? s.size() : 255;
    u8(static_cast<uint8_t>(size));
    raw(s.data(), size);
}

void ByteWriter::raw(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), bytes, bytes + size);
}

uint64_t ByteReader::unsignedLe(int bytes) {
    if (!ok_ || remaining() < static_cast<std::size_t>(bytes)) {
        ok_ = false;
        return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += static_cast<std::size_t>(bytes);
    return v;
}

std::string ByteReader::text(std::size_t maxBytes) {
    const std::size_t size = u8();
    if (!ok_ || size > maxBytes || remaining() < size) {
        ok_ = false;
        return {};
    }
    std::string s(reinterpret_cast<const char*>(data_ + pos_), size);
    pos_ += size;
    return s;
}

void ByteReader::raw(void* out, std::size_t size) {
    if (!ok_ || remaining() < size) {
        ok_ = false;
        std::memset(out, 0, size);
        return;
    }
    std::memcpy(out, data_ + pos_, size);
    pos_ += size;
}

}  // namespace vantrel::net
