// The engine's landmark placement against dlib's own shape predictor on the same faces: how far
// the eye corners and lid points move, what one placement costs on one core, and what each model
// holds in memory.
// Usage: bench_landmarks --face-model FILE [--landmarks FILE] VIDEO...
// Faces are found as the engine finds them (on every fourth frame, on the quarter-size frame);
// both models place the landmarks in the face the engine would follow.

#include "bench/BenchSupport.h"
#include "model/EngineProfiler.h"
#include "model/FaceDetector.h"
#include "model/FaceLocator.h"
#include "model/LandmarkCascade.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dlib/image_processing/shape_predictor.h>
#include <dlib/opencv/cv_image.h>
#include <memory>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <optional>
#include <string>
#include <vector>

namespace {

double threadCpuMs()
{
    return ProfiledStage::threadCpuNs() / 1e6;
}

double mean(const std::vector<double>& values)
{
    double sum = 0.0;
    for (double v : values) {
        sum += v;
    }
    return values.empty() ? 0.0 : sum / values.size();
}

double distance(const dlib::point& a, const dlib::point& b)
{
    return std::hypot(static_cast<double>(a.x() - b.x()), static_cast<double>(a.y() - b.y()));
}

void printRow(const char* what, const std::vector<double>& values)
{
    std::printf("%-28s %8zu %10.3f %10.3f %10.3f\n", what, values.size(), mean(values),
                percentile(values, 0.95), percentile(values, 1.0));
}

} // namespace

int main(int argc, char* argv[]) // NOLINT(bugprone-exception-escape): a benchmark ends on any throw
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("video", "Recorded clips.");
    parser.addOption({"face-model", "CNN face-detection model.", "file"});
    parser.addOption({"landmarks", "Landmark model.", "file",
                      QCoreApplication::applicationDirPath() + QStringLiteral("/data.dat")});
    parser.process(app);
    if (parser.positionalArguments().isEmpty()) {
        parser.showHelp(2);
    }
    runOnOneCore();

    const std::string modelPath = parser.value("landmarks").toStdString();
    const double before = procStatusMb("VmRSS:");
    dlib::shape_predictor reference;
    dlib::deserialize(modelPath) >> reference;
    const double withReference = procStatusMb("VmRSS:");
    LandmarkCascade cascade;
    std::string error;
    const double loadStart = threadCpuMs();
    const bool loaded = cascade.load(modelPath, error);
    const double loadMs = threadCpuMs() - loadStart;
    if (!loaded) {
        std::fprintf(stderr, "bench_landmarks: %s: %s\n", modelPath.c_str(), error.c_str());
        return 1;
    }
    const double withCascade = procStatusMb("VmRSS:");
    // What a camera run pays to read the model back from its compact file (from the page cache).
    const std::string compactPath = modelPath + ".bench-compact";
    double compactMs = -1.0;
    if (cascade.save(compactPath, 1, error)) {
        LandmarkCascade again;
        const double start = threadCpuMs();
        if (again.loadCompact(compactPath, 1, error)) {
            compactMs = threadCpuMs() - start;
        }
        std::remove(compactPath.c_str());
    }
    std::unique_ptr<FaceDetector> detector = createFaceDetector({parser.value("face-model")});
    if (!detector) {
        std::fprintf(stderr, "bench_landmarks: no face detector\n");
        return 1;
    }

    // data.dat's order: the four corners, then the 68-point model's others (lids at 40 to 47).
    const std::vector<unsigned long> corners{0, 1, 2, 3};
    const std::vector<unsigned long> lids{40, 41, 42, 43, 44, 45, 46, 47};
    std::vector<double> cornerError;
    std::vector<double> lidError;
    std::vector<double> referenceMs;
    std::vector<double> cascadeMs;
    for (const QString& video : parser.positionalArguments()) {
        cv::VideoCapture capture(video.toStdString());
        cv::Mat frame;
        cv::Mat grey;
        std::optional<FaceRecord> face;
        for (long index = 0; capture.read(frame); ++index) {
            if (index % 4 != 0) {
                continue;
            }
            if (frame.cols != 640) {
                cv::resize(frame, frame, cv::Size(640, frame.rows * 640 / frame.cols));
            }
            cv::Mat small;
            cv::resize(frame, small, cv::Size(), 0.25, 0.25, cv::INTER_AREA);
            EyePair eyes;
            face = chooseFace(detector->detect(small), face, frame.cols, frame.rows, eyes);
            if (!face) {
                continue;
            }
            cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
            const dlib::cv_image<unsigned char> image(grey);
            const dlib::rectangle box(face->x, face->y, face->x + face->width,
                                      face->y + face->height);
            double start = threadCpuMs();
            const dlib::full_object_detection expected = reference(image, box);
            referenceMs.push_back(threadCpuMs() - start);
            start = threadCpuMs();
            const dlib::full_object_detection placed = cascade(image, box);
            cascadeMs.push_back(threadCpuMs() - start);
            for (unsigned long part : corners) {
                cornerError.push_back(distance(expected.part(part), placed.part(part)));
            }
            for (unsigned long part : lids) {
                if (part < expected.num_parts()) {
                    lidError.push_back(distance(expected.part(part), placed.part(part)));
                }
            }
        }
    }

    std::printf("faces placed: %zu (one core)\n", referenceMs.size());
    std::printf("%-28s %8s %10s %10s %10s\n", "", "values", "mean", "p95", "max");
    printRow("corner moved (px)", cornerError);
    printRow("lid point moved (px)", lidError);
    printRow("dlib placement (ms)", referenceMs);
    printRow("compact placement (ms)", cascadeMs);
    std::printf("resident memory: dlib model %.1f MB, compact model %.1f MB (read in %.0f ms; "
                "from its compact file in %.1f ms)\n",
                withReference - before, withCascade - withReference, loadMs, compactMs);
    return 0;
}
