#pragma once
// The notice a window shows while a workbook opens or its rows are read again: "파일을 여는
// 중입니다..." over the list with a bar of how far the work got, and the wait cursor. The work
// asks its questions through the notice, which stands aside while the user is asked (notice
// gone, cursor back) and comes back as it was: the bar never goes back.

#include "app/prompts.h"

#include <QElapsedTimer>

#include <functional>
#include <type_traits>

class QFrame;
class QProgressBar;
class QWidget;

namespace rowbit::ui {

// The bar's percent for a report of the opening: reading the workbook is most of it (up to 70),
// filling the list the rest. Rounded down, so that 100 means done.
int openingPercent(ProgressStage stage, double fraction);
// The bar's percent while only the list is filled (a re-read): the whole bar is the list's.
int fillingPercent(ProgressStage stage, double fraction);

class BusyNotice : public Prompts {
public:
    using Percent = int (*)(ProgressStage, double);

    // Shown at once, centred over `over` in `window`, and painted before the work starts. Every
    // prompt goes on to `inner`; `aside` runs whenever the notice stands aside for a question.
    BusyNotice(QWidget& window, const QWidget& over, Prompts& inner, Percent percent,
               std::function<void()> aside = {});
    ~BusyNotice() override;
    BusyNotice(const BusyNotice&) = delete;
    BusyNotice& operator=(const BusyNotice&) = delete;

    // Whether `window` shows a busy notice now.
    static bool shownIn(const QWidget& window);

    // The work is done: the bar shown full, then the notice gone.
    void finish();

    // Asks with the notice out of the way.
    template <class F>
    std::invoke_result_t<F> asking(F&& ask) {
        if (aside_)
            aside_();
        show(false);
        auto answer = ask();
        show(true);
        return answer;
    }

    int message(const MessageRequest& request) override {
        return asking([&] { return inner_.message(request); });
    }
    int popupMenu(const std::string& items) override {
        return asking([&] { return inner_.popupMenu(items); });
    }
    std::optional<std::string> openFile(const FileDialogRequest& request) override {
        return asking([&] { return inner_.openFile(request); });
    }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override {
        return asking([&] { return inner_.saveFile(request); });
    }
    bool startProcess(const std::string& program, const std::vector<std::string>& args) override {
        return inner_.startProcess(program, args);
    }
    bool openUrl(const std::string& url) override { return inner_.openUrl(url); }
    void progress(ProgressStage stage, double fraction) override;

private:
    void show(bool shown);
    void showPercent(int percent);

    QWidget& window_;
    const QWidget& over_;
    Prompts& inner_;
    Percent percentOf_;
    std::function<void()> aside_;
    QFrame* frame_ = nullptr;
    QProgressBar* bar_ = nullptr;
    int percent_ = 0; // what the bar shows, kept while the notice stands aside
    QElapsedTimer shownAt_;
};

} // namespace rowbit::ui
