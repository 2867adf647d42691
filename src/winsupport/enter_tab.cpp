#include "winsupport/enter_tab.h"

namespace rowbit::winsupport {

bool InterceptedKeys::has(NavKey key) const {
    switch (key) {
    case NavKey::Enter:
        return enter;
    case NavKey::Up:
        return up;
    case NavKey::Down:
        return down;
    case NavKey::Left:
        return left;
    case NavKey::Right:
        return right;
    default:
        return false;
    }
}

InterceptedKeys interceptedKeys(FieldKind kind) {
    InterceptedKeys k;
    switch (kind) {
    case FieldKind::SingleLineText:
        k.enter = k.down = k.up = true;
        break;
    case FieldKind::MultiLineText:
        k.enter = true;
        break;
    case FieldKind::Button:
        k.up = k.down = k.left = k.right = true;
        break;
    }
    return k;
}

void EnterByTab::excludeControl(ControlId id) {
    excluded_.insert(id);
}

void EnterByTab::init(const std::vector<std::pair<ControlId, FieldKind>>& controls) {
    registered_.clear();
    for (const auto& [id, kind] : controls) {
        if (isExcluded(id)) {
            continue;
        }
        registered_[id] = Registered{kind, interceptedKeys(kind)};
    }
    inited_ = true;
}

InterceptedKeys EnterByTab::keysOf(ControlId id) const {
    auto it = registered_.find(id);
    return it == registered_.end() ? InterceptedKeys{} : it->second.keys;
}

NavAction EnterByTab::takeEvent(ControlId focused, NavKey key) const {
    if (!inited_ || focused == 0 || isExcluded(focused)) {
        return NavAction::None;
    }
    auto it = registered_.find(focused);
    // Only an intercepted key reaches the class at all.
    if (it == registered_.end() || !it->second.keys.has(key)) {
        return NavAction::None;
    }
    switch (key) {
    case NavKey::Enter:
        if (it->second.kind == FieldKind::MultiLineText) {
            return NavAction::LineBreak;
        }
        return NavAction::NextControl;
    case NavKey::Right:
    case NavKey::Down:
        return NavAction::NextControl;
    case NavKey::Left:
    case NavKey::Up:
        return NavAction::PreviousControl;
    default:
        return NavAction::None;
    }
}

} // namespace rowbit::winsupport
