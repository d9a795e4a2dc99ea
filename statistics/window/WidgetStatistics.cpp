#include "WidgetStatistics.h"

#include "PaintedShadow.h"
#include "gui/BlinkRateChart.h"
#include "ui_WidgetStatistics.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QThread>
#include <QToolTip>
#include <algorithm>
#include <qcustomplot.h>

namespace {

// Around a marker, in pixels: plot units would shrink to a sliver on a tall rate axis.
constexpr int kToolTipShift = 80; // px left of the pointer
constexpr double kStartTop = 12.0;
constexpr int kOuterMargin = 9;

const char* const kNormalButton =
    "QToolButton{border-image: url(:/icons/max.svg) 0 0 0 0 stretch stretch;height:1em;"
    "width:1em;}QToolButton:hover {border-image: url(:/icons/max-dark.svg) 0 0 0 0 stretch "
    "stretch;}";
const char* const kMaximizedButton =
    "QToolButton{border-image: url(:/icons/normal.svg) 0 0 0 0 stretch stretch;height:1em;"
    "width:1em;}QToolButton:hover {border-image: url(:/icons/normal-dark.svg) 0 0 0 0 stretch "
    "stretch;}";

} // namespace

WidgetStatistics::WidgetStatistics(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::widgetStatistics>())
{
    m_ui->setupUi(this);
    qDebug() << "SG::SGui thread id" << QThread::currentThreadId();
    m_ui->spanSlider->setMouseTracking(true);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    QCustomPlot* plot = m_ui->customPlot;
    m_chart = std::make_unique<BlinkRateChart>(plot);
    plot->xAxis->setLabelPadding(0);
    plot->xAxis->setPadding(0);
    resetAxes();

    for (QWidget* shadowed :
         {m_ui->widgetTitleBarForShadow, m_ui->widgetApplication, m_ui->widgetGraph}) {
        new PaintedShadow(shadowed);
    }

    SpanSlider* slider = m_ui->spanSlider;
    slider->setRange(0, 0);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setSpanColour(QColor(152, 200, 0));
    connect(plot, &QCustomPlot::mouseMove, this, &WidgetStatistics::plotMouseOver);
    retranslatePlot();
}

WidgetStatistics::~WidgetStatistics()
{
    qDebug() << "SGui: destructor";
}

void WidgetStatistics::resetAxes()
{
    m_ui->customPlot->xAxis->setRange(0.0, kStartTop);
    m_ui->customPlot->yAxis->setRange(0.0, kStartTop);
}

void WidgetStatistics::retranslatePlot()
{
    // Tick labels in the language's own numbers (7,5 rather than 7.5).
    m_ui->customPlot->setLocale(QLocale());
    m_ui->customPlot->yAxis->setLabel(tr("Blinks per minute (bpm)"));
    m_chart->setHealthyText(tr("healthy"));
}

void WidgetStatistics::updateStatistics(QVector<double> blinkRates, QVector<int> blinkLengths,
                                        QVector<QDateTime> dateTimes, int measurementSize)
{
    if (blinkRates.isEmpty()) {
        return;
    }
    const int runSize = blinkRates.size();
    // After a deletion the slider offers nothing; the first run after it places it again.
    const bool fresh = isHidden() || m_blinkRates.isEmpty();
    m_blinkRates = std::move(blinkRates);
    m_blinkLengths = std::move(blinkLengths);
    m_dateTimes = std::move(dateTimes);
    // Labels are made for what is shown, not for every measurement of a long run.
    m_ui->labelStartDate->setText(m_dateTimes.isEmpty() ? QString()
                                                        : dateToString(m_dateTimes.first()));
    m_ui->labelEndDate->setText(m_dateTimes.isEmpty() ? QString()
                                                      : dateToString(m_dateTimes.last()));
    redrawPlot();

    SpanSlider* slider = m_ui->spanSlider;
    if (fresh) {
        show();
        // One position past the last index: the store ends each run at the last measurement.
        slider->setMaximum(measurementSize);
        slider->setSpan(measurementSize - runSize, measurementSize);
    } else if (slider->maximum() != measurementSize) {
        // Measurements came or went while the window was open; the handles stay where they are
        // unless the range has shrunk under them.
        slider->setMaximum(measurementSize);
    }
}

void WidgetStatistics::redrawPlot()
{
    m_chart->draw(m_blinkRates);
    // Queued: a slider dragged across years sends runs faster than frames are shown.
    m_ui->customPlot->replot(QCustomPlot::rpQueuedReplot);
}

void WidgetStatistics::clearRun()
{
    m_blinkRates.clear();
    m_blinkLengths.clear();
    m_dateTimes.clear();
    m_chart->clear();
    resetAxes();
    m_ui->labelStartDate->clear();
    m_ui->labelEndDate->clear();
    // Nothing is left to choose from; the store hears of the deletion itself.
    const QSignalBlocker quiet(m_ui->spanSlider);
    m_ui->spanSlider->setRange(0, 0);
    m_ui->customPlot->replot(QCustomPlot::rpQueuedReplot);
}

QString WidgetStatistics::dateToString(const QDateTime& dateTime)
{
    if (!dateTime.isValid()) {
        return tr("unknown date");
    }
    const QDate date = dateTime.date();
    return tr("%1 %2 %3", "day of the month, month name, year")
        .arg(date.day())
        .arg(QLocale().monthName(date.month(), QLocale::LongFormat))
        .arg(date.year());
}

QString WidgetStatistics::dateLabel(int index) const
{
    const QString label = BlinkRateChart::dateLabel(m_dateTimes.value(index));
    return label.isEmpty() ? tr("unknown date") : label;
}

QString WidgetStatistics::pointToolTip(int index) const
{
    const BlinkRateChart::PointWords words{tr("Blink rate:"), tr("blinks per minute"),
                                           tr("Average blink duration:"), tr("milliseconds")};
    return BlinkRateChart::pointText(dateLabel(index), m_blinkRates.value(index),
                                     m_blinkLengths.value(index), words);
}

void WidgetStatistics::plotMouseOver(QMouseEvent* event)
{
    QCustomPlot* plot = m_ui->customPlot;
    const int point = m_chart->pointNear(event->localPos());
    if (point < 0) {
        // Off the graph the tooltip goes; along its line between points it stays as it was.
        if (plot->plottableAt(event->localPos()) == nullptr) {
            QToolTip::hideText();
        }
        return;
    }
    // After a deletion the plot may still hold points the window no longer knows.
    const int count = m_blinkRates.size();
    if (count == 0) {
        QToolTip::hideText();
        return;
    }
    const int index = std::min(point, count - 1);
    QToolTip::showText(event->globalPos() - QPoint(kToolTipShift, 0), pointToolTip(index), plot,
                       plot->rect());
}

void WidgetStatistics::on_spanSlider_spanChanged(int lower, int upper)
{
    qDebug() << "SGui: lower upper" << lower << upper;
    emit sliderIntervalChanged(lower, upper);
}

void WidgetStatistics::on_toolButtonMaximize_clicked()
{
    if (!isMaximized()) {
        m_ui->toolButtonMaximize->setStyleSheet(QLatin1String(kMaximizedButton));
        m_ui->verticalLayoutStatistics->setContentsMargins(0, 0, 0, 0);
        showMaximized();
    } else {
        m_ui->toolButtonMaximize->setStyleSheet(QLatin1String(kNormalButton));
        m_ui->verticalLayoutStatistics->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin,
                                                           kOuterMargin);
        showNormal();
    }
}

void WidgetStatistics::on_toolButtonClose_clicked()
{
    hide();
}

void WidgetStatistics::on_pushButton_clicked()
{
    QMessageBox box(QMessageBox::Question, QString(),
                    tr("Are you sure to delete all measurements?"),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    // Without a parent it does not take the window's style sheet; it gets its look here.
    box.setStyleSheet(styleSheet());
    if (box.exec() != QMessageBox::Yes) {
        return;
    }
    qDebug() << "SGui: delete history";
    // What is gone is not drawn any more.
    clearRun();
    emit deleteHistory();
}

void WidgetStatistics::on_pushButtonExport_clicked()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name = QStringLiteral("winkwell-history-%1.csv")
                             .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QFileDialog dialog(nullptr, tr("Export history"), folder, tr("CSV files (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(name);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = dialog.selectedFiles().first();
    qDebug() << "SGui: export history to" << path;
    emit historyExportRequested(path);
}

void WidgetStatistics::showExportResult(QString path, QString error)
{
    if (error.isEmpty()) {
        qDebug() << "SGui: history exported to" << path;
        return;
    }
    qWarning() << "SGui: history not exported to" << path << error;
    auto* box = new QMessageBox(QMessageBox::Warning, QString(),
                                tr("The history could not be exported to %1:\n%2")
                                    .arg(QDir::toNativeSeparators(path), error));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setStyleSheet(styleSheet());
    box->show();
}

void WidgetStatistics::mousePressEvent(QMouseEvent* event)
{
    QWidget* titleBar = m_ui->widgetTitleBar;
    const bool inTitleBar = titleBar->rect().contains(titleBar->mapFrom(this, event->pos()));
    m_dragAnchor = inTitleBar ? event->pos() : QPoint();
    QWidget::mousePressEvent(event);
}

void WidgetStatistics::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && !m_dragAnchor.isNull() && !isMaximized()) {
        move(event->globalPos() - m_dragAnchor);
    }
    QWidget::mouseMoveEvent(event);
}

void WidgetStatistics::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslatePlot();
        m_ui->retranslateUi(this);
        // The short form of the date labels from here on, in the new locale.
        if (!m_dateTimes.isEmpty()) {
            m_ui->labelStartDate->setText(dateLabel(0));
            m_ui->labelEndDate->setText(dateLabel(m_dateTimes.size() - 1));
        }
        m_ui->customPlot->replot(QCustomPlot::rpQueuedReplot);
    }
    QWidget::changeEvent(event);
}
