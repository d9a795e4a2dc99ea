#pragma once

#include <QColor>
#include <QObject>
#include <QRect>

class QWidget;

// A soft drop shadow under a widget, painted by its parent. It looks like
// QGraphicsDropShadowEffect (blur radius 5, offset (1, 1)) but costs nothing when something
// inside the widget changes: an effect renders the widget's whole subtree again, blurred, on
// every update of any child, which a plot that redraws at every slider step cannot afford.
class PaintedShadow : public QObject
{
    Q_OBJECT

public:
    // Owned by widget; widget must have a parent.
    explicit PaintedShadow(QWidget* widget);

    QRect shadowRect() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint();

    QWidget* m_widget;
    QRect m_painted; // where the shadow was last painted, in the parent's coordinates
};
