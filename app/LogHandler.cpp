#include "LogHandler.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cstdio>
#include <memory>
#include <utility>

LogFiles::LogFiles(QString folder, qint64 maxBytes, int keptFiles)
    : m_folder(std::move(folder)), m_maxBytes(maxBytes), m_keptFiles(keptFiles)
{
}

bool LogFiles::start()
{
    QDir().mkdir(m_folder);
    cleanUp(m_folder, m_keptFiles);
    QMutexLocker lock(&m_mutex);
    m_currentPath = newFilePath();
    QFile file(m_currentPath);
    if (!file.open(QIODevice::Append)) {
        return false;
    }
    file.close();
    return true;
}

QString LogFiles::currentPath() const
{
    QMutexLocker lock(&m_mutex);
    return m_currentPath;
}

QString LogFiles::newFilePath() const
{
    const QDateTime now = QDateTime::currentDateTime();
    return m_folder + QStringLiteral("/Log_%1__%2.txt")
                          .arg(now.toString(QStringLiteral("yyyy_MM_dd")),
                               now.toString(QStringLiteral("hh_mm_ss_zzz")));
}

QString LogFiles::formatMessage(QtMsgType type, const QString& message)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("Debug: %1").arg(message);
    case QtInfoMsg:
        return QStringLiteral("Info: %1").arg(message);
    case QtWarningMsg:
        return QStringLiteral("Warning: %1").arg(message);
    case QtCriticalMsg:
        return QStringLiteral("Critical: %1").arg(message);
    case QtFatalMsg:
        return QStringLiteral("Fatal: %1").arg(message);
    }
    return QString();
}

void LogFiles::cleanUp(const QString& folder, int keptFiles, const QString& inUse)
{
    const QFileInfoList files =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Time);
    const QString inUsePath = inUse.isEmpty() ? QString() : QFileInfo(inUse).absoluteFilePath();
    // QDir::Time lists the newest first; deleting the stderr log would only unlink it while
    // descriptor 2 goes on writing into the nameless file.
    int count = files.size();
    for (int i = files.size() - 1; i >= 0 && count > keptFiles; --i) {
        const QFileInfo& file = files.at(i);
        if (file.fileName() == QLatin1String(stderrLogName) ||
            file.absoluteFilePath() == inUsePath) {
            continue;
        }
        if (QFile::remove(file.absoluteFilePath())) {
            --count;
        }
    }
}

Q_LOGGING_CATEGORY(logFileOnly, "winkwell.fileonly")

void LogFiles::write(QtMsgType type, const QString& message, bool fileOnly)
{
    QMutexLocker lock(&m_mutex);
    if (QFileInfo(m_currentPath).size() > m_maxBytes) {
        cleanUp(m_folder, m_keptFiles, m_currentPath);
        m_currentPath = newFilePath();
    }
    const QString text = formatMessage(type, message);
    // Opened per message so the file is never held between messages.
    QFile file(m_currentPath);
    if (file.open(QIODevice::Append | QIODevice::Text)) {
        file.write((QDateTime::currentDateTimeUtc().toString(Qt::ISODate) + text + '\n').toUtf8());
    }
    if (fileOnly) {
        return;
    }
    const QByteArray console = text.toLocal8Bit();
    std::fwrite(console.constData(), 1, static_cast<size_t>(console.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

namespace {

// Process-wide by nature: the framework's message handler is a plain function. Never deleted: a
// thread that outlives main() may still log while static objects are destroyed.
std::atomic<LogFiles*> g_installedLogFiles{nullptr};

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (LogFiles* logFiles = g_installedLogFiles.load()) {
        logFiles->write(type, message,
                        context.category &&
                            qstrcmp(context.category, logFileOnly().categoryName()) == 0);
    }
}

} // namespace

bool installLogHandler(const QString& logFolder)
{
    auto logFiles = std::make_unique<LogFiles>(logFolder);
    if (!logFiles->start()) {
        return false;
    }
    // A handler installed earlier (tests install several) is left alive for the same reason.
    g_installedLogFiles.store(logFiles.release());
    qInstallMessageHandler(messageHandler);
    return true;
}

QString currentLogFilePath()
{
    const LogFiles* logFiles = g_installedLogFiles.load();
    return logFiles ? logFiles->currentPath() : QString();
}
