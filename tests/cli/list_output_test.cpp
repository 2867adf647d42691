#include "support/test_paths.h"
#include "workbook/book.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace rowbit {
namespace {

using testing::ScratchDir;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs a shell command line, its output and errors into files; the status as the shell has it.
int run(const std::string& command) {
    const int status = std::system(("bash -c '" + command + "'").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// rowbit-cli list prints, in every format, the bytes it printed when it filled the whole list
// before printing (kept in tests/data/cli).
TEST(ListOutput, IsWhatTheWholeListPrintedInEveryFormat) {
    ScratchDir dir;
    const char* books[] = {"ledger.xls", "ledger.xlsx", "nosetup.xlsx"};
    const char* formats[] = {"text", "tsv", "csv", "json"};
    for (const char* book : books) {
        for (const char* format : formats) {
            SCOPED_TRACE(std::string(book) + " " + format);
            const auto input = testing::requireInput(testing::testData() / "document" / book);
            const auto out = dir / "out";
            const int status =
                run(testing::cliPath().string() + " list --date-format yy-mm-dd --format " +
                    format + " " + input.string() + " > " + out.string());
            EXPECT_EQ(status, 0);
            EXPECT_EQ(readFile(out),
                      readFile(testing::requireInput(testing::testData() / "cli" /
                                                     (std::string(book) + "." + format))));
        }
    }
}

// A reader that goes away after the first line ends the list at once and quietly, whether the
// shell leaves SIGPIPE to end it or ignores SIGPIPE (the write then fails with EPIPE).
TEST(ListOutput, StopsQuietlyWhenItsReaderGoesAway) {
    ScratchDir dir;
    auto book = createBook(BookFormat::Xlsx);
    Sheet* data = book->addSheet("Data");
    for (int r = 0; r < 30000; ++r) {
        data->writeStr(r, 0, "row " + std::to_string(r));
        data->writeNum(r, 1, r);
    }
    const auto input = dir / "big.xlsx";
    ASSERT_TRUE(book->save(input.string()).ok());
    struct Case {
        const char* shellSetup;
        int status;
    };
    const Case cases[] = {{"", 128 + SIGPIPE}, {"trap \"\" PIPE; ", 128 + SIGPIPE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shellSetup);
        const auto err = dir / "err", first = dir / "first", status = dir / "status";
        run(std::string(c.shellSetup) + testing::cliPath().string() + " list --title-row 1 " +
            input.string() + " 2> " + err.string() + " | head -1 > " + first.string() +
            "; echo ${PIPESTATUS[0]} > " + status.string());
        const int got = std::stoi(readFile(status));
        EXPECT_TRUE(got == c.status || got == 0) << got;
        EXPECT_EQ(readFile(err), "");
        EXPECT_EQ(readFile(first), "row 0\t0\n");
    }
}

} // namespace
} // namespace rowbit
