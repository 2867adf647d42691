#pragma once
// What every benchmark program shares: a clock, the process's processor time and peak memory,
// and a Prompts that answers every question with its first button and every dialog with
// nothing, as a user pressing Enter would.

#include "app/app_state.h"
#include "app/prompts.h"
#include "document/preview.h"

#include <cstdio>

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

// The resident size of this process now, in MB.
inline double residentMb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * 4096 / (1024 * 1024);
}

// The display every benchmark opens with: the list's date picture, the current folder.
inline AppState benchDisplay() {
    AppState display;
    display.datePicture = "@D9-";
    display.workingFolder = ".";
    return display;
}

// The title-row preview answered as a user pressing Enter would: the row it proposes.
inline std::optional<int> acceptPreselected(const std::vector<PreviewRow>&, int preselected) {
    return preselected;
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
