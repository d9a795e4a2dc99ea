#include "app/SchedulerWindowWiring.h"
#include "common/SharedTypes.h"
#include "controller/ControllerHarness.h"
#include "gui/WinkwellGUI.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "platform/fake/FakeAutostart.h"
#include "platform/fake/FakeCameraControls.h"
#include "support/FakeSystemListener.h"

#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

// A working day with the real reminder windows and the scheduler on simulated time, wired as the
// program wires them: reminders, exercises and breaks keep coming, and every one of them ends.
class TestDayWithWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        registerSharedTypes();
        QStandardPaths::setTestModeEnabled(true);
    }

    void aWholeDayOfRemindersExercisesAndBreaks()
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Orvalde", "winkwell");
        store.clear();
        // Reminders without the camera, so the scheduler needs no engine answers.
        store.setValue("G/IR", false);
        store.setValue("G/M", false);
        store.setValue("G/SC", false);
        store.setValue("G/WS", false);
        store.sync();

        ControllerHarness harness;
        GuiServices services;
        services.systemListenerFactory = [] {
            return std::unique_ptr<SystemSession::EventFilter>(
                std::make_unique<FakeSystemListener>());
        };
        services.cameras = harness.cameras;
        services.cameraControls = [](int) {
            return std::unique_ptr<CameraControls>(std::make_unique<FakeCameraControls>());
        };
        services.autostart = std::make_shared<FakeAutostart>();
        services.languages = [] { return QVector<QLocale>{QLocale()}; };
        services.setLanguage = [](int) {};
        WinkwellGUI gui(services);
        connectSchedulerAndWindows(harness.controller.get(), &gui);
        gui.init();
        harness.log->take();

        BreakReminderWidget* breakWindow = gui.breakReminder();
        ExerciseReminderWidget* exercise = gui.exerciseReminder();
        auto* showingTimer = exercise->findChild<QTimer*>("showingTimer");
        QVERIFY(showingTimer);

        const qint64 hour = 3600 * 1000;
        const qint64 day = 9 * hour;
        int breaksSeen = 0;
        bool breakShown = false;
        QVector<int> reminders(9), exercises(9), breaks(9);
        while (harness.nowMs() < day) {
            const int slot = int(harness.nowMs() / hour);
            if (breakWindow->isVisible()) {
                if (!breakShown) {
                    breakShown = true;
                    ++breaks[slot];
                    ++breaksSeen;
                    // The first break is skipped, the second snoozed; the user takes the rest.
                    if (breaksSeen <= 2) {
                        const char* button =
                            breaksSeen == 1 ? "pushButton_skip" : "pushButton_snooze";
                        QTest::mouseClick(breakWindow->findChild<QPushButton*>(button),
                                          Qt::LeftButton);
                    }
                }
            } else {
                breakShown = false;
                harness.user->moveMouse();
            }
            if (exercise->isVisible() && showingTimer->remainingTime() > 0) {
                ++exercises[slot];
                showingTimer->start(0); // its ten seconds are over
            }
            if (gui.blinkReminder()->isVisible()) {
                ++reminders[slot];
            }
            harness.advanceMs(2000);
            QCoreApplication::processEvents();
        }

        // Every hour had its reminders and at least one exercise or break: nothing stalled.
        for (int h = 0; h < 9; ++h) {
            QVERIFY2(reminders[h] > 20,
                     qPrintable(QString("hour %1: %2 reminders").arg(h).arg(reminders[h])));
            QVERIFY2(exercises[h] + breaks[h] > 0, qPrintable(QString("hour %1 stalled").arg(h)));
        }
        int exerciseTotal = 0;
        for (int count : exercises) {
            exerciseTotal += count;
        }
        QVERIFY2(breaksSeen >= 8 && exerciseTotal >= 15,
                 qPrintable(QString("%1 breaks, %2 exercises").arg(breaksSeen).arg(exerciseTotal)));
        QCOMPARE(harness.log->spy("breakRequested").count(), breaksSeen);
        QCOMPARE(harness.log->spy("breakFinished").count() + 2, breaksSeen); // two were answered
        store.clear();
    }
};

QTEST_MAIN(TestDayWithWindows)
#include "test_day_with_windows.moc"
