#include "PactlMicrophoneUse.h"

#include <QCoreApplication>
#include <QDebug>
#include <QProcess>
#include <QTimer>

namespace {

constexpr int kAskEveryMs = 5000;
// Longer than that, the server is stuck; the next question starts afresh.
constexpr int kAnswerWithinMs = 4000;

} // namespace

std::unique_ptr<MicrophoneUse> createMicrophoneUse()
{
    return std::make_unique<PactlMicrophoneUse>();
}

PactlMicrophoneUse::PactlMicrophoneUse() = default;

PactlMicrophoneUse::~PactlMicrophoneUse()
{
    stop();
}

void PactlMicrophoneUse::start()
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(kAskEveryMs);
        connect(m_timer, &QTimer::timeout, this, &PactlMicrophoneUse::ask);
    }
    m_timer->start();
    ask();
}

void PactlMicrophoneUse::stop()
{
    if (m_timer) {
        m_timer->stop();
    }
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
        delete m_process;
        m_process = nullptr;
    }
}

void PactlMicrophoneUse::ask()
{
    if (m_process) {
        return; // the last question is still out
    }
    m_process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // untranslated keys
    m_process->setProcessEnvironment(environment);
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &PactlMicrophoneUse::answer);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            answer();
        }
    });
    QTimer::singleShot(kAnswerWithinMs, m_process, [process = m_process] { process->kill(); });
    m_process->start(QStringLiteral("pactl"),
                     {QStringLiteral("list"), QStringLiteral("source-outputs")});
}

void PactlMicrophoneUse::answer()
{
    QProcess* process = m_process;
    if (!process) {
        return;
    }
    m_process = nullptr;
    process->deleteLater();
    QStringList programs;
    if (process->error() == QProcess::FailedToStart ||
        process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0) {
        if (!m_failureLogged) {
            qWarning().noquote()
                << "PactlMicrophoneUse: the recording streams cannot be read ("
                << process->errorString().trimmed()
                << QString::fromLocal8Bit(process->readAllStandardError()).trimmed()
                << "): calls are not seen by the microphone";
            m_failureLogged = true;
        }
    } else {
        m_failureLogged = false;
        programs = recordingProgramsInPactlList(QString::fromUtf8(process->readAllStandardOutput()),
                                                QCoreApplication::applicationPid());
    }
    if (programs != m_programs) {
        m_programs = programs;
        emit recordingProgramsChanged(programs);
    }
}
