#pragma once
// Enter-as-Tab navigation as a key table: which keys each kind of control
// hands to the class, and what a key on the focused control does. Enter, Down and Right go to
// the next control, Up and Left to the previous one; Enter in a multi-line box stays a line
// break. The Qt adapter intercepts the keys and carries out the action.

#include "winsupport/resize_manager.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace rowbit::winsupport {

enum class NavKey { Enter, Up, Down, Left, Right, Other };

// The kinds of control the table tells apart: those of the record form.
enum class FieldKind {
    SingleLineText, // a field
    MultiLineText,  // the memo
    Button,         // a field's lookup button
};

// The keys a control intercepts.
struct InterceptedKeys {
    bool enter = false;
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;

    bool has(NavKey key) const;
    bool none() const { return !enter && !up && !down && !left && !right; }
    friend bool operator==(const InterceptedKeys&, const InterceptedKeys&) = default;
};

// The table: the keys a control of `kind` intercepts.
InterceptedKeys interceptedKeys(FieldKind kind);

enum class NavAction {
    None,            // not a navigation key here: the window system's default handling
    NextControl,     // Tab
    PreviousControl, // Shift+Tab
    LineBreak,       // Enter in a multi-line box: a new line, the focus stays
};

class EnterByTab {
public:
    // Before init: the control keeps the window system's keys. Adding twice is harmless.
    void excludeControl(ControlId id);
    bool isExcluded(ControlId id) const { return excluded_.count(id) > 0; }

    // Registers the intercepted keys of every control that is not excluded, then is ready.
    void init(const std::vector<std::pair<ControlId, FieldKind>>& controls);
    bool inited() const { return inited_; }

    // The keys `id` intercepts (none for an excluded or unknown control, or before init).
    InterceptedKeys keysOf(ControlId id) const;

    // What `key` on the focused control (0: none) does.
    NavAction takeEvent(ControlId focused, NavKey key) const;

private:
    struct Registered {
        FieldKind kind = FieldKind::SingleLineText;
        InterceptedKeys keys;
    };
    std::set<ControlId> excluded_;
    std::map<ControlId, Registered> registered_;
    bool inited_ = false;
};

} // namespace rowbit::winsupport
