#pragma once

#include <QColor>
#include <QSlider>

class QStyleOptionSlider;

// A slider with two handles that choose a span [lower, upper] of its range. The handles may meet
// but never cross. It is styled like any QSlider (groove and handle from the style sheet); the
// groove between the handles is filled with the span colour.
//
// Mouse: a press on a handle drags it; a press elsewhere on the groove brings the nearer handle
// there. Keyboard: the arrows, Page Up/Down, Home and End move the active handle (the one last
// pressed; the lower one at first); Space makes the other handle the active one.
//
// spanChanged() comes once for each change of the span, however many values changed at once,
// and never when a call leaves the span as it was.
class SpanSlider : public QSlider
{
    Q_OBJECT
    Q_PROPERTY(QColor spanColour READ spanColour WRITE setSpanColour)

public:
    enum class Handle
    {
        Lower,
        Upper
    };

    explicit SpanSlider(QWidget* parent = nullptr);
    explicit SpanSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

    int lowerValue() const { return m_lower; }
    int upperValue() const { return m_upper; }
    Handle activeHandle() const { return m_active; }
    QColor spanColour() const { return m_spanColour; }

    // Where a handle is drawn, in widget coordinates.
    QRect handleRect(Handle handle) const;

public slots:
    // Swapped when lower > upper; both are kept inside the range.
    void setSpan(int lower, int upper);
    // Stops at the other handle.
    void setLowerValue(int lower);
    void setUpperValue(int upper);
    void setSpanColour(const QColor& colour);

signals:
    void spanChanged(int lower, int upper);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void sliderChange(SliderChange change) override;

private:
    enum class Drag
    {
        None,
        Lower,
        Upper,
        Either // both handles lie under the press; the first move decides
    };

    void applySpan(int lower, int upper);
    void moveHandle(Handle handle, int value);
    int valueOf(Handle handle) const;
    QStyleOptionSlider optionAt(int value) const;
    int along(const QPoint& point) const;
    int valueAtPixel(int pixel) const;

    int m_lower = 0;
    int m_upper = 0;
    Handle m_active = Handle::Lower;
    Drag m_drag = Drag::None;
    int m_dragOffset = 0; // from the press to the dragged handle's start, along the groove
    int m_pressAlong = 0; // where a press on both handles started
    QColor m_spanColour;
};
