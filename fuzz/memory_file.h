// An anonymous in-memory file holding the fuzz input, for readers that only take a path.
// The path (/proc/self/fd/N) stays valid until the MemoryFile is destroyed.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::fuzz {

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("fuzz-input", 0)) {
        if (fd_ < 0) __builtin_trap();
        for (size_t done = 0; done < size;) {
            const ssize_t n = write(fd_, data + done, size - done);
            if (n <= 0) __builtin_trap();
            done += size_t(n);
        }
    }
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

}  // namespace vantrel::fuzz
