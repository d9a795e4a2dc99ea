#include "controller/GammaRamp.h"
#include "support/ServerGammaRamp.h"
#include "support/X11Tools.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

// The program as a user runs it, on the test display: its darker hotkey dims the screen through
// the gamma ramp, and the screen's own ramp comes back when it is ended with SIGTERM, and at the
// next start after it was killed.
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

    // Killed with the screen dimmed: the next start puts the screen's own ramp back.
    auto killed = launch();
    QVERIFY(killed->waitForStarted());
    QVERIFY(dimWithTheHotkey() < 0);
    killed->kill();
    QVERIFY(killed->waitForFinished(10000));
    QVERIFY(m_server->read() != m_original);
    QVERIFY(QFile::exists(marker()));

    auto next = launch();
    QVERIFY(next->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(m_server->read(), m_original, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(marker()), 5000);
    ::kill(static_cast<pid_t>(next->processId()), SIGTERM);
    QVERIFY(next->waitForFinished(20000));
    QCOMPARE(m_server->read(), m_original);
}

QTEST_GUILESS_MAIN(ScreenControlEndToEnd)
#include "test_screen_control_end_to_end.moc"
