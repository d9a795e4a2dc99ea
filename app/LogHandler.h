#pragma once

#include <QLoggingCategory>
#include <QMutex>
#include <QString>
#include <QtGlobal>

// Messages of this category go to the log file only, not to the terminal (the process list).
Q_DECLARE_LOGGING_CATEGORY(logFileOnly)

// Size-limited log files in one folder: a new file past 512000 bytes, at most 10 files kept.
class LogFiles
{
public:
    static constexpr qint64 defaultMaxBytes = 512000;
    static constexpr int defaultKeptFiles = 10;

    explicit LogFiles(QString folder, qint64 maxBytes = defaultMaxBytes,
                      int keptFiles = defaultKeptFiles);

    // Creates the folder, cleans it up and picks the first file; false when it cannot be opened.
    bool start();
    // Appends one stamped line (rolling over first when the file is too large) and echoes the
    // unstamped text to standard output unless fileOnly.
    void write(QtMsgType type, const QString& message, bool fileOnly = false);
    QString currentPath() const;

    static QString formatMessage(QtMsgType type, const QString& message);
    // Deletes the oldest files until at most keptFiles remain. Every file counts, but the files
    // still written to (the standard-error log, and the path given) are never deleted.
    static void cleanUp(const QString& folder, int keptFiles, const QString& inUse = QString());

    static constexpr const char* stderrLogName = "stderr.log";

private:
    QString newFilePath() const;

    mutable QMutex m_mutex;
    QString m_folder;
    qint64 m_maxBytes;
    int m_keptFiles;
    QString m_currentPath;
};

// Sends every message of the framework to the log files of this folder. False (and the default
// output stays) when no log file can be opened there. The log files live until the process
// ends, so that threads still running during static destruction can log safely.
bool installLogHandler(const QString& logFolder);

// The file the installed handler writes to now; empty when none is installed.
QString currentLogFilePath();
