#include "app/ui/qt_prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QUrl>

namespace rowbit::ui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QMessageBox::Icon iconOf(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Error:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString startFolder(const FileDialogRequest& request) {
    const QString folder = request.folder.empty() ? QDir::currentPath() : q(request.folder);
    if (request.initialPath.empty())
        return folder;
    const QFileInfo initial(q(request.initialPath));
    // The folder asked for wins over the initial name's own folder, so the dialog starts
    // where the last one left off; the name is offered there.
    if (initial.isAbsolute() && request.folder.empty())
        return initial.filePath();
    return QDir(folder).filePath(initial.fileName());
}

// After a choice the chosen file's folder becomes the current one, so the next open dialog and
// the PATH saved at close start there.
std::optional<std::string> chosen(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return QDir::toNativeSeparators(path).toStdString();
}

// A message box that can always be dismissed: with several buttons and none meant for Esc,
// Esc and the close box answer "no button" instead of being ignored.
class PromptBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && !escapeButton()) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!escapeButton()) {
            event->accept();
            reject();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

// The message box's own button for the details speaks the program's language.
class BoxTexts : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, "QMessageBox") != 0)
            return {};
        if (qstrcmp(source, "Show Details...") == 0)
            return QString::fromUtf8("자세히 보기...");
        if (qstrcmp(source, "Hide Details...") == 0)
            return QString::fromUtf8("자세히 숨기기...");
        return {};
    }
};

void installBoxTexts() {
    static BoxTexts* texts = [] {
        auto* t = new BoxTexts;
        t->setParent(qApp);
        QCoreApplication::installTranslator(t);
        return t;
    }();
    (void)texts;
}

} // namespace

QStringList splitItems(const std::string& items) {
    QStringList list = q(items).split(QLatin1Char('|'));
    if (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}

QString messageText(const std::string& text) {
    return q(text).replace(QLatin1Char('|'), QLatin1Char('\n'));
}

// Filters name their patterns as file systems without case matched them: "*.XLS" there also
// showed book.xls, and a three-letter extension pattern also showed book.xlsx. On a
// case-sensitive file system each pattern therefore stands in both cases, and "*.abc" also as
// "*.abc?", so the files a user expects stay visible. The dialog shows only the filter's name.
QStringList widenedPatterns(const QString& patterns) {
    QStringList out;
    for (const QString& pattern :
         patterns.split(QRegularExpression(QStringLiteral("[; ]+")), Qt::SkipEmptyParts)) {
        for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()}) {
            if (!out.contains(variant))
                out << variant;
            static const QRegularExpression threeLetters(QStringLiteral("^\\*\\.[^.*?]{3}$"));
            if (threeLetters.match(variant).hasMatch() && !out.contains(variant + u'?'))
                out << variant + u'?';
        }
    }
    return out;
}

QString qtFilter(const std::string& filter) {
    const QStringList parts = q(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << QStringLiteral("%1 (%2)").arg(parts[i],
                                                 widenedPatterns(parts[i + 1]).join(u' '));
    return entries.join(QStringLiteral(";;"));
}

std::string commandTail(const QStringList& arguments) {
    const qsizetype first = arguments.size() > 1 && arguments[1] == QLatin1String("--") ? 2 : 1;
    return arguments.mid(first).join(QLatin1Char(' ')).toStdString();
}

QString commandOption(const QStringList& arguments) {
    if (arguments.size() < 2 || arguments[1] == QLatin1String("--") ||
        !arguments[1].startsWith(QLatin1Char('-')))
        return {};
    return arguments[1];
}

QWidget* promptParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

int QtPrompts::message(const MessageRequest& request) {
    PromptBox box(promptParent());
    box.setWindowTitle(q(request.caption));
    box.setText(messageText(request.text));
    box.setIcon(iconOf(request.icon));
    if (!request.details.empty()) {
        installBoxTexts();
        box.setDetailedText(q(request.details));
    }
    const QStringList buttons = splitItems(request.buttons);
    std::vector<QAbstractButton*> made;
    for (const QString& text : buttons)
        made.push_back(box.addButton(text, QMessageBox::AcceptRole));
    if (made.empty())
        made.push_back(box.addButton(QStringLiteral("확인"), QMessageBox::AcceptRole));
    const auto def = static_cast<std::size_t>(request.defaultButton);
    if (def >= 1 && def <= made.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(made[def - 1]));
    // A box with one button closes with Esc as if it were pressed; with several, Esc or the
    // close box means "no button".
    if (made.size() == 1)
        box.setEscapeButton(made.front());
    box.exec();
    for (std::size_t i = 0; i < made.size(); ++i) {
        if (box.clickedButton() == made[i])
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int QtPrompts::popupMenu(const std::string& items) {
    const QStringList list = splitItems(items);
    if (list.isEmpty())
        return 0;
    QMenu menu(promptParent());
    std::vector<QAction*> actions;
    for (const QString& text : list)
        actions.push_back(menu.addAction(text));
    QAction* picked = menu.exec(QCursor::pos());
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (actions[i] == picked)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

std::optional<std::string> QtPrompts::openFile(const FileDialogRequest& request) {
    return chosen(QFileDialog::getOpenFileName(promptParent(), q(request.title),
                                               startFolder(request), qtFilter(request.filter),
                                               nullptr, QFileDialog::HideNameFilterDetails));
}

std::optional<std::string> QtPrompts::saveFile(const FileDialogRequest& request) {
    // The name is completed by the caller (".xls" appended when missing), so the dialog must
    // not add a suffix of its own.
    return chosen(QFileDialog::getSaveFileName(promptParent(), q(request.title),
                                               startFolder(request), qtFilter(request.filter),
                                               nullptr, QFileDialog::HideNameFilterDetails));
}

bool QtPrompts::startProcess(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args)
        list << q(a);
    // An argument list goes to the program as it is: no shell sees a path.
    return QProcess::startDetached(q(program), list);
}

bool QtPrompts::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(q(url)));
}

} // namespace rowbit::ui
