// The version check's decision: which answers from the endpoint bring up the update notice.
#include "about/about_text.h"
#include "about/version_check.h"

#include <gtest/gtest.h>

#include <regex>

using namespace rowbit;
using namespace std::string_literals;

namespace {

struct Case {
    std::string answer;
    std::string own;
    std::optional<std::string> latest; // the notice's latest version; nullopt: no notice
};

} // namespace

TEST(VersionCheck, NoticeOnlyForANewerVersion) {
    const Case cases[] = {
        {"Ver : 1.2.0.0", "1.2.0.0", std::nullopt},            // the same version
        {"Ver : 1.2.0.0\r\n", "1.2.0.0", std::nullopt},        // a line end after it
        {"Ver :  1.2.0.0 ", "1.2.0.0", std::nullopt},          // blanks around it
        {"Ver : 1.3.0.0", "1.2.0.0", "1.3.0.0"},               // newer
        {"Ver : 2", "1.2.0.0", "2"},                           // newer, in one number
        {"Ver : 1.1.9.9", "1.2.0.0", std::nullopt},            // older
        {"Ver : 1.2", "1.2.0.0", std::nullopt},                // shorter text: smaller
        {"Ver : 1.10.0.0", "1.9.0.0", std::nullopt},           // compared as texts
        {"Ver : v1.3.0.0 b", "1.2.0.0", "v1.3.0.0 b"},         // odd characters ignored
        {"Ver : v1.2.0.0", "1.2.0.0", std::nullopt},           // equal once reduced
        {"Ver : -1.3", "1.2.0.0", std::nullopt},               // a leading minus is kept
        {"Ver : 1.3.0.0.0000000", "1.2.0.0", std::nullopt},    // 21 bytes: ignored
        {"Ver : 1.3.0.0.000000", "1.2.0.0", "1.3.0.0.000000"}, // 20 bytes: read
        {"V", "1.2.0.0", std::nullopt},                        // 1 byte: ignored
        {"", "1.2.0.0", std::nullopt},                         // nothing
        {"Ver : \0 9.9"s, "1.2.0.0", std::nullopt},            // a NUL ends the answer
        {"Ver : 1.3.0.0", "", std::nullopt},                   // own version unknown
        {"Ver : 1.3.0.0", "   ", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("answer \"" + c.answer + "\", own \"" + c.own + "\"");
        const auto notice = decideUpdate(c.answer, c.own);
        if (c.latest)
            EXPECT_EQ(notice, (UpdateNotice{c.own, *c.latest}));
        else
            EXPECT_EQ(notice, std::nullopt);
    }
}

TEST(VersionCheck, OwnVersionHasFourNumbers) {
    EXPECT_EQ(fourPartVersion("1.2"), "1.2.0.0");
    EXPECT_EQ(fourPartVersion("1.2.0"), "1.2.0.0");
    EXPECT_EQ(fourPartVersion("1.2.3.4.5"), "1.2.3.4");
    EXPECT_EQ(fourPartVersion(""), "");
    EXPECT_TRUE(std::regex_match(ownVersion(), std::regex(R"(\d+\.\d+\.\d+\.\d+)")));
}
