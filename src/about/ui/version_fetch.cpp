#include "about/ui/version_fetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace rowbit::ui {

std::optional<std::string> fetchVersionAnswer(const QUrl& url, std::size_t maxBytes,
                                              int timeoutMs) {
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return std::nullopt;
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    // The transfer timeout ends a silent server; the timer below bounds the whole request,
    // however slowly a server trickles its answer.
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);

    QNetworkReply* reply = manager.get(request);
    bool tooLong = false;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (static_cast<std::size_t>(reply->bytesAvailable()) > maxBytes) {
            tooLong = true;
            reply->abort();
        }
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline.start(timeoutMs);
    // No window is open yet; the user's input waits until the check is over.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    std::optional<std::string> body;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!tooLong && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
        const QByteArray bytes = reply->readAll();
        if (static_cast<std::size_t>(bytes.size()) <= maxBytes)
            body = bytes.toStdString();
    }
    delete reply;
    return body;
}

} // namespace rowbit::ui
