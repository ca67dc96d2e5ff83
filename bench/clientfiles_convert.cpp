// tessaly-cli convert on the full-size sample clients: the old one into containers, the newer
// one into .mul pairs. Each run is timed against copying the bytes it wrote (every file read and
// written anew, flushed to the device, then the folder flushed, as cp followed by a sync would),
// in the same run on the same disk; the command's peak resident memory comes from the system's
// account of the child process. The best of three runs of each is reported.

#include "SampleClient.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Run {
    double ms = 0;
    double peakMB = 0;
};

// Runs tessaly-cli with the arguments; its wall time and peak resident memory.
Run RunCli(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = TESSALY_CLI;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("tessaly-cli convert failed");
    }
    return {ms, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

void Sync(int fd, const std::string& what) {
    if (fd < 0 || ::fsync(fd) != 0) {
        throw std::runtime_error("cannot flush " + what);
    }
}

// Copies every file of `from` into the new folder `to`, each flushed, then the folder.
double CopyMs(const fs::path& from, const fs::path& to) {
    const auto start = Clock::now();
    fs::create_directory(to);
    std::vector<char> buffer(1 << 20);
    for (const auto& entry : fs::directory_iterator(from)) {
        const int in = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        const fs::path target = to / entry.path().filename();
        const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;) {
            if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n) {
                throw std::runtime_error("cannot write " + target.string());
            }
        }
        Sync(out, target.string());
        ::close(in);
        ::close(out);
    }
    const int dir = ::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Sync(dir, to.string());
    ::close(dir);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double FolderMB(const fs::path& dir) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        bytes += entry.file_size();
    }
    return static_cast<double>(bytes) / 1e6;
}

}  // namespace

int main() {
    std::random_device random;
    const fs::path root =
        fs::temp_directory_path() / ("tessaly-bench-convert-" + std::to_string(random()));
    fs::create_directories(root);
    std::printf("writing the full-size sample clients ...\n");
    tessaly::mk::WriteSampleClient(root / "old", true);
    tessaly::mk::WriteModernClient(root / "newer", tessaly::mk::ModernForm::Containers, true);
    std::printf("%-28s %10s %10s %8s %10s %10s\n", "convert", "ms", "copy ms", "x copy", "peak MB",
                "output MB");
    int status = 0;
    for (const auto& [client, form] : {std::pair{"old", "uop"}, std::pair{"newer", "mul"}}) {
        const fs::path out = root / "out";
        const fs::path copy = root / "copy";
        Run best{1e300, 0};
        double copyMs = 1e300;
        for (int i = 0; i < 3; ++i) {
            fs::remove_all(out);
            const Run run = RunCli(
                {"--client-dir", (root / client).string(), "convert", out.string(), "--to", form});
            best.ms = std::min(best.ms, run.ms);
            best.peakMB = std::max(best.peakMB, run.peakMB);
            fs::remove_all(copy);
            copyMs = std::min(copyMs, CopyMs(out, copy));
        }
        const double ratio = best.ms / copyMs;
        std::printf("%-28s %10.0f %10.0f %8.2f %10.1f %10.1f%s\n",
                    (std::string(client) + " to " + form).c_str(), best.ms, copyMs, ratio,
                    best.peakMB, FolderMB(out),
                    ratio <= 2 && best.peakMB < 100 ? "" : "  over the goal");
        if (ratio > 2 || best.peakMB >= 100) {
            status = 1;
        }
    }
    std::printf("goal: at most 2 x the copy, under 100 MB\n");
    fs::remove_all(root);
    return status;
}
