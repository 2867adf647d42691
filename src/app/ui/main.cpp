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
#include <QStringList>

#include <cstdio>
#include <utility>

namespace {
constexpr const char* kUsage =
    "Usage: rowbit [WORKBOOK | /O | -- WORKBOOK]\n"
    "  WORKBOOK   the .xls or .xlsx workbook to open (a new one when it is not there)\n"
    "  /O         choose the workbook in the open dialog\n"
    "  --help     this text\n"
    "  --version  the program's version\n";
} // namespace

int main(int argc, char** argv) {
    // Help and version are answered before any window system is needed, so that they work in a
    // plain terminal as well.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    const QString early = rowbit::ui::commandOption(given);
    if (early == QLatin1String("--help") || early == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (early == QLatin1String("--version")) {
        std::printf("rowbit %s\n", rowbit::ownVersion().c_str());
        return 0;
    }
    Q_INIT_RESOURCE(rowbit);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rowbit"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rowbit.svg")));
    rowbit::ui::installFontSubstitutions();

    // Any other option (Qt has taken its own by now) is never taken for a workbook.
    if (const QString option = rowbit::ui::commandOption(QApplication::arguments());
        !option.isEmpty()) {
        std::fprintf(stderr, "rowbit: unknown option %s\n%s", option.toLocal8Bit().constData(),
                     kUsage);
        return 2;
    }
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
    seams.about = [&](QWidget* parent) {
        rowbit::ui::AboutWindow::run(prefs.readWebAddresses(), parent);
    };
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
