#include "ReminderSound.h"

#include <QDebug>
#include <QFile>
#include <QUrl>

namespace {
constexpr int kLoadCheckMs = 3000;
}

ReminderSound::ReminderSound(const QString& resource, int loops, QObject* parent)
    : QObject(parent), m_resource(resource)
{
    connect(&m_effect, &QSoundEffect::statusChanged, this, &ReminderSound::reportStatus);
    m_loadCheck.setSingleShot(true);
    m_loadCheck.setInterval(kLoadCheckMs);
    connect(&m_loadCheck, &QTimer::timeout, this, [this] {
        if (m_effect.status() != QSoundEffect::Ready) {
            reportFailureOnce("no sound server answers");
        }
    });
    m_effect.setLoopCount(loops);
    if (!QFile::exists(resource)) {
        reportFailureOnce("the file is missing");
        return;
    }
    m_effect.setSource(QUrl(QStringLiteral("qrc") + resource));
}

void ReminderSound::play()
{
    if (m_effect.status() == QSoundEffect::Error || m_effect.source().isEmpty()) {
        return;
    }
    m_effect.play();
    if (m_effect.status() != QSoundEffect::Ready && !m_failureLogged) {
        m_loadCheck.start();
    }
}

void ReminderSound::stop()
{
    m_effect.stop();
}

void ReminderSound::reportStatus()
{
    if (m_effect.status() == QSoundEffect::Error) {
        reportFailureOnce("the file cannot be read or played");
    }
}

void ReminderSound::reportFailureOnce(const char* why)
{
    if (m_failureLogged) {
        return;
    }
    m_failureLogged = true;
    qDebug() << "ReminderSound: cannot play" << m_resource << "-" << why
             << "- reminders stay silent";
}
