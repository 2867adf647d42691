#pragma once
// What every benchmark program shares: a clock, and a Prompts that answers every question
// with its first button and every dialog with nothing, as a user pressing Enter would.

#include "app/prompts.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace rowbit::bench {

using Clock = std::chrono::steady_clock;

inline double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
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
