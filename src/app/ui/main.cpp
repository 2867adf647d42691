// rowbit: the desktop program. Prepares the shared records and runs the browse window; the
// program ends when it closes.
#include "about/about_text.h"
#include "about/ui/about_window.h"
#include "about/ui/start_check.h"
#include "app/app_state.h"
#include "app/ui/fonts.h"
#include "app/ui/qt_prompts.h"
#include "browse/preferences.h"
#include "browse/ui/browse_window.h"
#include "form/ui/record_form.h"
#include "report/ui/report_output.h"
#include "report/ui/totals_window.h"
#include "setup/ui/setup_dialog.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <utility>

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(rowbit);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rowbit"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rowbit.svg")));
    rowbit::ui::installFontSubstitutions();

    // The whole tail of the command line is the workbook's path (or "/O").
    const std::string commandLine = rowbit::ui::commandTail(QApplication::arguments());

    rowbit::AppState state;
    rowbit::ui::QtPrompts prompts;
    // The preferences live in the folder the program starts in, whatever folder a file
    // dialog makes current later.
    rowbit::Preferences prefs(QDir::currentPath().toStdString());

    rowbit::ui::BrowseSeams seams;
    seams.recordForm = [&](QWidget* parent) {
        rowbit::ui::RecordForm::run(state, prompts, parent);
    };
    seams.versionCheck = [&](QWidget* parent) {
        return rowbit::ui::versionCheck(parent, prompts, prefs, rowbit::ownVersion());
    };
    seams.about = &rowbit::ui::AboutWindow::run;
    seams.setup = [&](QWidget* parent) { rowbit::ui::SetupDialog::run(state, prompts, parent); };
    seams.totals = [&](QWidget* parent) { rowbit::ui::TotalsWindow::run(state, prompts, parent); };
    seams.print = [&](QWidget* parent, bool landscape) {
        rowbit::ui::listPrint(parent, state, prompts, landscape);
    };

    rowbit::ui::BrowseWindow window(state, prompts, prefs, std::move(seams), commandLine,
                                    QApplication::applicationFilePath().toStdString());
    if (!window.open())
        return 0;
    return QApplication::exec();
}
