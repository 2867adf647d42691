// versions: the kept versions of a workbook, for a person or a script to copy one back.
#include "app/version_store.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"

#include <QStandardPaths>

#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>

namespace rowbit::cli {

VersionStore keptVersions() {
    return VersionStore(versionsFolder(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString()));
}

// One line per version, newest first: its path, the local time its content was written
// (YYYY-MM-DD HH:MM:SS) and its size in bytes, separated by TABs.
int versions(const Args& args) {
    if (args.empty() || args[0].empty()) {
        std::fprintf(stderr, "rowbit-cli: no file given\n");
        return kExitUsage;
    }
    const std::vector<KeptVersion> kept = keptVersions().list(args[0]);
    if (kept.empty()) {
        std::fprintf(stderr, "rowbit-cli: no version of %s is kept\n", args[0].c_str());
        return kExitRefused;
    }
    std::string out;
    for (const KeptVersion& version : kept) {
        const auto when = static_cast<std::time_t>(version.seconds);
        std::tm local{};
        localtime_r(&when, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
        out += escapeField(version.path.string()) + "\t" + stamp + "\t" +
               std::to_string(version.size) + "\n";
    }
    std::cout << out;
    return kExitOk;
}

} // namespace rowbit::cli
