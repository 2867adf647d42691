#include "about/ui/update_notice_window.h"

#include "app/prompts.h"
#include "app/ui/dialog_units.h"
#include "app/web_addresses.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace rowbit::ui {

namespace {

// Designed size, in dialog units.
constexpr int kWidth = 230;
constexpr int kHeight = 124;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect place) {
    auto* made = new QLabel(text, parent);
    made->setObjectName(QString::fromLatin1(name));
    made->setGeometry(place);
    return made;
}

QLineEdit* field(QWidget* parent, const char* name, const std::string& text, QRect place) {
    auto* made = new QLineEdit(q(text), parent);
    made->setObjectName(QString::fromLatin1(name));
    made->setReadOnly(true);
    made->setMaxLength(20);
    made->setGeometry(place);
    return made;
}

} // namespace

UpdateNoticeWindow::UpdateNoticeWindow(const UpdateNotice& notice, const std::string& download,
                                       QWidget* parent)
    : PictureDialog(QStringLiteral(":/pictures/notice.svg"), parent),
      ok_(new QPushButton(QString::fromUtf8(kNoticeOk), this)),
      cancel_(new QPushButton(QString::fromUtf8(kNoticeCancel), this)) {
    setWindowTitle(QString::fromUtf8(kNoticeCaption));
    const DialogUnits du(font());

    label(this, "newerVersionLabel", QString::fromUtf8(kNoticeLine1),
          du.rect(12, 10, kWidth - 20, 10));
    label(this, "downloadPromptLabel", QString::fromUtf8(kNoticeLine2),
          du.rect(20, 22, kWidth - 28, 10));
    // The address below the line that points to it; when none is set, that is said there.
    label(this, "downloadAddressLabel",
          download.empty() ? QString::fromUtf8(kNoAddressMessage) : q(download),
          du.rect(20, 34, kWidth - 28, 10));

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("versionGroup"));
    group->setGeometry(du.rect(12, 48, kWidth - 24, 44));
    label(group, "currentVersionLabel", QString::fromUtf8(kNoticeCurrent), du.rect(10, 10, 50, 10));
    field(group, "currentVersionField", notice.current, du.rect(62, 8, 90, 12));
    label(group, "latestVersionLabel", QString::fromUtf8(kNoticeLatest), du.rect(10, 26, 50, 10));
    field(group, "latestVersionField", notice.latest, du.rect(62, 24, 90, 12));

    ok_->setObjectName(QStringLiteral("okButton"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    ok_->setGeometry(du.rect(kWidth / 2 - 56, kHeight - 24, 50, 15));
    cancel_->setGeometry(du.rect(kWidth / 2 + 6, kHeight - 24, 50, 15));
    cancel_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(du.x(kWidth), du.y(kHeight));
}

NoticeOutcome UpdateNoticeWindow::run(const UpdateNotice& notice, const std::string& download,
                                      Prompts& prompts, QWidget* parent) {
    UpdateNoticeWindow window(notice, download, parent);
    // The working folder goes to the clipboard, to be pasted where the new version is put.
    QApplication::clipboard()->setText(QDir::toNativeSeparators(QDir::currentPath()));
    if (window.exec() != QDialog::Accepted)
        return NoticeOutcome::CarryOn;
    if (download.empty()) {
        // Nowhere to go: ending the program would gain the user nothing.
        prompts.tell(kNoAddressMessage);
        return NoticeOutcome::CarryOn;
    }
    prompts.openUrl(download);
    return NoticeOutcome::Download;
}

} // namespace rowbit::ui
