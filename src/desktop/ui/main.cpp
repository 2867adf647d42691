// rowbit: the desktop program. Reads its options, prepares the display preferences and the
// document and runs the browse window; the program ends when it closes.
#include "about/about_text.h"
#include "about/ui/about_window.h"
#include "about/ui/start_check.h"
#include "app/app_state.h"
#include "app/preferences.h"
#include "app/ui/fonts.h"
#include "app/ui/qt_prompts.h"
#include "app/version_store.h"
#include "browse/ui/browse_window.h"
#include "document/document.h"
#include "form/ui/record_form.h"
#include "report/ui/report_output.h"
#include "report/ui/totals_window.h"
#include "setup/ui/setup_dialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace {

constexpr int kUsageError = 64; // sysexits EX_USAGE, as rowbit-cli

// Reads the options before any window system is touched, so --help and --version work on a
// terminal without a display. The workbook's path (or "/O") comes back, or the exit status.
std::variant<std::string, int> readOptions(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Keeps the rows of a workbook's first sheet as records: list, search, sort, edit in a "
        "form, total and print them, and save them back into the workbook.\n\n"
        "Preferences: $XDG_CONFIG_HOME/rowbit/Rowbit.INI (~/.config/rowbit/Rowbit.INI), or a "
        "Rowbit.INI beside the program when one is there and writable. Each save first keeps "
        "the file it replaces in $XDG_DATA_HOME/rowbit/versions (~/.local/share/rowbit/versions); "
        "KeepVersions=0 in the preferences turns that off."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("WORKBOOK"),
        QStringLiteral("The .xls or .xlsx workbook to open; /O asks for one. Without it the "
                       "open dialog asks."),
        QStringLiteral("[WORKBOOK]"));
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "rowbit: %s\nTry 'rowbit --help' for more information.\n",
                     qPrintable(parser.errorText()));
        return kUsageError;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt cannot name the program in the usage line.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("rowbit"));
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("rowbit %s\n", rowbit::ownVersion().c_str());
        return 0;
    }
    // A path with blanks given unquoted arrives in pieces: they are one path.
    return rowbit::ui::commandTail(QStringList{arguments.first()} + parser.positionalArguments());
}

// Qt's own texts (the file dialogs, the standard buttons) in the system's language, from
// the translations Qt is installed with.
void installQtTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

} // namespace

int main(int argc, char** argv) {
    const auto options = readOptions(argc, argv);
    if (const int* status = std::get_if<int>(&options))
        return *status;
    const std::string commandLine = std::get<std::string>(options);

    Q_INIT_RESOURCE(rowbit);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rowbit"));
    QApplication::setApplicationVersion(QString::fromStdString(rowbit::ownVersion()));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rowbit.svg")));
    installQtTranslations(app);
    rowbit::ui::installFontSubstitutions();

    rowbit::AppState display;
    rowbit::Document doc;
    // A new workbook is named in the user's documents folder.
    display.documentsPath =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    rowbit::ui::QtPrompts prompts;
    // The preferences live in the user's configuration folder, or beside the program for a
    // portable install; never in whatever folder the program happened to start in.
    rowbit::Preferences prefs(rowbit::preferencesFolder(
        QApplication::applicationDirPath().toStdString(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString()));
    // Each save first keeps the file it replaces among the workbook's last versions, in the
    // user's data folder, unless the preferences say KeepVersions=0.
    if (prefs.readKeepVersions())
        doc.versions.emplace(rowbit::versionsFolder(
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString()));

    rowbit::ui::BrowseSeams seams;
    seams.recordForm = [&](QWidget* parent, rowbit::RecordCommand command, std::size_t record) {
        return rowbit::ui::RecordForm::run(doc, display, prompts, command, record, parent);
    };
    seams.versionCheck = [&](QWidget* parent) {
        return rowbit::ui::versionCheck(parent, prompts, prefs, rowbit::ownVersion());
    };
    seams.about = [&](QWidget* parent) {
        rowbit::ui::AboutWindow::run(prefs.readWebAddresses(), parent);
    };
    seams.setup = [&](QWidget* parent) {
        return rowbit::ui::SetupDialog::run(doc, prompts, parent);
    };
    seams.totals = [&](QWidget* parent) { rowbit::ui::TotalsWindow::run(doc, prompts, parent); };
    seams.print = [&](QWidget* parent, bool landscape) {
        return rowbit::ui::printList(parent, doc, prompts, landscape);
    };

    rowbit::ui::BrowseWindow window(display, doc, prompts, prefs, std::move(seams), commandLine,
                                    QApplication::applicationFilePath().toStdString());
    if (!window.open())
        return 0;
    return QApplication::exec();
}
