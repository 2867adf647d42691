#include "app/atomic_file.h"
#include "support/test_paths.h"
#include "workbook/book.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace rowbit {
namespace {

// Files that are no workbook Rowbit reads are refused by their content, with a code the user
// message can explain; none of them reaches a codec that would misread it.
TEST(BookDetection, RefusesWhatItCannotReadByContent) {
    testing::ScratchDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        ErrorCode code;
    };
    const Case cases[] = {
        {"empty.xls", "", ErrorCode::Damaged},
        {"biff2.xls", std::string("\x09\x00\x04\x00\x02\x00\x10\x00", 8), ErrorCode::Unsupported},
        {"biff4.xls", std::string("\x09\x04\x06\x00\x00\x00\x10\x00", 8), ErrorCode::Unsupported},
        {"notes.xls", "Name,Price\nApple,3\n", ErrorCode::Unsupported},
        {"book.xlsx", "<html>not a package</html>", ErrorCode::Unsupported},
    };
    for (const auto& c : cases) {
        const auto path = dir / c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        auto book = loadBook(path.string());
        ASSERT_FALSE(book.ok()) << c.name;
        EXPECT_EQ(book.error().code, c.code) << c.name << ": " << book.error().describe();
        EXPECT_EQ(book.error().where, path.string()) << c.name;
    }
    auto missing = loadBook((dir / "missing.xls").string());
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::NotFound);
}

// The ending does not decide the codec: an XML workbook named .xls opens as what it is.
TEST(BookDetection, ChoosesTheCodecByContentNotByName) {
    testing::ScratchDir dir;
    auto created = createBook(BookFormat::Xlsx);
    ASSERT_TRUE(created);
    created->addSheet("Sheet1")->writeStr(0, 0, "품명");
    const auto misnamed = dir / "really-xml.xls";
    ASSERT_TRUE(created->save(misnamed.string()).ok());
    auto loaded = loadBook(misnamed.string());
    ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
    EXPECT_EQ((*loaded)->format(), BookFormat::Xlsx);
    EXPECT_EQ((*loaded)->sheet(0)->readStr(0, 0), "품명");
}

// No workbook holds two sheets whose names differ only in case.
TEST(BookSheets, RefusesASecondSheetOfTheSameName) {
    for (const BookFormat format : {BookFormat::Xls, BookFormat::Xlsx}) {
        auto book = createBook(format);
        ASSERT_TRUE(book->addSheet("Data"));
        ASSERT_TRUE(book->addSheet("SetupQ"));
        EXPECT_EQ(book->addSheet("setupq"), nullptr);
        EXPECT_EQ(book->addSheet("DATA"), nullptr);
        EXPECT_TRUE(book->addSheet("SetupQ2"));
        EXPECT_EQ(book->sheetCount(), 3);
    }
}

// A failed save says why in the system's words, whichever codec wrote it; the target stays and
// nothing is left beside it.
TEST(BookSave, FailuresCarryTheSystemsReason) {
    for (const BookFormat format : {BookFormat::Xls, BookFormat::Xlsx}) {
        testing::ScratchDir dir;
        const auto target = dir / (format == BookFormat::Xls ? "b.xls" : "b.xlsx");
        auto book = createBook(format);
        book->addSheet("Data")->writeStr(0, 0, "품명");
        ASSERT_TRUE(book->save(target.string()).ok());
        for (const int err : {ENOSPC, EACCES}) {
            failWritesForTesting(err);
            auto saved = book->save(target.string());
            failWritesForTesting(0);
            ASSERT_FALSE(saved.ok());
            EXPECT_NE(saved.error().describe().find(std::strerror(err)), std::string::npos)
                << saved.error().describe();
            EXPECT_TRUE(loadBook(target.string()).ok());
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                    std::filesystem::directory_iterator()),
                      1);
        }
        if (::geteuid() != 0) { // a real read-only folder (root may write anyway)
            ::chmod(dir.path().c_str(), 0500);
            auto saved = book->save(target.string());
            ::chmod(dir.path().c_str(), 0700);
            ASSERT_FALSE(saved.ok());
            EXPECT_NE(saved.error().describe().find(std::strerror(EACCES)), std::string::npos);
        }
    }
}

// A workbook with two names, saved twice by one process: the second save still copies the
// parts it did not change from what the file held when it was read, not from the first save.
TEST(BookSave, AWorkbookWithTwoNamesIsSavedIntoItselfAgainAndAgain) {
    for (const BookFormat format : {BookFormat::Xls, BookFormat::Xlsx}) {
        testing::ScratchDir dir;
        const auto first = dir / (format == BookFormat::Xls ? "b.xls" : "b.xlsx");
        const auto second = dir / (format == BookFormat::Xls ? "other.xls" : "other.xlsx");
        auto created = createBook(format);
        Sheet* data = created->addSheet("Data");
        for (int r = 0; r < 200; ++r)
            data->writeStr(r, 0, "행 " + std::to_string(r));
        created->addSheet("Notes")->writeStr(0, 0, "그대로");
        ASSERT_TRUE(created->save(first.string()).ok());
        std::filesystem::create_hard_link(first, second);

        auto book = loadBook(first.string());
        ASSERT_TRUE(book.ok());
        for (const char* edit : {"첫째", "둘째"}) {
            (*book)->sheet(0)->writeStr(0, 1, edit);
            const auto read = identityOf(first.string());
            ASSERT_TRUE((*book)->save(first.string(), SaveExpectation::same(*read)).ok());
        }
        for (const auto& name : {first, second}) {
            auto back = loadBook(name.string());
            ASSERT_TRUE(back.ok()) << name << ": " << back.error().describe();
            EXPECT_EQ((*back)->sheet(0)->readStr(0, 1), "둘째") << name;
            EXPECT_EQ((*back)->sheet(0)->readStr(199, 0), "행 199") << name;
            EXPECT_EQ((*back)->sheet(1)->readStr(0, 0), "그대로") << name;
        }
    }
}

} // namespace
} // namespace rowbit
