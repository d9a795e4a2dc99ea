#include "WinkwellApplication.h"

#include "CrashReportingThread.h"
#include "EngineSchedulerWiring.h"
#include "NetworkWiring.h"
#include "SchedulerWindowWiring.h"
#include "SingleInstance.h"
#include "StatisticsWiring.h"
#include "common/SettingsStore.h"
#include "common/Version.h"
#include "gui/WinkwellGUI.h"
#include "network/window/WidgetProxy.h"
#include "statistics/window/WidgetStatistics.h"

#include <QDebug>
#include <QDir>
#include <QFontDatabase>
#include <QHostInfo>
#include <QScreen>
#include <QSslSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QVersionNumber>

WinkwellApplication* WinkwellApplication::s_instance = nullptr;

namespace {

// Winkwell draws nothing with OpenGL; without this the X11 platform loads the GL driver at
// start-up: tens of megabytes held for good, all of LLVM where only the software renderer is.
int& withoutOpenGl(int& argc)
{
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION")) {
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    }
    return argc;
}

} // namespace

WinkwellApplication::WinkwellApplication(int& argc, char** argv, std::FILE* stderrLog,
                                         ApplicationEnvironment environment)
    : QApplication(withoutOpenGl(argc), argv), m_stderrLog(stderrLog)
{
    // One copy per user and installation.
    m_singleInstance = environment.singleInstance;
    if (!m_singleInstance) {
        m_singleInstance = std::make_shared<SingleInstance>(
            SingleInstance::keyForProgram(applicationFilePath()),
            environment.instanceFolder.isEmpty() ? SingleInstance::defaultFolder()
                                                 : environment.instanceFolder);
    }
    if (!m_singleInstance->isPrimary()) {
        m_secondary = true;
        m_singleInstance->notifyPrimary(1000);
        return;
    }
    m_singleInstance->listen();
    connect(m_singleInstance.get(), &SingleInstance::instanceStarted, this,
            &WinkwellApplication::instanceStarted);

    logSystem();
    loadFonts();
    s_instance = this;
    prepareDataFolder();
    if (environment.guardScreenGamma) {
        // Before the engine loads: a ramp a crashed run left comes off the screen at once.
        m_gammaGuard = startScreenGammaGuard(ControllerServices::gammaMarkerPath(m_dataFolder));
    }
    setLanguage(loadSavedLanguage());

    setApplicationVersion(QString::fromLatin1(kWinkwellVersion));
    setApplicationName(QStringLiteral("Winkwell"));
    setOrganizationName(QStringLiteral("lidcareworks"));
    // The menu entry the desktop shows the windows under (packaging/linux).
    setDesktopFileName(QStringLiteral("com.orvalde.winkwell"));
    qDebug() << "version" << applicationVersion();

    GuiServices guiServices = GuiServices::system();
    guiServices.languages = [this] { return availableLanguages(); };
    guiServices.setLanguage = [this](int index) { setLanguage(index); };
    m_gui = new WinkwellGUI(std::move(guiServices));
    // The program lives in the tray: a question answered while the window is hidden closes the
    // last visible window, and that must not end it. Only the main window's close does.
    setQuitOnLastWindowClosed(false);
    connect(m_gui, &WinkwellGUI::closed, this, &QCoreApplication::quit, Qt::QueuedConnection);
    qDebug() << "WinkwellApplication gui created";
    m_proxyWindow = new WidgetProxy(m_gui);
    m_statisticsWindow = new WidgetStatistics(m_gui);
    m_statistics = new StatisticsController(m_dataFolder);
    m_server = new ServerController();
    m_model =
        new Model(environment.modelOptions ? *environment.modelOptions : ModelOptions::defaults());
    m_controller = new ApplicationController(ControllerServices::system(m_dataFolder));

    const auto makeThread = [](const char* name, QObject* controller) {
        auto* thread = new CrashReportingThread();
        thread->setObjectName(QLatin1String(name));
        controller->moveToThread(thread);
        return thread;
    };
    m_modelThread = makeThread("model", m_model);
    m_statisticsThread = makeThread("statistics", m_statistics);
    m_serverThread = makeThread("server", m_server);
    m_controllerThread = makeThread("controller", m_controller);

    connectControllers();
    m_gui->move(500, 0);
    qDebug() << "openssl build version" << QSslSocket::sslLibraryBuildVersionString();
    qDebug() << "openssl" << QSslSocket::supportsSsl() << " used version"
             << QSslSocket::sslLibraryVersionString();

    connectStartupChain();
    m_modelThread->start(QThread::HighestPriority);
    handleCommandLine();
}

WinkwellApplication::~WinkwellApplication()
{
    if (!m_secondary) {
        // Each controller has been asked to quit; give it time to finish its file writes.
        finishThread(m_serverThread, m_server, "server");
        finishThread(m_statisticsThread, m_statistics, "statistics");
        finishThread(m_controllerThread, m_controller, "controller");
        finishThread(m_modelThread, m_model, "model");
        delete m_gui;
        qDebug() << "WinkwellApplication::~WinkwellApplication()";
    }
    if (s_instance == this) {
        s_instance = nullptr;
    }
    if (m_stderrLog) {
        std::fflush(m_stderrLog);
        std::fclose(m_stderrLog);
    }
}

template <typename Controller>
void WinkwellApplication::finishThread(QThread*& thread, QPointer<Controller>& controller,
                                       const char* name)
{
    if (!thread) {
        return;
    }
    // wait(), not isRunning(): a thread counts as not running while it still emits finished()
    // and deletes its controller, and a thread that never started returns at once.
    if (!thread->wait(5000)) {
        // Deleting a running thread would abort the process; leave both to the process end.
        qDebug() << "WinkwellApplication: thread" << name << "did not finish in time";
        thread = nullptr;
        return;
    }
    // A controller whose thread never ran (start-up cut short) was never handed to deleteLater.
    delete controller.data();
    delete thread;
    thread = nullptr;
}

void WinkwellApplication::logSystem()
{
    qDebug() << QHostInfo::localHostName();
    // The distribution's name and version; the kernel's where it has none.
    QVersionNumber version = QVersionNumber::fromString(QSysInfo::productVersion());
    if (version.isNull()) {
        version = QVersionNumber::fromString(QSysInfo::kernelVersion());
    }
    qDebug() << QSysInfo::prettyProductName() << " type " << QSysInfo::productType() << " major "
             << version.majorVersion() << " minor " << version.minorVersion() << " micro "
             << version.microVersion();
    for (const QString& word : arguments()) {
        qDebug() << "argv" << word;
    }
}

void WinkwellApplication::loadFonts()
{
    const char* faces[] = {":/font/Roboto-Medium.ttf", ":/font/Roboto-Bold.ttf",
                           ":/font/Roboto-Regular.ttf"};
    m_fontFamily = QStringLiteral("Roboto");
    for (const char* face : faces) {
        const int id = QFontDatabase::addApplicationFont(QLatin1String(face));
        if (id < 0) {
            qDebug() << "WinkwellApplication: font not added" << face;
            continue;
        }
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (QLatin1String(face) == QLatin1String(":/font/Roboto-Regular.ttf") &&
            !families.isEmpty()) {
            m_fontFamily = families.first();
        }
    }
    setFont(QFont(m_fontFamily, 11));
    m_icon = QIcon(QStringLiteral(":/icons/winkwell.ico"));
    setWindowIcon(m_icon);
}

void WinkwellApplication::prepareDataFolder()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!location.isEmpty()) {
        m_dataFolder = location + QLatin1Char('/');
        QDir().mkpath(m_dataFolder);
    } else {
        m_dataFolder = applicationDirPath() + QLatin1Char('/');
    }
}

QVector<QLocale> WinkwellApplication::availableLanguages() const
{
    return m_languages.locales();
}

int WinkwellApplication::loadSavedLanguage()
{
    m_languages = LanguageCatalog::scan(QStringLiteral(":/"));
    auto settings = openSettingsStore();
    return m_languages.savedLanguageIndex(*settings);
}

void WinkwellApplication::setLanguage(int index)
{
    m_languageSwitch.apply(m_languages, index);
}

void WinkwellApplication::logScreens(QScreen* screen)
{
    if (screen) {
        qDebug() << "WinkwellApplication screen added or removed" << screen->name();
        QStringList siblings;
        for (const QScreen* sibling : screen->virtualSiblings()) {
            siblings << sibling->name();
        }
        qDebug() << "virtual siblings of given screen" << siblings;
    }
    QStringList all;
    for (const QScreen* each : screens()) {
        all << each->name();
    }
    qDebug() << "WinkwellApplication:: qscreens" << all;
}

// Every connection between the windows and the controllers is made here and nowhere else, one
// function for each pair that talks.
void WinkwellApplication::connectControllers()
{
    connectThreads();
    connectModelAndGui();
    connectEngineAndScheduler(m_model.data(), m_controller.data(), Qt::QueuedConnection);
    connectSchedulerAndWindows(m_controller, m_gui);
    connectControllerAndStatistics();
    connectStatisticsAndServer();
    connectStatisticsAndGui();
    connectStatisticsAndWindow(m_statistics, m_statisticsWindow);
    connectServerAndGui();
    connectServerAndProxyWindow(m_server, m_proxyWindow);
    connectGuiAndProxyWindow(m_gui, m_proxyWindow);
    connectGuiAndUpdateCheck(m_gui);
    connect(this, &WinkwellApplication::instanceStarted, m_gui, &WinkwellGUI::openWindow);
}

// Each controller is initialised when its thread starts. At shutdown each controller quits in
// its thread, its finished() ends the thread, and the ended thread deletes the controller.
void WinkwellApplication::connectThreads()
{
    const auto queued = Qt::QueuedConnection;
    const auto direct = Qt::DirectConnection;
    connect(this, &QCoreApplication::aboutToQuit, m_controller, &ApplicationController::quit,
            queued);
    connect(this, &QCoreApplication::aboutToQuit, m_model, &Model::quit, queued);
    connect(this, &QCoreApplication::aboutToQuit, m_statistics, &StatisticsController::quit,
            queued);
    connect(this, &QCoreApplication::aboutToQuit, m_server, &ServerController::quit, queued);
    connect(m_statistics, &StatisticsController::finished, m_statisticsThread, &QThread::quit,
            direct);
    connect(m_statisticsThread, &QThread::finished, m_statistics, &QObject::deleteLater);
    connect(m_statisticsThread, &QThread::started, m_statistics, &StatisticsController::init,
            queued);
    connect(m_server, &ServerController::finished, m_serverThread, &QThread::quit, direct);
    connect(m_serverThread, &QThread::finished, m_server, &QObject::deleteLater);
    connect(m_serverThread, &QThread::started, m_server, &ServerController::init, queued);
    connect(m_model, &Model::finished, m_modelThread, &QThread::quit, direct);
    connect(m_modelThread, &QThread::finished, m_model, &QObject::deleteLater);
    connect(m_modelThread, &QThread::started, m_model, &Model::init, queued);
    connect(m_controller, &ApplicationController::finished, m_controllerThread, &QThread::quit,
            direct);
    connect(m_controllerThread, &QThread::finished, m_controller, &QObject::deleteLater);
    connect(m_controllerThread, &QThread::started, m_controller, &ApplicationController::init,
            queued);
    connect(m_controller, &ApplicationController::controllerInitialized, m_gui, &WinkwellGUI::init,
            queued);
}

void WinkwellApplication::connectModelAndGui()
{
    Model* model = m_model;
    WinkwellGUI* gui = m_gui;
    connect(model, &Model::frameReceived, gui, &WinkwellGUI::showImage);
    connect(model, &Model::errorOccurred, gui, &WinkwellGUI::showError);
    connect(model, &Model::webcamActivated, gui,
            &WinkwellGUI::adjustSystemTrayBasedOnFunctionalityAccessingCamera);
    connect(model, &Model::cameraRunEnded, gui, &WinkwellGUI::processCameraRunEnded);
    connect(gui, &WinkwellGUI::languageChanged, model, &Model::drawTexts);
}

void WinkwellApplication::connectControllerAndStatistics()
{
    connect(m_model, &Model::cameraRunEnded, m_statistics, &StatisticsController::recordCameraRun);
    connect(m_controller, &ApplicationController::measurementCompleted, m_statistics,
            &StatisticsController::addMeasurement);
}

void WinkwellApplication::connectStatisticsAndServer()
{
    connect(m_server, &ServerController::lastDateTimeObtained, m_statistics,
            &StatisticsController::createJsonData);
    connect(m_statistics, &StatisticsController::measurementsUploadReady, m_server,
            &ServerController::uploadStats);
}

void WinkwellApplication::connectStatisticsAndGui()
{
    connect(m_gui, &WinkwellGUI::showStatisticsRequired, m_statistics,
            &StatisticsController::createStatistics);
    connect(m_statistics, &StatisticsController::smallStatisticsChanged, m_gui,
            &WinkwellGUI::updateHealthStatus);
    connect(m_statistics, &StatisticsController::historyProblem, m_gui,
            &WinkwellGUI::showHistoryProblem);
    connect(m_statistics, &StatisticsController::cameraTimeChanged, m_gui,
            &WinkwellGUI::showCameraTime);
}

void WinkwellApplication::connectServerAndGui()
{
    connect(m_server, &ServerController::noInternetConnection, m_gui,
            &WinkwellGUI::showInternetUnreachable);
    connect(m_server, &ServerController::internetConnectionRestored, m_gui,
            &WinkwellGUI::hideInternetUnreachable);
    connect(m_gui, &WinkwellGUI::computerWakenUp, m_server, &ServerController::startResearchUpload,
            Qt::QueuedConnection);
    connect(m_server, &ServerController::errorOccurred, m_gui, &WinkwellGUI::showError);
}

// The controllers start one after the other, each once the previous one is ready.
void WinkwellApplication::connectStartupChain()
{
    connect(m_model, &Model::modelInitialized, m_statisticsThread,
            [thread = m_statisticsThread] { thread->start(); });
    connect(m_statistics, &StatisticsController::statsControllerInitialized, m_serverThread,
            [thread = m_serverThread] { thread->start(); });
    connect(m_server, &ServerController::serverControllerInitialized, m_controllerThread,
            [thread = m_controllerThread] { thread->start(); });
    // After the row above, so that the controller thread starts before the first upload cycle.
    connect(m_server, &ServerController::serverControllerInitialized, m_server,
            &ServerController::startResearchUpload, Qt::DirectConnection);
}

void WinkwellApplication::handleCommandLine()
{
    const QStringList args = arguments();
    if (args.size() > 1 && args.at(1) == QLatin1String("/m")) {
        m_gui->show();
        m_gui->raise();
        m_gui->activateWindow();
        m_gui->on_toolButton_titleBarClose_clicked();
    } else {
        m_gui->openWindow();
    }
}
