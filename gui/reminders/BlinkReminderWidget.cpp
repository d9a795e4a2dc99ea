#include "BlinkReminderWidget.h"

#include "ReminderSound.h"
#include "ScreenPlacement.h"
#include "common/SettingsStore.h"

#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPropertyAnimation>
#include <QSoundEffect>

namespace {
const QRect kGifGeometry(2, 2, 169, 100);
const QRect kProvisionalTextGeometry(173, 2, 550, 104);
constexpr int kAnimationMs = 300;
constexpr int kCorrectedAnchorY = 100;
} // namespace

BlinkReminderWidget::BlinkReminderWidget(QWidget* parent) : QWidget(parent)
{
    qDebug() << "blink reminder construction";
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowOpacity(0.8);
    setAttribute(Qt::WA_MouseTracking);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("background:black;"));
    // Without a focus policy no child asks for the keyboard either.
    setFocusPolicy(Qt::NoFocus);

    m_movie = new QMovie(QStringLiteral(":/icons/blinkNotify.gif"), QByteArray());
    if (!m_movie->isValid()) {
        qDebug() << "BlinkReminderWidget: the reminder animation cannot be read";
    }
    m_gifLabel = new QLabel(this);
    m_gifLabel->setMovie(m_movie);
    m_gifLabel->setGeometry(kGifGeometry);

    m_textLabel = new QLabel(tr("just blink ;)"), this);
    m_textLabel->setStyleSheet(
        QStringLiteral("font-size:35px;color:white;margin-right:5px;margin-top:20px"));

    m_animation = new QPropertyAnimation(this, "geometry");
    m_animation->setDuration(kAnimationMs);
    connect(m_animation, &QPropertyAnimation::finished, this, &BlinkReminderWidget::hideReminder);

    m_sound = new ReminderSound(QStringLiteral(":/audio/marimba2500ms.wav"), QSoundEffect::Infinite,
                                this);
    m_positionChangeMode = false;

    // Unless the user placed it: at the right edge of the primary screen, 200 pixels below its
    // top (the key's default, counted from the top of that screen).
    const QRect area = ScreenPlacement::primaryArea();
    m_anchorX =
        ScreenPlacement::clampCoordinate(readInt(SettingKeys::reminderX, area.x() + area.width()));
    m_anchorY = ScreenPlacement::clampCoordinate(
        readInt(SettingKeys::reminderY, area.y() + SettingKeys::reminderY.defaultValue.toInt()));
}

BlinkReminderWidget::~BlinkReminderWidget()
{
    m_movie->stop();
    delete m_movie;
    m_gifLabel->deleteLater();
    delete m_animation;
    m_textLabel->deleteLater();
}

bool BlinkReminderWidget::isSoundPlaying() const
{
    return m_sound->isPlaying();
}

void BlinkReminderWidget::layOut(bool showWindow)
{
    m_textLabel->setGeometry(kProvisionalTextGeometry);
    m_textLabel->adjustSize();
    if (showWindow) {
        show();
    }
    updateGeometry();
    adjustSize();
}

QRect BlinkReminderWidget::startRect() const
{
    return {m_anchorX, m_anchorY, 0, height()};
}

QRect BlinkReminderWidget::endRect() const
{
    return {m_anchorX - width(), m_anchorY, width(), height()};
}

void BlinkReminderWidget::startAnimation()
{
    m_animation->setStartValue(startRect());
    m_animation->setEndValue(endRect());
    m_animation->setDirection(QAbstractAnimation::Forward);
    m_animation->start(QAbstractAnimation::KeepWhenStopped);
}

void BlinkReminderWidget::rollOut(bool soundEnabled)
{
    if (m_positionChangeMode || isVisible()) {
        return;
    }
    // Placed before it shows: a strip sliding out off every screen would be seen by no one.
    layOut(false);
    moveAnchorOntoAScreen();
    layOut(true);
    m_movie->start();
    startAnimation();
    if (soundEnabled) {
        m_sound->play();
    }
}

void BlinkReminderWidget::hideNow()
{
    // Stopped first: a roll-out still running would otherwise redraw the strip after this.
    m_animation->stop();
    m_sound->stop();
    setGeometry(startRect());
    hide();
    m_movie->stop();
}

void BlinkReminderWidget::rollIn()
{
    if (m_positionChangeMode || !isVisible()) {
        return;
    }
    hideNow();
}

void BlinkReminderWidget::hideReminder()
{
    // The screens may have changed while it rolled out.
    if (!ScreenPlacement::isOnAnyScreen(this) && moveAnchorOntoAScreen()) {
        startAnimation();
    }
}

bool BlinkReminderWidget::moveAnchorOntoAScreen()
{
    const QRect area = ScreenPlacement::primaryArea();
    const int correctedX = area.x() + area.width();
    const int correctedY = area.y() + kCorrectedAnchorY;
    if (ScreenPlacement::isOnAnyScreen(endRect()) ||
        (m_anchorX == correctedX && m_anchorY == correctedY)) {
        return false; // on a screen, or corrected already: never animate in a circle
    }
    qDebug() << "reminder off the screen, changing its position";
    // In memory only: the stored anchor stays until the user saves a new one.
    m_anchorX = correctedX;
    m_anchorY = correctedY;
    return true;
}

void BlinkReminderWidget::enterEvent(QEvent* event)
{
    if (!m_positionChangeMode) {
        rollIn();
        emit hideBlinkReminderByMouseRequested();
    }
    QWidget::enterEvent(event);
}

void BlinkReminderWidget::mousePressEvent(QMouseEvent* event)
{
    m_pressOffset = m_positionChangeMode ? event->pos() : QPoint();
}

void BlinkReminderWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_positionChangeMode && !m_pressOffset.isNull() && (event->buttons() & Qt::LeftButton)) {
        move(pos() + event->pos() - m_pressOffset);
    }
}

void BlinkReminderWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_textLabel->setText(tr("just blink ;)"));
        layOut(false);
        if (isVisible()) {
            setGeometry(endRect());
        }
    }
    QWidget::changeEvent(event);
}

void BlinkReminderWidget::enterPositionChangeMode()
{
    if (!m_positionChangeMode && !isVisible()) {
        layOut(true);
        m_movie->start();
        startAnimation();
    }
    m_positionChangeMode = true;
    setCursor(Qt::SizeAllCursor);
    m_movie->stop();
}

void BlinkReminderWidget::leavePositionChangeMode()
{
    m_positionChangeMode = false;
    setCursor(Qt::ArrowCursor);
    if (y() != m_anchorY || x() + width() != m_anchorX) {
        m_anchorX = x() + width();
        m_anchorY = y();
        m_animation->setStartValue(startRect());
        m_animation->setEndValue(endRect());
        saveSetting(SettingKeys::reminderX, m_anchorX);
        saveSetting(SettingKeys::reminderY, m_anchorY);
    }
    if (isVisible()) {
        hideNow();
    }
}

void BlinkReminderWidget::cancelPositionChange()
{
    if (!m_positionChangeMode) {
        return;
    }
    m_positionChangeMode = false;
    setCursor(Qt::ArrowCursor);
    if (isVisible()) {
        hideNow(); // back to the anchor it had
    }
}
