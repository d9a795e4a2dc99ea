#pragma once

#include "LanguageCatalog.h"
#include "LanguageSwitch.h"
#include "controller/ApplicationController.h"
#include "model/Model.h"
#include "network/ServerController.h"
#include "platform/ScreenGammaGuard.h"
#include "statistics/StatisticsController.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QThread>
#include <cstdio>
#include <memory>
#include <optional>

class SingleInstance;
class WidgetProxy;
class WidgetStatistics;
class WinkwellGUI;
class QScreen;

// What the application is built from; tests replace the camera engine's parts and the folder of
// the single-instance lock.
struct ApplicationEnvironment
{
    std::optional<ModelOptions> modelOptions;
    // The entry point decides the single instance before it touches any file; without one, the
    // application takes the lock itself in this folder (the user's runtime folder when empty).
    std::shared_ptr<SingleInstance> singleInstance;
    QString instanceFolder;
    // The program guards the screen's gamma ramps against its own crash (tests leave it off).
    bool guardScreenGamma = false;
};

// The application object: one per user and installation. Creates the main window and the
// controllers, gives each controller its thread, makes every connection between them, and starts
// the controllers one after the other.
class WinkwellApplication : public QApplication
{
    Q_OBJECT

public:
    WinkwellApplication(int& argc, char** argv, std::FILE* stderrLog,
                        ApplicationEnvironment environment = {});
    ~WinkwellApplication() override;

    // True in a second launch, which has only asked the running copy to come forward.
    bool isSecondary() const { return m_secondary; }

    static WinkwellApplication* instance() { return s_instance; }

    QVector<QLocale> availableLanguages() const;
    int loadSavedLanguage();
    void setLanguage(int index);

    WinkwellGUI* mainWindow() const { return m_gui; }
    Model* model() const { return m_model; }
    StatisticsController* statisticsController() const { return m_statistics; }
    WidgetStatistics* statisticsWindow() const { return m_statisticsWindow; }
    ServerController* serverController() const { return m_server; }
    ApplicationController* applicationController() const { return m_controller; }
    QThread* modelThread() const { return m_modelThread; }
    QThread* statisticsThread() const { return m_statisticsThread; }
    QThread* serverThread() const { return m_serverThread; }
    QThread* controllerThread() const { return m_controllerThread; }
    QString dataFolder() const { return m_dataFolder; }
    QString fontFamily() const { return m_fontFamily; }

public slots:
    void logScreens(QScreen* screen);

signals:
    void instanceStarted();

private:
    void logSystem();
    void loadFonts();
    void prepareDataFolder();
    void connectControllers();
    void connectThreads();
    void connectModelAndGui();
    void connectControllerAndStatistics();
    void connectStatisticsAndServer();
    void connectStatisticsAndGui();
    void connectServerAndGui();
    void connectStartupChain();
    void handleCommandLine();
    template <typename Controller>
    void finishThread(QThread*& thread, QPointer<Controller>& controller, const char* name);

    static WinkwellApplication* s_instance;

    bool m_secondary = false;
    std::shared_ptr<SingleInstance> m_singleInstance;
    // Declared first of what the constructor makes, so that it goes last: after the controller
    // thread has put the ramps back, or failed to.
    std::unique_ptr<ScreenGammaGuard> m_gammaGuard;
    std::FILE* m_stderrLog;
    QIcon m_icon;
    QString m_fontFamily;
    QString m_dataFolder;
    LanguageCatalog m_languages;
    LanguageSwitch m_languageSwitch;

    WinkwellGUI* m_gui = nullptr;
    WidgetProxy* m_proxyWindow = nullptr;
    WidgetStatistics* m_statisticsWindow = nullptr;
    QPointer<StatisticsController> m_statistics;
    QPointer<ServerController> m_server;
    QPointer<Model> m_model;
    QPointer<ApplicationController> m_controller;
    QThread* m_modelThread = nullptr;
    QThread* m_statisticsThread = nullptr;
    QThread* m_serverThread = nullptr;
    QThread* m_controllerThread = nullptr;
};
