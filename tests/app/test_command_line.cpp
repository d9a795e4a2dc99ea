#include "common/Version.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The program from a terminal: --help and --version answer with or without a display, and a
// start without one says so in one line, with no crash report and no process list.
class CommandLineTest : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -1;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QString out;
        QString err;
    };

    Run run(const QStringList& arguments, bool display)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_DATA_HOME", m_home.filePath("data"));
        env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        if (!display) {
            env.remove("DISPLAY");
            env.remove("WAYLAND_DISPLAY");
            env.remove("QT_QPA_PLATFORM");
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(WINKWELL_BIN_DIR "/winkwell"), arguments);
        Run result;
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitCode();
        result.status = process.exitStatus();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    QTemporaryDir m_home;

private slots:
    void helpAndVersionAnswerAnywhere_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("display");
        QTest::addColumn<QString>("printed");
        const QString version = QStringLiteral("winkwell %1\n").arg(kWinkwellVersion);
        QTest::newRow("--version, no display") << "--version" << false << version;
        QTest::newRow("-v, display") << "-v" << true << version;
        QTest::newRow("--help, no display") << "--help" << false << "Usage: winkwell [/m]";
        QTest::newRow("-h, display") << "-h" << true << "--version";
    }

    void helpAndVersionAnswerAnywhere()
    {
        QFETCH(QString, argument);
        QFETCH(bool, display);
        QFETCH(QString, printed);
        const Run result = run({argument}, display);
        QCOMPARE(result.status, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.contains(printed), qPrintable(result.out));
        QCOMPARE(result.err, QString());
    }

    void noDisplayIsOneLineAndNoCrash()
    {
        const Run result = run({}, false);
        QCOMPARE(result.status, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY(result.err.contains("no display"));
        QCOMPARE(result.out, QString());
        QVERIFY(QDir(m_home.filePath("data/winkwell/dumps")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
