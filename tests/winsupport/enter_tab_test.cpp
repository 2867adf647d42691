#include "winsupport/enter_tab.h"

#include <gtest/gtest.h>

namespace rowbit::winsupport {
namespace {

TEST(EnterTabTable, KeysInterceptedByEachKind) {
    struct Case {
        FieldKind kind;
        InterceptedKeys keys; // enter, up, down, left, right
    };
    const Case cases[] = {
        {FieldKind::MultiLineText, {true, false, false, false, false}},
        {FieldKind::SingleLineText, {true, true, true, false, false}},
        {FieldKind::Button, {false, true, true, true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(interceptedKeys(c.kind), c.keys) << static_cast<int>(c.kind);
    }
}

// The record form: ten single-line fields, a lookup button, the memo, OK and Cancel.
enum : ControlId { kField1 = 1, kField2, kLookup, kMemo, kOk, kCancel };

EnterByTab recordForm() {
    EnterByTab nav;
    nav.excludeControl(kOk);
    nav.excludeControl(kCancel);
    nav.excludeControl(kOk); // twice is harmless
    nav.init({{kField1, FieldKind::SingleLineText},
              {kField2, FieldKind::SingleLineText},
              {kLookup, FieldKind::Button},
              {kMemo, FieldKind::MultiLineText},
              {kOk, FieldKind::Button},
              {kCancel, FieldKind::Button}});
    return nav;
}

TEST(EnterTabForm, FieldsMemoAndButtons) {
    const EnterByTab nav = recordForm();
    struct Case {
        ControlId focused;
        NavKey key;
        NavAction action;
    };
    const Case cases[] = {
        {kField1, NavKey::Enter, NavAction::NextControl},
        {kField1, NavKey::Down, NavAction::NextControl},
        {kField2, NavKey::Up, NavAction::PreviousControl},
        {kField1, NavKey::Left, NavAction::None}, // the cursor moves inside the text
        {kField1, NavKey::Other, NavAction::None},
        {kMemo, NavKey::Enter, NavAction::LineBreak},
        {kMemo, NavKey::Down, NavAction::None},
        {kLookup, NavKey::Right, NavAction::NextControl},
        {kLookup, NavKey::Down, NavAction::NextControl},
        {kLookup, NavKey::Left, NavAction::PreviousControl},
        {kLookup, NavKey::Up, NavAction::PreviousControl},
        {kLookup, NavKey::Enter, NavAction::None}, // Enter presses the button
        {kOk, NavKey::Enter, NavAction::None},
        {kCancel, NavKey::Down, NavAction::None},
        {0, NavKey::Enter, NavAction::None},  // nothing has focus
        {99, NavKey::Enter, NavAction::None}, // a control the class never saw
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nav.takeEvent(c.focused, c.key), c.action)
            << "control " << c.focused << " key " << static_cast<int>(c.key);
    }
    EXPECT_TRUE(nav.keysOf(kOk).none());
    EXPECT_TRUE(nav.isExcluded(kCancel));
}

TEST(EnterTabForm, BeforeInitKeysKeepTheirDefaults) {
    EnterByTab nav;
    EXPECT_FALSE(nav.inited());
    EXPECT_EQ(nav.takeEvent(kField1, NavKey::Enter), NavAction::None);
    EXPECT_TRUE(nav.keysOf(kField1).none());
    nav.init({{kField1, FieldKind::SingleLineText}});
    EXPECT_TRUE(nav.inited());
    EXPECT_EQ(nav.takeEvent(kField1, NavKey::Enter), NavAction::NextControl);
}

} // namespace
} // namespace rowbit::winsupport
