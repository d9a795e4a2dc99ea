#pragma once

#include <QString>

// The names under which systemd-logind answers on the system bus.
namespace Logind {
inline const QString service = QStringLiteral("org.freedesktop.login1");
inline const QString managerPath = QStringLiteral("/org/freedesktop/login1");
inline const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
inline const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
// logind answers at once when it is there; a slow answer must not hold anything up.
constexpr int callTimeoutMs = 2000;
} // namespace Logind
