#include "browse/recent_menu.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

TEST(RecentFilesMenu, OneItemPerFileUpToTheFirstBlank) {
    struct Case {
        std::array<std::string, kRecentFiles> recent;
        std::string menu;
    };
    const Case cases[] = {
        {{}, ""},
        {{"/a/장부.xls", "/b/c.xlsx  "}, "/a/장부.xls|/b/c.xlsx|"}, // padding trimmed
        {{"/a.xls", "  ", "/b.xls"}, "/a.xls|"},                    // a blank ends the list
        {{"/x|y.xls", "/z.xls"}, "/x¦y.xls|/z.xls|"},               // a bar stays one item
    };
    for (const Case& c : cases)
        EXPECT_EQ(recentFilesMenu(c.recent), c.menu) << c.menu;
}

} // namespace
} // namespace rowbit
