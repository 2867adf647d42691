#include "support/test_paths.h"
#include "workbook/book.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

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

} // namespace
} // namespace rowbit
