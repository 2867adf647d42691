#include "app/app_state.h"

#include "app/cp949_text.h"

namespace rowbit {

std::string AppState::unnamedPath() const {
    std::string path(cp949::trimRight(documentsPath.empty() ? workingFolder : documentsPath));
    // A start folder given with its separator (the root folder) gets no second one.
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += "Noname.xls";
    return path;
}

} // namespace rowbit
