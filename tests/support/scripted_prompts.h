#pragma once
// The scripted Prompts double: answers come from queues filled by the test, in order; every
// question is recorded so the test can check what the user was asked. An unexpected question
// (empty queue) takes a default answer and is recorded as such, so a test fails on its
// assertions rather than hanging on a modal box.

#include "app/prompts.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rowbit::testing {

class ScriptedPrompts : public Prompts {
public:
    struct Asked {
        std::string kind;   // "message", "menu", "open", "save", "process", "url"
        std::string text;   // message text, menu items, dialog title, program, url
        std::string detail; // caption|buttons, filter, arguments joined by '\n'
    };

    std::deque<int> messageAnswers;                     // default 1
    std::deque<int> menuAnswers;                        // default 0 (dismissed)
    std::deque<std::optional<std::string>> openAnswers; // default nullopt (cancel)
    std::deque<std::optional<std::string>> saveAnswers; // default nullopt (cancel)
    bool processResult = true;
    bool urlResult = true;

    std::vector<Asked> asked;
    std::vector<MessageRequest> messages;
    std::vector<FileDialogRequest> dialogs;
    std::vector<std::pair<std::string, std::vector<std::string>>> processes;
    // Progress reports are not questions: they go here, not into `asked`.
    std::vector<std::pair<ProgressStage, double>> progressReports;
    // Called after each progress report is recorded: a test's look at the screen mid-work.
    std::function<void(ProgressStage, double)> onProgress;

    int message(const MessageRequest& request) override;
    int popupMenu(const std::string& items) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    bool startProcess(const std::string& program, const std::vector<std::string>& args) override;
    bool openUrl(const std::string& url) override;
    void progress(ProgressStage stage, double fraction) override;

    // Texts of every message box shown, in order.
    std::vector<std::string> messageTexts() const;
    // The fractions reported for one stage, in order.
    std::vector<double> progressOf(ProgressStage stage) const;
};

} // namespace rowbit::testing
