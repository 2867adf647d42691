// The version check against a loopback HTTP server, its update notice, the start-up it may
// end, and the About window.
#include "about/about_text.h"
#include "about/ui/about_window.h"
#include "about/ui/start_check.h"
#include "about/ui/update_notice_window.h"
#include "app/app_state.h"
#include "app/preferences.h"
#include "browse/ui/browse_window.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <memory>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

constexpr const char* kOwn = "1.2.0.0";

// A loopback HTTP server with one scripted answer: a status line and a body, or silence.
class AnswerServer : public QTcpServer {
public:
    QByteArray status = "200 OK";
    QByteArray body;
    QByteArray location; // a redirect's target
    bool silent = false;
    int requests = 0;

    AnswerServer() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_[socket] += socket->readAll();
                    if (!request_[socket].contains("\r\n\r\n"))
                        return;
                    ++requests;
                    if (silent)
                        return;
                    QByteArray reply = "HTTP/1.1 " + status +
                                       "\r\nContent-Length: " + QByteArray::number(body.size()) +
                                       "\r\nConnection: close\r\n";
                    if (!location.isEmpty())
                        reply += "Location: " + location + "\r\n";
                    socket->write(reply + "\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/a/version?n=1").arg(serverPort());
    }

private:
    QHash<QTcpSocket*, QByteArray> request_;
};

// A port on the loopback that refuses connections: one a server had and gave back.
QString refusedUrl() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

// What a notice showed, if one opened; answered with the button `press`.
struct SeenNotice {
    bool shown = false;
    QString caption, current, latest, clipboard;
};

std::unique_ptr<QTimer> answerNotice(SeenNotice& seen, bool pressOk) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(20);
    QObject::connect(timer.get(), &QTimer::timeout, [&seen, pressOk] {
        auto* notice = qobject_cast<UpdateNoticeWindow*>(QApplication::activeModalWidget());
        if (!notice)
            return;
        seen.shown = true;
        seen.caption = notice->windowTitle();
        seen.current = notice->findChild<QLineEdit*>("currentVersionField")->text();
        seen.latest = notice->findChild<QLineEdit*>("latestVersionField")->text();
        seen.clipboard = QApplication::clipboard()->text();
        (pressOk ? notice->okButton() : notice->cancelButton())->click();
    });
    timer->start();
    return timer;
}

void writeIni(const std::filesystem::path& folder, const QString& lines) {
    std::ofstream(folder / kPreferencesFile) << "[Rowbit]\n" << lines.toStdString() << "\n";
}

} // namespace

class AboutWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScratchDir> scratch_;
    QString oldCwd_;

private slots:
    void init() {
        scratch_ = std::make_unique<testing::ScratchDir>();
        oldCwd_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(scratch_->path().string()));
    }
    void cleanup() {
        QDir::setCurrent(oldCwd_);
        scratch_.reset();
    }

    void noticeOnlyForANewerAnswer_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("ini"); // further [Rowbit] lines
        QTest::addColumn<int>("server");  // 0 answers, 1 never answers, 2 refuses
        QTest::addColumn<bool>("notice");
        QTest::addColumn<int>("requests");

        QTest::newRow("newer") << QByteArray("200 OK") << QByteArray("Ver : 1.3.0.0\r\n")
                               << QString() << 0 << true << 1;
        QTest::newRow("equal") << QByteArray("200 OK") << QByteArray("Ver : 1.2.0.0") << QString()
                               << 0 << false << 1;
        QTest::newRow("error status") << QByteArray("404 Not Found") << QByteArray("Ver : 1.3.0.0")
                                      << QString() << 0 << false << 1;
        QTest::newRow("too long") << QByteArray("200 OK") << QByteArray("Ver : 1.3.0.0 (stable)")
                                  << QString() << 0 << false << 1;
        QTest::newRow("redirect elsewhere")
            << QByteArray("302 Found") << QByteArray() << QString() << 0 << false << 1;
        QTest::newRow("check off") << QByteArray("200 OK") << QByteArray("Ver : 1.3.0.0")
                                   << QString("CheckVersion=0") << 0 << false << 0;
        QTest::newRow("never answers")
            << QByteArray() << QByteArray() << QString() << 1 << false << 1;
        QTest::newRow("refused") << QByteArray() << QByteArray() << QString() << 2 << false << 0;
        // No address: no request at all. Every request this process made would go through the
        // loopback proxy, which must see none.
        QTest::newRow("no address")
            << QByteArray("200 OK") << QByteArray("Ver : 1.3.0.0") << QString() << 3 << false << 0;
    }

    void noticeOnlyForANewerAnswer() {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, ini);
        QFETCH(int, server);
        QFETCH(bool, notice);
        QFETCH(int, requests);

        AnswerServer http;
        http.status = status;
        http.body = body;
        http.silent = server == 1;
        if (status.startsWith("302"))
            http.location = QStringLiteral("http://localhost:%1/").arg(http.serverPort()).toUtf8();
        const QString url = server == 2 ? refusedUrl() : http.url();
        writeIni(scratch_->path(), server == 3 ? ini : "VersionURL=" + url + "\n" + ini);
        QTcpServer proxy;
        int proxied = 0;
        if (server == 3) {
            QVERIFY(proxy.listen(QHostAddress::LocalHost));
            connect(&proxy, &QTcpServer::newConnection, [&] { ++proxied; });
            QNetworkProxy::setApplicationProxy(
                QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", proxy.serverPort()));
        }

        testing::ScriptedPrompts prompts;
        const Preferences prefs(scratch_->path());
        SeenNotice seen;
        const auto answerer = answerNotice(seen, false);
        QVERIFY(versionCheck(nullptr, prompts, prefs, kOwn)); // the program carries on
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QCOMPARE(proxied, 0);
        QCOMPARE(seen.shown, notice);
        QCOMPARE(http.requests, requests);
        QVERIFY(prompts.asked.empty());
        if (notice) {
            QCOMPARE(seen.caption, QString("Confirm"));
            QCOMPARE(seen.current, QString(kOwn));
            QCOMPARE(seen.latest, QString("1.3.0.0"));
            QCOMPARE(seen.clipboard, QDir::toNativeSeparators(QDir::currentPath()));
        }
    }

    // OK in the notice opens the download page and ends the program before the main window
    // opens; Cancel lets it open.
    void okEndsTheProgramCancelCarriesOn() {
        AnswerServer http;
        http.body = "Ver : 1.3.0.0";
        const std::string download = "https://rowbit.test/download";
        writeIni(scratch_->path(),
                 "VersionURL=" + http.url() + "\nDownloadURL=" + QString::fromStdString(download));
        for (const bool ok : {true, false}) {
            AppState state;
            Document doc;
            testing::ScriptedPrompts prompts;
            Preferences prefs(scratch_->path());
            BrowseSeams seams;
            seams.versionCheck = [&](QWidget* parent) {
                return versionCheck(parent, prompts, prefs, kOwn);
            };
            BrowseWindow window(state, doc, prompts, prefs, seams, "", "/opt/rowbit/rowbit");
            SeenNotice seen;
            const auto answerer = answerNotice(seen, ok);
            QCOMPARE(window.open(), !ok);
            QVERIFY(seen.shown);
            QCOMPARE(window.isVisible(), !ok);
            const bool toDownload = !prompts.asked.empty() && prompts.asked[0].kind == "url" &&
                                    prompts.asked[0].text == download;
            QCOMPARE(toDownload, ok);
            window.hide();
        }
    }

    // With no download address OK says so and the program carries on: nothing to go to.
    void okWithoutADownloadAddressSaysSoAndCarriesOn() {
        AnswerServer http;
        http.body = "Ver : 1.3.0.0";
        writeIni(scratch_->path(), "VersionURL=" + http.url());
        testing::ScriptedPrompts prompts;
        const Preferences prefs(scratch_->path());
        SeenNotice seen;
        const auto answerer = answerNotice(seen, true);
        QVERIFY(versionCheck(nullptr, prompts, prefs, kOwn));
        QVERIFY(seen.shown);
        QCOMPARE(prompts.messageTexts(), std::vector<std::string>{kNoAddressMessage});
    }

    void aboutShowsItsTextAndCloses() {
        AboutWindow about;
        QCOMPARE(about.windowTitle(), QString("About Rowbit"));
        const QStringList lines = about.textArea()->text().split('\n');
        QVERIFY(lines.size() > 4);
        QCOMPARE(lines[0], QString());
        QVERIFY(QRegularExpression("^Ver \\d+\\.\\d+$").match(lines[1]).hasMatch());
        QCOMPARE(lines[2], QString());
        QCOMPARE(lines[3], QString("본 프로그램은 개인.회사.기관 모두 무료로 사용할 수 있습니다."));
        QVERIFY(!about.textArea()->text().contains("http")); // no address set, none named
        AboutWindow named(WebAddresses{"http://127.0.0.1/v", "", "https://rowbit.test/", ""});
        QVERIFY(named.textArea()->text().endsWith("홈페이지 : https://rowbit.test/"));
        QCOMPARE(about.closeButton()->text(), QString("닫 기"));
        about.show();
        QTest::mouseClick(about.closeButton(), Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(rowbit);
    AboutWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "about_windows_test.moc"
