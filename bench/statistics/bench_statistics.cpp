// Times the measurement store with a long history: loading plus init(), and one addMeasurement
// including the atomic rewrite of the file. Prints the medians.
//
//   bench_statistics [measurements=50000] [rounds=9]

#include "BenchHistory.h"
#include "statistics/StatisticsController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The store logs every call; the figures are about the work, not the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.warning=false"));
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args.at(1).toInt() : 50000;
    const int rounds = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 9;

    QTemporaryDir dir;
    const QString dataDirectory = dir.path() + QLatin1Char('/');
    if (!dir.isValid() || !writeBenchHistory(dataDirectory + "statistics.json", count)) {
        std::fprintf(stderr, "cannot write the history into %s\n", qPrintable(dir.path()));
        return 1;
    }
    const qint64 fileSize = QFile(dataDirectory + "statistics.json").size();

    std::vector<double> loadMs;
    std::vector<double> addMs;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        StatisticsController controller(dataDirectory);
        controller.init();
        loadMs.push_back(timer.nsecsElapsed() / 1e6);
        if (controller.blinkRates().size() < count) {
            std::fprintf(stderr, "history lost: %d of %d\n", int(controller.blinkRates().size()),
                         count);
            return 1;
        }

        timer.restart();
        controller.addMeasurement(12.3, QStringLiteral("bench"), 180);
        addMs.push_back(timer.nsecsElapsed() / 1e6);
    }

    std::printf("measurements at start: %d .. %d, file %.1f MB, %d rounds\n", count,
                count + rounds - 1, fileSize / 1048576.0, rounds);
    std::printf("load + init():        median %7.1f ms  (min %.1f, max %.1f)\n", median(loadMs),
                *std::min_element(loadMs.begin(), loadMs.end()),
                *std::max_element(loadMs.begin(), loadMs.end()));
    std::printf("addMeasurement():     median %7.1f ms  (min %.1f, max %.1f)\n", median(addMs),
                *std::min_element(addMs.begin(), addMs.end()),
                *std::max_element(addMs.begin(), addMs.end()));
    return 0;
}
