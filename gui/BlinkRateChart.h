#pragma once

#include <QDateTime>
#include <QFont>
#include <QLineF>
#include <QMetaObject>
#include <QPen>
#include <QPoint>
#include <QString>
#include <QVector>
#include <utility>

class QCPItemLine;
class QCPItemText;
class QCustomPlot;

// What the main page's plot and the statistics window draw alike on a QCustomPlot: the blink
// rates as a line of circles at keys 0, 1, ... and a dashed "healthy" line at 10 blinks per
// minute with its label. Each window keeps its own axes' spacing, texts and tooltips.
class BlinkRateChart
{
public:
    // The words of a point's tooltip, translated by the window that shows it.
    struct PointWords
    {
        QString blinkRate;    // "Blink rate:"
        QString perMinute;    // "blinks per minute"
        QString duration;     // "Average blink duration:"
        QString milliseconds; // "milliseconds"
    };

    // Sets the fonts and the axes both windows share, adds the healthy items and graph 0.
    explicit BlinkRateChart(QCustomPlot* plot);
    ~BlinkRateChart();
    BlinkRateChart(const BlinkRateChart&) = delete;
    BlinkRateChart& operator=(const BlinkRateChart&) = delete;

    void setHealthyText(const QString& text);
    // Draws the run; an empty run leaves the drawing as it was. Does not replot.
    void draw(const QVector<double>& rates);
    // No points, the axes as before the first run.
    void clear();

    // 0 to 12, or to 2 above a rate that passes the top; below 0 only for negative rates.
    static std::pair<double, double> valueRange(const QVector<double>& rates);

    // The point nearest to a pixel, at most reach pixels away; -1 when there is none. Looks only
    // at the keys in reach, so it costs the same for a run of ten and of fifty thousand.
    int pointNear(const QPointF& pixel, double reach = kHoverReach) const;
    // How near the pointer must come to a point to show its details, in pixels: a box in plot
    // units would be a sliver that rates of 20 and more leave nearly impossible to hit.
    static constexpr double kHoverReach = 8.0;
    QPoint pointPixel(int index) const; // in the plot's coordinates

    int pointCount() const;
    bool markersShown() const;
    std::pair<double, double> yRange() const;
    QLineF healthyLine() const; // in plot coordinates

    // "d. MMM yyyy h:mm" in the default locale; empty for an unreadable date-time.
    static QString dateLabel(const QDateTime& dateTime);
    static QString pointText(const QString& dateLabel, double rate, int length,
                             const PointWords& words);

private:
    // Markers where the points lie far enough apart for one each. A denser run is drawn as its
    // line alone: the markers would merge into a band, and drawing them would cost a frame.
    void fitToWidth();

    QCustomPlot* m_plot;
    QCPItemText* m_healthyText = nullptr;
    QCPItemLine* m_healthyLine = nullptr;
    QFont m_font;
    QPen m_linePen;
    QMetaObject::Connection m_beforeReplot;
};
