// rowbit-cli: the headless tool.
#include "cli/commands.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

struct Command {
    const char* name;
    int (*run)(const rowbit::cli::Args&);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"sheets", rowbit::cli::sheets, "sheets FILE"},
    {"cells", rowbit::cli::cells, "cells FILE [--sheet N]"},
    {"list", rowbit::cli::list, "list FILE [--date-format FMT] [--title-row N]"},
    {"setup", rowbit::cli::setup, "setup FILE [--title-row N]"},
    {"configure", rowbit::cli::configure, "configure FILE SETUP.json|-"},
    {"totals", rowbit::cli::totals, "totals FILE"},
    {"search", rowbit::cli::search, "search FILE TEXT"},
    {"sort", rowbit::cli::sort, "sort FILE COLUMN --out OUT"},
    {"resave", rowbit::cli::resave, "resave FILE --out OUT [--title-row N]"},
    {"report", rowbit::cli::report, "report FILE OUT.pdf [--landscape]"},
    {"add", rowbit::cli::add,
     "add FILE [--today YYYY-MM-DD] [--date-format FMT] [--memo TEXT] VALUE..."},
    {"change", rowbit::cli::change,
     "change FILE N [--today YYYY-MM-DD] [--date-format FMT] [--memo TEXT] VALUE..."},
    {"delete", rowbit::cli::remove, "delete FILE N"},
};

int usage() {
    std::fputs("usage: rowbit-cli COMMAND ...\n", stderr);
    for (const auto& c : kCommands)
        std::fprintf(stderr, "  rowbit-cli %s\n", c.usage);
    std::fputs("exit status:\n"
               "  0   done\n"
               "  1   refused: an entry the form would not take, nothing found, no data\n"
               "  2   the workbook cannot be read\n"
               "  3   the workbook or the report cannot be written\n"
               "  64  wrong arguments\n"
               "  75  the workbook changed on the disk since it was read, or another save\n"
               "      held it: nothing was written; run the command again\n",
               stderr);
    return 64;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    const std::string_view name = argv[1];
    for (const auto& c : kCommands) {
        if (name == c.name)
            return c.run(rowbit::cli::Args(argv + 2, argv + argc));
    }
    return usage();
}
