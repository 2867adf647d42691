#pragma once
// Keeps the controls of a resizable window in sensible places when its size changes. Pure
// arithmetic: the window adapter reports the controls it has and the window's client size, and
// applies the moves it gets back. Every rectangle is in the units the controls were designed in
// (dialog units for the browse window); the adapter converts.
//
// Each control has a positional strategy (low byte: how x follows its parent, high byte: how y
// follows) and a resize strategy (bit flags), chosen by default from the control's kind and the
// application strategy (1..5), overridable per control. A control may have a parent control (a
// container); it then follows its parent's designed and new rectangles instead of the window's.

#include "winsupport/geometry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace rowbit::winsupport {

using ControlId = std::int32_t; // 0 is the window itself

// The kinds of control the program's resizable windows hold.
enum class ControlKind : std::int32_t {
    Entry,  // a text field
    Prompt, // a label
    Image,
    Group,
    List,
    Panel,
    Button,
};

// Positional strategies: horizontal values in the low byte, vertical ones in the high byte.
namespace position {
inline constexpr std::uint16_t kProportional = 0;
inline constexpr std::uint16_t kLockX = 1, kLockY = 256;
inline constexpr std::uint16_t kFixRight = 2, kFixBottom = 512;
inline constexpr std::uint16_t kFixLeft = 4, kFixTop = 1024;
inline constexpr std::uint16_t kFixCentreX = 8, kFixCentreY = 2048;
inline constexpr std::uint16_t kFixNearestX = 16, kFixNearestY = 4096;
inline constexpr std::uint16_t kMoveWithCentreX = 32, kMoveWithCentreY = 8192;
} // namespace position

// Resize strategies: bit flags.
namespace resize {
inline constexpr std::uint16_t kFree = 0; // scaled with the parent
inline constexpr std::uint16_t kLockWidth = 1;
inline constexpr std::uint16_t kLockHeight = 2;
inline constexpr std::uint16_t kConstantRight = 4;  // keeps its right margin
inline constexpr std::uint16_t kConstantBottom = 8; // keeps its bottom margin
inline constexpr std::uint16_t kHalfRight = 16;     // takes half of what kConstantRight would give
inline constexpr std::uint16_t kHalfBottom = 32;
} // namespace resize

std::uint16_t defaultPositionalStrategy(int appStrategy, ControlKind kind);
std::uint16_t defaultResizeStrategy(int appStrategy, ControlKind kind);

// A control as the window reports it when the manager (re)reads the window.
struct ControlInfo {
    ControlId id = 0;
    ControlKind kind = ControlKind::Entry;
    Rect rect;                  // present rectangle (relative to the window's client area)
    ControlId container = 0;    // the container the window system placed it in; 0 = none
    bool excluded = false;      // the window system keeps it out of positioning
    bool sizesOwnWidth = false; // the window system sizes its width (it keeps its width)
};

// One managed control.
struct ManagedControl {
    ControlId id = 0;
    ControlKind kind = ControlKind::Entry;
    bool hasChildren = false;
    std::uint16_t positionalStrategy = 0;
    std::uint16_t resizeStrategy = 0;
    Rect pos;               // designed rectangle
    ControlId parentId = 0; // 0 = the window
    Rect current;           // present rectangle, as last reported or moved
    bool sizesOwnWidth = false;
};

// One move of a resize.
struct Move {
    std::int32_t priority = 0; // order in which the moves were computed
    ControlId controlId = 0;
    ControlKind kind = ControlKind::Entry;
    Rect before;
    Rect after;
};

// The window's client rectangle and state when it was captured.
struct WindowShape {
    Rect client;
    bool maximized = false;
    bool iconized = false;
};

// The new rectangle of a control from its designed rectangle, its parent's
// designed rectangle and its parent's new rectangle. Scales carry four decimal places; the
// results are rounded to whole units (halves away from zero).
Rect computePosition(std::uint16_t positionalStrategy, std::uint16_t resizeStrategy,
                     const Rect& designed, const Rect& parentDesigned, const Rect& parentNew);

class ResizeManager {
public:
    struct InitResult {
        std::optional<Rect> minimumSize; // set the window's minimum size to this (x, y = 0)
        std::optional<Rect> maximumSize;
    };

    // Reads the window (reset), finds parents by containment for application strategies
    // 2 and 4, and tells which minimum/maximum size the adapter must set on the window.
    InitResult init(int appStrategy, bool setWindowMinSize, bool setWindowMaxSize,
                    const WindowShape& window, const std::vector<ControlInfo>& controls);
    // The window's present shape becomes the designed one; managed controls get their
    // designed rectangles refreshed, new ones are added with default strategies.
    void reset(const WindowShape& window, const std::vector<ControlInfo>& controls);
    void kill();

    // Overrides one control's strategies (0 = every managed control). An unmanaged control is
    // added from `info`, which must then be given.
    void setStrategy(ControlId id, std::uint16_t positional, std::uint16_t resize,
                     const std::optional<ControlInfo>& info = std::nullopt);
    void setParentControl(ControlId child, ControlId parent);
    ControlId getParentControl(ControlId id) const;
    void setParentDefault(ControlId id);
    void setParentDefaults();

    std::uint16_t getPositionStrategy(ControlId id) const;
    std::uint16_t getResizeStrategy(ControlId id) const;
    Rect getOrigPos(ControlId id) const;
    Rect getCurrentPos(ControlId id) const;
    // The adapter tells of a control moved by other means.
    void setCurrentPos(ControlId id, const Rect& rect);

    // Resize of the whole window to a new client size: the moves to apply (only those that
    // change something). Empty when nothing is managed or the size is the previous one.
    std::vector<Move> resize(std::int32_t clientWidth, std::int32_t clientHeight);
    // Resize of one control's children after the control itself changed (not 0: the window
    // goes through resize()).
    std::vector<Move> resizeControl(ControlId id);
    // Every managed control back to its designed rectangle.
    std::vector<Move> restoreControls();
    // The designed window (give it this size and state) and the control moves.
    WindowShape designedWindow() const { return origWin_; }
    std::vector<Move> restoreWindow();

    // The moves of the last resize, including those that changed nothing.
    const std::vector<Move>& resizeList() const { return resizeList_; }
    const std::vector<ManagedControl>& controls() const { return controls_; }
    bool isManaged(ControlId id) const;
    int appStrategy() const { return appStrategy_; }
    bool resizeCalled() const { return resizeCalled_; }
    bool deferMoves() const { return deferMoves_; }

private:
    ManagedControl& control(ControlId id);
    const ManagedControl& control(ControlId id) const;
    void addControl(const ControlInfo& info);
    void moveChildren(ControlId parent, const Rect& parentDesigned, const Rect& parentNew,
                      std::size_t depth);
    // Adds the move of `c` to `after` to the resize list; the rectangle moved to.
    Rect moveTo(const ManagedControl& c, Rect after);
    std::vector<Move> applyMoves();
    bool isAncestor(ControlId ancestor, ControlId id) const;

    int appStrategy_ = 1;
    WindowShape origWin_;
    std::vector<ManagedControl> controls_;
    std::vector<ControlInfo> lastInfo_; // containers as the window last reported them
    bool deferMoves_ = false;
    Rect previousWin_;
    bool resizeCalled_ = false;
    std::vector<Move> resizeList_;
};

} // namespace rowbit::winsupport
