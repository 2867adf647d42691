#include "about/ui/start_check.h"

#include "about/ui/update_notice_window.h"
#include "about/ui/version_fetch.h"
#include "about/version_check.h"
#include "browse/preferences.h"

namespace rowbit::ui {

bool versionCheck(QWidget* parent, Prompts& prompts, const Preferences& prefs,
                  const std::string& own) {
    const Preferences::VersionCheck settings = prefs.readVersionCheck();
    if (!settings.enabled)
        return true;
    const std::string url = settings.url.empty() ? kVersionEndpoint : settings.url;
    const auto answer = fetchVersionAnswer(QUrl(QString::fromStdString(url)), kAnswerMax);
    if (!answer)
        return true;
    const auto notice = decideUpdate(*answer, own);
    if (!notice)
        return true;
    return UpdateNoticeWindow::run(*notice, prompts, parent) == NoticeOutcome::CarryOn;
}

} // namespace rowbit::ui
