#pragma once

#include "common/Error.h"
#include "common/Feature.h"
#include "controller/BreakSchedule.h"
#include "controller/CallState.h"
#include "controller/ControllerServices.h"
#include "controller/PresenceLook.h"
#include "controller/ScreenControl.h"
#include "controller/SettingsSummary.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class CountdownTimer;
class MicrophoneUse;
class QEventLoop;

// Decides which timed feature may start and keeps at most one of them occupying the user or the
// camera: blink reminders (simple or interactive), blink-rate measurements, computer breaks, eye
// exercises and the live preview. Lives in a thread of its own and is reached only through
// queued signals; it acts only by emitting signals. The timing of breaks and exercises is
// m_breakSchedule's and the screen control m_screen's; their slots here forward to them.
class ApplicationController : public QObject
{
    Q_OBJECT
public:
    // The real clock, idle monitor and camera list.
    ApplicationController();
    explicit ApplicationController(ControllerServices services);
    ~ApplicationController() override;

    // The note stored with a measurement: which features are on, with their settings.
    QString settingsSummary() const;
    // Those features and settings as they stand.
    FeatureSettings featureSettings() const;
    bool isMeasurementEnabled() const { return m_measurementEnabled.load(); }

    int featureInUse() const { return m_featureInUse.load(); }
    bool isInCall() const { return m_inCall; }
    const BreakSchedule& breakSchedule() const { return m_breakSchedule; }
    const ScreenControl& screenControl() const { return *m_screen; }

public slots:
    void init();
    void quit();

    void processDetectedBlink();
    void processBlinkForTraining(bool blinked);
    void adjustBlinkTrainingForMGD();
    void processMeasurement(float blinkRate, int length);
    void processError(Error e);
    void processStoppedBlinkDetection();
    void quitBlinkTraining();

    void setBlinkReminderPeriod(int period);
    void setBlinkRate(float blinkRate);
    void enableBlinkTraining(bool isEnabled);
    void enableInteractiveBlinkReminder(bool isInteractive);
    void enableMGDblinkTraining(bool isEnabled);
    void enableMeasurement(bool isEnabled);
    void takeMeasurementNow();
    void enableLivePreview(bool isEnabled);
    void pauseProgram(bool isPaused);
    void pauseCameraFeatures(bool isPaused);
    // The computer is about to sleep, after pauseProgram(true): readyForSleep() follows once
    // the engine has confirmed that the camera is off.
    void prepareForSleep();
    void setCameraIDpreffered(int id);
    void reloadCameras();

    void skipBreak();
    void snoozeBreak();
    void quitBreak();
    void quitExercise();
    void useWebcamInComputerBreaks(bool isEnabled);
    void includeNaturalBreaks(bool isEnabled);
    void setNaturalBreakDuration(uint duration);
    void enableComputerBreaks(bool isEnabled);
    void enableEyeExercisebreaks(bool isEnabled);
    void changeTimeBetweenBreakReminders(int time);
    // Calls hold reminders, breaks, exercises and measurements back (on by default).
    void holdRemindersInCalls(bool isEnabled);
    // Other programs that record from a microphone now.
    void processRecordingPrograms(const QStringList& programs);
    // Open windows whose titles the user listed as calls.
    void processCallWindows(const QStringList& titles);
    // A presence look's answers.
    void processUserPresence(bool present);
    void processPresenceLookFailed(Error e);

    void detectScreensWindows(int delay);
    void processInternalScreenBrightnessChange(int newBrightness);
    void setLidOpenStatus(bool isOpened);
    void enableBrightnessSaver(bool isEnabled);
    void enableScreenControl(bool isEnabled, int delay);
    void setBrightness(int value);
    void setColorTemperature(int value);

signals:
    void controllerInitialized();
    void finished();
    void startLivePreviewRequested();
    void stopCameraUseRequested();
    void cameraIDchanged(int id);
    void blinkMeasurementRequested();
    void blinkInteractiveTrainingRequested();
    void useWebcamInBreaksChanged(bool isEnabled);
    void detectUserWithWebcamRequested();
    void blinkReminderRequested();
    void userBlinked();
    void measurementCompleted(double blinkRate, QString note, int length);
    void breakRequested();
    void breakFinished();
    void exerciseRequested();
    void exerciseFinished();
    void adjustBrightnessSlider(int position);
    void adjustColorTemperatureSlider(int value);
    void noHWbrightnessControlDetected();
    void HWbrightnessControlDetected(int position);
    void readyForSleep();
    // A call began or ended: reminders wait while it lasts.
    void callStateChanged(bool inCall);
    // A break that fell due during a call, shown now that it ended.
    void heldBreakRequested();

private slots:
    void accessFeature();
    void hideBlinkReminder();
    void checkPresence();

private:
    void setFeatureInUse(int feature) { m_featureInUse.exchange(feature); }
    void updatePresenceTimer();
    void emitFinishedOnce();
    void requestCameraStop();
    bool livePreviewMayRun() const;
    void startLivePreviewIfAllowed();
    // Brings m_inCall up to date; true while in a call.
    bool updateCallState(const QDateTime& now);
    // Whether the camera may look for the user now: asked for, nothing paused, no call, the
    // camera free.
    bool presenceLookAllowed() const;
    void endPresenceLook(std::optional<bool> present);

    ControllerServices m_services;

    std::atomic<int> m_featureInUse{FeatureFreeCamera};
    std::atomic<bool> m_trainingEnabled{false};
    bool m_interactiveReminder = false;
    bool m_mgdEnabled = false;
    int m_blinkReminderPeriod = 30000;
    std::atomic<bool> m_measurementEnabled{false};
    std::atomic<bool> m_isCameraPreviewOn{false};
    std::atomic<bool> m_programPaused{false};
    std::atomic<bool> m_cameraFeaturesPaused{false};
    std::atomic<bool> m_quitting{false};
    // The engine was asked to stop and has not confirmed it yet.
    bool m_cameraStopPending = false;
    bool m_sleepPending = false; // readyForSleep() waits for the engine's stopped()
    bool m_finishedEmitted = false;
    QDateTime m_resumeTime;
    float m_blinkRate = 10.0f;
    int m_cameraIdPreferred = 0;
    int m_cameraIdInUse = 0;

    BreakSchedule m_breakSchedule;
    CallState m_calls;
    bool m_inCall = false;
    bool m_breakHeld = false; // a break fell due during the call
    PresenceLook m_look;
    QDateTime m_breakShownAt;
    std::unique_ptr<MicrophoneUse> m_microphone;
    // A child, so that it moves to the controller's thread with it.
    ScreenControl* m_screen = nullptr;

    CountdownTimer* m_schedulerTimer = nullptr;
    CountdownTimer* m_reminderTimer = nullptr;
    CountdownTimer* m_measurementTimer = nullptr;
    CountdownTimer* m_reminderHideTimer = nullptr;
    CountdownTimer* m_presenceTimer = nullptr;
    CountdownTimer* m_delayTimer = nullptr;
    QEventLoop* m_delayLoop = nullptr;
};
