#include "StatisticsController.h"

#include "MeasurementCsv.h"
#include "MeasurementRecord.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <cmath>

namespace {

const QString kDataKey = QStringLiteral("data");
const QString kPcidKey = QStringLiteral("pcid");
const QString kVersionKey = QStringLiteral("version");
constexpr int kSmallStatisticsSize = 8;
// How often a history file that could not be read is tried again.
constexpr int kReadAgainMs = 30000;

QString threadId()
{
    return QString::number(reinterpret_cast<quintptr>(QThread::currentThreadId()));
}

template <typename T> QVector<T> slice(const QVector<T>& list, int start, int end)
{
    const int last = std::min(end, list.size() - 1);
    if (start > last) {
        return QVector<T>();
    }
    return list.mid(start, last - start + 1);
}

} // namespace

StatisticsController::StatisticsController(QString dataDirectory)
    : m_dataDirectory(std::move(dataDirectory)),
      m_filePath(m_dataDirectory + QStringLiteral("statistics.json")), m_file(m_filePath),
      m_cameraRuns(m_dataDirectory + QStringLiteral("camera-runs.json"))
{
    m_document = loadMeasurementsFromJson(m_filePath);
    m_cameraRuns.load(QDateTime::currentDateTimeUtc());
}

StatisticsController::~StatisticsController()
{
    qDebug() << "StatisticsController::~StatisticsController() thread" << threadId();
}

QJsonObject StatisticsController::loadMeasurementsFromJson(const QString& path)
{
    qDebug() << "StatisticsController::loadMeasurementsFromJson " << threadId() << "path" << path;
    if (m_file.path() != path) {
        m_file = MeasurementFile(path);
    }
    const MeasurementFile::ReadResult read = m_file.read();

    if (read.status == MeasurementFile::ReadStatus::Missing) {
        m_file.reset(MeasurementFile::emptyHistory());
        const MeasurementFile::WriteResult written = m_file.write();
        if (written.ok()) {
            const QFileInfo created(path);
            qDebug() << "StatisticsController: file properties: readable" << created.isReadable()
                     << "writable" << created.isWritable();
        } else {
            qWarning() << "StatisticsController: file properties: readable" << false << "writable"
                       << false << "file cannot be opened" << path << written.error;
        }
        return MeasurementFile::emptyHistory();
    }

    QJsonObject root = MeasurementFile::emptyHistory();
    if (read.status == MeasurementFile::ReadStatus::Unreadable) {
        qWarning() << "StatisticsController: file properties: readable" << read.readable
                   << "writable" << read.writable << "file cannot be opened" << path << read.error
                   << "- left as it is and read again later";
        m_unreadable = true;
        m_notice = tr("Your blink-rate history cannot be read (%1). New measurements are kept "
                      "and saved with it once it can be read again.")
                       .arg(read.error);
        return root;
    }
    qDebug() << "StatisticsController: file properties: readable" << read.readable << "writable"
             << read.writable;
    // An empty file holds nothing to lose; an interrupted non-atomic write leaves one.
    if (read.content.trimmed().isEmpty()) {
        m_file.reset(root);
        const MeasurementFile::WriteResult written = m_file.write();
        if (!written.ok()) {
            qWarning() << "StatisticsController: file cannot be opened" << path << written.error;
        }
        return root;
    }
    const MeasurementFile::ParseResult parsed = MeasurementFile::parse(read.content);
    if (parsed.usable) {
        m_file.adopt(parsed);
        return parsed.root;
    }
    qWarning() << "StatisticsController: damaged file" << path << parsed.problem;
    root = parsed.root;

    // Keep what could not be used for the user instead of writing over it.
    m_file.reset(root);
    const QString aside = m_file.setAside();
    if (aside.isEmpty()) {
        qWarning().noquote() << QStringLiteral("StatisticsController: damaged file cannot be set "
                                               "aside, it stays at \"%1\" and nothing will be "
                                               "written over it")
                                    .arg(path);
        m_writesBlocked = true;
    } else {
        qWarning().noquote()
            << QStringLiteral("StatisticsController: damaged file set aside as \"%1\"").arg(aside);
        m_notice = tr("Your blink-rate history was damaged. It is kept as \"%1\", and a new "
                      "history has begun.")
                       .arg(aside);
        const MeasurementFile::WriteResult written = m_file.write();
        if (!written.ok()) {
            qWarning() << "StatisticsController: file cannot be opened" << path << written.error;
        }
    }
    return root;
}

void StatisticsController::init()
{
    qDebug() << "StatisticsController::init ";
    MeasurementRecord::refreshZone();
    rebuildSeries();
    emitSmallStatistics();
    m_readAgainTimer = new QTimer(this);
    m_readAgainTimer->setInterval(kReadAgainMs);
    connect(m_readAgainTimer, &QTimer::timeout, this, &StatisticsController::readAgain);
    if (m_unreadable) {
        m_readAgainTimer->start();
    }
    if (!m_notice.isEmpty()) {
        emit historyProblem(m_notice);
    }
    emitCameraTime();
    emit statsControllerInitialized();
}

void StatisticsController::rebuildSeries()
{
    const QJsonArray data = m_document.value(kDataKey).toArray();
    m_blinkRates.clear();
    m_lengths.clear();
    m_dateTimes.clear();
    m_blinkRates.reserve(data.size());
    m_lengths.reserve(data.size());
    m_dateTimes.reserve(data.size());
    for (const QJsonValue& element : data) {
        const MeasurementRecord record = MeasurementRecord::fromJson(element.toObject());
        m_dateTimes.append(record.dateTime);
        // One decimal, cut toward zero, as the rate was delivered when it was taken.
        m_blinkRates.append(std::trunc(record.blinkRate * 10.0) / 10.0);
        m_lengths.append(record.length);
    }
}

bool StatisticsController::readAgain()
{
    if (!m_unreadable || m_file.read().status == MeasurementFile::ReadStatus::Unreadable) {
        return !m_unreadable;
    }
    qDebug() << "StatisticsController: the history can be read now" << m_filePath;
    m_unreadable = false;
    if (m_readAgainTimer) {
        m_readAgainTimer->stop();
    }
    const QJsonArray takenMeanwhile = m_document.value(kDataKey).toArray();
    m_notice.clear();
    // Deleted meanwhile: what the file holds was deleted with the rest.
    QJsonObject root = m_deletedWhileUnreadable ? MeasurementFile::emptyHistory()
                                                : loadMeasurementsFromJson(m_filePath);
    m_deletedWhileUnreadable = false;
    QJsonArray data = root.take(kDataKey).toArray();
    for (const QJsonValue& element : takenMeanwhile) {
        data.append(element);
    }
    root.insert(kDataKey, data);
    m_document = root;
    m_file.reset(m_document);
    writeDocument();
    rebuildSeries();
    emitSmallStatistics();
    emit historyProblem(m_notice);
    return true;
}

void StatisticsController::addMeasurement(double blinkRate, QString note, int length)
{
    qDebug() << "StatisticsController::addMeasurement " << threadId();
    readAgain();
    MeasurementRecord record;
    record.blinkRate = blinkRate;
    record.note = std::move(note);
    record.length = length;
    // Whole seconds, so that memory and file hold the same moment.
    MeasurementRecord::refreshZone();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    record.dateTime = MeasurementRecord::localTime(now - now % 1000);
    const QJsonObject element = record.toJson();
    qDebug() << "StC: add measurment" << MeasurementRecord::renderDateTime(record.dateTime);

    // Taking the array out leaves it unshared, so appending does not copy the history.
    QJsonArray data = m_document.take(kDataKey).toArray();
    data.append(element);
    m_document.insert(kDataKey, data);
    m_file.append(m_document, element);
    writeDocument();

    m_blinkRates.append(record.blinkRate);
    m_lengths.append(record.length);
    m_dateTimes.append(record.dateTime);
    emitSmallStatistics();
}

void StatisticsController::createStatistics()
{
    const int n = m_blinkRates.size();
    updateStatistics(std::max(n - kSmallStatisticsSize, 0), n - 1);
}

void StatisticsController::updateStatistics(int start, int end)
{
    // A negative start would index before the first measurement.
    start = std::max(start, 0);
    emit statisticsChanged(slice(m_blinkRates, start, end), slice(m_lengths, start, end),
                           slice(m_dateTimes, start, end), m_blinkRates.size());
}

void StatisticsController::deleteAllMeasurements()
{
    qDebug() << "StatisticsController::deleteAllMeasurements()" << m_blinkRates.size();
    m_blinkRates.clear();
    m_lengths.clear();
    m_dateTimes.clear();
    emitSmallStatistics();
    updateStatistics(0, -1);
    // Nothing of the history is left: whatever else the file carried went with it, to the
    // research server too.
    m_document = MeasurementFile::emptyHistory();
    m_deletedWhileUnreadable = m_unreadable;
    m_file.reset(m_document);
    writeDocument();
}

void StatisticsController::createJsonData(QString lastDateTime, QString pcid)
{
    // Measurements only: what else the file may carry is not the research server's.
    QJsonObject upload{{kDataKey, m_document.value(kDataKey)}};
    QString& text = m_uploadTexts[m_nextUploadText];
    m_nextUploadText = (m_nextUploadText + 1) % m_uploadTexts.size();

    if (!lastDateTime.isEmpty()) {
        const QDateTime serverNewest = MeasurementRecord::parseDateTime(lastDateTime);
        QJsonArray selected;
        if (serverNewest.isValid()) {
            const QJsonArray data = m_document.value(kDataKey).toArray();
            for (const QJsonValue& element : data) {
                const QDateTime taken = MeasurementRecord::fromJson(element.toObject()).dateTime;
                // An unreadable moment cannot be shown to be new.
                if (taken.isValid() && serverNewest < taken) {
                    selected.append(element);
                }
            }
        } else {
            qWarning() << "SC: unreadable last date-time from the server" << lastDateTime;
        }
        upload.insert(kDataKey, selected);
        upload.insert(kVersionKey, QCoreApplication::applicationVersion());
        upload.insert(kPcidKey, pcid);
        text =
            selected.isEmpty() ? QString() : QString::fromUtf8(MeasurementFile::serialize(upload));
    } else {
        upload.insert(kPcidKey, pcid);
        upload.insert(kVersionKey, QCoreApplication::applicationVersion());
        text = QString::fromUtf8(MeasurementFile::serialize(upload));
    }
    qDebug() << "SC: " << text;
    emit measurementsUploadReady(&text);
}

void StatisticsController::exportMeasurements(QString path)
{
    qDebug() << "StatisticsController::exportMeasurements" << path;
    const QFileInfo target(path);
    const QFileInfo history(m_filePath);
    // Also through a link or another spelling of the same path.
    const bool isHistory =
        target.absoluteFilePath() == history.absoluteFilePath() ||
        (target.exists() && target.canonicalFilePath() == history.canonicalFilePath());
    if (isHistory) {
        qWarning() << "StatisticsController: export refused, the path is the history file" << path;
        emit measurementsExported(path, tr("That is the history file itself."));
        return;
    }
    QSaveFile file(path);
    QString error;
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
    } else {
        file.write(MeasurementCsv::fromHistory(m_document.value(kDataKey).toArray()));
        if (!file.commit()) {
            error = file.errorString();
        }
    }
    if (!error.isEmpty()) {
        qWarning() << "StatisticsController: export failed" << path << error;
    }
    emit measurementsExported(path, error);
}

void StatisticsController::quit()
{
    qDebug() << "StatisticsController::quit() emitting finish thread" << threadId();
    emit finished();
}

void StatisticsController::recordCameraRun(CameraRunReport report)
{
    m_cameraRuns.add(report, QDateTime::currentDateTimeUtc());
    emitCameraTime();
}

void StatisticsController::emitCameraTime()
{
    emit cameraTimeChanged(
        m_cameraRuns.summary(QDateTime::currentDateTimeUtc(), QLocale().firstDayOfWeek()));
}

void StatisticsController::emitSmallStatistics()
{
    const int n = m_blinkRates.size();
    const int start = std::max(n - kSmallStatisticsSize, 0);
    emit smallStatisticsChanged(m_blinkRates.mid(start), m_lengths.mid(start),
                                m_dateTimes.mid(start));
}

void StatisticsController::writeDocument()
{
    if (m_unreadable) {
        qWarning() << "StatisticsController: not written, the history file" << m_filePath
                   << "cannot be read yet; the measurements wait until it can";
        return;
    }
    if (m_writesBlocked) {
        qWarning() << "StatisticsController: addMeasurement file cannot be opened" << m_filePath
                   << "a file that could not be set aside is in the way";
        return;
    }
    const MeasurementFile::WriteResult written = m_file.write();
    if (written.status == MeasurementFile::WriteStatus::OpenFailed) {
        qWarning() << "StatisticsController: addMeasurement file cannot be opened" << m_filePath
                   << written.error;
    } else if (written.status == MeasurementFile::WriteStatus::WriteFailed) {
        qWarning() << "StatisticsController: addMeasurement file cannot be written" << m_filePath
                   << written.error;
    }
}
