#include "platform/ExecutablePath.h"

#include <QFileInfo>

QString currentExecutablePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}
