#pragma once
// Shared by the benchmarks that time a tessaly-cli command writing a folder against copying the
// same bytes: the command run as a child process (its wall and CPU time and its peak resident
// memory from the system's account of the child), and the copy of a folder with every file and
// then the folder flushed to the device, as cp followed by a sync would.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace tessaly::bench {

struct Run {
    double ms = 0;
    double cpuMs = 0;  // user and system time
    double peakMB = 0;

    // The best of several runs: the least time, the most memory.
    void Keep(const Run& run) {
        ms = std::min(ms, run.ms);
        cpuMs = std::min(cpuMs, run.cpuMs);
        peakMB = std::max(peakMB, run.peakMB);
    }
    static Run Worst() { return {1e300, 1e300, 0}; }
};

inline double CpuMs(const rusage& usage) {
    return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

// Runs `program` with the arguments, its output thrown away; its wall time and peak resident
// memory. Raises when it cannot start or does not end with status 0.
inline Run RunChild(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    std::string name = program;
    argv.push_back(name.data());
    for (std::string& a : copies) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        throw std::runtime_error("cannot start " + program);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string line = program;
        for (const std::string& a : args) {
            line += " " + (a.size() > 60 ? a.substr(0, 60) + "..." : a);
        }
        throw std::runtime_error("failed: " + line.substr(0, 400));
    }
    return {ms, CpuMs(usage), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

inline void SyncFd(int fd, const std::string& what) {
    if (fd < 0 || ::fsync(fd) != 0) {
        throw std::runtime_error("cannot flush " + what);
    }
}

// Copies every file of `from` into the new folder `to`, each flushed, then the folder: its wall
// and CPU time.
inline Run CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    std::filesystem::create_directory(to);
    std::vector<char> buffer(1 << 20);
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        const int in = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        const std::filesystem::path target = to / entry.path().filename();
        const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;) {
            if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n) {
                throw std::runtime_error("cannot write " + target.string());
            }
        }
        SyncFd(out, target.string());
        ::close(in);
        ::close(out);
    }
    const int dir = ::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    SyncFd(dir, to.string());
    ::close(dir);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    return {
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
        CpuMs(after) - CpuMs(before), 0};
}

inline double FolderMB(const std::filesystem::path& dir) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        bytes += entry.file_size();
    }
    return static_cast<double>(bytes) / 1e6;
}

// The report: a header line, one row per command (its best run against the best copy), and the
// load and goal under them.
inline void PrintHeader(const char* first) {
    std::printf("%-16s %8s %8s %8s %8s %8s %8s %8s %8s\n", first, "ms", "cpu ms", "copy ms",
                "copy cpu", "x copy", "x cpu", "peak MB", "out MB");
}
inline void PrintRow(const std::string& label, const Run& best, const Run& copied, double outMB) {
    const double ratio = best.ms / copied.ms;
    std::printf("%-16s %8.0f %8.0f %8.0f %8.0f %8.2f %8.2f %8.1f %8.1f%s\n", label.c_str(), best.ms,
                best.cpuMs, copied.ms, copied.cpuMs, ratio,
                best.cpuMs / std::max(copied.cpuMs, 1.0), best.peakMB, outMB,
                ratio <= 2 && best.peakMB < 100 ? "" : "  over the goal");
    std::fflush(stdout);
}
// Runs the command (which writes the folder root/"out") three times, each followed by a copy of
// what it wrote into root/"copy", and prints the row of the best of each.
inline void TimeAgainstCopy(const std::string& label, const std::filesystem::path& root,
                            const std::string& program, const std::vector<std::string>& args) {
    const std::filesystem::path out = root / "out";
    const std::filesystem::path copy = root / "copy";
    Run best = Run::Worst();
    Run copied = Run::Worst();
    for (int i = 0; i < 3; ++i) {
        std::filesystem::remove_all(out);
        best.Keep(RunChild(program, args));
        std::filesystem::remove_all(copy);
        copied.Keep(CopyFolder(out, copy));
    }
    PrintRow(label, best, copied, FolderMB(out));
}

// A new folder below the temporary directory, named after `name`, filled by `write` in a process
// of its own: the generator's memory must not count in the peaks measured later (a spawned child
// starts out sharing this process's pages). Raises when the writing fails (the folder is gone).
inline std::filesystem::path WriteInputs(
    const std::string& name, const std::function<void(const std::filesystem::path&)>& write) {
    std::random_device random;
    const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                       ("tessaly-bench-" + name + "-" + std::to_string(random()));
    std::filesystem::create_directories(root);
    std::fflush(stdout);
    const pid_t writer = ::fork();
    if (writer == 0) {
        try {
            write(root);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            ::_exit(2);
        }
        ::_exit(0);
    }
    int written = 1;
    if (writer < 0 || ::waitpid(writer, &written, 0) != writer || written != 0) {
        std::filesystem::remove_all(root);
        throw std::runtime_error("cannot write the sample clients");
    }
    return root;
}

inline void PrintFooter() {
    double load[3] = {};
    if (getloadavg(load, 3) > 0) {
        std::printf("load average during the run: %.1f (on %ld cores)\n", load[0],
                    sysconf(_SC_NPROCESSORS_ONLN));
    }
    std::printf("goal: at most 2 x the copy, under 100 MB\n");
}

}  // namespace tessaly::bench
