#include "ReminderSound.h"

#include <QDebug>
#include <QFile>
#include <QUrl>

ReminderSound::ReminderSound(const QString& resource, int loops, QObject* parent)
    : QObject(parent), m_resource(resource)
{
    connect(&m_effect, &QSoundEffect::statusChanged, this, &ReminderSound::reportStatus);
    m_effect.setLoopCount(loops);
    if (!QFile::exists(resource)) {
        qDebug() << "ReminderSound: sound file missing" << resource;
        m_failureLogged = true;
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
}

void ReminderSound::stop()
{
    m_effect.stop();
}

void ReminderSound::reportStatus()
{
    if (m_effect.status() == QSoundEffect::Error && !m_failureLogged) {
        m_failureLogged = true;
        qDebug() << "ReminderSound: cannot play" << m_resource
                 << "(unreadable file or no sound server); reminders stay silent";
    }
}
