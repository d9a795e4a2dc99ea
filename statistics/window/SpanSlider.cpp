#include "SpanSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QStylePainter>
#include <algorithm>

SpanSlider::SpanSlider(QWidget* parent) : SpanSlider(Qt::Horizontal, parent)
{
}

SpanSlider::SpanSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent), m_lower(minimum()), m_upper(minimum()),
      m_spanColour(palette().color(QPalette::Highlight))
{
}

void SpanSlider::setSpan(int lower, int upper)
{
    if (lower > upper) {
        std::swap(lower, upper);
    }
    applySpan(lower, upper);
}

void SpanSlider::setLowerValue(int lower)
{
    moveHandle(Handle::Lower, lower);
}

void SpanSlider::setUpperValue(int upper)
{
    moveHandle(Handle::Upper, upper);
}

void SpanSlider::setSpanColour(const QColor& colour)
{
    m_spanColour = colour;
    update();
}

void SpanSlider::moveHandle(Handle handle, int value)
{
    if (handle == Handle::Lower) {
        applySpan(std::min(value, m_upper), m_upper);
    } else {
        applySpan(m_lower, std::max(value, m_lower));
    }
}

// The one place the span changes, so that each change is announced once.
void SpanSlider::applySpan(int lower, int upper)
{
    lower = std::clamp(lower, minimum(), maximum());
    upper = std::clamp(upper, minimum(), maximum());
    if (lower == m_lower && upper == m_upper) {
        return;
    }
    m_lower = lower;
    m_upper = upper;
    update();
    emit spanChanged(m_lower, m_upper);
}

int SpanSlider::valueOf(Handle handle) const
{
    return handle == Handle::Lower ? m_lower : m_upper;
}

void SpanSlider::sliderChange(SliderChange change)
{
    if (change == SliderRangeChange) {
        applySpan(m_lower, m_upper);
    }
    QSlider::sliderChange(change);
}

QStyleOptionSlider SpanSlider::optionAt(int value) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.sliderPosition = value;
    option.sliderValue = value;
    return option;
}

QRect SpanSlider::handleRect(Handle handle) const
{
    const QStyleOptionSlider option = optionAt(valueOf(handle));
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

int SpanSlider::along(const QPoint& point) const
{
    return orientation() == Qt::Horizontal ? point.x() : point.y();
}

// The value whose handle starts at this pixel along the groove, as QSlider reckons it.
int SpanSlider::valueAtPixel(int pixel) const
{
    const QStyleOptionSlider option = optionAt(m_lower);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const bool horizontal = orientation() == Qt::Horizontal;
    const int length = horizontal ? handle.width() : handle.height();
    const int start = horizontal ? groove.x() : groove.y();
    const int end = (horizontal ? groove.right() : groove.bottom()) - length + 1;
    return QStyle::sliderValueFromPosition(minimum(), maximum(), pixel - start, end - start,
                                           option.upsideDown);
}

void SpanSlider::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);

    // The groove as for a handle at the start, so that styles which colour the groove up to the
    // handle colour nothing: the span has its own colour.
    QStyleOptionSlider groove = optionAt(minimum());
    groove.subControls = QStyle::SC_SliderGroove;
    if (tickPosition() != NoTicks) {
        groove.subControls |= QStyle::SC_SliderTickmarks;
    }
    groove.activeSubControls = QStyle::SC_None;
    painter.drawComplexControl(QStyle::CC_Slider, groove);

    const QRect grooveRect =
        style()->subControlRect(QStyle::CC_Slider, &groove, QStyle::SC_SliderGroove, this);
    const QPoint lowerCentre = handleRect(Handle::Lower).center();
    const QPoint upperCentre = handleRect(Handle::Upper).center();
    QRect span;
    if (orientation() == Qt::Horizontal) {
        span = QRect(QPoint(std::min(lowerCentre.x(), upperCentre.x()), grooveRect.top()),
                     QPoint(std::max(lowerCentre.x(), upperCentre.x()), grooveRect.bottom()));
    } else {
        span = QRect(QPoint(grooveRect.left(), std::min(lowerCentre.y(), upperCentre.y())),
                     QPoint(grooveRect.right(), std::max(lowerCentre.y(), upperCentre.y())));
    }
    painter.setPen(m_spanColour);
    painter.setBrush(m_spanColour);
    painter.drawRect(span.adjusted(0, 0, -1, -1));

    // The active handle last, on top where the two meet.
    const Handle other = m_active == Handle::Lower ? Handle::Upper : Handle::Lower;
    for (const Handle handle : {other, m_active}) {
        QStyleOptionSlider option = optionAt(valueOf(handle));
        option.subControls = QStyle::SC_SliderHandle;
        const bool dragged = (m_drag == Drag::Lower && handle == Handle::Lower) ||
                             (m_drag == Drag::Upper && handle == Handle::Upper);
        if (dragged) {
            option.activeSubControls = QStyle::SC_SliderHandle;
            option.state |= QStyle::State_Sunken;
        } else {
            option.activeSubControls = QStyle::SC_None;
        }
        painter.drawComplexControl(QStyle::CC_Slider, option);
    }
}

void SpanSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || minimum() == maximum()) {
        event->ignore();
        return;
    }
    const QRect lower = handleRect(Handle::Lower);
    const QRect upper = handleRect(Handle::Upper);
    const bool onLower = lower.contains(event->pos());
    const bool onUpper = upper.contains(event->pos());
    const int at = along(event->pos());
    if (onLower && onUpper) {
        m_drag = Drag::Either;
        m_pressAlong = at;
        m_dragOffset = at - along(lower.topLeft());
    } else if (onLower || onUpper) {
        m_active = onLower ? Handle::Lower : Handle::Upper;
        m_drag = onLower ? Drag::Lower : Drag::Upper;
        m_dragOffset = at - along((onLower ? lower : upper).topLeft());
    } else {
        // On the groove: the nearer handle comes to the press and can be dragged on from there.
        const int length = orientation() == Qt::Horizontal ? lower.width() : lower.height();
        m_dragOffset = length / 2;
        const int value = valueAtPixel(at - m_dragOffset);
        if (value <= m_lower) {
            m_active = Handle::Lower;
        } else if (value >= m_upper) {
            m_active = Handle::Upper;
        } else {
            m_active = value - m_lower <= m_upper - value ? Handle::Lower : Handle::Upper;
        }
        m_drag = m_active == Handle::Lower ? Drag::Lower : Drag::Upper;
        moveHandle(m_active, value);
    }
    update();
    event->accept();
}

void SpanSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag == Drag::None || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    const int value = valueAtPixel(along(event->pos()) - m_dragOffset);
    if (m_drag == Drag::Either) {
        // Both handles sit on one value: the direction of the first move picks one.
        if (value == m_lower) {
            return;
        }
        m_active = value < m_lower ? Handle::Lower : Handle::Upper;
        m_drag = value < m_lower ? Drag::Lower : Drag::Upper;
    }
    moveHandle(m_drag == Drag::Lower ? Handle::Lower : Handle::Upper, value);
    event->accept();
}

void SpanSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_drag == Drag::None || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_drag == Drag::Either) {
        m_active = m_upper >= maximum() ? Handle::Lower : Handle::Upper;
    }
    m_drag = Drag::None;
    update();
    event->accept();
}

void SpanSlider::keyPressEvent(QKeyEvent* event)
{
    const int current = valueOf(m_active);
    int target = current;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        target = current - singleStep();
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        target = current + singleStep();
        break;
    case Qt::Key_PageDown:
        target = current - pageStep();
        break;
    case Qt::Key_PageUp:
        target = current + pageStep();
        break;
    case Qt::Key_Home:
        target = minimum();
        break;
    case Qt::Key_End:
        target = maximum();
        break;
    case Qt::Key_Space:
        m_active = m_active == Handle::Lower ? Handle::Upper : Handle::Lower;
        update();
        event->accept();
        return;
    default:
        // Not QSlider's handling, which would move the single value this slider does not use:
        // the parent may have a use for the key.
        event->ignore();
        return;
    }
    moveHandle(m_active, target);
    event->accept();
}

void SpanSlider::wheelEvent(QWheelEvent* event)
{
    // Which handle a wheel should turn is anyone's guess; the view around gets the scroll.
    event->ignore();
}
