#pragma once
// The About window "About Rowbit": the version and a few lines about the program, one button
// that closes it.

#include "about/ui/picture_dialog.h"
#include "app/web_addresses.h"

class QLabel;
class QPushButton;

namespace rowbit::ui {

class AboutWindow : public PictureDialog {
    Q_OBJECT
public:
    // The text names the addresses of `addresses` that are set.
    explicit AboutWindow(const WebAddresses& addresses = {}, QWidget* parent = nullptr);

    QLabel* textArea() const { return text_; }
    QPushButton* closeButton() const { return close_; }

    // Shows the window modally: the browse window's About command.
    static void run(const WebAddresses& addresses, QWidget* parent);

private:
    QLabel* text_;
    QPushButton* close_;
};

} // namespace rowbit::ui
