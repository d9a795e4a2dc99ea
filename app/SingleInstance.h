#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

// One running copy per user and installation. The lock file decides who is primary (a lock left
// by a killed process is stale and taken over); the primary listens on a local socket beside it,
// and a later launch only tells it to come forward. The lock needs no application object, so the
// decision can be made before the program touches any of its files.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // key names the installation; folder holds the lock and socket (the user's runtime folder).
    // Takes the lock only.
    SingleInstance(const QString& key, const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    bool isPrimary() const { return m_primary; }
    // From the primary, once an application object exists: starts taking later launches' calls.
    void listen();
    // From a secondary: asks the primary to come forward; false when it could not be reached
    // within the time-out.
    bool notifyPrimary(int timeoutMs = 1000);

    // A key from the application's identity and its lower-cased executable path.
    static QString keyFor(const QString& applicationName, const QString& organisation,
                          const QString& version, const QString& executablePath);
    // The key of the program at this path, the same before and after the application exists.
    static QString keyForProgram(const QString& executablePath);
    // The user's runtime folder (XDG_RUNTIME_DIR), or the temporary folder as a last resort.
    static QString defaultFolder();

signals:
    void instanceStarted();

private:
    void acceptConnection();

    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    bool m_primary = false;
};
