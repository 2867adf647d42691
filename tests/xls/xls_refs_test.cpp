// References follow their cells when records are deleted or moved: formulas of every kind on
// every sheet, defined names, shared and array formulas; and a deleted record takes its link
// and comment with it.
#include "document/document.h"
#include "document/row_list.h"
#include "support/save_file.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "workbook/row_map.h"
#include "workbook/xls/formula_tokens.h"
#include "workbook/xls/xls_model.h"
#include "xls/xls_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rowbit::xls {
namespace {

using rowbit::testing::saveFile;
using rowbit::testing::ScratchDir;
using rowbit::testing::testData;

// The sheet names of a workbook's XTIs.
std::vector<std::string> xtiSheets(const XlsBook& book) {
    std::vector<std::string> names;
    for (const auto& g : book.globals_) {
        if (g.type != 0x0017)
            continue;
        for (std::size_t i = 0; i < rd16(g.body.data()); ++i) {
            const int tab = rd16(&g.body[2 + 6 * i + 2]);
            const int sheet = book.substreams_[static_cast<std::size_t>(tab)].sheet;
            names.push_back(book.sheets_[static_cast<std::size_t>(sheet)]->name_);
        }
    }
    return names;
}

// Formula text of the tokens this workbook's formulas use (references, SUM, + and *).
std::string formulaText(const XlsBook& book, std::span<const uint8_t> t) {
    std::vector<std::string> stack;
    auto cell = [](const uint8_t* p) {
        const uint16_t col = rd16(p + 2);
        return std::string(col & 0x4000 ? "" : "$") + static_cast<char>('A' + (col & 0xFF)) +
               (col & 0x8000 ? "" : "$") + std::to_string(rd16(p) + 1);
    };
    auto area = [&](const uint8_t* p) {
        const uint8_t first[4] = {p[0], p[1], p[4], p[5]}, last[4] = {p[2], p[3], p[6], p[7]};
        return cell(first) + ":" + cell(last);
    };
    const auto sheets = xtiSheets(book);
    for (std::size_t i = 0; i < t.size(); i += tokenSize(&t[i], t.size() - i)) {
        const uint8_t* p = &t[i];
        const int kind = p[0] < 0x20 ? p[0] : 0x20 | (p[0] & 0x1F);
        const std::string sheet = kind >= 0x3A ? sheets.at(rd16(p + 1)) + "!" : "";
        auto binary = [&](const char* op) {
            const std::string b = stack.back();
            stack.pop_back();
            stack.back() += op + b;
        };
        switch (kind) {
        case 0x03:
            binary("+");
            break;
        case 0x05:
            binary("*");
            break;
        case 0x19: // attribute: SUM of one argument
            if (p[1] & 0x10)
                stack.back() = "SUM(" + stack.back() + ")";
            break;
        case 0x1E:
            stack.push_back(std::to_string(rd16(p + 1)));
            break;
        case 0x23:
            stack.push_back("name" + std::to_string(rd16(p + 1)));
            break;
        case 0x24:
            stack.push_back(cell(p + 1));
            break;
        case 0x25:
            stack.push_back(area(p + 1));
            break;
        case 0x3A:
            stack.push_back(sheet + cell(p + 3));
            break;
        case 0x3B:
            stack.push_back(sheet + area(p + 3));
            break;
        case 0x2A:
        case 0x2B:
        case 0x3C:
        case 0x3D:
            stack.push_back(sheet + "#REF!");
            break;
        default:
            return "token " + std::to_string(kind);
        }
    }
    return stack.empty() ? "" : stack.back();
}

// The text of a cell's formula; that of its group's tokens for a shared or array formula.
std::string formulaAt(const XlsBook& book, const char* sheetName, int row, int col) {
    for (const auto& s : book.sheets_) {
        if (s->name_ != sheetName)
            continue;
        const Cell* c = s->find(row, col);
        if (!c || c->kind != Kind::Formula)
            return "no formula";
        const auto& body = s->formulas_[c->ref].body;
        std::span<const uint8_t> t(&body[22], rd16(&body[20]));
        if (t[0] == 0x01) { // a group member: the tokens are the anchor's
            const Cell* a = s->find(rd16(&t[1]), rd16(&t[3]));
            const auto& extra = s->formulas_[a->ref].extra;
            if (rd16(&extra[0]) == rec::Array)
                return "{" + formulaText(book, std::span(extra).subspan(18, rd16(&extra[16]))) +
                       "}";
            const auto plain =
                sharedToPlain(std::span(extra).subspan(14, rd16(&extra[12])), row, col);
            return "shared " + formulaText(book, *plain);
        }
        return formulaText(book, t);
    }
    return "no sheet";
}

std::string definedName(const XlsBook& book, int index) {
    for (const auto& g : book.globals_) {
        if (g.type == 0x0018 && index-- == 0) {
            const std::size_t at = 15 + g.body[3];
            return formulaText(book, std::span(g.body).subspan(at, rd16(&g.body[4])));
        }
    }
    return "no name";
}

struct RefCase {
    const char* sheet;
    int row, col;
    const char* before;
    const char* after;
};

// Loads lo_refs.xls, checks the formulas before, applies the row change, checks them after
// (in memory and once saved and read back), and returns the notices.
std::vector<SaveNotice> followRefs(std::span<const RowMove> moves, std::span<const int> deleted,
                                   std::span<const RefCase> cases,
                                   std::span<const std::pair<int, const char*>> names) {
    ScratchDir dir;
    auto loaded = loadBook((testData() / "xls" / "lo_refs.xls").string());
    EXPECT_TRUE(loaded);
    if (!loaded)
        return {};
    auto& book = dynamic_cast<XlsBook&>(**loaded);
    std::vector<double> cached;
    for (const auto& c : cases) {
        EXPECT_EQ(formulaAt(book, c.sheet, c.row, c.col), c.before) << c.sheet << c.row;
        cached.push_back(book.sheets_[c.sheet[0] == 'D' ? 0 : 1]->readNum(c.row, c.col));
    }
    EXPECT_TRUE(book.sheet(0)->moveRows(moves, deleted));
    const std::string path = (dir / "after.xls").string();
    EXPECT_TRUE(book.save(path));
    auto again = loadBook(path);
    EXPECT_TRUE(again);
    const auto& saved = dynamic_cast<const XlsBook&>(**again);
    for (const XlsBook* b : {static_cast<const XlsBook*>(&book), &saved}) {
        for (const auto& [index, text] : names)
            EXPECT_EQ(definedName(*b, index), text);
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(formulaAt(saved, c.sheet, c.row, c.col), c.after) << c.sheet << c.row;
        // Formulas that stayed in place keep their cached values.
        if (c.row >= 8 || c.sheet[0] == 'O') {
            EXPECT_EQ(saved.sheet(c.sheet[0] == 'D' ? 0 : 1)->readNum(c.row, c.col), cached[i]);
        }
    }
    std::string out;
    EXPECT_EQ(
        testing::run("/usr/bin/python3 -c 'import sys, xlrd; xlrd.open_workbook(sys.argv[1])' '" +
                         path + "' 2>&1",
                     out),
        0)
        << out;
    return book.takeNotices();
}

TEST(XlsReferences, DeletingARowMakesEveryKindOfReferenceFollow) {
    // Record 4 (row 5, B5 = 400) is deleted; records 5 and 6 move up one row.
    const RowMove moves[] = {{4, 5}, {5, 6}};
    const int deleted[] = {4};
    const RefCase cases[] = {
        {"Data", 9, 1, "SUM(B2:B3)", "SUM(B2:B3)"},            // above the deleted row
        {"Data", 10, 1, "SUM(B5:B6)", "SUM(B5:B5)"},           // shrinks
        {"Data", 11, 1, "B6", "B5"},                           // follows its cell
        {"Data", 12, 1, "$B$5", "#REF!"},                      // its cell went
        {"Data", 13, 1, "SUM($B$2:$B$7)", "SUM($B$2:$B$6)"},   // absolute alike
        {"Data", 14, 1, "Other!B2", "Other!B2"},               // another sheet stays
        {"Data", 15, 1, "SUM(name2)", "SUM(name2)"},           // through a defined name
        {"Data", 17, 1, "{SUM(B2:B7*2)}", "{SUM(B2:B6*2)}"},   // array formula
        {"Data", 3, 2, "shared B4*2", "B4*2"},                 // shared: the group dissolves
        {"Data", 4, 2, "shared B5*2", "B5*2"},                 // C6 moved up with B6
        {"Data", 5, 2, "shared B6*2", "B6*2"},                 // C7 moved up with B7
        {"Other", 0, 0, "Data!B6", "Data!B5"},                 // 3-D single
        {"Other", 1, 0, "SUM(Data!B2:B7)", "SUM(Data!B2:B6)"}, // 3-D range
        {"Other", 2, 0, "Data!B5", "Data!#REF!"},              // 3-D to the deleted cell
    };
    const std::pair<int, const char*> namesAfter[] = {{0, "Data!#REF!"}, {1, "Data!$B$2:$B$6"}};
    const auto notices = followRefs(moves, deleted, cases, namesAfter);
    const std::vector<SaveNotice> want = {{SaveNotice::Kind::RefDeleted, "Data", "B13"},
                                          {SaveNotice::Kind::RefDeleted, "Other", "A3"},
                                          {SaveNotice::Kind::RefDeleted, "Data", "fifth"}};
    EXPECT_EQ(notices, want);
}

TEST(XlsReferences, MovingRowsMakesReferencesFollowOrKeepsSplitRanges) {
    struct MoveCase {
        std::vector<RowMove> moves;
        std::vector<RefCase> cases;
        std::vector<SaveNotice> notices;
    };
    const MoveCase table[] = {
        {// the six records reversed
         {{1, 6}, {2, 5}, {3, 4}, {4, 3}, {5, 2}, {6, 1}},
         {{"Data", 9, 1, "SUM(B2:B3)", "SUM(B6:B7)"},
          {"Data", 10, 1, "SUM(B5:B6)", "SUM(B3:B4)"},
          {"Data", 11, 1, "B6", "B3"},
          {"Data", 12, 1, "$B$5", "$B$4"},
          {"Data", 13, 1, "SUM($B$2:$B$7)", "SUM($B$2:$B$7)"}, // only permuted within
          {"Data", 14, 1, "Other!B2", "Other!B2"},
          {"Data", 17, 1, "{SUM(B2:B7*2)}", "{SUM(B2:B7*2)}"},
          {"Data", 1, 2, "shared B2*2", "B2*2"}, // C7's formula came along with B7
          {"Data", 6, 2, "shared B7*2", "B7*2"},
          {"Other", 0, 0, "Data!B6", "Data!B3"},
          {"Other", 1, 0, "SUM(Data!B2:B7)", "SUM(Data!B2:B7)"},
          {"Other", 2, 0, "Data!B5", "Data!B4"}},
         {}},
        {// the first and last records swap: two ranges would split
         {{1, 6}, {6, 1}},
         {{"Data", 9, 1, "SUM(B2:B3)", "SUM(B2:B3)"},
          {"Data", 10, 1, "SUM(B5:B6)", "SUM(B5:B6)"},
          {"Data", 13, 1, "SUM($B$2:$B$7)", "SUM($B$2:$B$7)"},
          {"Data", 3, 2, "shared B4*2", "B4*2"},
          {"Data", 6, 2, "shared B7*2", "B7*2"}}, // C2 went to C7 with B2
         {{SaveNotice::Kind::FormulaKept, "Data", "B10"}}},
    };
    using Names = std::span<const std::pair<int, const char*>>;
    const std::pair<int, const char*> names[] = {{0, "Data!$B$4"}, {1, "Data!$B$2:$B$7"}};
    for (const auto& m : table) {
        const auto notices =
            followRefs(m.moves, {}, m.cases, m.moves.size() == 6 ? Names(names) : Names());
        EXPECT_EQ(notices, m.notices);
    }
}

// ------------------------------------------------------------------ tokens

TEST(XlsFormulaTokens, MapRowRefs) {
    // Rows 4..6 of the sheet: row 4 deleted, 5 and 6 move up one.
    const RowMove up[] = {{4, 5}, {5, 6}};
    const int gone[] = {4};
    const RowMap deleteMap(up, gone);
    // Rows 1 and 3 swap.
    const RowMove swap[] = {{1, 3}, {3, 1}};
    const RowMap swapMap(swap);
    const uint8_t here[] = {1, 0, 2}; // XTI 0 names the sheet, 1 another, 2 a run of sheets
    struct Case {
        const char* what;
        const RowMap& map;
        bool plain;
        std::vector<uint8_t> in, out;
        RefsAfter outcome;
    };
    using R = RefsAfter;
    const Case cases[] = {
        {"above stays", deleteMap, true, {0x24, 1, 0, 1, 0xC0}, {0x24, 1, 0, 1, 0xC0}, R::Same},
        {"below follows", deleteMap, true, {0x44, 6, 0, 1, 0}, {0x44, 5, 0, 1, 0}, R::Changed},
        {"deleted is #REF!", deleteMap, true, {0x24, 4, 0, 1, 0}, {0x2A, 4, 0, 1, 0}, R::Deleted},
        {"range shrinks",
         deleteMap,
         true,
         {0x25, 3, 0, 5, 0, 1, 0xC0, 1, 0xC0},
         {0x25, 3, 0, 4, 0, 1, 0xC0, 1, 0xC0},
         R::Changed},
        {"range gone",
         deleteMap,
         true,
         {0x25, 4, 0, 4, 0, 1, 0, 1, 0},
         {0x2B, 4, 0, 4, 0, 1, 0, 1, 0},
         R::Deleted},
        {"whole column stays",
         deleteMap,
         true,
         {0x25, 0, 0, 0xFF, 0xFF, 0, 0xC0, 0, 0xC0},
         {0x25, 0, 0, 0xFF, 0xFF, 0, 0xC0, 0, 0xC0},
         R::Same},
        {"formula on another sheet",
         deleteMap,
         false,
         {0x24, 6, 0, 1, 0},
         {0x24, 6, 0, 1, 0},
         R::Same},
        {"3-D to the sheet",
         deleteMap,
         false,
         {0x3A, 0, 0, 6, 0, 2, 0x80},
         {0x3A, 0, 0, 5, 0, 2, 0x80},
         R::Changed},
        {"3-D to another sheet",
         deleteMap,
         true,
         {0x3A, 1, 0, 6, 0, 2, 0x80},
         {0x3A, 1, 0, 6, 0, 2, 0x80},
         R::Same},
        {"3-D over several sheets",
         deleteMap,
         false,
         {0x3A, 2, 0, 6, 0, 2, 0x80},
         {0x3A, 2, 0, 6, 0, 2, 0x80},
         R::Kept},
        {"operators, numbers and strings pass",
         swapMap,
         true,
         {0x17, 2, 0, 'a', 0x24, 0x1F, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x24, 1, 0, 0, 0xC0, 0x03},
         {0x17, 2, 0, 'a', 0x24, 0x1F, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x24, 3, 0, 0, 0xC0, 0x03},
         R::Changed},
        {"permuted range stays",
         swapMap,
         true,
         {0x25, 1, 0, 3, 0, 0, 0, 0, 0},
         {0x25, 1, 0, 3, 0, 0, 0, 0, 0},
         R::Same},
        {"split range kept whole",
         swapMap,
         true,
         {0x24, 1, 0, 0, 0, 0x25, 0, 0, 1, 0, 0, 0, 0, 0},
         {0x24, 1, 0, 0, 0, 0x25, 0, 0, 1, 0, 0, 0, 0, 0},
         R::Kept},
        {"unknown token",
         swapMap,
         true,
         {0x24, 1, 0, 0, 0, 0xFF},
         {0x24, 1, 0, 0, 0, 0xFF},
         R::NotUnderstood},
        {"cut short", swapMap, true, {0x24, 1}, {0x24, 1}, R::NotUnderstood},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> t = c.in;
        EXPECT_EQ(mapRowRefs(t, nullptr, c.map, {c.plain, here}), c.outcome) << c.what;
        EXPECT_EQ(t, c.out) << c.what;
    }
    // An area cache inside a changed formula is dropped: the token computes afresh.
    std::vector<uint8_t> t = {0x26, 0, 0, 0, 0, 9, 0, 0x25, 1, 0, 1, 0, 0, 0, 0, 0, 0x10};
    std::vector<uint8_t> extra = {1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0xAA};
    EXPECT_EQ(mapRowRefs(t, &extra, swapMap, {true, here}), R::Changed);
    EXPECT_EQ(t[0], 0x28);
    EXPECT_EQ(rd16(&t[8]), 3);
    EXPECT_EQ(extra, std::vector<uint8_t>{0xAA});
}

// ------------------------------------------------------------------ the document

// Deleting the last record of a workbook takes its link or comment along (a record added
// later would otherwise inherit them).
TEST(XlsReferences, DeletedLastRecordTakesItsLinkAndComment) {
    struct FileCase {
        const char* file;
        int lastRow;
        const char* what;
    };
    const FileCase files[] = {
        {"poi-WithTwoHyperLinks.xls", 4, "[(h.frowx, h.fcolx) for h in s.hyperlink_list]"},
        {"poi-SimpleWithComments.xls", 2, "sorted(s.cell_note_map)"},
    };
    for (const auto& f : files) {
        ScratchDir dir;
        const auto copy = dir / f.file;
        std::filesystem::copy_file(rowbit::testing::realWorkbooks() / "xls" / f.file, copy);
        Document doc;
        AppState state;
        BrowseState browse;
        rowbit::testing::ScriptedPrompts prompts;
        state.workingFolder = dir.path().string();
        state.datePicture = "@D9-";
        doc.path = copy.string();
        doc.open(state, prompts,
                 [](const std::vector<PreviewRow>&, int pre) { return std::optional<int>(pre); });
        fillRecordList(doc, state, prompts);
        const std::size_t count = doc.records.count();
        ASSERT_GT(count, 1u) << f.file;
        ASSERT_EQ(doc.records.at(count).row, f.lastRow) << f.file;
        ASSERT_TRUE(doc.records.get(count));
        doc.records.remove();
        doc.modified = true;
        ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved) << f.file;
        std::string out;
        ASSERT_EQ(testing::run("/usr/bin/python3 -c 'import sys, xlrd\n"
                               "s = xlrd.open_workbook(sys.argv[1], formatting_info=True)"
                               ".sheet_by_index(0)\nprint(" +
                                   std::string(f.what) + ")' '" + copy.string() + "' 2>&1",
                               out),
                  0)
            << out;
        EXPECT_EQ(out.find("(" + std::to_string(f.lastRow) + ","), std::string::npos)
            << f.file << ": " << out;
        EXPECT_NE(out.find("("), std::string::npos) << f.file << ": the others stay: " << out;
    }
}

} // namespace
} // namespace rowbit::xls
