#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QLabel;
class QMovie;
class QPropertyAnimation;
class ReminderSound;

// The black strip with the blinking eye that slides out leftwards from an anchor near the right
// edge of the screen. It never takes the keyboard focus, disappears when the pointer touches it,
// and can be dragged to a new anchor in position-change mode.
class BlinkReminderWidget : public QWidget
{
    Q_OBJECT

public:
    explicit BlinkReminderWidget(QWidget* parent = nullptr);
    ~BlinkReminderWidget() override;

    void enterPositionChangeMode();
    void leavePositionChangeMode();
    // Ends the mode and keeps the position it had before.
    void cancelPositionChange();

    bool isInPositionChangeMode() const { return m_positionChangeMode; }
    QPoint anchor() const { return {m_anchorX, m_anchorY}; }
    bool isSoundPlaying() const;

public slots:
    void rollOut(bool soundEnabled);
    void rollIn();

signals:
    void hideBlinkReminderByMouseRequested();

protected:
    void enterEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void hideReminder();

private:
    // Where the strip would end on no screen: the primary screen's right edge (in memory
    // only). False when it already ends on a screen.
    bool moveAnchorOntoAScreen();
    void layOut(bool showWindow);
    QRect startRect() const;
    QRect endRect() const;
    void startAnimation();
    void hideNow();

    int m_anchorX = 0;
    int m_anchorY = 0;
    bool m_positionChangeMode = false;
    ReminderSound* m_sound;
    QMovie* m_movie;
    QLabel* m_gifLabel;
    QLabel* m_textLabel;
    QPropertyAnimation* m_animation;
    QPoint m_pressOffset;
};
