#include "cli/command_line.h"

#include "about/about_text.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/output_format.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rowbit::cli {

namespace {

constexpr const char* kExitStatuses = R"(Exit status:
  0   done
  1   the form refused the entry, the search found nothing, nothing to total or print, or no
      version of the workbook is kept
  64  usage error: an unknown command or option, a bad option value, a missing or extra argument
  65  the workbook or the setup cannot be read (damaged, encrypted, unsupported)
  66  the file does not exist or cannot be opened
  73  the output file could not be written
  74  reading failed (I/O error)
  75  the file changed on disk since it was read; nothing written

Preferences (date format) are read from $XDG_CONFIG_HOME/rowbit/Rowbit.INI, or from a
Rowbit.INI beside the program when one is there and writable. Kept versions live in
$XDG_DATA_HOME/rowbit/versions (~/.local/share/rowbit/versions).)";

// The date formats the preferences know, as --date-format takes them.
const std::vector<std::string> kDateFormats = {"yy/mm/dd", "yy-mm-dd", "yy.mm.dd",
                                               "mm/dd/yy", "mm-dd-yy", "mm.dd.yy",
                                               "dd/mm/yy", "dd-mm-yy", "dd.mm.yy"};

// One command: what CLI11 read for it, turned back into the argument list the command's
// function reads (the positional arguments first, then each given option and its value).
struct Command {
    CLI::App* app = nullptr;
    int (*run)(const Args&) = nullptr;
    std::vector<std::string> positionals; // in order; values filled by CLI11
    std::vector<std::string> values;      // VALUE... of add and change
    struct Given {
        std::string name;
        std::string value;
        CLI::Option* option = nullptr;
    };
    std::list<Given> options; // a list: CLI11 holds each value's address
    bool landscape = false;
    bool keepVersion = false;

    Args args() const {
        Args out(positionals.begin(), positionals.end());
        out.insert(out.end(), values.begin(), values.end());
        for (const Given& given : options) {
            if (given.option->count() > 0) {
                out.push_back(given.name);
                out.push_back(given.value);
            }
        }
        if (landscape)
            out.emplace_back("--landscape");
        if (keepVersion) {
            out.emplace_back("--keep-version");
            out.emplace_back("yes");
        }
        return out;
    }
};

class Parser {
public:
    Parser()
        : app_("Keeps the rows of a workbook's first sheet as records, from scripts.",
               "rowbit-cli") {
        app_.set_version_flag("-V,--version", std::string("rowbit-cli ") + ownVersion());
        // A missing command is told after parsing, so an unknown option is named first.
        app_.require_subcommand(0, 1);
        app_.footer(kExitStatuses);
        app_.get_formatter()->column_width(30);

        addCommand("sheets", "List the workbook's sheet names", sheets, {"FILE"});
        auto& cellsCmd = addCommand("cells", "Print every stored cell of a sheet", cells, {"FILE"});
        intOption(cellsCmd, "--sheet", "N", "The sheet, counted from 0 (default 0)",
                  CLI::NonNegativeNumber);
        auto& listCmd = addCommand("list", "Print the records of the first sheet", list, {"FILE"});
        documentOptions(listCmd);
        formatOption(listCmd);
        auto& setupCmd = addCommand("setup", "Print the column setup as JSON", setup, {"FILE"});
        documentOptions(setupCmd);
        auto& configureCmd =
            addCommand("configure", "Store a column setup given as JSON and save the workbook",
                       configure, {"FILE", "SETUP"});
        documentOptions(configureCmd);
        keepVersionOption(configureCmd);
        auto& totalsCmd =
            addCommand("totals", "Print the totals of the number columns", totals, {"FILE"});
        documentOptions(totalsCmd);
        formatOption(totalsCmd);
        auto& searchCmd =
            addCommand("search", "Print the records that contain TEXT", search, {"FILE", "TEXT"});
        documentOptions(searchCmd);
        formatOption(searchCmd);
        auto& sortCmd = addCommand("sort", "Sort the records by a column and save to OUT", sort,
                                   {"FILE", "COLUMN"});
        documentOptions(sortCmd);
        keepVersionOption(sortCmd);
        textOption(sortCmd, "--out", "OUT", "The workbook to write", true);
        auto& resaveCmd =
            addCommand("resave", "Load and save the workbook to OUT", resave, {"FILE"});
        documentOptions(resaveCmd);
        keepVersionOption(resaveCmd);
        textOption(resaveCmd, "--out", "OUT", "The workbook to write", true);
        auto& reportCmd = addCommand("report", "Print the list report to a PDF file", report,
                                     {"FILE", "OUT.pdf"});
        documentOptions(reportCmd);
        reportCmd.app->add_flag("--landscape", reportCmd.landscape, "Landscape pages");
        auto& addCmd = addCommand("add", "Add a record through the form and save the workbook",
                                  cli::add, {"FILE"});
        editOptions(addCmd);
        auto& changeCmd =
            addCommand("change", "Change record N through the form and save the workbook", change,
                       {"FILE", "N"});
        editOptions(changeCmd);
        auto& deleteCmd =
            addCommand("delete", "Delete record N and save the workbook", remove, {"FILE", "N"});
        documentOptions(deleteCmd);
        keepVersionOption(deleteCmd);
        addCommand("versions", "List the kept versions of FILE, newest first", versions, {"FILE"});
    }

    int run(int argc, char** argv) {
        try {
            app_.parse(argc, argv);
        } catch (const CLI::CallForHelp& e) {
            return app_.exit(e, std::cout, std::cerr);
        } catch (const CLI::CallForAllHelp& e) {
            return app_.exit(e, std::cout, std::cerr);
        } catch (const CLI::CallForVersion& e) {
            return app_.exit(e, std::cout, std::cerr);
        } catch (const CLI::ParseError& e) {
            std::cerr << "rowbit-cli: " << e.what() << '\n'
                      << "Try 'rowbit-cli --help' for more information.\n";
            return kExitUsage;
        }
        for (const auto& command : commands_) {
            if (command->app->parsed())
                return command->run(command->args());
        }
        std::cerr << "rowbit-cli: a command is required\n"
                  << "Try 'rowbit-cli --help' for more information.\n";
        return kExitUsage;
    }

private:
    Command& addCommand(const std::string& name, const std::string& description,
                        int (*function)(const Args&), const std::vector<std::string>& positionals) {
        auto command = std::make_unique<Command>();
        command->app = app_.add_subcommand(name, description);
        command->app->footer(kExitStatuses);
        command->run = function;
        command->positionals.resize(positionals.size());
        for (std::size_t i = 0; i < positionals.size(); ++i)
            command->app
                ->add_option(positionals[i], command->positionals[i], describe(positionals[i]))
                ->type_name("")
                ->required();
        commands_.push_back(std::move(command));
        return *commands_.back();
    }

    static std::string describe(const std::string& positional) {
        if (positional == "FILE")
            return "The workbook (.xls, .xlsx or .xlsm)";
        if (positional == "SETUP")
            return "A JSON file as setup prints it; - reads standard input";
        if (positional == "TEXT")
            return "What to look for, as the search field takes it";
        if (positional == "COLUMN")
            return "The list column to sort by, from 1";
        if (positional == "N")
            return "The record's number in the list, from 1";
        return "The PDF file to write";
    }

    // An option whose value goes to the command as `name VALUE` when given.
    CLI::Option* option(Command& command, const std::string& name, const std::string& value,
                        const std::string& description) {
        Command::Given& given = command.options.emplace_back();
        given.name = name;
        given.option = command.app->add_option(name, given.value, description)->type_name(value);
        return given.option;
    }

    void textOption(Command& command, const std::string& name, const std::string& value,
                    const std::string& description, bool required = false) {
        CLI::Option* added = option(command, name, value, description);
        if (required)
            added->required();
    }

    template <class Check>
    void intOption(Command& command, const std::string& name, const std::string& value,
                   const std::string& description, Check check) {
        option(command, name, value, description)->check(check);
    }

    void documentOptions(Command& command) {
        option(command, "--title-row", "N", "The title row of a workbook without a setup")
            ->check(CLI::Range(0, 10));
        option(command, "--date-format", "FMT", "How dates show (default: the preferences')")
            ->check(CLI::IsMember(kDateFormats));
    }

    void formatOption(Command& command) {
        option(command, "--format", "FORMAT",
               "text: as the list shows; tsv, csv, json: the cells' values")
            ->check(CLI::IsMember(std::vector<std::string>(std::begin(kOutputFormatNames),
                                                           std::end(kOutputFormatNames))));
    }

    // The file a save replaces is first kept among the workbook's versions.
    static void keepVersionOption(Command& command) {
        command.app->add_flag("--keep-version", command.keepVersion,
                              "First keep the file replaced among the workbook's versions");
    }

    void editOptions(Command& command) {
        documentOptions(command);
        keepVersionOption(command);
        textOption(command, "--today", "YYYY-MM-DD", "The day the form takes as today");
        textOption(command, "--memo", "TEXT", "The memo's text");
        command.app->add_option("VALUE", command.values,
                                "Fields 1, 2, ... as typed in the form; a date also as YYYY-MM-DD");
    }

    CLI::App app_;
    std::vector<std::unique_ptr<Command>> commands_;
};

} // namespace

int runCommandLine(int argc, char** argv) {
    Parser parser;
    return parser.run(argc, argv);
}

} // namespace rowbit::cli
