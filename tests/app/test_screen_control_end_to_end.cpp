#include "controller/GammaRamp.h"
#include "support/ServerGammaRamp.h"
#include "support/X11Tools.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

// The program as a user runs it, on the test display: its darker hotkey dims the screen through
// the gamma ramp, and the screen's own ramp comes back when it is ended with SIGTERM or SIGHUP,
// within moments of a kill -9, and at the very start of the next run where even its guard was
// killed.
class ScreenControlEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void hotkeyDimsAndEveryEndingRestores();

private:
    std::unique_ptr<QProcess> launch();
    // The dimming level -8..-1 of the program's neutral ramp on the server; 0 for any other.
    int dimmingLevel() const;
    // Presses the darker hotkey until the screen is dimmed, as the program may still be
    // starting; returns the level it settled on, 0 when nothing happened.
    int dimWithTheHotkey();
    // The processes whose parent is pid (the gamma guard of a running program).
    static QList<pid_t> childrenOf(qint64 pid);
    QString marker() const
    {
        return m_home.filePath(QStringLiteral("data/winkwell/gammaramp.saved"));
    }

    QTemporaryDir m_home;
    std::unique_ptr<ServerGammaRamp> m_server;
    ServerGammaRamp::Channels m_original;
};

void ScreenControlEndToEnd::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !hasXdotool()) {
        QSKIP("needs an X display with xdotool");
    }
    m_server = std::make_unique<ServerGammaRamp>();
    QVERIFY(m_server->isValid());
    // A calibrated screen: a ramp of its own that is neither the identity nor one of ours.
    m_original = ServerGammaRamp::identity();
    for (auto& value : m_original[2]) {
        value = static_cast<std::uint16_t>(value * 0.9);
    }
    QVERIFY(m_server->write(m_original));

    // Screen control is on by default; the darker hotkey is one no window manager takes.
    QDir().mkpath(m_home.filePath(QStringLiteral("config/Orvalde")));
    QFile settings(m_home.filePath(QStringLiteral("config/Orvalde/winkwell.conf")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[G]\nHOTKEY_HW_DOWN=Ctrl+Shift+F9\nM=false\nT=false\n");
}

void ScreenControlEndToEnd::cleanupTestCase()
{
    if (m_server && m_server->isValid()) {
        m_server->write(ServerGammaRamp::identity());
    }
}

std::unique_ptr<QProcess> ScreenControlEndToEnd::launch()
{
    const QString home = m_home.path();
    QDir().mkpath(home + "/runtime");
    QFile::setPermissions(home + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_RUNTIME_DIR", home + "/runtime");
    env.insert("QT_QPA_PLATFORM", "xcb");
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setProgram(QStringLiteral(WINKWELL_BIN_DIR "/winkwell"));
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    return process;
}

int ScreenControlEndToEnd::dimmingLevel() const
{
    const ServerGammaRamp::Channels now = m_server->read();
    for (int level = -8; level < 0; ++level) {
        const GammaRamp ramp = CGammaRamp::rampFor(66, level, false);
        if (now[0] == std::vector<std::uint16_t>(ramp.red.begin(), ramp.red.end()) &&
            now[2] == std::vector<std::uint16_t>(ramp.blue.begin(), ramp.blue.end())) {
            return level;
        }
    }
    return 0;
}

int ScreenControlEndToEnd::dimWithTheHotkey()
{
    QDeadlineTimer deadline(30000);
    while (dimmingLevel() == 0 && !deadline.hasExpired()) {
        xdotool({"key", "ctrl+shift+F9"});
        QTest::qWait(300);
    }
    QTest::qWait(500); // a press still on its way lands
    return dimmingLevel();
}

void ScreenControlEndToEnd::hotkeyDimsAndEveryEndingRestores()
{
    // Ended the orderly way: the screen's own ramp is back and nothing is left to undo.
    auto first = launch();
    QVERIFY(first->waitForStarted());
    QVERIFY(dimWithTheHotkey() < 0);
    QVERIFY(QFile::exists(marker()));
    ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
    QVERIFY(first->waitForFinished(20000));
    QCOMPARE(first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server->read(), m_original);
    QVERIFY(!QFile::exists(marker()));

    // The terminal that started it closes: the same orderly end.
    auto hungUp = launch();
    QVERIFY(hungUp->waitForStarted());
    QVERIFY(dimWithTheHotkey() < 0);
    ::kill(static_cast<pid_t>(hungUp->processId()), SIGHUP);
    QVERIFY(hungUp->waitForFinished(20000));
    QCOMPARE(hungUp->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server->read(), m_original);
    QVERIFY(!QFile::exists(marker()));

    // Killed with the screen dimmed: its guard puts the screen's own ramp back at once.
    auto killed = launch();
    QVERIFY(killed->waitForStarted());
    QVERIFY(dimWithTheHotkey() < 0);
    killed->kill();
    QVERIFY(killed->waitForFinished(10000));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->read(), m_original, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(marker()), 2000);

    // The guard killed as well: the next start puts the ramp back before anything else.
    auto unguarded = launch();
    QVERIFY(unguarded->waitForStarted());
    QVERIFY(dimWithTheHotkey() < 0);
    const QList<pid_t> guards = childrenOf(unguarded->processId());
    QCOMPARE(guards.size(), 1);
    ::kill(guards.first(), SIGKILL);
    unguarded->kill();
    QVERIFY(unguarded->waitForFinished(10000));
    QTest::qWait(500);
    QVERIFY(m_server->read() != m_original);
    QVERIFY(QFile::exists(marker()));

    auto next = launch();
    QVERIFY(next->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(m_server->read(), m_original, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(marker()), 5000);
    ::kill(static_cast<pid_t>(next->processId()), SIGTERM);
    QVERIFY(next->waitForFinished(20000));
    QCOMPARE(m_server->read(), m_original);
}

QList<pid_t> ScreenControlEndToEnd::childrenOf(qint64 pid)
{
    QList<pid_t> children;
    QDirIterator entries(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        const QString folder = entries.next();
        QFile stat(folder + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (name) state ppid ...": the name may hold spaces, the last ')' ends it.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest.at(1).toLongLong() == pid) {
            children << static_cast<pid_t>(entries.fileName().toInt());
        }
    }
    return children;
}

QTEST_GUILESS_MAIN(ScreenControlEndToEnd)
#include "test_screen_control_end_to_end.moc"
