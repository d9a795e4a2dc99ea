#include "controller/ApplicationController.h"

#include "controller/SchedulerClock.h"
#include "controller/SettingsSummary.h"
#include "platform/CameraCatalog.h"
#include "platform/IdleMonitor.h"
#include "platform/MicrophoneUse.h"

#include <QDebug>
#include <QEventLoop>
#include <QThread>

namespace {

constexpr int kSchedulerTickMs = 2000;
constexpr qint64 kQuietAfterResumeMs = 15000;
constexpr int kFirstMeasurementMs = 120000;
constexpr int kMeasurementPeriodMs = 1800000;
constexpr int kMeasurementRetryMs = 480000;
constexpr int kReminderAfterBreakMs = 20000;
constexpr int kReminderShownMs = 3000;
constexpr int kPresenceCheckMs = 60000;
// Shorter waits are not worth a nested event loop.
constexpr int kShortestDelayMs = 11;

// Errors after which the camera cannot watch for the blink, so the simple reminder stands in.
bool isCameraError(Error e)
{
    switch (e) {
    case ErrorCameraOccupied:
    case ErrorLowFps:
    case ErrorMoreFaces:
    case ErrorEmptyFrame:
    case ErrorNoCamera:
        return true;
    default:
        return false;
    }
}

} // namespace

ApplicationController::ApplicationController() : ApplicationController(ControllerServices::system())
{
}

ApplicationController::ApplicationController(ControllerServices services)
    : QObject(nullptr), m_services(std::move(services)), m_resumeTime(m_services.clock->nowUtc()),
      m_breakSchedule(m_resumeTime, m_services.idleMonitor->cursorPosition())
{
    // Made here rather than in init(): the settings page sends its choices as soon as it has
    // read them, which may be before this thread has run init(). Children move to the
    // controller's thread with it; none is started before init() or a slot runs there.
    SchedulerClock& clock = *m_services.clock;
    m_reminderHideTimer = clock.createTimer(this);
    m_reminderHideTimer->setSingleShot(true);
    connect(m_reminderHideTimer, &CountdownTimer::timeout, this,
            &ApplicationController::hideBlinkReminder);

    m_delayLoop = new QEventLoop(this);
    m_delayTimer = clock.createTimer(this);
    m_delayTimer->setSingleShot(true);
    connect(m_delayTimer, &CountdownTimer::timeout, m_delayLoop, &QEventLoop::quit);

    m_schedulerTimer = clock.createTimer(this);
    m_schedulerTimer->setInterval(kSchedulerTickMs);
    connect(m_schedulerTimer, &CountdownTimer::timeout, this,
            &ApplicationController::accessFeature);

    // Countdowns: due when not running, so nothing listens to them.
    m_measurementTimer = clock.createTimer(this);
    m_measurementTimer->setSingleShot(true);
    m_reminderTimer = clock.createTimer(this);
    m_reminderTimer->setSingleShot(true);

    m_presenceTimer = clock.createTimer(this);
    m_presenceTimer->setInterval(kPresenceCheckMs);
    connect(m_presenceTimer, &CountdownTimer::timeout, this, &ApplicationController::checkPresence);
    m_screen = new ScreenControl(
        {m_services.screenGamma, m_services.backlight, m_services.externalMonitors},
        [clock = m_services.clock] { return clock->nowUtc().toMSecsSinceEpoch(); }, this);
    connect(m_screen, &ScreenControl::adjustBrightnessSlider, this,
            &ApplicationController::adjustBrightnessSlider);
    connect(m_screen, &ScreenControl::noHWbrightnessControlDetected, this,
            &ApplicationController::noHWbrightnessControlDetected);
    connect(m_screen, &ScreenControl::HWbrightnessControlDetected, this,
            &ApplicationController::HWbrightnessControlDetected);
    qDebug() << "ApplicationController::ApplicationController";
}

ApplicationController::~ApplicationController()
{
    // m_screen, a child, undoes the screen changes when it goes.
    qDebug() << "ApplicationController::~ApplicationController() thread"
             << QThread::currentThreadId();
}

QString ApplicationController::settingsSummary() const
{
    return ::settingsSummary(featureSettings());
}

FeatureSettings ApplicationController::featureSettings() const
{
    FeatureSettings s;
    s.screenControlEnabled = m_screen->isEnabled();
    s.colorTemperature = m_screen->colorTemperature();
    s.brightnessSlider = m_screen->brightnessSlider();
    s.trainingEnabled = m_trainingEnabled;
    s.blinkReminderPeriodMs = m_blinkReminderPeriod;
    s.interactiveReminder = m_interactiveReminder;
    s.mgdEnabled = m_mgdEnabled;
    s.exercisesEnabled = m_breakSchedule.exercisesEnabled();
    s.breaksEnabled = m_breakSchedule.breaksEnabled();
    s.breakPeriodMinutes = m_breakSchedule.breakPeriod();
    s.includeNaturalBreaks = m_breakSchedule.naturalBreaksIncluded();
    s.naturalBreakDurationMinutes = m_breakSchedule.naturalBreakDuration();
    return s;
}

void ApplicationController::init()
{
    qDebug() << "ApplicationController::init()";
    // Here rather than on first use: making it also undoes a ramp that a crashed run left.
    m_screen->createGamma();
    if (m_services.microphoneUse) {
        m_microphone = m_services.microphoneUse();
        connect(m_microphone.get(), &MicrophoneUse::recordingProgramsChanged, this,
                &ApplicationController::processRecordingPrograms);
        m_microphone->start();
    }
    m_schedulerTimer->start();
    emit controllerInitialized();
    qDebug() << "ApplicationController::emit controllerInitialized()";
}

void ApplicationController::accessFeature()
{
    if (m_featureInUse.load() != FeatureFreeCamera || m_isCameraPreviewOn || m_programPaused ||
        m_quitting || m_cameraStopPending || m_look.isRunning()) {
        return;
    }

    const QDateTime now = m_services.clock->nowUtc();
    if (m_resumeTime.msecsTo(now) < kQuietAfterResumeMs) {
        return;
    }
    if (updateCallState(now)) {
        // Nothing starts in a call; a break that falls due waits for its end.
        if (m_breakSchedule.due(now) == BreakSchedule::Due::Break && !m_breakHeld) {
            qDebug() << "ApplicationController::accessFeature() break held back for the call";
            m_breakHeld = true;
        }
        return;
    }

    // The held break comes first, before a measurement that would keep it another 3 minutes.
    const bool breakHeld = m_breakHeld && m_breakSchedule.due(now) == BreakSchedule::Due::Break;
    if (!breakHeld) {
        m_breakHeld = false;
    }
    if (!breakHeld && !m_cameraFeaturesPaused && m_measurementEnabled &&
        !m_measurementTimer->isActive()) {
        setFeatureInUse(FeatureMeasurement);
        reloadCameras();
        qDebug() << "ApplicationController::accessFeature() emit blinkMeasurementRequested();";
        emit blinkMeasurementRequested();
        return;
    }

    switch (m_breakSchedule.due(now)) {
    case BreakSchedule::Due::Break:
        setFeatureInUse(FeatureBreak);
        m_breakShownAt = now;
        m_reminderTimer->start(kReminderAfterBreakMs);
        if (breakHeld) {
            m_breakHeld = false;
            qDebug() << "ApplicationController::accessFeature() emit heldBreakRequested()";
            emit heldBreakRequested();
            return;
        }
        qDebug() << "ApplicationController::accessFeature() emit breakRequested()";
        emit breakRequested();
        return;
    case BreakSchedule::Due::Exercise:
        setFeatureInUse(FeatureExercise);
        m_reminderTimer->start(kReminderAfterBreakMs);
        qDebug() << "ApplicationController::accessFeature() emit exerciseRequested();";
        emit exerciseRequested();
        return;
    case BreakSchedule::Due::Nothing:
        break;
    }

    if (m_trainingEnabled && !m_reminderTimer->isActive()) {
        if (m_cameraFeaturesPaused || !m_interactiveReminder) {
            setFeatureInUse(FeatureTraining);
            m_reminderHideTimer->start(kReminderShownMs);
            qDebug() << "ApplicationController::accessFeature() emit blinkReminderRequested();";
            emit blinkReminderRequested();
        } else {
            setFeatureInUse(FeatureInteractiveTraining);
            reloadCameras();
            qDebug() << "ApplicationController::accessFeature() emit blinkTrainingRequested();";
            emit blinkInteractiveTrainingRequested();
        }
    }
}

void ApplicationController::hideBlinkReminder()
{
    qDebug() << "ApplicationController::hideBlinkReminder()";
    // A late timeout of a reminder that already ended must not end whatever runs by then.
    m_reminderHideTimer->stop();
    emit userBlinked();
    m_reminderTimer->start(m_blinkReminderPeriod);
    setFeatureInUse(FeatureFreeCamera);
}

void ApplicationController::processDetectedBlink()
{
    if (m_isCameraPreviewOn) {
        emit userBlinked();
    }
}

void ApplicationController::processBlinkForTraining(bool blinked)
{
    qDebug() << "ApplicationController::processBlinkForTraining" << blinked;
    if (blinked) {
        emit userBlinked();
        m_reminderTimer->start(m_blinkReminderPeriod);
        setFeatureInUse(FeatureFreeCamera);
    } else if (!m_mgdEnabled) {
        emit blinkReminderRequested();
    }
}

void ApplicationController::adjustBlinkTrainingForMGD()
{
    qDebug() << "ApplicationController::adjustBlinkTrainingForMGD()";
    if (m_mgdEnabled) {
        emit blinkReminderRequested();
    }
}

void ApplicationController::processMeasurement(float blinkRate, int length)
{
    qDebug() << "ApplicationController::processMeasurement" << blinkRate;
    // One decimal, cut rather than rounded: 12.37 is stored as 12.3.
    const double rate = static_cast<int>(blinkRate * 10.0f) / 10.0;
    emit measurementCompleted(rate, settingsSummary(), length);
    m_measurementTimer->start(kMeasurementPeriodMs);
    setFeatureInUse(FeatureFreeCamera);
}

void ApplicationController::processError(Error e)
{
    qDebug().noquote() << "ApplicationController::processError" << errorName(e) << "modelUse"
                       << featureName(m_featureInUse.load());
    const int feature = m_featureInUse.load();
    if (e == ErrorCameraOccupied && m_calls.isEnabled() &&
        (feature == FeatureInteractiveTraining || feature == FeatureMeasurement)) {
        // Another program holds the camera: a video call, in which no reminder stands in.
        const QDateTime now = m_services.clock->nowUtc();
        m_calls.cameraHeldByOtherProgram(now);
        if (feature == FeatureInteractiveTraining) {
            hideBlinkReminder();
        } else {
            m_measurementTimer->start(kMeasurementRetryMs);
            setFeatureInUse(FeatureFreeCamera);
        }
        updateCallState(now);
        return;
    }
    if (m_featureInUse.load() == FeatureInteractiveTraining && isCameraError(e)) {
        m_reminderHideTimer->start(kReminderShownMs);
        qDebug() << "ApplicationController::quitCameraFeature() emit blinkReminderRequested();";
        emit blinkReminderRequested();
        setFeatureInUse(FeatureTraining);
    }
    if (m_featureInUse.load() == FeatureInteractiveTraining) {
        hideBlinkReminder();
    } else if (m_featureInUse.load() == FeatureMeasurement) {
        m_measurementTimer->start(kMeasurementRetryMs);
        setFeatureInUse(FeatureFreeCamera);
    }
}

void ApplicationController::processStoppedBlinkDetection()
{
    qDebug().noquote() << "ApplicationController::processStoppedBlinkDetection() isCameraPreviewOn"
                       << m_isCameraPreviewOn.load() << "featureInUse"
                       << featureName(m_featureInUse.load());
    m_cameraStopPending = false;
    if (m_look.isRunning()) {
        m_look.cancelled();
        if (m_featureInUse.load() == FeaturePresence) {
            setFeatureInUse(FeatureFreeCamera);
        }
    }
    if (m_featureInUse.load() == FeatureInteractiveTraining) {
        hideBlinkReminder();
    } else if (m_featureInUse.load() == FeatureMeasurement) {
        m_measurementTimer->start(kMeasurementRetryMs);
        setFeatureInUse(FeatureFreeCamera);
    }
    startLivePreviewIfAllowed();
    if (m_sleepPending) {
        m_sleepPending = false;
        qDebug() << "ApplicationController: camera off, emit readyForSleep()";
        emit readyForSleep();
    }
}

void ApplicationController::requestCameraStop()
{
    // One stop at a time: each stop() of the engine is answered by one stopped(), and until it
    // arrives nothing new starts, so that the answer cannot be taken for the end of a later run.
    if (m_cameraStopPending) {
        return;
    }
    m_cameraStopPending = true;
    emit stopCameraUseRequested();
}

bool ApplicationController::livePreviewMayRun() const
{
    return m_isCameraPreviewOn && !m_programPaused && !m_cameraFeaturesPaused;
}

void ApplicationController::startLivePreviewIfAllowed()
{
    // Privacy first: no pause ever restarts the camera. A pending stop restarts the preview
    // itself, from processStoppedBlinkDetection().
    if (!livePreviewMayRun() || m_cameraStopPending) {
        return;
    }
    reloadCameras();
    emit startLivePreviewRequested();
}

void ApplicationController::quitBlinkTraining()
{
    const int feature = m_featureInUse.load();
    if (feature == FeatureInteractiveTraining) {
        qDebug() << "ApplicationController::forceQuitBlinkTraining() (by mouse) emit "
                    "stopCameraUseRequested();";
        requestCameraStop();
    } else if (feature == FeatureTraining) {
        qDebug() << "ApplicationController::forceQuitBlinkTraining() (by mouse)";
        m_reminderHideTimer->stop();
        m_reminderTimer->start(m_blinkReminderPeriod);
        setFeatureInUse(FeatureFreeCamera);
    }
}

void ApplicationController::setBlinkReminderPeriod(int period)
{
    qDebug() << "ApplicationController::setBlinkReminderPeriod" << period;
    m_blinkReminderPeriod = period;
}

void ApplicationController::setBlinkRate(float blinkRate)
{
    qDebug() << "ApplicationController::setBlinkRate" << blinkRate;
    m_blinkRate = blinkRate;
}

void ApplicationController::enableBlinkTraining(bool isEnabled)
{
    if (m_trainingEnabled == isEnabled) {
        return;
    }
    qDebug() << "ApplicationController::enableBlinkTraining" << isEnabled;
    m_trainingEnabled.exchange(isEnabled);
    if (isEnabled) {
        m_reminderTimer->start(m_blinkReminderPeriod);
        return;
    }
    m_reminderTimer->stop();
    const int feature = m_featureInUse.load();
    if (feature == FeatureInteractiveTraining) {
        requestCameraStop();
    } else if (feature == FeatureTraining) {
        m_reminderHideTimer->stop();
        emit userBlinked();
        setFeatureInUse(FeatureFreeCamera);
    }
}

void ApplicationController::enableInteractiveBlinkReminder(bool isInteractive)
{
    qDebug() << "ApplicationController::enableInteractiveBlinkReminder" << isInteractive;
    m_interactiveReminder = isInteractive;
}

void ApplicationController::enableMGDblinkTraining(bool isEnabled)
{
    qDebug() << "ApplicationController::enableMGDblinkTraining" << isEnabled;
    m_mgdEnabled = isEnabled;
}

void ApplicationController::enableMeasurement(bool isEnabled)
{
    qDebug() << "ApplicationController::enableMeasurement" << isEnabled;
    if (m_measurementEnabled == isEnabled) {
        return;
    }
    m_measurementEnabled.exchange(isEnabled);
    if (isEnabled) {
        m_measurementTimer->start(kFirstMeasurementMs);
    } else {
        m_measurementTimer->stop();
        if (m_featureInUse.load() == FeatureMeasurement) {
            requestCameraStop();
        }
    }
}

void ApplicationController::takeMeasurementNow()
{
    qDebug() << "ApplicationController::takeMeasurementNow()";
    // Running at this instant, the countdown lets the tick start anything else that is due
    // first; the measurement follows at the first tick after it expires.
    m_measurementTimer->start(1);
    accessFeature();
}

void ApplicationController::enableLivePreview(bool isEnabled)
{
    const int feature = m_featureInUse.load();
    qDebug().noquote() << "ApplicationController::enableLivePreview" << isEnabled
                       << "feature in use" << featureName(feature);
    m_isCameraPreviewOn.exchange(isEnabled);
    if (!isEnabled) {
        requestCameraStop();
        return;
    }
    switch (feature) {
    case FeatureBreak:
        quitBreak();
        break;
    case FeatureExercise:
        emit exerciseFinished();
        break;
    case FeatureTraining:
        hideBlinkReminder();
        break;
    case FeatureInteractiveTraining:
    case FeatureMeasurement:
        // The preview starts once the engine reports that it stopped.
        requestCameraStop();
        return;
    default:
        break;
    }
    startLivePreviewIfAllowed();
}

void ApplicationController::pauseProgram(bool isPaused)
{
    if (m_programPaused == isPaused) {
        return;
    }
    m_programPaused.exchange(isPaused);
    qDebug() << "ApplicationController::pauseProgram" << isPaused;
    if (isPaused) {
        switch (m_featureInUse.load()) {
        case FeatureBreak:
            quitBreak();
            break;
        case FeatureExercise:
            emit exerciseFinished();
            break;
        case FeatureFreeCamera:
        case FeatureInteractiveTraining:
        case FeatureMeasurement:
            requestCameraStop();
            break;
        case FeatureTraining:
            hideBlinkReminder();
            break;
        default:
            break;
        }
        if (m_look.isRunning()) {
            requestCameraStop();
        }
        return;
    }
    const QDateTime now = m_services.clock->nowUtc();
    m_breakSchedule.restart(now);
    m_resumeTime = now;
    startLivePreviewIfAllowed();
}

void ApplicationController::pauseCameraFeatures(bool isPaused)
{
    if (m_cameraFeaturesPaused == isPaused) {
        return;
    }
    qDebug() << "ApplicationController::pauseCameraFeatures" << isPaused;
    const bool previewRan = livePreviewMayRun();
    m_cameraFeaturesPaused.exchange(isPaused);
    if (!isPaused) {
        startLivePreviewIfAllowed();
    } else if (previewRan || m_featureInUse.load() != FeatureFreeCamera || m_look.isRunning()) {
        requestCameraStop();
    }
}

void ApplicationController::prepareForSleep()
{
    qDebug() << "ApplicationController::prepareForSleep()";
    // Whatever runs, the engine answers a stop with stopped(), at once when it is idle; a stop
    // already on its way is answered the same way.
    m_sleepPending = true;
    requestCameraStop();
}

void ApplicationController::setCameraIDpreffered(int id)
{
    qDebug() << "ApplicationController::setCameraIDpreffered()" << id;
    if (id == m_cameraIdPreferred) {
        return;
    }
    m_cameraIdPreferred = id;
    reloadCameras();
}

void ApplicationController::reloadCameras()
{
    const QStringList cameras = m_services.cameras->cameraDescriptions();
    for (const QString& description : cameras) {
        qDebug().noquote() << description;
    }
    const int count = cameras.size();
    const int newId =
        (m_cameraIdPreferred >= 0 && m_cameraIdPreferred < count) ? m_cameraIdPreferred : 0;
    qDebug() << "ApplicationController: reloadCameras() number of cameras" << count << "prefferedID"
             << m_cameraIdPreferred << " inUse" << m_cameraIdInUse << " newID in use" << newId;
    if (newId != m_cameraIdInUse) {
        m_cameraIdInUse = newId;
        emit cameraIDchanged(newId);
    }
}

void ApplicationController::quit()
{
    qDebug() << "ApplicationController::quit() thread" << QThread::currentThreadId();
    m_quitting.exchange(true);
    m_trainingEnabled.exchange(false);
    m_isCameraPreviewOn.exchange(false);
    m_measurementEnabled.exchange(false);
    if (m_microphone) {
        m_microphone->stop();
    }
    for (CountdownTimer* timer :
         {m_reminderTimer, m_measurementTimer, m_schedulerTimer, m_delayTimer}) {
        timer->stop();
    }
    if (m_delayLoop->isRunning()) {
        // Its timer is stopped, so end the wait here; the waiting call emits finished().
        m_delayLoop->quit();
        return;
    }
    qDebug() << "ApplicationController::quit() emitting finish";
    emitFinishedOnce();
}

void ApplicationController::emitFinishedOnce()
{
    if (m_finishedEmitted) {
        return;
    }
    m_finishedEmitted = true;
    emit finished();
}

// Breaks and exercises: their timing is m_breakSchedule's; here is what they occupy.

void ApplicationController::quitBreak()
{
    if (m_featureInUse.load() != FeatureBreak) {
        return;
    }
    qDebug() << "ApplicationController::quitBreak() emit breakFinished();";
    m_breakSchedule.restart(m_services.clock->nowUtc());
    setFeatureInUse(FeatureFreeCamera);
    emit breakFinished();
}

void ApplicationController::skipBreak()
{
    qDebug() << "ApplicationController::skipBreak()";
    m_breakSchedule.skipBreak(m_services.clock->nowUtc());
    // A click that arrives after the break already ended must not free another feature.
    if (m_featureInUse.load() == FeatureBreak) {
        setFeatureInUse(FeatureFreeCamera);
    }
}

void ApplicationController::snoozeBreak()
{
    m_breakSchedule.snoozeBreak(m_services.clock->nowUtc());
    if (m_featureInUse.load() == FeatureBreak) {
        setFeatureInUse(FeatureFreeCamera);
    }
    qDebug() << "ApplicationController::snoozeBreak()";
}

void ApplicationController::quitExercise()
{
    if (m_featureInUse.load() != FeatureExercise) {
        return;
    }
    qDebug() << "ApplicationController::quitExercise()";
    m_breakSchedule.exerciseEnded(m_services.clock->nowUtc());
    setFeatureInUse(FeatureFreeCamera);
}

void ApplicationController::useWebcamInComputerBreaks(bool isEnabled)
{
    qDebug() << "ApplicationController::useWebcamInComputerBreaks()" << isEnabled;
    m_breakSchedule.useWebcamInBreaks(isEnabled);
    m_look.setEnabled(isEnabled);
}

bool ApplicationController::presenceLookAllowed() const
{
    const int feature = m_featureInUse.load();
    return m_look.isEnabled() && !m_programPaused && !m_cameraFeaturesPaused && !m_inCall &&
           !m_isCameraPreviewOn && !m_cameraStopPending && !m_quitting &&
           (feature == FeatureFreeCamera || feature == FeatureBreak);
}

void ApplicationController::processUserPresence(bool present)
{
    qDebug() << "ApplicationController::processUserPresence" << present;
    endPresenceLook(present);
}

void ApplicationController::processPresenceLookFailed(Error e)
{
    qDebug().noquote() << "ApplicationController::processPresenceLookFailed" << errorName(e);
    if (e == ErrorCameraOccupied && m_calls.isEnabled()) {
        m_calls.cameraHeldByOtherProgram(m_services.clock->nowUtc());
    }
    endPresenceLook(std::nullopt);
}

void ApplicationController::endPresenceLook(std::optional<bool> present)
{
    if (!m_look.isRunning()) {
        return; // stopped meanwhile: the stop's answer ended it
    }
    const QDateTime now = m_services.clock->nowUtc();
    m_look.answered(present, now);
    if (m_featureInUse.load() == FeaturePresence) {
        setFeatureInUse(FeatureFreeCamera);
    }
    updateCallState(now);
    // The look was asked for a decision: take it now rather than a minute later.
    checkPresence();
}

void ApplicationController::includeNaturalBreaks(bool isEnabled)
{
    qDebug() << "ApplicationController::includeNaturalBreaks" << isEnabled;
    m_breakSchedule.includeNaturalBreaks(isEnabled);
}

void ApplicationController::setNaturalBreakDuration(uint duration)
{
    qDebug() << "ApplicationController::setNaturalBreakDuration" << duration;
    m_breakSchedule.setNaturalBreakDuration(duration);
}

void ApplicationController::enableComputerBreaks(bool isEnabled)
{
    qDebug() << "ApplicationController::enableComputerBreaks()" << isEnabled;
    if (m_breakSchedule.enableBreaks(isEnabled)) {
        updatePresenceTimer();
    }
}

void ApplicationController::enableEyeExercisebreaks(bool isEnabled)
{
    qDebug() << "ApplicationController::enableEyeExercisebreaks" << isEnabled;
    if (m_breakSchedule.enableExercises(isEnabled)) {
        updatePresenceTimer();
    }
}

void ApplicationController::holdRemindersInCalls(bool isEnabled)
{
    qDebug() << "ApplicationController::holdRemindersInCalls" << isEnabled;
    m_calls.setEnabled(isEnabled);
    updateCallState(m_services.clock->nowUtc());
}

void ApplicationController::processRecordingPrograms(const QStringList& programs)
{
    qDebug() << "ApplicationController::processRecordingPrograms" << programs;
    m_calls.setRecordingPrograms(programs);
    updateCallState(m_services.clock->nowUtc());
}

void ApplicationController::processCallWindows(const QStringList& titles)
{
    qDebug() << "ApplicationController::processCallWindows" << titles;
    m_calls.setCallWindows(titles);
    updateCallState(m_services.clock->nowUtc());
}

bool ApplicationController::updateCallState(const QDateTime& now)
{
    const bool inCall = m_calls.inCall(now);
    if (inCall == m_inCall) {
        return inCall;
    }
    m_inCall = inCall;
    qDebug().noquote() << "ApplicationController: call" << (inCall ? "began:" : "ended")
                       << m_calls.reasons(now);
    const int feature = m_featureInUse.load();
    if (inCall && (feature == FeatureInteractiveTraining || feature == FeatureMeasurement ||
                   m_look.isRunning())) {
        // The camera and the user's attention belong to the call; the measurement is retried.
        requestCameraStop();
    }
    emit callStateChanged(inCall);
    return inCall;
}

void ApplicationController::updatePresenceTimer()
{
    if (m_breakSchedule.presenceCheckWanted()) {
        m_presenceTimer->start(kPresenceCheckMs);
    } else {
        m_presenceTimer->stop();
    }
}

void ApplicationController::changeTimeBetweenBreakReminders(int time)
{
    qDebug() << "ApplicationController::changeTimeBetweenBreakReminders" << time;
    m_breakSchedule.setBreakPeriod(time);
}

void ApplicationController::checkPresence()
{
    const QPoint cursor = m_services.idleMonitor->cursorPosition();
    const QDateTime now = m_services.clock->nowUtc();
    const std::optional<quint32> idleMs = m_services.idleMonitor->idleMilliseconds();
    if (m_look.isRunning()) {
        return; // decided when the answer comes
    }
    m_breakSchedule.noteCursor(cursor, now);
    // Idle input may be reading or watching, and a moving pointer during a break may be a cat:
    // where the user asked for it, the camera tells.
    const bool breakShown = m_featureInUse.load() == FeatureBreak;
    const qint64 naturalBreakMs = m_breakSchedule.naturalBreakMs();
    const QDateTime since =
        breakShown ? m_breakShownAt : m_breakSchedule.lastInputTime(idleMs, now);
    // Before any input was seen nobody can tell how long the user has been idle.
    const bool inputIdle = since.isValid() && since.msecsTo(now) > naturalBreakMs;
    std::optional<bool> awayByCamera;
    if (presenceLookAllowed() && (breakShown || inputIdle)) {
        const PresenceLook::Watch watch =
            breakShown ? PresenceLook::Watch::BreakWindow : PresenceLook::Watch::IdleInput;
        if (m_look.mayLook(now, since, watch, naturalBreakMs)) {
            m_look.started(now);
            if (!breakShown) {
                setFeatureInUse(FeaturePresence);
            }
            qDebug()
                << "ApplicationController::checkPresence() emit detectUserWithWebcamRequested()";
            emit detectUserWithWebcamRequested();
            return;
        }
        awayByCamera = m_look.away(now, since, naturalBreakMs);
    }
    const BreakSchedule::Presence presence =
        m_breakSchedule.checkPresence(cursor, idleMs, now, awayByCamera);
    if (presence.changed) {
        qDebug() << "ApplicationController::checkPresence()is break" << presence.isBreak
                 << m_breakSchedule.lastCursorMoveTime() << now << presence.sinceMoveMs
                 << presence.thresholdMs << idleMs.value_or(0);
    }
    if (!presence.isBreak) {
        return;
    }

    // The user rested: the shown window goes, whether or not natural breaks also count for
    // the schedule.
    const int feature = m_featureInUse.load();
    if (feature == FeatureBreak) {
        quitBreak();
    } else if (feature == FeatureExercise) {
        emit exerciseFinished();
        setFeatureInUse(FeatureFreeCamera);
    }
}

// Screen control is m_screen's; the detection's wait stays here, since quit() depends on it.

void ApplicationController::detectScreensWindows(int delay)
{
    if (delay >= kShortestDelayMs && !m_delayLoop->isRunning()) {
        // Other queued slots, scheduler ticks and quit() included, run during the wait.
        m_delayTimer->start(delay);
        m_delayLoop->exec();
    }
    if (m_quitting) {
        emitFinishedOnce();
    }
    m_screen->detect(delay);
}

void ApplicationController::processInternalScreenBrightnessChange(int newBrightness)
{
    m_screen->processInternalScreenBrightnessChange(newBrightness);
}

void ApplicationController::setLidOpenStatus(bool isOpened)
{
    qDebug() << "ac is lid opened" << isOpened;
    m_screen->setLidOpen(isOpened);
    if (isOpened) {
        detectScreensWindows(3000);
    }
}

void ApplicationController::enableBrightnessSaver(bool isEnabled)
{
    m_screen->enableBrightnessSaver(isEnabled);
}

void ApplicationController::enableScreenControl(bool isEnabled, int delay)
{
    m_screen->setEnabled(isEnabled);
    qDebug() << "ApplicationController::enableScreenControl" << isEnabled;
    if (isEnabled) {
        detectScreensWindows(delay);
    }
}

void ApplicationController::setBrightness(int value)
{
    m_screen->setBrightness(value);
}

void ApplicationController::setColorTemperature(int value)
{
    m_screen->setColorTemperature(value);
}
