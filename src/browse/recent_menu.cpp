#include "browse/recent_menu.h"

#include "app/cp949_text.h"

namespace rowbit {

std::string recentFilesMenu(const std::array<std::string, kRecentFiles>& recent) {
    std::string menu;
    for (const std::string& entry : recent) {
        std::string item(cp949::trimRight(entry));
        if (item.empty())
            break;
        for (std::size_t at = item.find('|'); at != std::string::npos; at = item.find('|', at))
            item.replace(at, 1, "¦");
        menu.append(item).append("|");
    }
    return menu;
}

} // namespace rowbit
