#include "platform/MicrophoneUse.h"
#include "platform/ProcessLister.h"
#include "platform/linux/ProcProcessLister.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The process list of the start-up log, read from a /proc-like tree.
class TestProcessLister : public QObject
{
    Q_OBJECT

private:
    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static void addProcess(const QString& root, int pid, const QByteArray& stat,
                           const QString& exe = QString(), const QByteArray& comm = QByteArray(),
                           const QByteArray& cmdline = QByteArray())
    {
        const QString dir = root + QLatin1Char('/') + QString::number(pid);
        QVERIFY(QDir().mkpath(dir));
        write(dir + "/stat", stat);
        if (!exe.isEmpty()) {
            QVERIFY(QFile::link(exe, dir + "/exe"));
        }
        if (!comm.isEmpty()) {
            write(dir + "/comm", comm);
        }
        if (!cmdline.isEmpty()) {
            write(dir + "/cmdline", cmdline);
        }
    }

private slots:
    void readsNamesAndSessions()
    {
        QTemporaryDir root;
        // exe wins over comm; a comm with blanks and parentheses does not shift the fields.
        addProcess(root.path(), 300, "300 (my (odd) name) S 1 300 42 0", "/usr/bin/firefox-esr",
                   "firefox\n");
        addProcess(root.path(), 20, "20 (kthreadd) S 0 0 0 0", QString(), "kthreadd\n");
        addProcess(root.path(), 1000, "1000 (bash) S 1 1000 7 0", QString(), QByteArray(),
                   QByteArray("/bin/bash\0-l\0", 12));
        QVERIFY(QDir().mkpath(root.path() + "/self")); // not a process folder
        addProcess(root.path(), 999, "garbage");       // no name to be had: left out

        const QList<ProcessEntry> processes = ProcProcessLister(root.path()).runningProcesses();
        QCOMPARE(processes.size(), 3);
        QCOMPARE(processes.at(0).name, QString("kthreadd")); // in pid order
        QCOMPARE(processes.at(0).session, qint64(0));
        QCOMPARE(processes.at(1).name, QString("firefox-esr"));
        QCOMPARE(processes.at(1).session, qint64(42));
        QCOMPARE(processes.at(2).name, QString("bash"));
        QCOMPARE(processes.at(2).session, qint64(7));
    }

    // What the pause check reads every second.
    void namesForThePauseCheck()
    {
        QTemporaryDir root;
        addProcess(root.path(), 10, "", "/opt/Video Calls/meeting (deleted)");
        // Another user's process: comm is cut at 15 characters, argv[0] completes it.
        addProcess(root.path(), 11, "", QString(), "gnome-control-c\n",
                   QByteArray("/usr/bin/gnome-control-center\0--overview\0", 42));
        addProcess(root.path(), 12, "", QString(), "MainThread\n",
                   QByteArray("/usr/lib/firefox/firefox\0", 25));
        addProcess(root.path(), 13, "", QString(), QByteArray(), QByteArray("obs", 3));
        addProcess(root.path(), 14, "");

        QStringList names = ProcProcessLister(root.path()).runningProcessNames();
        names.sort();
        QCOMPARE(names, (QStringList{"MainThread", "gnome-control-center", "meeting", "obs"}));
    }

    // Names are kept between calls; a program that replaces itself is seen within the refresh
    // period, a new process at once.
    void namesFollowExecAndNewProcesses()
    {
        QTemporaryDir root;
        const QString exe = root.path() + "/7/exe";
        addProcess(root.path(), 7, "", "/usr/bin/launcher");
        const ProcProcessLister lister(root.path());
        QCOMPARE(lister.runningProcessNames(), QStringList{"launcher"});
        const auto replaceExe = [&exe](const QString& target) {
            QVERIFY(QFile::remove(exe));
            QVERIFY(QFile::link(target, exe));
        };
        replaceExe("/opt/zoom/zoom"); // the launcher's exec, within its first second
        QCOMPARE(lister.runningProcessNames(), QStringList{"zoom"});

        replaceExe("/usr/bin/later");
        int calls = 1;
        while (lister.runningProcessNames() != QStringList{"later"}) {
            QVERIFY(++calls <= ProcProcessLister::refreshPeriod);
        }

        QVERIFY(QDir(root.path() + "/7").removeRecursively());
        QCOMPARE(lister.runningProcessNames(), QStringList{});
        addProcess(root.path(), 7, "", "/usr/bin/reused");
        QCOMPARE(lister.runningProcessNames(), QStringList{"reused"});
    }

    void lineListsEachNameAndSessionOnce()
    {
        const QList<ProcessEntry> processes{
            {"bash", 7}, {"winkwell", 7}, {"bash", 7}, {"bash", 8}, {"winkwell", 7}};
        QCOMPARE(processListLine(processes), QString(" bash-7 winkwell-7 bash-8"));
        QCOMPARE(processListLine({}), QString());
    }

    // Which other programs record, from the sound server's list of recording streams.
    void recordingProgramsOfOtherProcesses()
    {
        const QString list = QStringLiteral(
            "Source Output #12\n\tDriver: protocol-native.c\n\tSource: 3\n"
            "\tProperties:\n\t\tapplication.name = \"Firefox\"\n"
            "\t\tapplication.process.id = \"4100\"\n"
            "Source Output #13\n\tSource: 1\n\tProperties:\n"
            "\t\tapplication.name = \"winkwell\"\n\t\tapplication.process.id = \"777\"\n"
            "Source Output #14\n\tSource: alsa_output.pci.analog-stereo.monitor\n"
            "\tProperties:\n\t\tapplication.name = \"OBS\"\n"
            "\t\tapplication.process.id = \"5000\"\n"
            "Source Output #15\n\tSource: 3\n\tProperties:\n"
            "\t\tapplication.name = \"Firefox\"\n\t\tapplication.process.id = \"4100\"\n"
            "Source Output #16\n\tSource: 3\n\tProperties:\n"
            "\t\tapplication.process.id = \"6000\"\n");
        QCOMPARE(recordingProgramsInPactlList(list, 777), (QStringList{"?", "Firefox"}));
        QCOMPARE(recordingProgramsInPactlList(QString(), 777), QStringList{});
    }

    void readsTheRealProcessTable()
    {
        const QList<ProcessEntry> processes = ProcProcessLister().runningProcesses();
        bool foundSelf = false;
        for (const ProcessEntry& process : processes) {
            foundSelf = foundSelf || process.name == QStringLiteral("test_processlister");
        }
        QVERIFY(foundSelf);
    }
};

QTEST_GUILESS_MAIN(TestProcessLister)
#include "test_processlister.moc"
