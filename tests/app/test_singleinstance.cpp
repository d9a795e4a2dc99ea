#include "app/SingleInstance.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// One running copy per user: in-process for the protocol, with real processes for what a user
// sees (a second launch exits 0 and raises the first; a killed first copy does not block).
class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QString m_user = QStringLiteral("first");

    // Each test runs as a user of its own, with its own folders.
    QString home() const { return m_home.filePath(m_user); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home());
        env.insert("XDG_DATA_HOME", home() + "/data");
        env.insert("XDG_CONFIG_HOME", home() + "/config");
        env.insert("XDG_RUNTIME_DIR", home() + "/runtime");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }

    QString logText() const
    {
        QString text;
        QDirIterator it(home() + "/data/winkwell/logs", {"Log_*.txt"}, QDir::Files);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly)) {
                text += QString::fromUtf8(file.readAll());
            }
        }
        return text;
    }

    std::unique_ptr<QProcess> launch(const QStringList& arguments = {})
    {
        QDir().mkpath(home() + "/runtime");
        QFile::setPermissions(home() + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment());
        process->setProgram(QStringLiteral(WINKWELL_BIN_DIR "/winkwell"));
        process->setArguments(arguments);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start();
        return process;
    }

private slots:
    void initTestCase() { QVERIFY(m_home.isValid()); }

    void secondObjectTellsTheFirst()
    {
        QTemporaryDir folder;
        SingleInstance first("key", folder.path());
        QVERIFY(first.isPrimary());
        first.listen();
        QSignalSpy started(&first, &SingleInstance::instanceStarted);
        SingleInstance second("key", folder.path());
        QVERIFY(!second.isPrimary());
        QVERIFY(second.notifyPrimary(1000));
        QVERIFY(started.wait(2000));
        SingleInstance other("another-installation", folder.path());
        QVERIFY(other.isPrimary());
    }

    void keyDependsOnInstallationOnly()
    {
        const QString a = SingleInstance::keyFor("winkwell", "", "", "/opt/Winkwell/winkwell");
        QCOMPARE(SingleInstance::keyFor("winkwell", "", "", "/opt/winkwell/WINKWELL"), a);
        QVERIFY(SingleInstance::keyFor("winkwell", "", "", "/home/x/winkwell") != a);
    }

    void secondLaunchRaisesTheFirstAndExits()
    {
        if (!QFile::exists(WINKWELL_BIN_DIR "/winkwell")) {
            QSKIP("the winkwell program is not built");
        }
        auto first = launch();
        QVERIFY(first->waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains("winkwell app class constructed"), 30000);
        const int opened = logText().count("WinkwellGUI::openWindow()");
        QCOMPARE(opened, 1);

        // The second launch must leave the running copy's files alone: its standard-error log,
        // its log files and a crash report it has not logged yet.
        const QString logs = home() + "/data/winkwell/logs";
        QFile stderrLog(logs + "/stderr.log");
        QVERIFY(stderrLog.open(QIODevice::Append));
        stderrLog.write("written by the first copy\n");
        stderrLog.close();
        const QStringList logFiles = QDir(logs).entryList(QDir::Files);
        QFile report(home() + "/data/winkwell/dumps/crash-1-1.txt");
        QVERIFY(report.open(QIODevice::WriteOnly));
        report.close();

        auto second = launch();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(logText().count("WinkwellGUI::openWindow()"), 2, 10000);
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(stderrLog.open(QIODevice::ReadOnly));
        QVERIFY(stderrLog.readAll().contains("written by the first copy"));
        QCOMPARE(QDir(logs).entryList(QDir::Files), logFiles);
        QVERIFY(report.exists());

        // A killed first copy leaves its lock and socket behind; they must not block a start.
        first->kill();
        QVERIFY(first->waitForFinished(5000));
        const int constructed = logText().count("winkwell app class constructed");
        auto third = launch();
        QTRY_COMPARE_WITH_TIMEOUT(logText().count("winkwell app class constructed"),
                                  constructed + 1, 30000);
        QCOMPARE(third->state(), QProcess::Running);
        third->terminate();
        QVERIFY(third->waitForFinished(15000));
    }

    void commandLineChoosesWindowOrTray_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("/m") << "/m" << true;
        QTest::newRow("/M") << "/M" << false;
        QTest::newRow("other") << "--foo" << false;
    }

    void commandLineChoosesWindowOrTray()
    {
        QFETCH(QString, argument);
        QFETCH(bool, hidden);
        if (!QFile::exists(WINKWELL_BIN_DIR "/winkwell")) {
            QSKIP("the winkwell program is not built");
        }
        m_user = QStringLiteral("args") + QString::number(qHash(argument));
        auto process = launch({argument});
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains("winkwell app class constructed"), 30000);
        const QString log = logText();
        QCOMPARE(log.contains("WinkwellGUI::on_toolButton_titleBarClose_clicked()"), hidden);
        QCOMPARE(log.contains("WinkwellGUI::openWindow()"), !hidden);
        // SIGTERM quits in order: every controller ends and the last line is written.
        process->terminate();
        QVERIFY(process->waitForFinished(15000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QVERIFY(logText().contains("WinkwellApplication::~WinkwellApplication()"));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
