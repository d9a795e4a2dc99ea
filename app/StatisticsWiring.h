#pragma once

class StatisticsController;
class WidgetStatistics;

// The statistics window and the measurement store: the store's runs fill the window, the
// window's slider asks for other runs, and its deletion and export go to the store, which
// answers the export. Automatic connections: queued across the statistics thread.
void connectStatisticsAndWindow(StatisticsController* statistics, WidgetStatistics* window);
