#include "StatisticsWiring.h"

#include "statistics/StatisticsController.h"
#include "statistics/window/WidgetStatistics.h"

void connectStatisticsAndWindow(StatisticsController* statistics, WidgetStatistics* window)
{
    QObject::connect(window, &WidgetStatistics::sliderIntervalChanged, statistics,
                     &StatisticsController::updateStatistics);
    QObject::connect(window, &WidgetStatistics::deleteHistory, statistics,
                     &StatisticsController::deleteAllMeasurements);
    QObject::connect(statistics, &StatisticsController::statisticsChanged, window,
                     &WidgetStatistics::updateStatistics);
    QObject::connect(window, &WidgetStatistics::historyExportRequested, statistics,
                     &StatisticsController::exportMeasurements);
    QObject::connect(statistics, &StatisticsController::measurementsExported, window,
                     &WidgetStatistics::showExportResult);
}
