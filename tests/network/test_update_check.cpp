#include "NetTestSupport.h"
#include "network/window/Downloader.h"
#include "network/window/QSimpleUpdater.h"
#include "network/window/Updater.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {

constexpr int kWait = 30000;
const QByteArray kInstaller = "installer";
const QString kMd5 = QStringLiteral("97384261b8bbf966df16e5ad509922db");
const QString kSha256 =
    QStringLiteral("9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c");

QMessageBox* visibleBox(const QString& text)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible() && box->text().contains(text)) {
            return box;
        }
    }
    return nullptr;
}

void closeAllBoxes()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
            box->reject();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QJsonObject release(const QString& version, const QString& url, const QString& md5 = kMd5)
{
    return QJsonObject{
        {"latest-version", version}, {"download-url", url}, {"md5", md5}, {"size-in-mb", 1}};
}

} // namespace

// The update check against a local HTTPS feed: what is offered, the download and its
// verification, and feeds that misbehave.
class TestUpdateCheck : public QObject
{
    Q_OBJECT

public slots:
    // Stands in for the desktop's browser and file manager.
    void openUrl(const QUrl& url) { m_opened.append(url); }

private:
    TestPki m_pki;
    std::unique_ptr<TestHttpsServer> m_server;
    QJsonArray m_releases;
    bool m_sendLength = true;
    QList<QUrl> m_opened;
    std::unique_ptr<QTemporaryDir> m_downloads;

    HttpResponse answer(const HttpRequest& request)
    {
        const QByteArray path = request.path;
        const auto redirect = [](const QByteArray& location) {
            return HttpResponse{302, {}, {{"Location", location}}};
        };
        if (path == "/files/download/updates.json") {
            const QJsonObject body{{"updates", QJsonObject{{"linux", m_releases}}}};
            return HttpResponse{200, QJsonDocument(body).toJson(), {}, m_sendLength};
        }
        if (path.startsWith("/files/")) {
            return HttpResponse{200, kInstaller, {}, m_sendLength};
        }
        if (path.startsWith("/redirect/")) {
            const int left = path.mid(10).toInt();
            return redirect(left > 0 ? "/redirect/" + QByteArray::number(left - 1)
                                     : "/files/download/updates.json");
        }
        if (path == "/loop") {
            return redirect("/loop");
        }
        if (path == "/to-http") {
            return redirect("http://127.0.0.1:1/files/download/updates.json");
        }
        if (path == "/huge") {
            return HttpResponse{200, {}, {}, true, qint64(50) * 1024 * 1024};
        }
        if (path == "/huge-unsized") {
            return HttpResponse{200, {}, {}, false, qint64(50) * 1024 * 1024};
        }
        if (path == "/huge-error") {
            return HttpResponse{500, {}, {}, true, qint64(50) * 1024 * 1024};
        }
        if (path == "/garbage") {
            return HttpResponse{200, "<html>not a definition</html>", {}};
        }
        return HttpResponse{404, "missing", {}};
    }

    std::unique_ptr<Updater> makeUpdater(const QString& path = "/files/download/updates.json")
    {
        auto updater = std::make_unique<Updater>();
        updater->setUrl(m_server->url(path));
        updater->setModuleVersion(QStringLiteral("3.6.24.0"));
        updater->downloader()->setDownloadFolder(m_downloads->path());
        return updater;
    }

    // Checks, answers the prompt with Yes, and returns whether a prompt came.
    bool checkAndAccept(Updater& updater)
    {
        QSignalSpy finished(&updater, &Updater::checkingFinished);
        updater.checkForUpdates();
        if (!finished.wait(kWait)) {
            return false;
        }
        QMessageBox* prompt = visibleBox(QStringLiteral("has been released"));
        if (!prompt) {
            return false;
        }
        prompt->button(QMessageBox::Yes)->click();
        return true;
    }

    QString label(Downloader* downloader, const char* name)
    {
        return downloader->findChild<QLabel*>(QLatin1String(name))->text();
    }

private slots:
    void initTestCase()
    {
        for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "no_proxy"}) {
            qunsetenv(name);
        }
        QCoreApplication::setApplicationName(QStringLiteral("Winkwell"));
        QCoreApplication::setApplicationVersion(QStringLiteral("3.6.24.0"));
        const QString problem = m_pki.create();
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        qputenv("WINKWELL_CA_FILE", m_pki.caFile().toLocal8Bit());
        m_server = std::make_unique<TestHttpsServer>(m_pki.serverCertificate, m_pki.serverKey);
        QVERIFY(m_server->start());
        m_server->handler = [this](const HttpRequest& request) { return answer(request); };
        for (const char* scheme : {"file", "https", "http"}) {
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "openUrl");
        }
    }

    void init()
    {
        m_downloads = std::make_unique<QTemporaryDir>();
        m_server->requests.clear();
        m_opened.clear();
        m_sendLength = true;
        m_releases = QJsonArray{release("3.6.24.1", m_server->url("/files/winkwell_3.6.24.1.deb"))};
    }

    void cleanup() { closeAllBoxes(); }

    void promptFollowsTheVersions_data()
    {
        QTest::addColumn<QStringList>("listed"); // a trailing "b" marks a beta
        QTest::addColumn<bool>("beta");
        QTest::addColumn<QString>("offered"); // empty: no prompt
        QTest::newRow("fourth part newer") << QStringList{"3.6.24.1"} << false << "3.6.24.1";
        QTest::newRow("fifth part") << QStringList{"3.6.24.0.1"} << false << "";
        QTest::newRow("shorter") << QStringList{"3.6.24"} << false << "";
        QTest::newRow("beta ignored") << QStringList{"3.6.24.1", "3.7b"} << false << "3.6.24.1";
        QTest::newRow("beta enabled") << QStringList{"3.6.24.1", "3.7b"} << true << "3.7";
    }

    void promptFollowsTheVersions()
    {
        QFETCH(QStringList, listed);
        QFETCH(bool, beta);
        QFETCH(QString, offered);
        m_releases = {};
        for (QString version : listed) {
            const bool isBeta = version.endsWith('b');
            version.remove('b');
            QJsonObject entry = release(version, m_server->url("/files/x.deb"));
            entry.insert("beta", isBeta);
            m_releases.append(entry);
        }
        auto updater = makeUpdater();
        updater->setBetaRequired(beta);
        QSignalSpy finished(updater.get(), &Updater::checkingFinished);
        updater->checkForUpdates();
        QVERIFY(finished.wait(kWait));
        QCOMPARE(finished.first().first().toString(), updater->url());
        QCOMPARE(updater->updateAvailable(), !offered.isEmpty());
        QMessageBox* prompt = visibleBox("has been released");
        QCOMPARE(prompt != nullptr, !offered.isEmpty());
        if (prompt) {
            QCOMPARE(prompt->text(),
                     QStringLiteral("Version %1 of Winkwell has been released!").arg(offered));
            QVERIFY(prompt->informativeText().contains("(size 1MB)"));
        }
        QCOMPARE(m_server->requests.first().headers.value("user-agent"),
                 QByteArray("Winkwell/3.6.24.0 (Qt; QSimpleUpdater)"));
    }

    void theDownloadIsVerifiedAndItsFolderOpened_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("sendLength");
        QTest::addColumn<QString>("sha256");
        QTest::addColumn<QStringList>("existing"); // the user's files, kept as they are
        QTest::addColumn<QString>("savedAs");
        QTest::newRow("sized") << "/files/winkwell_3.6.24.1.deb" << true << "" << QStringList()
                               << "winkwell_3.6.24.1.deb";
        QTest::newRow("unsized") << "/files/winkwell_3.6.24.1.deb" << false << "" << QStringList()
                                 << "winkwell_3.6.24.1.deb";
        QTest::newRow("with sha256")
            << "/files/w.deb" << true << kSha256 << QStringList() << "w.deb";
        QTest::newRow("name from a folder address")
            << "/files/" << true << "" << QStringList() << "QSU_Update.bin";
        QTest::newRow("a file of that name")
            << "/files/winkwell_3.6.24.1.deb" << true << "" << QStringList{"winkwell_3.6.24.1.deb"}
            << "winkwell_3.6.24.1 (1).deb";
        QTest::newRow("names taken, with and without .part")
            << "/files/w.deb" << true << "" << QStringList{"w.deb", "w (1).deb.part", "w (2).deb"}
            << "w (3).deb";
    }

    void theDownloadIsVerifiedAndItsFolderOpened()
    {
        QFETCH(QString, path);
        QFETCH(bool, sendLength);
        QFETCH(QString, sha256);
        QFETCH(QStringList, existing);
        QFETCH(QString, savedAs);
        const QDir folder(m_downloads->path());
        for (const QString& name : existing) {
            QFile mine(folder.filePath(name));
            QVERIFY(mine.open(QIODevice::WriteOnly));
            mine.write("mine");
        }
        QJsonObject entry = release("3.6.24.1", m_server->url(path));
        if (!sha256.isEmpty()) {
            entry.insert("sha256", sha256);
        }
        m_releases = QJsonArray{entry};
        m_sendLength = sendLength;
        auto updater = makeUpdater();
        Downloader* downloader = updater->downloader();
        QSignalSpy done(updater.get(), &Updater::downloadFinished);
        QVERIFY(checkAndAccept(*updater));
        QVERIFY(done.wait(kWait));
        const QString file = QDir(m_downloads->path()).filePath(savedAs);
        QCOMPARE(done.first().at(1).toString(), file);
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), kInstaller);
        QVERIFY(!QFile::exists(file + ".part"));
        // The folder is opened; nothing fetched is run.
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_downloads->path())});
        QCOMPARE(label(downloader, "downloadLabel"), QStringLiteral("Download complete!"));
        QVERIFY(downloader->findChild<QPushButton*>("openButton")->isVisible());
        QCOMPARE(downloader->findChild<QPushButton*>("stopButton")->text(),
                 QStringLiteral("Close"));
        for (const QString& name : existing) {
            QFile mine(folder.filePath(name));
            QVERIFY(mine.open(QIODevice::ReadOnly));
            QCOMPARE(mine.readAll(), QByteArray("mine"));
        }
    }

    void theReleaseAskedAboutIsTheOneFetched()
    {
        QJsonObject first = release("3.6.24.1", m_server->url("/files/first.deb"));
        first.insert("size-in-mb", 1.5);
        m_releases = QJsonArray{first};
        auto updater = makeUpdater();
        QSignalSpy finished(updater.get(), &Updater::checkingFinished);
        QSignalSpy done(updater.get(), &Updater::downloadFinished);
        updater->checkForUpdates();
        QVERIFY(finished.wait(kWait));
        QMessageBox* prompt = visibleBox("has been released");
        QVERIFY(prompt);
        QVERIFY(prompt->informativeText().contains("(size 1.5MB)"));
        // A wake-up while the user still reads the question finds a newer release.
        m_releases = QJsonArray{release("3.6.24.2", m_server->url("/files/second.deb"))};
        updater->checkForUpdates();
        QVERIFY(finished.wait(kWait));
        QCOMPARE(visibleBox("has been released"), prompt);
        QVERIFY(prompt->text().contains("3.6.24.1"));
        prompt->button(QMessageBox::Yes)->click();
        QVERIFY(done.wait(kWait));
        QCOMPARE(m_server->requests.last().path, QByteArray("/files/first.deb"));
        QCOMPARE(done.first().at(1).toString(), QDir(m_downloads->path()).filePath("first.deb"));
    }

    void aChecksumMismatchDeletesTheDownload_data()
    {
        QTest::addColumn<QString>("md5");
        QTest::addColumn<QString>("sha256");
        QTest::newRow("md5") << QString(32, 'a') << QString();
        QTest::newRow("sha256") << kMd5 << QString(64, 'a');
    }

    void aChecksumMismatchDeletesTheDownload()
    {
        QFETCH(QString, md5);
        QFETCH(QString, sha256);
        QJsonObject entry = release("3.6.24.1", m_server->url("/files/bad.deb"), md5);
        if (!sha256.isEmpty()) {
            entry.insert("sha256", sha256);
        }
        m_releases = QJsonArray{entry};
        LogCapture log;
        auto updater = makeUpdater();
        QSignalSpy done(updater.get(), &Updater::downloadFinished);
        QVERIFY(checkAndAccept(*updater));
        QTRY_VERIFY_WITH_TIMEOUT(visibleBox("Press OK to download again."), kWait);
        QMessageBox* again = visibleBox("Press OK to download again.");
        QCOMPARE(again->informativeText(),
                 QStringLiteral("Error, the downloaded update is corrupted!"));
        const QString file = QDir(m_downloads->path()).filePath("bad.deb");
        QVERIFY(!QFile::exists(file));
        QVERIFY(!QFile::exists(file + ".part"));
        QVERIFY(log.contains("the downloaded update is deleted"));
        // Once more, and it fails the same way; Cancel leaves the program running.
        const int requests = m_server->requests.size();
        again->button(QMessageBox::Ok)->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_server->requests.size() == requests + 1 &&
                                     visibleBox("Press OK to download again."),
                                 kWait);
        visibleBox("Press OK to download again.")->button(QMessageBox::Cancel)->click();
        QVERIFY(!updater->downloader()->isVisible());
        QCOMPARE(done.size(), 0);
        QVERIFY(m_opened.isEmpty());
        QVERIFY(QDir(m_downloads->path()).isEmpty());
    }

    void anOpenUrlOpensThePageAndDownloadsNothing()
    {
        m_releases = QJsonArray{
            QJsonObject{{"latest-version", "3.7"}, {"open-url", "https://winkwell.test/news"}}};
        auto updater = makeUpdater();
        QVERIFY(checkAndAccept(*updater));
        QCOMPARE(m_opened, QList<QUrl>{QUrl("https://winkwell.test/news")});
        QCOMPARE(m_server->requests.size(), 1);
        QVERIFY(!updater->downloader()->isVisible());
    }

    void misbehavingFeedsOfferNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("logged");
        QTest::newRow("five redirects") << "/redirect/4" << true << "redirected";
        QTest::newRow("six redirects") << "/redirect/5" << false << "more than 5 redirects";
        QTest::newRow("redirect loop") << "/loop" << false << "more than 5 redirects";
        QTest::newRow("down to http") << "/to-http" << false << "away from https";
        QTest::newRow("50 MB") << "/huge" << false << "larger than";
        QTest::newRow("50 MB unsized") << "/huge-unsized" << false << "larger than";
        QTest::newRow("50 MB error page") << "/huge-error" << false << "larger than";
        QTest::newRow("not json") << "/garbage" << false << "no JSON object";
        QTest::newRow("missing") << "/nothing-here" << false << "could not be fetched";
    }

    void misbehavingFeedsOfferNothing()
    {
        QFETCH(QString, path);
        QFETCH(bool, offered);
        QFETCH(QString, logged);
        LogCapture log;
        auto updater = makeUpdater(path);
        QSignalSpy finished(updater.get(), &Updater::checkingFinished);
        updater->checkForUpdates();
        QVERIFY(finished.wait(kWait));
        QCOMPARE(updater->updateAvailable(), offered);
        QCOMPARE(visibleBox("has been released") != nullptr, offered);
        QVERIFY2(log.contains(logged), qPrintable(log.all()));
        QVERIFY(m_server->requests.size() <= 6);
    }

    void progressAndTimeRemaining()
    {
        Downloader downloader;
        auto* bar = downloader.findChild<QProgressBar*>("progressBar");
        QMetaObject::invokeMethod(&downloader, "updateProgress", Q_ARG(qint64, 5000),
                                  Q_ARG(qint64, -1));
        QCOMPARE(bar->maximum(), 0);
        QCOMPARE(label(&downloader, "downloadLabel"), QStringLiteral("Downloading updates (4 KB)"));
        QCOMPARE(label(&downloader, "timeLabel"), QStringLiteral("Time remaining: unknown"));
        QMetaObject::invokeMethod(&downloader, "updateProgress", Q_ARG(qint64, qint64(3) * 1048576),
                                  Q_ARG(qint64, qint64(12) * 1048576));
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 25);
        QCOMPARE(label(&downloader, "downloadLabel"),
                 QStringLiteral("Downloading updates (3 MB of 12 MB)"));

        QCOMPARE(Downloader::sizeText(1023), QStringLiteral("1023 bytes"));
        QCOMPARE(Downloader::sizeText(1048575), QStringLiteral("1023 KB"));
        QCOMPARE(Downloader::timeRemainingText(100, 1000, 0), QString());
        QCOMPARE(Downloader::timeRemainingText(5, 1000, 10), QStringLiteral("unknown"));
        QCOMPARE(Downloader::timeRemainingText(1000, 1000, 1), QStringLiteral("1 second"));
        QCOMPARE(Downloader::timeRemainingText(100, 1000, 1), QStringLiteral("9 seconds"));
        QCOMPARE(Downloader::timeRemainingText(100, 9100, 1), QStringLiteral("2 minutes"));
        QCOMPARE(Downloader::timeRemainingText(100, 7300, 1), QStringLiteral("1 minute"));
        QCOMPARE(Downloader::timeRemainingText(1, 7300, 1), QStringLiteral("about 2 hours"));
        QCOMPARE(Downloader::timeRemainingText(1, 4000, 1), QStringLiteral("67 minutes"));
    }

    void theRegistryKeepsOneUpdaterPerAddress()
    {
        QSimpleUpdater registry;
        const QString url = m_server->url("/files/download/updates.json");
        Updater* updater = registry.getUpdater(url);
        QCOMPARE(registry.getUpdater(url), updater);
        QVERIFY(registry.getUpdater(url + "?other") != updater);
        QCOMPARE(updater->platformKey(), QStringLiteral("linux"));
        registry.setEnableBeta(url, true);
        QVERIFY(updater->betaRequired());
        registry.setModuleVersion(url, "3.6.24.1");
        QSignalSpy finished(&registry, &QSimpleUpdater::checkingFinished);
        registry.checkForUpdates(url);
        QVERIFY(finished.wait(kWait));
        QCOMPARE(finished.first().first().toString(), url);
        QVERIFY(!updater->updateAvailable());
    }
};

QTEST_MAIN(TestUpdateCheck)
#include "test_update_check.moc"
