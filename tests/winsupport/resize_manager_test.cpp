#include "winsupport/resize_manager.h"

#include <gtest/gtest.h>

#include <map>

namespace rowbit::winsupport {
namespace {

// The browse window as designed, in dialog units: a banner panel across the top, three
// button groups, the list, and a few controls inside the groups.
enum Id : ControlId {
    kPanel1 = 1,
    kGroup1,
    kGroup2,
    kGroup3,
    kList,
    kSearchEntry, // inside kGroup1
    kSaveButton,  // inside kGroup2
    kCloseButton, // inside kGroup3
    kStatusText,
};

const Rect kClient{0, 0, 400, 300};

std::vector<ControlInfo> browseControls() {
    return {
        {kPanel1, ControlKind::Panel, {0, 0, 400, 30}},
        {kGroup1, ControlKind::Group, {5, 35, 150, 60}},
        {kGroup2, ControlKind::Group, {245, 35, 150, 60}},
        {kGroup3, ControlKind::Group, {5, 240, 150, 55}},
        {kList, ControlKind::List, {5, 100, 390, 135}},
        {kSearchEntry, ControlKind::Entry, {10, 50, 100, 12}},
        {kSaveButton, ControlKind::Button, {250, 45, 60, 14}},
        {kCloseButton, ControlKind::Button, {10, 250, 50, 14}},
        {kStatusText, ControlKind::Prompt, {200, 240, 60, 10}},
    };
}

// Sets up a manager the way the browse window does: Init(2, 1, 0) and four overrides.
ResizeManager browseManager(ResizeManager::InitResult* initResult = nullptr) {
    ResizeManager m;
    auto r = m.init(2, true, false, WindowShape{kClient}, browseControls());
    if (initResult) {
        *initResult = r;
    }
    m.setStrategy(kPanel1, 1028, 6);
    m.setStrategy(kGroup1, 1028, 3);
    m.setStrategy(kGroup3, 516, 3);
    m.setStrategy(kGroup2, 1026, 3);
    return m;
}

std::map<ControlId, Rect> byId(const std::vector<Move>& moves) {
    std::map<ControlId, Rect> out;
    for (const Move& m : moves) {
        out[m.controlId] = m.after;
    }
    return out;
}

TEST(ResizeBrowseWindow, GrowingByHundredUnitsInWidth) {
    ResizeManager::InitResult init;
    ResizeManager m = browseManager(&init);
    ASSERT_TRUE(init.minimumSize);
    EXPECT_EQ(init.minimumSize->width, 400);
    EXPECT_EQ(init.minimumSize->height, 300);
    EXPECT_FALSE(init.maximumSize);
    EXPECT_TRUE(m.deferMoves());

    auto moved = byId(m.resize(500, 300));
    EXPECT_EQ(m.getCurrentPos(kGroup2), (Rect{345, 35, 150, 60}));    // moved right by 100
    EXPECT_EQ(m.getCurrentPos(kPanel1), (Rect{0, 0, 500, 30}));       // widened by 100
    EXPECT_EQ(m.getCurrentPos(kGroup1), (Rect{5, 35, 150, 60}));      // where it was
    EXPECT_EQ(m.getCurrentPos(kList), (Rect{5, 100, 490, 135}));      // keeps its margins
    EXPECT_EQ(m.getCurrentPos(kSaveButton), (Rect{350, 45, 60, 14})); // goes with its group
    EXPECT_EQ(m.getCurrentPos(kGroup3), (Rect{5, 240, 150, 55}));
    // Only what changed is moved: a control in a group that stays is left alone.
    EXPECT_EQ(moved.count(kGroup1), 0u);
    EXPECT_EQ(moved.count(kSearchEntry), 0u);
    EXPECT_EQ(moved.count(kCloseButton), 0u);
    EXPECT_EQ(moved.count(kGroup2), 1u);
    EXPECT_TRUE(m.resizeCalled());
}

TEST(ResizeBrowseWindow, GrowingInHeightFollowsTheBottomEdge) {
    ResizeManager m = browseManager();
    (void)m.resize(400, 380);
    EXPECT_EQ(m.getCurrentPos(kGroup3), (Rect{5, 320, 150, 55}));
    EXPECT_EQ(m.getCurrentPos(kCloseButton), (Rect{10, 330, 50, 14}));
    EXPECT_EQ(m.getCurrentPos(kList), (Rect{5, 100, 390, 215}));
    EXPECT_EQ(m.getCurrentPos(kPanel1), (Rect{0, 0, 400, 30})); // holds its height
    EXPECT_EQ(m.getCurrentPos(kGroup2), (Rect{245, 35, 150, 60}));
}

TEST(ResizeBrowseWindow, BackToTheDesignedSizeRestoresExactly) {
    ResizeManager m = browseManager();
    for (auto [w, h] : {std::pair{537, 411}, {611, 333}, {401, 301}, {777, 999}}) {
        (void)m.resize(w, h);
    }
    auto moves = m.resize(400, 300);
    EXPECT_FALSE(moves.empty());
    for (const ManagedControl& c : m.controls()) {
        EXPECT_EQ(c.current, c.pos) << "control " << c.id;
    }
}

TEST(ResizeBrowseWindow, SameSizeAgainMovesNothing) {
    ResizeManager m = browseManager();
    EXPECT_FALSE(m.resize(500, 300).empty());
    EXPECT_TRUE(m.resize(500, 300).empty());
    EXPECT_TRUE(m.resizeList().empty());
    // The designed size right after Init is the previous size as well.
    ResizeManager fresh = browseManager();
    EXPECT_TRUE(fresh.resize(400, 300).empty());
}

TEST(ResizeBrowseWindow, ParentsFoundByContainment) {
    ResizeManager m = browseManager();
    EXPECT_EQ(m.getParentControl(kSearchEntry), kGroup1);
    EXPECT_EQ(m.getParentControl(kSaveButton), kGroup2);
    EXPECT_EQ(m.getParentControl(kCloseButton), kGroup3);
    EXPECT_EQ(m.getParentControl(kList), 0);
    EXPECT_EQ(m.getParentControl(kGroup1), 0);
}

TEST(ResizeBrowseWindow, RestoreWindowGivesTheDesignedShapeBack) {
    ResizeManager m = browseManager();
    (void)m.resize(640, 480);
    auto moves = m.restoreWindow();
    EXPECT_FALSE(moves.empty());
    EXPECT_EQ(m.designedWindow().client, kClient);
    for (const ManagedControl& c : m.controls()) {
        EXPECT_EQ(c.current, c.pos);
    }
    EXPECT_TRUE(m.resize(400, 300).empty());
}

struct AxisCase {
    std::uint16_t positional;
    std::uint16_t resize;
    Rect designed;
    Rect expected;
};

class ComputePositionTest : public ::testing::TestWithParam<AxisCase> {};

TEST_P(ComputePositionTest, FollowsTheStrategies) {
    // The parent grows from 200 x 100 to 300 x 150: both scales 1.5.
    const Rect parentDesigned{0, 0, 200, 100};
    const Rect parentNew{0, 0, 300, 150};
    const AxisCase& c = GetParam();
    EXPECT_EQ(computePosition(c.positional, c.resize, c.designed, parentDesigned, parentNew),
              c.expected)
        << "positional " << c.positional << " resize " << c.resize;
}

const Rect kCtl{20, 10, 40, 20};

INSTANTIATE_TEST_SUITE_P(
    Horizontal, ComputePositionTest,
    ::testing::Values(AxisCase{0, 0, kCtl, {30, 15, 60, 30}},       // proportional, scaled
                      AxisCase{1 | 256, 3, kCtl, {20, 10, 40, 20}}, // locked
                      AxisCase{2, 3, kCtl, {120, 15, 40, 20}},      // right edge, width locked
                      AxisCase{2, 2, kCtl, {30, 15, 60, 20}},       // right edge, scaled
                      AxisCase{4, 3, kCtl, {20, 15, 40, 20}},       // left edge
                      AxisCase{8, 3, kCtl, {70, 15, 40, 20}},       // centre, width locked
                      AxisCase{8, 2, kCtl, {30, 15, 60, 20}},       // centre, scaled
                      AxisCase{16, 3, kCtl, {20, 15, 40, 20}},      // nearer: the left edge
                      AxisCase{16, 3, {150, 10, 40, 20}, {250, 15, 40, 20}}, // nearer: right
                      AxisCase{32, 3, kCtl, {70, 15, 40, 20}})); // with the parent's centre

INSTANTIATE_TEST_SUITE_P(
    Vertical, ComputePositionTest,
    ::testing::Values(AxisCase{4 | 512, 3, kCtl, {20, 60, 40, 20}},               // bottom edge
                      AxisCase{4 | 1024, 3, kCtl, {20, 10, 40, 20}},              // top edge
                      AxisCase{4 | 2048, 3, kCtl, {20, 35, 40, 20}},              // centre
                      AxisCase{4 | 4096, 3, {20, 70, 40, 20}, {20, 120, 40, 20}}, // nearer
                      AxisCase{4 | 8192, 3, kCtl, {20, 35, 40, 20}}));            // parent's centre

INSTANTIATE_TEST_SUITE_P(
    Margins, ComputePositionTest,
    ::testing::Values(AxisCase{1028, 4 | 2, kCtl, {20, 10, 140, 20}}, // constant right margin
                      AxisCase{1028, 16 | 2, kCtl, {20, 10, 90, 20}}, // half right
                      AxisCase{1028, 8 | 1, kCtl, {20, 10, 40, 70}},  // constant bottom
                      AxisCase{1028, 32 | 1, kCtl, {20, 10, 40, 45}}, // half bottom
                      AxisCase{1028, 12, kCtl, {20, 10, 140, 70}},    // both margins
                      AxisCase{1026, 4, kCtl, {30, 10, 130, 30}}));   // right edge + margin

TEST(ComputePosition, ChildOfAMovedParentFollowsItsParentsRectangles) {
    const Rect parentDesigned{50, 50, 200, 100};
    const Rect parentNew{80, 60, 300, 150};
    const Rect child{70, 60, 40, 20}; // 20 and 10 inside the parent
    EXPECT_EQ(computePosition(1028, 3, child, parentDesigned, parentNew), (Rect{100, 70, 40, 20}));
    EXPECT_EQ(computePosition(1, 3, child, parentDesigned, parentNew).x, 70); // locked: absolute
    EXPECT_EQ(computePosition(2, 3, child, parentDesigned, parentNew).x, 200);
}

TEST(ComputePosition, ShrinkingBelowTheMarginsGivesAnEmptyControl) {
    const Rect r = computePosition(1028, 12, kCtl, {0, 0, 200, 100}, {0, 0, 50, 20});
    EXPECT_EQ(r.width, 0);
    EXPECT_EQ(r.height, 0);
}

TEST(ComputePosition, ScalesRoundHalvesAwayFromZero) {
    // 3 -> 5: scale 1.6667; 3 x 1.6667 = 5.0001 -> 5. 3 x 1.5 = 4.5 -> 5.
    EXPECT_EQ(computePosition(0, 0, {3, 3, 3, 3}, {0, 0, 3, 3}, {0, 0, 5, 5}), (Rect{5, 5, 5, 5}));
    EXPECT_EQ(computePosition(0, 0, {3, 3, 3, 3}, {0, 0, 2, 2}, {0, 0, 3, 3}), (Rect{5, 5, 5, 5}));
    // A parent designed with no width scales nothing.
    EXPECT_EQ(computePosition(0, 0, {3, 3, 3, 3}, {0, 0, 0, 0}, {0, 0, 9, 9}), (Rect{3, 3, 3, 3}));
}

TEST(DefaultStrategies, FollowTheApplicationStrategyAndKind) {
    struct Case {
        int app;
        ControlKind kind;
        std::uint16_t positional;
        std::uint16_t resize;
    };
    const Case cases[] = {
        {1, ControlKind::Entry, 0, 2},     {1, ControlKind::Button, 4112, 3},
        {1, ControlKind::Prompt, 0, 0},    {2, ControlKind::Entry, 1024, 2},
        {2, ControlKind::Prompt, 1024, 2}, {2, ControlKind::List, 1028, 12},
        {2, ControlKind::Group, 1028, 12}, {3, ControlKind::Image, 257, 3},
        {4, ControlKind::Entry, 1028, 6},  {4, ControlKind::Prompt, 1028, 3},
        {5, ControlKind::Button, 2056, 3}, {5, ControlKind::Panel, 2056, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(defaultPositionalStrategy(c.app, c.kind), c.positional)
            << c.app << " " << static_cast<int>(c.kind);
        EXPECT_EQ(defaultResizeStrategy(c.app, c.kind), c.resize)
            << c.app << " " << static_cast<int>(c.kind);
    }
}

TEST(ResizeReset, SkipsExcludedControls) {
    ResizeManager m;
    std::vector<ControlInfo> controls{
        {1, ControlKind::Entry, {0, 0, 10, 10}},
        {5, ControlKind::Button, {0, 0, 10, 10}, 0, true}, // excluded by the window system
    };
    (void)m.init(1, false, false, WindowShape{{0, 0, 100, 100}}, controls);
    ASSERT_EQ(m.controls().size(), 1u);
    EXPECT_TRUE(m.isManaged(1));

    // A second reset refreshes designed rectangles and keeps overridden strategies.
    m.setStrategy(1, 1028, 3);
    controls[0].rect = Rect{5, 5, 20, 20};
    m.reset(WindowShape{{0, 0, 150, 150}}, controls);
    EXPECT_EQ(m.getOrigPos(1), (Rect{5, 5, 20, 20}));
    EXPECT_EQ(m.getPositionStrategy(1), 1028);
    EXPECT_EQ(m.getResizeStrategy(1), 3);
    EXPECT_FALSE(m.resizeCalled());
}

TEST(ResizeStrategies, OverrideOneAllOrAnUnmanagedControl) {
    ResizeManager m = browseManager();
    m.setStrategy(0, 257, 3);
    for (const ManagedControl& c : m.controls()) {
        EXPECT_EQ(c.positionalStrategy, 257);
        EXPECT_EQ(c.resizeStrategy, 3);
    }
    m.setStrategy(99, 4, 1, ControlInfo{99, ControlKind::Button, {1, 2, 3, 4}});
    EXPECT_TRUE(m.isManaged(99));
    EXPECT_EQ(m.getOrigPos(99), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(m.getPositionStrategy(99), 4);
    EXPECT_EQ(m.getParentControl(99), 0);
}

TEST(ResizeParents, ContainerFromTheWindowSystemWins) {
    ResizeManager m;
    std::vector<ControlInfo> controls{
        {1, ControlKind::Group, {0, 0, 50, 50}},
        {2, ControlKind::Panel, {100, 100, 50, 50}},
        {3, ControlKind::Entry, {10, 10, 20, 10}, 2}, // drawn inside 1, placed in 2
    };
    (void)m.init(2, false, false, WindowShape{{0, 0, 200, 200}}, controls);
    EXPECT_EQ(m.getParentControl(3), 2);
}

TEST(ResizeParents, LaterContainerTakesOverAndNoControlContainsItself) {
    ResizeManager m;
    std::vector<ControlInfo> controls{
        {1, ControlKind::Group, {0, 0, 100, 100}},
        {2, ControlKind::Group, {10, 10, 50, 50}},
        {3, ControlKind::Entry, {20, 20, 10, 10}},
        // Three controls on the same corner: each would contain the others.
        {4, ControlKind::Panel, {150, 150, 40, 40}},
        {5, ControlKind::Panel, {150, 150, 40, 40}},
        {6, ControlKind::Panel, {150, 150, 40, 40}},
    };
    (void)m.init(2, false, false, WindowShape{{0, 0, 200, 200}}, controls);
    EXPECT_EQ(m.getParentControl(2), 1);
    EXPECT_EQ(m.getParentControl(3), 2); // taken over from 1 by the later, inner group
    for (ControlId id : {4, 5, 6}) {
        // Walking up from any of them ends at the window.
        ControlId at = id;
        int steps = 0;
        while (at != 0 && steps < 10) {
            at = m.getParentControl(at);
            ++steps;
        }
        EXPECT_EQ(at, 0) << id;
    }
    // And a resize over them terminates and moves each one once.
    auto moves = m.resize(300, 300);
    EXPECT_FALSE(moves.empty());
}

TEST(ResizeParents, ExplicitParentAndTheGroupMovedByHand) {
    ResizeManager m;
    std::vector<ControlInfo> controls{
        {1, ControlKind::Group, {0, 0, 100, 100}},
        {2, ControlKind::Button, {10, 10, 20, 10}},
    };
    (void)m.init(3, false, false, WindowShape{{0, 0, 200, 200}}, controls);
    EXPECT_EQ(m.getParentControl(2), 0); // strategy 3 finds no parents by itself
    m.setStrategy(2, 1028, 3);
    m.setParentControl(2, 1);
    m.setCurrentPos(1, Rect{40, 30, 100, 100});
    auto moves = m.resizeControl(1);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].controlId, 2);
    EXPECT_EQ(moves[0].before, (Rect{10, 10, 20, 10}));
    EXPECT_EQ(moves[0].after, (Rect{50, 40, 20, 10}));
}

TEST(ResizeMoves, ControlThatSizesItsOwnWidthKeepsIt) {
    ResizeManager m;
    std::vector<ControlInfo> controls{
        {1, ControlKind::List, {0, 0, 100, 100}, 0, false, true},
    };
    (void)m.init(1, false, false, WindowShape{{0, 0, 100, 100}}, controls);
    (void)m.resize(200, 200);
    EXPECT_EQ(m.getCurrentPos(1), (Rect{0, 0, 100, 200}));
    m.setCurrentPos(1, Rect{0, 0, 130, 200}); // the window system widened it
    (void)m.resize(100, 100);
    EXPECT_EQ(m.getCurrentPos(1), (Rect{0, 0, 130, 100}));
}

TEST(ResizeMoves, NothingManagedNothingMoves) {
    ResizeManager m;
    (void)m.init(2, true, true, WindowShape{{0, 0, 100, 100}}, {});
    EXPECT_TRUE(m.resize(200, 200).empty());
}

TEST(ResizeMoves, ResizeListHoldsEveryMoveWithItsOrder) {
    ResizeManager m = browseManager();
    auto changed = m.resize(500, 300);
    const auto& all = m.resizeList();
    EXPECT_GT(all.size(), changed.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].priority, static_cast<std::int32_t>(i));
    }
    // A child's move comes after its parent's.
    std::size_t group2 = all.size(), save = all.size();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].controlId == kGroup2) {
            group2 = i;
        }
        if (all[i].controlId == kSaveButton) {
            save = i;
        }
    }
    EXPECT_LT(group2, save);
    EXPECT_LT(save, all.size());
}

TEST(ResizeMisuseDeathTest, ProgrammingErrorsStopWithTheSourceLine) {
    EXPECT_DEATH(
        {
            ResizeManager m = browseManager();
            (void)m.getOrigPos(12345);
        },
        "resize_manager.cpp:[0-9]+: check failed");
    EXPECT_DEATH(
        {
            ResizeManager m = browseManager();
            m.setStrategy(12345, 0, 0);
        },
        "check failed");
    EXPECT_DEATH(
        {
            ResizeManager m = browseManager();
            (void)m.resize(500, 300);
            m.setParentDefaults();
        },
        "check failed");
    EXPECT_DEATH(
        {
            ResizeManager m = browseManager();
            m.setParentControl(kGroup2, kSaveButton); // the group inside its own button
        },
        "check failed");
    EXPECT_DEATH(
        {
            ResizeManager m;
            (void)m.init(7, false, false, WindowShape{}, {});
        },
        "check failed");
}

} // namespace
} // namespace rowbit::winsupport
