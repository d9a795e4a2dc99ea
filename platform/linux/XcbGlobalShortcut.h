#pragma once

#include "platform/GlobalShortcut.h"

#include <QVector>
#include <cstdint>
#include <memory>
#include <xcb/xcb.h>

class XcbKeyGrabs;

// One key combination grabbed on the root window through the application's own X connection,
// so that its key presses arrive in Qt's event stream. NumLock and CapsLock do not matter.
class XcbGlobalShortcut : public GlobalShortcut
{
    Q_OBJECT
public:
    explicit XcbGlobalShortcut(QObject* parent = nullptr);
    ~XcbGlobalShortcut() override;

    bool setShortcut(const QKeySequence& sequence) override;
    QKeySequence shortcut() const override { return m_sequence; }

private:
    // The grabs report a press of the combination.
    friend class XcbKeyGrabs;
    void press() { emit activated(); }
    void release();

    // Null where there is no X connection (Wayland, no display).
    std::shared_ptr<XcbKeyGrabs> m_grabs;
    QKeySequence m_sequence;
    // The keycodes held and the modifiers they were grabbed with.
    QVector<xcb_keycode_t> m_keycodes;
    std::uint16_t m_modifiers = 0;
};
