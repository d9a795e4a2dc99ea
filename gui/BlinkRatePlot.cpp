#include "BlinkRatePlot.h"

#include "BlinkRateChart.h"

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
constexpr int kHistoryHintOffset = 80; // px left of the pointer

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

BlinkRatePlot::~BlinkRatePlot() = default;

void BlinkRatePlot::setupPlot()
{
    m_chart = std::make_unique<BlinkRateChart>(m_plot);
    m_plot->xAxis->setLabelPadding(9);
    m_plot->xAxis->setPadding(9);
    retranslatePlot();
}

void BlinkRatePlot::retranslatePlot()
{
    // Tick labels in the language's own numbers (7,5 rather than 7.5).
    m_plot->setLocale(QLocale());
    m_plot->xAxis->setLabel(QCoreApplication::translate("WinkwellGUI", "Measurements"));
    m_plot->yAxis->setLabel(QCoreApplication::translate("WinkwellGUI", "Blinks per minute"));
    m_chart->setHealthyText(QCoreApplication::translate("WinkwellGUI", "healthy"));
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
    m_chart->draw(rates);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void BlinkRatePlot::plotMouseOver(QMouseEvent* event)
{
    QCPAbstractPlottable* plottable = m_plot->plottableAt(event->localPos());
    if (plottable == nullptr) {
        QToolTip::hideText();
        return;
    }
    if (qobject_cast<QCPGraph*>(plottable) == nullptr) {
        return;
    }
    const int point = m_chart->pointNear(event->localPos());
    if (point >= 0) {
        const int index = std::min(point, m_rates.size() - 1);
        if (!m_rates.isEmpty() && index >= 0) {
            QToolTip::showText(event->globalPos(), pointToolTip(index), m_plot, m_plot->rect());
        } else {
            QToolTip::hideText();
        }
        return;
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
    const BlinkRateChart::PointWords words{
        QCoreApplication::translate("WinkwellGUI", "Blink rate:"),
        QCoreApplication::translate("WinkwellGUI", "blinks per minute"),
        QCoreApplication::translate("WinkwellGUI", "Average blink duration:"),
        QCoreApplication::translate("WinkwellGUI", "milliseconds")};
    return BlinkRateChart::pointText(m_dateLabels.value(index), m_rates[index],
                                     m_lengths.value(index), words);
}

void BlinkRatePlot::rebuildDateLabels()
{
    m_dateLabels.clear();
    m_dateLabels.reserve(m_dates.size());
    for (const QDateTime& date : m_dates) {
        m_dateLabels.append(BlinkRateChart::dateLabel(date));
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
    return m_chart->pointCount();
}

std::pair<double, double> BlinkRatePlot::yRange() const
{
    return m_chart->yRange();
}

QLineF BlinkRatePlot::healthyLine() const
{
    return m_chart->healthyLine();
}

QPoint BlinkRatePlot::pointPosition(int index) const
{
    if (index < 0 || index >= m_chart->pointCount()) {
        return {};
    }
    return m_plot->mapTo(this, m_chart->pointPixel(index));
}
