#include "ControllerHarness.h"
#include "controller/SettingsSummary.h"

#include <QMutex>
#include <QThread>
#include <QtTest>

Q_DECLARE_METATYPE(FeatureSettings)

namespace {

QMutex g_warningsMutex;
QStringList* g_warnings = nullptr;
QtMessageHandler g_previousHandler = nullptr;

// Warnings come from the controller's thread as well.
void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg) {
        QMutexLocker lock(&g_warningsMutex);
        if (g_warnings) {
            g_warnings->append(message);
        }
    }
    g_previousHandler(type, context, message);
}

} // namespace

class ControllerSupportTest : public QObject
{
    Q_OBJECT

private slots:
    void simulatedTimersFireInDeadlineOrder();
    void settingsSummaryPieces_data();
    void settingsSummaryPieces();
    void measurementNoteWithEverythingOnAtDefaults();
    void runsInItsOwnThreadWithRealTimers();
};

void ControllerSupportTest::simulatedTimersFireInDeadlineOrder()
{
    // The scheduler's tests rely on this order, on timers changed from a timeout, and on
    // timers that outlive their clock when the controller holds its last reference.
    QObject owner;
    CountdownTimer* outliving = nullptr;
    {
        SimulatedSchedulerClock clock(QDateTime(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC));
        QStringList fired;
        CountdownTimer* tick = clock.createTimer(&owner);
        tick->setInterval(2000);
        QObject::connect(tick, &CountdownTimer::timeout,
                         [&] { fired << QStringLiteral("tick@%1").arg(clock.elapsedMs()); });
        CountdownTimer* once = clock.createTimer(&owner);
        once->setSingleShot(true);
        CountdownTimer* deleted = clock.createTimer(&owner);
        deleted->setSingleShot(true);
        QObject::connect(deleted, &CountdownTimer::timeout, [&] { fired << "deleted"; });
        QObject::connect(once, &CountdownTimer::timeout, [&] {
            fired << QStringLiteral("once@%1").arg(clock.elapsedMs());
            if (deleted) {
                delete deleted;
                deleted = nullptr;
                once->start(3000);
            }
        });

        once->start(4000); // started before the tick: wins the tie at 4000
        deleted->start(4500);
        tick->start();
        QCOMPARE(once->remainingTime(), 4000);
        clock.advance(7500);
        QCOMPARE(fired,
                 (QStringList{"tick@2000", "once@4000", "tick@4000", "tick@6000", "once@7000"}));
        QCOMPARE(once->remainingTime(), -1);
        QCOMPARE(tick->remainingTime(), 500);
        QCOMPARE(clock.nowUtc(), QDateTime(QDate(2024, 1, 1), QTime(8, 0, 7, 500), Qt::UTC));

        tick->stop();
        clock.advance(10000);
        QCOMPARE(fired.size(), 5);
        outliving = tick;
        outliving->start(1000);
    }
    QVERIFY(!outliving->isActive());
    outliving->start(1000);
    QVERIFY(!outliving->isActive());
}

void ControllerSupportTest::settingsSummaryPieces_data()
{
    QTest::addColumn<FeatureSettings>("settings");
    QTest::addColumn<QString>("summary");

    FeatureSettings off;
    QTest::newRow("everything off") << off << QString();

    FeatureSettings screen;
    screen.screenControlEnabled = true;
    screen.colorTemperature = 45;
    screen.brightnessSlider = -3;
    QTest::newRow("screen") << screen << QStringLiteral("Screen;Temp45;Brightness-3;");

    // Options of a feature that is off leave no trace; periods are whole seconds.
    FeatureSettings training;
    training.blinkReminderPeriodMs = 45999;
    training.interactiveReminder = true;
    training.mgdEnabled = true;
    QTest::newRow("training off") << training << QString();
    training.trainingEnabled = true;
    QTest::newRow("training on") << training << QStringLiteral("Train;TrainPeriod45;Interact;MGD;");

    FeatureSettings natural;
    natural.includeNaturalBreaks = true;
    natural.naturalBreakDurationMinutes = 5;
    natural.breakPeriodMinutes = 40;
    QTest::newRow("natural breaks without breaks")
        << natural << QStringLiteral("IncludeNatBreak;NatBreakDuration5;");
}

void ControllerSupportTest::settingsSummaryPieces()
{
    QFETCH(FeatureSettings, settings);
    QFETCH(QString, summary);
    QCOMPARE(settingsSummary(settings), summary);
}

void ControllerSupportTest::measurementNoteWithEverythingOnAtDefaults()
{
    ControllerHarness h;
    ApplicationController& c = *h.controller;
    c.enableScreenControl(true, 0);
    c.enableBlinkTraining(true);
    c.enableInteractiveBlinkReminder(true);
    c.enableMGDblinkTraining(true);
    c.enableEyeExercisebreaks(true);
    c.enableComputerBreaks(true);
    c.includeNaturalBreaks(true);
    c.enableMeasurement(true);
    h.log->take();

    emit h.model.measurementSuccessful(15.0f, 180000);
    // Screen control found no hardware and had no position from the window: the slider is 0.
    QCOMPARE(h.log->take(),
             QStringList{"measurementCompleted(15,Screen;Temp66;Brightness0;Train;TrainPeriod30;"
                         "Interact;MGD;Exer;Break;BreakPeriod50;IncludeNatBreak;"
                         "NatBreakDuration3;,180000)"});

    // The pieces follow the settings as they are at that moment.
    c.setColorTemperature(55);
    c.setBrightness(7);
    c.setBlinkReminderPeriod(60000);
    c.enableInteractiveBlinkReminder(false);
    c.setNaturalBreakDuration(4);
    QCOMPARE(c.settingsSummary(),
             QStringLiteral("Screen;Temp55;Brightness7;Train;TrainPeriod60;MGD;Exer;Break;"
                            "BreakPeriod50;IncludeNatBreak;NatBreakDuration4;"));
}

void ControllerSupportTest::runsInItsOwnThreadWithRealTimers()
{
    QStringList warnings;
    g_warnings = &warnings;
    g_previousHandler = qInstallMessageHandler(collectWarnings);

    QThread thread;
    auto* controller = new ApplicationController;
    controller->moveToThread(&thread);
    connect(&thread, &QThread::started, controller, &ApplicationController::init,
            Qt::QueuedConnection);
    connect(controller, &ApplicationController::finished, &thread, &QThread::quit,
            Qt::DirectConnection);
    connect(&thread, &QThread::finished, controller, &QObject::deleteLater);
    // Reported to this thread through queued connections.
    bool initialized = false;
    bool finished = false;
    bool destroyed = false;
    connect(controller, &ApplicationController::controllerInitialized, this,
            [&] { initialized = true; });
    connect(controller, &ApplicationController::finished, this, [&] { finished = true; });
    connect(controller, &QObject::destroyed, this, [&] { destroyed = true; });

    // Settings queued before the thread starts run there before init(), and the screen
    // detection waits in its own loop, made on this thread.
    QMetaObject::invokeMethod(controller, "enableBlinkTraining", Qt::QueuedConnection,
                              Q_ARG(bool, true));
    QMetaObject::invokeMethod(controller, "enableComputerBreaks", Qt::QueuedConnection,
                              Q_ARG(bool, true));
    QMetaObject::invokeMethod(controller, "enableScreenControl", Qt::QueuedConnection,
                              Q_ARG(bool, true), Q_ARG(int, 50));
    thread.start();
    QTRY_VERIFY_WITH_TIMEOUT(initialized, 10000);
    QMetaObject::invokeMethod(controller, "enableMeasurement", Qt::QueuedConnection,
                              Q_ARG(bool, true));
    QMetaObject::invokeMethod(controller, "quit", Qt::QueuedConnection);
    QVERIFY(thread.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(finished && destroyed, 10000);

    qInstallMessageHandler(g_previousHandler);
    {
        QMutexLocker lock(&g_warningsMutex);
        g_warnings = nullptr;
    }
    // Timers created or started outside their thread would have warned.
    for (const QString& warning : qAsConst(warnings)) {
        QVERIFY2(!warning.contains(QLatin1String("Timer")), qPrintable(warning));
    }
}

QTEST_GUILESS_MAIN(ControllerSupportTest)
#include "tst_ControllerSupport.moc"
