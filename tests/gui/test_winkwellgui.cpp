#include "../controller/ControllerHarness.h"
#include "common/CameraRun.h"
#include "common/SettingsStore.h"
#include "common/Version.h"
#include "gui/BlinkRatePlot.h"
#include "gui/HotkeyText.h"
#include "gui/WinkwellGUI.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "platform/fake/FakeAutostart.h"
#include "platform/fake/FakeCameraCatalog.h"
#include "platform/fake/FakeCameraControls.h"
#include "platform/fake/FakeGlobalShortcut.h"
#include "support/FakeSystemListener.h"
#include "support/X11Tools.h"
#include "ui_WinkwellGUI.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTranslator>
#include <QtTest>

namespace {

// The window with fakes around it: a listener the test fires, two cameras, two languages.
struct Window
{
    std::shared_ptr<FakeCameraCatalog> cameras = std::make_shared<FakeCameraCatalog>();
    std::shared_ptr<FakeAutostart> autostart = std::make_shared<FakeAutostart>();
    std::shared_ptr<FakeGlobalShortcuts> keys = std::make_shared<FakeGlobalShortcuts>();
    FakeSystemListener* listener = nullptr;
    QVector<int> languageSwitches;
    std::unique_ptr<WinkwellGUI> gui;

    // autostart: the registration as an earlier run left it.
    explicit Window(bool tray = true, std::shared_ptr<FakeAutostart> earlier = {})
    {
        if (earlier) {
            autostart = std::move(earlier);
        }
        cameras->cameras = QStringList{"Integrated Camera", "USB Camera"};
        GuiServices services;
        if (!tray) {
            services.trayAvailable = [] { return false; };
        }
        services.systemListenerFactory = [this] {
            auto fake = std::make_unique<FakeSystemListener>();
            listener = fake.get();
            return std::unique_ptr<SystemSession::EventFilter>(std::move(fake));
        };
        services.cameras = cameras;
        services.cameraControls = [](int index) {
            auto controls = std::make_unique<FakeCameraControls>();
            controls->index = index;
            return std::unique_ptr<CameraControls>(std::move(controls));
        };
        services.autostart = autostart;
        services.languages = [] {
            return QVector<QLocale>{QLocale(QLocale::English, QLocale::UnitedStates),
                                    QLocale(QLocale::German, QLocale::Germany)};
        };
        services.setLanguage = [this](int index) { languageSwitches << index; };
        services.globalShortcut = keys->factory();
        gui = std::make_unique<WinkwellGUI>(services);
    }
    Ui::widget_winkwell* ui() const { return gui->form(); }
    // The colour temperature the window shows.
    QString colourTemperature() const
    {
        for (const QToolButton* button :
             {ui()->toolButton_lowColorTemperature, ui()->toolButton_mediumColorTemperature,
              ui()->toolButton_normalColorTemperature}) {
            if (button->isChecked()) {
                return button->text();
            }
        }
        return QString();
    }
    QStringList menu() const
    {
        QStringList texts;
        for (const QAction* action : gui->trayMenu()->actions()) {
            if (!action->isSeparator()) {
                texts << action->text();
            }
        }
        return texts;
    }
};

// Key names of another language, as the framework's own translations give them.
class KeyNames : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        return QLatin1String(context) == QLatin1String("QShortcut") &&
                       QLatin1String(source) == QLatin1String("Down")
                   ? QStringLiteral("Runter")
                   : QString();
    }
    bool isEmpty() const override { return false; }
};

QKeySequence defaultKeys(const SettingKey& key)
{
    return hotkeyFromText(key.defaultValue.toString());
}

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvalde", "winkwell");
}

// The first argument of every emission, as text.
QStringList values(const QSignalSpy& spy)
{
    QStringList texts;
    for (const QList<QVariant>& arguments : spy) {
        texts << (arguments.isEmpty() ? QString() : arguments.first().toString());
    }
    return texts;
}

} // namespace

// The main window as the application wires it, on the X display test.sh starts.
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

    void init() { store().clear(); }

    void firstStartAnnouncesOnlyWhatDiffersFromTheControls()
    {
        Window w;
        QSignalSpy measurement(w.gui.get(), &WinkwellGUI::measurementEnabled);
        QSignalSpy training(w.gui.get(), &WinkwellGUI::trainingEnabled);
        QSignalSpy natural(w.gui.get(), &WinkwellGUI::includeNaturalBreaksChanged);
        QSignalSpy period(w.gui.get(), &WinkwellGUI::trainingPeriodChanged);
        QSignalSpy exercises(w.gui.get(), &WinkwellGUI::eyeExerciseReminderEnabled);
        QSignalSpy breaks(w.gui.get(), &WinkwellGUI::breakReminderEnabled);
        QSignalSpy interactive(w.gui.get(), &WinkwellGUI::reminderInteractivityChanged);
        QSignalSpy camera(w.gui.get(), &WinkwellGUI::cameraIDchanged);
        QSignalSpy screen(w.gui.get(), &WinkwellGUI::screenControlEnabled);
        QSignalSpy betweenBreaks(w.gui.get(), &WinkwellGUI::timeBetweenBreaksChanged);
        QSignalSpy naturalLength(w.gui.get(), &WinkwellGUI::naturalBreakDurationChanged);
        w.gui->init();
        QCOMPARE(values(measurement), QStringList{"true"});
        QCOMPARE(values(training), QStringList{"true"});
        QCOMPARE(values(natural), QStringList{"true"});
        QCOMPARE(period.count(), 0); // the scheduler starts at 30 s, as the control does
        QCOMPARE(values(exercises), QStringList{"true"});
        QCOMPARE(values(breaks), QStringList{"true"});
        QCOMPARE(values(interactive), QStringList{"true"});
        QCOMPARE(values(camera), QStringList{"0"});
        QCOMPARE(screen.count(), 1);
        QCOMPARE(screen.first().at(1).toInt(), 1000);
        QCOMPARE(betweenBreaks.count(), 0);
        QCOMPARE(naturalLength.count(), 0);
        for (const char* key : {"G/M", "G/T", "G/INB", "G/REER", "G/BRE", "G/IR", "G/NCM", "G/WS",
                                "G/PENCS", "G/HOTKEYS_ON", "G/SC"}) {
            QVERIFY2(store().contains(key), key);
        }
        QVERIFY(w.autostart->isEnabled());
        QVERIFY(w.ui()->checkBox_isMGDenabled->isEnabled());
        // The next start leaves an entry the desktop switched off as it is; the user's own
        // click in the program switches it on.
        w.autostart->switchedOffByTheDesktop = true;
        Window next(true, w.autostart);
        next.gui->init();
        QVERIFY(w.autostart->switchedOffByTheDesktop);
        next.ui()->checkBox_settingsStartOnStartUp->click();
        next.ui()->checkBox_settingsStartOnStartUp->click();
        QVERIFY(!w.autostart->switchedOffByTheDesktop);
        QCOMPARE(w.ui()->keySequenceEdit_hotkeysIncreaseHWScreenBrightness->keySequence(),
                 defaultKeys(SettingKeys::hotkeyBrightnessUp));
    }

    void storedValuesLoadAsTheControlsShowThem()
    {
        auto settings = store();
        settings.setValue("G/TBRR", 40);
        settings.setValue("G/CT", 70);
        settings.setValue("G/TP", 500);
        settings.setValue("G/IR", false);
        settings.setValue("G/CID", 7);
        settings.setValue("G/NBD", "many");
        settings.setValue("G/HOTKEYS_ON", false);
        settings.setValue("G/HOTKEY_HW_UP", "Ctrl+F5");
        settings.setValue("G/HOTKEYS_CT_CHANGE", "Ctrl+F5"); // as an older version could leave it
        settings.setValue("G/UWIB", true);
        settings.setValue("G/HOLDCALL", false);
        settings.setValue("G/CALLTEL", "Zoom Meeting");
        settings.sync();
        Window w;
        QSignalSpy webcamInBreaks(w.gui.get(), &WinkwellGUI::useWebcamInBreaksChanged);
        QSignalSpy holdInCalls(w.gui.get(), &WinkwellGUI::holdRemindersInCallsChanged);
        QSignalSpy betweenBreaks(w.gui.get(), &WinkwellGUI::timeBetweenBreaksChanged);
        QSignalSpy colour(w.gui.get(), &WinkwellGUI::colorTemperatureSliderPositionChanged);
        QSignalSpy period(w.gui.get(), &WinkwellGUI::trainingPeriodChanged);
        QSignalSpy interactive(w.gui.get(), &WinkwellGUI::reminderInteractivityChanged);
        QSignalSpy camera(w.gui.get(), &WinkwellGUI::cameraIDchanged);
        QSignalSpy naturalLength(w.gui.get(), &WinkwellGUI::naturalBreakDurationChanged);
        w.gui->init();
        QCOMPARE(values(betweenBreaks), QStringList{"40"});
        QCOMPARE(colour.count(), 0); // "NORMAL" was already checked
        QVERIFY(w.ui()->toolButton_normalColorTemperature->isChecked());
        QCOMPARE(values(period), QStringList{"60000"}); // clamped by the spin box
        QCOMPARE(store().value("G/TP").toInt(), 60);
        QCOMPARE(values(interactive), QStringList{"false"});
        QVERIFY(!w.ui()->checkBox_isMGDenabled->isEnabled());
        QCOMPARE(values(camera), QStringList{"0"}); // a camera that is gone falls back to the first
        QCOMPARE(naturalLength.count(), 0);         // unreadable: the default, as designed
        QCOMPARE(values(webcamInBreaks), QStringList{"true"});
        QCOMPARE(values(holdInCalls), QStringList{"false"});
        QCOMPARE(w.ui()->lineEdit_callTitles->text(), QString("Zoom Meeting"));
        QVERIFY(!w.ui()->lineEdit_callTitles->isEnabled());
        // Hotkeys off: nothing registered, the editors show the stored keys but are disabled.
        QVERIFY(w.keys->alive().isEmpty());
        QVERIFY(!w.ui()->keySequenceEdit_hotkeysIncreaseHWScreenBrightness->isEnabled());
        QVERIFY(!w.ui()->label_hotkeysChangeColorTemperature->isEnabled());
        w.ui()->checkBox_hotkeysEnable->setChecked(true);
        // A key stored for two hotkeys goes to the first only.
        QCOMPARE(w.keys->registered(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+F5"),
                                      defaultKeys(SettingKeys::hotkeyBrightnessDown)}));
        QVERIFY(w.ui()->keySequenceEdit_hotkeysChangeColorTemperature->keySequence().isEmpty());
        QVERIFY(w.ui()->label_hotkeysProblem->text().contains("Ctrl+F5 is already another hotkey"));
    }

    void controlsSaveAndAnnounceOnce()
    {
        Window w;
        w.gui->init();
        QSignalSpy measurement(w.gui.get(), &WinkwellGUI::measurementEnabled);
        QSignalSpy requested(w.gui.get(), &WinkwellGUI::measurementRequested);
        w.ui()->toolButton_blinkMonitoringOnOff->setChecked(false);
        w.ui()->toolButton_blinkMonitoringOnOff->setChecked(false);
        QCOMPARE(values(measurement), QStringList{"false"});
        // The first measurement switches statistics on first.
        w.ui()->pushButton_blinkMonitoringTakeFirstMeasurement->click();
        QCOMPARE(values(measurement), (QStringList{"false", "true"}));
        QCOMPARE(requested.count(), 1);
        QCOMPARE(w.gui->statusCode(), 1);

        // Without hardware brightness only the software range stays.
        w.gui->disableHWbrightnessControl();
        w.gui->setBrightnessSliderPosition(7);
        QCOMPARE(w.ui()->slider_brightness->value(), 0);
        w.gui->setBrightnessSliderPosition(-5);
        QCOMPARE(w.ui()->label_brightnessValue->text(), QStringLiteral("-5"));
        QSignalSpy screen(w.gui.get(), &WinkwellGUI::screenControlEnabled);
        w.ui()->toolButton_screenControlOnOff->setChecked(false);
        w.ui()->toolButton_screenControlOnOff->setChecked(true);
        QCOMPARE(w.ui()->slider_brightness->value(), 0); // lifted before the controller hears
        QCOMPARE(screen.count(), 2);

        // A camera choice switches the camera, then restarts the test.
        QSignalSpy camera(w.gui.get(), &WinkwellGUI::cameraIDchanged);
        QSignalSpy preview(w.gui.get(), &WinkwellGUI::cameraPreviewEnabled);
        w.gui->on_comboBox_chooseCamera_activated(1);
        QCOMPARE(values(camera), QStringList{"1"});
        QCOMPARE(values(preview), QStringList{"true"});
        QCOMPARE(store().value("G/CID").toInt(), 1);

        // The same language again does nothing; another one switches once.
        w.gui->on_comboBox_chosenLanguage_activated(0);
        QVERIFY(w.languageSwitches.isEmpty());
        w.gui->on_comboBox_chosenLanguage_activated(1);
        QCOMPARE(w.languageSwitches, QVector<int>{1});
        QCOMPARE(store().value("G/QT_locale_name").toString(), QStringLiteral("de_DE"));

        // Option texts reach the listener as they are typed.
        w.ui()->checkBox_whenProcessRun->setChecked(true);
        QVERIFY(w.ui()->lineEdit_whenProcessRun->isEnabled());
        w.ui()->lineEdit_whenProcessRun->setText("zoom;vlc");
        QVERIFY(w.listener->requests.contains("enableProcessCheck on"));
        QVERIFY(w.listener->requests.contains("setProcesses zoom;vlc"));
        QCOMPARE(store().value("G/WPRL").toString(), QStringLiteral("zoom;vlc"));
        w.ui()->checkBox_pauseOnBattery->setChecked(true);
        QVERIFY(w.listener->requests.contains("checkBatteryStatus"));
    }

    void hotkeysDriveTheScreenFromAnywhere()
    {
        Window w;
        w.gui->init();
        const QKeySequence up = defaultKeys(SettingKeys::hotkeyBrightnessUp);
        const QKeySequence down = defaultKeys(SettingKeys::hotkeyBrightnessDown);
        const QKeySequence colour = defaultKeys(SettingKeys::hotkeyColorTemperature);
        QCOMPARE(w.keys->registered(), (QList<QKeySequence>{up, down, colour}));
        QSignalSpy brightness(w.gui.get(), &WinkwellGUI::brightnessSliderPositionChanged);
        QSignalSpy temperature(w.gui.get(), &WinkwellGUI::colorTemperatureSliderPositionChanged);

        // Screen control is on; the slider starts at its top.
        QVERIFY(w.ui()->toolButton_screenControlOnOff->isChecked());
        w.keys->press(up);
        QCOMPARE(w.ui()->slider_brightness->value(), 10);
        QCOMPARE(brightness.count(), 0);
        w.keys->press(down);
        QCOMPARE(values(brightness), QStringList{"9"});
        // With screen control off the brightness keys do nothing, the colour key still works.
        w.ui()->toolButton_screenControlOnOff->setChecked(false);
        w.keys->press(up);
        w.keys->press(down);
        QCOMPARE(w.ui()->slider_brightness->value(), 9);
        QCOMPARE(values(brightness), QStringList{"9"});
        QStringList shown;
        QStringList stored;
        for (int press = 0; press < 3; ++press) {
            w.keys->press(colour);
            shown << w.colourTemperature();
            stored << store().value("G/CT").toString();
        }
        QCOMPARE(shown, (QStringList{"WARMER", "WARM", "NORMAL"}));
        QCOMPARE(stored, (QStringList{"45", "55", "66"}));
        QCOMPARE(values(temperature), (QStringList{"45", "55", "66"}));

        // A combination another hotkey has is neither taken nor saved, nor left in the editor:
        // switching hotkeys off and on must not give one key two actions.
        w.ui()->toolButton_screenControlOnOff->setChecked(true);
        const QVariant storedDown = store().value("G/HOTKEY_HW_DOWN");
        auto* decrease = w.ui()->keySequenceEdit_hotkeysDecreaseHWScreenBrightness;
        decrease->setKeySequence(up);
        emit decrease->editingFinished();
        QCOMPARE(store().value("G/HOTKEY_HW_DOWN"), storedDown);
        QCOMPARE(w.keys->registered(), (QList<QKeySequence>{up, down, colour}));
        QCOMPARE(decrease->keySequence(), down);
        QVERIFY(!w.ui()->label_hotkeysProblem->isHidden());
        QVERIFY(w.ui()->label_hotkeysProblem->text().contains("already another hotkey"));
        w.ui()->checkBox_hotkeysEnable->setChecked(false);
        w.ui()->checkBox_hotkeysEnable->setChecked(true);
        QCOMPARE(w.keys->registered(), (QList<QKeySequence>{up, down, colour}));
        w.keys->press(up);
        QCOMPARE(w.ui()->slider_brightness->value(), 10);
        // One the system refuses is saved all the same, and the old one is given up.
        const QKeySequence held("Ctrl+Alt+Down");
        w.keys->refused << held;
        decrease->setKeySequence(held);
        QTest::ignoreMessage(
            QtWarningMsg, "QxtGlobalShortcut failed to register: QKeySequence(\"Ctrl+Alt+Down\")");
        emit decrease->editingFinished();
        QCOMPARE(store().value("G/HOTKEY_HW_DOWN").toString(), QStringLiteral("Ctrl+Alt+Down"));
        QCOMPARE(w.keys->registered(), (QList<QKeySequence>{up, colour}));
        // Marked on the settings page, with the reason.
        QVERIFY(w.ui()->label_hotkeysProblem->text().contains("held by the desktop or another"));

        // Off releases everything; on again takes what was chosen, the mark going with it.
        w.ui()->checkBox_hotkeysEnable->setChecked(false);
        QVERIFY(w.keys->alive().isEmpty());
        QVERIFY(!decrease->isEnabled());
        QCOMPARE(store().value("G/HOTKEYS_ON").toBool(), false);
        w.keys->refused.clear();
        w.ui()->checkBox_hotkeysEnable->setChecked(true);
        QVERIFY(decrease->isEnabled());
        QCOMPARE(w.keys->registered(), (QList<QKeySequence>{up, held, colour}));
        QVERIFY(w.ui()->label_hotkeysProblem->isHidden());
        w.keys->press(held);
        QCOMPARE(w.ui()->slider_brightness->value(), 9);
    }

    void automaticPausesNeverUndoTheUsers()
    {
        Window w;
        w.gui->init();
        QSignalSpy pause(w.gui.get(), &WinkwellGUI::pauseRequested);
        QSignalSpy camera(w.gui.get(), &WinkwellGUI::disableCameraUse);
        QSignalSpy woken(w.gui.get(), &WinkwellGUI::computerWakenUp);
        QSignalSpy battery(w.gui.get(), &WinkwellGUI::poweredByBattery);

        // Lock and unlock pause and resume for the lock only.
        w.listener->fire(0);
        QVERIFY(w.gui->isPaused());
        QCOMPARE(w.menu(), (QStringList{"Open winkwell", "Use winkwell", "Exit winkwell"}));
        QCOMPARE(w.gui->trayIcon()->toolTip(), QStringLiteral("winkwell - presentation mode"));
        w.listener->fire(3); // a resume without a suspend changes nothing
        QVERIFY(w.gui->isPaused());
        QCOMPARE(woken.count(), 1);
        w.listener->fire(1);
        QVERIFY(!w.gui->isPaused());
        QCOMPARE(w.menu(), (QStringList{"Open winkwell", "Pause winkwell", "Stop camera use",
                                        "Exit winkwell"}));

        // The user's own pause survives lock, suspend and resume; the coming sleep still waits
        // for the scheduler to confirm that the camera is off.
        QSignalSpy sleep(w.gui.get(), &WinkwellGUI::sleepPreparationRequested);
        w.ui()->action_pauseWinkwell->trigger();
        w.listener->fire(0);
        w.listener->fire(2);
        QCOMPARE(sleep.count(), 1);
        w.listener->fire(3);
        w.listener->fire(1);
        QVERIFY(w.gui->isPaused());
        QCOMPARE(values(pause), (QStringList{"true", "false", "true"}));
        w.ui()->action_resumeWinkwell->trigger();

        // Battery: the option decides; the mains always resume what the battery paused.
        w.listener->fire(13);
        QCOMPARE(values(battery), QStringList{"true"});
        QVERIFY(!w.gui->isCameraUsePaused());
        w.ui()->checkBox_pauseOnBattery->setChecked(true);
        w.listener->fire(13);
        QVERIFY(w.gui->isCameraUsePaused());
        QCOMPARE(w.menu(),
                 (QStringList{"Open winkwell", "Pause winkwell", "Use camera", "Exit winkwell"}));
        w.listener->fire(14);
        QVERIFY(!w.gui->isCameraUsePaused());
        QCOMPARE(values(camera), (QStringList{"true", "false"}));

        // Unchecking the process rule resumes a pause it made, never the user's.
        w.ui()->checkBox_whenProcessRun->setChecked(true);
        w.listener->fire(18);
        QVERIFY(w.gui->isPaused());
        w.ui()->checkBox_whenProcessRun->setChecked(false);
        QVERIFY(!w.gui->isPaused());
        w.ui()->checkBox_whenProcessRun->setChecked(true);
        w.ui()->action_pauseWinkwell->trigger();
        w.listener->fire(18);
        w.ui()->checkBox_whenProcessRun->setChecked(false);
        QVERIFY(w.gui->isPaused());
        w.ui()->action_resumeWinkwell->trigger();

        // Screens, lid and saver are passed on.
        QSignalSpy screen(w.gui.get(), &WinkwellGUI::screenControlEnabled);
        QSignalSpy lid(w.gui.get(), &WinkwellGUI::lidStatusOpen);
        QSignalSpy saver(w.gui.get(), &WinkwellGUI::powerSaverActivated);
        w.listener->fire(10);
        QCOMPARE(screen.first().at(1).toInt(), 5000);
        w.listener->fire(9);
        w.listener->fire(16);
        QCOMPARE(values(lid), QStringList{"false"});
        QCOMPARE(values(saver), QStringList{"true"});
        w.listener->fire(11); // cloned screen: pauses when the option is on (it is by default)
        QVERIFY(w.gui->isPaused());
        w.listener->fire(12);
        QVERIFY(!w.gui->isPaused());
    }

    void controlsStartWhereTheSchedulerStarts()
    {
        // A stored choice equal to its control's first value changes nothing and is sent
        // nowhere, so the scheduler must already start with it.
        Window w;
        ControllerHarness harness(false);
        const FeatureSettings start = harness.controller->featureSettings();
        const Ui::widget_winkwell* ui = w.ui();
        QCOMPARE(ui->toolButton_screenControlOnOff->isChecked(), start.screenControlEnabled);
        QCOMPARE(ui->toolButton_normalColorTemperature->isChecked(), start.colorTemperature == 66);
        QCOMPARE(ui->toolButton_blinkTrainingOnOff->isChecked(), start.trainingEnabled);
        QCOMPARE(ui->spinBox_trainingPeriod->value() * 1000, start.blinkReminderPeriodMs);
        QCOMPARE(ui->radioButton_isReminderInteractive->isChecked(), start.interactiveReminder);
        QCOMPARE(ui->checkBox_isMGDenabled->isChecked(), start.mgdEnabled);
        QCOMPARE(ui->toolButton_eyeExerciseOnOff->isChecked(), start.exercisesEnabled);
        QCOMPARE(ui->toolButton_computerBreaksOnOff->isChecked(), start.breaksEnabled);
        QCOMPARE(ui->spinBox_timeBetweenBreaks->value(), start.breakPeriodMinutes);
        QCOMPARE(ui->checkBox_includeNaturalBreaks->isChecked(), start.includeNaturalBreaks);
        QCOMPARE(static_cast<uint>(ui->spinBox_naturalBreaksDuration->value()),
                 start.naturalBreakDurationMinutes);
        QCOMPARE(ui->toolButton_blinkMonitoringOnOff->isChecked(),
                 harness.controller->isMeasurementEnabled());
        // The brightness slider is the exception: the scheduler takes its position from the
        // screens, not from the window.

        // A stored period of 15 s reaches the scheduler.
        store().setValue("G/TP", 15);
        QSignalSpy period(w.gui.get(), &WinkwellGUI::trainingPeriodChanged);
        w.gui->init();
        QCOMPARE(values(period), QStringList{"15000"});
    }

    void everyReasonHoldsThePauseUntilItEnds()
    {
        struct Reason
        {
            const char* name;
            int begins;
            int ends;
            bool camera; // pauses camera use rather than the program
        };
        const Reason reasons[] = {
            {"lock", 0, 1, false},        {"suspend", 2, 3, false},
            {"display off", 5, 4, false}, {"cloned screen", 11, 12, false},
            {"process", 18, 19, false},   {"pause title", 22, 23, false},
            {"battery", 13, 14, true},    {"camera title", 20, 21, true},
        };
        Window w;
        w.gui->init();
        for (QCheckBox* option :
             {w.ui()->checkBox_pauseAppWhenClonedScreen, w.ui()->checkBox_whenProcessRun,
              w.ui()->checkBox_pauseApp_whenTitleExist, w.ui()->checkBox_pauseOnBattery,
              w.ui()->checkBox_whenTitleExists}) {
            option->setChecked(true);
        }
        QSignalSpy pause(w.gui.get(), &WinkwellGUI::pauseRequested);
        QSignalSpy camera(w.gui.get(), &WinkwellGUI::disableCameraUse);
        const auto expect = [&](bool program, bool cameraUse, const QString& when) {
            QVERIFY2(w.gui->isPaused() == program && w.gui->isCameraUsePaused() == cameraUse,
                     qPrintable(when));
        };
        for (const Reason& a : reasons) {
            for (const Reason& b : reasons) {
                if (&a == &b) {
                    continue;
                }
                const QString pair = QStringLiteral("%1, then %2").arg(a.name, b.name);
                w.listener->fire(a.begins);
                w.listener->fire(b.begins);
                expect(!a.camera || !b.camera, a.camera || b.camera, pair);
                // The first to end leaves the other's pause in place.
                w.listener->fire(a.ends);
                expect(!b.camera, b.camera, pair + ", " + a.name + " ended");
                w.listener->fire(b.ends);
                expect(false, false, pair + ", both ended");
            }
        }
        // Each scope paused and resumed once a pair, whatever the other reason did meanwhile.
        QCOMPARE(pause.count(), 2 * (8 * 7 - 2));
        QCOMPARE(camera.count(), 2 * (8 * 7 - 6 * 5));

        // The user's pause outlives every automatic reason.
        w.ui()->action_pauseWinkwell->trigger();
        w.ui()->action_pauseWebcamUse->trigger();
        for (const Reason& reason : reasons) {
            w.listener->fire(reason.begins);
            w.listener->fire(reason.ends);
        }
        expect(true, true, QStringLiteral("after the user's pause"));
    }

    void theUsersCameraChoiceIsNeverUndone()
    {
        Window w;
        w.gui->init();
        w.ui()->checkBox_whenTitleExists->setChecked(true);
        // Paused by a window title; the user takes the camera back, then stops it again.
        w.listener->fire(20);
        QVERIFY(w.gui->isCameraUsePaused());
        w.ui()->action_resumeWebcamUse->trigger();
        QVERIFY(!w.gui->isCameraUsePaused());
        w.ui()->action_pauseWebcamUse->trigger();
        // The title's window closes: the camera stays off, as the user said.
        w.listener->fire(21);
        QVERIFY(w.gui->isCameraUsePaused());
        // The forced simple reminder is the pause's, never stored as the user's choice.
        QVERIFY(w.ui()->radioButton_isReminderSimple->isChecked());
        QCOMPARE(store().value("G/IR").toBool(), true);
        w.ui()->action_resumeWebcamUse->trigger();
        QVERIFY(w.ui()->radioButton_isReminderInteractive->isChecked());
    }

    void listsReachTheListenerWhenTypingEnds()
    {
        Window w;
        w.gui->init();
        w.gui->show();
        w.ui()->toolButton_titleBarSettings->click();
        QLineEdit* titles = w.ui()->lineEdit_pauseApp_whenTitleExists;
        w.ui()->checkBox_pauseApp_whenTitleExist->setChecked(true);
        w.listener->requests.clear();
        titles->setFocus();
        QTRY_VERIFY(titles->hasFocus());
        QTest::keyClicks(titles, "zoom; teams");
        // Typing alone sends nothing: "z" would match nearly every title.
        QCOMPARE(w.listener->requests.filter("setPauseAppWindowTitles"), QStringList());
        QCOMPARE(store().value("G/PAWTEL").toString(), QStringLiteral("zoom; teams"));
        QTest::keyClick(titles, Qt::Key_Return);
        QCOMPARE(w.listener->requests.filter("setPauseAppWindowTitles"),
                 QStringList{"setPauseAppWindowTitles zoom; teams"});
        // A pause in the typing is an end too.
        QTest::keyClicks(titles, ";meet");
        QTRY_COMPARE_WITH_TIMEOUT(w.listener->requests.filter("setPauseAppWindowTitles").size(), 2,
                                  3000);
    }

    void cameraPauseForcesTheSimpleReminderAndErrorsColourTheTray()
    {
        Window w;
        w.gui->init();
        QVERIFY(w.ui()->radioButton_isReminderInteractive->isChecked());
        w.ui()->action_pauseWebcamUse->trigger();
        QVERIFY(w.ui()->radioButton_isReminderSimple->isChecked());
        QVERIFY(!w.ui()->radioButton_isReminderInteractive->isEnabled());
        QCOMPARE(w.gui->trayIcon()->toolTip(), QStringLiteral("winkwell camera use paused"));
        w.ui()->action_resumeWebcamUse->trigger();
        QVERIFY(w.ui()->radioButton_isReminderInteractive->isChecked());

        // The camera taken by another program, and none listed: "not connected".
        w.cameras->cameras.clear();
        w.gui->showError(ErrorCameraOccupied);
        QCOMPARE(w.gui->currentError(), ErrorNoCamera);
        QCOMPARE(w.gui->trayIcon()->toolTip(), w.gui->errorText(ErrorNoCamera));
        // The episode ends when the camera works for a feature again.
        w.gui->adjustSystemTrayBasedOnFunctionalityAccessingCamera(FeatureMeasurement);
        QCOMPARE(w.gui->currentError(), ErrorNone);
        QCOMPARE(w.gui->statusCode(), 3);
        QCOMPARE(w.gui->trayIcon()->toolTip(), QStringLiteral("Measurement in progress"));
        // Or when no enabled feature needs the camera.
        w.gui->showError(ErrorEmptyFrame);
        w.ui()->toolButton_blinkMonitoringOnOff->setChecked(false);
        QCOMPARE(w.gui->currentError(), ErrorEmptyFrame);
        w.ui()->radioButton_isReminderSimple->setChecked(true);
        QCOMPARE(w.gui->currentError(), ErrorNone);
    }

    void callsShowInTheTrayAndCameraRunsOnTheAboutPage()
    {
        Window w;
        w.gui->init();
        w.gui->setInCall(true);
        QCOMPARE(w.gui->trayIcon()->toolTip(),
                 QStringLiteral("winkwell - in a call: reminders wait"));
        w.gui->setInCall(false);
        QCOMPARE(w.gui->trayIcon()->toolTip(), QStringLiteral("winkwell"));

        QLabel* record = w.ui()->label_cameraTime;
        QVERIFY(record->text().contains("The camera has not run in the last 30 days."));
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-600);
        CameraTimeSummary summary;
        summary.todayMs = 125000;
        summary.weekMs = 3725000;
        summary.lastRuns = {
            {FeatureMeasurement, start, start.addSecs(125), 750, CameraRunEnd::Finished},
            {FeatureFreeCamera, start.addSecs(-60), start.addSecs(-48), 0, CameraRunEnd::Error}};
        w.gui->showCameraTime(summary);
        const QString text = record->text();
        QVERIFY2(text.contains("Camera time today: 2 min 5 s, this week: 1 h 2 min"),
                 qPrintable(text));
        QCOMPARE(text.count("<tr>"), 2);
        QVERIFY(text.indexOf("blink-rate measurement, 2 min 5 s, 750 frames, finished") <
                text.indexOf("camera test, 12 s, 0 frames, camera error"));
        QVERIFY(!text.contains("30 days"));
    }

    void trayClicksPagesAndTheCloseBalloon()
    {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            QSKIP("needs a tray host (test.sh starts one)");
        }
        Window w;
        w.gui->init();
        w.gui->openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.gui.get()));
        QSignalSpy preview(w.gui.get(), &WinkwellGUI::cameraPreviewEnabled);
        w.ui()->toolButton_titleBarSettings->click();
        QVERIFY(w.ui()->widget_settingsPage->isVisible());
        QCOMPARE(w.ui()->label_titleBarTitle->text(), QStringLiteral("winkwell - settings"));
        w.ui()->toolButton_titleBarWebcam->click();
        QVERIFY(w.ui()->widget_livePreviewPage->isVisible());
        QCOMPARE(w.ui()->comboBox_chooseCamera->count(), 2);
        // Closing from any page goes back to the main page first.
        for (int close = 0; close < 4; ++close) {
            w.gui->on_toolButton_titleBarClose_clicked();
            QVERIFY(w.gui->isHidden());
            QVERIFY(w.ui()->widget_mainPage->isVisibleTo(w.gui.get()));
            w.gui->openWindow();
        }
        QCOMPARE(values(preview), (QStringList{"true", "false"}));
        QCOMPARE(store().value("G/CLOSE COUNTER").toInt(), 3); // three balloons, then no more

        // Clicked for real in the XEmbed tray (trayer): it tells single from double clicks, and
        // only a double click opens.
        w.gui->on_toolButton_titleBarClose_clicked();
        if (!hasXdotool()) {
            QSKIP("needs xdotool for the clicks on the tray icon");
        }
        QTRY_VERIFY(!w.gui->trayIcon()->geometry().isEmpty());
        const QPoint icon = w.gui->trayIcon()->geometry().center();
        xdotool({"mousemove", QString::number(icon.x()), QString::number(icon.y())});
        xdotool({"click", "1"});
        QTest::qWait(700);
        QVERIFY(w.gui->isHidden());
        xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
        QTRY_VERIFY(w.gui->isVisible());
        xdotool({"mousemove", "0", "0"});
    }

    void theWindowMovesByItsTitleBar()
    {
        if (!hasXdotool() || !hasWindowManager()) {
            QSKIP("needs xdotool and a window manager (test.sh starts openbox)");
        }
        Window w;
        w.gui->init();
        w.gui->openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.gui.get()));
        QTRY_COMPARE(serverGeometry(w.gui->winId()).topLeft(), w.gui->pos());
        // Pressed on the title bar, beside its title, and dragged with the real pointer.
        const auto dragFrom = [&](QWidget* where, QPoint by) {
            const QPoint start =
                where->mapToGlobal(QPoint(where->width() / 3, where->height() / 2));
            const QPoint end = start + by;
            xdotool({"mousemove", QString::number(start.x()), QString::number(start.y())});
            xdotool({"mousedown", "1"});
            for (int step = 1; step <= 4; ++step) {
                const QPoint at = start + by * step / 4;
                xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
                QTest::qWait(30);
            }
            xdotool({"mousemove", QString::number(end.x()), QString::number(end.y())});
            xdotool({"mouseup", "1"});
            QTest::qWait(200);
        };
        const QPoint before = w.gui->pos();
        dragFrom(w.ui()->label_titleBarTitle, {-120, 80});
        QTRY_COMPARE(w.gui->pos(), before + QPoint(-120, 80));
        // A press on the page below it does not move the window.
        const QPoint moved = w.gui->pos();
        dragFrom(w.ui()->widget_actions, {60, 60});
        QCOMPARE(w.gui->pos(), moved);
        xdotool({"mousemove", "0", "0"});
    }

    void menuButtonsAndTextsFollowTheState()
    {
        Window w;
        w.gui->init();
        w.ui()->checkBox_pauseOnBattery->setChecked(true);
        const QStringList running{"Open winkwell", "Pause winkwell", "Stop camera use",
                                  "Exit winkwell"};
        // Presentation mode and a camera pause overlapping, in either order.
        w.listener->fire(0);
        QCOMPARE(w.menu(), (QStringList{"Open winkwell", "Use winkwell", "Exit winkwell"}));
        QVERIFY(!w.ui()->toolButton_pauseCamera->isEnabled());
        w.listener->fire(13);
        QCOMPARE(w.menu(),
                 (QStringList{"Open winkwell", "Use winkwell", "Use camera", "Exit winkwell"}));
        QCOMPARE(w.ui()->toolButton_pauseCamera->defaultAction(), w.ui()->action_resumeWebcamUse);
        w.listener->fire(1);
        QCOMPARE(w.menu(),
                 (QStringList{"Open winkwell", "Pause winkwell", "Use camera", "Exit winkwell"}));
        QCOMPARE(w.ui()->toolButton_presentationMode->defaultAction(),
                 w.ui()->action_pauseWinkwell);
        w.listener->fire(0);
        w.listener->fire(14);
        w.listener->fire(1);
        QCOMPARE(w.menu(), running);
        QVERIFY(w.ui()->toolButton_pauseCamera->isEnabled());
        QCOMPARE(w.ui()->toolButton_pauseCamera->defaultAction(), w.ui()->action_pauseWebcamUse);

        // The version from the build, and texts a language change must not reset.
        QVERIFY(w.ui()->label_version->text().endsWith(QLatin1String(kWinkwellVersion)));
        w.ui()->slider_brightness->setValue(3);
        QKeySequenceEdit* down = w.ui()->keySequenceEdit_hotkeysDecreaseHWScreenBrightness;
        down->setKeySequence(QKeySequence("Alt+Down"));
        emit down->editingFinished();
        KeyNames german;
        QCoreApplication::installTranslator(&german); // the change arrives as a posted event
        QTRY_COMPARE(down->findChild<QLineEdit*>()->text(), QStringLiteral("Alt+Runter"));
        QCOMPARE(w.ui()->label_brightnessValue->text(), QStringLiteral("3"));
        QVERIFY(w.ui()->label_version->text().endsWith(QLatin1String(kWinkwellVersion)));
        QCoreApplication::removeTranslator(&german);
        QTRY_COMPARE(down->findChild<QLineEdit*>()->text(), QStringLiteral("Alt+Down"));

        // The notice of a start without a connection goes when the server answers again.
        w.gui->showInternetUnreachable();
        QVERIFY(!w.ui()->label_noInternet->isHidden());
        w.gui->hideInternetUnreachable();
        QVERIFY(w.ui()->label_noInternet->isHidden());
    }

    void pausesEndThePositionChangeAndAnswersKeepAWindowWithoutTray()
    {
        Window w(/*tray=*/false);
        w.gui->init();
        w.gui->openWindow();
        // Moving the reminder when a pause comes: the move ends where it began.
        QPushButton* change = w.ui()->pushButton_changeBlinkReminderPosition;
        change->setChecked(true);
        QVERIFY(w.gui->blinkReminder()->isVisible());
        w.listener->fire(0);
        QVERIFY(!change->isChecked());
        QCOMPARE(change->text(), QStringLiteral("CHANGE REMINDER POSITION"));
        QVERIFY(!w.gui->blinkReminder()->isVisible());
        QVERIFY(!store().contains("G/RPX"));
        w.listener->fire(1);

        // Skipping a break keeps the main window where no tray could bring it back.
        w.gui->showBreakReminder();
        QTest::mouseClick(w.gui->findChild<QPushButton*>("pushButton_skip"), Qt::LeftButton);
        QVERIFY(w.gui->isVisible());
    }

    void theCameraPageShowsTheWholePreview()
    {
        Window w;
        w.gui->init();
        w.gui->openWindow();
        w.ui()->toolButton_titleBarSettings->click();
        w.ui()->toolButton_titleBarWebcam->click();
        // A camera that sends tall pictures, on a screen with room for them.
        QImage tall(480, 850, QImage::Format_RGB888);
        tall.fill(Qt::gray);
        w.gui->showImage(&tall);
        QVERIFY(QTest::qWaitForWindowExposed(w.gui.get()));
        const QScrollArea* pages = w.ui()->scrollArea_pages;
        QTRY_VERIFY(pages->height() >= pages->widget()->sizeHint().height());
        QTRY_VERIFY(!pages->verticalScrollBar()->isVisible());
        QTRY_VERIFY(w.gui->height() > pages->widget()->sizeHint().height());
    }

    void historyFeedsTheSchedulerAndTheStatusLine()
    {
        Window w;
        w.gui->init();
        QSignalSpy rate(w.gui.get(), &WinkwellGUI::blinkRateChanged);
        const QDateTime now = QDateTime::currentDateTime();
        w.gui->updateHealthStatus({}, {}, {});
        QCOMPARE(rate.count(), 0);
        QVERIFY(w.ui()->pushButton_blinkMonitoringTakeFirstMeasurement->isVisibleTo(w.gui.get()));
        QCOMPARE(w.ui()->label_blinkMonitoringMessage->text(), w.gui->statusText(2));
        w.gui->updateHealthStatus({4, 20, 8}, {200, 210, 220},
                                  {now.addSecs(-3600), now.addSecs(-1800), now});
        QCOMPARE(rate.count(), 1);
        QVERIFY(qAbs(rate.first().first().toFloat() - 22.f / 3) < 1e-5f);
        QVERIFY(!w.ui()->pushButton_blinkMonitoringTakeFirstMeasurement->isVisibleTo(w.gui.get()));

        QSignalSpy statistics(w.gui.get(), &WinkwellGUI::showStatisticsRequired);
        auto* surface = w.gui->plot()->findChild<QWidget*>(); // the drawing surface inside
        QVERIFY(surface);
        QTest::mousePress(surface, Qt::LeftButton);
        QCOMPARE(statistics.count(), 1);
    }

    void remindersShowAndAnswerThroughTheMainWindow()
    {
        Window w;
        w.gui->init();
        w.gui->openWindow();
        QSignalSpy skipped(w.gui.get(), &WinkwellGUI::skipBreakClicked);
        QSignalSpy exerciseDone(w.gui.get(), &WinkwellGUI::exerciseFinished);
        QSignalSpy touched(w.gui.get(), &WinkwellGUI::hideBlinkReminderByMouseRequested);

        w.gui->showReminder();
        QVERIFY(w.gui->blinkReminder()->isVisible());
        w.gui->responceToBlink();
        QVERIFY(!w.gui->blinkReminder()->isVisible());
        w.gui->showReminder();
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(w.gui->blinkReminder(), &enter);
        QCOMPARE(touched.count(), 1);

        w.gui->showBreakReminder();
        QTest::mouseClick(w.gui->breakReminder()->findChild<QPushButton*>("pushButton_skip"),
                          Qt::LeftButton);
        QCOMPARE(skipped.count(), 1);
        QVERIFY(!w.gui->isVisible()); // the break is meant to be taken away from the screen
        // A break held back for a call says so; the next one does not.
        const auto breakText = [&w] {
            return w.gui->breakReminder()->findChild<QLabel*>("label")->text();
        };
        const QString heldBack = QStringLiteral("This break was held back until your call ended.");
        w.gui->showHeldBreakReminder();
        QVERIFY(w.gui->breakReminder()->isVisible());
        QVERIFY(breakText().startsWith(heldBack));
        w.gui->hideBreakReminder();
        w.gui->showBreakReminder();
        QVERIFY(!breakText().contains(heldBack));
        w.gui->hideBreakReminder();

        w.gui->showExercise();
        QVERIFY(w.gui->exerciseReminder()->isVisible());
        w.gui->hideExerciseReminder();
        QCOMPARE(exerciseDone.count(), 1);

        w.ui()->pushButton_changeBlinkReminderPosition->click();
        QVERIFY(w.gui->blinkReminder()->isInPositionChangeMode());
        QCOMPARE(w.ui()->pushButton_changeBlinkReminderPosition->text(),
                 QStringLiteral("SAVE NEW POSITION"));
        w.ui()->pushButton_changeBlinkReminderPosition->click();
        QVERIFY(!w.gui->blinkReminder()->isInPositionChangeMode());

        // Pausing hides every reminder, and the panels wait for the end of the pause.
        w.gui->showReminder();
        w.gui->showBreakReminder();
        w.gui->showExercise();
        w.ui()->action_pauseWinkwell->trigger();
        QVERIFY(!w.gui->blinkReminder()->isVisible());
        QVERIFY(!w.gui->breakReminder()->isVisible());
        QVERIFY(!w.gui->exerciseReminder()->isVisible());
        QVERIFY(!w.ui()->widget_blinkTraining->isEnabled());

        // After closing no reminder shows again.
        w.gui->close();
        w.gui->showReminder();
        QVERIFY(!w.gui->blinkReminder()->isVisible());
    }

    void windowOffEveryScreenComesBackAndCopiesPictures()
    {
        Window w;
        w.gui->move(-5000, -5000);
        w.gui->openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.gui.get()));
        const QScreen* primary = QGuiApplication::primaryScreen();
        QTRY_VERIFY(qAbs(w.gui->geometry().x() - primary->geometry().width() / 2) <= 2);

        QImage image(400, 300, QImage::Format_RGB888);
        image.fill(Qt::red);
        w.gui->showImage(&image);
        image.fill(Qt::blue); // the engine may reuse its image after the slot returns
        QCOMPARE(w.gui->lastImage().pixelColor(10, 10), QColor(Qt::red));

        QSignalSpy changed(w.gui.get(), &WinkwellGUI::languageChanged);
        QEvent event(QEvent::LanguageChange);
        QCoreApplication::sendEvent(w.gui.get(), &event);
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
