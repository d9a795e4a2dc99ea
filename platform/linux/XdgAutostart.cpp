#include "platform/linux/XdgAutostart.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

XdgAutostart::XdgAutostart(QString folder) : m_folder(std::move(folder))
{
    if (m_folder.isEmpty()) {
        m_folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart";
    }
}

QString XdgAutostart::entryPath() const
{
    return m_folder + QStringLiteral("/winkwell.desktop");
}

QString XdgAutostart::execLine(const QString& programPath)
{
    // Inside double quotes an Exec argument escapes ", `, $ and \ with a backslash; then the
    // whole value escapes its backslashes once more as a desktop-entry string, and % is doubled.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QStringLiteral("\" /m");
}

bool XdgAutostart::enable(const QString& programPath)
{
    if (!QDir().mkpath(m_folder)) {
        qDebug() << "Autostart: cannot create" << m_folder;
        return false;
    }
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug() << "Autostart: cannot write" << entryPath() << file.errorString();
        return false;
    }
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Winkwell\n"
                                         "Comment=Blink reminders, breaks and eye exercises\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execLine(programPath));
    file.write(entry.toUtf8());
    if (!file.commit()) {
        qDebug() << "Autostart: cannot write" << entryPath() << file.errorString();
        return false;
    }
    return true;
}

bool XdgAutostart::disable()
{
    if (!QFile::exists(entryPath())) {
        return true;
    }
    if (!QFile::remove(entryPath())) {
        qDebug() << "Autostart: cannot remove" << entryPath();
        return false;
    }
    return true;
}

bool XdgAutostart::isEnabled() const
{
    return QFile::exists(entryPath());
}

std::unique_ptr<Autostart> createAutostart()
{
    return std::make_unique<XdgAutostart>();
}
