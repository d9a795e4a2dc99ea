#pragma once

#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QVector>
#include <QWidget>
#include <memory>

class BlinkRateChart;
class QMouseEvent;

namespace Ui {
class widgetStatistics;
}

// The statistics window: the blink rates of a run of consecutive measurements against the
// healthy line, the first and last date, the details of the point under the mouse, a span
// slider that asks the measurement store for another run, export and "DELETE HISTORY". It keeps
// only the run it was last sent; the store holds the history. Hidden until a run arrives.
class WidgetStatistics : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetStatistics(QWidget* parent = nullptr);
    ~WidgetStatistics() override;

    // Day, long month name and year in the default locale ("4 March 2021").
    static QString dateToString(const QDateTime& dateTime);

signals:
    void deleteHistory();
    void sliderIntervalChanged(int start, int end);
    // The user chose where the whole history goes as CSV.
    void historyExportRequested(QString path);

public slots:
    // measurementSize is the number of stored measurements; the run is a slice of them.
    void updateStatistics(QVector<double> blinkRates, QVector<int> blinkLengths,
                          QVector<QDateTime> dateTimes, int measurementSize);
    // error is empty when the file was written.
    void showExportResult(QString path, QString error);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void on_toolButtonMaximize_clicked();
    void on_toolButtonClose_clicked();
    void plotMouseOver(QMouseEvent* event);
    void on_spanSlider_spanChanged(int lower, int upper);
    void on_pushButton_clicked();
    void on_pushButtonExport_clicked();

private:
    void redrawPlot();
    void retranslatePlot();
    void clearRun();
    void resetAxes();
    QString dateLabel(int index) const;
    QString pointToolTip(int index) const;

    std::unique_ptr<Ui::widgetStatistics> m_ui;
    std::unique_ptr<BlinkRateChart> m_chart;
    QVector<double> m_blinkRates;
    QVector<int> m_blinkLengths;
    QVector<QDateTime> m_dateTimes;
    // Where a press on the title bar started, in window coordinates; null when no drag is on.
    QPoint m_dragAnchor;
};
