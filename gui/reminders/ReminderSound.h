#pragma once

#include <QObject>
#include <QSoundEffect>
#include <QString>

// A reminder's sound, played through the desktop's sound server. The program never waits for
// it: a missing file or an absent sound server is logged once and the reminder goes on silent.
class ReminderSound : public QObject
{
    Q_OBJECT

public:
    // loops: QSoundEffect::Infinite (-2) for a sound that repeats until stop().
    ReminderSound(const QString& resource, int loops, QObject* parent = nullptr);

    void play();
    void stop();
    bool isPlaying() const { return m_effect.isPlaying(); }

private:
    void reportStatus();

    QSoundEffect m_effect;
    QString m_resource;
    bool m_failureLogged = false;
};
