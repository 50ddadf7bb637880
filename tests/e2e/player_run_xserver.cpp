#include "tests/e2e/player_run_xserver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace vantrel::test {

namespace {

using namespace std::chrono_literals;

constexpr int XVFB_START_TIMEOUT_MS = 20000;

}  // namespace

pid_t spawnProcess(const std::vector<std::string>& args, const std::string& outFile, int extraFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (extraFd >= 0) posix_spawn_file_actions_adddup2(&actions, extraFd, 3);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (outFile + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int waitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(20ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

bool XServer::toolsInstalled() {
    return std::system("command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") == 0;
}

// Xvfb names the display it chose on fd 3 once it accepts clients, so servers of tests
// running side by side never collide.
XServer::XServer(const std::string& dir) : dir_(dir) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = spawnProcess({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                        dir_ + "/xvfb.log", fds[1]);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && poll(&p, 1, XVFB_START_TIMEOUT_MS) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (c == '\n' && !number.empty()) display_ = ":" + number;
}

XServer::~XServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitForExit(pid_, 5s);
}

std::optional<std::string> XServer::xdotool(const std::string& arguments) const {
    const std::string out = dir_ + "/xdotool.out";
    const std::string command =
        "DISPLAY=" + display_ + " timeout 20 xdotool " + arguments + " >" + out + " 2>>" + dir_ + "/xdotool.log";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    std::ifstream in(out);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vantrel::test
