#include "controller/BreakSchedule.h"

#include <QtTest>

namespace {

const QDateTime kStart(QDate(2024, 3, 4), QTime(9, 0), Qt::UTC);
constexpr qint64 kNoIdleTime = -1;

} // namespace

class BreakScheduleTest : public QObject
{
    Q_OBJECT

private slots:
    void dueReminder_data();
    void dueReminder();
    void naturalBreak_data();
    void naturalBreak();
};

void BreakScheduleTest::dueReminder_data()
{
    QTest::addColumn<bool>("breaks");
    QTest::addColumn<bool>("exercises");
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<int>("due");

    // The break is due at 3000 s, the exercise at 1140 s; whole seconds count.
    const int nothing = int(BreakSchedule::Due::Nothing);
    const int brk = int(BreakSchedule::Due::Break);
    const int exercise = int(BreakSchedule::Due::Exercise);
    QTest::newRow("break overdue by less than a second")
        << true << false << qint64(3000999) << nothing;
    QTest::newRow("break overdue") << true << true << qint64(3001000) << brk;
    QTest::newRow("exercise, break 302 s away") << true << true << qint64(2698000) << exercise;
    QTest::newRow("exercise, break 300 s away") << true << true << qint64(2700000) << nothing;
    QTest::newRow("exercise, no breaks to wait for")
        << false << true << qint64(2990000) << exercise;
    QTest::newRow("both off") << false << false << qint64(9000000) << nothing;
}

void BreakScheduleTest::dueReminder()
{
    QFETCH(bool, breaks);
    QFETCH(bool, exercises);
    QFETCH(qint64, nowMs);
    QFETCH(int, due);

    BreakSchedule schedule(kStart, QPoint());
    schedule.enableBreaks(breaks);
    schedule.enableExercises(exercises);
    QCOMPARE(int(schedule.due(kStart.addMSecs(nowMs))), due);
}

void BreakScheduleTest::naturalBreak_data()
{
    QTest::addColumn<bool>("cursorMoved");
    QTest::addColumn<qint64>("awayMs");
    QTest::addColumn<qint64>("idleMs");
    QTest::addColumn<bool>("isBreak");

    // Three minutes by default, and more than that counts.
    QTest::newRow("away") << true << qint64(180001) << qint64(180001) << true;
    QTest::newRow("three minutes are not more")
        << true << qint64(180000) << qint64(180000) << false;
    QTest::newRow("keyboard only") << true << qint64(600000) << qint64(1000) << false;
    QTest::newRow("a key at this moment") << true << qint64(600000) << qint64(0) << false;
    QTest::newRow("idle time unknown") << true << qint64(180001) << kNoIdleTime << true;
    QTest::newRow("cursor never moved") << false << qint64(600000) << kNoIdleTime << false;
}

void BreakScheduleTest::naturalBreak()
{
    QFETCH(bool, cursorMoved);
    QFETCH(qint64, awayMs);
    QFETCH(qint64, idleMs);
    QFETCH(bool, isBreak);

    BreakSchedule schedule(kStart, QPoint(10, 10));
    const QPoint lastPosition = cursorMoved ? QPoint(20, 10) : QPoint(10, 10);
    QVERIFY(!schedule.checkPresence(lastPosition, 0, kStart).isBreak);
    const std::optional<quint32> idle =
        idleMs == kNoIdleTime ? std::nullopt : std::optional<quint32>(quint32(idleMs));
    const BreakSchedule::Presence presence =
        schedule.checkPresence(lastPosition, idle, kStart.addMSecs(awayMs));
    QCOMPARE(presence.isBreak, isBreak);
    QCOMPARE(presence.changed, isBreak);
    QCOMPARE(presence.thresholdMs, qint64(180000));
}

QTEST_GUILESS_MAIN(BreakScheduleTest)
#include "tst_BreakSchedule.moc"
