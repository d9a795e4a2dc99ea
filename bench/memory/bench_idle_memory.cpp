// The whole program's resident memory once it has started and once a camera run has finished and
// it idles again, with the engine's own model files and a recorded clip in place of the webcam.
// Usage: bench_idle_memory --face-model FILE [--landmarks FILE] CLIP
// Blink training (interactive) is the only feature on: the scheduler opens the camera after its
// first wait, the run ends with the reminder's blink or the clip, and the program idles.

#include "app/WinkwellApplication.h"
#include "bench/BenchSupport.h"
#include "common/SharedTypes.h"
#include "model/EngineClock.h"
#include "model/RecordedFrameSource.h"

#include <QCommandLineParser>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QStringList faceModel;
    QString landmarks;
    QString clip;
    {
        QCoreApplication parsing(argc, argv);
        QCommandLineParser parser;
        parser.addPositionalArgument("clip", "Recorded clip in place of the webcam.");
        parser.addOption({"face-model", "CNN face-detection model.", "file"});
        parser.addOption({"landmarks", "Landmark model.", "file",
                          QCoreApplication::applicationDirPath() + QStringLiteral("/data.dat")});
        parser.process(parsing);
        if (parser.positionalArguments().size() != 1) {
            parser.showHelp(2);
        }
        faceModel << parser.value("face-model");
        landmarks = parser.value("landmarks");
        clip = parser.positionalArguments().constFirst();
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    registerSharedTypes();
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Orvalde", "winkwell");
        store.clear();
        const std::pair<const char*, QVariant> choices[] = {
            {"G/T", true},    {"G/IR", true},    {"G/TP", 2},     {"G/M", false},
            {"G/BRE", false}, {"G/REER", false}, {"G/SC", false}, {"G/WS", false}};
        for (const auto& [key, value] : choices) {
            store.setValue(key, value);
        }
    }

    ApplicationEnvironment environment;
    ModelOptions options;
    auto clock = std::make_shared<SimulatedEngineClock>();
    options.clock = clock;
    options.frameSource = std::make_shared<RecordedFrameSource>(clip.toStdString(), clock.get());
    options.landmarkModelPath = landmarks;
    options.landmarkCacheFolder = dir.filePath(QStringLiteral("cache")); // the program's own
    options.faceModelCandidates = faceModel;
    environment.modelOptions = options;
    environment.instanceFolder = dir.filePath("runtime");

    double started = 0.0;
    double idleAfterRun = 0.0;
    double startedAnon = 0.0;
    double idleAnon = 0.0;
    double idleProportional = 0.0;
    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    {
        WinkwellApplication app(appArgc, appArgv, nullptr, environment);
        // The figures are read a few seconds after each moment, when the program has settled.
        QObject::connect(app.model(), &Model::modelInitialized, &app, [&] {
            QTimer::singleShot(3000, &app, [&] {
                started = procStatusMb("VmRSS:");
                startedAnon = procStatusMb("RssAnon:");
            });
        });
        QObject::connect(app.model(), &Model::cameraRunEnded, &app, [&] {
            QTimer::singleShot(3000, &app, [&] {
                idleAfterRun = procStatusMb("VmRSS:");
                idleAnon = procStatusMb("RssAnon:");
                // Library pages shared with other programs count by their share.
                idleProportional = procStatusMb("Pss:", "/proc/self/smaps_rollup");
                app.quit();
            });
        });
        QTimer::singleShot(120000, &app, &QCoreApplication::quit);
        app.exec();
    }
    if (idleAfterRun == 0.0) {
        std::fprintf(stderr, "bench_idle_memory: no camera run ended within two minutes\n");
        return 1;
    }
    std::printf(
        "resident after start-up: %.1f MB (%.1f MB of it allocated, the rest mapped files)\n",
        started, startedAnon);
    std::printf("resident idle after a camera run: %.1f MB (%.1f MB allocated; proportional set "
                "%.1f MB)\n",
                idleAfterRun, idleAnon, idleProportional);
    std::printf("peak resident: %.1f MB\n", procStatusMb("VmHWM:"));
    return 0;
}
