#include "ControllerHarness.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// The user works with the mouse every 50 s up to and including lastMoveMs.
void workUntil(ControllerHarness& h, qint64 lastMoveMs)
{
    for (qint64 t = 50000; t <= lastMoveMs; t += 50000) {
        h.advanceTo(t);
        h.user->moveMouse();
    }
}

// The engine's presence look as the scheduler meets it: each look is answered a second later,
// with what the camera sees then, or with a failure.
class LookingEngine
{
public:
    explicit LookingEngine(ControllerHarness& h) : m_h(h)
    {
        QObject::connect(h.controller.get(), &ApplicationController::detectUserWithWebcamRequested,
                         &h.model, [this] { m_answerAtMs = m_h.nowMs() + 1000; });
    }

    bool face = true;
    bool fails = false;
    QVector<qint64> looks; // when each answer came
    QVector<qint64> faces; // answers that saw a face

    // Lives to untilMs a second at a time; the user moves the pointer every movesMs (0: never).
    void liveUntil(qint64 untilMs, qint64 movesMs = 0)
    {
        while (m_h.nowMs() < untilMs) {
            m_h.advanceMs(1000);
            if (movesMs > 0 && m_h.nowMs() % movesMs == 0) {
                m_h.user->moveMouse();
            }
            if (m_answerAtMs >= 0 && m_h.nowMs() >= m_answerAtMs) {
                m_answerAtMs = -1;
                looks << m_h.nowMs();
                if (fails) {
                    emit m_h.model.presenceLookFailed(ErrorEmptyFrame);
                } else {
                    if (face) {
                        faces << m_h.nowMs();
                    }
                    emit m_h.model.userPresenceDetected(face);
                }
            }
        }
    }

private:
    ControllerHarness& m_h;
    qint64 m_answerAtMs = -1;
};

} // namespace

class ControllerBreaksTest : public QObject
{
    Q_OBJECT

private slots:
    void breakEveryPeriodSkipAndSnooze();
    void snoozeHoldsBackOverdueExerciseAndSkipReleasesIt();
    void exercisesWithoutBreaksGoOnPastTheBreakPeriod();
    void periodChangeMovesThePendingBreak();
    void switchingBreaksMovesNothing();
    void naturalBreakEndsTheShownBreak_data();
    void naturalBreakEndsTheShownBreak();
    void naturalBreakEndsTheExerciseWithoutRescheduling();
    void includedNaturalBreaksPushTheSchedule_data();
    void includedNaturalBreaksPushTheSchedule();
    void presenceChecksRunOnlyWhileBreaksOrExercisesAreOn();
    void aCallHoldsTheDueBreakAndShowsItAfter();
    void theCameraTellsReadingFromAway();
    void noLookWhenOffPausedOrInACall_data();
    void noLookWhenOffPausedOrInACall();
    void aWorkingDayCostsLittleCameraTime();
};

void ControllerBreaksTest::breakEveryPeriodSkipAndSnooze()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::enableComputerBreaks() true");
    c.enableComputerBreaks(true);
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(3000000));
    h.advanceTo(3000000);
    QCOMPARE(h.log->take(), QStringList{});
    h.advanceTo(3002000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3002000 breakRequested"});

    h.advanceTo(3010000);
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::skipBreak()");
    c.skipBreak();
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(6010000));
    h.advanceTo(6012000);
    QCOMPARE(h.log->takeTimed(), QStringList{"6012000 breakRequested"});

    h.advanceTo(6020500);
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::snoozeBreak()");
    c.snoozeBreak();
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(6320500));
    h.advanceTo(6322000);
    QCOMPARE(h.log->takeTimed(), QStringList{"6322000 breakRequested"});

    // A click that arrives after the break already ended moves the schedule only.
    c.pauseProgram(true);
    QCOMPARE(h.log->take(), QStringList{"breakFinished"});
    c.pauseProgram(false);
    c.enableMeasurement(true);
    c.takeMeasurementNow();
    h.advanceTo(6340000);
    QCOMPARE(h.log->takeTimed(), QStringList{"6338000 blinkMeasurementRequested"});
    c.skipBreak();
    QCOMPARE(c.featureInUse(), int(FeatureMeasurement));
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(6340000 + 3000000));
}

void ControllerBreaksTest::snoozeHoldsBackOverdueExerciseAndSkipReleasesIt()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableComputerBreaks(true);
    h.advanceTo(3005000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3002000 breakRequested"});
    c.enableEyeExercisebreaks(true); // overdue since 1140 s

    h.advanceTo(3010000);
    c.snoozeBreak();
    h.advanceTo(3310000);
    QCOMPARE(h.log->take(), QStringList{});
    h.advanceTo(3320000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3312000 breakRequested"});

    c.skipBreak();
    QCOMPARE(c.breakSchedule().nextExerciseTime(), h.at(1140000));
    h.advanceTo(3330000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3322000 exerciseRequested"});
    c.quitExercise();
    QCOMPARE(c.breakSchedule().nextExerciseTime(), h.at(3330000 + 1140000));
}

void ControllerBreaksTest::exercisesWithoutBreaksGoOnPastTheBreakPeriod()
{
    // Computer breaks are off, so no break is ever near; the exercise must not wait for one.
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableEyeExercisebreaks(true);
    h.advanceTo(1150000);
    c.quitExercise();
    h.advanceTo(2300000);
    c.quitExercise();
    h.advanceTo(3450000);
    c.quitExercise();
    QCOMPARE(h.log->takeTimed(),
             (QStringList{"1142000 exerciseRequested", "2292000 exerciseRequested",
                          "3442000 exerciseRequested"}));
}

void ControllerBreaksTest::periodChangeMovesThePendingBreak()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableComputerBreaks(true);
    h.advanceTo(600000);
    c.changeTimeBetweenBreakReminders(50);
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(3000000));
    c.changeTimeBetweenBreakReminders(30);
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(1800000));
    h.advanceTo(1810000);
    QCOMPARE(h.log->takeTimed(), QStringList{"1802000 breakRequested"});
    QCOMPARE(c.settingsSummary(), QStringLiteral("Break;BreakPeriod30;"));

    // Shortened below the time already passed, the break is due at once.
    c.skipBreak();
    h.advanceTo(1900000);
    c.changeTimeBetweenBreakReminders(1);
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(1810000 + 60000));
    h.advanceTo(1902000);
    QCOMPARE(h.log->takeTimed(), QStringList{"1902000 breakRequested"});
}

void ControllerBreaksTest::switchingBreaksMovesNothing()
{
    // Switched on long after start-up, the break set at construction is overdue at once.
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    h.advanceTo(3600000);
    c.enableComputerBreaks(true);
    h.advanceTo(3602000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3602000 breakRequested"});

    // Switched off, the shown break stays until the user ends it.
    c.enableComputerBreaks(false);
    QCOMPARE(h.log->take(), QStringList{});
    QCOMPARE(c.featureInUse(), int(FeatureBreak));
    c.skipBreak();
    h.advanceTo(9000000);
    QCOMPARE(h.log->take(), QStringList{});
}

void ControllerBreaksTest::naturalBreakEndsTheShownBreak_data()
{
    QTest::addColumn<bool>("idleUnknown");
    QTest::newRow("idle time known") << false;
    QTest::newRow("idle time unknown") << true;
}

void ControllerBreaksTest::naturalBreakEndsTheShownBreak()
{
    QFETCH(bool, idleUnknown);

    ControllerHarness h;
    ApplicationController& c = *h.controller;
    h.user->idleUnknown = idleUnknown;
    c.enableComputerBreaks(true); // checks every 60 s from 0
    workUntil(h, 2950000);        // the check at 3000 s sees the last move

    // 180 s after that check is not more than 3 minutes; the next check is.
    h.advanceTo(3180000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3002000 breakRequested"});
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression("^ApplicationController::checkPresence\\(\\)is break "
                                            "true .* 240000 180000 "));
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::quitBreak() emit breakFinished();");
    h.advanceTo(3240000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3240000 breakFinished"});
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(3240000 + 3000000));
}

void ControllerBreaksTest::naturalBreakEndsTheExerciseWithoutRescheduling()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableEyeExercisebreaks(true);
    workUntil(h, 1100000); // seen by the check at 1140 s
    h.advanceTo(1441000);
    // The exercise stays overdue, so it comes back at the next free tick, here the one due at
    // the same moment as the check.
    QCOMPARE(h.log->takeTimed(),
             (QStringList{"1142000 exerciseRequested", "1380000 exerciseFinished",
                          "1380000 exerciseRequested", "1440000 exerciseFinished",
                          "1440000 exerciseRequested"}));
    QCOMPARE(c.breakSchedule().nextExerciseTime(), h.at(1140000));
}

void ControllerBreaksTest::includedNaturalBreaksPushTheSchedule_data()
{
    QTest::addColumn<bool>("included");
    QTest::addColumn<QDateTime>("nextBreak");
    QTest::addColumn<QDateTime>("nextExercise");

    const QDateTime start(QDate(2024, 3, 4), QTime(9, 0), Qt::UTC);
    // The last check of the user's absence was at 1500 s.
    QTest::newRow("included") << true << start.addMSecs(1500000 + 3000000)
                              << start.addMSecs(1500000 + 1140000);
    QTest::newRow("not included") << false << start.addMSecs(3000000) << start.addMSecs(1140000);
}

void ControllerBreaksTest::includedNaturalBreaksPushTheSchedule()
{
    QFETCH(bool, included);
    QFETCH(QDateTime, nextBreak);
    QFETCH(QDateTime, nextExercise);

    ControllerHarness h;
    ApplicationController& c = *h.controller;
    QCOMPARE(h.start, QDateTime(QDate(2024, 3, 4), QTime(9, 0), Qt::UTC));
    c.includeNaturalBreaks(included);
    c.enableComputerBreaks(true);
    workUntil(h, 1000000); // away from the check at 1260 s on
    h.advanceTo(1510000);
    h.user->moveMouse(); // back
    h.advanceTo(1600000);
    QCOMPARE(c.breakSchedule().nextBreakTime(), nextBreak);
    QCOMPARE(c.breakSchedule().nextExerciseTime(), nextExercise);
    QCOMPARE(h.log->take(), QStringList{});
}

void ControllerBreaksTest::presenceChecksRunOnlyWhileBreaksOrExercisesAreOn()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.includeNaturalBreaks(true);
    c.enableComputerBreaks(true);
    workUntil(h, 1000000);
    h.advanceTo(1100000);
    c.enableComputerBreaks(false);
    h.advanceTo(1500000);
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(3000000));

    // Exercises on restart the checks; the exercise overdue since 1140 s runs first.
    c.enableEyeExercisebreaks(true);
    h.advanceTo(1600000);
    QCOMPARE(h.log->takeTimed(),
             (QStringList{"1502000 exerciseRequested", "1560000 exerciseFinished"}));
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(1560000 + 3000000));
    QCOMPARE(c.breakSchedule().nextExerciseTime(), h.at(1560000 + 1140000));
}

void ControllerBreaksTest::aCallHoldsTheDueBreakAndShowsItAfter()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    QVERIFY(h.microphone && h.microphone->started);
    c.enableComputerBreaks(true);
    c.enableBlinkTraining(true);
    c.enableInteractiveBlinkReminder(true);
    h.advanceTo(30000);
    QCOMPARE(h.log->take(), QStringList{"blinkInteractiveTrainingRequested"});
    // A video call holds the camera: no simple reminder stands in for the interactive one.
    emit h.model.errorOccurred(ErrorCameraOccupied);
    QCOMPARE(h.log->take(), (QStringList{"userBlinked", "callStateChanged(true)"}));
    QVERIFY(c.isInCall());

    // The sound server tells of the call's microphone late, twice changed between answers.
    h.advanceTo(50000);
    h.microphone->setRecording({"Firefox"});
    h.microphone->setRecording({"Firefox", "Jitsi Meet"});
    h.microphone->deliver();
    h.microphone->deliver();
    // Past the break's time (3000 s): nothing starts, nothing is shown.
    h.advanceTo(3500000);
    QCOMPARE(h.log->take(), QStringList{});
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));

    h.microphone->setRecording({});
    h.microphone->deliver();
    QCOMPARE(h.log->take(), QStringList{"callStateChanged(false)"});
    h.advanceTo(3560000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3502000 heldBreakRequested"});
    QCOMPARE(c.featureInUse(), int(FeatureBreak));

    // The user's pause keeps its meaning in a call: it ends the break, and the resume restarts
    // the schedule, so that no held break comes after it.
    c.enableBlinkTraining(false);
    c.skipBreak();
    h.microphone->setRecording({"Zoom"});
    h.microphone->deliver();
    c.pauseProgram(true);
    emit h.model.stopped();
    c.pauseProgram(false);
    h.advanceTo(3560000 + 3000000 - 10000);
    h.microphone->setRecording({});
    h.microphone->deliver();
    h.advanceTo(3560000 + 3000000 + 4000);
    QCOMPARE(h.log->takeTimed(),
             (QStringList{"3560000 callStateChanged(true)", "3560000 stopCameraUseRequested",
                          "6550000 callStateChanged(false)", "6562000 breakRequested"}));

    // A listed call window is a call as well.
    c.processCallWindows({"Zoom Meeting"});
    c.processCallWindows({});
    QCOMPARE(h.log->take(), (QStringList{"callStateChanged(true)", "callStateChanged(false)"}));

    // Switched off, a call holds nothing.
    c.holdRemindersInCalls(false);
    c.processCallWindows({"Zoom Meeting"});
    QVERIFY(!c.isInCall());
}

void ControllerBreaksTest::theCameraTellsReadingFromAway()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    LookingEngine camera(h);
    c.enableComputerBreaks(true);
    c.includeNaturalBreaks(true);
    c.useWebcamInComputerBreaks(true);
    workUntil(h, 600000);

    // Reading without input after the last move, seen by the check at 660 s: the first look
    // when the input has been idle past the 3 minutes, then one per 3 minutes, and no natural
    // break comes of it.
    camera.liveUntil(2990000);
    QVERIFY(!camera.looks.isEmpty());
    QCOMPARE(camera.looks.first(), qint64(901000));
    for (int i = 1; i < camera.looks.size(); ++i) {
        QVERIFY(camera.looks.at(i) - camera.looks.at(i - 1) >= 180000);
    }
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(3000000));
    QVERIFY(!h.log->take().contains("breakFinished"));

    // The break window: the face in front of it keeps it, though the input stays idle.
    camera.liveUntil(3400000);
    QStringList log = h.log->takeTimed();
    QVERIFY2(log.contains("3002000 breakRequested"), qPrintable(log.join(", ")));
    QVERIFY2(!log.join(" ").contains("breakFinished"), qPrintable(log.join(", ")));
    QCOMPARE(c.featureInUse(), int(FeatureBreak));

    // The user leaves; a cat walks on the keyboard. No face for 3 minutes ends the break.
    camera.face = false;
    const qint64 lastFace = camera.faces.last();
    camera.liveUntil(3800000, 20000);
    log = h.log->takeTimed();
    const QStringList finished = log.filter("breakFinished");
    QCOMPARE(finished.size(), 1);
    const qint64 endedMs = finished.first().section(' ', 0, 0).toLongLong();
    QVERIFY2(endedMs - lastFace >= 180000 && endedMs - lastFace <= 240000,
             qPrintable(finished.first()));
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));
}

void ControllerBreaksTest::noLookWhenOffPausedOrInACall_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("looks");
    QTest::addColumn<qint64>("breakEndsMs"); // 0: no break is shown
    // The input decides: idle for more than 3 minutes after the last move at 2950 s.
    QTest::newRow("option off") << "off" << false << qint64(3240000);
    QTest::newRow("camera paused") << "camera paused" << false << qint64(3240000);
    QTest::newRow("program paused") << "paused" << false << qint64(0);
    QTest::newRow("in a call") << "call" << false << qint64(0);
    QTest::newRow("live preview") << "preview" << false << qint64(0);
    // A camera that cannot tell leaves the decision to the input, taken when the failed look
    // answers, a second after the check at 3180 s.
    QTest::newRow("camera fails") << "fails" << true << qint64(3181000);
}

void ControllerBreaksTest::noLookWhenOffPausedOrInACall()
{
    QFETCH(QString, state);
    QFETCH(bool, looks);
    QFETCH(qint64, breakEndsMs);

    ControllerHarness h;
    ApplicationController& c = *h.controller;
    LookingEngine camera(h);
    camera.fails = state == "fails";
    c.enableComputerBreaks(true);
    c.useWebcamInComputerBreaks(state != "off");
    if (state == "camera paused") {
        c.pauseCameraFeatures(true);
    } else if (state == "paused") {
        c.pauseProgram(true);
    } else if (state == "call") {
        c.processRecordingPrograms({"Zoom"});
    } else if (state == "preview") {
        c.enableLivePreview(true);
    }
    workUntil(h, 2950000);
    camera.liveUntil(3300000);
    const QStringList log = h.log->takeTimed();
    QCOMPARE(log.filter("detectUserWithWebcamRequested").isEmpty(), !looks);
    QCOMPARE(camera.looks.isEmpty(), !looks);
    const QStringList ends = log.filter("breakFinished");
    QCOMPARE(ends, breakEndsMs ? QStringList{QString::number(breakEndsMs) + " breakFinished"}
                               : QStringList{});
}

// Eight hours, each of them: 25 minutes of typing, 20 of reading or watching with no input, 10
// away from the desk, 5 of typing; breaks every 50 minutes. A look that sees a face is counted as
// 0.5 s of camera time (the camera opens and the first frame has the face), one that sees nobody
// as the whole 2 s.
void ControllerBreaksTest::aWorkingDayCostsLittleCameraTime()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    LookingEngine camera(h);
    c.enableComputerBreaks(true);
    c.includeNaturalBreaks(true);
    c.useWebcamInComputerBreaks(true);
    constexpr qint64 kMinute = 60000;
    for (int hour = 0; hour < 8; ++hour) {
        const qint64 start = hour * 60 * kMinute;
        camera.face = true;
        camera.liveUntil(start + 25 * kMinute, 20000);
        camera.liveUntil(start + 45 * kMinute);
        camera.face = false;
        camera.liveUntil(start + 55 * kMinute);
        camera.face = true;
        camera.liveUntil(start + 60 * kMinute, 20000);
        if (c.featureInUse() == FeatureBreak) {
            c.skipBreak();
        }
    }
    const int nobody = camera.looks.size() - camera.faces.size();
    const double perHourS = (camera.faces.size() * 0.5 + nobody * 2.0) / 8.0;
    qInfo("presence looks in 8 hours: %d with a face, %d without; camera time %.1f s per hour",
          int(camera.faces.size()), nobody, perHourS);
    QVERIFY(camera.faces.size() > 8 && nobody >= 8); // the looks did run
    QVERIFY2(perHourS < 60.0, qPrintable(QString::number(perHourS)));
}

QTEST_GUILESS_MAIN(ControllerBreaksTest)
#include "tst_ControllerBreaks.moc"
