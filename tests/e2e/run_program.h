// Running the real vantrel executable from tests, and reading what it leaves behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::test {

struct RunResult {
    int exitCode = -1;     // -1 when the program did not exit by itself
    bool crashed = false;  // ended by a signal
    std::string out, err;
};

// Runs vantrel with the arguments; env holds arguments of env(1) ("NAME=value", "-u", "NAME").
RunResult runVantrel(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// A fresh, empty directory under the test temporary directory, private to this process.
std::string freshDir(const std::string& name);

std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);

// The "world-hash" line of --print-hash, or an empty string.
std::string worldHashOf(const RunResult& r);

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
};
// Loads a PNG as 0xAARRGGBB pixels; an empty image when it cannot be read.
Image loadPng(const std::string& path);

}  // namespace vantrel::test
