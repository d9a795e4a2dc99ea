#include "platform/linux/XdgAutostart.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    // The entry's own string escapes for the control characters it can hold; the others cannot
    // be written at all.
    quoted.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    quoted.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    quoted.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    for (const QChar c : qAsConst(quoted)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            return QString();
        }
    }
    return QLatin1Char('"') + quoted + QStringLiteral("\" /m");
}

QString XdgAutostart::launcherPath(const QString& programPath)
{
    const QFileInfo program(programPath);
    const QString launcher = QDir::cleanPath(program.absolutePath() +
                                             QStringLiteral("/../../bin/") + program.fileName());
    const QFileInfo link(launcher);
    if (link.exists() && link.canonicalFilePath() == program.canonicalFilePath()) {
        return launcher;
    }
    return programPath;
}

bool XdgAutostart::enable(const QString& programPath)
{
    return write(programPath, true);
}

bool XdgAutostart::refresh(const QString& programPath)
{
    return write(programPath, false);
}

bool XdgAutostart::write(const QString& programPath, bool switchOn)
{
    const QString exec = execLine(launcherPath(programPath));
    if (exec.isEmpty()) {
        qDebug() << "Autostart: the program's path" << programPath
                 << "holds a control character a start-up entry cannot hold; none is written";
        return false;
    }
    QStringList lines{QStringLiteral("[Desktop Entry]"),
                      QStringLiteral("Type=Application"),
                      QStringLiteral("Name=Winkwell"),
                      QStringLiteral("Comment=Blink reminders, breaks and eye exercises"),
                      QStringLiteral("Exec=") + exec,
                      QStringLiteral("Terminal=false"),
                      QStringLiteral("X-GNOME-Autostart-enabled=true")};
    QFile existing(entryPath());
    if (existing.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // The entry as the user and the desktop left it, with the program's own line renewed.
        lines = QString::fromUtf8(existing.readAll()).split(QLatin1Char('\n'));
        while (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
        // Keys of the main group only: an action's group has an Exec of its own.
        int end = lines.size();
        bool hasExec = false;
        for (int i = 1; i < end; ++i) {
            const QString& line = lines.at(i);
            if (line.startsWith(QLatin1Char('['))) {
                end = i;
            } else if (line.startsWith(QLatin1String("Exec="))) {
                lines[i] = QStringLiteral("Exec=") + exec;
                hasExec = true;
            } else if (switchOn && (line.startsWith(QLatin1String("Hidden=")) ||
                                    line.startsWith(QLatin1String("X-GNOME-Autostart-enabled=")))) {
                lines.removeAt(i--);
                --end;
            }
        }
        if (!hasExec) {
            lines.insert(end++, QStringLiteral("Exec=") + exec);
        }
        if (switchOn) {
            lines.insert(end, QStringLiteral("X-GNOME-Autostart-enabled=true"));
        }
    }
    if (!QDir().mkpath(m_folder)) {
        qDebug() << "Autostart: cannot create" << m_folder;
        return false;
    }
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug() << "Autostart: cannot write" << entryPath() << file.errorString();
        return false;
    }
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
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
