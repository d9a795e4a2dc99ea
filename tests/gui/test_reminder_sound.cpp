#include "gui/reminders/BlinkReminderWidget.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

// The reminder's looping sound, heard through a PulseAudio server of the test's own whose only
// sink is a null sink; its monitor is recorded with parecord.
class TestReminderSound : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    bool m_child = qEnvironmentVariableIsSet("WINKWELL_SOUND_CHILD");

    QString socket() const { return m_dir.filePath("pulse.sock"); }

    // Root-mean-square level of 16-bit mono samples in [from, to) seconds.
    static double level(const QByteArray& raw, int rate, double from, double to)
    {
        const auto* samples = reinterpret_cast<const qint16*>(raw.constData());
        const int count = raw.size() / 2;
        const int first = qMin(count, int(from * rate));
        const int last = qMin(count, int(to * rate));
        double sum = 0;
        for (int i = first; i < last; ++i) {
            sum += double(samples[i]) * samples[i];
        }
        return last > first ? std::sqrt(sum / (last - first)) : 0;
    }

private slots:
    void initTestCase()
    {
        if (m_child) {
            return;
        }
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
            QStandardPaths::findExecutable("parecord").isEmpty()) {
            QSKIP("needs pulseaudio and parecord (pulseaudio-utils)");
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        env.insert("HOME", m_dir.path());
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start("pulseaudio",
                       {"--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
                        "--disable-shm=yes", "--load=module-null-sink sink_name=winkwell_test",
                        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket()});
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(socket()) || m_server.state() == QProcess::NotRunning, 10000);
        if (!QFile::exists(socket())) {
            QSKIP(qPrintable("PulseAudio cannot start here: " + m_server.readAll()));
        }
        // Read by the sound library when the first sound is made.
        qputenv("PULSE_SERVER", ("unix:" + socket()).toLocal8Bit());
    }

    void cleanupTestCase()
    {
        m_server.kill();
        m_server.waitForFinished(5000);
    }

    void soundLoopsUntilTheReminderHides()
    {
        if (m_child) {
            QSKIP("the parent process checks the sound");
        }
        const int rate = 8000;
        QProcess recorder;
        recorder.start("parecord", {"--server=unix:" + socket(), "--device=winkwell_test.monitor",
                                    "--raw", "--format=s16le", "--channels=1",
                                    "--rate=" + QString::number(rate), "--latency-msec=50"});
        QVERIFY(recorder.waitForStarted(5000));
        QTest::qWait(300);

        BlinkReminderWidget reminder;
        reminder.rollOut(true);
        QTRY_VERIFY(reminder.isSoundPlaying());
        // The sound lasts 2.5 s; its second play can only come from looping.
        QTest::qWait(6500);
        reminder.rollIn();
        QVERIFY(!reminder.isSoundPlaying());
        QTest::qWait(1000);
        recorder.terminate();
        QVERIFY(recorder.waitForFinished(5000));
        const QByteArray raw = recorder.readAllStandardOutput();
        const double seconds = raw.size() / 2.0 / rate;

        QString levels; // per half second, for the failure message
        double onset = -1;
        for (double t = 0; t < seconds; t += 0.5) {
            const double value = level(raw, rate, t, t + 0.5);
            levels += QString::number(int(value)) + ' ';
            if (onset < 0 && value > 100) {
                onset = t;
            }
        }
        QVERIFY2(onset >= 0, qPrintable("silent: " + levels));
        QVERIFY2(seconds > onset + 5, qPrintable("too short: " + levels));
        const double firstPlay = level(raw, rate, onset, onset + 2.0);
        const double secondPlay = level(raw, rate, onset + 3.0, onset + 4.5);
        const double tail = level(raw, rate, seconds - 0.4, seconds);
        QVERIFY2(firstPlay > 100 && secondPlay > 100, qPrintable(levels));
        QVERIFY2(tail < 20, qPrintable("still heard after hiding: " + levels));
    }

    void withoutASoundServerTheReminderNeverWaits()
    {
        if (m_child) {
            // No server at this address: the reminder must come and go at once, logging once.
            BlinkReminderWidget reminder;
            QElapsedTimer clock;
            clock.start();
            for (int i = 0; i < 3; ++i) {
                reminder.rollOut(true);
                QTest::qWait(400);
                reminder.rollIn();
            }
            QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
            QTest::qWait(3500); // long enough for the sound to give up
            return;
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("WINKWELL_SOUND_CHILD", "1");
        env.insert("PULSE_SERVER", "unix:" + m_dir.filePath("nobody-listens"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"withoutASoundServerTheReminderNeverWaits"});
        QVERIFY(child.waitForFinished(30000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitCode() == 0, qPrintable(output));
        QCOMPARE(output.count("ReminderSound: cannot play"), 1);
    }
};

QTEST_MAIN(TestReminderSound)
#include "test_reminder_sound.moc"
