#include "support/scripted_prompts.h"

namespace rowbit::testing {

namespace {
template <class T>
T take(std::deque<T>& queue, T fallback) {
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
} // namespace

int ScriptedPrompts::message(const MessageRequest& request) {
    messages.push_back(request);
    asked.push_back({"message", request.text, request.caption + "|" + request.buttons});
    return take(messageAnswers, 1);
}

int ScriptedPrompts::popupMenu(const std::string& items) {
    asked.push_back({"menu", items, {}});
    return take(menuAnswers, 0);
}

std::optional<std::string> ScriptedPrompts::openFile(const FileDialogRequest& request) {
    dialogs.push_back(request);
    asked.push_back({"open", request.title, request.filter});
    return take(openAnswers, std::optional<std::string>{});
}

std::optional<std::string> ScriptedPrompts::saveFile(const FileDialogRequest& request) {
    dialogs.push_back(request);
    asked.push_back({"save", request.title, request.filter});
    return take(saveAnswers, std::optional<std::string>{});
}

bool ScriptedPrompts::startProcess(const std::string& program,
                                   const std::vector<std::string>& args) {
    processes.emplace_back(program, args);
    std::string joined;
    for (const auto& a : args)
        joined += (joined.empty() ? "" : "\n") + a;
    asked.push_back({"process", program, joined});
    return processResult;
}

bool ScriptedPrompts::openUrl(const std::string& url) {
    asked.push_back({"url", url, {}});
    return urlResult;
}

std::vector<std::string> ScriptedPrompts::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages)
        texts.push_back(m.text);
    return texts;
}

void ScriptedPrompts::progress(ProgressStage stage, double fraction) {
    progressReports.emplace_back(stage, fraction);
    if (onProgress)
        onProgress(stage, fraction);
}

std::vector<double> ScriptedPrompts::progressOf(ProgressStage stage) const {
    std::vector<double> fractions;
    for (const auto& [s, f] : progressReports)
        if (s == stage)
            fractions.push_back(f);
    return fractions;
}

} // namespace rowbit::testing
