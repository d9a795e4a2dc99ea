#pragma once

#include "common/SettingsStore.h"

#include <QPoint>
#include <QWidget>

class QPropertyAnimation;

// What the break and exercise reminders share: an always-on-top frameless window that fades in
// without taking the focus, can be dragged anywhere, remembers where it was left, and comes back
// to its default place when it would show on no screen.
class ReminderWindow : public QWidget
{
    Q_OBJECT

public:
    struct Names
    {
        const SettingKey& xKey;
        const SettingKey& yKey;
        const char* offScreenLog;    // logged when the window is moved back onto a screen
        const char* savePositionLog; // logged with the stored position
    };

    QPoint position() const { return m_position; }

protected:
    ReminderWindow(QWidget* parent, Names names);

    // After the form is set up (the defaults depend on the window's designer size): window
    // flags, opacity, the fade-in and the stored position.
    void setUpWindow(int fadeMs, const char* initLog);
    // Moves to the position, shows, fades in, and corrects a position on no screen.
    void popUpAtPosition();
    void savePosition();
    bool isDragging() const { return !m_pressOffset.isNull(); }

    virtual QPoint defaultPosition() const = 0;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Names m_names;
    QPoint m_position;
    QPoint m_pressOffset;
    QPropertyAnimation* m_fade = nullptr;
};
