#include "BlinkRateChart.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <qcustomplot.h>

namespace {

constexpr double kHealthyRate = 10.0;  // blinks per minute
constexpr double kMinimumTop = 12.0;   // the y axis never ends below this
constexpr double kHeadroom = 2.0;      // over a rate that passes the top
constexpr double kHealthyTextX = 0.1;  // just right of the first measurement
constexpr double kLineOverhang = 10.0; // the healthy line reaches past both ends of the data
constexpr double kSideRoom = 0.04;     // of the x range on each side
constexpr double kMarkerSize = 7.0;    // px
constexpr double kLineWidth = 1.5;     // px
constexpr double kDenseLineWidth = 1.0;
constexpr double kMarkerSpacing = 4.0; // px between points, at least, for markers
constexpr const char* kDateFormat = "d. MMM yyyy h:mm";
const QString kOverLayer = QStringLiteral("over measurements");
const QString kUnderLayer = QStringLiteral("under measurements");

QColor graphColour()
{
    return {0, 202, 255};
}

QColor healthyColour()
{
    return {152, 200, 0};
}

QPen graphPen(double width)
{
    QPen pen(graphColour());
    pen.setWidthF(width);
    return pen;
}

} // namespace

BlinkRateChart::BlinkRateChart(QCustomPlot* plot)
    : m_plot(plot), m_font(QStringLiteral("Roboto"), 11), m_linePen(healthyColour())
{
    m_linePen.setDashPattern({10, 10});

    m_plot->setFont(m_font);
    for (QCPAxis* axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setLabelFont(m_font);
        axis->setSelectedLabelFont(m_font);
        axis->setTickLabelFont(m_font);
        axis->setSelectedTickLabelFont(m_font);
        axis->setAntialiased(true);
        // One logical pixel instead of the default hairline, which falls between two device
        // pixels on a scaled screen and turns into a grey smear.
        axis->setBasePen(QPen(Qt::black, 1.0));
        axis->setTickLength(0, 0);
        axis->grid()->setVisible(false);
    }
    m_plot->yAxis->setLabelPadding(6);
    m_plot->yAxis->setPadding(9);
    m_plot->yAxis->setSubTicks(false);
    m_plot->xAxis->setTicks(false);
    // Until the first run arrives the empty plot still shows where healthy is.
    m_plot->yAxis->setRange(0.0, kMinimumTop);

    m_healthyText = new QCPItemText(m_plot);
    m_healthyText->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_healthyText->position->setCoords(kHealthyTextX, kHealthyRate);
    m_healthyText->setFont(m_font);
    m_healthyText->setBrush(QBrush(Qt::white));
    m_healthyText->setColor(healthyColour());
    // Keeps the descender of the "y" off the line.
    m_healthyText->setPadding(QMargins(0, 0, 0, 2));

    m_healthyLine = new QCPItemLine(m_plot);
    m_healthyLine->setPen(m_linePen);
    // y = 10 rarely falls on a pixel row; smoothed, the line would smear over two pale rows.
    m_healthyLine->setAntialiased(false);
    m_healthyLine->start->setCoords(-1.0, kHealthyRate);
    m_healthyLine->end->setCoords(10.0, kHealthyRate);

    // The line over the measurements, so that it shows through a dense run. Its label goes
    // under a few measurements, where its white box would cut their line, and over a dense run,
    // which would hide it (fitToWidth()).
    QCPLayer* main = m_plot->layer(QStringLiteral("main"));
    m_plot->addLayer(kOverLayer, main, QCustomPlot::limAbove);
    m_plot->addLayer(kUnderLayer, main, QCustomPlot::limBelow);
    m_healthyLine->setLayer(kOverLayer);
    m_healthyText->setLayer(kUnderLayer);

    QCPGraph* graph = m_plot->addGraph();
    const QPen pen = graphPen(kLineWidth);
    graph->setPen(pen);
    graph->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, pen, QBrush(graphColour()), kMarkerSize));
    graph->setLineStyle(QCPGraph::lsLine);
    // Before each replot, also the one a resize brings.
    m_beforeReplot =
        QObject::connect(m_plot, &QCustomPlot::beforeReplot, m_plot, [this] { fitToWidth(); });
}

BlinkRateChart::~BlinkRateChart()
{
    QObject::disconnect(m_beforeReplot);
}

void BlinkRateChart::fitToWidth()
{
    QCPGraph* graph = m_plot->graph(0);
    // The layout of this replot is not made yet; the margins around the axes stay as they were.
    const QCPAxisRect* axes = m_plot->axisRect();
    const int margins = axes->outerRect().width() - axes->width();
    const double width = std::max(1, m_plot->viewport().width() - margins);
    const bool markers = graph->dataCount() <= 1 || width / graph->dataCount() >= kMarkerSpacing;
    if (markers == markersShown()) {
        return;
    }
    const QPen pen = graphPen(markers ? kLineWidth : kDenseLineWidth);
    graph->setScatterStyle(markers ? QCPScatterStyle(QCPScatterStyle::ssCircle, pen,
                                                     QBrush(graphColour()), kMarkerSize)
                                   : QCPScatterStyle(QCPScatterStyle::ssNone));
    // Separate, plain, one-pixel segments are many times quicker than one smoothed path of a
    // wider pen; where the points are this dense, joins, edges and width cannot be told apart.
    graph->setPen(pen);
    m_plot->setPlottingHint(QCP::phFastPolylines, !markers);
    graph->setAntialiased(markers);
    m_healthyText->setLayer(markers ? kUnderLayer : kOverLayer);
}

bool BlinkRateChart::markersShown() const
{
    return m_plot->graph(0)->scatterStyle().shape() != QCPScatterStyle::ssNone;
}

void BlinkRateChart::setHealthyText(const QString& text)
{
    m_healthyText->setText(text);
}

std::pair<double, double> BlinkRateChart::valueRange(const QVector<double>& rates)
{
    double top = kMinimumTop;
    double lowest = 0.0;
    for (const double rate : rates) {
        if (rate > top) {
            top = rate + kHeadroom;
        }
        lowest = std::min(lowest, rate);
    }
    // A negative rate only comes from a damaged file; shown, it does not hide below the axis.
    return {lowest < 0.0 ? lowest - kHeadroom : 0.0, top};
}

void BlinkRateChart::draw(const QVector<double>& rates)
{
    if (rates.isEmpty()) {
        return;
    }
    QVector<double> keys(rates.size());
    std::iota(keys.begin(), keys.end(), 0.0);
    m_plot->graph(0)->setData(keys, rates, true);

    const std::pair<double, double> range = valueRange(rates);
    m_plot->yAxis->setRange(range.first, range.second);
    // Fitted to the data with a little room, so the end points are drawn whole and can be hovered
    // at their centre (the plot only looks for points inside its axes); one point sits in the
    // middle.
    const double last = rates.size() - 1;
    const double room = rates.size() > 1 ? last * kSideRoom : 1.0;
    m_plot->xAxis->setRange(-room, last + room);
    m_healthyLine->start->setCoords(-kLineOverhang, kHealthyRate);
    m_healthyLine->end->setCoords(rates.size() + kLineOverhang, kHealthyRate);
}

void BlinkRateChart::clear()
{
    m_plot->graph(0)->data()->clear();
    m_plot->yAxis->setRange(0.0, kMinimumTop);
}

int BlinkRateChart::pointNear(const QPointF& pixel, double reach) const
{
    const QCPGraphDataContainer& data = *m_plot->graph(0)->data();
    if (data.isEmpty()) {
        return -1;
    }
    // Keys are the points' own indices, so the keys in reach give the candidates at once.
    const double left = m_plot->xAxis->pixelToCoord(pixel.x() - reach);
    const double right = m_plot->xAxis->pixelToCoord(pixel.x() + reach);
    const int last = data.size() - 1;
    const int first = std::max(0, static_cast<int>(std::ceil(std::min(left, right))));
    const int end = std::min(last, static_cast<int>(std::floor(std::max(left, right))));
    int nearest = -1;
    double nearestDistance = reach * reach;
    for (int i = first; i <= end; ++i) {
        const QPointF at(m_plot->xAxis->coordToPixel(data.at(i)->key),
                         m_plot->yAxis->coordToPixel(data.at(i)->value));
        const QPointF offset = at - pixel;
        const double distance = QPointF::dotProduct(offset, offset);
        if (distance <= nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return nearest;
}

QPoint BlinkRateChart::pointPixel(int index) const
{
    const QCPGraph* graph = m_plot->graph(0);
    if (index < 0 || index >= graph->dataCount()) {
        return {};
    }
    const auto point = graph->data()->at(index);
    return QPointF(m_plot->xAxis->coordToPixel(point->key),
                   m_plot->yAxis->coordToPixel(point->value))
        .toPoint();
}

int BlinkRateChart::pointCount() const
{
    return m_plot->graph(0)->dataCount();
}

std::pair<double, double> BlinkRateChart::yRange() const
{
    return {m_plot->yAxis->range().lower, m_plot->yAxis->range().upper};
}

QLineF BlinkRateChart::healthyLine() const
{
    return {m_healthyLine->start->coords(), m_healthyLine->end->coords()};
}

QString BlinkRateChart::dateLabel(const QDateTime& dateTime)
{
    return dateTime.isValid() ? QLocale().toString(dateTime, QLatin1String(kDateFormat))
                              : QString();
}

QString BlinkRateChart::pointText(const QString& dateLabel, double rate, int length,
                                  const PointWords& words)
{
    return dateLabel + QLatin1Char('\n') + words.blinkRate + QLatin1Char(' ') +
           QLocale().toString(rate, 'g', 6) + QLatin1Char(' ') + words.perMinute +
           QLatin1Char('\n') + words.duration + QLatin1Char(' ') + QString::number(length) +
           QLatin1Char(' ') + words.milliseconds;
}
