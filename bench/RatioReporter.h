#pragma once
// The console report of the benchmark programs, which also keeps each benchmark's time per
// iteration (of a single run, or the mean of repeated ones) for the ratios they print after.

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean") {
                m_Times[run.run_name.str()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of benchmark `work` over that of `base` (by their names without aggregate), real or
    // CPU time; nullopt when either did not run.
    std::optional<double> Ratio(const std::string& work, const std::string& base,
                                bool bRealTime) const {
        const auto w = m_Times.find(work);
        const auto b = m_Times.find(base);
        if (w == m_Times.end() || b == m_Times.end()) {
            return std::nullopt;
        }
        const double over = bRealTime ? b->second.real : b->second.cpu;
        if (over <= 0) {
            return std::nullopt;
        }
        return (bRealTime ? w->second.real : w->second.cpu) / over;
    }
    // The full names of the benchmarks that ran, in name order.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& [name, times] : m_Times) {
            names.push_back(name);
        }
        return names;
    }

private:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> m_Times;
};

}  // namespace tessaly::bench
