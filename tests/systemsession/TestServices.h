#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <sys/types.h>
#include <vector>

// A program started without Qt, so that a test can start it before its QGuiApplication; its
// output goes to logFile, and it is ended by its process id with the object. keepFd is handed
// down to it.
class ChildProcess
{
public:
    ChildProcess(const QString& program, const QStringList& arguments, const QString& logFile,
                 int keepFd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// An X server (Xvfb or Xorg) of the test's own, on a display it picks itself (-displayfd).
class TestXServer
{
public:
    TestXServer(const QString& program, const QStringList& arguments, const QString& logFile);

    // ":N", or empty when the server did not come up.
    QString display() const { return m_display; }

    static std::unique_ptr<TestXServer> xvfb(const QString& logFile);
    // Xorg with the dummy driver: 16 RandR outputs (DUMMY0 on at 1024x768), which xrandr can
    // switch on, clone and place. Its configuration and logs go into folder. Needs root and
    // xserver-xorg-video-dummy.
    static std::unique_ptr<TestXServer> xorgDummy(const QString& folder);

private:
    std::unique_ptr<ChildProcess> m_process;
    QString m_display;
};

// Helper programs of a test, each ended by its process id when the object goes.
class TestProcesses
{
public:
    ~TestProcesses();
    QProcess*
    start(const QString& program, const QStringList& arguments,
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
          bool readOutput = false);
    void stop(QProcess* process);
    // Runs a program to its end; true when it exits with 0.
    static bool run(const QString& program, const QStringList& arguments, const QString& display);

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// A bus of the test's own standing in for the system bus, with services mocked by
// python3-dbusmock (run by Debian's python, which has the module).
class MockSystemBus
{
public:
    explicit MockSystemBus(TestProcesses& processes);
    ~MockSystemBus();

    // Empty when dbus-daemon or python3-dbusmock is missing.
    QString address() const { return m_address; }
    QString whyUnavailable() const { return m_why; }

    // Starts dbusmock's template and waits until its service is on the bus.
    QProcess* startTemplate(const QString& name, const QString& service,
                            const QString& parameters = QString());
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {});
    // Mock control: methods of org.freedesktop.DBus.Mock on an object of the service.
    QDBusMessage mock(const QString& service, const QString& path, const QString& method,
                      const QVariantList& arguments);
    // Ends a mock and waits until its service has left the bus.
    bool stopTemplate(QProcess* process, const QString& service);

private:
    bool waitForService(const QString& service, bool present);

    TestProcesses& m_processes;
    QString m_address;
    QString m_why;
    QString m_connectionName;
};
