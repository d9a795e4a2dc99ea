#include "BlinkRatePlot.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <qcustomplot.h>

// The texts are translated in the main window's context, with the rest of its page; lupdate needs
// the context spelled out in each call.

namespace {

constexpr double kHealthyRate = 10.0;  // blinks per minute
constexpr double kMinimumTop = 12.0;   // the y axis never ends below this
constexpr double kHeadroom = 2.0;      // over a rate that passes the top
constexpr double kHoverReach = 0.5;    // in plot units, on both axes
constexpr int kHistoryHintOffset = 80; // px left of the pointer
constexpr double kHealthyTextX = 0.1;  // just right of the first measurement
constexpr double kLineOverhang = 10.0; // the healthy line reaches past both ends of the data
constexpr double kSideRoom = 0.04;     // of the x range on each side
constexpr const char* kDateFormat = "d. MMM yyyy h:mm";

QColor graphColour()
{
    return {0, 202, 255};
}

QColor healthyColour()
{
    return {152, 200, 0};
}

} // namespace

BlinkRatePlot::BlinkRatePlot(QWidget* parent) : QWidget(parent), m_plot(new QCustomPlot(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    setupPlot();
    connect(m_plot, &QCustomPlot::mouseMove, this, &BlinkRatePlot::plotMouseOver);
    connect(m_plot, &QCustomPlot::mousePress, this, &BlinkRatePlot::pressed);
}

void BlinkRatePlot::setupPlot()
{
    m_plotFont = QFont(QStringLiteral("Roboto"), 11);
    m_linePen = QPen(healthyColour());
    m_linePen.setDashPattern({10, 10});

    m_plot->setFont(m_plotFont);
    for (QCPAxis* axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setLabelFont(m_plotFont);
        axis->setSelectedLabelFont(m_plotFont);
        axis->setTickLabelFont(m_plotFont);
        axis->setSelectedTickLabelFont(m_plotFont);
        axis->setAntialiased(true);
        // One logical pixel instead of the default hairline, which falls between two device
        // pixels on a scaled screen and turns into a grey smear.
        axis->setBasePen(QPen(Qt::black, 1.0));
        axis->setPadding(9);
        axis->grid()->setVisible(false);
    }
    m_plot->xAxis->setLabelPadding(9);
    m_plot->yAxis->setLabelPadding(6);
    m_plot->yAxis->setTickLength(0, 0);
    m_plot->yAxis->setSubTicks(false);
    m_plot->xAxis->setTicks(false);
    // Until the first history arrives the empty plot still shows where healthy is.
    m_plot->yAxis->setRange(0.0, kMinimumTop);

    m_healthyText = new QCPItemText(m_plot);
    m_healthyText->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_healthyText->position->setCoords(kHealthyTextX, kHealthyRate);
    m_healthyText->setFont(m_plotFont);
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

    m_plot->addGraph();
    retranslatePlot();
}

void BlinkRatePlot::retranslatePlot()
{
    m_plot->xAxis->setLabel(QCoreApplication::translate("WinkwellGUI", "Measurements"));
    m_plot->yAxis->setLabel(QCoreApplication::translate("WinkwellGUI", "Blinks per minute"));
    m_healthyText->setText(QCoreApplication::translate("WinkwellGUI", "healthy"));
}

std::optional<float> BlinkRatePlot::setHistory(const QVector<double>& rates,
                                               const QVector<int>& lengths,
                                               const QVector<QDateTime>& dates)
{
    m_rates = rates;
    m_lengths = lengths;
    m_dates = dates;
    rebuildDateLabels();
    if (rates.isEmpty()) {
        return std::nullopt;
    }
    // Rates above healthy count as healthy: a high measurement cannot make up for low ones.
    float sum = 0.0F;
    for (const double rate : rates) {
        sum += static_cast<float>(std::min(rate, kHealthyRate));
    }
    drawHealthPlot(rates);
    return sum / static_cast<float>(rates.size());
}

void BlinkRatePlot::drawHealthPlot(const QVector<double>& rates)
{
    if (rates.isEmpty()) {
        return;
    }
    QVector<double> keys(rates.size());
    double top = kMinimumTop;
    for (int i = 0; i < rates.size(); ++i) {
        keys[i] = i;
        if (rates[i] > top) {
            top = rates[i] + kHeadroom;
        }
    }

    QCPGraph* graph = m_plot->graph(0);
    graph->setData(keys, rates, true);
    QPen pen(graphColour());
    pen.setWidthF(1.5);
    graph->setPen(pen);
    graph->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, pen, QBrush(graphColour()), 7.0));
    graph->setLineStyle(QCPGraph::lsLine);

    m_plot->yAxis->setRange(0.0, top);
    // Fitted to the data with a little room, so the end points are drawn whole and can be hovered
    // at their centre (the plot only looks for points inside its axes); one point sits in the
    // middle.
    const double last = rates.size() - 1;
    const double room = rates.size() > 1 ? last * kSideRoom : 1.0;
    m_plot->xAxis->setRange(-room, last + room);
    m_healthyLine->start->setCoords(-kLineOverhang, kHealthyRate);
    m_healthyLine->end->setCoords(rates.size() + kLineOverhang, kHealthyRate);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void BlinkRatePlot::plotMouseOver(QMouseEvent* event)
{
    QCPAbstractPlottable* plottable = m_plot->plottableAt(event->localPos());
    if (plottable == nullptr) {
        QToolTip::hideText();
        return;
    }
    const double x = m_plot->xAxis->pixelToCoord(event->localPos().x());
    const double y = m_plot->yAxis->pixelToCoord(event->localPos().y());
    const auto* graph = qobject_cast<QCPGraph*>(plottable);
    if (graph == nullptr) {
        return;
    }
    const QCPGraphDataContainer& data = *graph->data();
    for (auto point = data.constBegin(); point != data.constEnd(); ++point) {
        if (qAbs(point->key - x) < kHoverReach && qAbs(point->value - y) < kHoverReach) {
            const int index = std::min(static_cast<int>(point->key), m_rates.size() - 1);
            if (!m_rates.isEmpty() && index >= 0) {
                QToolTip::showText(event->globalPos(), pointToolTip(index), m_plot, m_plot->rect());
            } else {
                QToolTip::hideText();
            }
            return;
        }
    }
    // On the line but between points: a click there opens the statistics window.
    QToolTip::hideText();
    QToolTip::showText(event->globalPos() - QPoint(kHistoryHintOffset, 0),
                       QCoreApplication::translate("WinkwellGUI", "Open history"), m_plot,
                       m_plot->rect());
}

QString BlinkRatePlot::pointToolTip(int index) const
{
    if (index < 0 || index >= m_rates.size()) {
        return {};
    }
    return m_dateLabels.value(index) + QLatin1Char('\n') +
           QCoreApplication::translate("WinkwellGUI", "Blink rate:") + QLatin1Char(' ') +
           QString::number(m_rates[index], 'g', 6) + QLatin1Char(' ') +
           QCoreApplication::translate("WinkwellGUI", "blinks per minute") + QLatin1Char('\n') +
           QCoreApplication::translate("WinkwellGUI", "Average blink duration:") +
           QLatin1Char(' ') + QString::number(m_lengths.value(index)) + QLatin1Char(' ') +
           QCoreApplication::translate("WinkwellGUI", "milliseconds");
}

void BlinkRatePlot::rebuildDateLabels()
{
    const QLocale locale;
    m_dateLabels.clear();
    m_dateLabels.reserve(m_dates.size());
    for (const QDateTime& date : m_dates) {
        m_dateLabels.append(locale.toString(date, QLatin1String(kDateFormat)));
    }
}

void BlinkRatePlot::updateLanguage()
{
    rebuildDateLabels();
    retranslatePlot();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void BlinkRatePlot::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        updateLanguage();
    }
    QWidget::changeEvent(event);
}

int BlinkRatePlot::pointCount() const
{
    return m_plot->graph(0)->dataCount();
}

std::pair<double, double> BlinkRatePlot::yRange() const
{
    return {m_plot->yAxis->range().lower, m_plot->yAxis->range().upper};
}

QLineF BlinkRatePlot::healthyLine() const
{
    return {m_healthyLine->start->coords(), m_healthyLine->end->coords()};
}

QPoint BlinkRatePlot::pointPosition(int index) const
{
    const QCPGraph* graph = m_plot->graph(0);
    if (index < 0 || index >= graph->dataCount()) {
        return {};
    }
    const auto point = graph->data()->at(index);
    const QPointF pixel(m_plot->xAxis->coordToPixel(point->key),
                        m_plot->yAxis->coordToPixel(point->value));
    return m_plot->mapTo(this, pixel.toPoint());
}
