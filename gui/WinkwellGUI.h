#pragma once

#include "common/CameraRun.h"
#include "common/Error.h"
#include "common/Feature.h"
#include "gui/HotkeySet.h"
#include "gui/PauseReasons.h"
#include "platform/TrayHost.h"
#include "systemsession/EventFilter.h"

#include <QDateTime>
#include <QImage>
#include <QKeySequence>
#include <QLocale>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QVector>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class Autostart;
class BlinkRatePlot;
class BlinkReminderWidget;
class BreakReminderWidget;
class CameraCatalog;
class CameraControls;
class ExerciseReminderWidget;
class GlobalShortcut;
class QButtonGroup;
class QKeySequenceEdit;
class QMenu;
struct SettingKey;
class ReminderSound;

namespace Ui {
class widget_winkwell;
}

// What the main window reaches outside itself; tests hand in fakes.
struct GuiServices
{
    SystemSession::EventFilterFactory systemListenerFactory;
    std::shared_ptr<CameraCatalog> cameras;
    // The adjustable controls and access state of the camera at an index.
    std::function<std::unique_ptr<CameraControls>(int)> cameraControls;
    std::shared_ptr<Autostart> autostart;
    // The languages the application can show, and the switch to one of them (by index).
    std::function<QVector<QLocale>()> languages;
    std::function<void(int)> setLanguage;
    // A system-wide key combination owned by the parent; unset: hotkeys cannot work here.
    std::function<GlobalShortcut*(QObject*)> globalShortcut;
    // Whether the desktop has a tray for the icon to live in; the framework's answer when unset.
    std::function<bool()> trayAvailable;

    // The system's listener, camera list, camera controls, autostart and global shortcuts;
    // English only.
    static GuiServices system();
};

// The main window and the tray icon: four pages (main, settings, about, camera test), the feature
// panels, the status line, the reminder windows, and the reaction to the operating system's
// events. Turns the user's actions into signals for the controllers and shows their results.
class WinkwellGUI : public QWidget
{
    Q_OBJECT

public:
    explicit WinkwellGUI(GuiServices services = GuiServices::system(), QWidget* parent = nullptr);
    ~WinkwellGUI() override;

    // The texts of the status line and of errors, translated.
    QString statusText(int code) const;
    QString errorText(Error error) const;

    // State for tests and the screenshot tool.
    Ui::widget_winkwell* form() const { return m_ui.get(); }
    int statusCode() const { return m_statusCode; }
    Error currentError() const { return m_currentError; }
    bool isPaused() const { return m_programPause.isPaused(); }
    bool isCameraUsePaused() const { return m_cameraPause.isPaused(); }
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }
    QMenu* trayMenu() const { return m_trayMenu; }
    QString trayTitle() const { return m_trayTitle; }
    bool isInCall() const { return m_inCall; }
    QImage lastImage() const { return m_lastImage; }
    int initCount() const { return m_initCount; }
    int previewImageWidth() const { return m_previewImageWidth; }
    BlinkRatePlot* plot() const { return m_plot; }
    BlinkReminderWidget* blinkReminder() const { return m_blinkReminder; }
    BreakReminderWidget* breakReminder() const { return m_breakReminder; }
    ExerciseReminderWidget* exerciseReminder() const { return m_exerciseReminder; }
    SystemSession::EventFilter* systemListener() const { return m_systemListener.get(); }

    void updateSystemTray();
    void checkToDisableErrorToolTipIfNoCameraNeeded();
    void reloadCameras(int id);
    void loadLanguages();

public slots:
    void init();
    void openWindow();
    void loadSettings();
    void showError(Error error);
    void showImage(QImage* image);
    void adjustSystemTrayBasedOnFunctionalityAccessingCamera(Feature functionality);
    void showBubleNotificationAboutMeasurement(double blinkRate);
    void showInternetUnreachable();
    // The server answered again after the notice of a start without a connection.
    void hideInternetUnreachable();
    // The camera engine has stopped for the coming sleep: the system may sleep now.
    void confirmReadyForSleep();
    // Something about the history file the user should know; empty: all is well again.
    void showHistoryProblem(const QString& notice);
    // The record of camera runs changed: the about page shows it.
    void showCameraTime(const CameraTimeSummary& summary);
    // The camera was released; a presence look's status goes with it.
    void processCameraRunEnded(const CameraRunReport& report);
    void showReminder();
    void responceToBlink();
    void showBreakReminder();
    // A break that waited for the end of a call.
    void showHeldBreakReminder();
    // Reminders wait while the user is in a call.
    void setInCall(bool inCall);
    void hideBreakReminder();
    void showExercise();
    void hideExerciseReminder();
    void updateHealthStatus(QVector<double> blinkRates, QVector<int> blinkLengths,
                            QVector<QDateTime> dateTimes);
    void setBrightnessSliderPosition(int position);
    void setColorTemperatureSliderPosition(int position);
    void disableHWbrightnessControl();
    void enableHWbrightnessControl(int brightness);
    void on_toolButton_titleBarClose_clicked();

    // The feature and settings controls (the form connects them by name).
    void on_toolButton_blinkMonitoringOnOff_toggled(bool checked);
    void on_toolButton_blinkTrainingOnOff_toggled(bool checked);
    void on_toolButton_computerBreaksOnOff_toggled(bool checked);
    void on_toolButton_eyeExerciseOnOff_toggled(bool checked);
    void on_toolButton_screenControlOnOff_toggled(bool checked);
    void on_pushButton_blinkMonitoringTakeFirstMeasurement_clicked();
    void on_checkBox_enableCompletedMeasurementNotification_toggled(bool checked);
    void on_spinBox_trainingPeriod_valueChanged(int time);
    void on_checkBox_enableSound_toggled(bool checked);
    void on_radioButton_isReminderInteractive_toggled(bool checked);
    void on_radioButton_isReminderSimple_toggled(bool checked);
    void on_checkBox_isMGDenabled_toggled(bool checked);
    void on_checkBox_isMGDenabled_clicked();
    void on_spinBox_timeBetweenBreaks_valueChanged(int minutes);
    void on_checkBox_includeNaturalBreaks_toggled(bool checked);
    void on_spinBox_naturalBreaksDuration_valueChanged(int minutes);
    void on_slider_brightness_valueChanged(int value);
    void colorTemperature_valueChanged(int id, bool checked);
    void on_comboBox_chooseCamera_activated(int index);
    void on_pushButton_cameraSettings_clicked();
    void on_pushButton_privacySettings_clicked();
    void on_pushButton_changeBlinkReminderPosition_toggled(bool checked);
    void on_checkBox_pauseOnBattery_toggled(bool checked);
    void on_checkBox_holdRemindersInCalls_toggled(bool checked);
    void on_checkBox_useWebcamInBreaks_toggled(bool checked);
    void on_lineEdit_callTitles_textChanged(const QString& text);
    void on_checkBox_pauseAppWhenClonedScreen_toggled(bool checked);
    void on_checkBox_whenTitleExists_toggled(bool checked);
    void on_checkBox_whenProcessRun_toggled(bool checked);
    void on_checkBox_pauseApp_whenTitleExist_toggled(bool checked);
    void on_lineEdit_whenTitleExists_textChanged(const QString& text);
    void on_lineEdit_pauseApp_whenTitleExists_textChanged(const QString& text);
    void on_lineEdit_whenProcessRun_textChanged(const QString& text);
    void on_checkBox_enableBeta_toggled(bool checked);
    void on_checkBox_settingsStartOnStartUp_toggled(bool isChecked);
    void on_checkBox_settingsSendStatistics_toggled(bool isChecked);
    void on_comboBox_chosenLanguage_activated(int index);
    void on_pushButton_settingsProxy_clicked();
    void on_pushButton_notices_clicked();
    void on_checkBox_hotkeysEnable_toggled(bool checked);
    void on_keySequenceEdit_hotkeysIncreaseHWScreenBrightness_editingFinished();
    void on_keySequenceEdit_hotkeysDecreaseHWScreenBrightness_editingFinished();
    void on_keySequenceEdit_hotkeysChangeColorTemperature_editingFinished();
    void on_toolButton_6_clicked();
    void on_toolButton_7_clicked();
    void on_toolButton_facebook_clicked();

signals:
    void lidStatusOpen(bool open);
    void powerSaverActivated(bool enabled);
    void poweredByBattery(bool onBattery);
    void computerWakenUp();
    void includeNaturalBreaksChanged(bool include);
    void holdRemindersInCallsChanged(bool hold);
    // The system listener found call windows open, or none any more.
    void callWindowsChanged(QStringList titles);
    void naturalBreakDurationChanged(uint minutes);
    void trainingPeriodChanged(int milliseconds);
    void exerciseFinished();
    void eyeExerciseReminderEnabled(bool enabled);
    void breakReminderEnabled(bool enabled);
    void timeBetweenBreaksChanged(int minutes);
    void snoozeBreakClicked();
    void skipBreakClicked();
    void reminderInteractivityChanged(bool interactive);
    void training_mgd_status_changed(bool enabled);
    void languageChanged();
    void proxyGuiRequested();
    void cameraPreviewEnabled(bool enabled);
    void measurementEnabled(bool enabled);
    void measurementRequested();
    void trainingEnabled(bool enabled);
    void hideBlinkReminderByMouseRequested();
    void brightnessSliderPositionChanged(int position);
    void screenControlEnabled(bool enabled, int delayMs);
    void colorTemperatureSliderPositionChanged(int position);
    void showStatisticsRequired();
    void cameraIDchanged(int id);
    void pauseRequested(bool pause);
    void disableCameraUse(bool disable);
    // The computer is about to sleep: the pause must reach the camera engine first.
    void sleepPreparationRequested();
    // The window was closed for good ("Exit winkwell"): the program ends.
    void closed();
    void blinkRateChanged(float blinkRate);
    void useWebcamInBreaksChanged(bool use);
    // The window asks for an update check (start and resume); the updater answers.
    void updateCheckRequested();
    void betaUpdatesChanged(bool enabled);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private slots:
    void systemAdapter(int s);
    void on_toolButton_titleBarBack_clicked();
    void on_toolButton_titleBarSettings_clicked();
    void on_toolButton_titleBarAbout_clicked();
    void on_toolButton_titleBarWebcam_clicked();
    void pauseApp();
    void resumeApp();
    void pauseCameraUse();
    void resumeCameraUse();
    void hideBlinkReminder();
    void showWindow(QSystemTrayIcon::ActivationReason reason);
    void adjustGUIelementsSizes();
    // What the global hotkeys do.
    void increaseBrightness();
    void decreaseBrightness();
    void changeColorTemperature();

private:
    void buildTray();
    void addDropShadows();
    void setPageTitle(const QString& title);
    void finishPageChange();
    void fitToContents();
    // The same after a widget of the shown page changed its size.
    void fitToContentsOf(QWidget* changed);
    void leaveCameraStatus();
    void pauseFor(PauseReasons::Reason reason);
    void resumeFor(PauseReasons::Reason reason);
    void pauseCameraFor(PauseReasons::Reason reason);
    void resumeCameraFor(PauseReasons::Reason reason);
    // What a pause's beginning and end change on screen and in the controllers.
    void applyProgramPause();
    void applyProgramResume();
    void applyCameraPause();
    void applyCameraResume();
    void updateTrayMenu();
    // The process and title lists go to the OS listener when the user has finished editing.
    void connectLists();
    void moveToDefaultPlace();
    void showVersion();
    // Hides the window where a tray icon brings it back; false where there is none.
    bool hideToTray();
    // A pause ends the reminder's position-change mode, keeping the old position.
    void cancelReminderPositionChange();
    void showCameraAccessHint();
    void showTrayMessage(const QString& title, const QString& message,
                         QSystemTrayIcon::MessageIcon icon, int ms);
    void startUpdateCheck();
    bool hasTray() const;
    void setUpHotkeys();
    void enableHotkeyEditors(bool enabled);
    QKeySequenceEdit* hotkeyEditor(HotkeySet::Hotkey hotkey) const;
    void loadHotkeys(const QKeySequence& brighter, const QKeySequence& darker,
                     const QKeySequence& colorTemperature);
    // After a language change: key names in the new language.
    void refreshHotkeyEditors();
    void showHotkeyProblems();
    void changeHotkey(const char* slot, HotkeySet::Hotkey hotkey, const SettingKey& key);

    std::unique_ptr<Ui::widget_winkwell> m_ui;
    GuiServices m_services;
    std::unique_ptr<SystemSession::EventFilter> m_systemListener;
    BlinkRatePlot* m_plot = nullptr;
    BlinkReminderWidget* m_blinkReminder = nullptr;
    BreakReminderWidget* m_breakReminder = nullptr;
    ExerciseReminderWidget* m_exerciseReminder = nullptr;
    ReminderSound* m_blinkSound = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_trayMenu = nullptr;
    QButtonGroup* m_colorTemperatureButtons = nullptr;
    // Null while hotkeys are off; each with the combination last asked of it.
    HotkeySet* m_hotkeys = nullptr;

    QVector<QLocale> m_languages;
    QPoint m_dragOffset;
    int m_cameraIndex = 0;
    int m_languageIndex = 0;
    int m_previewImageWidth = 400;
    QString m_trayTitle;
    CameraTimeSummary m_cameraTime;
    bool m_inCall = false;
    QImage m_lastImage;
    int m_initCount = 0;
    bool m_loadingSettings = false; // the controls take the stored values, not the user's clicks

    Error m_currentError = ErrorNone;
    int m_statusCode = 0;
    int m_statusBeforeLook = 0;
    bool m_errorShown = false;
    bool m_errorBalloonShown = false;
    bool m_interactiveForcedToSimple = false;
    bool m_closing = false;
    bool m_measurementOn = false;
    bool m_interactiveReminder = false;
    bool m_trainingOn = false;
    bool m_breaksOn = false;
    bool m_exercisesOn = false;
    TrayClicks m_trayClicks = TrayClicks::SingleAndDouble;
    // Presentation mode, and the pause of camera use.
    PauseReasons m_programPause;
    PauseReasons m_cameraPause;
};
