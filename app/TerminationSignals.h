#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (logout, shutdown, Ctrl+C) into an orderly quit of the event loop, so
// that every controller still finishes its work and its files.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
