#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

// Which other programs record from a microphone: a call in progress, for the scheduler. The
// answer comes late, by signal, and only when it changed.
class MicrophoneUse : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts watching, in the calling thread.
    virtual void start() = 0;
    virtual void stop() = 0;

signals:
    // The names of the programs, this one left out; empty when none records.
    void recordingProgramsChanged(QStringList programs);
};

// PulseAudio's or PipeWire's recording streams on Linux.
std::unique_ptr<MicrophoneUse> createMicrophoneUse();

// The recording programs in the text of "pactl list source-outputs", ownPid's streams and those
// that record a speaker's monitor left out; sorted, each name once.
QStringList recordingProgramsInPactlList(const QString& text, qint64 ownPid);
