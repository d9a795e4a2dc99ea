#pragma once

#include "platform/GlobalShortcut.h"

#include <QDebug>
#include <QList>
#include <QPointer>
#include <functional>
#include <memory>

class FakeGlobalShortcuts;

// A combination that only the test presses. Sequences the system refuses are given by the
// FakeGlobalShortcuts that made it.
class FakeGlobalShortcut : public GlobalShortcut
{
public:
    FakeGlobalShortcut(QObject* parent, std::shared_ptr<const FakeGlobalShortcuts> system)
        : GlobalShortcut(parent), m_system(std::move(system))
    {
    }

    inline bool setShortcut(const QKeySequence& sequence) override;
    QKeySequence shortcut() const override { return m_sequence; }
    // Whether the last setShortcut() took the combination.
    bool isRegistered() const { return m_registered; }
    void press() { emit activated(); }

private:
    std::shared_ptr<const FakeGlobalShortcuts> m_system;
    QKeySequence m_sequence;
    bool m_registered = false;
};

// The keyboard of a test: makes the shortcuts, refuses what "another program" holds, and
// presses a combination on every shortcut that holds it.
class FakeGlobalShortcuts : public std::enable_shared_from_this<FakeGlobalShortcuts>
{
public:
    QList<QKeySequence> refused;

    // A factory for GuiServices and the like; it keeps this object alive.
    std::function<GlobalShortcut*(QObject*)> factory()
    {
        return [self = shared_from_this()](QObject* parent) -> GlobalShortcut* {
            auto* shortcut = new FakeGlobalShortcut(parent, self);
            self->m_made << shortcut;
            return shortcut;
        };
    }

    // The shortcuts alive now, in the order they were made.
    QList<FakeGlobalShortcut*> alive() const
    {
        QList<FakeGlobalShortcut*> shortcuts;
        for (const QPointer<FakeGlobalShortcut>& shortcut : m_made) {
            if (shortcut) {
                shortcuts << shortcut.data();
            }
        }
        return shortcuts;
    }

    // The combinations held by the living shortcuts, in the order they were made.
    QList<QKeySequence> registered() const
    {
        QList<QKeySequence> sequences;
        for (FakeGlobalShortcut* shortcut : alive()) {
            if (shortcut->isRegistered()) {
                sequences << shortcut->shortcut();
            }
        }
        return sequences;
    }

    // The user presses the combination somewhere on the desktop.
    void press(const QKeySequence& sequence) const
    {
        // A copy: what a shortcut's slot deletes is skipped.
        const QList<QPointer<FakeGlobalShortcut>> made = m_made;
        for (const QPointer<FakeGlobalShortcut>& shortcut : made) {
            if (shortcut && shortcut->isRegistered() && shortcut->shortcut() == sequence) {
                shortcut->press();
            }
        }
    }

private:
    QList<QPointer<FakeGlobalShortcut>> m_made;
};

bool FakeGlobalShortcut::setShortcut(const QKeySequence& sequence)
{
    m_sequence = sequence;
    m_registered = !sequence.isEmpty() && !m_system->refused.contains(sequence);
    if (!sequence.isEmpty() && !m_registered) {
        qWarning() << "QxtGlobalShortcut failed to register:" << sequence;
    }
    return sequence.isEmpty() || m_registered;
}
