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

// A vantrel started in the background, writing its output to files.
struct Started {
    int pid = -1;
    std::string outFile, errFile;
};
Started startVantrel(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
// Any program, as a shell command line (its output goes to the files).
Started startCommand(const std::string& command);
// Waits for it to end, at most timeoutSeconds; then kills it (RunResult::exitCode stays -1).
RunResult finish(const Started& s, int timeoutSeconds);
// Waits until its standard output holds a line with text, at most timeoutSeconds; that line.
std::string awaitLine(const Started& s, const std::string& text, int timeoutSeconds);

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
