#include "BlinkAnalysis.h"

#include "model/RecordedFrameSource.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <cstdio>
#include <utility>

BlinkAnalysis::BlinkAnalysis(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
}

BlinkAnalysis::Options BlinkAnalysis::optionsFor(const QString& videoPath,
                                                 const QString& landmarkModelPath,
                                                 const QString& faceModelPath)
{
    const ModelOptions defaults = ModelOptions::defaults();
    Options options;
    options.videoPath = videoPath;
    options.landmarkModelPath =
        landmarkModelPath.isEmpty() ? defaults.landmarkModelPath : landmarkModelPath;
    options.eyeStateModelPath = defaults.eyeStateModelPath;
    options.faceModelCandidates = defaults.faceModelCandidates;
    if (!faceModelPath.isEmpty()) {
        options.faceModelCandidates.prepend(faceModelPath);
    }
    return options;
}

std::optional<ClosureCues> BlinkAnalysis::closureCuesNamed(const QString& name)
{
    if (name == QLatin1String("both")) {
        return ClosureCues::Both;
    }
    if (name == QLatin1String("lids")) {
        return ClosureCues::Lids;
    }
    if (name == QLatin1String("photometric")) {
        return ClosureCues::Photometric;
    }
    if (name == QLatin1String("learned")) {
        return ClosureCues::Learned;
    }
    if (name == QLatin1String("none")) {
        return ClosureCues::None;
    }
    return std::nullopt;
}

void BlinkAnalysis::keepOnlyWarnings()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type >= QtWarningMsg && !text.startsWith(QLatin1String("QStandardPaths:"))) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
}

bool BlinkAnalysis::run()
{
    if (!QFileInfo::exists(m_options.videoPath) && !m_options.videoPath.contains('%')) {
        m_error = QStringLiteral("no such file: %1").arg(m_options.videoPath);
        return false;
    }
    auto clock = std::make_shared<SimulatedEngineClock>();
    auto source = std::make_shared<RecordedFrameSource>(m_options.videoPath.toStdString(),
                                                        clock.get(), 30.0, m_options.frameLimit);
    ModelOptions options;
    options.frameSource = source;
    options.clock = clock;
    options.landmarkModelPath = m_options.landmarkModelPath;
    options.eyeStateModelPath = m_options.eyeStateModelPath;
    options.faceModelCandidates = m_options.faceModelCandidates;
    options.motionCompensation = m_options.motionCompensation;
    options.closureCues = m_options.closureCues;
    Model model(options);
    model.setProfiler(m_options.profiler);

    bool initialised = false;
    connect(&model, &Model::modelInitialized, this, [&] { initialised = true; });
    model.init();
    m_faceDetector = model.faceDetectorName();
    if (!initialised || m_faceDetector.isEmpty()) {
        m_error = QStringLiteral("the engine could not start: landmark model %1 missing or "
                                 "unreadable, or no face detector")
                      .arg(m_options.landmarkModelPath);
        return false;
    }

    // Run frames map to source frames by a fixed offset: the source frame read when the camera
    // opened is run frame 0.
    qint64 offset = 0;
    bool offsetKnown = false;
    qint64 noFaceStart = -1;
    qint64 lastFrame = -1;
    QEventLoop loop;
    connect(&model, &Model::frameProcessed, this, [&] {
        const qint64 runFrame = static_cast<qint64>(model.frameCounter());
        if (!offsetKnown) {
            offset = source->frameIndex() - runFrame;
            offsetKnown = true;
        }
        lastFrame = source->frameIndex();
        if (!model.lastFace()) {
            if (noFaceStart < 0) {
                noFaceStart = lastFrame;
            }
        } else if (noFaceStart >= 0) {
            m_noFaceSpans.append({noFaceStart, lastFrame - 1});
            noFaceStart = -1;
        }
    });
    // Events merged into a refused one belong to no counted blink.
    bool refusedLast = false;
    connect(&model, &Model::blinkRefused, this, [&](quint64 start, quint64 end) {
        m_refused.append({static_cast<qint64>(start) + offset, static_cast<qint64>(end) + offset});
        refusedLast = true;
    });
    double closureDepth = -1.0;
    bool complete = false;
    connect(&model, &Model::blinkClosureMeasured, this, [&](double depth, bool isComplete) {
        closureDepth = depth;
        complete = isComplete;
    });
    connect(&model, &Model::eyeEventDetected, this,
            [&](quint64 start, quint64 end, double duration, bool counted) {
                const qint64 first = static_cast<qint64>(start) + offset;
                const qint64 last = static_cast<qint64>(end) + offset;
                m_eyeEvents.append({first, last, duration, counted});
                if (counted) {
                    refusedLast = false;
                } else if (refusedLast) {
                    return;
                }
                if (counted || m_blinks.isEmpty()) {
                    Blink blink;
                    blink.startFrame = first;
                    blink.endFrame = last;
                    blink.timeSeconds = first / source->framesPerSecond();
                    blink.durationSeconds = duration;
                    blink.closureDepth = closureDepth;
                    blink.complete = complete;
                    m_blinks.append(blink);
                } else {
                    m_blinks.last().endFrame = qMax(m_blinks.last().endFrame, last);
                }
            });
    // The recording's end reads as an empty frame: that is the normal end of the analysis.
    connect(&model, &Model::errorOccurred, &loop, &QEventLoop::quit);
    connect(&model, &Model::stopped, &loop, &QEventLoop::quit);

    model.startLivePreview();
    if (model.cameraUse() != 0) {
        loop.exec();
    }
    if (lastFrame < 0) {
        m_error = QStringLiteral("no frame could be read from %1").arg(m_options.videoPath);
        return false;
    }
    if (noFaceStart >= 0) {
        m_noFaceSpans.append({noFaceStart, lastFrame});
    }
    m_frames = lastFrame + 1;
    m_fileFps = source->framesPerSecond();
    m_durationSeconds = m_frames / m_fileFps;
    m_engineFrameRate = model.frameRate();
    m_meanBlinkLengthMs =
        Model::measurementResult(model.blinkCount(), model.blinkDurationSum()).length;
    return true;
}

int BlinkAnalysis::incompleteBlinks() const
{
    int incomplete = 0;
    for (const Blink& blink : m_blinks) {
        incomplete += blink.closureDepth >= 0.0 && !blink.complete ? 1 : 0;
    }
    return incomplete;
}

double BlinkAnalysis::incompleteShare() const
{
    return m_blinks.isEmpty() ? 0.0 : static_cast<double>(incompleteBlinks()) / m_blinks.size();
}

double BlinkAnalysis::blinksPerMinute() const
{
    return m_durationSeconds > 0 ? m_blinks.size() * 60.0 / m_durationSeconds : 0.0;
}

QJsonObject BlinkAnalysis::toJson() const
{
    QJsonArray blinks;
    for (const Blink& blink : m_blinks) {
        QJsonObject entry{{"startFrame", blink.startFrame},
                          {"endFrame", blink.endFrame},
                          {"time", blink.timeSeconds},
                          {"duration", blink.durationSeconds},
                          {"closureDepth", blink.closureDepth}};
        // Only a judged blink has a closure to tell: the run's first blinks may come before the
        // open eye is known.
        if (blink.closureDepth >= 0.0) {
            entry.insert("complete", blink.complete);
        }
        blinks.append(entry);
    }
    QJsonArray eyeEvents;
    for (const EyeEvent& event : m_eyeEvents) {
        eyeEvents.append(QJsonObject{{"startFrame", event.startFrame},
                                     {"endFrame", event.endFrame},
                                     {"duration", event.durationSeconds},
                                     {"counted", event.countedAsBlink}});
    }
    const auto spansOf = [](const QVector<Span>& list) {
        QJsonArray spans;
        for (const Span& span : list) {
            spans.append(QJsonObject{{"startFrame", span.startFrame}, {"endFrame", span.endFrame}});
        }
        return spans;
    };
    return QJsonObject{{"file", m_options.videoPath},
                       {"faceDetector", m_faceDetector},
                       {"frames", m_frames},
                       {"fps", m_fileFps},
                       {"durationSeconds", m_durationSeconds},
                       {"engineFrameRate", m_engineFrameRate},
                       {"blinkCount", m_blinks.size()},
                       {"blinksPerMinute", blinksPerMinute()},
                       {"meanBlinkLengthMs", meanBlinkLengthMs()},
                       {"blinks", blinks},
                       {"eyeEvents", eyeEvents},
                       {"incompleteBlinks", incompleteBlinks()},
                       {"incompleteShare", incompleteShare()},
                       {"refused", spansOf(m_refused)},
                       {"noFaceSpans", spansOf(m_noFaceSpans)}};
}

QString BlinkAnalysis::toText() const
{
    QString text;
    text += QStringLiteral("%1: %2 frames, %3 fps, %4 s, face detector: %5\n")
                .arg(m_options.videoPath)
                .arg(m_frames)
                .arg(m_fileFps, 0, 'f', 2)
                .arg(m_durationSeconds, 0, 'f', 1)
                .arg(m_faceDetector);
    for (int i = 0; i < m_blinks.size(); ++i) {
        const Blink& blink = m_blinks.at(i);
        const QString closure = blink.closureDepth < 0.0
                                    ? QStringLiteral("closure not judged")
                                    : QStringLiteral("closure %1, %2")
                                          .arg(blink.closureDepth, 0, 'f', 2)
                                          .arg(blink.complete ? QStringLiteral("complete")
                                                              : QStringLiteral("incomplete"));
        text += QStringLiteral("blink %1: frames %2-%3, at %4 s, %5 ms, %6\n")
                    .arg(i + 1)
                    .arg(blink.startFrame)
                    .arg(blink.endFrame)
                    .arg(blink.timeSeconds, 0, 'f', 2)
                    .arg(blink.durationSeconds * 1000.0, 0, 'f', 0)
                    .arg(closure);
    }
    for (const Span& span : m_noFaceSpans) {
        text += QStringLiteral("no face: frames %1-%2\n").arg(span.startFrame).arg(span.endFrame);
    }
    for (const Span& span : m_refused) {
        text += QStringLiteral("no closing lid: frames %1-%2\n")
                    .arg(span.startFrame)
                    .arg(span.endFrame);
    }
    text += QStringLiteral("blinks: %1, %2 per minute, mean length %3 ms, engine frame rate %4\n")
                .arg(m_blinks.size())
                .arg(blinksPerMinute(), 0, 'f', 1)
                .arg(meanBlinkLengthMs())
                .arg(m_engineFrameRate);
    text += QStringLiteral("incomplete blinks: %1 of %2 (%3 %)\n")
                .arg(incompleteBlinks())
                .arg(m_blinks.size())
                .arg(incompleteShare() * 100.0, 0, 'f', 0);
    return text;
}
