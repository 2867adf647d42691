#pragma once
// The update notice "Confirm": a newer version exists; OK goes to the download page (and the
// program ends), Cancel or closing carries on.

#include "about/ui/picture_dialog.h"
#include "about/version_check.h"

#include <string>

class QPushButton;
class QLineEdit;

namespace rowbit {
class Prompts;
}

namespace rowbit::ui {

enum class NoticeOutcome { CarryOn, Download };

class UpdateNoticeWindow : public PictureDialog {
    Q_OBJECT
public:
    // `download`: the address shown and opened by OK; may be empty.
    UpdateNoticeWindow(const UpdateNotice& notice, const std::string& download,
                       QWidget* parent = nullptr);

    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Shows the notice modally. The working folder goes to the clipboard as it opens; OK opens
    // the download page through `prompts`, or, with no download address, says that none is set
    // and carries on.
    static NoticeOutcome run(const UpdateNotice& notice, const std::string& download,
                             Prompts& prompts, QWidget* parent);

private:
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace rowbit::ui
