#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

// The one per-user settings store (organisation "Orvalde", application "winkwell"). Every reader
// opens it afresh so that no value is cached anywhere.
std::unique_ptr<QSettings> openSettingsStore();

// Writes one value into group "G" and closes the store, so it reaches the disk at once.
void saveSetting(const QString& key, const QVariant& value);
