// Per-frame cost of each engine stage over recorded clips at 640 x 480, on one core.
// Usage: bench_engine [--face-model FILE] [--landmarks FILE] [--motion MODES] [--closure CUES]
//        [--frames N] VIDEO...
// Prints the median and 99th percentile of every stage, of the whole measurement pipeline per
// frame, the share of one core a real-time 30 fps measurement uses, and the peak memory. MODES
// is a comma-separated list of head-motion compensations (stabilised, beside, none; default the
// program's): each clip is run once per mode, the modes taking turns, so that a busy machine
// weighs on all of them alike. CUES likewise lists the cues that confirm a candidate's closing lid
// (learned, both, lids, photometric, none; default the program's); every motion mode runs with
// each.

#include "bench/BenchSupport.h"
#include "model/EngineProfiler.h"
#include "tools/analyze/BlinkAnalysis.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdio>
#include <opencv2/core.hpp>
#include <sys/resource.h>
#include <vector>

namespace {

class StageRecorder : public EngineProfiler
{
public:
    void record(Stage stage, qint64 nanoseconds) override { m_frame[stage] += nanoseconds; }
    void frameDone() override
    {
        qint64 pipeline = 0;
        for (int stage = 0; stage < StageCount; ++stage) {
            if (m_frame[stage] > 0) {
                m_stages[stage].push_back(m_frame[stage] / 1e6);
            }
            // The look back runs inside the detector's stage and is counted there.
            if (stage != PreviewDrawing && stage != ClosureLookBack) {
                pipeline += m_frame[stage];
            }
        }
        m_pipeline.push_back(pipeline / 1e6);
        m_frame.fill(0);
    }

    const std::vector<double>& stage(int stage) const { return m_stages[stage]; }
    const std::vector<double>& pipeline() const { return m_pipeline; }

private:
    std::array<qint64, StageCount> m_frame{};
    std::array<std::vector<double>, StageCount> m_stages;
    std::vector<double> m_pipeline;
};

double mean(const std::vector<double>& values, size_t frames)
{
    double sum = 0.0;
    for (double value : values) {
        sum += value;
    }
    return frames ? sum / frames : 0.0;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    BlinkAnalysis::keepOnlyWarnings();
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("video", "Recorded clips.");
    parser.addOption({"face-model", "CNN face-detection model.", "file"});
    parser.addOption(
        {"landmarks", "Landmark model (default: data.dat beside this program).", "file"});
    parser.addOption({"motion", "Head-motion compensations to compare.", "modes", "stabilised"});
    parser.addOption({"closure", "Closure cues to compare.", "cues", "learned"});
    parser.addOption({"frames", "Only each clip's first N frames.", "N", "0"});
    parser.process(app);
    if (parser.positionalArguments().isEmpty()) {
        parser.showHelp(2);
    }

    runOnOneCore();

    struct Mode
    {
        QString name;
        MotionCompensation compensation;
        ClosureCues cues;
        StageRecorder recorder;
    };
    std::vector<Mode> modes;
    for (const QString& name : parser.value("motion").split(',')) {
        MotionCompensation compensation = MotionCompensation::None;
        if (name == QLatin1String("stabilised")) {
            compensation = MotionCompensation::Stabilised;
        } else if (name == QLatin1String("beside")) {
            compensation = MotionCompensation::BesideEyes;
        } else if (name != QLatin1String("none")) {
            std::fprintf(stderr, "bench_engine: unknown motion mode %s\n", qPrintable(name));
            return 2;
        }
        for (const QString& cueName : parser.value("closure").split(',')) {
            const std::optional<ClosureCues> cues = BlinkAnalysis::closureCuesNamed(cueName);
            if (!cues) {
                std::fprintf(stderr, "bench_engine: unknown closure cues %s\n",
                             qPrintable(cueName));
                return 2;
            }
            modes.push_back(
                {name + QStringLiteral(", closure cues ") + cueName, compensation, *cues, {}});
        }
    }
    QString detector;
    for (const QString& video : parser.positionalArguments()) {
        for (Mode& mode : modes) {
            BlinkAnalysis::Options options = BlinkAnalysis::optionsFor(
                video, parser.value("landmarks"), parser.value("face-model"));
            options.profiler = &mode.recorder;
            options.motionCompensation = mode.compensation;
            options.closureCues = mode.cues;
            options.frameLimit = parser.value("frames").toLongLong();
            BlinkAnalysis analysis(options);
            if (!analysis.run()) {
                std::fprintf(stderr, "bench_engine: %s\n", qPrintable(analysis.errorText()));
                return 1;
            }
            detector = analysis.faceDetectorName();
        }
    }

    std::printf("face detector: %s\n", qPrintable(detector));
    for (const Mode& mode : modes) {
        const StageRecorder& recorder = mode.recorder;
        const size_t frames = recorder.pipeline().size();
        const char* names[] = {"grey and blur",        "face detection",      "landmarks",
                               "head motion",          "flow and statistics", "detector",
                               " of it: closure look", "preview drawing"};
        std::printf("\nhead motion: %s\nframes: %zu (one core)\n", qPrintable(mode.name), frames);
        std::printf("%-22s %8s %10s %10s %12s\n", "stage", "frames", "median ms", "p99 ms",
                    "mean/frame");
        for (int stage = 0; stage < EngineProfiler::StageCount; ++stage) {
            const std::vector<double>& values = recorder.stage(stage);
            std::printf("%-22s %8zu %10.3f %10.3f %12.3f\n", names[stage], values.size(),
                        percentile(values, 0.5), percentile(values, 0.99), mean(values, frames));
        }
        const double meanPipeline = mean(recorder.pipeline(), frames);
        std::printf("%-22s %8zu %10.3f %10.3f %12.3f\n", "pipeline (measurement)", frames,
                    percentile(recorder.pipeline(), 0.5), percentile(recorder.pipeline(), 0.99),
                    meanPipeline);
        std::printf("30 fps measurement: %.1f %% of one core\n", meanPipeline * 30.0 / 10.0);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
