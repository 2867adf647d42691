// Reading binary workbooks: values, types, date flags and widths of fixtures written by
// python3-xlwt, and refusals of what cannot be read.
#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xls/biff.h"
#include "workbook/xls/xls_book.h"
#include "xls/xls_test_support.h"

#include <gtest/gtest.h>

// Under the sanitizer build: libgsf leaks a directory entry (about 100 bytes) on some damaged
// compound files. It is the library's and bounded per load; our own leaks still count.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgsf-1.so\nleak:libglib-2.0.so\n";
}

namespace rowbit::xls {
namespace {

using rowbit::testing::realWorkbook;
using rowbit::testing::ScratchDir;
using rowbit::testing::testData;

std::unique_ptr<Book> load(const std::filesystem::path& path) {
    auto book = loadBook(path.string());
    EXPECT_TRUE(book) << path << ": " << (book ? "" : book.error().describe());
    return book ? std::move(*book) : nullptr;
}

struct Expected {
    int row, col;
    CellType type;
    bool date;
    double num;
    const char* text;
};

// The same content as python3-xlwt wrote it and as LibreOffice saved it again; LibreOffice
// computed the formula that xlwt left without a result.
struct Fixture {
    const char* file;
    CellType formula;
    double formulaValue;
};
constexpr Fixture kTypeFixtures[] = {{"xlwt_types.xls", CellType::Text, 0},
                                     {"lo_types.xls", CellType::Number, 10000}};

TEST(XlsRead, CellsKeepTheirValuesTypesAndDateFlags) {
    for (const auto& fixture : kTypeFixtures) {
        SCOPED_TRACE(fixture.file);
        auto book = load(testData() / "xls" / fixture.file);
        ASSERT_TRUE(book);
        const Sheet* s = book->sheet(0);
        ASSERT_NE(s, nullptr);
        const Expected cases[] = {
            {0, 0, CellType::Text, false, 0, "이름"},
            {1, 1, CellType::Number, false, 5000, nullptr}, // "#,##0" is no date
            {1, 2, CellType::Number, true, 45352, nullptr}, // 2024-03-01
            {1, 3, CellType::Text, false, 0, "tab\there, line\nbreak, back\\slash"},
            {2, 1, CellType::Number, false, -1.25, nullptr},
            {2, 2, CellType::Number, true, 1.5, nullptr},  // [h]:mm:ss counts as a time
            {2, 3, CellType::Number, false, 2.5, nullptr}, // "days" is quoted text
            {3, 0, CellType::Boolean, false, 0, nullptr},
            {3, 2, fixture.formula, false, fixture.formulaValue, nullptr}, // =B2*2
            {3, 3, CellType::Number, false, 0.1, nullptr},
            {4, 0, CellType::Number, false, 123456789.125, nullptr},
            {4, 1, CellType::Number, false, 1e-300, nullptr},
            {4, 5, CellType::Blank, false, 0, nullptr},
            {4, 4, CellType::Empty, false, 0, nullptr},
            {60, 0, CellType::Empty, false, 0, nullptr},
        };
        for (const auto& e : cases) {
            SCOPED_TRACE(::testing::Message() << "cell " << e.row << "," << e.col);
            EXPECT_EQ(s->cellType(e.row, e.col), e.type);
            EXPECT_EQ(s->isDate(e.row, e.col), e.date);
            if (e.type == CellType::Number) {
                EXPECT_EQ(s->readNum(e.row, e.col), e.num);
            }
            if (e.text) {
                EXPECT_EQ(s->readStr(e.row, e.col), e.text);
            }
        }
        EXPECT_TRUE(s->readBool(3, 0));
        EXPECT_FALSE(s->readBool(3, 1));
        EXPECT_TRUE(s->isFormula(3, 2));
        EXPECT_EQ(s->readNum(0, 0), 0.0); // a text reads as no number
        EXPECT_EQ(s->readStr(1, 1), "");  // and a number as no text
        EXPECT_EQ(s->lastRow(), 50);
        EXPECT_EQ(s->lastCol(), 6);
    }
}

TEST(XlsRead, LongTextsAcrossSstContinueRecords) {
    auto book = load(testData() / "xls" / "xlwt_types.xls");
    ASSERT_TRUE(book);
    const Sheet* s = book->sheet(0);
    const std::string syllables = "가나다라마바사아자차카타파하";
    for (int i = 0; i < 40; ++i) {
        std::string want;
        while (want.size() < syllables.size() * 30)
            want += syllables;
        want = want.substr(0, static_cast<std::size_t>(300 + i) * 3) + std::to_string(i);
        ASSERT_EQ(s->readStr(10 + i, 0), want) << "row " << 10 + i;
        std::string latin;
        for (int k = 0; k < 20; ++k)
            latin += "latin text " + std::to_string(i) + " ";
        ASSERT_EQ(s->readStr(10 + i, 1), latin) << "row " << 10 + i;
    }
}

TEST(XlsRead, SheetsAndNames) {
    auto book = load(testData() / "xls" / "xlwt_types.xls");
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheetCount(), 3);
    EXPECT_EQ(book->sheet(0)->name(), "데이터");
    EXPECT_EQ(book->sheet(1)->name(), "Second");
    EXPECT_EQ(book->sheet(2)->name(), "Empty");
    EXPECT_EQ(book->sheet(3), nullptr);
    EXPECT_EQ(book->sheet(-1), nullptr);
    EXPECT_EQ(book->sheet(2)->lastRow(), 0);
    EXPECT_EQ(book->sheet(2)->lastCol(), 0);
    EXPECT_EQ(book->sheet(1)->readNum(1, 1), 42);
    EXPECT_FALSE(book->date1904());
}

TEST(XlsRead, ColumnWidthsAsTheUserSeesThem) {
    struct Case {
        const char* file;
        double defaultWidth; // xlwt leaves the default; LibreOffice stores 11.53 everywhere
    } cases[] = {{"xlwt_types.xls", 8.43}, {"lo_types.xls", 10.86}};
    for (const auto& c : cases) {
        auto book = load(testData() / "xls" / c.file);
        ASSERT_TRUE(book);
        const Sheet* s = book->sheet(0);
        EXPECT_DOUBLE_EQ(s->colWidth(0), 10.71) << c.file; // stored 11.43
        EXPECT_DOUBLE_EQ(s->colWidth(3), 19.29) << c.file; // stored 20
        EXPECT_DOUBLE_EQ(s->colWidth(1), c.defaultWidth) << c.file;
        EXPECT_DOUBLE_EQ(book->sheet(2)->colWidth(200), c.defaultWidth) << c.file;
    }
}

TEST(XlsRead, Workbook1904) {
    auto book = load(testData() / "xls" / "xlwt_1904.xls");
    ASSERT_TRUE(book);
    EXPECT_TRUE(book->date1904());
    EXPECT_TRUE(book->sheet(0)->isDate(0, 0));
    EXPECT_EQ(book->sheet(0)->readNum(1, 0), 366.5);
}

TEST(XlsRead, SharedAndArrayFormulasShowTheirCachedResults) {
    auto book = load(realWorkbook("xls/poi-SharedFormulaTest.xls"));
    ASSERT_TRUE(book);
    const Sheet* s = book->sheet(0);
    int formulas = 0;
    for (int r = 0; r < s->lastRow(); ++r) {
        for (int c = 0; c < s->lastCol(); ++c)
            formulas += s->isFormula(r, c) ? 1 : 0;
    }
    EXPECT_GT(formulas, 10);
}

struct Refusal {
    const char* file;
    ErrorCode code;
};

TEST(XlsRead, RefusesWhatItCannotRead) {
    const Refusal cases[] = {
        {"poi-password.xls", ErrorCode::Encrypted},
        {"poi-xor-encryption-abc.xls", ErrorCode::Encrypted},
        {"poi-testEXCEL_95.xls", ErrorCode::Unsupported},
        {"poi-testEXCEL_5.xls", ErrorCode::Unsupported},
        {"poi-clusterfuzz-testcase-minimized-POIHSSFFuzzer-4651309315719168.xls",
         ErrorCode::Damaged},
    };
    for (const auto& c : cases) {
        auto book = loadBook(realWorkbook("xls/" + std::string(c.file)).string());
        ASSERT_FALSE(book) << c.file;
        EXPECT_EQ(book.error().code, c.code) << c.file << ": " << book.error().describe();
    }
}

// A compound file holding `name` as its only stream, with the given bytes.
std::vector<uint8_t> compoundWith(const std::string& name, std::vector<uint8_t> bytes,
                                  const std::vector<std::string>& others = {}) {
    ScratchDir dir;
    CompoundFile file;
    file.workbookName = name;
    for (const auto& o : others) {
        CompoundEntry e;
        e.name = o;
        e.data = {1, 2, 3};
        file.root.children.push_back(e);
    }
    const std::string path = (dir / "f.cfb").string();
    EXPECT_TRUE(writeCompoundFile(file, bytes, path));
    return testing::readBytes(path);
}

TEST(XlsRead, EncryptedPackageIsRefusedAsEncrypted) {
    const auto bytes = compoundWith("EncryptionInfo", {4, 0, 4, 0}, {"EncryptedPackage"});
    auto book = loadXlsBookFromMemory(bytes.data(), bytes.size(), "package");
    ASSERT_FALSE(book);
    EXPECT_EQ(book.error().code, ErrorCode::Encrypted);
}

// The BOF record's version decides, whatever the workbook stream is called.
TEST(XlsRead, StreamNameDoesNotDecideTheVersion) {
    const std::vector<uint8_t> globals8 = {0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x05, 0x00,
                                           0xBB, 0x0D, 0xCC, 0x07, 0,    0,    0,    0,
                                           6,    0,    0,    0,    0x0A, 0,    0,    0};
    const std::vector<uint8_t> globals5 = {0x09, 0x08, 8, 0, 0, 5, 5, 0, 0, 0, 0, 0, 0x0A, 0, 0, 0};
    const struct {
        const char* name;
        const std::vector<uint8_t>& stream;
        bool loads;
    } cases[] = {{"Book", globals8, true},
                 {"BOOK", globals8, true},
                 {"WORKBOOK", globals8, true},
                 {"Book", globals5, false}};
    for (const auto& c : cases) {
        const auto bytes = compoundWith(c.name, c.stream);
        auto book = loadXlsBookFromMemory(bytes.data(), bytes.size(), c.name);
        EXPECT_EQ(bool(book), c.loads) << c.name;
    }
    auto capitals = load(realWorkbook("xls/poi-BOOK_in_capitals.xls"));
    ASSERT_TRUE(capitals);
    EXPECT_EQ(capitals->sheet(0)->lastRow(), 23);
}

// Workbook streams that are damaged in one way each: refused (or read) without a crash.
TEST(XlsRead, DamagedWorkbookStreamsAreRefused) {
    const std::vector<uint8_t> bof8 = {0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x05, 0x00, 0xBB, 0x0D,
                                       0xCC, 0x07, 0,    0,    0,    0,    6,    0,    0,    0};
    auto with = [&](std::vector<uint8_t> tail) {
        std::vector<uint8_t> s = bof8;
        s.insert(s.end(), tail.begin(), tail.end());
        return s;
    };
    const std::vector<uint8_t> eof = {0x0A, 0, 0, 0};
    struct Case {
        const char* what;
        std::vector<uint8_t> stream;
        ErrorCode code;
    } cases[] = {
        {"empty", {}, ErrorCode::Damaged},
        {"no EOF", bof8, ErrorCode::Damaged},
        {"record past the end", with({0x42, 0, 0x40, 0, 1}), ErrorCode::Damaged},
        {"BIFF5 BOF", {0x09, 0x08, 8, 0, 0, 5, 5, 0, 0, 0, 0, 0}, ErrorCode::Unsupported},
        {"sheet past the end", with({0x85, 0, 8, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x0A, 0, 0, 0}),
         ErrorCode::Damaged},
        {"password", with({0x2F, 0, 0, 0, 0x0A, 0, 0, 0}), ErrorCode::Encrypted},
    };
    for (const auto& c : cases) {
        const auto bytes = compoundWith("Workbook", c.stream);
        auto book = loadXlsBookFromMemory(bytes.data(), bytes.size(), c.what);
        ASSERT_FALSE(book) << c.what;
        EXPECT_EQ(book.error().code, c.code) << c.what << ": " << book.error().describe();
    }
    // A huge string count with nothing behind it reads as an empty table.
    const auto sst = compoundWith("Workbook", with({0xFC, 0, 8, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF,
                                                    0xFF, 0xFF, 0x7F, 0x0A, 0, 0, 0}));
    auto book = loadXlsBookFromMemory(sst.data(), sst.size(), "sst");
    ASSERT_TRUE(book) << book.error().describe();
    EXPECT_EQ((*book)->sheetCount(), 0);
    (void)eof;
}

} // namespace
TEST(XlsText, Utf16AndUtf8ConvertBothWays) {
    // ASCII runs just under, at and over the lengths taken at once, next to other widths.
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"abcdefg", u"abcdefg"},
        {"abcdefgh", u"abcdefgh"},
        {"abcdefghi한", u"abcdefghi한"},
        {"한글 abcdefgh 주소", u"한글 abcdefgh 주소"},
        {"é1234567890ü", u"é1234567890ü"},
        {"x\xF0\x9F\x98\x80yz", u"x\U0001F600yz"},
        {"\xED\xA0\x80"
         "abcdefgh",
         u"\xFFFD"
         u"abcdefgh"},                                 // an encoded surrogate
        {"abcdefgh\xE4\xB8", u"abcdefgh\xFFFD\xFFFD"}, // a cut character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
        std::string back;
        appendUtf8FromUtf16(back, reinterpret_cast<const uint16_t*>(c.utf16.data()),
                            c.utf16.size());
        if (c.utf8.find('\xED') == std::string::npos && c.utf8.back() != '\xB8') {
            EXPECT_EQ(back, c.utf8); // valid texts come back as they were
        }
    }
}

} // namespace rowbit::xls
