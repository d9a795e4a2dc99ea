#include "TestServices.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int startTimeoutMs = 15000;
const QString python = QStringLiteral("/usr/bin/python3");
} // namespace

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments,
                           const QString& logFile, int keepFd)
{
    std::vector<std::string> argv{program.toStdString()};
    for (const QString& argument : arguments) {
        argv.push_back(argument.toStdString());
    }
    std::vector<char*> pointers;
    for (std::string& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    const std::string log = logFile.toStdString();
    m_pid = fork();
    if (m_pid == 0) {
        if (keepFd >= 0) {
            fcntl(keepFd, F_SETFD, 0);
        }
        const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(logFd, STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        execvp(pointers.front(), pointers.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

TestXServer::TestXServer(const QString& program, const QStringList& arguments,
                         const QString& logFile)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return;
    }
    m_process = std::make_unique<ChildProcess>(
        program, QStringList{"-displayfd", QString::number(pipeFds[1])} + arguments, logFile,
        pipeFds[1]);
    close(pipeFds[1]);
    // The server writes its display number once it accepts clients.
    QByteArray number;
    pollfd readable{pipeFds[0], POLLIN, 0};
    const QDeadlineTimer deadline(startTimeoutMs);
    while (m_process->pid() > 0 && !number.endsWith('\n') &&
           poll(&readable, 1, static_cast<int>(deadline.remainingTime())) > 0) {
        char c = 0;
        if (read(pipeFds[0], &c, 1) != 1) {
            break;
        }
        number.append(c);
    }
    close(pipeFds[0]);
    if (!number.trimmed().isEmpty()) {
        m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    }
}

std::unique_ptr<TestXServer> TestXServer::xvfb(const QString& logFile)
{
    return std::make_unique<TestXServer>(
        QStringLiteral("Xvfb"),
        QStringList{"-screen", "0", "1280x1024x24", "-noreset", "-nolisten", "tcp"}, logFile);
}

std::unique_ptr<TestXServer> TestXServer::xorgDummy(const QString& folder)
{
    const QString config = folder + QStringLiteral("/dummy.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        return std::make_unique<TestXServer>(QStringLiteral("false"), QStringList(), QString());
    }
    file.write("Section \"ServerFlags\"\n  Option \"DontVTSwitch\" \"true\"\n"
               "  Option \"AutoAddDevices\" \"false\"\nEndSection\n"
               "Section \"Device\"\n  Identifier \"dummy\"\n  Driver \"dummy\"\n"
               "  VideoRam 65536\nEndSection\n"
               "Section \"Screen\"\n  Identifier \"screen\"\n  Device \"dummy\"\n"
               "  DefaultDepth 24\n  SubSection \"Display\"\n    Depth 24\n"
               "    Virtual 2048 2048\n  EndSubSection\nEndSection\n");
    file.close();
    return std::make_unique<TestXServer>(
        QStringLiteral("Xorg"),
        QStringList{"-config", config, "-noreset", "-nolisten", "tcp", "-logfile",
                    folder + QStringLiteral("/xorg.log"), "-novtswitch", "-sharevts"},
        folder + QStringLiteral("/xorg.out"));
}

TestProcesses::~TestProcesses()
{
    while (!m_processes.empty()) {
        stop(m_processes.back().get());
    }
}

QProcess* TestProcesses::start(const QString& program, const QStringList& arguments,
                               const QProcessEnvironment& environment, bool readOutput)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!readOutput) {
        process->setStandardOutputFile(QProcess::nullDevice());
    }
    process->start(program, arguments);
    if (!process->waitForStarted(startTimeoutMs)) {
        return nullptr;
    }
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

void TestProcesses::stop(QProcess* process)
{
    for (auto it = m_processes.begin(); it != m_processes.end(); ++it) {
        if (it->get() == process) {
            process->terminate();
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished(5000);
            }
            m_processes.erase(it);
            return;
        }
    }
}

bool TestProcesses::run(const QString& program, const QStringList& arguments,
                        const QString& display)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    return process.waitForFinished(startTimeoutMs) &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

MockSystemBus::MockSystemBus(TestProcesses& processes) : m_processes(processes)
{
    if (QProcess::execute(python, {"-c", "import dbusmock"}) != 0) {
        m_why = QStringLiteral("python3-dbusmock is not installed");
        return;
    }
    QProcess* daemon =
        m_processes.start(QStringLiteral("dbus-daemon"),
                          {"--session", "--nofork", "--nopidfile", "--print-address=1"},
                          QProcessEnvironment::systemEnvironment(), true);
    if (!daemon) {
        m_why = QStringLiteral("dbus-daemon did not start");
        return;
    }
    if (!daemon->waitForReadyRead(startTimeoutMs)) {
        m_why = QStringLiteral("dbus-daemon printed no address");
        return;
    }
    m_address = QString::fromUtf8(daemon->readLine().trimmed());
    m_connectionName = QStringLiteral("mock-control");
    QDBusConnection::connectToBus(m_address, m_connectionName);
}

MockSystemBus::~MockSystemBus()
{
    if (!m_connectionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
}

bool MockSystemBus::waitForService(const QString& service, bool present)
{
    const QDBusConnection bus(m_connectionName);
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!deadline.hasExpired()) {
        if (bus.interface()->isServiceRegistered(service).value() == present) {
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

QProcess* MockSystemBus::startTemplate(const QString& name, const QString& service,
                                       const QString& parameters)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    QStringList arguments{"-m", "dbusmock", "--system", "--template", name};
    if (!parameters.isEmpty()) {
        arguments << "--parameters" << parameters;
    }
    QProcess* process = m_processes.start(python, arguments, environment);
    if (!process || !waitForService(service, true)) {
        return nullptr;
    }
    return process;
}

bool MockSystemBus::stopTemplate(QProcess* process, const QString& service)
{
    m_processes.stop(process);
    return waitForService(service, false);
}

QDBusMessage MockSystemBus::call(const QString& service, const QString& path,
                                 const QString& interface, const QString& method,
                                 const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection(m_connectionName).call(message, QDBus::Block, 5000);
}

QDBusMessage MockSystemBus::mock(const QString& service, const QString& path, const QString& method,
                                 const QVariantList& arguments)
{
    return call(service, path, QStringLiteral("org.freedesktop.DBus.Mock"), method, arguments);
}
