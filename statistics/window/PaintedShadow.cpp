#include "PaintedShadow.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <cmath>

namespace {

constexpr int kBlurRadius = 5;
constexpr double kSigma = kBlurRadius / 2.0; // how far the blur of that radius spreads an edge
constexpr double kCorner = 2.0;              // the widgets' corner radius
const QPoint kOffset(1, 1);

// QGraphicsDropShadowEffect's own colour.
QColor shadowColour()
{
    return {63, 63, 63, 180};
}

} // namespace

PaintedShadow::PaintedShadow(QWidget* widget) : QObject(widget), m_widget(widget)
{
    m_widget->installEventFilter(this);
    m_widget->parentWidget()->installEventFilter(this);
}

QRect PaintedShadow::shadowRect() const
{
    return m_widget->geometry().translated(kOffset).adjusted(-kBlurRadius, -kBlurRadius,
                                                             kBlurRadius, kBlurRadius);
}

bool PaintedShadow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_widget->parentWidget() && event->type() == QEvent::Paint) {
        // Over the parent's background, which is painted before its paint event, and under the
        // widget, which is painted after its parent.
        paint();
    } else if (watched == m_widget &&
               (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        // The shadow reaches past the widget: where it was and where it goes are the parent's.
        m_widget->parentWidget()->update(m_painted | shadowRect());
    }
    return QObject::eventFilter(watched, event);
}

void PaintedShadow::paint()
{
    if (!m_widget->isVisible()) {
        return;
    }
    m_painted = shadowRect();
    QPainter painter(m_widget->parentWidget());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF core = QRectF(m_widget->geometry()).translated(kOffset);
    const QColor colour = shadowColour();
    // A blurred edge: the strength a Gaussian blur leaves at each distance from the edge, one
    // ring of a pixel at a time, each a frame around the widget so that the rings do not add up.
    const auto ringColour = [&colour](double distance) {
        QColor ring = colour;
        ring.setAlphaF(colour.alphaF() * 0.5 * std::erfc(distance / (kSigma * std::sqrt(2.0))));
        return ring;
    };
    for (int ring = 0; ring < kBlurRadius; ++ring) {
        const double outer = ring + 1.0;
        const double inner = ring;
        QPainterPath frame;
        frame.addRoundedRect(core.adjusted(-outer, -outer, outer, outer), kCorner + outer,
                             kCorner + outer);
        QPainterPath hole;
        hole.addRoundedRect(core.adjusted(-inner, -inner, inner, inner), kCorner + inner,
                            kCorner + inner);
        painter.fillPath(frame.subtracted(hole), ringColour(ring + 0.5));
    }
    // Under the widget; its offset leaves a pixel of it in sight at the right and bottom.
    QPainterPath inside;
    inside.addRoundedRect(core, kCorner, kCorner);
    painter.fillPath(inside, ringColour(-0.5));
}
