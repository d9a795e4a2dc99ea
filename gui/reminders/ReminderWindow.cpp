#include "ReminderWindow.h"

#include "ScreenPlacement.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPropertyAnimation>

ReminderWindow::ReminderWindow(QWidget* parent, Names names) : QWidget(parent), m_names(names)
{
}

void ReminderWindow::setUpWindow(int fadeMs, const char* initLog)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowOpacity(0.8);

    m_fade = new QPropertyAnimation(this, "windowOpacity", this);
    m_fade->setDuration(fadeMs);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(0.8);

    const QPoint fallback = defaultPosition();
    m_position = QPoint(ScreenPlacement::clampCoordinate(readInt(m_names.xKey, fallback.x())),
                        ScreenPlacement::clampCoordinate(readInt(m_names.yKey, fallback.y())));
    qDebug() << initLog << m_position.x() << m_position.y() << "default one" << fallback.x()
             << fallback.y();
    m_pressOffset = QPoint();
}

void ReminderWindow::popUpAtPosition()
{
    move(m_position);
    show();
    adjustSize();
    m_fade->start();
    if (!ScreenPlacement::isOnAnyScreen(this)) {
        qDebug() << m_names.offScreenLog;
        // Not stored: the user's position comes back when its screen does.
        m_position = defaultPosition();
        move(m_position);
    }
}

void ReminderWindow::savePosition()
{
    m_position = pos();
    qDebug() << m_names.savePositionLog << m_position.x() << m_position.y();
    saveSetting(m_names.xKey, m_position.x());
    saveSetting(m_names.yKey, m_position.y());
    m_pressOffset = QPoint();
}

void ReminderWindow::mousePressEvent(QMouseEvent* event)
{
    m_pressOffset = event->pos();
}

void ReminderWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressOffset.isNull() && (event->buttons() & Qt::LeftButton)) {
        move(pos() + event->pos() - m_pressOffset);
    }
}

void ReminderWindow::mouseReleaseEvent(QMouseEvent* event)
{
    qDebug() << "reminder released at" << event->pos();
    if (!m_pressOffset.isNull()) {
        savePosition();
    }
}
