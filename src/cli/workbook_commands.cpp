// sheets and cells: what the workbook engine reads, for scripts and peer comparisons.
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "workbook/book.h"

#include <charconv>
#include <cstdio>
#include <iostream>

namespace rowbit::cli {

namespace {

Result<std::unique_ptr<Book>> open(const Args& args) {
    if (args.empty())
        return makeError(ErrorCode::Invalid, "no file given");
    return loadBook(args[0]);
}

int loadFailed(const Error& error) {
    std::fprintf(stderr, "rowbit-cli: %s\n", error.describe().c_str());
    return loadFailureStatus(error.code);
}

} // namespace

int sheets(const Args& args) {
    auto book = open(args);
    if (!book)
        return loadFailed(book.error());
    for (int i = 0; i < (*book)->sheetCount(); ++i)
        std::cout << (*book)->sheet(i)->name() << '\n';
    return 0;
}

int cells(const Args& args) {
    auto book = open(args);
    if (!book)
        return loadFailed(book.error());
    int index = 0;
    if (const std::string* n = option(args, "--sheet")) {
        auto [p, ec] = std::from_chars(n->data(), n->data() + n->size(), index);
        if (ec != std::errc() || p != n->data() + n->size())
            return loadFailed(makeError(ErrorCode::Invalid, "--sheet needs a number"));
    }
    const Sheet* sheet = (*book)->sheet(index);
    if (!sheet)
        return loadFailed(makeError(ErrorCode::Invalid, "no sheet " + std::to_string(index)));

    std::string out;
    // Only stored cells: a sheet with one cell at each far corner is two lines, not a walk
    // over seventeen billion positions.
    sheet->visitCells([&](int r, int c) {
        std::string type;
        std::string value;
        switch (sheet->cellType(r, c)) {
        case CellType::Number:
            type = sheet->isDate(r, c) ? "date" : "number";
            value = shortestNumber(sheet->readNum(r, c));
            break;
        case CellType::Text:
            type = "text";
            value = escapeField(sheet->readStr(r, c));
            break;
        case CellType::Boolean:
            type = "bool";
            value = sheet->readBool(r, c) ? "1" : "0";
            break;
        case CellType::Error:
            type = "error";
            value = sheet->readError(r, c);
            break;
        default:
            return;
        }
        out += std::to_string(r);
        out += '\t';
        out += std::to_string(c);
        out += '\t';
        out += type;
        out += '\t';
        out += value;
        out += '\n';
        if (out.size() > (1u << 20)) {
            std::cout << out;
            out.clear();
        }
    });
    std::cout << out;
    return 0;
}

} // namespace rowbit::cli
