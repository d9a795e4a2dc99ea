#include "NetTestSupport.h"
#include "network/Endpoints.h"
#include "network/MachineIdentity.h"
#include "network/ProxyCredentials.h"
#include "network/ServerController.h"
#include "network/update/ReleaseVersion.h"
#include "network/update/UpdateDefinition.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// JSON written with single quotes, which no test text needs.
QByteArray js(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}
} // namespace

// The plain parts under the network code: the release-number rule, the update definition, the
// checksums, the machine identifier, the scrambled proxy credentials and the addresses.
class TestNetworkParts : public QObject
{
    Q_OBJECT

private slots:
    void versionComparison_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<bool>("newer");
        QTest::newRow("fourth part") << "3.6.24.0"
                                     << "3.6.24.1" << true;
        QTest::newRow("longer, same start") << "3.6.24.0"
                                            << "3.6.24.0.1" << false;
        QTest::newRow("shorter, same start") << "3.6.24.0"
                                             << "3.6.24" << false;
        QTest::newRow("same") << "3.6.24.0"
                              << "3.6.24.0" << false;
        QTest::newRow("minor") << "3.6.24.0"
                               << "3.7" << true;
        QTest::newRow("older") << "3.6.24.0"
                               << "3.5.99" << false;
        QTest::newRow("numbers, not text") << "9.9"
                                           << "10.0" << true;
        QTest::newRow("leading zeros") << "3.6.24.0"
                                       << "3.6.024.1" << true;
        QTest::newRow("nine digits") << "3.6.24.0"
                                     << "3.999999999" << true;
        QTest::newRow("huge number") << "3.6.24.0"
                                     << "3.99999999999999999999" << false;
        QTest::newRow("letters") << "3.6.24.0"
                                 << "3.7.x" << false;
        QTest::newRow("suffix") << "3.6.24.0"
                                << "3.7-beta" << false;
        QTest::newRow("empty part") << "3.6.24.0"
                                    << "3..7" << false;
        QTest::newRow("empty") << "3.6.24.0"
                               << "" << false;
        QTest::newRow("sign") << "3.6.24.0"
                              << "3.+7" << false;
        QTest::newRow("space") << "3.6.24.0"
                               << " 3.7" << false;
        QTest::newRow("other digits") << "3.6.24.0" << QString::fromUtf8("３.７") << false;
        QTest::newRow("installed unreadable") << "dev"
                                              << "9.9" << false;
    }

    void versionComparison()
    {
        QFETCH(QString, installed);
        QFETCH(QString, candidate);
        QFETCH(bool, newer);
        QCOMPARE(ReleaseVersion::isNewer(installed, candidate), newer);
    }

    void definitionChoice_data()
    {
        QTest::addColumn<QByteArray>("releases"); // the "linux" array, or a whole body
        QTest::addColumn<bool>("beta");
        QTest::addColumn<QString>("version"); // empty: no update
        QTest::addColumn<QString>("logged");
        const QByteArray good = js("{'latest-version':'3.7','download-url':'https://h/a.deb',"
                                   "'md5':'97384261b8bbf966df16e5ad509922db','size-in-mb':12}");
        QTest::newRow("one newer") << "[" + good + "]" << false << "3.7"
                                   << "";
        QTest::newRow("beta ignored")
            << js("[{'latest-version':'3.8','beta':true,'download-url':'https://h/b',"
                  "'md5':'97384261b8bbf966df16e5ad509922db'},") +
                   good + "]"
            << false << "3.7"
            << "";
        QTest::newRow("beta wanted")
            << js("[{'latest-version':'3.8','beta':true,'download-url':'https://h/b',"
                  "'md5':'97384261b8bbf966df16e5ad509922db'},") +
                   good + "]"
            << true << "3.8"
            << "";
        QTest::newRow("open-url needs no checksum")
            << js("[{'latest-version':'3.7','open-url':'https://h/news'}]") << false << "3.7"
            << "";
        QTest::newRow("not json") << QByteArray("<html>") << false << ""
                                  << "no JSON object";
        QTest::newRow("array body") << QByteArray("!") << false << ""
                                    << "no JSON object";
        QTest::newRow("no updates") << js("{}") << false << ""
                                    << "lists no releases";
        QTest::newRow("not an element") << js("[3]") << false << ""
                                        << "no object";
        QTest::newRow("version a number") << js("[{'latest-version':3.7}]") << false << ""
                                          << "latest-version";
        QTest::newRow("version huge") << js("[{'latest-version':'3.7777777777777'}]") << false << ""
                                      << "latest-version";
        QTest::newRow("beta a text") << js("[{'latest-version':'3.7','beta':'no'}]") << false << ""
                                     << "beta";
        QTest::newRow("size a text")
            << js("[{'latest-version':'3.7','size-in-mb':'12'}]") << false << ""
            << "size-in-mb";
        QTest::newRow("size a fraction")
            << js("[{'latest-version':'3.7','download-url':'https://h/a.deb',"
                  "'md5':'97384261b8bbf966df16e5ad509922db','size-in-mb':1.5}]")
            << false << "3.7"
            << "";
        QTest::newRow("size below zero")
            << js("[{'latest-version':'3.7','size-in-mb':-1}]") << false << ""
            << "size-in-mb";
        QTest::newRow("md5 an object")
            << js("[{'latest-version':'3.7','download-url':'https://h/a','md5':{}}]") << false << ""
            << "text field";
        QTest::newRow("plain http download")
            << js("[{'latest-version':'3.7','download-url':'http://h/a',"
                  "'md5':'97384261b8bbf966df16e5ad509922db'}]")
            << false << ""
            << "download-url";
        QTest::newRow("short md5")
            << js("[{'latest-version':'3.7','download-url':'https://h/a','md5':'abc'}]") << false
            << ""
            << "md5";
        QTest::newRow("bad sha256")
            << js("[{'latest-version':'3.7','download-url':'https://h/a',"
                  "'md5':'97384261b8bbf966df16e5ad509922db','sha256':'zz'}]")
            << false << ""
            << "sha256";
        QTest::newRow("open-url not web")
            << js("[{'latest-version':'3.7','open-url':'file:///etc/passwd'}]") << false << ""
            << "open-url";
    }

    void definitionChoice()
    {
        QFETCH(QByteArray, releases);
        QFETCH(bool, beta);
        QFETCH(QString, version);
        QFETCH(QString, logged);
        const QByteArray body =
            releases.startsWith('[') ? js("{'updates':{'linux':") + releases + "}}" : releases;
        LogCapture log;
        const UpdateChoice choice = chooseUpdate(body, "linux", "3.6.24.0", beta);
        QCOMPARE(choice.available, !version.isEmpty());
        if (choice.available) {
            QCOMPARE(choice.release.version, version);
        }
        if (!logged.isEmpty()) {
            QVERIFY2(log.contains(QStringLiteral("Updater: ")) && log.contains(logged),
                     qPrintable(log.all()));
        }
    }

    void definitionDetails()
    {
        // Of two equal highest versions the first supplies the address and checksum; case in
        // a checksum carries no meaning; other platforms' lists are not read.
        const QByteArray body =
            js("{'updates':{'windows':[{'latest-version':'9.0'}],'linux':["
               "{'latest-version':'3.6.25','download-url':'https://h/first.deb',"
               "'md5':'97384261B8BBF966DF16E5AD509922DB','size-in-mb':12,'changelog':'c'},"
               "{'latest-version':'3.6.25','download-url':'https://h/second.deb',"
               "'md5':'00000000000000000000000000000000'}]}}");
        const UpdateChoice choice = chooseUpdate(body, "linux", "3.6.24.0", false);
        QVERIFY(choice.available);
        QCOMPARE(choice.release.downloadUrl, QUrl("https://h/first.deb"));
        QCOMPARE(choice.release.md5, QStringLiteral("97384261b8bbf966df16e5ad509922db"));
        QCOMPARE(choice.release.sizeInMb, 12.0);
        QCOMPARE(choice.release.changelog, QStringLiteral("c"));
        QVERIFY(!chooseUpdate(body, "linux", "3.6.25.0", false).available);
        QVERIFY(!chooseUpdate(body, "macos", "3.6.24.0", false).available);

        // The size as the prompt shows it.
        const QList<QPair<double, QString>> sizes{{0, "0"},     {12, "12"},    {1.5, "1.5"},
                                                  {0.3, "0.3"}, {0.04, "0.1"}, {12.34, "12.4"},
                                                  {12.96, "13"}};
        for (const auto& size : sizes) {
            QCOMPARE(sizeInMbText(size.first), size.second);
        }
    }

    void checksums()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("installer.deb");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("installer");
        file.close();
        const QString md5 = "97384261b8bbf966df16e5ad509922db";
        const QString sha = "9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c";
        QCOMPARE(checksumProblem(path, md5, QString()), QString());
        QCOMPARE(checksumProblem(path, md5, sha), QString());
        QVERIFY(checksumProblem(path, QString(32, '0'), sha).contains("MD5"));
        QVERIFY(checksumProblem(path, md5, QString(64, '0')).contains("SHA-256"));
        QVERIFY(checksumProblem(dir.filePath("missing"), md5, sha).contains("cannot be read"));
    }

    void pcidRule()
    {
        const QByteArray machine = "0123456789abcdef0123456789abcdef";
        const QString pcid = MachineIdentity::pcidFor(machine);
        QCOMPARE(pcid, QStringLiteral("cc084af8d5a52060adaf531da06a9a2ca4962b4b"));
        QCOMPARE(MachineIdentity::pcidFor(machine), pcid);
        QVERIFY(!pcid.contains(QString::fromLatin1(machine.left(8))));
        QCOMPARE(MachineIdentity::pcidFor(QByteArray()), QString());
        const QString here = MachineIdentity::pcidFor(MachineIdentity::machineId());
        QVERIFY(here.isEmpty() || QRegularExpression("^[0-9a-f]{40}$").match(here).hasMatch());
    }

    void lastDateQueryEscapesThePcid()
    {
        for (const QString& pcid : {QStringLiteral("abc"), QStringLiteral("a\"b\\c\n\t"),
                                    QString::fromUtf8("ž\u0001"), QString()}) {
            const QByteArray body = ServerController::lastDateQuery(pcid);
            QJsonParseError error{};
            const QJsonObject object = QJsonDocument::fromJson(body, &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(object.value("pcid").toString(), pcid);
            QVERIFY(body.startsWith("{\"pcid\":"));
            QVERIFY(body.endsWith(",\"data\":[]}"));
        }
    }

    void scrambledCredentials()
    {
        const QByteArray here = "machine-one";
        for (const QString& clear :
             {QStringLiteral("s3cret"), QString::fromUtf8("pässwörd ✓"), QString(1000, 'x')}) {
            const QString stored = ProxyCredentials::scramble(clear, here);
            QVERIFY(stored.startsWith("wk1:"));
            QVERIFY(!stored.contains(clear));
            QCOMPARE(ProxyCredentials::unscramble(stored, here).value_or("?"), clear);
            // Bound to the machine, and never the same text twice.
            QVERIFY(!ProxyCredentials::unscramble(stored, "machine-two"));
            QVERIFY(ProxyCredentials::scramble(clear, here) != stored);
        }
        QCOMPARE(ProxyCredentials::scramble(QString(), here), QString());
        QCOMPARE(ProxyCredentials::unscramble(QString(), here).value_or("?"), QString());
        QVERIFY(!ProxyCredentials::unscramble("password-in-clear", here));
        QVERIFY(!ProxyCredentials::unscramble("wk1:!!!", here));
        QVERIFY(!ProxyCredentials::unscramble("wk1:AAAA", here));
    }

    void addressesAndTheirOverrides()
    {
        for (const char* name : {"WINKWELL_RESEARCH_SERVER", "WINKWELL_RESEARCH_CREDENTIAL",
                                 "WINKWELL_UPDATE_URL", "WINKWELL_CA_FILE"}) {
            qunsetenv(name);
        }
        QCOMPARE(Endpoints::researchStatsUrl().scheme(), QStringLiteral("https"));
        QCOMPARE(Endpoints::researchStatsUrl().path(), QStringLiteral("/api/0.1/stats"));
        QVERIFY(Endpoints::researchCredential().startsWith("Basic "));
        QCOMPARE(Endpoints::researchCredential().size(), 6 + 34);
        QCOMPARE(Endpoints::updateDefinitionUrl().path(),
                 QStringLiteral("/files/download/updates.json"));
        QCOMPARE(Endpoints::tlsConfiguration().peerVerifyMode(), QSslSocket::VerifyPeer);

        qputenv("WINKWELL_RESEARCH_SERVER", "stats.example.org:8443");
        QCOMPARE(Endpoints::researchStatsUrl(),
                 QUrl("https://stats.example.org:8443/api/0.1/stats"));
        qputenv("WINKWELL_RESEARCH_CREDENTIAL", "Basic b3duOnRva2Vu");
        QCOMPARE(Endpoints::researchCredential(), QByteArray("Basic b3duOnRva2Vu"));
        qputenv("WINKWELL_UPDATE_URL", "https://updates.example.org/u.json");
        QCOMPARE(Endpoints::updateDefinitionUrl(), QUrl("https://updates.example.org/u.json"));

        // A setting that cannot be used switches the feature off; it never falls back.
        LogCapture log;
        qputenv("WINKWELL_RESEARCH_SERVER", "stats.example.org/other/path");
        QVERIFY(Endpoints::researchStatsUrl().isEmpty());
        qputenv("WINKWELL_UPDATE_URL", "http://updates.example.org/u.json");
        QVERIFY(Endpoints::updateDefinitionUrl().isEmpty());
        QTemporaryDir dir;
        QFile junk(dir.filePath("ca.pem"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a certificate");
        junk.close();
        qputenv("WINKWELL_CA_FILE", junk.fileName().toLocal8Bit());
        QCOMPARE(Endpoints::tlsConfiguration().peerVerifyMode(), QSslSocket::VerifyPeer);
        QVERIFY(log.contains("WINKWELL_RESEARCH_SERVER"));
        QVERIFY(log.contains("WINKWELL_UPDATE_URL"));
        QVERIFY(log.contains("WINKWELL_CA_FILE"));
        for (const char* name : {"WINKWELL_RESEARCH_SERVER", "WINKWELL_RESEARCH_CREDENTIAL",
                                 "WINKWELL_UPDATE_URL", "WINKWELL_CA_FILE"}) {
            qunsetenv(name);
        }
    }
};

QTEST_GUILESS_MAIN(TestNetworkParts)
#include "test_network_parts.moc"
