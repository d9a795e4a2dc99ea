#include "CrashReporter.h"
#include "LogHandler.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "WinkwellApplication.h"
#include "common/SharedTypes.h"
#include "common/Version.h"
#include "platform/ExecutablePath.h"
#include "platform/ProcessLister.h"

#include <QDebug>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr const char* kUsage = "Usage: winkwell [/m]\n"
                               "A desktop eye-health assistant: blink reminders, blink-rate\n"
                               "measurements, breaks and screen brightness, from the tray.\n"
                               "\n"
                               "  /m             start hidden in the tray (as at log-in)\n"
                               "  -h, --help     show this help and exit\n"
                               "  -v, --version  show the version and exit\n";

// --help and --version answer before anything starts, with or without a display. True when one
// was asked for.
bool answeredFromTheCommandLine(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("winkwell %s\n", kWinkwellVersion);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return true;
        }
    }
    return false;
}

// The windowing system the framework would connect to is named; a platform of Qt's that needs
// none (offscreen, for one) counts as one.
bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool needsDisplay =
        platform.isEmpty() || platform.startsWith("xcb") || platform.startsWith("wayland");
    return !needsDisplay || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The per-user data folder, log files, standard-error log and crash reports. Only the running
// copy sets them up: a second launch must not truncate, rotate or mark the first one's files.
std::FILE* setUpFilesAndCrashReports(const char* programPath)
{
    const QString dataRoot =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
        QStringLiteral("/winkwell/");
    QDir().mkpath(dataRoot);
    const QString dumpFolder = dataRoot + QStringLiteral("dumps");
    const QString logFolder = dataRoot + QStringLiteral("logs");
    QDir().mkdir(dumpFolder);
    QDir().mkdir(logFolder);

    installLogHandler(logFolder);
    qDebug() << "winkwell" << kWinkwellVersion;

    // Diagnostics the libraries print on standard error end up in a file of their own.
    const QString stderrLogPath = logFolder + QLatin1Char('/') + LogFiles::stderrLogName;
    // Opened on its own first: when it cannot be opened, standard error stays as it was.
    std::FILE* stderrLog = std::fopen(QFile::encodeName(stderrLogPath).constData(), "w");
    if (stderrLog) {
        std::fflush(stderr);
        ::dup2(::fileno(stderrLog), STDERR_FILENO);
    }

    startCrashReporter(dumpFolder, QString::fromLocal8Bit(programPath), stderrLogPath);
    const QStringList crashReports = takeUnreportedCrashReports(dumpFolder);
    if (!crashReports.isEmpty()) {
        qDebug() << "crash reports from earlier runs:" << crashReports;
    }
    return stderrLog;
}

} // namespace

int main(int argc, char* argv[])
{
    if (answeredFromTheCommandLine(argc, argv)) {
        return 0;
    }
    if (!hasDisplay()) {
        std::fputs("winkwell: no display to show its windows on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set); start it in a desktop session\n",
                   stderr);
        return 1;
    }
    ApplicationEnvironment environment;
    environment.guardScreenGamma = true;
    environment.singleInstance = std::make_shared<SingleInstance>(
        SingleInstance::keyForProgram(currentExecutablePath()), SingleInstance::defaultFolder());

    std::FILE* stderrLog = nullptr;
    if (environment.singleInstance->isPrimary()) {
        stderrLog = setUpFilesAndCrashReports(argc > 0 ? argv[0] : "");
    }
    registerSharedTypes();
    if (environment.singleInstance->isPrimary()) {
        qCDebug(logFileOnly).noquote()
            << processListLine(createProcessLister()->runningProcesses());
    }

    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);

    int result = 0;
    {
        WinkwellApplication app(argc, argv, stderrLog, std::move(environment));
        if (app.isSecondary()) {
            return 0;
        }
        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::terminationRequested, &app,
                         &QCoreApplication::quit);
        // Written once SIGTERM quits in order: scripts and tests take the line as ready.
        qDebug() << "winkwell app class constructed" << QCoreApplication::applicationDirPath();
        result = app.exec();
    }
    return result;
}
