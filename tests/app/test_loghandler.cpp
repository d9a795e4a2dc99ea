#include "app/LogHandler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utime.h>

class TestLogHandler : public QObject
{
    Q_OBJECT

private:
    static void touch(const QString& path, qint64 secondsAgo)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        const time_t when = time(nullptr) - secondsAgo;
        utimbuf times{when, when};
        QCOMPARE(utime(QFile::encodeName(path).constData(), &times), 0);
    }

    static QStringList files(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private slots:
    void lineFormat()
    {
        QTemporaryDir dir;
        LogFiles logs(dir.path());
        QVERIFY(logs.start());
        QVERIFY(QFileInfo(logs.currentPath())
                    .fileName()
                    .contains(QRegularExpression(
                        "^Log_\\d{4}_\\d{2}_\\d{2}__\\d{2}_\\d{2}_\\d{2}_\\d{3}\\.txt$")));
        logs.write(QtDebugMsg, QStringLiteral("x"));
        logs.write(QtWarningMsg, QStringLiteral("careful"));
        QFile file(logs.currentPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        // ISO UTC time directly followed by the level word, no separator.
        QVERIFY2(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}ZDebug: x$")
                     .match(lines.at(0))
                     .hasMatch(),
                 qPrintable(lines.at(0)));
        QVERIFY(lines.at(1).endsWith("ZWarning: careful"));

        QCOMPARE(LogFiles::formatMessage(QtInfoMsg, "i"), QStringLiteral("Info: i"));
        QCOMPARE(LogFiles::formatMessage(QtCriticalMsg, "c"), QStringLiteral("Critical: c"));
        QCOMPARE(LogFiles::formatMessage(QtFatalMsg, "f"), QStringLiteral("Fatal: f"));
    }

    void startKeepsTenNewestFiles()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 12; ++i) {
            touch(dir.filePath(QStringLiteral("old%1.txt").arg(i, 2, 10, QLatin1Char('0'))),
                  1000 - i);
        }
        touch(dir.filePath(".hidden"), 10); // hidden files count too
        // The oldest of all, yet still written to through descriptor 2: it counts, but stays.
        touch(dir.filePath("stderr.log"), 5000);
        LogFiles logs(dir.path());
        QVERIFY(logs.start());
        const QStringList left = files(dir.path());
        // 14 files: the 4 oldest deletable ones go, then a new log file joins the 10 left.
        QCOMPARE(left.size(), 11);
        QVERIFY(left.contains("stderr.log"));
        QVERIFY(!left.contains("old00.txt"));
        QVERIFY(!left.contains("old03.txt"));
        QVERIFY(left.contains("old04.txt"));
        QVERIFY(left.contains(".hidden"));
    }

    void rollsOverPastTheSizeLimit()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 10; ++i) {
            touch(dir.filePath(QStringLiteral("old%1.txt").arg(i)), 1000 - i);
        }
        LogFiles logs(dir.path(), 1000);
        QVERIFY(logs.start());
        const QString first = logs.currentPath();
        QCOMPARE(files(dir.path()).size(), 11);
        QVERIFY(files(dir.path()).contains("old0.txt"));
        const QString line(100, QLatin1Char('a'));
        while (QFileInfo(first).size() <= 1000) {
            logs.write(QtDebugMsg, line);
        }
        QCOMPARE(logs.currentPath(), first); // the limit is checked before each message
        QTest::qWait(2);                     // the new name carries the time in milliseconds
        logs.write(QtDebugMsg, QStringLiteral("after"));
        QVERIFY(logs.currentPath() != first);
        QVERIFY(QFileInfo::exists(logs.currentPath()));
        // The clean-up before the new file removed the oldest, keeping 10 plus the new one.
        QCOMPARE(files(dir.path()).size(), 11);
        QVERIFY(!files(dir.path()).contains("old0.txt"));
    }

    // A controller thread that outlives main() logs while static objects are destroyed.
    void loggingDuringStaticDestructionIsSafe()
    {
        QTemporaryDir dir;
        const pid_t pid = fork();
        if (pid == 0) {
            installLogHandler(dir.path());
            std::thread([] {
                for (;;) {
                    qDebug("late line");
                }
            }).detach();
            QThread::msleep(20);
            std::exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0,
                 qPrintable(QString::number(status)));
    }

    void unwritableFolderReportsFailure()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        LogFiles logs(dir.filePath("file/logs"));
        QVERIFY(!logs.start());
        QVERIFY(!installLogHandler(dir.filePath("file/logs")));
        QVERIFY(currentLogFilePath().isEmpty());
    }

    void installedHandlerCatchesMessagesFromThreads()
    {
        QTemporaryDir dir;
        QVERIFY(installLogHandler(dir.path()));
        QList<QThread*> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([t] {
                for (int i = 0; i < 50; ++i) {
                    qDebug("thread %d line %d", t, i);
                }
            });
            threads.last()->start();
        }
        for (QThread* thread : threads) {
            QVERIFY(thread->wait(5000));
            delete thread;
        }
        const QString path = currentLogFilePath();
        qInstallMessageHandler(nullptr);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 200);
        for (const QString& line : lines) {
            QVERIFY2(
                QRegularExpression("^\\S+ZDebug: thread \\d line \\d+$").match(line).hasMatch(),
                qPrintable(line));
        }
    }
};

QTEST_GUILESS_MAIN(TestLogHandler)
#include "test_loghandler.moc"
