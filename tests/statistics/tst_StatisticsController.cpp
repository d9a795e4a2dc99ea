#include "common/SharedTypes.h"
#include "statistics/CameraRunLog.h"
#include "statistics/MeasurementCsv.h"
#include "statistics/MeasurementFile.h"
#include "statistics/StatisticsController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

// Collects every log line while alive, so a test can ask whether a failure was reported.
class LogCapture
{
public:
    LogCapture()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }

    bool contains(const QString& pattern) const
    {
        QMutexLocker lock(&s_mutex);
        const QRegularExpression re(pattern);
        for (const QString& line : s_lines) {
            if (re.match(line).hasMatch()) {
                return true;
            }
        }
        return false;
    }
    QString all() const
    {
        QMutexLocker lock(&s_mutex);
        return s_lines.join(QLatin1Char('\n'));
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        QMutexLocker lock(&s_mutex);
        s_lines.append(message);
    }
    static QMutex s_mutex;
    static QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};
QMutex LogCapture::s_mutex;
QStringList LogCapture::s_lines;

// Sets the process time zone for one test; POSIX zone strings need no zone database.
class ZoneScope
{
public:
    explicit ZoneScope(const QByteArray& zone)
        : m_old(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope()
    {
        if (m_had) {
            qputenv("TZ", m_old);
        } else {
            qunsetenv("TZ");
        }
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};

// Qt 5.15's JSON parser leaks the first of two equal keys; allocations made while this is alive
// are not reported as leaks.
class IgnoreParserLeaks
{
public:
    explicit IgnoreParserLeaks(bool active) : m_active(active)
    {
#if defined(__SANITIZE_ADDRESS__)
        if (m_active)
            __lsan_disable();
#endif
    }
    ~IgnoreParserLeaks()
    {
#if defined(__SANITIZE_ADDRESS__)
        if (m_active)
            __lsan_enable();
#endif
    }

private:
    [[maybe_unused]] bool m_active;
};

QString dataDir(const QTemporaryDir& dir)
{
    return dir.path() + QLatin1Char('/');
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), qint64(content.size()));
}

QJsonObject readRoot(const QString& path)
{
    return QJsonDocument::fromJson(readFile(path)).object();
}

// Measurement i: length 100 + i, rate 10 + i, taken on day i at 10:00 one hour east of UTC.
QJsonObject element(int i)
{
    QJsonObject e;
    e.insert("blinkrate", 10.0 + i);
    e.insert("datetime",
             QDateTime(QDate(2024, 1, 1).addDays(i), QTime(10, 0, 0), Qt::OffsetFromUTC, 3600)
                 .toString(Qt::ISODate));
    e.insert("length", 100 + i);
    e.insert("note", QStringLiteral("note %1").arg(i));
    return e;
}

QJsonObject history(int count)
{
    QJsonArray data;
    for (int i = 0; i < count; ++i) {
        data.append(element(i));
    }
    QJsonObject root;
    root.insert("data", data);
    return root;
}

void writeRoot(const QString& dir, const QJsonObject& root)
{
    writeFile(dir + "statistics.json", QJsonDocument(root).toJson(QJsonDocument::Indented));
}

QVector<int> lengthsOf(const QList<QVariant>& arguments)
{
    return arguments.at(1).value<QVector<int>>();
}

QVector<int> expectedLengths(int first, int last)
{
    QVector<int> lengths;
    for (int i = first; i <= last; ++i) {
        lengths.append(100 + i);
    }
    return lengths;
}

QStringList leftoverFiles(const QString& dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    names.removeAll("statistics.json");
    return names;
}

} // namespace

class StatisticsControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void startsFromEmptyHistory_data();
    void startsFromEmptyHistory();
    void writesTheFileFormat();
    void readsDateTimesAsLocalTime_data();
    void readsDateTimesAsLocalTime();
    void writesTheOffsetOfTheMoment_data();
    void writesTheOffsetOfTheMoment();
    void keepsEveryLayoutValid_data();
    void keepsEveryLayoutValid();
    void cutsBlinkRateOnLoadOnly();
    void sendsSmallStatistics();
    void createsStatistics_data();
    void createsStatistics();
    void slicesStatistics_data();
    void slicesStatistics();
    void deletesThenAdds();
    void keepsOtherTopLevelKeys();
    void buildsUploadText();
    void keepsLentUploadTextsUnchanged();
    void toleratesMalformedElements();
    void exportsCsv();
    void refusesToExportOverTheHistory();
    void deletesWhileAnUploadIsPrepared();

    void setsDamagedFileAside_data();
    void setsDamagedFileAside();
    void keepsAnUnreadableFileAndReadsItAgain();
    void keepsMeasurementWhenFileCannotBeOpened();
    void keepsOldFileWhenWriteFails();
    void keepsOldFileWhenCrashingBeforeRename();

    void runsInItsOwnThread();
    void recordsEachCameraRunOnceAcrossARestart();
    void sumsCameraTimeByLocalDayAndWeek();
    void setsADamagedCameraRecordAside();
    void keepsTheCameraRecordSmall();
};

void StatisticsControllerTest::initTestCase()
{
    registerSharedTypes();
    QCoreApplication::setApplicationVersion("3.6.24.0");
}

void StatisticsControllerTest::startsFromEmptyHistory_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << false << QByteArray();
    QTest::newRow("empty file") << true << QByteArray();
    QTest::newRow("blank file") << true << QByteArray(" \n\n");
}

void StatisticsControllerTest::startsFromEmptyHistory()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dataDir(dir) + "statistics.json";
    if (exists) {
        writeFile(path, content);
    }

    LogCapture log;
    StatisticsController controller(dataDir(dir));
    QCOMPARE(controller.filePath(), path);
    QVERIFY(log.contains("^StatisticsController::loadMeasurementsFromJson .* path \"" +
                         QRegularExpression::escape(path) + "\"$"));
    QVERIFY(log.contains("^StatisticsController: file properties: readable true writable true$"));

    // The empty history, pretty-printed with four spaces.
    QCOMPARE(readFile(path), QByteArray("{\n    \"data\": [\n    ]\n}\n"));
    QVERIFY(leftoverFiles(dir.path()).isEmpty());

    QSignalSpy small(&controller, &StatisticsController::smallStatisticsChanged);
    QSignalSpy initialized(&controller, &StatisticsController::statsControllerInitialized);
    QStringList order;
    connect(&controller, &StatisticsController::smallStatisticsChanged, this,
            [&] { order << "small"; });
    connect(&controller, &StatisticsController::statsControllerInitialized, this,
            [&] { order << "initialized"; });
    controller.init();
    QCOMPARE(order, QStringList({"small", "initialized"}));
    QCOMPARE(small.count(), 1);
    QVERIFY(small.at(0).at(0).value<QVector<double>>().isEmpty());
    QVERIFY(small.at(0).at(1).value<QVector<int>>().isEmpty());
    QVERIFY(small.at(0).at(2).value<QVector<QDateTime>>().isEmpty());
    QVERIFY(controller.blinkRates().isEmpty());
    QCOMPARE(initialized.count(), 1);
}

void StatisticsControllerTest::writesTheFileFormat()
{
    QTemporaryDir dir;
    StatisticsController controller(dataDir(dir));
    controller.init();
    const QString note = QStringLiteral("interactive \"on\", période 20 min\nzweite Zeile");
    LogCapture log;
    controller.addMeasurement(14.5, note, 231);
    controller.addMeasurement(8.0, QString(), 0);
    QVERIFY(log.contains("^StatisticsController::addMeasurement "));
    QVERIFY(log.contains(
        "^StC: add measurment \"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d\"$"));

    const QByteArray text = readFile(controller.filePath());
    // Byte for byte what the JSON writer makes of the content.
    QCOMPARE(text, QJsonDocument::fromJson(text).toJson(QJsonDocument::Indented));
    const QJsonArray data = QJsonDocument::fromJson(text).object().value("data").toArray();
    QCOMPARE(data.size(), 2);
    const QJsonObject first = data.at(0).toObject();
    QCOMPARE(first.keys(), QStringList({"blinkrate", "datetime", "length", "note"}));
    QCOMPARE(first.value("blinkrate").toDouble(), 14.5);
    QCOMPARE(first.value("length").toInt(-1), 231);
    QCOMPARE(first.value("note").toString(), note);
    QCOMPARE(data.at(1).toObject().value("length").toInt(-1), 0);
    // Pretty-printed, four spaces per level, keys in alphabetical order.
    QVERIFY(text.contains("\n            \"blinkrate\": 14.5,\n            \"datetime\": \""));
    QVERIFY(text.contains("\"length\": 231,\n            \"note\": "));

    // Memory and file describe the same moment, in whole seconds.
    const QDateTime stored = QDateTime::fromString(first.value("datetime").toString(), Qt::ISODate);
    QCOMPARE(controller.dateTimes().at(0), stored.toLocalTime());
    const QDateTime local =
        QDateTime::fromMSecsSinceEpoch(stored.toMSecsSinceEpoch(), Qt::LocalTime);
    QCOMPARE(controller.dateTimes().at(0).date(), local.date());
    QCOMPARE(controller.dateTimes().at(0).time(), local.time());
    QVERIFY(qAbs(stored.secsTo(QDateTime::currentDateTime())) < 60);
    QCOMPARE(controller.lengths(), QVector<int>({231, 0}));
}

void StatisticsControllerTest::readsDateTimesAsLocalTime_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("text");
    const QList<QByteArray> zones = {"UTC0", "XYZ+3:30", "CET-1CEST,M3.5.0,M10.5.0/3"};
    const QStringList texts = {
        "2024-03-31T01:59:59+00:00", // the second before summer time in the zone with rules
        "2024-03-31T02:00:00+01:00",
        "2024-10-27T00:30:00Z",
        "2024-10-27T02:30:00+02:00",
        "2024-02-29T23:59:59-11:45",
        "1999-12-31T23:00:00+14:00",
        "1969-12-31T23:59:59+00:00",
        "2023-02-29T10:00:00+01:00", // no such day
        "2024-01-01T24:00:00+01:00",
        "2024-01-01T10:00:00",
        "2024-01-01T10:00:00.250+01:00",
        "2024-01-01 10:00:00+01:00",
        "2024-1-01T10:00:00+01:00",
        "garbage",
        ""};
    for (const QByteArray& zone : zones) {
        for (const QString& text : texts) {
            QTest::newRow(qPrintable(zone + " " + text)) << zone << text;
        }
    }
}

void StatisticsControllerTest::readsDateTimesAsLocalTime()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, text);
    ZoneScope scope(zone);
    QTemporaryDir dir;
    QJsonObject e = element(0);
    e.insert("datetime", text);
    writeRoot(dataDir(dir), QJsonObject{{"data", QJsonArray{e}}});
    StatisticsController controller(dataDir(dir));
    controller.init();

    // Whatever shortcut the reader takes, it must agree with the general ISO parser.
    const QDateTime expected = QDateTime::fromString(text, Qt::ISODate).toLocalTime();
    const QDateTime read = controller.dateTimes().at(0);
    QCOMPARE(read.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(read.toMSecsSinceEpoch(), expected.toMSecsSinceEpoch());
        QCOMPARE(read.date(), expected.date());
        QCOMPARE(read.time(), expected.time());
        QCOMPARE(read.offsetFromUtc(), expected.offsetFromUtc());
    }
}

void StatisticsControllerTest::writesTheOffsetOfTheMoment_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("UTC") << QByteArray("UTC0") << "+00:00";
    QTest::newRow("one hour east") << QByteArray("XYZ-1") << "+01:00";
    QTest::newRow("west with minutes") << QByteArray("XYZ+3:30") << "-03:30";
}

void StatisticsControllerTest::writesTheOffsetOfTheMoment()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, suffix);
    ZoneScope scope(zone);
    QTemporaryDir dir;
    StatisticsController controller(dataDir(dir));
    controller.init();
    controller.addMeasurement(12.0, "n", 150);

    const QString written = readRoot(controller.filePath())
                                .value("data")
                                .toArray()
                                .at(0)
                                .toObject()
                                .value("datetime")
                                .toString();
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d" +
                                QRegularExpression::escape(suffix) + "$")
                 .match(written)
                 .hasMatch(),
             qPrintable(written));
    QVERIFY(!written.contains('Z'));
    QCOMPARE(QDateTime::fromString(written, Qt::ISODate).toMSecsSinceEpoch(),
             controller.dateTimes().at(0).toMSecsSinceEpoch());
}

void StatisticsControllerTest::keepsEveryLayoutValid_data()
{
    // keptPrefix: the text before the end of the stored measurements, which an add must leave
    // exactly as it was; empty where the file is written anew.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("keptPrefix");
    const QByteArray e0 = QJsonDocument(element(0)).toJson(QJsonDocument::Compact);
    const QByteArray e1 = QJsonDocument(element(1)).toJson(QJsonDocument::Compact);
    const QByteArray indented = QJsonDocument(history(3)).toJson(QJsonDocument::Indented);
    const QByteArray tail = "\n    ]\n}\n";
    QTest::newRow("written here") << indented << indented.left(indented.size() - tail.size());
    const QByteArray compactHead = "{\"aaa\":[1,{\"data\":\"]\"}],\"data\":[" + e0 + "," + e1;
    QTest::newRow("compact, keys around data") << compactHead + "],\"zzz\":\"[x]\"}" << compactHead;
    QTest::newRow("empty compact array")
        << QByteArray("{\"data\":[],\"zzz\":true}") << QByteArray("{\"data\":[");
    const QByteArray two = QJsonDocument(history(2)).toJson(QJsonDocument::Indented);
    QTest::newRow("windows line ends and byte-order mark")
        << "\xEF\xBB\xBF" + QByteArray(two).replace("\n", "\r\n")
        << two.left(two.size() - tail.size());
    const QByteArray escapesHead = "{\"data\": [ {\"note\": \"a \\\"]\\\" b\\\\\", \"length\": 3}";
    QTest::newRow("strings with brackets and escapes") << escapesHead + " ] }" << escapesHead;
    QTest::newRow("no data key") << QByteArray("{\"owner\": \"me\"}") << QByteArray();
    QTest::newRow("key spelt with an escape")
        << "{\"d\\u0061ta\": [" + e0 + "], \"owner\": \"me\"}" << QByteArray();
    QTest::newRow("data twice") << "{\"data\": [" + e0 + "], \"data\": [" + e1 + "]}"
                                << QByteArray();
}

void StatisticsControllerTest::keepsEveryLayoutValid()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, keptPrefix);
    QTemporaryDir dir;
    const QString path = dataDir(dir) + "statistics.json";
    writeFile(path, content);
    const bool repeatedKey = QByteArray(QTest::currentDataTag()) == "data twice";
    IgnoreParserLeaks ignore(repeatedKey);
    StatisticsController controller(dataDir(dir));
    controller.init();
    const QJsonObject before = controller.document();
    const QJsonArray stored = before.value("data").toArray();
    QCOMPARE(controller.lengths().size(), stored.size());

    controller.addMeasurement(11.0, "one", 501);
    controller.addMeasurement(12.0, "two", 502);
    const QByteArray text = readFile(path);
    QVERIFY(!text.contains('\r'));
    if (!keptPrefix.isEmpty()) {
        QVERIFY2(text.startsWith(keptPrefix), text.constData());
    }
    QJsonParseError error;
    const QJsonObject after = QJsonDocument::fromJson(text, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(after, controller.document());
    const QJsonArray data = after.value("data").toArray();
    QCOMPARE(data.size(), stored.size() + 2);
    for (int i = 0; i < stored.size(); ++i) {
        QCOMPARE(data.at(i), stored.at(i));
    }
    QCOMPARE(data.at(stored.size() + 1).toObject().value("length").toInt(), 502);
    for (const QString& key : before.keys()) {
        if (key != "data") {
            QCOMPARE(after.value(key), before.value(key));
        }
    }
    QVERIFY(leftoverFiles(dir.path()).isEmpty());

    StatisticsController restarted(dataDir(dir));
    restarted.init();
    QCOMPARE(restarted.lengths().size(), stored.size() + 2);
    QCOMPARE(restarted.lengths().last(), 502);
}

void StatisticsControllerTest::cutsBlinkRateOnLoadOnly()
{
    QTemporaryDir dir;
    {
        StatisticsController controller(dataDir(dir));
        controller.init();
        controller.addMeasurement(12.39, "n", 150);
        controller.addMeasurement(-7.25, "n", 150);
        QCOMPARE(controller.blinkRates(), QVector<double>({12.39, -7.25}));
        QCOMPARE(readRoot(controller.filePath())
                     .value("data")
                     .toArray()
                     .at(0)
                     .toObject()
                     .value("blinkrate")
                     .toDouble(),
                 12.39);
    }
    StatisticsController restarted(dataDir(dir));
    QVERIFY(restarted.blinkRates().isEmpty()); // the lists wait for init()
    restarted.init();
    // Cut toward zero, also below zero.
    QCOMPARE(restarted.blinkRates(), QVector<double>({12.3, -7.2}));
}

void StatisticsControllerTest::sendsSmallStatistics()
{
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(20));
    StatisticsController controller(dataDir(dir));
    QSignalSpy small(&controller, &StatisticsController::smallStatisticsChanged);
    QSignalSpy statistics(&controller, &StatisticsController::statisticsChanged);
    controller.init();
    QCOMPARE(small.count(), 1);
    QCOMPARE(lengthsOf(small.at(0)), expectedLengths(12, 19));
    QCOMPARE(small.at(0).at(0).value<QVector<double>>().first(), 22.0);
    QCOMPARE(small.at(0).at(2).value<QVector<QDateTime>>().first(),
             QDateTime(QDate(2024, 1, 13), QTime(10, 0), Qt::OffsetFromUTC, 3600).toLocalTime());

    controller.addMeasurement(9.5, "n", 999);
    QCOMPARE(small.count(), 2);
    QVector<int> expected = expectedLengths(13, 19);
    expected.append(999);
    QCOMPARE(lengthsOf(small.at(1)), expected);
    QCOMPARE(small.at(1).at(0).value<QVector<double>>().last(), 9.5);
    QCOMPARE(small.at(1).at(2).value<QVector<QDateTime>>().size(), 8);
    QCOMPARE(statistics.count(), 0); // the window asks for itself
}

void StatisticsControllerTest::createsStatistics_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("first");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("five") << 5 << 0;
    QTest::newRow("twenty") << 20 << 12;
}

void StatisticsControllerTest::createsStatistics()
{
    QFETCH(int, count);
    QFETCH(int, first);
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(count));
    StatisticsController controller(dataDir(dir));
    controller.init();
    QSignalSpy statistics(&controller, &StatisticsController::statisticsChanged);
    controller.createStatistics();
    QCOMPARE(statistics.count(), 1);
    const QList<QVariant> args = statistics.at(0);
    QCOMPARE(lengthsOf(args), expectedLengths(first, count - 1));
    QCOMPARE(args.at(0).value<QVector<double>>().size(), count - first);
    QCOMPARE(args.at(2).value<QVector<QDateTime>>().size(), count - first);
    QCOMPARE(args.at(3).toInt(), count);
}

void StatisticsControllerTest::slicesStatistics_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("end beyond the history") << 15 << 30 << 15 << 19;
    QTest::newRow("start at the size") << 20 << 20 << 0 << -1;
    QTest::newRow("start after end") << 7 << 6 << 0 << -1;
    QTest::newRow("single") << 4 << 4 << 4 << 4;
    QTest::newRow("whole") << 0 << 19 << 0 << 19;
    QTest::newRow("negative start") << -3 << 1 << 0 << 1;
}

void StatisticsControllerTest::slicesStatistics()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, first);
    QFETCH(int, last);
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(20));
    StatisticsController controller(dataDir(dir));
    controller.init();
    QSignalSpy statistics(&controller, &StatisticsController::statisticsChanged);
    controller.updateStatistics(start, end);
    QCOMPARE(statistics.count(), 1);
    const QList<QVariant> args = statistics.at(0);
    QCOMPARE(lengthsOf(args), expectedLengths(first, last));
    const QVector<double> rates = args.at(0).value<QVector<double>>();
    QCOMPARE(rates.size(), last - first + 1);
    if (!rates.isEmpty()) {
        QCOMPARE(rates.first(), 10.0 + first);
    }
    QCOMPARE(args.at(2).value<QVector<QDateTime>>().size(), last - first + 1);
    QCOMPARE(args.at(3).toInt(), 20);
}

void StatisticsControllerTest::deletesThenAdds()
{
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(12));
    StatisticsController controller(dataDir(dir));
    controller.init();
    QSignalSpy small(&controller, &StatisticsController::smallStatisticsChanged);
    QSignalSpy statistics(&controller, &StatisticsController::statisticsChanged);

    controller.deleteAllMeasurements();
    QCOMPARE(readRoot(controller.filePath()), MeasurementFile::emptyHistory());
    QCOMPARE(small.count(), 1);
    QVERIFY(small.at(0).at(0).value<QVector<double>>().isEmpty());
    QVERIFY(small.at(0).at(1).value<QVector<int>>().isEmpty());
    QVERIFY(small.at(0).at(2).value<QVector<QDateTime>>().isEmpty());
    QCOMPARE(statistics.count(), 1);
    QVERIFY(statistics.at(0).at(0).value<QVector<double>>().isEmpty());
    QVERIFY(statistics.at(0).at(1).value<QVector<int>>().isEmpty());
    QVERIFY(statistics.at(0).at(2).value<QVector<QDateTime>>().isEmpty());
    QCOMPARE(statistics.at(0).at(3).toInt(), 0);

    controller.addMeasurement(11.0, "after", 321);
    QCOMPARE(controller.lengths(), QVector<int>({321}));
    QCOMPARE(controller.blinkRates().size(), 1);
    QCOMPARE(controller.dateTimes().size(), 1);
    QCOMPARE(lengthsOf(small.at(1)), QVector<int>({321}));
    const QJsonArray data = readRoot(controller.filePath()).value("data").toArray();
    QCOMPARE(data.size(), 1);
    QCOMPARE(data.at(0).toObject().value("length").toInt(), 321);
}

void StatisticsControllerTest::keepsOtherTopLevelKeys()
{
    QTemporaryDir dir;
    QJsonObject root = history(2);
    root.insert("owner", "someone");
    root.insert("settings", QJsonObject{{"period", 30}, {"flags", QJsonArray{1, 2}}});
    writeRoot(dataDir(dir), root);
    StatisticsController controller(dataDir(dir));
    controller.init();

    // A new measurement leaves the file's other keys as they are.
    controller.addMeasurement(10.0, "n", 1);
    QJsonObject onDisk = readRoot(controller.filePath());
    QCOMPARE(onDisk.value("owner"), root.value("owner"));
    QCOMPARE(onDisk.value("settings"), root.value("settings"));
    QCOMPARE(onDisk.value("data").toArray().size(), 3);

    // An upload carries the measurements only.
    QString* upload = nullptr;
    connect(&controller, &StatisticsController::measurementsUploadReady, this,
            [&](QString* text) { upload = text; });
    controller.createJsonData(QString(), "pc-1");
    QVERIFY(upload);
    QCOMPARE(QJsonDocument::fromJson(upload->toUtf8()).object().keys(),
             (QStringList{"data", "pcid", "version"}));

    // Deleting the history leaves nothing of it, and nothing more goes to the server.
    controller.deleteAllMeasurements();
    QCOMPARE(readRoot(controller.filePath()), MeasurementFile::emptyHistory());
    controller.createJsonData(QString(), "pc-1");
    QCOMPARE(QJsonDocument::fromJson(upload->toUtf8()).object().keys(),
             (QStringList{"data", "pcid", "version"}));
}

void StatisticsControllerTest::buildsUploadText()
{
    QTemporaryDir dir;
    StatisticsController empty(dataDir(dir));
    empty.init();
    QList<QString*> ready;
    connect(&empty, &StatisticsController::measurementsUploadReady, this,
            [&](QString* t) { ready.append(t); });
    LogCapture log;

    // The server has nothing and neither have we: the text is still produced.
    empty.createJsonData(QString(), "pc-1");
    QCOMPARE(ready.size(), 1);
    QString* text = ready.first();
    QVERIFY(text);
    QJsonObject sent = QJsonDocument::fromJson(text->toUtf8()).object();
    QCOMPARE(sent.keys(), QStringList({"data", "pcid", "version"}));
    QCOMPARE(sent.value("data"), QJsonValue(QJsonArray()));
    QCOMPARE(sent.value("pcid").toString(), QString("pc-1"));
    QCOMPARE(sent.value("version").toString(), QString("3.6.24.0"));
    QVERIFY(text->contains("\n    \"pcid\": \"pc-1\""));
    QVERIFY(log.contains("^SC:  \"\\{"));

    QTemporaryDir full;
    writeRoot(dataDir(full), history(5));
    StatisticsController controller(dataDir(full));
    controller.init();
    QString* last = nullptr;
    connect(&controller, &StatisticsController::measurementsUploadReady, this,
            [&](QString* t) { last = t; });
    const QJsonArray stored = readRoot(controller.filePath()).value("data").toArray();

    controller.createJsonData(QString(), "pc-2");
    QCOMPARE(QJsonDocument::fromJson(last->toUtf8()).object().value("data"), QJsonValue(stored));

    // Later than everything: nothing new, the empty text.
    controller.createJsonData("2030-01-01T00:00:00+00:00", "pc-2");
    QVERIFY(last->isEmpty());
    QVERIFY(log.contains("^SC:  \"\"$"));

    // Equal to measurement 2: only 3 and 4 are new, exactly as they stand in the file.
    controller.createJsonData(element(2).value("datetime").toString(), "pc-2");
    sent = QJsonDocument::fromJson(last->toUtf8()).object();
    QCOMPARE(sent.value("data"), QJsonValue(QJsonArray({stored.at(3), stored.at(4)})));
    QCOMPARE(sent.value("pcid").toString(), QString("pc-2"));
    QCOMPARE(sent.value("version").toString(), QString("3.6.24.0"));

    // The same instant written in another offset is still not later.
    controller.createJsonData("2024-01-03T09:00:00Z", "pc-2");
    sent = QJsonDocument::fromJson(last->toUtf8()).object();
    QCOMPARE(sent.value("data").toArray().size(), 2);
    controller.createJsonData("2024-01-03T09:00:01Z", "pc-2");
    QCOMPARE(QJsonDocument::fromJson(last->toUtf8()).object().value("data").toArray().size(), 2);
    controller.createJsonData("2024-01-03T08:59:59Z", "pc-2");
    QCOMPARE(QJsonDocument::fromJson(last->toUtf8()).object().value("data").toArray().size(), 3);

    // An answer that is no date at all selects nothing rather than everything again.
    controller.createJsonData("yesterday", "pc-2");
    QVERIFY(last->isEmpty());
    QVERIFY(log.contains("^SC: unreadable last date-time from the server \"yesterday\"$"));
}

void StatisticsControllerTest::keepsLentUploadTextsUnchanged()
{
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(3));
    StatisticsController controller(dataDir(dir));
    controller.init();
    QList<QString*> lent;
    connect(&controller, &StatisticsController::measurementsUploadReady, this,
            [&](QString* text) { lent.append(text); });
    controller.createJsonData(QString(), "first");
    const QString firstCopy = *lent.at(0);
    controller.createJsonData(element(1).value("datetime").toString(), "second");
    controller.createJsonData("2030-01-01T00:00:00+00:00", "third");
    QCOMPARE(lent.size(), 3);
    QVERIFY(lent.at(0) != lent.at(1));
    QVERIFY(lent.at(1) != lent.at(2));
    QCOMPARE(*lent.at(0), firstCopy);
    QVERIFY(lent.at(0)->contains("\"first\""));
    QVERIFY(lent.at(1)->contains("\"second\""));
    QVERIFY(lent.at(2)->isEmpty());
}

void StatisticsControllerTest::toleratesMalformedElements()
{
    QTemporaryDir dir;
    QJsonArray data;
    data.append(element(0));
    data.append(QJsonObject{{"blinkrate", 9.0}, {"length", 120}, {"note", "no date"}});
    data.append(QJsonObject{
        {"blinkrate", "fast"}, {"datetime", "not a date"}, {"length", 130.5}, {"note", 5}});
    data.append(QJsonValue(42));
    data.append(QJsonObject{{"blinkrate", 13.0}, {"datetime", 7}, {"length", "long"}});
    data.append(element(5));
    writeRoot(dataDir(dir), QJsonObject{{"data", data}});

    StatisticsController controller(dataDir(dir));
    controller.init();
    QCOMPARE(controller.blinkRates(), QVector<double>({10.0, 9.0, 0.0, 0.0, 13.0, 15.0}));
    QCOMPARE(controller.lengths(), QVector<int>({100, 120, 0, 0, 0, 105}));
    QCOMPARE(controller.dateTimes().size(), 6);
    QVERIFY(controller.dateTimes().at(0).isValid());
    for (int i = 1; i <= 4; ++i) {
        QVERIFY(!controller.dateTimes().at(i).isValid());
    }

    QSignalSpy statistics(&controller, &StatisticsController::statisticsChanged);
    controller.createStatistics();
    QCOMPARE(statistics.at(0).at(3).toInt(), 6);

    // Neither an add nor an upload touches what was there.
    controller.addMeasurement(11.0, "n", 140);
    const QJsonArray after = readRoot(controller.filePath()).value("data").toArray();
    QCOMPARE(after.size(), 7);
    for (int i = 0; i < data.size(); ++i) {
        QCOMPARE(after.at(i), data.at(i));
    }

    QString* last = nullptr;
    connect(&controller, &StatisticsController::measurementsUploadReady, this,
            [&](QString* t) { last = t; });
    controller.createJsonData(QString(), "pc");
    QCOMPARE(QJsonDocument::fromJson(last->toUtf8()).object().value("data").toArray().size(), 7);
    // With a date only readable moments can be shown to be new.
    controller.createJsonData("2024-01-01T10:00:00+01:00", "pc");
    const QJsonArray sent =
        QJsonDocument::fromJson(last->toUtf8()).object().value("data").toArray();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0), data.at(5));
    QCOMPARE(sent.at(1), after.at(6));
}

void StatisticsControllerTest::setsDamagedFileAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("keepsOwner");
    QTest::newRow("cut off") << QByteArray(
                                    "{\n    \"data\": [\n        {\n            \"blinkrate\": 1")
                             << "not valid JSON" << false;
    QTest::newRow("garbage") << QByteArray("\x00\x01\xff garbage", 12) << "not valid JSON" << false;
    QTest::newRow("array at the top")
        << QByteArray("[1, 2, 3]") << "the top level is not an object" << false;
    QTest::newRow("data is a string")
        << QByteArray("{\"data\": \"lost\", \"owner\": \"me\"}") << "is not an array" << true;
    QTest::newRow("data is an object")
        << QByteArray("{\"data\": {\"a\": 1}, \"owner\": \"me\"}") << "is not an array" << true;
}

void StatisticsControllerTest::setsDamagedFileAside()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, problem);
    QFETCH(bool, keepsOwner);
    QTemporaryDir dir;
    const QString path = dataDir(dir) + "statistics.json";
    writeFile(path, content);

    LogCapture log;
    StatisticsController controller(dataDir(dir));
    QSignalSpy notices(&controller, &StatisticsController::historyProblem);
    controller.init();
    QVERIFY(controller.blinkRates().isEmpty());

    const QStringList aside = leftoverFiles(dir.path());
    // The user is told where the old history went.
    QCOMPARE(notices.size(), 1);
    QVERIFY(notices.at(0).at(0).toString().contains(aside.value(0)));
    QCOMPARE(aside.size(), 1);
    QVERIFY2(QRegularExpression("^statistics\\.json\\.corrupt-\\d{8}T\\d{6}Z$")
                 .match(aside.first())
                 .hasMatch(),
             qPrintable(aside.first()));
    const QString asidePath = dataDir(dir) + aside.first();
    QCOMPARE(readFile(asidePath), content);
    QVERIFY2(log.contains("^StatisticsController: damaged file \"" +
                          QRegularExpression::escape(path) + "\" \".*" +
                          QRegularExpression::escape(problem)),
             qPrintable(log.all()));
    QVERIFY(log.contains("^StatisticsController: damaged file set aside as \"" +
                         QRegularExpression::escape(asidePath) + "\"$"));

    controller.addMeasurement(10.0, "new", 200);
    const QJsonObject root = readRoot(path);
    QCOMPARE(root.value("data").toArray().size(), 1);
    QCOMPARE(root.value("owner").toString(), keepsOwner ? QString("me") : QString());
    QCOMPARE(readFile(asidePath), content);

    // The copy set aside is not taken for a damaged history on the next start.
    StatisticsController restarted(dataDir(dir));
    restarted.init();
    QCOMPARE(restarted.lengths(), QVector<int>({200}));
    QCOMPARE(leftoverFiles(dir.path()), aside);
}

void StatisticsControllerTest::keepsAnUnreadableFileAndReadsItAgain()
{
    // Unreadable (here a folder where the file should be, as a home not mounted yet can look):
    // left in place, nothing written over it, the user told; read again later, and the
    // measurements taken meanwhile join it.
    QTemporaryDir dir;
    const QString path = dataDir(dir) + "statistics.json";
    QVERIFY(QDir().mkpath(path));
    writeFile(path + "/inside", "kept");

    LogCapture log;
    StatisticsController controller(dataDir(dir));
    QSignalSpy notices(&controller, &StatisticsController::historyProblem);
    controller.init();
    QVERIFY(controller.blinkRates().isEmpty());
    QVERIFY(log.contains("file cannot be opened \"" + QRegularExpression::escape(path) + "\""));
    QCOMPARE(notices.size(), 1);
    QVERIFY(notices.at(0).at(0).toString().contains("cannot be read"));
    controller.addMeasurement(9.0, "meanwhile", 190);
    QCOMPARE(controller.blinkRates().size(), 1);
    QVERIFY(leftoverFiles(dir.path()).isEmpty());
    QCOMPARE(readFile(path + "/inside"), QByteArray("kept"));

    // It can be read again: its measurements and the new ones, in one file.
    QVERIFY(QDir(path).removeRecursively());
    writeRoot(dataDir(dir), history(3));
    controller.addMeasurement(11.0, "after", 210);
    QCOMPARE(controller.blinkRates().size(), 5);
    const QJsonArray data = readRoot(path).value("data").toArray();
    QCOMPARE(data.size(), 5);
    QCOMPARE(data.at(3).toObject().value("length").toInt(), 190);
    QCOMPARE(data.at(4).toObject().value("length").toInt(), 210);
    QCOMPARE(notices.size(), 2);
    QVERIFY(notices.at(1).at(0).toString().isEmpty());
}

void StatisticsControllerTest::keepsMeasurementWhenFileCannotBeOpened()
{
    QTemporaryDir dir;
    // A data folder whose parent is a regular file can hold nothing, whoever runs the test.
    const QString parent = dataDir(dir) + "blocked";
    writeFile(parent, "a file, not a folder");
    const QString dataDirectory = parent + "/winkwell/";
    const QString path = dataDirectory + "statistics.json";

    LogCapture log;
    StatisticsController controller(dataDirectory);
    QVERIFY(log.contains("^StatisticsController: file properties: readable false writable false "
                         "file cannot be opened \"" +
                         QRegularExpression::escape(path) + "\""));
    controller.init();
    QSignalSpy small(&controller, &StatisticsController::smallStatisticsChanged);
    controller.addMeasurement(12.5, "kept", 210);
    QVERIFY(log.contains("^StatisticsController: addMeasurement file cannot be opened \"" +
                         QRegularExpression::escape(path) + "\""));
    QCOMPARE(controller.lengths(), QVector<int>({210}));
    QCOMPARE(controller.document().value("data").toArray().size(), 1);
    QCOMPARE(lengthsOf(small.at(0)), QVector<int>({210}));

    // Once the folder can be written, the next change carries the earlier one along.
    QVERIFY(QFile::remove(parent));
    QVERIFY(QDir().mkpath(dataDirectory));
    controller.addMeasurement(13.5, "next", 220);
    const QJsonArray data = readRoot(path).value("data").toArray();
    QCOMPARE(data.size(), 2);
    QCOMPARE(data.at(0).toObject().value("length").toInt(), 210);
    QCOMPARE(data.at(1).toObject().value("length").toInt(), 220);
}

void StatisticsControllerTest::keepsOldFileWhenWriteFails()
{
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(3));
    StatisticsController controller(dataDir(dir));
    controller.init();
    const QByteArray before = readFile(controller.filePath());

    // Fails the write the way a full disk does: after some bytes, before the rename.
    controller.file().setBeforeCommitHook([](QSaveFile& file) { file.cancelWriting(); });
    LogCapture log;
    controller.addMeasurement(12.5, "kept", 210);
    QVERIFY(log.contains("^StatisticsController: addMeasurement file cannot be written \"" +
                         QRegularExpression::escape(controller.filePath()) + "\""));
    QCOMPARE(readFile(controller.filePath()), before);
    QVERIFY(leftoverFiles(dir.path()).isEmpty());
    QCOMPARE(controller.lengths().size(), 4);

    controller.deleteAllMeasurements();
    QCOMPARE(readFile(controller.filePath()), before);

    controller.file().setBeforeCommitHook(nullptr);
    controller.addMeasurement(13.5, "next", 220);
    const QJsonArray data = readRoot(controller.filePath()).value("data").toArray();
    QCOMPARE(data.size(), 1); // the deletion reached the disk too
    QCOMPARE(data.at(0).toObject().value("length").toInt(), 220);
}

void StatisticsControllerTest::keepsOldFileWhenCrashingBeforeRename()
{
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(4));
    const QString path = dataDir(dir) + "statistics.json";
    const QByteArray before = readFile(path);

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // The child dies the hard way once the temporary file holds the whole new history.
        StatisticsController controller(dataDir(dir));
        controller.init();
        const qint64 oldSize = before.size();
        controller.file().setBeforeCommitHook(
            [oldSize](QSaveFile& file) { _exit(file.size() > oldSize ? 7 : 8); });
        controller.addMeasurement(12.5, "never renamed", 210);
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 7);

    QCOMPARE(readFile(path), before);
    StatisticsController restarted(dataDir(dir));
    restarted.init();
    QCOMPARE(restarted.lengths(), expectedLengths(0, 3));
}

void StatisticsControllerTest::exportsCsv()
{
    QCOMPARE(MeasurementCsv::field("plain text"), QString("plain text"));
    QCOMPARE(MeasurementCsv::field("a, b"), QString("\"a, b\""));
    QCOMPARE(MeasurementCsv::field("say \"hi\""), QString("\"say \"\"hi\"\"\""));
    QCOMPARE(MeasurementCsv::field("two\nlines"), QString("\"two\nlines\""));

    QTemporaryDir dir;
    QJsonArray data;
    data.append(QJsonObject{{"blinkrate", 12.39},
                            {"datetime", "2024-01-01T10:00:00+01:00"},
                            {"length", 150},
                            {"note", "reminder 10 min, \"interactive\""}});
    data.append(QJsonObject{
        {"blinkrate", 0}, {"datetime", "2024-01-02T09:00:00Z"}, {"length", 90}, {"note", "é"}});
    // Kept as the file has it: an unreadable date, a rate that is text, no length, no note.
    data.append(QJsonObject{{"blinkrate", "fast"}, {"datetime", "not a date"}});
    data.append(QJsonValue(42));
    writeRoot(dataDir(dir), QJsonObject{{"data", data}, {"owner", "someone"}});
    const QByteArray before = readFile(dataDir(dir) + "statistics.json");

    StatisticsController controller(dataDir(dir));
    controller.init();
    QSignalSpy exported(&controller, &StatisticsController::measurementsExported);
    const QString path = dir.filePath("out.csv");
    controller.exportMeasurements(path);
    QCOMPARE(exported.count(), 1);
    QCOMPARE(exported.at(0).at(0).toString(), path);
    QCOMPARE(exported.at(0).at(1).toString(), QString());
    QCOMPARE(readFile(path), QByteArray("\xEF\xBB\xBF"
                                        "datetime,blinkrate,length,note\r\n"
                                        "2024-01-01T10:00:00+01:00,12.39,150,"
                                        "\"reminder 10 min, \"\"interactive\"\"\"\r\n"
                                        "2024-01-02T09:00:00+00:00,0,90,\xC3\xA9\r\n"
                                        "not a date,fast,,\r\n"
                                        ",,,\r\n"));
    QCOMPARE(readFile(dataDir(dir) + "statistics.json"), before);

    // Into a folder that is not there: the answer says so, nothing is left behind.
    controller.exportMeasurements(dir.filePath("missing/out.csv"));
    QCOMPARE(exported.count(), 2);
    QVERIFY(!exported.at(1).at(1).toString().isEmpty());
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
}

void StatisticsControllerTest::refusesToExportOverTheHistory()
{
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(3));
    const QString historyPath = dataDir(dir) + "statistics.json";
    const QByteArray before = readFile(historyPath);
    QVERIFY(QFile::link(historyPath, dir.filePath("link.csv")));
    StatisticsController controller(dataDir(dir));
    controller.init();
    QSignalSpy exported(&controller, &StatisticsController::measurementsExported);
    LogCapture log;

    for (const QString& path :
         {historyPath, dir.path() + "/./statistics.json", dir.filePath("link.csv")}) {
        controller.exportMeasurements(path);
        QVERIFY(!exported.last().at(1).toString().isEmpty());
        QCOMPARE(readFile(historyPath), before);
    }
    QVERIFY(log.contains("^StatisticsController: export refused, the path is the history file"));
}

// The upload text is lent to the network thread while the user deletes the history and the
// next measurement comes in.
void StatisticsControllerTest::deletesWhileAnUploadIsPrepared()
{
    QTemporaryDir dir;
    QJsonObject root = history(4);
    root.insert("owner", "someone");
    writeRoot(dataDir(dir), root);
    auto* controller = new StatisticsController(dataDir(dir));
    QThread thread;
    controller->moveToThread(&thread);
    connect(&thread, &QThread::finished, controller, &QObject::deleteLater);
    thread.start();
    QMetaObject::invokeMethod(controller, "init", Qt::BlockingQueuedConnection);

    QVector<QString*> lent;
    QVector<QString> copies;
    connect(controller, &StatisticsController::measurementsUploadReady, this, [&](QString* text) {
        lent.append(text);
        copies.append(*text);
    });
    QSignalSpy small(controller, &StatisticsController::smallStatisticsChanged);
    QMetaObject::invokeMethod(controller, "createJsonData", Qt::QueuedConnection,
                              Q_ARG(QString, QString()), Q_ARG(QString, "pc"));
    QMetaObject::invokeMethod(controller, "deleteAllMeasurements", Qt::QueuedConnection);
    QMetaObject::invokeMethod(controller, "addMeasurement", Qt::QueuedConnection,
                              Q_ARG(double, 9.5), Q_ARG(QString, "after"), Q_ARG(int, 200));
    QTRY_COMPARE(small.count(), 2);
    QTRY_COMPARE(lent.size(), 1);

    // What was prepared stays whole until it is sent.
    QCOMPARE(*lent.at(0), copies.at(0));
    QCOMPARE(QJsonDocument::fromJson(lent.at(0)->toUtf8()).object().value("data").toArray(),
             history(4).value("data").toArray());
    // The file is valid and holds only what came after the deletion.
    const QJsonObject onDisk = readRoot(dataDir(dir) + "statistics.json");
    QVERIFY(!onDisk.contains("owner"));
    const QJsonArray data = onDisk.value("data").toArray();
    QCOMPARE(data.size(), 1);
    QCOMPARE(data.at(0).toObject().value("note").toString(), QString("after"));

    // The next upload offers only the new measurement.
    QMetaObject::invokeMethod(controller, "createJsonData", Qt::QueuedConnection,
                              Q_ARG(QString, element(3).value("datetime").toString()),
                              Q_ARG(QString, "pc"));
    QTRY_COMPARE(lent.size(), 2);
    QCOMPARE(QJsonDocument::fromJson(copies.at(1).toUtf8()).object().value("data").toArray(), data);
    QCOMPARE(*lent.at(0), copies.at(0));
    thread.quit();
    QVERIFY(thread.wait(5000));
}

void StatisticsControllerTest::runsInItsOwnThread()
{
    QTemporaryDir dir;
    writeRoot(dataDir(dir), history(2));
    auto* controller = new StatisticsController(dataDir(dir));
    QPointer<StatisticsController> alive(controller);
    auto* thread = new QThread(this);
    controller->moveToThread(thread);
    connect(thread, &QThread::started, controller, &StatisticsController::init,
            Qt::QueuedConnection);
    connect(controller, &StatisticsController::finished, thread, &QThread::quit,
            Qt::DirectConnection);
    connect(thread, &QThread::finished, controller, &QObject::deleteLater);

    QSignalSpy initialized(controller, &StatisticsController::statsControllerInitialized);
    QSignalSpy small(controller, &StatisticsController::smallStatisticsChanged);
    QSignalSpy finished(thread, &QThread::finished);
    thread->start();
    QTRY_COMPARE(initialized.count(), 1);
    QCOMPARE(lengthsOf(small.at(0)), expectedLengths(0, 1));

    QMetaObject::invokeMethod(controller, "addMeasurement", Qt::QueuedConnection,
                              Q_ARG(double, 10.0), Q_ARG(QString, "queued"), Q_ARG(int, 77));
    QTRY_COMPARE(small.count(), 2);
    QCOMPARE(lengthsOf(small.at(1)), QVector<int>({100, 101, 77}));

    // The upload text reaches a receiver in another thread by pointer.
    QString received;
    connect(controller, &StatisticsController::measurementsUploadReady, this,
            [&](QString* text) { received = *text; });
    QMetaObject::invokeMethod(controller, "createJsonData", Qt::QueuedConnection,
                              Q_ARG(QString, QString()), Q_ARG(QString, "pc-thread"));
    QTRY_VERIFY(received.contains("\"pc-thread\""));
    QCOMPARE(QJsonDocument::fromJson(received.toUtf8()).object().value("data").toArray().size(), 3);

    LogCapture log;
    QMetaObject::invokeMethod(controller, "quit", Qt::QueuedConnection);
    // The thread may end before a wait() would start listening: count, do not wait.
    QTRY_COMPARE(finished.count(), 1);
    QTRY_VERIFY(alive.isNull());
    QVERIFY(log.contains("^StatisticsController::quit\\(\\) emitting finish thread \"\\d+\"$"));
    QVERIFY(log.contains("^StatisticsController::~StatisticsController\\(\\) thread \"\\d+\"$"));
    QVERIFY(thread->wait(5000));
}

void StatisticsControllerTest::recordsEachCameraRunOnceAcrossARestart()
{
    QTemporaryDir dir;
    const QDateTime before = QDateTime::currentDateTimeUtc();
    {
        StatisticsController controller(dataDir(dir));
        QSignalSpy changed(&controller, &StatisticsController::cameraTimeChanged);
        controller.init();
        QCOMPARE(changed.count(), 1);
        QVERIFY(changed.at(0).at(0).value<CameraTimeSummary>().lastRuns.isEmpty());
        controller.recordCameraRun({FeatureInteractiveTraining, 1500, 40, CameraRunEnd::Finished});
        controller.recordCameraRun({FeatureMeasurement, 180000, 5400, CameraRunEnd::Stopped});
        QCOMPARE(changed.count(), 3);
        const CameraTimeSummary last = changed.at(2).at(0).value<CameraTimeSummary>();
        QCOMPARE(last.lastRuns.size(), 2);
        QCOMPARE(last.lastRuns.at(0).kind, FeatureMeasurement); // newest first
        QVERIFY(last.weekMs >= last.todayMs);
        QVERIFY(last.weekMs <= 181500);
    }
    StatisticsController again(dataDir(dir));
    const QVector<CameraRun>& runs = again.cameraRuns().runs();
    QCOMPARE(runs.size(), 2);
    QCOMPARE(runs.at(0).kind, FeatureInteractiveTraining);
    QCOMPARE(runs.at(0).frames, quint64(40));
    QCOMPARE(runs.at(0).cameraMs(), qint64(1500));
    QCOMPARE(runs.at(0).ending, CameraRunEnd::Finished);
    QCOMPARE(runs.at(1).kind, FeatureMeasurement);
    QCOMPARE(runs.at(1).cameraMs(), qint64(180000));
    QCOMPARE(runs.at(1).ending, CameraRunEnd::Stopped);
    QVERIFY(runs.at(1).end >= before && runs.at(1).end <= QDateTime::currentDateTimeUtc());
    // The history is a file of its own, untouched by the record.
    QCOMPARE(again.blinkRates().size(), 0);
}

void StatisticsControllerTest::sumsCameraTimeByLocalDayAndWeek()
{
    ZoneScope zone("CET-1"); // local time is UTC + 1
    QTemporaryDir dir;
    const QString path = dataDir(dir) + "camera-runs.json";
    const auto utc = [](int day, int hour, int minute) {
        return QDateTime(QDate(2026, 12, day), QTime(hour, minute), Qt::UTC);
    };
    {
        CameraRunLog log(path);
        log.load(utc(1, 12, 0));
        log.add({FeatureMeasurement, 60000, 1, CameraRunEnd::Finished}, utc(1, 12, 0));
        // Sunday 6 December, 23:10 local.
        log.add({FeatureMeasurement, 120000, 1, CameraRunEnd::Finished}, utc(6, 22, 10));
        // Across local midnight into Tuesday 8 December: 10 min on Monday, 5 min on Tuesday.
        log.add({FeatureFreeCamera, 900000, 1, CameraRunEnd::Stopped}, utc(7, 23, 5));
        log.add({FeatureInteractiveTraining, 2000, 60, CameraRunEnd::NoFace}, utc(8, 9, 0));
    }
    CameraRunLog log(path);
    log.load(utc(8, 10, 0));
    QCOMPARE(log.runs().size(), 4);
    const CameraTimeSummary fromMonday = log.summary(utc(8, 10, 0), Qt::Monday);
    QCOMPARE(fromMonday.todayMs, qint64(300000 + 2000));
    QCOMPARE(fromMonday.weekMs, qint64(900000 + 2000));
    QCOMPARE(fromMonday.lastRuns.size(), 4);
    QCOMPARE(fromMonday.lastRuns.at(0).ending, CameraRunEnd::NoFace);
    const CameraTimeSummary fromSunday = log.summary(utc(8, 10, 0), Qt::Sunday);
    QCOMPARE(fromSunday.weekMs, qint64(120000 + 900000 + 2000));

    // Runs that ended more than 30 days ago go, at load and when a run is added.
    CameraRunLog later(path);
    later.load(utc(31, 13, 0));
    QCOMPARE(later.runs().size(), 3);
    const QDateTime january(QDate(2027, 1, 7), QTime(8, 0), Qt::UTC);
    later.add({FeatureMeasurement, 1000, 1, CameraRunEnd::Error}, january);
    CameraRunLog reread(path);
    reread.load(january);
    QCOMPARE(reread.runs().size(), 2);
    QCOMPARE(reread.runs().at(0).kind, FeatureInteractiveTraining);
    QCOMPARE(reread.runs().at(1).ending, CameraRunEnd::Error);
}

void StatisticsControllerTest::setsADamagedCameraRecordAside()
{
    QTemporaryDir dir;
    const QString path = dataDir(dir) + "camera-runs.json";
    const QByteArray damaged = "{\"data\": [ {\"kind\": \"measure";
    writeFile(path, damaged);
    LogCapture log;
    StatisticsController controller(dataDir(dir));
    QVERIFY(log.contains("damaged camera record .* set aside as"));
    QStringList names = QDir(dir.path()).entryList({"camera-runs.json.corrupt-*"}, QDir::Files);
    QCOMPARE(names.size(), 1);
    QCOMPARE(readFile(dataDir(dir) + names.at(0)), damaged);
    controller.recordCameraRun({FeatureFreeCamera, 5000, 150, CameraRunEnd::Stopped});
    StatisticsController again(dataDir(dir));
    QCOMPARE(again.cameraRuns().runs().size(), 1);
    QCOMPARE(again.cameraRuns().runs().at(0).frames, quint64(150));
}

void StatisticsControllerTest::keepsTheCameraRecordSmall()
{
    ZoneScope zone("CET-1");
    QTemporaryDir dir;
    const QString path = dataDir(dir) + "camera-runs.json";
    // Interactive reminders every 30 s from 22:00:15 local on Monday on, far more runs than the
    // record keeps one by one; the 243rd run is a measurement from 23:58:15 to 00:01:15.
    const QDateTime first(QDate(2026, 12, 7), QTime(21, 0, 15), Qt::UTC);
    const int count = CameraRunLog::kKeptRuns + 300;
    const int measurement = 242;
    {
        CameraRunLog log(path);
        log.load(first);
        for (int i = 0; i < count; ++i) {
            log.add(
                i == measurement
                    ? CameraRunReport{FeatureMeasurement, 180000, 5400, CameraRunEnd::Finished}
                    : CameraRunReport{FeatureInteractiveTraining, 2000, 50, CameraRunEnd::Finished},
                first.addSecs(30 * i));
        }
    }
    QVERIFY2(QFileInfo(path).size() < 64 * 1024,
             qPrintable(QString::number(QFileInfo(path).size())));
    CameraRunLog log(path);
    const QDateTime now(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
    log.load(now);
    QCOMPARE(log.runs().size(), CameraRunLog::kKeptRuns);
    int foldedRuns = 0;
    QVector<qint64> measured;
    for (const CameraRunLog::DayTotal& total : log.dayTotals()) {
        foldedRuns += total.runs;
        if (total.kind == FeatureMeasurement) {
            measured.append(total.cameraMs);
        }
    }
    QCOMPARE(foldedRuns, count - CameraRunLog::kKeptRuns);
    QCOMPARE(measured, (QVector<qint64>{105000, 75000})); // split at local midnight
    const qint64 spent = (count - 1) * 2000 + 180000;
    const CameraTimeSummary week = log.summary(now, Qt::Monday);
    QCOMPARE(week.weekMs, spent); // nothing lost by folding
    // Monday holds 240 reminder runs (22:00:15 to 23:59:45) and 105 s of the measurement.
    QCOMPARE(week.todayMs, spent - 240 * 2000 - 105000);
}

QTEST_GUILESS_MAIN(StatisticsControllerTest)
#include "tst_StatisticsController.moc"
