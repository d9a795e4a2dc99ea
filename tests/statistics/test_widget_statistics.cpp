#include "app/StatisticsWiring.h"
#include "common/SharedTypes.h"
#include "statistics/StatisticsController.h"
#include "statistics/window/SpanSlider.h"
#include "statistics/window/WidgetStatistics.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>
#include <functional>
#include <qcustomplot.h>

namespace {

using Span = QPair<int, int>;

// The window's parts by their form names.
struct Form
{
    explicit Form(WidgetStatistics& window)
        : plot(window.findChild<QCustomPlot*>("customPlot")),
          slider(window.findChild<SpanSlider*>("spanSlider")),
          startDate(window.findChild<QLabel*>("labelStartDate")),
          endDate(window.findChild<QLabel*>("labelEndDate")),
          title(window.findChild<QLabel*>("labelTitle")),
          maximize(window.findChild<QToolButton*>("toolButtonMaximize")),
          close(window.findChild<QToolButton*>("toolButtonClose")),
          remove(window.findChild<QPushButton*>("pushButton")),
          exportButton(window.findChild<QPushButton*>("pushButtonExport")),
          outer(window.findChild<QLayout*>("verticalLayoutStatistics"))
    {
    }
    std::pair<double, double> yRange() const
    {
        return {plot->yAxis->range().lower, plot->yAxis->range().upper};
    }
    QLineF healthyLine() const
    {
        for (int i = 0; i < plot->itemCount(); ++i) {
            if (auto* line = qobject_cast<QCPItemLine*>(plot->item(i))) {
                return {line->start->coords(), line->end->coords()};
            }
        }
        return {};
    }
    int points() const { return plot->graph(0)->dataCount(); }
    QPoint pixelOf(int index) const
    {
        const auto point = plot->graph(0)->data()->at(index);
        return QPointF(plot->xAxis->coordToPixel(point->key),
                       plot->yAxis->coordToPixel(point->value))
            .toPoint();
    }
    Span span() const { return {slider->lowerValue(), slider->upperValue()}; }

    QCustomPlot* plot;
    SpanSlider* slider;
    QLabel* startDate;
    QLabel* endDate;
    QLabel* title;
    QToolButton* maximize;
    QToolButton* close;
    QPushButton* remove;
    QPushButton* exportButton;
    QLayout* outer;
};

QVector<QDateTime> datesFrom(const QDateTime& first, int count)
{
    QVector<QDateTime> dates;
    for (int i = 0; i < count; ++i) {
        dates.append(first.addSecs(qint64(i) * 3600));
    }
    return dates;
}

QDateTime morning()
{
    return {QDate(2021, 3, 4), QTime(9, 5)};
}

void send(WidgetStatistics& window, const QVector<double>& rates, int total)
{
    window.updateStatistics(rates, QVector<int>(rates.size(), 150),
                            datesFrom(morning(), rates.size()), total);
}

// Acts on the first visible top-level widget of type T once the event loop shows one, as a
// user would answer a modal dialog.
template <typename T> void answer(const std::function<void(T*)>& act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<T*>(widget);
            if (dialog != nullptr && dialog->isVisible()) {
                timer->deleteLater();
                act(dialog);
                return;
            }
        }
    });
    timer->start(20);
}

void answerQuestion(QMessageBox::StandardButton button)
{
    answer<QMessageBox>([button](QMessageBox* box) { box->button(button)->click(); });
}

void hover(QCustomPlot* plot, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
}

} // namespace

class TestWidgetStatistics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        registerSharedTypes();
        QFontDatabase::addApplicationFont(QStringLiteral(":/font/Roboto-Regular.ttf"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void drawsARun_data()
    {
        QTest::addColumn<QVector<double>>("rates");
        QTest::addColumn<double>("bottom");
        QTest::addColumn<double>("top");
        QTest::newRow("at or below 12") << QVector<double>{5, 12, 0, 9.5} << 0.0 << 12.0;
        QTest::newRow("13 lifts, 14 does not") << QVector<double>{5, 13, 14} << 0.0 << 15.0;
        QTest::newRow("each lift") << QVector<double>{13, 16} << 0.0 << 18.0;
        QTest::newRow("one point") << QVector<double>{7} << 0.0 << 12.0;
        QTest::newRow("0 and 150") << QVector<double>{0, 150} << 0.0 << 152.0;
        QTest::newRow("negative, from a damaged file") << QVector<double>{-3, 8} << -5.0 << 12.0;
    }
    void drawsARun()
    {
        QFETCH(QVector<double>, rates);
        QFETCH(double, bottom);
        QFETCH(double, top);
        WidgetStatistics window;
        Form form(window);
        send(window, rates, 40);
        QCOMPARE(form.points(), rates.size());
        QCOMPARE(form.yRange(), std::make_pair(bottom, top));
        QCOMPARE(form.healthyLine(), QLineF(-10, 10, rates.size() + 10, 10));
        // Keys are the run's own positions; every point lies inside the axes.
        for (int i = 0; i < rates.size(); ++i) {
            QCOMPARE(form.plot->graph(0)->data()->at(i)->key, double(i));
            QVERIFY(form.plot->xAxis->range().contains(i));
            QVERIFY(form.plot->yAxis->range().contains(rates[i]));
        }
    }

    void drawsADenseRunAsItsLine()
    {
        WidgetStatistics window;
        Form form(window);
        send(window, QVector<double>(5000, 9.0), 5000);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        form.plot->replot();
        // Thousands of points on a few hundred pixels: the line alone, drawn quickly.
        QCOMPARE(form.plot->graph(0)->scatterStyle().shape(), QCPScatterStyle::ssNone);
        QVERIFY(form.plot->plottingHints().testFlag(QCP::phFastPolylines));
        send(window, {9, 10, 11, 12, 13, 8, 7, 6}, 5000);
        form.plot->replot();
        QCOMPARE(form.plot->graph(0)->scatterStyle().shape(), QCPScatterStyle::ssCircle);
        QCOMPARE(form.plot->graph(0)->scatterStyle().size(), 7.0);
        QVERIFY(!form.plot->plottingHints().testFlag(QCP::phFastPolylines));
    }

    void shadowsFollowTheFrames()
    {
        WidgetStatistics window;
        Form form(window);
        send(window, {9, 10, 11}, 3);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* graph = window.findChild<QWidget*>("widgetGraph");
        const auto shadowNextTo = [&] {
            const QImage image = window.grab().toImage();
            const QPoint corner = graph->mapTo(&window, graph->rect().bottomRight());
            const QColor background = image.pixelColor(corner + QPoint(8, 8));
            const QColor shadow = image.pixelColor(corner + QPoint(1, 1));
            return shadow.lightness() < background.lightness() - 20;
        };
        QVERIFY(shadowNextTo());
        form.maximize->click();
        QTRY_VERIFY(window.isMaximized());
        QTRY_VERIFY(shadowNextTo());
        form.maximize->click();
        QTRY_VERIFY(!window.isMaximized());
        QTRY_VERIFY(shadowNextTo());
    }

    void opensOnlyWithARunAndKeepsTheSlider()
    {
        WidgetStatistics window;
        Form form(window);
        QSignalSpy asked(&window, &WidgetStatistics::sliderIntervalChanged);
        const auto askedFor = [&asked] {
            QVector<Span> spans;
            for (const QList<QVariant>& arguments : asked) {
                spans.append({arguments.at(0).toInt(), arguments.at(1).toInt()});
            }
            asked.clear();
            return spans;
        };

        // No measurement: the window stays hidden.
        window.updateStatistics({}, {}, {}, 0);
        QVERIFY(window.isHidden());
        QCOMPARE(askedFor(), QVector<Span>());

        // The last eight of twenty open it, with the slider on them.
        send(window, {9, 10, 11, 12, 13, 8, 7, 6}, 20);
        QVERIFY(window.isVisible());
        QCOMPARE(form.slider->maximum(), 20);
        QCOMPARE(form.span(), Span(12, 20));
        QCOMPARE(askedFor(), QVector<Span>({{12, 20}}));
        QCOMPARE(form.startDate->text(), QString("4 March 2021"));
        QCOMPARE(form.endDate->text(), QString("4 March 2021"));

        // Open, it keeps the slider where the user has it.
        send(window, {9, 10, 11}, 20);
        QCOMPARE(form.points(), 3);
        QCOMPARE(form.span(), Span(12, 20));
        // A measurement added meanwhile widens the range, the handles stay.
        send(window, {9, 10, 11}, 21);
        QCOMPARE(form.slider->maximum(), 21);
        QCOMPARE(form.span(), Span(12, 20));
        QCOMPARE(askedFor(), QVector<Span>());
        // A smaller history moves the handles inside it and asks for that run.
        send(window, {9}, 10);
        QCOMPARE(form.span(), Span(10, 10));
        QCOMPARE(askedFor(), QVector<Span>({{10, 10}}));

        // Closed, the next request opens it on its run again.
        form.close->click();
        QVERIFY(window.isHidden());
        send(window, {9, 10, 11, 12, 13, 8, 7, 6}, 20);
        QVERIFY(window.isVisible());
        QCOMPARE(form.span(), Span(12, 20));
        QCOMPARE(askedFor(), QVector<Span>({{12, 20}}));
    }

    void showsThePointWithinEightPixels()
    {
        WidgetStatistics window;
        Form form(window);
        // Tall rates: half a unit is a sliver of a pixel or two on this axis.
        QVector<QDateTime> dates = datesFrom(morning(), 4);
        dates[3] = QDateTime();
        window.updateStatistics({20, 35, 28, 40}, {150, 160, 170, 180}, dates, 4);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(form.plot->yAxis->coordToPixel(0) > form.plot->yAxis->coordToPixel(40));
        QCoreApplication::processEvents();
        const double pixelsPerUnit =
            form.plot->yAxis->coordToPixel(0) - form.plot->yAxis->coordToPixel(1);
        QVERIFY2(6.0 / pixelsPerUnit > 0.5, "the offset below must miss by data units");

        hover(form.plot, form.pixelOf(1) + QPoint(4, 6));
        QCOMPARE(QToolTip::text(), QString("4. Mar 2021 10:05\nBlink rate: 35 blinks per minute\n"
                                           "Average blink duration: 160 milliseconds"));
        // Halfway along the line between two points the tooltip stays as it was.
        hover(form.plot, (form.pixelOf(1) + form.pixelOf(2)) / 2);
        QVERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().startsWith("4. Mar 2021 10:05\n"));
        // An unreadable date says so.
        hover(form.plot, form.pixelOf(3) + QPoint(-3, 3));
        QVERIFY2(QToolTip::text().startsWith("unknown date\nBlink rate: 40 blinks"),
                 qPrintable(QToolTip::text()));
        // Away from the graph it goes.
        hover(form.plot, QPoint(form.pixelOf(0).x() + 20, form.plot->height() - 20));
        QTRY_VERIFY(!QToolTip::isVisible());
        QCOMPARE(window.dateToString(QDateTime()), QString("unknown date"));
    }

    void dragsFromTheTitleBarOnly()
    {
        WidgetStatistics window;
        Form form(window);
        send(window, {9, 10, 11}, 3);
        window.move(100, 100);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.pos(), QPoint(100, 100));
        QWindow* handle = window.windowHandle();
        const auto dragFrom = [&](QWidget* part) {
            const QPoint at = part->mapTo(&window, part->rect().center());
            const QPoint to = window.mapToGlobal(at + QPoint(40, 30));
            QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseMove(handle, at + QPoint(40, 30));
            // Where the pointer is over the window, which may have moved under it.
            QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, window.mapFromGlobal(to));
            QTest::qWait(200);
        };
        dragFrom(form.plot);
        dragFrom(form.startDate);
        QCOMPARE(window.pos(), QPoint(100, 100));
        dragFrom(form.title);
        QTRY_COMPARE(window.pos(), QPoint(140, 130));
    }

    void maximisesAndCloses()
    {
        WidgetStatistics window;
        Form form(window);
        send(window, {9, 10, 11}, 3);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        form.maximize->click();
        QTRY_VERIFY(window.isMaximized());
        QCOMPARE(form.outer->contentsMargins(), QMargins(0, 0, 0, 0));
        QVERIFY(form.maximize->styleSheet().contains(":/icons/normal.svg"));
        form.maximize->click();
        QTRY_VERIFY(!window.isMaximized());
        QCOMPARE(form.outer->contentsMargins(), QMargins(9, 9, 9, 9));
        QVERIFY(form.maximize->styleSheet().contains(":/icons/max.svg"));
        QCOMPARE(form.maximize->toolTip(), QString("Maximize"));
        QCOMPARE(form.close->toolTip(), QString("Close"));
        form.close->click();
        QVERIFY(window.isHidden());
    }

    void deletesOnlyWhenConfirmed()
    {
        WidgetStatistics window;
        Form form(window);
        send(window, {9, 10, 11, 12}, 4);
        QSignalSpy deleted(&window, &WidgetStatistics::deleteHistory);
        QSignalSpy asked(&window, &WidgetStatistics::sliderIntervalChanged);

        answer<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->text(), QString("Are you sure to delete all measurements?"));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
            box->button(QMessageBox::No)->click();
        });
        form.remove->click();
        QCOMPARE(deleted.count(), 0);
        QCOMPARE(form.points(), 4);

        answerQuestion(QMessageBox::Yes);
        form.remove->click();
        QCOMPARE(deleted.count(), 1);
        // What is gone is not drawn, named or offered on the slider.
        QCOMPARE(form.points(), 0);
        QCOMPARE(form.yRange(), std::make_pair(0.0, 12.0));
        QCOMPARE(form.startDate->text(), QString());
        QCOMPARE(form.endDate->text(), QString());
        QCOMPARE(form.slider->maximum(), 0);
        QCOMPARE(asked.count(), 0);
        // The store's empty answer changes nothing.
        window.updateStatistics({}, {}, {}, 0);
        QCOMPARE(form.points(), 0);
        QVERIFY(window.isVisible());
        // Measurements taken since: the slider is placed on them as when the window opens.
        send(window, {9, 10, 11}, 3);
        QCOMPARE(form.span(), Span(0, 3));
        QCOMPARE(asked.count(), 1);
    }

    void languageChangeShortensTheDateLabels()
    {
        WidgetStatistics window;
        Form form(window);
        window.updateStatistics({9, 10}, {150, 160},
                                {morning(), QDateTime(QDate(2021, 3, 6), QTime(17, 40))}, 2);
        QCOMPARE(form.startDate->text(), QString("4 March 2021"));
        QCOMPARE(form.endDate->text(), QString("6 March 2021"));

        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&window, &change);
        QCOMPARE(form.startDate->text(), QString("4. Mar 2021 9:05"));
        QCOMPARE(form.endDate->text(), QString("6. Mar 2021 17:40"));
        QCOMPARE(form.plot->yAxis->label(), QString("Blinks per minute (bpm)"));

        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCoreApplication::sendEvent(&window, &change);
        const QString german = window.dateToString(morning());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(german, QString::fromUtf8("4 März 2021"));
        QCOMPARE(form.startDate->text(), QString("4. März 2021 9:05"));
    }

    // With the store in its own thread, wired as in the program.
    void worksWithTheStore()
    {
        QTemporaryDir dir;
        QJsonArray data;
        for (int i = 0; i < 20; ++i) {
            data.append(QJsonObject{
                {"blinkrate", 5.0 + i},
                {"datetime", QDateTime(QDate(2024, 1, 1).addDays(i), QTime(10, 0), Qt::UTC)
                                 .toString(Qt::ISODate)},
                {"length", 100 + i},
                {"note", i == 3 ? "breaks 50 min, \"strict\"" : "n"}});
        }
        QFile file(dir.filePath("statistics.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(QJsonObject{{"data", data}}).toJson());
        file.close();

        auto* store = new StatisticsController(dir.path() + "/");
        // Ends the store's thread also when a check fails half-way.
        struct Thread : QThread
        {
            ~Thread() override
            {
                quit();
                wait();
            }
        } thread;
        store->moveToThread(&thread);
        connect(&thread, &QThread::finished, store, &QObject::deleteLater);
        thread.start();
        QMetaObject::invokeMethod(store, "init", Qt::BlockingQueuedConnection);
        WidgetStatistics window;
        Form form(window);
        connectStatisticsAndWindow(store, &window);

        QMetaObject::invokeMethod(store, "createStatistics", Qt::QueuedConnection);
        QTRY_VERIFY(window.isVisible());
        QCOMPARE(form.points(), 8);
        QCOMPARE(form.span(), Span(12, 20));
        QCOMPARE(form.startDate->text(), QString("13 January 2024"));

        // The lower handle dragged to the start brings the whole history.
        const QPoint lower = form.slider->handleRect(SpanSlider::Handle::Lower).center();
        QTest::mousePress(form.slider, Qt::LeftButton, Qt::NoModifier, lower);
        QMouseEvent drag(QEvent::MouseMove, QPoint(0, lower.y()),
                         form.slider->mapToGlobal(QPoint(0, lower.y())), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.slider, &drag);
        QTest::mouseRelease(form.slider, Qt::LeftButton, Qt::NoModifier, QPoint(0, lower.y()));
        QCOMPARE(form.span(), Span(0, 20));
        QTRY_COMPARE(form.points(), 20);
        QCOMPARE(form.startDate->text(), QString("1 January 2024"));
        // The keys move the handle last dragged.
        QTest::keyClick(form.slider, Qt::Key_Right);
        QTRY_COMPARE(form.points(), 19);
        QCOMPARE(form.startDate->text(), QString("2 January 2024"));

        const QString csv = dir.filePath("history");
        answer<QFileDialog>([csv](QFileDialog* dialog) {
            // Typed once the dialog has settled on its folder and first name, as a user would.
            QTimer::singleShot(300, dialog, [dialog, csv] {
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                QVERIFY(name != nullptr);
                QVERIFY(name->text().startsWith("winkwell-history-"));
                name->setText(csv);
                QMetaObject::invokeMethod(dialog, "accept");
            });
        });
        QSignalSpy exported(store, &StatisticsController::measurementsExported);
        form.exportButton->click();
        QTRY_COMPARE(exported.count(), 1);
        QCOMPARE(exported.at(0).at(0).toString(), csv + ".csv");
        QFile written(csv + ".csv");
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = written.readAll().split('\n');
        QCOMPARE(lines.size(), 22); // header, twenty rows, the end of the last line
        QCOMPARE(lines.at(4), QByteArray("2024-01-04T10:00:00+00:00,8,103,"
                                         "\"breaks 50 min, \"\"strict\"\"\"\r"));

        answerQuestion(QMessageBox::Yes);
        form.remove->click();
        QTRY_COMPARE(QJsonDocument::fromJson([&] {
                         QFile history(dir.filePath("statistics.json"));
                         return history.open(QIODevice::ReadOnly) ? history.readAll()
                                                                  : QByteArray();
                     }())
                         .object(),
                     QJsonObject({{"data", QJsonArray()}}));
        QCOMPARE(form.points(), 0);
    }
};

QTEST_MAIN(TestWidgetStatistics)
#include "test_widget_statistics.moc"
