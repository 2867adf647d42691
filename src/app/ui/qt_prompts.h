#pragma once
// Prompts on a Qt desktop: message boxes, pop-up menus at the mouse, file dialogs, detached
// processes started with an argument list, and web pages in the desktop's browser.

#include "app/prompts.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace rowbit::ui {

class QtPrompts : public Prompts {
public:
    int message(const MessageRequest& request) override;
    int popupMenu(const std::string& items) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    bool startProcess(const std::string& program, const std::vector<std::string>& args) override;
    bool openUrl(const std::string& url) override;
};

// "a|b|c" split at "|", with a trailing empty item (a list that ends in "|") dropped.
QStringList splitItems(const std::string& items);
// A message text with "|" turned into line breaks.
QString messageText(const std::string& text);
// "Excel File|*.XLS|All|*.*" as a Qt name filter: "Excel File (*.XLS);;All (*.*)".
QString qtFilter(const std::string& filter);

// The command-line tail as one text: the arguments after the program's name joined with single
// blanks, so a path the shell split at its blanks is whole again. A leading "--" is dropped: what
// follows it is a path even when it starts with "-".
std::string commandTail(const QStringList& arguments);
// The option the command line starts with ("--help", "-v", ...), or empty: an argument that
// starts with "-" is never taken for a workbook.
QString commandOption(const QStringList& arguments);

// The window a prompt belongs to: the active modal window, else the active window.
QWidget* promptParent();

} // namespace rowbit::ui
