#include "tests/e2e/run_program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace vantrel::test {

namespace {

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int runCounter = 0;

}  // namespace

std::string freshDir(const std::string& name) {
    // Named by process too: ctest runs tests side by side, each in a process of its own.
    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / ("vantrel-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string commandLine(const std::vector<std::string>& args, const std::vector<std::string>& env,
                        const std::string& outFile, const std::string& errFile) {
    std::string command = "exec env";
    for (const std::string& e : env) command += " " + quoted(e);
    command += " " + quoted(VANTREL_EXE);
    for (const std::string& a : args) command += " " + quoted(a);
    return command + " >" + quoted(outFile) + " 2>" + quoted(errFile) + " </dev/null";
}

RunResult resultOf(int status, const std::string& outFile, const std::string& errFile) {
    RunResult r;
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    r.crashed = WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) > 128);
    r.out = readText(outFile);
    r.err = readText(errFile);
    return r;
}

RunResult runVantrel(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    const std::string dir = freshDir("run" + std::to_string(++runCounter));
    const std::string outFile = dir + "/out", errFile = dir + "/err";
    return resultOf(std::system(commandLine(args, env, outFile, errFile).c_str()), outFile, errFile);
}

namespace {

Started startShell(const std::function<std::string(const Started&)>& commandFor) {
    const std::string dir = freshDir("started" + std::to_string(++runCounter));
    Started s{-1, dir + "/out", dir + "/err"};
    const std::string command = commandFor(s);
    s.pid = fork();
    if (s.pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return s;
}

}  // namespace

Started startVantrel(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    return startShell([&](const Started& s) { return commandLine(args, env, s.outFile, s.errFile); });
}

Started startCommand(const std::string& command) {
    return startShell([&](const Started& s) {
        return "exec " + command + " >" + quoted(s.outFile) + " 2>" + quoted(s.errFile) + " </dev/null";
    });
}

RunResult finish(const Started& s, int timeoutSeconds) {
    int status = 0;
    for (int waited = 0; waitpid(s.pid, &status, WNOHANG) == 0; waited += 50) {
        if (waited >= timeoutSeconds * 1000) {
            kill(s.pid, SIGKILL);
            waitpid(s.pid, &status, 0);
            RunResult r = resultOf(status, s.outFile, s.errFile);
            r.exitCode = -1;
            return r;
        }
        usleep(50 * 1000);
    }
    return resultOf(status, s.outFile, s.errFile);
}

std::string awaitLine(const Started& s, const std::string& text, int timeoutSeconds) {
    for (int waited = 0; waited < timeoutSeconds * 1000; waited += 50) {
        std::istringstream out(readText(s.outFile));
        for (std::string line; std::getline(out, line);) {
            if (line.find(text) != std::string::npos) return line;
        }
        usleep(50 * 1000);
    }
    return "";
}

std::string worldHashOf(const RunResult& r) {
    const std::string key = "world-hash ";
    const std::size_t at = r.out.find(key);
    if (at == std::string::npos) return "";
    return r.out.substr(at + key.size(), 16);
}

Image loadPng(const std::string& path) {
    Image image;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 4);
    if (pixels == nullptr) return Image{};
    image.argb.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::size_t i = 0; i < image.argb.size(); ++i) {
        const unsigned char* p = pixels + i * 4;
        image.argb[i] = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
    stbi_image_free(pixels);
    return image;
}

}  // namespace vantrel::test
