#pragma once

#include <QDateTime>
#include <QLineF>
#include <QVector>
#include <QWidget>
#include <memory>
#include <optional>
#include <utility>

class BlinkRateChart;
class QCustomPlot;
class QMouseEvent;

// The main page's small plot of the latest blink-rate measurements: one point per measurement, a
// dashed "healthy" line at 10 blinks per minute, a tooltip per point, and a press anywhere that
// asks for the full statistics. QCustomPlot stays an implementation detail of this widget.
class BlinkRatePlot : public QWidget
{
    Q_OBJECT

public:
    explicit BlinkRatePlot(QWidget* parent = nullptr);
    ~BlinkRatePlot() override;

    // Keeps the history (one length and date per rate), draws it and returns the average of
    // min(rate, 10). An empty history is kept too, but leaves the drawing as it was and has no
    // average.
    std::optional<float> setHistory(const QVector<double>& rates, const QVector<int>& lengths,
                                    const QVector<QDateTime>& dates);
    // Date labels in the current default locale, texts in the current language; also done on
    // every LanguageChange event.
    void updateLanguage();

    // What is drawn, for tests.
    int pointCount() const;
    std::pair<double, double> yRange() const;
    QLineF healthyLine() const; // in plot coordinates
    QPoint pointPosition(int index) const;
    QString pointToolTip(int index) const; // empty when there is no such measurement

signals:
    void pressed();

protected:
    void changeEvent(QEvent* event) override;

private slots:
    void plotMouseOver(QMouseEvent* event);

private:
    void setupPlot();
    void retranslatePlot();
    void drawHealthPlot(const QVector<double>& rates);
    void rebuildDateLabels();

    QCustomPlot* m_plot;
    std::unique_ptr<BlinkRateChart> m_chart;
    QVector<double> m_rates;
    QVector<int> m_lengths;
    QVector<QDateTime> m_dates;
    QVector<QString> m_dateLabels;
};
