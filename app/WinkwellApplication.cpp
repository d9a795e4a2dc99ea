#include "WinkwellApplication.h"

#include "SingleInstance.h"
#include "gui/SettingsStore.h"
#include "gui/WinkwellGUI.h"

#include <QDateTime>
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

WinkwellApplication::WinkwellApplication(int& argc, char** argv, std::FILE* stderrLog,
                                         ApplicationEnvironment environment)
    : QApplication(argc, argv), m_stderrLog(stderrLog)
{
    // One copy per user and installation; the names are not set yet, as the key expects.
    const QString key = SingleInstance::keyFor(applicationName(), organizationName(),
                                               applicationVersion(), applicationFilePath());
    const QString instanceFolder = environment.instanceFolder.isEmpty()
                                       ? SingleInstance::defaultFolder()
                                       : environment.instanceFolder;
    m_singleInstance = std::make_unique<SingleInstance>(key, instanceFolder);
    if (!m_singleInstance->isPrimary()) {
        m_secondary = true;
        m_singleInstance->notifyPrimary(1000);
        return;
    }
    connect(m_singleInstance.get(), &SingleInstance::instanceStarted, this,
            &WinkwellApplication::instanceStarted);

    logSystem();
    loadFonts();
    s_instance = this;
    prepareDataFolder();
    setLanguage(loadSavedLanguage());

    setApplicationVersion(QStringLiteral("3.6.24.0"));
    setApplicationName(QStringLiteral("Winkwell"));
    setOrganizationName(QStringLiteral("lidcareworks"));
    qDebug() << "version" << applicationVersion();

    m_gui = new WinkwellGUI();
    qDebug() << "WinkwellApplication gui created";
    m_model =
        new Model(environment.modelOptions ? *environment.modelOptions : ModelOptions::defaults());

    m_modelThread = new QThread();
    m_modelThread->setObjectName(QStringLiteral("model"));
    m_model->moveToThread(m_modelThread);

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
        finishThread(m_modelThread, "model");
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

void WinkwellApplication::finishThread(QThread*& thread, const char* name)
{
    if (!thread) {
        return;
    }
    if (thread->isRunning() && !thread->wait(5000)) {
        // Deleting a running thread would abort the process; leave it to the process end.
        qDebug() << "WinkwellApplication: thread" << name << "did not finish in time";
        thread = nullptr;
        return;
    }
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
    if (index < 0 || index >= m_languages.locales().size()) {
        index = 0;
    }
    const QLocale locale = m_languages.locales().at(index);
    QLocale::setDefault(locale);
    if (index < 1) {
        if (m_appTranslator) {
            qDebug() << QDateTime::currentDateTimeUtc().toString(Qt::ISODate)
                     << "AP: removing translator";
            removeTranslator(m_appTranslator);
            delete m_appTranslator;
            m_appTranslator = nullptr;
        }
        if (m_qtTranslator) {
            removeTranslator(m_qtTranslator);
            delete m_qtTranslator;
            m_qtTranslator = nullptr;
        }
        return;
    }

    if (m_qtTranslator) {
        removeTranslator(m_qtTranslator);
        delete m_qtTranslator;
    }
    m_qtTranslator = new QTranslator(this);
    const QString qtPath = QStringLiteral(":/qtbase_") + locale.name() + QStringLiteral(".qm");
    qDebug() << "AP: qt translation path" << qtPath;
    if (m_qtTranslator->load(qtPath)) {
        installTranslator(m_qtTranslator);
    } else {
        delete m_qtTranslator;
        m_qtTranslator = nullptr;
    }

    if (m_appTranslator) {
        removeTranslator(m_appTranslator);
        delete m_appTranslator;
    }
    m_appTranslator = new QTranslator(this);
    if (m_appTranslator->load(m_languages.translationPaths().at(index))) {
        installTranslator(m_appTranslator);
    } else {
        delete m_appTranslator;
        m_appTranslator = nullptr;
    }
    qDebug() << QDateTime::currentDateTimeUtc().toString(Qt::ISODate)
             << "AP: installing translator";
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

// Every connection between the windows and the controllers is made here and nowhere else.
void WinkwellApplication::connectControllers()
{
    Model* model = m_model;
    WinkwellGUI* gui = m_gui;

    connect(this, &QCoreApplication::aboutToQuit, model, &Model::quit, Qt::QueuedConnection);
    connect(model, &Model::finished, m_modelThread, &QThread::quit, Qt::DirectConnection);
    connect(m_modelThread, &QThread::finished, model, &QObject::deleteLater);
    connect(m_modelThread, &QThread::started, model, &Model::init, Qt::QueuedConnection);

    connect(model, &Model::frameReceived, gui, &WinkwellGUI::showImage);
    connect(model, &Model::errorOccurred, gui, &WinkwellGUI::showError);
    connect(model, &Model::webcamActivated, gui,
            &WinkwellGUI::adjustSystemTrayBasedOnFunctionalityAccessingCamera);
    connect(gui, &WinkwellGUI::languageChanged, model, &Model::drawTexts);

    connect(this, &WinkwellApplication::instanceStarted, gui, &WinkwellGUI::openWindow);
}

void WinkwellApplication::connectStartupChain()
{
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
