#pragma once

#include "common/Error.h"
#include "common/Feature.h"
#include "controller/BreakSchedule.h"
#include "controller/ControllerServices.h"
#include "controller/ScreenControl.h"
#include "controller/SettingsSummary.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <atomic>

class CountdownTimer;
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
