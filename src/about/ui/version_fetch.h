#pragma once
// The one HTTP request of the version check.

#include <QUrl>

#include <optional>
#include <string>

namespace rowbit::ui {

// The whole time the request may take, connecting included.
inline constexpr int kVersionFetchTimeoutMs = 2000;

// One GET of `url`. The body when the server answered with a success status, from the same
// origin, with no more than `maxBytes` bytes, all within `timeoutMs`; nullopt on anything
// else (no network, refused, timed out, an error status, a redirect elsewhere, too long).
std::optional<std::string> fetchVersionAnswer(const QUrl& url, std::size_t maxBytes,
                                              int timeoutMs = kVersionFetchTimeoutMs);

} // namespace rowbit::ui
