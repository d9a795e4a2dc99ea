#include "app/CrashReporter.h"
#include "app/CrashReportingThread.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class TestCrashReporter : public QObject
{
    Q_OBJECT

private:
    // Never returns: each call keeps its frame alive until the stack runs out. Called through
    // a volatile pointer, which the compiler cannot see through.
    static int recurse(int depth)
    {
        static int (*volatile next)(int) = recurse;
        volatile char frame[4096];
        frame[0] = static_cast<char>(depth);
        return next(depth + 1) + frame[0];
    }

    // Crashes a child process with the signal and returns the status it ended with.
    static int crashChild(const QString& dumpFolder, int signal)
    {
        const pid_t pid = fork();
        if (pid == 0) {
            startCrashReporter(dumpFolder, QStringLiteral("/opt/winkwell/winkwell"),
                               QStringLiteral("/tmp/stderr.log"));
            ::raise(signal);
            _exit(0); // not reached when the signal ends the process
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }

private slots:
    void reportIsWrittenAndSignalStillEndsTheProcess_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("name");
        QTest::newRow("segv") << int(SIGSEGV) << "SIGSEGV";
        QTest::newRow("abort") << int(SIGABRT) << "SIGABRT";
        QTest::newRow("fpe") << int(SIGFPE) << "SIGFPE";
    }

    void reportIsWrittenAndSignalStillEndsTheProcess()
    {
        QFETCH(int, signal);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString dumps = dir.filePath("dumps");
        const int status = crashChild(dumps, signal);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), signal);

        const QStringList reports = QDir(dumps).entryList({"crash-*.txt"}, QDir::Files);
        QCOMPARE(reports.size(), 1);
        QFile report(QDir(dumps).filePath(reports.first()));
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(report.readAll());
        QVERIFY2(text.startsWith(QStringLiteral("signal %1 %2\n").arg(signal).arg(name)),
                 qPrintable(text));
        QVERIFY(text.contains("version 3.6.24.0"));
        QVERIFY(text.contains("program /opt/winkwell/winkwell"));
        QVERIFY(text.contains("backtrace:\n"));
        QVERIFY(text.section("backtrace:\n", 1).count('\n') >= 2);
    }

    // The program's controller threads overflow their stacks like any other; the handler then
    // needs a stack of its own in that thread.
    void stackOverflowInAWorkerThreadIsReported()
    {
        QTemporaryDir dir;
        const QString dumps = dir.filePath("dumps");
        const pid_t pid = fork();
        if (pid == 0) {
            startCrashReporter(dumps, QStringLiteral("/opt/winkwell/winkwell"),
                               QStringLiteral("/tmp/stderr.log"));
            CrashReportingThread thread;
            QObject worker;
            worker.moveToThread(&thread);
            thread.start();
            QMetaObject::invokeMethod(
                &worker, [] { recurse(1); }, Qt::QueuedConnection);
            thread.wait(20000);
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGSEGV);
        const QStringList reports = QDir(dumps).entryList({"crash-*.txt"}, QDir::Files);
        QCOMPARE(reports.size(), 1);
    }

    void reportsAreLoggedOnce()
    {
        QTemporaryDir dir;
        const QString dumps = dir.filePath("dumps");
        crashChild(dumps, SIGSEGV);
        const QStringList first = takeUnreportedCrashReports(dumps);
        QCOMPARE(first.size(), 1);
        QVERIFY(QFile::exists(first.first())); // kept for the user, only marked
        QVERIFY(takeUnreportedCrashReports(dumps).isEmpty());
    }

    void unusableFolderDisablesReports()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!startCrashReporter(dir.filePath("file/dumps"), "p", "e"));
    }
};

QTEST_GUILESS_MAIN(TestCrashReporter)
#include "test_crashreporter.moc"
