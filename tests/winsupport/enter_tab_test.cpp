#include "winsupport/enter_tab.h"

#include <gtest/gtest.h>

namespace rowbit::winsupport {
namespace {

TEST(EnterTabTable, KeysInterceptedByEachKind) {
    struct Case {
        FieldKind kind;
        bool omitListBox;
        InterceptedKeys keys; // enter, up, down, left, right
    };
    const Case cases[] = {
        {FieldKind::Entry, false, {true, false, false, false, false}},
        {FieldKind::MultiLineText, false, {true, false, false, false, false}},
        {FieldKind::SingleLineText, false, {true, true, true, false, false}},
        {FieldKind::RichText, false, {true, false, false, false, false}},
        {FieldKind::Spin, false, {true, true, true, false, false}},
        {FieldKind::DropCombo, false, {true, false, false, false, false}},
        {FieldKind::List, false, {true, false, false, true, true}},
        {FieldKind::List, true, {true, false, false, false, false}},
        {FieldKind::Combo, false, {true, false, false, true, true}},
        {FieldKind::Combo, true, {true, false, false, false, false}},
        {FieldKind::Button, false, {false, true, true, true, true}},
        {FieldKind::DropList, true, {false, true, true, true, true}},
        {FieldKind::Check, false, {true, true, true, true, true}},
        {FieldKind::Radio, false, {true, false, false, false, false}},
        {FieldKind::Other, false, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(interceptedKeys(c.kind, c.omitListBox), c.keys)
            << static_cast<int>(c.kind) << " omit " << c.omitListBox;
    }
}

// The record form: ten single-line fields, a lookup button, the memo, OK and Cancel.
enum : ControlId { kField1 = 1, kField2, kLookup, kMemo, kOk, kCancel, kRadio };

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
              {kCancel, FieldKind::Button},
              {kRadio, FieldKind::Radio}},
             false);
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
        {kRadio, NavKey::Down, NavAction::None}, // arrows stay within the radio group
        {kRadio, NavKey::Enter, NavAction::NextControl},
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
    nav.init({{kField1, FieldKind::Entry}}, false);
    EXPECT_TRUE(nav.inited());
    EXPECT_EQ(nav.takeEvent(kField1, NavKey::Enter), NavAction::NextControl);
    EXPECT_EQ(nav.takeEvent(kField1, NavKey::Up), NavAction::None); // entries take Enter only
}

} // namespace
} // namespace rowbit::winsupport
