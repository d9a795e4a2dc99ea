#pragma once

#include <QObject>
#include <QSoundEffect>
#include <QString>
#include <QTimer>

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
    void reportFailureOnce(const char* why);

    QSoundEffect m_effect;
    // Without a sound server the effect stays "loading" for good, and says nothing.
    QTimer m_loadCheck;
    QString m_resource;
    bool m_failureLogged = false;
};
