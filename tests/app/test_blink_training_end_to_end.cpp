#include "app/WinkwellApplication.h"
#include "common/SharedTypes.h"
#include "gui/WinkwellGUI.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "model/EngineClock.h"
#include "model/RecordedFrameSource.h"
#include "support/SharedData.h"

#include <QMutex>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <iostream>

// The whole program with a recording as its camera: blink training on, interactive, with a short
// period. The scheduler starts the training, the engine finds no blink in the first seconds, the
// reminder rolls out, and the recorded blink takes it away again. Written without QTest's main
// because it needs the real application object.
namespace {

QMutex g_mutex;
QStringList g_lines;

void keep(QtMsgType, const QMessageLogContext&, const QString& text)
{
    QMutexLocker lock(&g_mutex);
    g_lines << text;
}

QStringList lines()
{
    QMutexLocker lock(&g_mutex);
    return g_lines;
}

int indexOf(const QStringList& all, const QString& start, int from = 0)
{
    for (int i = from; i < all.size(); ++i) {
        if (all.at(i).startsWith(start)) {
            return i;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[]) // NOLINT(bugprone-exception-escape): a test ends on any throw
{
    const QString clip = sharedFile(QStringLiteral("data/synthetic/dev_08.avi"));
    const QString faceModel = cnnFaceModel();
    const QString landmarks = builtLandmarkModel();
    const QString missing = missingFiles({clip, faceModel, landmarks});
    if (!missing.isEmpty()) {
        std::cout << "SKIP: " << qPrintable(missing) << std::endl;
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
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
    options.faceModelCandidates = QStringList{faceModel};
    environment.modelOptions = options;
    environment.instanceFolder = dir.filePath("runtime");

    qInstallMessageHandler(keep);
    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    Q_UNUSED(argc);
    bool hiddenAtTheEnd = false;
    {
        WinkwellApplication app(appArgc, appArgv, nullptr, environment);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &app, [&] {
            const QStringList all = lines();
            const int shown = indexOf(all, QStringLiteral("WinkwellGUI::showReminder()"));
            if (shown >= 0 &&
                indexOf(all, QStringLiteral("WinkwellGUI::responceToBlink()"), shown) >= 0) {
                hiddenAtTheEnd = !app.mainWindow()->blinkReminder()->isVisible();
                app.quit();
            }
        });
        poll.start(50);
        QTimer::singleShot(90000, &app, &QCoreApplication::quit); // the scheduler waits 15 s first
        app.exec();
    }
    qInstallMessageHandler(nullptr);

    const QStringList all = lines();
    // The camera started for the interactive training the scheduler asked for.
    const int requested = indexOf(
        all, QStringLiteral("WinkwellGUI::adjustSystemTrayBasedOnFunctionalityAccessingCamera "
                            "\"interactive training\""));
    const int shown = indexOf(all, QStringLiteral("WinkwellGUI::showReminder()"));
    const int answered = indexOf(all, QStringLiteral("WinkwellGUI::responceToBlink()"), shown);
    int failures = 0;
    const auto check = [&failures](bool condition, const char* what) {
        std::cout << (condition ? "PASS: " : "FAIL: ") << what << std::endl;
        failures += condition ? 0 : 1;
    };
    check(requested >= 0, "the scheduler starts an interactive training on the camera");
    check(shown > requested, "no blink in the first seconds: the reminder rolls out");
    check(answered > shown, "the recorded blink answers the reminder");
    check(hiddenAtTheEnd, "the reminder is gone after the blink");
    if (failures > 0) {
        for (const QString& line : all) {
            if (line.contains(QLatin1String("WinkwellGUI::")) ||
                line.contains(QLatin1String("ApplicationController::"))) {
                std::cout << "  " << qPrintable(line) << std::endl;
            }
        }
    }
    std::cout << (4 - failures) << " passed, " << failures << " failed" << std::endl;
    return failures == 0 ? 0 : 1;
}
