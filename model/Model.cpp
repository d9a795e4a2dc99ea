#include "Model.h"

#include "WebcamFrameSource.h"
#include "platform/FreeMemory.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
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

// Frames are processed 640 pixels wide, whatever the camera delivers.
void scaleToProcessedWidth(cv::Mat& frame, float scaleCoefficient)
{
    if (scaleCoefficient != 1.0f) {
        cv::resize(frame, frame,
                   cv::Size(kProcessedWidth, static_cast<int>(frame.rows / scaleCoefficient)), 0, 0,
                   cv::INTER_LINEAR);
    }
}

// Frames are 8-bit BGR; anything else (grey, 16-bit, 4-channel) is not a picture the engine can
// read.
bool isUsableFrame(const cv::Mat& frame)
{
    if (frame.empty()) {
        return false;
    }
    if (frame.type() != CV_8UC3) {
        qDebug() << "Model::startBlinkDetection() unexpected frame type" << frame.type()
                 << "channels" << frame.channels() << "depth" << frame.depth();
        return false;
    }
    return true;
}

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
    const QString cacheDir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cacheDir.isEmpty()) {
        options.landmarkCacheFolder = cacheDir + QStringLiteral("/winkwell");
    }
    options.eyeStateModelPath = exeDir + QStringLiteral("/eyestate.yml");
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
        if (counted) {
            emit blinkClosureMeasured(m_lastClosure.depth, m_lastClosure.complete);
        }
        emit eyeEventDetected(event.start, event.end, event.duration, counted);
    };
    m_detector.confirmBlink = [this](const BlinkDetector::EyeEvent& event) {
        ProfiledStage stage(m_profiler, EngineProfiler::ClosureLookBack);
        m_lastClosure = m_closure.examine(event.turn, m_eyeCorners, m_roiFactor);
        for (std::size_t eye = 0; eye < 2; ++eye) {
            const EyeClosure& cues = m_lastClosure.eyes[eye];
            qDebug().nospace() << "Model:: closure look, frames " << event.start << "-" << event.end
                               << " eye " << eye << ": lids " << cues.lids << " depth "
                               << cues.lidDepth << " iris " << cues.iris << " white " << cues.white
                               << " shut " << cues.shut << " open " << cues.openShut;
        }
        if (!m_lastClosure.closed) {
            qDebug() << "Model:: eye movement without a closing lid, no blink";
            emit blinkRefused(event.start, event.end);
            return false;
        }
        // Beyond the longest blink only lids seen shut count: a gaze lowered for long moves the
        // lids down and up the same way.
        if (event.duration > BlinkDetector::longestBlink && !m_lastClosure.judged) {
            qDebug() << "Model:: long closure without lids seen shut, no blink";
            emit blinkRefused(event.start, event.end);
            return false;
        }
        return true;
    };
    m_detector.onBlinkCounted = [this] {
        qDebug() << "Model:: blink detected";
        if (m_lastClosure.judged && !m_lastClosure.complete) {
            ++m_incompleteBlinks;
        }
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
    keepLandmarksOnDisk();
    m_roiFactor = 2.0f;
    // Without the eye-state model the engine counts blinks as it did before it had one.
    m_closure.setEyeStateModel(nullptr);
    m_closure.setCues(m_options.closureCues);
    const std::string eyeStatePath = m_options.eyeStateModelPath.toStdString();
    if (!eyeStatePath.empty() && m_eyeState.load(eyeStatePath, message)) {
        m_closure.setEyeStateModel(&m_eyeState);
    } else if (m_options.closureCues == ClosureCues::Learned) {
        qDebug().noquote() << "Model::init eye state model" << m_options.eyeStateModelPath
                           << "not loaded (" + QString::fromStdString(message) +
                                  "): every lid movement of a blink counts, unconfirmed";
        m_closure.setCues(ClosureCues::None);
    }
    // A head that moves without closing its lids is refused by the look at the lids; only
    // without that look does the flow itself keep a margin for head motion.
    m_motionMeter.setHeadMotionMargin(m_closure.cues() == ClosureCues::None);
}

// The landmark model is most of what the engine holds (34 MB); between runs it waits in a
// compact file, which reads back in milliseconds where data.dat takes over half a second.
void Model::keepLandmarksOnDisk()
{
    const QString folder = m_options.landmarkCacheFolder;
    if (folder.isEmpty()) {
        return;
    }
    std::string message;
    if (!QDir().mkpath(folder) ||
        !m_eyeCorners.keepOnDisk(QFile::encodeName(folder).toStdString(), message)) {
        qDebug().noquote() << "Model::init the landmark model stays in memory: cannot write it to"
                           << folder << QString::fromStdString(message);
    }
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
    if (mayStart(MeasurementRun, "startMeasurement()")) {
        qDebug() << "Model: startMeasurement() ";
        beginRun(MeasurementRun, 10000);
    }
}

void Model::startTraining()
{
    if (mayStart(TrainingRun, "startTraining()")) {
        qDebug() << "Model::startTraining()";
        beginRun(TrainingRun, 3000);
    }
}

void Model::startLivePreview()
{
    if (mayStart(PreviewRun, "startLivePreview()")) {
        qDebug() << "Model: startLivePreview() ";
        beginRun(PreviewRun, -1);
    }
}

void Model::detectUser()
{
    if (!mayStart(PresenceRun, "detectUser()")) {
        // The scheduler waits for every look's answer.
        emit presenceLookFailed(isUsable() ? ErrorUnused : ErrorMissingData);
        return;
    }
    qDebug() << "Model::detectUser()";
    beginRun(PresenceRun, -1);
}

// The one rule for starting a run: not after quit(), not beside another run (a preview that is
// already showing answers a second preview request), and only with a usable engine.
bool Model::mayStart(CameraUse use, const char* slot)
{
    if (m_isEnd) {
        qDebug().nospace() << "Model::" << slot << " after quit(), no run starts";
        return false;
    }
    if (m_cameraUse != NoRun) {
        if (use != PreviewRun || m_cameraUse != PreviewRun) {
            qDebug().nospace() << "Model::" << slot << ", this should never happen cameraUse "
                               << m_cameraUse.load();
        }
        return false;
    }
    if (!isUsable()) {
        if (use == PreviewRun) {
            sendStatusImage(m_statusImages.missingFile);
        }
        emit errorOccurred(ErrorMissingData);
        return false;
    }
    return true;
}

// Everything a run starts from is set here, once: its parameters, no previous frame, and the
// blink detector's own reset. noFaceLimitMs -1: the run never ends for want of a face.
void Model::beginRun(CameraUse use, int noFaceLimitMs)
{
    m_run = Run();
    m_run.isLivePreview = use == PreviewRun;
    m_run.isPresenceLook = use == PresenceRun;
    m_run.noFaceLimitMs = noFaceLimitMs;
    m_previous = PreviousFrame();
    m_detector.resetForRun();
    m_closure.reset();
    m_incompleteBlinks = 0;
    m_isStopRequired = false;
    m_cameraUse = use;
    std::string message;
    if (use != PresenceRun && !m_eyeCorners.hold(message)) {
        qDebug().noquote() << "Model: the landmark model cannot be read again; the eyes are where"
                           << "the face detector puts them:" << QString::fromStdString(message);
    } else if (!message.empty()) {
        qDebug().noquote() << "Model: the compact landmark model was written again:"
                           << QString::fromStdString(message);
    }
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

// Every end by an error: the camera goes, no run is active, the preview shows why, and a
// pending stop wins over the error.
void Model::endRunWithError(Error error)
{
    endRun(error == ErrorNoFace ? CameraRunEnd::NoFace : CameraRunEnd::Error);
    if (m_run.isLivePreview) {
        if (error == ErrorCameraOccupied) {
            sendStatusImage(m_statusImages.cameraOccupied);
        } else if (error == ErrorEmptyFrame) {
            sendStatusImage(m_statusImages.emptyFrame);
        }
    }
    if (m_isStopRequired) {
        stop();
    } else if (m_run.isPresenceLook) {
        emit presenceLookFailed(error);
    } else {
        emit errorOccurred(error);
    }
}

void Model::finishRun()
{
    endRun(CameraRunEnd::Finished);
}

// Every end of a run: the camera goes, the run is told of, and what only a run needs goes too: the
// frames it held (the look back keeps a second and a half of them, some 15 MB) and the landmark
// model, where it has a compact file to wait in.
void Model::endRun(CameraRunEnd ending)
{
    releaseCamera();
    reportRunEnd(ending);
    m_cameraUse = NoRun;
    m_closure.reset();
    m_headMotion = HeadMotionTracker();
    m_previous.grey.release();
    m_blurredPrevious.release();
    m_quarterFrame.release();
    m_eyeCorners.letGo();
    returnFreedMemory();
}

void Model::reportRunEnd(CameraRunEnd ending)
{
    if (!m_run.cameraOpened) {
        return; // the camera never delivered: no camera time to tell of
    }
    m_run.cameraOpened = false;
    CameraRunReport report;
    switch (m_cameraUse.load()) {
    case TrainingRun:
        report.kind = FeatureInteractiveTraining;
        break;
    case MeasurementRun:
        report.kind = FeatureMeasurement;
        break;
    case PresenceRun:
        report.kind = FeaturePresence;
        break;
    default:
        report.kind = FeatureFreeCamera;
        break;
    }
    report.cameraMs = m_runTimer.elapsed();
    report.frames = m_run.isPresenceLook ? m_run.lookFrames : m_detector.frameCounter();
    report.ending = ending;
    emit cameraRunEnded(report);
}

void Model::sendStatusImage(const QImage& image)
{
    QImage* buffer = m_handOver.take(ImageHandOver::StatusPicture);
    *buffer = image; // shares the pixels: status images are replaced, never drawn into
    emit frameReceived(buffer);
    m_handOver.releaseAfterReceiver(buffer);
}

void Model::sendPreviewFrame(const cv::Mat& frame, const Localisation& here)
{
    QImage* buffer = m_handOver.take(ImageHandOver::LiveFrame);
    if (!buffer) {
        return; // the interface is behind: skip this picture rather than queue stale ones
    }
    {
        ProfiledStage stage(m_profiler, EngineProfiler::PreviewDrawing);
        m_previewRenderer.render(frame, m_run.previewScale, m_detector.frameRate(),
                                 m_detector.blinkMarker(), here.face ? &*here.face : nullptr,
                                 here.eyes, m_fontFactor, *buffer);
    }
    emit frameReceived(buffer);
    m_handOver.releaseAfterReceiver(buffer);
}

bool Model::endCheck()
{
    if (!m_isEnd && !m_isStopRequired) {
        return false;
    }
    endRun(CameraRunEnd::Stopped);
    if (m_isEnd) {
        qDebug() << "Model::startBlinkDetection() emitting finish while running blink detection";
        emit finished();
    }
    if (m_isStopRequired) {
        stop();
    }
    return true;
}

// Another camera was chosen. Mid-run, the run starts over on it: the blinks counted so far stay.
void Model::switchCamera()
{
    m_cameraChanged = false;
    if (m_source->isOpened()) {
        releaseCamera();
        m_detector.restartFrames();
        m_closure.reset();
    }
}

// One frame scaled to the processed width; empty when the camera delivered none it can use.
cv::Mat Model::readFrame()
{
    cv::Mat frame;
    if (!m_source->read(frame) || !isUsableFrame(frame)) {
        return cv::Mat();
    }
    if (frame.size() != m_run.deliveredSize) {
        adaptToFrameSize(frame.size());
    }
    scaleToProcessedWidth(frame, m_run.scaleCoefficient);
    return frame;
}

// The camera changed its resolution in the middle of the run: frames are scaled anew, and when
// the processed frame changed its shape, the previous frame's face cannot guide this one.
void Model::adaptToFrameSize(cv::Size delivered)
{
    m_run.deliveredSize = delivered;
    m_run.scaleCoefficient = static_cast<float>(delivered.width) / kProcessedWidth;
    const cv::Size processed(kProcessedWidth,
                             static_cast<int>(delivered.height / m_run.scaleCoefficient));
    qDebug() << "Model::startBlinkDetection() frame size changed to" << delivered.width
             << delivered.height << "coeficient" << m_run.scaleCoefficient;
    if (processed != m_previous.grey.size()) {
        m_previous.face.reset();
        m_headMotion.reset();
    }
}

bool Model::openCamera()
{
    qDebug() << "Model::startBlinkDetection() opening camera id" << m_cameraId;
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
        endRunWithError(ErrorCameraOccupied);
        return false;
    }

    m_source->requestFrameSize(kProcessedWidth, 480);
    cv::Mat frame;
    bool ok = true;
    for (int i = 0; i < m_source->warmUpFrames() && ok; ++i) {
        ok = m_source->read(frame);
    }
    ok = ok && m_source->read(frame) && isUsableFrame(frame);
    if (!ok) {
        qDebug() << "Model::startBlinkDetection() empty frame, camera disconnected in opening";
        endRunWithError(ErrorEmptyFrame);
        return false;
    }

    m_run.deliveredSize = frame.size();
    m_run.scaleCoefficient = static_cast<float>(frame.cols) / kProcessedWidth;
    scaleToProcessedWidth(frame, m_run.scaleCoefficient);
    qDebug() << "model image after coeficient" << m_run.scaleCoefficient << frame.cols
             << frame.rows;

    // The opening frame is the first previous frame: blurred now, and again by the first frame
    // that measures against it.
    m_previous.tick = m_clock->nowNs();
    cv::cvtColor(frame, m_previous.grey, cv::COLOR_BGR2GRAY);
    cv::blur(m_previous.grey, m_previous.grey, cv::Size(3, 3));

    m_run.previewScale = static_cast<float>(frame.cols) / kPreviewWidth;

    m_runTimer.start();
    m_run.cameraOpened = true;
    if (m_cameraUse == TrainingRun) {
        emit trainingStarted();
        emit webcamActivated(FeatureInteractiveTraining);
    } else if (m_cameraUse == MeasurementRun) {
        emit webcamActivated(FeatureMeasurement);
    } else if (m_cameraUse == PresenceRun) {
        emit webcamActivated(FeaturePresence);
    }
    return true;
}

Model::MeasurementResult Model::measurementResult(double blinkCount, double blinkDurationSum,
                                                  double incompleteBlinks)
{
    MeasurementResult result;
    result.incompleteShare =
        blinkCount > 0 ? static_cast<float>(incompleteBlinks / blinkCount) : 0.0f;
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
            return true;
        }
        if (m_runTimer.elapsed() > kTrainingReminderMs && !m_run.trainingNoBlinkReported) {
            m_run.trainingNoBlinkReported = true;
            emit blinkReactionToReminder(false);
        }
    } else if (m_cameraUse == MeasurementRun && m_runTimer.elapsed() > kMeasurementMs) {
        finishRun();
        const MeasurementResult result = measurementResult(
            m_detector.blinkCount, m_detector.blinkDurationSum, m_incompleteBlinks);
        emit measurementSuccessful(result.blinkRate, result.length, result.incompleteShare);
        return true;
    }
    return false;
}

// Face detection on every fourth frame, and on every frame while no face is followed; the eye
// corners on the detection frames; otherwise the previous face and eyes carry over.
Model::Localisation Model::localise(const cv::Mat& frame, const cv::Mat& grey,
                                    const PreviousFrame& previous)
{
    Localisation here;
    here.eyes = previous.eyes; // what the detector leaves untouched when it finds no face
    const bool detectionFrame = m_detector.frameCounter() % 4 == 0;
    here.detectionFrame = detectionFrame;
    if (!detectionFrame && previous.face) {
        here.face = previous.face;
        return here;
    }
    const std::vector<DetectedFace>& faces = detectFaces(frame);
    here.face = previous.face
                    ? chooseFace(faces, previous.face, frame.cols, frame.rows, here.eyes)
                    : m_run.faceAcquisition.choose(faces, frame.cols, frame.rows, here.eyes);
    if (detectionFrame) {
        ProfiledStage stage(m_profiler, EngineProfiler::Landmarks);
        m_eyeCorners.setImage(grey);
        if (here.face) {
            LidOpening lids;
            m_eyeCorners.locate(*here.face, m_roiFactor, here.eyes, &lids);
            m_closure.learnOpenState(grey, here.eyes, lids);
        }
    }
    return here;
}

// The detector runs on a quarter-size frame: a face is large enough there, at a sixteenth of the
// cost.
const std::vector<DetectedFace>& Model::detectFaces(const cv::Mat& frame)
{
    ProfiledStage stage(m_profiler, EngineProfiler::FaceDetection);
    cv::resize(frame, m_quarterFrame, cv::Size(), 0.25, 0.25, cv::INTER_AREA);
    return m_faceDetector->detect(m_quarterFrame);
}

// The flow reads the blurred previous frame only in the eye squares. The squares keep a pixel from
// the frame's edges, so each is blurred from its true neighbours, as in the whole frame.
void Model::blurEyeSquares(const PreviousFrame& previous)
{
    if (!previous.face) {
        return;
    }
    if (m_blurredPrevious.size() != previous.grey.size()) {
        m_blurredPrevious.create(previous.grey.size(), CV_8UC1);
    }
    for (const EyeValues& eye : {previous.eyes.first, previous.eyes.second}) {
        const cv::Rect square = EyeMotionMeter::square(eye, previous.grey.size());
        if (!square.empty()) {
            cv::blur(previous.grey(square), m_blurredPrevious(square), cv::Size(3, 3));
        }
    }
}

// Returns true when the run ended because the face was gone too long.
bool Model::applyNoFaceRule(bool hasFace, bool previousHadFace)
{
    if (hasFace) {
        return false;
    }
    const int limit = m_run.noFaceLimitMs;
    if (previousHadFace || m_detector.frameCounter() == 1) {
        qDebug() << "Model::startBlinkDetection() Face NOT DETECTED";
        if (limit >= 1) {
            m_noFaceTimer.start();
        }
    }
    if (limit >= 1 && m_noFaceTimer.isValid() && m_noFaceTimer.elapsed() > limit - kNoFaceGraceMs) {
        qDebug() << "Model::startBlinkDetection() time no face" << m_noFaceTimer.elapsed()
                 << "threshold" << limit;
        endRunWithError(ErrorNoFace);
        return true;
    }
    return false;
}

// Lid motion around the previous frame's eyes; nothing to measure without a previous face.
void Model::measureMotion(const PreviousFrame& previous, const cv::Mat& blurredPrevious,
                          const cv::Mat& grey, bool detectionFrame)
{
    if (!previous.face) {
        m_headMotion.reset();
        m_detector.recordMotion({}, {});
        return;
    }
    const float dx = previous.eyes.first.x - previous.eyes.second.x;
    const float dy = previous.eyes.first.y - previous.eyes.second.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    const MotionCompensation compensation = m_options.motionCompensation;
    std::optional<cv::Matx23d> head;
    if (compensation == MotionCompensation::Stabilised) {
        ProfiledStage stage(m_profiler, EngineProfiler::HeadMotion);
        // New points where the landmarks were just placed, so that they never drift far from
        // the face; not at every placement, though: picking them costs as much as following
        // them for several frames, and half a second of drift is well within the fit.
        constexpr int kFramesBetweenPicks = 16;
        if ((detectionFrame && m_headMotion.framesFollowed() >= kFramesBetweenPicks) ||
            m_headMotion.needsPoints()) {
            m_headMotion.pickPoints(previous.grey, *previous.face,
                                    {EyeMotionMeter::square(previous.eyes.first, grey.size()),
                                     EyeMotionMeter::square(previous.eyes.second, grey.size())});
        }
        head = m_headMotion.follow(previous.grey, grey);
    }
    {
        ProfiledStage stage(m_profiler, EngineProfiler::FlowAndStatistics);
        const cv::Matx23d* headMotion = head ? &*head : nullptr;
        const bool beside = compensation == MotionCompensation::BesideEyes;
        EyeMotion first = m_motionMeter.measure(blurredPrevious, grey, previous.eyes.first,
                                                distance, headMotion, beside);
        EyeMotion second = m_motionMeter.measure(blurredPrevious, grey, previous.eyes.second,
                                                 distance, headMotion, beside);
        if (beside && (first.measured || second.measured)) {
            // Both eyes sit on one skull: their shared motion is the head's.
            const double shift =
                (first.beside + second.beside) / (first.measured && second.measured ? 2.0 : 1.0);
            first.mean -= first.measured ? shift : 0.0;
            second.mean -= second.measured ? shift : 0.0;
        }
        m_detector.recordMotion(first, second);
    }
    ProfiledStage stage(m_profiler, EngineProfiler::Detector);
    m_detector.runDetectors();
}

// Returns true when a run other than the preview ended for a frame rate below 10.
bool Model::applyFrameRateRule()
{
    if (!m_detector.updateFrameRate() || m_run.isLivePreview ||
        m_detector.frameRate() >= BlinkDetector::lowestFrameRate) {
        return false;
    }
    releaseCamera();
    qDebug() << "M: fps" << m_detector.frameRate();
    endRunWithError(ErrorLowFps);
    return true;
}

void Model::startBlinkDetection()
{
    // A frame OpenCV or the landmark library cannot work with ends the run as a missing one
    // would: an exception must not reach the event loop, which would end the program.
    try {
        processFrame();
    } catch (const std::exception& e) {
        qDebug() << "Model::startBlinkDetection() frame could not be processed:" << e.what();
        if (m_cameraUse != NoRun) {
            releaseCamera();
            endRunWithError(ErrorEmptyFrame);
        }
    }
}

// Any face on the quarter-size frame answers at once; none within the look's time is an absence.
void Model::lookForFace()
{
    const cv::Mat frame = readFrame();
    if (frame.empty()) {
        qDebug() << "Model::lookForFace() empty frame";
        endRunWithError(ErrorEmptyFrame);
        return;
    }
    ++m_run.lookFrames;
    const bool present = !detectFaces(frame).empty();
    if (m_profiler) {
        m_profiler->frameDone();
    }
    if (present || m_runTimer.elapsed() >= kPresenceLookMs) {
        qDebug() << "Model::lookForFace() face" << present << "after" << m_run.lookFrames
                 << "frames";
        finishRun();
        emit userPresenceDetected(present);
        return;
    }
    QTimer::singleShot(0, this, &Model::startBlinkDetection);
}

void Model::processFrame()
{
    if (endCheck()) {
        return;
    }
    if (m_cameraChanged) {
        switchCamera();
    }
    if (!m_source->isOpened() && !openCamera()) {
        return;
    }
    if (m_run.isPresenceLook) {
        lookForFace();
        return;
    }
    if (runLevelChecks()) {
        return;
    }

    const cv::Mat frame = readFrame();
    if (frame.empty()) {
        releaseCamera();
        qDebug() << "Model::startBlinkDetection() empty frame, camera disconnected in cycle";
        endRunWithError(ErrorEmptyFrame);
        return;
    }
    const qint64 tick = m_clock->nowNs();
    cv::Mat grey;
    {
        ProfiledStage stage(m_profiler, EngineProfiler::GreyAndBlur);
        cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
        blurEyeSquares(m_previous);
    }

    const Localisation here = localise(frame, grey, m_previous);
    const quint64 n = m_detector.beginFrame(static_cast<double>(tick - m_previous.tick) /
                                            EngineClock::ticksPerSecond());
    m_closure.keep(n, grey, here.face, here.eyes);
    if (applyNoFaceRule(here.face.has_value(), m_previous.face.has_value())) {
        return;
    }
    measureMotion(m_previous, m_blurredPrevious, grey, here.detectionFrame);
    if (applyFrameRateRule()) {
        return;
    }
    if (m_run.isLivePreview) {
        sendPreviewFrame(frame, here);
    }

    m_previous = PreviousFrame{grey, tick, here.face, here.eyes};
    if (m_profiler) {
        m_profiler->frameDone();
    }
    emit frameProcessed();
    QTimer::singleShot(0, this, &Model::startBlinkDetection);
}
