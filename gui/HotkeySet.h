#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <array>
#include <functional>

class GlobalShortcut;

// The three global hotkeys: their combinations, their registration with the system, and why one
// does nothing. No two of them ever hold the same combination, so that one key press can never
// fire two actions.
class HotkeySet : public QObject
{
    Q_OBJECT

public:
    enum Hotkey
    {
        Brighter,
        Darker,
        ColorTemperature,
    };
    static constexpr int kCount = 3;
    using Factory = std::function<GlobalShortcut*(QObject*)>;

    explicit HotkeySet(Factory factory, QObject* parent = nullptr);

    // The combinations as stored. One that repeats an earlier one is dropped (a file written by
    // an older version may hold such a pair) and marked.
    void load(const std::array<QKeySequence, kCount>& sequences);
    // Switched on, every combination is registered; switched off, all are given back.
    void setEnabled(bool enabled);
    // The user's choice for a hotkey. False when another hotkey holds it: nothing changes then,
    // and the hotkey is marked.
    bool change(Hotkey hotkey, const QKeySequence& sequence);

    QKeySequence sequence(Hotkey hotkey) const { return m_keys[hotkey].sequence; }
    // Why the hotkey does nothing, or why the last choice was not taken; empty when all is well.
    QString problem(Hotkey hotkey) const { return m_keys[hotkey].problem; }

signals:
    void activated(HotkeySet::Hotkey hotkey);
    // A registration or a problem changed.
    void changed();

private:
    struct Key
    {
        QKeySequence sequence;
        GlobalShortcut* shortcut = nullptr;
        QString problem;
    };
    bool isHeldByAnother(Hotkey hotkey, const QKeySequence& sequence) const;
    void registerKey(Hotkey hotkey);

    Factory m_factory;
    bool m_enabled = false;
    std::array<Key, kCount> m_keys;
};
