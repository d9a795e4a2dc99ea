#include "gui/WinkwellGUI.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

// The main window as the application wires it: on the X display test.sh starts.
class TestWinkwellGUI : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X display (test.sh starts one)");
        }
    }

    void windowOutsideEveryScreenComesBackToTheTopEdge()
    {
        WinkwellGUI gui;
        gui.move(-5000, -5000);
        gui.openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&gui));
        const QScreen* primary = QGuiApplication::primaryScreen();
        // The window manager may add its frame around the requested place.
        QTRY_VERIFY(qAbs(gui.geometry().x() - primary->geometry().width() / 2) <= 2);
        QVERIFY(primary->geometry().contains(gui.geometry().topLeft()));
        QVERIFY(gui.isVisible());
    }

    void previewImageIsCopiedAtOnce()
    {
        WinkwellGUI gui;
        QImage image(400, 300, QImage::Format_RGB888);
        image.fill(Qt::red);
        gui.showImage(&image);
        image.fill(Qt::blue); // the engine may reuse its image after the slot returns
        QCOMPARE(gui.lastImage().pixelColor(10, 10), QColor(Qt::red));
        gui.showImage(nullptr);
        QCOMPARE(gui.lastImage().pixelColor(10, 10), QColor(Qt::red));
    }

    void storedChoicesReachTheControllersAtInit()
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Orvalde", "winkwell");
        settings.clear();
        settings.setValue("G/TP", 12);
        settings.setValue("G/M", false);
        settings.sync();
        WinkwellGUI gui;
        QSignalSpy period(&gui, &WinkwellGUI::trainingPeriodChanged);
        QSignalSpy measurement(&gui, &WinkwellGUI::measurementEnabled);
        QSignalSpy breaks(&gui, &WinkwellGUI::timeBetweenBreaksChanged);
        gui.init();
        QCOMPARE(period.count(), 1);
        QCOMPARE(period.at(0).at(0).toInt(), 12000);
        QCOMPARE(measurement.at(0).at(0).toBool(), false);
        QCOMPARE(breaks.at(0).at(0).toInt(), 50); // the default of a first start
        // Starting with the system is on by default, and its entry is written at each start.
        const QString entry =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            "/autostart/winkwell.desktop";
        QVERIFY(QFile::exists(entry));
        gui.on_checkBox_settingsStartOnStartUp_toggled(false);
        QVERIFY(!QFile::exists(entry));
        QCOMPARE(settings.value("G/WS").toBool(), false);
        settings.clear();
    }

    // The scheduler's requests reach the real reminder windows, and their answers come back as
    // the main window's own signals.
    void remindersShowAndAnswerThroughTheMainWindow()
    {
        WinkwellGUI gui;
        gui.openWindow();
        QSignalSpy skipped(&gui, &WinkwellGUI::skipBreakClicked);
        QSignalSpy snoozed(&gui, &WinkwellGUI::snoozeBreakClicked);
        QSignalSpy exerciseDone(&gui, &WinkwellGUI::exerciseFinished);
        QSignalSpy touched(&gui, &WinkwellGUI::hideBlinkReminderByMouseRequested);

        gui.showReminder();
        QVERIFY(gui.blinkReminder()->isVisible());
        gui.responceToBlink();
        QVERIFY(!gui.blinkReminder()->isVisible());
        gui.showReminder();
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(gui.blinkReminder(), &enter);
        QCOMPARE(touched.count(), 1);

        gui.showBreakReminder();
        QVERIFY(gui.breakReminder()->isVisible());
        QTest::mouseClick(gui.breakReminder()->findChild<QPushButton*>("pushButton_skip"),
                          Qt::LeftButton);
        QCOMPARE(skipped.count(), 1);
        QVERIFY(!gui.isVisible()); // the break is meant to be taken away from the screen
        gui.openWindow();
        gui.showBreakReminder();
        QTest::mouseClick(gui.breakReminder()->findChild<QPushButton*>("pushButton_snooze"),
                          Qt::LeftButton);
        QCOMPARE(snoozed.count(), 1);
        QVERIFY(!gui.isVisible());
        gui.showBreakReminder();
        gui.hideBreakReminder();
        QVERIFY(!gui.breakReminder()->isVisible());

        gui.showExercise();
        QVERIFY(gui.exerciseReminder()->isVisible());
        gui.hideExerciseReminder();
        QVERIFY(!gui.exerciseReminder()->isVisible());
        QCOMPARE(exerciseDone.count(), 1);
        gui.hideExerciseReminder(); // nothing shown: nothing more to report
        QCOMPARE(exerciseDone.count(), 1);

        // The position button puts the reminder into its position-change mode and back.
        auto* button = gui.findChild<QPushButton*>("pushButton_changeBlinkReminderPosition");
        button->click();
        QVERIFY(gui.blinkReminder()->isInPositionChangeMode());
        QCOMPARE(button->text(), QStringLiteral("SAVE NEW POSITION"));
        button->click();
        QVERIFY(!gui.blinkReminder()->isInPositionChangeMode());
        QCOMPARE(button->text(), QStringLiteral("CHANGE REMINDER POSITION"));
    }

    void languageChangeReachesTheEngine()
    {
        WinkwellGUI gui;
        QSignalSpy changed(&gui, &WinkwellGUI::languageChanged);
        QEvent event(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&gui, &event);
        QCOMPARE(changed.count(), 1);
    }
};

int main(int argc, char* argv[])
{
    // Without a display the tests skip instead of failing to start.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TestWinkwellGUI test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_winkwellgui.moc"
