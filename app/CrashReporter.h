#pragma once

#include <QString>
#include <QStringList>

// Catches fatal signals (SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL), writes a report with the
// signal, time, version and a backtrace into the dump folder, and lets the signal go on to end
// the process as it would have. Returns false when the folder cannot take reports.
bool startCrashReporter(const QString& dumpFolder, const QString& programPath,
                        const QString& stderrLogPath);

// Reports written since they were last logged; logging marks them as reported.
QStringList takeUnreportedCrashReports(const QString& dumpFolder);
