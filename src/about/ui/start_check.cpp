#include "about/ui/start_check.h"

#include "about/ui/update_notice_window.h"
#include "about/ui/version_fetch.h"
#include "about/version_check.h"
#include "app/preferences.h"

namespace rowbit::ui {

bool versionCheck(QWidget* parent, Prompts& prompts, const Preferences& prefs,
                  const std::string& own) {
    if (!prefs.readVersionCheck())
        return true;
    const WebAddresses addresses = prefs.readWebAddresses();
    // No address, no request: the network is used only where someone set where to ask.
    if (addresses.version.empty())
        return true;
    const auto answer =
        fetchVersionAnswer(QUrl(QString::fromStdString(addresses.version)), kAnswerMax);
    if (!answer)
        return true;
    const auto notice = decideUpdate(*answer, own);
    if (!notice)
        return true;
    return UpdateNoticeWindow::run(*notice, addresses.download, prompts, parent) ==
           NoticeOutcome::CarryOn;
}

} // namespace rowbit::ui
