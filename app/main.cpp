#include "CrashReporter.h"
#include "LogHandler.h"
#include "TerminationSignals.h"
#include "WinkwellApplication.h"
#include "common/SharedTypes.h"
#include "platform/ProcessLister.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QStandardPaths>
#include <QVector>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // Taken before any application object exists: the bare per-user data folder.
    const QString dataRoot =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
        QStringLiteral("/winkwell/");
    QDir().mkpath(dataRoot);
    const QString dumpFolder = dataRoot + QStringLiteral("dumps");
    const QString logFolder = dataRoot + QStringLiteral("logs");
    QDir().mkdir(dumpFolder);
    QDir().mkdir(logFolder);

    installLogHandler(logFolder);

    // Diagnostics the libraries print on standard error end up in a file of their own.
    const QString stderrLogPath = logFolder + QStringLiteral("/stderr.log");
    // Opened on its own first: when it cannot be opened, standard error stays as it was.
    std::FILE* stderrLog = std::fopen(QFile::encodeName(stderrLogPath).constData(), "w");
    if (stderrLog) {
        std::fflush(stderr);
        ::dup2(::fileno(stderrLog), STDERR_FILENO);
    }

    startCrashReporter(dumpFolder, QString::fromLocal8Bit(argc > 0 ? argv[0] : ""), stderrLogPath);
    const QStringList crashReports = takeUnreportedCrashReports(dumpFolder);
    if (!crashReports.isEmpty()) {
        qDebug() << "crash reports from earlier runs:" << crashReports;
    }

    registerSharedTypes();
    qDebug() << processListLine(createProcessLister()->runningProcesses());

    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);

    int result = 0;
    {
        WinkwellApplication app(argc, argv, stderrLog);
        if (app.isSecondary()) {
            return 0;
        }
        qDebug() << "winkwell app class constructed" << QCoreApplication::applicationDirPath();
        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::terminationRequested, &app,
                         &QCoreApplication::quit);
        result = app.exec();
    }
    return result;
}
