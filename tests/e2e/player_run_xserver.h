// A private X server (Xvfb) for tests that drive the real program with a keyboard, and
// background processes started on it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::test {

// Starts args[0] from PATH with standard output and error in outFile and outFile.err; the
// pid, or -1. extraFd, when given, becomes the child's fd 3.
pid_t spawnProcess(const std::vector<std::string>& args, const std::string& outFile, int extraFd = -1);

// The exit code; -1 when the process ended by a signal or was still running at the deadline
// (it is then killed).
int waitForExit(pid_t pid, std::chrono::milliseconds timeout);

class XServer {
public:
    // Starts Xvfb on a display it picks itself, logging into dir; display() is empty on failure.
    explicit XServer(const std::string& dir);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    static bool toolsInstalled();
    const std::string& display() const { return display_; }

    // Runs xdotool with these arguments on this display: its standard output, or nothing when
    // it fails or hangs.
    std::optional<std::string> xdotool(const std::string& arguments) const;

private:
    std::string dir_, display_;
    pid_t pid_ = -1;
};

}  // namespace vantrel::test
