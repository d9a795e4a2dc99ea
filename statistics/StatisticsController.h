#pragma once

#include "CameraRunLog.h"
#include "MeasurementFile.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>
#include <array>

// Keeps the blink-rate history: "statistics.json" in the data folder and three parallel lists
// in the same order. Lives in a worker thread of its own; every slot runs there.
// A file that was read and does not parse is set aside and a new history begins. One that
// cannot be read at all (permissions, an I/O error, a home folder not mounted yet) stays where
// it is and nothing is written over it: it is read again now and then, and the measurements
// taken meanwhile join it then.
class StatisticsController : public QObject
{
    Q_OBJECT

public:
    // dataDirectory ends with "/". The file is read at once; the lists stay empty until init().
    explicit StatisticsController(QString dataDirectory);
    ~StatisticsController() override;

    QJsonObject loadMeasurementsFromJson(const QString& path);

    const QVector<double>& blinkRates() const { return m_blinkRates; }
    const QVector<int>& lengths() const { return m_lengths; }
    const QVector<QDateTime>& dateTimes() const { return m_dateTimes; }
    const QJsonObject& document() const { return m_document; }
    const QString& filePath() const { return m_filePath; }
    MeasurementFile& file() { return m_file; }
    const CameraRunLog& cameraRuns() const { return m_cameraRuns; }

public slots:
    void init();
    void addMeasurement(double blinkRate, QString note, int length);
    void createStatistics();
    void updateStatistics(int start, int end);
    void deleteAllMeasurements();
    void createJsonData(QString lastDateTime, QString pcid);
    // Writes the whole history as CSV to path; never to the history file itself.
    void exportMeasurements(QString path);
    // A camera run ended just now.
    void recordCameraRun(CameraRunReport report);
    void quit();

signals:
    // Date-times are local wall times; each carries the local offset of its own moment.
    void statisticsChanged(QVector<double> blinkRates, QVector<int> lengths,
                           QVector<QDateTime> dateTimes, int allMeasurementSize);
    void smallStatisticsChanged(QVector<double> blinkRates, QVector<int> lengths,
                                QVector<QDateTime> dateTimes);
    void finished();
    // The text behind the pointer is never changed while a receiver may still read it: each
    // build goes to the next of four slots, so a lent text stays as it is until three further
    // uploads have been built, and it lives as long as the controller. The receiver copies it
    // in its slot, before it asks for the next upload.
    void measurementsUploadReady(QString* uploadText);
    void statsControllerInitialized();
    // error is empty when the whole file was written.
    void measurementsExported(QString path, QString error);
    // What the user should know about the history file; empty once all is well again.
    void historyProblem(QString notice);
    // The camera time of today and this week and the last runs, after each run.
    void cameraTimeChanged(CameraTimeSummary summary);

private:
    void emitSmallStatistics();
    void emitCameraTime();
    void writeDocument();
    void rebuildSeries();
    // Reads a file that could not be read before; true when it could now.
    bool readAgain();

    QString m_dataDirectory;
    QVector<double> m_blinkRates;
    QVector<int> m_lengths;
    QVector<QDateTime> m_dateTimes;
    QJsonObject m_document;
    QString m_filePath;
    MeasurementFile m_file;
    // Set when a damaged file could not be moved away: writing would destroy it.
    bool m_writesBlocked = false;
    // The file exists but could not be read: nothing is written until it can be.
    bool m_unreadable = false;
    bool m_deletedWhileUnreadable = false;
    QTimer* m_readAgainTimer = nullptr;
    QString m_notice;
    CameraRunLog m_cameraRuns;
    std::array<QString, 4> m_uploadTexts;
    std::size_t m_nextUploadText = 0;
};
