#pragma once

#include "model/Model.h"

#include <QJsonObject>
#include <QString>
#include <QVector>
#include <optional>

// Runs the camera engine over a recorded video or frame pattern on simulated time and collects
// what it saw: every counted blink, the frames without a face, the totals.
class BlinkAnalysis : public QObject
{
    Q_OBJECT

public:
    struct Blink
    {
        qint64 startFrame = 0; // first frame of the eye event that opened the blink
        qint64 endFrame = 0;   // last frame of the last eye event merged into it
        double timeSeconds = 0.0;
        double durationSeconds = 0.0;
        double closureDepth = -1.0; // 0 open ... 1 shut; negative: not judged
        bool complete = false;
    };
    struct EyeEvent
    {
        qint64 startFrame = 0;
        qint64 endFrame = 0;
        double durationSeconds = 0.0;
        bool countedAsBlink = false;
    };
    struct Span
    {
        qint64 startFrame = 0;
        qint64 endFrame = 0;
    };
    struct Options
    {
        QString videoPath;
        QString landmarkModelPath;
        QString eyeStateModelPath;
        QStringList faceModelCandidates;
        EngineProfiler* profiler = nullptr;
        MotionCompensation motionCompensation = ModelOptions().motionCompensation;
        ClosureCues closureCues = ModelOptions().closureCues;
        qint64 frameLimit = 0; // above zero: only the recording's first frames
    };

    explicit BlinkAnalysis(Options options, QObject* parent = nullptr);

    // The engine's own model files, unless others are named (empty names keep the defaults).
    static Options optionsFor(const QString& videoPath, const QString& landmarkModelPath,
                              const QString& faceModelPath);
    // "learned", "both", "lids", "photometric" or "none"; nothing for another name.
    static std::optional<ClosureCues> closureCuesNamed(const QString& name);
    // Lets only warnings through to standard error: the engine logs every frame event.
    static void keepOnlyWarnings();

    // Processes the whole recording; false (with errorText) when it cannot be analysed.
    bool run();

    QString errorText() const { return m_error; }
    const QVector<Blink>& blinks() const { return m_blinks; }
    const QVector<Span>& noFaceSpans() const { return m_noFaceSpans; }
    // Eye events that would have started a blink but showed no closing lid.
    const QVector<Span>& refused() const { return m_refused; }
    // Counted blinks whose lids stopped short of closing, and their share of all counted ones.
    int incompleteBlinks() const;
    double incompleteShare() const;
    // Every eye event in order, the merged ones too.
    const QVector<EyeEvent>& eyeEvents() const { return m_eyeEvents; }
    qint64 frames() const { return m_frames; }
    double fileFps() const { return m_fileFps; }
    double durationSeconds() const { return m_durationSeconds; }
    int engineFrameRate() const { return m_engineFrameRate; }
    QString faceDetectorName() const { return m_faceDetector; }
    double blinksPerMinute() const;
    // The engine's own figure, as a measurement reports it (each counted blink's length averages
    // the last two eye events).
    int meanBlinkLengthMs() const { return m_meanBlinkLengthMs; }

    QJsonObject toJson() const;
    QString toText() const;

private:
    Options m_options;
    QString m_error;
    QVector<Blink> m_blinks;
    QVector<Span> m_noFaceSpans;
    QVector<Span> m_refused;
    QVector<EyeEvent> m_eyeEvents;
    qint64 m_frames = 0;
    double m_fileFps = 0.0;
    double m_durationSeconds = 0.0;
    int m_engineFrameRate = 0;
    QString m_faceDetector;
    int m_meanBlinkLengthMs = 0;
};
