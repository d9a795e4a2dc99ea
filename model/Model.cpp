#include "Model.h"

#include "WebcamFrameSource.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <exception>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kProcessedWidth = 640;
constexpr int kPreviewWidth = 400;
constexpr qint64 kMeasurementMs = 180000;
constexpr qint64 kTrainingReminderMs = 4000;
constexpr int kNoFaceGraceMs = 2000;

QString threadId()
{
    return QString::number(reinterpret_cast<quintptr>(QThread::currentThreadId()));
}

} // namespace

ModelOptions ModelOptions::defaults()
{
    ModelOptions options;
    options.frameSource = nullptr; // the webcam, made by the engine
    options.clock = nullptr;       // the steady clock
    const QString exeDir = QCoreApplication::applicationDirPath();
    options.landmarkModelPath = exeDir + QStringLiteral("/data.dat");
    const QString modelName = QStringLiteral("face_detection_yunet_2022mar.onnx");
    options.faceModelCandidates << exeDir + QLatin1Char('/') + modelName;
    // The per-user data folder, where the installer puts what the package could not ship.
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataDir.isEmpty()) {
        options.faceModelCandidates << dataDir + QStringLiteral("/winkwell/") + modelName;
    }
    return options;
}

Model::Model(ModelOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_source(m_options.frameSource),
      m_clock(m_options.clock)
{
    if (!m_source) {
        m_source = std::make_shared<WebcamFrameSource>();
    }
    if (!m_clock) {
        m_clock = std::make_shared<SteadyEngineClock>();
    }
    m_runTimer.setClock(m_clock.get());
    m_noFaceTimer.setClock(m_clock.get());
    m_detector.onEyeEvent = [this](const BlinkDetector::EyeEvent& event, bool counted) {
        emit eyeEventDetected(event.start, event.end, event.duration, counted);
    };
    m_detector.onBlinkCounted = [this] {
        qDebug() << "Model:: blink detected";
        emit blinkDetected();
    };
}

Model::~Model()
{
    releaseCamera();
}

QString Model::faceDetectorName() const
{
    return m_faceDetector ? m_faceDetector->name() : QString();
}

void Model::init()
{
    qDebug() << "Model::init()";
    drawTexts();
    m_runTimer.invalidate();

    // A failed start leaves the engine unusable (every run answers error 1), but the rest of the
    // program must still start: breaks, statistics and settings do not need the camera.
    loadDetectors();
    emit modelInitialized();
}

void Model::loadDetectors()
{
    // The detector's own result storage replaces a raw result buffer: its presence marks the
    // engine usable.
    m_faceDetector = m_options.faceDetectorFactory
                         ? m_options.faceDetectorFactory()
                         : createFaceDetector(m_options.faceModelCandidates);
    if (!m_faceDetector) {
        qDebug() << "Model::init low memory for face detection";
        return;
    }
    std::string message;
    if (!m_eyeCorners.load(m_options.landmarkModelPath.toStdString(), message)) {
        qDebug() << "Model::init"
                 << "Unable to read file data.dat." << QString::fromStdString(message);
        m_faceDetector.reset();
        return;
    }
    m_roiFactor = 2.0f;
}

void Model::drawTexts()
{
    m_fontFactor = screenFontFactor();
    m_statusImages.draw(m_fontFactor);
}

void Model::setCameraID(int id)
{
    qDebug() << "Model::setCameraID" << id << m_cameraId;
    if (id != m_cameraId) {
        m_cameraId = id;
        m_cameraChanged = true;
    }
}

void Model::startBlinkMeasurement()
{
    if (m_cameraUse != NoRun) {
        qDebug() << "Model::startMeasurement(), this should never happen cameraUse"
                 << m_cameraUse.load();
        return;
    }
    if (!isUsable()) {
        emit errorOccurred(ErrorMissingData);
        return;
    }
    qDebug() << "Model: startMeasurement() ";
    m_detector.blinkCount = 0.0;
    m_detector.blinkDurationSum = 0.0;
    beginRun(MeasurementRun, 10000, false);
}

void Model::startTraining()
{
    if (m_cameraUse != NoRun) {
        qDebug() << "Model::startTraining(), this should never happen cameraUse"
                 << m_cameraUse.load();
        return;
    }
    if (!isUsable()) {
        emit errorOccurred(ErrorMissingData);
        return;
    }
    qDebug() << "Model::startTraining()";
    m_detector.blinkCount = 0.0;
    m_trainingNoBlinkReported = false;
    beginRun(TrainingRun, 3000, false);
}

void Model::startLivePreview()
{
    if (m_cameraUse == PreviewRun) {
        return;
    }
    if (m_cameraUse != NoRun) {
        qDebug() << "Model::startLivePreview(), this should never happen cameraUse"
                 << m_cameraUse.load();
        return;
    }
    if (!isUsable()) {
        sendStatusImage(m_statusImages.missingFile);
        emit errorOccurred(ErrorMissingData);
        return;
    }
    qDebug() << "Model: startLivePreview() ";
    beginRun(PreviewRun, -1, true);
}

void Model::beginRun(CameraUse use, int noFaceLimitMs, bool livePreview)
{
    m_isLivePreview = livePreview;
    m_noFaceLimitMs = noFaceLimitMs;
    m_isStopRequired = false;
    m_cameraUse = use;
    startBlinkDetection();
}

void Model::stop()
{
    qDebug() << "Model::stop()";
    QMutexLocker lock(&m_mutex);
    m_isStopRequired = false;
    if (m_cameraUse != NoRun) {
        m_isStopRequired = true;
        qDebug() << "Model::stop() isStopRequired=true;";
    } else if (!m_isEnd) {
        emit stopped();
        qDebug() << "Model::stop() emit stopped();";
    }
}

void Model::quit()
{
    qDebug() << "Model::quit() m_isEnd=true; thread" << threadId();
    m_isEnd = true;
    if (!m_source->isOpened()) {
        qDebug() << "Model::quit() emitting finish thread" << threadId();
        emit finished();
    }
}

void Model::releaseCamera()
{
    if (m_source && m_source->isOpened()) {
        m_source->release();
    }
}

void Model::discardFaceRecords()
{
    m_face.reset();
    m_previousFace.reset();
}

// Every run end: the camera goes, no run is active, and a pending stop wins over the error.
void Model::endRunWithError(Error error)
{
    releaseCamera();
    m_cameraUse = NoRun;
    if (m_isStopRequired) {
        stop();
    } else {
        emit errorOccurred(error);
    }
    discardFaceRecords();
}

void Model::finishRun()
{
    releaseCamera();
    m_cameraUse = NoRun;
}

void Model::sendStatusImage(const QImage& image)
{
    QImage* buffer = m_handOver.take(ImageHandOver::StatusPicture);
    *buffer = image; // shares the pixels: status images are replaced, never drawn into
    emit frameReceived(buffer);
    m_handOver.releaseAfterReceiver(buffer);
}

void Model::sendPreviewFrame()
{
    QImage* buffer = m_handOver.take(ImageHandOver::LiveFrame);
    if (!buffer) {
        return; // the interface is behind: skip this picture rather than queue stale ones
    }
    {
        ProfiledStage stage(m_profiler, EngineProfiler::PreviewDrawing);
        m_previewRenderer.render(m_frame, m_previewScale, m_detector.frameRate(),
                                 m_detector.blinkMarker(), m_face ? &*m_face : nullptr, m_eyes,
                                 m_fontFactor, *buffer);
    }
    emit frameReceived(buffer);
    m_handOver.releaseAfterReceiver(buffer);
}

void Model::scaleFrame()
{
    if (m_scaleCoefficient != 1.0f) {
        cv::resize(m_frame, m_frame,
                   cv::Size(kProcessedWidth, static_cast<int>(m_frame.rows / m_scaleCoefficient)),
                   0, 0, cv::INTER_LINEAR);
    }
}

bool Model::endCheck()
{
    if (!m_isEnd && !m_isStopRequired) {
        return false;
    }
    releaseCamera();
    m_cameraUse = NoRun;
    if (m_isEnd) {
        qDebug() << "Model::startBlinkDetection() emitting finish while running blink detection";
        emit finished();
    }
    if (m_isStopRequired) {
        stop();
    }
    discardFaceRecords();
    return true;
}

bool Model::openCamera()
{
    qDebug() << "Model::startBlinkDetection() opening camera id" << m_cameraId;
    if (m_cameraChanged) {
        releaseCamera();
        m_cameraChanged = false;
    }
    try {
        m_source->open(m_cameraId);
    } catch (const std::exception& e) {
        const char* what = e.what();
        qDebug() << "exception while opening camera"
                 << (what && *what ? QString::fromLocal8Bit(what)
                                   : QStringLiteral("Unknown exception"));
    }
    if (!m_source->isOpened()) {
        qDebug() << "Model::startBlinkDetection() chosen camera occupied or not conected";
        m_cameraUse = NoRun;
        if (m_isLivePreview) {
            sendStatusImage(m_statusImages.cameraOccupied);
        }
        if (m_isStopRequired) {
            stop();
        } else {
            emit errorOccurred(ErrorCameraOccupied);
        }
        discardFaceRecords();
        return false;
    }

    m_source->requestFrameSize(kProcessedWidth, 480);
    bool ok = true;
    for (int i = 0; i < m_source->warmUpFrames() && ok; ++i) {
        ok = m_source->read(m_frame);
    }
    ok = ok && m_source->read(m_frame) && !m_frame.empty();
    if (!ok) {
        qDebug() << "Model::startBlinkDetection() empty frame, camera disconnected in opening";
        if (m_isLivePreview) {
            sendStatusImage(m_statusImages.emptyFrame);
        }
        endRunWithError(ErrorEmptyFrame);
        return false;
    }

    m_scaleCoefficient = static_cast<float>(m_frame.cols) / kProcessedWidth;
    scaleFrame();
    qDebug() << "model image after coeficient" << m_scaleCoefficient << m_frame.cols
             << m_frame.rows;

    m_previousTick = m_clock->nowNs();
    cv::cvtColor(m_frame, m_previousGrey, cv::COLOR_BGR2GRAY);
    cv::blur(m_previousGrey, m_previousGrey, cv::Size(3, 3));

    m_previewScale = static_cast<float>(m_frame.cols) / kPreviewWidth;
    m_detector.resetForRun();

    m_runTimer.start();
    if (m_cameraUse == TrainingRun) {
        emit trainingStarted();
        emit webcamActivated(FeatureInteractiveTraining);
    } else if (m_cameraUse == MeasurementRun) {
        emit webcamActivated(FeatureMeasurement);
    }
    return true;
}

Model::MeasurementResult Model::measurementResult(double blinkCount, double blinkDurationSum)
{
    MeasurementResult result;
    result.blinkRate = static_cast<float>(blinkCount / 3.0);
    // Truncated, not rounded: 2.4 s over 12 blinks is just below 200 ms in double arithmetic.
    result.length = blinkCount > 0 ? static_cast<int>(blinkDurationSum / blinkCount * 1000.0) : 0;
    return result;
}

// The training run's blink and reminder checks and the measurement's three-minute end.
bool Model::runLevelChecks()
{
    if (m_cameraUse == TrainingRun) {
        if (m_detector.blinkCount > 0) {
            finishRun();
            emit blinkReactionToReminder(true);
            discardFaceRecords();
            return true;
        }
        if (m_runTimer.elapsed() > kTrainingReminderMs && !m_trainingNoBlinkReported) {
            m_trainingNoBlinkReported = true;
            emit blinkReactionToReminder(false);
        }
    } else if (m_cameraUse == MeasurementRun && m_runTimer.elapsed() > kMeasurementMs) {
        finishRun();
        const MeasurementResult result =
            measurementResult(m_detector.blinkCount, m_detector.blinkDurationSum);
        emit measurementSuccessful(result.blinkRate, result.length);
        discardFaceRecords();
        return true;
    }
    return false;
}

void Model::localise()
{
    const bool detectionFrame = m_detector.frameCounter() % 4 == 0;
    if (detectionFrame || !m_previousFace) {
        {
            ProfiledStage stage(m_profiler, EngineProfiler::FaceDetection);
            cv::resize(m_frame, m_smallFrame, cv::Size(), 0.25, 0.25, cv::INTER_AREA);
            const std::vector<DetectedFace>& faces = m_faceDetector->detect(m_smallFrame);
            m_face = chooseFace(faces, m_previousFace, m_frame.cols, m_frame.rows, m_eyes);
        }
        if (detectionFrame) {
            ProfiledStage stage(m_profiler, EngineProfiler::Landmarks);
            m_eyeCorners.setImage(m_currentGrey);
            if (m_face) {
                m_eyeCorners.locate(*m_face, m_roiFactor, m_eyes);
            }
        }
    } else {
        m_face = m_previousFace;
        m_eyes = m_previousEyes;
    }
}

// Returns true when the run ended because the face was gone too long.
bool Model::applyNoFaceRule()
{
    if (m_face) {
        return false;
    }
    const quint64 n = m_detector.frameCounter();
    if (m_previousFace || n == 1) {
        qDebug() << "Model::startBlinkDetection() Face NOT DETECTED";
        if (m_noFaceLimitMs >= 1) {
            m_noFaceTimer.start();
        }
    }
    if (m_noFaceLimitMs >= 1 && m_noFaceTimer.isValid() &&
        m_noFaceTimer.elapsed() > m_noFaceLimitMs - kNoFaceGraceMs) {
        qDebug() << "Model::startBlinkDetection() time no face" << m_noFaceTimer.elapsed()
                 << "threshold" << m_noFaceLimitMs;
        endRunWithError(ErrorNoFace);
        return true;
    }
    return false;
}

void Model::measureMotion()
{
    if (!m_previousFace) {
        m_detector.recordMotion({}, {});
        return;
    }
    const float dx = m_previousEyes.first.x - m_previousEyes.second.x;
    const float dy = m_previousEyes.first.y - m_previousEyes.second.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    {
        ProfiledStage stage(m_profiler, EngineProfiler::FlowAndStatistics);
        const EyeMotion first =
            m_motionMeter.measure(m_previousGrey, m_currentGrey, m_previousEyes.first, distance);
        const EyeMotion second =
            m_motionMeter.measure(m_previousGrey, m_currentGrey, m_previousEyes.second, distance);
        m_detector.recordMotion(first, second);
    }
    ProfiledStage stage(m_profiler, EngineProfiler::Detector);
    m_detector.runDetectors();
}

void Model::scheduleNextFrame()
{
    std::swap(m_currentGrey, m_previousGrey);
    m_previousEyes = m_eyes;
    m_previousFace = m_face;
    QTimer::singleShot(0, this, &Model::startBlinkDetection);
}

void Model::startBlinkDetection()
{
    if (endCheck()) {
        return;
    }
    if (!m_source->isOpened() || m_cameraChanged) {
        if (!openCamera()) {
            return;
        }
    }
    if (runLevelChecks()) {
        return;
    }

    if (!m_source->read(m_frame) || m_frame.empty()) {
        releaseCamera();
        qDebug() << "Model::startBlinkDetection() empty frame, camera disconnected in cycle";
        if (m_isLivePreview) {
            sendStatusImage(m_statusImages.emptyFrame);
        }
        endRunWithError(ErrorEmptyFrame);
        return;
    }
    scaleFrame();
    const qint64 tick = m_clock->nowNs();
    {
        ProfiledStage stage(m_profiler, EngineProfiler::GreyAndBlur);
        cv::cvtColor(m_frame, m_currentGrey, cv::COLOR_BGR2GRAY);
        cv::blur(m_previousGrey, m_previousGrey, cv::Size(3, 3));
    }

    localise();
    m_detector.beginFrame(static_cast<double>(tick - m_previousTick) /
                          EngineClock::ticksPerSecond());
    m_previousTick = tick;
    if (applyNoFaceRule()) {
        return;
    }
    measureMotion();

    if (m_detector.updateFrameRate() && !m_isLivePreview &&
        m_detector.frameRate() < BlinkDetector::lowestFrameRate) {
        releaseCamera();
        qDebug() << "M: fps" << m_detector.frameRate();
        endRunWithError(ErrorLowFps);
        return;
    }

    if (m_isLivePreview) {
        sendPreviewFrame();
    }
    if (m_profiler) {
        m_profiler->frameDone();
    }
    emit frameProcessed();
    scheduleNextFrame();
}
