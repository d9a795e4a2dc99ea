#include "app/WinkwellApplication.h"
#include "common/SharedTypes.h"
#include "gui/BlinkRatePlot.h"
#include "gui/WinkwellGUI.h"
#include "statistics/StatisticsController.h"
#include "statistics/window/SpanSlider.h"
#include "statistics/window/WidgetStatistics.h"
#include "support/FakeFaceDetector.h"
#include "support/FakeFrameSource.h"
#include "support/TinyLandmarkModel.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <iostream>

// The whole program: a click on the main page's plot reaches the measurement store in its
// thread, and the store's answer opens the statistics window on the stored history; with no
// history stored the window stays closed. Written without QTest's main because it needs the
// real application object.
namespace {

int g_failures = 0;

void check(bool condition, const char* what)
{
    std::cout << (condition ? "PASS: " : "FAIL: ") << what << std::endl;
    g_failures += condition ? 0 : 1;
}

bool waitUntil(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

void clickPlot(WinkwellGUI* gui)
{
    QWidget* surface = gui->plot()->findChild<QWidget*>();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(surface, &event);
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
    options.faceDetectorFactory = [] { return std::make_unique<FakeFaceDetector>(); };
    environment.modelOptions = options;
    environment.instanceFolder = dir.filePath("runtime");
    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    Q_UNUSED(argc);
    WinkwellApplication app(appArgc, appArgv, nullptr, environment);

    QTimer::singleShot(0, &app, [&app] {
        const bool started = waitUntil([&app] { return app.mainWindow()->initCount() > 0; }, 30000);
        check(started, "the program starts within 30 s");
        WidgetStatistics* window = app.statisticsWindow();
        auto* slider = window->findChild<SpanSlider*>(QStringLiteral("spanSlider"));
        // Whatever an earlier run left in the test data folder goes first.
        QMetaObject::invokeMethod(app.statisticsController(), "deleteAllMeasurements",
                                  Qt::QueuedConnection);
        clickPlot(app.mainWindow());
        waitUntil([] { return false; }, 300);
        check(started && window->isHidden(), "without history a click leaves the window closed");

        for (const int length : {180, 190, 200}) {
            QMetaObject::invokeMethod(app.statisticsController(), "addMeasurement",
                                      Qt::QueuedConnection, Q_ARG(double, 8.5),
                                      Q_ARG(QString, "note"), Q_ARG(int, length));
        }
        clickPlot(app.mainWindow());
        check(waitUntil([window] { return window->isVisible(); }, 5000) && slider->maximum() == 3 &&
                  slider->lowerValue() == 0 && slider->upperValue() == 3,
              "a click opens the window on the three stored measurements");
        app.quit();
    });
    app.exec();
    return g_failures == 0 ? 0 : 1;
}
