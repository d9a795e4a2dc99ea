#include "ControllerHarness.h"

#include <QTimer>
#include <QtTest>

namespace {

// The scheduler states a scenario can start from; each is reached through the controller's own
// slots and ticks, and the signals that got it there are dropped.
void bringTo(ControllerHarness& h, int feature)
{
    ApplicationController& c = *h.controller;
    switch (feature) {
    case FeatureBreak:
        c.enableComputerBreaks(true);
        c.changeTimeBetweenBreakReminders(0); // due since start-up
        h.advanceTo(16000);
        break;
    case FeatureExercise:
        c.enableEyeExercisebreaks(true);
        h.advanceTo(1142000);
        break;
    case FeatureTraining:
    case FeatureInteractiveTraining:
        c.enableInteractiveBlinkReminder(feature == FeatureInteractiveTraining);
        c.setBlinkReminderPeriod(1000);
        c.enableBlinkTraining(true);
        h.advanceTo(16000);
        break;
    case FeatureMeasurement:
        c.enableMeasurement(true);
        c.takeMeasurementNow();
        h.advanceTo(16000);
        break;
    default:
        break;
    }
    QCOMPARE(c.featureInUse(), feature);
    h.log->take();
}

} // namespace

class ControllerSchedulerTest : public QObject
{
    Q_OBJECT

private slots:
    void initAnnouncesItselfAndQuitEndsEverything();
    void nothingStartsWithinFifteenSecondsOfStartOrResume();
    void measurementWinsOverDueBreakAndBreakFollows();
    void measurementEveryThirtyMinutesAndRetryAfterFailure();
    void takeMeasurementNowStartsOnlyAnEnabledMeasurement();
    void reminderCountdownRestartsWithTwentySecondsAfterBreakOrExercise();
    void simpleReminderShowsThreeSecondsEveryPeriod();
    void endingTheSimpleReminderStopsItsHideTimer_data();
    void endingTheSimpleReminderStopsItsHideTimer();
    void interactiveTrainingFollowsTheEngine();
    void cameraFeaturesPausedUseSimpleReminderAndNoMeasurement();
    void livePreviewBlocksEverythingAndEchoesBlinks();
    void livePreviewTakesOverEachFeature_data();
    void livePreviewTakesOverEachFeature();
    void processErrorByFeature_data();
    void processErrorByFeature();
    void pauseProgramEndsEachFeature_data();
    void pauseProgramEndsEachFeature();
    void pausesKeepThePreviewOffUntilTheyAllEnd();
    void settingsBeforeInitTakeEffectOnceRunning();
    void lateStopConfirmationEndsNoNewRun_data();
    void lateStopConfirmationEndsNoNewRun();
    void cameraChoiceFallsBackToFirstCamera();
    void quitWhileScreenDetectionWaitsFinishesAfterTheWait();
    void screenDetectionWaitLetsTheSchedulerRun();
};

void ControllerSchedulerTest::initAnnouncesItselfAndQuitEndsEverything()
{
    ControllerHarness h(false);
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::emit controllerInitialized()");
    h.controller->init();
    QCOMPARE(h.log->take(), QStringList{"controllerInitialized"});

    ApplicationController& c = *h.controller;
    c.setBlinkReminderPeriod(1000);
    c.enableBlinkTraining(true);
    c.enableMeasurement(true);
    c.enableComputerBreaks(true);
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::quit() emitting finish");
    c.quit();
    QCOMPARE(h.log->take(), QStringList{"finished"});

    h.advanceTo(7200000);
    c.quit();
    c.detectScreensWindows(0);
    QCOMPARE(h.log->take(), QStringList{});
}

void ControllerSchedulerTest::nothingStartsWithinFifteenSecondsOfStartOrResume()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.setBlinkReminderPeriod(1000);
    c.enableBlinkTraining(true);
    c.enableComputerBreaks(true);
    c.changeTimeBetweenBreakReminders(0); // the break is due from the first second

    h.advanceTo(15999);
    QCOMPARE(h.log->takeTimed(), QStringList{});
    QTest::ignoreMessage(QtDebugMsg,
                         "ApplicationController::accessFeature() emit breakRequested()");
    h.advanceTo(16000);
    QCOMPARE(h.log->takeTimed(), QStringList{"16000 breakRequested"});

    h.advanceTo(20000);
    c.pauseProgram(true);
    QCOMPARE(h.log->take(), QStringList{"breakFinished"});
    h.advanceTo(101000);
    QCOMPARE(h.log->take(), QStringList{});

    // With a zero period the break is overdue right after the resume, the reminder too.
    c.pauseProgram(false);
    h.advanceTo(115999);
    QCOMPARE(h.log->takeTimed(), QStringList{});
    h.advanceTo(116000);
    QCOMPARE(h.log->takeTimed(), QStringList{"116000 breakRequested"});
}

void ControllerSchedulerTest::measurementWinsOverDueBreakAndBreakFollows()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableComputerBreaks(true);
    c.changeTimeBetweenBreakReminders(0);
    c.enableMeasurement(true);
    c.takeMeasurementNow();
    QCOMPARE(h.log->take(), QStringList{});

    h.advanceTo(200000);
    QCOMPARE(h.log->takeTimed(), QStringList{"16000 blinkMeasurementRequested"});

    emit h.model.measurementSuccessful(12.37f, 180000);
    QCOMPARE(h.log->take(), QStringList{"measurementCompleted(12.3,Break;BreakPeriod0;,180000)"});
    const QSignalSpy& completed = h.log->spy("measurementCompleted");
    QCOMPARE(completed.at(0).at(0).toDouble(), 12.3);
    QCOMPARE(completed.at(0).at(2).toInt(), 180000);

    h.advanceTo(202000);
    QCOMPARE(h.log->takeTimed(), QStringList{"202000 breakRequested"});
}

void ControllerSchedulerTest::measurementEveryThirtyMinutesAndRetryAfterFailure()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableMeasurement(true);
    h.advanceTo(300000);
    QCOMPARE(h.log->takeTimed(), QStringList{"120000 blinkMeasurementRequested"});

    h.advanceTo(301000);
    emit h.model.measurementSuccessful(9.99f, 180000);
    QCOMPARE(h.log->take(), QStringList{"measurementCompleted(9.9,,180000)"});
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));

    // 30 minutes after success: due at 2101 s, started at the next tick.
    h.advanceTo(2102000);
    QCOMPARE(h.log->takeTimed(), QStringList{"2102000 blinkMeasurementRequested"});

    // A failed measurement comes back 8 minutes later, whether by error or by a stop.
    h.advanceTo(2103000);
    emit h.model.errorOccurred(ErrorNoFace);
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));
    h.advanceTo(2584000);
    QCOMPARE(h.log->takeTimed(), QStringList{"2584000 blinkMeasurementRequested"});

    h.advanceTo(2585000);
    emit h.model.stopped();
    h.advanceTo(3066000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3066000 blinkMeasurementRequested"});

    c.enableMeasurement(false);
    QCOMPARE(h.log->take(), QStringList{"stopCameraUseRequested"});
    emit h.model.stopped();
    h.advanceTo(9000000);
    QCOMPARE(h.log->take(), QStringList{});
}

void ControllerSchedulerTest::takeMeasurementNowStartsOnlyAnEnabledMeasurement()
{
    {
        ControllerHarness h;
        h.controller->takeMeasurementNow();
        h.advanceTo(3600000);
        QCOMPARE(h.log->take(), QStringList{});
    }
    {
        // The immediate run starts whatever else is due; the measurement waits for its tick.
        ControllerHarness h;
        ApplicationController& c = *h.controller;
        c.enableMeasurement(true);
        h.advanceTo(16500);
        c.setBlinkReminderPeriod(500);
        c.enableBlinkTraining(true);
        h.advanceTo(17000);
        c.takeMeasurementNow();
        QCOMPARE(h.log->takeTimed(), QStringList{"17000 blinkReminderRequested"});
        h.advanceTo(20000);
        QCOMPARE(h.log->takeTimed(),
                 (QStringList{"20000 userBlinked", "20000 blinkMeasurementRequested"}));
    }
}

void ControllerSchedulerTest::reminderCountdownRestartsWithTwentySecondsAfterBreakOrExercise()
{
    {
        ControllerHarness h;
        ApplicationController& c = *h.controller;
        c.setBlinkReminderPeriod(600000);
        c.enableBlinkTraining(true);
        c.enableComputerBreaks(true);
        c.changeTimeBetweenBreakReminders(2);
        h.advanceTo(180000);
        QCOMPARE(h.log->takeTimed(), QStringList{"122000 breakRequested"});

        // Longer than 20 s: the reminder comes at the first free tick.
        c.skipBreak();
        h.advanceTo(186000);
        QCOMPARE(h.log->takeTimed(),
                 (QStringList{"182000 blinkReminderRequested", "185000 userBlinked"}));

        // Shorter: it comes 20 s after the break began.
        h.advanceTo(310000);
        c.skipBreak();
        h.advanceTo(326000);
        QCOMPARE(h.log->takeTimed(),
                 (QStringList{"302000 breakRequested", "322000 blinkReminderRequested",
                              "325000 userBlinked"}));
    }
    {
        ControllerHarness h;
        ApplicationController& c = *h.controller;
        c.setBlinkReminderPeriod(600000);
        c.enableBlinkTraining(true);
        c.enableEyeExercisebreaks(true);
        h.advanceTo(1150000);
        QCOMPARE(h.log->takeTimed(),
                 (QStringList{"600000 blinkReminderRequested", "603000 userBlinked",
                              "1142000 exerciseRequested"}));
        c.quitExercise();
        h.advanceTo(1166000);
        QCOMPARE(h.log->takeTimed(),
                 (QStringList{"1162000 blinkReminderRequested", "1165000 userBlinked"}));
    }
}

void ControllerSchedulerTest::simpleReminderShowsThreeSecondsEveryPeriod()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::enableBlinkTraining true");
    c.enableBlinkTraining(true);
    h.advanceTo(40000);
    QCOMPARE(h.log->takeTimed(),
             (QStringList{"30000 blinkReminderRequested", "33000 userBlinked"}));

    // Switching on again does not restart the countdown (that would give 70 s).
    c.enableBlinkTraining(true);
    h.advanceTo(64000);
    QCOMPARE(h.log->takeTimed(), QStringList{"64000 blinkReminderRequested"});

    // A new period applies from the next countdown on.
    c.setBlinkReminderPeriod(10000);
    h.advanceTo(80000);
    QCOMPARE(h.log->takeTimed(),
             (QStringList{"67000 userBlinked", "78000 blinkReminderRequested"}));
}

void ControllerSchedulerTest::endingTheSimpleReminderStopsItsHideTimer_data()
{
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<QStringList>("emitted");
    QTest::newRow("dismissed by mouse") << true << QStringList{};
    QTest::newRow("training switched off") << false << QStringList{"userBlinked"};
}

void ControllerSchedulerTest::endingTheSimpleReminderStopsItsHideTimer()
{
    QFETCH(bool, byMouse);
    QFETCH(QStringList, emitted);

    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableBlinkTraining(true);
    h.advanceTo(31000);
    QCOMPARE(h.log->takeTimed(), QStringList{"30000 blinkReminderRequested"});

    if (byMouse) {
        QTest::ignoreMessage(QtDebugMsg,
                             "ApplicationController::forceQuitBlinkTraining() (by mouse)");
        c.quitBlinkTraining();
    } else {
        c.enableBlinkTraining(false);
    }
    QCOMPARE(h.log->take(), emitted);
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));

    // A break starts before the ended reminder's 3 s are up; it must survive them.
    c.enableComputerBreaks(true);
    c.changeTimeBetweenBreakReminders(0);
    h.advanceTo(120000);
    QCOMPARE(h.log->takeTimed(), QStringList{"32000 breakRequested"});
    QCOMPARE(c.featureInUse(), int(FeatureBreak));
}

void ControllerSchedulerTest::interactiveTrainingFollowsTheEngine()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableInteractiveBlinkReminder(true);
    c.enableBlinkTraining(true);
    h.advanceTo(34000);
    QCOMPARE(h.log->takeTimed(), QStringList{"30000 blinkInteractiveTrainingRequested"});

    emit h.model.trainingStarted();
    QCOMPARE(h.log->take(), QStringList{});
    emit h.model.blinkReactionToReminder(false);
    QCOMPARE(h.log->take(), QStringList{"blinkReminderRequested"});
    h.advanceTo(35000);
    emit h.model.blinkReactionToReminder(true);
    QCOMPARE(h.log->take(), QStringList{"userBlinked"});
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));

    h.advanceTo(66000);
    QCOMPARE(h.log->takeTimed(), QStringList{"66000 blinkInteractiveTrainingRequested"});

    // With MGD the reminder is up from the start and a missed blink changes nothing.
    c.enableMGDblinkTraining(true);
    emit h.model.trainingStarted();
    QCOMPARE(h.log->take(), QStringList{"blinkReminderRequested"});
    emit h.model.blinkReactionToReminder(false);
    QCOMPARE(h.log->take(), QStringList{});

    // Dismissed by mouse: the engine is asked to stop; its report ends the training.
    c.quitBlinkTraining();
    QCOMPARE(h.log->take(), QStringList{"stopCameraUseRequested"});
    QCOMPARE(c.featureInUse(), int(FeatureInteractiveTraining));
    emit h.model.stopped();
    QCOMPARE(h.log->take(), QStringList{"userBlinked"});
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));

    // Switched off during a training: the engine is stopped, the state waits for its report.
    h.advanceTo(100000);
    QCOMPARE(h.log->takeTimed(), QStringList{"96000 blinkInteractiveTrainingRequested"});
    c.enableBlinkTraining(false);
    QCOMPARE(h.log->take(), QStringList{"stopCameraUseRequested"});
    emit h.model.stopped();
    h.advanceTo(600000);
    QCOMPARE(h.log->take(), QStringList{"userBlinked"});
}

void ControllerSchedulerTest::cameraFeaturesPausedUseSimpleReminderAndNoMeasurement()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableInteractiveBlinkReminder(true);
    c.enableBlinkTraining(true);
    c.enableMeasurement(true);
    c.pauseCameraFeatures(true);
    QCOMPARE(h.log->take(), QStringList{});

    h.advanceTo(130000);
    QCOMPARE(h.log->takeTimed(),
             (QStringList{"30000 blinkReminderRequested", "33000 userBlinked",
                          "64000 blinkReminderRequested", "67000 userBlinked",
                          "98000 blinkReminderRequested", "101000 userBlinked"}));

    c.pauseCameraFeatures(false);
    h.advanceTo(132000);
    QCOMPARE(h.log->takeTimed(), QStringList{"132000 blinkMeasurementRequested"});

    // Pausing stops the running measurement once; it is retried after 8 minutes.
    c.pauseCameraFeatures(true);
    c.pauseCameraFeatures(true);
    QCOMPARE(h.log->take(), QStringList{"stopCameraUseRequested"});
    emit h.model.stopped();
    QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));
    h.advanceTo(700000);
    QVERIFY(!h.log->take().contains("blinkMeasurementRequested"));
    c.pauseCameraFeatures(false);
    h.advanceTo(702000);
    QCOMPARE(h.log->take(), QStringList{"blinkMeasurementRequested"});
}

void ControllerSchedulerTest::livePreviewBlocksEverythingAndEchoesBlinks()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableComputerBreaks(true);
    c.changeTimeBetweenBreakReminders(0);
    c.enableEyeExercisebreaks(true);
    c.enableInteractiveBlinkReminder(true);
    c.enableBlinkTraining(true);
    c.enableMeasurement(true);

    c.enableLivePreview(true);
    QCOMPARE(h.log->take(), QStringList{"startLivePreviewRequested"});
    h.advanceTo(3600000);
    emit h.model.blinkDetected();
    QCOMPARE(h.log->take(), QStringList{"userBlinked"});

    c.enableLivePreview(false);
    emit h.model.blinkDetected();
    QCOMPARE(h.log->take(), QStringList{"stopCameraUseRequested"});
    emit h.model.stopped();
    h.advanceMs(2000);
    QCOMPARE(h.log->takeTimed(), QStringList{"3602000 blinkMeasurementRequested"});
}

void ControllerSchedulerTest::livePreviewTakesOverEachFeature_data()
{
    QTest::addColumn<int>("feature");
    QTest::addColumn<QStringList>("atSwitch");
    QTest::addColumn<QStringList>("afterEngineStopped");
    QTest::addColumn<int>("featureAfter");

    QTest::newRow("break") << int(FeatureBreak)
                           << QStringList{"breakFinished", "startLivePreviewRequested"}
                           << QStringList{"startLivePreviewRequested"} << int(FeatureFreeCamera);
    QTest::newRow("exercise") << int(FeatureExercise)
                              << QStringList{"exerciseFinished", "startLivePreviewRequested"}
                              << QStringList{"startLivePreviewRequested"} << int(FeatureExercise);
    QTest::newRow("simple reminder")
        << int(FeatureTraining) << QStringList{"userBlinked", "startLivePreviewRequested"}
        << QStringList{"startLivePreviewRequested"} << int(FeatureFreeCamera);
    QTest::newRow("interactive training")
        << int(FeatureInteractiveTraining) << QStringList{"stopCameraUseRequested"}
        << QStringList{"userBlinked", "startLivePreviewRequested"} << int(FeatureFreeCamera);
    QTest::newRow("measurement") << int(FeatureMeasurement) << QStringList{"stopCameraUseRequested"}
                                 << QStringList{"startLivePreviewRequested"}
                                 << int(FeatureFreeCamera);
}

void ControllerSchedulerTest::livePreviewTakesOverEachFeature()
{
    QFETCH(int, feature);
    QFETCH(QStringList, atSwitch);
    QFETCH(QStringList, afterEngineStopped);
    QFETCH(int, featureAfter);

    ControllerHarness h;
    bringTo(h, feature);
    h.controller->enableLivePreview(true);
    QCOMPARE(h.log->take(), atSwitch);
    // The engine reports every stop, also of a preview that replaced a stopped run.
    emit h.model.stopped();
    QCOMPARE(h.log->take(), afterEngineStopped);
    QCOMPARE(h.controller->featureInUse(), featureAfter);
    h.advanceMs(600000);
    QCOMPARE(h.log->take(), QStringList{});
}

void ControllerSchedulerTest::processErrorByFeature_data()
{
    QTest::addColumn<int>("feature");
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("emitted");
    QTest::addColumn<int>("featureAfter");
    // What the next 6 s and the following 486 s bring.
    QTest::addColumn<QStringList>("next6s");
    QTest::addColumn<QStringList>("later");

    const QStringList simpleStandsIn{"blinkReminderRequested"};
    const QStringList endsAsBlinked{"userBlinked"};
    // Period 1 s: a new training at the first tick after the countdown.
    const QStringList afterStandIn{"19000 userBlinked", "22000 blinkInteractiveTrainingRequested"};
    const QStringList afterBlinked{"18000 blinkInteractiveTrainingRequested"};
    for (int e = ErrorNone; e <= ErrorNoCamera; ++e) {
        const bool camera = e == ErrorCameraOccupied || e == ErrorLowFps || e == ErrorMoreFaces ||
                            e == ErrorEmptyFrame || e == ErrorNoCamera;
        QTest::addRow("interactive, %s", qPrintable(errorName(e)))
            << int(FeatureInteractiveTraining) << e << (camera ? simpleStandsIn : endsAsBlinked)
            << int(camera ? FeatureTraining : FeatureFreeCamera)
            << (camera ? afterStandIn : afterBlinked) << QStringList{};
    }
    for (int e : {ErrorNoFace, ErrorNoCamera, ErrorMissingData}) {
        QTest::addRow("measurement, %s", qPrintable(errorName(e)))
            << int(FeatureMeasurement) << e << QStringList{} << int(FeatureFreeCamera)
            << QStringList{} << QStringList{"496000 blinkMeasurementRequested"};
    }
    QTest::newRow("break") << int(FeatureBreak) << int(ErrorNoCamera) << QStringList{}
                           << int(FeatureBreak) << QStringList{} << QStringList{};
    QTest::newRow("simple reminder")
        << int(FeatureTraining) << int(ErrorNoCamera) << QStringList{} << int(FeatureTraining)
        << QStringList{"19000 userBlinked", "22000 blinkReminderRequested"} << QStringList{};
    QTest::newRow("free camera") << int(FeatureFreeCamera) << int(ErrorNoCamera) << QStringList{}
                                 << int(FeatureFreeCamera) << QStringList{} << QStringList{};
}

void ControllerSchedulerTest::processErrorByFeature()
{
    QFETCH(int, feature);
    QFETCH(int, error);
    QFETCH(QStringList, emitted);
    QFETCH(int, featureAfter);
    QFETCH(QStringList, next6s);
    QFETCH(QStringList, later);

    ControllerHarness h;
    // The rules without calls: with them, "camera occupied" is a call and holds the reminder.
    h.controller->holdRemindersInCalls(false);
    bringTo(h, feature);
    if (emitted == QStringList{"blinkReminderRequested"}) {
        QTest::ignoreMessage(QtDebugMsg, "ApplicationController::quitCameraFeature() emit "
                                         "blinkReminderRequested();");
    }
    emit h.model.errorOccurred(Error(error));
    QCOMPARE(h.log->take(), emitted);
    QCOMPARE(h.controller->featureInUse(), featureAfter);
    h.advanceMs(6000);
    QCOMPARE(h.log->takeTimed(), next6s);

    // Reminders would go on; what matters later is the measurement retry.
    h.controller->enableBlinkTraining(false);
    h.log->take();
    h.advanceMs(486000);
    QCOMPARE(h.log->takeTimed(), later);
}

void ControllerSchedulerTest::pauseProgramEndsEachFeature_data()
{
    QTest::addColumn<int>("feature");
    QTest::addColumn<QStringList>("emitted");
    // Then the computer is about to sleep: what is sent until the engine confirms its stop,
    // and after.
    QTest::addColumn<QStringList>("beforeSleep");
    QTest::addColumn<QStringList>("confirmed");

    const QStringList stop{"stopCameraUseRequested"};
    const QStringList ready{"readyForSleep"};
    QTest::newRow("break") << int(FeatureBreak) << QStringList{"breakFinished"} << stop << ready;
    QTest::newRow("exercise") << int(FeatureExercise) << QStringList{"exerciseFinished"} << stop
                              << ready;
    // A stop already on its way is the one confirmed.
    QTest::newRow("free") << int(FeatureFreeCamera) << stop << QStringList{} << ready;
    QTest::newRow("simple reminder")
        << int(FeatureTraining) << QStringList{"userBlinked"} << stop << ready;
    QTest::newRow("interactive training") << int(FeatureInteractiveTraining) << stop
                                          << QStringList{} << QStringList{"userBlinked"} + ready;
    QTest::newRow("measurement") << int(FeatureMeasurement) << stop << QStringList{} << ready;
}

void ControllerSchedulerTest::pauseProgramEndsEachFeature()
{
    QFETCH(int, feature);
    QFETCH(QStringList, emitted);
    QFETCH(QStringList, beforeSleep);
    QFETCH(QStringList, confirmed);

    ControllerHarness h;
    bringTo(h, feature);
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::pauseProgram true");
    h.controller->pauseProgram(true);
    h.controller->pauseProgram(true);
    QCOMPARE(h.log->take(), emitted);
    h.controller->prepareForSleep();
    QCOMPARE(h.log->take(), beforeSleep);
    emit h.model.stopped();
    QCOMPARE(h.log->take(), confirmed);
    h.advanceMs(7200000);
    QCOMPARE(h.log->take(), QStringList{});
}

void ControllerSchedulerTest::pausesKeepThePreviewOffUntilTheyAllEnd()
{
    // The camera test page stays open while the screen is locked.
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableLivePreview(true);
    c.pauseProgram(true);
    QCOMPARE(h.log->take(), (QStringList{"startLivePreviewRequested", "stopCameraUseRequested"}));
    emit h.model.stopped();
    h.advanceTo(5000000);
    QCOMPARE(h.log->take(), QStringList{});
    c.pauseProgram(false);
    QCOMPARE(h.log->take(), QStringList{"startLivePreviewRequested"});
    QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(5000000 + 50 * 60000));
    QCOMPARE(c.breakSchedule().nextExerciseTime(), h.at(5000000 + 1140000));

    // A camera pause stops it as well, and only its own end restarts it.
    c.pauseCameraFeatures(true);
    QCOMPARE(h.log->take(), QStringList{"stopCameraUseRequested"});
    c.pauseProgram(true);
    emit h.model.stopped();
    c.pauseProgram(false);
    c.enableLivePreview(true); // another camera chosen on the page
    QCOMPARE(h.log->take(), QStringList{});
    c.pauseCameraFeatures(false);
    QCOMPARE(h.log->take(), QStringList{"startLivePreviewRequested"});
}

void ControllerSchedulerTest::settingsBeforeInitTakeEffectOnceRunning()
{
    // The settings page sends every choice while the engine still loads, before init().
    ControllerHarness h(false);
    ApplicationController& c = *h.controller;
    c.setBlinkReminderPeriod(20000);
    c.enableInteractiveBlinkReminder(false);
    c.enableMGDblinkTraining(false);
    c.enableBlinkTraining(true);
    c.setBlinkRate(12.5f);
    c.enableMeasurement(true);
    c.takeMeasurementNow();
    c.enableComputerBreaks(true);
    c.enableEyeExercisebreaks(true);
    c.changeTimeBetweenBreakReminders(1);
    c.includeNaturalBreaks(true);
    c.setNaturalBreakDuration(2);
    // Only stored: it changes neither the breaks nor the note below.
    QTest::ignoreMessage(QtDebugMsg, "ApplicationController::useWebcamInComputerBreaks() true");
    c.useWebcamInComputerBreaks(true);
    c.setCameraIDpreffered(1);
    c.pauseProgram(false);
    c.pauseCameraFeatures(false);
    c.enableLivePreview(false);
    c.enableScreenControl(true, 0);
    c.setBrightness(5);
    c.setColorTemperature(55);
    c.enableBrightnessSaver(false);
    c.setLidOpenStatus(false);
    c.processInternalScreenBrightnessChange(50);
    QCOMPARE(h.log->take(), (QStringList{"cameraIDchanged(1)", "stopCameraUseRequested",
                                         "noHWbrightnessControlDetected"}));
    emit h.model.stopped();

    c.init();
    h.advanceTo(17000);
    emit h.model.measurementSuccessful(10.0f, 180000);
    h.advanceTo(63000);
    QCOMPARE(
        h.log->takeTimed(),
        (QStringList{"0 controllerInitialized", "16000 blinkMeasurementRequested",
                     "17000 measurementCompleted(10,Screen;Temp55;Brightness5;Train;"
                     "TrainPeriod20;Exer;Break;BreakPeriod1;IncludeNatBreak;"
                     "NatBreakDuration2;,180000)",
                     "20000 blinkReminderRequested", "23000 userBlinked",
                     "44000 blinkReminderRequested", "47000 userBlinked", "62000 breakRequested"}));
}

void ControllerSchedulerTest::lateStopConfirmationEndsNoNewRun_data()
{
    QTest::addColumn<bool>("measurement");
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("feature");
    QTest::newRow("measurement") << true << "blinkMeasurementRequested" << int(FeatureMeasurement);
    QTest::newRow("interactive training")
        << false << "blinkInteractiveTrainingRequested" << int(FeatureInteractiveTraining);
}

void ControllerSchedulerTest::lateStopConfirmationEndsNoNewRun()
{
    QFETCH(bool, measurement);
    QFETCH(QString, request);
    QFETCH(int, feature);

    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableMeasurement(measurement);
    c.enableInteractiveBlinkReminder(true);
    c.enableBlinkTraining(!measurement);
    c.enableLivePreview(true);
    h.advanceTo(200000); // overdue
    h.log->take();

    // Until the engine confirms that the preview stopped, the camera is not free.
    c.enableLivePreview(false);
    h.advanceTo(204000);
    QCOMPARE(h.log->takeTimed(), QStringList{"200000 stopCameraUseRequested"});
    emit h.model.stopped();
    h.advanceTo(206000);
    QCOMPARE(h.log->takeTimed(), QStringList{"206000 " + request});
    QCOMPARE(c.featureInUse(), feature);
}

void ControllerSchedulerTest::cameraChoiceFallsBackToFirstCamera()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.setCameraIDpreffered(5);
    QCOMPARE(h.log->take(), QStringList{});
    c.setCameraIDpreffered(1);
    QCOMPARE(h.log->take(), QStringList{"cameraIDchanged(1)"});
    c.setCameraIDpreffered(5);
    QCOMPARE(h.log->take(), QStringList{"cameraIDchanged(0)"});
    c.setCameraIDpreffered(1);
    QCOMPARE(h.log->take(), QStringList{"cameraIDchanged(1)"});

    h.cameras->cameras.clear();
    c.reloadCameras();
    QCOMPARE(h.log->take(), QStringList{"cameraIDchanged(0)"});

    // The list is read again before each camera feature.
    h.cameras->cameras = QStringList{"Integrated Camera", "USB Camera"};
    c.enableMeasurement(true);
    c.takeMeasurementNow();
    h.advanceTo(16000);
    QCOMPARE(h.log->take(), (QStringList{"cameraIDchanged(1)", "blinkMeasurementRequested"}));
}

void ControllerSchedulerTest::quitWhileScreenDetectionWaitsFinishesAfterTheWait()
{
    ControllerHarness h;
    int signalsDuringWait = -1;
    QTimer::singleShot(0, h.controller.get(), [&] {
        h.controller->quit();
        signalsDuringWait = h.log->take().size();
    });
    h.controller->detectScreensWindows(5000);
    QCOMPARE(signalsDuringWait, 0);
    QCOMPARE(h.log->take(), QStringList{"finished"});
    // The shutdown does not wait for the detection's delay.
    QCOMPARE(h.nowMs(), qint64(0));
}

void ControllerSchedulerTest::screenDetectionWaitLetsTheSchedulerRun()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableBlinkTraining(true);
    h.advanceTo(29000);
    QStringList duringWait;
    QTimer::singleShot(0, &c, [&] {
        h.advanceTo(31999);
        duringWait = h.log->takeTimed();
        h.advanceTo(32000); // ends the 3 s wait of an opened lid
    });
    c.setLidOpenStatus(true);
    QCOMPARE(h.nowMs(), qint64(32000));
    QCOMPARE(duringWait, QStringList{"30000 blinkReminderRequested"});
    h.advanceTo(34000);
    QCOMPARE(h.log->takeTimed(), QStringList{"33000 userBlinked"});
}

QTEST_GUILESS_MAIN(ControllerSchedulerTest)
#include "tst_ControllerScheduler.moc"
