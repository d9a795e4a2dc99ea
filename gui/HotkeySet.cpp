#include "gui/HotkeySet.h"

#include "gui/HotkeyText.h"
#include "platform/GlobalShortcut.h"

#include <QDebug>

HotkeySet::HotkeySet(Factory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory))
{
}

bool HotkeySet::isHeldByAnother(Hotkey hotkey, const QKeySequence& sequence) const
{
    for (int other = 0; other < kCount; ++other) {
        if (other != hotkey && !sequence.isEmpty() && m_keys[other].sequence == sequence) {
            return true;
        }
    }
    return false;
}

void HotkeySet::load(const std::array<QKeySequence, kCount>& sequences)
{
    for (int i = 0; i < kCount; ++i) {
        m_keys[i].sequence = QKeySequence();
    }
    for (int i = 0; i < kCount; ++i) {
        const auto hotkey = static_cast<Hotkey>(i);
        if (isHeldByAnother(hotkey, sequences[i])) {
            qDebug() << "HotkeySet: the stored" << hotkeyToText(sequences[i])
                     << "is another hotkey's already; dropped";
            m_keys[i].problem = tr("%1 is already another hotkey")
                                    .arg(sequences[i].toString(QKeySequence::NativeText));
            continue;
        }
        m_keys[i].sequence = sequences[i];
        m_keys[i].problem.clear();
        if (m_enabled) {
            registerKey(hotkey);
        }
    }
    emit changed();
}

void HotkeySet::setEnabled(bool enabled)
{
    m_enabled = enabled;
    for (int i = 0; i < kCount; ++i) {
        if (enabled) {
            registerKey(static_cast<Hotkey>(i));
        } else {
            // The destructor gives the combination back to the system.
            delete m_keys[i].shortcut;
            m_keys[i].shortcut = nullptr;
            if (!m_keys[i].sequence.isEmpty()) {
                m_keys[i].problem.clear();
            }
        }
    }
    emit changed();
}

bool HotkeySet::change(Hotkey hotkey, const QKeySequence& sequence)
{
    if (isHeldByAnother(hotkey, sequence)) {
        qDebug() << "HotkeySet: the combination" << hotkeyToText(sequence)
                 << "is already used by another hotkey";
        m_keys[hotkey].problem =
            tr("%1 is already another hotkey").arg(sequence.toString(QKeySequence::NativeText));
        emit changed();
        return false;
    }
    m_keys[hotkey].sequence = sequence;
    m_keys[hotkey].problem.clear();
    if (m_enabled) {
        registerKey(hotkey);
    }
    emit changed();
    return true;
}

void HotkeySet::registerKey(Hotkey hotkey)
{
    Key& key = m_keys[hotkey];
    if (key.sequence.isEmpty()) {
        // No combination: nothing to hold; a mark saying why stays.
        delete key.shortcut;
        key.shortcut = nullptr;
        return;
    }
    if (!key.shortcut) {
        key.shortcut = m_factory ? m_factory(this) : nullptr;
        if (!key.shortcut) {
            qDebug() << "HotkeySet: no global shortcuts here";
            key.problem = tr("hotkeys cannot work on this desktop");
            return;
        }
        connect(key.shortcut, &GlobalShortcut::activated, this,
                [this, hotkey] { emit activated(hotkey); });
    }
    qDebug() << "HotkeySet: hotkey" << hotkey << hotkeyToText(key.sequence);
    // The shortcut logs a refusal; the hotkey is marked with it.
    const bool taken = key.shortcut->setShortcut(key.sequence);
    key.problem = taken ? QString()
                        : tr("%1 is held by the desktop or another program")
                              .arg(key.sequence.toString(QKeySequence::NativeText));
}
