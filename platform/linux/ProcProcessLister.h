#pragma once

#include "platform/ProcessLister.h"

#include <QHash>

// Reads /proc (or a tree laid out like it). The name is the basename of exe where it can be read
// (the user's own processes); else comm, completed from argv[0] where the kernel cut it short;
// else argv[0]. The session is field 6 of stat.
class ProcProcessLister : public ProcessLister
{
public:
    explicit ProcProcessLister(QString procRoot = QStringLiteral("/proc"));
    QList<ProcessEntry> runningProcesses() const override;
    // Made to be called once a second. Reading each name every time would cost more than the
    // rest of the listener together, so a name is read when its process first shows up, again
    // on the next call (a launcher that has replaced itself with the real program by then), and
    // after that on every refreshPeriod-th call, the processes taking turns.
    QStringList runningProcessNames() const override;

    static constexpr int refreshPeriod = 10;

private:
    struct KnownName
    {
        QString name;
        int reads = 0;
        quint64 seen = 0;
    };

    QString m_procRoot;
    mutable QHash<qint64, KnownName> m_known;
    mutable quint64 m_calls = 0;
};
