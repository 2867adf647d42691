#include "winsupport/resize_manager.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace rowbit::winsupport {
namespace {

// Fixed point for the arithmetic: scales carry four decimal places and the centre strategies
// halve sizes, so 2 x 10,000 parts of a unit keep every intermediate value exact.
constexpr std::int64_t kUnit = 20000;

std::int64_t divRound(std::int64_t num, std::int64_t den) {
    // Halves away from zero.
    const std::int64_t q = num / den;
    const std::int64_t r = num % den;
    if (2 * std::llabs(r) >= den) {
        return num < 0 ? q - 1 : q + 1;
    }
    return q;
}

// A scale (new / designed) with four decimal places, as 10,000ths; 1 for a designed size of 0.
std::int64_t scale4(std::int32_t newSize, std::int32_t designedSize) {
    if (designedSize <= 0) {
        return 10000;
    }
    return divRound(static_cast<std::int64_t>(newSize) * 10000, designedSize);
}

// v x scale, in kUnit parts.
std::int64_t times(std::int64_t v, std::int64_t scale) {
    return v * scale * 2;
}

std::int32_t toUnits(std::int64_t parts) {
    return static_cast<std::int32_t>(divRound(parts, kUnit));
}

// The kinds the default strategies treat alike.
enum KindGroup { kEntryGroup, kLabelGroup, kBoxGroup, kButtonGroup, kGroups };

KindGroup groupOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Entry:
        return kEntryGroup;
    case ControlKind::Prompt:
        return kLabelGroup;
    case ControlKind::Image:
    case ControlKind::Group:
    case ControlKind::List:
    case ControlKind::Panel:
        return kBoxGroup;
    case ControlKind::Button:
        break;
    }
    return kButtonGroup;
}

// One axis of computePosition: the new coordinate from the axis's strategy (its horizontal
// value; a vertical one is shifted down to it).
std::int64_t placeAxis(int strategy, std::int32_t designedPos, std::int32_t designedSize,
                       std::int32_t parentDesignedPos, std::int32_t parentDesignedSize,
                       std::int32_t parentNewPos, std::int32_t parentNewSize, std::int64_t scale,
                       bool sizeLocked) {
    const std::int64_t d = static_cast<std::int64_t>(designedPos) - parentDesignedPos;
    const std::int64_t edgeScale = sizeLocked ? 10000 : scale;
    namespace pos = position;
    if (strategy == pos::kFixNearestX) {
        // Nearer edge: the left (top) one when it is nearer than the far one.
        const std::int64_t farDistance =
            static_cast<std::int64_t>(parentDesignedSize) - (d + designedSize);
        strategy = d < farDistance ? pos::kFixLeft : pos::kFixRight;
    }
    switch (strategy) {
    case pos::kLockX:
        return designedPos * kUnit;
    case pos::kFixRight:
        return (static_cast<std::int64_t>(parentNewPos) + parentNewSize) * kUnit -
               times(parentDesignedSize - d, edgeScale);
    case pos::kFixLeft:
        return (parentNewPos + d) * kUnit;
    case pos::kFixCentreX:
        return parentNewPos * kUnit + static_cast<std::int64_t>(parentNewSize) * kUnit / 2 +
               (times(d, edgeScale) - times(parentDesignedSize, edgeScale) / 2);
    case pos::kMoveWithCentreX:
        return designedPos * kUnit +
               (static_cast<std::int64_t>(parentNewSize) - parentDesignedSize) * kUnit / 2 +
               (static_cast<std::int64_t>(parentNewPos) - parentDesignedPos) * kUnit;
    default: // kProportional
        return parentNewPos * kUnit + times(d, scale);
    }
}

// The size of one axis for a constant or half margin: the far edge keeps its designed
// distance from the parent's far edge (or the size takes half of that change).
std::int64_t marginSize(bool half, std::int32_t designedPos, std::int32_t designedSize,
                        std::int32_t parentDesignedPos, std::int32_t parentDesignedSize,
                        std::int32_t parentNewPos, std::int32_t parentNewSize,
                        std::int64_t newPos) {
    const std::int64_t margin =
        (static_cast<std::int64_t>(parentDesignedPos) + parentDesignedSize) -
        (static_cast<std::int64_t>(designedPos) + designedSize);
    const std::int64_t constant =
        (static_cast<std::int64_t>(parentNewPos) + parentNewSize - margin) * kUnit - newPos;
    if (!half) {
        return constant;
    }
    const std::int64_t designed = designedSize * kUnit;
    return designed + (constant - designed) / 2;
}

} // namespace

std::uint16_t defaultPositionalStrategy(int appStrategy, ControlKind kind) {
    // Per application strategy, per group of kinds: a label goes where a field goes.
    static constexpr std::uint16_t kTable[5][kGroups] = {
        {0, 0, 0, 4112},          {1024, 1024, 1028, 4112}, {257, 257, 257, 257},
        {1028, 1028, 1028, 4112}, {2056, 2056, 2056, 2056},
    };
    if (appStrategy < 1 || appStrategy > 5) {
        return 0;
    }
    return kTable[appStrategy - 1][groupOf(kind)];
}

std::uint16_t defaultResizeStrategy(int appStrategy, ControlKind kind) {
    static constexpr std::uint16_t kTable[5][kGroups] = {
        {2, 0, 0, 3}, {2, 2, 12, 3}, {3, 3, 3, 3}, {6, 3, 12, 3}, {3, 3, 3, 3},
    };
    if (appStrategy < 1 || appStrategy > 5) {
        return 0;
    }
    return kTable[appStrategy - 1][groupOf(kind)];
}

Rect computePosition(std::uint16_t positionalStrategy, std::uint16_t resizeStrategy,
                     const Rect& designed, const Rect& parentDesigned, const Rect& parentNew) {
    const std::int64_t sx = scale4(parentNew.width, parentDesigned.width);
    const std::int64_t sy = scale4(parentNew.height, parentDesigned.height);
    const bool lockW = (resizeStrategy & resize::kLockWidth) != 0;
    const bool lockH = (resizeStrategy & resize::kLockHeight) != 0;
    const bool marginW = (resizeStrategy & (resize::kConstantRight | resize::kHalfRight)) != 0;
    const bool marginH = (resizeStrategy & (resize::kConstantBottom | resize::kHalfBottom)) != 0;

    std::int64_t w = lockW ? designed.width * kUnit : times(designed.width, sx);
    std::int64_t h = lockH ? designed.height * kUnit : times(designed.height, sy);
    const std::int64_t x =
        placeAxis(positionalStrategy & 0xFF, designed.x, designed.width, parentDesigned.x,
                  parentDesigned.width, parentNew.x, parentNew.width, sx, lockW);
    const std::int64_t y =
        placeAxis(positionalStrategy >> 8, designed.y, designed.height, parentDesigned.y,
                  parentDesigned.height, parentNew.y, parentNew.height, sy, lockH);
    if (marginW) {
        const bool half = (resizeStrategy & resize::kConstantRight) == 0;
        w = marginSize(half, designed.x, designed.width, parentDesigned.x, parentDesigned.width,
                       parentNew.x, parentNew.width, x);
    }
    if (marginH) {
        const bool half = (resizeStrategy & resize::kConstantBottom) == 0;
        h = marginSize(half, designed.y, designed.height, parentDesigned.y, parentDesigned.height,
                       parentNew.y, parentNew.height, y);
    }
    Rect out;
    out.x = toUnits(x);
    out.y = toUnits(y);
    // A window made smaller than its margins allow gives an empty control, not a negative one.
    out.width = std::max(0, toUnits(w));
    out.height = std::max(0, toUnits(h));
    return out;
}

ResizeManager::InitResult ResizeManager::init(int appStrategy, bool setWindowMinSize,
                                              bool setWindowMaxSize, const WindowShape& window,
                                              const std::vector<ControlInfo>& controls) {
    ROWBIT_CHECK(appStrategy >= 1 && appStrategy <= 5);
    kill();
    appStrategy_ = appStrategy;
    reset(window, controls);
    if (appStrategy == 2 || appStrategy == 4) {
        setParentDefaults();
    }
    InitResult result;
    const Rect size{0, 0, origWin_.client.width, origWin_.client.height};
    if (setWindowMinSize) {
        result.minimumSize = size;
    }
    if (setWindowMaxSize) {
        result.maximumSize = size;
    }
    deferMoves_ = true;
    return result;
}

void ResizeManager::reset(const WindowShape& window, const std::vector<ControlInfo>& controls) {
    origWin_ = window;
    previousWin_ = Rect{0, 0, window.client.width, window.client.height};
    for (const ControlInfo& info : controls) {
        if (isManaged(info.id)) {
            ManagedControl& c = control(info.id);
            c.pos = info.rect;
            c.current = info.rect;
            c.sizesOwnWidth = info.sizesOwnWidth;
            continue;
        }
        if (info.excluded || info.id == 0) {
            continue;
        }
        addControl(info);
    }
    lastInfo_ = controls;
    resizeCalled_ = false;
}

void ResizeManager::kill() {
    controls_.clear();
    resizeList_.clear();
    lastInfo_.clear();
    deferMoves_ = false;
    resizeCalled_ = false;
}

void ResizeManager::addControl(const ControlInfo& info) {
    ManagedControl c;
    c.id = info.id;
    c.kind = info.kind;
    c.positionalStrategy = defaultPositionalStrategy(appStrategy_, c.kind);
    c.resizeStrategy = defaultResizeStrategy(appStrategy_, c.kind);
    c.pos = info.rect;
    c.current = info.rect;
    c.parentId = 0;
    c.sizesOwnWidth = info.sizesOwnWidth;
    controls_.push_back(c);
}

bool ResizeManager::isManaged(ControlId id) const {
    return std::any_of(controls_.begin(), controls_.end(),
                       [id](const ManagedControl& c) { return c.id == id; });
}

ManagedControl& ResizeManager::control(ControlId id) {
    return const_cast<ManagedControl&>(std::as_const(*this).control(id));
}

const ManagedControl& ResizeManager::control(ControlId id) const {
    auto it = std::find_if(controls_.begin(), controls_.end(),
                           [id](const ManagedControl& c) { return c.id == id; });
    ROWBIT_CHECK(it != controls_.end());
    return *it;
}

void ResizeManager::setStrategy(ControlId id, std::uint16_t positional, std::uint16_t resizeFlags,
                                const std::optional<ControlInfo>& info) {
    if (id == 0) {
        for (ManagedControl& c : controls_) {
            c.positionalStrategy = positional;
            c.resizeStrategy = resizeFlags;
        }
        return;
    }
    if (!isManaged(id)) {
        ROWBIT_CHECK(info.has_value() && info->id == id);
        addControl(*info);
    }
    ManagedControl& c = control(id);
    c.positionalStrategy = positional;
    c.resizeStrategy = resizeFlags;
}

bool ResizeManager::isAncestor(ControlId ancestor, ControlId id) const {
    // Parents form a forest; the walk is bounded in case of a fault elsewhere.
    ControlId at = id;
    for (std::size_t steps = 0; at != 0 && steps <= controls_.size(); ++steps) {
        if (at == ancestor) {
            return true;
        }
        at = control(at).parentId;
    }
    return false;
}

void ResizeManager::setParentControl(ControlId child, ControlId parent) {
    ROWBIT_CHECK(isManaged(child));
    ROWBIT_CHECK(parent == 0 || isManaged(parent));
    ROWBIT_CHECK(parent == 0 || !isAncestor(child, parent)); // no control inside itself
    control(child).parentId = parent;
    if (parent != 0) {
        control(parent).hasChildren = true;
    }
}

ControlId ResizeManager::getParentControl(ControlId id) const {
    return control(id).parentId;
}

void ResizeManager::setParentDefault(ControlId id) {
    ROWBIT_CHECK(!resizeCalled_);
    ManagedControl& self = control(id);
    auto info = std::find_if(lastInfo_.begin(), lastInfo_.end(),
                             [id](const ControlInfo& i) { return i.id == id; });
    if (info != lastInfo_.end() && info->container != 0 && isManaged(info->container)) {
        setParentControl(id, info->container);
        return;
    }
    const Rect area = self.pos;
    const ControlId ownParent = self.parentId;
    for (ManagedControl& other : controls_) {
        if (other.id == id || other.id == ownParent) {
            continue;
        }
        // Taking one of its own ancestors as a child would put the control inside itself.
        if (isAncestor(other.id, id)) {
            continue;
        }
        if (area.contains(other.pos.x, other.pos.y)) {
            other.parentId = id;
            control(id).hasChildren = true;
        }
    }
}

void ResizeManager::setParentDefaults() {
    ROWBIT_CHECK(!resizeCalled_);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        setParentDefault(controls_[i].id);
    }
}

std::uint16_t ResizeManager::getPositionStrategy(ControlId id) const {
    return control(id).positionalStrategy;
}

std::uint16_t ResizeManager::getResizeStrategy(ControlId id) const {
    return control(id).resizeStrategy;
}

Rect ResizeManager::getOrigPos(ControlId id) const {
    return control(id).pos;
}

Rect ResizeManager::getCurrentPos(ControlId id) const {
    return control(id).current;
}

void ResizeManager::setCurrentPos(ControlId id, const Rect& rect) {
    control(id).current = rect;
}

void ResizeManager::moveChildren(ControlId parent, const Rect& parentDesigned,
                                 const Rect& parentNew, std::size_t depth) {
    ROWBIT_CHECK(depth <= controls_.size());
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ManagedControl& c = controls_[i];
        if (c.parentId != parent) {
            continue;
        }
        const Rect after = moveTo(c, computePosition(c.positionalStrategy, c.resizeStrategy, c.pos,
                                                     parentDesigned, parentNew));
        if (c.hasChildren && after != c.current) {
            const Rect designed = c.pos;
            const ControlId id = c.id;
            moveChildren(id, designed, after, depth + 1);
        }
    }
}

Rect ResizeManager::moveTo(const ManagedControl& c, Rect after) {
    // A control whose width the window system sets keeps the width it has.
    if (c.sizesOwnWidth) {
        after.width = c.current.width;
    }
    resizeList_.push_back(
        Move{static_cast<std::int32_t>(resizeList_.size()), c.id, c.kind, c.current, after});
    return after;
}

std::vector<Move> ResizeManager::applyMoves() {
    std::vector<Move> changed;
    for (const Move& m : resizeList_) {
        if (m.after != m.before) {
            control(m.controlId).current = m.after;
            changed.push_back(m);
        }
    }
    return changed;
}

std::vector<Move> ResizeManager::resize(std::int32_t clientWidth, std::int32_t clientHeight) {
    resizeList_.clear();
    if (controls_.empty()) {
        return {};
    }
    if (clientWidth == previousWin_.width && clientHeight == previousWin_.height) {
        return {};
    }
    std::vector<Move> changed;
    if (clientWidth == origWin_.client.width && clientHeight == origWin_.client.height) {
        changed = restoreControls();
    } else {
        const Rect designed{0, 0, origWin_.client.width, origWin_.client.height};
        const Rect now{0, 0, clientWidth, clientHeight};
        moveChildren(0, designed, now, 0);
        changed = applyMoves();
    }
    resizeCalled_ = true;
    previousWin_ = Rect{0, 0, clientWidth, clientHeight};
    return changed;
}

std::vector<Move> ResizeManager::resizeControl(ControlId id) {
    ROWBIT_CHECK(id != 0); // the whole window goes through resize()
    resizeList_.clear();
    const ManagedControl& c = control(id);
    const Rect designed = c.pos;
    const Rect now = c.current;
    moveChildren(id, designed, now, 0);
    resizeCalled_ = true;
    return applyMoves();
}

std::vector<Move> ResizeManager::restoreControls() {
    resizeList_.clear();
    for (const ManagedControl& c : controls_) {
        moveTo(c, c.pos);
    }
    return applyMoves();
}

std::vector<Move> ResizeManager::restoreWindow() {
    previousWin_ = Rect{0, 0, origWin_.client.width, origWin_.client.height};
    return restoreControls();
}

} // namespace rowbit::winsupport
