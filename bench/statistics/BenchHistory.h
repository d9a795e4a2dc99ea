#pragma once

#include <QString>
#include <vector>

// A history file of count measurements, 90 minutes apart from 2015 on, for the benchmarks.
bool writeBenchHistory(const QString& path, int count);

double median(std::vector<double> values);
