#pragma once

#include "BlinkDetector.h"
#include "ClosureCheck.h"
#include "EngineClock.h"
#include "EngineProfiler.h"
#include "EyeMotionMeter.h"
#include "FaceDetector.h"
#include "FaceLocator.h"
#include "FrameSource.h"
#include "HeadMotionTracker.h"
#include "ImageHandOver.h"
#include "PreviewRenderer.h"
#include "StatusImages.h"
#include "common/CameraRun.h"
#include "common/Error.h"
#include "common/Feature.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>

// What the engine is made of; the defaults are the webcam, the steady clock and the model
// files beside the executable (and in the data folder).
struct ModelOptions
{
    std::shared_ptr<FrameSource> frameSource;
    std::shared_ptr<EngineClock> clock;
    QString landmarkModelPath; // data.dat
    // Where the landmark model waits between camera runs, in a compact file; empty: it stays in
    // memory (the program uses the per-user cache folder).
    QString landmarkCacheFolder;
    QString eyeStateModelPath;       // eyestate.yml; without it every flow candidate counts
    QStringList faceModelCandidates; // CNN face-detection model, first that loads wins
    std::function<std::unique_ptr<FaceDetector>()> faceDetectorFactory; // overrides the above
    // The program holds the head still; the analyser may measure without, for comparison.
    MotionCompensation motionCompensation = MotionCompensation::Stabilised;
    // The program confirms every flow candidate by the eye-state model; the analyser may use
    // other cues, for comparison.
    ClosureCues closureCues = ClosureCues::Learned;

    static ModelOptions defaults();
};

// The camera engine. Lives alone in the model thread; every slot runs there between frames.
class Model : public QObject
{
    Q_OBJECT

public:
    explicit Model(ModelOptions options = ModelOptions::defaults(), QObject* parent = nullptr);
    ~Model() override;

    // The longest camera time of a presence look.
    static constexpr qint64 kPresenceLookMs = 2000;

    // The active run: 0 none, 1 training, 2 measurement, 3 live preview, 4 presence look.
    int cameraUse() const { return m_cameraUse.load(); }
    double blinkCount() const { return m_detector.blinkCount; }
    double blinkDurationSum() const { return m_detector.blinkDurationSum; }
    int frameRate() const { return m_detector.frameRate(); }
    // Frames processed in the current or last run.
    quint64 frameCounter() const { return m_detector.frameCounter(); }
    // The face of the last processed frame; none before a run's first frame.
    const std::optional<FaceRecord>& lastFace() const { return m_previous.face; }
    const FrameSource& frameSource() const { return *m_source; }
    const EngineClock& clock() const { return *m_clock; }
    QString faceDetectorName() const;

    // A three-minute measurement's result: blinks per minute, mean blink length in ms, and the
    // share of its blinks whose lids stopped short of closing.
    struct MeasurementResult
    {
        float blinkRate;
        int length;
        float incompleteShare;
    };
    static MeasurementResult measurementResult(double blinkCount, double blinkDurationSum,
                                               double incompleteBlinks = 0.0);
    // Counted blinks of this run whose lids stopped short of closing.
    double incompleteBlinks() const { return m_incompleteBlinks; }
    // Stage timings for benchmarks; null (the default) times nothing.
    void setProfiler(EngineProfiler* profiler) { m_profiler = profiler; }

public slots:
    void init();
    void setCameraID(int id);
    void startBlinkMeasurement();
    void startTraining();
    void startLivePreview();
    // A short look for a face, face detection only: answered by userPresenceDetected() or, when
    // the camera cannot be used, presenceLookFailed().
    void detectUser();
    void stop();
    void quit();
    void drawTexts();

signals:
    void modelInitialized();
    void webcamActivated(Feature feature);
    void trainingStarted();
    void blinkDetected();
    void blinkReactionToReminder(bool blinked);
    // incompleteShare: 0 to 1; receivers that take only the first two arguments ignore it.
    void measurementSuccessful(float blinkRate, int length, float incompleteShare);
    // The image stays untouched by the engine until the receiver's queued slot has run.
    void frameReceived(QImage* frame);
    void errorOccurred(Error error);
    void stopped();
    void finished();
    // A run whose camera had opened released it; once per run, before the run's other answers.
    void cameraRunEnded(CameraRunReport report);
    // For the offline analyser and tests; not wired in the program. One frame was processed:
    void frameProcessed();
    // An eye completed a blink movement (frames of this run), as a new blink or part of the last.
    void eyeEventDetected(quint64 startFrame, quint64 endFrame, double duration,
                          bool countedAsBlink);
    // An eye event that would have started a blink showed no closing lid: it does not count,
    // nor do the events merged into it (they follow as not counted).
    void blinkRefused(quint64 startFrame, quint64 endFrame);
    // Just before the eye event that counts as a blink: how far the lids came down (0 open ... 1
    // shut; negative when the run had no open state yet to compare with) and whether they closed.
    void blinkClosureMeasured(double depth, bool complete);
    // A presence look's answer, sent after its camera was released.
    void userPresenceDetected(bool present);
    // A presence look could not use the camera; no error is shown for it.
    void presenceLookFailed(Error error);

private slots:
    void startBlinkDetection();

private:
    enum CameraUse
    {
        NoRun = 0,
        TrainingRun = 1,
        MeasurementRun = 2,
        PreviewRun = 3,
        PresenceRun = 4
    };

    // The active run: its parameters, set when it starts, and the camera geometry, set when its
    // camera opens.
    struct Run
    {
        bool isLivePreview = false;
        bool isPresenceLook = false;
        int noFaceLimitMs = -1;
        bool trainingNoBlinkReported = false;
        cv::Size deliveredSize;       // as the camera delivers frames
        float scaleCoefficient = 1.f; // delivered frame width / 640
        float previewScale = 1.f;     // processed frame width / 400
        bool cameraOpened = false;    // until its end is reported
        quint64 lookFrames = 0;       // frames a presence look read
        FaceAcquisition faceAcquisition;
    };

    // What one frame leaves to the next. The grey image stays sharp: the landmark step and the
    // head tracker want it so; the flow gets a blurred copy.
    struct PreviousFrame
    {
        cv::Mat grey;
        qint64 tick = 0;
        std::optional<FaceRecord> face;
        EyePair eyes;
    };

    // Where the face and eyes are in one frame.
    struct Localisation
    {
        std::optional<FaceRecord> face;
        EyePair eyes;
        bool detectionFrame = false; // every fourth frame while a face is followed
    };

    bool isUsable() const { return m_faceDetector != nullptr; }
    void loadDetectors();
    void keepLandmarksOnDisk();
    bool mayStart(CameraUse use, const char* slot);
    void beginRun(CameraUse use, int noFaceLimitMs);
    bool endCheck();
    void switchCamera();
    bool openCamera();
    cv::Mat readFrame();
    void adaptToFrameSize(cv::Size delivered);
    void processFrame();
    bool runLevelChecks();
    Localisation localise(const cv::Mat& frame, const cv::Mat& grey, const PreviousFrame& previous);
    const std::vector<DetectedFace>& detectFaces(const cv::Mat& frame);
    void blurEyeSquares(const PreviousFrame& previous);
    bool applyNoFaceRule(bool hasFace, bool previousHadFace);
    void measureMotion(const PreviousFrame& previous, const cv::Mat& blurredPrevious,
                       const cv::Mat& grey, bool detectionFrame);
    bool applyFrameRateRule();
    void lookForFace();
    void endRunWithError(Error error);
    void finishRun();
    void endRun(CameraRunEnd ending);
    void reportRunEnd(CameraRunEnd ending);
    void releaseCamera();
    void sendStatusImage(const QImage& image);
    void sendPreviewFrame(const cv::Mat& frame, const Localisation& here);

    ModelOptions m_options;
    std::shared_ptr<FrameSource> m_source;
    std::shared_ptr<EngineClock> m_clock;

    QMutex m_mutex;
    std::atomic<bool> m_isEnd{false};
    std::atomic<bool> m_isStopRequired{false};
    std::atomic<int> m_cameraUse{NoRun};
    int m_cameraId = 0;
    bool m_cameraChanged = false;
    Run m_run;
    PreviousFrame m_previous;

    EngineTimer m_runTimer;
    EngineTimer m_noFaceTimer;
    double m_fontFactor = 1.0;

    StatusImages m_statusImages;
    ImageHandOver m_handOver;

    std::unique_ptr<FaceDetector> m_faceDetector;
    EyeCornerLocator m_eyeCorners;
    EyeStateModel m_eyeState;
    EyeMotionMeter m_motionMeter;
    HeadMotionTracker m_headMotion;
    cv::Mat m_blurredPrevious; // reused buffer: the previous eye squares as the flow sees them
    cv::Mat m_quarterFrame;    // reused buffer: the frame the face detector sees
    BlinkDetector m_detector;
    ClosureCheck m_closure;
    Closure m_lastClosure;
    double m_incompleteBlinks = 0.0;
    PreviewRenderer m_previewRenderer;
    float m_roiFactor = 2.0f;
    EngineProfiler* m_profiler = nullptr;
};
