// Times the statistics window over a long history, with the store in its own thread as in the
// program: how long the window takes to open (from the request to its first painted frame), and
// how long each move of the span slider takes, from spanChanged() through the store and back to
// the replotted and painted plot. Run it on a display (run-bench-statistics-window.sh).
//
//   bench_statistics_window [measurements=50000] [moves=100] [opens=20]

#include "BenchHistory.h"
#include "app/StatisticsWiring.h"
#include "common/SharedTypes.h"
#include "statistics/StatisticsController.h"
#include "statistics/window/SpanSlider.h"
#include "statistics/window/WidgetStatistics.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <qcustomplot.h>
#include <vector>

namespace {

// Notes when the plot has been redrawn and painted. The plot paints at once inside its replot
// (QCustomPlot's immediate-refresh hint), before afterReplot(); a replot that could not paint at
// once is followed by a paint later.
class FrameWatch : public QObject
{
public:
    explicit FrameWatch(QCustomPlot* plot)
    {
        plot->installEventFilter(this);
        connect(plot, &QCustomPlot::beforeReplot, this, [this] {
            m_replotting = true;
            m_painted = false;
        });
        connect(plot, &QCustomPlot::afterReplot, this, [this] {
            m_replotting = false;
            m_replotted = true;
        });
    }
    void reset()
    {
        m_replotted = false;
        m_painted = false;
    }
    bool frameShown() const { return m_replotted && m_painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A paint event is handled right after the filter returns: once control is back in the
        // waiting loop, the frame is on the screen.
        if (event->type() == QEvent::Paint && (m_replotting || m_replotted)) {
            m_painted = true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_replotting = false;
    bool m_replotted = false;
    bool m_painted = false;
};

bool waitFor(const std::function<bool()>& done, int limitMs = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const double p90 = ms[std::min(ms.size() - 1, ms.size() * 9 / 10)];
    std::printf("%-44s median %6.1f ms  (p90 %.1f, max %.1f, n %zu)\n", what, median(ms), p90,
                ms.back(), ms.size());
}

struct Bench
{
    WidgetStatistics& window;
    QObject* store;
    SpanSlider* slider;
    QCustomPlot* plot;
    FrameWatch& frames;

    // One move of the slider, until its run is drawn; -1 when the answer never came.
    double move(int lower, int upper, int expectedPoints)
    {
        frames.reset();
        QElapsedTimer timer;
        timer.start();
        slider->setSpan(lower, upper); // emits spanChanged() at once
        const bool shown = waitFor(
            [&] { return frames.frameShown() && plot->graph(0)->dataCount() == expectedPoints; });
        if (!shown) {
            std::fprintf(stderr, "span %d..%d: %d points drawn, %d expected, frame %d\n", lower,
                         upper, plot->graph(0)->dataCount(), expectedPoints,
                         int(frames.frameShown()));
        }
        return shown ? timer.nsecsElapsed() / 1e6 : -1.0;
    }

    // The pointer moved over the plot of the run shown, on its points and beside them.
    void hover(const char* label)
    {
        std::vector<double> on;
        std::vector<double> beside;
        const QRect area = plot->axisRect()->rect();
        for (int i = 0; i < 50; ++i) {
            const int x = area.left() + area.width() * (i + 1) / 52;
            const double nearest =
                plot->graph(0)->data()->at(int(std::lround(plot->xAxis->pixelToCoord(x))))->value;
            for (const bool onPoint : {true, false}) {
                const QPointF at(x, onPoint ? plot->yAxis->coordToPixel(nearest) : area.top() + 2);
                QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at.toPoint()),
                                 Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QElapsedTimer timer;
                timer.start();
                QCoreApplication::sendEvent(plot, &move);
                (onPoint ? on : beside).push_back(timer.nsecsElapsed() / 1e6);
            }
        }
        QToolTip::hideText();
        report((QByteArray(label) + " pointer on a point:").constData(), on);
        report((QByteArray(label) + " pointer beside the line:").constData(), beside);
    }

    // Closes and reopens the window as the main page's plot does.
    double open()
    {
        window.findChild<QToolButton*>(QStringLiteral("toolButtonClose"))->click();
        settle(100);
        frames.reset();
        QElapsedTimer timer;
        timer.start();
        QMetaObject::invokeMethod(store, "createStatistics", Qt::QueuedConnection);
        const bool shown = waitFor([&] { return window.isVisible() && frames.frameShown(); });
        const double ms = timer.nsecsElapsed() / 1e6;
        settle(150); // the slider's own request comes back with the same run
        return shown ? ms : -1.0;
    }

    // Sweeps across the whole history: the lower handle from the end to the start (runs growing
    // to the whole history), then a window of a tenth of it from the start to the end.
    bool sweep(int count, int moves, const char* label)
    {
        std::vector<double> growing;
        std::vector<double> sliding;
        // Away from where the last sweep ended, so that its first move is a change.
        move(count - 1, count, 1);
        const int width = count / 10;
        for (int i = 0; i < moves; ++i) {
            const int lower = count - int(qint64(count) * (i + 1) / moves);
            growing.push_back(move(lower, count, count - lower));
            const int start = int(qint64(count - width) * i / std::max(1, moves - 1));
            sliding.push_back(move(start, start + width, std::min(width + 1, count - start)));
        }
        if (std::count(growing.begin(), growing.end(), -1.0) > 0 ||
            std::count(sliding.begin(), sliding.end(), -1.0) > 0) {
            std::fprintf(stderr, "a run never arrived\n");
            return false;
        }
        const QByteArray grow = QByteArray(label) + " lower handle across (runs to whole):";
        const QByteArray slide = QByteArray(label) + " a tenth slid across:";
        report(grow.constData(), growing);
        report(slide.constData(), sliding);
        move(0, count, count);
        hover(label);
        std::printf("%-44s %6.1f ms\n",
                    "  of which the plot's own replot, average:", plot->replotTime(true));
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures as they come, also into a pipe
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.warning=false"));
    registerSharedTypes();
    QFontDatabase::addApplicationFont(QStringLiteral(":/font/Roboto-Regular.ttf"));
    QApplication::setFont(QFont(QStringLiteral("Roboto"), 11));
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 50000;
    const int moves = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 100;
    const int opens = args.size() > 3 ? std::max(1, args.at(3).toInt()) : 20;

    QTemporaryDir dir;
    const QString dataDirectory = dir.path() + QLatin1Char('/');
    if (!dir.isValid() || !writeBenchHistory(dataDirectory + "statistics.json", count)) {
        std::fprintf(stderr, "cannot write the history into %s\n", qPrintable(dir.path()));
        return 1;
    }

    auto* store = new StatisticsController(dataDirectory);
    QThread thread;
    store->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, store, &QObject::deleteLater);
    thread.start();
    QMetaObject::invokeMethod(store, "init", Qt::BlockingQueuedConnection);

    WidgetStatistics window;
    connectStatisticsAndWindow(store, &window);
    window.move(100, 100);
    auto* plot = window.findChild<QCustomPlot*>(QStringLiteral("customPlot"));
    FrameWatch frames(plot);
    Bench bench{window, store, window.findChild<SpanSlider*>(QStringLiteral("spanSlider")), plot,
                frames};

    std::printf("measurements: %d, slider moves per sweep: %d, opens: %d, window %dx%d\n", count,
                moves, opens, window.width(), window.height());
    // The first open also creates the native window and loads the style.
    QElapsedTimer first;
    first.start();
    QMetaObject::invokeMethod(store, "createStatistics", Qt::QueuedConnection);
    const bool opened = waitFor([&] { return window.isVisible() && frames.frameShown(); });
    const double firstMs = first.nsecsElapsed() / 1e6;
    settle(300);
    if (!opened) {
        std::fprintf(stderr, "the window never opened\n");
        return 1;
    }
    std::printf("%-44s %6.1f ms\n", "first open (request to first frame):", firstMs);
    std::vector<double> openMs;
    for (int i = 0; i < opens; ++i) {
        openMs.push_back(bench.open());
    }
    report("open again (request to first frame):", openMs);

    bool ok = bench.sweep(count, moves, "normal size,");
    window.findChild<QToolButton*>(QStringLiteral("toolButtonMaximize"))->click();
    settle(500);
    std::printf("maximised: %dx%d\n", window.width(), window.height());
    ok = ok && bench.sweep(count, moves, "maximised,");

    thread.quit();
    thread.wait();
    return ok ? 0 : 1;
}
