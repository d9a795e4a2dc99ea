// What a presence look costs: camera time, frames and CPU time per look, with a face (a recorded
// clip as the camera) and without one (an empty room: a grey, noisy picture). The face
// detector's share comes from the engine's own profiler; the whole is the process's CPU time.
// Usage: bench_presence --face-model FILE [--looks N] VIDEO

#include "common/CameraRun.h"
#include "common/SharedTypes.h"
#include "model/EngineClock.h"
#include "model/EngineProfiler.h"
#include "model/Model.h"
#include "model/RecordedFrameSource.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QGuiApplication>
#include <cstdio>
#include <opencv2/core.hpp>
#include <sys/resource.h>

namespace {

class DetectionTime : public EngineProfiler
{
public:
    void record(Stage stage, qint64 nanoseconds) override
    {
        if (stage == FaceDetection) {
            ns += nanoseconds;
        }
    }
    qint64 ns = 0;
};

// Nobody in front of the camera: a grey wall with a camera's noise, 30 frames a second.
class EmptyRoom : public FrameSource
{
public:
    explicit EmptyRoom(SimulatedEngineClock* clock) : m_clock(clock) {}
    bool open(int) override { return m_open = true; }
    bool isOpened() const override { return m_open; }
    void release() override { m_open = false; }
    void requestFrameSize(int, int) override {}
    bool read(cv::Mat& frame) override
    {
        frame.create(480, 640, CV_8UC3);
        frame.setTo(cv::Scalar(120, 124, 128));
        cv::Mat noise(frame.size(), CV_8UC3);
        m_rng.fill(noise, cv::RNG::UNIFORM, 0, 12);
        frame += noise;
        m_clock->advanceMs(1000.0 / 30.0);
        ++m_index;
        return true;
    }
    int warmUpFrames() const override { return 0; }
    qint64 frameIndex() const override { return m_index; }

private:
    SimulatedEngineClock* m_clock;
    cv::RNG m_rng{7};
    bool m_open = false;
    qint64 m_index = -1;
};

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

struct Figures
{
    double cameraMs = 0, frames = 0, cpuMs = 0, detectionMs = 0;
    int present = 0;
};

Figures look(const QString& faceModel, const QString& video, int looks)
{
    Figures sum;
    for (int i = 0; i < looks; ++i) {
        auto clock = std::make_shared<SimulatedEngineClock>();
        ModelOptions options = ModelOptions::defaults();
        options.clock = clock;
        options.frameSource =
            video.isEmpty()
                ? std::shared_ptr<FrameSource>(std::make_shared<EmptyRoom>(clock.get()))
                : std::make_shared<RecordedFrameSource>(video.toStdString(), clock.get());
        options.faceModelCandidates = QStringList{faceModel};
        Model model(options);
        model.init();
        DetectionTime detection;
        model.setProfiler(&detection);
        QEventLoop loop;
        QObject::connect(&model, &Model::cameraRunEnded, &loop, [&](CameraRunReport report) {
            sum.cameraMs += report.cameraMs;
            sum.frames += report.frames;
        });
        QObject::connect(&model, &Model::userPresenceDetected, &loop, [&](bool present) {
            sum.present += present ? 1 : 0;
            loop.quit();
        });
        QObject::connect(&model, &Model::presenceLookFailed, &loop, [&] { loop.quit(); });
        const double before = cpuMs();
        // Queued: a face in the first frame answers within the call.
        QMetaObject::invokeMethod(&model, &Model::detectUser, Qt::QueuedConnection);
        loop.exec();
        sum.cpuMs += cpuMs() - before;
        sum.detectionMs += detection.ns / 1e6;
    }
    return sum;
}

void print(const char* what, const Figures& f, int looks)
{
    std::printf("%-14s %6d looks, face seen %3d: camera %7.1f ms, %5.1f frames, CPU %7.1f ms "
                "(face detection %7.1f ms) per look\n",
                what, looks, f.present, f.cameraMs / looks, f.frames / looks, f.cpuMs / looks,
                f.detectionMs / looks);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    QGuiApplication app(argc, argv);
    registerSharedTypes();
    QCommandLineParser parser;
    parser.addPositionalArgument("video", "A recorded clip with a face.");
    parser.addOption({"face-model", "CNN face-detection model.", "file"});
    parser.addOption({"looks", "Looks of each kind.", "n", "20"});
    parser.process(app);
    if (parser.positionalArguments().size() != 1 || !parser.isSet("face-model")) {
        parser.showHelp(2);
    }
    cv::setNumThreads(1);
    const int looks = std::max(1, parser.value("looks").toInt());
    const QString faceModel = parser.value("face-model");
    print("face", look(faceModel, parser.positionalArguments().at(0), looks), looks);
    print("nobody", look(faceModel, QString(), looks), looks);
    return 0;
}
