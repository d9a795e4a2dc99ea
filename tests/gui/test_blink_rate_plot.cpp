#include "gui/BlinkRatePlot.h"

#include <QApplication>
#include <QFontDatabase>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

// The main page's blink-rate plot, shown and drawn for real.
class TestBlinkRatePlot : public QObject
{
    Q_OBJECT

private:
    static QVector<QDateTime> datesFor(int count)
    {
        QVector<QDateTime> dates;
        for (int i = 0; i < count; ++i) {
            dates.append(QDateTime(QDate(2024, 1, 3), QTime(9, 5)).addSecs(qint64(i) * 1800));
        }
        return dates;
    }

    static int graphPixels(QWidget& plot)
    {
        const QImage image = plot.grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += image.pixelColor(x, y) == QColor(0x00, 0xca, 0xff) ? 1 : 0;
            }
        }
        return count;
    }

    // The move a pointer makes over the drawing surface, which is what reports hovering.
    static void hover(BlinkRatePlot& plot, QPoint at)
    {
        QWidget* surface = plot.childAt(at);
        QVERIFY(surface != nullptr);
        const QPoint local = surface->mapFrom(&plot, at);
        QMouseEvent move(QEvent::MouseMove, local, surface->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
    }

    static void showPlot(BlinkRatePlot& plot)
    {
        plot.resize(400, 180);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
    }

private slots:
    void initTestCase()
    {
        QFontDatabase::addApplicationFont(QStringLiteral(":/font/Roboto-Regular.ttf"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void historyGivesAverageRangeAndDrawing()
    {
        BlinkRatePlot plot;
        showPlot(plot);
        QCOMPARE(plot.pointCount(), 0);
        QCOMPARE(plot.yRange(), std::make_pair(0.0, 12.0));
        QCOMPARE(graphPixels(plot), 0);

        // Rates above 10 count as 10; a rate above the top lifts it to 2 above that rate.
        const std::optional<float> average =
            plot.setHistory({4.0, 20.0, 8.0}, {150, 180, 210}, datesFor(3));
        QVERIFY(average.has_value());
        QCOMPARE(*average, 22.0F / 3.0F);
        QCOMPARE(plot.yRange(), std::make_pair(0.0, 22.0));
        QCOMPARE(plot.healthyLine(), QLineF(-10.0, 10.0, 13.0, 10.0));
        QCOMPARE(plot.pointCount(), 3);

        // No measurements: nothing to average, and the drawing stays.
        QVERIFY(!plot.setHistory({}, {}, {}).has_value());
        QCOMPARE(plot.pointCount(), 3);
        QCOMPARE(plot.yRange(), std::make_pair(0.0, 22.0));
        QCOMPARE(plot.healthyLine(), QLineF(-10.0, 10.0, 13.0, 10.0));

        QCOMPARE(*plot.setHistory({11.9, 0.0}, {150, 180}, datesFor(2)), 5.0F);
        QCOMPARE(plot.yRange(), std::make_pair(0.0, 12.0));

        // One and eight measurements are drawn inside the plot, in order.
        for (const QVector<double>& rates :
             {QVector<double>{7.5}, QVector<double>{4, 9, 12.5, 18, 6, 10, 15.5, 8}}) {
            plot.setHistory(rates, QVector<int>(rates.size(), 200), datesFor(rates.size()));
            QCoreApplication::processEvents(); // the queued replot
            QCOMPARE(plot.pointCount(), rates.size());
            QVERIFY(graphPixels(plot) > 0);
            for (int i = 0; i < rates.size(); ++i) {
                QVERIFY(plot.rect().contains(plot.pointPosition(i)));
                if (i > 0) {
                    QVERIFY(plot.pointPosition(i).x() > plot.pointPosition(i - 1).x());
                }
            }
        }
    }

    void hoverShowsAPointOrTheHistoryHintAndAPressAsksForStatistics()
    {
        BlinkRatePlot plot;
        showPlot(plot);
        plot.setHistory({4.0, 20.5, 8.0}, {150, 180, 210}, datesFor(3));
        QCoreApplication::processEvents(); // the queued replot places the points

        const QString second = QStringLiteral("3. Jan 2024 9:35\nBlink rate: 20.5 blinks per "
                                              "minute\nAverage blink duration: 180 milliseconds");
        QCOMPARE(plot.pointToolTip(1), second);
        QCOMPARE(plot.pointToolTip(3), QString());

        hover(plot, plot.pointPosition(1));
        QCOMPARE(QToolTip::text(), second);
        // A few pixels off the marker still counts: the reach is in pixels, whatever the rates.
        hover(plot, plot.pointPosition(1) + QPoint(5, -5));
        QCOMPARE(QToolTip::text(), second);
        // Halfway along the line, far from both neighbours.
        hover(plot, (plot.pointPosition(0) + plot.pointPosition(1)) / 2);
        QCOMPARE(QToolTip::text(), QStringLiteral("Open history"));
        hover(plot, plot.pointPosition(2));
        QCOMPARE(QToolTip::text(), plot.pointToolTip(2));

        QSignalSpy pressed(&plot, &BlinkRatePlot::pressed);
        QWidget* surface = plot.childAt(QPoint(5, 5));
        QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier,
                          surface->mapFrom(&plot, plot.pointPosition(0)));
        QCOMPARE(pressed.count(), 2);

        // A new language brings date labels in its locale.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&plot, &change);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(plot.pointToolTip(1).startsWith(QStringLiteral("3. Jan. 2024 9:35\n")),
                 qPrintable(plot.pointToolTip(1)));
    }
};

QTEST_MAIN(TestBlinkRatePlot)
#include "test_blink_rate_plot.moc"
