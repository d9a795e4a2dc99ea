#include "app/WinkwellApplication.h"
#include "common/SharedTypes.h"
#include "controller/ApplicationController.h"
#include "gui/WinkwellGUI.h"
#include "network/ServerController.h"
#include "statistics/StatisticsController.h"
#include "support/FakeFaceDetector.h"
#include "support/FakeFrameSource.h"
#include "support/TinyLandmarkModel.h"
#include "ui_WinkwellGUI.h"

#include <QMessageBox>
#include <QMutex>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <iostream>

// The whole application in one process: the controllers start one after the other, each only
// after the previous one is ready, the main window's init() comes last, and quitting ends all
// four controller threads. Written without QTest's own main because it needs the real
// application object.
namespace {

QMutex g_mutex;
QStringList g_events;
int g_failures = 0;
int g_passes = 0;

void record(const QString& event)
{
    QMutexLocker lock(&g_mutex);
    g_events << event;
}

void check(bool condition, const char* what)
{
    if (!condition) {
        ++g_failures;
        std::cerr << "FAIL: " << what << std::endl;
    } else {
        ++g_passes;
        std::cout << "PASS: " << what << std::endl;
    }
}

} // namespace

int main(int argc, char* argv[]) // NOLINT(bugprone-exception-escape): a test ends on any throw
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    const QString landmarks = dir.filePath("data.dat");
    writeTinyLandmarkModel(landmarks);

    registerSharedTypes();

    ApplicationEnvironment environment;
    ModelOptions options;
    auto clock = std::make_shared<SimulatedEngineClock>();
    options.clock = clock;
    options.frameSource = std::make_shared<FakeFrameSource>(clock.get());
    options.landmarkModelPath = landmarks;
    // Runs inside Model::init(), before modelInitialized(): the first link of the chain.
    options.faceDetectorFactory = [] {
        const bool early = WinkwellApplication::instance()->statisticsThread()->isRunning();
        record(QStringLiteral("model%1").arg(early ? "!" : ""));
        return std::make_unique<FakeFaceDetector>();
    };
    environment.modelOptions = options;
    environment.instanceFolder = dir.filePath("runtime");

    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    Q_UNUSED(argc);
    // Every controller's destructor must run exactly once, whichever thread ends first.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (text.contains(QLatin1String("::~"))) {
            record(text.section(QLatin1Char(' '), 0, 0));
        }
    });
    auto application =
        std::make_unique<WinkwellApplication>(appArgc, appArgv, nullptr, environment);
    WinkwellApplication& app = *application;
    check(!app.isSecondary(), "first instance is primary");

    QThread* statisticsThread = app.statisticsThread();
    QThread* serverThread = app.serverThread();
    QThread* controllerThread = app.controllerThread();
    QThread* modelThread = app.modelThread();
    check(modelThread->isRunning() && modelThread->priority() == QThread::HighestPriority,
          "model thread runs at the highest priority");
    check(!statisticsThread->isRunning() && !serverThread->isRunning() &&
              !controllerThread->isRunning(),
          "the other controllers wait for the engine");

    // Each controller thread records when it starts; the engine records its init() above.
    for (QThread* thread : {statisticsThread, serverThread, controllerThread}) {
        QObject::connect(thread, &QThread::started, [thread] { record(thread->objectName()); });
    }
    QSignalSpy statisticsReady(app.statisticsController(),
                               &StatisticsController::statsControllerInitialized);
    QSignalSpy serverReady(app.serverController(), &ServerController::serverControllerInitialized);
    QSignalSpy controllerReady(app.applicationController(),
                               &ApplicationController::controllerInitialized);

    // The chain takes a moment; give it a generous bound. Then, with the window in the tray, a
    // question box without a parent (the update check's) is answered: the last visible window
    // closes, and the program must go on. "Exit winkwell" ends it.
    QTimer poll;
    bool asked = false;
    bool runningAfterTheAnswer = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (app.mainWindow()->initCount() == 0 || asked) {
            return;
        }
        asked = true;
        record(QStringLiteral("gui"));
        app.mainWindow()->hide();
        auto* question = new QMessageBox(QMessageBox::Information, QStringLiteral("winkwell"),
                                         QStringLiteral("Download the update?"),
                                         QMessageBox::Yes | QMessageBox::No);
        question->setAttribute(Qt::WA_DeleteOnClose);
        question->show();
        QTimer::singleShot(100, question,
                           [question] { question->button(QMessageBox::No)->click(); });
        QTimer::singleShot(1000, &app, [&] {
            runningAfterTheAnswer = true;
            app.mainWindow()->form()->action_quit->trigger();
        });
    });
    poll.start(20);
    QTimer::singleShot(30000, &app, [&] {
        check(false, "start-up chain completes within 30 s");
        app.quit();
    });
    app.exec();

    const QStringList expected{"model", "statistics", "server", "controller", "gui"};
    {
        QMutexLocker lock(&g_mutex);
        const QStringList started = g_events.mid(0, expected.size());
        check(started == expected, "controller threads start in order, after the engine");
        if (started != expected) {
            std::cerr << "  events: " << qPrintable(g_events.join(' ')) << std::endl;
        }
    }
    check(runningAfterTheAnswer, "a question answered with the window in the tray ends nothing");
    check(app.mainWindow()->initCount() == 1, "the main window's init() runs once");
    check(statisticsReady.count() == 1 && serverReady.count() == 1 && controllerReady.count() == 1,
          "every controller reports ready once");

    // Quitting queued quit() to every controller. The application object is destroyed at once,
    // while the controller threads are still ending: it waits for each of them.
    application.reset();
    {
        QMutexLocker lock(&g_mutex);
        check(g_events.count("StatisticsController::~StatisticsController()") == 1 &&
                  g_events.count("ApplicationController::~ApplicationController()") == 1,
              "every controller is deleted once, in its own thread");
        check(g_events.last() == "WinkwellApplication::~WinkwellApplication()",
              "the application object goes last");
    }

    std::cout << g_passes << " passed, " << g_failures << " failed" << std::endl;
    return g_failures == 0 ? 0 : 1;
}
