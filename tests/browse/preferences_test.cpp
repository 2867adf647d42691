#include "app/cp949_text.h"
#include "app/preferences.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace rowbit {
namespace {

using testing::ScratchDir;

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Preferences, DateFormatTable) {
    struct Case {
        const char* format;
        const char* picture;
    };
    const Case cases[] = {
        {"mm/dd/yy", "@D1"},   {"mm-dd-yy", "@D1-"},   {"mm.dd.yy", "@D1."}, {"dd/mm/yy", "@D5"},
        {"dd-mm-yy", "@D5-"},  {"dd.mm.yy", "@D5."},   {"yy/mm/dd", "@D9"},  {"yy-mm-dd", "@D9-"},
        {"yy.mm.dd", "@D9."},  {"yy.mm.dd  ", "@D9."}, {"DD.MM.YY", "@D9"},  {"", "@D9"},
        {"yyyy-mm-dd", "@D9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(datePictureFor(c.format), c.picture) << c.format;
}

TEST(Preferences, DefaultsWithoutAFile) {
    ScratchDir dir;
    Preferences prefs(dir.path());
    AppState state;
    prefs.readDisplay(state);
    EXPECT_EQ(state.fontFace, "굴림");
    EXPECT_EQ(state.fontSize, 9);
    EXPECT_EQ(state.datePicture, "@D9-");
    for (const std::string& file : prefs.readRecentFiles())
        EXPECT_TRUE(file.empty());
}

TEST(Preferences, ReadsUtf8AndLegacyCp949) {
    const std::string body = "[Fonts]\r\nFontName=돋움체\r\nFontSize=266\r\nCharSet=129\r\n"
                             "[date]\r\ndateformat=dd.mm.yy\r\n"
                             "[RecentFiles]\r\nFile1=C:\\자료\\장부.xls\r\nFile2=\r\n";
    for (bool legacy : {false, true}) {
        ScratchDir dir;
        writeFile(dir / "Rowbit.INI", legacy ? *cp949::fromUtf8(body) : body);
        Preferences prefs(dir.path());
        AppState state;
        prefs.readDisplay(state);
        EXPECT_EQ(state.fontFace, "돋움체") << legacy;
        EXPECT_EQ(state.fontSize, 10) << legacy; // the low byte of 266
        EXPECT_EQ(state.datePicture, "@D5.") << legacy;
        EXPECT_EQ(prefs.readRecentFiles()[0], "C:\\자료\\장부.xls") << legacy;
    }
}

TEST(Preferences, WrittenAtCloseKeepingEverySectionItDidNotChange) {
    // Files in UTF-8, in CP949, and in neither (stray bytes in a section the program never
    // writes): every section and key survives, a section left alone keeps its bytes, and the
    // file reads back as it was written.
    const std::string window = "[Window]\r\nX=10\r\n; 메모\r\n";
    const std::string fonts = "[Fonts]\r\nFontName=바탕\r\n";
    const std::string stray = "[Date]\r\nDateFormat=dd.mm.yy\r\nNote=\xff\xfe\x80x\r\n";
    const std::string recentOld = "[RecentFiles]\r\nFile1=/old.xls\r\n";
    struct Case {
        std::string file;
        std::string kept; // the bytes the written file must begin with
        bool utf8;        // the written file is UTF-8 throughout
    };
    const Case cases[] = {
        {window + fonts + recentOld, window + fonts, true},
        {*cp949::fromUtf8(window + fonts) + recentOld, *cp949::fromUtf8(window + fonts), false},
        {window + stray + *cp949::fromUtf8(fonts) + recentOld,
         window + stray + *cp949::fromUtf8(fonts), false},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        writeFile(dir / "Rowbit.INI", c.file);
        Preferences prefs(dir.path());
        std::array<std::string, 10> recent{"/data/가.xls", "/data/b.xlsx"};
        ASSERT_TRUE(prefs.writeAtClose("/data", recent).ok());

        const std::string written = readFile(dir / "Rowbit.INI");
        EXPECT_EQ(written.rfind(c.kept, 0), 0u) << c.file;
        EXPECT_EQ(cp949::isValidUtf8(written), c.utf8) << c.file;
        EXPECT_EQ(written.find("/old.xls"), std::string::npos);
        const IniFile ini = prefs.read();
        EXPECT_EQ(ini.get("Window", "X"), "10");
        EXPECT_EQ(ini.get("Fonts", "FontName"), "바탕");
        EXPECT_EQ(ini.get("Rowbit", "PATH"), "/data");
        EXPECT_EQ(prefs.readRecentFiles(), recent);
        EXPECT_EQ(prefs.readOpenFolder(), "/data");
        // Written again unchanged: not a byte moves.
        ASSERT_TRUE(prefs.writeAtClose("/data", recent).ok());
        EXPECT_EQ(readFile(dir / "Rowbit.INI"), written);
    }
}

TEST(Preferences, UnreadableFileGivesDefaults) {
    ScratchDir dir;
    writeFile(dir / "Rowbit.INI", std::string("\xff\xff\xff[Fonts]\nFontName=x\n"));
    AppState state;
    Preferences(dir.path()).readDisplay(state);
    EXPECT_EQ(state.fontFace, "굴림");
}

TEST(RecentFiles, MovesToTheTopWithoutDuplicates) {
    // Entries are kept as canonical absolute paths.
    const auto at = [](const std::string& name) { return canonicalPath(name); };
    std::array<std::string, 10> recent{};
    recentFiles(recent, "A");
    recentFiles(recent, "B");
    recentFiles(recent, "A");
    EXPECT_EQ(recent[0], at("A"));
    EXPECT_EQ(recent[1], at("B"));
    EXPECT_EQ(recent[2], "");

    recentFiles(recent, "a"); // case counts
    EXPECT_EQ(recent[0], at("a"));
    EXPECT_EQ(recent[1], at("A"));

    for (int i = 0; i < 10; ++i)
        recentFiles(recent, "f" + std::to_string(i));
    EXPECT_EQ(recent[0], at("f9"));
    EXPECT_EQ(recent[9], at("f0")); // the eleventh pushed the oldest out

    recentFiles(recent, "f5 ");
    EXPECT_EQ(recent[0], at("f5"));
    EXPECT_EQ(recent[1], at("f9"));
    EXPECT_EQ(recent[9], at("f0"));
    EXPECT_EQ(std::count(recent.begin(), recent.end(), at("f5")), 1);

    // One file named three ways is one entry.
    recentFiles(recent, "./sub/../f9");
    recentFiles(recent, at("f9"));
    EXPECT_EQ(std::count(recent.begin(), recent.end(), at("f9")), 1);
}

} // namespace
} // namespace rowbit
