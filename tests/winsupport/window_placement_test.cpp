#include "winsupport/window_placement.h"

#include "app/preferences.h"

#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace rowbit::winsupport {
namespace {

constexpr const char* kSection = "Window";
const Rect kDesigned{100, 80, 640, 480};

WindowState designedWindow(bool resizable = true) {
    WindowState w;
    w.frame = kDesigned;
    w.resizable = resizable;
    return w;
}

std::string entry(const MemoryIni& ini, const char* key) {
    return ini.read(kSection, key).value_or("<absent>");
}

TEST(PlacementSave, NormalWindowStoresPositionAndSize) {
    MemoryIni ini;
    WindowState w = designedWindow();
    w.frame = Rect{12, -3, 800, 600};
    saveWindow(ini, kSection, w);
    EXPECT_EQ(entry(ini, "Maximize"), "No");
    EXPECT_EQ(entry(ini, "Minimize"), "No");
    EXPECT_EQ(entry(ini, "XPos"), "12");
    EXPECT_EQ(entry(ini, "YPos"), "-3");
    EXPECT_EQ(entry(ini, "Width"), "800");
    EXPECT_EQ(entry(ini, "Height"), "600");
}

TEST(PlacementSave, MaximizedMinimizedAndFixedWindowsLeaveValuesEmpty) {
    struct Case {
        bool maximized;
        bool minimized;
        bool resizable;
        const char* maximize;
        const char* minimize;
        const char* xpos;
        const char* width;
    };
    const Case cases[] = {
        {true, false, true, "Yes", "No", "", ""},
        {false, true, true, "No", "Yes", "", ""},
        {false, false, false, "No", "No", "100", ""},
    };
    for (const Case& c : cases) {
        MemoryIni ini;
        WindowState w = designedWindow(c.resizable);
        w.maximized = c.maximized;
        w.minimized = c.minimized;
        saveWindow(ini, kSection, w);
        EXPECT_EQ(entry(ini, "Maximize"), c.maximize);
        EXPECT_EQ(entry(ini, "Minimize"), c.minimize);
        EXPECT_EQ(entry(ini, "XPos"), c.xpos);
        EXPECT_EQ(entry(ini, "Width"), c.width);
        EXPECT_EQ(entry(ini, "Height"), c.width);
    }
}

TEST(PlacementRestore, FirstRunLeavesTheWindowAsDesigned) {
    MemoryIni ini;
    EXPECT_FALSE(planRestore(ini, kSection, designedWindow()));
}

TEST(PlacementRestore, OnlyExactYesOrNoRestores) {
    for (const char* value : {"yes", "no", "", "YES", "1", "Yes "}) {
        MemoryIni ini;
        saveWindow(ini, kSection, designedWindow());
        ini.write(kSection, "Maximize", value);
        EXPECT_FALSE(planRestore(ini, kSection, designedWindow())) << '"' << value << '"';
    }
}

TEST(PlacementRestore, RoundTripOfANormalWindow) {
    MemoryIni ini;
    WindowState saved = designedWindow();
    saved.frame = Rect{30, 40, 900, 700};
    saveWindow(ini, kSection, saved);
    auto plan = planRestore(ini, kSection, designedWindow());
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->frame, saved.frame);
    EXPECT_FALSE(plan->maximize);
    EXPECT_FALSE(plan->unmaximize);
    EXPECT_TRUE(plan->clearMinimized);
}

TEST(PlacementRestore, MaximizedWindowMovesToOriginThenMaximizes) {
    MemoryIni ini;
    WindowState saved = designedWindow();
    saved.maximized = true;
    saveWindow(ini, kSection, saved);
    auto plan = planRestore(ini, kSection, designedWindow());
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->frame, (Rect{0, 0, kDesigned.width, kDesigned.height}));
    EXPECT_TRUE(plan->maximize);
}

TEST(PlacementRestore, MinimizedWindowOpensNormalAtOriginWithDesignedSize) {
    MemoryIni ini;
    WindowState saved = designedWindow();
    saved.minimized = true;
    saveWindow(ini, kSection, saved);
    auto plan = planRestore(ini, kSection, designedWindow());
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->frame, (Rect{0, 0, kDesigned.width, kDesigned.height}));
    EXPECT_FALSE(plan->maximize);
    EXPECT_TRUE(plan->clearMinimized);
}

TEST(PlacementRestore, FixedSizeWindowKeepsItsDesignedSize) {
    MemoryIni ini;
    WindowState saved = designedWindow();
    saved.frame = Rect{5, 6, 1000, 900};
    saveWindow(ini, kSection, saved); // written while it was resizable
    auto plan = planRestore(ini, kSection, designedWindow(false));
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->frame, (Rect{5, 6, kDesigned.width, kDesigned.height}));
}

TEST(PlacementRestore, NormalAfterMaximizedUnmaximizesFirst) {
    MemoryIni ini;
    saveWindow(ini, kSection, designedWindow());
    WindowState now = designedWindow();
    now.maximized = true;
    auto plan = planRestore(ini, kSection, now);
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->unmaximize);
    EXPECT_FALSE(plan->maximize);

    // Already maximized and to be maximized: nothing to toggle.
    MemoryIni maxIni;
    WindowState savedMax = designedWindow();
    savedMax.maximized = true;
    saveWindow(maxIni, kSection, savedMax);
    auto again = planRestore(maxIni, kSection, now);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->unmaximize);
    EXPECT_FALSE(again->maximize);
}

TEST(PlacementRestore, AbsentOrUnusableNumbersKeepTheDesignedValues) {
    struct Case {
        const char* xpos; // nullptr: absent
        const char* width;
        Rect expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, kDesigned},                   // only "Maximize" present
        {"7", nullptr, Rect{7, 80, 640, 480}},           // size absent
        {"", "", Rect{0, 80, 640, 480}},                 // empty reads 0: no size of 0
        {"abc", "-20", Rect{0, 80, 640, 480}},           // unreadable, negative size
        {" 15", "+700", Rect{15, 80, 700, 480}},         // blanks and a plus sign
        {"99999999999", "1024", Rect{0, 80, 1024, 480}}, // out of range reads 0
    };
    for (const Case& c : cases) {
        MemoryIni ini;
        ini.write(kSection, "Maximize", "No");
        if (c.xpos) {
            ini.write(kSection, "XPos", c.xpos);
        }
        if (c.width) {
            ini.write(kSection, "Width", c.width);
        }
        auto plan = planRestore(ini, kSection, designedWindow());
        ASSERT_TRUE(plan);
        EXPECT_EQ(plan->frame, c.expected)
            << (c.xpos ? c.xpos : "absent") << " / " << (c.width ? c.width : "absent");
    }
}

TEST(PlacementRestore, WindowFromAScreenThatIsGoneComesBackIntoView) {
    const std::vector<ScreenArea> screens{{{0, 0, 1920, 1080}}, {{1920, 0, 1280, 1024}}};
    struct Case {
        Rect stored;
        Rect expected;
    };
    const Case cases[] = {
        {{100, 100, 800, 600}, {100, 100, 800, 600}},    // on the first screen
        {{2000, 50, 800, 600}, {2000, 50, 800, 600}},    // on the second screen
        {{1800, 10, 800, 600}, {1920, 10, 800, 600}},    // across both: onto the one it is most on
        {{-700, 10, 800, 600}, {0, 10, 800, 600}},       // mostly off: wholly on again
        {{5000, 3000, 800, 600}, {1120, 480, 800, 600}}, // the screen it was on is gone
        {{-900, 10, 800, 600}, {0, 10, 800, 600}},       // off to the left
        {{100, -50, 800, 600}, {100, 0, 800, 600}},      // title bar above the screen
        {{100, 2000, 3000, 2000}, {0, 0, 1920, 1080}},   // larger than the screen
    };
    for (const Case& c : cases) {
        MemoryIni ini;
        WindowState saved = designedWindow();
        saved.frame = c.stored;
        saveWindow(ini, kSection, saved);
        auto plan = planRestore(ini, kSection, designedWindow(), screens);
        ASSERT_TRUE(plan);
        EXPECT_EQ(plan->frame, c.expected)
            << c.stored.x << "," << c.stored.y << " " << c.stored.width << "x" << c.stored.height;
    }
    // Without screens to judge by, the stored frame is taken as it is.
    EXPECT_EQ(keepOnScreen(Rect{5000, 3000, 10, 10}, {}), (Rect{5000, 3000, 10, 10}));
}

// A restored frame lies wholly within the screen's usable area, moved first and shrunk only
// where it is larger; one that lies within comes back exactly. The same screen of 1400 x 900
// pixels holds half as many units a side at scale 2.
TEST(PlacementRestore, FitsWithinTheScreenAtEachScale) {
    struct Case {
        Rect saved;
        Rect available; // device pixels
        double scale;
        Rect expected;
    };
    const Rect screen{0, 0, 1400, 900};
    const Case cases[] = {
        {{279, 241, 842, 432}, screen, 1.0, {279, 241, 842, 432}},  // within: exactly
        {{558, 482, 1684, 864}, screen, 1.0, {0, 36, 1400, 864}},   // wider than the screen
        {{-50, -30, 800, 500}, screen, 1.0, {0, 0, 800, 500}},      // above and left of it
        {{1000, 700, 800, 500}, screen, 1.0, {600, 400, 800, 500}}, // past its far corner
        {{100, 10, 600, 400}, screen, 2.0, {100, 10, 600, 400}},    // within: exactly
        {{279, 241, 842, 432}, screen, 2.0, {0, 18, 700, 432}},     // 700 x 450 units
        {{558, 482, 1684, 864}, screen, 2.0, {0, 0, 700, 450}},
        {{500, 300, 800, 500}, screen, 1.5, {133, 100, 800, 500}},          // 933 units: none half
        {{0, 0, 400, 300}, {1400, 0, 1280, 1024}, 2.0, {700, 0, 400, 300}}, // a second screen
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fitToScreen(c.saved, c.available, c.scale), c.expected)
            << c.saved.x << "," << c.saved.y << " " << c.saved.width << "x" << c.saved.height
            << " at " << c.scale;
    }
}

TEST(IniFileStore, RoundTripThroughTheFileKeepingOtherSections) {
    rowbit::testing::ScratchDir dir;
    const std::string path = (dir / "Rowbit.INI").string();
    {
        std::ofstream out(path);
        out << "[Fonts]\nFontName=돋움\nFontSize=9\n";
    }
    auto ini = rowbit::IniFile::load(path);
    ASSERT_TRUE(ini.ok());
    EXPECT_EQ(ini->read("Fonts", "FontName"), "돋움");
    WindowState saved = designedWindow();
    saved.frame = Rect{11, 22, 333, 444};
    saveWindow(*ini, kSection, saved);
    ASSERT_TRUE(ini->save(path).ok());

    auto loaded = rowbit::IniFile::load(path);
    ASSERT_TRUE(loaded.ok());
    const rowbit::IniFile& again = *loaded;
    EXPECT_EQ(again.read("Fonts", "FontSize"), "9");
    EXPECT_EQ(again.read(kSection, "Width"), "333");
    auto plan = planRestore(again, kSection, designedWindow());
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->frame, saved.frame);

    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("[Window]"), std::string::npos);
}

TEST(IniFileStore, MissingFileIsAnEmptyStoreAndEmptyValuesStayPresent) {
    rowbit::testing::ScratchDir dir;
    const auto path = dir / "none.ini";
    auto ini = rowbit::IniFile::load(path);
    ASSERT_TRUE(ini.ok());
    EXPECT_FALSE(ini->read(kSection, "Maximize"));
    WindowState saved = designedWindow();
    saved.maximized = true;
    saveWindow(*ini, kSection, saved);
    ASSERT_TRUE(ini->save(path).ok());
    auto again = rowbit::IniFile::load(path);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->read(kSection, "XPos"), "");
    EXPECT_EQ(again->read(kSection, "Maximize"), "Yes");
}

} // namespace
} // namespace rowbit::winsupport
