#pragma once
// Everything that asks the user or reaches outside the program goes through Prompts: message
// boxes and questions, pop-up menus, file dialogs, starting a further copy of the program and
// opening web pages. The desktop program implements it with Qt; tests use a scripted double
// that answers in a given order and records what was asked.
//
// Texts are UTF-8 and stand exactly as written in the program's message table. In a message a
// "|" starts a new line; buttons and menu items are given as one text separated by "|".

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rowbit {

enum class PromptIcon { None, Information, Warning, Error, Question };

enum class ProgressStage { Reading, Listing };

struct MessageRequest {
    // Spelled out so that a message built without details (most are) leaves nothing unset.
    MessageRequest(std::string text_ = {}, std::string caption_ = {}, std::string buttons_ = "확인",
                   PromptIcon icon_ = PromptIcon::None, int defaultButton_ = 1,
                   std::string details_ = {})
        : text(std::move(text_)), caption(std::move(caption_)), buttons(std::move(buttons_)),
          icon(icon_), defaultButton(defaultButton_), details(std::move(details_)) {}

    std::string text;
    std::string caption; // empty: no caption
    std::string buttons; // "확인", "예|아니오"
    PromptIcon icon;
    int defaultButton; // 1-based
    // The technical side of a failure (the full path, the part, offset or record that failed):
    // out of the way of the sentence the user reads, for whoever needs it.
    std::string details;
};

struct FileDialogRequest {
    std::string title;
    std::string filter;      // "Excel File|*.XLS": name|pattern pairs
    std::string initialPath; // file name or path shown first; may be empty
    std::string folder;      // folder the dialog starts in; empty: the current folder
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // Shows a modal message box; returns the 1-based number of the button chosen
    // (0 when the box was closed without a button).
    virtual int message(const MessageRequest& request) = 0;
    // A pop-up menu at the mouse position; 1-based item number, 0 when dismissed.
    virtual int popupMenu(const std::string& items) = 0;
    // File dialogs: the chosen path, nullopt when cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    // Starts a program without waiting, with an argument list (never through a shell).
    virtual bool startProcess(const std::string& program, const std::vector<std::string>& args) = 0;
    // Opens a web address in the desktop's browser.
    virtual bool openUrl(const std::string& url) = 0;

    // Work that takes a while (reading a large workbook, filling its list) says how far it
    // got, from 0 to 1, on the thread that asked for it, so that a window can show it.
    virtual void progress(ProgressStage stage, double fraction) {
        (void)stage;
        (void)fraction;
    }

    // A plain message box: the text, no caption, no icon, one OK button.
    void tell(const std::string& text, const std::string& details = {}) {
        message(MessageRequest{text, {}, "확인", PromptIcon::None, 1, details});
    }
};

} // namespace rowbit
