#pragma once
// What every benchmark program shares: a clock, the process's processor time and peak memory,
// and a Prompts that answers every question with its first button and every dialog with
// nothing, as a user pressing Enter would.

#include "app/prompts.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace rowbit::bench {

using Clock = std::chrono::steady_clock;

inline double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time of this process (user + system): on a shared machine wall time also
// measures the neighbours.
inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The largest resident size of this process so far, in MB.
inline double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024;
}

class SilentPrompts : public Prompts {
public:
    int message(const MessageRequest&) override { return 1; }
    int popupMenu(const std::string&) override { return 0; }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
    bool startProcess(const std::string&, const std::vector<std::string>&) override {
        return false;
    }
    bool openUrl(const std::string&) override { return false; }
};

} // namespace rowbit::bench
