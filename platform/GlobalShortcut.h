#pragma once

#include <QKeySequence>
#include <QObject>

// A key combination that fires wherever the focus is.
class GlobalShortcut : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Releases the previous combination and takes this one. False, with the warning
    // "QxtGlobalShortcut failed to register:" and the sequence, when the system refuses it
    // (another program holds it, or there are no global shortcuts here).
    virtual bool setShortcut(const QKeySequence& sequence) = 0;
    virtual QKeySequence shortcut() const = 0;

signals:
    void activated();
};

// Owned by parent; releases its combination when destroyed.
GlobalShortcut* createGlobalShortcut(QObject* parent);
