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
#include <cstdlib>
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
    double cpuMs = 0;  // user and system time
    double peakMB = 0;
};

double CpuMs(const rusage& usage) {
    return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

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
    return {ms, CpuMs(usage), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

void Sync(int fd, const std::string& what) {
    if (fd < 0 || ::fsync(fd) != 0) {
        throw std::runtime_error("cannot flush " + what);
    }
}

// Copies every file of `from` into the new folder `to`, each flushed, then the folder: its wall
// and CPU time.
Run Copy(const fs::path& from, const fs::path& to) {
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
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
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    return {std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
            CpuMs(after) - CpuMs(before), 0};
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
    std::fflush(stdout);
    // In a process of its own: the generator's memory must not count in the peaks measured
    // below (a spawned child starts out sharing this process's pages).
    const pid_t writer = ::fork();
    if (writer == 0) {
        tessaly::mk::WriteSampleClient(root / "old", true);
        tessaly::mk::WriteModernClient(root / "newer", tessaly::mk::ModernForm::Containers, true);
        ::_exit(0);
    }
    int written = 1;
    if (writer < 0 || ::waitpid(writer, &written, 0) != writer || written != 0) {
        std::fprintf(stderr, "cannot write the sample clients\n");
        return 2;
    }
    std::printf("%-16s %8s %8s %8s %8s %8s %8s %8s %8s\n", "convert", "ms", "cpu ms", "copy ms",
                "copy cpu", "x copy", "x cpu", "peak MB", "out MB");
    for (const auto& [client, form] : {std::pair{"old", "uop"}, std::pair{"newer", "mul"}}) {
        const fs::path out = root / "out";
        const fs::path copy = root / "copy";
        Run best{1e300, 1e300, 0};
        Run copied{1e300, 1e300, 0};
        for (int i = 0; i < 3; ++i) {
            fs::remove_all(out);
            const Run run = RunCli(
                {"--client-dir", (root / client).string(), "convert", out.string(), "--to", form});
            best.ms = std::min(best.ms, run.ms);
            best.cpuMs = std::min(best.cpuMs, run.cpuMs);
            best.peakMB = std::max(best.peakMB, run.peakMB);
            fs::remove_all(copy);
            const Run c = Copy(out, copy);
            copied.ms = std::min(copied.ms, c.ms);
            copied.cpuMs = std::min(copied.cpuMs, c.cpuMs);
        }
        const double ratio = best.ms / copied.ms;
        std::printf("%-16s %8.0f %8.0f %8.0f %8.0f %8.2f %8.2f %8.1f %8.1f%s\n",
                    (std::string(client) + " to " + form).c_str(), best.ms, best.cpuMs, copied.ms,
                    copied.cpuMs, ratio, best.cpuMs / std::max(copied.cpuMs, 1.0), best.peakMB,
                    FolderMB(out), ratio <= 2 && best.peakMB < 100 ? "" : "  over the goal");
    }
    double load[3] = {};
    if (getloadavg(load, 3) > 0) {
        std::printf("load average during the run: %.1f (on %ld cores)\n", load[0],
                    sysconf(_SC_NPROCESSORS_ONLN));
    }
    std::printf("goal: at most 2 x the copy, under 100 MB\n");
    fs::remove_all(root);
    return 0;
}
